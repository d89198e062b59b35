// Import of ASCII line lists: public HITRAN files and catalogues read into a set and
// checked against the files' own columns; screens, parity labels, band types, the
// catalogue's frequency width, empty and cut files, aborts and unknown keywords.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "SimFixture.h"
#include "core/MsgWindow.h"
#include "models/hitran/HtUnits.h"
#include "platform/driver/TestDriver.h"
#include "platform/windows/CommonDialogs.h"
#include "resources/Dialogs.h"
#include "sim/SimAscii.h"
#include "sim/SimDialogs.h"

namespace qvtest {
namespace {

namespace drv = platform::driver;

std::string Data(const std::string& rel) { return std::string(QV95_TESTDATA_DIR) + "/" + rel; }

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

double Col(const std::string& line, size_t start, size_t width) { return std::stod(line.substr(start, width)); }

char BandRule(int kaU, int kcU, int kaL, int kcL) {
  const bool ka = (kaU + kaL) % 2 != 0, kc = (kcU + kcL) % 2 != 0;
  return !ka && kc ? 'A' : ka && kc ? 'B' : ka ? 'C' : 'D';
}

class SimAsciiTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    RegisterDialogResources();  // the message window of the HITRAN import
    platform::SetModalOpenHook([this](HWND dialog, int templateId) {
      EXPECT_EQ(templateId, IDD_GET_TEXT);
      SetDlgItemText(dialog, IDC_GET_TEXT_EDIT, isotope_.c_str());
      SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
  }
  void TearDown() override {
    platform::SetModalOpenHook(nullptr);
    platform::SetCommonDialogAnswerer(nullptr);
    if (Sim.Ctl_Hwnd && IsWindow(Sim.Ctl_Hwnd)) DestroyWindow(Sim.Ctl_Hwnd);
    if (Dsp.Msg_Hwnd) DestroyWindow(Dsp.Msg_Hwnd);
    SimTest::TearDown();
  }
  // Reads file `name` into set A or B (column 0 or 1) through READ ASCII SIM of the
  // simulation control dialog, declining the formats offered before the `format`-th
  // (0 the exciton model, 1 frequency and intensity, 3 six quantum numbers, 4 Pickett,
  // 7 the token stream) and answering the format's own questions with `then`.
  void ReadAsciiSim(int column, const std::string& name, int format, std::initializer_list<int> then = {}) {
    const std::string path = (std::filesystem::current_path() / name).string();
    platform::SetCommonDialogAnswerer(
        [path](const platform::CommonDialogRequest&) { return platform::CommonDialogAnswer{true, path}; });
    if (!Sim.Ctl_Hwnd) {
      ASSERT_EQ(SimControlDialogShow(1, Win.hWnd_Main), 1);
    }
    answers_.assign(static_cast<size_t>(format), IDNO);
    answers_.push_back(IDYES);
    answers_.insert(answers_.end(), then);
    platform::ClearBoxLog();
    ASSERT_TRUE(drv::Click(Sim.Ctl_Hwnd, IDC_SC_RDSIM + column));
    platform::SetCommonDialogAnswerer(nullptr);
  }
  std::string isotope_ = "1";
};

// ---- HITRAN ----------------------------------------------------------------------------------

// Every line of a HITRAN file against its own columns, in the display unit given.
void ExpectHitranColumns(int16_t s, const std::vector<std::string>& lines, bool mhz) {
  const double f = mhz ? HT_MHZ_PER_CM1 : 1.0;
  ASSERT_EQ(Sim.FI_Lines[s], lines.size());
  EXPECT_EQ(Sim.HT_MHz_Stat[s], mhz ? 1u : 0u);
  for (size_t i : {size_t{0}, lines.size() - 1}) {
    const std::string& l = lines[i];
    SCOPED_TRACE(l);
    EXPECT_EQ(Sim.HT_Mol_Lbl[s][i], std::stoi(l.substr(0, 3)));
    EXPECT_NEAR(Sim.FI_Sim_Erg[s][i], Col(l, 3, 12) * f, 1e-9 * Col(l, 3, 12) * f);
    EXPECT_FLOAT_EQ(Sim.FI_Sim_Itn[s][i], static_cast<float>(Col(l, 15, 10)));
    EXPECT_FLOAT_EQ(Sim.HT_Air_Gamma[s][i], static_cast<float>(2 * Col(l, 35, 5) * f));
    EXPECT_FLOAT_EQ(Sim.HT_Self_Gamma[s][i], static_cast<float>(2 * Col(l, 40, 5) * f));
    EXPECT_NEAR(Sim.FI_HamErg_Vector[s][SIM_GND][i], Col(l, 45, 10) * f, 1e-9 * (1 + Col(l, 45, 10) * f));
    EXPECT_EQ(Sim.FI_Erg_Idx[s][SIM_GND][i], static_cast<int32_t>(i));
    EXPECT_FLOAT_EQ(Sim.HT_Temp_Gamma[s][i], static_cast<float>(Col(l, 55, 4)));
    EXPECT_FLOAT_EQ(Sim.HT_Air_Delta[s][i], static_cast<float>(Col(l, 59, 8) * f));
    EXPECT_EQ(Sim.FI_Exp_Erg[s][i], 0.0);
  }
}

TEST_F(SimAsciiTest, EveryHitranFileAgainstItsColumnsInBothUnits) {
  const char* files[] = {"astroquery_hitran_H2O_crlf.par", "hapi_CO_M5_I1.par",
                         "radis_hitran_2016_H2O_2iso_2000_2100cm.par", "radis_hitran_CO2_fragment.par",
                         "radis_hitran_CO_fragment.par", "radis_hitran_co2_626_bandhead_4165_4200nm.par",
                         "radis_hitran_co_3iso_2000_2300cm.par"};
  int k = 0;
  for (const char* name : files) {
    SCOPED_TRACE(name);
    const bool mhz = k++ % 2 == 1;
    StrCopy(Dsp.Units_Txt, mhz ? "MHz" : "CM-1");
    const auto lines = Lines(Data(std::string("hitran/") + name));
    ASSERT_EQ(SimFIAscii2Binary(2, Data(std::string("hitran/") + name).c_str(), "HITRAN"), 1);
    ExpectHitranColumns(2, lines, mhz);
    EXPECT_STREQ(Sim.Sim_Type[2], "HITRAN");
    EXPECT_EQ(Sim.HT_Global_Stat[2], 1u);
    EXPECT_EQ(Sim.TEMP_GLOBAL_STAT[2], 1u);
    EXPECT_EQ(Sim.FI_Erg_Sz[2], lines.size());
    EXPECT_EQ(StatusText(1), StrPrintf("HITRAN LINES READ=[%zu]", lines.size()));
    // Band labels: the rule on the six quantum-number columns, or the branch letter of a
    // linear molecule with J'' and its e/f parity.
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& l = lines[i];
      const int16_t* q = Sim.FI_Jkk_Lbl[2] + 6 * i;
      if (l.substr(97, 3) != "   ") {
        ASSERT_EQ(q[0], std::stoi(l.substr(97, 3))) << l;
        ASSERT_EQ(q[5], std::stoi(l.substr(118, 3))) << l;
        ASSERT_EQ(Sim.FI_BT_Lbl[2][i], BandRule(q[1], q[2], q[4], q[5])) << l;
      } else {
        ASSERT_EQ(Sim.FI_BT_Lbl[2][i], l[117]) << l;
        ASSERT_EQ(q[0], std::stoi(l.substr(118, 3))) << l;
        ASSERT_EQ(q[5], l[121] == 'e' ? 5 : l[121] == 'f' ? 6 : 0) << l;
      }
    }
  }
}

TEST_F(SimAsciiTest, HitranLinearMoleculeRecordsOfTheCo2Fragment) {
  StrCopy(Dsp.Units_Txt, "CM-1");
  ASSERT_EQ(SimFIAscii2Binary(0, Data("hitran/radis_hitran_CO2_fragment.par").c_str(), "HITRAN"), 1);
  ASSERT_EQ(Sim.FI_Lines[0], 8u);
  // "R 23e", "P 16e" and "R 48f".
  const int16_t r23e[6] = {23, 0, 0, 0, 0, 5}, p16e[6] = {16, 0, 0, 0, 0, 5}, r48f[6] = {48, 0, 0, 0, 0, 6};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][k], r23e[k]);
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][12 + k], p16e[k]);
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][18 + k], r48f[k]);
  }
  EXPECT_EQ(std::string(Sim.FI_BT_Lbl[0], 4), "RRPR");
}

TEST_F(SimAsciiTest, HitranIsotopeScreenByDigitOrByMoleculeAndIsotopeCode) {
  StrCopy(Dsp.Units_Txt, "CM-1");
  {
    drv::Answers answers;
    answers.Box("Question", "SCREEN FOR ISOTOPE [YES] | INCLUDE ALL [NO]?", IDYES)
        .Box("Info", "HITRAN CONVERSION\n\nREJECTED LINES [352] OF [221] WITH GND STATE ENERGY=[-1.0]", IDOK);
    ASSERT_EQ(SimFIAscii2Binary(4, Data("hitran/radis_hitran_co_3iso_2000_2300cm.par").c_str(), "HITRAN"), 1);
    EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
    EXPECT_TRUE(answers.AllAnswered());
  }
  ASSERT_EQ(Sim.FI_Lines[4], 221u);
  for (uint32_t i = 0; i < 221; ++i) ASSERT_EQ(Sim.HT_Mol_Lbl[4][i], 51);
  // The proposed "11" is molecule 1, isotope 1: the main isotopologue of a water file
  // that also holds isotope 2.
  isotope_ = "11";
  drv::Answers answers;
  answers.Box("Question", "SCREEN FOR ISOTOPE [YES] | INCLUDE ALL [NO]?", IDYES)
      .Box("Info", "HITRAN CONVERSION\n\nREJECTED LINES [253] OF [611] WITH GND STATE ENERGY=[-1.0]", IDOK);
  ASSERT_EQ(SimFIAscii2Binary(4, Data("hitran/radis_hitran_2016_H2O_2iso_2000_2100cm.par").c_str(), "HITRAN"), 1);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  ASSERT_EQ(Sim.FI_Lines[4], 611u);
  for (uint32_t i = 0; i < 611; ++i) ASSERT_EQ(Sim.HT_Mol_Lbl[4][i], 11);
}

TEST_F(SimAsciiTest, HitranRejectsUnknownLowerEnergyAndCountsZeroSelfWidths) {
  StrCopy(Dsp.Units_Txt, "CM-1");
  const auto lines = Lines(Data("hitran/hapi_CO_M5_I1.par"));
  std::string unknown = lines[0], zeroSelf = lines[1], cut = lines[2];
  unknown.replace(45, 10, "   -1.0000");
  zeroSelf.replace(40, 5, "0.000");
  cut.resize(80);
  WriteAll("mixed.par", lines[3] + "\r\n" + unknown + "\r\n" + zeroSelf + "\r\n" + cut + "\r\n");
  drv::Answers answers;
  answers.Box("Question", "SCREEN FOR ISOTOPE [YES] | INCLUDE ALL [NO]?", IDNO)
      .Box("Info", "HITRAN CONVERSION\n\nREJECTED LINES [2] OF [2] WITH GND STATE ENERGY=[-1.0]", IDOK)
      .Box("Info", "HITRAN CONVERSION\n\nMODIFIED LINES [1] OF [2] WITH SELF-WIDTHS ZERO", IDOK);
  ASSERT_EQ(SimFIAscii2Binary(1, "mixed.par", "HITRAN"), 1);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  ASSERT_EQ(Sim.FI_Lines[1], 2u);
  EXPECT_EQ(Sim.FI_Sim_Erg[1][0], Col(lines[3], 3, 12));
  EXPECT_EQ(Sim.FI_Sim_Erg[1][1], Col(lines[1], 3, 12));
  EXPECT_EQ(Sim.HT_Self_Gamma[1][1], 0.0f);
  EXPECT_EQ(Sim.HT_ZeroSelf_Lines[1], 1u);
  EXPECT_NE(std::string(Dsp.Msg_Text).find("SELF-WIDTHS ZERO=[1]"), std::string::npos);
}

// ---- catalogues ---------------------------------------------------------------------------------

struct CatExpect {
  uint32_t lines = 0, assigned = 0, rejected = 0;
};

// What a catalogue file holds by its own columns: data lines (a number in the
// frequency field and a lower energy), negative tags, other lines.
CatExpect CountCatalogue(const std::vector<std::string>& lines) {
  CatExpect e;
  for (const std::string& l : lines) {
    const size_t w = l.size() > 14 && l[13] != ' ' ? 14 : 13;
    bool data = l.size() >= w + 52;
    try {
      if (data) (void)std::stod(l.substr(w + 18, 10));
    } catch (...) {
      data = false;
    }
    if (!data) {
      ++e.rejected;
      continue;
    }
    ++e.lines;
    if (l[w + 28 + 4] == '-') ++e.assigned;
  }
  return e;
}

TEST_F(SimAsciiTest, EveryCatalogueAsPickettLines) {
  const char* files[] = {"astroquery_cdms_c058501.cat", "astroquery_jplspec_H2O_sample.cat",
                         "blackchirp_c047527_full.cat", "astroquery_jplspec_multi.data", "astroquery_jplspec_CO.data"};
  for (const char* name : files) {
    SCOPED_TRACE(name);
    const std::string path = Data(std::string("catalogue/") + name);
    const auto lines = Lines(path);
    const CatExpect e = CountCatalogue(lines);
    platform::ClearBoxLog();
    ASSERT_EQ(SimFIAscii2Binary(5, path.c_str(), "PICKETT_8QN"), 1);
    ASSERT_EQ(Sim.FI_Lines[5], e.lines);
    if (std::string(name) == "blackchirp_c047527_full.cat") {
      EXPECT_EQ(e.lines, 10675u);
    }
    EXPECT_EQ(Sim.FI_Asn_Lines[5], e.assigned);
    EXPECT_STREQ(Sim.Sim_Type[5], "PICKETT_8QN");
    EXPECT_EQ(Sim.FM_STAT[5], 1u);
    EXPECT_EQ(Sim.TEMP_GLOBAL_STAT[5], 0u);  // the Boltzmann question answered No
    if (e.rejected > 0) {
      EXPECT_EQ(BoxTexts().back(), StrPrintf("REJECTED LINES=[%u]", e.rejected));
    }
    // First and last data line against their columns.
    std::vector<const std::string*> data;
    for (const std::string& l : lines)
      if (CountCatalogue({l}).lines == 1) data.push_back(&l);
    for (size_t k : {size_t{0}, data.size() - 1}) {
      const std::string& l = *data[k];
      SCOPED_TRACE(l);
      EXPECT_DOUBLE_EQ(Sim.FI_Sim_Erg[5][k], Col(l, 0, 13));
      EXPECT_FLOAT_EQ(Sim.FI_Exp_Unc[5][k], static_cast<float>(Col(l, 13, 8)));
      EXPECT_FLOAT_EQ(Sim.FI_Sim_Itn[5][k], static_cast<float>(std::pow(10.0, Col(l, 21, 8))));
      EXPECT_EQ(Sim.FI_Exp_Erg[5][k], l[45] == '-' ? Col(l, 0, 13) : 0.0);
      EXPECT_EQ(Sim.FI_Jkk_Lbl[5][6 * k], std::stoi(l.substr(55, 2)));
    }
  }
}

TEST_F(SimAsciiTest, PickettWidthFollowsTheFrequencyAndHalfSpinLowersF) {
  const auto lines = Lines(Data("catalogue/blackchirp_c047527_full.cat"));
  std::string wide = lines[1];
  wide.replace(0, 13, "123456789.1234");  // one character wider, everything after shifts
  std::string tail = lines[2];
  WriteAll("wide.cat", lines[0] + "\n" + wide + "\n" + tail + "\n");
  OrvPrm.Spin_Wts[2] = 3;  // EE:EO:OO:OE = 1:1:3:1
  drv::Answers answers;
  answers.Box("Question", "REMOVE BOLTZMANN FACTOR USING ROTOR DIALOG PRMS T1=[300.000000] & UNITS=[MHz] *GND ONLY*", IDNO)
      .Box("Question", "APPLY ROTOR DIALOG SPIN STATISTICAL WEIGHTS OF EE:EO:OO:OE=[1:1:3:1]?", IDYES)
      .Box("Question", "FIX PICKETT'S QUANTUM NUMBERS?\n\nHALF INTEGRAL SPIN [YES] | INTEGER SPIN [NO]?", IDYES);
  ASSERT_EQ(SimFIAscii2Binary(0, "wide.cat", "PICKETT_8QN"), 1);
  EXPECT_EQ(answers.Failures(), std::vector<std::string>{});
  ASSERT_EQ(Sim.FI_Lines[0], 3u);
  EXPECT_DOUBLE_EQ(Sim.FI_Sim_Erg[0][1], 123456789.1234);
  EXPECT_FLOAT_EQ(Sim.FI_Exp_Unc[0][1], static_cast<float>(Col(lines[1], 13, 8)));
  for (int k : {0, 1, 2}) {
    const std::string& l = k == 1 ? lines[1] : lines[static_cast<size_t>(k)];
    SCOPED_TRACE(l);
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * k + 0], std::stoi(l.substr(55, 2)));
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * k + 1], std::stoi(l.substr(57, 2)));
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * k + 3], std::stoi(l.substr(63, 6)));
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * k + 5], std::stoi(l.substr(71, 2)));
    EXPECT_EQ(Sim.FI_FM_Lbl[0][2 * k], -0.5f);  // no F field: 0, lowered by one half
    const int ka = Sim.FI_Jkk_Lbl[0][6 * k + 4], kc = Sim.FI_Jkk_Lbl[0][6 * k + 5];
    const float weight = ka % 2 != 0 && kc % 2 != 0 ? 3.0f : 1.0f;
    EXPECT_FLOAT_EQ(Sim.FI_Sim_Itn[0][k], weight * static_cast<float>(std::pow(10.0, Col(l, 21, 8))));
  }
  // The third line is read with 13 characters again.
  EXPECT_DOUBLE_EQ(Sim.FI_Sim_Erg[0][2], Col(lines[2], 0, 13));
}

// A catalogue whose frequency field widens and narrows again line by line, its lines
// without trailing blanks, read through the control dialog: each line is read at the
// width its frequency takes, and no line after a 15-character frequency is lost.
TEST_F(SimAsciiTest, PickettWidthSwitchesBackAfterTheWidestFieldThroughTheControlDialog) {
  std::string base = Lines(Data("catalogue/blackchirp_c047527_full.cat"))[0];
  base.resize(75);  // the record without trailing blanks: its last field ends the line
  const std::vector<std::string> frequency = {"    1308.6818", "123456789.1234", "    2345.6789", "3000000000.1234",
                                              "234567890.1234", "3100000000.5678", "     345.1234", "    4567.8912"};
  std::string text;
  for (const std::string& f : frequency) text += f + base.substr(13) + "\n";
  WriteAll("widths.cat", text);
  ReadAsciiSim(0, "widths.cat", 4, {IDNO, IDNO});  // no Boltzmann factor, integer spin
  ASSERT_EQ(Sim.FI_Lines[0], 8u);
  for (const std::string& box : BoxTexts()) EXPECT_EQ(box.find("REJECTED"), std::string::npos) << box;
  std::vector<double> sorted;  // the set is sorted by frequency after the import
  for (const std::string& f : frequency) sorted.push_back(std::stod(f));
  std::sort(sorted.begin(), sorted.end());
  for (size_t k = 0; k < sorted.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_DOUBLE_EQ(Sim.FI_Sim_Erg[0][k], sorted[k]);
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6 * k + 5], std::stoi(base.substr(71, 2)));  // the last field, read
  }
}

TEST_F(SimAsciiTest, PickettLinesWithLettersForQuantumNumbersAreRejected) {
  const std::string l = Lines(Data("catalogue/blackchirp_c047527_full.cat"))[0];
  auto with = [&l](size_t at, const std::string& field) { return l.substr(0, at) + field + l.substr(at + field.size()); };
  // J' "A0", Ka'' "b3", Kc' "X": rejected; an F' that is no integer stays 0.
  WriteAll("letters.cat", l + "\n" + with(55, "A0") + "\n" + with(69, "b3") + "\n" + with(59, " X") + "\n" +
                              with(61, "A1") + "\n");
  ASSERT_EQ(SimFIAscii2Binary(0, "letters.cat", "PICKETT_8QN"), 1);
  ASSERT_EQ(Sim.FI_Lines[0], 2u);
  EXPECT_EQ(BoxTexts().back(), "REJECTED LINES=[3]");
  EXPECT_EQ(Sim.FI_Jkk_Lbl[0][6], 9);
  EXPECT_EQ(Sim.FI_FM_Lbl[0][2], 0.0f);
}

TEST_F(SimAsciiTest, PickettBoltzmannFactorRemoved) {
  const auto lines = Lines(Data("catalogue/astroquery_cdms_c058501.cat"));
  answers_ = {IDYES};
  ASSERT_EQ(SimFIAscii2Binary(0, Data("catalogue/astroquery_cdms_c058501.cat").c_str(), "PICKETT_8QN"), 1);
  ASSERT_EQ(Sim.TEMP_GLOBAL_STAT[0], 1u);
  ASSERT_EQ(Sim.FI_Erg_Sz[0], 3u);
  const double elo = Col(lines[2], 31, 10) * HT_MHZ_PER_CM1;
  EXPECT_DOUBLE_EQ(Sim.FI_HamErg_Vector[0][SIM_GND][2], elo);
  const double b = std::exp(-elo / (300.0 * 20836.7381265));
  EXPECT_FLOAT_EQ(Sim.FI_Sim_Itn[0][2], static_cast<float>(std::pow(10.0, Col(lines[2], 21, 8)) / b));
}

TEST_F(SimAsciiTest, KleinerLinesWithSymmetryTexts) {
  // J'(4) Ka'(3) sym'(3) idx'(2) J''(9) Ka''(3) sym''(3) idx''(2), 23 skipped, frequency(13),
  // 18 skipped, intensity(13), weight(2), lower energy(13).
  auto line = [](int ju, int kau, const char* su, int iu, int jl, int kal, const char* sl, int il, double f, double itn,
                 int w, double e) {
    return StrPrintf("%4d%3d%3s%2d%9d%3d%3s%2d%23s%13.4f%18s%13.6e%2d%13.4f\n", ju, kau, su, iu, jl, kal, sl, il, "", f, "",
                     itn, w, e);
  };
  WriteAll("k.txt", line(3, 1, "A1", 0, 2, 0, "A2", 0, 12345.6789, 2.5e-3, 3, 10.0) +
                        line(4, 2, "E1", 7, 3, 1, "E2", 5, 23456.5, 1.0e-4, 2, 20.0) + "   short line\n");
  OrvPrm.Spin_Wts[0] = 2;
  answers_ = {IDNO, IDYES};
  ASSERT_EQ(SimFIAscii2Binary(6, "k.txt", "KLEINER_8QN"), 1);
  ASSERT_EQ(Sim.FI_Lines[6], 2u);
  const int16_t q0[6] = {3, 1, 1, 2, 0, 2}, q1[6] = {4, 2, 1, 3, 1, 2};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(Sim.FI_Jkk_Lbl[6][k], q0[k]);
    EXPECT_EQ(Sim.FI_Jkk_Lbl[6][6 + k], q1[k]);
  }
  EXPECT_EQ(Sim.FI_BT_Lbl[6][0], 'A');
  EXPECT_EQ(Sim.FI_BT_Lbl[6][1], 'E');
  EXPECT_EQ(Sim.FI_FM_Lbl[6][0], 0.0f);
  EXPECT_EQ(Sim.FI_FM_Lbl[6][2], 7.0f);
  EXPECT_EQ(Sim.FI_FM_Lbl[6][3], 5.0f);
  EXPECT_DOUBLE_EQ(Sim.FI_Sim_Erg[6][1], 23456.5);
  EXPECT_FLOAT_EQ(Sim.FI_Sim_Itn[6][0], 3 * 2.5e-3f);  // the line's own weight
  EXPECT_EQ(BoxTexts().back(), "REJECTED LINES=[1]");
}

// ---- free formats, failures ------------------------------------------------------------------

TEST_F(SimAsciiTest, FreeFormatLayouts) {
  WriteAll("fi.txt", "100.5 2.5\n  200.25\t0.125 extra\nno numbers here\n");
  ASSERT_EQ(SimFIAscii2Binary(0, "fi.txt", "ASCII_FRQITN"), 1);
  ASSERT_EQ(Sim.FI_Lines[0], 3u);
  EXPECT_STREQ(Sim.Sim_Type[0], "ASCII_FI");
  EXPECT_EQ(Sim.FI_Sim_Erg[0][1], 200.25);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][1], 0.125f);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][2], 0.0);  // a line without two numbers gives 0, 0
  EXPECT_EQ(Sim.FI_Sim_Itn[0][2], 0.0f);
  EXPECT_EQ(std::string(Sim.FI_BT_Lbl[0], 3), "nnn");

  WriteAll("six.a", " A 1 0 1 0 0 0 0.5 1000.25 1000.5\nB 2 1 1 1 0 1 0.25 0 2000.75 7\nC 1 2 3\n");
  ASSERT_EQ(SimFIAscii2Binary(1, "six.a", "ASCII_6QN"), 1);
  ASSERT_EQ(Sim.FI_Lines[1], 2u);
  EXPECT_EQ(Sim.FI_BT_Lbl[1][0], 'A');
  EXPECT_EQ(Sim.FI_Jkk_Lbl[1][6 + 1], 1);
  EXPECT_EQ(Sim.FI_Exp_Erg[1][0], 1000.25);
  EXPECT_EQ(Sim.FI_Sim_Erg[1][1], 2000.75);
  EXPECT_EQ(Sim.FM_STAT[1], 0u);

  WriteAll("eight.a", "X 3 1 2 2.5 2 0 2 1.5 0.75 0 3000.5\n");
  ASSERT_EQ(SimFIAscii2Binary(2, "eight.a", "ASCII_8QN"), 1);
  ASSERT_EQ(Sim.FI_Lines[2], 1u);
  EXPECT_EQ(Sim.FI_FM_Lbl[2][0], 2.5f);
  EXPECT_EQ(Sim.FI_FM_Lbl[2][1], 1.5f);
  EXPECT_EQ(Sim.FI_Jkk_Lbl[2][5], 2);
  EXPECT_EQ(Sim.FI_Sim_Erg[2][0], 3000.5);
  EXPECT_EQ(Sim.FM_STAT[2], 1u);

  // Token stream: an assigned record carries one number more.
  WriteAll("lines.dat", "a b c 9 1 0 1 0 0 0 0.5 1000.1 1000.2 0.1\nd e f 9 2 1 1\n 1 0 1 0.25 0 2000.5\n");
  ASSERT_EQ(SimFIAscii2Binary(3, "lines.dat", "ASCII_LINESDOTDAT"), 1);
  ASSERT_EQ(Sim.FI_Lines[3], 2u);
  EXPECT_EQ(std::string(Sim.FI_BT_Lbl[3], 2), "ad");
  EXPECT_EQ(Sim.FI_Sim_Erg[3][0], 1000.2);
  EXPECT_EQ(Sim.FI_Jkk_Lbl[3][6 + 2], 1);
  EXPECT_EQ(Sim.FI_Sim_Erg[3][1], 2000.5);
}

// A line of the file is one line of the list whatever its length: read through the
// control dialog, a long comment after the values makes no line of its own and no
// rejected line, and a record of the token stream on a long line is read whole.
TEST_F(SimAsciiTest, ALongLineIsOneLineThroughTheControlDialog) {
  const std::string comment = " # " + std::string(1000, 'c') + " 77.5 88.5";
  WriteAll("fi.txt", "100.5 2.5\n200.5 3.5\n300.25 4.5" + comment + "\n400.5 5.5\n500.5 6.5\n");
  ReadAsciiSim(0, "fi.txt", 1);
  ASSERT_EQ(Sim.FI_Lines[0], 5u);
  for (uint32_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Sim.FI_Sim_Erg[0][i], i == 2 ? 300.25 : 100.5 + 100.0 * i);
    EXPECT_EQ(Sim.FI_Sim_Itn[0][i], 2.5f + static_cast<float>(i));
  }

  WriteAll("six.a", " A 1 0 1 0 0 0 0.5 1000.25 1000.5\nB 2 1 1 1 0 1 0.25 0 2000.75 7 # " + std::string(700, '-') +
                        " 1 2 3 4 5 6 7 8 9 10 11\nC 3 1 2 2 1 1 0.125 0 3000.5\n");
  ReadAsciiSim(1, "six.a", 3);
  ASSERT_EQ(Sim.FI_Lines[1], 3u);
  for (const std::string& box : BoxTexts()) EXPECT_EQ(box.find("REJECTED"), std::string::npos) << box;
  EXPECT_EQ(Sim.FI_Sim_Erg[1][2], 3000.5);

  // The second record's experimental frequency stands across the 500th character of
  // its line.
  std::string record = "d e f 9 2 1 1 1 0 1 0.25";
  record += std::string(497 - record.size(), ' ') + "2000.4 2000.5 0.1";
  WriteAll("lines.dat", "a b c 9 1 0 1 0 0 0 0.5 0 1000.2\n" + record + "\n");
  ReadAsciiSim(0, "lines.dat", 7);
  ASSERT_EQ(Sim.FI_Lines[0], 2u);
  EXPECT_EQ(Sim.FI_Exp_Erg[0][1], 2000.4);
  EXPECT_EQ(Sim.FI_Sim_Erg[0][1], 2000.5);
}

TEST_F(SimAsciiTest, EmptyCutUnknownAndAbortedImports) {
  // An empty file: refused, set freed.
  FillSet(0, 4, 0, 3, false);
  WriteAll("empty.txt", "");
  EXPECT_EQ(SimFIAscii2Binary(0, "empty.txt", "ASCII_FRQITN"), 0);
  EXPECT_EQ(BoxTexts().back(), "ASCII FILE [empty.txt] CONTAINS NO LINES\n\nABORTING");
  EXPECT_EQ(Sim.FI_Lines[0], 0u);
  EXPECT_EQ(Sim.FI_Sim_Erg[0], nullptr);

  // A catalogue cut in its last line loses that line alone.
  const auto lines = Lines(Data("catalogue/blackchirp_c047527_full.cat"));
  WriteAll("cut.cat", lines[0] + "\n" + lines[1] + "\n" + lines[2].substr(0, 40));
  ASSERT_EQ(SimFIAscii2Binary(1, "cut.cat", "PICKETT_8QN"), 1);
  EXPECT_EQ(Sim.FI_Lines[1], 2u);
  EXPECT_EQ(BoxTexts().back(), "REJECTED LINES=[1]");

  // An unknown keyword changes nothing, not even the fit flag.
  FillSet(2, 5, 0, 3, false);
  EXPECT_EQ(SimFIAscii2Binary(2, "cut.cat", "PICKETT_9QN"), 1);
  EXPECT_EQ(Sim.FI_Lines[2], 5u);
  EXPECT_EQ(Sim.NLLSF_STAT[2], 1u);

  // CANCEL at a question leaves the set as it was.
  answers_ = {IDCANCEL};
  EXPECT_EQ(SimFIAscii2Binary(2, "cut.cat", "PICKETT_8QN"), 0);
  EXPECT_EQ(Sim.FI_Lines[2], 5u);
  EXPECT_EQ(Sim.NLLSF_STAT[2], 1u);
  EXPECT_EQ(Sim.FI_Sim_Itn[2][4], 5.0f);

  // A missing file.
  EXPECT_EQ(SimFIAscii2Binary(2, "nothing.txt", "HITRAN"), 0);
  EXPECT_EQ(BoxTexts().back(), "FAILED TO OPEN ASCII FILE [nothing.txt] FOR READING\n\nABORTING");
}

// ---- exciton-model blocks and Gaussian output ---------------------------------------------------

TEST_F(SimAsciiTest, Exm95BlocksByQuestion) {
  // Absorption blocks: index, energy, frequency, skip, intensity, X, skip, then pairs "  aa:bb".
  std::string text = "EXM95 OUTPUT\n";
  for (int b = 1; b <= 2; ++b) {
    text += "ABSORPTION SPECTRUM\n";
    text += " N   E   FRQ   X   ITN   X2   Y  J:K:L  J:K:L  J:K:L  J:K:L\n";
    for (int k = 0; k < 2; ++k)
      text += StrPrintf("%d 1.0 %.2f 0.0 %.3f 1.0 0.0  %2d:%2d     %2d:%2d     %2d:%2d     %2d:%2d\n", k + 1,
                        100.0 * b + k, 0.5 * (k + 1), b, k, 2, 3, 4, 5, 6, 7);
    text += "\n";
  }
  WriteAll("exm.out", text);
  answers_ = {IDYES, IDNO};  // absorption, from the [+] state: the second block
  ASSERT_EQ(SimFIAscii2Binary(7, "exm.out", "EXM95"), 1);
  ASSERT_EQ(Sim.FI_Lines[7], 2u);
  EXPECT_EQ(Sim.FI_Sim_Erg[7][1], 201.0);
  EXPECT_EQ(Sim.FI_Sim_Itn[7][1], 1.0f);
  const int16_t q[6] = {2, 1, 2, 4, 5, 6};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Sim.FI_Jkk_Lbl[7][6 + k], q[k]);
  EXPECT_EQ(Sim.FI_FM_Lbl[7][2], 3.0f);
  EXPECT_EQ(Sim.FI_FM_Lbl[7][3], 7.0f);
  EXPECT_EQ(Sim.FI_BT_Lbl[7][0], 'A');
  // Emission blocks are missing: the label is not found.
  answers_ = {IDNO, IDYES, IDYES};
  EXPECT_EQ(SimFIAscii2Binary(7, "exm.out", "EXM95"), 0);
  EXPECT_EQ(BoxTexts().back(), "LABEL [EMISSION] NOT FOUND IN FILE\n\nABORTING");
}

TEST_F(SimAsciiTest, GaussianModesToFrequencyList) {
  std::string g = " Harmonic frequencies (cm**-1), IR intensities (KM/Mole)\n";
  g += " skipped 1\n skipped 2\n skipped 3\n skipped 4\n";
  g += "                      1                      2\n";
  g += " Frequencies --   1000.5000              2000.2500\n";
  g += " Red. masses --      1.5000                 2.0000\n";
  g += " Frc consts  --      0.7500                 3.0000\n";
  g += " IR Inten    --     10.0000                20.0000\n";
  g += "  Atom  AN      X      Y      Z        X      Y      Z\n";
  g += "     1   6     0.30   0.00   0.40     0.00   1.00   0.00\n";
  g += "     2   1     0.00   0.00   0.00     0.00   0.00   0.00\n";
  g += " -------------------\n";
  WriteAll("g.out", g);
  ASSERT_EQ(SimGaussianFrqExtract("g.out"), 1);
  EXPECT_EQ(ReadAll("_Gaussian.txt"),
            StrPrintf("%10.4lf %10.4lf %10.4lf %10.4lf %10.4lf\r\n", 1000.5, 10.0, 0.75, 1.5, 0.5) +
                StrPrintf("%10.4lf %10.4lf %10.4lf %10.4lf %10.4lf\r\n", 2000.25, 20.0, 3.0, 2.0, 1.0));
  ASSERT_EQ(SimFIAscii2Binary(0, "_Gaussian.txt", "ASCII_FRQITN"), 1);
  EXPECT_EQ(Sim.FI_Lines[0], 2u);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][1], 20.0f);

  WriteAll("bad.out", "no label\n");
  EXPECT_EQ(SimGaussianFrqExtract("bad.out"), 0);
  EXPECT_EQ(BoxTexts().back(), "LABEL 'Harmonic' NOT FOUND IN GAUSSIAN FRQ FILE\n\nABORTING");
}

}  // namespace
}  // namespace qvtest
