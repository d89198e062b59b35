// The single-line commands of the operation-sequence language: argument scanning,
// the common messages and the handlers.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>

#include "convert/OpSeq.h"
#include "convert/OpSeqInternal.h"
#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "platform/windows/Window.h"
#include "filelib/FileManip.h"
#include "fit/LineFit.h"
#include "display/FileSection.h"
#include "fileproc/FileOps.h"
#include "fileproc/CrossCorrFix.h"
#include "convert/AsciiConvert.h"
#include "convert/calib/AomCalib.h"
#include "convert/calib/JumpPoints.h"
#include "convert/calib/PeakFind.h"
#include "filelib/Markers.h"
#include "convert/calib/ThzLinearize.h"
#include "core/DebugLog.h"
#include "core/Threads.h"
#include "core/FrqAxis.h"
#include "core/WorkText.h"
#include "records/AomSettings.h"
#include "records/ThreadCtl.h"
#include "records/ThzSettings.h"
#include "fileproc/CrossCorrFiles.h"
#include "fileproc/Fourier.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace opseq {

namespace {

constexpr int16_t kSlot = 1;
// Pool workers use slots 1 .. n, so n stops at the last slot that exists.
constexpr int32_t RAV_MAX_WORKERS = CNV_SLOTS - 1;
constexpr size_t kNameCap = 200;
using Name = char[kNameCap];

// Field scanning in the manner of a scan format: fields are read left to right,
// blank-separated, and the first field that does not convert ends the scan. A text
// field longer than its buffer is refused (and remembered).
class Scanner {
 public:
  explicit Scanner(std::string text) : text_(std::move(text)) {}
  int32_t count() const { return count_; }
  // The first blank-separated word of text.
  static std::string FirstWord(const std::string& text) {
    Scanner sc(text);
    Name word{};
    return sc.Scan(word) == 1 ? std::string(word) : std::string();
  }
  bool overlong() const { return overlong_; }

  template <class... Fields>
  int32_t Scan(Fields&... fields) {
    (void)(Read(fields) && ...);
    return count_;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r')) ++pos_;
  }
  template <class T>
  bool Integer(T& out) {
    SkipBlanks();
    size_t p = pos_;
    if (p < text_.size() && text_[p] == '+') ++p;
    int64_t v = 0;
    auto [end, ec] = std::from_chars(text_.data() + p, text_.data() + text_.size(), v);
    if (ec != std::errc()) return false;
    // A number beyond the field's range is no number of the field, not another one cut
    // to fit; an unsigned field takes what a 32-bit signed field would (-1 as all ones).
    constexpr int64_t lowest = std::is_signed_v<T> ? int64_t{std::numeric_limits<T>::min()} : int64_t{INT32_MIN};
    if (v < lowest || v > int64_t{std::numeric_limits<T>::max()}) return false;
    out = static_cast<T>(v);
    pos_ = static_cast<size_t>(end - text_.data());
    ++count_;
    return true;
  }
  template <class T>
  bool Real(T& out) {
    SkipBlanks();
    size_t p = pos_;
    if (p < text_.size() && text_[p] == '+') ++p;
    double v = 0.0;
    auto [end, ec] = std::from_chars(text_.data() + p, text_.data() + text_.size(), v);
    if (ec != std::errc() && ec != std::errc::result_out_of_range) return false;
    // "inf", "nan" and values beyond the field's range are no number a command can use.
    if (!std::isfinite(v) || std::fabs(v) > static_cast<double>(std::numeric_limits<T>::max())) return false;
    out = static_cast<T>(v);
    pos_ = static_cast<size_t>(end - text_.data());
    ++count_;
    return true;
  }
  bool Read(int16_t& v) { return Integer(v); }
  bool Read(int32_t& v) { return Integer(v); }
  bool Read(uint32_t& v) { return Integer(v); }
  bool Read(float& v) { return Real(v); }
  bool Read(double& v) { return Real(v); }
  bool Read(Name& v) {
    SkipBlanks();
    size_t e = pos_;
    while (e < text_.size() && text_[e] != ' ' && text_[e] != '\t' && text_[e] != '\r') ++e;
    if (e == pos_) return false;
    if (e - pos_ >= kNameCap) {
      overlong_ = true;
      return false;
    }
    std::memcpy(v, text_.data() + pos_, e - pos_);
    v[e - pos_] = '\0';
    pos_ = e;
    ++count_;
    return true;
  }

  std::string text_;
  size_t pos_ = 0;
  int32_t count_ = 0;
  bool overlong_ = false;
};

// "<word>\n\n[<keyword>] WRONG NUMBER [NEED <need>] OF PARAMETER ARGUMENTS [<command file>] IN:\n<line>"
// A name too long for its field fails the command instead.
void WrongCount(Run& run, const Scanner& sc, const char* word, const char* need) {
  if (sc.overlong()) {
    run.Fail(StrPrintf("%s\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING", word));
    return;
  }
  run.Fail(StrPrintf("%s\n\n[%s] WRONG NUMBER [NEED %s] OF PARAMETER ARGUMENTS [%s] IN:\n%s", word, run.keyword.c_str(),
                     need, run.commandFile.c_str(), run.args.c_str()));
}

void Failed(Run& run, const char* word) {
  run.Fail(StrPrintf("%s\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nABORTING", word));
}

// A number of the line that the command cannot work with (negative where it counts or
// sizes, or making a product beyond 32 bits): the line fails naming it.
void Refuse(Run& run, const char* word, const std::string& what) {
  run.Fail(StrPrintf("%s\n\n%s NOT VALID\n\nABORTING", word, what.c_str()));
}

bool Fits32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// Sets the substitution prompt and replaces '?' in every name by the sequence number.
template <class... Names>
bool Substitute(const char* prompt, Names&... names) {
  if (prompt) StrCopy(Dsp.GetTextPrompt, prompt);
  return ((ManFlnmSubstitute(names, names, Cnv.OpSeq_Sub) != 0) && ...);
}

std::string Prompt(const std::string& keyword) { return keyword + ": ENTER FILENAME SUB STRING?"; }

void ShowTrace(const std::string& text) {
  DspMsgShow(0, Win.hWnd_Main);
  StrCopy(Dsp.DspMsgBuffer, text.c_str());
  DspMsgShow(1, Win.hWnd_Main);
}

// A name the working file cannot hold is refused with a box; the channel keeps its name.
bool SetChannel(int16_t c, const char* name) { return c >= 0 && c <= 8 && ChannelNameSet(c, name); }

// A point range given as ending at 0 counts as none: the count of fields drops by its two.
int32_t WithoutEmptyRange(int32_t n, int32_t withRange, int32_t end) {
  return n == withRange && end == 0 ? withRange - 2 : n;
}

void ClearRange() {
  Cnv.Lim_Stat[kSlot] = 0;
  int32_t* lim = OSIFileSlotLimits(kSlot);
  lim[0] = 0;
  lim[1] = 0;
}

void SetRange(int32_t first, int32_t end) {
  Cnv.Lim_Stat[kSlot] = 1;
  int32_t* lim = OSIFileSlotLimits(kSlot);
  lim[0] = first;
  lim[1] = end;
}

// The optional range of the command's longest form: set when given, else cleared.
void RangeOrClear(bool given, int32_t first, int32_t end) {
  if (given) {
    SetRange(first, end);
  } else {
    ClearRange();
  }
}

// After a stop the run ends at its next line: it does not wait first, nor on.
void Pause(DWORD seconds) {
  OpSeqPause(seconds * 1000);
  DspMsgShow(0, Win.hWnd_Main);
}

// ---- the handlers -----------------------------------------------------------------------

void NotValid(Run& run) {
  const std::string text = StrPrintf("COMMAND STRING [%s] NOT VALID", run.keyword.c_str());
  core_io::Warning(text);
  run.LogLine(text);
}

void NotAvailable(Run& run) { run.Fail("OPTION NOT CURRENTLY AVAILABLE"); }

// c, in, out and nothing else, or one value: the plain point-wise commands.
struct Simple {
  int32_t id;
  int16_t variant;
  int32_t need;          // fields
  const char* needText;
  bool pauseAfter;       // P1
  bool clearAfter;       // Z
};

void RunSimple(Run& run, const Simple& s, int16_t c, Name& in, Name& out) {
  if (!Substitute(Prompt(run.keyword).c_str(), in, out) ||
      OSIFile(kSlot, c, s.id, in, out, s.variant, 0, 0) != 1) {
    Failed(run, run.keyword.c_str());
    return;
  }
  SetChannel(c, out);
  if (s.clearAfter) ClearRange();
  if (s.pauseAfter) Pause(1);
}

void Sqr(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out) != 3) return WrongCount(run, sc, "SQR", "3");
  ShowTrace(StrPrintf("OPSEQ:   SQR: FIELDS=[%d]\n", sc.count()));
  Cnv.Scalar[kSlot] = 1.0f;
  RunSimple(run, {OSI_SQR, 1, 3, "3", true, false}, c, in, out);
}

void LogCommand(Run& run, int32_t id, const char* word) {
  int16_t c = 0;
  Name in{}, out{};
  float io = 1.0f;
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, io) != 4) return WrongCount(run, sc, word, "4");
  Cnv.Io[kSlot] = io;
  ShowTrace(StrPrintf("OPSEQ:   %s: FIELDS=[%d]\n   I(O)=[%f]\n", word, sc.count(), static_cast<double>(io)));
  RunSimple(run, {id, 0, 4, "4", true, false}, c, in, out);
}
void Log10(Run& run) { LogCommand(run, OSI_LOG10, "LOG10"); }
void NatLog(Run& run) { LogCommand(run, OSI_NATLOG, "NATLOG"); }

void Smooth(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.FFT_SmoothWin) != 4) return WrongCount(run, sc, "SMOOTH", "4");
  RunSimple(run, {OSI_SMOOTH, 0, 4, "4", false, false}, c, in, out);
}

void Average(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.Pts_Ave[kSlot]) != 4) return WrongCount(run, sc, "AVERAGE", "4");
  RunSimple(run, {OSI_AVERAGE, 0, 4, "4", false, false}, c, in, out);
}

void Deglitch(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.Deglitch_Win) != 4) return WrongCount(run, sc, "DEGLITCH", "4");
  Cnv.FFT_SmoothWin = 4.0f;
  RunSimple(run, {OSI_DEGLITCH, 0, 4, "4", false, false}, c, in, out);
}

void Reverse(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out) != 3) return WrongCount(run, sc, "REVERSE_FILE", "3");
  RunSimple(run, {OSI_REVERSE, 0, 3, "3", false, true}, c, in, out);
}

void Scale(Run& run) {
  int16_t c = 0;
  Name in{}, out{}, scalar{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, scalar, first, end);
  n = WithoutEmptyRange(n, 6, end);
  if (n != 4 && n != 6) {
    if (sc.overlong()) return Failed(run, "SCALE");
    run.Fail(StrPrintf("SCALE\n[%s] WRONG NUMBER [NEED 4+] OF PARAMETER ARGUMENTS [%s] IN:\n%s", run.keyword.c_str(),
                       run.commandFile.c_str(), run.args.c_str()));
    return;
  }
  if (std::strcmp(scalar, "?") == 0) {
    StrCopy(Dsp.GetTextPrompt, "SCALE: ENTER SCALAR?");
    StrCopy(Dsp.GetTextValue, "1.0");
    if (GetTextDialog() == 1) {
      Scanner reply(Dsp.GetTextValue);
      Name token{};
      if (reply.Scan(token) == 1) StrCopy(scalar, token);
    }
  }
  float value = 0.0f;
  Scanner number(scalar);
  if (number.Scan(value) != 1) return Failed(run, "SCALE");  // not the last command's scalar
  Cnv.Scalar[kSlot] = value;
  RangeOrClear(n == 6, first, end);
  RunSimple(run, {OSI_SCALE, 0, n, "4+", false, true}, c, in, out);
}

void ChnSub(Run& run) {
  int16_t c = 0;
  Name name{};
  double scalar = 0.0, offset = 0.0;
  int32_t dsp = 0, tenth = 0;
  int16_t colour = 0;
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, name, scalar, offset, dsp, colour, tenth);
  if (n < 2 || n > 7) return WrongCount(run, sc, "CHN2SUB", "2-7");
  if (!Substitute(nullptr, name)) return Failed(run, "CHN2SUB");
  if (c >= 0 && c <= 8) {
    if (!SetChannel(c, name)) return;
    if (n >= 3) Dsp.Chn_Scalar[c] = scalar;
    if (n >= 4) Dsp.Chn_Offset[c] = offset;
    if (n >= 5) Dsp.Chn_DspStat[c] = static_cast<uint32_t>(dsp);
    // A colour outside the table would make the working file unreadable: it is refused.
    if (n >= 6 && WorkColourValid(colour))
      Dsp.Chn_ColorNo[c] = colour;
    else if (n >= 6)
      core_io::Warning(StrPrintf("CHN2SUB\n\nCHN [%d] COLOR [%d] NOT IN [0-10]\n\nKEEPING [%d]", c, colour,
                                 Dsp.Chn_ColorNo[c]));
    if (n >= 7) Dsp.Chn_ScaleStat[c] = static_cast<uint32_t>(tenth);
  } else if (c == -1) {
    StrCopy(Cnl.Mks_Flnm, name);
    OSIFileSlotLimits(kSlot)[0] = 1;
  } else if (c == -2) {
    StrCopy(Cnl.MksRepeat_Flnm, name);
    OSIFileSlotLimits(kSlot)[1] = 1;
  }
}

// Runs operation id on in -> out after the substitution; the failure text on failure.
bool Operate(Run& run, const char* word, const char* prompt, int16_t c, int32_t id, Name& in, Name& out,
             int16_t variant, int16_t ask) {
  if (!Substitute(prompt, in, out) || OSIFile(kSlot, c, id, in, out, variant, ask, 0) != 1) {
    Failed(run, word);
    return false;
  }
  return true;
}

void ChopSeq(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.Seq_Sz[kSlot], Cnv.Seq_Beg[kSlot], Cnv.Seq_End[kSlot]) != 6)
    return WrongCount(run, sc, "CHOPSEQ_FILE", "6");
  ShowTrace(StrPrintf("OPSEQ:   CHOPSECT_FILE: FIELDS=[%d]\n   SEQ BEG:END=[%d][%d]\n   SEQ SZ=[%d]\n", sc.count(),
                      Cnv.Seq_Beg[kSlot], Cnv.Seq_End[kSlot], Cnv.Seq_Sz[kSlot]));
  if (!Operate(run, "CHOPSEQ_FILE", "CHOPSECT FILE: ENTER FILENAME SUB STRING?", c, OSI_CHOPSEQ, in, out, 1, 0)) return;
  SetChannel(c, out);
  ClearRange();
  Pause(1);
}

void Offset(Run& run) {
  int16_t c = 0, zero = 0;
  Name in{}, out{}, text{};
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, in, out, text, zero);
  if (n != 4 && n != 5) return WrongCount(run, sc, "OFFSET", "4+");
  if (n == 4) zero = 0;
  ShowTrace(StrPrintf("OPSEQ:   OFFSET: FIELDS=[%d]\n   ZERO STAT=[%d] PROMPT STR=[%s]\n", n, zero, text));
  if (std::strcmp(text, "?") == 0) {
    StrCopy(Dsp.GetTextPrompt, "OFFSET: ENTER VALUE TO OFFSET?");
    StrCopy(Dsp.GetTextValue, "0.0");
    // No answer, or no number, is no offset: not the last command's one.
    if (GetTextDialog() != 1 || Scanner(Dsp.GetTextValue).Scan(Cnv.Offset[kSlot]) != 1) return Failed(run, "OFFSET");
  } else if (std::strcmp(text, "AV") == 0) {
    Cnv.Offset[kSlot] = static_cast<float>(Cnv.Ave_Offset[kSlot]);
  } else if (Scanner(text).Scan(Cnv.Offset[kSlot]) != 1) {
    return Failed(run, "OFFSET");
  }
  SetRange(0, 0);
  if (!Operate(run, "OFFSET", Prompt("OFFSET").c_str(), c, OSI_OFFSET, in, out, zero, 0)) return;
  SetChannel(c, out);
  Pause(1);
}

void Subtract(Run& run) {
  int16_t c = 0, zero = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, in, out, Cnv.Sub_Flnm[kSlot], zero);
  if (n != 4 && n != 5) return WrongCount(run, sc, "SUBTRACT", "4+");
  if (n == 4) zero = 0;
  ShowTrace(StrPrintf("OPSEQ:   SUBTRACT: FIELDS=[%d]\n   ZERO ID=[%d] SUB FLNM=[%s]\n", n, zero, Cnv.Sub_Flnm[kSlot]));
  if (!Substitute(Prompt("SUBTRACT").c_str(), Cnv.Sub_Flnm[kSlot])) return Failed(run, "SUBTRACT");
  if (!Operate(run, "SUBTRACT", nullptr, c, OSI_SUBTRACT, in, out, zero, 0)) return;
  SetChannel(c, out);
  Pause(1);
}

void SeqDup(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.Pts_Ave[kSlot], Cnv.Seq_Sz[kSlot]) != 5) return WrongCount(run, sc, "SEQDUP", "5");
  if (!Operate(run, "SEQDUP", Prompt("SEQDUP").c_str(), c, OSI_SEQDUP, in, out, 1, 1)) return;
  SetChannel(c, out);
  ClearRange();
}

void LecroyDelete(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, Cnv.Seq_Sz[kSlot], Cnv.Pts_Ave[kSlot], first, end);
  n = WithoutEmptyRange(n, 7, end);
  if (n != 5 && n != 7) return WrongCount(run, sc, "LECROYDELETE", "5+");
  RangeOrClear(n == 7, first, end);
  if (!Operate(run, "LECROYDELETE", Prompt("LECROYDELETE").c_str(), c, OSI_LECROYDELETE, in, out, 0, 0)) return;
  SetChannel(c, out);
}

void Repack(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.Seq_Cnt[kSlot], Cnv.Seq_Sz[kSlot], Cnv.Proc_Num[kSlot], Cnv.Proc_Sz[kSlot]) != 7)
    return WrongCount(run, sc, "REPACK_FILE", "7+");
  // Sizes and counts: a negative one would repack nothing, or a product of two as if
  // both were positive.
  const int32_t sizes[4] = {Cnv.Seq_Cnt[kSlot], Cnv.Seq_Sz[kSlot], Cnv.Proc_Num[kSlot], Cnv.Proc_Sz[kSlot]};
  static constexpr const char* kSizeNames[4] = {"SEQ CT", "SEQ SZ", "SEG CT", "SEG SZ"};
  for (int k = 0; k < 4; ++k)
    if (sizes[k] < 0) return Refuse(run, "REPACK_FILE", StrPrintf("%s=[%d]", kSizeNames[k], sizes[k]));
  if (!Operate(run, "REPACK_FILE", nullptr, c, OSI_REPACK, in, out, 0, 0)) return;
  SetChannel(c, out);
  ClearRange();
}

void DeleteFileCommand(Run& run) {
  int16_t c = 0;
  Name in{};
  int32_t multi = 0;
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, in, multi);
  if (n != 2 && n != 3) return WrongCount(run, sc, "DELETE_FILE", "2+");
  // Without the switch the line deletes the file it names, whatever a line before left.
  Cnv.Del_Multi[kSlot] = n == 3 ? multi : 0;
  if (!Substitute(nullptr, in) || OSIFile(kSlot, c, OSI_DELETE, in, nullptr, 1, 0, 0) != 1)
    return Failed(run, "DELETE_FILE");
  ClearRange();
}

void Append(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, Cnv.Sub_Flnm[kSlot], out) != 4) return WrongCount(run, sc, "APPEND_FILE", "4");
  if (!Substitute("APPENDSECT_FILE: ENTER FILENAME SUB STRING?", Cnv.Sub_Flnm[kSlot])) return Failed(run, "APPEND_FILE");
  if (!Operate(run, "APPEND_FILE", nullptr, c, OSI_APPEND, in, out, 0, 1)) return;
  SetChannel(c, Cnv.Sub_Flnm[kSlot]);
  ClearRange();
}

void IntToFloat(Run& run, int32_t id, const char* word, const char* question) {
  int16_t c = 0, mode = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, mode, Cnv.Adc_Bipolar, Cnv.Adc_16Bit) != 6) return WrongCount(run, sc, word, "6");
  if (mode == 0) {
    Cnv.Adc_Stat = core_io::AskYesNo(question) ? 0u : 1u;
  } else {
    Cnv.Adc_Stat = mode == 1 ? 1u : 0u;
  }
  if (!Operate(run, word, nullptr, c, id, in, out, mode, 0)) return;
  SetChannel(c, out);
  ClearRange();
}
void S2F(Run& run) {
  IntToFloat(run, OSI_SHORT2FLOAT, "S2F_FILE",
             "SHORT TO FLT (4-BYTE) FILE OPERATION\n\nCONVERT DATA DIRECTLY [YES] | CONVERT FROM DIGITAL TO ADC VOLTAGE [NO] ?");
}
void L2F(Run& run) {
  IntToFloat(run, OSI_LONG2FLOAT, "L2F_FILE",
             "LONG TO FLOAT (4-BYTE) FILE OPERATION\n\nCONVERT DATA DIRECTLY [YES] | CONVERT FROM DIGITAL TO ADC VOLTAGE [NO] ?");
}

void SclOfs(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.Func_Flnm[kSlot], Cnv.Seq_Sz[kSlot]) != 5) return WrongCount(run, sc, "SCLOFS_FILE", "5");
  ShowTrace(StrPrintf("OPSEQ:   SCLOFS_FILE: FIELDS=[%d]\n   FUNCTION FLNM=[%s] SEQ SIZE=[%d]\n", sc.count(),
                      Cnv.Func_Flnm[kSlot], Cnv.Seq_Sz[kSlot]));
  if (!Substitute(nullptr, Cnv.Func_Flnm[kSlot])) return Failed(run, "SCLOFS_FILE");
  if (!Operate(run, "SCLOFS_FILE", nullptr, c, OSI_SCLOFS, in, out, 0, 0)) return;
  ShowTrace(StrPrintf("      FUNCTION NAME=[%s]\n      PRM[1]=[%f] PRM[2]=[%f] PRM[3]=[%f]\n", Cnv.Func_Type[kSlot],
                      Cnv.Func_P1[kSlot], Cnv.Func_P2[kSlot], Cnv.Func_P3[kSlot]));
  SetChannel(c, out);
  ClearRange();
  Pause(3);
}

void MixingRatio(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.MixRatio_Flnm[kSlot], Cnv.MixRatio_Coef[kSlot]) != 5)
    return WrongCount(run, sc, "MIXINGRATIO_FILE", "5");
  ShowTrace(StrPrintf("OPSEQ:   MIXINGRATIO_FILE: FIELDS=[%d]\n   SCALAR=[%f]\n", sc.count(), Cnv.MixRatio_Coef[kSlot]));
  if (!Substitute(nullptr, Cnv.MixRatio_Flnm[kSlot])) return Failed(run, "MIXINGRATIO_FILE");
  if (!Operate(run, "MIXINGRATIO_FILE", nullptr, c, OSI_MIXINGRATIO, in, out, 0, 0)) return;
  SetChannel(c, out);
  ClearRange();
  Pause(3);
}

// One engine operation over the given point range (or the whole file), its output
// becoming channel c; the range is cleared afterwards. False after a failure.
bool OperateOnRange(Run& run, const char* word, const char* prompt, int16_t c, int32_t id, Name& in, Name& out,
                    int16_t variant, int16_t ask, bool ranged, int32_t first, int32_t end) {
  RangeOrClear(ranged, first, end);
  if (!Operate(run, word, prompt, c, id, in, out, variant, ask)) return false;
  SetChannel(c, out);
  ClearRange();
  return true;
}

// The resize value of the alignment and resize commands: sign flag, magnitude, switch.
// A magnitude of 0 or 1 asks no resize: the switch goes off, so that the alignment does
// not resize to 1 point because an earlier line had switched it on.
void StoreResize(int32_t value) {
  Cnv.CcRsz_Neg[kSlot] = value < 0 ? 1u : 0u;
  int64_t magnitude = value < 0 ? -int64_t{value} : int64_t{value};
  if (magnitude <= 1) {
    magnitude = 1;
    Cnv.CcRsz_Stat[kSlot] = 0;
  } else {
    Cnv.CcRsz_Stat[kSlot] = 1;
  }
  Cnv.Rsz_SzOut[kSlot] = static_cast<uint32_t>(magnitude);
}

void Calib(Run& run) {
  double fsr = 0.0, refFrq = 0.0;
  int32_t pts = 0, refPt = 0;
  Scanner sc(run.args);
  if (sc.Scan(fsr, pts, refFrq, refPt) != 4) return WrongCount(run, sc, "CALIB", "4");
  if (pts == 0) return Failed(run, "CALIB");  // no step per point without points per FSR
  // The reference point lies at the reference frequency on the axis f(p) = initial + p x step,
  // whichever the sign of the step.
  const double initial = refFrq - refPt * (fsr / pts);
  if (!std::isfinite(initial)) return Refuse(run, "CALIB", StrPrintf("REF PT=[%d] x FRQ STP=[%g]", refPt, fsr / pts));
  Dsp.FSR = fsr;
  Dsp.Pts_FSR = pts;
  DspFrqStpSet(fsr / pts);
  Dsp.Init_Frq = initial;
}

void FftWinSeq(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, in, out, Cnv.Seq_Sz[kSlot], Cnv.Fft_WinSense, Cnv.Fft_Taper, Cnv.Win_Lo[kSlot],
                            Cnv.Win_Hi[kSlot], first, end);
  if (n != 8 && n != 10) return WrongCount(run, sc, "FFTWINSEQ", "8+");
  if ((Cnv.Fft_WinSense == 1 || Cnv.Fft_WinSense == -1) && (Cnv.Fft_Taper <= 0.0 || Cnv.Fft_Taper > 1.0))
    Cnv.Fft_Taper = 0.5;
  ShowTrace(StrPrintf("OPSEQ:   FFTWINSEQ: FIELDS=[%d]\n   WIN LO:HI=[%d][%d]\n   SEQ SZ=[%d]\n", n, Cnv.Win_Lo[kSlot],
                      Cnv.Win_Hi[kSlot], Cnv.Seq_Sz[kSlot]));
  if (!OperateOnRange(run, "FFTWINSEQ", Prompt("FFTWINSEQ").c_str(), c, OSI_FFTWINSEQ, in, out,
                         0, 0, n == 10, first, end)) return;
}

void FftSeq(Run& run, bool file) {
  const char* word = file ? "FFTSEQ_FILE" : "FFTSEQ_ARY";
  int16_t c = 0;
  Name in{}, out{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot], Cnv.Seq_Sz[kSlot], Cnv.Fft_InSz[kSlot],
                      Cnv.Rate_GHz, Cnv.Fft_OutId, first, end);
  n = WithoutEmptyRange(n, 11, end);
  if (n != 9 && n != 11) return WrongCount(run, sc, word, "9+");
  if (file) {
    ShowTrace(StrPrintf("OPSEQ:   FFTSEQ_FILE: FIELDS=[%d]\n   WIN LO:HI=[%d][%d] SEQ SZ=[%d]\n   FFT IN SZ=[%d] SMP "
                        "RATE=[%f] OUT ID=[%d]\n",
                        sc.count(), Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot], Cnv.Seq_Sz[kSlot], Cnv.Fft_InSz[kSlot],
                        Cnv.Rate_GHz, Cnv.Fft_OutId));
  }
  if (!OperateOnRange(run, word, Prompt(word).c_str(), c, file ? OSI_FFTSEQ : OSI_FFTSEQ_ARY, in, out,
                         0, 0, n == 11, first, end)) return;
  if (file) Pause(1);
}
void FftSeqAry(Run& run) { FftSeq(run, false); }
void FftSeqFile(Run& run) { FftSeq(run, true); }

void Scale2Mks(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t loCut = 0, hiCut = 0, shift = 0;
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnl.Mks_Flnm, loCut, hiCut, shift) != 7) return WrongCount(run, sc, "SCALE2MKS", "7");
  ShowTrace(StrPrintf("OPSEQ:   SCALE2MKS: FIELDS=[%d]\n   LO:HI CUT=[%d][%d] POS FLNM=[%s] SHIFT=[%d]\n", sc.count(),
                      loCut, hiCut, Cnl.Mks_Flnm, shift));
  if (!Substitute(Prompt("SCALE2MKS").c_str(), Cnl.Mks_Flnm)) return Failed(run, "SCALE2MKS");
  if (!Operate(run, "SCALE2MKS", nullptr, c, OSI_SCALE2MKS, in, out, 0, 0)) return;
  SetChannel(c, out);
  Pause(1);
}

void ZeroSect(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot], Cnv.Seq_Sz[kSlot], first, end);
  if (n != 5 && n != 6 && n != 8) return WrongCount(run, sc, "ZEROSECT_FILE", "5+");
  if (end == 0) n = 6;
  if (Cnv.Seq_Sz[kSlot] == 0) n = 5;
  if (n > 7) {
    SetRange(first, end);
  } else {
    Cnv.Lim_Stat[kSlot] = 0;
  }
  if (n == 5) Cnv.Seq_Sz[kSlot] = 1;
  if (!Operate(run, "ZEROSECT_FILE", Prompt("ZEROSECT_FILE").c_str(), c, OSI_ZEROSECT, in, out, 1, 1)) return;
  SetChannel(c, out);
  ClearRange();
}

void AddSect(Run& run) {
  int16_t c = 0, mode = 0;
  Name in{}, out{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, mode, Cnv.Pts_Ave[kSlot], first, end);
  n = WithoutEmptyRange(n, 7, end);
  if (n != 5 && n != 7) return WrongCount(run, sc, "ADDSECT_FILE", "5+");
  if (n == 7) SetRange(first, end);
  if (!Operate(run, "ADDSECT_FILE", Prompt("ADDSECT_FILE").c_str(), c, OSI_ADDSECT, in, out, mode, 1)) return;
  SetChannel(c, out);
}

void SortFile(Run& run) {
  int16_t c = 0, mode = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, mode, Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot], Cnv.Seq_Sz[kSlot], Cnv.Pts_Ave[kSlot],
              Cnv.Rpt_Cnt[kSlot]) != 9)
    return WrongCount(run, sc, "SORT_FILE", "5+");
  if (mode == 5) {
    if (!Substitute(Prompt("SORT_FILE").c_str(), in, out) || ManAsciiFileSort(in, out, 1, 2) == 0)
      return Failed(run, "SORT_FILE");
  } else if (!Operate(run, "SORT_FILE", Prompt("SORT_FILE").c_str(), c, OSI_SORT, in, out, mode, 0)) {
    return;
  }
  SetChannel(c, out);
  ClearRange();
}

void MultDiv(Run& run) {
  int16_t c = 0, op = 0;
  Name in{}, out{}, third{};
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, in, out, third, op, Cnv.Phase_Shift);
  if (n != 5 && n != 6) return WrongCount(run, sc, "MULTDIV_FILE", "5+");
  if (!Substitute(Prompt("MULTDIV_FILE").c_str(), in, out, third)) return Failed(run, "MULTDIV_FILE");
  StrCopy(Dsp.GetTextPrompt, "COMPLEX FILE OP: ENTER FILENAME SUB STRING?");
  StrCopy(Cnv.Sub_Flnm[kSlot], out);
  if (FFTwMultDivFile(in, out, third, op) == 0) return Failed(run, "MULTDIV_FILE");
  ClearRange();
}

void SeqCmp(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, Cnv.Sub_Flnm[kSlot], Cnv.Pts_Ave[kSlot], Cnv.Cc_Rad[kSlot], first, end);
  n = WithoutEmptyRange(n, 8, end);
  if (n != 6 && n != 8) return WrongCount(run, sc, "SEQCMP", "6+");
  if (!Substitute(Prompt("SEQCMP").c_str(), Cnv.Sub_Flnm[kSlot])) return Failed(run, "SEQCMP");
  if (!OperateOnRange(run, "SEQCMP", nullptr, c, OSI_SEQCMP, in, out, 0, 0, n == 8, first, end)) return;
}

void ResizeFile(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t value = 0;
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, value, Cnv.Rsz_StpIn[kSlot], Cnv.Rsz_StpOut[kSlot]) != 6)
    return WrongCount(run, sc, "RESIZE_FILE", "6");
  StoreResize(value);
  // A resize value above 1 is the output size (the step follows from it); -1, 0 and 1
  // leave the output step of the line in charge. One below -1 is that many times the
  // input, handed on as the dialog hands on a negative SIZE OUT.
  Cnv.Rsz_Mode[kSlot] = Cnv.CcRsz_Stat[kSlot];
  if (value < -1) Cnv.Rsz_SzOut[kSlot] = static_cast<uint32_t>(value);
  if (!Operate(run, "RESIZE_FILE", Prompt("RESIZE_FILE").c_str(), c, OSI_RESIZE, in, out, 0, 0)) return;
  SetChannel(c, out);
}

void CombIntg(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  double xScalar = 1.0;
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, in, out, Cnv.Comb_Spacing[kSlot], Cnv.Comb_Width[kSlot], Cnv.Intg_WinLo[kSlot],
                            Cnv.Intg_WinHi[kSlot], Cnv.Seq_Sz[kSlot], xScalar, first, end);
  if (n != 8 && n != 9 && n != 11) return WrongCount(run, sc, "COMBINTG", "8+");
  if (Cnv.Seq_Sz[kSlot] < 0) return Refuse(run, "COMBINTG", StrPrintf("SEQ SZ=[%d]", Cnv.Seq_Sz[kSlot]));
  if (n == 8) {
    xScalar = 1.0;
  } else {
    if (xScalar == 0.0) xScalar = 1.0;
    const double seq = std::trunc(Cnv.Seq_Sz[kSlot] * xScalar);
    const double spacing = Cnv.Comb_Spacing[kSlot] * xScalar;
    const double lo = Cnv.Intg_WinLo[kSlot] * xScalar;
    const double hi = Cnv.Intg_WinHi[kSlot] * xScalar;
    // The scaled sequence size is a size again, and the scaled spacing and window numbers.
    if (!(seq >= 0.0 && seq <= INT32_MAX) || !std::isfinite(spacing) || !std::isfinite(lo) || !std::isfinite(hi))
      return Refuse(run, "COMBINTG", StrPrintf("X SCALAR=[%f]", xScalar));
    Cnv.Comb_Spacing[kSlot] = spacing;
    Cnv.Intg_WinLo[kSlot] = lo;
    Cnv.Intg_WinHi[kSlot] = hi;
    Cnv.Seq_Sz[kSlot] = static_cast<int32_t>(seq);
  }
  ShowTrace(StrPrintf("OPSEQ:   COMBINTG: FIELDS=[%d]\n   SPACING=[%f] WIDTH=[%d]\n   INTG WIN LO:HI=[%f][%f] SEQ "
                      "SZ=[%d]\n   X SCALAR=[%f]\n",
                      n, Cnv.Comb_Spacing[kSlot], Cnv.Comb_Width[kSlot], Cnv.Intg_WinLo[kSlot], Cnv.Intg_WinHi[kSlot],
                      Cnv.Seq_Sz[kSlot], xScalar));
  if (!OperateOnRange(run, "COMBINTG", Prompt("COMBINTG").c_str(), c, OSI_COMBINTG, in, out,
                         0, 0, n == 11, first, end)) return;
  DspMsgShow(0, Win.hWnd_Main);
}

void RepSect(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t low = 0, high = 0;
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, low, high) != 5) return WrongCount(run, sc, "REPSECT_FILE", "5");
  if (!Substitute(Prompt("REPSECT_FILE").c_str(), in, out) || CnvReplaceFile(kSlot, 1, 0, in, out, 1, 0, low, high, 0) != 1)
    return Failed(run, "REPSECT_FILE");
  SetChannel(c, out);
  ClearRange();
}

void SeqRep(Run& run) {
  int16_t c = 0, mode = 0;
  Name in{}, out{};
  int32_t segCt = 0, low = 0, high = 0;
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, segCt, Cnv.Seq_Sz[kSlot], low, high, mode) != 8) return WrongCount(run, sc, "SEQREP", "8");
  if (mode != 0 && mode != 1) mode = 1;
  if (!Substitute("SEQREP_FILE: ENTER FILENAME SUB STRING?", in, out) ||
      CnvReplaceFile(kSlot, mode, 0, in, out, segCt, Cnv.Seq_Sz[kSlot], low, high, 0) != 1)
    return Failed(run, "SEQREP");
  SetChannel(c, out);
  ClearRange();
}

void CoaddFile(Run& run) {
  int16_t c = 0, first = 0, last = 0;
  Name in{}, out{}, third{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, third, first, last) != 6) return WrongCount(run, sc, "COADD_FILE", "6");
  if (!Substitute(Prompt("COADD_FILE").c_str(), in, out, third) || ManBinFileCoadd(in, out, third, first, last, 1) != 1)
    return Failed(run, "COADD_FILE");
  SetChannel(c, out);
  ClearRange();
}

void AveValue(Run& run) {
  int16_t c = 0, mode = 0;
  Name in{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot], mode) != 5) return WrongCount(run, sc, "AVEVALUE", "5");
  if (!Substitute(Prompt("AVEVALUE").c_str(), in)) return Failed(run, "AVEVALUE");
  if (mode == 3) {
    const float mean = (Cnl.NrmVp + Cnl.NrmVs) / 2.0f;
    Cnl.NrmVp = mean;
    Cnl.NrmVs = mean;
    return;
  }
  int16_t chn = 9;
  if (c >= 0 && c <= 8) {
    chn = c;
  } else {
    for (int16_t k = 0; k <= 8; ++k) {
      if (platform::FileExists(in) && platform::SameFile(Dsp.Chn_Flnm[k], in)) {
        chn = k;
        break;
      }
    }
  }
  core_io::StatusText(2, StrPrintf("OFS VALUE IN CHN=[%d]", chn));
  if (FileGetAveValue(chn, 1, in, Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot]) == 0) {
    core_io::Warning(StrPrintf("AVEVALUE\n\nINVALID FLNM=[%s]", in));
    return;
  }
  switch (mode) {
    case 0: case -2: Cnv.Ave_Offset[kSlot] = Win.Chn_Ave1[chn]; break;
    case 1: Cnl.NrmVp = static_cast<float>(Win.Chn_Ave1[chn]); break;
    case 2: Cnl.NrmVs = static_cast<float>(Win.Chn_Ave1[chn]); break;
    case -1: Cnv.Ave_Offset[kSlot] = Win.Chn_Ave1[chn] = Win.Chn_Min[chn]; break;
    case -3: Cnv.Ave_Offset[kSlot] = Win.Chn_Ave2[chn] = Win.Chn_Max[chn]; break;
    default: break;
  }
  SetChannel(c, in);
}

void AveDsp(Run& run) {
  int16_t c = 0, skip = 0, mode = 0;
  int32_t flags[CNV_CHN] = {};
  Scanner sc(run.args);
  if (sc.Scan(c, Cnv.Ave_Flnm, skip, mode, flags[0], flags[1], flags[2], flags[3], flags[4], flags[5], flags[6], flags[7],
              flags[8]) != 13)
    return WrongCount(run, sc, "AVEDSPFILES", "13");
  if (!Substitute(Prompt("AVEDSPFILES").c_str(), Cnv.Ave_Flnm)) return Failed(run, "AVEDSPFILES");
  for (int k = 0; k < CNV_CHN; ++k) {
    if (mode < 0) Cnv.Cnv_Stat[k] = 1;
    if (mode == 0 || mode == 1) Cnv.Cnv_Stat[k] = flags[k] != 0 ? 1u : 0u;
    if (mode >= 1 && Cnv.Cnv_Stat[k] == 1) SetChannel(static_cast<int16_t>(k), Cnv.Out_Flnm[0][k]);
  }
  if (AveDspFiles(skip, mode) != 1) return Failed(run, "AVEDSPFILES");
  SetChannel(c, Cnv.Ave_Flnm);
}

void SeqCc2File(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, Cnv.ShiftVal_Flnm, Cnv.Seq_Sz[kSlot], Cnv.Cc_Rad[kSlot], Cnv.Damp[kSlot],
                      Cnv.NStps[kSlot], Cnv.Cc_Offset[kSlot], Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot], first, end);
  n = WithoutEmptyRange(n, 13, end);
  if (n != 11 && n != 13) {
    if (sc.overlong()) return Failed(run, "SEQCC2FILE");
    return run.Fail(StrPrintf("SEQCC2FILE\n\n[%s] WRONG NUMBER [NEED 11+] OF PARAMETER ARGUMENTS | SHIFT FLNM INVALID "
                              "[%s] IN:\n%s",
                              run.keyword.c_str(), run.commandFile.c_str(), run.args.c_str()));
  }
  ShowTrace(StrPrintf("OPSEQ:   SEQCC2FILE: FIELDS=[%d]\n    IN FLNM=[%s]\n", sc.count(), in));
  RangeOrClear(n == 13, first, end);
  if (!Substitute(Prompt("SEQCC2FILE").c_str(), in, out, Cnv.ShiftVal_Flnm) ||
      CrossCorr2Files(kSlot, in, out, Cnv.ShiftVal_Flnm, 0) != 1)
    return Failed(run, "SEQCC2FILE");
  SetChannel(c, out);
  ClearRange();
  Pause(3);
}

// ---- the pool fan-out -------------------------------------------------------------------

// Starts n workers on the pool fields already set, waits for all of them and lets them
// end. The notes go to the message window; a pool that cannot start is noted and the
// run goes on.
void ReleaseWorkers(int16_t n) {
  for (int16_t i = 0; i < n; ++i) SetEvent(RavThreadPool.QuitEvent[i]);
  for (int16_t i = 0; i < n; ++i) SetEvent(RavThreadPool.StartEvent[i]);
  // Joined here, so that no worker of this pool still waits on an event the next
  // pool makes ready again.
  for (int16_t i = 0; i < n; ++i) {
    if (RavThreadPool.Thread[i]) WaitForSingleObject(RavThreadPool.Thread[i], INFINITE);
  }
}

void PoolRun(const char* tag, int16_t n) {
  if (QvMPICreate(n) != 1) {
    // Workers created before the failure are let go rather than left waiting.
    ReleaseWorkers(RavThreadPool.Pool_Size < n ? RavThreadPool.Pool_Size : n);
    DspMsgShowText(StrPrintf("OPSEQ:   RAV %s:   THREADS FAILED TO START=[%d]\n", tag, n).c_str(), Win.hWnd_Main);
    return;
  }
  for (int16_t i = 0; i < n; ++i) SetEvent(RavThreadPool.StartEvent[i]);
  DspMsgShowText(StrPrintf("OPSEQ:   RAV %s:   RAV THREADS STARTED=[%d]\n\nWAITING FOR COMPLETION\n", tag, n).c_str(),
                 Win.hWnd_Main);
  WaitForMultipleObjects(static_cast<DWORD>(n), RavThreadPool.DoneEvent, TRUE, INFINITE);
  ReleaseWorkers(n);
  DspMsgShowText(StrPrintf("OPSEQ:   RAV %s:   RAV THREADS COMPLETE=[%d]\n", tag, n).c_str(), Win.hWnd_Main);
}

// Worker count of a negative channel or mode: the slots 1 .. n must exist.
int16_t PoolSize(int32_t negative) {
  const int32_t n = negative < 0 ? -negative : negative;
  return static_cast<int16_t>(n < 1 ? 1 : (n > RAV_MAX_WORKERS ? RAV_MAX_WORKERS : n));
}

bool StartsNumber(const char* text) {
  return text[0] == '-' || text[0] == '.' || (text[0] >= '0' && text[0] <= '9');
}

void SeqCoadd(Run& run) {
  int16_t c = 0;
  Name in{}, out{}, count{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, Cnv.Seq_Sz[kSlot], count, Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot], first, end);
  if (n != 5 && n != 7 && n != 9) return WrongCount(run, sc, "SEQCOADD", "5+");
  if (!Substitute(Prompt("SEQCOADD").c_str(), in, out)) return Failed(run, "SEQCOADD");
  Cnv.SeqTbl_Flnm[0] = '\0';
  const bool number = StartsNumber(count);
  if (Cnv.Seq_Sz[kSlot] < 0) return Refuse(run, "SEQCOADD", StrPrintf("SEQ SZ=[%d]", Cnv.Seq_Sz[kSlot]));
  if (number) {
    int32_t ct = 0;
    if (Scanner(count).Scan(ct) != 1 || ct < 0) return Refuse(run, "SEQCOADD", StrPrintf("SEQ CT=[%s]", count));
    Cnv.Seq_Cnt[kSlot] = ct;
    if (n < 6) {
      const int64_t window = int64_t{Cnv.Seq_Sz[kSlot]} * ct;
      if (!Fits32(window))
        return Refuse(run, "SEQCOADD", StrPrintf("SEQ SZ=[%d] x SEQ CT=[%d]", Cnv.Seq_Sz[kSlot], ct));
      Cnv.Win_Lo[kSlot] = 0;
      Cnv.Win_Hi[kSlot] = static_cast<int32_t>(window);
    }
  } else if (int64_t{Cnv.Seq_Sz[kSlot]} * 2 > INT32_MAX) {
    return Refuse(run, "SEQCOADD", StrPrintf("SEQ SZ=[%d] x SEQ CT=[2]", Cnv.Seq_Sz[kSlot]));
  }
  if (c < 0) {
    const int16_t workers = PoolSize(c);
    RavThreadPool.Pool_Size = workers;
    RavThreadPool.Pool_Proc = 0;
    RavThreadPool.Pool_Cmd = RAV_CMD_SEQCC2FILEFIX;
    StrCopy(RavThreadPool.Pool_Flnm[0], in);
    StrCopy(RavThreadPool.Pool_Flnm[1], out);
    RavThreadPool.Pool_SeqPrm[0] = Cnv.Seq_Sz[kSlot];
    RavThreadPool.Pool_SeqPrm[1] = Cnv.Seq_Cnt[kSlot];
    RavThreadPool.Pool_SeqPrm[2] = Cnv.Win_Lo[kSlot];
    RavThreadPool.Pool_SeqPrm[3] = Cnv.Win_Hi[kSlot];
    for (int16_t k = 2; k <= workers; ++k) {
      Cnv.Seq_Sz[k] = Cnv.Seq_Sz[kSlot];
      Cnv.Seq_Cnt[k] = Cnv.Seq_Cnt[kSlot];
      Cnv.Win_Lo[k] = Cnv.Win_Lo[kSlot];
      Cnv.Win_Hi[k] = Cnv.Win_Hi[kSlot];
    }
    ShowTrace(StrPrintf("OPSEQ:   RAV SEQCOADD: FIELDS=[%d]\n", n));
    PoolRun("SEQCOADD", workers);
    Pause(3);
    return;
  }
  if (!number) {
    Cnv.Seq_Cnt[kSlot] = 2;
    StrCopy(Cnv.SeqTbl_Flnm, count);
    if (!Substitute(nullptr, Cnv.SeqTbl_Flnm)) return Failed(run, "SEQCOADD");
    Cnv.Win_Lo[kSlot] = 0;
    Cnv.Win_Hi[kSlot] = Cnv.Seq_Sz[kSlot] * 2;
  }
  n = WithoutEmptyRange(n, 9, end);
  if (Cnv.Win_Hi[kSlot] == 0) n = 5;
  if (!OperateOnRange(run, "SEQCOADD", nullptr, c, OSI_SEQCOADD, in, out, 0, 0, n > 7, first, end)) return;
}

void SeqCcFileFix(Run& run) {
  int32_t mode = 0, resize = 0, deleteSwitch = 0;
  Name first{}, second{}, oldShift{}, aves{};
  int16_t ref = 0, lo = 0, hi = 0, coLo = 0, coHi = 0;
  Scanner sc(run.args);
  const int32_t n = sc.Scan(mode, first, second, oldShift, aves, Cnv.Seq_Sz[kSlot], Cnv.Seg_Sz[kSlot],
                            Cnv.Cc_Rad[kSlot], Cnv.Damp[kSlot], Cnv.NStps[kSlot], Cnv.Win_Lo[kSlot], Cnv.Win_Hi[kSlot],
                            resize, ref, lo, hi, coLo, coHi, deleteSwitch);
  if (n != 19) return WrongCount(run, sc, "SEQCCFILEFIX", "19");
  // SEQ SZ and the radius are taken as their absolute values.
  if (Cnv.Seq_Sz[kSlot] == INT32_MIN) return Refuse(run, "SEQCCFILEFIX", StrPrintf("SEQ SZ=[%d]", Cnv.Seq_Sz[kSlot]));
  if (Cnv.Cc_Rad[kSlot] == INT32_MIN) return Refuse(run, "SEQCCFILEFIX", StrPrintf("CC RADIUS=[%d]", Cnv.Cc_Rad[kSlot]));
  // The delete switch is the run's own: the slots keep the switches they had for the
  // DELETE_FILE lines after it.
  struct KeepDeleteSwitches {
    int32_t saved[CNV_SLOTS];
    KeepDeleteSwitches() { std::memcpy(saved, Cnv.Del_Multi, sizeof saved); }
    ~KeepDeleteSwitches() { std::memcpy(Cnv.Del_Multi, saved, sizeof saved); }
  } keep;
  Cnv.Del_Multi[kSlot] = deleteSwitch;
  if (!Substitute(Prompt("SEQCCFILEFIX").c_str(), first, second, oldShift, aves)) return Failed(run, "SEQCCFILEFIX");
  StoreResize(resize);
  if (mode < 0) {
    const int16_t workers = PoolSize(mode);
    RavThreadPool.Pool_Size = workers;
    RavThreadPool.Pool_Proc = 0;
    RavThreadPool.Pool_Cmd = RAV_CMD_SEQCCFILEFIX;
    StrCopy(RavThreadPool.Pool_Flnm[0], first);
    StrCopy(RavThreadPool.Pool_Flnm[1], second);
    StrCopy(RavThreadPool.Pool_Flnm[2], oldShift);
    StrCopy(RavThreadPool.Pool_Flnm[3], aves);
    const int16_t numbers[5] = {ref, lo, hi, coLo, coHi};
    std::memcpy(RavThreadPool.Pool_CCPrm, numbers, sizeof numbers);
    // Every worker aligns with the command's own settings: a file must not come out
    // otherwise for having been taken by another worker.
    for (int16_t k = 2; k <= workers; ++k) {
      Cnv.Seq_Sz[k] = Cnv.Seq_Sz[kSlot];
      Cnv.Seg_Sz[k] = Cnv.Seg_Sz[kSlot];
      Cnv.Win_Lo[k] = Cnv.Win_Lo[kSlot];
      Cnv.Win_Hi[k] = Cnv.Win_Hi[kSlot];
      Cnv.Del_Multi[k] = Cnv.Del_Multi[kSlot];
      Cnv.Cc_Rad[k] = Cnv.Cc_Rad[kSlot];
      Cnv.Damp[k] = Cnv.Damp[kSlot];
      Cnv.NStps[k] = Cnv.NStps[kSlot];
      Cnv.CcRsz_Neg[k] = Cnv.CcRsz_Neg[kSlot];
      Cnv.CcRsz_Stat[k] = Cnv.CcRsz_Stat[kSlot];
      Cnv.Rsz_SzOut[k] = Cnv.Rsz_SzOut[kSlot];
      Cnv.Rsz_StpOut[k] = Cnv.Rsz_StpOut[kSlot];
    }
    ShowTrace(StrPrintf("OPSEQ:   RAV SEQCCFILEFIX: FIELDS=[%d]\n   IN FLNM=[%s]\n", n, first));
    PoolRun("SEQCCFILEFIX", workers);
  } else {
    ShowTrace(StrPrintf("OPSEQ:   SEQCCFILEFIX: FIELDS=[%d]\n   IN FLNM=[%s]\n", n, first));
    const int32_t ok = mode >= 1 ? CrossCorrSeqAryFix(kSlot, mode, first, second, oldShift, aves, ref, lo, hi, coLo, coHi)
                                 : CrossCorrSeqFileFix(kSlot, mode, first, second, oldShift, aves, ref, lo, hi, coLo, coHi);
    if (ok != 1) return Failed(run, "SEQCCFILEFIX");
  }
  Pause(3);
  ClearRange();
}

// ---- the commands of several argument lines ------------------------------------------

bool ValidChannel(int16_t c) { return c >= 0 && c <= 8; }

void ThzLinearize(Run& run) {
  Scanner one(run.args);
  if (one.Scan(ThzSettings.InChn, AomSettings.CalChn, ThzSettings.OutChn) != 3)
    return WrongCount(run, one, "THZLINEARIZE", "3");
  if (!ValidChannel(ThzSettings.InChn) || !ValidChannel(AomSettings.CalChn) || !ValidChannel(ThzSettings.OutChn))
    return Failed(run, "THZLINEARIZE");
  auto& names = Cnv.Out_Flnm[kSlot];
  run.ReadArgs();
  Scanner two(run.args);
  if (two.Scan(names[ThzSettings.InChn], names[ThzSettings.OutChn], names[AomSettings.CalChn], ThzSettings.WaveFlnm,
               ThzSettings.OpseqMin, ThzSettings.IntvSize, ThzSettings.OutFrqStp, Cnv.FFT_SmoothWin,
               ThzSettings.MinRes) != 9)
    return WrongCount(run, two, "THZLINEARIZE", "9");
  if (!Substitute("THZLINEARIZE: ENTER FILENAME SUB STRING?", names[ThzSettings.InChn], names[ThzSettings.OutChn],
                  names[AomSettings.CalChn], ThzSettings.WaveFlnm))
    return run.Fail("THZLINEARIZE\n\nOPERATIONAL SEQUENCE CMD FAILED\n\nABORTING");
  run.ReadArgs();
  Scanner three(run.args);
  if (three.Scan(ThzSettings.BegFrq, ThzSettings.EndFrq, Dsp.Init_Frq) != 3)
    return WrongCount(run, three, "THZLINEARIZE", "3");
  if (ThzSettings.IntvSize <= 0) return Failed(run, "THZLINEARIZE");  // no readings without points per reading
  if (!std::isfinite(ThzSettings.OutFrqStp * 100.0))
    return Refuse(run, "THZLINEARIZE", StrPrintf("OUT FRQ STP=[%g]", ThzSettings.OutFrqStp));
  Dsp.Pts_FSR = 100;
  Dsp.FSR = ThzSettings.OutFrqStp * 100.0;
  DspFrqStpSet(Dsp.FSR / 100.0);
  int64_t bytes = 0;
  platform::GetFileSize64(names[ThzSettings.InChn], &bytes);
  ThzSettings.LowerMk = 0;
  ThzSettings.UpperMk = static_cast<int32_t>((bytes / 4) / ThzSettings.IntvSize);
  ThzSettings.TotIntv = ThzSettings.UpperMk - ThzSettings.LowerMk;
  if (THzLinearization(kSlot, 1, 0) == 0 || THzLinearization(kSlot, 2, 0) == 0) return Failed(run, "THZLINEARIZE");
}

// Lines 2 to 4 of the repeated linearisation (channels, their names, the AOM settings).
bool ReadLinearizeLines(Run& run, const char* word) {
  const std::string prompt = std::string(word) + ": ENTER FILENAME SUB STRING?";
  Scanner two(run.args);
  if (two.Scan(ThzSettings.InChn, ThzSettings.OutChn, AomSettings.CalChn, AomSettings.MrkChn, AomSettings.ErrChn,
               AomSettings.Err2Chn) != 6) {
    WrongCount(run, two, word, "6");
    return false;
  }
  const int16_t chn[6] = {ThzSettings.InChn, ThzSettings.OutChn, AomSettings.CalChn, AomSettings.MrkChn,
                          AomSettings.ErrChn, AomSettings.Err2Chn};
  for (int16_t c : chn) {
    if (!ValidChannel(c)) {
      Failed(run, word);
      return false;
    }
  }
  auto& names = Cnv.Out_Flnm[kSlot];
  run.ReadArgs();
  Scanner three(run.args);
  if (three.Scan(names[chn[0]], names[chn[1]], names[chn[2]], names[chn[3]], names[chn[4]], names[chn[5]]) != 6) {
    WrongCount(run, three, word, "6");
    return false;
  }
  if (!Substitute(prompt.c_str(), names[chn[0]], names[chn[1]], names[chn[2]], names[chn[3]], names[chn[4]],
                  names[chn[5]])) {
    Failed(run, word);
    return false;
  }
  run.ReadArgs();
  Scanner four(run.args);
  if (four.Scan(AomSettings.RampStat, AomSettings.RampFlnm, AomSettings.RfScalar, AomSettings.Rev,
                AomSettings.MarkerCut, Dsp.Pts_FSR, Dsp.FSR, Cnl.Mks_Flnm) != 8) {
    WrongCount(run, four, word, "8");
    return false;
  }
  if (!Substitute(nullptr, Cnl.Mks_Flnm)) {
    Failed(run, word);
    return false;
  }
  return true;
}

void RepeatLinearize(Run& run, const char* word, bool showWindow) {
  const std::string flag = Scanner::FirstWord(run.args);
  if (flag != "TRUE" && flag != "FALSE") {
    return run.Fail(StrPrintf("DEBUG STRING MISSING IN [%s] - TRUE | FALSE NEEDED\n%s", run.commandFile.c_str(),
                              run.args.c_str()));
  }
  if (flag == "TRUE") DebugFileSet(119, 1, 0);
  run.ReadArgs();
  if (!ReadLinearizeLines(run, word)) return;
  run.ReadArgs();
  Scanner five(run.args);
  if (five.Scan(ThzSettings.MrkStat, ThzSettings.LockStat, ThzSettings.WavePlace, ThzSettings.WaveFlnm,
                ThzSettings.RepeatFlnm, ThzSettings.BegFrq, ThzSettings.EndFrq, ThzSettings.IntvSize,
                Cnv.FFT_SmoothWin, ThzSettings.OpseqMin, ThzSettings.OutFrqStp, ThzSettings.MinRes,
                ThzSettings.FsrScalar, Cnv.Damp[kSlot], Cnv.NStps[kSlot], Cnl.RejLvl) != 16)
    return WrongCount(run, five, word, "16");
  if (!Substitute(nullptr, ThzSettings.WaveFlnm, ThzSettings.RepeatFlnm)) return Failed(run, word);
  if (Dsp.Pts_FSR == 0) return Failed(run, word);  // no step per point without points per FSR
  if (!std::isfinite(Dsp.Pts_FSR * ThzSettings.OutFrqStp))
    return Refuse(run, word, StrPrintf("PTS/FSR=[%d] x OUT FRQ STP=[%g]", Dsp.Pts_FSR, ThzSettings.OutFrqStp));
  if (showWindow) {
    Dsp.DspMsgBuffer[0] = '\0';
    DspMsgShow(1, Win.hWnd_Main);
  }
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const double outStep = ThzSettings.OutFrqStp;
  const int32_t ok = THzLinearization(kSlot, 3, 0);
  if (showWindow) DspMsgShow(0, Win.hWnd_Main);
  if (ok == 0) {
    SetCursor(LoadCursor(nullptr, IDC_CROSS));
    return Failed(run, word);
  }
  ThzSettings.OutFrqStp = outStep;
  Dsp.FSR = Dsp.Pts_FSR * ThzSettings.OutFrqStp;
  Dsp.Init_Frq = 0.0;
  DspFrqStpSet(Dsp.FSR / Dsp.Pts_FSR);
  SetCursor(LoadCursor(nullptr, IDC_CROSS));
}
void RepeatLinearizeCommand(Run& run) { RepeatLinearize(run, "REPEATLINEARIZE", true); }
void NllsfFit(Run& run) { RepeatLinearize(run, "LSFFIT", false); }

void AomLinearize(Run& run) {
  if (!ReadLinearizeLines(run, "AOMLINEARIZE")) return;
  const int32_t* lim = OSIFileSlotLimits(kSlot);
  if (AomCalibrate(kSlot, lim[0], lim[1], 0, 0, 0, 0) != 1) return Failed(run, "AOMLINEARIZE");
}

void ShiftSect(Run& run) {
  int16_t c = 0, mode = 0;
  Name in{}, out{};
  int32_t ignored = 0, first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, Cnv.Shift_Cnt[kSlot], mode, Cnv.Seq_Sz[kSlot], Cnv.ShiftVal_Flnm, ignored, first, end);
  n = WithoutEmptyRange(n, 10, end);
  if ((n != 8 && n != 10) || StartsNumber(Cnv.ShiftVal_Flnm)) {
    if (sc.overlong()) return Failed(run, "SHIFTSECT_FILE");
    return run.Fail(StrPrintf("SHIFTSECT_FILE\n\n[%s] WRONG NUMBER [NEED 8+] OF PARAMETER ARGUMENTS | SHIFT FLNM "
                              "INVALID [%s] IN:\n%s",
                              run.keyword.c_str(), run.commandFile.c_str(), run.args.c_str()));
  }
  if (mode == 0) mode = 1;
  ShowTrace(StrPrintf("OPSEQ:   SHIFTSECT_FILE: FIELDS=[%d]\n   SEQ SZ=[%d] SHIFT PTS=[%d] SHIFT ID=[%d] SHIFT FLNM=[%s]\n",
                      sc.count(), Cnv.Seq_Sz[kSlot], Cnv.Shift_Cnt[kSlot], mode, Cnv.ShiftVal_Flnm));
  if (!Substitute(Prompt("SHIFTSECT_FILE").c_str(), Cnv.ShiftVal_Flnm)) return Failed(run, "SHIFTSECT_FILE");
  if (!OperateOnRange(run, "SHIFTSECT_FILE", nullptr, c, OSI_SHIFTSECT, in, out, mode, 1, n == 10, first, end))
    return;
  DspMsgShow(0, Win.hWnd_Main);
}

void BbmwSeqSplit(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t first = 0, end = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, in, out, Cnv.Seq_Sz[kSlot], Dsp.Frq_Stp, Cnv.Split_SegStp, Cnv.Split_BandCtr,
                      Cnv.Split_BandWidth, Cnv.Split_CtrGap, Cnv.SeqTbl_Flnm, first, end);
  n = WithoutEmptyRange(n, 12, end);
  if (n != 10 && n != 12) return WrongCount(run, sc, "BBMWSEQSPLIT", "9+");
  if (std::strcmp(Cnv.SeqTbl_Flnm, "None") == 0) {
    Cnv.SeqTbl_Flnm[0] = '\0';
  } else if (!Substitute(Prompt("BBMWSEQSPLIT").c_str(), Cnv.SeqTbl_Flnm)) {
    return Failed(run, "BBMWSEQSPLIT");
  }
  RangeOrClear(n == 12, first, end);
  if (!Operate(run, "BBMWSEQSPLIT", Prompt("BBMWSEQSPLIT").c_str(), c, OSI_BBMWSEQSPLIT, in, out, 0, 0)) return;
  SetChannel(c, out);
}

// One cut of CUTSECT_FILE, the points lo to hi (hi included), into out followed by the
// three-digit number k (k < 0: out), from an input of `points` points (-1: not known;
// the engine then says why it cannot be read). A section whose end equals its start
// holds that point; one whose end lies below its start, or that holds no point of the
// input (wholly before its first point or after its last), is refused, naming it.
bool CutInto(Run& run, int16_t c, Name& in, const Name& out, int32_t k, int32_t lo, int32_t hi, int16_t ask,
             int64_t points) {
  Name target{};
  const std::string name = k < 0 ? std::string(out) : std::string(out) + StrPrintf("%03d", k);
  if (name.size() >= kNameCap || !StrCopy(target, name.c_str())) {
    Failed(run, "CUTSECT_FILE");
    return false;
  }
  if (hi < lo) {
    Refuse(run, "CUTSECT_FILE", StrPrintf("SECTION [%s] LO:HI=[%d][%d]", name.c_str(), lo, hi));
    return false;
  }
  if (points >= 0 && (hi < 0 || lo >= points)) {
    run.Fail(StrPrintf("CUTSECT_FILE\n\nSECTION [%s] LO:HI=[%d][%d] LIES OUTSIDE FILE [%s] OF [%lld] POINTS\n\nABORTING",
                       name.c_str(), lo, hi, in, static_cast<long long>(points)));
    return false;
  }
  // The engine's range excludes its end; the last point a limit can name stands for
  // the end of the file.
  SetRange(lo, hi < INT32_MAX ? hi + 1 : hi);
  if (OSIFile(kSlot, c, OSI_CUTSECT, in, target, OSI_CUT_END_EXCLUDED, ask, 0) != 1) {
    Failed(run, "CUTSECT_FILE");
    return false;
  }
  return true;
}

// The next position of a sectioning file: blank lines are passed over; false at the end
// of the file or at a line that does not start with a number.
bool NextPosition(platform::TextFileReader& positions, int32_t* p) {
  std::string line;
  while (positions.ReadLineStart(line)) {
    if (Scanner::FirstWord(line).empty()) continue;
    return Scanner(line).Scan(*p) == 1;
  }
  return false;
}

void CutSect(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  int32_t loCut = 0, hiCut = 0, ept = 0, seq = 0, first = 0, end = 0;
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, in, out, loCut, hiCut, ept, seq, Cnv.SeqTbl_Flnm, first, end);
  if (n != 6 && n != 7 && n != 8 && n != 10) return WrongCount(run, sc, "CUTSECT_FILE", "6+");
  ShowTrace(StrPrintf("OPSEQ:   CUTSECT_FILE: FIELDS=[%d]\n   LO:HI CUT=[%d][%d] EPT_STAT=[%d] SEQ_SZ=[%d]\n   "
                      "SEQ_FLNM=[%s]\n",
                      n, loCut, hiCut, ept, seq, Cnv.SeqTbl_Flnm));
  if (!Substitute("CUT OUT SECT: ENTER FILENAME SUBSTITUTION STRING?", in, out)) return Failed(run, "CUTSECT_FILE");
  if (n >= 8 && std::strchr(Cnv.SeqTbl_Flnm, '?') && !Substitute(nullptr, Cnv.SeqTbl_Flnm))
    return Failed(run, "CUTSECT_FILE");
  const bool positionsFile = n >= 8 && Cnv.SeqTbl_Flnm[0] != '\0' && platform::FileExists(Cnv.SeqTbl_Flnm);
  const int32_t less = ept == 1 ? 1 : 0;
  int64_t bytes = 0;
  const bool sized = platform::GetFileSize64(in, &bytes) != FALSE;
  const int64_t total = bytes / 4;
  const int64_t points = sized ? total : -1;
  if (positionsFile) {
    DspMsgShowText(StrPrintf("      MULTIPLE SECTIONING BASED ON POSITIONS IN ASCII FILE=[%s]\n", Cnv.SeqTbl_Flnm).c_str(),
                   Win.hWnd_Main);
    run.LogLine(StrPrintf("CUTSECT_FILE\n\nUSING ASCII FILE=[%s] FOR SECTIONING\n", Cnv.SeqTbl_Flnm));
    Cnv.Lim_Stat[kSlot] = 1;
    platform::TextFileReader positions(255);
    if (!positions.Open(Cnv.SeqTbl_Flnm)) {
      return run.Fail(StrPrintf("CUTSECT_FILE\n\nFAILED TO OPEN ASCII FILE=[%s]\n\nABORTING", Cnv.SeqTbl_Flnm));
    }
    int32_t p0 = 0, p1 = 0;
    int64_t sum = 0;
    if (NextPosition(positions, &p0)) {
      for (int32_t k = 0; sum < total && NextPosition(positions, &p1); ++k) {
        if (!Fits32(int64_t{p1} - less))
          return Refuse(run, "CUTSECT_FILE", StrPrintf("POSITION=[%d] - EPT_STAT", p1));
        const int32_t lo = p0;
        sum += int64_t{p1} - p0;
        p0 = p1;
        if (!CutInto(run, c, in, out, k, lo, p1 - less, 1, points)) return;
      }
    }
  } else if (seq == 0) {
    DspMsgShowText("      ONE SEGMENT\n", Win.hWnd_Main);
    if (!Fits32(int64_t{hiCut} - less)) return Refuse(run, "CUTSECT_FILE", StrPrintf("HI CUT=[%d] - EPT_STAT", hiCut));
    if (!CutInto(run, c, in, out, -1, loCut, hiCut - less, 0, points)) return;
    SetChannel(c, out);
  } else {
    if (seq < 0) return Failed(run, "CUTSECT_FILE");  // a negative spacing would never reach the end
    DspMsgShowText(StrPrintf("      MULTIPLE SECTIONING BASED ON SEQUENCE SZ=[%d]\n", seq).c_str(), Win.hWnd_Main);
    Cnv.Lim_Stat[kSlot] = 1;
    int64_t from = first, to = end;
    if (end == 0) {
      from = 0;
      to = total;
    }
    DspMsgShowText(StrPrintf("         LO:HI LIMIT=[%lld][%lld]\n", static_cast<long long>(from), static_cast<long long>(to)).c_str(),
                   Win.hWnd_Main);
    int32_t k = 0;
    for (int64_t q = from; q < to; q += seq, ++k) {
      // Each window is the cut moved by q: it must stay a point number.
      if (!Fits32(loCut + q) || !Fits32(hiCut + q - less))
        return Refuse(run, "CUTSECT_FILE", StrPrintf("LO:HI CUT=[%d][%d] + [%lld]", loCut, hiCut, static_cast<long long>(q)));
      if (!CutInto(run, c, in, out, k, static_cast<int32_t>(loCut + q), static_cast<int32_t>(hiCut + q - less), 1,
                   points))
        return;
    }
  }
  ClearRange();
  Pause(1);
}

// ---- calibration commands -----------------------------------------------------------------

void PeakFind(Run& run) {
  double ignored = 0.0;
  Scanner sc(run.args);
  if (sc.Scan(Cnl.Mks_Flnm, Cnl.RampFlnm, Cnl.PtsAve, Cnl.CutScalar, ignored, Cnl.Inv, Cnl.FloatMin, Cnl.ScaleDiff) != 8)
    return WrongCount(run, sc, "PEAKFIND", "8");
  if (!Substitute(Prompt("PEAKFIND").c_str(), Cnl.Mks_Flnm, Cnl.RampFlnm) || PeakFindHWHM(kSlot) == 0)
    return Failed(run, "PEAKFIND");
  // A marker file without a marker has no spacing: the points per FSR stay as they were
  // rather than becoming 0, which every frequency step divides by.
  if (CsMkOpenRead(1) == 1) Dsp.Pts_FSR = Cnl.Mks_AveDif;
}

void JumpFind(Run& run) {
  int16_t mode = 0;
  Scanner sc(run.args);
  if (sc.Scan(mode, Cnl.Mks_Flnm, Cnl.RampFlnm, ThzSettings.WaveFlnm, Cnl.StpDif, Cnl.PtsAve, Cnl.IntvPts) != 7)
    return WrongCount(run, sc, "JUMPFIND", "7");
  if (!Substitute(Prompt("JUMPFIND").c_str(), Cnl.Mks_Flnm, Cnl.RampFlnm, ThzSettings.WaveFlnm) ||
      JumpPointFind(kSlot, mode) == 0)
    return Failed(run, "JUMPFIND");
}

// Vp and Vs come as texts: a number replaces the dialog's value, anything else keeps it.
bool TakeOffset(const char* text, float* value) {
  if (!StartsNumber(text)) return false;
  Scanner(text).Scan(*value);
  return true;
}

void Normalize(Run& run) {
  int16_t c = 0;
  Name in{}, out{}, vpText{}, vsText{};
  float vm = 0.0f, vc = 0.0f;
  int32_t fit = 0;
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnl.NrmPowFlnm, Cnl.NrmInvCut, Cnl.NrmRelative, vm, vpText, vsText, vc, fit, Cnl.AcStat,
              Cnv.FFT_SmoothWin) != 13)
    return WrongCount(run, sc, "NORMALIZE", "13");
  if (!Substitute(Prompt("NORMALIZE").c_str(), in, out, Cnl.NrmPowFlnm)) return Failed(run, "NORMALIZE");
  auto values = [](const char* head) {
    return StrPrintf("NORMALIZE\n\n%s\n\nVm=[%f]\nVp=[%f]\nVs=[%f]\nVc=[%f]", head, static_cast<double>(Cnl.NrmVm),
                     static_cast<double>(Cnl.NrmVp), static_cast<double>(Cnl.NrmVs), static_cast<double>(Cnl.NrmVc));
  };
  if (vm == 0.0f && fit == 0) {
    Cnl.NrmFit = 0;
    if (run.noAutoBlockYet) core_io::Info(values("DIALOG VALUES USED"));
  } else {
    Cnl.NrmFit = static_cast<uint32_t>(fit);
    Cnl.NrmVm = vm;
    Cnl.NrmVc = vc;
    const bool vpNumber = TakeOffset(vpText, &Cnl.NrmVp);
    const bool vsNumber = TakeOffset(vsText, &Cnl.NrmVs);
    if (run.noAutoBlockYet && (!vpNumber || !vsNumber)) core_io::Info(values("CURSOR DIALOG VALUES USED FOR OFFSETS"));
  }
  if (Cnl.NrmVm == 0.0f) Cnl.NrmVm = 1.0f;
  if (Cnl.NrmFit == 1) LsfPowerNrm(kSlot, in, Cnl.NrmPowFlnm, 0, 0, Cnl.RejLvl);
  if (OSIFile(kSlot, c, OSI_NORMALIZE, in, out, 0, 0, 0) != 1) return Failed(run, "NORMALIZE");
  SetChannel(c, out);
}

void Linearize(Run& run) {
  int16_t c = 0;
  int32_t first = 0, end = 0;
  double fsr = 0.0;
  int32_t pts = 0;
  Scanner sc(run.args);
  int32_t n = sc.Scan(c, Cnl.Lin_InFlnm, Cnl.Lin_OutFlnm, Cnl.Mks_Flnm, pts, fsr, first, end);
  n = WithoutEmptyRange(n, 8, end);
  if (n != 6 && n != 8) return WrongCount(run, sc, "LINEARIZE", "6+");
  if (pts == 0) return Failed(run, "LINEARIZE");  // no step per point without points per FSR
  if (!Substitute(Prompt("LINEARIZE").c_str(), Cnl.Lin_InFlnm, Cnl.Lin_OutFlnm, Cnl.Mks_Flnm))
    return Failed(run, "LINEARIZE");
  Dsp.Pts_FSR = pts;
  Dsp.FSR = fsr;
  DspFrqStpSet(fsr / pts);
  if (n == 8) {
    SetRange(first, end);
    Cnl.Mks_CursorStat = 1;
  } else {
    ClearRange();
    Cnl.Mks_CursorStat = 0;
  }
  if (CsMkOpenRead(1) != 1) {
    core_io::Warning(StrPrintf("LINEARIZE\n\nMARKER POSITIONS NOT DEFINED | DIFFERENCE ZERO\n\nCHECK MARKER POSITION "
                               "FLNM=[%s]\n\nABORTING",
                               Cnl.Mks_Flnm));
    run.CloseFiles();
    run.going = false;
    return;
  }
  if (CsF2ISetup() != 1) {
    core_io::Warning("LINEARIZE\n\nCUBIC SPLINE LINEARIZATION FAILED");
    run.CloseFiles();
    run.going = false;
    return;
  }
  ClearRange();
}

void Ascii2Bin(Run& run) {
  int16_t c = 0, x = 0, y = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, x, y, Cnv.Asc_First, Cnv.Asc_Last, Cnv.Asc_MinStp, Cnv.Asc_MaxStp, Cnv.Asc_OutRes) != 10)
    return WrongCount(run, sc, "ASCII2BIN", "10");
  // The conversion reads the fields 1 to 4 of a line: an intensity column is one of
  // them, the frequency column one of them or none (the line number).
  if (y < 1 || y > 4 || x < 0 || x > 4) return Failed(run, "ASCII2BIN");
  if (!Substitute("ASC2BIN: ENTER FILENAME SUB STRING?", in, out)) return Failed(run, "ASCII2BIN");
  AsciiInputNameSet(in);
  // The command writes the second output: its name, its column and its add flag; the
  // other two outputs take no column.
  StrCopy(Cnv.Asc_OutFlnm[1], out);
  Cnv.Asc_XCol = x;
  Cnv.Asc_YCol[0] = 0;
  Cnv.Asc_YCol[1] = y;
  Cnv.Asc_YCol[2] = 0;
  Cnv.Asc_Add[1] = 0;
  Cnv.Asc_OutFrqLo = Cnv.Asc_First;
  Cnv.Asc_OutFrqHi = Cnv.Asc_Last;
  core_io::Info(StrPrintf("ASCII2BIN PRMS\n\nX COL=[%d] Y COL=[%d]\n\nLIM_HI=[%d] LIM_LO=[%d]\n\nOUT RES=[%f]", x, y,
                          Cnv.Asc_First, Cnv.Asc_Last, Cnv.Asc_OutRes));
  if (CnvA2BFile(2, 0, 0) == 0) return Failed(run, "ASCII2BIN");
  SetChannel(c, out);
}

void D2F(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out) != 3) return WrongCount(run, sc, "D2F_FILE", "3");
  if (!Substitute(nullptr, in, out) || OSIFile(kSlot, c, OSI_DOUBLE2FLOAT, in, out, 0, 0, 0) != 1) {
    return Failed(run, "D2F_FILE");
  }
  SetChannel(c, out);
  ClearRange();
}

}  // namespace

Handler CommandHandler(int32_t index) {
  switch (index) {
    case 0: return &ChnSub;
    case 1: return &ChopSeq;
    case 2: return &FftWinSeq;
    case 3: return &FftSeqAry;
    case 4: return &FftSeqFile;
    case 5: return &Scale;
    case 7: return &Scale2Mks;
    case 17: return &ZeroSect;
    case 18: return &AddSect;
    case 19: return &ShiftSect;
    case 20: return &RepSect;
    case 23: return &SortFile;
    case 24: return &MultDiv;
    case 27: return &Calib;
    case 28: return &Normalize;
    case 33: return &AveDsp;
    case 34: return &BbmwSeqSplit;
    case 35: return &AveValue;
    case 36: return &CombIntg;
    case 39: return &SeqCmp;
    case 40: return &SeqRep;
    case 41: return &ResizeFile;
    case 44: return &SeqCc2File;
    case 25: return &PeakFind;
    case 26: return &JumpFind;
    case 29: return &Ascii2Bin;
    case 30: return &Linearize;
    case 31: return &ThzLinearize;
    case 32: return &RepeatLinearizeCommand;
    case 37: return &SeqCoadd;
    case 43: return &SeqCcFileFix;
    case 45: return &CoaddFile;
    case 46: return &NllsfFit;
    case 99: return &AomLinearize;
    case 6: return &Offset;
    case 14: return &Subtract;
    case 21: return &Append;
    case 38: return &SeqDup;
    case 42: return &LecroyDelete;
    case 47: return &S2F;
    case 48: return &L2F;
    case 50: return &DeleteFileCommand;
    case 51: return &Repack;
    case 52: return &SclOfs;
    case 53: return &MixingRatio;
    case 8: return &Sqr;
    case 9: return &Log10;
    case 10: return &NatLog;
    case 11: return &Smooth;
    case 12: return &Average;
    case 13: return &Deglitch;
    case 15: return &CutSect;
    case 16: return &NotValid;
    case 22: return &Reverse;
    case 49: return &D2F;
    case 54: return &NotValid;
    default:
      break;
  }
  if (index >= OPSEQ_KEYWORDS && index < OPSEQ_HANDLERS - 1) return &NotValid;
  return &NotAvailable;
}

}  // namespace opseq
