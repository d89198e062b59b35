// The working file: writer, current-format reader, dispatch by name and the finish
// that every read ends in.
#include "app/WorkFile.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "core/Threads.h"
#include "display/DisplayDialogs.h"
#include "display/Paint.h"
#include "display/PenBrush.h"
#include "display/ViewFiles.h"
#include "sim/SimDialogs.h"
#include "sim/SimFile.h"
#include "sim/SimRotor.h"
#include "sim/SimSets.h"
#include "app/WorkFileInternal.h"
#include "core/AsciiRead.h"
#include "core/FrqAxis.h"
#include "core/WorkText.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Dsp.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/ThreadCtl.h"
#include "records/Win.h"

using namespace workfile;

namespace {

constexpr int CHANNELS = 9;

struct StateDeleter {
  void operator()(WorkFileState* s) const { StateFree(s); }
};
using StatePtr = std::unique_ptr<WorkFileState, StateDeleter>;

int16_t Clamp16(int value, int lo, int hi) { return static_cast<int16_t>(value < lo ? lo : value > hi ? hi : value); }

// The kind text written for a level (0 QVO, 1 QVI, 2 QVM) of a channel: the text held,
// or the table text of the channel's kind when no text was ever set (an empty text
// would shift every later field of the file).
const char* KindText(int level, int chn) {
  const char* held = Win.ViewKind_Txt[level][chn];
  if (held[0] && !std::strpbrk(held, " \t")) return held;
  return Win.ViewKind_Tbl[Clamp16(Win.ViewKind[level][chn], 0, 2)];
}

// The date and time are read back as one token each: blanks typed into them are
// written as "_", so that they cannot shift every later field of the file.
std::string OneToken(const char* text) {
  std::string token = text;
  for (char& c : token)
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') c = '_';
  return token;
}

bool Blank(const char* text) { return text[std::strspn(text, " \t\r\n\v\f")] == '\0'; }

bool ValidChannel(int16_t c) { return c >= 0 && c <= 9; }

bool AnySine() {
  for (int s = 0; s < SIM_SETS; s++)
    if (Sim.Sine_Stat[s] == 1 && Sim.Sine_Amp[s][0] != 0.0 && Sim.Sine_Period[s][0] != 0.0) return true;
  return false;
}

bool AnyHitran() {
  for (int s = 0; s < SIM_SETS; s++)
    if (Sim.HT_Global_Stat[s] == 1) return true;
  return false;
}

void WriteBody(platform::TextFileWriter& w) {
  const std::string hash(80, '#');
  const char* version = Win.Version[Clamp16(Win.Version_Idx, 0, 2)];
  w.Printf("%s\n", hash.c_str());
  w.Printf("#                    QV95 WORKING FILE : VERSION %s                      #\n", version);
  w.Printf("%s\n\n", hash.c_str());
  w.Printf("# COMMENT LINE (< 500 CHARACTERS WITH NEW LINE END):\n");
  w.Printf("  %s\n", Dsp.Work_Comment);
  w.Printf("# DATE                 TIME\n");
  w.Printf("  %-20s %-20s\n\n", OneToken(Dsp.Work_Date).c_str(), OneToken(Dsp.Work_Time).c_str());
  w.Printf("############################# EXPT DATA CHANNELS ###############################\n");
  w.Printf("# CHN DIG DSP FILENAME             SCALAR               OFFSET\n");
  for (int i = 0; i < CHANNELS; i++)
    w.Printf("  %-3hd %-3hd %-3hd %-20s %-20.8e %-20.8e\n", static_cast<short>(i), static_cast<short>(Dsp.Chn_Dig[i]),
             static_cast<short>(Dsp.Chn_DspStat[i]), Dsp.Chn_Flnm[i], Dsp.Chn_Scalar[i], Dsp.Chn_Offset[i]);
  w.Printf("\n# CHN RAW SIZE   QVM SIZE   AVG  QVI SIZE   AVG  QVO SIZE   AVE  PEN COLOR:RGB\n");
  for (int i = 0; i < CHANNELS; i++)
    w.Printf("  %-3hd %-10d %-10d %-4s %-10d %-4s %-10d %-4s %-3hd %-2hX %-2hX %-2hX\n", static_cast<short>(i),
             static_cast<int32_t>(Dsp.FL_SZ[WIN_RAW][i]), static_cast<int32_t>(Dsp.FL_SZ[2][i]), KindText(2, i),
             static_cast<int32_t>(Dsp.FL_SZ[1][i]), KindText(1, i), static_cast<int32_t>(Dsp.FL_SZ[0][i]),
             KindText(0, i), Dsp.Chn_ColorNo[i], static_cast<unsigned short>(Dsp.RGB[i][0]),
             static_cast<unsigned short>(Dsp.RGB[i][1]), static_cast<unsigned short>(Dsp.RGB[i][2]));
  w.Printf("\n# CHN INIT FREQ                FSR                      PTS/FSR  UNITS HARM\n");
  for (int i = 0; i < CHANNELS; i++)
    w.Printf("  %-3hd %-24.16e %-24.16e %-8d %-5s %-5s\n", static_cast<short>(i), Dsp.Init_Frq, Dsp.FSR, Dsp.Pts_FSR,
             Dsp.Units_Tbl[Clamp16(Dsp.Units_Idx, 0, 2)], Dsp.Harm_Tbl[Clamp16(Dsp.Harm_Idx, 0, 3)]);
  w.Printf("\n############################ SIMULATION CHANNELS ###############################\n");
  w.Printf("# CHN DSP FILENAME        SCALAR          OFFSET          SLOPE           INTERCEPT\n");
  for (int s = 0; s < SIM_SETS; s++)
    w.Printf("  %-3hd %-3hd %-15s %-15.8e %-15.8e %-15.8e %-15.9e\n", static_cast<short>(s),
             static_cast<short>(Sim.Dsp_Stat[s]), Sim.Sim_Flnm[s], Sim.Dsp_Scalar[s], Sim.Dsp_Offset[s],
             Sim.Dsp_Slope[s], Sim.Dsp_Intercept[s]);
  w.Printf("\n# CHN GAU WIDTH          LOR WIDTH       FUNC NUM STAT WIDTH        NUM      ASSOC PEN COLOR:RGB\n");
  for (int s = 0; s < SIM_SETS; s++)
    w.Printf("  %-3d %-18.8e %-15.8e %-4d %-8d %-12.6e %-8d %-5d %-3d %-2hX %-2hX %-2hX\n", s, Sim.LS_GAU[s],
             Sim.LS_LOR[s], Sim.LS_Func[s], static_cast<int32_t>(Sim.LS_WidthMode[s]),
             static_cast<double>(Sim.LS_Span[s]), Sim.LS_NOLWS[s], Sim.Dsp_Cnl[s], Sim.COLOR_NO[s],
             static_cast<unsigned short>(Sim.RGB[s][0]), static_cast<unsigned short>(Sim.RGB[s][1]),
             static_cast<unsigned short>(Sim.RGB[s][2]));
  w.Printf("\n############################# DIALOGS PARAMETERS ###############################\n");
  w.Printf("# ORV INPUT FILENAME\n  %-20s\n\n", OrvPrm.In_Flnm);
  w.Printf("# QUAD INPUT FILENAME\n  %-20s\n\n", Quad.In_Flnm);
  w.Printf("# GENETIC ALGORITHMS INPUT FILENAME\n  %-20s\n\n", Ga.In_Flnm[0]);
  w.Printf("%s\n", hash.c_str());

  if (AnySine()) {
    w.Printf("SINWAVE SIMULATION INFO\n");
    w.Printf("# CHN DSP AMP             PERIOD          PHASE           DAMPING\n");
    for (int s = 0; s < SIM_SETS; s++)
      w.Printf("  %-3d %-3d %-15.8f %-15.8e %-15.8e %-15.8e\n", s, static_cast<int32_t>(Sim.Sine_Stat[s]),
               Sim.Sine_Amp[s][0], Sim.Sine_Period[s][0], Sim.Sine_Phase[s][0], Sim.Sine_Damping[s]);
    w.Printf("\n%s\n", hash.c_str());
  }
  if (AnyHitran()) {
    bool mhz = std::strcmp(Dsp.Units_Txt, "MHz") == 0;
    w.Printf("HITRAN SIMULATION INFO\n");
    w.Printf("# CHN MASS(AMU) SELF(ATM)    AIR(ATM)     TEMP(K) PATH(M)    SS   CUT(CM-1) LS TRS TORR\n");
    for (int s = 0; s < SIM_SETS; s++) {
      double cut = mhz ? Sim.HT_FrqLim[s] * WORKFILE_MHZ_TO_CM1 : Sim.HT_FrqLim[s];
      w.Printf("  %-3d %-9.6f %-10.6e %-10.6e %-7.2f %-10.4e %-4.1f %-9.2e %-2hd %-3d %d\n", s, Sim.HT_Mass[s],
               Sim.HT_PPress[s], Sim.HT_Press[s], Sim.HT_Temp[s], Sim.HT_Path[s], Sim.HT_SelfFactor[s], cut,
               Sim.LS_Func[s], static_cast<int32_t>(Sim.HT_Trans_Stat[s]), static_cast<int32_t>(Sim.HT_Torr_Stat[s]));
    }
    w.Printf("\n%s\n", hash.c_str());
  }
}

// The first value the file would hold but could not give back as it is (a name with
// a blank, a comment beginning with "#", a colour or channel its reader refuses...),
// as its refusal text; empty when every value can be stored.
std::string Unstorable() {
  auto text = [](const std::string& what, const char* value, WorkField field) {
    const char* fault = WorkTextFault(value, field);
    return fault ? WorkTextRefusal(what, value, fault) : std::string();
  };
  auto number = [](const std::string& what, int value, const char* fault) {
    return WorkTextRefusal(what, std::to_string(value), fault);
  };
  // A scale, offset, axis or width that is no number would come back as one that
  // draws nothing or divides by it.
  auto real = [](const std::string& what, double value) {
    return std::isfinite(value) ? std::string() : WorkTextRefusal(what, platform::FormatDouble(value), "IS NOT A NUMBER");
  };
  std::string refusal = text("COMMENT", Dsp.Work_Comment, WorkField::Comment);
  if (refusal.empty()) refusal = real("INIT FREQ", Dsp.Init_Frq);
  if (refusal.empty()) refusal = real("FSR", Dsp.FSR);
  if (refusal.empty()) refusal = text("DATE", Dsp.Work_Date, WorkField::DateTime);
  if (refusal.empty()) refusal = text("TIME", Dsp.Work_Time, WorkField::DateTime);
  for (int i = 0; i < CHANNELS && refusal.empty(); i++) {
    refusal = text(StrPrintf("CHN [%d] FILENAME", i), Dsp.Chn_Flnm[i], WorkField::Name);
    if (refusal.empty()) refusal = real(StrPrintf("CHN [%d] SCALAR", i), Dsp.Chn_Scalar[i]);
    if (refusal.empty()) refusal = real(StrPrintf("CHN [%d] OFFSET", i), Dsp.Chn_Offset[i]);
    if (refusal.empty() && !WorkColourValid(Dsp.Chn_ColorNo[i]))
      refusal = number(StrPrintf("CHN [%d] COLOR", i), Dsp.Chn_ColorNo[i], "NOT IN [0-10]");
  }
  for (int s = 0; s < SIM_SETS && refusal.empty(); s++) {
    refusal = text(StrPrintf("[%s] SIM FILENAME", Sim.Set_Lbl[s]), Sim.Sim_Flnm[s], WorkField::RowName);
    const double reals[] = {Sim.Dsp_Scalar[s], Sim.Dsp_Offset[s], Sim.Dsp_Slope[s], Sim.Dsp_Intercept[s],
                            Sim.LS_GAU[s], Sim.LS_LOR[s]};
    const char* names[] = {"SCALAR", "OFFSET", "SLOPE", "INTERCEPT", "GAU WIDTH", "LOR WIDTH"};
    for (size_t k = 0; k < std::size(reals) && refusal.empty(); k++)
      refusal = real(StrPrintf("[%s] SIM %s", Sim.Set_Lbl[s], names[k]), reals[k]);
    if (refusal.empty() && !WorkColourValid(Sim.COLOR_NO[s]))
      refusal = number(StrPrintf("[%s] SIM COLOR", Sim.Set_Lbl[s]), Sim.COLOR_NO[s], "NOT IN [0-10]");
    if (refusal.empty() && !ValidChannel(Sim.Dsp_Cnl[s]))
      refusal = number(StrPrintf("[%s] SIM ASSOC CHN", Sim.Set_Lbl[s]), Sim.Dsp_Cnl[s], "NOT IN [0-9]");
  }
  if (refusal.empty()) refusal = text("ORV INPUT FILENAME", OrvPrm.In_Flnm, WorkField::Name);
  if (refusal.empty()) refusal = text("QUAD INPUT FILENAME", Quad.In_Flnm, WorkField::Name);
  if (refusal.empty()) refusal = text("GENETIC ALGORITHMS INPUT FILENAME", Ga.In_Flnm[0], WorkField::Name);
  return refusal;
}

void WriteFailed() {
  std::string text =
      StrPrintf("FAILED TO CREATE ASCII FILE [%s] FOR WRITING\n\nRETURNING TO PROGRAM", Dsp.Work_Flnm);
  Warn(text.c_str());
}

bool EndsWith(const char* name, const char* end) {
  size_t n = std::strlen(name), e = std::strlen(end);
  return n >= e && std::memcmp(name + n - e, end, e) == 0;
}

bool BeginsWith(const char* name, const char* begin) { return std::strncmp(name, begin, std::strlen(begin)) == 0; }

// The number that "%hd" reads from text: optional blanks and sign, at least one digit.
bool LeadingNumber(const char* text, int* value) {
  while (*text == ' ' || *text == '\t') text++;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') text++;
  if (*text < '0' || *text > '9') return false;
  int v = 0;
  while (*text >= '0' && *text <= '9' && v < 100000) v = v * 10 + (*text++ - '0');
  *value = static_cast<int16_t>(negative ? -v : v);
  return true;
}

// Reads the body of a current-format file into the records (through a scratch copy
// that is applied only when every required count was right). Returns the version
// text read from the banner, or false.
bool ReadBody(FILE* f, std::string* versionOut) {
  // The fields as they were before the read: put back when a count is wrong, so that a
  // refused file leaves no half-updated fields behind.
  StatePtr before(StateGather());

  std::string line1, line2;
  ReadLinePiece(f, &line1);
  ReadLinePiece(f, &line2);
  std::string version;
  {
    FieldScan banner(line2);
    for (int i = 0; i < 6; i++) banner.Skip();
    char text[500] = "";
    if (banner.Text(text)) version = text;
  }
  *versionOut = version;

  bool ok = false;
  char buf[ASCII_LINE_MAX];
  do {
    AsciiReadFields(f, buf, 0);
    StrCopy(Dsp.Work_Comment, buf);

    FieldScan dt(AsciiReadFields(f, buf, 2));
    dt.Text(Dsp.Work_Date);
    dt.Text(Dsp.Work_Time);
    if (dt.Count() != 2) break;

    bool rows = true;
    for (int i = 0; i < CHANNELS && rows; i++) {
      FieldScan r(AsciiReadFields(f, buf, 6));
      r.SkipInt();
      r.IntTo(&Dsp.Chn_Dig[i]);
      r.IntTo(&Dsp.Chn_DspStat[i]);
      r.Text(Dsp.Chn_Flnm[i]);
      r.Real(&Dsp.Chn_Scalar[i]);
      r.Real(&Dsp.Chn_Offset[i]);
      rows = r.Count() == 5;
    }
    for (int i = 0; i < CHANNELS && rows; i++) {
      FieldScan r(AsciiReadFields(f, buf, 12));
      r.SkipInt();
      r.IntTo(&Dsp.FL_SZ[WIN_RAW][i]);
      r.IntTo(&Dsp.FL_SZ[2][i]);
      r.Text(Win.ViewKind_Txt[2][9]);
      r.IntTo(&Dsp.FL_SZ[1][i]);
      r.Text(Win.ViewKind_Txt[1][9]);
      r.IntTo(&Dsp.FL_SZ[0][i]);
      r.Text(Win.ViewKind_Txt[0][9]);
      r.IntTo(&Dsp.Chn_ColorNo[i]);
      r.HexTo(&Dsp.RGB[i][0]);
      r.HexTo(&Dsp.RGB[i][1]);
      r.HexTo(&Dsp.RGB[i][2]);
      rows = r.Count() == 11 && WorkColourValid(Dsp.Chn_ColorNo[i]);
      for (int level = 0; level < 3 && rows; level++)
        for (int k = 0; k < 3; k++)
          if (std::strcmp(Win.ViewKind_Txt[level][9], Win.ViewKind_Tbl[k]) == 0) Win.ViewKind[level][9] = static_cast<int16_t>(k);
    }
    for (int i = 0; i < CHANNELS && rows; i++) {
      FieldScan r(AsciiReadFields(f, buf, 6));
      r.SkipInt();
      r.Real(&Dsp.Init_Frq);
      r.Real(&Dsp.FSR);
      r.IntTo(&Dsp.Pts_FSR);
      r.Text(Dsp.Units_Txt);
      r.Text(Dsp.Harm_Txt);
      rows = r.Count() == 5;
    }
    if (!rows) break;
    for (int k = 0; k < 3; k++)
      if (std::strcmp(Dsp.Units_Txt, Dsp.Units_Tbl[k]) == 0) Dsp.Units_Idx = Dsp.Units_IdxData = static_cast<int16_t>(k);

    for (int i = 0; i < SIM_SETS && rows; i++) {
      FieldScan r(AsciiReadFields(f, buf, 0));
      r.SkipInt();
      r.IntTo(&Sim.Dsp_Stat[i]);
      r.Text(Sim.Sim_Flnm[i]);
      r.Real(&Sim.Dsp_Scalar[i]);
      r.Real(&Sim.Dsp_Offset[i]);
      r.Real(&Sim.Dsp_Slope[i]);
      r.Real(&Sim.Dsp_Intercept[i]);
      rows = r.Count() >= 4;
    }
    if (!rows) break;

    int number = -1;
    if (!LeadingNumber(version.size() > 1 ? version.c_str() + 1 : "", &number)) {
      std::string text = StrPrintf("QV95 WORKING FILE\n\nWORKING FILE [%s] CORRUPTED\n\nVERSION=[%s] NUM=[%d]",
                                             Dsp.Work_Flnm, version.c_str(), number);
      Warn(text.c_str());
    } else if (number < 4) {
      for (int i = 0; i < SIM_SETS && rows; i++) {
        FieldScan r(AsciiReadFields(f, buf, 9));
        r.SkipInt();
        r.Real(&Sim.LS_GAU[i]);
        r.Real(&Sim.LS_LOR[i]);
        r.IntTo(&Sim.LS_NOLWS[i]);
        r.IntTo(&Sim.Dsp_Cnl[i]);
        r.IntTo(&Sim.COLOR_NO[i]);
        r.HexTo(&Sim.RGB[i][0]);
        r.HexTo(&Sim.RGB[i][1]);
        r.HexTo(&Sim.RGB[i][2]);
        rows = r.Count() == 8 && ValidChannel(Sim.Dsp_Cnl[i]) && WorkColourValid(Sim.COLOR_NO[i]);
        Sim.LS_WidthMode[i] = 1;
        Sim.LS_Func[i] = 0;
      }
    } else {
      for (int i = 0; i < SIM_SETS && rows; i++) {
        FieldScan r(AsciiReadFields(f, buf, 12));
        r.SkipInt();
        r.Real(&Sim.LS_GAU[i]);
        r.Real(&Sim.LS_LOR[i]);
        r.IntTo(&Sim.LS_Func[i]);
        r.IntTo(&Sim.LS_WidthMode[i]);
        r.RealTo(&Sim.LS_Span[i]);
        r.IntTo(&Sim.LS_NOLWS[i]);
        r.IntTo(&Sim.Dsp_Cnl[i]);
        r.IntTo(&Sim.COLOR_NO[i]);
        r.HexTo(&Sim.RGB[i][0]);
        r.HexTo(&Sim.RGB[i][1]);
        r.HexTo(&Sim.RGB[i][2]);
        rows = r.Count() == 11 && ValidChannel(Sim.Dsp_Cnl[i]) && WorkColourValid(Sim.COLOR_NO[i]);
      }
    }
    if (!rows) break;

    char* names[3] = {OrvPrm.In_Flnm, Quad.In_Flnm, Ga.In_Flnm[0]};
    for (char* name : names) {
      FieldScan r(AsciiReadFields(f, buf, 1));
      r.Text(name, sizeof OrvPrm.In_Flnm);
      rows = rows && r.Count() == 1;
    }
    if (!rows) break;

    bool mhz = std::strcmp(Dsp.Units_Txt, "MHz") == 0;
    for (;;) {
      AsciiReadFields(f, buf, 1);
      if (!buf[0]) break;
      if (std::strcmp(buf, "SINWAVE") == 0) {
        AsciiReadFields(f, buf, 0);
        for (int i = 0; i < SIM_SETS; i++) {
          FieldScan r(AsciiReadFields(f, buf, 6));
          int16_t number16 = 0, stat = 0;
          double amp = 0, period = 0, phase = 0, damping = 0;
          r.IntTo(&number16);
          r.IntTo(&stat);
          r.Real(&amp);
          r.Real(&period);
          r.Real(&phase);
          r.Real(&damping);
          if (r.Count() != 6) break;
          Sim.Sine_Stat[i] = static_cast<uint32_t>(stat);
          Sim.Sine_Amp[i][0] = amp;
          Sim.Sine_Period[i][0] = period;
          Sim.Sine_Phase[i][0] = phase;
          Sim.Sine_Damping[i] = damping;
        }
      } else if (std::strcmp(buf, "HITRAN") == 0) {
        AsciiReadFields(f, buf, 0);
        for (int i = 0; i < SIM_SETS; i++) {
          FieldScan r(AsciiReadFields(f, buf, 11));
          int16_t number16 = 0, func = 0;
          double v[7] = {};
          int64_t trans = 0, torr = 0;
          r.IntTo(&number16);
          for (double& x : v) r.Real(&x);
          r.IntTo(&func);
          r.Int(&trans);
          r.Int(&torr);
          if (r.Count() != 11) break;
          Sim.HT_Mass[i] = v[0];
          Sim.HT_PPress[i] = v[1];
          Sim.HT_Press[i] = v[2];
          Sim.HT_Temp[i] = v[3];
          Sim.HT_Path[i] = v[4];
          Sim.HT_SelfFactor[i] = v[5];
          Sim.HT_FrqLim[i] = mhz ? v[6] / WORKFILE_MHZ_TO_CM1 : v[6];
          Sim.LS_Func[i] = func;
          Sim.HT_Trans_Stat[i] = static_cast<uint32_t>(trans);
          Sim.HT_Torr_Stat[i] = static_cast<uint32_t>(torr);
        }
      }
    }
    ok = true;
  } while (false);

  if (!ok) StateApply(*before);
  return ok;
}

}  // namespace

int32_t WorkFileWrite() {
  // A blank comment, date or time would leave nothing to read back and shift every
  // later field: they get their defaults like the empty names.
  if (Blank(Dsp.Work_Comment)) StrCopy(Dsp.Work_Comment, "NO COMMENT");
  if (Blank(Dsp.Work_Date)) StrCopy(Dsp.Work_Date, "00-00-0000");
  if (Blank(Dsp.Work_Time)) StrCopy(Dsp.Work_Time, "00:00");
  for (int i = 0; i < CHANNELS; i++)
    if (!Dsp.Chn_Flnm[i][0]) StrCopy(Dsp.Chn_Flnm[i], "Nothing");
  for (int s = 0; s < SIM_SETS; s++)
    if (!Sim.Sim_Flnm[s][0]) StrCopy(Sim.Sim_Flnm[s], "NoName");
  if (!OrvPrm.In_Flnm[0]) StrCopy(OrvPrm.In_Flnm, "Orv.in");
  if (!Quad.In_Flnm[0]) StrCopy(Quad.In_Flnm, "Quad.in");
  if (!Ga.In_Flnm[0][0]) StrCopy(Ga.In_Flnm[0], "Ga.in");

  // A value the reader would not give back as it is: nothing is written, the old file
  // stays.
  const std::string unstorable = Unstorable();
  if (!unstorable.empty()) {
    Warn(StrPrintf("WORKING FILE [%s] NOT WRITTEN\n\n%s\n\nRETURNING TO PROGRAM", Dsp.Work_Flnm, unstorable.c_str())
             .c_str());
    return 0;
  }

  platform::TextFileWriter w;
  if (!Dsp.Work_Flnm[0] || !w.Open(Dsp.Work_Flnm)) {
    WriteFailed();
    return 0;
  }
  WriteBody(w);
  if (w.Failed() || !w.Commit()) {
    w.Abort();
    WriteFailed();
    return 0;
  }
  return 1;
}

int32_t WorkFileReadPelkNew() {
  FILE* f = OpenRead(Dsp.Work_Flnm);
  if (!f) {
    std::string text = StrPrintf(
        "WorkFileReadPelkNew()\n\nFAILED TO OPEN WORKING FILE [%s] FOR READING\n\nABORTING", Dsp.Work_Flnm);
    Warn(text.c_str());
    return 0;
  }
  std::string version;
  bool ok = ReadBody(f, &version);
  std::fclose(f);
  if (!ok) return 0;
  WorkFileReadFinish();
  std::string status = StrPrintf("WORK FILE VERSION [%s]", version.c_str());
  Status(3, status.c_str());
  return 1;
}

namespace {

int32_t ReadChecked(bool* refused);

}  // namespace

// Every reader and converter rewrites the channel names and the axis, which a view run
// under way reads: it stops first and runs again for what was read.
int32_t WorkFileReadChecked(bool* refused) {
  const bool viewStopped = DisplayViewStopForChange();
  const int32_t result = ReadChecked(refused);
  if (viewStopped) DisplayViewRestart();
  return result;
}

namespace {

int32_t ReadChecked(bool* refused) {
  if (refused) *refused = false;
  WaitCursor(true);
  Win.Page_Pixels = Win.Page_Width;
  if (!Dsp.Work_Flnm[0]) {
    Dsp.Init_Frq = 0.0;
    Dsp.FSR = 1.0;
    Dsp.Pts_FSR = 1;
    DspFrqStpSet(1.0);
    WorkFileReadFinish();
    return 1;
  }
  char name[sizeof Dsp.Work_Flnm];
  StrCopy(name, Dsp.Work_Flnm);
  bool matched = false, failed = false;
  auto fail = [&](const char* fmt) {
    std::string text = StrPrintf(fmt, name);
    Warn(text.c_str());
    failed = true;
  };
  if (EndsWith(name, ".qvw") || EndsWith(name, ".QVW")) {
    matched = true;
    if (WorkFileReadPelkNew()) return 1;
    fail("QV95 WORKING FILE\n\nCORRUPTED FIELDS | FILE=[%s] DOES NOT EXIST\n\nUSING DEFAULT VALUES");
  }
  // A converter whose user kept an existing working file of the new name has said so;
  // the file it read is sound, so no warning blames it (it still counts as not read).
  bool declined = false;
  if (EndsWith(name, ".wkf") || EndsWith(name, ".WKF")) {
    matched = true;
    if (workfile::ConvertPelkOld(&declined)) return 1;
    declined ? void(failed = true) : fail("CORRUPTED FIELDS IN [%s]\n\nUSING DEFAULT VALUES");
  }
  if (BeginsWith(name, "wk.") || BeginsWith(name, "wk-") || BeginsWith(name, "WK.") || BeginsWith(name, "WK-")) {
    matched = true;
    if (workfile::ConvertMassComp(&declined)) return 1;
    declined ? void(failed = true) : fail("CORRUPTED FIELDS IN [%s]\n\nABORTING");
  }
  if (EndsWith(name, ".wk") || EndsWith(name, ".WK")) {
    matched = true;
    if (workfile::ConvertDefaul(&declined)) return 1;
    declined ? void(failed = true) : fail("CORRUPTED FIELDS IN [%s]\n\nABORTING");
  }
  if (!matched) {
    Dsp.Work_Flnm[0] = '\0';
    MessageBox(Win.hWnd_Main, "USING DEFAULT VALUES IN ANALYSIS DIALOG", "Info", 0x1040);
  }
  if (refused) *refused = failed;
  WaitCursor(false);
  return 1;
}

}  // namespace

int32_t WorkFileRead() { return WorkFileReadChecked(nullptr); }

int32_t WorkFileReadFinish() {
  Dsp.Dsp_Ready = 0;
  if (Dsp.Pts_FSR == 0) Dsp.Pts_FSR = 100;
  if (Dsp.FSR == 0.0) Dsp.FSR = 1.0;
  DspFrqStpSet(Dsp.FSR / Dsp.Pts_FSR);

  DisplayInitialize();
  SimPenBrushSet(1, 1, 1, 0, 0);

  // Channel availability: the highest displayed channel whose file has data is active.
  Win.Active_Chn = 9;
  int16_t lastAvailable = 9;
  for (int16_t c = 0; c < CHANNELS; c++) {
    int64_t bytes = 0;
    if (FileSize(DataPath(Dsp.Chn_Flnm[c]), &bytes) && bytes > 0) {
      lastAvailable = c;
      if (Dsp.Chn_DspStat[c] == 1) Win.Active_Chn = c;
    } else {
      Dsp.Chn_DspStat[c] = 0;
    }
  }
  if (Win.Active_Chn == 9 && lastAvailable != 9) {
    Win.Active_Chn = lastAvailable;
    Dsp.Chn_DspStat[lastAvailable] = 1;
  }

  // View folder, older view files moved in, view kinds from the files on disk.
  if (!platform::DirectoryExists(VIEW_FOLDER) && !CreateDirectory(VIEW_FOLDER)) Dsp.ViewFolderUse = 0;
  static constexpr const char* kLevel[3] = {".QVO", ".QVI", ".QVM"};
  for (int c = 0; c < CHANNELS; c++) {
    std::string base = Dsp.ViewFolderUse ? DataPath((std::string(VIEW_FOLDER) + "\\" + Dsp.Chn_Flnm[c]).c_str())
                                         : DataPath(Dsp.Chn_Flnm[c]);
    if (Dsp.ViewFolderUse) {
      std::string beside = DataPath(Dsp.Chn_Flnm[c]);
      for (int level = 0; level < 3; level++) {
        std::string target = base + kLevel[level] + "a";
        for (const std::string& from : {base + kLevel[level], beside + kLevel[level]})
          if (platform::FileExists(from.c_str())) MoveFileEx(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
      }
    }
    for (int level = 0; level < 3; level++) {
      int64_t bytes = 0;
      if (FileSize(base + kLevel[level] + "a", &bytes) && bytes >= 4)
        Win.ViewKind[level][c] = 1;
      else if (platform::FileExists((base + kLevel[level] + "m").c_str()))
        Win.ViewKind[level][c] = 0;
      else
        Win.ViewKind[level][c] = 2;
    }
  }

  if (!ThreadCtl.View_Started) {
    ThreadCtl.View_Started = 1;
    Win.ViewPageType = 0;
    Win.ViewPrep = 1;
    FunctionThreadCreate(DisplayQviQvoSetup);
  }

  if (Dsp.SclOfs_Hwnd) Dsp.SclOfs_Shown = DisplayScalarOffsetDialogShow(Dsp.SclOfs_Shown, Win.hWnd_Main);

  for (int16_t s = 0; s < SIM_SETS; s++) {
    uint32_t shown = Sim.Dsp_Stat[s];
    SimFIFreeQVS(s, &Sim, 1);
    if (SimFI2QVS(Sim.Sim_Flnm[s]) && SimFIReadQVS(s, &Sim, 0, 1)) {
      Sim.Dsp_Stat[s] = shown;
    } else {
      StrCopy(Sim.Sim_Flnm[s], "NoName");
      Sim.Dsp_Stat[s] = 0;
    }
  }
  for (int16_t s = 0; s < SIM_SETS; s++) SimModelessDialogUpdate(s, 0);

  Dsp.Dsp_Ready = 1;
  WaitCursor(false);
  return 1;
}
