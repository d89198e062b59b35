#include "core/WorkText.h"

#include "core/FileIo.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"

namespace {

// The blanks between the fields of the working file.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool AllBlank(std::string_view text) {
  for (char c : text)
    if (!IsBlank(c)) return false;
  return true;
}

// The text is written in Windows-1252 and read back as UTF-8 when its bytes are valid
// UTF-8, else as Windows-1252: it comes back only when the code page has every
// character and its bytes do not read as another UTF-8 text.
bool CodePageKeeps(std::string_view text) {
  bool lossless = true;
  const std::string written = platform::Utf8ToCp1252(text, &lossless);
  return lossless && platform::ToUtf8(written) == text;
}

}  // namespace

const char* WorkTextFault(std::string_view text, WorkField field) {
  switch (field) {
    case WorkField::Name:
    case WorkField::RowName:
      if (text.empty()) return nullptr;
      for (char c : text)
        if (IsBlank(c)) return "HOLDS A BLANK";
      if (field == WorkField::Name && text.front() == '#') return "BEGINS WITH #";
      break;
    case WorkField::Comment: {
      if (AllBlank(text)) return nullptr;
      std::string_view line = text;
      if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.find_first_of("\r\n") != std::string_view::npos) return "HOLDS A LINE BREAK";
      size_t first = 0;
      while (IsBlank(line[first])) ++first;
      if (line[first] == '#') return "BEGINS WITH #";
      break;
    }
    case WorkField::DateTime:
      if (AllBlank(text)) return nullptr;
      if (text.front() == '#') return "BEGINS WITH #";
      break;
  }
  return CodePageKeeps(text) ? nullptr : "HOLDS A CHARACTER THE FILE CANNOT KEEP";
}

std::string WorkTextRefusal(const std::string& what, std::string_view text, const char* fault) {
  return StrPrintf("%s [%.*s] %s\n\nTHE WORKING FILE CANNOT STORE IT", what.c_str(), static_cast<int>(text.size()),
                   text.data(), fault ? fault : "");
}

bool WorkTextAccepted(const std::string& what, std::string_view text, WorkField field, const char* kept,
                      const std::string& head) {
  const char* fault = WorkTextFault(text, field);
  if (!fault) return true;
  std::string box = head.empty() ? std::string() : head + "\n\n";
  box += WorkTextRefusal(what, text, fault);
  box += StrPrintf("\n\nKEEPING [%s]", kept ? kept : "");
  core_io::Warning(box);
  return false;
}

std::string WorkTextTyped(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

bool ChannelNameAccepted(int c, const char* name) {
  if (c < 0 || c > 8) return false;
  return WorkTextAccepted(StrPrintf("CHN [%d] FILENAME", c), name ? name : "", WorkField::Name, Dsp.Chn_Flnm[c]);
}

bool ChannelNameSet(int c, const char* name) {
  if (!ChannelNameAccepted(c, name)) return false;
  StrCopy(Dsp.Chn_Flnm[c], name ? name : "");
  return true;
}
