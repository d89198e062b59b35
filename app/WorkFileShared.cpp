// Shared pieces of the working-file readers, writer and converters: token
// conversions, the scratch copy of the records, boxes, status texts and file names.
#include <cstring>
#include <memory>
#include <type_traits>

#include "app/WorkFile.h"
#include "app/WorkFileInternal.h"
#include "core/FileIo.h"
#include "platform/windows/Controls.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "platform/windows/Window.h"
#include "records/Dsp.h"
#include "records/Ga.h"
#include "records/OrvPrm.h"
#include "records/Quad.h"
#include "records/Sim.h"
#include "records/Win.h"

namespace workfile {

// ---- token conversions ----------------------------------------------------------------

namespace {

// The blanks between fields. A NUL is no blank: it stays inside its token, which then
// converts to nothing.
bool IsBlankByte(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

FieldScan::FieldScan(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlankByte(static_cast<unsigned char>(text[i]))) i++;
    size_t start = i;
    while (i < text.size() && !IsBlankByte(static_cast<unsigned char>(text[i]))) i++;
    if (i > start) tokens_.emplace_back(text.substr(start, i - start));
  }
}

const std::string* FieldScan::Next() {
  if (failed_ || pos_ >= tokens_.size()) {
    failed_ = true;
    return nullptr;
  }
  const std::string* token = &tokens_[pos_++];
  if (token->find('\0') != std::string::npos) {
    failed_ = bad_ = true;
    return nullptr;
  }
  return token;
}

bool FieldScan::Skip() { return Next() != nullptr; }

bool FieldScan::SkipInt() {
  const std::string* t = Next();
  int64_t v = 0;
  if (!t) return false;
  if (!platform::ParseInt64(*t, &v)) return failed_ = bad_ = true, false;
  return true;
}

bool FieldScan::SkipReal() {
  const std::string* t = Next();
  double v = 0;
  if (!t) return false;
  if (!platform::ParseDouble(*t, &v)) return failed_ = bad_ = true, false;
  return true;
}

bool FieldScan::Int(int64_t* value) {
  const std::string* t = Next();
  if (!t) return false;
  if (!platform::ParseInt64(*t, value)) return failed_ = bad_ = true, false;
  count_++;
  return true;
}

bool FieldScan::Hex(int64_t* value) {
  const std::string* t = Next();
  if (!t) return false;
  std::string_view s = *t;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty() || s.size() > 8) return failed_ = bad_ = true, false;
  int64_t v = 0;
  for (char c : s) {
    int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d < 0) return failed_ = bad_ = true, false;
    v = v * 16 + d;
  }
  *value = v;
  count_++;
  return true;
}

bool FieldScan::Real(double* value) {
  const std::string* t = Next();
  if (!t) return false;
  if (!platform::ParseDouble(*t, value)) return failed_ = bad_ = true, false;
  count_++;
  return true;
}

bool FieldScan::Text(char* dst, size_t cap) {
  const std::string* t = Next();
  if (!t) return false;
  if (t->size() + 1 > cap) return failed_ = bad_ = true, false;
  StrCopy(dst, cap, t->c_str());
  count_++;
  return true;
}

// ---- scratch copy of the records ------------------------------------------------------

#define WORKFILE_FIELDS(X)                                                                     \
  X(Dsp, Data_Dir) X(Dsp, Work_Flnm) X(Dsp, Work_Comment) X(Dsp, Work_Date) X(Dsp, Work_Time) \
  X(Dsp, Chn_Dig) X(Dsp, Chn_DspStat) X(Dsp, Chn_Flnm) X(Dsp, Chn_Scalar) X(Dsp, Chn_Offset)  \
  X(Dsp, Chn_ColorNo) X(Dsp, FL_SZ) X(Dsp, RGB) X(Dsp, Pts2Pxl) X(Dsp, FrqStpView)            \
  X(Dsp, Init_Frq) X(Dsp, FSR) X(Dsp, Pts_FSR) X(Dsp, Frq_Stp) X(Dsp, Units_Txt)              \
  X(Dsp, Harm_Txt) X(Dsp, Units_Idx) X(Dsp, Units_IdxData)                                    \
  X(Win, ViewKind) X(Win, ViewKind_Txt) X(Win, Active_Chn) X(Win, X_PAGES) X(Win, View_Level) \
  X(Sim, Dsp_Stat) X(Sim, Sim_Flnm) X(Sim, Dsp_Scalar) X(Sim, Dsp_Offset) X(Sim, Dsp_Slope)   \
  X(Sim, Dsp_Intercept) X(Sim, LS_GAU) X(Sim, LS_LOR) X(Sim, LS_Func) X(Sim, LS_WidthMode)    \
  X(Sim, LS_Span) X(Sim, LS_NOLWS) X(Sim, Dsp_Cnl) X(Sim, COLOR_NO) X(Sim, RGB)               \
  X(Sim, Sine_Stat) X(Sim, Sine_Amp) X(Sim, Sine_Period) X(Sim, Sine_Phase)                   \
  X(Sim, Sine_Damping) X(Sim, HT_Mass) X(Sim, HT_PPress) X(Sim, HT_Press) X(Sim, HT_Temp)     \
  X(Sim, HT_Path) X(Sim, HT_SelfFactor) X(Sim, HT_FrqLim) X(Sim, HT_Trans_Stat)               \
  X(Sim, HT_Torr_Stat) X(Sim, OH_Flnm) X(Sim, Pow_Flnm) X(Sim, Pow_Val) X(Sim, LineDb_Flnm)   \
  X(Sim, LineDb_Lbl)                                                                          \
  X(Sim, Label_Flnm) X(Sim, OH_Temp) X(OrvPrm, In_Flnm) X(Quad, In_Flnm) X(Ga, In_Flnm)

#define WORKFILE_MEMBER(rec, field) decltype(rec.field) rec##_##field;

}  // namespace workfile

struct workfile::WorkFileState {
  WORKFILE_FIELDS(WORKFILE_MEMBER)
};

namespace workfile {

// Copies one record field: plain data byte for byte, fields shared with the view
// thread (Shared<T>) element by element.
template <class T>
void CopyField(T& to, const T& from) {
  if constexpr (std::is_trivially_copyable_v<T>) {
    std::memcpy(&to, &from, sizeof(T));
  } else if constexpr (std::is_array_v<T>) {
    for (size_t i = 0; i < std::extent_v<T>; ++i) CopyField(to[i], from[i]);
  } else {
    to = from;
  }
}

WorkFileState* StateGather() {
  auto* s = new WorkFileState;
#define WORKFILE_GET(rec, field) CopyField(s->rec##_##field, rec.field);
  WORKFILE_FIELDS(WORKFILE_GET)
#undef WORKFILE_GET
  return s;
}

void StateApply(const WorkFileState& s) {
#define WORKFILE_PUT(rec, field) CopyField(rec.field, s.rec##_##field);
  WORKFILE_FIELDS(WORKFILE_PUT)
#undef WORKFILE_PUT
}

void StateFree(WorkFileState* state) { delete state; }

// ---- boxes, status, cursor ------------------------------------------------------------

void Warn(const char* text) { MessageBox(Win.hWnd_Main, text, "Warning", 0x1030); }
int Ask(const char* text) { return MessageBox(Win.hWnd_Main, text, "Question", 0x1024); }
void Info(const char* text) { MessageBox(Win.hWnd_Main, text, "Info", 0x1040); }

void Status(int part, const char* text) {
  if (Win.hWnd_StatusBar) SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

void WaitCursor(bool wait) { SetCursor(LoadCursor(nullptr, wait ? IDC_WAIT : IDC_CROSS)); }

// ---- files ----------------------------------------------------------------------------

std::string DataPath(const char* name) {
  if (!Dsp.Data_Dir[0]) return name;
  return std::string(Dsp.Data_Dir) + "\\" + name;
}

bool FileSize(const std::string& path, int64_t* bytes) {
  *bytes = 0;
  if (!platform::FileExists(path.c_str())) return false;
  return platform::GetFileSize64(path.c_str(), bytes) != FALSE;
}

bool ReadLinePiece(FILE* f, std::string* line, size_t max) {
  line->clear();
  int c = EOF;
  while (line->size() < max && (c = std::fgetc(f)) != EOF) {
    if (c == '\r') {
      int next = std::fgetc(f);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, f);
      }
    }
    if (c == '\n') return true;
    line->push_back(static_cast<char>(c));
  }
  return !line->empty();
}

bool ReadToken(FILE* f, std::string* token) {
  token->clear();
  int c;
  do {
    c = std::fgetc(f);
  } while (c != EOF && IsBlankByte(c));
  if (c == EOF) return false;
  while (c != EOF && !IsBlankByte(c)) {
    if (token->size() < 499) token->push_back(static_cast<char>(c));
    c = std::fgetc(f);
  }
  if (c != EOF) std::ungetc(c, f);
  if (!platform::IsValidUtf8(*token)) *token = platform::Cp1252ToUtf8(*token);
  return true;
}

FILE* OpenRead(const char* name) { return std::fopen(platform::MapPath(name).c_str(), "rb"); }

std::string QvwNameOf(const char* oldName) {
  std::string name = oldName;
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name + ".QVW";
  return name.substr(0, dot + 1) + "QVW";
}

bool MayReplace(const std::string& newName, const std::string& oldName, bool* declined) {
  if (!core_io::NameFits(newName, sizeof Dsp.Work_Flnm)) return false;
  if (!platform::FileExists(newName.c_str())) return true;
  std::string text = StrPrintf("FILE EXITS [%s]\n\nOVERWRITE [YES] | ABORT [NO]?", newName.c_str());
  if (Ask(text.c_str()) == IDYES) return true;
  Info(StrPrintf("[%s] NOT CONVERTED\n\nEXISTING WORKING FILE [%s] KEPT", oldName.c_str(), newName.c_str()).c_str());
  if (declined) *declined = true;
  return false;
}

int32_t WriteConverted(const std::string& newName) {
  char oldName[sizeof Dsp.Work_Flnm];
  StrCopy(oldName, Dsp.Work_Flnm);
  if (!StrCopy(Dsp.Work_Flnm, newName.c_str()) || !WorkFileWrite()) {
    StrCopy(Dsp.Work_Flnm, oldName);
    return 0;
  }
  return 1;
}

}  // namespace workfile
