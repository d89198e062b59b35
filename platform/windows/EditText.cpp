// Caret editing of a single line of UTF-8 text.
#include "platform/windows/EditText.h"

#include <algorithm>

namespace platform {
namespace {

bool IsContinuation(const std::string& text, int at) {
  return at > 0 && at < static_cast<int>(text.size()) && (static_cast<unsigned char>(text[static_cast<size_t>(at)]) & 0xC0) == 0x80;
}

int PreviousBoundary(const std::string& text, int at) {
  if (at <= 0) return 0;
  --at;
  while (IsContinuation(text, at)) --at;
  return at;
}

int NextBoundary(const std::string& text, int at) {
  int size = static_cast<int>(text.size());
  if (at >= size) return size;
  ++at;
  while (IsContinuation(text, at)) ++at;
  return at;
}

void Clamp(EditLine& line) {
  int size = static_cast<int>(line.text.size());
  line.anchor = std::clamp(line.anchor, 0, size);
  line.caret = std::clamp(line.caret, 0, size);
  while (IsContinuation(line.text, line.anchor)) --line.anchor;
  while (IsContinuation(line.text, line.caret)) --line.caret;
}

bool EraseSelection(EditLine& line) {
  int a = std::min(line.anchor, line.caret);
  int b = std::max(line.anchor, line.caret);
  if (a == b) return false;
  line.text.erase(static_cast<size_t>(a), static_cast<size_t>(b - a));
  line.anchor = line.caret = a;
  return true;
}

}  // namespace

bool EditApplyKey(EditLine& line, EditKey key, bool extend) {
  Clamp(line);
  int size = static_cast<int>(line.text.size());
  bool selection = line.anchor != line.caret;
  int low = std::min(line.anchor, line.caret);
  int high = std::max(line.anchor, line.caret);
  switch (key) {
    case EditKey::Left:
      if (!extend && selection) line.caret = low;
      else line.caret = PreviousBoundary(line.text, line.caret);
      break;
    case EditKey::Right:
      if (!extend && selection) line.caret = high;
      else line.caret = NextBoundary(line.text, line.caret);
      break;
    case EditKey::Home:
      line.caret = 0;
      break;
    case EditKey::End:
      line.caret = size;
      break;
    case EditKey::SelectAll:
      line.anchor = 0;
      line.caret = size;
      return false;
    case EditKey::Delete:
      if (selection) return EraseSelection(line);
      if (line.caret >= size) return false;
      line.anchor = NextBoundary(line.text, line.caret);
      return EraseSelection(line);
    case EditKey::Backspace:
      if (selection) return EraseSelection(line);
      if (line.caret <= 0) return false;
      line.anchor = PreviousBoundary(line.text, line.caret);
      return EraseSelection(line);
  }
  if (!extend) line.anchor = line.caret;
  return false;
}

bool EditInsert(EditLine& line, const std::string& insert) {
  Clamp(line);
  int a = std::min(line.anchor, line.caret);
  int b = std::max(line.anchor, line.caret);
  if (static_cast<int>(line.text.size()) - (b - a) + static_cast<int>(insert.size()) > line.limit) return false;
  line.text.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), insert);
  line.anchor = line.caret = a + static_cast<int>(insert.size());
  return true;
}

void EditPlaceCaret(EditLine& line, int offset, bool extend) {
  line.caret = offset;
  if (!extend) line.anchor = offset;
  Clamp(line);
}

}  // namespace platform
