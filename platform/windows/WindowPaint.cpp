// Painting contexts over the windows' backing surfaces, and PNG snapshots of a
// window with everything it shows, the layer's own controls drawn plainly.
#include <algorithm>
#include <cstring>

#include "platform/windows/WindowInternal.h"
#include "platform/gdi/PaintTools.h"

using namespace platform;
using namespace platform::detail;

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (!paint) return nullptr;
  cairo_surface_t* surface = nullptr;
  bool erase = false;
  RECT client;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return nullptr;
    surface = ClientSurface(*w);
    erase = w->needErase;
    w->needPaint = false;
    w->needErase = false;
    int cw = 0, ch = 0;
    ClientSize(*w, &cw, &ch);
    client = RECT{0, 0, cw, ch};
  }
  HDC dc = CreateDCForSurface(surface);
  paint->hdc = dc;
  paint->rcPaint = client;
  paint->fErase = FALSE;
  if (erase && dc) paint->fErase = SendMessage(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (paint && paint->hdc) DeleteDC(paint->hdc);
  DisplayChanged();
  return TRUE;
}

HDC GetDC(HWND window) {
  cairo_surface_t* surface = nullptr;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return nullptr;
    surface = ClientSurface(*w);
  }
  return CreateDCForSurface(surface);
}

int ReleaseDC(HWND, HDC dc) {
  DisplayChanged();
  return dc && DeleteDC(dc) ? 1 : 0;
}

// Fills the client area with the class background brush (DefWindowProc's erase).
void platform::detail::EraseWithClassBrush(HWND window, HDC dc) {
  HBRUSH brush = nullptr;
  RECT rc;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return;
    brush = w->cls->background;
    int cw = 0, ch = 0;
    ClientSize(*w, &cw, &ch);
    rc = RECT{0, 0, cw, ch};
  }
  if (brush) FillRect(dc, &rc, brush);
}

namespace {

using namespace platform::paint;

constexpr COLORREF kCaption = RGB(10, 36, 106);

struct Node {
  HWND handle = nullptr;
  std::string cls;
  std::string text;
  DWORD style = 0;
  int x = 0, y = 0, width = 0, height = 0;  // window rectangle in the target
  int clientX = 0, clientY = 0, clientW = 0, clientH = 0;
  int frame = 0, caption = 0;  // frame width and caption height
  RECT closeBox{0, 0, 0, 0};    // in window coordinates; empty without one
  bool topLevel = false;
  bool dialog = false;
  bool enabled = true;
  bool focused = false;
  int selStart = 0, selEnd = 0;  // of an edit
  HMENU menu = nullptr;
  HWND parent = nullptr;
  cairo_surface_t* surface = nullptr;  // referenced copy of the backing store
  std::vector<Node> children;
};

void Collect(Window* w, int x, int y, Node* node) {
  node->handle = w->handle;
  node->cls = w->cls->name;
  node->text = w->text;
  node->style = w->style;
  node->x = x;
  node->y = y;
  node->width = w->rect.right - w->rect.left;
  node->height = w->rect.bottom - w->rect.top;
  node->topLevel = !(w->style & WS_CHILD);
  node->dialog = w->dialog != nullptr;
  node->enabled = w->enabled;
  node->focused = FocusOfThread(w->thread) == w->handle;
  if (auto* edit = dynamic_cast<EditData*>(w->control.get())) {
    node->selStart = edit->selStart;
    node->selEnd = edit->selEnd;
  }
  node->menu = HasMenuBar(*w) ? w->menu : nullptr;
  node->parent = w->parent;
  int ox = 0, oy = 0;
  ClientOrigin(*w, &ox, &oy);
  ClientSize(*w, &node->clientW, &node->clientH);
  node->clientX = x + ox;
  node->clientY = y + oy;
  node->frame = FrameWidth(*w);
  node->caption = CaptionHeight(*w);
  node->closeBox = CloseBoxRect(*w);
  if (w->surface) node->surface = cairo_surface_reference(w->surface);
  for (HWND child : w->children) {
    Window* c = Find(child);
    if (!c || !c->visible || c->destroying) continue;
    Node sub;
    Collect(c, node->clientX + c->rect.left, node->clientY + c->rect.top, &sub);
    node->children.push_back(std::move(sub));
  }
}

void Release(Node* node) {
  if (node->surface) cairo_surface_destroy(node->surface);
  for (auto& c : node->children) Release(&c);
}

int TextWidthOn(HDC dc, const std::string& text) {
  if (text.empty()) return 0;
  SIZE size;
  if (!GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size)) return 0;
  return static_cast<int>(size.cx);
}

void DrawCheckMark(HDC dc, int x, int y, bool radio, UINT check) {
  Fill(dc, x, y, x + 12, y + 12, kWhite);
  Frame(dc, x, y, x + 12, y + 12, kBlack);
  if (check == BST_CHECKED) {
    if (radio) {
      Fill(dc, x + 3, y + 3, x + 9, y + 9, kBlack);
    } else {
      HPEN pen = CreatePen(PS_SOLID, 2, kBlack);
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, x + 2, y + 6, nullptr);
      LineTo(dc, x + 5, y + 9);
      LineTo(dc, x + 10, y + 2);
      SelectObject(dc, old);
      DeleteObject(pen);
    }
  }
}

void DrawStandardGlyph(HDC dc, int x, int y, int image) {
  static constexpr const char* kLabels[] = {"Cut", "Cpy", "Pst", "Und", "Red", "Del", "New", "Opn",
                                             "Sav", "Prv", "Prp", "?",   "Fnd", "Rpl", "Prn"};
  Fill(dc, x + 2, y + 2, x + kToolbarButton - 2, y + kToolbarButton - 2, kWhite);
  Frame(dc, x + 2, y + 2, x + kToolbarButton - 2, y + kToolbarButton - 2, kShadow);
  const char* label = (image >= 0 && image < 15) ? kLabels[image] : "";
  Label(dc, label, x, y, x + kToolbarButton, y + kToolbarButton, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP,
       kBlack);
}

void DrawToolbar(HDC dc, const Node& n) {
  Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, kFace);
  std::vector<TBBUTTON> buttons;
  std::vector<ToolbarImageStrip> strips;
  {
    WinGuard guard(WinLock());
    Window* w = Find(n.handle);
    auto* data = w ? dynamic_cast<ToolbarData*>(w->control.get()) : nullptr;
    if (!data) return;
    buttons = data->buttons;
    strips = data->strips;
  }
  int left = n.x + 4;
  int top = n.y + (kToolbarHeight - kToolbarButton) / 2;
  for (const auto& b : buttons) {
    if (b.fsStyle & TBSTYLE_SEP) {
      left += 8;
      continue;
    }
    const ToolbarImageStrip* strip = nullptr;
    for (const auto& s : strips)
      if (b.iBitmap >= s.first && b.iBitmap < s.first + s.count) strip = &s;
    bool drawn = false;
    if (strip && !strip->standard && strip->bitmap) {
      cairo_surface_t* image = SurfaceOfBitmap(strip->bitmap);
      if (image) {
        int h = cairo_image_surface_get_height(image);
        HDC src = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(src, strip->bitmap);
        int size = std::min(h, kToolbarButton);
        drawn = BitBlt(dc, left + (kToolbarButton - size) / 2, top + (kToolbarButton - size) / 2, size, size, src,
                       (b.iBitmap - strip->first) * h, 0, SRCCOPY) != 0;
        SelectObject(src, old);
        DeleteDC(src);
      }
    }
    if (!drawn) DrawStandardGlyph(dc, left, top, strip && strip->standard ? b.iBitmap - strip->first : -1);
    if (!(b.fsState & TBSTATE_ENABLED)) Frame(dc, left, top, left + kToolbarButton, top + kToolbarButton, kShadow);
    left += kToolbarButton + 2;
  }
}

void DrawStatusBar(HDC dc, const Node& n) {
  Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, kFace);
  std::vector<int> edges;
  std::vector<std::string> texts;
  {
    WinGuard guard(WinLock());
    Window* w = Find(n.handle);
    auto* data = w ? dynamic_cast<StatusData*>(w->control.get()) : nullptr;
    if (!data) return;
    edges = data->rightEdges;
    texts = data->texts;
  }
  const auto spans = StatusTextSpans(edges, texts, n.width);
  HFONT font = StatusFont();
  HGDIOBJ old = SelectObject(dc, font);
  int left = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    int right = (i < edges.size() && edges[i] >= 0) ? std::min(edges[i], n.width) : n.width;
    right = std::max(right, left);
    Frame(dc, n.x + left, n.y + 2, n.x + right - 2, n.y + n.height, kShadow);
    left = right;
  }
  for (size_t i = 0; i < texts.size(); ++i)
    if (!texts[i].empty())
      Label(dc, texts[i], n.x + spans[i].first + kStatusTextMargin, n.y + 3, n.x + spans[i].second - kStatusTextMargin,
           n.y + n.height, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, kBlack);
  SelectObject(dc, old);
  DeleteObject(font);
}

void DrawList(HDC dc, const Node& n) {
  Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, kWhite);
  Frame(dc, n.x, n.y, n.x + n.width, n.y + n.height, kShadow);
  ListData data;
  {
    WinGuard guard(WinLock());
    Window* w = Find(n.handle);
    auto* d = w ? dynamic_cast<ListData*>(w->control.get()) : nullptr;
    if (!d) return;
    data = *d;
  }
  int bar = (n.style & WS_VSCROLL) ? kListScrollBarWidth : 0;
  int rows = std::max(1, n.clientH / kListRowHeight);
  for (int r = 0; r < rows; ++r) {
    int index = data.top + r;
    if (index < 0 || index >= static_cast<int>(data.items.size())) break;
    int top = n.clientY + r * kListRowHeight;
    bool selected = index == data.selection;
    if (selected) Fill(dc, n.clientX, top, n.clientX + n.clientW - bar, top + kListRowHeight, kSelection);
    Label(dc, data.items[static_cast<size_t>(index)], n.clientX + 2, top, n.clientX + n.clientW - bar,
         top + kListRowHeight, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, selected ? kWhite : kBlack);
    // The focus frames the selected row (the first one shown while none of them is).
    const bool selectionShown = data.selection >= data.top && data.selection < data.top + rows;
    if (n.focused && (selected || (r == 0 && !selectionShown)))
      FocusFrame(dc, n.clientX, top, n.clientX + n.clientW - bar, top + kListRowHeight, selected ? kWhite : kBlack);
  }
  if (bar) {
    // The two arrows, each a button of half the height.
    const int l = n.clientX + n.clientW - bar, r = n.clientX + n.clientW, mid = n.clientY + n.clientH / 2;
    const bool held = data.heldArrow != 0 && data.onArrow;
    DrawArrowButton(dc, l, n.clientY, r, mid, 0, -1, held && data.heldArrow < 0);
    DrawArrowButton(dc, l, mid, r, n.clientY + n.clientH, 0, 1, held && data.heldArrow > 0);
  }
}

// A scroll-bar control: its two arrows, the track and the thumb (where it is held
// while it is dragged).
void DrawScrollBar(HDC dc, const Node& n) {
  ScrollData data;
  {
    WinGuard guard(WinLock());
    Window* w = Find(n.handle);
    auto* d = w ? dynamic_cast<ScrollData*>(w->control.get()) : nullptr;
    if (d) data = *d;
  }
  const bool vertical = (n.style & SBS_VERT) != 0;
  const int shown = data.pressed == ScrollPart::Thumb ? data.trackPosition : data.position;
  const ScrollLayout g = LayoutScrollBar(vertical, n.width, n.height, data.minimum, data.maximum, shown);
  // A stretch along the bar as a rectangle in the target.
  auto part = [&](int from, int to) {
    return vertical ? RECT{n.x, n.y + from, n.x + n.width, n.y + to} : RECT{n.x + from, n.y, n.x + to, n.y + n.height};
  };
  Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, RGB(234, 232, 226));
  const RECT up = part(0, g.arrow), down = part(g.length - g.arrow, g.length);
  const bool onPart = g.PartAt(data.along) == data.pressed;
  DrawArrowButton(dc, up.left, up.top, up.right, up.bottom, vertical ? 0 : -1, vertical ? -1 : 0,
                  data.pressed == ScrollPart::LineUp && onPart);
  DrawArrowButton(dc, down.left, down.top, down.right, down.bottom, vertical ? 0 : 1, vertical ? 1 : 0,
                  data.pressed == ScrollPart::LineDown && onPart);
  if (g.thumb > 0) {
    const RECT thumb = part(g.thumbStart, g.thumbStart + g.thumb);
    Fill(dc, thumb.left, thumb.top, thumb.right, thumb.bottom, kFace);
    Frame(dc, thumb.left, thumb.top, thumb.right, thumb.bottom, kShadow);
  }
}

void DrawSlider(HDC dc, const Node& n, int minimum, int maximum, int position, bool vertical) {
  Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, kFace);
  int span = std::max(1, maximum - minimum);
  double f = static_cast<double>(std::clamp(position, minimum, std::max(minimum, maximum)) - minimum) / span;
  if (vertical) {
    int cx = n.x + n.width / 2;
    Fill(dc, cx - 1, n.y + 4, cx + 2, n.y + n.height - 4, kShadow);
    int ty = n.y + 4 + static_cast<int>(f * std::max(0, n.height - 16));
    Fill(dc, n.x + 2, ty, n.x + n.width - 2, ty + 8, kWhite);
    Frame(dc, n.x + 2, ty, n.x + n.width - 2, ty + 8, kBlack);
  } else {
    int cy = n.y + n.height / 2;
    Fill(dc, n.x + 4, cy - 1, n.x + n.width - 4, cy + 2, kShadow);
    int tx = n.x + 4 + static_cast<int>(f * std::max(0, n.width - 16));
    Fill(dc, tx, n.y + 2, tx + 8, n.y + n.height - 2, kWhite);
    Frame(dc, tx, n.y + 2, tx + 8, n.y + n.height - 2, kBlack);
  }
}

void DrawControl(HDC dc, const Node& n) {
  COLORREF textColor = n.enabled ? kBlack : kShadow;
  if (n.cls == "BUTTON") {
    DWORD type = n.style & BS_TYPEMASK;
    UINT check = static_cast<UINT>(SendMessage(n.handle, BM_GETCHECK, 0, 0));
    if (type == BS_GROUPBOX) {
      Frame(dc, n.x, n.y + 6, n.x + n.width, n.y + n.height, kShadow);
      Label(dc, n.text, n.x + 6, n.y, n.x + n.width - 6, n.y + kCharHeight, DT_LEFT | DT_SINGLELINE, textColor);
    } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
               type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
      int top = n.y + (n.height - 12) / 2;
      DrawCheckMark(dc, n.x, top, type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON, check);
      Label(dc, n.text, n.x + 16, n.y, n.x + n.width, n.y + n.height, DT_LEFT | DT_VCENTER | DT_SINGLELINE, textColor);
      if (n.focused) {
        // The focus frames the label, a pixel clear of its ink; a box without a label
        // has its box framed.
        const int width = TextWidthOn(dc, n.text);
        const int middle = n.y + n.height / 2;
        if (width > 0)
          FocusFrame(dc, n.x + 14, std::max(n.y, middle - kCharHeight / 2 - 1), std::min(n.x + n.width, n.x + 18 + width),
                     std::min(n.y + n.height, middle + kCharHeight / 2 + 2), kBlack);
        else
          FocusFrame(dc, n.x - 2, top - 2, n.x + 14, top + 14, kBlack);
      }
    } else {
      Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, kFace);
      Frame(dc, n.x, n.y, n.x + n.width, n.y + n.height, type == BS_DEFPUSHBUTTON ? kBlack : kShadow);
      Label(dc, n.text, n.x, n.y, n.x + n.width, n.y + n.height, DT_CENTER | DT_VCENTER | DT_SINGLELINE, textColor);
      if (n.focused) Frame(dc, n.x + 3, n.y + 3, n.x + n.width - 3, n.y + n.height - 3, kShadow);
    }
  } else if (n.cls == "EDIT") {
    bool readOnly = (n.style & ES_READONLY) != 0;
    Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, readOnly ? kFace : kWhite);
    Frame(dc, n.x, n.y, n.x + n.width, n.y + n.height, kShadow);
    int size = static_cast<int>(n.text.size());
    int a = std::clamp(std::min(n.selStart, n.selEnd), 0, size);
    int b = std::clamp(std::max(n.selStart, n.selEnd), 0, size);
    if (n.focused && a != b) {
      int from = n.x + 3 + TextWidthOn(dc, n.text.substr(0, static_cast<size_t>(a)));
      int to = n.x + 3 + TextWidthOn(dc, n.text.substr(0, static_cast<size_t>(b)));
      Fill(dc, from, n.y + 2, std::min(to, n.x + n.width - 2), n.y + n.height - 2, RGB(173, 200, 230));
    }
    Label(dc, n.text, n.x + 3, n.y, n.x + n.width - 2, n.y + n.height, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
         textColor);
    if (n.focused && !readOnly) {
      int caret = n.x + 3 + TextWidthOn(dc, n.text.substr(0, static_cast<size_t>(std::clamp(n.selEnd, 0, size))));
      if (caret < n.x + n.width - 1) Fill(dc, caret, n.y + 3, caret + 1, n.y + n.height - 3, kBlack);
    }
  } else if (n.cls == "STATIC") {
    HBRUSH brush = nullptr;
    if (n.parent) {
      HDC probe = CreateCompatibleDC(nullptr);
      brush = reinterpret_cast<HBRUSH>(
          SendMessage(n.parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(probe), reinterpret_cast<LPARAM>(n.handle)));
      DeleteDC(probe);
    }
    RECT rc{n.x, n.y, n.x + n.width, n.y + n.height};
    if (brush) FillRect(dc, &rc, brush);
    DWORD kind = n.style & 0x1F;
    if (kind == SS_BLACKFRAME || (n.style & SS_SUNKEN)) Frame(dc, n.x, n.y, n.x + n.width, n.y + n.height, kBlack);
    if (kind == SS_BLACKRECT) Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, kBlack);
    UINT align = kind == SS_CENTER ? DT_CENTER : (kind == SS_RIGHT ? DT_RIGHT : DT_LEFT);
    Label(dc, n.text, n.x, n.y, n.x + n.width, n.y + n.height, align | DT_WORDBREAK, textColor);
  } else if (n.cls == "LISTBOX") {
    DrawList(dc, n);
  } else if (n.cls == "SCROLLBAR") {
    DrawScrollBar(dc, n);
  } else if (n.cls == "MSCTLS_TRACKBAR32") {
    int lo = static_cast<int>(SendMessage(n.handle, TBM_GETRANGEMIN, 0, 0));
    int hi = static_cast<int>(SendMessage(n.handle, TBM_GETRANGEMAX, 0, 0));
    int pos = static_cast<int>(SendMessage(n.handle, TBM_GETPOS, 0, 0));
    DrawSlider(dc, n, lo, hi, pos, (n.style & TBS_VERT) != 0);
    if (n.focused) FocusFrame(dc, n.x, n.y, n.x + n.width, n.y + n.height, kBlack);
  } else if (n.cls == "TOOLBARWINDOW32") {
    DrawToolbar(dc, n);
  } else if (n.cls == "MSCTLS_STATUSBAR32") {
    DrawStatusBar(dc, n);
  }
}

void DrawMenuBar(HDC dc, const Node& n, int top) {
  int left = n.clientX;
  Fill(dc, n.clientX, top, n.clientX + n.clientW, top + kMenuBarHeight, kFace);
  for (const auto& item : MenuItems(n.menu)) {
    if (item.flags & MF_SEPARATOR) continue;
    int width = static_cast<int>(item.text.size()) * kCharWidth + 12;
    Label(dc, item.text, left + 6, top, left + width, top + kMenuBarHeight, DT_LEFT | DT_VCENTER | DT_SINGLELINE,
         (item.flags & MF_GRAYED) ? kShadow : kBlack);
    left += width;
  }
}

void DrawNode(HDC dc, const Node& n) {
  if (n.topLevel) {
    Fill(dc, n.x, n.y, n.x + n.width, n.y + n.height, kFace);
    Frame(dc, n.x, n.y, n.x + n.width, n.y + n.height, kShadow);
    if (n.caption > 0) {
      int top = n.y + n.frame;
      Fill(dc, n.clientX, top, n.clientX + n.clientW, top + n.caption, kCaption);
      const RECT& box = n.closeBox;
      const bool closable = box.right > box.left;
      Label(dc, n.text, n.clientX + 4, top, closable ? n.x + box.left - 4 : n.clientX + n.clientW - 4, top + n.caption,
           DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, kWhite);
      if (closable) DrawCloseBox(dc, n.x + box.left, n.y + box.top, n.x + box.right, n.y + box.bottom);
      if (n.menu) DrawMenuBar(dc, n, top + n.caption);
    } else if (n.menu) {
      DrawMenuBar(dc, n, n.clientY - kMenuBarHeight);
    }
  }
  bool control = n.cls == "BUTTON" || n.cls == "EDIT" || n.cls == "STATIC" || n.cls == "LISTBOX" ||
                 n.cls == "SCROLLBAR" || n.cls == "MSCTLS_TRACKBAR32" || n.cls == "TOOLBARWINDOW32" ||
                 n.cls == "MSCTLS_STATUSBAR32";
  if (control) {
    DrawControl(dc, n);
  } else if (n.dialog) {
    Fill(dc, n.clientX, n.clientY, n.clientX + n.clientW, n.clientY + n.clientH, kFace);
  } else if (n.surface) {
    HDC src = CreateDCForSurface(n.surface);
    BitBlt(dc, n.clientX, n.clientY, n.clientW, n.clientH, src, 0, 0, SRCCOPY);
    DeleteDC(src);
  } else {
    Fill(dc, n.clientX, n.clientY, n.clientX + n.clientW, n.clientY + n.clientH, kWhite);
  }
  for (const auto& c : n.children) DrawNode(dc, c);
}

HFONT WindowFont() { return CreateFont(kCharHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans Mono"); }

}  // namespace

cairo_surface_t* platform::detail::ComposeWindow(HWND window) {
  Node root;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return nullptr;
    Collect(w, 0, 0, &root);
  }
  int width = std::max(1, root.width);
  int height = std::max(1, root.height);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  HDC dc = CreateDCForSurface(surface);
  HFONT font = WindowFont();
  HGDIOBJ oldFont = SelectObject(dc, font);
  Fill(dc, 0, 0, width, height, kWhite);
  DrawNode(dc, root);
  SelectObject(dc, oldFont);
  DeleteObject(font);
  DeleteDC(dc);
  Release(&root);
  cairo_surface_flush(surface);
  return surface;
}

namespace {

int WidthInFont(HFONT font, const std::string& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  int width = TextWidthOn(dc, text);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return width;
}

}  // namespace

int platform::detail::TextWidth(const std::string& text) { return text.empty() ? 0 : WidthInFont(WindowFont(), text); }

int platform::detail::StatusTextWidth(const std::string& text) {
  return text.empty() ? 0 : WidthInFont(StatusFont(), text);
}

std::vector<std::pair<int, int>> platform::detail::StatusTextSpans(const std::vector<int>& rightEdges,
                                                                   const std::vector<std::string>& texts, int width) {
  std::vector<int> rights;
  int left = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    int right = (i < rightEdges.size() && rightEdges[i] >= 0) ? std::min(rightEdges[i], width) : width;
    left = std::max(right, left);
    rights.push_back(left);
  }
  std::vector<std::pair<int, int>> spans;
  for (size_t i = 0; i < texts.size(); ++i) {
    size_t last = i;
    while (last + 1 < texts.size() && texts[last + 1].empty()) ++last;
    spans.emplace_back(i == 0 ? 0 : rights[i - 1], rights[last]);
  }
  return spans;
}

namespace {

BOOL Snapshot(HWND window, const char* path) {
  cairo_surface_t* surface = ComposeWindow(window);
  if (!surface) return FALSE;
  BOOL ok = WritePng(surface, path);
  cairo_surface_destroy(surface);
  return ok;
}

}  // namespace

BOOL platform::SnapshotWindow(HWND window, const char* path) {
  if (!path) return FALSE;
  BOOL ok = FALSE;
  if (!RunOnOwner(window, [&] { ok = Snapshot(window, path); })) return FALSE;
  return ok;
}
