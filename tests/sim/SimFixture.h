// Shared fixture of the simulation-set tests: fresh records, a folder of its own as
// the current folder, a main window with a four-part status bar, scripted answers to
// message boxes (queued answers, then OK / No), and helpers that fill a set and build
// simulation files by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Repaint.h"
#include "core/TypedArrays.h"
#include "display/Paint.h"
#include "display/ViewKeys.h"
#include "platform/kernel/Binary.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Dsp.h"
#include "records/Lsf.h"
#include "tests/support/LsfReset.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "sim/SimFile.h"
#include "sim/SimSets.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMainWindow.h"

namespace qvtest {

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Win = WinRecord{};
    Dsp = DspRecord{};
    Sim = SimRecord{};
    Quad = QuadRecord{};
    ResetLsf();
    OrvPrm = OrvPrmRecord{};
    previous_ = std::filesystem::current_path();
    std::filesystem::create_directory(dir_.Path() / "work");
    std::filesystem::current_path(dir_.Path() / "work");
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([this](const platform::BoxRequest& box) {
      if (!answers_.empty()) {
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
      }
      return (box.style & 0xF) == 0x4 || (box.style & 0xF) == 0x3 ? IDNO : IDOK;
    });
    CreateTestMainWindow("SIM TEST MAIN");
  }

  void TearDown() override {
    for (int16_t s = 0; s < SIM_SETS; ++s) FreeAll(s);
    if (Win.hWnd_Main) DestroyWindow(Win.hWnd_Main);
    DisplayPaintBuffersFree();
    platform::SetBoxAnswerer(nullptr);
    std::filesystem::current_path(previous_);
  }

  // Everything a set may own, including what freeing a set keeps.
  static void FreeAll(int16_t s) {
    SimFIFreeQVS(s, &Sim, 0);
    DFree1Dim(&Sim.FI_CovMat[s]);
    LFree1Dim(&Sim.FI_SortIdx[s]);
    LFree1Dim(&Sim.FI_QN_List_Ary[s]);
    FFree1Dim(&Sim.FI_Sim_ItnSave[s]);
    DFree1Dim(&Quad.Asn_TList[s]);
    if (Sim.FI_CD_FixSet_Tot[s] > 0) {
      LFree2Dim(&Sim.FI_CD_FixSet_Idx[s], static_cast<int32_t>(Sim.FI_CD_FixSet_Tot[s]));
      DFree2Dim(&Sim.FI_CD_FixSet_Erg[s], static_cast<int32_t>(Sim.FI_CD_FixSet_Tot[s]));
    }
    BFree1Dim(&Sim.FI_CD_FixSet_Fixed[s]);
    LFree1Dim(&Sim.FI_CD_FixSet_Cnt[s]);
  }

  // Fills set s with n lines and every optional array; line i carries values made
  // from `id`, so that each entry tells which line it belongs to.
  static void FillSet(int16_t s, uint32_t n, uint32_t nd, uint32_t levels, bool ht,
                      const std::vector<double>* freqs = nullptr) {
    FreeAll(s);
    Sim.FI_Lines[s] = n;
    Sim.AMP_STAT[s] = Sim.IMAG_STAT[s] = Sim.FM_STAT[s] = 1;
    Sim.IDVWIDTH_STAT[s] = Sim.NLLSF_STAT[s] = 1;
    Sim.TEMP_GLOBAL_STAT[s] = 1;
    Sim.ONESTATE_STAT[s] = 1;
    Sim.DVS_STAT[s] = nd > 0 ? 1 : 0;
    Sim.DVS_NO[s][SIM_GND] = nd / 2;
    for (uint32_t k = 0; k < nd / 2; ++k) Sim.RC_DevStat[s][SIM_GND][k] = 1;
    Sim.FI_Erg_Sz[s] = levels;
    Sim.HT_Global_Stat[s] = ht ? 1 : 0;
    Sim.HT_Ary_Stat[s] = ht ? 1 : 0;
    ASSERT_EQ(DAlloc1Dim(&Sim.FI_Sim_Erg[s], n), 1);
    ASSERT_EQ(DAlloc1Dim(&Sim.FI_Exp_Erg[s], n), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_Exp_Unc[s], n), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_Sim_Itn[s], n), 1);
    ASSERT_EQ(FAlloc2Dim(&Sim.FI_AreaPeak_FAry[s], 2, static_cast<int32_t>(n)), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_Amp[s], 3 * n), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_Imag[s], 3 * n), 1);
    ASSERT_EQ(CAlloc1Dim(&Sim.FI_BT_Lbl[s], n), 1);
    ASSERT_EQ(SAlloc1Dim(&Sim.FI_Jkk_Lbl[s], 6 * n), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_FM_Lbl[s], 2 * n), 1);
    if (nd > 0) {
      ASSERT_EQ(DAlloc1Dim(&Sim.FI_Dev[s], n * nd), 1);
    }
    for (int st = 0; st < 2; ++st) {
      ASSERT_EQ(DAlloc1Dim(&Sim.FI_HamErg_Vector[s][st], levels), 1);
      ASSERT_EQ(LAlloc1Dim(&Sim.FI_Erg_Idx[s][st], n), 1);
    }
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_Gau_FWHM[s], n), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_Lor_FWHM[s], n), 1);
    ASSERT_EQ(BAlloc1Dim(&Sim.FI_LS_VarStat[s], 5 * n), 1);
    ASSERT_EQ(FAlloc1Dim(&Sim.FI_LS_StdDev[s], 5 * n), 1);
    if (ht) {
      for (float** p : {&Sim.HT_Air_Gamma[s], &Sim.HT_Self_Gamma[s], &Sim.HT_Air_Delta[s], &Sim.HT_Temp_Gamma[s],
                        &Sim.HT_Itn[s]})
        ASSERT_EQ(FAlloc1Dim(p, n), 1);
      ASSERT_EQ(SAlloc1Dim(&Sim.HT_Mol_Lbl[s], n), 1);
      ASSERT_EQ(DAlloc1Dim(&Sim.HT_Shift_Erg[s], n), 1);
    }
    for (uint32_t i = 0; i < n; ++i) {
      const double id = i + 1;
      Sim.FI_Sim_Erg[s][i] = freqs ? (*freqs)[i] : 1000.0 + 3.0 * i;
      Sim.FI_Exp_Erg[s][i] = i % 3 == 0 ? 0.0 : Sim.FI_Sim_Erg[s][i] + 0.01 * id;
      Sim.FI_Exp_Unc[s][i] = static_cast<float>(0.5 * id);
      Sim.FI_Sim_Itn[s][i] = static_cast<float>(id);
      Sim.FI_AreaPeak_FAry[s][0][i] = Sim.FI_AreaPeak_FAry[s][1][i] = 0.0f;
      for (int k = 0; k < 3; ++k) {
        Sim.FI_Amp[s][3 * i + k] = static_cast<float>(10 * id + k);
        Sim.FI_Imag[s][3 * i + k] = static_cast<float>(20 * id + k);
      }
      Sim.FI_BT_Lbl[s][i] = static_cast<char>('A' + i % 26);
      for (int k = 0; k < 6; ++k) Sim.FI_Jkk_Lbl[s][6 * i + k] = static_cast<int16_t>(6 * i + k);
      for (int k = 0; k < 2; ++k) Sim.FI_FM_Lbl[s][2 * i + k] = static_cast<float>(30 * id + k);
      for (uint32_t k = 0; k < nd; ++k) Sim.FI_Dev[s][nd * i + k] = 40 * id + k;
      for (int st = 0; st < 2; ++st) Sim.FI_Erg_Idx[s][st][i] = static_cast<int32_t>(50 * id + st);
      Sim.FI_Gau_FWHM[s][i] = static_cast<float>(60 * id);
      Sim.FI_Lor_FWHM[s][i] = static_cast<float>(70 * id);
      for (int k = 0; k < 5; ++k) {
        Sim.FI_LS_VarStat[s][5 * i + k] = static_cast<BOOL>((i + k) % 2);
        Sim.FI_LS_StdDev[s][5 * i + k] = static_cast<float>(80 * id + k);
      }
      if (ht) {
        Sim.HT_Air_Gamma[s][i] = static_cast<float>(0.01 * id);
        Sim.HT_Self_Gamma[s][i] = i == 1 ? 0.0f : static_cast<float>(0.02 * id);
        Sim.HT_Air_Delta[s][i] = static_cast<float>(-0.001 * id);
        Sim.HT_Temp_Gamma[s][i] = static_cast<float>(0.7 + 0.01 * id);
        Sim.HT_Itn[s][i] = static_cast<float>(1e-20 * id);
        Sim.HT_Mol_Lbl[s][i] = 21;
        Sim.HT_Shift_Erg[s][i] = Sim.FI_Sim_Erg[s][i];
      }
    }
    for (uint32_t l = 0; l < levels; ++l)
      for (int st = 0; st < 2; ++st) Sim.FI_HamErg_Vector[s][st][l] = 100.0 * l + st;
    Sim.FI_CovSz[s] = 4;
    ASSERT_EQ(DAlloc1Dim(&Sim.FI_CovMat[s], 4), 1);
    for (int k = 0; k < 4; ++k) Sim.FI_CovMat[s][k] = 0.25 * (k + 1);
  }

  // The main window paints as the program's does: the shown sets are drawn (once the
  // display is ready) and the open dialogs refreshed afterwards; its keys go to the
  // view keys, repainting on 1.
  static void PaintLikeTheProgram() {
    SetWindowLongPtr(Win.hWnd_Main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintingMainProc));
    ShowWindow(Win.hWnd_Main, SW_SHOW);
    Dsp.Init_Done = 1;
  }
  static LRESULT PaintingMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
      PaintParentWindowPaper(2, window, nullptr, nullptr);
      return 0;
    }
    if (message == WM_CHAR) {
      if (DisplayViewKey(window, static_cast<int32_t>(wParam), lParam) == 1) RepaintWindow("TEST", window, TRUE);
      return 0;
    }
    return message == WM_ERASEBKGND ? 1 : DefWindowProc(window, message, wParam, lParam);
  }

  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  template <class T>
  static void Append(std::string& bytes, const std::vector<T>& values) {
    for (T v : values) {
      unsigned char b[sizeof(T)];
      platform::StoreLE<T>(b, v);
      bytes.append(reinterpret_cast<const char*>(b), sizeof(T));
    }
  }
  template <class T>
  static void Append(std::string& bytes, size_t count, T value) {
    Append(bytes, std::vector<T>(count, value));
  }
  // Offset of the first differing byte, or -1 when a and b are equal.
  static int64_t FirstDifference(const std::string& a, const std::string& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
      if (a[i] != b[i]) return static_cast<int64_t>(i);
    return a.size() == b.size() ? -1 : static_cast<int64_t>(a.size() < b.size() ? a.size() : b.size());
  }
  static std::string Header(const VavOde& h) { return std::string(reinterpret_cast<const char*>(h.data()), h.size()); }

  std::string StatusText(int part) const { return platform::StatusText(Win.hWnd_StatusBar, part); }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : platform::BoxLog()) texts.push_back(box.text);
    return texts;
  }
  std::vector<std::string> BoxCaptions() const {
    std::vector<std::string> captions;
    for (const auto& box : platform::BoxLog()) captions.push_back(box.caption);
    return captions;
  }

  TempDir dir_;
  std::filesystem::path previous_;
  std::deque<int> answers_;
};

}  // namespace qvtest
