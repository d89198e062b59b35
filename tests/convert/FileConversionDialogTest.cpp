// The FILE CONVERSION dialog driven as a user would: through the test driver and
// through a script, reading the files written and the texts shown.
#include "convert/FileConversionDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "core/MsgWindow.h"
#include "core/Threads.h"
#include "core/TypedArrays.h"
#include "display/ViewFiles.h"
#include "fileproc/CrossCorrFix.h"
#include "fileproc/FileOps.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "platform/driver/Script.h"
#include "platform/kernel/Sync.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "tests/convert/HeldViewRun.h"
#include "tests/convert/OpSeqRun.h"
#include "tests/support/ScriptMain.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMainWindow.h"

namespace {

namespace drv = platform::driver;

template <class T>
void WriteValues(const std::string& name, const std::vector<T>& values) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * sizeof(T)));
}
template <class T>
std::vector<T> ReadValues(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<T> values(bytes.size() / sizeof(T));
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
  return values;
}

class FileConversionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    ThreadCtl.View_Started = 1;  // the view files are not this test's subject
    ThreadCtl.OpSeq_Running = 0;
    ThreadCtl.OpSeq_Alive = 0;
    ThreadCtl.OpSeq_Stop = 0;
    ThreadCtl.OpSeq_Thread = nullptr;
    RegisterDialogResources();
    platform::ClearBoxLog();
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override { std::filesystem::current_path(previousFolder_); }

  // Opens the dialog, runs steps inside it, and returns the dialog's result.
  INT_PTR WithDialog(const std::function<void(HWND)>& steps) {
    drv::ModalHandler handler([&](HWND dialog, int templateId) {
      EXPECT_EQ(templateId, IDD_FILE_CONVERSION);
      steps(dialog);
    });
    return FileConversionDialog(nullptr);
  }

  qvtest::TempDir dir_;
  std::filesystem::path previousFolder_;
};

TEST_F(FileConversionDialogTest, ScaleTwoCheckedChannelsThenCloseWithOk) {
  WriteValues<float>("ch1.bin", {1, 2, 3, 4});
  WriteValues<float>("ch2.bin", {10, 20});
  StrCopy(Dsp.Chn_Flnm[1], "ch1.bin");
  StrCopy(Dsp.Chn_Flnm[2], "ch2.bin");
  drv::Answers answers;
  answers.Box("Info", "[ch1.bin] CONVERTED TO [out1.bin]", IDOK).Box("Info", "[ch2.bin] CONVERTED TO [ch2.bin00]", IDOK);
  std::string inSize, outSize1, outSize2, outName2;
  INT_PTR result = WithDialog([&](HWND d) {
    inSize = drv::Text(d, IDC_CNV_INSIZE0 + 1);
    EXPECT_EQ(drv::Text(d, IDC_CNV_OUTNAME0 + 2), "ch2.bin");  // an empty output name shows the input's
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + 1, true));
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + 2, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0 + 1, "out1.bin"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_SCALAR, "2.5"));
    EXPECT_TRUE(drv::Click(d, OSI_SCALE));
    outSize1 = drv::Text(d, IDC_CNV_OUTSIZE0 + 1);
    outSize2 = drv::Text(d, IDC_CNV_OUTSIZE0 + 2);
    outName2 = drv::Text(d, IDC_CNV_OUTNAME0 + 2);
    EXPECT_EQ(drv::Text(d, IDC_CNV_SCALAR), "2.500000");
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(inSize, "4");
  EXPECT_EQ(outSize1, "4");
  EXPECT_EQ(outSize2, "2");
  EXPECT_EQ(outName2, "ch2.bin00");  // equal names get EXT appended before the run
  EXPECT_EQ(ReadValues<float>("out1.bin"), (std::vector<float>{2.5f, 5.0f, 7.5f, 10.0f}));
  EXPECT_EQ(ReadValues<float>("ch2.bin00"), (std::vector<float>{25.0f, 50.0f}));
  EXPECT_EQ(ReadValues<float>("ch1.bin"), (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(Cnv.Scalar[0], 2.5f);
  EXPECT_EQ(Cnv.Cnv_Stat[1], 1u);
  EXPECT_EQ(Cnv.Out_Sz[1], 4u);
}

// SUBTRACT and MULTIPLY run with the second file named in INPUT FLNM.
TEST_F(FileConversionDialogTest, SubtractAndMultiplyUseTheSecondFileField) {
  WriteValues<float>("ch0.bin", {0, 2, 4});
  WriteValues<float>("other.bin", {1, 1, 2});
  StrCopy(Dsp.Chn_Flnm[0], "ch0.bin");
  drv::Answers answers;
  answers.Box("Question", "SUBTRACT FILE OP\n\nSKIP REGIONS IN [ch0.bin] HAVING ZERO AMPLITUDE*", IDYES)
      .Box("Info", "[ch0.bin] CONVERTED TO [sub.bin]", IDOK)
      .Box("Info", "MULTIPLY | SUBTRACT FILE OPERATION\n\nOVERALL SCALE FACTOR USED=[2.000000]", IDOK)
      .Box("Info", "[ch0.bin] CONVERTED TO [mul.bin]", IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_SUBNAME, "other.bin"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "sub.bin"));
    EXPECT_TRUE(drv::Click(d, OSI_SUBTRACT));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "mul.bin"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_SCALAR, "2"));
    EXPECT_TRUE(drv::Click(d, OSI_MULTIPLY));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_STREQ(Cnv.Sub_Flnm[0], "other.bin");
  EXPECT_EQ(ReadValues<float>("sub.bin"), (std::vector<float>{0, 1, 2}));
  EXPECT_EQ(ReadValues<float>("mul.bin"), (std::vector<float>{0, 4, 16}));
}

TEST_F(FileConversionDialogTest, ShortToFloatAsAdcVoltsWithItsThreeQuestionsAnsweredByAScript) {
  WriteValues<int16_t>("s.bin", {2048, 0, 4095});
  StrCopy(Dsp.Chn_Flnm[3], "s.bin");
  const std::string script =
      "menu 103\n"
      "dialog 211\n"
      "check 2113 on\n"
      "click 2047\n"
      "box Question \"CONVERT DIRECTLY TO FLOAT [YES] | CONVERT ADC DIGITAL VALUES TO VOLTAGE [NO] ?\" no\n"
      "box Question \"CONVERT FROM 16-BIT [YES] | 12-BIT [NO] RESOLUTION ?\" no\n"
      "box Question \"CONVERT FROM BIPOLAR [YES] | UNIPOLAR [NO] RANGE ?\" yes\n"
      "box Info \"[s.bin] CONVERTED TO [s.bin00]\" ok\n"
      "expect-text 2323 3\n"
      "expect-text 2313 s.bin00\n"
      "click 1\n"
      "quit\n";
  // The main window's Conversion command opens the dialog.
  std::string failure;
  EXPECT_EQ(qvtest::RunScriptOnBareMain(
                script, [](HWND main, int id) { if (id == 103) FileConversionDialog(main); }, 2000, &failure),
            0)
      << failure;
  auto v = ReadValues<float>("s.bin00");
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0], 0.0f);
  EXPECT_EQ(v[1], -10.0f);
  EXPECT_FLOAT_EQ(v[2], 9.9951172f);
  EXPECT_EQ(Cnv.Adc_Stat, 0u);  // every other button, OK too, converts directly again
  EXPECT_EQ(Cnv.Adc_16Bit, 0u);
  EXPECT_EQ(Cnv.Adc_Bipolar, 1u);
  for (const auto& box : platform::BoxLog()) {
    if (box.caption == "Question") {
      EXPECT_EQ(box.style, 0x1024u);
    }
  }
}

TEST_F(FileConversionDialogTest, NothingCheckedOrNothingAvailableConvertsNothing) {
  WriteValues<float>("ch0.bin", {1, 2});
  StrCopy(Dsp.Chn_Flnm[0], "ch0.bin");
  drv::Answers answers;
  answers.Box("Info", "[ch0.bin] CONVERTED TO [ch0.bin00]", IDOK)
      .Box("Info", "FILE(S) NOT CONVERTED", IDOK)             // no channel: not the earlier success
      .Box("Info", "OPTION NOT CURRENTLY AVAILABLE", IDOK)    // NetCDF, once, no file touched
      .Box("Info", "OPTION NOT CURRENTLY AVAILABLE", IDOK);   // SEQ FFT
  WithDialog([&](HWND d) {
    drv::SetCheck(d, IDC_CNV_CHECK0, true);
    drv::Click(d, OSI_SCALE);
    drv::SetCheck(d, IDC_CNV_CHECK0, false);
    drv::Click(d, OSI_SCALE);
    drv::SetCheck(d, IDC_CNV_CHECK0, true);
    drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "ch0.bin");
    drv::TypeAndCommit(d, IDC_CNV_EXT, "");
    drv::Click(d, IDC_CNV_NETCDF);
    drv::Click(d, IDC_CNV_SEQFFT);
    drv::Click(d, IDCANCEL);
  });
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("ch0.bin"), (std::vector<float>{1, 2}));
  EXPECT_STREQ(Cnv.Out_Ext, "");
  EXPECT_STREQ(Cnv.Out_Flnm[0][0], "ch0.bin");
}

// SEQ COADD over a file shorter than one sequence co-adds nothing: written over its
// own input it fails and the input stays; under another name the empty average is
// the output.
TEST_F(FileConversionDialogTest, SeqCoaddWithNothingCoaddedKeepsAnInputNamedAsItsOutput) {
  const std::vector<float> g(40, 2.0f);
  WriteValues<float>("g.bin", g);
  StrCopy(Dsp.Chn_Flnm[0], "g.bin");
  drv::Answers answers;
  for (const char* out : {"g.bin", "h.bin"}) {
    answers.Box("Question", "SEQ COADD OPERATION\n\nCOADD OVER SEQUENCES=[1]*", IDNO);
    if (std::string(out) == "g.bin")
      answers.Box("Question", "I/O FILENAMES ARE IDENTICAL\n\n[g.bin]\n\nOVERWRITE INPUT FILE?", IDYES);
    answers.Box("Warning", "SEQUENCE COADD FILE OPERATION\n\nPREMATURE EOF IN [g.bin]*", IDOK)
        .Box("Warning", "SEQUENCE COADD FILE OPERATION (SINGLE SEG)*SEQ AVERAGES WRITTEN=[0]", IDOK);
    if (std::string(out) == "g.bin")
      answers.Box("Info", "FILE(S) NOT CONVERTED", IDOK);
    else
      answers.Box("Info", "[g.bin] CONVERTED TO [h.bin]", IDOK);
  }
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_EXT, ""));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_PTSAVE, "100"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "g.bin"));
    EXPECT_TRUE(drv::Click(d, OSI_SEQCOADD));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "h.bin"));
    EXPECT_TRUE(drv::Click(d, OSI_SEQCOADD));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.Failures().empty()) << ::testing::PrintToString(answers.Failures());
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("g.bin"), g);
  EXPECT_TRUE(std::filesystem::exists("h.bin"));
  EXPECT_TRUE(ReadValues<float>("h.bin").empty());
}

// CROSS CORR correlates the first two checked channels into the average-output name,
// after the length and step questions, and shows the table of shifts.
TEST_F(FileConversionDialogTest, CrossCorrelationOfTheTwoCheckedChannels) {
  // A peak on a flat baseline, one point later in the second file: moved to their
  // minima, the traces meet only at lag +1.
  std::vector<float> a(64, 1.0f), b(64, 1.0f);
  a[30] = 3.0f;
  b[31] = 3.0f;
  WriteValues("ch0.bin", a);
  WriteValues("ch1.bin", b);
  WriteValues<float>("ch2.bin", {1});
  StrCopy(Dsp.Chn_Flnm[0], "ch0.bin");
  StrCopy(Dsp.Chn_Flnm[1], "ch1.bin");
  StrCopy(Dsp.Chn_Flnm[2], "ch2.bin");
  drv::Answers answers;
  answers.Box("Info", "CROSS CORRELATION\n\nONLY TWO FILES REQUIRED FOR CROSS CORRELATION\n\n[ch2.bin] NOT "
                      "USED\n\nCONTINUING", IDOK)
      .Box("Question", "CROSS CORRELATION\n\nOUTPUT FILE LENGTH\n\nAVERAGE 2 POINTS TO MAKE LENGTH SAME AS INPUT "
                       "[YES] | TWICE INPUT LENGTH [NO]?", IDNO)
      .Box("Question", "CROSS CORRELATION\n\nSHIFT BASELINE STEPS=[1]\nDAMPING=[0.010000]\n\nCONTINUE [YES] | "
                       "ABORT [NO]", IDYES)
      .Box("Info", "CROSS CORRELATION\n\nBASELINE OFFSETS DEFINED AT MIN OF [ch0.bin] & [ch1.bin]", IDOK)
      .Box("Info", "[1] CC FILE SHIFT - SHIFTS\n*", IDOK);
  WithDialog([&](HWND d) {
    for (int c = 0; c < 3; ++c) EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + c, true));
    EXPECT_TRUE(drv::Click(d, IDC_CNV_CROSSCORR));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_TRUE(answers.AllAnswered());
  const std::vector<float> curve = ReadValues<float>("AveBinF");
  ASSERT_EQ(curve.size(), 129u);
  EXPECT_EQ(std::max_element(curve.begin(), curve.end()) - curve.begin(), 65);
  EXPECT_FALSE(std::filesystem::exists("ch0.bino"));
}

// Names the buttons make from a channel's names (EXT after an output named as its
// input, the Allan and pulse-height text files, the cross-correlation's moved copies)
// that would not fit their 200-character fields are refused with a warning naming
// them, before any file is written.
TEST_F(FileConversionDialogTest, ANameTooLongWithItsSuffixIsRefusedBeforeAnyFileIsWritten) {
  const std::string same(199, 'e'), allan(193, 'a'), pulses(194, 'p'), first(198, 'x'), second(198, 'y');
  for (const std::string& name : {same, first, second, std::string("in.bin")}) WriteValues<float>(name, {1, 2, 3, 4});
  const std::vector<std::string> before = qvtest::FileNames();
  struct Channel {
    int c;
    std::string file, out;
  };
  const std::vector<std::tuple<int, std::vector<Channel>, std::string>> cases = {
      {OSI_SCALE, {{1, same, same}}, same + "00"},
      {OSI_ALLAN_VAR, {{1, "in.bin", allan}}, allan + "LIN.txt"},
      {OSI_PMT_DISC, {{1, "in.bin", pulses}}, pulses + "_SN.txt"},
      {IDC_CNV_CROSSCORR, {{1, first, first}, {2, second, second}}, first + "o1"}};
  for (const auto& [button, channels, name] : cases) {
    SCOPED_TRACE(button);
    for (const Channel& ch : channels) {
      StrCopy(Dsp.Chn_Flnm[ch.c], ch.file.c_str());
      StrCopy(Cnv.Out_Flnm[0][ch.c], ch.out.c_str());
    }
    std::vector<std::string> boxes;
    platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
      boxes.push_back(box.caption + "|" + box.text);
      return (box.style & 0xF) == MB_YESNO ? IDYES : IDOK;
    });
    WithDialog([&](HWND d) {
      for (int c = 0; c < 9; ++c)
        EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + c, c == 1 || (c == 2 && channels.size() == 2)));
      EXPECT_TRUE(drv::Click(d, button));
      EXPECT_TRUE(drv::Click(d, IDCANCEL));
    });
    platform::SetBoxAnswerer(nullptr);
    const std::string refused = "Warning|FILE NAME [" + name + "] TOO LONG\n\nABORTING";
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), refused), 1) << ::testing::PrintToString(boxes);
    EXPECT_EQ(qvtest::FileNames(), before);
  }
  EXPECT_EQ(ReadValues<float>(same), (std::vector<float>{1, 2, 3, 4}));
}

// One press runs every checked channel with the values typed, whatever a channel's run
// writes back into the slot: SIZE OUT -2 doubles both channels (the slot then holds the
// last size written, as a single resize leaves it), and SEQ DUP with PTS TO AVE 3000
// makes 3000 points of each, counting the copies of each channel anew.
TEST_F(FileConversionDialogTest, EveryCheckedChannelRunsWithTheValuesTyped) {
  std::vector<float> a(1000), b(3000);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<float>(i);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<float>(i % 7);
  WriteValues("a.bin", a);
  WriteValues("b.bin", b);
  StrCopy(Dsp.Chn_Flnm[0], "a.bin");
  StrCopy(Dsp.Chn_Flnm[1], "b.bin");
  std::vector<std::string> boxes;
  const platform::BoxAnswerer previous = platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    boxes.push_back(box.caption + "|" + box.text);
    return IDOK;
  });
  std::string sizeOut;
  std::vector<size_t> resized, duplicated;
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0, true));
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + 1, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_SZOUT, "-2"));
    EXPECT_TRUE(drv::Click(d, OSI_RESIZE));
    resized = {ReadValues<float>("a.bin00").size(), ReadValues<float>("b.bin00").size()};
    sizeOut = drv::Text(d, IDC_CNV_SZOUT);
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_PTSAVE, "3000"));
    EXPECT_TRUE(drv::Click(d, OSI_SEQDUP));
    duplicated = {ReadValues<float>("a.bin00").size(), ReadValues<float>("b.bin00").size()};
    drv::Click(d, IDCANCEL);
  });
  platform::SetBoxAnswerer(previous);
  EXPECT_EQ(resized, (std::vector<size_t>{2000, 6000}));
  EXPECT_EQ(sizeOut, "6000");
  EXPECT_EQ(duplicated, (std::vector<size_t>{3000, 3000}));
  EXPECT_EQ(ReadValues<float>("b.bin00"), b);
  for (const std::string& box : boxes) {
    EXPECT_NE(box.rfind("Error|", 0), 0u) << box;
    EXPECT_EQ(box.find("ABORTING"), std::string::npos) << box;
  }
}

TEST_F(FileConversionDialogTest, FieldsAreStoredInTheirReadFormsAndCancelKeepsTheRest) {
  std::string lowStyleOff, lowStyleOn;
  INT_PTR result = WithDialog([&](HWND d) {
    EXPECT_EQ(drv::Text(d, IDC_CNV_RATE), "2.0000000000");
    EXPECT_EQ(drv::Text(d, IDC_CNV_STPIN), "1.000000e+00");
    EXPECT_EQ(drv::Text(d, IDC_CNV_OUTNAME0 + 4), "Nothing");
    const bool readOnlyOff = (GetWindowLongPtr(GetDlgItem(d, IDC_CNV_LOWLIM), GWL_STYLE) & ES_READONLY) != 0;
    drv::Click(d, IDC_CNV_STAT);
    const bool readOnlyOn = (GetWindowLongPtr(GetDlgItem(d, IDC_CNV_LOWLIM), GWL_STYLE) & ES_READONLY) != 0;
    EXPECT_TRUE(readOnlyOff);
    EXPECT_FALSE(readOnlyOn);
    drv::TypeText(d, IDC_CNV_NSTPS, "-20");
    drv::TypeText(d, IDC_CNV_DAMP, "-1");
    drv::TypeText(d, IDC_CNV_LOWLIM, "12x");
    drv::TypeAndCommit(d, IDC_CNV_PTSAVE, "abc");            // no value: unchanged
    drv::TypeAndCommit(d, IDC_CNV_AVENAME, "  two words ");  // a name is its first word
    drv::TypeAndCommit(d, IDC_CNV_INNAME0 + 5, "new.bin");
    drv::TypeAndCommit(d, IDC_CNV_STPIN, "0");               // zero step: the FSR
    drv::TypeAndCommit(d, IDC_CNV_LVLHI, "-0.5");
    drv::Click(d, IDC_CNV_APPLY);
    drv::TypeText(d, IDC_CNV_SCALAR, "9");
    drv::Click(d, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(Cnv.Lim_Stat[0], 1);
  EXPECT_EQ(Cnv.NStps[0], -7);
  EXPECT_EQ(Cnv.Damp[0], 0.0);
  EXPECT_EQ(Win.Pt_Lim[0][0], 12);
  EXPECT_EQ(Cnv.Pts_Ave[0], 1);
  EXPECT_STREQ(Cnv.Ave_Flnm, "two");
  EXPECT_STREQ(Dsp.Chn_Flnm[5], "new.bin");
  EXPECT_EQ(Cnv.Rsz_StpIn[0], Dsp.FSR);
  EXPECT_EQ(Cnv.Rsz_Mode[0], 0u);
  EXPECT_EQ(Cnv.Pmt_LvlHi, -0.5);
  EXPECT_EQ(Cnv.Scalar[0], 1.0f);  // typed, never stored
}

TEST_F(FileConversionDialogTest, NameButtonsAndOpenOnTheCurrentChannel) {
  StrCopy(Dsp.Data_Dir, dir_.Path().string().c_str());
  StrCopy(Dsp.Chn_Flnm[0], "a12.bin");
  StrCopy(Dsp.Chn_Flnm[1], "b7x3.bin");
  WriteValues<float>("empty.bin", {});
  drv::Answers answers;
  answers.File((dir_.Path() / "empty.bin").string());
  WithDialog([&](HWND d) {
    drv::Click(d, IDC_CNV_NUMSUB);  // the first number of each output name becomes EXT
    EXPECT_EQ(drv::Text(d, IDC_CNV_OUTNAME0), "a00.bin");
    EXPECT_EQ(drv::Text(d, IDC_CNV_OUTNAME0 + 1), "b00x3.bin");
    drv::Click(d, IDC_CNV_OUT2IN);
    EXPECT_EQ(drv::Text(d, IDC_CNV_INNAME0 + 1), "b00x3.bin");
    drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "c.bin");
    drv::Click(d, IDC_CNV_IN2OUT);
    EXPECT_EQ(drv::Text(d, IDC_CNV_OUTNAME0), "a00.bin");
    drv::Click(d, IDC_CNV_OPEN);                         // no current channel: nothing
    drv::Click(d, IDC_CNV_CHECK0 + 2);                  // row 2 becomes the current channel
    EXPECT_TRUE(drv::IsChecked(d, IDC_CNV_CHECK0 + 2));
    drv::Click(d, IDC_CNV_OPEN);                         // an empty file: the row is cleared
    EXPECT_EQ(drv::Text(d, IDC_CNV_INNAME0 + 2), "empty.bin");
    EXPECT_FALSE(drv::IsChecked(d, IDC_CNV_CHECK0 + 2));
    drv::Click(d, IDCANCEL);
  });
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "a00.bin");
  EXPECT_STREQ(Dsp.Chn_Flnm[2], "empty.bin");
  EXPECT_EQ(Cnv.Cnv_Stat[2], 0u);
}

// A name typed into IN FLNM while a view run builds (no view files yet) or reads
// (view files there) the channel's views: nothing is reported, the channel stays on,
// and no view file of the old file is ever stored under the new name.
TEST_F(FileConversionDialogTest, AChannelNameTypedWhileAViewRunWorksOnTheChannel) {
  StrCopy(Dsp.Data_Dir, dir_.Path().string().c_str());
  qvtest::CreateTestMainWindow("FILE CONVERSION VIEW TEST");
  WriteValues<float>("old.bin", std::vector<float>(30000, 1.0f));
  WriteValues<float>("new.bin", std::vector<float>(30000, 2.0f));
  qvtest::HeldViewRun::Make();
  const auto viewIdle = [] {
    return ThreadCtl.View_Running == 0 && ThreadCtl.View_Request == 0 && ThreadCtl.View_Busy == 0;
  };
  for (bool viewsThere : {false, true}) {
    SCOPED_TRACE(viewsThere ? "reading" : "building");
    std::filesystem::remove_all(dir_.Path() / "QV95OIM");
    StrCopy(Dsp.Chn_Flnm[0], "old.bin");
    Dsp.Chn_DspStat[0] = 1;
    Win.Active_Chn = 0;
    Win.Page_Width = 300;
    Win.ViewPageType = 0;
    Win.ViewPrep = 1;
    if (viewsThere) {
      DisplayQviQvoSetup(nullptr);  // old.bin's views, up to date
      ASSERT_TRUE(std::filesystem::exists("QV95OIM/old.bin.QVOm"));
    }
    platform::ClearBoxLog();
    ThreadCtl.View_FilesHook = &qvtest::HeldViewRun::Hook;
    ThreadCtl.View_Busy = 1;
    ASSERT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
    WithDialog([&](HWND d) {
      ASSERT_TRUE(drv::PumpUntil(qvtest::HeldViewRun::Reached, 60000));
      drv::TypeAndCommit(d, IDC_CNV_INNAME0, "new.bin");
      SetEvent(qvtest::HeldViewRun::go);
      EXPECT_TRUE(drv::PumpUntil(viewIdle, 60000));
      drv::Click(d, IDCANCEL);
    });
    ThreadCtl.View_FilesHook = nullptr;
    ASSERT_EQ(WaitForSingleObject(ThreadCtl.View_Thread, 60000), WAIT_OBJECT_0);
    EXPECT_STREQ(Dsp.Chn_Flnm[0], "new.bin");
    EXPECT_EQ(Dsp.Chn_DspStat[0], 1u);
    EXPECT_TRUE(platform::BoxLog().empty()) << platform::BoxLog()[0].text;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / "QV95OIM")) {
      if (entry.path().filename().string().rfind("new.bin", 0) != 0) continue;
      const std::vector<float> values = ReadValues<float>(entry.path().string());
      EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](float v) { return v == 2.0f; })) << entry.path();
    }
  }
  for (int16_t c = 0; c <= 8; ++c) DisplayViewArraysFree(c);
  DestroyWindow(Win.hWnd_Main);
  qvtest::HeldViewRun::Close();
}

// A stand-in for the operation sequence that writes its output in whole records and
// stops between records when asked.
std::atomic<int> g_records{0};
DWORD FakeSequence(void*) {
  for (int i = 0; i < 100000 && ThreadCtl.OpSeq_Stop == 0; ++i) {
    std::vector<float> record(1000, static_cast<float>(i));
    std::ofstream out("seq.out", std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(record.data()), 4000);
    g_records++;
    Sleep(1);
  }
  return 7;
}

TEST_F(FileConversionDialogTest, OpSeqStopsTheRunningSequenceBetweenItsWrites) {
  g_records = 0;
  HANDLE thread = CreateThread(&FakeSequence, nullptr, nullptr);
  ASSERT_NE(thread, nullptr);
  ThreadCtl.OpSeq_Thread = thread;
  ThreadCtl.OpSeq_Alive = 1;
  ThreadCtl.OpSeq_Running = 0;  // cleared by a failed command: the sequence still runs
  while (g_records < 3) Sleep(1);
  drv::Answers answers;
  answers.Box("Question", "OPSEQ THREAD RUNNING\n\n*", IDYES).Box("Question", "OPSEQ THREAD RUNNING\n\n*", IDCANCEL);
  WithDialog([&](HWND d) {
    drv::Click(d, IDC_CNV_OPSEQ);  // continue
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    drv::Click(d, IDC_CNV_OPSEQ);  // abort the thread only
    drv::Click(d, IDCANCEL);
  });
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 7u);  // it ended on its own, not killed
  EXPECT_EQ(ThreadCtl.OpSeq_Alive, 0u);
  EXPECT_EQ(std::filesystem::file_size("seq.out") % 4000, 0u);
  ThreadCtl.OpSeq_Stop = 1;
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  ThreadCtl.OpSeq_Thread = nullptr;
}

// OP SEQ and then ABORT THREAD ONLY while a pool of one worker aligns a series that
// would keep it busy for a minute (its notes flood the message window, which slows it
// down a second every 50 lines): the stop reaches the worker at its next block, so the
// dialog answers at once, with no pause after the fan-out and no failure box. The
// parents are whole and every output there is whole; none is left half written. The
// next OP SEQ runs a pool whole, and a stop that comes in the pause after its fan-out,
// or in REPACK_FILE's pause, ends that pause at once and runs no further command.
TEST_F(FileConversionDialogTest, OpSeqAbortReachesThePoolWorkersAtOnce) {
  constexpr int kSeq = 256;
  constexpr int kParents = 300;
  std::vector<std::vector<float>> parents;
  for (int k = 0; k < kParents; ++k) {
    std::vector<float> v(4 * kSeq);
    for (int i = 0; i < 4 * kSeq; ++i) {
      const double t = (i % kSeq - (i / kSeq * 3 + k) % 7) * 4e-3;
      v[static_cast<size_t>(i)] = static_cast<float>(std::sin(t * (40.0 + 300.0 * t)));
    }
    WriteValues(StrPrintf("cc%03d", k), v);
    if (k < 4) WriteValues(StrPrintf("dd%03d", k), v);
    parents.push_back(std::move(v));
  }
  WriteValues("a.bin", std::vector<float>(64, 1.0f));
  std::vector<double> pauses;
  std::ofstream("OpASeq100.dat", std::ios::binary)
      << "SEQCCFILEFIX\r\n-1 cc al old aves 256 0 -8 0.01 1 16 240 0 1 0 3 0 3 0\r\n";
  const RavFileFixRoutine previous = RavSetFileFixRoutine(nullptr);
  CrossCorrInstallPoolRoutine();
  std::mutex boxesLock;
  std::vector<std::string> boxes;
  const platform::BoxAnswerer answerer = platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    if (box.text.find("EDIT USING") != std::string::npos) return IDCANCEL;          // run it as it is
    if (box.text.find("OPSEQ THREAD RUNNING") != std::string::npos) return IDCANCEL;  // abort the thread only
    const std::lock_guard<std::mutex> lock(boxesLock);
    if (box.caption != "Info") boxes.push_back(box.caption + "|" + box.text);  // the averages' notes aside
    return IDOK;
  });
  double answered = -1.0;
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_CNV_OPSEQ));
    // Far enough for the notes to flood the window.
    ASSERT_TRUE(drv::PumpUntil([] { return std::filesystem::exists("al010Ave"); }, 120000));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(drv::Click(d, IDC_CNV_OPSEQ));
    answered = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Runs the command file and stops it once the message window shows the note.
    auto stopAtNote = [&](const std::string& commands, const char* note) {
      std::ofstream("OpASeq100.dat", std::ios::binary) << commands;
      EXPECT_TRUE(drv::Click(d, IDC_CNV_OPSEQ));
      EXPECT_TRUE(drv::PumpUntil(
          [&] { return Dsp.Msg_Hwnd && drv::Text(Dsp.Msg_Hwnd, IDC_DSP_MSG_TEXT).find(note) != std::string::npos; },
          60000));
      const auto stop = std::chrono::steady_clock::now();
      EXPECT_TRUE(drv::Click(d, IDC_CNV_OPSEQ));
      pauses.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - stop).count());
    };
    stopAtNote("SEQCCFILEFIX\r\n-2 dd bl bold baves 256 0 -8 0.01 1 16 240 0 1 0 3 0 3 0\r\nSCALE\r\n-1 a.bin s1.bin 2\r\n",
               "RAV THREADS COMPLETE");
    stopAtNote("REPACK_FILE\r\n-1 a.bin r.bin 1 16 2 16\r\nSCALE\r\n-1 a.bin s2.bin 2\r\n", "REPACK OF");
    drv::Click(d, IDCANCEL);
  });
  platform::SetBoxAnswerer(answerer);
  RavSetFileFixRoutine(previous);
  EXPECT_LT(answered, 2.5);
  ASSERT_EQ(pauses.size(), 2u);
  EXPECT_LT(pauses[0], 1.0);
  EXPECT_LT(pauses[1], 1.0);
  EXPECT_EQ(std::filesystem::file_size("r.bin"), 4u * 32);  // written whole before its pause
  EXPECT_FALSE(std::filesystem::exists("s1.bin") || std::filesystem::exists("s2.bin"));
  for (int k = 0; k < 4; ++k) EXPECT_EQ(std::filesystem::file_size(StrPrintf("bl%03dAve", k)), 4u * kSeq) << k;
  EXPECT_EQ(ThreadCtl.OpSeq_Alive, 0u);
  EXPECT_TRUE(boxes.empty()) << ::testing::PrintToString(boxes);
  int done = 0;
  for (const std::string& name : qvtest::FileNames()) {
    EXPECT_NE(name[0], '.') << name;  // no temporary file left
    EXPECT_NE(name.rfind("__qv", 0), 0u) << name;
    if (name.size() == 8 && name.rfind("al", 0) == 0 && name.rfind("Ave") == 5) ++done;
    // Every aligned sequence and average there is whole.
    if (name.rfind("al", 0) == 0 && name.find("AveCat") == std::string::npos) {
      EXPECT_EQ(std::filesystem::file_size(name), 4u * kSeq) << name;
    }
  }
  EXPECT_GE(done, 11);
  EXPECT_LT(done, kParents / 2);
  for (int k = 0; k < kParents; ++k)
    ASSERT_EQ(ReadValues<float>(StrPrintf("cc%03d", k)), parents[static_cast<size_t>(k)]) << k;
}

// OP SEQ pressed while a sequence runs stores the dialog's fields: the run goes on with
// the fields it started with (its '?' stays the number it started with), and what the
// run itself sets reaches the dialog's record.
TEST_F(FileConversionDialogTest, OpSeqStoresTheDialogWhileTheSequenceWorksOnItsOwnCopy) {
  WriteValues<float>("a.bin", {1, -2, 3});
  std::ofstream("OpASeq100.dat", std::ios::binary)
      << "SCALE\r\n-1 a.bin b?.bin 2.5\r\nSTART [-X] next\r\nSQR\r\n-1 a.bin c?.bin\r\n";
  const DWORD sleepLimit = platform::SetSleepLimit(0);  // SCALE's pause
  std::atomic<bool> asked{false}, stored{false};
  std::vector<std::string> boxes;
  std::mutex boxesLock;
  platform::BoxAnswerer previous = platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    {
      std::lock_guard<std::mutex> lock(boxesLock);
      boxes.push_back(box.text);
    }
    if (box.text.find("EDIT USING") != std::string::npos) return IDCANCEL;  // run it as it is
    if (box.text.find("PERFORM OPERATION(S)") != std::string::npos) {        // on the sequence's thread
      asked = true;
      while (!stored) Sleep(1);
      return IDYES;
    }
    if (box.text.find("OPSEQ THREAD RUNNING") != std::string::npos) return IDYES;  // continue the thread
    return IDOK;
  });
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_CNV_OPSEQ));
    ASSERT_TRUE(drv::PumpUntil([&] { return asked.load(); }, 60000));
    EXPECT_EQ(Cnv.Scalar[1], 2.5f);  // handed back after SCALE
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OPSEQSUB, "200"));
    EXPECT_TRUE(drv::Click(d, IDC_CNV_OPSEQ));
    stored = true;
    EXPECT_TRUE(drv::PumpUntil([] { return ThreadCtl.OpSeq_Alive == 0; }, 60000));
    drv::Click(d, IDCANCEL);
  });
  platform::SetBoxAnswerer(previous);
  platform::SetSleepLimit(sleepLimit);
  WaitForSingleObject(ThreadCtl.OpSeq_Thread, 60000);
  EXPECT_EQ(ReadValues<float>("b100.bin"), (std::vector<float>{2.5f, -5.0f, 7.5f}));
  EXPECT_EQ(ReadValues<float>("c100.bin"), (std::vector<float>{1, 4, 9}));
  EXPECT_FALSE(std::filesystem::exists("c200.bin"));
  EXPECT_STREQ(Cnv.OpSeq_Sub, "200");
  EXPECT_EQ(Cnv.Scalar[1], 1.0f);  // SQR sets it
  EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(),
                          [](const std::string& b) { return b.find("OPSEQ THREAD RUNNING") != std::string::npos; }),
            1);
}

TEST_F(FileConversionDialogTest, CutOutAndAsciiOutputAnswerTheirQuestions) {
  std::vector<float> ramp(100);
  for (int i = 0; i < 100; ++i) ramp[static_cast<size_t>(i)] = static_cast<float>(i);
  WriteValues<float>("ch0.bin", ramp);
  StrCopy(Dsp.Chn_Flnm[0], "ch0.bin");
  Dsp.Init_Frq = 10.0;
  Dsp.Frq_Stp = 1.0;
  Dsp.Chn_Scalar[0] = 2.0;
  drv::Answers answers;
  answers.Box("Question", "CUT OUT SECTION FILE OPERATION\n\nEXCLUDE UPPER END POINT [YES] | [NO]?", IDYES)
      .Box("Info", "[ch0.bin] CONVERTED TO [cut.bin]\n\nOVER LIMITS FROM [10] TO [20]", IDOK)
      .Box("Question", "BINARY TO ASCII CONVERSION\n\nAPPLY DISPLAY SCALAR & OFFSET [YES] OR\nUSE ORIGINAL DATA [NO]?",
           IDYES)
      .Box("Info", "[ch0.bin] CONVERTED TO [out.txt]\n\nOVER LIMITS FROM [10] TO [20]", IDOK)
      .Box("Question", "BINARY TO ASCII CONVERSION*", IDNO)
      .Box("Question", "WRITE DATA FROM\n\nCURRENTLY DISPLAYED (AVERAGED) VIEW*", IDYES)
      .Box("Warning", "OSIFile()\n\nB2A\n\nCHN [0] [ch0.bin] HAS NO VIEW [LOW] TO WRITE\n\nABORTING", IDOK)
      .Box("Info", "FILE(S) NOT CONVERTED", IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0, true));
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_STAT, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_LOWLIM, "10"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_HIGHLIM, "20"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "cut.bin"));
    EXPECT_TRUE(drv::Click(d, OSI_CUTSECT));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "out.txt"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_PTSAVE, "5"));
    EXPECT_TRUE(drv::Click(d, OSI_ASCII_OUTPUT));
    // The displayed view asked for while the channel has none built: refused with a
    // box that says so, and the table written above stays as it was.
    Dsp.Chn_DspStat[0] = 1;
    Win.View_Level = 0;
    EXPECT_TRUE(drv::Click(d, OSI_ASCII_OUTPUT));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  std::vector<float> section(ramp.begin() + 10, ramp.begin() + 20);
  EXPECT_EQ(ReadValues<float>("cut.bin"), section);  // YES: the upper end point left out
  std::ifstream text("out.txt", std::ios::binary);
  std::string table((std::istreambuf_iterator<char>(text)), std::istreambuf_iterator<char>());
  EXPECT_EQ(table, StrPrintf("%-16.8f %-16.12f \r\n%-16.8f %-16.12f \r\n", 22.0, 24.0, 27.0, 34.0));
}

// FFT SMOOTH fails, naming the point, when a block whose smoothed values are written
// holds a value that is missing (not a number, an infinity, 1e18 or more): the
// transform would spread it over the block. The input and the older output stay. A
// missing value only in a block whose values lie outside the range does not matter.
TEST_F(FileConversionDialogTest, FftSmoothRefusesABlockWithAMissingValue) {
  std::vector<float> wave(200000);
  for (size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<float>(2.0 + std::sin(static_cast<double>(i) * 0.01));
  StrCopy(Dsp.Chn_Flnm[0], "sm.bin");
  WriteValues<float>("smo.bin", {7.0f});
  const std::string head = "OSIFile()\n\nFFT FILE OPERATION\n\nINPUT FILE [sm.bin]\n\nPOINT [100000] HAS NO VALUE [";
  drv::Answers answers;
  answers.Box("Warning", head + "NAN]\n\nABORTING", IDOK)
      .Box("Info", "FILE(S) NOT CONVERTED", IDOK)
      .Box("Warning", head + "1E+19]\n\nABORTING", IDOK)
      .Box("Info", "FILE(S) NOT CONVERTED", IDOK)
      .Box("Info", "[sm.bin] CONVERTED TO [smo.bin]\n\nOVER LIMITS FROM [1000] TO [60000]", IDOK);
  std::vector<std::vector<float>> inputs;
  for (const float missing : {std::nanf(""), 1e19f, std::numeric_limits<float>::infinity()}) {
    inputs.push_back(wave);
    inputs.back()[100000] = missing;
  }
  std::vector<std::vector<float>> kept;  // the input and the output after each failure
  const auto keep = [&] {
    kept.push_back(ReadValues<float>("sm.bin"));
    kept.push_back(ReadValues<float>("smo.bin"));
  };
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "smo.bin"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_FFTWIN, "4"));
    WriteValues<float>("sm.bin", inputs[0]);
    EXPECT_TRUE(drv::Click(d, OSI_SMOOTH));
    keep();
    // The range 70,000 .. 90,000 shares its block with point 100,000.
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_STAT, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_LOWLIM, "70000"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_HIGHLIM, "90000"));
    WriteValues<float>("sm.bin", inputs[1]);
    EXPECT_TRUE(drv::Click(d, OSI_SMOOTH));
    keep();
    // The range 1,000 .. 60,000 is written from the first block alone.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_LOWLIM, "1000"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_HIGHLIM, "60000"));
    WriteValues<float>("sm.bin", inputs[2]);
    EXPECT_TRUE(drv::Click(d, OSI_SMOOTH));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  ASSERT_EQ(kept.size(), 4u);
  for (size_t k = 0; k < 2; ++k) {
    ASSERT_EQ(kept[2 * k].size(), wave.size()) << k;
    EXPECT_EQ(std::memcmp(kept[2 * k].data(), inputs[k].data(), wave.size() * 4), 0) << k;
    EXPECT_EQ(kept[2 * k + 1], std::vector<float>{7.0f}) << k;
  }
  const std::vector<float> out = ReadValues<float>("smo.bin");
  ASSERT_EQ(out.size(), wave.size());
  for (size_t i = 1000; i < 60000; ++i) ASSERT_NEAR(out[i], wave[i], 1e-3) << i;
  EXPECT_EQ(std::memcmp(out.data() + 60000, inputs[2].data() + 60000, (wave.size() - 60000) * 4), 0);
}

// DEGLITCH refuses a file with a missing value, naming it, before anything is
// written: against the smoothed copy, which spreads it, one value in five of its block
// would stand out and be replaced. The older output stays.
TEST_F(FileConversionDialogTest, DeglitchRefusesAFileWithAMissingValue) {
  std::vector<float> wave(100000);
  for (size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<float>(std::sin(static_cast<double>(i) * 0.01));
  wave[1000] = 50.0f;  // a glitch
  wave[70000] = 1e20f;
  WriteValues<float>("dg.bin", wave);
  WriteValues<float>("dgo.bin", {7.0f});
  StrCopy(Dsp.Chn_Flnm[0], "dg.bin");
  drv::Answers answers;
  answers.Box("Warning", "FFTDeglitchFile()\n\nINPUT FILE [dg.bin]\n\nPOINT [70000] HAS NO VALUE [1E+20]\n\nABORTING", IDOK)
      .Box("Info", "FILE(S) NOT CONVERTED", IDOK);
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0, true));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0, "dgo.bin"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_FFTWIN, "4"));
    EXPECT_TRUE(drv::Click(d, OSI_DEGLITCH));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadValues<float>("dgo.bin"), std::vector<float>{7.0f});
  const std::vector<float> in = ReadValues<float>("dg.bin");
  ASSERT_EQ(in.size(), wave.size());
  EXPECT_EQ(std::memcmp(in.data(), wave.data(), wave.size() * 4), 0);
}

// AVE FILES and AVEDSPFILES write the averaged-file name (OUTPUT FLNM), never the
// initial one, and refuse a ticked channel whose file is that file under another
// spelling.
TEST_F(FileConversionDialogTest, AveFilesWritesTheAveragedFileNameAndRefusesItAsAnInput) {
  WriteValues<float>("ch1.bin", {1, 2});
  WriteValues<float>("ch2.bin", {3, 6});
  WriteValues<float>("AveBinF", {9});
  StrCopy(Dsp.Chn_Flnm[1], "ch1.bin");
  StrCopy(Dsp.Chn_Flnm[2], "ch2.bin");
  StrCopy(Dsp.Chn_Flnm[3], "./myave.bin");
  const std::string include = "INCLUDE ALL VALUES IN AVERAGE [YES] | SKIP REGIONS OF ZERO AMPLITUDE [NO]?";
  drv::Answers answers;
  answers.Box("Question", include, IDYES)
      .Box("Info", "NUMBER OF FILES USED IN AVERAGE=[2]\n\nZERO VALUES EXCLUDED=[NO]", IDOK)
      .Box("Question", include, IDYES)
      .Box("Warning", "AVERAGE DISPLAY FILES\n\nI/O FILESNAMES [./myave.bin] ARE IDENTICAL FOR [3]\n\nABORTING", IDOK)
      .Box("Info", "FILE(S) NOT CONVERTED", IDOK);
  std::vector<float> first;
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_AVENAME, "myave.bin"));
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + 1, true));
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + 2, true));
    EXPECT_TRUE(drv::Click(d, IDC_CNV_AVEFILES));
    first = ReadValues<float>("myave.bin");
    EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + 3, true));
    EXPECT_TRUE(drv::Click(d, IDC_CNV_AVEFILES));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(first, (std::vector<float>{2, 4}));
  EXPECT_EQ(ReadValues<float>("myave.bin"), first);
  EXPECT_EQ(ReadValues<float>("AveBinF"), std::vector<float>{9});

  const std::vector<std::string> boxes = qvtest::RunOpSeq({"AVEDSPFILES", "3 myave?.bin 1 0 0 1 1 0 0 0 0 0 0"});
  for (const std::string& box : boxes) EXPECT_EQ(box.find("FAILED"), std::string::npos) << box;
  EXPECT_EQ(ReadValues<float>("myave100.bin"), (std::vector<float>{2, 4}));
  EXPECT_STREQ(Dsp.Chn_Flnm[3], "myave100.bin");
  EXPECT_STREQ(Cnv.Ave_Flnm, "myave100.bin");
  EXPECT_EQ(ReadValues<float>("AveBinF"), std::vector<float>{9});
}

// The same file under two spellings is the same file: an output named "./" + its
// input gets EXT as the input's own name does; LINEARIZE and ASCII2BIN refuse an
// output that is their input, and the alignment an old shift file that is its new one.
TEST_F(FileConversionDialogTest, TheSameFileUnderTwoSpellingsIsTheSameFile) {
  WriteValues<float>("ch2.bin", {10, 20});
  StrCopy(Dsp.Chn_Flnm[2], "ch2.bin");
  {
    drv::Answers answers;
    answers.Box("Info", "[ch2.bin] CONVERTED TO [./ch2.bin00]", IDOK);
    WithDialog([&](HWND d) {
      EXPECT_TRUE(drv::SetCheck(d, IDC_CNV_CHECK0 + 2, true));
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_OUTNAME0 + 2, "./ch2.bin"));
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_CNV_SCALAR, "2"));
      EXPECT_TRUE(drv::Click(d, OSI_SCALE));
      EXPECT_TRUE(drv::Click(d, IDCANCEL));
    });
    EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
    EXPECT_TRUE(answers.AllAnswered());
  }
  EXPECT_EQ(ReadValues<float>("ch2.bin"), (std::vector<float>{10, 20}));
  EXPECT_EQ(ReadValues<float>("ch2.bin00"), (std::vector<float>{20, 40}));

  std::vector<float> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i);
  WriteValues("raw.bin", ramp);
  std::ofstream("m.txt") << "100\n200\n300\n400\n";
  std::ofstream("lines.txt", std::ios::binary) << "1 2\r\n2 3\r\n3 4\r\n";
  WriteValues<float>("a000", std::vector<float>(64, 1.0f));
  WriteValues<float>("a001", std::vector<float>(64, 1.0f));
  WriteValues<float>("a_CCVals", {0.5f, 1.5f});
  const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
      {{"LINEARIZE", "-1 raw.bin ./raw.bin m.txt 50 100.0"}, "Warning|INPUT & OUTPUT FILENAMES ARE IDENTICAL\n\nABORTING"},
      {{"ASCII2BIN", "-1 lines.txt ./lines.txt 1 2 1 0 0 0 1.0"},
       "Warning|INPUT & OUTPUT [2] FILES [./lines.txt] HAVE THE SAME NAME\n\nABORTING"},
      {{"SEQCCFILEFIX", "0 a b ./a_CCVals none 1 1 5 0.01 0 0 10 1 -1 0 1 0 1 0"},
       "Warning|CrossCorrSeqFileFix()\n\nFILENAMES=[a_CCVals] OF OLD CC SHIFT VALUES & NEW CC SHIFT VALUES MUST BE "
       "DIFFERENT\n\nABORTING"}};
  for (const auto& [lines, refusal] : runs) {
    const std::vector<std::string> boxes = qvtest::RunOpSeq(lines);
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), refusal), boxes.end()) << ::testing::PrintToString(boxes);
  }
  EXPECT_EQ(ReadValues<float>("raw.bin"), ramp);
  std::ifstream kept("lines.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()), "1 2\r\n2 3\r\n3 4\r\n");
  EXPECT_EQ(ReadValues<float>("a_CCVals"), (std::vector<float>{0.5f, 1.5f}));
  LFree1Dim(&Cnl.Mks_Pos);
  LFree1Dim(&Cnl.Mks_Dif);
}

}  // namespace
