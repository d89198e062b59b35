#include "AppFixture.h"
#include "app/WorkFile.h"
#include "sim/SimSets.h"

namespace {

using qvtest::AppTest;

class WorkFileConvertTest : public AppTest {
 protected:
  bool Exists(const std::string& name) { return std::filesystem::exists(Path(name)); }
  bool Refused(const char* name) {
    StrCopy(Dsp.Work_Flnm, name);
    bool refused = false;
    WorkFileReadChecked(&refused);
    return refused;
  }
};

const char* kWkfHead =
    "PELK 3-14-1990 10:00\n"
    "ch0 0.5 0.1\nch1 0.5 0.1\nch2 0.5 0.1\nch3 0.5 0.1\nch4 0.5 0.1\nch5 0.5 0.1\n";
const char* kWkfTail =
    "irpow 0.002\nexpow 0.003\nuvpowl 0.004\n"
    "An old comment line\n"
    "oh000.dat oh00.dat ohuvcal.dat out.int\n"
    "oh00.dat od00.dat OH OD\n"
    "simA simB ohuvcal.dat oduvcal.dat\n"
    "0.1 0.2 1.5 2.5\n0.01 0.02 0.03 0.04\n300 310\n-1 2\n12\n";

TEST_F(WorkFileConvertTest, SixChannelWkfBecomesAWorkingFile) {
  SimFile("simA");
  SimFile("simB");
  WriteAll(Path("run5.wkf"), std::string(kWkfHead) + "200 150.0\n45000.0\n" + kWkfTail);
  StrCopy(Dsp.Work_Flnm, "run5.wkf");
  EXPECT_EQ(WorkFileRead(), 1);
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_STREQ(Dsp.Work_Flnm, "run5.QVW");
  EXPECT_TRUE(Exists("run5.QVW"));
  EXPECT_FALSE(Exists("run5.wkf"));
  EXPECT_STREQ(Dsp.Chn_Flnm[5], "ch5");
  EXPECT_STREQ(Dsp.Chn_Flnm[6], "Ramp");
  EXPECT_STREQ(Dsp.Chn_Flnm[8], "Pmt1");
  EXPECT_EQ(Dsp.Chn_Scalar[7], 0.25);
  EXPECT_EQ(Dsp.Pts_FSR, 200);
  EXPECT_EQ(Dsp.FSR, 150.0);
  EXPECT_EQ(Dsp.Init_Frq, 45000.0);
  EXPECT_STREQ(Dsp.Work_Comment, "An old comment line");
  EXPECT_STREQ(Sim.Sim_Flnm[1], "simB");
  EXPECT_EQ(Sim.Dsp_Scalar[1], 2.5);
  EXPECT_EQ(Sim.Dsp_Cnl[0], 9);
  EXPECT_EQ(Sim.Dsp_Cnl[1], 2);
  EXPECT_EQ(Sim.LS_NOLWS[8], 12);
  EXPECT_FLOAT_EQ(Sim.OH_Temp[1], 310.0f);
  EXPECT_STREQ(Sim.LineDb_Lbl[1], "OD");

  // The new file reads back in the current form.
  FreeSimSets();
  Sim = SimRecord{};
  EXPECT_EQ(WorkFileReadPelkNew(), 1);
  EXPECT_STREQ(Sim.Sim_Flnm[1], "simB");
  EXPECT_EQ(Dsp.Init_Frq, 45000.0);
}

TEST_F(WorkFileConvertTest, NineChannelWkf) {
  WriteAll(Path("run6.wkf"),
           std::string(kWkfHead) + "ch6 0.5 0.1\nch7 0.5 0.1\nch8 0.75 0.1\n100 1.5 4000.0\n" + kWkfTail);
  StrCopy(Dsp.Work_Flnm, "run6.wkf");
  EXPECT_EQ(WorkFileRead(), 1);
  EXPECT_STREQ(Dsp.Chn_Flnm[8], "ch8");
  EXPECT_EQ(Dsp.Chn_Scalar[8], 0.75);
  EXPECT_EQ(Dsp.Pts_FSR, 100);
  EXPECT_EQ(Dsp.Init_Frq, 4000.0);
  EXPECT_TRUE(Exists("run6.QVW"));
}

TEST_F(WorkFileConvertTest, BadWkfKeepsTheOldFileAndTheRecords) {
  std::string bad = std::string(kWkfHead) + "200 150.0\n45000.0\n" + kWkfTail;
  bad.replace(bad.find("0.1 0.2 1.5 2.5"), 15, "0.1 0.2 x 2.5");
  WriteAll(Path("run5.wkf"), bad);
  EXPECT_TRUE(Refused("run5.wkf"));
  EXPECT_EQ(Texts(), std::vector<std::string>{"CORRUPTED FIELDS IN [run5.wkf]\n\nUSING DEFAULT VALUES"});
  EXPECT_TRUE(Exists("run5.wkf"));
  EXPECT_FALSE(Exists("run5.QVW"));
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "Nothing");
  EXPECT_STREQ(Dsp.Work_Flnm, "run5.wkf");

  // Cut short: the same.
  WriteAll(Path("run5.wkf"), std::string(kWkfHead) + "200 150.0\n");
  EXPECT_TRUE(Refused("run5.wkf"));
  EXPECT_TRUE(Exists("run5.wkf"));
  EXPECT_EQ(Dsp.Pts_FSR, 0);
}

TEST_F(WorkFileConvertTest, ExistingWorkingFileIsReplacedOnlyWhenTheUserSaysSo) {
  WriteAll(Path("run5.wkf"), std::string(kWkfHead) + "200 150.0\n45000.0\n" + kWkfTail);
  WriteAll(Path("run5.QVW"), "mine\r\n");
  answers_ = {IDNO};
  EXPECT_TRUE(Refused("run5.wkf"));
  EXPECT_EQ(Texts()[0], "FILE EXITS [run5.QVW]\n\nOVERWRITE [YES] | ABORT [NO]?");
  EXPECT_EQ(ReadAll(Path("run5.QVW")), "mine\r\n");
  EXPECT_TRUE(Exists("run5.wkf"));

  answers_ = {IDYES};
  EXPECT_FALSE(Refused("run5.wkf"));
  EXPECT_NE(ReadAll(Path("run5.QVW")), "mine\r\n");
  EXPECT_FALSE(Exists("run5.wkf"));
}

TEST_F(WorkFileConvertTest, OneLineWkFile) {
  WriteAll(Path("scan.wk"), "100 1.5 4000.0\n");
  Dsp.Chn_Scalar[3] = 9.0;
  StrCopy(Dsp.Work_Flnm, "scan.wk");
  EXPECT_EQ(WorkFileRead(), 1);
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_EQ(Dsp.Pts_FSR, 100);
  EXPECT_EQ(Dsp.FSR, 1.5);
  EXPECT_EQ(Dsp.Init_Frq, 4000.0);
  EXPECT_EQ(Dsp.Chn_Scalar[3], 0.25);
  EXPECT_EQ(Sim.Pow_Val[2], 0.00723);
  EXPECT_EQ(Sim.LS_NOLWS[4], 10);
  EXPECT_STREQ(Dsp.Work_Comment, "NO COMMENT");
  EXPECT_STREQ(Dsp.Work_Flnm, "scan.QVW");
  EXPECT_FALSE(Exists("scan.wk"));

  WriteAll(Path("bad.wk"), "100 abc 4000.0\n");
  Dsp.Chn_Scalar[3] = 9.0;
  EXPECT_TRUE(Refused("bad.wk"));
  EXPECT_EQ(Texts().back(), "CORRUPTED FIELDS IN [bad.wk]\n\nABORTING");
  EXPECT_EQ(Dsp.Chn_Scalar[3], 9.0);
  EXPECT_TRUE(Exists("bad.wk"));
  EXPECT_FALSE(Exists("bad.QVW"));
}

TEST_F(WorkFileConvertTest, OldMassCompFile) {
  WriteAll(Path("wk-run5"),
           "1 header words stop\n2 pmt ref stop\n3 100 200 300 0 stop\n4 stop\n6 1 2 3.0 45000.0 150.0 more stop\n");
  answers_ = {IDYES, IDYES};
  StrCopy(Dsp.Work_Flnm, "wk-run5");
  EXPECT_EQ(WorkFileRead(), 1);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "CONVERT FROM (OLD) MASSCOMP WORKING FILE (KAVO ONLY)?",
                         "INCORRECT MARKER COUNT IN WK FILE\n\nWF=[3] != ACTUAL=[4]\n\nCONTINUE [YES] | ABORT [NO]?"}));
  EXPECT_STREQ(Dsp.Work_Flnm, "run5.QVW");
  EXPECT_TRUE(Exists("run5.QVW"));
  EXPECT_TRUE(Exists("wk-run5"));  // the old file stays
  EXPECT_EQ(ReadAll(Path("Mks")), "100\r\n200\r\n300\r\n0\r\n");
  EXPECT_EQ(Dsp.Init_Frq, 45000.0);
  EXPECT_EQ(Dsp.FSR, 150.0);
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "Nothing");  // no data file: nothing to show
  EXPECT_EQ(Win.Active_Chn, 9);
}

TEST_F(WorkFileConvertTest, BrokenMassCompFilesAreRefused) {
  const char* bodies[] = {"2 pmt ref\n3 100 200",  // no "stop": ends with the file
                          "two pmt stop\n",        // a block number that is not a number
                          "3 100 x200 stop\n"};    // a position that is not a number
  for (const char* body : bodies) {
    SCOPED_TRACE(body);
    platform::ClearBoxLog();
    WriteAll(Path("wk-run5"), body);
    answers_ = {IDYES, IDYES};
    EXPECT_TRUE(Refused("wk-run5"));
    EXPECT_EQ(Texts().back(), "CORRUPTED FIELDS IN [wk-run5]\n\nABORTING");
    EXPECT_STREQ(Dsp.Chn_Flnm[0], "Nothing");
    EXPECT_FALSE(Exists("run5.QVW"));
    EXPECT_FALSE(Exists("Mks"));
  }
  // Declining the conversion.
  WriteAll(Path("wk-run5"), "2 pmt stop\n");
  answers_ = {IDNO};
  EXPECT_TRUE(Refused("wk-run5"));
  EXPECT_FALSE(Exists("run5.QVW"));
}

TEST_F(WorkFileConvertTest, NewMassCompFile) {
  WriteAll(Path("wk.a.b"),
           "TITLE = x\nDATE = y\nCHANNELS = pmt ref c2 c3\nRAW SIZES = 10 10 10 10\n"
           "INTM = i0 i1 i2 i3 MAX\nINTM SIZES = 1 1 1 1\nOMNI = o0 o1 o2 o3 AVE\nOMNI SIZES = 1 1 1 1\n"
           "DIGITAL = YES NO NO NO\nSCALARS = 2.0 2.0 2.0 2.0\nOFFSETS = 0.1 0.1 0.1 0.1\n"
           "A = x\nB = y\nSTART FREQ = 45000.5\nP1 = 1.0 2\nP2 = 1.0 3\nC = z\nSCHEME = RED\nD = w\n"
           "FSR = 150.0\nMARKERS = 2\nLIMITS = 100 to 200\nE = 0\nMARKER POSITIONS\n100 200 300\n");
  answers_ = {IDYES, IDYES};
  StrCopy(Dsp.Work_Flnm, "wk.a.b");
  EXPECT_EQ(WorkFileRead(), 1);
  EXPECT_EQ(Texts()[0], "CONVERT FROM (NEW) MASSCOMP WORKING FILE (KAVO ONLY)?");
  EXPECT_STREQ(Dsp.Work_Flnm, "b.QVW");
  EXPECT_TRUE(Exists("b.QVW"));
  EXPECT_EQ(Dsp.Init_Frq, 45000.5);
  EXPECT_EQ(Dsp.FSR, -150.0);  // red scheme
  EXPECT_EQ(ReadAll(Path("Mks")), "100\r\n200\r\n300\r\n");
  EXPECT_EQ(Cnl.Mks_End, 2);
}

TEST_F(WorkFileConvertTest, MassCompChannelWithDataIsConvertedToFloats) {
  // Ten 16-bit samples become the float file "pmtF", which the channel then shows.
  std::string samples;
  for (int i = 0; i < 10; ++i) {
    samples.push_back(static_cast<char>(i * 3));
    samples.push_back('\0');
  }
  WriteAll(Path("pmt"), samples);
  WriteAll(Path("wk-run7"), "2 pmt stop\n3 100 stop\n");
  answers_ = {IDYES, IDYES, IDYES, IDYES};
  EXPECT_FALSE(Refused("wk-run7"));
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "pmtF");
  EXPECT_STREQ(Dsp.Chn_Flnm[4], "pmtFL");
  EXPECT_EQ(std::filesystem::file_size(Path("pmtF")), 10u * sizeof(float));
  EXPECT_TRUE(Exists("pmtFL"));
  EXPECT_TRUE(Exists("run7.QVW"));
}

}  // namespace
