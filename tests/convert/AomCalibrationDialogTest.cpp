// The AOM CALIBRATION dialog driven as a user would: the error sets, the stored
// averages, the RF calibration check table and CANCEL.
#include "convert/AomCalibrationDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "convert/calib/AomCalib.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/AomSettings.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/ThzSettings.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "resources/Menus.h"
#include "tests/support/ScriptMain.h"
#include "tests/support/TempDir.h"

namespace {

namespace drv = platform::driver;

class AomCalibrationDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AomRFCalibFree();
    Cnv = CnvRecord{};
    Cnl = CnlRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    ThzSettings = ThzSettingsRecord{};
    AomSettings = AomSettingsRecord{};
    ThreadCtl.View_Started = 1;  // the view files are not this test's subject
    RegisterDialogResources();
    platform::ClearBoxLog();
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override {
    AomRFCalibFree();
    std::filesystem::current_path(previousFolder_);
  }

  INT_PTR WithDialog(const std::function<void(HWND)>& steps) {
    drv::ModalHandler handler([&](HWND dialog, int templateId) {
      EXPECT_EQ(templateId, IDD_AOM_CALIBRATION);
      steps(dialog);
    });
    return DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_AOM_CALIBRATION), nullptr, &AomCalibrationDialogProc);
  }

  qvtest::TempDir dir_;
  std::filesystem::path previousFolder_;
};

TEST_F(AomCalibrationDialogTest, ErrChnStoresIntoTheOldSetThenShowsTheNew) {
  INT_PTR result = WithDialog([&](HWND d) {
    EXPECT_EQ(drv::ListSelection(d, IDC_AOM_ERRCHN), 0);
    EXPECT_TRUE(drv::IsChecked(d, IDC_AOM_ERR0 + 4));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_ERRMIN, "-2.5"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_ERRZERO, "0.25"));
    EXPECT_TRUE(drv::SelectRow(d, IDC_AOM_ERRCHN, 1));
    EXPECT_EQ(drv::Text(d, IDC_AOM_ERRMIN), "-1.000000");
    EXPECT_EQ(drv::Text(d, IDC_AOM_ERRZERO), "0.000000");
    EXPECT_TRUE(drv::IsChecked(d, IDC_AOM_ERR0 + 6));  // set 1's channel
    EXPECT_FALSE(drv::IsChecked(d, IDC_AOM_ERR0 + 4));
    // A click in the ERR column now sets set 1's channel.
    EXPECT_TRUE(drv::ChooseRadio(d, IDC_AOM_ERR0 + 3));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(AomSettings.ErrMinV[0], -2.5);
  EXPECT_EQ(AomSettings.ErrZeroV[0], 0.25);
  EXPECT_EQ(AomSettings.ErrMinV[1], -1.0);
  EXPECT_EQ(AomSettings.ErrSet, 1);
  EXPECT_EQ(AomSettings.ErrChn, 4);
  EXPECT_EQ(AomSettings.Err2Chn, 3);
}

TEST_F(AomCalibrationDialogTest, ErrMinZeroTakesTheStoredAveragesOfTheErrorChannel) {
  Win.Chn_Ave1[4] = -0.75;
  Win.Chn_Ave2[4] = 0.5;
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_ERRMIN, "0"));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_APPLY));
    EXPECT_EQ(drv::Text(d, IDC_AOM_ERRMIN), "-0.750000");
    EXPECT_EQ(drv::Text(d, IDC_AOM_ERRMAX), "0.500000");
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_EQ(AomSettings.ErrMinV[0], -0.75);
  EXPECT_EQ(AomSettings.ErrMaxV[0], 0.5);
}

TEST_F(AomCalibrationDialogTest, StatWritesTheCheckTableOfTheLinearRampAndRampNameTurnsItOff) {
  WithDialog([&](HWND d) {
    EXPECT_FALSE(drv::IsChecked(d, IDC_AOM_RAMPSTAT));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_RAMPSTAT));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  // No "AomRamp.dat": the linear calibration from RF LOW..HIGH over VOLT LOW..HIGH.
  ASSERT_TRUE(std::filesystem::exists(AOM_RAMP_TEST_NAME));
  std::ifstream in(AOM_RAMP_TEST_NAME, std::ios::binary);
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(in, line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), 902u);
  EXPECT_EQ(lines[0], "PT     AOM VOLT     FRQ\r");
  int row = 0;
  double v = 0.0, f = 0.0;
  ASSERT_EQ(std::sscanf(lines[101].c_str(), "%d %lf %lf", &row, &v, &f), 3);
  EXPECT_EQ(row, 101);
  EXPECT_NEAR(v, 2.0, 1e-9);
  EXPECT_NEAR(f, (185.0 + (2.0 - 1.24) / (9.595 - 1.24) * 130.0) * 4.0, 0.01);
  ASSERT_EQ(std::sscanf(lines[901].c_str(), "%d %lf %lf", &row, &v, &f), 3);
  EXPECT_EQ(row, 901);
  EXPECT_NEAR(v, 10.0, 1e-9);

  AomSettings.RampStat = 1;
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::IsChecked(d, IDC_AOM_RAMPSTAT));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_AOM_RAMPNAME, "Other.dat"));
    EXPECT_FALSE(drv::IsChecked(d, IDC_AOM_RAMPSTAT));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_STREQ(AomSettings.RampFlnm, "Other.dat");
  EXPECT_EQ(AomSettings.RampStat, 0);
}

TEST_F(AomCalibrationDialogTest, RefreshShowsDerivedValuesAndCancelStoresNothing) {
  ThzSettings.BegFrq = 100.0;
  ThzSettings.EndFrq = 90.0;  // a downward scan
  Dsp.FSR = 300.0;
  Dsp.Pts_FSR = 0;
  INT_PTR result = WithDialog([&](HWND d) {
    // A step of 0 becomes 1.0, and the field shows it: a store keeps it.
    EXPECT_EQ(drv::Text(d, IDC_AOM_OUTFRQSTP), "1.0000000e+00");
    EXPECT_TRUE(drv::Click(d, IDC_AOM_APPLY));
    EXPECT_EQ(ThzSettings.OutFrqStp, 1.0);
    EXPECT_EQ(drv::Text(d, IDC_AOM_INFRQSTP), "0.0000000e+00");   // no IN file
    EXPECT_EQ(drv::Text(d, IDC_AOM_OUTRESOL), "3.000000e+02");    // FSR over 1 point
    EXPECT_EQ(drv::Text(d, IDC_AOM_NAME0 + 7), Dsp.Chn_Flnm[7]);  // an empty name shows the channel's file
    // Fields stored only by the next stored command.
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_BEGFRQ, "5"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 1, "renamed"));
    EXPECT_TRUE(drv::ChooseRadio(d, IDC_AOM_PHASE0 + 2));
    EXPECT_TRUE(drv::SetCheck(d, IDC_AOM_EO, true));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(ThzSettings.OutFrqStp, 1.0);
  EXPECT_EQ(ThzSettings.OutPts, 10u);
  EXPECT_EQ(ThzSettings.BegFrq, 100.0);
  EXPECT_EQ(AomSettings.PhaseChn, 5);
  EXPECT_EQ(AomSettings.EoStat, 0);
  EXPECT_STRNE(Cnv.Out_Flnm[0][1], "renamed");
  EXPECT_TRUE(platform::BoxLog().empty());
}

std::vector<float> ReadFloats(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> values(bytes.size() / sizeof(float));
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
  return values;
}

// A scan of three repeated sections with their wavemeter log, linearised by THZ III:
// the line at 1001.25 lands on the same output point in every section file, whatever
// the section's own point spacing. A MIN RES typed below 0 co-adds no readings.
TEST_F(AomCalibrationDialogTest, ThzThreeOnThreeSectionsPutsTheLineOnTheSamePointByScript) {
  const int points[] = {301, 401, 251};
  std::string log, repeat = "0\n";
  std::vector<float> itn;
  uint32_t at = 0;
  for (int k = 0; k < 3; ++k) {
    const double step = 3.0 / (points[k] - 1);
    for (int i = 0; i < points[k]; ++i) {
      const double f = 1000.0 + i * step;
      log += StrPrintf("%.4f %u\n", f, at + static_cast<uint32_t>(i));
      itn.push_back(static_cast<float>(0.1 + std::exp(-0.5 * std::pow((f - 1001.25) / 0.05, 2.0))));
    }
    at += static_cast<uint32_t>(points[k]);
    repeat += StrPrintf("%u\n", at);
  }
  std::ofstream("WaveFreq.dat", std::ios::binary) << log;
  std::ofstream("MksRepeat", std::ios::binary) << repeat;
  std::ofstream("Itn", std::ios::binary)
      .write(reinterpret_cast<const char*>(itn.data()), static_cast<std::streamsize>(itn.size() * sizeof(float)));
  // The operation sequence's settings: wavemeter placement of a log of one reading
  // per point.
  ThzSettings.WavePlace = 1;
  ThzSettings.PerPointLog = 1;

  const std::string script = StrPrintf(
      "menu %d\n"
      "dialog 110\n"
      "type 2318 Itn\n"
      "type 2317 Out\n"
      "radio 3318\n"
      "radio 3417\n"
      "type 3052 0.01\n"
      "type 2338 0\n"
      "type 3065 -0.5\n"
      "click 3009\n"
      "box Question \"PHASE [III]*FIX WAVEMETER FILE WITH JUMP DIFF=*\" no\n"
      "box Question \"PHASE [III]*REPEATED FILE SECTIONS PROCESSED [3]*\" yes\n"
      "box Info \"CALIBRATION COMPLETE\" ok\n"
      "expect-file Outl000 1200\n"
      "expect-file Outl001 1200\n"
      "expect-file Outl002 1200\n"
      "expect-text 2310 Outl000\n"
      "click 1\n"
      "quit\n",
      IDM_AOM_CAL);
  // The main window's AOM Calibration command opens the dialog.
  std::string failure;
  EXPECT_EQ(qvtest::RunScriptOnBareMain(
                script,
                [](HWND main, int id) {
                  if (id == IDM_AOM_CAL)
                    DialogBox(Win.hInst, MAKEINTRESOURCE(IDD_AOM_CALIBRATION), main, &AomCalibrationDialogProc);
                },
                5000, &failure),
            0)
      << failure;
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const std::vector<float> out = ReadFloats(StrPrintf("Outl%03d", k));
    ASSERT_EQ(out.size(), 300u);
    const auto peak = std::max_element(out.begin(), out.end()) - out.begin();
    EXPECT_EQ(peak, 125);
    EXPECT_NEAR(out[static_cast<size_t>(peak)], 1.1, 0.05);
  }
  EXPECT_STREQ(Cnv.Out_Flnm[0][2], "Outl002");  // the section outputs take names 0..2
  EXPECT_STREQ(Cnv.Out_Flnm[0][7], "Out");
}

// A wavemeter log with a header line, whose lines run to 362 characters (the reading,
// its position, then further columns) and which ends in a blank line: each line of the
// log is one reading, and the limits count the readings. THZ I takes the last of the
// 301 readings as the end for UPPER MK 0 and writes 301 back; limits that name no
// reading of the log are refused with their values and the log's reading count, before
// any phase runs and leaving the frequencies as they were, while the count written
// back is taken again, and so are the limits phase I writes back, by THZ I pressed
// again. THZ III repairs the log into one line per reading and puts the line at
// 1001.25 where it belongs.
TEST_F(AomCalibrationDialogTest, ThzReadsEachLongLogLineAsOneReadingAndRefusesLimitsThatNameNone) {
  constexpr int kPoints = 301;
  std::string log = "WAVEMETER LOG: FREQUENCY POSITION\n";
  std::vector<float> itn;
  for (int i = 0; i < kPoints; ++i) {
    const double f = 1000.0 + 0.01 * i;
    std::string line = StrPrintf("%.4f %d", f, i);
    while (line.size() < 362) line += " 234.5678";
    log += line.substr(0, 362) + "\n";
    itn.push_back(static_cast<float>(0.1 + std::exp(-0.5 * std::pow((f - 1001.25) / 0.05, 2.0))));
  }
  std::ofstream("WaveFreq.dat", std::ios::binary) << log << "\n";
  std::ofstream("MksRepeat", std::ios::binary) << "0\n301\n";
  std::ofstream("Itn", std::ios::binary)
      .write(reinterpret_cast<const char*>(itn.data()), static_cast<std::streamsize>(itn.size() * sizeof(float)));
  ThzSettings.PerPointLog = 1;  // one reading per point, over the whole scan
  ThzSettings.SectHi = kPoints;
  ThzSettings.WavePlace = 1;
  std::vector<std::string> boxes;
  int complete = 0;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    boxes.push_back(box.caption + "|" + box.text);
    if (box.text == "CALIBRATION COMPLETE") ++complete;
    const bool yes = box.text.find("FIX WAVEMETER FILE") != std::string::npos ||
                     box.text.find("REPEATED FILE SECTIONS PROCESSED") != std::string::npos;
    return yes ? IDYES : platform::NonDestructiveAnswer(box.style);
  });
  const std::string refused = "Warning|PHASE [0]\n\nLOWER MK=[%d] UPPER MK=[%d] NAME NO INTERVAL OF READINGS\nIN "
                              "WAVEMETER FILE [WaveFreq.dat] OF [301] READINGS\n\nCHECK LIMITS";
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 8, "Itn"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 7, "Out"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_OUTFRQSTP, "0.01"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_FFT, "0"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_FSRSCALAR, "5"));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_THZ1));
    EXPECT_EQ(complete, 1) << ::testing::PrintToString(boxes);
    EXPECT_EQ(ThzSettings.UpperMk, kPoints);
    EXPECT_DOUBLE_EQ(ThzSettings.EndFrq, 1003.0);
    EXPECT_EQ(ReadFloats("FRQ_FRQ").size(), static_cast<size_t>(kPoints));

    std::filesystem::remove("FRQ_FRQ");
    for (const auto& [lower, upper] : {std::pair{5, 800}, std::pair{400, 0}, std::pair{-1, 20}}) {
      SCOPED_TRACE(lower);
      boxes.clear();
      EXPECT_TRUE(drv::TypeText(d, IDC_AOM_LOWERMK, std::to_string(lower).c_str()));
      EXPECT_TRUE(drv::TypeText(d, IDC_AOM_UPPERMK, std::to_string(upper).c_str()));
      EXPECT_TRUE(drv::Click(d, IDC_AOM_THZ1));
      EXPECT_EQ(boxes, std::vector<std::string>{StrPrintf(refused.c_str(), lower, upper)});
      EXPECT_DOUBLE_EQ(ThzSettings.BegFrq, 1000.0);
      EXPECT_DOUBLE_EQ(ThzSettings.EndFrq, 1003.0);
      EXPECT_FALSE(std::filesystem::exists("FRQ_FRQ"));  // phase I never ran
    }
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_LOWERMK, "0"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_UPPERMK, "301"));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_THZ1));
    EXPECT_EQ(complete, 2) << ::testing::PrintToString(boxes);
    EXPECT_DOUBLE_EQ(ThzSettings.EndFrq, 1003.0);
    EXPECT_TRUE(drv::Click(d, IDC_AOM_THZ1));  // the limits phase I wrote back
    EXPECT_EQ(complete, 3) << ::testing::PrintToString(boxes);
    EXPECT_DOUBLE_EQ(ThzSettings.BegFrq, 1000.0);

    EXPECT_TRUE(drv::Click(d, IDC_AOM_THZ3));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  platform::SetBoxAnswerer(nullptr);
  EXPECT_EQ(complete, 4) << ::testing::PrintToString(boxes);
  std::ifstream repaired("WaveFreq.datF", std::ios::binary);
  std::string line;
  int lines = 0;
  while (std::getline(repaired, line)) ++lines;
  EXPECT_EQ(lines, kPoints);
  const std::vector<float> out = ReadFloats("Outl000");
  ASSERT_EQ(out.size(), 300u);
  EXPECT_EQ(std::max_element(out.begin(), out.end()) - out.begin(), 125);
}

// A wavemeter log whose first and last readings carry a minus sign (a reading the
// wavemeter flagged) is read by the magnitudes of its readings: THZ I gives the range,
// the direction and the frequency file that the log without the signs gives.
TEST_F(AomCalibrationDialogTest, ThzOneReadsFlaggedFirstAndLastReadingsByTheirMagnitude) {
  std::vector<float> itn(41);
  for (size_t i = 0; i < itn.size(); ++i) itn[i] = static_cast<float>(i);
  std::ofstream("Itn", std::ios::binary)
      .write(reinterpret_cast<const char*>(itn.data()), static_cast<std::streamsize>(itn.size() * sizeof(float)));
  std::vector<std::string> boxes;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    boxes.push_back(box.caption + "|" + box.text);
    return platform::NonDestructiveAnswer(box.style);
  });
  std::vector<std::string> range;
  std::vector<std::vector<float>> frequencies;
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 8, "Itn"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_INTVSIZE, "10"));
    for (const char* log : {"-100.5 0\n100.6 1\n100.7 2\n100.8 3\n-100.9 4\n", "100.5 0\n100.6 1\n100.7 2\n100.8 3\n100.9 4\n"}) {
      std::ofstream("WaveFreq.dat", std::ios::binary) << log;
      EXPECT_TRUE(drv::Click(d, IDC_AOM_THZ1));
      range.push_back(drv::Text(d, IDC_AOM_BEGFRQ) + " " + drv::Text(d, IDC_AOM_ENDFRQ));
      frequencies.push_back(ReadFloats("FRQ_FRQ"));
    }
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  platform::SetBoxAnswerer(nullptr);
  EXPECT_EQ(boxes, std::vector<std::string>(2, "Info|CALIBRATION COMPLETE"));
  EXPECT_EQ(range, std::vector<std::string>(2, "100.5000 100.9000"));
  ASSERT_EQ(frequencies[0].size(), 40u);
  EXPECT_EQ(frequencies[0], frequencies[1]);
  EXPECT_NEAR(frequencies[0][0], 0.0f, 1e-5);
  EXPECT_NEAR(frequencies[0][30], 0.3f, 1e-5);  // the last reading used, rising from the first
}

// THZ III placing by markers with a marker file that holds none: phase IV refuses it
// and the run ends as failed, without output and without CALIBRATION COMPLETE.
TEST_F(AomCalibrationDialogTest, ThzThreeWithAnEmptyMarkerFileFails) {
  std::ofstream("WaveFreq.dat", std::ios::binary) << "1000.00 0\n1000.01 1\n1000.02 2\n";
  std::ofstream("MksRepeat", std::ios::binary) << "0\n1000\n";
  std::ofstream("NoMarks", std::ios::binary) << "# no marker yet\n";
  std::ofstream("Itn", std::ios::binary) << std::string(4000, '\0');
  std::vector<std::string> boxes;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    boxes.push_back(box.caption + "|" + box.text);
    return (box.style & 0xF) == MB_YESNO ? IDNO : IDOK;
  });
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 8, "Itn"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 7, "Out"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_MKPOSNAME, "NoMarks"));
    EXPECT_TRUE(drv::SetCheck(d, IDC_AOM_MRKSTAT, true));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_THZ3));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  platform::SetBoxAnswerer(nullptr);
  EXPECT_EQ(ThzSettings.MrkStat, 1);
  EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Warning|PHASE [IV]\n\nMARKER POSITIONS (KAVO) MUST BE DEFINED\n\nABORTING"),
            boxes.end())
      << ::testing::PrintToString(boxes);
  for (const std::string& box : boxes) {
    EXPECT_EQ(box.find("CALIBRATION COMPLETE"), std::string::npos);
    EXPECT_EQ(box.find("NUMBER OF MARKERS"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists("Outl000"));
}

// THZ III, DEMOD and AOM CAL make names by appending to OUT or MRK: one that would not
// fit its 200-character field fails the run with a warning naming it, before any file
// is written. Cut, the sections' outputs would share one name, the off averages would
// land on OUT and the frequency-out file on the marker input.
TEST_F(AomCalibrationDialogTest, ANameTooLongWithItsSuffixFailsTheRunBeforeAnyFileIsWritten) {
  const std::string sections(197, 's'), demod(199, 'd'), marker(199, 'm');
  std::ofstream("WaveFreq.dat", std::ios::binary) << "1000.00 0\n1000.01 1\n1000.02 2\n";
  std::ofstream("MksRepeat", std::ios::binary) << "0\n100\n200\n300\n";
  std::ofstream("Itn", std::ios::binary) << std::string(4000, '\0');
  std::ofstream(marker, std::ios::binary) << std::string(4000, '\1');
  const std::vector<std::string> before = qvtest::FileNames();
  std::vector<std::string> boxes;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    boxes.push_back(box.caption + "|" + box.text);
    return platform::NonDestructiveAnswer(box.style);
  });
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 8, "Itn"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 5, "Itn"));  // the phase signal
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 2, marker.c_str()));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 7, sections.c_str()));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_THZ3));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_NAME0 + 7, demod.c_str()));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_DEMOD));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_AOMCAL));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  platform::SetBoxAnswerer(nullptr);
  const auto refused = [](const std::string& name) { return "Warning|FILE NAME [" + name + "] TOO LONG\n\nABORTING"; };
  // The sections' names are checked up to the highest section's.
  const std::vector<std::string> warnings = {refused(sections + "l002"), refused(demod + "1"), refused(marker + "f")};
  std::vector<std::string> shown;
  for (const std::string& box : boxes) {
    if (box.rfind("Warning", 0) == 0) shown.push_back(box);
    EXPECT_EQ(box.find("COMPLETE"), std::string::npos) << box;
  }
  EXPECT_EQ(shown, warnings);
  EXPECT_EQ(qvtest::FileNames(), before);
  std::ifstream kept(marker, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()),
            std::string(4000, '\1'));
}

void WriteFloats(const char* name, const std::vector<float>& v) {
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size() * sizeof(float)));
}

// An AOM scan of 16000 points in four intervals of 4000 (jumps at 3999, 7999, ...)
// whose ramp runs from 0 to 10 V in each, the first rampPoints of it in the ramp file;
// the channels IN 8, CAL 1, ERR 4 and 6, MRK 2, OUT 7 and a linear calibration of
// 10 MHz per volt over one FSR of 100 MHz shown with 500 points.
void WriteAomScan(int rampPoints) {
  constexpr int kPoints = 16000;
  std::vector<float> ramp(static_cast<size_t>(rampPoints));
  for (int i = 0; i < rampPoints; ++i) ramp[static_cast<size_t>(i)] = static_cast<float>((i % 4000) / 400.0);
  WriteFloats("Ramp", ramp);
  WriteFloats("Itn", std::vector<float>(kPoints, 1.0f));
  WriteFloats("Err", std::vector<float>(kPoints, 0.0f));
  WriteFloats("Mrk", std::vector<float>(kPoints, 1.0f));
  std::ofstream("Mks", std::ios::binary) << "3999\n7999\n11999\n15999\n";
  const char* names[] = {"", "Ramp", "Mrk", "", "Err", "", "Err", "Out", "Itn"};
  for (int c = 0; c < 9; ++c) StrCopy(Cnv.Out_Flnm[0][c], names[c]);
  AomSettings.RfLow = 0.0;
  AomSettings.RfHigh = 100.0;
  AomSettings.RfScalar = 1.0;
  AomSettings.VoltLow = 0.0f;
  AomSettings.VoltHigh = 10.0f;
  Dsp.FSR = 100.0;
  Dsp.Pts_FSR = 500;
}

// AOM CAL on a scan whose ramp file ends early: YES to the first short read goes on
// with what was read, NO to the second ends the run. The frequency-out side file
// keeps the two finished blocks, an older output file stays as it was and the
// segment file stays on disk.
TEST_F(AomCalibrationDialogTest, AomCalStoppedInItsFirstStageKeepsWhatItWrote) {
  constexpr int kRamp = 5000;
  WriteAomScan(kRamp);
  const std::vector<float> older(7, 2.5f);
  WriteFloats("Out", older);
  int shortReads = 0;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    if (box.text.rfind("PREMATURE READ EOF ACTUAL", 0) == 0) return ++shortReads == 1 ? IDYES : IDNO;
    return IDOK;
  });
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_AOM_AOMCAL));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  platform::SetBoxAnswerer(nullptr);
  EXPECT_EQ(shortReads, 2);
  bool aborted = false;
  for (const auto& box : platform::BoxLog())
    aborted = aborted || box.text.find("PREMATURE READ EOF [0] = [-1]\n\nABORTING") != std::string::npos;
  EXPECT_TRUE(aborted);
  const std::vector<float> frq = ReadFloats("Mrkf");
  ASSERT_EQ(frq.size(), static_cast<size_t>(kRamp));
  EXPECT_NEAR(frq[4500], 112.5, 0.1);  // the second ramp, one FSR up
  EXPECT_EQ(ReadFloats("Out"), older);
  EXPECT_TRUE(std::filesystem::exists("TEMP.TMP"));
  EXPECT_FALSE(std::filesystem::exists("Mrkm"));
}

// On a downward frequency axis the dialog shows OUT RESOL below 0, FSR / points per
// FSR: AOM CAL runs with the step's size, 500 points per FSR of 100 MHz.
TEST_F(AomCalibrationDialogTest, AomCalOnADownwardAxisUsesTheSizeOfOutResol) {
  WriteAomScan(16000);
  Dsp.FSR = -100.0;
  drv::Answers answers;
  answers.Box("Info", "CALIBRATION FILE [AomRamp.dat] NOT FOUND\n\nLINEAR CALIBRATION USED", IDOK)
      .Box("Info", "AOM LINEARIZATION*", IDOK);
  WithDialog([&](HWND d) {
    EXPECT_EQ(drv::Text(d, IDC_AOM_OUTRESOL), "-2.000000e-01");
    EXPECT_TRUE(drv::Click(d, IDC_AOM_AOMCAL));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  for (const std::string& f : answers.Failures()) ADD_FAILURE() << f;
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(Dsp.Pts_FSR, 500);
  EXPECT_EQ(ReadFloats("Out").size(), 6u * 500u);
}

// AOM CAL refuses a calibration whose voltages do not rise, before any file is
// written: the linear ramp with VOLT LOW above VOLT HIGH, and a calibration file listed
// from 9.5 V down (STAT, which then writes no check table, and AOM CAL) and one with a
// row that is not a number. Then, with the ramp set right, an OUT RESOL typed and left
// for another field and for the AOM CAL button is the one the run uses: 400 points per
// FSR of 100 MHz, not the 500 shown before; the refresh after the run shows the
// resolution used.
TEST_F(AomCalibrationDialogTest, AomCalRefusesFallingVoltagesAndUsesATypedOutResol) {
  WriteAomScan(16000);
  std::string falling = "RF 185 315\nX 0 0\nROWS 10 25\nVOLT FRQ X\n";
  for (int r = 0; r < 10; ++r) falling += StrPrintf("%.1f %.1f 0\n", 9.5 - r, 300.0 - 10.0 * r);
  std::ofstream("AomRamp.dat", std::ios::binary) << falling;
  const std::string fileRefused =
      "AOM CALIBRATION FILE [AomRamp.dat]\n\nVOLTAGE [8.5000] OF ROW [2] DOES NOT RISE ABOVE [9.5000] OF ROW "
      "[1]\n\nABORTING";
  drv::Answers answers;
  answers
      .Box("Warning",
           "LINEAR AOM CALIBRATION\n\nVOLTAGES FROM VOLT LOW [9.0000] TO VOLT HIGH [1.0000] DO NOT RISE\n\nABORTING", IDOK)
      .Box("Warning", fileRefused, IDOK)
      .Box("Warning", fileRefused, IDOK)
      .Box("Warning",
           "AOM CALIBRATION FILE [AomRamp.dat]\n\nROW [2] VOLTAGE [2.0000] FREQUENCY [nan] IS NOT A NUMBER\n\nABORTING", IDOK)
      .Box("Info", "CALIBRATION FILE [AomRamp.dat] NOT FOUND\n\nLINEAR CALIBRATION USED", IDOK)
      .Box("Info", "AOM LINEARIZATION*", IDOK);
  const std::vector<std::string> before = qvtest::FileNames();
  WithDialog([&](HWND d) {
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_VOLTLOW, "9"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_VOLTHIGH, "1"));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_AOMCAL));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_RAMPSTAT));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_AOMCAL));
    EXPECT_EQ(qvtest::FileNames(), before);
    EXPECT_EQ(AomSettings.RfLow, 0.0);  // the refused file's range is not taken
    // A row that reads "nan" would make every frequency of the spline NaN.
    std::ofstream("AomRamp.dat", std::ios::binary) << "RF 185 315\nX 0 0\nROWS 3 25\nVOLT FRQ X\n1 200 0\n2 nan 0\n3 220 0\n";
    EXPECT_TRUE(drv::Click(d, IDC_AOM_AOMCAL));
    EXPECT_EQ(qvtest::FileNames(), before);
    EXPECT_TRUE(drv::Click(d, IDC_AOM_RAMPSTAT));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_VOLTLOW, "0"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_OUTRESOL, "0.25"));
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_VOLTHIGH, "10"));
    EXPECT_EQ(drv::Text(d, IDC_AOM_OUTRESOL), "2.500000e-01");
    EXPECT_TRUE(drv::Click(d, IDC_AOM_AOMCAL));
    EXPECT_EQ(drv::Text(d, IDC_AOM_OUTRESOL), "2.500000e-01");
    // The refresh after the command that used it shows FSR / points per FSR again.
    EXPECT_TRUE(drv::TypeText(d, IDC_AOM_OUTRESOL, "0.3"));
    EXPECT_TRUE(drv::Click(d, IDC_AOM_APPLY));
    EXPECT_EQ(drv::Text(d, IDC_AOM_OUTRESOL), "2.500000e-01");
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  for (const std::string& f : answers.Failures()) ADD_FAILURE() << f;
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(Dsp.Pts_FSR, 400);
  // Three segments closed at the jumps and the three open at the end, 400 points each.
  EXPECT_EQ(ReadFloats("Out").size(), 6u * 400u);
  const std::vector<float> frq = ReadFloats("Mrkf");
  ASSERT_EQ(frq.size(), 16000u);
  EXPECT_NEAR(frq[400], 10.0, 0.07);   // 1 V in the first interval
  EXPECT_NEAR(frq[4400], 110.0, 0.07);  // and in the second, one FSR up
}

}  // namespace
