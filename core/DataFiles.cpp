#include "core/DataFiles.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/kernel/CommandLine.h"

namespace core_data {

namespace {

std::mutex& RootLock() {
  static std::mutex lock;
  return lock;
}

std::string& RootOverride() {
  static std::string root;  // guarded by RootLock()
  return root;
}

bool IsFolder(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_directory(p, ec);
}

}  // namespace

void SetDataRoot(const std::string& root) {
  std::lock_guard lock(RootLock());
  RootOverride() = root;
}

std::string FindDataFolder(const char* name) {
  if (!name || !*name) return {};
  {
    std::lock_guard lock(RootLock());
    if (!RootOverride().empty()) {
      std::filesystem::path p = std::filesystem::path(RootOverride()) / name;
      return IsFolder(p) ? p.string() : std::string();
    }
  }
  std::string program = platform::ProgramPath();
  if (program.empty()) return {};
  std::filesystem::path folder = std::filesystem::path(program).parent_path();
  std::filesystem::path installed = folder.parent_path() / "share" / "qv95" / name;
  std::filesystem::path at = folder;
  for (int up = 0; up <= 3; ++up) {
    std::filesystem::path p = at / "data" / name;
    if (IsFolder(p)) return p.string();
    if (!at.has_parent_path() || at.parent_path() == at) break;
    at = at.parent_path();
  }
  return IsFolder(installed) ? installed.string() : std::string();
}

}  // namespace core_data
