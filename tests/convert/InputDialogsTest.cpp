// The ASCII input and FTMW conversion dialogs driven as a user would, through the
// test driver, reading the files written, the channel table and the axis.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "convert/AsciiInputDialog.h"
#include "convert/FtmwDialog.h"
#include "convert/InstrumentConvert.h"
#include "core/Threads.h"
#include "display/ViewFiles.h"
#include "platform/driver/TestDriver.h"
#include "platform/kernel/Binary.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"
#include "resources/Dialogs.h"
#include "tests/convert/FtmwFiles.h"
#include "tests/convert/HeldViewRun.h"
#include "tests/convert/OpSeqRun.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace {

namespace drv = platform::driver;

std::vector<float> ReadFloats(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> v(b.size() / 4);
  if (!v.empty()) std::memcpy(v.data(), b.data(), v.size() * 4);
  return v;
}
void WriteFloats(const std::string& name, const std::vector<float>& v) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size() * 4));
}
void WriteBytes(const std::string& name, const std::vector<uint8_t>& b) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}
void WriteText(const std::string& name, const std::string& text) {
  std::ofstream out(name, std::ios::binary);
  out << text;
}
std::vector<std::string> TextLines(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// A small FTMW header file: 40 points per interval, step 0.25, jump 5, 3 intervals.
void WriteFtmwFile(const std::string& name) {
  std::vector<uint8_t> b(ftmw::HEADER_SIZE, 0);
  const char* version = "FTMW";
  for (int i = 0; i < 4; ++i) platform::PutUInt16LE(b.data(), ftmw::VERSION1 + 2 * i, static_cast<uint8_t>(version[i]));
  platform::PutInt32LE(b.data(), ftmw::PTS_INTV, 40);
  platform::PutDoubleLE(b.data(), ftmw::INIT_FRQ, 1000.0);
  platform::PutDoubleLE(b.data(), ftmw::FRQ_STP, 0.25);
  platform::PutDoubleLE(b.data(), ftmw::FRQ_JMP, 5.0);
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 40; ++i) {
      const size_t at = b.size();
      b.resize(at + 4);
      platform::PutFloatLE(b.data(), at, static_cast<float>(k * 100 + i));
    }
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

class InputDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cnv = CnvRecord{};
    Dsp = DspRecord{};
    Win = WinRecord{};
    // The view files are not these tests' subject: the view thread ran before, and a
    // run on this thread stands in as under way, so that the runs the dialogs ask for
    // only wait (and the stops for them return at once).
    ThreadCtl.View_Started = 1;
    ThreadCtl.View_Running = 1;
    ThreadCtl.View_RunThreadId = GetCurrentThreadId();
    RegisterDialogResources();
    platform::ClearBoxLog();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    Dsp.Init_Frq = 7.0;
    Dsp.FSR = 3.0;
    Dsp.Pts_FSR = 3;
    Dsp.Frq_Stp = 1.0;
    StrCopy(Dsp.Data_Dir, dir_.Path().string().c_str());
  }
  void TearDown() override {
    LetViewRuns();
    platform::SetBoxAnswerer(nullptr);
    std::filesystem::current_path(previous_);
  }
  // Ends the stand-in run: what was asked for meanwhile is dropped, and from here on a
  // run asked for runs.
  static void LetViewRuns() {
    ThreadCtl.View_RunThreadId = 0;
    ThreadCtl.View_Running = 0;
    ThreadCtl.View_Request = 0;
    ThreadCtl.View_Held = 0;
    ThreadCtl.View_Busy = 0;
    if (ThreadCtl.View_StopEvent) ResetEvent(ThreadCtl.View_StopEvent);
  }

  INT_PTR Run(int templateId, DLGPROC proc, const std::function<void(HWND)>& steps) {
    drv::ModalHandler handler([&](HWND dialog, int id) {
      if (id == templateId) steps(dialog);
    });
    return DialogBox(Win.hInst, MAKEINTRESOURCE(templateId), nullptr, proc);
  }
  std::string Path(const std::string& name) const { return dir_.File(name); }

  qvtest::TempDir dir_;
  std::filesystem::path previous_;
};

// ---- FTMW dialog ---------------------------------------------------------------------------

TEST_F(InputDialogsTest, FtmwConvertWritesChannelOneAndSwitchesItOn) {
  WriteFtmwFile("scan.bin");
  StrCopy(Dsp.Chn_Flnm[1], "chn1.bin");
  drv::Answers answers;
  answers.File(Path("scan.bin")).Box("Warning", "FTWM BINARY FILE", IDOK);
  INT_PTR result = Run(IDD_FTMW, &FTMWProc, [&](HWND d) {
    EXPECT_EQ(drv::Text(d, IDC_FTMW_INNAME), "FTWM.bin");
    EXPECT_EQ(drv::Text(d, IDC_FTMW_BINNAME), "chn1.bin");
    EXPECT_EQ(drv::Text(d, IDC_FTMW_ASCNAME), "FTMW.txt");
    EXPECT_NE(GetWindowLongPtr(GetDlgItem(d, IDC_FTMW_ASCNAME), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_TRUE(drv::Click(d, IDC_FTMW_OPEN));
    EXPECT_EQ(drv::Text(d, IDC_FTMW_INNAME), "scan.bin");
    EXPECT_TRUE(drv::Click(d, IDC_FTMW_CONVERT));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_TRUE(answers.AllAnswered());
  const std::vector<float> out = ReadFloats("chn1.bin");
  ASSERT_EQ(out.size(), 10u + 3 * 20 + 10);
  EXPECT_EQ(out[10], 10.0f);   // point 10 of interval 0
  EXPECT_EQ(out[30], 110.0f);  // point 10 of interval 1
  EXPECT_EQ(Dsp.Chn_DspStat[1], 1u);
  EXPECT_NE(ThreadCtl.View_Request & VIEW_REQUEST_PREP, 0u);  // its views are built at once
  EXPECT_EQ(Dsp.Init_Frq, 1000.0);
  EXPECT_EQ(Dsp.Pts_FSR, 100);
  // The one shown channel is scaled without a question.
  EXPECT_GT(Dsp.Chn_Scalar[1], 0.0);
}

// With the ASCII box on only the table is written: channel 1, the axis and the
// temporary file are as they were before.
TEST_F(InputDialogsTest, FtmwToAsciiWritesOnlyTheTableAndKeepsTheAxis) {
  WriteFtmwFile("scan.bin");
  StrCopy(Dsp.Chn_Flnm[1], "chn1.bin");
  WriteFloats("chn1.bin", {1, 2});
  StrCopy(Cnv.Ftmw_Flnm, Path("scan.bin").c_str());
  drv::Answers answers;
  Run(IDD_FTMW, &FTMWProc, [&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_FTMW_ASCII));
    EXPECT_NE(GetWindowLongPtr(GetDlgItem(d, IDC_FTMW_BINNAME), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_FTMW_ASCNAME, "scan.txt"));
    EXPECT_TRUE(drv::Click(d, IDC_FTMW_CONVERT));
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.Failures().empty());
  EXPECT_STREQ(Cnv.Ftmw_AscFlnm, "scan.txt");
  EXPECT_EQ(Cnv.Ftmw_AscStat, 1u);
  const std::vector<std::string> lines = TextLines("scan.txt");
  ASSERT_EQ(lines.size(), 80u);
  std::istringstream first(lines[10]);
  double f = 0.0, v = 0.0;
  first >> f >> v;
  EXPECT_NEAR(f, 1002.5, 1e-6);  // point 10 of interval 0, on the scan's own axis
  EXPECT_EQ(v, 10.0);
  EXPECT_EQ(ReadFloats("chn1.bin"), (std::vector<float>{1, 2}));
  EXPECT_EQ(Dsp.Chn_DspStat[1], 0u);
  EXPECT_EQ(Dsp.Init_Frq, 7.0);
  EXPECT_EQ(Dsp.FSR, 3.0);
  EXPECT_EQ(Dsp.Pts_FSR, 3);
  EXPECT_EQ(Dsp.Frq_Stp, 1.0);
  EXPECT_FALSE(std::filesystem::exists(FTMW_TEMP_NAME));
}

TEST_F(InputDialogsTest, FtmwLeCroyFilesAreKnownByTheirEndingAndGetTheAsciiStepToo) {
  const std::string trc = std::string(QV95_TESTDATA_DIR) + "/lecroy/lecroyscope_pulse.trc";
  std::filesystem::copy_file(trc, "pulse.Trc");
  drv::Answers answers;
  answers.File(trc).Box("Warning", "LECROY WAVEFORM", IDOK)
      .File(Path("pulse.Trc")).Box("Warning", "FTWM BINARY FILE", IDOK)  // mixed case: probed as FTMW
      .File(trc)
      .Box("Warning", "LECROY WAVEFORM", IDOK)
      .Box("Warning", "LECROY INSTRUMENT NAME = [LECROYWR64Xi-A]*", IDOK);
  Cnv.Ftmw_AscStat = 1;
  Run(IDD_FTMW, &FTMWProc, [&](HWND d) {
    drv::Click(d, IDC_FTMW_OPEN);
    drv::Click(d, IDC_FTMW_OPEN);
    drv::Click(d, IDC_FTMW_OPEN);
    drv::Click(d, IDC_FTMW_CONVERT);
    drv::Click(d, IDOK);
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(TextLines("FTMW.txt").size(), 502u);
  EXPECT_EQ(Dsp.Init_Frq, 7.0);
  EXPECT_EQ(Dsp.Pts_FSR, 3);
  EXPECT_FALSE(std::filesystem::exists(FTMW_TEMP_NAME));
}

// A conversion's output with the axis it left.
struct Converted {
  std::vector<float> out;
  double init = 0.0;
  double stp = 0.0;
};

// Every value from point `front` to the point `back` before the end holds its
// frequency less base, as the axis gives it; the points outside are zeros.
void ExpectOnTrueAxis(const Converted& c, double base, size_t front, size_t back) {
  ASSERT_GE(c.out.size(), front + back);
  for (size_t p = 0; p < c.out.size(); ++p) {
    if (p < front || p >= c.out.size() - back) {
      ASSERT_EQ(c.out[p], 0.0f) << p;
    } else {
      ASSERT_NEAR(c.out[p] + base, c.init + static_cast<double>(p) * c.stp, 1e-3) << p;
    }
  }
}

// Scans stepping down, in their points or from interval to interval, come out rising
// on the axis of their own frequencies: a header file whose points step down while its
// intervals rise, record files in the four ways records and blocks can run (100
// blocks of 20 records 0.05 apart, 0.5 from block to block, each keeping records 5 to
// 14) and a steady falling run of 2,000 records.
TEST_F(InputDialogsTest, FtmwScansInEveryDirectionConvertOntoTheirTrueAxis) {
  const auto records = [](double start, double jmp, double stp) {
    std::vector<std::pair<double, float>> r;
    for (int k = 0; k < 100; ++k)
      for (int j = 0; j < 20; ++j) {
        const double f = start + jmp * k + stp * j;
        r.emplace_back(f, static_cast<float>(f - 10000.0));
      }
    return r;
  };
  std::vector<std::pair<double, float>> falling;
  for (int r = 0; r < 2000; ++r) falling.emplace_back(10050.0 - 0.05 * r, static_cast<float>(50.0 - 0.05 * r));
  const std::map<std::string, qvtest::FtmwBytes> files = {
      {"hdr.bin", qvtest::FtmwHeaderFile(200, 10001.99, -0.01, 1.0, 40)},
      {"upup.bin", qvtest::FtmwRecordFile(records(10000.0, 0.5, 0.05))},
      {"updown.bin", qvtest::FtmwRecordFile(records(10049.5, -0.5, 0.05))},
      {"downup.bin", qvtest::FtmwRecordFile(records(10000.95, 0.5, -0.05))},
      {"downdown.bin", qvtest::FtmwRecordFile(records(10050.45, -0.5, -0.05))},
      {"falling.bin", qvtest::FtmwRecordFile(falling)}};
  for (const auto& [name, b] : files) WriteBytes(name, b);
  StrCopy(Dsp.Chn_Flnm[1], "chn1.bin");
  drv::Answers answers;
  std::map<std::string, Converted> got;
  Run(IDD_FTMW, &FTMWProc, [&](HWND d) {
    for (const auto& [name, b] : files) {
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_FTMW_INNAME, name));
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_FTMW_BINNAME, "out_" + name));
      EXPECT_TRUE(drv::Click(d, IDC_FTMW_CONVERT));
      got[name] = {ReadFloats("out_" + name), Dsp.Init_Frq, Dsp.Frq_Stp};
    }
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];

  const Converted& hdr = got["hdr.bin"];
  EXPECT_EQ(hdr.out.size(), 4100u);
  EXPECT_NEAR(hdr.init, 10000.0, 1e-9);
  EXPECT_NEAR(hdr.stp, 0.01, 1e-12);
  ExpectOnTrueAxis(hdr, 10001.99, 50, 50);
  for (const std::string name : {"upup.bin", "updown.bin", "downup.bin", "downdown.bin"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(got[name].out.size(), 1010u);
    EXPECT_NEAR(got[name].init, 10000.0, 1e-9);
    EXPECT_NEAR(got[name].stp, 0.05, 1e-12);
    ExpectOnTrueAxis(got[name], 10000.0, 5, 5);
  }
  // Records and blocks rising, as ever: the leading zeros, records 5 to 14 of every
  // block in file order, the trailing zeros.
  std::vector<float> want(5, 0.0f);
  for (int k = 0; k < 100; ++k)
    for (int j = 5; j < 15; ++j) want.push_back(static_cast<float>(10000.0 + 0.5 * k + 0.05 * j - 10000.0));
  want.resize(want.size() + 5, 0.0f);
  EXPECT_EQ(got["upup.bin"].out, want);
  // One block: a single zero stands for the end record that the centre leaves out.
  const Converted& run = got["falling.bin"];
  EXPECT_EQ(run.out.size(), 2000u);
  EXPECT_NEAR(run.init, 9950.05, 1e-9);
  EXPECT_NEAR(run.stp, 0.05, 1e-12);
  const size_t front = !run.out.empty() && run.out.front() == 0.0f ? 1 : 0;
  ExpectOnTrueAxis(run, 10000.0, front, 1 - front);
}

// An output that cannot be written (the disk is full) is named in a warning of its
// own, and no file is left under its name: an FTMW record file converted into a new
// name, and a LeCroy trace over an existing file, which stays as it was. A file whose
// values give no axis (an FTMW header's first frequency, a LeCroy trace's sampling
// interval that is not a number) is refused the same way, saying so. The dialog goes
// on as after any conversion: channel 1 is shown and scaled.
TEST_F(InputDialogsTest, FtmwConversionsThatCannotBeWrittenSaySoAndLeaveNoOutput) {
  std::vector<std::pair<double, float>> records;
  for (int k = 0; k < 100; ++k)
    for (int j = 0; j < 20; ++j) records.emplace_back(10000.0 + 0.5 * k + 0.05 * j, 1.0f);
  WriteBytes("scan.bin", qvtest::FtmwRecordFile(records));
  const std::string trc = std::string(QV95_TESTDATA_DIR) + "/lecroy/lecroyscope_pulse.trc";
  WriteBytes("nan.bin", qvtest::FtmwHeaderFile(40, NAN, 0.25, 5.0, 3));
  std::ifstream pulse(trc, std::ios::binary);
  std::vector<uint8_t> nanTrc((std::istreambuf_iterator<char>(pulse)), std::istreambuf_iterator<char>());
  platform::PutFloatLE(nanTrc.data(), 11 + 176, NAN);  // HORIZ_INTERVAL of the descriptor at byte 11
  WriteBytes("nan.trc", nanTrc);
  WriteFloats("old.bin", {1, 2, 3});
  StrCopy(Dsp.Chn_Flnm[1], "new.bin");
  drv::Answers answers;
  answers.Box("Warning", "FAILED TO WRITE BINARY OUTPUT FILE [new.bin]\n\nABORTING", IDOK)
      .Box("Warning", "FAILED TO OPEN BINARY FILE [new.bin] FOR READING*", IDOK)
      .Box("Question", "OVERWRITE EXISTING FILE [old.bin]?", IDYES)
      .Box("Warning", "LECROY INSTRUMENT NAME = [LECROYWR64Xi-A]*", IDOK)
      .Box("Warning", "FAILED TO WRITE BINARY OUTPUT FILE [old.bin]\n\nABORTING", IDOK)
      .Box("Question", "OVERWRITE EXISTING FILE [old.bin]?", IDYES)
      .Box("Warning", "FILE [nan.bin] GIVES NO FREQUENCY AXIS\n\nINIT_FRQ=[nan]\n\nABORTING", IDOK)
      .Box("Question", "OVERWRITE EXISTING FILE [old.bin]?", IDYES)
      .Box("Warning", "LECROY INSTRUMENT NAME = [LECROYWR64Xi-A]*", IDOK)
      .Box("Warning", "FILE [nan.trc] GIVES NO FREQUENCY AXIS\n\nHORZ INTV=[nan]  HORZ OFFSET=[*]\n\nABORTING", IDOK);
  Run(IDD_FTMW, &FTMWProc, [&](HWND d) {
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_FTMW_INNAME, "scan.bin"));
    {
      qvtest::FileSizeLimit full(1000);  // the output needs 4,040 bytes
      EXPECT_TRUE(full.Set());
      EXPECT_TRUE(drv::Click(d, IDC_FTMW_CONVERT));
    }
    EXPECT_EQ(Dsp.Chn_DspStat[1], 1u);
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_FTMW_INNAME, trc));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_FTMW_BINNAME, "old.bin"));
    {
      qvtest::FileSizeLimit full(1000);  // the trace needs 2,008
      EXPECT_TRUE(full.Set());
      EXPECT_TRUE(drv::Click(d, IDC_FTMW_CONVERT));
    }
    for (const char* input : {"nan.bin", "nan.trc"}) {
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_FTMW_INNAME, input));
      EXPECT_TRUE(drv::Click(d, IDC_FTMW_CONVERT));
    }
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_FALSE(std::filesystem::exists("new.bin"));
  EXPECT_EQ(ReadFloats("old.bin"), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(Dsp.Init_Frq, 7.0);
  EXPECT_EQ(Dsp.FSR, 3.0);
  EXPECT_EQ(Dsp.Frq_Stp, 1.0);
  // Nothing was left beside the inputs and the outputs.
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(".")) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 4u);
}

// ---- ASCII input dialog -------------------------------------------------------------------

// A table of `lines` lines "x y1 y2" from x = 100 in steps of `step`.
std::string Table(int lines, double step) {
  std::string t = "FREQ A B\r\n";
  for (int i = 0; i < lines; ++i) t += StrPrintf("%.4f %d %d\r\n", 100.0 + i * step, i % 7, 10 * i);
  return t;
}

TEST_F(InputDialogsTest, AsciiOpenThenConvertShowsTheOutputsOnTheirChannels) {
  WriteText("table.txt", Table(50, 0.5));
  StrCopy(Dsp.Chn_Flnm[1], "ascA.bin");
  StrCopy(Dsp.Chn_Flnm[2], "ascB.bin");
  drv::Answers answers;
  answers.File(Path("table.txt"))
      .Box("Question", "AUTO SCALE & OFFSET?", IDNO)
      .Box("Question", "AUTO SCALE & OFFSET?", IDNO);
  std::string first, last, lo, hi, res, outRes, firstLine;
  INT_PTR result = Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
    EXPECT_EQ(drv::Text(d, IDC_ASC_OUTNAME1), "ascA.bin");  // from the channels at the first opening
    EXPECT_TRUE(drv::Click(d, IDC_ASC_OPEN));
    first = drv::Text(d, IDC_ASC_FIRST);
    last = drv::Text(d, IDC_ASC_LAST);
    lo = drv::Text(d, IDC_ASC_INLO);
    hi = drv::Text(d, IDC_ASC_INHI);
    res = drv::Text(d, IDC_ASC_INRES);
    firstLine = drv::Text(d, IDC_ASC_FIRSTLINE);
    EXPECT_TRUE(drv::ChooseRadio(d, AsciiColumnRadio(2, 3)));  // Y2 := field 3
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "0.5"));
    outRes = drv::Text(d, IDC_ASC_OUTRES);
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    EXPECT_TRUE(drv::Click(d, IDOK));
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(first, "2");  // the header line is skipped
  EXPECT_EQ(last, "51");
  EXPECT_EQ(firstLine, "100.0000 0 0");
  EXPECT_EQ(lo, "100.00000000");
  EXPECT_EQ(hi, "124.50000000");
  EXPECT_EQ(res, "5.0000000000e-01");
  EXPECT_EQ(outRes, "5.0000000000e-01");
  const std::vector<float> a = ReadFloats("ascA.bin");
  const std::vector<float> b = ReadFloats("ascB.bin");
  ASSERT_EQ(a.size(), 50u);
  ASSERT_EQ(b.size(), 50u);
  for (size_t i = 0; i < 50; ++i) {
    EXPECT_NEAR(a[i], static_cast<float>(i % 7), 1e-5) << i;
    EXPECT_NEAR(b[i], 10.0f * i, 1e-3) << i;
  }
  EXPECT_STREQ(Dsp.Chn_Flnm[2], "ascB.bin");
  EXPECT_EQ(Win.Active_Chn, 2);
  EXPECT_EQ(Dsp.Init_Frq, 100.0);
  // 50 points: no decimated views.
  EXPECT_EQ(Win.ViewKind[0][1], 0);
  EXPECT_EQ(Win.ViewKind[1][1], 2);
  EXPECT_EQ(Win.ViewKind[2][2], 2);
  EXPECT_STREQ(Win.ViewKind_Txt[1][2], "NONE");
  EXPECT_EQ(Cnv.Asc_Add[0], 1u);
  EXPECT_EQ(Cnv.Asc_Add[1], 1u);
}

// A conversion whose output a channel takes has that channel's views built at once,
// although the view thread ran before (as at a start without a working file): the
// channel is drawn and measured without a visit to the analysis options.
TEST_F(InputDialogsTest, AsciiConvertBuildsTheViewsOfTheChannelItSwitchesOn) {
  LetViewRuns();
  Win.Page_Width = 300;
  WriteText("table.txt", Table(2000, 0.5));
  StrCopy(Dsp.Chn_Flnm[1], "ascA.bin");
  drv::Answers answers;
  answers.File(Path("table.txt")).Box("Question", "AUTO SCALE & OFFSET?", IDYES);
  Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
    EXPECT_TRUE(drv::Click(d, IDC_ASC_OPEN));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "0.5"));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    // Closed without storing the fields again: with no main window here the run reads
    // the axis on its own thread, where the program reads it on the interface thread.
    EXPECT_TRUE(drv::Click(d, IDCANCEL));
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  for (int i = 0; i < 30000 && (ThreadCtl.View_Running != 0 || ThreadCtl.View_Request != 0); ++i) Sleep(2);
  ASSERT_EQ(WaitForSingleObject(ThreadCtl.View_Thread, 60000), WAIT_OBJECT_0);
  EXPECT_EQ(Dsp.Chn_DspStat[1], 1u);
  EXPECT_EQ(Win.Active_Chn, 1);
  EXPECT_EQ(Dsp.FL_SZ[WIN_RAW][1], 2000u);  // the size the analysis options show
  // 2000 points: the whole file on one page of maxima, five pages of averages.
  EXPECT_EQ(ReadFloats(Path("QV95OIM/ascA.bin.QVOm")).size(), 300u);
  EXPECT_EQ(ReadFloats(Path("QV95OIM/ascA.bin.QVIa")).size(), 1500u);
  EXPECT_NE(Dsp.Fl_Pt[0][1], nullptr);
  DisplayViewArraysFree(1);
}

// A scan at 1.5e6 MHz as an instrument writes it: the lines k = from, from + by, ...
// (count of them) at 1500000 + k x 1e-5 MHz, the intensity rising from 5.0 by 1e-4 a line.
std::string ScanAt15(int from, int by, int count) {
  std::string t;
  for (int i = 0; i < count; ++i) t += StrPrintf("1500000.%05d %.4f\r\n", from + i * by, 5.0 + 1e-4 * i);
  return t;
}

// Spectrum B merged with ADD on into M.bin, which holds spectrum A on the working axis,
// the output range left at its initial 0/0: the output spans A and B on the step of A,
// A kept where it was, B from its own first frequency on; rising and falling.
TEST_F(InputDialogsTest, AsciiMergeWithTheRangeLeftAtZeroSpansTheExistingDataAndTheInput) {
  for (const int dir : {1, -1}) {
    SCOPED_TRACE(dir);
    Cnv = CnvRecord{};
    Cnv.Asc_NamesTaken = 1;
    StrCopy(Cnv.Asc_OutFlnm[0], "M.bin");
    std::vector<float> a(1001);
    for (size_t i = 0; i < a.size(); ++i) a[i] = 1.0f + 0.001f * static_cast<float>(i);
    WriteFloats("M.bin", a);
    // A: 1500000.00 to .01 (falling: .01 to .00); B: .005 to .015 (falling: .015 to .005).
    Dsp.Init_Frq = dir > 0 ? 1500000.0 : 1500000.01;
    Dsp.Pts_FSR = 3;
    Dsp.FSR = 3e-5 * dir;
    Dsp.Frq_Stp = 1e-5 * dir;
    WriteText("b.txt", dir > 0 ? ScanAt15(500, 1, 1001) : ScanAt15(1500, -1, 1001));
    drv::Answers answers;
    answers.File(Path("b.txt"));
    std::string lo, hi;
    Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
      EXPECT_EQ(drv::Text(d, IDC_ASC_OUTLO), "0.0000000000e+00");
      EXPECT_EQ(drv::Text(d, IDC_ASC_OUTHI), "0.0000000000e+00");
      EXPECT_TRUE(drv::Click(d, IDC_ASC_ADD1));
      EXPECT_TRUE(drv::Click(d, IDC_ASC_OPEN));
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "1e-5"));
      lo = drv::Text(d, IDC_ASC_OUTLO);
      hi = drv::Text(d, IDC_ASC_OUTHI);
      EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
      drv::Click(d, IDCANCEL);
    });
    EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
    EXPECT_TRUE(answers.AllAnswered());
    EXPECT_EQ(lo, dir > 0 ? "1.5000000000e+06" : "1.5000000150e+06");
    EXPECT_EQ(hi, dir > 0 ? "1.5000000150e+06" : "1.5000000000e+06");
    const std::vector<float> m = ReadFloats("M.bin");
    ASSERT_EQ(m.size(), 1501u);
    // Rising: A on 0..499, B on 500..1500. Falling: B on 0..1000, A's rest on 1001..1500.
    const size_t bFrom = dir > 0 ? 500 : 0;
    const size_t aShift = dir > 0 ? 0 : 500;
    for (size_t j = 0; j < m.size(); ++j) {
      if (j >= bFrom && j <= bFrom + 1000)
        EXPECT_NEAR(m[j], 5.0 + 1e-4 * static_cast<double>(j - bFrom), 1e-4) << j;
      else
        EXPECT_EQ(m[j], a[j - aShift]) << j;
    }
    EXPECT_DOUBLE_EQ(Dsp.Init_Frq, dir > 0 ? 1500000.0 : 1500000.015);
  }
}

// A scan at 1.5e6 MHz on a step of 1e-5 MHz lands on the grid point of its first
// frequency, though the rounding of the frequencies leaves it a hair short of it: the
// point before stays 0 and the last line's value lands on its own point; rising from
// 500 and 4096 points above LOW, falling from 332 points below it.
TEST_F(InputDialogsTest, AsciiScanAtHighFrequenciesLandsOnTheGridPointOfItsFirstLine) {
  struct Case {
    int offset, dir;
    const char *lo, *hi;
    size_t points;
  };
  for (const Case& c : {Case{500, 1, "1500000.0", "1500000.015", 1501}, Case{4096, 1, "1500000.0", "1500000.06", 6001},
                        Case{332, -1, "1500000.015", "1500000.0", 1501}}) {
    SCOPED_TRACE(c.offset);
    Cnv = CnvRecord{};
    Cnv.Asc_NamesTaken = 1;
    StrCopy(Cnv.Asc_OutFlnm[0], "scan.bin");
    WriteText("scan.txt", c.dir > 0 ? ScanAt15(c.offset, 1, 1001) : ScanAt15(1500 - c.offset, -1, 1001));
    drv::Answers answers;
    answers.File(Path("scan.txt")).Box("Question", "AUTO SCALE & OFFSET?", IDNO);
    Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
      EXPECT_TRUE(drv::Click(d, IDC_ASC_OPEN));
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "1e-5"));
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTLO, c.lo));
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTHI, c.hi));
      EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
      drv::Click(d, IDCANCEL);
    });
    EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
    EXPECT_TRUE(answers.AllAnswered());
    const std::vector<float> out = ReadFloats("scan.bin");
    ASSERT_EQ(out.size(), c.points);
    const auto at = static_cast<size_t>(c.offset);
    EXPECT_EQ(out[at - 1], 0.0f);
    EXPECT_NEAR(out[at], 5.0f, 1e-5);
    EXPECT_NEAR(out[at + 500], 5.05f, 1e-5);
    EXPECT_NEAR(out[at + 1000], 5.1f, 1e-5);
    if (at + 1001 < out.size()) {
      EXPECT_EQ(out[at + 1001], 0.0f);
    }
  }
}

// A line whose intensity is not a number ("nan", or "inf", which 1/Y would make 0) is
// refused by its line before anything is written, and so is a merge into a file on
// another step that holds a missing value: the spline would spread it.
TEST_F(InputDialogsTest, AsciiValuesThatAreNotNumbersAreRefusedAndTheOutputKept) {
  const std::vector<float> old(5, 9.0f);
  for (const char* bad : {"nan", "inf"}) {
    SCOPED_TRACE(bad);
    Cnv = CnvRecord{};
    Cnv.Asc_NamesTaken = 1;
    StrCopy(Cnv.Asc_OutFlnm[0], "out.bin");
    WriteFloats("out.bin", old);
    std::string t;
    for (int i = 0; i < 2001; ++i) t += StrPrintf("%d %s\r\n", 100 + i, i == 999 ? bad : "2.5");
    WriteText("t.txt", t);
    const bool inverse = std::string(bad) == "inf";
    drv::Answers answers;
    answers.File(Path("t.txt")).Box("Warning",
                                    "ASCII (TXT) INPUT [" + Path("t.txt") +
                                        "]\n\nVALUE ON LINE [1000] IS NOT A FINITE NUMBER\n\nABORTING",
                                    IDOK);
    Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
      EXPECT_TRUE(drv::Click(d, IDC_ASC_OPEN));
      if (inverse) {
        EXPECT_TRUE(drv::SetCheck(d, IDC_ASC_INVY, true));
      }
      EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
      drv::Click(d, IDCANCEL);
    });
    EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
    EXPECT_TRUE(answers.AllAnswered());
    EXPECT_EQ(Cnv.Asc_InvY, inverse ? 1u : 0u);
    EXPECT_EQ(ReadFloats("out.bin"), old);
    EXPECT_STRNE(Dsp.Chn_Flnm[1], "out.bin");
  }

  // The merge target holds a missing value at its point 3 (a NaN, or 1e20, from which
  // the spline would ring over tens of points) and is on the step 2, the output on 1.
  for (const float missing : {std::nanf(""), 1e20f}) {
    SCOPED_TRACE(missing);
    std::vector<float> target{1, 2, 3, missing, 5, 6};
    WriteFloats("M.bin", target);
    Cnv = CnvRecord{};
    Cnv.Asc_NamesTaken = 1;
    StrCopy(Cnv.Asc_OutFlnm[0], "M.bin");
    Dsp.Init_Frq = 100.0;
    Dsp.FSR = 6.0;
    Dsp.Pts_FSR = 3;
    Dsp.Frq_Stp = 2.0;
    WriteText("t.txt", "104 1\r\n105 1\r\n106 1\r\n");
    drv::Answers answers;
    answers.File(Path("t.txt")).Box("Warning",
                                    std::string("[1] FILE [M.bin] POINT [3] HAS NO VALUE [") +
                                        (std::isnan(missing) ? "NAN" : "1E+20") +
                                        "]\n\nCANNOT RELINEARIZE FILE\n\nABORTING",
                                    IDOK);
    Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
      EXPECT_TRUE(drv::Click(d, IDC_ASC_ADD1));
      EXPECT_TRUE(drv::Click(d, IDC_ASC_OPEN));
      EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "1"));
      EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
      drv::Click(d, IDCANCEL);
    });
    EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
    EXPECT_TRUE(answers.AllAnswered());
    const std::vector<float> kept = ReadFloats("M.bin");
    ASSERT_EQ(kept.size(), target.size());
    for (size_t i = 0; i < kept.size(); ++i)
      if (i != 3) {
        EXPECT_EQ(kept[i], target[i]) << i;
      }
    EXPECT_EQ(std::isnan(kept[3]), std::isnan(missing));
  }
}

TEST_F(InputDialogsTest, AsciiColumnClashAddOnAMissingFileAndTheScrollBars) {
  WriteText("t.txt", Table(10, 1.0));
  StrCopy(Cnv.Ascii_Flnm, Path("t.txt").c_str());
  Cnv.Asc_First = 2;
  Cnv.Asc_YCol[1] = 3;  // Y2 holds field 3
  Cnv.Asc_NamesTaken = 1;
  // FIRST meeting LAST leaves one line: every probe then warns, as it should.
  std::vector<std::string> boxes;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    boxes.push_back(box.text);
    return IDOK;
  });
  std::vector<std::string> firsts;
  Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_LAST, "4"));
    // Y1 takes the column Y2 holds: Y1 goes back to NONE (Y2 still holds it).
    EXPECT_TRUE(drv::ChooseRadio(d, AsciiColumnRadio(1, 3)));
    EXPECT_EQ(Cnv.Asc_YCol[0], 0);
    EXPECT_EQ(Cnv.Asc_YCol[1], 3);
    EXPECT_TRUE(drv::IsChecked(d, AsciiColumnRadio(1, 0)));
    // ADD on a file that does not exist: refused, the box stays clear.
    EXPECT_TRUE(drv::Click(d, IDC_ASC_ADD1));
    EXPECT_FALSE(drv::IsChecked(d, IDC_ASC_ADD1));
    EXPECT_EQ(Cnv.Asc_Add[0], 0u);
    // The FIRST bar goes up while FIRST is below LAST, down while it is at least 2.
    drv::Scroll(d, IDC_ASC_BAR_FIRST, true, 5);
    firsts.push_back(drv::Text(d, IDC_ASC_FIRST));
    drv::Scroll(d, IDC_ASC_BAR_FIRST, false, 9);
    firsts.push_back(drv::Text(d, IDC_ASC_FIRST));
    drv::Scroll(d, IDC_ASC_BAR_LAST, false, 9);  // LAST stops at FIRST
    firsts.push_back(drv::Text(d, IDC_ASC_LAST));
    drv::Click(d, IDCANCEL);
  });
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0], "FILE [AsciiBin1] DOES NOT EXIST\n\nADD STAT DISABLED");
  for (size_t i = 1; i < boxes.size(); ++i)
    EXPECT_EQ(boxes[i], "INPUT ARRAY SIZE ZERO | INPUT / OUTPUT FRQ RANGE ZERO | OUTPUT RESOLUTION ZERO");
  EXPECT_EQ(firsts, (std::vector<std::string>{"4", "1", "1"}));
}

TEST_F(InputDialogsTest, AsciiFiveFoldQuestionAndTheViewsOfALongOutput) {
  std::string t;
  for (int i = 0; i <= 100; ++i) t += StrPrintf("%d %d\r\n", i, i * i);
  WriteText("t.txt", t);
  StrCopy(Cnv.Ascii_Flnm, Path("t.txt").c_str());
  Cnv.Asc_NamesTaken = 1;
  StrCopy(Cnv.Asc_OutFlnm[0], "long.bin");
  drv::Answers answers;
  answers.Box("Question", "INPUT & OUTPUT RESOLUTIONS DIFFER BY MORE THAN FIVE FOLD*", IDCANCEL)
      .Box("Question", "AUTO SCALE & OFFSET?", IDNO)
      .Box("Warning", "ALL DATA IN FILE [long.bin] WILL BE OVERWRITTEN", IDOK)
      .Box("Question", "INPUT & OUTPUT RESOLUTIONS DIFFER BY MORE THAN FIVE FOLD*", IDYES)
      .Box("Question", "AUTO SCALE & OFFSET?", IDNO);
  std::vector<size_t> sizes;
  Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
    // 10 against 1 asks; Cancel ends the command.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "10"));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    sizes.push_back(ReadFloats("long.bin").size());
    // 5 against 1 does not ask.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "5"));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    sizes.push_back(ReadFloats("long.bin").size());
    EXPECT_TRUE(drv::IsChecked(d, IDC_ASC_ADD1));  // the next conversion would merge
    EXPECT_TRUE(drv::Click(d, IDC_ASC_ADD1));      // overwrite instead
    // 0.0005 against 1 asks; Yes goes on: 200,001 points get the maximum views.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "0.0005"));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    drv::Click(d, IDCANCEL);
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(sizes, (std::vector<size_t>{0, 21}));
  const std::vector<float> out = ReadFloats("long.bin");
  ASSERT_EQ(out.size(), 200001u);
  EXPECT_NEAR(out[100000], 2500.0f, 1e-2);  // x = 50
  EXPECT_EQ(Win.ViewKind[1][1], 0);
  EXPECT_EQ(Win.ViewKind[2][1], 0);
  EXPECT_EQ(Win.X_PAGES[1], 100.0);
  EXPECT_EQ(Win.X_PAGES[2], 1000.0);
  EXPECT_EQ(Win.View_Level, 0);
}

// The two Yes/No/Cancel questions of the dialog offer their three buttons, and each
// answer does what it names: an existing output is added to, overwritten, or left
// out; a resolution five times off is kept, replaced by the input's, or the
// conversion is not made.
TEST_F(InputDialogsTest, AsciiQuestionsTakeEachOfTheirThreeAnswers) {
  WriteText("t.txt", Table(21, 1.0));
  StrCopy(Cnv.Ascii_Flnm, Path("t.txt").c_str());
  Cnv.Asc_First = 2;
  Cnv.Asc_NamesTaken = 1;
  const std::vector<float> old(700, 9.0f);
  {
    std::ofstream out(Path("old.bin"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(old.data()), static_cast<std::streamsize>(old.size() * 4));
  }
  const std::string exists = "FILE [old.bin] EXISTS\n\nADD TO [YES] | OVERWRITE [NO] | ABORT [CANCEL]";
  const std::string fiveFold = "INPUT & OUTPUT RESOLUTIONS DIFFER BY MORE THAN FIVE FOLD*";
  drv::Answers answers;
  answers.Box("Question", exists, IDCANCEL)
      .Box("Question", exists, IDNO)
      .Box("Question", exists, IDYES)
      .Box("Warning", "ALL DATA IN FILE [old.bin] WILL BE OVERWRITTEN", IDOK)
      .Box("Question", fiveFold, IDCANCEL)
      .Box("Question", fiveFold, IDNO)
      .Box("Question", "AUTO SCALE & OFFSET?", IDNO)
      .Box("Warning", "ALL DATA IN FILE [old.bin] WILL BE OVERWRITTEN", IDOK)
      .Box("Question", fiveFold, IDYES)
      .Box("Question", "AUTO SCALE & OFFSET?", IDNO);
  std::vector<size_t> sizes;
  std::string outRes;
  Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
    // Abort: Y1 has no column any more.
    EXPECT_TRUE(drv::ChooseRadio(d, AsciiColumnRadio(1, 2)));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTNAME1, "old.bin"));
    EXPECT_EQ(Cnv.Asc_YCol[0], 0);
    // Overwrite: the column stays, nothing is added to.
    EXPECT_TRUE(drv::ChooseRadio(d, AsciiColumnRadio(1, 2)));
    EXPECT_EQ(Cnv.Asc_YCol[0], 2);
    EXPECT_EQ(Cnv.Asc_Add[0], 0u);
    // Add to: the output range becomes the existing file's.
    EXPECT_TRUE(drv::ChooseRadio(d, AsciiColumnRadio(1, 0)));
    EXPECT_TRUE(drv::ChooseRadio(d, AsciiColumnRadio(1, 2)));
    EXPECT_EQ(Cnv.Asc_Add[0], 1u);
    EXPECT_TRUE(drv::IsChecked(d, IDC_ASC_ADD1));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_ADD1));  // overwrite after all
    // The resolution: Cancel converts nothing, No takes the input's.
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "10"));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    EXPECT_EQ(ReadFloats("old.bin"), old);
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    outRes = drv::Text(d, IDC_ASC_OUTRES);
    sizes.push_back(ReadFloats("old.bin").size());
    // Yes keeps the resolution asked for.
    EXPECT_TRUE(drv::Click(d, IDC_ASC_ADD1));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTRES, "0.1"));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    sizes.push_back(ReadFloats("old.bin").size());
    drv::Click(d, IDCANCEL);
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  // The output range stays the one the added-to file gave: 7 to 706.
  EXPECT_EQ(sizes, (std::vector<size_t>{700, 6991}));
  EXPECT_EQ(outRes, "1.0000000000e+00");
  for (const platform::BoxRequest& box : platform::BoxLog()) {
    if (box.text.find("[CANCEL]") != std::string::npos) {
      EXPECT_EQ(box.style, 0x1023u) << box.text;
    }
  }
}

TEST_F(InputDialogsTest, AsciiCreateEmptyWritesABlankFileThroughTheEngine) {
  Cnv.Asc_NamesTaken = 1;
  StrCopy(Cnv.Asc_OutFlnm[0], "blank.bin");
  Cnv.Asc_OutFrqLo = 10.0;
  Cnv.Asc_OutFrqHi = 20.0;
  Cnv.Asc_OutRes = 0.5;
  drv::Answers answers;
  answers.Box("Warning", "FAILED TO OPEN ASCII FILE [ASCII] FOR READING\n\nABORTING", IDOK)
      .Box("Question", "BLANK SPACE FILE OPERATION*", IDYES)
      .Box("Info", "BLANK FILE CREATED", IDOK);
  Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
    drv::Click(d, IDC_ASC_CONVERT);  // no file was read
    drv::Click(d, IDC_ASC_EMPTY);
    EXPECT_NE(GetWindowLongPtr(GetDlgItem(d, IDC_ASC_FIRST), GWL_STYLE) & ES_READONLY, 0);
    drv::Click(d, IDC_ASC_CONVERT);
    drv::Click(d, IDCANCEL);
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(ReadFloats("blank.bin"), std::vector<float>(21, 0.0f));
  EXPECT_STREQ(Dsp.Chn_Flnm[1], "blank.bin");
  EXPECT_EQ(Dsp.Init_Frq, 10.0);
}

// A blank file on another step, created while a view run builds channel 0: the run
// ends before the axis changes, so the frequency of a pixel at every view level is the
// new step's, not the one the run took.
TEST_F(InputDialogsTest, AsciiCreateEmptyDuringAViewRunLeavesEveryLevelOnTheNewStep) {
  LetViewRuns();
  Win.Page_Width = 300;
  WriteFloats("a.bin", std::vector<float>(30000, 1.0f));
  StrCopy(Dsp.Chn_Flnm[0], "a.bin");
  Dsp.Chn_DspStat[0] = 1;
  Win.Active_Chn = 0;
  Cnv.Asc_NamesTaken = 1;
  StrCopy(Cnv.Asc_OutFlnm[0], "blank.bin");
  Cnv.Asc_OutFrqLo = 0.0;
  Cnv.Asc_OutFrqHi = 20000.0;
  Cnv.Asc_OutRes = 2.0;
  qvtest::HeldViewRun::Make();
  ThreadCtl.View_FilesHook = &qvtest::HeldViewRun::Hook;
  ThreadCtl.View_Busy = 1;
  Win.ViewPageType = 0;
  Win.ViewPrep = 1;
  ASSERT_EQ(FunctionThreadCreate(DisplayQviQvoSetup), 1);
  drv::Answers answers;
  answers.Box("Question", "BLANK SPACE FILE OPERATION*", IDYES).Box("Info", "BLANK FILE CREATED", IDOK);
  Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
    ASSERT_TRUE(drv::PumpUntil(qvtest::HeldViewRun::Reached, 60000));
    ThreadCtl.View_FilesHook = nullptr;
    drv::Click(d, IDC_ASC_EMPTY);
    drv::Click(d, IDC_ASC_CONVERT);
    SetEvent(qvtest::HeldViewRun::go);
    drv::Click(d, IDCANCEL);
  });
  ASSERT_TRUE(drv::PumpUntil([] { return ThreadCtl.View_Running == 0 && ThreadCtl.View_Request == 0; }, 60000));
  ASSERT_EQ(WaitForSingleObject(ThreadCtl.View_Thread, 60000), WAIT_OBJECT_0);
  qvtest::HeldViewRun::Close();
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  EXPECT_EQ(Dsp.Frq_Stp, 2.0);
  for (int v = 0; v < 3; ++v) EXPECT_DOUBLE_EQ(Dsp.FrqStpView[v], Dsp.Pts2Pxl[v] * 2.0) << v;
  EXPECT_NE(Dsp.Fl_Pt[0][0], nullptr);  // channel 0's views, built before the change
  DisplayViewArraysFree(0);
}

// ASCII2BIN writes the file it names, from the column it names, whatever output the
// dialog took from channel 1; its column 4 is read too. The intensity factor of an
// .xyt file stays with that file: CONVERT after OPEN keeps it, a file named by the
// command or by typing starts again at 1.
TEST_F(InputDialogsTest, Ascii2binWritesOnlyItsOutputAndTheXytFactorStaysWithItsFile) {
  std::string plain;
  for (int i = 0; i < 20; ++i) {
    const double y = 1.0 + 0.142372 * i;
    plain += StrPrintf("%d %.6f 0 %.6f\r\n", i + 1, y, 2.0 * y);
  }
  WriteText("plain.txt", plain);
  std::string xyt;
  for (int i = 0; i < 8; ++i) xyt += StrPrintf("HEADER %d\r\n", i);
  for (int i = 0; i < 20; ++i) xyt += StrPrintf("%d %.9f\r\n", 100 + i, 0.001 * (1.0 + 0.142372 * i));
  xyt += "END\r\nEND\r\nEND\r\n";
  WriteText("band.xyt", xyt);
  const std::vector<float> etalon(100, 3.0f);
  WriteFloats("etalon.bin", etalon);
  StrCopy(Dsp.Chn_Flnm[1], "etalon.bin");
  {
    drv::Answers answers;
    answers.File(Path("band.xyt"));
    Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
      EXPECT_EQ(drv::Text(d, IDC_ASC_OUTNAME1), "etalon.bin");
      EXPECT_TRUE(drv::Click(d, IDC_ASC_OPEN));
      drv::Click(d, IDCANCEL);
    });
    EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  }
  EXPECT_EQ(Cnv.Asc_ItnFactor, 1000.0);
  const std::vector<std::string> boxes =
      qvtest::RunOpSeq({"ASCII2BIN", "-1 plain.txt q.bin 1 2 1 0 0 0 0.5", "ASCII2BIN", "2 plain.txt r.bin 1 4 1 20 0 0 1.0"});
  for (const std::string& box : boxes) EXPECT_EQ(box.find("FAILED"), std::string::npos) << box;
  EXPECT_EQ(ReadFloats("etalon.bin"), etalon);
  EXPECT_FALSE(std::filesystem::exists("AsciiBin1"));
  const std::vector<float> q = ReadFloats("q.bin");
  ASSERT_EQ(q.size(), 39u);  // lines 1 to 20 at 0.5
  EXPECT_NEAR(q[0], 1.0f, 1e-5);
  EXPECT_NEAR(q[2], 1.142372f, 1e-5);
  const std::vector<float> r = ReadFloats("r.bin");
  ASSERT_EQ(r.size(), 20u);
  EXPECT_NEAR(r[1], 2.284744f, 1e-5);
  EXPECT_STREQ(Dsp.Chn_Flnm[2], "r.bin");
  EXPECT_EQ(Cnv.Asc_YCol[1], 4);
  EXPECT_EQ(Cnv.Asc_ItnFactor, 1.0);

  drv::Answers answers;
  answers.File(Path("band.xyt"))
      .Box("Question", "AUTO SCALE & OFFSET?", IDNO)
      .Box("Question", "FILE [typed.bin] DOES NOT EXIST\n\nSET OUTPUT RANGE & RESOLUTION TO INPUT VALUES*", IDYES)
      .Box("Question", "AUTO SCALE & OFFSET?", IDNO);
  std::string itnScl;
  Run(IDD_ASCII_INPUT, &AsciiInputDialogProc, [&](HWND d) {
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTNAME1, "xyt.bin"));
    EXPECT_TRUE(drv::ChooseRadio(d, AsciiColumnRadio(1, 2)));
    EXPECT_TRUE(drv::ChooseRadio(d, AsciiColumnRadio(2, 0)));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_OPEN));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTLO, "0"));  // the output range of the input
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTHI, "0"));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_FLNM, "plain.txt"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_FIRST, "1"));
    EXPECT_TRUE(drv::TypeAndCommit(d, IDC_ASC_OUTNAME1, "typed.bin"));
    EXPECT_TRUE(drv::Click(d, IDC_ASC_CONVERT));
    itnScl = drv::Text(d, IDC_ASC_ITNSCL);
    drv::Click(d, IDCANCEL);
  });
  EXPECT_TRUE(answers.Failures().empty()) << answers.Failures()[0];
  EXPECT_TRUE(answers.AllAnswered());
  const std::vector<float> x = ReadFloats("xyt.bin");
  ASSERT_EQ(x.size(), 20u);
  EXPECT_NEAR(x[0], 1.0f, 1e-4);
  EXPECT_NEAR(x[1], 1.142372f, 1e-4);
  const std::vector<float> typed = ReadFloats("typed.bin");
  ASSERT_EQ(typed.size(), 20u);
  EXPECT_NEAR(typed[0], 1.0f, 1e-5);
  EXPECT_NEAR(typed[1], 1.142372f, 1e-5);
  EXPECT_EQ(itnScl, "1.00000000");
}

}  // namespace
