// Window table, classes, message queues, sent and posted messages, painting and the
// window properties.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <unordered_map>

#include "platform/kernel/Error.h"
#include "platform/kernel/Sync.h"
#include "platform/windows/WindowInternal.h"

namespace platform::detail {
namespace {

// ---- window handle table (guarded by WinLock) -----------------------------------------
struct Slot {
  uint32_t generation = 1;
  std::unique_ptr<Window> window;
};
std::vector<Slot>& Slots() {
  static auto* slots = new std::vector<Slot>();
  return *slots;
}
std::vector<uint32_t>& FreeSlots() {
  static auto* free = new std::vector<uint32_t>();
  return *free;
}
std::unordered_map<std::string, std::shared_ptr<WindowClassRec>>& Classes() {
  static auto* classes = new std::unordered_map<std::string, std::shared_ptr<WindowClassRec>>();
  return *classes;
}
// Focus per thread (guarded by WinLock).
std::unordered_map<DWORD, HWND>& FocusTable() {
  static auto* focus = new std::unordered_map<DWORD, HWND>();
  return *focus;
}
// Shift (1) and Ctrl (2) as the key the calling thread handles was typed: set when
// the thread takes a key the front end posted, -1 again when it next looks at its queue
// (GetKeyState then reads the keyboard as it is).
thread_local int t_keyHeld = -1;
std::unordered_map<DWORD, HWND>& ActiveTable() {
  static auto* active = new std::unordered_map<DWORD, HWND>();
  return *active;
}
// The activation listener (guarded by WinLock).
ActivationListener& ActivationListenerSlot() {
  static auto* listener = new ActivationListener();
  return *listener;
}

std::array<std::atomic<bool>, 256>& KeyDown() {
  static auto* keys = new std::array<std::atomic<bool>, 256>();
  return *keys;
}
// The screen area top-level windows are placed in (guarded by WinLock).
RECT& ScreenAreaSlot() {
  static auto* area = new RECT{0, 0, 1280, 1024};
  return *area;
}
// rect moved inside the screen area, its size kept; the top-left corner wins when the
// rectangle is larger than the area.
RECT KeepOnScreenLocked(RECT rect) {
  const RECT& area = ScreenAreaSlot();
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  const LONG x = std::max(area.left, std::min(rect.left, area.right - width));
  const LONG y = std::max(area.top, std::min(rect.top, area.bottom - height));
  return RECT{x, y, x + width, y + height};
}

std::atomic<HCURSOR> g_cursor{nullptr};
std::atomic<uint64_t> g_serial{1};
std::atomic<uint64_t> g_display{1};

HWND EncodeWindow(uint32_t index, uint32_t generation) {
  uintptr_t value = (static_cast<uintptr_t>(generation) << 32) | (static_cast<uintptr_t>(index) + 1u);
  return reinterpret_cast<HWND>(value);
}

std::string UpperName(const char* name) {
  std::string result = name ? name : "";
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

// ---- message queues (guarded by the kernel lock) --------------------------------------
struct SentItem {
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  DWORD sender = 0;  // the thread that waits for the result
  std::function<void()> async;  // run instead of a message; nobody waits for it
};

struct ThreadQueue {
  DWORD id = 0;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentItem>> sent;
  bool quit = false;
  int quitCode = 0;
  bool paintPending = false;
  bool dead = false;
  IdleHook idle = nullptr;
  void* idleContext = nullptr;
};

std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>>& Queues() {
  static auto* queues = new std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>>();
  return *queues;
}

void RemoveWindowsOfThread(DWORD thread);

// Ends a thread's queue when the thread ends: pending sends fail, its windows go.
struct QueueGuard {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueGuard() {
    if (!queue) return;
    {
      auto lock = LockKernel();
      queue->dead = true;
      for (auto& item : queue->sent) item->done = true;  // result stays 0
      queue->sent.clear();
      Queues().erase(queue->id);
    }
    NotifyKernel();
    RemoveWindowsOfThread(queue->id);
  }
};
thread_local QueueGuard t_queue;
thread_local DWORD t_threadId = 0;

void ServiceHook() { ServiceSentMessages(); }

std::shared_ptr<ThreadQueue> MyQueue() {
  if (t_queue.queue) return t_queue.queue;
  auto queue = std::make_shared<ThreadQueue>();
  queue->id = CurrentThread();
  SetServiceHook(&ServiceHook);
  {
    auto lock = LockKernel();
    Queues()[queue->id] = queue;
  }
  t_queue.queue = queue;
  return queue;
}

std::shared_ptr<ThreadQueue> QueueOf(DWORD thread) {  // kernel lock held
  auto it = Queues().find(thread);
  return it == Queues().end() ? nullptr : it->second;
}

void MarkPaintPending(DWORD thread) {
  {
    auto lock = LockKernel();
    auto queue = QueueOf(thread);
    if (queue) queue->paintPending = true;
  }
  NotifyKernel();
}

// Private message that runs a function on the window's thread.
constexpr UINT kRunMessage = 0x7FF0;

LRESULT CallWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunMessage && wParam == 0x5255) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 1;
  }
  WNDPROC proc = nullptr;
  {
    WinGuard guard(WinLock());
    Window* w = Find(hwnd);
    if (!w) return 0;
    proc = w->proc;
  }
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

void RemoveWindowsOfThread(DWORD thread) {
  std::vector<std::unique_ptr<Window>> gone;  // released after the lock
  {
    WinGuard guard(WinLock());
    auto& slots = Slots();
    for (uint32_t i = 0; i < slots.size(); ++i) {
      if (slots[i].window && slots[i].window->thread == thread) {
        gone.push_back(std::move(slots[i].window));
        slots[i].generation++;
        FreeSlots().push_back(i);
      }
    }
    FocusTable().erase(thread);
    ActiveTable().erase(thread);
  }
}

bool IsAncestorChainVisible(const Window* w) {
  while (w) {
    if (!w->visible) return false;
    w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr;
  }
  return true;
}

// Finds a window of the calling thread that needs painting.
bool FindPaint(MSG* msg, HWND filter) {
  auto queue = MyQueue();
  {
    auto lock = LockKernel();
    if (!queue->paintPending) return false;
    queue->paintPending = false;
  }
  DWORD self = CurrentThread();
  HWND found = nullptr;
  {
    WinGuard guard(WinLock());
    for (Window* w : AllWindows()) {
      if (w->thread != self || !w->needPaint || w->destroying) continue;
      if (filter && w->handle != filter) continue;
      if (!IsAncestorChainVisible(w)) continue;
      found = w->handle;
      break;
    }
  }
  if (!found) return false;
  {
    auto lock = LockKernel();
    queue->paintPending = true;  // there may be more
  }
  *msg = MSG{};
  msg->hwnd = found;
  msg->message = WM_PAINT;
  return true;
}

// A key or character the front end posted goes to the window with the calling thread's
// focus now, while that is a shown window that takes input.
void FollowFocus(MSG* msg) {
  if ((msg->message != WM_KEYDOWN && msg->message != WM_KEYUP && msg->message != WM_CHAR) ||
      !(msg->lParam & kFollowFocusFlag))
    return;
  const bool key = msg->message != WM_CHAR;
  const int held = ((msg->lParam & kShiftHeldFlag) ? 1 : 0) | ((msg->lParam & kControlHeldFlag) ? 2 : 0);
  msg->lParam &= ~(kFollowFocusFlag | kShiftHeldFlag | kControlHeldFlag);
  if (key) t_keyHeld = held;
  WinGuard guard(WinLock());
  auto it = FocusTable().find(CurrentThread());
  Window* focus = it == FocusTable().end() ? nullptr : Find(it->second);
  if (!focus || focus->destroying || !focus->enabled || !IsAncestorChainVisible(focus)) return;
  Window* top = TopLevelLocked(focus->handle);
  if (top && top->enabled) msg->hwnd = focus->handle;
}

bool TakePosted(MSG* msg, bool remove, bool* quit) {
  t_keyHeld = -1;  // the key taken before is handled
  auto queue = MyQueue();
  bool posted = false;
  {
    auto lock = LockKernel();
    if (!queue->posted.empty()) {
      *msg = queue->posted.front();
      if (remove) queue->posted.pop_front();
      *quit = msg->message == WM_QUIT;
      posted = true;
    } else if (queue->quit) {
      *msg = MSG{};
      msg->message = WM_QUIT;
      msg->wParam = static_cast<WPARAM>(queue->quitCode);
      if (remove) queue->quit = false;
      *quit = true;
      return true;
    }
  }
  if (posted) FollowFocus(msg);  // the window system's lock, never under the kernel's
  return posted;
}

enum class IdleTurn { None, Again, Poll };

IdleTurn RunIdleHook() {
  auto queue = MyQueue();
  IdleHook hook;
  void* context;
  {
    auto lock = LockKernel();
    hook = queue->idle;
    context = queue->idleContext;
  }
  if (!hook) return IdleTurn::None;
  switch (hook(context)) {
    case IdleResult::Again:
      return IdleTurn::Again;
    case IdleResult::Poll:
      return IdleTurn::Poll;
    default:
      return IdleTurn::None;
  }
}

void PaintWindowDefault(HWND hwnd) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);
}

}  // namespace

Window* TopLevelLocked(HWND window) {
  Window* w = Find(window);
  while (w && (w->style & WS_CHILD)) w = Find(w->parent);
  return w;
}

std::recursive_mutex& WinLock() {
  static auto* lock = new std::recursive_mutex();
  return *lock;
}

Window::~Window() {
  if (surface) cairo_surface_destroy(surface);
}

Window* Find(HWND window) {
  uintptr_t value = reinterpret_cast<uintptr_t>(window);
  uint32_t low = static_cast<uint32_t>(value & 0xFFFFFFFFu);
  uint32_t generation = static_cast<uint32_t>(value >> 32);
  auto& slots = Slots();
  if (low == 0 || low - 1 >= slots.size()) return nullptr;
  Slot& slot = slots[low - 1];
  if (slot.generation != generation || !slot.window) return nullptr;
  return slot.window.get();
}

std::vector<Window*> AllWindows() {
  std::vector<Window*> result;
  for (auto& slot : Slots())
    if (slot.window) result.push_back(slot.window.get());
  return result;
}

bool HasMenuBar(const Window& w) { return !(w.style & WS_CHILD) && w.menu != nullptr; }

// Owned pop-ups with a sizing frame (the program's child windows) have the wider
// frame; main windows keep the plain one.
static bool SizingFrame(const Window& w) {
  return !(w.style & WS_CHILD) && (w.style & WS_POPUP) && (w.style & WS_THICKFRAME);
}

int FrameWidth(const Window& w) {
  if (SizingFrame(w)) return kSizingFrame;
  return (w.style & (WS_BORDER | WS_THICKFRAME | WS_DLGFRAME)) ? 1 : 0;
}

int CaptionHeight(const Window& w) {
  if ((w.style & WS_CHILD) || (w.style & WS_CAPTION) != WS_CAPTION) return 0;
  return SizingFrame(w) ? kSizingCaptionHeight : kCaptionHeight;
}

RECT CloseBoxRect(const Window& w) {
  const int caption = CaptionHeight(w);
  if (caption == 0 || !(w.style & WS_SYSMENU)) return RECT{0, 0, 0, 0};
  const int frame = FrameWidth(w);
  const int right = static_cast<int>(w.rect.right - w.rect.left) - frame - 3;
  const int top = frame + (caption - kCloseBoxSize) / 2;
  return RECT{right - kCloseBoxSize, top, right, top + kCloseBoxSize};
}

void ClientOrigin(const Window& w, int* x, int* y) {
  int frame = FrameWidth(w);
  int top = frame + CaptionHeight(w);
  if (HasMenuBar(w)) top += kMenuBarHeight;
  *x = frame;
  *y = top;
}

void ClientSize(const Window& w, int* width, int* height) {
  int ox = 0, oy = 0;
  ClientOrigin(w, &ox, &oy);
  int frame = FrameWidth(w);
  *width = std::max<int>(0, w.rect.right - w.rect.left - ox - frame);
  *height = std::max<int>(0, w.rect.bottom - w.rect.top - oy - frame);
}

cairo_surface_t* ClientSurface(Window& w) {
  int width = 0, height = 0;
  ClientSize(w, &width, &height);
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (w.surface && cairo_image_surface_get_width(w.surface) == width &&
      cairo_image_surface_get_height(w.surface) == height)
    return w.surface;
  cairo_surface_t* fresh = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(fresh);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  if (w.surface) {
    cairo_set_source_surface(cr, w.surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(w.surface);
  }
  cairo_destroy(cr);
  w.surface = fresh;
  return fresh;
}

DWORD CurrentThread() {
  if (t_threadId == 0) t_threadId = GetCurrentThreadId();
  return t_threadId;
}

bool RunOnOwner(HWND window, const std::function<void()>& fn) {
  DWORD owner = WindowThread(window);
  if (owner == 0) return false;
  if (owner == CurrentThread()) {
    fn();
    return true;
  }
  return SendMessage(window, kRunMessage, 0x5255, reinterpret_cast<LPARAM>(&fn)) == 1;
}

bool PostToOwner(HWND window, std::function<void()> fn) {
  DWORD owner = WindowThread(window);
  if (owner == 0 || !fn) return false;
  auto item = std::make_shared<SentItem>();
  item->window = window;
  item->async = std::move(fn);
  {
    auto lock = LockKernel();
    auto target = QueueOf(owner);
    if (!target || target->dead) return false;
    target->sent.push_back(item);
  }
  RaiseServiceWork(owner);
  NotifyKernel();
  return true;
}

uint64_t DisplayGeneration() { return g_display.load(); }
void DisplayChanged() { g_display.fetch_add(1); }

HWND FocusOfThread(DWORD thread) {
  WinGuard guard(WinLock());
  auto it = FocusTable().find(thread);
  if (it == FocusTable().end() || !Find(it->second)) return nullptr;
  return it->second;
}

bool ActivateLocked(Window& top, HWND focus) {
  Window* had = TopLevelLocked(focus);
  if (had && had != &top && had->dialog && had->handle != focus) had->dialog->keptFocus = focus;
  HWND& active = ActiveTable()[top.thread];
  if (active == top.handle) return false;
  active = top.handle;
  DisplayChanged();
  return true;
}

ActivationListener SetActivationListener(ActivationListener listener) {
  WinGuard guard(WinLock());
  std::swap(ActivationListenerSlot(), listener);
  return listener;
}

void TellActivation(HWND top) {
  ActivationListener listener;
  {
    WinGuard guard(WinLock());
    listener = ActivationListenerSlot();
  }
  if (listener) listener(top);
}

void RegisterBuiltinClass(const char* name, WNDPROC proc, UINT style) {
  WinGuard guard(WinLock());
  auto rec = std::make_shared<WindowClassRec>();
  rec->name = UpperName(name);
  rec->proc = proc;
  rec->style = style;
  rec->builtin = true;
  Classes()[rec->name] = rec;
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = nullptr;
  int id = 0;
  {
    WinGuard guard(WinLock());
    Window* w = Find(control);
    if (!w) return;
    parent = w->parent;
    id = w->id;
  }
  if (parent) SendMessage(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

}  // namespace platform::detail

using namespace platform;
using namespace platform::detail;

// ---- classes ------------------------------------------------------------------------------
ATOM RegisterClass(const WNDCLASS* windowClass) {
  EnsureBuiltinClasses();
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) {
    SetLastErrorText("invalid window class");
    return 0;
  }
  WinGuard guard(WinLock());
  std::string name = UpperName(windowClass->lpszClassName);
  if (Classes().count(name)) {
    SetLastErrorText("class already registered");
    return 0;
  }
  auto rec = std::make_shared<WindowClassRec>();
  rec->name = name;
  rec->style = windowClass->style;
  rec->proc = windowClass->lpfnWndProc;
  rec->cursor = windowClass->hCursor;
  rec->background = windowClass->hbrBackground;
  if (windowClass->lpszMenuName) {
    if (IS_INTRESOURCE(windowClass->lpszMenuName))
      rec->menuId = static_cast<int>(reinterpret_cast<uintptr_t>(windowClass->lpszMenuName));
    else
      rec->menuName = windowClass->lpszMenuName;
  }
  Classes()[name] = rec;
  return static_cast<ATOM>(0xC000 + Classes().size() % 0x3FFF);
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE) {
  WinGuard guard(WinLock());
  std::string name = UpperName(className);
  auto it = Classes().find(name);
  if (it == Classes().end() || it->second->builtin) return FALSE;
  for (Window* w : AllWindows())
    if (w->cls == it->second) return FALSE;  // still in use
  Classes().erase(it);
  return TRUE;
}

// ---- creation and destruction ----------------------------------------------------------------
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
  EnsureBuiltinClasses();
  MyQueue();
  HWND handle = nullptr;
  HMENU classMenu = nullptr;
  bool wantsClassMenu = false;
  std::string classMenuName;
  int classMenuId = 0;
  {
    WinGuard guard(WinLock());
    auto it = Classes().find(UpperName(className));
    if (it == Classes().end()) {
      SetLastErrorText("window class not registered");
      return nullptr;
    }
    if ((style & WS_CHILD) && !Find(parent)) {
      SetLastErrorText("child window without a valid parent");
      return nullptr;
    }
    if (parent && !Find(parent)) {
      SetLastErrorText("invalid owner window");
      return nullptr;
    }
    auto window = std::make_unique<Window>();
    window->cls = it->second;
    window->proc = it->second->proc;
    window->thread = CurrentThread();
    window->serial = g_serial.fetch_add(1);
    window->style = style & ~WS_VISIBLE;
    window->exStyle = exStyle;
    window->topmost = (exStyle & WS_EX_TOPMOST) != 0;
    window->text = windowName ? windowName : "";
    window->instance = instance;
    window->enabled = !(style & WS_DISABLED);
    const bool placeForCaller = x == CW_USEDEFAULT && !(style & WS_CHILD);
    if (x == CW_USEDEFAULT) x = y = 32;
    if (width == CW_USEDEFAULT) {
      width = 800;
      height = 600;
    }
    window->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    if (placeForCaller) window->rect = KeepOnScreenLocked(window->rect);
    if (style & WS_CHILD) {
      window->parent = parent;
      window->id = static_cast<int>(reinterpret_cast<uintptr_t>(menu));
    } else {
      window->owner = parent;
      window->menu = menu;
      if (!menu && (!it->second->menuName.empty() || it->second->menuId != 0)) {
        wantsClassMenu = true;
        classMenuName = it->second->menuName;
        classMenuId = it->second->menuId;
      }
    }
    auto& slots = Slots();
    uint32_t index;
    if (!FreeSlots().empty()) {
      index = FreeSlots().back();
      FreeSlots().pop_back();
    } else {
      index = static_cast<uint32_t>(slots.size());
      slots.emplace_back();
    }
    handle = EncodeWindow(index, slots[index].generation);
    window->handle = handle;
    slots[index].window = std::move(window);
    if (style & WS_CHILD) Find(parent)->children.push_back(handle);
  }
  if (wantsClassMenu) {
    classMenu = LoadMenu(instance, classMenuName.empty() ? MAKEINTRESOURCE(classMenuId) : classMenuName.c_str());
    WinGuard guard(WinLock());
    if (Window* w = Find(handle)) w->menu = classMenu;
  }
  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  if (CallWindow(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(handle);
    SetLastErrorText("window creation refused by its procedure");
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;
  int cw = 0, ch = 0;
  {
    WinGuard guard(WinLock());
    Window* w = Find(handle);
    if (!w) return nullptr;
    ClientSize(*w, &cw, &ch);
  }
  int ox = 0, oy = 0;
  {
    WinGuard guard(WinLock());
    if (Window* w = Find(handle)) ClientOrigin(*w, &ox, &oy);
  }
  CallWindow(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
  // WM_MOVE carries the client area's origin, as the desktop system's does.
  CallWindow(handle, WM_MOVE, 0, MAKELPARAM(x + ox, y + oy));
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return IsWindow(handle) ? handle : nullptr;
}

BOOL IsWindow(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  return w && !w->destroying ? TRUE : FALSE;
}

static void DestroyTree(HWND hwnd) {
  std::vector<HWND> owned;
  std::vector<HWND> children;
  {
    WinGuard guard(WinLock());
    Window* w = Find(hwnd);
    if (!w || w->destroying) return;
    w->destroying = true;
    w->visible = false;
    DisplayChanged();
    for (Window* other : AllWindows())
      if (other->owner == hwnd && !other->destroying) owned.push_back(other->handle);
    children = w->children;
    DWORD thread = w->thread;
    auto& focus = FocusTable();
    auto it = focus.find(thread);
    if (it != focus.end()) {
      // Focus inside the destroyed tree is dropped.
      HWND f = it->second;
      for (Window* fw = Find(f); fw; fw = (fw->style & WS_CHILD) ? Find(fw->parent) : nullptr) {
        if (fw->handle == hwnd) {
          focus.erase(it);
          break;
        }
      }
    }
  }
  for (HWND o : owned) DestroyTree(o);
  CallWindow(hwnd, WM_DESTROY, 0, 0);
  for (HWND c : children) DestroyTree(c);
  CallWindow(hwnd, WM_NCDESTROY, 0, 0);
  std::unique_ptr<Window> gone;
  HMENU menu = nullptr;
  {
    WinGuard guard(WinLock());
    Window* w = Find(hwnd);
    if (!w) return;
    if (w->parent) {
      if (Window* p = Find(w->parent)) {
        auto& siblings = p->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
      }
    }
    menu = HasMenuBar(*w) ? w->menu : nullptr;
    uintptr_t value = reinterpret_cast<uintptr_t>(hwnd);
    uint32_t index = static_cast<uint32_t>(value & 0xFFFFFFFFu) - 1;
    auto& slot = Slots()[index];
    gone = std::move(slot.window);
    slot.generation++;
    FreeSlots().push_back(index);
    auto& active = ActiveTable();
    for (auto it = active.begin(); it != active.end(); ++it)
      if (it->second == hwnd) {
        active.erase(it);
        break;
      }
    if (menu) DestroyMenuLocked(menu);
  }
}

BOOL DestroyWindow(HWND window) {
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w || w->destroying) {
      SetLastErrorText("invalid window handle");
      return FALSE;
    }
    if (w->thread != CurrentThread()) {
      SetLastErrorText("window belongs to another thread");
      return FALSE;
    }
  }
  DestroyTree(window);
  return TRUE;
}

LRESULT CallWindowProc(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      PaintWindowDefault(window);
      return 0;
    case WM_ERASEBKGND:
      EraseWithClassBrush(window, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_SETTEXT: {
      WinGuard guard(WinLock());
      Window* w = Find(window);
      if (!w) return FALSE;
      w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      DisplayChanged();
      return TRUE;
    }
    case WM_GETTEXT: {
      WinGuard guard(WinLock());
      Window* w = Find(window);
      char* buffer = reinterpret_cast<char*>(lParam);
      if (!w || !buffer || wParam == 0) return 0;
      size_t n = std::min<size_t>(w->text.size(), wParam - 1);
      std::memcpy(buffer, w->text.data(), n);
      buffer[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      WinGuard guard(WinLock());
      Window* w = Find(window);
      return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_SETCURSOR:
      return 0;
    default:
      return 0;
  }
}

// ---- messages ---------------------------------------------------------------------------------
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD owner = 0;
  bool direct = false;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) {
      SetLastErrorText("invalid window handle");
      return 0;
    }
    owner = w->thread;
    direct = w->cls->builtin && w->proc == w->cls->proc && IsDirectControlMessage(w->cls->name, message);
  }
  if (owner == CurrentThread() || direct) return CallWindow(window, message, wParam, lParam);

  MyQueue();  // the sender services its own sends while it waits
  auto item = std::make_shared<SentItem>();
  item->window = window;
  item->sender = CurrentThread();
  item->message = message;
  item->wParam = wParam;
  item->lParam = lParam;
  std::shared_ptr<ThreadQueue> target;
  {
    auto lock = LockKernel();
    target = QueueOf(owner);
    if (!target || target->dead) return 0;
    target->sent.push_back(item);
  }
  RaiseServiceWork(owner);
  auto lock = LockKernel();
  while (!item->done) {
    WaitUntil(lock, [&] { return item->done || target->dead; }, 200);
    if (target->dead) break;
  }
  return item->done ? item->result : 0;
}

bool platform::RunOnWindowThread(HWND window, const std::function<void()>& fn) {
  return fn && detail::RunOnOwner(window, fn);
}

void platform::ServiceSentMessages() {
  auto queue = MyQueue();
  for (;;) {
    std::shared_ptr<SentItem> item;
    {
      auto lock = LockKernel();
      if (queue->sent.empty()) return;
      item = queue->sent.front();
      queue->sent.pop_front();
    }
    if (item->async) {
      item->async();
      continue;
    }
    LRESULT result = CallWindow(item->window, item->message, item->wParam, item->lParam);
    {
      auto lock = LockKernel();
      item->result = result;
      item->done = true;
    }
    NotifyThread(item->sender);
  }
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD owner = 0;
  if (window) {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) {
      SetLastErrorText("invalid window handle");
      return FALSE;
    }
    owner = w->thread;
  } else {
    owner = CurrentThread();
    MyQueue();
  }
  MSG msg;
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  {
    auto lock = LockKernel();
    auto queue = QueueOf(owner);
    if (!queue || queue->dead) return FALSE;
    queue->posted.push_back(msg);
  }
  NotifyKernel();
  return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  {
    auto lock = LockKernel();
    auto queue = QueueOf(threadId);
    if (!queue || queue->dead) return FALSE;
    queue->posted.push_back(msg);
  }
  NotifyKernel();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  auto queue = MyQueue();
  {
    auto lock = LockKernel();
    queue->quit = true;
    queue->quitCode = exitCode;
  }
  NotifyKernel();
}

BOOL GetMessage(MSG* msg, HWND window, UINT, UINT) {
  if (!msg) return -1;
  if (window && !IsWindow(window)) return -1;
  auto queue = MyQueue();
  for (;;) {
    ServiceSentMessages();
    bool quit = false;
    if (TakePosted(msg, true, &quit)) return quit ? 0 : 1;
    if (FindPaint(msg, window)) return 1;
    IdleTurn turn = RunIdleHook();
    if (turn == IdleTurn::Again) continue;
    auto lock = LockKernel();
    auto ready = [&] { return !queue->posted.empty() || !queue->sent.empty() || queue->quit || queue->paintPending; };
    WaitUntil(lock, ready, turn == IdleTurn::Poll ? 20 : INFINITE);
  }
}

BOOL PeekMessage(MSG* msg, HWND window, UINT, UINT, UINT removeFlags) {
  if (!msg) return FALSE;
  ServiceSentMessages();
  bool quit = false;
  if (TakePosted(msg, (removeFlags & PM_REMOVE) != 0, &quit)) return TRUE;
  if (FindPaint(msg, window)) return TRUE;
  return FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return FALSE;
  int vk = static_cast<int>(msg->wParam);
  int ch = 0;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (vk >= 'A' && vk <= 'Z') {
    ch = ctrl ? vk - 'A' + 1 : (shift ? vk : vk - 'A' + 'a');
  } else if (vk >= '0' && vk <= '9') {
    ch = vk;
  } else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK || vk == VK_TAB) {
    ch = vk;
  }
  if (ch == 0) return FALSE;
  // The front end hands typed characters over as WM_CHAR itself (they depend on
  // the keyboard layout); only control characters come from the keys.
  if ((msg->lParam & kTypedKeyFlag) && ch >= 32) return FALSE;
  return PostMessage(msg->hwnd, WM_CHAR, static_cast<WPARAM>(ch), msg->lParam);
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return CallWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void platform::SetIdleHook(IdleHook hook, void* context) {
  auto queue = MyQueue();
  {
    auto lock = LockKernel();
    queue->idle = hook;
    queue->idleContext = context;
  }
  NotifyKernel();
}

DWORD platform::WindowThread(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  return w ? w->thread : 0;
}

std::string platform::ClassNameOf(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  return w ? w->cls->name : std::string();
}

// ---- painting ------------------------------------------------------------------------------------
BOOL InvalidateRect(HWND window, const RECT*, BOOL erase) {
  DWORD thread = 0;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return FALSE;
    w->needPaint = true;
    if (erase) w->needErase = true;
    thread = w->thread;
  }
  DisplayChanged();
  MarkPaintPending(thread);
  return TRUE;
}

BOOL ValidateRect(HWND window, const RECT*) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w) return FALSE;
  w->needPaint = false;
  w->needErase = false;
  return TRUE;
}

BOOL UpdateWindow(HWND window) {
  bool paint = false;
  DWORD thread = 0;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return FALSE;
    paint = w->needPaint && IsAncestorChainVisible(w);
    thread = w->thread;
  }
  if (!paint) return TRUE;
  if (thread == CurrentThread()) {
    CallWindow(window, WM_PAINT, 0, 0);
  } else {
    SendMessage(window, WM_PAINT, 0, 0);
  }
  return TRUE;
}

BOOL RedrawWindow(HWND window, const RECT* rect, void*, UINT flags) {
  if (!IsWindow(window)) return FALSE;
  std::vector<HWND> targets{window};
  if (flags & RDW_ALLCHILDREN) {
    WinGuard guard(WinLock());
    for (size_t i = 0; i < targets.size(); ++i)
      if (Window* w = Find(targets[i])) targets.insert(targets.end(), w->children.begin(), w->children.end());
  }
  for (HWND target : targets) {
    if (flags & RDW_INVALIDATE) InvalidateRect(target, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
    if (flags & RDW_VALIDATE) ValidateRect(target, rect);
  }
  if (flags & RDW_UPDATENOW)
    for (HWND target : targets) UpdateWindow(target);
  return TRUE;
}

// ---- geometry and state ----------------------------------------------------------------------------
BOOL SetWindowText(HWND window, LPCSTR text) {
  if (!IsWindow(window)) return FALSE;
  return SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowText(HWND window, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(SendMessage(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND window) { return static_cast<int>(SendMessage(window, WM_GETTEXTLENGTH, 0, 0)); }

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  bool moved = false, sized = false;
  int cw = 0, ch = 0, ox = 0, oy = 0;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return FALSE;
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
      moved = r.left != x || r.top != y;
      LONG dw = r.right - r.left, dh = r.bottom - r.top;
      r.left = x;
      r.top = y;
      r.right = x + dw;
      r.bottom = y + dh;
    }
    if (!(flags & SWP_NOSIZE)) {
      sized = (r.right - r.left) != width || (r.bottom - r.top) != height;
      r.right = r.left + std::max(width, 0);
      r.bottom = r.top + std::max(height, 0);
    }
    w->rect = r;
    DisplayChanged();
    if (!(flags & SWP_NOZORDER)) {
      if (insertAfter == HWND_TOPMOST) w->topmost = true;
      if (insertAfter == HWND_NOTOPMOST) w->topmost = false;
    }
    ClientSize(*w, &cw, &ch);
    ClientOrigin(*w, &ox, &oy);
  }
  if (moved) SendMessage(window, WM_MOVE, 0, MAKELPARAM(x + ox, y + oy));
  if (sized) SendMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  if ((moved || sized) && !(flags & SWP_NOREDRAW)) InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetClientRect(HWND window, RECT* rect) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w || !rect) return FALSE;
  int cw = 0, ch = 0;
  ClientSize(*w, &cw, &ch);
  *rect = RECT{0, 0, cw, ch};
  return TRUE;
}

// Screen position of the window's client origin. Caller holds WinLock.
static POINT ClientScreenOrigin(const Window* w) {
  POINT p;
  while (w) {
    int ox = 0, oy = 0;
    ClientOrigin(*w, &ox, &oy);
    p.x += w->rect.left + ox;
    p.y += w->rect.top + oy;
    w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr;
  }
  return p;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w || !rect) return FALSE;
  RECT r = w->rect;
  if (w->style & WS_CHILD) {
    POINT origin = ClientScreenOrigin(Find(w->parent));
    r.left += origin.x;
    r.right += origin.x;
    r.top += origin.y;
    r.bottom += origin.y;
  }
  *rect = r;
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w || !point) return FALSE;
  POINT origin = ClientScreenOrigin(w);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w || !point) return FALSE;
  POINT origin = ClientScreenOrigin(w);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
  bool wasVisible = false;
  bool show = command != SW_HIDE;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return FALSE;
    wasVisible = w->visible;
    if (wasVisible == show) return wasVisible ? TRUE : FALSE;
  }
  SendMessage(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  std::vector<HWND> repaint;
  bool focusLeaves = false;  // a hidden top-level window that held its thread's focus
  HWND focusTo = nullptr;
  bool activated = false;  // shown with activation, another window active before
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return FALSE;
    w->visible = show;
    DisplayChanged();
    if (!show && !(w->style & WS_CHILD) && w->thread == CurrentThread()) {
      auto it = FocusTable().find(w->thread);
      if (it != FocusTable().end() && TopLevelLocked(it->second) == w) {
        // As on the desktop system, the owner is activated and takes the focus (a dialog
        // gives it to its control that had it), so the control that had it here hears
        // of the loss now (a value typed into a dialog closed by its close box is taken
        // as it closes, not at some later click elsewhere); the dialog gets that control
        // back when it is activated again.
        focusLeaves = true;
        if (w->dialog && it->second != window) w->dialog->keptFocus = it->second;
        Window* owner = Find(w->owner);
        if (owner && owner->visible && owner->enabled && !owner->destroying && owner->thread == w->thread)
          focusTo = owner->handle;
      }
    }
    if (show) {
      repaint.push_back(window);
      for (size_t i = 0; i < repaint.size(); ++i)
        if (Window* c = Find(repaint[i])) repaint.insert(repaint.end(), c->children.begin(), c->children.end());
    }
    if (show && !(w->style & WS_CHILD) && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) {
      auto it = FocusTable().find(w->thread);
      activated = ActivateLocked(*w, it == FocusTable().end() ? nullptr : it->second);
    }
  }
  for (HWND r : repaint) InvalidateRect(r, nullptr, TRUE);
  if (activated) TellActivation(window);
  if (focusLeaves && !(focusTo && ActivateByProgram(focusTo))) SetFocus(nullptr);
  return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  return w && IsAncestorChainVisible(w) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  bool wasDisabled = false;
  {
    WinGuard guard(WinLock());
    Window* w = Find(window);
    if (!w) return FALSE;
    wasDisabled = !w->enabled;
    if (w->enabled == (enable != 0)) return wasDisabled ? TRUE : FALSE;
    w->enabled = enable != 0;
    if (enable) w->style &= ~WS_DISABLED;
    else w->style |= WS_DISABLED;
  }
  SendMessage(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
  InvalidateRect(window, nullptr, FALSE);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  return w && w->enabled ? TRUE : FALSE;
}

HWND SetFocus(HWND window) {
  DWORD self = CurrentThread();
  HWND previous = nullptr;
  HWND activated = nullptr;
  {
    WinGuard guard(WinLock());
    auto& focus = FocusTable();
    auto it = focus.find(self);
    previous = it == focus.end() ? nullptr : it->second;
    if (previous && !Find(previous)) previous = nullptr;
    if (window) {
      Window* w = Find(window);
      if (!w || w->thread != self) return nullptr;
      // As on the desktop system, the focus given to a window of a top-level window other
      // than the active one activates that top-level window: the front end brings it up
      // with the keyboard, so the keys typed next reach it.
      Window* top = TopLevelLocked(window);
      if (top && top->enabled && !top->destroying && ActivateLocked(*top, previous)) activated = top->handle;
    }
    if (previous != window) {
      if (window) focus[self] = window;
      else focus.erase(self);
      DisplayChanged();
    }
  }
  if (activated) TellActivation(activated);
  if (previous == window) return previous;
  if (previous) SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (window) {
    // The focus may have moved on inside the kill-focus handler.
    bool still = false;
    {
      WinGuard guard(WinLock());
      auto it = FocusTable().find(self);
      still = it != FocusTable().end() && it->second == window;
    }
    if (still) SendMessage(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  }
  return previous;
}

HWND GetFocus() {
  WinGuard guard(WinLock());
  auto it = FocusTable().find(CurrentThread());
  if (it == FocusTable().end() || !Find(it->second)) return nullptr;
  return it->second;
}

HWND SetActiveWindow(HWND window) {
  HWND previous = nullptr;
  {
    WinGuard guard(WinLock());
    auto it = ActiveTable().find(CurrentThread());
    if (it != ActiveTable().end() && Find(it->second)) previous = it->second;
  }
  return ActivateByProgram(window) ? previous : nullptr;
}

HWND GetActiveWindow() {
  WinGuard guard(WinLock());
  auto it = ActiveTable().find(CurrentThread());
  if (it == ActiveTable().end() || !Find(it->second)) return nullptr;
  return it->second;
}

HWND GetParent(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w) return nullptr;
  return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND GetWindow(HWND window, UINT relation) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w) return nullptr;
  switch (relation) {
    case GW_OWNER:
      return (w->style & WS_CHILD) ? nullptr : w->owner;
    case GW_CHILD:
      return w->children.empty() ? nullptr : w->children.front();
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
      Window* p = (w->style & WS_CHILD) ? Find(w->parent) : nullptr;
      if (!p) return nullptr;
      auto& siblings = p->children;
      auto it = std::find(siblings.begin(), siblings.end(), window);
      if (it == siblings.end()) return nullptr;
      if (relation == GW_HWNDNEXT) return (it + 1) == siblings.end() ? nullptr : *(it + 1);
      return it == siblings.begin() ? nullptr : *(it - 1);
    }
    default:
      return nullptr;
  }
}

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w) return 0;
  LONG_PTR previous = 0;
  switch (index) {
    case GWLP_USERDATA:
      previous = w->userData;
      w->userData = value;
      break;
    case GWLP_WNDPROC:
      previous = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWLP_ID:
      previous = w->id;
      w->id = static_cast<int>(value);
      break;
    case GWL_STYLE:
      previous = static_cast<LONG_PTR>(w->style);
      w->style = static_cast<DWORD>(value);
      break;
    case GWL_EXSTYLE:
      previous = static_cast<LONG_PTR>(w->exStyle);
      w->exStyle = static_cast<DWORD>(value);
      break;
    case DWLP_MSGRESULT:
      if (w->dialog) {
        previous = w->dialog->msgResult;
        w->dialog->msgResult = value;
      }
      break;
    case DWLP_USER:
      if (w->dialog) {
        previous = w->dialog->user;
        w->dialog->user = value;
      }
      break;
    default:
      break;
  }
  return previous;
}

LONG_PTR GetWindowLongPtr(HWND window, int index) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  if (!w) return 0;
  switch (index) {
    case GWLP_USERDATA:
      return w->userData;
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_ID:
      return w->id;
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_STYLE:
      return static_cast<LONG_PTR>(w->style | (w->visible ? WS_VISIBLE : 0));
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(w->exStyle);
    case DWLP_MSGRESULT:
      return w->dialog ? w->dialog->msgResult : 0;
    case DWLP_USER:
      return w->dialog ? w->dialog->user : 0;
    default:
      return 0;
  }
}

HWND GetDlgItem(HWND dialog, int id) {
  WinGuard guard(WinLock());
  Window* w = Find(dialog);
  if (!w) return nullptr;
  for (HWND child : w->children) {
    Window* c = Find(child);
    if (c && c->id == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND window) {
  WinGuard guard(WinLock());
  Window* w = Find(window);
  return w && (w->style & WS_CHILD) ? w->id : 0;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) {
  if (processId) *processId = 1;
  return platform::WindowThread(window);
}

// ---- cursors and keys ------------------------------------------------------------------------
HCURSOR LoadCursor(HINSTANCE, LPCSTR name) {
  return reinterpret_cast<HCURSOR>(const_cast<char*>(name ? name : IDC_ARROW));
}

HICON LoadIcon(HINSTANCE, LPCSTR name) { return reinterpret_cast<HICON>(const_cast<char*>(name)); }

HCURSOR SetCursor(HCURSOR cursor) { return g_cursor.exchange(cursor); }

HCURSOR platform::CurrentCursor() { return g_cursor.load(); }

SHORT GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  constexpr SHORT kDown = static_cast<SHORT>(-32768);
  // While a key the front end posted is handled, Shift and Ctrl are as it was typed,
  // whatever the keyboard does by then: held and let go, or pressed for a later key.
  if ((virtualKey == VK_SHIFT || virtualKey == VK_CONTROL) && t_keyHeld >= 0)
    return (t_keyHeld & (virtualKey == VK_SHIFT ? 1 : 2)) ? kDown : 0;
  return KeyDown()[static_cast<size_t>(virtualKey)].load() ? kDown : 0;
}

// The keyboard as it is now, also while a key typed earlier is handled.
SHORT GetAsyncKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  return KeyDown()[static_cast<size_t>(virtualKey)].load() ? static_cast<SHORT>(-32768) : 0;
}

void platform::SetKeyDown(int virtualKey, bool down) {
  if (virtualKey < 0 || virtualKey > 255) return;
  KeyDown()[static_cast<size_t>(virtualKey)].store(down);
}

// ---- placement ---------------------------------------------------------------------------------
void platform::SetScreenArea(const RECT& area) {
  if (area.right <= area.left || area.bottom <= area.top) return;
  WinGuard guard(WinLock());
  ScreenAreaSlot() = area;
}

RECT platform::ScreenArea() {
  WinGuard guard(WinLock());
  return ScreenAreaSlot();
}

RECT platform::KeepOnScreen(RECT rect) {
  WinGuard guard(WinLock());
  return KeepOnScreenLocked(rect);
}

namespace {

RECT PlaceOverLocked(HWND owner, int width, int height) {
  Window* w = TopLevelLocked(owner);
  const RECT over = w ? w->rect : ScreenAreaSlot();
  width = std::max(width, 0);
  height = std::max(height, 0);
  const LONG x = over.left + (over.right - over.left - width) / 2;
  const LONG y = over.top + (over.bottom - over.top - height) / 2;
  return KeepOnScreenLocked(RECT{x, y, x + width, y + height});
}

int64_t OverlapArea(const RECT& a, const RECT& b) {
  const int64_t w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const int64_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

RECT platform::PlaceOver(HWND owner, int width, int height) {
  WinGuard guard(WinLock());
  return PlaceOverLocked(owner, width, height);
}

RECT platform::PlaceBeside(HWND owner, int width, int height) {
  WinGuard guard(WinLock());
  const RECT centred = PlaceOverLocked(owner, width, height);
  Window* top = TopLevelLocked(owner);
  if (!top) return centred;
  // The owner's other shown windows, and the bars along the top of them and of the
  // owner (caption and menu bar), which a person needs to reach most.
  std::vector<RECT> others;
  std::vector<RECT> bars;
  auto addBar = [&](const Window& w) {
    int x = 0, y = 0;
    ClientOrigin(w, &x, &y);
    bars.push_back(RECT{w.rect.left, w.rect.top, w.rect.right, w.rect.top + y});
  };
  addBar(*top);
  for (Window* w : AllWindows())
    if (!(w->style & WS_CHILD) && w->visible && !w->destroying && w != top && TopLevelLocked(w->owner) == top) {
      others.push_back(w->rect);
      addBar(*w);
    }
  auto cost = [&](const RECT& r) {
    int64_t area = 0;
    for (const RECT& o : others) area += OverlapArea(r, o);
    for (const RECT& b : bars) area += 4 * OverlapArea(r, b);
    return area;
  };
  if (std::none_of(others.begin(), others.end(), [&](const RECT& o) { return OverlapArea(centred, o) > 0; }))
    return centred;
  int64_t bestCost = cost(centred);
  // Beside each of the other windows, or against an edge of the screen: the place that
  // covers least of them and of the bars, the one nearest the centred place of those
  // that cover as little.
  const RECT& area = ScreenAreaSlot();
  std::vector<LONG> xs{centred.left, area.left, area.right - width};
  std::vector<LONG> ys{centred.top, area.top, area.bottom - height};
  for (const RECT& o : others) {
    xs.insert(xs.end(), {o.right, o.left - width, o.left});
    ys.insert(ys.end(), {o.bottom, o.top - height, o.top});
  }
  RECT best = centred;
  int64_t bestDistance = 0;
  for (LONG x : xs)
    for (LONG y : ys) {
      const RECT r = KeepOnScreenLocked(RECT{x, y, x + width, y + height});
      const int64_t c = cost(r);
      const int64_t distance = std::abs(static_cast<int64_t>(r.left) - centred.left) +
                               std::abs(static_cast<int64_t>(r.top) - centred.top);
      if (c < bestCost || (c == bestCost && distance < bestDistance)) {
        best = r;
        bestCost = c;
        bestDistance = distance;
      }
    }
  return best;
}
