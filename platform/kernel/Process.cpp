#include "platform/kernel/Process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/kernel/Error.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"

extern char** environ;

namespace platform {
namespace {

// A child process. The fields are guarded by the kernel lock.
class ProcessObject : public KernelObject {
 public:
  explicit ProcessObject(pid_t pid) : pid_(pid) {}
  bool IsSignalled() const override { return ended_; }

  pid_t pid_;
  bool ended_ = false;
  bool terminated_ = false;
  DWORD terminateCode_ = 0;
  DWORD exitCode_ = STILL_ACTIVE;
};

std::mutex& EditorMutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}
std::string& EditorSetting() {
  static auto* command = new std::string();  // guarded by EditorMutex; "" = default
  return *command;
}

// Waits for the child to end, without reaping it first, so that TerminateProcess
// (which checks ended_ under the kernel lock) can never signal a reused process id.
void Reap(std::shared_ptr<ProcessObject> process) {
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(process->pid_), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
  }
  int status = 0;
  {
    auto lock = LockKernel();
    process->ended_ = true;
    pid_t reaped;
    while ((reaped = waitpid(process->pid_, &status, 0)) < 0 && errno == EINTR) {
    }
    if (reaped < 0) {
      // Reaped elsewhere (SIGCHLD ignored, a foreign wait): the outcome is unknown,
      // which must not read as success.
      process->exitCode_ = 1;
    } else if (process->terminated_ && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
      process->exitCode_ = process->terminateCode_;
    } else if (WIFEXITED(status)) {
      process->exitCode_ = static_cast<DWORD>(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
      process->exitCode_ = 128u + static_cast<DWORD>(WTERMSIG(status));
    } else {
      process->exitCode_ = 1;
    }
  }
  NotifyKernel();
}

std::shared_ptr<ProcessObject> ProcessOf(HANDLE handle) {
  return std::dynamic_pointer_cast<ProcessObject>(LookupObject(handle));
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindProgram(const std::string& program) {
  if (program.empty()) return std::string();
  if (program.find('/') != std::string::npos) return IsExecutableFile(program) ? program : std::string();
  const char* path = std::getenv("PATH");
  std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t colon = list.find(':', pos);
    if (colon == std::string::npos) colon = list.size();
    // An empty entry is the current folder. The candidate is built by appending to
    // the folder (assigning "." or chaining + makes GCC 12 at -O3 warn about an
    // overlap of the copies that cannot happen).
    std::string candidate = colon > pos ? list.substr(pos, colon - pos) : std::string(1, '.');
    pos = colon + 1;
    candidate.push_back('/');
    candidate.append(program);
    if (IsExecutableFile(candidate)) return candidate;
  }
  return std::string();
}

std::vector<std::string> SplitCommandLine(const char* commandLine) {
  std::vector<std::string> args;
  if (!commandLine) return args;
  std::string_view s = commandLine;
  size_t i = 0;
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (i < s.size() && isBlank(s[i])) ++i;
  if (i == s.size()) return args;
  // The program name: no escapes, as the system's own loader reads it.
  std::string program;
  if (s[i] == '"') {
    size_t close = s.find('"', i + 1);
    if (close == std::string_view::npos) close = s.size();
    program = std::string(s.substr(i + 1, close - i - 1));
    i = close < s.size() ? close + 1 : close;
  } else {
    size_t stop = i;
    while (stop < s.size() && !isBlank(s[stop])) ++stop;
    program = std::string(s.substr(i, stop - i));
    i = stop;
  }
  args.push_back(std::move(program));
  for (;;) {
    while (i < s.size() && isBlank(s[i])) ++i;
    if (i >= s.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < s.size() && (quoted || !isBlank(s[i]))) {
      if (s[i] == '\\') {
        size_t count = 0;
        while (i < s.size() && s[i] == '\\') ++count, ++i;
        if (i < s.size() && s[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(count, '\\');
        }
        continue;
      }
      if (s[i] == '"') {
        if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += s[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

HANDLE StartProcess(const std::vector<std::string>& argv, const char* folder) {
  if (argv.empty() || argv[0].empty()) {
    SetLastErrorText("no program to start");
    return nullptr;
  }
  // A name with a folder (or drive) is a path to map; a bare name is searched along PATH.
  const std::string& name = argv[0];
  bool hasFolder = name.find_first_of("/\\") != std::string::npos || (name.size() >= 2 && name[1] == ':');
  std::string mapped = hasFolder ? MapPath(name.c_str()) : name;
  std::string program = FindProgram(mapped);
  if (program.empty()) {
    SetLastErrorFromErrno(StrPrintf("cannot start \"%s\"", mapped.c_str()).c_str(), ENOENT);
    return nullptr;
  }
  std::vector<std::string> args = argv;
  std::vector<char*> pointers;
  for (auto& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  std::string folderPath;
  if (folder && *folder) {
    folderPath = MapPath(folder);
    if (!DirectoryExists(folderPath.c_str())) {
      posix_spawn_file_actions_destroy(&actions);
      posix_spawnattr_destroy(&attributes);
      SetLastErrorFromErrno(StrPrintf("cannot start \"%s\" in \"%s\"", program.c_str(), folderPath.c_str()).c_str(),
                            ENOENT);
      return nullptr;
    }
    posix_spawn_file_actions_addchdir_np(&actions, folderPath.c_str());
  }
  // The child starts with no blocked signals and the default actions for the ones
  // a parent commonly ignores.
  sigset_t empty;
  sigset_t defaults;
  sigemptyset(&empty);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGXFSZ);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  posix_spawnattr_setsigmask(&attributes, &empty);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  // Each child leads a process group of its own, so that TerminateProcess also ends
  // the programs it started (a shell's commands).
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  pid_t pid = 0;
  int error = posix_spawn(&pid, program.c_str(), &actions, &attributes, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    SetLastErrorFromErrno(StrPrintf("cannot start \"%s\"", program.c_str()).c_str(), error);
    return nullptr;
  }
  auto process = std::make_shared<ProcessObject>(pid);
  HANDLE handle = RegisterObject(process);
  try {
    std::thread(Reap, process).detach();
  } catch (const std::system_error&) {
    // No thread for the reaper: reap on the spot rather than leave a child unwatched.
    Reap(process);
  }
  return handle;
}

HANDLE StartCommand(const char* commandLine, const char* folder) {
  return StartProcess(SplitCommandLine(commandLine), folder);
}

BOOL StartCommandDetached(const char* commandLine, const char* folder) {
  HANDLE process = StartCommand(commandLine, folder);
  if (!process) return FALSE;
  CloseHandle(process);
  return TRUE;
}

BOOL ShellStartProgram(const char* program, const char* parameters, const char* folder) {
  if (!program || !*program) {
    SetLastErrorText("no program to start");
    return FALSE;
  }
  std::vector<std::string> argv{program};
  if (parameters && *parameters) {
    // Split the parameters as the arguments of a command whose program is a stand-in.
    std::vector<std::string> rest = SplitCommandLine(("x " + std::string(parameters)).c_str());
    argv.insert(argv.end(), rest.begin() + 1, rest.end());
  }
  HANDLE process = StartProcess(argv, folder);
  if (!process) return FALSE;
  CloseHandle(process);
  return TRUE;
}

void SetEditorCommand(const char* command) {
  std::lock_guard<std::mutex> lock(EditorMutex());
  EditorSetting() = command ? command : "";
}

std::string EditorCommand() {
  {
    std::lock_guard<std::mutex> lock(EditorMutex());
    if (!EditorSetting().empty()) return EditorSetting();
  }
  return FindProgram("xdg-open").empty() ? std::string() : std::string("xdg-open");
}

BOOL ShellOpenDocument(const char* path) {
  if (!path || !*path) {
    SetLastErrorText("no document to open");
    return FALSE;
  }
  std::string command = EditorCommand();
  if (command.empty()) {
    SetLastErrorText("no program to open documents: xdg-open not found and no editor command set");
    return FALSE;
  }
  std::vector<std::string> argv = SplitCommandLine(command.c_str());
  if (argv.empty()) {
    SetLastErrorText("the editor command is empty");
    return FALSE;
  }
  argv.push_back(MapPath(path));
  HANDLE process = StartProcess(argv);
  if (!process) return FALSE;
  CloseHandle(process);
  return TRUE;
}

}  // namespace platform

using namespace platform;

BOOL CreateProcess(const char* application, const char* commandLine, const char* currentDirectory,
                   PROCESS_INFORMATION* info) {
  std::vector<std::string> argv = SplitCommandLine(commandLine);
  if (application && *application) {
    if (argv.empty()) argv.emplace_back();
    argv[0] = application;
  }
  HANDLE process = StartProcess(argv, currentDirectory);
  if (!process) return FALSE;
  if (info) {
    info->hProcess = process;
    info->hThread = nullptr;
    info->dwProcessId = GetProcessId(process);
    info->dwThreadId = 0;
  } else {
    CloseHandle(process);
  }
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE handle, DWORD* exitCode) {
  auto process = ProcessOf(handle);
  if (!process || !exitCode) {
    SetLastErrorText("invalid process handle");
    return FALSE;
  }
  auto lock = LockKernel();
  *exitCode = process->ended_ ? process->exitCode_ : STILL_ACTIVE;
  return TRUE;
}

BOOL TerminateProcess(HANDLE handle, UINT exitCode) {
  auto process = ProcessOf(handle);
  if (!process) {
    SetLastErrorText("invalid process handle");
    return FALSE;
  }
  auto lock = LockKernel();
  if (process->ended_) return TRUE;
  // Not yet reaped, so the id still names our child and its group.
  if (kill(-process->pid_, SIGKILL) != 0 && kill(process->pid_, SIGKILL) != 0) {
    SetLastErrorFromErrno("cannot terminate the process", errno);
    return FALSE;
  }
  process->terminated_ = true;
  process->terminateCode_ = exitCode;
  return TRUE;
}

DWORD GetProcessId(HANDLE handle) {
  auto process = ProcessOf(handle);
  return process ? static_cast<DWORD>(process->pid_) : 0;
}
