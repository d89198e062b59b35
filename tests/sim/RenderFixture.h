// Fixture of the line-shape and rendering tests: fresh records, the renderer's lock,
// an answerer that logs every box, a view grid of given steps and sets filled by hand.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/TypedArrays.h"
#include "platform/windows/MessageBox.h"
#include "records/Debug.h"
#include "records/Dsp.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "tests/support/LsfReset.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"
#include "lineshape/LineShape.h"

namespace qvtest {

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Debug = DebugRecord{};
    Dsp = DspRecord{};
    ResetLsf();
    Quad = QuadRecord{};
    VibArrays = VibArraysRecord{};
    Sim = SimRecord{};
    Win = WinRecord{};
    Win.hWnd_Main = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5150));
    if (!SimPlotLock.state) InitializeCriticalSection(&SimPlotLock);
    platform::ClearBoxLog();
    platform::SetBoxAnswerer([](const platform::BoxRequest&) { return IDOK; });
  }
  void TearDown() override {
    SimLineShapeStoresFree();
    FreeLines();
    platform::SetBoxAnswerer(nullptr);
  }

  // The same frequency step on every view level.
  static void Steps(double s) {
    for (auto& step : Dsp.FrqStpView) step = s;
  }

  // Texts of the boxes shown since SetUp.
  static std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const auto& box : platform::BoxLog()) texts.push_back(box.caption + ": " + box.text);
    return texts;
  }

  // Per-line arrays of a set made by the tests, released in TearDown.
  void Lines(int16_t set, const std::vector<double>& freqs, const std::vector<float>& itns) {
    const uint32_t n = static_cast<uint32_t>(freqs.size());
    Sim.FI_Lines[set] = n;
    DAlloc1Dim(&Sim.FI_Sim_Erg[set], n);
    DAlloc1Dim(&Sim.FI_Exp_Erg[set], n);
    FAlloc1Dim(&Sim.FI_Sim_Itn[set], n);
    CAlloc1Dim(&Sim.FI_BT_Lbl[set], n);
    SAlloc1Dim(&Sim.FI_Jkk_Lbl[set], 6 * n);
    for (uint32_t i = 0; i < n; ++i) {
      Sim.FI_Sim_Erg[set][i] = freqs[i];
      Sim.FI_Sim_Itn[set][i] = itns[i];
      Sim.FI_BT_Lbl[set][i] = 'A';
    }
    sets_.push_back(set);
  }
  void FreeLines() {
    for (int16_t set : sets_) {
      DFree1Dim(&Sim.FI_Sim_Erg[set]);
      DFree1Dim(&Sim.FI_Exp_Erg[set]);
      FFree1Dim(&Sim.FI_Sim_Itn[set]);
      CFree1Dim(&Sim.FI_BT_Lbl[set]);
      SFree1Dim(&Sim.FI_Jkk_Lbl[set]);
      FFree1Dim(&Sim.FI_Gau_FWHM[set]);
      FFree1Dim(&Sim.FI_Lor_FWHM[set]);
      if (Sim.FI_AreaPeak_FAry[set]) FFree2Dim(&Sim.FI_AreaPeak_FAry[set], 2);
      SFree1Dim(&Sim.HT_Mol_Lbl[set]);
      FFree1Dim(&Sim.HT_Air_Gamma[set]);
      FFree1Dim(&Sim.HT_Self_Gamma[set]);
      FFree1Dim(&Sim.HT_Air_Delta[set]);
      FFree1Dim(&Sim.HT_Temp_Gamma[set]);
      FFree1Dim(&Sim.HT_Itn[set]);
      DFree1Dim(&Sim.HT_Shift_Erg[set]);
      DFree1Dim(&Sim.FI_HamErg_Vector[set][0]);
      LFree1Dim(&Sim.FI_Erg_Idx[set][0]);
      LFree1Dim(&Sim.FI_QN_List_Ary[set]);
      Sim.FI_Lines[set] = 0;
    }
    sets_.clear();
  }

  std::vector<int16_t> sets_;
};

}  // namespace qvtest
