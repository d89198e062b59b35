// Converters of the older working files: the ".wkf" files before version 4.0, the
// one-line ".wk" files and the MassComp "wk." / "wk-" files. Each reads the old file
// into the records, writes the working file under its new name and runs the finish.
// A converter that gives up puts every record field back, keeps the old file and
// never replaces an existing working file without asking.
#include <cstring>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/Threads.h"
#include "display/ViewFiles.h"
#include "filelib/Markers.h"
#include "core/FrqAxis.h"
#include "fileproc/FileOps.h"
#include "app/WorkFile.h"
#include "app/WorkFileInternal.h"
#include "core/FileIo.h"
#include "platform/kernel/Error.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "records/Dsp.h"
#include "records/Sim.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

using namespace workfile;

namespace {

struct StateDeleter {
  void operator()(WorkFileState* s) const { StateFree(s); }
};
using StatePtr = std::unique_ptr<WorkFileState, StateDeleter>;

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// The next n tokens of the file, ready for conversion.
FieldScan Tokens(FILE* f, int n) {
  std::string text, token;
  for (int i = 0; i < n && ReadToken(f, &token); i++) text += token + " ";
  return FieldScan(text);
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool Equal(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// ---- ".wkf" ----------------------------------------------------------------------------

// Reads as far as the file goes: values it does not hold keep what the records hold
// (older files were often cut short), but a value that is there and does not convert
// refuses the file.
bool ReadPelkOld(FILE* f) {
  FieldScan head = Tokens(f, 3);
  head.Skip();
  head.Text(Dsp.Work_Date);
  head.Text(Dsp.Work_Time);
  if (head.Bad()) return false;
  for (int c = 0; c < 6; c++) {
    FieldScan r = Tokens(f, 3);
    r.Text(Dsp.Chn_Flnm[c]);
    r.Real(&Dsp.Chn_Scalar[c]);
    r.Real(&Dsp.Chn_Offset[c]);
    if (r.Bad()) return false;
  }
  std::string rest, line;
  ReadLinePiece(f, &rest, 255);
  if (ReadLinePiece(f, &line, 255)) {
    FieldScan first(line);
    char token[500] = "";
    if (!first.Text(token)) return !first.Bad();  // a blank line: nothing more to read
    bool number = true;
    for (int i = 0; i < 3 && token[i]; i++)
      if (IsLetter(token[i])) number = false;
    if (number) {
      FieldScan axis(line);
      axis.IntTo(&Dsp.Pts_FSR);
      axis.Real(&Dsp.FSR);
      FieldScan init = Tokens(f, 1);
      init.Real(&Dsp.Init_Frq);
      if (axis.Bad() || init.Bad()) return false;
      static constexpr const char* kNames[3] = {"Ramp", "Error", "Pmt1"};
      for (int c = 6; c < 9; c++) {
        StrCopy(Dsp.Chn_Flnm[c], kNames[c - 6]);
        Dsp.Chn_Dig[c] = 0;
        Dsp.Chn_Scalar[c] = 0.25;
        Dsp.Chn_Offset[c] = 0.0;
      }
    } else {
      FieldScan six(line);
      six.Text(Dsp.Chn_Flnm[6]);
      six.Real(&Dsp.Chn_Scalar[6]);
      six.Real(&Dsp.Chn_Offset[6]);
      if (six.Bad()) return false;
      for (int c = 7; c < 9; c++) {
        FieldScan r = Tokens(f, 3);
        r.Text(Dsp.Chn_Flnm[c]);
        r.Real(&Dsp.Chn_Scalar[c]);
        r.Real(&Dsp.Chn_Offset[c]);
        if (r.Bad()) return false;
      }
      FieldScan axis = Tokens(f, 3);
      axis.IntTo(&Dsp.Pts_FSR);
      axis.Real(&Dsp.FSR);
      axis.Real(&Dsp.Init_Frq);
      if (axis.Bad()) return false;
    }
  }
  for (int k = 0; k < 3; k++) {
    FieldScan r = Tokens(f, 2);
    r.Text(Sim.Pow_Flnm[k]);
    r.Real(&Sim.Pow_Val[k]);
    if (r.Bad()) return false;
  }
  ReadLinePiece(f, &rest, 255);
  if (ReadLinePiece(f, &line, 498)) StrCopy(Dsp.Work_Comment, line.c_str());

  FieldScan oh = Tokens(f, 4);
  for (auto& name : Sim.OH_Flnm) oh.Text(name);
  FieldScan db = Tokens(f, 4);
  db.Text(Sim.LineDb_Flnm[0]);
  db.Text(Sim.LineDb_Flnm[1]);
  db.Text(Sim.LineDb_Lbl[0]);
  db.Text(Sim.LineDb_Lbl[1]);
  FieldScan sims = Tokens(f, 4);
  sims.Text(Sim.Sim_Flnm[0]);
  sims.Text(Sim.Sim_Flnm[1]);
  sims.Text(Sim.Label_Flnm[0]);
  sims.Text(Sim.Label_Flnm[1]);
  if (oh.Bad() || db.Bad() || sims.Bad()) return false;

  FieldScan ofs = Tokens(f, 4);
  ofs.Real(&Sim.Dsp_Offset[0]);
  ofs.Real(&Sim.Dsp_Offset[1]);
  ofs.Real(&Sim.Dsp_Scalar[0]);
  ofs.Real(&Sim.Dsp_Scalar[1]);
  FieldScan width = Tokens(f, 4);
  width.Real(&Sim.LS_GAU[0]);
  width.Real(&Sim.LS_GAU[1]);
  width.Real(&Sim.LS_LOR[0]);
  width.Real(&Sim.LS_LOR[1]);
  FieldScan temp = Tokens(f, 2);
  temp.RealTo(&Sim.OH_Temp[0]);
  temp.RealTo(&Sim.OH_Temp[1]);
  FieldScan assoc = Tokens(f, 2);
  assoc.IntTo(&Sim.Dsp_Cnl[0]);
  assoc.IntTo(&Sim.Dsp_Cnl[1]);
  FieldScan nolws = Tokens(f, 1);
  int16_t widths = 0;
  bool haveWidths = nolws.IntTo(&widths);
  if (ofs.Bad() || width.Bad() || temp.Bad() || assoc.Bad() || nolws.Bad()) return false;
  for (int s = 0; s < 2; s++) {
    if (Sim.Dsp_Cnl[s] == -1) Sim.Dsp_Cnl[s] = 9;
    if (Sim.Dsp_Cnl[s] < 0 || Sim.Dsp_Cnl[s] > 9) return false;
  }
  if (haveWidths)
    for (auto& n : Sim.LS_NOLWS) n = widths;
  return true;
}

// ---- ".wk" -----------------------------------------------------------------------------

void MuroDefaults() {
  for (int c = 0; c < 9; c++) {
    Dsp.Chn_Scalar[c] = 0.25;
    Dsp.Chn_Offset[c] = 0.0;
  }
  Dsp.Work_Comment[0] = '\0';
  static constexpr const char* kOh[4] = {"oh000.dat", "oh00.dat", "ohuvcal.dat", "out.int"};
  for (int k = 0; k < 4; k++) StrCopy(Sim.OH_Flnm[k], kOh[k]);
  StrCopy(Sim.LineDb_Flnm[0], "oh00.dat");
  StrCopy(Sim.LineDb_Flnm[1], "od00.dat");
  StrCopy(Sim.LineDb_Lbl[0], "OH");
  StrCopy(Sim.LineDb_Lbl[1], "OD");
  StrCopy(Sim.Label_Flnm[0], "ohuvcal.dat");
  StrCopy(Sim.Label_Flnm[1], "oduvcal.dat");
  static constexpr const char* kPow[3] = {"irpow", "expow", "uvpowl"};
  static constexpr double kPowVal[3] = {0.00181, 0.002, 0.00723};
  for (int k = 0; k < 3; k++) {
    StrCopy(Sim.Pow_Flnm[k], kPow[k]);
    Sim.Pow_Val[k] = kPowVal[k];
  }
  for (int s = 0; s < 2; s++) {
    StrCopy(Sim.Sim_Flnm[s], "NoName");
    Sim.OH_Temp[s] = 300.0f;
    Sim.Dsp_Cnl[s] = 9;
    Sim.Dsp_Scalar[s] = 1.0;
    Sim.Dsp_Offset[s] = 0.0;
    Sim.LS_GAU[s] = 0.0;
    Sim.LS_LOR[s] = 0.0;
  }
  for (auto& n : Sim.LS_NOLWS) n = 10;
  Dsp.Init_Frq = 0.0;
  Dsp.FSR = 1.0;
  Dsp.Pts_FSR = 1;
}

// ---- MassComp --------------------------------------------------------------------------

constexpr int MC_CHN = 4;

// What a MassComp file gives beyond the records: view-file names and sizes of its two
// view levels, the digital texts, and the marker positions.
struct MassComp {
  char qviName[MC_CHN][200] = {};
  char qvoName[MC_CHN][200] = {};
  char digital[MC_CHN][25] = {};
  int64_t markerCount = 0;
  int64_t written = 0;
  platform::TextFileWriter mks;
  // Files the conversion makes ("Mks", the float and linearised channel files) are
  // written under a name of their own beside the user's files and renamed over them
  // only when the whole conversion succeeded; a refused one removes them.
  std::vector<std::pair<std::string, std::string>> staged;  // {beside, final}

  static std::string BesideName(const std::string& name) {
    return StrPrintf(".%s.%X-mc.tmp", name.c_str(), static_cast<unsigned>(getpid()));
  }
  std::string Beside(const std::string& name) {
    std::string beside = BesideName(name);
    staged.emplace_back(beside, name);
    return beside;
  }
  void Discard() {
    for (const auto& [beside, name] : staged) DeleteFile(DataPath(beside.c_str()).c_str());
    staged.clear();
  }
  // Every staged file may take its final name (none is write-protected), so that
  // RenameIn does not stop half-way.
  bool Replaceable() const {
    for (const auto& [beside, name] : staged)
      if (!platform::MayWriteOver(platform::MapPath(DataPath(name.c_str()).c_str()))) return false;
    return true;
  }
  bool RenameIn() {
    for (const auto& [beside, name] : staged)
      if (!MoveFileEx(DataPath(beside.c_str()).c_str(), DataPath(name.c_str()).c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    staged.clear();
    return true;
  }
};

bool WriteMarker(MassComp& mc, int64_t position) {
  mc.written++;
  return mc.mks.Printf("%lld\n", static_cast<long long>(position));
}

// "wk-" files: numbered blocks, each ended by "stop".
bool ReadMassCompOld(FILE* f, MassComp& mc) {
  std::string token;
  int channel = 0;
  while (ReadToken(f, &token)) {
    int64_t block = 0;
    if (!platform::ParseInt64(token, &block)) return false;
    if (block == 6) {
      FieldScan r = Tokens(f, 5);
      r.SkipInt();
      r.SkipInt();
      r.SkipReal();
      r.Real(&Dsp.Init_Frq);
      r.Real(&Dsp.FSR);
      if (r.Count() != 2) return false;
    }
    bool stopped = false;
    while (ReadToken(f, &token)) {
      if (token == "stop") {
        stopped = true;
        break;
      }
      if (block == 2) {
        if (channel >= 9 || !StrCopy(Dsp.Chn_Flnm[channel], token.c_str())) return false;
        channel++;
      } else if (block == 3) {
        int64_t position = 0;
        if (!platform::ParseInt64(token, &position) || !WriteMarker(mc, position)) return false;
        if (position != 0) mc.markerCount++;
      }
    }
    if (!stopped) return false;
  }
  for (int k = 0; k < MC_CHN; k++) {
    mc.qviName[k][0] = mc.qvoName[k][0] = '\0';
    Dsp.Chn_Scalar[k] = Dsp.Chn_Scalar[k + 4] = 0.25;
    Dsp.Chn_Offset[k] = Dsp.Chn_Offset[k + 4] = 0.0;
    int64_t bytes = 0;
    if (FileSize(DataPath(Dsp.Chn_Flnm[k]), &bytes)) Dsp.FL_SZ[WIN_RAW][k] = static_cast<uint32_t>(bytes / 2);
    StrCopy(mc.digital[k], Equal(Dsp.Chn_Flnm[k], "pmt") ? "YES" : "NO");
    Win.ViewKind[0][k] = 0;
    Win.ViewKind[1][k] = 1;
    Win.ViewKind[2][k] = 2;
  }
  return true;
}

// One "key = values" entry of a "wk." file: n values after the next "=".
FieldScan Entry(FILE* f, int n) {
  if (!WorkFileSkipToEquals(f)) return FieldScan("");
  return Tokens(f, n);
}

// "wk." files: entries of the form key = values.
bool ReadMassCompNew(FILE* f, MassComp& mc) {
  if (!WorkFileSkipToEquals(f) || !WorkFileSkipToEquals(f)) return false;
  FieldScan names = Entry(f, MC_CHN);
  for (int k = 0; k < MC_CHN; k++) names.Text(Dsp.Chn_Flnm[k]);
  FieldScan raw = Entry(f, MC_CHN);
  for (int k = 0; k < MC_CHN; k++) raw.IntTo(&Dsp.FL_SZ[WIN_RAW][k]);
  char kind[25] = "";
  FieldScan qvi = Entry(f, MC_CHN + 1);
  for (auto& name : mc.qviName) qvi.Text(name);
  qvi.Text(kind);
  for (int k = 0; k < MC_CHN; k++) {
    Win.ViewKind[1][k] = Equal(kind, "MAX") ? 0 : 1;
    Win.ViewKind[2][k] = 2;
  }
  FieldScan qviSize = Entry(f, MC_CHN);
  for (int k = 0; k < MC_CHN; k++) qviSize.IntTo(&Dsp.FL_SZ[1][k]);
  FieldScan qvo = Entry(f, MC_CHN + 1);
  for (auto& name : mc.qvoName) qvo.Text(name);
  qvo.Text(kind);
  for (int k = 0; k < MC_CHN; k++) Win.ViewKind[0][k] = Equal(kind, "MAX") ? 0 : 1;
  FieldScan qvoSize = Entry(f, MC_CHN);
  for (int k = 0; k < MC_CHN; k++) qvoSize.IntTo(&Dsp.FL_SZ[0][k]);
  FieldScan dig = Entry(f, MC_CHN);
  for (auto& text : mc.digital) dig.Text(text);
  FieldScan scal = Entry(f, MC_CHN);
  for (int k = 0; k < MC_CHN; k++) scal.Real(&Dsp.Chn_Scalar[k]);
  FieldScan ofs = Entry(f, MC_CHN);
  for (int k = 0; k < MC_CHN; k++) ofs.Real(&Dsp.Chn_Offset[k]);
  if (names.Count() != MC_CHN || raw.Count() != MC_CHN || qvi.Count() != MC_CHN + 1 || qviSize.Count() != MC_CHN ||
      qvo.Count() != MC_CHN + 1 || qvoSize.Count() != MC_CHN || dig.Count() != MC_CHN || scal.Count() != MC_CHN ||
      ofs.Count() != MC_CHN)
    return false;
  for (int k = 0; k < MC_CHN; k++) {
    Dsp.Chn_Scalar[k + 4] = Dsp.Chn_Scalar[k];
    Dsp.Chn_Offset[k] = Dsp.Chn_Offset[k + 4] = 0.0;
  }
  FieldScan one1 = Entry(f, 1), one2 = Entry(f, 1);
  FieldScan init = Entry(f, 1);
  init.Real(&Dsp.Init_Frq);
  FieldScan pass1 = Entry(f, 2), pass2 = Entry(f, 2);
  pass1.SkipReal();
  pass1.SkipInt();
  pass2.SkipReal();
  pass2.SkipInt();
  FieldScan one3 = Entry(f, 1);
  char scheme[25] = "";
  FieldScan colour = Entry(f, 1);
  colour.Text(scheme);
  FieldScan one4 = Entry(f, 1);
  FieldScan fsr = Entry(f, 1);
  fsr.Real(&Dsp.FSR);
  FieldScan count = Entry(f, 1);
  count.Int(&mc.markerCount);
  int64_t low = 0, upper = 0;
  FieldScan limits = Entry(f, 3);
  limits.Int(&low);
  limits.Skip();
  limits.Int(&upper);
  FieldScan one5 = Entry(f, 1);
  if (!one1.Skip() || !one2.Skip() || init.Count() != 1 || pass1.Failed() || pass2.Failed() || !one3.Skip() ||
      colour.Count() != 1 || !one4.Skip() || fsr.Count() != 1 || count.Count() != 1 || limits.Count() != 2 ||
      !one5.Skip())
    return false;
  // A red scheme runs the frequency down; any other scheme than "BLUE" or "RED" keeps
  // the FSR as it stands.
  if (Equal(scheme, "RED")) Dsp.FSR = -Dsp.FSR;

  std::string token;
  do {
    if (!ReadToken(f, &token)) return false;
  } while (token != "POSITIONS");
  std::string rest;
  ReadLinePiece(f, &rest);
  for (int64_t i = 0; i <= mc.markerCount && ReadToken(f, &token); i++) {
    int64_t position = 0;
    if (!platform::ParseInt64(token, &position)) break;
    if (!WriteMarker(mc, position)) return false;
    if (position == upper) Cnl.Mks_End = static_cast<int32_t>(i + 1);
  }
  return true;
}

void ClearChannel(int c) {
  StrCopy(Dsp.Chn_Flnm[c], "Nothing");
  Dsp.Chn_Scalar[c] = 1.0;
  Dsp.Chn_Offset[c] = 0.0;
  for (auto& level : Dsp.FL_SZ) level[c] = 0;
  Dsp.Chn_DspStat[c] = 0;
}

bool AskContinue(const std::string& text) { return Ask(text.c_str()) == IDYES; }

// The float ("F") and linearised ("FL") names of every channel that has its file, and
// the names they are written under until the conversion succeeds, must fit before
// any file is converted.
bool MassCompNamesFit() {
  for (int k = 0; k < MC_CHN; k++) {
    int64_t bytes = 0;
    if (!FileSize(DataPath(Dsp.Chn_Flnm[k]), &bytes)) continue;
    for (const char* tail : {"F", "FL"}) {
      const std::string name = std::string(Dsp.Chn_Flnm[k]) + tail;
      const size_t staging = MassComp::BesideName(name).size() - name.size();
      if (!core_io::NameFits(name, OSI_NAME_SIZE - staging)) return false;
    }
  }
  return true;
}

// Steps after the file is read: markers, float and linearised files, view sizes.
bool MassCompChannels(MassComp& mc, const std::string& mksBeside) {
  StrCopy(Cnl.Mks_Flnm, mksBeside.c_str());
  CsMkOpenRead(0);
  StrCopy(Cnl.Mks_Flnm, "Mks");
  for (double& pages : Win.X_PAGES) pages = 1.0;
  Win.Active_Chn = 9;
  for (int k = 0; k < MC_CHN; k++) {
    std::string raw = DataPath(Dsp.Chn_Flnm[k]);
    int64_t bytes = 0;
    if (!FileSize(raw, &bytes)) {
      ClearChannel(k);
      ClearChannel(k + 4);
      continue;
    }
    int64_t actual = bytes / 2;
    if (actual != Dsp.FL_SZ[WIN_RAW][k] &&
        !AskContinue(StrPrintf(
            "[%ld] FILE [%s] SIZE & ACTUAL SIZE ARE DIFFERENT\n\nWF=[%ld] != ACTUAL=[%ld]\n\nCONTINUE [YES] | ABORT [NO]?",
            static_cast<long>(k), Dsp.Chn_Flnm[k], static_cast<long>(Dsp.FL_SZ[WIN_RAW][k]), static_cast<long>(actual))))
      return false;
    if (Equal(mc.digital[k], "YES")) {
      Dsp.Chn_Dig[k] = 1;
      Win.Active_Chn = static_cast<int16_t>(k + 4);
    } else {
      Dsp.Chn_Dig[k] = 0;
    }
    std::string floatName = std::string(Dsp.Chn_Flnm[k]) + "F";
    char inName[OSI_NAME_SIZE] = "";
    char outName[OSI_NAME_SIZE] = "";
    StrCopy(inName, Dsp.Chn_Flnm[k]);
    const std::string floatBeside = mc.Beside(floatName);
    StrCopy(outName, floatBeside.c_str());
    OSIFile(0, k, 2008, inName, outName, 2, 1, 0);
    if (!platform::FileExists(DataPath(floatBeside.c_str()).c_str())) {
      Warn(StrPrintf("WorkFileReadMassComp()\n\nFILE [%s] WAS NOT CONVERTED TO FLOATS [%s]\n\nABORTING",
                     Dsp.Chn_Flnm[k], floatName.c_str())
               .c_str());
      return false;
    }
    if (!StrCopy(Dsp.Chn_Flnm[k], floatName.c_str())) return false;
    if (Cnl.Mks_AveDif > 0) Dsp.Pts_FSR = Cnl.Mks_AveDif;
    if (Dsp.Pts_FSR != 0) DspFrqStpSet(Dsp.FSR / Dsp.Pts_FSR);

    std::string linName = floatName + "L";
    const std::string linBeside = mc.Beside(linName);
    StrCopy(Cnl.Lin_InFlnm, floatBeside.c_str());
    StrCopy(Cnl.Lin_OutFlnm, linBeside.c_str());
    CsF2ISetup();
    StrCopy(Cnl.Lin_InFlnm, floatName.c_str());
    StrCopy(Cnl.Lin_OutFlnm, linName.c_str());
    int64_t linBytes = 0;
    if (!FileSize(DataPath(linBeside.c_str()), &linBytes)) {
      Warn(StrPrintf("LINEARIZED FILE [%s] DOES NOT EXIST\n\nABORTING", linName.c_str()).c_str());
      return false;
    }
    StrCopy(Dsp.Chn_Flnm[k + 4], linName.c_str());
    Dsp.FL_SZ[WIN_RAW][k + 4] = static_cast<uint32_t>(linBytes / 4);
    if (Win.Page_Pixels > 0) Win.X_PAGES[WIN_RAW] = static_cast<double>(Dsp.FL_SZ[WIN_RAW][k + 4]) / Win.Page_Pixels;

    struct Level {
      int index;
      const char* name;
      const char* text;
    };
    const Level levels[2] = {{1, mc.qviName[k], "INTM FILE SIZE IN WK FILE & ACTUAL SIZE ARE DIFFERENT\n\nCONTINUE [YES] | ABORT [NO]?"},
                             {0, mc.qvoName[k], "OMNI FILE SIZE IN WK FILE & ACTUAL SIZE ARE DIFFERENT\n\nCONTINUE [YES] | ABORT [NO]?"}};
    for (const Level& level : levels) {
      int64_t viewBytes = 0;
      if (!level.name[0] || !FileSize(DataPath(level.name), &viewBytes)) continue;
      if (viewBytes / 2 != Dsp.FL_SZ[level.index][k] && !AskContinue(level.text)) return false;
      uint32_t size = Dsp.FL_SZ[level.index][k];
      if (size == 0) continue;
      Dsp.Pts2Pxl[level.index] = static_cast<double>(Dsp.FL_SZ[WIN_RAW][k]) / size;
      Dsp.FrqStpView[level.index] = Dsp.Pts2Pxl[level.index] * Dsp.Frq_Stp;
      if (Win.Page_Pixels > 0) Win.X_PAGES[level.index] = static_cast<double>(size) / Win.Page_Pixels;
    }
  }
  for (int c = 4; c < 8; c++) {
    if (Dsp.FL_SZ[WIN_RAW][c] == 0) {
      Dsp.Chn_DspStat[c] = 0;
    } else if (c == Win.Active_Chn) {
      StrCopy(Dsp.Chn_Flnm[8], Dsp.Chn_Flnm[c]);
      Dsp.Chn_Scalar[8] = Dsp.Chn_Scalar[c] * 0.001;
      Dsp.Chn_Offset[8] = Dsp.Chn_Offset[c];
      for (auto& level : Dsp.FL_SZ) level[8] = level[c];
      Dsp.Chn_DspStat[8] = 1;
      Win.Active_Chn = 8;
      ClearChannel(c);
    } else {
      Dsp.Chn_DspStat[c] = 1;
      if (Win.Active_Chn == 9) {
        Win.Active_Chn = static_cast<int16_t>(c);
        ClearChannel(8);
      }
    }
  }
  return true;
}

}  // namespace

bool WorkFileSkipToEquals(FILE* f) {
  int c;
  while ((c = std::fgetc(f)) != EOF)
    if (c == '=') return true;
  return false;
}

int32_t WorkFileReadPelkOld() { return workfile::ConvertPelkOld(nullptr); }

int32_t workfile::ConvertPelkOld(bool* declined) {
  FilePtr f(OpenRead(Dsp.Work_Flnm));
  if (!f) {
    Warn(StrPrintf("WorkFileReadPelkOld()\nFAILED TO OPEN WORKING FILE [%s] FOR READING\n\nABORTING",
                             Dsp.Work_Flnm)
             .c_str());
    return 0;
  }
  StatePtr before(StateGather());
  std::string oldName = Dsp.Work_Flnm;
  bool ok = ReadPelkOld(f.get());
  f.reset();
  std::string newName = QvwNameOf(oldName.c_str());
  if (!ok || !MayReplace(newName, oldName, declined) || !WriteConverted(newName)) {
    StateApply(*before);
    return 0;
  }
  DeleteFile(oldName.c_str());
  WorkFileReadFinish();
  Status(3, "CONVERTED FROM PELK WORK FILE < v4.0");
  return 1;
}

namespace {

// The one-line reader; values the line does not hold keep the defaults.
int32_t ReadMuro(bool* declined) {
  FilePtr f(OpenRead(Dsp.Work_Flnm));
  if (!f) return 0;
  FieldScan r = Tokens(f.get(), 3);
  r.IntTo(&Dsp.Pts_FSR);
  r.Real(&Dsp.FSR);
  r.Real(&Dsp.Init_Frq);
  f.reset();
  std::string oldName = Dsp.Work_Flnm;
  std::string newName = QvwNameOf(oldName.c_str());
  if (r.Bad() || !MayReplace(newName, oldName, declined) || !WriteConverted(newName)) return 0;
  DeleteFile(oldName.c_str());
  return 1;
}

}  // namespace

int32_t WorkFileReadMuro() { return ReadMuro(nullptr); }

int32_t WorkFileReadDefaul() { return workfile::ConvertDefaul(nullptr); }

int32_t workfile::ConvertDefaul(bool* declined) {
  StatePtr before(StateGather());
  MuroDefaults();
  if (!ReadMuro(declined)) {
    StateApply(*before);
    return 0;
  }
  WorkFileReadFinish();
  Status(3, "CONVERTED FROM MURO WORK FILE");
  return 1;
}

int32_t WorkFileReadMassComp() { return workfile::ConvertMassComp(nullptr); }

int32_t workfile::ConvertMassComp(bool* declined) {
  std::string oldName = Dsp.Work_Flnm;
  FilePtr f(OpenRead(oldName.c_str()));
  if (!f) {
    Warn(StrPrintf("WorkFileReadMassComp()\n\nFAILED TO OPEN WORKING FILE [%s] FOR READING\n\nABORTING",
                             oldName.c_str())
             .c_str());
    return 0;
  }
  auto mc = std::make_unique<MassComp>();
  const std::string mksBeside = mc->Beside("Mks");
  if (!mc->mks.Open(mksBeside.c_str())) {
    Warn("WorkFileReadMassComp()\nFAILED TO CREATE [mks] FILE FOR WRITING\n\nABORTING");
    return 0;
  }
  bool oldForm = oldName.compare(0, 3, "wk-") == 0 || oldName.compare(0, 3, "WK-") == 0;
  if (Ask(oldForm ? "CONVERT FROM (OLD) MASSCOMP WORKING FILE (KAVO ONLY)?"
                  : "CONVERT FROM (NEW) MASSCOMP WORKING FILE (KAVO ONLY)?") != IDYES)
    return 0;

  StatePtr before(StateGather());
  auto giveUp = [&]() {
    mc->mks.Abort();
    mc->Discard();
    StateApply(*before);
    return 0;
  };
  bool ok = oldForm ? ReadMassCompOld(f.get(), *mc) : ReadMassCompNew(f.get(), *mc);
  f.reset();
  if (!ok) return giveUp();
  if (mc->written == 0 || mc->written != mc->markerCount) {
    std::string text = StrPrintf(
        "INCORRECT MARKER COUNT IN WK FILE\n\nWF=[%ld] != ACTUAL=[%ld]\n\nCONTINUE [YES] | ABORT [NO]?",
        static_cast<long>(mc->markerCount), static_cast<long>(mc->written));
    if (Ask(text.c_str()) != IDYES) return giveUp();
  }
  if (!mc->mks.Commit()) {
    Warn("WorkFileReadMassComp()\nFAILED TO CREATE [mks] FILE FOR WRITING\n\nABORTING");
    return giveUp();
  }
  if (!MassCompNamesFit() || !MassCompChannels(*mc, mksBeside)) return giveUp();

  size_t cut = oldForm ? oldName.rfind('-') : oldName.rfind('.');
  std::string newName = oldName.substr(cut + 1) + ".QVW";
  auto renameFailed = [&]() {
    Warn(StrPrintf("WorkFileReadMassComp()\n\nFAILED TO RENAME THE CONVERTED FILES\n\n%s\n\nABORTING",
                   platform::LastErrorText().c_str())
             .c_str());
    return giveUp();
  };
  if (!MayReplace(newName, oldName, declined)) return giveUp();
  if (!mc->Replaceable()) return renameFailed();
  if (!WriteConverted(newName)) return giveUp();
  if (!mc->RenameIn()) return renameFailed();
  if (!ThreadCtl.View_Started) {
    Win.View_Level = WIN_RAW;
    ThreadCtl.View_Started = 1;
    Win.ViewPageType = 0;
    Win.ViewPrep = 1;
    FunctionThreadCreate(DisplayQviQvoSetup);
  }
  WorkFileReadFinish();
  Status(3, "KAVO WORKING FILE CONVERTED");
  return 1;
}
