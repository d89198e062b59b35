#include "AppFixture.h"
#include "app/WorkFile.h"
#include "sim/SimSets.h"

namespace {

using qvtest::AppTest;

class WorkFileConvertTest : public AppTest {
 protected:
  bool Exists(const std::string& name) { return std::filesystem::exists(Path(name)); }
  // Ten 16-bit samples in "pmt" and the MassComp file "wk-run7" naming them.
  void WritePmtRun7() {
    std::string samples;
    for (int i = 0; i < 10; ++i) {
      samples.push_back(static_cast<char>(i * 3));
      samples.push_back('\0');
    }
    WriteAll(Path("pmt"), samples);
    WriteAll(Path("wk-run7"), "2 pmt stop\n3 100 stop\n");
  }
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

  // A name too long for its field is bad too.
  bad = std::string(kWkfHead) + "200 150.0\n45000.0\n" + kWkfTail;
  bad.replace(bad.find("simA"), 4, std::string(300, 'n'));
  WriteAll(Path("run5.wkf"), bad);
  EXPECT_TRUE(Refused("run5.wkf"));
  EXPECT_TRUE(Exists("run5.wkf"));
  EXPECT_FALSE(Exists("run5.QVW"));
}

// Older files were often cut short: what a file does not hold keeps the defaults, or
// the values already held, and the file converts.
TEST_F(WorkFileConvertTest, ShortWkfConvertsWithWhatItHolds) {
  std::string whole = std::string(kWkfHead) + "200 150.0\n45000.0\n" + kWkfTail;
  // Half its rows: up to the power-normalisation files.
  std::string half = whole.substr(0, whole.find("expow"));
  WriteAll(Path("run5.wkf"), half);
  Sim.LS_GAU[0] = 0.125;
  Sim.LS_NOLWS[3] = 7;
  StrCopy(Sim.Pow_Flnm[2], "held");
  EXPECT_FALSE(Refused("run5.wkf"));
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_TRUE(Exists("run5.QVW"));
  EXPECT_FALSE(Exists("run5.wkf"));
  EXPECT_STREQ(Dsp.Chn_Flnm[5], "ch5");
  EXPECT_EQ(Dsp.Pts_FSR, 200);
  EXPECT_EQ(Dsp.Init_Frq, 45000.0);
  EXPECT_STREQ(Sim.Pow_Flnm[0], "irpow");
  EXPECT_STREQ(Sim.Pow_Flnm[2], "held");
  EXPECT_EQ(Sim.LS_GAU[0], 0.125);
  EXPECT_EQ(Sim.LS_NOLWS[3], 7);

  // Cut inside the channel rows: the axis and everything after keep their values.
  Dsp.Pts_FSR = 31;
  WriteAll(Path("run7.wkf"), "PELK 3-14-1990 10:00\nch0 0.5 0.1\nch1 0.5");
  EXPECT_FALSE(Refused("run7.wkf"));
  EXPECT_TRUE(Exists("run7.QVW"));
  EXPECT_STREQ(Dsp.Chn_Flnm[1], "ch1");
  EXPECT_EQ(Dsp.Chn_Scalar[1], 0.5);
  EXPECT_EQ(Dsp.Pts_FSR, 31);
}

TEST_F(WorkFileConvertTest, ShortWkConvertsWithDefaults) {
  WriteAll(Path("scan.wk"), "250\n");
  StrCopy(Dsp.Work_Flnm, "scan.wk");
  EXPECT_EQ(WorkFileRead(), 1);
  EXPECT_TRUE(platform::BoxLog().empty());
  EXPECT_EQ(Dsp.Pts_FSR, 250);
  EXPECT_EQ(Dsp.FSR, 1.0);
  EXPECT_EQ(Dsp.Init_Frq, 0.0);
  EXPECT_STREQ(Dsp.Work_Flnm, "scan.QVW");
  EXPECT_TRUE(Exists("scan.QVW"));
}

TEST_F(WorkFileConvertTest, ExistingWorkingFileIsReplacedOnlyWhenTheUserSaysSo) {
  WriteAll(Path("run5.wkf"), std::string(kWkfHead) + "200 150.0\n45000.0\n" + kWkfTail);
  WriteAll(Path("run5.QVW"), "mine\r\n");
  std::string old = ReadAll(Path("run5.wkf"));
  answers_ = {IDNO};
  EXPECT_TRUE(Refused("run5.wkf"));
  // The sound file is not blamed: the box says what happened, and nothing else is shown.
  EXPECT_EQ(Texts(), (std::vector<std::string>{"FILE EXITS [run5.QVW]\n\nOVERWRITE [YES] | ABORT [NO]?",
                                               "[run5.wkf] NOT CONVERTED\n\nEXISTING WORKING FILE [run5.QVW] KEPT"}));
  EXPECT_EQ(platform::BoxLog().back().caption, "Info");
  EXPECT_EQ(ReadAll(Path("run5.QVW")), "mine\r\n");
  EXPECT_EQ(ReadAll(Path("run5.wkf")), old);
  EXPECT_STREQ(Dsp.Work_Flnm, "run5.wkf");

  // The same for the one-line files.
  WriteAll(Path("scan.wk"), "100 1.5 4000.0\n");
  WriteAll(Path("scan.QVW"), "theirs\r\n");
  platform::ClearBoxLog();
  answers_ = {IDNO};
  EXPECT_TRUE(Refused("scan.wk"));
  EXPECT_EQ(Texts().back(), "[scan.wk] NOT CONVERTED\n\nEXISTING WORKING FILE [scan.QVW] KEPT");
  EXPECT_EQ(Texts().size(), 2u);
  EXPECT_EQ(ReadAll(Path("scan.QVW")), "theirs\r\n");
  EXPECT_EQ(ReadAll(Path("scan.wk")), "100 1.5 4000.0\n");

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
  WritePmtRun7();
  answers_ = {IDYES, IDYES, IDYES, IDYES};
  EXPECT_FALSE(Refused("wk-run7"));
  EXPECT_STREQ(Dsp.Chn_Flnm[0], "pmtF");
  EXPECT_STREQ(Dsp.Chn_Flnm[4], "pmtFL");
  EXPECT_EQ(std::filesystem::file_size(Path("pmtF")), 10u * sizeof(float));
  EXPECT_TRUE(Exists("pmtFL"));
  EXPECT_TRUE(Exists("run7.QVW"));
}

// A refused conversion leaves the user's "Mks", float and linearised files as they
// were, and nothing of its own beside them; an accepted one replaces them.
TEST_F(WorkFileConvertTest, RefusedMassCompConversionKeepsTheUsersFiles) {
  WritePmtRun7();
  const char* mine[] = {"Mks", "pmtF", "pmtFL", "run7.QVW"};
  for (const char* name : mine) WriteAll(Path(name), std::string("mine ") + name);
  answers_ = {IDYES};  // convert; then No to replacing run7.QVW
  EXPECT_TRUE(Refused("wk-run7"));
  EXPECT_EQ(Texts().back(), "[wk-run7] NOT CONVERTED\n\nEXISTING WORKING FILE [run7.QVW] KEPT");
  for (const char* name : mine) EXPECT_EQ(ReadAll(Path(name)), std::string("mine ") + name) << name;
  const std::filesystem::path folder = std::filesystem::path(Path("Mks")).parent_path();
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();

  // Refused at the marker count: the same.
  WriteAll(Path("wk-run8"), "2 pmt stop\n3 100 0 stop\n");
  answers_ = {IDYES, IDNO};
  EXPECT_TRUE(Refused("wk-run8"));
  for (const char* name : mine) EXPECT_EQ(ReadAll(Path(name)), std::string("mine ") + name) << name;

  answers_ = {IDYES, IDOK, IDYES};  // convert, the spline's note, replace run7.QVW
  EXPECT_FALSE(Refused("wk-run7"));
  EXPECT_EQ(ReadAll(Path("Mks")), "100\r\n");
  EXPECT_EQ(std::filesystem::file_size(Path("pmtF")), 10u * sizeof(float));
  EXPECT_NE(ReadAll(Path("pmtFL")), "mine pmtFL");
  EXPECT_NE(ReadAll(Path("run7.QVW")), "mine run7.QVW");
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

}  // namespace

namespace {

// Lines of a text, each with its line end.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

}  // namespace

// A NUL byte anywhere in any form of working file is read past: the file is refused
// as a bad token is (records and file kept) or read, and never hangs the reader.
TEST_F(WorkFileConvertTest, NulByteInAnyLineOfAnyFormIsReadPast) {
  StrCopy(Dsp.Work_Flnm, "base.QVW");
  StrCopy(Dsp.Work_Comment, "a comment of some words");
  ASSERT_EQ(WorkFileWrite(), 1);
  const std::string qvw = ReadAll(Path("base.QVW"));
  const std::string wkf = std::string(kWkfHead) + "200 150.0\n45000.0\n" + kWkfTail;
  const std::string nine = std::string(kWkfHead) + "ch6 0.5 0.1\nch7 0.5 0.1\nch8 0.75 0.1\n100 1.5 4000.0\n" + kWkfTail;
  const std::string massOld =
      "1 header words stop\n2 pmt ref stop\n3 100 200 300 0 stop\n4 stop\n6 1 2 3.0 45000.0 150.0 more stop\n";
  const std::string massNew =
      "TITLE = x\nCHANNELS = pmt ref c2 c3\nRAW SIZES = 10 10 10 10\nINTM = i0 i1 i2 i3 MAX\n"
      "INTM SIZES = 1 1 1 1\nOMNI = o0 o1 o2 o3 AVE\nOMNI SIZES = 1 1 1 1\nDIGITAL = YES NO NO NO\n"
      "SCALARS = 2.0 2.0 2.0 2.0\nOFFSETS = 0.1 0.1 0.1 0.1\nA = x\nB = y\nSTART FREQ = 45000.5\n"
      "P1 = 1.0 2\nP2 = 1.0 3\nC = z\nSCHEME = RED\nD = w\nFSR = 150.0\nMARKERS = 2\n"
      "LIMITS = 100 to 200\nE = 0\nMARKER POSITIONS\n100 200 300\n";
  struct Form {
    const char* name;
    std::string text;
  } forms[] = {{"nul.QVW", qvw}, {"nul.wkf", wkf}, {"nin.wkf", nine}, {"nul.wk", "100 1.5 4000.0\n"},
               {"wk-nul", massOld}, {"wk.nul", massNew}};
  int refusedCount = 0, runs = 0;
  for (const Form& form : forms) {
    std::vector<std::string> lines = SplitLines(form.text);
    for (size_t l = 0; l < lines.size(); l++) {
      for (size_t at : {size_t{0}, lines[l].size() / 2}) {
        SCOPED_TRACE(std::string(form.name) + " line " + std::to_string(l + 1) + " at " + std::to_string(at));
        std::string text;
        for (size_t k = 0; k < lines.size(); k++) {
          std::string line = lines[k];
          if (k == l) line.insert(at, 1, '\0');
          text += line;
        }
        std::filesystem::remove(Path("nul.QVW"));
        std::filesystem::remove(Path("nin.QVW"));
        WriteAll(Path(form.name), text);
        Dsp = DspRecord{};
        Sim = SimRecord{};
        StrCopy(Dsp.Data_Dir, std::filesystem::current_path().c_str());
        platform::ClearBoxLog();
        answers_ = std::deque<int>(8, IDYES);
        bool refused = Refused(form.name);
        runs++;
        if (refused) {
          refusedCount++;
          EXPECT_EQ(ReadAll(Path(form.name)), text);
          EXPECT_STREQ(Dsp.Work_Flnm, form.name);
        }
      }
    }
  }
  EXPECT_GT(runs, 100);
  EXPECT_GT(refusedCount, runs / 3);
}
