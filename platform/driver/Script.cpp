// The script runner: lines of user actions run on the interface thread's idle turns.
#include "platform/driver/Script.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/windows/CommonDialogs.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/Menu.h"
#include "platform/windows/MessageBox.h"
#include "platform/driver/TestDriver.h"

namespace platform {

namespace drv = driver;
using Clock = std::chrono::steady_clock;

struct ScriptLine {
  int number = 0;
  std::vector<std::string> words;
};

struct ScriptRunner::State {
  std::string name;
  std::vector<ScriptLine> lines;
  ScriptOptions options;

  std::mutex mutex;  // guards everything below
  size_t next = 0;
  bool started = false;
  bool finished = false;
  bool failed = false;
  bool boxesDefault = false;
  std::string failure;
  int addressedTemplate = 0;
  bool waiting = false;
  Clock::time_point deadline;
  UINT popupChoice = 0;
  bool popupPending = false;

  BoxAnswerer previousBox;
  CommonDialogAnswerer previousDialog;
  PopupChooser previousPopup;

  void FailLocked(const ScriptLine& line, const std::string& reason) {
    if (failed) return;
    failed = true;
    boxesDefault = true;
    failure = name + ":" + std::to_string(line.number) + ": " + reason;
    std::fprintf(stderr, "qv95: script %s\n", failure.c_str());
  }
  void Fail(const ScriptLine& line, const std::string& reason) {
    std::lock_guard<std::mutex> lock(mutex);
    FailLocked(line, reason);
  }
};

namespace {

using State = ScriptRunner::State;

bool ParseInt(const std::string& text, long long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (!end || *end != '\0') return false;
  *value = v;
  return true;
}

bool ParseInt(const std::string& text, int* value) {
  long long v = 0;
  if (!ParseInt(text, &v) || v < INT32_MIN || v > INT32_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

// Splits a line into words; double quotes group blanks, \" \\ \n are escapes inside
// them; '#' outside quotes ends the line.
bool SplitLine(const std::string& text, std::vector<std::string>* words, std::string* error) {
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    std::string word;
    if (c == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        char d = text[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\' && i < text.size()) {
          char e = text[i++];
          word += e == 'n' ? '\n' : e;
        } else {
          word += d;
        }
      }
      if (!closed) {
        *error = "unclosed quote";
        return false;
      }
    } else {
      while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') word += text[i++];
    }
    words->push_back(word);
  }
  return true;
}

int AnswerId(const std::string& word) {
  if (word == "ok") return IDOK;
  if (word == "cancel") return IDCANCEL;
  if (word == "yes") return IDYES;
  if (word == "no") return IDNO;
  if (word == "abort") return IDABORT;
  if (word == "retry") return IDRETRY;
  if (word == "ignore") return IDIGNORE;
  return 0;
}

int KeyCode(const std::string& name) {
  static constexpr struct {
    const char* name;
    int key;
  } kKeys[] = {{"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT}, {"UP", VK_UP},         {"DOWN", VK_DOWN},
               {"ESC", VK_ESCAPE},    {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN}, {"TAB", VK_TAB},
               {"BACK", VK_BACK},     {"SPACE", VK_SPACE}, {"HOME", VK_HOME},     {"END", VK_END},
               {"PGUP", VK_PRIOR},    {"PGDN", VK_NEXT},   {"INSERT", VK_INSERT}, {"DELETE", VK_DELETE}};
  for (const auto& k : kKeys)
    if (name == k.name) return k.key;
  if (name.size() >= 2 && name[0] == 'F') {
    int n = 0;
    if (ParseInt(name.substr(1), &n) && n >= 1 && n <= 12) return VK_F1 + n - 1;
  }
  if (name.size() == 1) {
    char c = name[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
  }
  return 0;
}

bool HasFlag(const std::vector<std::string>& words, size_t from, const char* flag) {
  for (size_t i = from; i < words.size(); ++i)
    if (words[i] == flag) return true;
  return false;
}

HWND StatusBarOf(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassNameOf(child) == "MSCTLS_STATUSBAR32") return child;
  return nullptr;
}

// The dialog of template wanted (0: the innermost modal dialog, else the last visible
// one opened), nullptr when none is open.
HWND FindDialog(int wanted) {
  auto modal = OpenModalDialogs();
  auto all = AllDialogs();
  if (wanted != 0) {
    for (auto it = modal.rbegin(); it != modal.rend(); ++it)
      if (DialogTemplateId(*it) == wanted) return *it;
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if (DialogTemplateId(*it) == wanted) return *it;
    return nullptr;
  }
  if (!modal.empty()) return modal.back();
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (IsWindowVisible(*it)) return *it;
  return nullptr;
}

HWND AddressedDialog(State* s) {
  int wanted = 0;
  {
    std::lock_guard<std::mutex> lock(s->mutex);
    wanted = s->addressedTemplate;
  }
  return FindDialog(wanted);
}

// Lines that act on the addressed dialog: they wait for it as box lines wait for a box,
// since a dialog that another thread opens (an operation sequence's prompt) may come a
// little later than the line.
bool IsDialogLine(const std::string& op) {
  return op == "type" || op == "click" || op == "radio" || op == "check" || op == "select" || op == "scroll" ||
         op == "track" || op == "expect-text" || op == "expect-checked";
}

bool FileSize(const std::string& path, long long* size) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  *size = static_cast<long long>(info.st_size);
  return true;
}

// One action line while it runs: its words, the main window, and where the reason of a
// failure goes.
struct Action {
  State* s;
  const std::vector<std::string>& w;
  const std::string& op;
  HWND main;
  std::string* why;

  bool Fail(const std::string& reason) const {
    *why = reason;
    return false;
  }
  bool Need(size_t count) const { return w.size() >= count || Fail("too few words for " + op); }
  // Word `index` of `words` as a number; false with the reason when it is none.
  bool NumberOf(const std::vector<std::string>& words, size_t index, int* value) const {
    if (index >= words.size() || !ParseInt(words[index], value))
      return Fail("not a number: " + (index < words.size() ? words[index] : std::string("(missing)")));
    return true;
  }
  bool Number(size_t index, int* value) const { return NumberOf(w, index, value); }
  HWND Dialog() const {
    HWND d = AddressedDialog(s);
    if (!d) *why = "no dialog is open";
    return d;
  }
  HWND Child(int channel, int kind) const {
    return s->options.childWindow ? s->options.childWindow(channel, kind) : nullptr;
  }
};

// menu, popup: commands of the main window.
bool RunCommand(const Action& act) {
  int a = 0, b = 0, c = 0;
  if (act.op == "menu") {
    if (!act.Number(1, &a)) return false;
    if (!drv::ChooseCommand(act.main, a)) return act.Fail("menu command " + act.w[1] + " refused");
    return true;
  }
  if (!act.Number(1, &a) || !act.Number(2, &b) || !act.Number(3, &c)) return false;
  {
    std::lock_guard<std::mutex> lock(act.s->mutex);
    act.s->popupChoice = static_cast<UINT>(c);
    act.s->popupPending = true;
  }
  drv::MouseClick(act.main, drv::Mouse::Right, a, b);
  drv::PumpUntilIdle();
  std::lock_guard<std::mutex> lock(act.s->mutex);
  if (act.s->popupPending) {
    act.s->popupPending = false;
    return act.Fail("no pop-up menu appeared");
  }
  return true;
}

// key, char, mouse, move, toolbar: input to the main window or the focused one.
bool RunInput(const Action& act) {
  const auto& w = act.w;
  const std::string& op = act.op;
  int a = 0, b = 0;
  // "child C K" after the action word addresses child window C K instead of the
  // main window; the words after it keep their places.
  std::vector<std::string> rest(w.begin(), w.end());
  HWND target = act.main;
  bool childTarget = false;
  if (w.size() > 1 && w[1] == "child" &&
      (op == "char" || op == "mouse" || op == "move" || op == "toolbar")) {
    if (!act.Number(2, &a) || !act.Number(3, &b)) return false;
    target = act.Child(a, b);
    if (!target) return act.Fail("no child window " + w[2] + " " + w[3]);
    rest.erase(rest.begin() + 1, rest.begin() + 4);
    childTarget = true;
  }
  auto word = [&](size_t index) { return index < rest.size() ? rest[index] : std::string(); };
  if (op == "key" || op == "char") {
    if (rest.size() < 2) return act.Fail("too few words for " + op);
    HWND focus = childTarget ? target : GetFocus();
    if (!focus) focus = act.main;
    if (op == "char") return drv::TypeChar(focus, word(1)[0]) || act.Fail("no window for the character");
    int key = KeyCode(w[1]);
    if (!key) return act.Fail("unknown key " + w[1]);
    return drv::PressKey(focus, key, HasFlag(w, 2, "shift"), HasFlag(w, 2, "ctrl")) ||
           act.Fail("no window for the key");
  }
  if (op == "mouse") {
    if (rest.size() < 4) return act.Fail("too few words for mouse");
    if (!act.NumberOf(rest, 2, &a) || !act.NumberOf(rest, 3, &b)) return false;
    const std::string button = word(1);
    drv::Mouse kind = drv::Mouse::Left;
    if (button == "right")
      kind = drv::Mouse::Right;
    else if (button == "dbl")
      kind = drv::Mouse::LeftDouble;
    else if (button == "rdbl")
      kind = drv::Mouse::RightDouble;
    else if (button != "left")
      return act.Fail("unknown button " + button);
    return drv::MouseClick(target, kind, a, b, HasFlag(rest, 4, "shift"), HasFlag(rest, 4, "ctrl")) ||
           act.Fail("window missing");
  }
  if (op == "move") {
    if (!act.NumberOf(rest, 1, &a) || !act.NumberOf(rest, 2, &b)) return false;
    return drv::MouseMove(target, a, b) || act.Fail("window missing");
  }
  // toolbar
  if (!act.NumberOf(rest, 1, &a)) return false;
  HWND bar = nullptr;
  for (HWND child = GetWindow(target, GW_CHILD); child && !bar; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassNameOf(child) == "TOOLBARWINDOW32") bar = child;
  if (!bar) return act.Fail("no toolbar");
  return drv::ClickToolbarButton(bar, a) || act.Fail("toolbar button " + word(1) + " refused");
}

// dialog and the lines on the addressed dialog's controls.
bool RunDialogLine(const Action& act) {
  const auto& w = act.w;
  const std::string& op = act.op;
  int a = 0, b = 0;
  if (op == "dialog") {
    if (!act.Number(1, &a)) return false;
    std::lock_guard<std::mutex> lock(act.s->mutex);
    act.s->addressedTemplate = a;
    return true;
  }
  if (op == "type") {
    if (!act.Need(3) || !act.Number(1, &a)) return false;
    HWND d = act.Dialog();
    return d && (drv::TypeText(d, a, w[2]) || act.Fail("cannot type into control " + w[1]));
  }
  if (op == "click" || op == "radio") {
    if (!act.Number(1, &a)) return false;
    HWND d = act.Dialog();
    return d && (drv::Click(d, a) || act.Fail("cannot click control " + w[1]));
  }
  if (op == "check") {
    if (!act.Need(3) || !act.Number(1, &a)) return false;
    HWND d = act.Dialog();
    return d && (drv::SetCheck(d, a, w[2] == "on") || act.Fail("cannot set check box " + w[1]));
  }
  if (op == "select") {
    if (!act.Number(1, &a) || !act.Number(2, &b)) return false;
    HWND d = act.Dialog();
    return d && (drv::SelectRow(d, a, b) || act.Fail("cannot select row " + w[2] + " of list " + w[1]));
  }
  if (op == "scroll") {
    if (!act.Need(3) || !act.Number(1, &a)) return false;
    int times = 1;
    if (w.size() > 3 && !act.Number(3, &times)) return false;
    HWND d = act.Dialog();
    return d && (drv::Scroll(d, a, w[2] == "up", times) || act.Fail("cannot scroll control " + w[1]));
  }
  if (op == "track") {
    if (!act.Number(1, &a) || !act.Number(2, &b)) return false;
    HWND d = act.Dialog();
    return d && (drv::MoveTrackbar(d, a, b) || act.Fail("cannot move trackbar " + w[1]));
  }
  if (op == "expect-text") {
    if (!act.Need(3) || !act.Number(1, &a)) return false;
    HWND d = act.Dialog();
    if (!d) return false;
    if (!GetDlgItem(d, a)) return act.Fail("no control " + w[1]);
    std::string text = drv::Text(d, a);
    return drv::MatchPattern(w[2], text) || act.Fail("control " + w[1] + " shows \"" + text + "\"");
  }
  // expect-checked
  if (!act.Need(3) || !act.Number(1, &a)) return false;
  HWND d = act.Dialog();
  if (!d) return false;
  bool on = drv::IsChecked(d, a);
  return on == (w[2] == "on") || act.Fail("control " + w[1] + " is " + (on ? "on" : "off"));
}

// expect-status, expect-file, snapshot: what the program shows and writes.
bool RunCheck(const Action& act) {
  const auto& w = act.w;
  int a = 0, b = 0, c = 0;
  if (act.op == "expect-status") {
    HWND window = act.main;
    size_t at = 1;
    if (w.size() > 1 && w[1] == "main") at = 2;
    if (w.size() > 1 && w[1] == "child") {
      if (!act.Number(2, &a) || !act.Number(3, &b)) return false;
      window = act.Child(a, b);
      at = 4;
    }
    if (!act.Need(at + 2) || !act.Number(at, &c)) return false;
    HWND bar = StatusBarOf(window);
    if (!bar) return act.Fail("no status bar");
    std::string text = StatusText(bar, c);
    if (!drv::MatchPattern(w[at + 1], text)) return act.Fail("status part " + w[at] + " is \"" + text + "\"");
    return true;
  }
  if (act.op == "expect-file") {
    if (!act.Need(2)) return false;
    long long size = 0, wanted = 0;
    if (!FileSize(w[1], &size)) return act.Fail("no file " + w[1]);
    if (w.size() > 2) {
      if (!ParseInt(w[2], &wanted)) return act.Fail("not a number: " + w[2]);
      if (size != wanted) return act.Fail(w[1] + " has " + std::to_string(size) + " bytes");
    }
    return true;
  }
  // snapshot
  if (!act.Need(2)) return false;
  HWND window = act.main;
  std::string path = w.back();
  if (w.size() >= 3 && w[1] == "dialog") {
    if (!act.Number(2, &a)) return false;
    window = nullptr;
    auto all = AllDialogs();
    for (auto it = all.rbegin(); it != all.rend() && !window; ++it)
      if (DialogTemplateId(*it) == a) window = *it;
  } else if (w.size() >= 4 && w[1] == "child") {
    if (!act.Number(2, &a) || !act.Number(3, &b)) return false;
    window = act.Child(a, b);
  }
  if (!window) return act.Fail("no such window to snapshot");
  return SnapshotWindow(window, path.c_str()) || act.Fail("cannot write " + path);
}

// Runs one action line; false with the reason.
bool Execute(State* s, const ScriptLine& line, std::string* why) {
  const Action act{s, line.words, line.words[0], s->options.mainWindow, why};
  const std::string& op = act.op;
  if (op == "menu" || op == "popup") return RunCommand(act);
  if (op == "key" || op == "char" || op == "mouse" || op == "move" || op == "toolbar") return RunInput(act);
  if (op == "dialog" || IsDialogLine(op)) return RunDialogLine(act);
  if (op == "expect-status" || op == "expect-file" || op == "snapshot") return RunCheck(act);
  if (op == "boxes") {
    std::lock_guard<std::mutex> lock(s->mutex);
    s->boxesDefault = true;
    return true;
  }
  if (op == "quit") return PostMessage(act.main, WM_CLOSE, 0, 0) || act.Fail("main window missing");
  return act.Fail("unknown action " + op);
}

// Which answer lines the next box or dialog expects.
const ScriptLine* NextLineLocked(State* s) {
  if (s->finished || s->failed || s->next >= s->lines.size()) return nullptr;
  return &s->lines[s->next];
}

int AnswerBox(State* s, const BoxRequest& box) {
  std::lock_guard<std::mutex> lock(s->mutex);
  const ScriptLine* line = NextLineLocked(s);
  if (line && line->words[0] == "box") {
    const auto& w = line->words;
    if (w.size() >= 4 && w[1] == box.caption && drv::MatchPattern(w[2], box.text) && AnswerId(w[3]) != 0) {
      s->next++;
      s->waiting = false;
      return AnswerId(w[3]);
    }
    s->FailLocked(*line, "box \"" + box.caption + "\": \"" + box.text + "\" does not match");
  } else if (!s->boxesDefault && line) {
    s->FailLocked(*line, "unexpected box \"" + box.caption + "\": \"" + box.text + "\"");
  }
  int answer = NonDestructiveAnswer(box.style);
  std::fprintf(stderr, "qv95: box \"%s\" [0x%04X]: %s -> %d\n", box.caption.c_str(), box.style, box.text.c_str(), answer);
  return answer;
}

CommonDialogAnswer AnswerDialog(State* s, const CommonDialogRequest& request) {
  std::lock_guard<std::mutex> lock(s->mutex);
  const ScriptLine* line = NextLineLocked(s);
  const char* wanted = request.kind == CommonDialogKind::Print ? "printer" : "file";
  if (line && line->words[0] == wanted && line->words.size() >= 2) {
    s->next++;
    s->waiting = false;
    if (line->words[1] == "cancel") return CommonDialogAnswer{};
    return CommonDialogAnswer{true, line->words[1]};
  }
  if (line && !s->boxesDefault)
    s->FailLocked(*line, std::string("unexpected ") + CommonDialogKindName(request.kind) + " dialog");
  std::fprintf(stderr, "qv95: %s dialog \"%s\" -> cancelled\n", CommonDialogKindName(request.kind),
               request.title.c_str());
  return CommonDialogAnswer{};
}

UINT ChoosePopup(State* s) {
  std::lock_guard<std::mutex> lock(s->mutex);
  if (!s->popupPending) return 0;
  s->popupPending = false;
  return s->popupChoice;
}

void EndScript(State* s, int code) {
  std::function<void(int)> finished;
  {
    std::lock_guard<std::mutex> lock(s->mutex);
    if (s->finished) return;
    s->finished = true;
    finished = s->options.finished;
  }
  if (finished) finished(code);
  else PostQuitMessage(code);
}

IdleResult Turn(void* context) {
  auto* s = static_cast<State*>(context);
  ScriptLine line;
  {
    std::lock_guard<std::mutex> lock(s->mutex);
    if (s->finished) return IdleResult::Idle;
    if (!s->failed && s->next < s->lines.size()) {
      line = s->lines[s->next];
      const std::string& op = line.words[0];
      bool answerLine = op == "box" || op == "file" || op == "printer";
      const bool dialogLine = IsDialogLine(op);
      if (dialogLine && FindDialog(s->addressedTemplate)) {
        s->waiting = false;  // the dialog is there: the line runs below
        s->next++;
      } else if (answerLine || dialogLine || op == "wait-idle") {
        if (!s->waiting) {
          s->waiting = true;
          DWORD limit = s->options.waitMilliseconds;
          int seconds = 0;
          if (op == "wait-idle" && line.words.size() > 1 && ParseInt(line.words[1], &seconds) && seconds > 0)
            limit = static_cast<DWORD>(seconds) * 1000u;
          s->deadline = Clock::now() + std::chrono::milliseconds(limit);
        }
        bool late = Clock::now() >= s->deadline;
        if (dialogLine) {
          if (!late) return IdleResult::Poll;  // another thread may still open it
          s->waiting = false;
          s->next++;  // runs below and says that no dialog is open
        } else if (answerLine) {
          if (!late) return IdleResult::Poll;  // a worker may still show it
          s->FailLocked(line, "no " + std::string(op == "box" ? "message box" : op + " dialog") + " appeared");
        } else {
          bool busy = false;
          if (s->options.busy) {
            std::function<bool()> probe = s->options.busy;
            s->mutex.unlock();
            busy = probe();
            s->mutex.lock();
          }
          if (busy && !late) return IdleResult::Poll;
          if (busy) s->FailLocked(line, "the program stayed busy");
          s->waiting = false;
          if (!busy) s->next++;
          return IdleResult::Again;
        }
      } else {
        s->waiting = false;
        s->next++;
      }
    }
  }
  bool failed = false;
  {
    std::lock_guard<std::mutex> lock(s->mutex);
    failed = s->failed;
  }
  if (failed) {
    EndScript(s, 1);
    return IdleResult::Idle;
  }
  if (line.words.empty()) {  // every line ran
    EndScript(s, 0);
    return IdleResult::Idle;
  }
  std::string why;
  if (!Execute(s, line, &why)) s->Fail(line, why);
  return IdleResult::Again;
}

}  // namespace

ScriptRunner::ScriptRunner() : state_(std::make_shared<State>()) {}

ScriptRunner::~ScriptRunner() {
  if (state_->started) Finish();
}

bool ScriptRunner::LoadText(const std::string& name, const std::string& text, std::string* error) {
  state_->name = name;
  state_->lines.clear();
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    ScriptLine line;
    line.number = number;
    std::string why;
    if (!SplitLine(raw, &line.words, &why)) {
      if (error) *error = name + ":" + std::to_string(number) + ": " + why;
      return false;
    }
    if (!line.words.empty()) state_->lines.push_back(line);
  }
  return true;
}

bool ScriptRunner::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = path + ": cannot open the script";
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  return LoadText(path, text.str(), error);
}

void ScriptRunner::Start(const ScriptOptions& options) {
  State* s = state_.get();
  s->options = options;
  s->started = true;
  s->previousBox = SetBoxAnswerer([s](const BoxRequest& box) { return AnswerBox(s, box); });
  s->previousDialog = SetCommonDialogAnswerer([s](const CommonDialogRequest& r) { return AnswerDialog(s, r); });
  s->previousPopup = SetPopupChooser([s](const PopupRequest&) { return ChoosePopup(s); });
  SetIdleHook(&Turn, s);
}

int ScriptRunner::Finish() {
  State* s = state_.get();
  if (s->started) {
    SetIdleHook(nullptr, nullptr);
    SetBoxAnswerer(std::move(s->previousBox));
    SetCommonDialogAnswerer(std::move(s->previousDialog));
    SetPopupChooser(std::move(s->previousPopup));
    s->started = false;
  }
  std::lock_guard<std::mutex> lock(s->mutex);
  if (!s->failed && s->next < s->lines.size()) s->FailLocked(s->lines[s->next], "the program ended before this line");
  return s->failed ? 1 : 0;
}

bool ScriptRunner::Finished() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->finished;
}

std::string ScriptRunner::Failure() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->failure;
}

}  // namespace platform
