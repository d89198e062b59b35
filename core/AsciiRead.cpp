#include "core/AsciiRead.h"

#include <string>

#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"

namespace {

bool IsFieldSeparator(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads the rest of the current line as a line reader with a 500-character buffer
// would: up to and including the line end, at most 499 characters. A CR before the
// line end is dropped, as a text-mode stream drops it.
std::string ReadLineRest(FILE* f) {
  std::string rest;
  while (rest.size() < ASCII_LINE_MAX - 1) {
    int c = std::fgetc(f);
    if (c == EOF) break;
    if (c == '\r') {
      int next = std::fgetc(f);
      if (next == '\n') {
        rest.push_back('\n');
        break;
      }
      if (next != EOF) std::ungetc(next, f);
      rest.push_back('\r');
      continue;
    }
    rest.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return rest;
}

// Reads the next blank-delimited field; false at end of file. An overlong field is
// cut to what a line may hold; the rest of it is consumed.
bool ReadField(FILE* f, std::string* field) {
  field->clear();
  int c;
  do {
    c = std::fgetc(f);
  } while (c != EOF && IsFieldSeparator(c));
  if (c == EOF) return false;
  while (c != EOF && !IsFieldSeparator(c)) {
    if (field->size() < ASCII_LINE_MAX - 1) field->push_back(static_cast<char>(c));
    c = std::fgetc(f);
  }
  if (c != EOF) std::ungetc(c, f);  // the separator belongs to the rest of the line
  return true;
}

}  // namespace

char* AsciiReadFields(FILE* f, char* out, int16_t n, size_t cap) {
  if (!out || cap == 0) return out;
  out[0] = '\0';
  if (!f) return out;
  int count = n;
  if (count < 0) {
    ReadLineRest(f);
    count = -count;
  }
  std::string text;
  std::string field;
  int fields = 0;
  while (ReadField(f, &field)) {
    if (field[0] == '#') {
      ReadLineRest(f);
      continue;
    }
    text += field;
    if (count == 0) {
      text += ReadLineRest(f);
      break;
    }
    if (++fields >= count) break;
    text.push_back(' ');
  }
  if (!platform::IsValidUtf8(text)) text = platform::Cp1252ToUtf8(text);
  StrCopy(out, cap, text.c_str());
  return out;
}

int32_t AsciiCountLines(const char* name, uint32_t* count) {
  if (count) *count = 0;
  if (!name) return 0;
  FILE* f = std::fopen(platform::MapPath(name).c_str(), "rb");
  if (!f) return 0;
  uint32_t lines = 0;
  std::string piece;
  for (;;) {
    // One piece as a 255-character line buffer gives it: up to 254 characters or
    // through the line end.
    piece.clear();
    int c = EOF;
    while (piece.size() < 254) {
      c = std::fgetc(f);
      if (c == EOF) break;
      piece.push_back(static_cast<char>(c));
      if (c == '\n') break;
    }
    if (piece.empty()) break;
    bool hasField = false;
    for (char ch : piece) {
      if (!IsFieldSeparator(static_cast<unsigned char>(ch))) {
        hasField = true;
        break;
      }
    }
    if (hasField && !(piece.size() > 1 && piece[1] == '/')) lines++;
    if (c == EOF) break;
  }
  std::fclose(f);
  if (count) *count = lines;
  return 1;
}
