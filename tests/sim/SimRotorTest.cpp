// Rotor-output conversion: families of every parameter-file version and ".q" width,
// one-state sets, refused and failed conversions, and the read-back of the result.
#include "SimFixture.h"
#include "sim/SimRotor.h"

namespace qvtest {
namespace {

class SimRotorTest : public SimTest {
 protected:
  // ".f" and ".q" of n lines with `values` two-byte values per ".q" line.
  void Family(const std::string& base, int32_t n, int values) {
    std::string f;
    std::vector<double> sim, exp;
    for (int32_t i = 0; i < n; ++i) {
      sim.push_back(5000.0 - 10.0 * i);  // descending: the reader sorts them
      exp.push_back(i == 1 ? 4990.5 : 0.0);
    }
    Append(f, sim);
    Append(f, exp);
    Append<float>(f, static_cast<size_t>(n), 0.25f);
    f.append(static_cast<size_t>(n), 'A');
    WriteAll(base + ".f", f);
    std::string q;
    for (int32_t i = 0; i < n; ++i) Append<int16_t>(q, {int16_t(i), 1, 2, int16_t(i + 1), 0, 1});
    if (values == 8)
      for (int32_t i = 0; i < n; ++i) Append<int16_t>(q, {int16_t(3 + i), int16_t(4 + i)});
    if (values == 7) Append<int16_t>(q, static_cast<size_t>(n), 0);
    WriteAll(base + ".q", q);
  }
  // ".p" with `count` constants per state; ground constants 0 and 1 active and fitted
  // (excited ones too unless excFirst is 0), origin fitted; covariance for count > 15.
  void Prm(const std::string& base, int count, int32_t lines, double excFirst) {
    std::string p;
    Append<int16_t>(p, {7});
    int fitted = 0;
    for (int s = 0; s < 2; ++s)
      for (int k = 0; k < count; ++k) {
        const bool active = k < 2 && (s == 0 || excFirst != 0.0);
        Append<int16_t>(p, {int16_t(active ? 1 : 0)});
        Append<double>(p, {s == 1 && k == 0 ? excFirst : 100.0 * s + k + 1, active ? 0.01 : 0.0});
        fitted += active;
      }
    Append<int16_t>(p, {1});
    Append<double>(p, {12345.0, excFirst != 0.0 ? 0.5 : 0.0});
    if (excFirst != 0.0) ++fitted;
    Append<int32_t>(p, {lines, 1});
    Append<float>(p, {0.125f});
    if (count > 15) Append<double>(p, static_cast<size_t>(fitted * fitted), 2.0);
    WriteAll(base + ".p", p);
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(name); }
};

TEST_F(SimRotorTest, EveryParameterVersionConvertsAndReadsBack) {
  for (int count : {22, 15, 11, 9}) {
    SCOPED_TRACE(count);
    const std::string base = "rot" + std::to_string(count);
    Family(base, 4, 6);
    Prm(base, count, 4, 200.0);
    std::string d;
    Append<double>(d, 4 * 4, 1.5);  // 4 active constants over both states
    WriteAll(base + ".d", d);
    std::string lev;
    Append<double>(lev, {0.0, 1.0, 2.0});
    Append<int32_t>(lev, {0, 1, 2, 1});
    WriteAll(base + ".i", lev);
    WriteAll(base + ".a", "text output");
    platform::ClearBoxLog();
    ASSERT_EQ(SimFI2QVS(base.c_str()), 1);
    EXPECT_EQ(StatusText(0), "SIM [" + base + ".f | " + base + ".q] CNV TO QVS FORMAT");
    for (const char* ext : {".f", ".q", ".p", ".d", ".i", ".a"}) EXPECT_FALSE(Exists(base + ext)) << ext;
    EXPECT_TRUE(Exists(base + ".asc"));
    const std::string file = ReadAll(base + ".QVS");
    EXPECT_EQ(file.substr(0, 8), "QVS v1.0");
    EXPECT_EQ(platform::GetInt32LE(file.data(), vav::kOrvNoPrm), count);

    StrCopy(Sim.Sim_Flnm[0], base.c_str());
    ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
    EXPECT_STREQ(Sim.Sim_Type[0], count > 15 ? "ORV v3.0" : "ORV v2.0");
    EXPECT_EQ(Sim.FI_Lines[0], 4u);
    EXPECT_EQ(Sim.FI_Sim_Erg[0][0], 4970.0);
    EXPECT_EQ(Sim.FI_Exp_Unc[0][0], 0.0f);  // v1.0 has no uncertainties
    EXPECT_EQ(Sim.FI_Jkk_Lbl[0][0], 3);     // the last line comes first
    EXPECT_EQ(Sim.DVS_STAT[0], 1u);
    EXPECT_EQ(Sim.FI_Dev[0][15], 1.5);
    EXPECT_EQ(Sim.TEMP_GLOBAL_STAT[0], 1u);
    EXPECT_EQ(Sim.FI_Erg_Sz[0], 3u);
    EXPECT_EQ(Sim.FI_Erg_Idx[0][SIM_GND][0], 1);
    EXPECT_EQ(Sim.RC_Prm[0][SIM_GND][1], 2.0);
    EXPECT_EQ(Sim.RC_Prm[0][SIM_EXC][22], 12345.0);
    EXPECT_EQ(Sim.FI_CovSz[0], count > 15 ? 25u : 0u);
    if (count > 15) {
      EXPECT_EQ(Sim.FI_CovMat[0][24], 2.0);
    }
    EXPECT_EQ(Sim.FI_Asn_Lines[0], 1u);
    // A non-zero first excited-state constant asks; the default answer (No) keeps two states.
    const std::vector<std::string> asked = {"IS SIM [" + base + "] CALCULATED FOR GROUND STATE ONLY?"};
    EXPECT_EQ(BoxTexts(), asked);
  }
}

TEST_F(SimRotorTest, QuantumNumberWidthsAndLabels) {
  Family("w6", 3, 6);
  ASSERT_EQ(SimFI2QVS("w6"), 1);
  StrCopy(Sim.Sim_Flnm[1], "w6");
  ASSERT_EQ(SimFIReadQVS(1, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.FM_STAT[1], 0u);
  EXPECT_STREQ(Sim.Sim_Type[1], "ORV v5.1");  // no parameter file

  Family("w8", 3, 8);
  ASSERT_EQ(SimFI2QVS("w8"), 1);
  StrCopy(Sim.Sim_Flnm[1], "w8");
  ASSERT_EQ(SimFIReadQVS(1, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.FM_STAT[1], 1u);
  // Line 2 (frequency 4980) comes first after the sort; its labels are 5 and 6.
  EXPECT_EQ(Sim.FI_FM_Lbl[1][0], 5.0f);
  EXPECT_EQ(Sim.FI_FM_Lbl[1][1], 6.0f);

  Family("w7", 3, 7);
  EXPECT_EQ(SimFI2QVS("w7"), 1);
  EXPECT_FALSE(Exists("w7.QVS"));
  EXPECT_TRUE(Exists("w7.f"));
  EXPECT_EQ(BoxTexts().back(), "SIM FILE [w7.q] HAS WRONG NUMBER OF QN [7.00]\n\nSIM LINES=[3.00]\n\nABORTING");
}

TEST_F(SimRotorTest, OneStateSetDoublesItsDerivativesWithoutAQuestion) {
  Family("one", 2, 6);
  Prm("one", 15, 2, 0.0);
  std::string d;
  Append<double>(d, 2 * 4, 0.5);  // 2 active ground constants, doubled
  WriteAll("one.d", d);
  std::string lev;
  Append<double>(lev, {0.0, 1.0});
  Append<int32_t>(lev, {0, 1});
  Append<double>(lev, {5.0, 6.0});
  Append<int32_t>(lev, {1, 0});
  WriteAll("one.i", lev);
  ASSERT_EQ(SimFI2QVS("one"), 1);
  EXPECT_TRUE(BoxTexts().empty());
  StrCopy(Sim.Sim_Flnm[2], "one");
  ASSERT_EQ(SimFIReadQVS(2, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.ONESTATE_STAT[2], 1u);
  EXPECT_EQ(Sim.DVS_STAT[2], 1u);
  EXPECT_EQ(Sim.DVS_NO[2][SIM_GND], 2u);
  EXPECT_EQ(Sim.FI_HamErg_Vector[2][SIM_EXC][1], 6.0);
  EXPECT_EQ(Sim.RC_Prm[2][SIM_EXC][22], 0.0);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SimRotorTest, WrongDerivativesAndUnknownParametersAreReportedAndConverted) {
  Family("dv", 2, 6);
  Prm("dv", 15, 3, 200.0);  // the line count fits no layout
  WriteAll("dv.d", "12345");
  ASSERT_EQ(SimFI2QVS("dv"), 1);
  const std::vector<std::string> expected = {"SimFI2QVS()\n\nUNKNOWN VERION OF PRM FILE\n\nCONTINUING",
                                             "SIM [dv] HAS INCORRECT NUMBER OF DERIVATIVES\n\n"
                                             "RERUN Orv95.exe TO USE TRACKBARS"};
  EXPECT_EQ(BoxTexts(), expected);
  EXPECT_EQ(StatusText(3), "SIM VER=[QVS v1.0] SIM TYPE=[ORV v5.1]");
  EXPECT_EQ(platform::GetInt32LE(ReadAll("dv.QVS").data(), vav::kDvs), 0);
}

TEST_F(SimRotorTest, NothingToConvertEmptyFilesAndAFailedWrite) {
  EXPECT_EQ(SimFI2QVS("none"), 1);
  EXPECT_TRUE(BoxTexts().empty());

  WriteAll("empty.f", "");
  WriteAll("empty.q", "12");
  EXPECT_EQ(SimFI2QVS("empty"), 1);
  EXPECT_FALSE(Exists("empty.f"));
  EXPECT_FALSE(Exists("empty.q"));
  EXPECT_EQ(BoxTexts().back(), "SIM FILES [empty.f | empty.q] HAVE ZERO LENGTH\n\nABORTING");

  // The ".QVS" cannot be made: the sources stay and nothing claims success.
  Family("keep", 2, 6);
  std::filesystem::create_directory("keep.QVS");
  std::filesystem::create_directory("keep.QVS/x");
  EXPECT_EQ(SimFI2QVS("keep"), 0);
  EXPECT_TRUE(Exists("keep.f"));
  EXPECT_TRUE(Exists("keep.q"));
  EXPECT_EQ(StatusText(0), "SimFI2QVS()/FAILED TO CREATE [keep.QVS] FILE");
}

TEST_F(SimRotorTest, VersionTestNeverReadsPastTheFile) {
  VavOde h;
  h.Put<int32_t, vav::kLines>(4);
  core_io::BinIn in;
  WriteAll("short.p", std::string(100, '\0'));
  ASSERT_TRUE(in.Open("short.p"));
  EXPECT_EQ(SimFIVersionTest(h, &in), 0);
  EXPECT_EQ(in.Position(), 0u);
  in.Close();
  Prm("v9", 9, 4, 1.0);
  ASSERT_TRUE(in.Open("v9.p"));
  EXPECT_EQ(SimFIVersionTest(h, &in), 9);
  EXPECT_EQ(in.Position(), 0u);
}

}  // namespace
}  // namespace qvtest
