// Bounded string helpers, the Windows-1252 code page and "C"-locale numbers.
//
// Every fixed-size text field is written through StrCopy, StrAppend or StrFormat:
// they always terminate the destination, truncate safely (a cut never splits a
// UTF-8 sequence; it backs up to the sequence's first byte) and return whether the
// whole text fit.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/kernel/WinTypes.h"

// Copies src (nullptr counts as "") into dst of cap bytes.
bool StrCopy(char* dst, size_t cap, const char* src);
// Appends src to the terminated text in dst of cap bytes. A dst without a
// terminator within cap is terminated at its last byte and the call fails.
bool StrAppend(char* dst, size_t cap, const char* src);
bool StrFormat(char* dst, size_t cap, const char* fmt, ...) QV_PRINTF(3, 4);
bool StrFormatV(char* dst, size_t cap, const char* fmt, va_list args) QV_PRINTF(3, 0);
// Appends formatted text to the terminated text in dst.
bool StrAppendFormat(char* dst, size_t cap, const char* fmt, ...) QV_PRINTF(3, 4);

template <size_t N>
bool StrCopy(char (&dst)[N], const char* src) {
  return StrCopy(dst, N, src);
}
template <size_t N>
bool StrAppend(char (&dst)[N], const char* src) {
  return StrAppend(dst, N, src);
}
template <size_t N>
bool StrFormat(char (&dst)[N], const char* fmt, ...) QV_PRINTF(2, 3);
template <size_t N>
bool StrFormat(char (&dst)[N], const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  bool fit = StrFormatV(dst, N, fmt, args);
  va_end(args);
  return fit;
}

template <size_t N>
bool StrAppendFormat(char (&dst)[N], const char* fmt, ...) QV_PRINTF(2, 3);
template <size_t N>
bool StrAppendFormat(char (&dst)[N], const char* fmt, ...) {
  char piece[N];
  va_list args;
  va_start(args, fmt);
  bool fit = StrFormatV(piece, N, fmt, args);
  va_end(args);
  return StrAppend(dst, N, piece) && fit;
}

// The formatted text as a string, never truncated.
std::string StrPrintf(const char* fmt, ...) QV_PRINTF(1, 2);
std::string StrPrintfV(const char* fmt, va_list args) QV_PRINTF(1, 0);

namespace platform {

// Length of the longest prefix of text[0..length) that ends on a UTF-8 sequence
// boundary: a trailing lead byte whose continuation bytes are missing is dropped.
size_t Utf8SafeLength(const char* text, size_t length);

bool IsValidUtf8(std::string_view text);

// Windows-1252 to UTF-8. The five bytes that code page leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) become the control characters U+0081... of the same
// value, so that any byte string survives the round trip unchanged.
std::string Cp1252ToUtf8(std::string_view text);
// UTF-8 to Windows-1252. Characters the code page lacks and bytes that are not
// valid UTF-8 become '?'; *lossless (when given) tells whether none did.
std::string Utf8ToCp1252(std::string_view text, bool* lossless = nullptr);
// One code point to its Windows-1252 byte, or -1 when the code page lacks it.
int CodePointToCp1252(uint32_t codePoint);
uint32_t Cp1252ToCodePoint(uint8_t byte);

// Text as UTF-8: valid UTF-8 stays, anything else is read as Windows-1252.
std::string ToUtf8(std::string_view text);

// ---- numbers in the "C" locale, whatever the process locale -------------------------
// The whole text (leading and trailing blanks allowed) must be the number.
bool ParseDouble(std::string_view text, double* value);
bool ParseInt32(std::string_view text, int32_t* value);
bool ParseInt64(std::string_view text, int64_t* value);
// Shortest text that reads back as the same double ("C" locale).
std::string FormatDouble(double value);

}  // namespace platform
