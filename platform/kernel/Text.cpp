#include "platform/kernel/Text.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// Code points of the bytes 0x80..0x9F; the undefined ones keep their own value.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one well-formed UTF-8 sequence at text[i]; returns its length, 0 when the
// bytes there are not well-formed (overlong forms, surrogates and values past
// U+10FFFF included).
size_t DecodeUtf8(std::string_view text, size_t i, uint32_t* cp) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  size_t n = text.size();
  unsigned char c = s[i];
  if (c < 0x80) {
    *cp = c;
    return 1;
  }
  size_t len;
  uint32_t value;
  uint32_t minimum;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2, value = c & 0x1F, minimum = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3, value = c & 0x0F, minimum = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4, value = c & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + len > n) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((s[i + k] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (s[i + k] & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *cp = value;
  return len;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

template <class T>
bool ParseInteger(std::string_view text, T* value) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || !value) return false;
  T parsed{};
  auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
  *value = parsed;
  return true;
}

}  // namespace

size_t Utf8SafeLength(const char* text, size_t length) {
  if (length == 0) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  // Find the start of the last sequence (at most 3 continuation bytes back).
  size_t start = length;
  size_t back = 0;
  while (start > 0 && back < 4 && (s[start - 1] & 0xC0) == 0x80) {
    --start;
    ++back;
  }
  if (start == 0) return length;  // only continuation bytes: not UTF-8, leave it
  unsigned char lead = s[start - 1];
  size_t need;
  if (lead >= 0xC0 && lead <= 0xDF) {
    need = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 3;
  } else if (lead >= 0xF0 && lead <= 0xF7) {
    need = 4;
  } else {
    return length;  // ASCII or stray bytes: no sequence to protect
  }
  size_t have = length - (start - 1);
  return have < need ? start - 1 : length;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    uint32_t cp;
    size_t len = DecodeUtf8(text, i, &cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

uint32_t Cp1252ToCodePoint(uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
  return byte;
}

int CodePointToCp1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int k = 0; k < 32; ++k)
    if (kCp1252High[k] == cp) return 0x80 + k;
  return -1;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text) AppendUtf8(out, Cp1252ToCodePoint(static_cast<uint8_t>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view text, bool* lossless) {
  std::string out;
  out.reserve(text.size());
  bool exact = true;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    size_t len = DecodeUtf8(text, i, &cp);
    if (len == 0) {  // a byte that is not UTF-8
      out += '?';
      exact = false;
      ++i;
      continue;
    }
    int byte = CodePointToCp1252(cp);
    if (byte < 0) {
      out += '?';
      exact = false;
    } else {
      out += static_cast<char>(byte);
    }
    i += len;
  }
  if (lossless) *lossless = exact;
  return out;
}

std::string ToUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  return Cp1252ToUtf8(text);
}

bool ParseDouble(std::string_view text, double* value) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || !value) return false;
  double parsed = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
  *value = parsed;
  return true;
}

bool ParseInt32(std::string_view text, int32_t* value) { return ParseInteger(text, value); }
bool ParseInt64(std::string_view text, int64_t* value) { return ParseInteger(text, value); }

std::string FormatDouble(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace platform

using platform::Utf8SafeLength;

bool StrCopy(char* dst, size_t cap, const char* src) {
  if (!dst || cap == 0) return false;
  if (!src) src = "";
  size_t length = strnlen(src, cap);
  if (length < cap) {
    std::memmove(dst, src, length + 1);
    return true;
  }
  size_t keep = Utf8SafeLength(src, cap - 1);
  std::memmove(dst, src, keep);
  dst[keep] = '\0';
  return false;
}

bool StrAppend(char* dst, size_t cap, const char* src) {
  if (!dst || cap == 0) return false;
  size_t used = strnlen(dst, cap);
  if (used == cap) {
    dst[Utf8SafeLength(dst, cap - 1)] = '\0';
    return false;
  }
  return StrCopy(dst + used, cap - used, src);
}

bool StrFormatV(char* dst, size_t cap, const char* fmt, va_list args) {
  if (!dst || cap == 0) return false;
  if (!fmt) {
    dst[0] = '\0';
    return false;
  }
  int needed = std::vsnprintf(dst, cap, fmt, args);
  if (needed < 0) {
    dst[0] = '\0';
    return false;
  }
  if (static_cast<size_t>(needed) < cap) return true;
  dst[Utf8SafeLength(dst, cap - 1)] = '\0';
  return false;
}

bool StrFormat(char* dst, size_t cap, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  bool fit = StrFormatV(dst, cap, fmt, args);
  va_end(args);
  return fit;
}

bool StrAppendFormat(char* dst, size_t cap, const char* fmt, ...) {
  if (!dst || cap == 0) return false;
  size_t used = strnlen(dst, cap);
  if (used == cap) {
    dst[Utf8SafeLength(dst, cap - 1)] = '\0';
    return false;
  }
  va_list args;
  va_start(args, fmt);
  bool fit = StrFormatV(dst + used, cap - used, fmt, args);
  va_end(args);
  return fit;
}

std::string StrPrintfV(const char* fmt, va_list args) {
  if (!fmt) return std::string();
  char small[256];
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (needed < 0) return std::string();
  if (static_cast<size_t>(needed) < sizeof small) return std::string(small, static_cast<size_t>(needed));
  std::vector<char> big(static_cast<size_t>(needed) + 1);
  std::vsnprintf(big.data(), big.size(), fmt, args);
  return std::string(big.data(), static_cast<size_t>(needed));
}

std::string StrPrintf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = StrPrintfV(fmt, args);
  va_end(args);
  return text;
}
