// Caret editing of a single line of UTF-8 text: the edit control and the front
// end's own dialogs share it. The selection runs from the anchor to the caret; an
// empty selection is just the caret.
#pragma once

#include <string>

namespace platform {

struct EditLine {
  std::string text;
  int anchor = 0;  // byte offsets, always on character boundaries
  int caret = 0;
  int limit = 30000;  // the most bytes the text may hold
};

enum class EditKey { Left, Right, Home, End, Delete, Backspace, SelectAll };

// Applies a caret or deletion key; with extend (Shift held) the caret moves and the
// anchor stays. Returns true when the text changed.
bool EditApplyKey(EditLine& line, EditKey key, bool extend);
// Replaces the selection with insert (refused, returning false, past the limit).
bool EditInsert(EditLine& line, const std::string& insert);
// Places the caret (and with extend only the caret) at byte offset, moved back to
// a character boundary and into the text.
void EditPlaceCaret(EditLine& line, int offset, bool extend);
// The offset of the character boundary nearest to x pixels from the text's start,
// given the width of a prefix of the text.
template <typename WidthOf>
int EditOffsetAt(const std::string& text, int x, WidthOf widthOf) {
  int best = 0;
  int bestDistance = x < 0 ? -x : x;
  for (size_t i = 1; i <= text.size(); ++i) {
    if (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    int width = widthOf(text.substr(0, i));
    int distance = width > x ? width - x : x - width;
    if (distance < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = distance;
    }
    if (width > x) break;
  }
  return best;
}

}  // namespace platform
