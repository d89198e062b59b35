// The visible front end: one thread owns SDL, mirrors every visible top-level
// window into a native window and turns mouse and keyboard into posted messages.
//
// The front end never waits for another thread: a window's picture is composed on
// the window's own thread (handed over without waiting, serviced by its message
// loop or by any of its waits) and handed back; input is posted. Message boxes,
// common dialogs and pop-up menus are requested by the asking thread, which waits
// for the answer in a wait that keeps servicing messages sent to it.
#include "platform/frontend/FrontEnd.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

#include "platform/frontend/FrontEndLogic.h"
#include "platform/frontend/FrontEndX11.h"
#include "platform/kernel/Sync.h"

namespace platform {
namespace {

using namespace detail;
using namespace frontend;

constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr int kGrip = 12;  // the resize corner
// A scroll arrow or list arrow held down repeats, as the desktop system's: the first
// repeat after this long, then every kRepeatEvery milliseconds.
constexpr Uint32 kRepeatDelay = 350;
constexpr Uint32 kRepeatEvery = 50;

// A box or common dialog that a thread waits for.
struct PanelJob {
  std::unique_ptr<PanelController> controller;
  HWND owner = nullptr;  // the top-level window it belongs to (may be nullptr)
  DWORD thread = 0;      // the asking thread
  HANDLE done = nullptr;
  std::atomic<bool> abandoned{false};
};

// A tracked pop-up menu that a thread waits for.
struct PopupJob {
  HMENU menu = nullptr;
  HWND top = nullptr;
  int x = 0, y = 0;  // in the top-level window
  UINT chosen = 0;
  HANDLE done = nullptr;
  std::atomic<bool> abandoned{false};
};

struct Shared {
  std::mutex mutex;
  std::deque<std::shared_ptr<PanelJob>> newPanels;
  std::deque<std::shared_ptr<PopupJob>> newPopups;
  std::unordered_map<HWND, cairo_surface_t*> composed;  // pictures handed back by the windows' threads
  HWND activated = nullptr;  // the top-level window the program activated last, not yet raised
  std::atomic<bool> stop{false};
  std::atomic<uint32_t> wakeType{0};

  void Wake() {
    uint32_t type = wakeType.load();
    if (type == 0) return;
    SDL_Event event;
    SDL_zero(event);
    event.type = type;
    SDL_PushEvent(&event);
  }
};

struct Global {
  std::mutex mutex;
  std::shared_ptr<Shared> shared;
  std::thread thread;
  BoxAnswerer previousBox;
  CommonDialogAnswerer previousDialog;
  PopupChooser previousPopup;
  ActivationListener previousActivation;
  bool exitHook = false;
};

Global& G() {
  static auto* global = new Global();
  return *global;
}

HWND TopLevelOf(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  while (w && (w->style & WS_CHILD)) w = Find(w->parent);
  return w ? w->handle : nullptr;
}

// A window made from a dialog template (modal or modeless).
bool IsDialogWindow(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  return w && w->dialog;
}

// Waits for a job's answer; the wait keeps servicing messages sent to the caller.
template <typename Job>
void SubmitAndWait(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Job>& job,
                   std::deque<std::shared_ptr<Job>> Shared::*queue) {
  job->done = CreateEvent(TRUE, FALSE);
  struct Leave {
    std::shared_ptr<Shared> shared;
    std::shared_ptr<Job> job;
    ~Leave() {
      job->abandoned = true;  // gone from the screen if the wait was cut short
      shared->Wake();
      CloseHandle(job->done);
    }
  } leave{shared, job};
  {
    std::lock_guard<std::mutex> lock(shared->mutex);
    ((*shared).*queue).push_back(job);
  }
  shared->Wake();
  WaitForSingleObject(job->done, INFINITE);
}

// ---- the front-end thread ----------------------------------------------------------------------
struct Mirror {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  DWORD thread = 0;
  SDL_Window* window = nullptr;
  RECT layerRect;        // the window system's rectangle last seen
  std::string title;
  uint64_t generation = 0;  // display generation of the picture asked for last
  bool composing = false;
  cairo_surface_t* image = nullptr;
  bool present = false;
  std::shared_ptr<std::atomic<int>> pendingMoves = std::make_shared<std::atomic<int>>(0);
};

struct PanelWindow {
  std::shared_ptr<PanelJob> job;
  SDL_Window* window = nullptr;
  HWND before = nullptr;  // the window that had the keyboard when it opened
  bool present = true;
  bool held = false;
  bool focused = false;  // it has had the keyboard
};

struct Frame {
  DWORD style = 0;
  bool enabled = true;
  HMENU menu = nullptr;
  int width = 0, height = 0;
  int clientX = 0, clientY = 0;
  int frame = 0, caption = 0;  // frame width and caption height
  RECT rect;
};

Frame FrameOf(HWND hwnd) {
  Frame f;
  WinGuard guard(WinLock());
  Window* w = Find(hwnd);
  if (!w) return f;
  f.style = w->style;
  f.enabled = w->enabled;
  f.menu = HasMenuBar(*w) ? w->menu : nullptr;
  f.rect = w->rect;
  f.width = w->rect.right - w->rect.left;
  f.height = w->rect.bottom - w->rect.top;
  ClientOrigin(*w, &f.clientX, &f.clientY);
  f.frame = FrameWidth(*w);
  f.caption = CaptionHeight(*w);
  return f;
}

// The deepest visible child of window at the screen point (window itself when none).
HWND ChildAt(HWND window, POINT screen) {
  for (;;) {
    std::vector<HWND> children;
    {
      WinGuard guard(WinLock());
      Window* w = Find(window);
      if (!w) return window;
      children = w->children;
    }
    HWND hit = nullptr;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      if (!IsWindowVisible(*it)) continue;
      RECT r;
      if (GetWindowRect(*it, &r) && screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom) {
        hit = *it;
        break;
      }
    }
    if (!hit) return window;
    window = hit;
  }
}

HFONT WindowFont() { return CreateFont(kCharHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans Mono"); }

void Blit(SDL_Window* window, cairo_surface_t* surface) {
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target) return;
  SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, GetRValue(kFace), GetGValue(kFace), GetBValue(kFace)));
  if (surface) {
    cairo_surface_flush(surface);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(surface), cairo_image_surface_get_width(surface),
        cairo_image_surface_get_height(surface), 32, cairo_image_surface_get_stride(surface), SDL_PIXELFORMAT_RGB888);
    if (source) {
      SDL_BlitSurface(source, nullptr, target, nullptr);
      SDL_FreeSurface(source);
    }
  }
  SDL_UpdateWindowSurface(window);
}

// A borderless window shown at once, with its surface made: making the surface may
// create the window anew, on top of the others, so it is made before the window is
// stacked.
SDL_Window* CreateShownWindow(const char* title, int x, int y, int width, int height) {
  SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
  if (window) SDL_GetWindowSurface(window);
  return window;
}

class FrontEnd {
 public:
  explicit FrontEnd(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

  void Handle(const SDL_Event& e) {
    if (e.type == shared_->wakeType.load()) return;
    switch (e.type) {
      case SDL_WINDOWEVENT:
        OnWindowEvent(e.window);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        OnButton(e.button);
        break;
      case SDL_MOUSEMOTION:
        OnMotion(e.motion);
        break;
      case SDL_MOUSEWHEEL:
        OnWheel(e.wheel);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        OnKey(e.key);
        break;
      case SDL_TEXTINPUT:
        OnText(e.text);
        break;
      default:
        break;
    }
  }

  void Update() {
    TakeJobs();
    SyncMirrors();
    TakeActivation();
    TakePictures();
    ApplyDrag();
    RepeatHeldButton();
    for (auto& [hwnd, m] : mirrors_)
      if (m.present) Present(m);
    for (auto& p : panels_)
      if (p.present) PresentPanel(p);
    ShowMenus();
  }

  void Shutdown() {
    for (auto& p : panels_) FinishPanel(p, true);
    panels_.clear();
    if (popup_) FinishPopup(0);
    {
      std::lock_guard<std::mutex> lock(shared_->mutex);
      for (auto& job : shared_->newPanels) {
        job->controller->Abandon();
        SetEvent(job->done);
      }
      shared_->newPanels.clear();
      for (auto& job : shared_->newPopups) SetEvent(job->done);
      shared_->newPopups.clear();
      for (auto& [hwnd, surface] : shared_->composed) cairo_surface_destroy(surface);
      shared_->composed.clear();
    }
    for (auto& [hwnd, m] : mirrors_) DropMirror(m);
    mirrors_.clear();
    tracker_.Close();
    ShowMenus();
  }

 private:
  // ---- jobs -------------------------------------------------------------------------------------
  void TakeJobs() {
    std::deque<std::shared_ptr<PanelJob>> panels;
    std::deque<std::shared_ptr<PopupJob>> popups;
    {
      std::lock_guard<std::mutex> lock(shared_->mutex);
      panels.swap(shared_->newPanels);
      popups.swap(shared_->newPopups);
    }
    for (auto& job : panels) OpenPanel(job);
    for (auto& job : popups) OpenPopup(job);
    for (auto it = panels_.begin(); it != panels_.end();) {
      if (it->job->abandoned) {
        FinishPanel(*it, true);
        it = panels_.erase(it);
      } else {
        ++it;
      }
    }
    if (popup_ && popup_->abandoned) FinishPopup(0);
  }

  void OpenPanel(const std::shared_ptr<PanelJob>& job) {
    const Panel& panel = job->controller->panel;
    // Centred over its window (the screen without one) and kept on the screen.
    const RECT place = PlaceOver(job->owner, panel.width, panel.height);
    PanelWindow p;
    p.job = job;
    p.before = active_;
    p.window = CreateShownWindow(panel.title.c_str(), place.left, place.top, panel.width, panel.height);
    if (!p.window) {
      job->controller->Abandon();
      SetEvent(job->done);
      return;
    }
    auto owner = mirrors_.find(job->owner);
    if (owner != mirrors_.end() && owner->second.window) SDL_SetWindowModalFor(p.window, owner->second.window);
    Raise(p.window);
    panels_.push_back(std::move(p));
  }

  void FinishPanel(PanelWindow& p, bool abandon) {
    if (abandon) p.job->controller->Abandon();
    if (p.window) SDL_DestroyWindow(p.window);
    p.window = nullptr;
    SetEvent(p.job->done);
    // As on the desktop, the window that had the keyboard before the box gets it back
    // (a modeless dialog whose button showed a box owned by the main window).
    FocusAfterClose(p.job->owner, p.before);
  }

  // The keyboard goes back to the given window while it takes input, else to the
  // owner of a window that went away, else to the window used last, else to the
  // newest one.
  void FocusAfterClose(HWND owner, HWND before = nullptr) {
    if (before && !IsWindowEnabled(before)) before = nullptr;
    for (HWND candidate : {before, owner, active_}) {
      auto it = mirrors_.find(candidate);
      if (candidate && it != mirrors_.end() && it->second.window) {
        RaiseMirror(candidate);
        active_ = candidate;
        return;
      }
    }
    if (!mirrors_.empty()) {
      RaiseMirror(mirrors_.rbegin()->first);
      active_ = mirrors_.rbegin()->first;
    }
  }

  void OpenPopup(const std::shared_ptr<PopupJob>& job) {
    if (popup_) FinishPopup(0);
    auto it = mirrors_.find(job->top);
    if (it == mirrors_.end()) {
      SetEvent(job->done);
      return;
    }
    tracker_.StartPopup(job->menu, job->x, job->y, MenuBounds(job->top));
    if (!tracker_.Active()) {
      SetEvent(job->done);
      return;
    }
    trackerWindow_ = job->top;
    popup_ = job;
    it->second.present = true;
  }

  void FinishPopup(UINT chosen) {
    if (popup_) {
      popup_->chosen = chosen;
      SetEvent(popup_->done);
      popup_.reset();
    }
    if (tracker_.Active() && !tracker_.FromBar()) tracker_.Close();
    Repaint(trackerWindow_);
  }

  // The answer of a finished menu: a command goes to the window, or to the thread
  // that tracks the pop-up menu.
  void MenuResult(MenuTracker::Result result) {
    HWND window = trackerWindow_;
    if (result == MenuTracker::Result::Chosen || result == MenuTracker::Result::Closed) {
      UINT chosen = result == MenuTracker::Result::Chosen ? tracker_.Chosen() : 0;
      if (popup_) {
        FinishPopup(chosen);
      } else if (chosen) {
        PostMessage(window, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
      }
    }
    Repaint(window);
  }

  void Repaint(HWND hwnd) {
    auto it = mirrors_.find(hwnd);
    if (it != mirrors_.end()) it->second.present = true;
  }

  // ---- mirrors -----------------------------------------------------------------------------------
  void SyncMirrors() {
    struct Top {
      HWND hwnd;
      DWORD thread;
      RECT rect;
      std::string title;
      uint64_t serial;
    };
    std::vector<Top> tops;
    {
      WinGuard guard(WinLock());
      for (Window* w : AllWindows())
        if (!(w->style & WS_CHILD) && w->visible && !w->destroying)
          tops.push_back(Top{w->handle, w->thread, w->rect, w->text, w->serial});
    }
    std::sort(tops.begin(), tops.end(), [](const Top& a, const Top& b) { return a.serial < b.serial; });
    for (auto it = mirrors_.begin(); it != mirrors_.end();) {
      bool alive = std::any_of(tops.begin(), tops.end(), [&](const Top& t) { return t.hwnd == it->first; });
      if (alive) {
        ++it;
        continue;
      }
      if (trackerWindow_ == it->first) {
        if (popup_) FinishPopup(0);
        tracker_.Close();
        trackerWindow_ = nullptr;
      }
      if (capture_ && TopLevelOf(capture_) == nullptr) capture_ = nullptr;
      if (drag_.hwnd == it->first) drag_ = Drag{};
      HWND owner = it->second.owner;
      DropMirror(it->second);
      stack_.erase(std::remove(stack_.begin(), stack_.end(), it->first), stack_.end());
      it = mirrors_.erase(it);
      FocusAfterClose(owner);
    }
    uint64_t generation = DisplayGeneration();
    std::vector<HWND> restacked;
    for (const Top& t : tops) {
      auto found = mirrors_.find(t.hwnd);
      if (found == mirrors_.end()) {
        Mirror m;
        m.hwnd = t.hwnd;
        m.owner = GetWindow(t.hwnd, GW_OWNER);
        m.thread = t.thread;
        m.layerRect = t.rect;
        m.title = t.title;
        int width = std::max<int>(1, t.rect.right - t.rect.left);
        int height = std::max<int>(1, t.rect.bottom - t.rect.top);
        m.window = CreateShownWindow(t.title.c_str(), t.rect.left, t.rect.top, width, height);
        if (!m.window) continue;
        // An owned window stays above its owner, also for the desktop's window manager.
        auto owner = mirrors_.find(m.owner);
        if (owner != mirrors_.end() && owner->second.window) SDL_SetWindowModalFor(m.window, owner->second.window);
        Raise(m.window);
        OnTop(t.hwnd);
        for (auto& p : panels_)
          if (p.job->owner == t.hwnd) SDL_SetWindowModalFor(p.window, m.window);
        restacked.push_back(t.hwnd);
        found = mirrors_.emplace(t.hwnd, std::move(m)).first;
      }
      Mirror& m = found->second;
      if (m.title != t.title) {
        m.title = t.title;
        SDL_SetWindowTitle(m.window, t.title.c_str());
      }
      bool sameRect = m.layerRect.left == t.rect.left && m.layerRect.top == t.rect.top &&
                      m.layerRect.right == t.rect.right && m.layerRect.bottom == t.rect.bottom;
      if (!sameRect) {
        m.layerRect = t.rect;
        if (m.pendingMoves->load() == 0 && drag_.hwnd != m.hwnd) {
          SDL_SetWindowPosition(m.window, t.rect.left, t.rect.top);
          SDL_SetWindowSize(m.window, std::max<int>(1, t.rect.right - t.rect.left),
                            std::max<int>(1, t.rect.bottom - t.rect.top));
          m.present = true;
          restacked.push_back(t.hwnd);  // a resize raises the window on some displays
        }
      }
      if (m.generation != generation && !m.composing) RequestPicture(m, generation);
    }
    KeepAbove(restacked);
  }

  // Windows just shown or resized come up on top: the windows they own and the boxes
  // still open go above them again, and the newest box keeps the keyboard (a warning of
  // the start-up opens before the main window takes its size).
  void KeepAbove(const std::vector<HWND>& raised) {
    if (raised.empty()) return;
    for (HWND hwnd : raised) RaiseOwned(hwnd);
    RestackPanels();
    if (!panels_.empty()) SDL_SetWindowInputFocus(panels_.back().window);
  }

  void RequestPicture(Mirror& m, uint64_t generation) {
    m.composing = true;
    m.generation = generation;
    std::shared_ptr<Shared> shared = shared_;
    HWND hwnd = m.hwnd;
    bool posted = PostToOwner(hwnd, [shared, hwnd] {
      cairo_surface_t* surface = ComposeWindow(hwnd);
      {
        std::lock_guard<std::mutex> lock(shared->mutex);
        cairo_surface_t*& slot = shared->composed[hwnd];
        if (slot) cairo_surface_destroy(slot);
        slot = surface;
      }
      shared->Wake();
    });
    if (!posted) m.composing = false;
  }

  void TakePictures() {
    std::unordered_map<HWND, cairo_surface_t*> pictures;
    {
      std::lock_guard<std::mutex> lock(shared_->mutex);
      pictures.swap(shared_->composed);
    }
    for (auto& [hwnd, surface] : pictures) {
      auto it = mirrors_.find(hwnd);
      if (it == mirrors_.end()) {
        if (surface) cairo_surface_destroy(surface);
        continue;
      }
      Mirror& m = it->second;
      m.composing = false;
      if (!surface) continue;
      if (m.image) cairo_surface_destroy(m.image);
      m.image = surface;
      m.present = true;
    }
  }

  void DropMirror(Mirror& m) {
    if (m.image) cairo_surface_destroy(m.image);
    m.image = nullptr;
    if (m.window) SDL_DestroyWindow(m.window);
    m.window = nullptr;
  }

  void Present(Mirror& m) {
    m.present = false;
    if (!m.image) return;
    // The lit item of a menu bar is drawn over the window; the open menus are windows
    // of their own (ShowMenus).
    bool overlay = tracker_.Active() && tracker_.FromBar() && trackerWindow_ == m.hwnd;
    if (!overlay) {
      Blit(m.window, m.image);
      return;
    }
    int width = cairo_image_surface_get_width(m.image);
    int height = cairo_image_surface_get_height(m.image);
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(frame);
    cairo_set_source_surface(cr, m.image, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    HDC dc = CreateDCForSurface(frame);
    HFONT font = WindowFont();
    HGDIOBJ old = SelectObject(dc, font);
    tracker_.DrawBar(dc);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    Blit(m.window, frame);
    cairo_surface_destroy(frame);
  }

  void PresentPanel(PanelWindow& p) {
    p.present = false;
    const Panel& panel = p.job->controller->panel;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, panel.width), std::max(1, panel.height));
    HDC dc = CreateDCForSurface(surface);
    HFONT font = WindowFont();
    HGDIOBJ old = SelectObject(dc, font);
    panel.Draw(dc);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    Blit(p.window, surface);
    cairo_surface_destroy(surface);
  }

  static void Raise(SDL_Window* window) {
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
  }

  // Raises a window with the keyboard, and after it the windows it owns (a modeless
  // dialog stays above the main window when that is clicked or a box over it closes)
  // and the boxes still open, as the desktop system keeps them: those are only
  // restacked, so the keyboard stays with the window raised.
  void RaiseMirror(HWND hwnd) {
    auto it = mirrors_.find(hwnd);
    if (it == mirrors_.end() || !it->second.window) return;
    SDL_RaiseWindow(it->second.window);
    OnTop(hwnd);
    RaiseOwned(hwnd);
    RestackPanels();
    SDL_SetWindowInputFocus(it->second.window);
  }

  // The windows that hwnd owns, directly or through others, go above it, in the order
  // they stood in among themselves, without taking the keyboard.
  void RaiseOwned(HWND hwnd) {
    for (const HWND window : RaiseOrder(hwnd, OwnerTable())) {
      auto m = mirrors_.find(window);
      if (window == hwnd || m == mirrors_.end() || !m->second.window) continue;
      RestackAbove(m->second.window);
      OnTop(window);
    }
  }

  // The open boxes and dialogs of the front end go above every window.
  void RestackPanels() {
    for (auto& p : panels_) RestackAbove(p.window);
  }

  // The window is now the top of the stack the front end keeps.
  void OnTop(HWND hwnd) {
    stack_.erase(std::remove(stack_.begin(), stack_.end(), hwnd), stack_.end());
    stack_.push_back(hwnd);
  }

  // Each mirrored window with the window that owns it, from the bottom of the stack up.
  std::vector<std::pair<HWND, HWND>> OwnerTable() const {
    std::vector<std::pair<HWND, HWND>> table;
    for (const HWND hwnd : stack_) {
      auto m = mirrors_.find(hwnd);
      if (m != mirrors_.end()) table.emplace_back(hwnd, m->second.owner);
    }
    return table;
  }

  Mirror* MirrorOf(uint32_t windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    for (auto& [hwnd, m] : mirrors_)
      if (m.window == window && window) return &m;
    return nullptr;
  }

  PanelWindow* PanelOf(uint32_t windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    for (auto& p : panels_)
      if (p.window == window && window) return &p;
    return nullptr;
  }

  // A window is blocked while a box or dialog of its thread or for it is open, and
  // while it is disabled (its modal dialog is open); a click raises what blocks it.
  bool Blocked(const Mirror& m) {
    for (auto& p : panels_)
      if (p.job->owner == m.hwnd || p.job->thread == m.thread) {
        Raise(p.window);
        return true;
      }
    if (IsWindowEnabled(m.hwnd)) return false;
    for (auto& [hwnd, other] : mirrors_)
      if (GetWindow(hwnd, GW_OWNER) == m.hwnd && IsWindowEnabled(hwnd)) Raise(other.window);
    return true;
  }

  // The newest box or dialog of the front end that blocks the window (one of its thread
  // or one for it), nullptr when none does.
  PanelWindow* BlockingPanel(const Mirror& m) {
    for (auto it = panels_.rbegin(); it != panels_.rend(); ++it)
      if (it->job->owner == m.hwnd || it->job->thread == m.thread) return &*it;
    return nullptr;
  }

  // Where a key typed to window m goes, as on the desktop system, where what blocks a
  // window has the keyboard: a box blocking it (*panel), else the window itself while
  // it is enabled, else its modal dialog (the enabled window it owns that has its
  // thread's focus, else the highest one it owns), and so on. nullptr with *panel
  // unset: nowhere.
  Mirror* KeyTarget(Mirror* m, PanelWindow** panel) {
    *panel = nullptr;
    for (int depth = 0; m && depth < 8; ++depth) {
      if ((*panel = BlockingPanel(*m))) return nullptr;
      if (IsWindowEnabled(m->hwnd)) return m;
      Mirror* owned = nullptr;
      auto focused = mirrors_.find(TopLevelOf(FocusOfThread(m->thread)));
      if (focused != mirrors_.end() && focused->second.owner == m->hwnd && IsWindowEnabled(focused->first))
        owned = &focused->second;
      for (auto it = stack_.rbegin(); !owned && it != stack_.rend(); ++it) {
        auto other = mirrors_.find(*it);
        if (other != mirrors_.end() && other->second.owner == m->hwnd && IsWindowEnabled(*it)) owned = &other->second;
      }
      m = owned;
    }
    return nullptr;
  }

  // The program activated a top-level window (gave the focus to a window of it, or
  // activated it): as on the desktop system it comes up with the keyboard, as a window
  // clicked does, unless a box or its modal dialog blocks it, which keeps the keyboard.
  // Only the last activation counts; one of a window not on the screen yet is left to
  // its showing, which raises it.
  void TakeActivation() {
    HWND top = nullptr;
    {
      std::lock_guard<std::mutex> lock(shared_->mutex);
      std::swap(top, shared_->activated);
    }
    auto it = mirrors_.find(top);
    if (!top || it == mirrors_.end() || !it->second.window) return;
    if (BlockingPanel(it->second) || !IsWindowEnabled(top)) return;
    RaiseMirror(top);
    active_ = top;
  }

  void HandlePanel(PanelWindow& p, const PanelEvent& event) {
    if (event.kind == PanelEvent::Kind::None) return;
    p.present = true;
    if (!p.job->controller->Handle(event)) return;
    FinishPanel(p, false);
    auto it = std::find_if(panels_.begin(), panels_.end(), [&](const PanelWindow& w) { return &w == &p; });
    if (it != panels_.end()) panels_.erase(it);
  }

  // ---- input ----------------------------------------------------------------------------------------
  void OnWindowEvent(const SDL_WindowEvent& e) {
    if (MenuLevelOf(e.windowID) >= 0) {
      if (e.event == SDL_WINDOWEVENT_EXPOSED) menuShown_.clear();  // drawn again
      return;
    }
    if (PanelWindow* p = PanelOf(e.windowID)) {
      if (e.event == SDL_WINDOWEVENT_CLOSE) HandlePanel(*p, PanelEvent{PanelEvent::Kind::Command, p->job->controller->panel.cancelId});
      else if (e.event == SDL_WINDOWEVENT_EXPOSED) p->present = true;
      if (e.event == SDL_WINDOWEVENT_FOCUS_GAINED) p->focused = true;
      // The newest box takes the keyboard once it is on the screen: asked for while it
      // was not shown yet (one opened as the one before it closed), it was refused.
      if ((e.event == SDL_WINDOWEVENT_SHOWN || e.event == SDL_WINDOWEVENT_EXPOSED) && !p->focused &&
          p == &panels_.back())
        SDL_SetWindowInputFocus(p->window);
      return;
    }
    Mirror* m = MirrorOf(e.windowID);
    if (!m) return;
    switch (e.event) {
      case SDL_WINDOWEVENT_EXPOSED:
        m->present = true;
        break;
      case SDL_WINDOWEVENT_CLOSE:
        if (!Blocked(*m)) PostMessage(m->hwnd, WM_CLOSE, 0, 0);
        break;
      case SDL_WINDOWEVENT_MOVED:
        FollowWindowManager(*m, e.data1, e.data2);
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        // However the window came to be active (a click, the window manager), the
        // windows it owns stay above it, and a box that blocks it takes the keyboard.
        active_ = m->hwnd;
        RaiseOwned(m->hwnd);
        RestackPanels();
        if (PanelWindow* p = BlockingPanel(*m)) {
          SDL_SetWindowInputFocus(p->window);
        } else {
          // Activated by the window manager (its keys, a window closing) as by a
          // click: the focus leaves the window that had it first, so that a value
          // typed into a modeless dialog is taken before a key reaches this one.
          const HWND top = m->hwnd;
          PostToOwner(top, [top] { ActivateByUser(top); });
        }
        break;
      default:
        break;
    }
  }

  static WPARAM KeyFlags() {
    SDL_Keymod mod = SDL_GetModState();
    return ((mod & KMOD_SHIFT) ? MK_SHIFT : 0) | ((mod & KMOD_CTRL) ? MK_CONTROL : 0);
  }

  // Posts a mouse message to the window under the point (or the captured one).
  void PostMouse(HWND top, UINT message, WPARAM buttons, int x, int y, HWND target) {
    POINT screen;
    {
      WinGuard guard(WinLock());
      Window* w = Find(top);
      if (!w) return;
      screen.x = w->rect.left + x;
      screen.y = w->rect.top + y;
    }
    if (!target) target = ChildAt(top, screen);
    if (!IsWindowEnabled(target)) return;
    POINT client = screen;
    ScreenToClient(target, &client);
    PostMessage(target, message, buttons | KeyFlags(), MAKELPARAM(client.x, client.y));
  }

  void OnButton(const SDL_MouseButtonEvent& e) {
    bool down = e.type == SDL_MOUSEBUTTONDOWN;
    if (e.button == SDL_BUTTON_LEFT) {
      leftHeld_ = down;
      nextRepeat_ = SDL_GetTicks() + kRepeatDelay;
    }
    if (e.button == SDL_BUTTON_LEFT && !down && drag_.hwnd) {
      // The drag's last step, to where the button is let go, before it ends.
      drag_.moved = true;
      ApplyDrag();
      drag_ = Drag{};
      return;
    }
    if (int level = MenuLevelOf(e.windowID); level >= 0) {
      // A menu's own window: the point in the tracked window's coordinates.
      const MenuWindow& w = menuWindows_[static_cast<size_t>(level)];
      if (e.button != SDL_BUTTON_LEFT && e.button != SDL_BUTTON_RIGHT) return;
      MenuResult(down ? tracker_.MouseDown(e.x + w.x, e.y + w.y) : tracker_.MouseUp(e.x + w.x, e.y + w.y));
      return;
    }
    if (PanelWindow* p = PanelOf(e.windowID)) {
      if (e.button != SDL_BUTTON_LEFT) return;
      p->held = down;
      if (down) HandlePanel(*p, p->job->controller->panel.MouseDown(e.x, e.y, e.clicks, (KeyFlags() & MK_SHIFT) != 0));
      return;
    }
    // The program's activation that came before this press goes first, so that the
    // window pressed ends with the keyboard.
    if (down) TakeActivation();
    Mirror* m = MirrorOf(e.windowID);
    if (!m) return;
    HWND top = m->hwnd;
    if (down) {
      RaiseMirror(top);
      active_ = top;
    }
    if (tracker_.Active() && trackerWindow_ == top) {
      auto result = down ? tracker_.MouseDown(e.x, e.y) : tracker_.MouseUp(e.x, e.y);
      MenuResult(result);
      return;
    }
    if (tracker_.Active() && down) MenuResult((tracker_.Close(), MenuTracker::Result::Closed));
    if (e.button == SDL_BUTTON_LEFT && !down && closePressed_) {
      // The close box acts when the button is let go over it.
      const bool same = closePressed_ == top;
      closePressed_ = nullptr;
      if (same) ClickCloseBox(top, e.x, e.y);
      return;
    }
    // A window a box blocks takes no click: neither the press nor, when no press reached
    // a window, the release (let go over a control or the plot, it would act there once
    // the box has closed).
    if ((down || !capture_) && Blocked(*m)) return;
    // As on the desktop system, the window clicked is activated before the click
    // reaches it: the focus leaves the window that had it first (a value typed into a
    // modeless dialog is taken before a click on the main window acts).
    if (down) {
      PostToOwner(top, [top] { ActivateByUser(top); });
    }
    Frame f = FrameOf(top);
    bool left = e.button == SDL_BUTTON_LEFT;
    bool right = e.button == SDL_BUTTON_RIGHT;
    if (!left && !right) return;
    if (down && left && OnCloseBox(top, e.x, e.y)) {
      closePressed_ = top;
      return;
    }
    if (down && left) {
      bool caption = f.caption > 0 && e.y >= f.frame && e.y < f.frame + f.caption;
      if (caption || ((f.style & WS_THICKFRAME) && e.x >= f.width - kGrip && e.y >= f.height - kGrip)) {
        // Where the window was taken hold of: from its corner (a caption) or from its
        // far corner (the resize corner).
        drag_.hwnd = top;
        drag_.resize = !caption;
        drag_.grabX = caption ? e.x : e.x - f.width;
        drag_.grabY = caption ? e.y : e.y - f.height;
        return;
      }
      if (f.menu && e.y >= f.clientY - kMenuBarHeight && e.y < f.clientY) {
        std::vector<MenuItem> items = MenuItems(f.menu);
        int index = MenuBarItemAt(items, e.x - f.clientX);
        if (index >= 0) {
          tracker_.StartBar(f.menu, f.clientX, f.clientY - kMenuBarHeight, MenuBounds(top), index, true);
          trackerWindow_ = top;
          m->present = true;
        }
        return;
      }
    }
    WPARAM held = left ? MK_LBUTTON : MK_RBUTTON;
    SetKeyDown(left ? VK_LBUTTON : VK_RBUTTON, down);
    if (down) {
      POINT screen{f.rect.left + e.x, f.rect.top + e.y};
      HWND target = ChildAt(top, screen);
      capture_ = target;
      UINT message = left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
      // The second press of a double click lands on the control the first one did.
      const bool again = std::exchange(lastPressed_, target) == target;
      if (e.clicks >= 2 && again) {
        bool doubles = false;
        {
          WinGuard guard(WinLock());
          Window* w = Find(target);
          doubles = w && ((w->cls->style & CS_DBLCLKS) || w->cls->name == "LISTBOX");
        }
        if (doubles) message = left ? WM_LBUTTONDBLCLK : WM_RBUTTONDBLCLK;
      }
      PostMouse(top, message, held, e.x, e.y, target);
      return;
    }
    HWND target = capture_;
    capture_ = nullptr;
    if (target && ClassNameOf(target) == "BUTTON") {
      // A button released outside itself is not pressed.
      RECT r;
      GetWindowRect(target, &r);
      POINT screen{f.rect.left + e.x, f.rect.top + e.y};
      if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom) return;
    }
    if (target && TopLevelOf(target) != top) target = nullptr;
    PostMouse(top, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, e.x, e.y, target);
  }

  void OnMotion(const SDL_MouseMotionEvent& e) {
    if (drag_.hwnd) {
      drag_.moved = true;
      return;  // applied once per turn
    }
    if (int level = MenuLevelOf(e.windowID); level >= 0) {
      const MenuWindow& w = menuWindows_[static_cast<size_t>(level)];
      tracker_.MouseMove(e.x + w.x, e.y + w.y);
      return;
    }
    if (PanelWindow* p = PanelOf(e.windowID)) {
      HandlePanel(*p, p->job->controller->panel.MouseMove(e.x, e.y, p->held && (e.state & SDL_BUTTON_LMASK)));
      return;
    }
    Mirror* m = MirrorOf(e.windowID);
    if (!m) return;
    if (tracker_.Active() && trackerWindow_ == m->hwnd) {
      if (tracker_.MouseMove(e.x, e.y) != MenuTracker::Result::Ignored) m->present = true;
      return;
    }
    if (!IsWindowEnabled(m->hwnd)) return;
    WPARAM buttons = ((e.state & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0) | ((e.state & SDL_BUTTON_RMASK) ? MK_RBUTTON : 0);
    HWND target = capture_ && TopLevelOf(capture_) == m->hwnd ? capture_ : nullptr;
    PostMouse(m->hwnd, WM_MOUSEMOVE, buttons, e.x, e.y, target);
  }

  // Moves or resizes the dragged window to where the pointer is. The place is asked of
  // the display when the window is placed: a mouse event's point is relative to the
  // window, which the drag itself moves, so one that came before the last move would
  // put the window a step too far.
  void ApplyDrag() {
    if (!drag_.hwnd || !drag_.moved) return;
    drag_.moved = false;
    auto it = mirrors_.find(drag_.hwnd);
    if (it == mirrors_.end()) {
      drag_ = Drag{};
      return;
    }
    Mirror& m = it->second;
    PointerOnScreen(m.window, &drag_.pointerX, &drag_.pointerY);
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(m.window, &x, &y);
    SDL_GetWindowSize(m.window, &width, &height);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (drag_.resize) {
      width = std::max(120, drag_.pointerX - drag_.grabX - x);
      height = std::max(80, drag_.pointerY - drag_.grabY - y);
      SDL_SetWindowSize(m.window, width, height);
      flags |= SWP_NOMOVE;
    } else {
      x = drag_.pointerX - drag_.grabX;
      y = drag_.pointerY - drag_.grabY;
      SDL_SetWindowPosition(m.window, x, y);
      flags |= SWP_NOSIZE;
    }
    PlaceAsShown(m, x, y, width, height, flags);
  }

  // Gives the window the place or size its native window took (a drag of the front
  // end's own, the window manager's move or resize) as the program's own SetWindowPos
  // does, with WM_MOVE or WM_SIZE; until that is done the native window is not put back
  // where the window system had it.
  void PlaceAsShown(Mirror& m, int x, int y, int width, int height, UINT flags) {
    auto pending = m.pendingMoves;
    pending->fetch_add(1);
    HWND hwnd = m.hwnd;
    if (!PostToOwner(hwnd, [hwnd, x, y, width, height, flags, pending] {
          SetWindowPos(hwnd, nullptr, x, y, width, height, flags);
          pending->fetch_sub(1);
        }))
      pending->fetch_sub(1);
    m.present = true;
  }

  // A native window moved by the window manager (Alt and a drag, its keys): the window
  // follows. The places the front end gave it itself are the window's already, or on
  // their way to it. (The window manager does not resize them: their native windows
  // keep the size they are given.)
  void FollowWindowManager(Mirror& m, int x, int y) {
    if (drag_.hwnd == m.hwnd || m.pendingMoves->load() != 0) return;
    RECT r;
    if (!GetWindowRect(m.hwnd, &r) || (x == r.left && y == r.top)) return;
    PlaceAsShown(m, x, y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  }

  // A scroll bar or list held down with the left button repeats its press.
  void RepeatHeldButton() {
    if (!leftHeld_ || !capture_ || repeatPending_->load()) return;
    const Uint32 now = SDL_GetTicks();
    if (static_cast<int32_t>(now - nextRepeat_) < 0) return;
    const std::string cls = ClassNameOf(capture_);
    if (cls != "SCROLLBAR" && cls != "LISTBOX") return;
    nextRepeat_ = now + kRepeatEvery;
    // At most one repeat waits for the control's thread, as the desktop system's
    // timer message comes only when nothing else is queued.
    auto pending = repeatPending_;
    pending->store(true);
    HWND control = capture_;
    if (!PostToOwner(control, [control, pending] {
          pending->store(false);
          SendMessage(control, WM_TIMER, kHeldButtonTimer, 0);
        }))
      pending->store(false);
  }

  void OnWheel(const SDL_MouseWheelEvent& e) {
    int steps = e.y;
    if (e.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
    if (steps == 0) return;
    int mx = 0, my = 0;
    SDL_GetMouseState(&mx, &my);
    if (PanelWindow* p = PanelOf(e.windowID)) {
      HandlePanel(*p, p->job->controller->panel.Wheel(mx, my, steps));
      return;
    }
    Mirror* m = MirrorOf(e.windowID);
    if (!m || !IsWindowEnabled(m->hwnd)) return;
    Frame f = FrameOf(m->hwnd);
    HWND target = ChildAt(m->hwnd, POINT{f.rect.left + mx, f.rect.top + my});
    if (ClassNameOf(target) != "LISTBOX") return;
    // Three rows a notch; a list of one row steps its choice one row a notch, when it
    // has the arrows that step it (a one-row list without them is changed by a click
    // or the keys only).
    RECT rc{};
    GetClientRect(target, &rc);
    if (rc.bottom < 2 * kListRowHeight && !(GetWindowLongPtr(target, GWL_STYLE) & WS_VSCROLL)) return;
    const int lines = rc.bottom < 2 * kListRowHeight ? 1 : 3;
    for (int i = 0; i < std::abs(steps) * lines; ++i)
      PostMessage(target, WM_VSCROLL, steps > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
  }

  Mirror* KeyMirror(uint32_t windowId) {
    if (Mirror* m = MirrorOf(windowId)) return m;
    auto it = mirrors_.find(active_);
    return it == mirrors_.end() ? nullptr : &it->second;
  }

  void OnKey(const SDL_KeyboardEvent& e) {
    bool down = e.type == SDL_KEYDOWN;
    int vk = VirtualKeyOf(e.keysym.sym);
    bool shift = (e.keysym.mod & KMOD_SHIFT) != 0;
    bool ctrl = (e.keysym.mod & KMOD_CTRL) != 0;
    bool alt = (e.keysym.mod & KMOD_ALT) != 0;
    if (vk == VK_SHIFT || vk == VK_CONTROL) SetKeyDown(vk, down);
    if (vk == VK_MENU) {
      SetKeyDown(VK_MENU, down);
      if (down && !e.repeat) altAlone_ = true;
      if (!down && altAlone_) {
        altAlone_ = false;
        AltTapped(e.windowID);
      }
      return;
    }
    if (down) altAlone_ = false;
    if (vk == 0) return;
    if (PanelWindow* p = PanelOf(e.windowID)) {
      if (down) HandlePanel(*p, p->job->controller->panel.Key(vk, shift, ctrl));
      return;
    }
    // An open menu takes the keys, whichever window has the keyboard.
    if (tracker_.Active()) {
      if (down) MenuResult(tracker_.Key(vk));
      return;
    }
    if (!panels_.empty() && !MirrorOf(e.windowID)) {
      PanelWindow& p = panels_.back();
      if (down) HandlePanel(p, p.job->controller->panel.Key(vk, shift, ctrl));
      return;
    }
    Mirror* m = KeyMirror(e.windowID);
    if (!m) return;
    // A key is never dropped: one typed to a blocked window goes to what blocks it,
    // which takes the keyboard for the next ones.
    PanelWindow* panel = nullptr;
    Mirror* to = KeyTarget(m, &panel);
    if (panel) {
      if (!down) return;
      Raise(panel->window);
      HandlePanel(*panel, panel->job->controller->panel.Key(vk, shift, ctrl));
      return;
    }
    if (!to) return;
    if (to != m && down) Raise(to->window);
    m = to;
    if (down && alt) {
      if (vk == VK_F1 + 3) {  // Alt+F4 closes the window
        PostMessage(m->hwnd, WM_CLOSE, 0, 0);
        return;
      }
      Frame f = FrameOf(m->hwnd);
      if (f.menu) {
        std::vector<MenuItem> items = MenuItems(f.menu);
        for (size_t i = 0; i < items.size(); ++i)
          if (MnemonicOf(items[i].text) == vk) {
            // The letter opens its drop-down, or chooses a command on the bar itself.
            tracker_.StartBar(f.menu, f.clientX, f.clientY - kMenuBarHeight, MenuBounds(m->hwnd), static_cast<int>(i), false);
            trackerWindow_ = m->hwnd;
            m->present = true;
            MenuResult(tracker_.Key(vk));
            return;
          }
      }
    }
    // Escape in a dialog, modal or modeless, is its Cancel, whichever control has the
    // focus.
    if (vk == VK_ESCAPE && IsDialogWindow(m->hwnd)) {
      if (down)
        PostMessage(m->hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(m->hwnd, IDCANCEL)));
      return;
    }
    // The key goes to the focus the window's thread has when it takes the key from its
    // queue (kFollowFocusFlag): a key typed ahead follows the focus that the keys and
    // clicks before it moved, also to another window; to this window while the focus is
    // in none that takes input.
    HWND target = FocusOfThread(m->thread);
    if (!target || TopLevelOf(target) != m->hwnd) target = m->hwnd;
    const LPARAM held = (shift ? kShiftHeldFlag : 0) | (ctrl ? kControlHeldFlag : 0);
    LPARAM flags = (KeyTypesText(vk, ctrl) ? kTypedKeyFlag : 0) | kFollowFocusFlag | held;
    if (down) PostMessage(target, WM_KEYDOWN, static_cast<WPARAM>(vk), 1 | flags);
    else PostMessage(target, WM_KEYUP, static_cast<WPARAM>(vk), static_cast<LPARAM>(0xC0000001u) | kFollowFocusFlag | held);
  }

  void AltTapped(uint32_t windowId) {
    if (!panels_.empty()) return;
    Mirror* m = KeyMirror(windowId);
    if (!m) return;
    if (tracker_.Active()) {
      MenuResult((tracker_.Close(), MenuTracker::Result::Closed));
      return;
    }
    if (Blocked(*m)) return;
    Frame f = FrameOf(m->hwnd);
    if (!f.menu) return;
    tracker_.StartBar(f.menu, f.clientX, f.clientY - kMenuBarHeight, MenuBounds(m->hwnd), 0, false);
    trackerWindow_ = m->hwnd;
    m->present = true;
  }

  void OnText(const SDL_TextInputEvent& e) {
    std::string text = e.text;
    if (PanelWindow* p = PanelOf(e.windowID)) {
      HandlePanel(*p, p->job->controller->panel.Text(text));
      return;
    }
    if (!panels_.empty() && !MirrorOf(e.windowID)) {
      HandlePanel(panels_.back(), panels_.back().job->controller->panel.Text(text));
      return;
    }
    Mirror* m = KeyMirror(e.windowID);
    if (!m || tracker_.Active()) return;
    PanelWindow* panel = nullptr;
    m = KeyTarget(m, &panel);
    if (panel) {
      HandlePanel(*panel, panel->job->controller->panel.Text(text));
      return;
    }
    if (!m) return;
    if (SDL_GetModState() & KMOD_ALT) return;
    HWND target = FocusOfThread(m->thread);
    if (!target || TopLevelOf(target) != m->hwnd) target = m->hwnd;
    for (char c : text)
      PostMessage(target, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1 | kFollowFocusFlag);
  }

  struct Drag {
    HWND hwnd = nullptr;
    bool resize = false;
    bool moved = false;             // the pointer moved since the window was last placed
    int grabX = 0, grabY = 0;       // the grip, from the window's (or its far corner's) place
    int pointerX = 0, pointerY = 0; // the pointer on the screen when the window was last placed
  };

  // An open menu level in a borderless window of its own, above every other window.
  struct MenuWindow {
    SDL_Window* window = nullptr;
    int x = 0, y = 0, width = 0, height = 0;  // the level in the tracked window's coordinates
  };

  // The screen area in the coordinates of a top-level window: menus stay inside it.
  RECT MenuBounds(HWND top) {
    RECT area = ScreenArea();
    auto it = mirrors_.find(top);
    int wx = 0, wy = 0;
    if (it != mirrors_.end() && it->second.window) SDL_GetWindowPosition(it->second.window, &wx, &wy);
    return RECT{area.left - wx, area.top - wy, area.right - wx, area.bottom - wy};
  }

  int MenuLevelOf(uint32_t windowId) const {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    for (size_t i = 0; i < menuWindows_.size(); ++i)
      if (window && menuWindows_[i].window == window) return static_cast<int>(i);
    return -1;
  }

  // One native window for each open menu level, drawn again when the level changed.
  void ShowMenus() {
    std::vector<MenuTracker::Level> levels;
    if (tracker_.Active()) levels = tracker_.Levels();
    auto tracked = mirrors_.find(trackerWindow_);
    if (tracked == mirrors_.end() || !tracked->second.window) levels.clear();
    while (menuWindows_.size() > levels.size()) {
      SDL_DestroyWindow(menuWindows_.back().window);
      menuWindows_.pop_back();
    }
    if (levels.empty()) {
      menuShown_.clear();
      return;
    }
    int ox = 0, oy = 0;
    SDL_GetWindowPosition(tracked->second.window, &ox, &oy);
    std::vector<std::pair<int, std::string>> shown;
    for (size_t i = 0; i < levels.size(); ++i) {
      const MenuTracker::Level& l = levels[i];
      std::string look = std::to_string(reinterpret_cast<uintptr_t>(l.menu));
      shown.emplace_back(l.highlight, look);
      MenuWindow* w = i < menuWindows_.size() ? &menuWindows_[i] : nullptr;
      if (w && (w->x != l.x || w->y != l.y || w->width != l.width || w->height != l.height)) {
        SDL_DestroyWindow(w->window);
        menuWindows_.erase(menuWindows_.begin() + static_cast<std::ptrdiff_t>(i), menuWindows_.end());
        w = nullptr;
      }
      if (!w) {
        MenuWindow made{nullptr, l.x, l.y, l.width, l.height};
        made.window = SDL_CreateWindow("menu", ox + l.x, oy + l.y, std::max(1, l.width), std::max(1, l.height),
                                       SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR |
                                           SDL_WINDOW_SHOWN);
        if (!made.window) break;
        SDL_GetWindowSurface(made.window);
        RestackAbove(made.window);
        menuWindows_.push_back(made);
        menuShown_.clear();
      }
    }
    if (shown == menuShown_) return;
    menuShown_ = shown;
    for (size_t i = 0; i < menuWindows_.size(); ++i) {
      const MenuWindow& w = menuWindows_[i];
      cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, w.width), std::max(1, w.height));
      HDC dc = CreateDCForSurface(surface);
      HFONT font = WindowFont();
      HGDIOBJ old = SelectObject(dc, font);
      tracker_.DrawLevel(dc, i, -w.x, -w.y);
      SelectObject(dc, old);
      DeleteObject(font);
      DeleteDC(dc);
      Blit(w.window, surface);
      cairo_surface_destroy(surface);
    }
  }

  std::shared_ptr<Shared> shared_;
  std::map<HWND, Mirror> mirrors_;
  std::vector<PanelWindow> panels_;
  MenuTracker tracker_;
  HWND trackerWindow_ = nullptr;
  std::shared_ptr<PopupJob> popup_;
  HWND capture_ = nullptr;
  HWND lastPressed_ = nullptr;  // the window or control the last press reached
  HWND active_ = nullptr;
  HWND closePressed_ = nullptr;  // the window whose close box the left button went down on
  std::vector<HWND> stack_;      // the mirrored windows from the bottom up, as raised
  Drag drag_;
  std::vector<MenuWindow> menuWindows_;
  std::vector<std::pair<int, std::string>> menuShown_;  // what the menu windows show
  bool leftHeld_ = false;        // the left button is down
  Uint32 nextRepeat_ = 0;        // when a held scroll arrow repeats next
  std::shared_ptr<std::atomic<bool>> repeatPending_ = std::make_shared<std::atomic<bool>>(false);
  bool altAlone_ = false;
};

void Run(std::shared_ptr<Shared> shared, std::promise<bool>* started) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // A double click's second press lands within a few pixels of the first, as on the
  // desktop system (SDL's own radius, meant for touch screens, reaches the next row of
  // a list).
  SDL_SetHint(SDL_HINT_MOUSE_DOUBLE_CLICK_RADIUS, "4");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "qv95: no display (%s); running headless\n", SDL_GetError());
    started->set_value(false);
    return;
  }
  KeepXErrorsNonFatal();
  shared->wakeType = SDL_RegisterEvents(1);
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0)
    SetScreenArea(RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h});
  SDL_StartTextInput();
  started->set_value(true);
  {
    FrontEnd frontEnd(shared);
    while (!shared->stop.load()) {
      SDL_Event event;
      if (SDL_WaitEventTimeout(&event, 15)) {
        frontEnd.Handle(event);
        while (SDL_PollEvent(&event)) frontEnd.Handle(event);
      }
      frontEnd.Update();
    }
    frontEnd.Shutdown();
  }
  shared->wakeType = 0;
  SDL_Quit();
}

void InstallAnswerers(const std::shared_ptr<Shared>& shared, Global& g) {
  g.previousBox = SetBoxAnswerer([shared](const BoxRequest& request) {
    auto job = std::make_shared<PanelJob>();
    job->controller = MakeBoxPanel(request);
    job->owner = TopLevelOf(request.owner);
    job->thread = request.threadId;
    SubmitAndWait(shared, job, &Shared::newPanels);
    return job->controller->boxAnswer;
  });
  g.previousDialog = SetCommonDialogAnswerer([shared](const CommonDialogRequest& request) {
    auto job = std::make_shared<PanelJob>();
    job->controller = request.kind == CommonDialogKind::Print ? MakePrintPanel(request, PrinterNames())
                                                              : MakeFilePanel(request);
    job->owner = TopLevelOf(request.owner);
    job->thread = request.threadId;
    SubmitAndWait(shared, job, &Shared::newPanels);
    return job->controller->dialogAnswer;
  });
  g.previousActivation = SetActivationListener([shared](HWND top) {
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->activated = top;
    }
    shared->Wake();
  });
  g.previousPopup = SetPopupChooser([shared](const PopupRequest& request) -> UINT {
    HWND top = TopLevelOf(request.owner);
    if (!top) return 0;
    auto job = std::make_shared<PopupJob>();
    job->menu = request.menu;
    job->top = top;
    RECT rect;
    GetWindowRect(top, &rect);
    job->x = request.x - rect.left;
    job->y = request.y - rect.top;
    SubmitAndWait(shared, job, &Shared::newPopups);
    return job->chosen;
  });
}

}  // namespace

bool FrontEndAvailable() {
  const char* headless = std::getenv("QV95_HEADLESS");
  if (headless && *headless && std::strcmp(headless, "0") != 0) return false;
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

bool StartFrontEnd() {
  Global& g = G();
  std::lock_guard<std::mutex> lock(g.mutex);
  if (g.shared) return true;
  auto shared = std::make_shared<Shared>();
  std::promise<bool> started;
  std::future<bool> ready = started.get_future();
  std::thread thread(Run, shared, &started);
  if (!ready.get()) {
    thread.join();
    return false;
  }
  g.shared = shared;
  g.thread = std::move(thread);
  InstallAnswerers(shared, g);
  if (!g.exitHook) {
    g.exitHook = true;
    std::atexit([] { StopFrontEnd(); });
  }
  return true;
}

void StopFrontEnd() {
  Global& g = G();
  std::lock_guard<std::mutex> lock(g.mutex);
  if (!g.shared) return;
  SetBoxAnswerer(std::move(g.previousBox));
  SetCommonDialogAnswerer(std::move(g.previousDialog));
  SetPopupChooser(std::move(g.previousPopup));
  SetActivationListener(std::move(g.previousActivation));
  g.shared->stop = true;
  g.shared->Wake();
  if (g.thread.joinable()) g.thread.join();
  g.shared.reset();
}

bool FrontEndRunning() {
  Global& g = G();
  std::lock_guard<std::mutex> lock(g.mutex);
  return g.shared != nullptr;
}

}  // namespace platform
