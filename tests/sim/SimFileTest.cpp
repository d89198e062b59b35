// The simulation file: write and read back, hand-built older versions, the derivative
// skip, constants, truncated and corrupted files, and the header check and dump.
#include <cmath>

#include "SimFixture.h"
#include "models/hitran/Tips.h"
#include "records/Locks.h"
#include "records/Tips.h"

namespace qvtest {
namespace {

class SimFileTest : public SimTest {
 protected:
  // The partition functions come from the tables unpacked beside the build.
  void SetUp() override {
    SimTest::SetUp();
    Tips = TipsRecord{};
    StrCopy(Tips.Folder, QV95_TIPS_DIR);
  }
  void TearDown() override {
    SimTest::TearDown();
    Tips = TipsRecord{};
  }
  // A hand-built file of n lines: the header from the default and the given body.
  static VavOde BaseHeader(const char* version, int32_t lines) {
    VavOde def, h;
    VavOdeDefault(&def);
    VavOdeInit(&h, &def);
    h.PutText(vav::kVersion, vav::kVersionLen, version);
    h.Put<int32_t, vav::kLines>(lines);
    return h;
  }
  // Blocks 1, 2, (3), 4, 7, 8 of n lines; frequency of line i is 100 + i.
  static std::string MainBlocks(int32_t n, bool unc) {
    std::string b;
    std::vector<double> f;
    for (int32_t i = 0; i < n; ++i) f.push_back(100.0 + i);
    Append(b, f);
    Append(b, std::vector<double>(n, 0.0));
    if (unc) Append<float>(b, n, 9.0f);
    Append<float>(b, n, 1.5f);
    b.append(static_cast<size_t>(n), 'B');
    Append<int16_t>(b, 6 * n, 2);
    return b;
  }
};

TEST_F(SimFileTest, WriteReadWriteKeepsEverythingAndTheSameBytes) {
  FillSet(0, 7, 4, 5, false);
  StrCopy(Sim.Sim_Flnm[0], "full");
  StrCopy(Sim.Sim_Type[0], "ORV v5.1");
  StrCopy(Sim.Asn_Flnm[0], "full.asn");
  Sim.RC_Prm[0][SIM_GND][0] = 3000.5;
  Sim.RC_StdDev[0][SIM_GND][0] = 0.1;
  Sim.Rot_Temp[0][0] = 5.0;
  Sim.Rot_Temp[0][1] = 10.0;
  Sim.Rot_Temp[0][2] = 0.25;
  Sim.Spin_Wts[0][1] = 3;
  Sim.Dsp_Slope[0] = 0.5;
  Sim.Dsp_Intercept[0] = 1234.5;
  Sim.TDM_Angle[0][1] = 40.0;
  Sim.TDM_GLOBAL_STAT[0] = 1;
  Sim.DM_GLOBAL_STAT[0] = 1;
  Sim.DM_FIELD[0] = 250.0;
  Sim.DM_Prm[0][1][2] = 0.75;
  SimFIAsnCalc(0, 0, 1);
  Sim.Sim_Modified[0] = 1;
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  EXPECT_EQ(Sim.Sim_Modified[0], 0u);
  EXPECT_EQ(Sim.Asn_Modified[0], 0u);
  EXPECT_EQ(StatusText(2), "[A] SIM [full.QVS] FILE WRITTEN");
  const std::string first = ReadAll("full.QVS");
  ASSERT_GT(first.size(), VAVODE_SIZE);
  EXPECT_EQ(first.substr(0, 9), std::string("QVS v1.9\0", 9));
  for (size_t at = vav::kRcStrs + 23 * vav::kRcStrSlot; at < vav::kRcVal; ++at) ASSERT_EQ(first[at], '\0') << at;
  for (size_t at = vav::kReservedTail; at < VAVODE_SIZE; ++at) ASSERT_EQ(first[at], '\0') << at;
  EXPECT_EQ(std::string(&first[vav::kRcStrs + 6 * 10], 10), std::string("PXPY \0\0\0\0\0", 10));
  EXPECT_EQ(platform::GetInt32LE(first.data(), vav::kOrvNoPrm), 22);

  Sim.Spin_Wts[0][1] = 1;
  Sim.Rot_Temp[0][0] = 0.0;
  ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 1), 1);
  EXPECT_EQ(Sim.FI_Lines[0], 7u);
  EXPECT_STREQ(Sim.Version[0], "QVS v1.9");
  EXPECT_STREQ(Sim.Asn_Flnm[0], "full.asn");
  for (uint32_t* flag : {&Sim.AMP_STAT[0], &Sim.IMAG_STAT[0], &Sim.FM_STAT[0], &Sim.DVS_STAT[0],
                         &Sim.TEMP_GLOBAL_STAT[0], &Sim.IDVWIDTH_STAT[0], &Sim.NLLSF_STAT[0], &Sim.ONESTATE_STAT[0],
                         &Sim.DM_GLOBAL_STAT[0], &Sim.TDM_GLOBAL_STAT[0]})
    EXPECT_EQ(*flag, 1u);
  EXPECT_EQ(Sim.Spin_Wts[0][1], 3u);
  EXPECT_EQ(Sim.Rot_Temp[0][0], 5.0);
  EXPECT_EQ(Sim.Rot_Temp[0][3], 2.0);
  EXPECT_EQ(Sim.Dsp_Intercept[0], 1234.5);
  EXPECT_EQ(Sim.TDM_Angle[0][1], 40.0);
  EXPECT_EQ(Sim.DM_Prm[0][1][2], 0.75);
  EXPECT_EQ(Sim.RC_Prm[0][SIM_GND][0], 3000.5);
  EXPECT_EQ(Sim.DVS_NO[0][SIM_GND], 2u);
  EXPECT_EQ(Sim.FI_Dev[0][4 * 6 + 3], 40.0 * 7 + 3);
  EXPECT_EQ(Sim.FI_Erg_Idx[0][SIM_EXC][6], 50 * 7 + 1);
  EXPECT_EQ(Sim.FI_HamErg_Vector[0][SIM_EXC][4], 401.0);
  EXPECT_EQ(Sim.FI_CovMat[0][3], 1.0);
  EXPECT_EQ(Sim.FI_LS_StdDev[0][5 * 6 + 4], 80.0f * 7 + 4);
  EXPECT_EQ(Sim.FI_Exp_Unc[0][6], 3.5f);
  EXPECT_EQ(Sim.FI_Asn_Lines[0], 4u);
  EXPECT_EQ(Sim.Asn_Modified[0], 0u);
  EXPECT_EQ(Lsf.Fit_Lines[0], 7u);
  EXPECT_EQ(Lsf.LsFit_Stat[0], 1u);
  EXPECT_EQ(Sim.FI_QN_List_Sz[0], 5);
  EXPECT_EQ(Sim.Dlg_Req[SIM_DLG_TEMP][0], 1u);
  EXPECT_EQ(StatusText(2), "[A] SIM [full.QVS] FILE READ");
  EXPECT_EQ(StatusText(3), "[A] SIM VER=[QVS v1.9] SIM TYPE=[ORV v5.1] FLAGS(R)=[DM 1 HT 0 QC 0 LN 0]");

  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  EXPECT_EQ(FirstDifference(ReadAll("full.QVS"), first), -1);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SimFileTest, HitranSetIsStoredInWavenumbersAndComesBackInTheAxisUnit) {
  FillSet(1, 4, 0, 4, true);
  Sim.TEMP_GLOBAL_STAT[1] = 0;
  Sim.ONESTATE_STAT[1] = 0;
  StrCopy(Sim.Sim_Flnm[1], "ht");
  StrCopy(Sim.Sim_Type[1], "HITRAN");
  Sim.HT_MHz_Stat[1] = 1;  // held in MHz, the axis unit
  const double mhz = Sim.FI_Sim_Erg[1][2];
  ASSERT_EQ(SimFIWriteQVS(1, &Sim), 1);
  const std::string bytes = ReadAll("ht.QVS");
  EXPECT_NEAR(platform::GetDoubleLE(bytes.data(), VAVODE_SIZE + 16), mhz / 29979.2458, 1e-9);
  EXPECT_EQ(Sim.HT_MHz_Stat[1], 1u);
  EXPECT_DOUBLE_EQ(Sim.FI_Sim_Erg[1][2], mhz);
  EXPECT_EQ(platform::GetInt32LE(bytes.data(), vav::kOrvNoPrm), 0);  // not a rotor type

  ASSERT_EQ(SimFIReadQVS(1, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.HT_Ary_Stat[1], 1u);
  EXPECT_EQ(Sim.LN_STAT[1], 1u);
  EXPECT_EQ(Sim.HT_ZeroSelf_Lines[1], 1u);
  EXPECT_EQ(Sim.HT_Mol[1], 2);
  EXPECT_EQ(Sim.HT_Iso[1], 1);
  EXPECT_EQ(Sim.FI_Gau_FWHM[1][3], 0.0f);  // HITRAN lines take their widths from their coefficients
  EXPECT_EQ(Sim.HT_MHz_Stat[1], 1u);
  EXPECT_NEAR(Sim.FI_Sim_Erg[1][2], mhz, 1e-6);
  // Every CO2 isotope has its partition function: Q(296 K) of each is stored.
  EXPECT_EQ(Sim.HT_QT_Stat[1], 1u);
  EXPECT_TRUE(BoxTexts().empty());
  for (int16_t iso = 1; iso <= SimRecord::HT_Iso_Cnt[2]; ++iso) {
    double q = 0.0;
    ASSERT_EQ(SimTipsQT(2, 296.0, iso, &q), 1) << iso;
    EXPECT_EQ(Sim.HT_QT_Ref[1][iso - 1], q) << iso;
  }

  // A freed set read again with the axis in MHz: the lines come to MHz, the cut-off (a
  // setting held in the display unit) stays.
  SimFIFreeQVS(1, &Sim, 0);
  Sim.HT_Global_Stat[1] = 1;
  Sim.HT_FrqLim[1] = 20.0;
  ASSERT_EQ(SimFIReadQVS(1, &Sim, 0, 0), 1);
  EXPECT_NEAR(Sim.FI_Sim_Erg[1][2], mhz, 1e-6);
  EXPECT_EQ(Sim.HT_FrqLim[1], 20.0);
}

TEST_F(SimFileTest, OzoneSetReadsWithThePartitionFunctionWarning) {
  // Ozone isotopes 6 to 18 have no partition-function table: the read warns and goes on.
  FillSet(1, 4, 0, 4, true);
  Sim.TEMP_GLOBAL_STAT[1] = 0;
  Sim.ONESTATE_STAT[1] = 0;
  StrCopy(Sim.Sim_Flnm[1], "ozone");
  StrCopy(Sim.Sim_Type[1], "HITRAN");
  for (uint32_t i = 0; i < 4; ++i) Sim.HT_Mol_Lbl[1][i] = 31;
  ASSERT_EQ(SimFIWriteQVS(1, &Sim), 1);
  ASSERT_EQ(SimFIReadQVS(1, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.FI_Lines[1], 4u);
  EXPECT_EQ(Sim.HT_Mol[1], 3);
  EXPECT_EQ(Sim.HT_QT_Stat[1], 0u);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0], "[B] SIM [ozone]\n\nSIM=[1] HT NUM=[3] ISO=[1]\n\nTIP(Q) FUNCTION NOT FOUND | INVALID");
}

TEST_F(SimFileTest, OlderVersionsReadAsStored) {
  StrCopy(Sim.Sim_Flnm[0], "old");
  // v1.3: no uncertainty block, the intensities follow the experimental frequencies.
  VavOde h = BaseHeader("QVS v1.3", 3);
  h.Put<int32_t, vav::kLn>(1);
  WriteAll("old.QVS", Header(h) + MainBlocks(3, false));
  ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.FI_Exp_Unc[0][2], 0.0f);
  EXPECT_EQ(Sim.FI_Sim_Itn[0][2], 1.5f);
  EXPECT_EQ(Sim.FI_BT_Lbl[0][2], 'B');
  EXPECT_EQ(Sim.LN_STAT[0], 1u);  // v1.3 is taken as stored

  // v1.0 with the uncertainty block missing as well.
  h = BaseHeader("QVS v1.0", 2);
  WriteAll("old.QVS", Header(h) + MainBlocks(2, false));
  ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.FI_Jkk_Lbl[0][11], 2);

  // v1.8 HITRAN: LN cleared in the header, labels read, LN_STAT ends 1.
  h = BaseHeader("QVS v1.8", 2);
  h.Put<int32_t, vav::kHt>(1);
  h.Put<int32_t, vav::kLn>(1);
  std::string body = MainBlocks(2, true);
  Append<float>(body, 8, 0.5f);
  Append<int16_t>(body, {71, 71});
  WriteAll("old.QVS", Header(h) + body);
  ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.HT_Mol_Lbl[0][1], 71);
  EXPECT_EQ(Sim.HT_Mol[0], 7);
  EXPECT_EQ(Sim.LN_STAT[0], 1u);

  // v1.7 HITRAN has no label block.
  h = BaseHeader("QVS v1.7", 2);
  h.Put<int32_t, vav::kHt>(1);
  body = MainBlocks(2, true);
  Append<float>(body, 8, 0.5f);
  WriteAll("old.QVS", Header(h) + body);
  ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.HT_Mol_Lbl[0][0], 0);
  // A first molecule of 0 has no partition function: warned, read on.
  EXPECT_EQ(Sim.HT_QT_Stat[0], 0u);

  // An old rotor header: the version names the type, the dipole shares become 100.
  h = BaseHeader("v5.3", 2);
  h.Put<int32_t, vav::kAmp>(1);
  h.Put<double, vav::kSlope>(7.0);
  WriteAll("old.QVS", Header(h) + MainBlocks(2, false));
  ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 1), 1);
  EXPECT_STREQ(Sim.Sim_Type[0], "ORV v5.3");
  EXPECT_STREQ(Sim.Version[0], "QVS v1.0");
  EXPECT_EQ(Sim.AMP_STAT[0], 0u);
  EXPECT_EQ(Sim.FI_Amp[0], nullptr);
  EXPECT_EQ(Sim.Dsp_Slope[0], 0.0);
  EXPECT_EQ(Sim.TDM_GLOBAL_STAT[0], 1u);
  EXPECT_EQ(Sim.TDM_Angle[0][2], 100.0);
}

TEST_F(SimFileTest, WrongDerivativeCountIsSkippedAndLaterBlocksStayInPlace) {
  StrCopy(Sim.Sim_Flnm[2], "nd");
  VavOde h = BaseHeader("QVS v1.9", 2);
  h.Put<int32_t, vav::kOrvNoPrm>(22);
  h.Put<int32_t>(vav::kRcDevStat, 1);  // one active ground-state constant
  h.Put<int32_t, vav::kDvs>(1);
  h.Put<int32_t, vav::kNd>(3);
  h.Put<int32_t, vav::kTempGlobal>(1);
  h.Put<int32_t, vav::kLevels>(2);
  h.Put<int32_t, vav::kCovCount>(1);
  h.Put<int32_t, vav::kIdvWidth>(1);
  std::string body = MainBlocks(2, true);
  Append<double>(body, 6, -1.0);  // 2 lines x 3 derivatives
  Append<double>(body, {11.0, 12.0});
  Append<int32_t>(body, {1, 0});
  Append<double>(body, {0.125});
  Append<float>(body, {1.0f, 2.0f, 3.0f, 4.0f});
  WriteAll("nd.QVS", Header(h) + body);
  ASSERT_EQ(SimFIReadQVS(2, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.DVS_STAT[2], 0u);
  EXPECT_EQ(Sim.FI_Dev[2], nullptr);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0], "[C] SIM [nd]\n\nNUMBER OF DERIVATIVES INCORRECT - [3]!=[1]\n\nCONTINUING");
  EXPECT_EQ(BoxCaptions()[0], "Info");
  EXPECT_EQ(Sim.FI_HamErg_Vector[2][SIM_GND][1], 12.0);
  EXPECT_EQ(Sim.FI_Erg_Idx[2][SIM_GND][0], 1);
  EXPECT_EQ(Sim.FI_CovMat[2][0], 0.125);
  EXPECT_EQ(Sim.FI_Gau_FWHM[2][1], 2.0f);
  EXPECT_EQ(Sim.FI_Lor_FWHM[2][1], 4.0f);
}

TEST_F(SimFileTest, FifteenStoredConstantsTakeTheOriginFromSlotFifteen) {
  StrCopy(Sim.Sim_Flnm[0], "c15");
  for (int k = 0; k < 23; ++k) Sim.RC_Prm[0][SIM_GND][k] = Sim.RC_Prm[0][SIM_EXC][k] = 99.0;
  VavOde h = BaseHeader("QVS v1.9", 1);
  h.Put<int32_t, vav::kOrvNoPrm>(15);
  for (int s = 0; s < 2; ++s)
    for (int k = 0; k < 50; ++k) h.Put<double>(vav::kRcVal + (s * 50 + k) * 8, 1000.0 * s + k);
  WriteAll("c15.QVS", Header(h) + MainBlocks(1, true));
  ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.RC_Prm[0][SIM_GND][14], 14.0);
  EXPECT_EQ(Sim.RC_Prm[0][SIM_GND][15], 0.0);
  EXPECT_EQ(Sim.RC_Prm[0][SIM_EXC][21], 0.0);
  EXPECT_EQ(Sim.RC_Prm[0][SIM_EXC][22], 1015.0);
  EXPECT_EQ(Sim.RC_Prm[0][SIM_GND][22], 0.0);
}

TEST_F(SimFileTest, RotorSetWithoutConstantsStoresNone) {
  FillSet(0, 2, 0, 1, false);
  StrCopy(Sim.Sim_Flnm[0], "zero");
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  EXPECT_EQ(platform::GetInt32LE(ReadAll("zero.QVS").data(), vav::kOrvNoPrm), 0);
  StrCopy(Sim.Sim_Type[0], "VESPAR v1");
  Sim.RC_Prm[0][SIM_EXC][22] = 5.0;
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  EXPECT_EQ(platform::GetInt32LE(ReadAll("zero.QVS").data(), vav::kOrvNoPrm), 22);
}

TEST_F(SimFileTest, EveryTruncationIsRefusedCleanly) {
  FillSet(0, 3, 2, 2, true);
  StrCopy(Sim.Sim_Flnm[0], "cut");
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  const std::string whole = ReadAll("cut.QVS");
  std::vector<size_t> sizes = {0, 1, VAVODE_SIZE - 1};
  for (size_t size = VAVODE_SIZE; size < whole.size(); ++size) sizes.push_back(size);
  for (size_t size : sizes) {
    WriteAll("cut.QVS", whole.substr(0, size));
    platform::ClearBoxLog();
    ASSERT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 0) << size;
    ASSERT_EQ(Sim.FI_Lines[0], 0u) << size;
    ASSERT_EQ(Sim.FI_Sim_Erg[0], nullptr) << size;
    ASSERT_EQ(Sim.Busy_Stat[0].load(), 0u);
    ASSERT_FALSE(BoxTexts().empty()) << size;
  }
  WriteAll("cut.QVS", whole);
  EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
}

TEST_F(SimFileTest, CorruptedCountsAreRefusedBeforeAnythingIsMade) {
  const std::string corrupted = "[A] SIM [bad]\n\nSIM LINE ARRAYS CORRUPTED\n\nABORTING";
  StrCopy(Sim.Sim_Flnm[0], "bad");
  struct Case {
    size_t offset;
    int32_t value;
    int32_t flagAt;
    std::string text;
  } cases[] = {
      {vav::kLines, 0x7FFFFFFF, 0, corrupted},
      {vav::kLines, -5, 0, corrupted},
      {vav::kOrvNoPrm, 23, 0, corrupted},
      {vav::kOrvNoPrm, -1, 0, corrupted},
      {vav::kNd, 0x40000000, vav::kDvs, "[A] SIM [bad]\n\nNUMBER OF DERIVATIVES INCORRECT - [1073741824]!=[0]\n\nCONTINUING"},
      {vav::kLevels, 0x7FFFFFFF, vav::kTempGlobal,
       "[A] SIM [bad]\n\nINCORRECT NUMBER OF GND STATE INDICIES | ERGS\n\n[2]!=[0]|[0]\n\nABORTING"},
      {vav::kCovCount, 0x7FFFFFFF, 0, "[A] SIM [bad]\n\nCOVARIANCE MATRIX WRONG SIZE\n\n[0]!=[2147483647]\n\nABORTING"},
      {vav::kNd, -1, vav::kDvs, corrupted},
  };
  for (const Case& c : cases) {
    VavOde h = BaseHeader("QVS v1.9", 2);
    h.Put<int32_t>(c.offset, c.value);
    if (c.flagAt) h.Put<int32_t>(static_cast<size_t>(c.flagAt), 1);
    WriteAll("bad.QVS", Header(h) + MainBlocks(2, true));
    platform::ClearBoxLog();
    EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 0) << c.offset;
    EXPECT_EQ(Sim.FI_Sim_Erg[0], nullptr);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts().front(), c.text) << c.offset;
  }
  // The HITRAN coefficients have their own text.
  VavOde h = BaseHeader("QVS v1.9", 2);
  h.Put<int32_t, vav::kHt>(1);
  WriteAll("bad.QVS", Header(h) + MainBlocks(2, true) + std::string(20, '\0'));
  platform::ClearBoxLog();
  EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 0);
  EXPECT_EQ(BoxTexts().back(),
            "[A] SIM [bad]\n\nHITRAN COEFFICIENTS CORRUPTED\n\nDELETE QVS FILE & IMPORT PAR FILE AGAIN\n\nABORTING");
}

TEST_F(SimFileTest, RefusedFilesAndTheBusyGuard) {
  StrCopy(Sim.Sim_Flnm[0], "some");
  EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 0);
  EXPECT_EQ(StatusText(0), "[A] SIM [some]: FAILED TO OPEN [.QVS] FILE");
  EXPECT_TRUE(BoxTexts().empty());

  WriteAll("some.QVS", Header(BaseHeader("QVS v6.0", 2)) + MainBlocks(2, true));
  EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 0);
  WriteAll("some.QVS", Header(BaseHeader("QVS v1.9", 0)));
  EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 0);
  WriteAll("some.QVS", "QVS v1.9");
  EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 0);
  const std::vector<std::string> expected = {
      "[A] SIM [some]\n\nZI64 QVS FILES ARE NOT COMPATABLE WITH QV95 PROGRAM\n\nSIM NOT READ",
      "[A] SIM [some]\n\nSIM HAS ZERO LINES\n\nABORTING",
      "[A] SIM [some]\n\nVAVODE STRUCTURE CORRUPTED\n\nABORTING"};
  EXPECT_EQ(BoxTexts(), expected);

  // A file in the parent folder is found when the working folder has none.
  std::filesystem::remove("some.QVS");
  WriteAll("../some.QVS", Header(BaseHeader("QVS v1.9", 2)) + MainBlocks(2, true));
  EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
  EXPECT_EQ(Sim.FI_Lines[0], 2u);

  // A read of a busy set reports it and touches nothing.
  const bool lockMade = !SimReadLock.state;
  if (lockMade) InitializeCriticalSection(&SimReadLock);
  Sim.Busy_Stat[0] = 1;
  Sim.FI_Lines[0] = 2;
  EXPECT_EQ(SimFIReadQVS(0, &Sim, 0, 0), 1);
  EXPECT_EQ(StatusText(0), "[A] SIM [some] - BUSY");
  EXPECT_NE(Sim.FI_Sim_Erg[0], nullptr);
  Sim.Busy_Stat[0] = 0;
  if (lockMade) DeleteCriticalSection(&SimReadLock);
}

TEST_F(SimFileTest, FailedWriteKeepsFlagsAndReportsIt) {
  FillSet(0, 2, 0, 1, true);
  StrCopy(Sim.Sim_Flnm[0], "no-such-folder/set");
  Sim.Sim_Modified[0] = Sim.Asn_Modified[0] = 1;
  Sim.HT_MHz_Stat[0] = 1;
  const double mhz = Sim.FI_Sim_Erg[0][1];
  EXPECT_EQ(SimFIWriteQVS(0, &Sim), 0);
  EXPECT_EQ(Sim.Sim_Modified[0], 1u);
  EXPECT_EQ(Sim.Asn_Modified[0], 1u);
  EXPECT_DOUBLE_EQ(Sim.FI_Sim_Erg[0][1], mhz);  // converted back all the same
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0], "[A] SIM [no-such-folder/set]\n\nFAILED TO WRITE QVS FILE\n\nABORTING");
}

TEST_F(SimFileTest, HeaderCheckAndDump) {
  FillSet(0, 2, 0, 1, false);
  StrCopy(Sim.Sim_Flnm[0], "dump");
  ASSERT_EQ(SimFIWriteQVS(0, &Sim), 1);
  core_io::BinIn in;
  ASSERT_TRUE(in.Open("dump.QVS"));
  VavOde h;
  EXPECT_EQ(SimFIWinCnvQVS("dump.QVS", &in, &h, 1), 1);
  EXPECT_EQ(h.GetText(vav::kSimType, 50), "ORV v5.1");
  const std::string text = ReadAll("dump.TXT");
  EXPECT_EQ(text.substr(0, 43), "# VERSION\r\nQVS v1.9\r\n# STRUCT SIZE\r\n13310\r\n");
  EXPECT_NE(text.find("# RC STRS\r\n   A    \r\n   B    \r\n"), std::string::npos);
  EXPECT_NE(text.find("# QUAD ASN FLNM\r\nQuadA.asn\r\n"), std::string::npos);
  in.Close();

  WriteAll("short.QVS", ReadAll("dump.QVS").substr(0, 3000));
  ASSERT_TRUE(in.Open("short.QVS"));
  EXPECT_EQ(SimFIWinCnvQVS("short.QVS", &in, &h, 0), 0);
  EXPECT_EQ(BoxTexts().back(), "SIM [short.QVS]\n\nVAVODE STRUCTURE CORRUPTED [9]\n\nABORTING");
}

}  // namespace
}  // namespace qvtest
