// The single-line commands of the operation-sequence language: argument scanning,
// the common messages and the handlers.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "convert/OpSeq.h"
#include "convert/OpSeqInternal.h"
#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "filelib/FileManip.h"
#include "fileproc/FileOps.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace opseq {

namespace {

constexpr int16_t kSlot = 1;
constexpr size_t kNameCap = 200;
using Name = char[kNameCap];

// Field scanning in the manner of a scan format: fields are read left to right,
// blank-separated, and the first field that does not convert ends the scan. A text
// field longer than its buffer is refused (and remembered).
class Scanner {
 public:
  explicit Scanner(std::string text) : text_(std::move(text)) {}
  int32_t count() const { return count_; }
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

void SetChannel(int16_t c, const char* name) {
  if (c >= 0 && c <= 8) StrCopy(Dsp.Chn_Flnm[c], name);
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

void Pause(DWORD seconds) {
  Sleep(seconds * 1000);
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
  if (n == 6 && end == 0) n = 4;
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
  if (number.Scan(value) == 1) Cnv.Scalar[kSlot] = value;
  if (n == 6) {
    SetRange(first, end);
  } else {
    ClearRange();
  }
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
    StrCopy(Dsp.Chn_Flnm[c], name);
    if (n >= 3) Dsp.Chn_Scalar[c] = scalar;
    if (n >= 4) Dsp.Chn_Offset[c] = offset;
    if (n >= 5) Dsp.Chn_DspStat[c] = static_cast<uint32_t>(dsp);
    if (n >= 6) Dsp.Chn_ColorNo[c] = colour;
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
    if (GetTextDialog() == 1) {
      Scanner reply(Dsp.GetTextValue);
      reply.Scan(Cnv.Offset[kSlot]);
    }
  } else if (std::strcmp(text, "AV") == 0) {
    Cnv.Offset[kSlot] = static_cast<float>(Cnv.Ave_Offset[kSlot]);
  } else {
    Scanner number(text);
    number.Scan(Cnv.Offset[kSlot]);
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
  if (n == 7 && end == 0) n = 5;
  if (n != 5 && n != 7) return WrongCount(run, sc, "LECROYDELETE", "5+");
  if (n == 7) {
    SetRange(first, end);
  } else {
    ClearRange();
  }
  if (!Operate(run, "LECROYDELETE", Prompt("LECROYDELETE").c_str(), c, OSI_LECROYDELETE, in, out, 0, 0)) return;
  SetChannel(c, out);
}

void Repack(Run& run) {
  int16_t c = 0;
  Name in{}, out{};
  Scanner sc(run.args);
  if (sc.Scan(c, in, out, Cnv.Seq_Cnt[kSlot], Cnv.Seq_Sz[kSlot], Cnv.Proc_Num[kSlot], Cnv.Proc_Sz[kSlot]) != 7)
    return WrongCount(run, sc, "REPACK_FILE", "7+");
  if (!Operate(run, "REPACK_FILE", nullptr, c, OSI_REPACK, in, out, 0, 0)) return;
  SetChannel(c, out);
  ClearRange();
}

void DeleteFileCommand(Run& run) {
  int16_t c = 0;
  Name in{};
  Scanner sc(run.args);
  const int32_t n = sc.Scan(c, in, Cnv.Del_Multi[kSlot]);
  if (n != 2 && n != 3) return WrongCount(run, sc, "DELETE_FILE", "2+");
  if (!Substitute(nullptr, in) || OSIFile(kSlot, c, OSI_DELETE, in, nullptr, 1, 0, 0) != 1)
    return Failed(run, "DELETE_FILE");
  if (n == 2) Cnv.Del_Multi[kSlot] = 0;
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
    case 5: return &Scale;
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
