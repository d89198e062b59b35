// The scroll printout on the impact printer: the captured byte stream against a small
// ESC/P encoder and decoder of the tests' own, the header, column reduction, spooling
// failures, paper moves, calibration labels and the options dialog.
#include "display/Print.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "DisplayFixture.h"
#include "platform/windows/Dialog.h"
#include "platform/kernel/Error.h"
#include "platform/gdi/Gdi.h"
#include "platform/driver/TestDriver.h"
#include "records/Cnl.h"
#include "records/Sim.h"
#include "resources/Dialogs.h"

namespace {

namespace drv = platform::driver;
using Bytes = std::string;

// Builds an ESC/P stream the way the printer reads it.
struct Escp {
  Bytes out;
  Escp& Raw(std::initializer_list<int> bytes) {
    for (int b : bytes) out += static_cast<char>(b);
    return *this;
  }
  Escp& Text(const std::string& text) {
    out += text;
    return *this;
  }
  Escp& Position(int p) { return Raw({0x1B, '$', p % 256, p / 256}); }
  // A bit-image line from the dots that are set (dot -> bits); the count runs to
  // the highest dot set.
  Escp& Image(char letter, const std::map<int, int>& dots) {
    int count = dots.empty() ? 0 : dots.rbegin()->first + 1;
    Raw({0x1B, letter, count % 256, count / 256});
    for (int x = 0; x < count; ++x) out += static_cast<char>(dots.count(x) ? dots.at(x) : 0);
    return *this;
  }
  Escp& Full(char letter, int dots, int value) {
    Raw({0x1B, letter, dots % 256, dots / 256});
    out.append(static_cast<size_t>(dots), static_cast<char>(value));
    return *this;
  }
};

// The bit-image lines of a stream with the paper advance after each, and the
// labels' back-and-forth moves. Fails the test when a command is cut short.
struct Decoded {
  struct Line {
    char letter;
    std::vector<uint8_t> dots;
    int advance = 0;
  };
  std::vector<Line> lines;
  bool complete = true;
};
Decoded Decode(const Bytes& s) {
  Decoded d;
  size_t i = 0;
  auto need = [&](size_t n) {
    if (i + n > s.size()) d.complete = false;
    return i + n <= s.size();
  };
  while (i < s.size()) {
    if (s[i] != 0x1B) {
      ++i;
      continue;
    }
    if (!need(2)) break;
    const char c = s[i + 1];
    if (c == 'K' || c == 'L' || c == 'Z') {
      if (!need(4)) break;
      const size_t count = static_cast<uint8_t>(s[i + 2]) + 256u * static_cast<uint8_t>(s[i + 3]);
      i += 4;
      if (!need(count)) break;
      Decoded::Line line{c, std::vector<uint8_t>(s.begin() + static_cast<std::ptrdiff_t>(i),
                                                 s.begin() + static_cast<std::ptrdiff_t>(i + count))};
      d.lines.push_back(line);
      i += count;
    } else if (c == 'J') {
      if (!need(3)) break;
      if (!d.lines.empty()) d.lines.back().advance += static_cast<uint8_t>(s[i + 2]);
      i += 3;
    } else if (c == '$') {
      i += 4;
    } else if (c == '@' || c == '4') {
      i += 2;
    } else {
      i += 3;  // ESC U, ESC !, ESC A, ESC j with one parameter byte
    }
  }
  return d;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class PrintTest : public qvtest::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    Sim = SimRecord{};
    Cnl = CnlRecord{};
    RegisterDialogResources();
    platform::SetPrinterCaptureFolder((dir_.Path() / "spool").string());
    platform::SetRawPrinterNames({platform::kDefaultRawPrinterName});
    platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
    platform::ClearPrintJobs();
    StrCopy(Dsp.Data_Dir, "C:\\DATA\\RUN1");
    StrCopy(Dsp.Work_Date, "07-12-2026");
    StrCopy(Dsp.Work_Time, "12:30");
    StrCopy(Dsp.Work_Comment, "FLAT");
    Dsp.Init_Frq = 100.0;
    Dsp.FSR = 10.0;
    Dsp.Frq_Stp = 0.5;
  }
  void TearDown() override {
    platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
    DisplayTest::TearDown();
  }

  // Shows channel c from a float file of the given values.
  void Show(int16_t c, const std::string& name, const std::vector<float>& values, double scalar = 1.0,
            double offset = 0.0, uint32_t digital = 0) {
    WriteRaw(name, values.size(), [&](uint64_t i) { return values[i]; });
    StrCopy(Dsp.Chn_Flnm[c], name.c_str());
    Dsp.Chn_Scalar[c] = scalar;
    Dsp.Chn_Offset[c] = offset;
    Dsp.Chn_Dig[c] = digital;
    Dsp.FL_SZ[WIN_RAW][c] = static_cast<uint32_t>(values.size());
    Win.Shown_List[Win.Shown_Count++] = c;
    if (Win.Active_Chn == 9) Win.Active_Chn = c;
  }
  void Range(int32_t start, int32_t end, int16_t average) {
    Win.Prnt_StartPt = start;
    Win.Prnt_EndPt = end;
    Win.Prnt_PtsAve = average;
  }
  // Prints and returns the capture of the one job it made.
  Bytes Print(int32_t expected = 1) {
    platform::ClearPrintJobs();
    EXPECT_EQ(PrntCmd(Win.hWnd_Main, SCROLL_PRINTER_NAME, 0), expected);
    auto jobs = platform::PrintJobs();
    EXPECT_EQ(jobs.size(), 1u);
    if (jobs.empty()) return {};
    EXPECT_EQ(jobs[0].document, "SCROLLED PRINT");
    EXPECT_TRUE(jobs[0].raw);
    return ReadFile(jobs[0].path);
  }
  // The printer set-up and header of a printout with one channel named name at p.
  static Escp Header(const std::string& axis, const std::vector<std::pair<int, std::string>>& names) {
    Escp e;
    e.Raw({0x1B, 0x40, 0x1B, 0x55, 0x30, 0x1B, 0x21, 0x38});
    e.Position(168).Text("C:\\DATA\\RUN1").Raw({0x0A, 0x0D});
    e.Text("07-12-2026").Position(420).Text("12:30").Raw({0x1B, 0x21, 0x1C});
    e.Raw({0x0A, 0x0D}).Text("FLAT").Raw({0x0A, 0x0D}).Text(axis).Raw({0x0A, 0x0D});
    for (const auto& [p, name] : names) e.Position(p).Text(name);
    e.Raw({0x0D, 0x1B, 0x41, 0x08}).Full('L', 960, 0x01).Raw({0x0D, 0x1B, 0x4A, 0x15, 0x1B, 0x21, 0x0C});
    return e;
  }
  static void Closing(Escp& e) {
    e.Full('L', 960, 0x80).Raw({0x0A, 0x0D, 0x1B, 0x21, 0x1C, 0x1B, 0x4A, 0xD8, 0x0D, 0x1B, 0x34, 0x1B, 0x40});
  }
  // The dot of a printed column as the printer draws it (analog channel: 0.1).
  static int Dot(float v, double scalar, double offset, double k, int dots) {
    double x = (static_cast<double>(v) + offset) * scalar * k * dots;
    return x < 0 ? 0 : x >= dots - 1 ? dots - 1 : static_cast<int>(x);
  }
};

TEST_F(PrintTest, FlatTraceIsTheWholeExpectedStream) {
  Show(0, "flat.bin", std::vector<float>(16, 1.0f));
  Range(0, 16, 1);
  const Bytes capture = Print();
  // 1.0 x 1.0 x 0.1 x 960 dots = dot 96; its name at 1.0 x 480 x 0.1 = 48.
  Escp e = Header("INIT FREQ = 100.00000000      FSR = 10.00000000      FRQ UNIT/CM = 14.17322835"
                  "      POINTS AVERAGED = 1",
                  {{48, "flat.bin"}});
  // First line: the base line under 8 columns, columns 0..6 on pins 0x40..0x01.
  e.Image('L', {{0, 0xFF}, {96, 0x7F}}).Raw({0x0D, 0x1B, 0x4A, 24});
  // Second line: column 7 of the first block handed over on pin 0x80.
  e.Image('L', {{0, 0xFF}, {96, 0xFF}}).Raw({0x0D, 0x1B, 0x4A, 24});
  // Closing line: column 7 of the second block.
  e.Image('L', {{0, 0x80}, {96, 0x80}}).Raw({0x0D, 0x1B, 0x4A, 3});
  Closing(e);
  EXPECT_EQ(capture, e.out);
  EXPECT_TRUE(platform::BoxLog().empty());
}

TEST_F(PrintTest, RampAndSineAreDrawnColumnByColumnAndJoined) {
  const int n = 64;
  std::vector<float> ramp(n), sine(n);
  for (int i = 0; i < n; ++i) {
    ramp[i] = static_cast<float>(i) * 0.15f;  // 28.8 dots a column
    sine[i] = static_cast<float>(5.0 + 4.0 * std::sin(i * 0.7));
  }
  Show(0, "ramp.bin", ramp);
  Show(1, "sine.bin", sine, 1.0, 0.0, 1);
  Dsp.Chn_Scalar[1] = 0.1;  // digital: 5 +- 4 x 0.1 x 1.0 x 1920 dots
  StrCopy(Win.Prnt_Density, "QUADRUPLE");
  Range(0, n, 1);
  const Decoded decoded = Decode(Print());
  ASSERT_TRUE(decoded.complete);
  // Header line, 8 data lines, the closing line and the closing full line.
  ASSERT_EQ(decoded.lines.size(), 11u);
  for (const auto& line : decoded.lines) EXPECT_EQ(line.letter, 'Z');
  EXPECT_EQ(decoded.lines.front().dots.size(), 1920u);
  // Raster rows: 8 per line, pin 0x80 first.
  std::vector<std::vector<bool>> raster(8 * 9, std::vector<bool>(1920, false));
  for (int l = 1; l <= 9; ++l) {
    EXPECT_EQ(decoded.lines[l].advance, l == 9 ? 3 : 24);
    for (size_t x = 0; x < decoded.lines[l].dots.size(); ++x)
      for (int pin = 0; pin < 8; ++pin)
        if (decoded.lines[l].dots[x] & (0x80 >> pin)) raster[(l - 1) * 8 + pin][x] = true;
  }
  for (const auto& [values, scalar, k] : {std::tuple{ramp, 1.0, 0.1}, std::tuple{sine, 0.1, 1.0}}) {
    for (int g = 0; g < n; ++g) {
      const int dot = Dot(values[g], scalar, 0.0, k, 1920);
      // Column g sits on raster row g + 1.
      EXPECT_TRUE(raster[g + 1][dot]) << "column " << g;
      if (g + 1 == n) break;
      const int next = Dot(values[g + 1], scalar, 0.0, k, 1920);
      for (int x = std::min(dot, next); x <= std::max(dot, next); ++x)
        EXPECT_TRUE(raster[g + 1][x] || raster[g + 2][x]) << "column " << g << " dot " << x;
    }
  }
  // Every line's count runs to its highest dot: the last byte holds a dot.
  for (const auto& line : decoded.lines) EXPECT_NE(line.dots.back(), 0);
}

TEST_F(PrintTest, HeaderPlacesTextsAndNames) {
  StrCopy(Dsp.Data_Dir, "D:\\SPECTRA\\2026\\RUN7");  // 20 characters: centred at 120
  ASSERT_EQ(std::strlen(Dsp.Data_Dir), 20u);
  Show(0, "chan9.bin", std::vector<float>(8, 0.98020833f), 1.0, 0.0, 1);  // 470.5 -> 470
  Show(1, "neg.bin", std::vector<float>(8, -1.0f));
  Cnl.Mks_Cnt = 5;
  Range(0, 8, 1);
  const Bytes capture = Print();
  EXPECT_NE(capture.find(Bytes("\x1B$\x78\x00", 4) + "D:\\SPECTRA\\2026\\RUN7"), Bytes::npos);
  EXPECT_NE(capture.find(Bytes("\x1B$\xA4\x01", 4) + "12:30"), Bytes::npos);
  EXPECT_NE(capture.find(Bytes("\x1B$\xC2\x01", 4) + "chan9.bin"), Bytes::npos);  // 450
  EXPECT_NE(capture.find(Bytes("\x1B$\x00\x00", 4) + "neg.bin"), Bytes::npos);
  EXPECT_NE(capture.find("      # MARKERS = 4      FRQ UNIT/CM"), Bytes::npos);
  EXPECT_NE(capture.find("FINAL FREQ = 104.00000000"), Bytes::npos);
  // A folder wider than the line starts at the left margin; texts go one byte per
  // character.
  StrCopy(Dsp.Data_Dir, "/a/folder/name/that/is/longer/than/forty/chars");
  StrCopy(Win.Prnt_Comment, "T\xC3\xA9st \xE2\x82\xAC");  // "Tést €": é = 0xE9, € = U+20AC -> 0xAC
  const Bytes wide = Print();
  EXPECT_NE(wide.find(Bytes("\x1B$\x00\x00", 4) + "/a/folder/"), Bytes::npos);
  EXPECT_NE(wide.find("\x0A\x0DT\xE9st \xAC\x0A\x0D"), Bytes::npos);
}

TEST_F(PrintTest, NinePointsAreAveragedAndTenGiveTheSignedExtreme) {
  // Each group of 9 or 10 samples: zeros and one -9.0; offset 10 lifts the trace.
  auto firstDot = [&](int16_t average) {
    std::vector<float> v(static_cast<size_t>(average) * 8, 0.0f);
    for (size_t i = 0; i < v.size(); i += static_cast<size_t>(average)) v[i + 3] = -9.0f;
    Win.Shown_Count = 0;
    Show(0, "avg.bin", v, 1.0, 10.0);
    Range(0, static_cast<int32_t>(v.size()), average);
    const Decoded d = Decode(Print());
    EXPECT_EQ(d.lines.size(), 4u);
    for (size_t x = 1; d.lines.size() > 1 && x < d.lines[1].dots.size(); ++x)  // dot 0: the base line
      if (d.lines[1].dots[x] & 0x40) return static_cast<int>(x);
    return -1;
  };
  EXPECT_EQ(firstDot(9), 864);  // mean -1.0: (-1 + 10) x 0.1 x 960
  EXPECT_EQ(firstDot(10), 96);  // extreme -9.0: (-9 + 10) x 0.1 x 960
}

TEST_F(PrintTest, FailedSpoolWriteIsReportedOnceAndPrintingGoesOn) {
  Show(0, "flat.bin", std::vector<float>(40, 1.0f));
  Range(0, 40, 1);
  const Bytes whole = Print();
  ASSERT_GT(whole.size(), 2000u);
  platform::SetRawPrinterFailure(platform::RawPrinterStep::Write, 1);
  int boxes = 0;
  platform::SetBoxAnswerer([&](const platform::BoxRequest& box) {
    EXPECT_EQ(box.caption, "GetLastError");
    EXPECT_EQ(box.text, platform::LastErrorText());
    ++boxes;
    platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
    return IDOK;
  });
  const Bytes failed = Print();
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(failed, whole.substr(0, 1000) + whole.substr(2000));
  EXPECT_TRUE(platform::PrintJobs()[0].completed);
}

TEST_F(PrintTest, PaperMovesAreFourByteJobs) {
  EXPECT_EQ(PrntCmd(Win.hWnd_Main, SCROLL_PRINTER_NAME, 1), 1);
  EXPECT_EQ(PrntCmd(Win.hWnd_Main, SCROLL_PRINTER_NAME, -1), 1);
  auto jobs = platform::PrintJobs();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(ReadFile(jobs[0].path), Bytes("\x1B\x4A\x64\x0D"));
  EXPECT_EQ(ReadFile(jobs[1].path), Bytes("\x1B\x6A\x64\x0D"));
  for (const auto& job : jobs) {
    EXPECT_EQ(job.document, "SCROLLED PRINT");
    EXPECT_TRUE(job.completed);
  }
}

TEST_F(PrintTest, FailuresToOpenOrStartOrPrintReturnZeroAndCloseThePrinter) {
  platform::SetRawPrinterFailure(platform::RawPrinterStep::Open);
  EXPECT_EQ(PrntCmd(Win.hWnd_Main, SCROLL_PRINTER_NAME, 1), 0);
  platform::SetRawPrinterFailure(platform::RawPrinterStep::StartDoc);
  EXPECT_EQ(PrntCmd(Win.hWnd_Main, SCROLL_PRINTER_NAME, 1), 0);
  platform::SetRawPrinterFailure(platform::RawPrinterStep::None);
  EXPECT_TRUE(platform::PrintJobs().empty());
  // No channel to print: the document is ended (empty) and the printer closed.
  EXPECT_EQ(PrntCmd(Win.hWnd_Main, SCROLL_PRINTER_NAME, 0), 0);
  // A start at the end: nothing to print.
  Show(0, "flat.bin", std::vector<float>(8, 1.0f));
  Range(8, 8, 1);
  EXPECT_EQ(PrntCmd(Win.hWnd_Main, SCROLL_PRINTER_NAME, 0), 0);
  auto jobs = platform::PrintJobs();
  ASSERT_EQ(jobs.size(), 2u);
  for (const auto& job : jobs) {
    EXPECT_TRUE(job.completed);
    EXPECT_EQ(job.bytes, 0u);
  }
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"PrntCmd()/OpenPrinter()\n\nRETURNED FALSE\n\nABORTING",
                                                  "PrntCmd()/StartDocPrinter()\n\nRETURNED FALSE\n\nABORTING",
                                                  "DISPLAY CHANNELS TO PLOT FIRST\n\nABORTING",
                                                  "PrntData()\n\nNO DATA POINTS BETWEEN START AND END POINT\n\nABORTING"}));
  // Without an open document nothing is spooled and the printout stops at its set-up.
  EXPECT_EQ(PrntByte(1, 0x1B), 0);
  EXPECT_EQ(PrntScrollHeader(0, nullptr), 0);
  Range(0, 8, 1);
  EXPECT_EQ(PrntData(), 0);
  EXPECT_EQ(BoxTexts().back(), "PrntData()\n\nEPSON SETUP ERROR\n\nABORTING");
}

TEST_F(PrintTest, CalibrationLabelsAreGroupedAndIndented) {
  // The line databases lie one folder above the data folder.
  std::filesystem::create_directory(dir_.Path() / "data");
  std::filesystem::current_path(dir_.Path() / "data");
  auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir_.File(name), std::ios::binary) << text;
  };
  write("oh00.dat", "# set A\r\n3\r\nL1 1001.0 0.5\r\nL2 1003.0\r\n\r\nL3 1017.0\r\n");
  write("ohuvcal.dat", "1 0 2\r\n2 -1 0\r\n");
  write("od00.dat", "1\nM1 1004.0\n");
  Sim.Dsp_Stat[0] = Sim.Dsp_Stat[1] = 1;  // the entry counts come from the databases' headers
  Dsp.Init_Frq = 1000.0;
  Dsp.FrqStpView[1] = 1.0;
  std::vector<float> v(24, 1.0f);
  WriteRaw("data/flat.bin", v.size(), [](uint64_t) { return 1.0f; });
  StrCopy(Dsp.Chn_Flnm[0], "flat.bin");
  Dsp.Chn_Scalar[0] = 1.0;
  Dsp.FL_SZ[WIN_RAW][0] = 24;
  Win.Shown_List[Win.Shown_Count++] = 0;
  Win.Active_Chn = 0;
  Range(0, 24, 1);
  const Bytes capture = Print();
  auto label = [](int back, const std::string& text) {
    return Bytes("\x1Bj", 2) + static_cast<char>(back) + text + Bytes("\x0D\x1BJ", 3) + static_cast<char>(back);
  };
  const std::string first = " L1oh00.dat";  // the group starts at 0: one blank
  const std::string second = std::string(first.size() + 1, ' ') + "L2oh00.dat NP";
  const std::string third = std::string(second.size() + 1, ' ') + "M1od00.dat NP";
  const size_t a = capture.find(label(30, first));
  const size_t b = capture.find(label(24, second));
  const size_t c = capture.find(label(21, third));
  const size_t d = capture.find(label(30, "L3oh00.dat NP"));
  ASSERT_NE(a, Bytes::npos);
  ASSERT_NE(b, Bytes::npos);
  ASSERT_NE(c, Bytes::npos);
  ASSERT_NE(d, Bytes::npos);
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_LT(c, d);
  // Set B's database missing: it is switched off, the printout goes on.
  StrCopy(Sim.LineDb_Flnm[1], "missing.dat");
  const Bytes again = Print();
  EXPECT_EQ(Sim.Dsp_Stat[1], 0u);
  EXPECT_EQ(again.find("M1od00.dat"), Bytes::npos);
  EXPECT_NE(again.find("L3oh00.dat NP"), Bytes::npos);
}

TEST_F(PrintTest, OptionsDialogOpensPerViewLevelAndKeepsItsSettings) {
  Show(0, "a.bin", std::vector<float>(8, 0.0f));
  Dsp.FL_SZ[WIN_RAW][0] = 100000;
  Show(1, "b.bin", std::vector<float>(8, 0.0f));
  Dsp.FL_SZ[WIN_RAW][1] = 50000000;
  Win.Active_Chn = 1;
  Win.Shown_List[0] = 1;  // the first shown channel gives the LOW average
  struct Case {
    int16_t level;
    std::string start, end, average;
  };
  Dsp.Pts2Pxl[2] = 7.9;
  Win.Page_Start = 1234;
  Win.Page_Width = 640;
  const Case cases[] = {{0, "0", "50000000", "32767"}, {2, "0", "50000000", "7"}, {3, "1234", "1874", "1"}};
  for (const Case& k : cases) {
    Win.View_Level = k.level;
    std::vector<std::string> seen;
    drv::ModalHandler handler([&](HWND d, int id) {
      EXPECT_EQ(id, IDD_SCROLL_PRINTER);
      seen = {drv::Text(d, IDC_SP_START), drv::Text(d, IDC_SP_END), drv::Text(d, IDC_SP_AVERAGE)};
      EXPECT_EQ(drv::ListItems(d, IDC_SP_DENSITY), (std::vector<std::string>{"QUADRUPLE", "DOUBLE", "SINGLE"}));
      EXPECT_EQ(drv::ListSelection(d, IDC_SP_DENSITY), 1);
      drv::Click(d, IDCANCEL);
    });
    EXPECT_EQ(DialogBox(nullptr, MAKEINTRESOURCE(IDD_SCROLL_PRINTER), Win.hWnd_Main, ScrollPrinterDialogProc), IDCANCEL);
    EXPECT_EQ(seen, (std::vector<std::string>{k.start, k.end, k.average})) << "level " << k.level;
  }
  // Edits: pages follow; an average of 0 reads as 1; ADVANCE and RETRACT print at once.
  Win.View_Level = 3;
  drv::ModalHandler handler([&](HWND d, int) {
    drv::TypeAndCommit(d, IDC_SP_START, "0");
    drv::TypeAndCommit(d, IDC_SP_END, "2000");
    drv::TypeAndCommit(d, IDC_SP_AVERAGE, "10");
    EXPECT_EQ(drv::Text(d, IDC_SP_PAGES), "0.253");
    drv::TypeAndCommit(d, IDC_SP_AVERAGE, "0");
    EXPECT_EQ(Win.Prnt_PtsAve, 1);
    EXPECT_EQ(drv::Text(d, IDC_SP_PAGES), "2.525");
    drv::TypeAndCommit(d, IDC_SP_AVERAGE, "-5");
    EXPECT_EQ(Win.Prnt_PtsAve, 1);
    drv::TypeAndCommit(d, IDC_SP_AVERAGE, "10");
    drv::SelectRow(d, IDC_SP_DENSITY, 2);
    drv::TypeText(d, IDC_SP_COMMENT, "RUN 7");
    drv::Click(d, IDC_SP_ADVANCE);
    drv::Click(d, IDC_SP_RETRACT);
    EXPECT_EQ(platform::PrintJobs().size(), 2u);
    drv::Click(d, IDC_SP_PRINT);
  });
  EXPECT_EQ(DialogBox(nullptr, MAKEINTRESOURCE(IDD_SCROLL_PRINTER), Win.hWnd_Main, ScrollPrinterDialogProc),
            IDC_SP_PRINT);
  EXPECT_EQ(Win.Prnt_StartPt, 0);
  EXPECT_EQ(Win.Prnt_EndPt, 2000);
  EXPECT_EQ(Win.Prnt_PtsAve, 10);
  EXPECT_STREQ(Win.Prnt_Density, "SINGLE");
  EXPECT_STREQ(Win.Prnt_Comment, "RUN 7");
  EXPECT_NEAR(Win.Prnt_Pages, 2000.0 / (72 * 11 * 10), 1e-12);
}

}  // namespace
