#include "platform/kernel/CommandLine.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/kernel/Error.h"
#include "platform/kernel/Text.h"

namespace platform {
namespace {

struct CommandLineState {
  std::map<std::string, std::string> options;
  std::string workingFile;
  // Every command line handed out stays alive, since callers keep the pointer.
  std::vector<std::unique_ptr<std::string>> lines;
};

std::mutex& StateMutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}
CommandLineState& State() {
  static auto* state = new CommandLineState();  // guarded by StateMutex
  return *state;
}

std::string Shape(const std::string& program, const std::string& workingFile) {
  std::string line = "\"" + program + "\" ";
  if (!workingFile.empty()) line += "\"" + workingFile + "\"";
  return line;
}

}  // namespace

std::string ProgramPath() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      SetLastErrorFromErrno("cannot read the program's path", errno);
      return std::string();
    }
    if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

bool SetProgramArguments(int argc, const char* const* argv) {
  bool ok = true;
  std::map<std::string, std::string> options;
  std::string workingFile;
  bool optionsEnded = false;
  for (int i = 1; i < argc && argv; ++i) {
    if (!argv[i]) continue;
    std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && arg.rfind("--", 0) == 0) {
      std::string name = arg.substr(2);
      std::string value;
      size_t equals = name.find('=');
      if (equals != std::string::npos) {
        value = name.substr(equals + 1);
        name.resize(equals);
      } else if (name == "script") {
        if (i + 1 < argc && argv[i + 1]) {
          value = argv[++i];
        } else {
          SetLastErrorText("option --script needs a file name");
          ok = false;
          continue;
        }
      }
      if (name != "script") {
        SetLastErrorText("unknown option " + arg);
        ok = false;
        continue;
      }
      options[name] = value;
      continue;
    }
    if (workingFile.empty()) workingFile = arg;
  }
  std::string absolute = workingFile;
  if (!absolute.empty() && absolute[0] != '/' && absolute.find('\\') == std::string::npos &&
      !(absolute.size() >= 2 && absolute[1] == ':')) {
    std::error_code error;
    auto full = std::filesystem::absolute(absolute, error);
    if (!error) absolute = full.lexically_normal().string();
  }
  std::string program = ProgramPath();
  if (program.empty() && argc > 0 && argv && argv[0]) program = argv[0];
  std::lock_guard<std::mutex> lock(StateMutex());
  State().options = std::move(options);
  State().workingFile = workingFile;
  State().lines.push_back(std::make_unique<std::string>(Shape(program, absolute)));
  return ok;
}

std::string ProgramOption(const char* name) {
  if (!name) return std::string();
  std::lock_guard<std::mutex> lock(StateMutex());
  auto it = State().options.find(name);
  return it == State().options.end() ? std::string() : it->second;
}

std::string ProgramWorkingFile() {
  std::lock_guard<std::mutex> lock(StateMutex());
  return State().workingFile;
}

}  // namespace platform

const char* GetCommandLine() {
  using namespace platform;
  {
    std::lock_guard<std::mutex> lock(StateMutex());
    if (!State().lines.empty()) return State().lines.back()->c_str();
  }
  std::string line = Shape(ProgramPath(), std::string());
  std::lock_guard<std::mutex> lock(StateMutex());
  if (State().lines.empty()) State().lines.push_back(std::make_unique<std::string>(line));
  return State().lines.back()->c_str();
}

DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD cap) {
  if (module != nullptr || !buffer || cap == 0) {
    platform::SetLastErrorText("GetModuleFileName: only the program's own module, into a buffer");
    return 0;
  }
  std::string path = platform::ProgramPath();
  if (path.empty()) {
    buffer[0] = '\0';
    return 0;
  }
  if (!StrCopy(buffer, cap, path.c_str())) {
    platform::SetLastErrorText("GetModuleFileName: the path does not fit the buffer");
    return cap;
  }
  return static_cast<DWORD>(path.size());
}
