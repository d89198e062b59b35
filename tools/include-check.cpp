// The include lines of the sources follow the layer order: every folder includes only
// folders below it, and folders of one rank do not include each other.
//
//   include-check ROOT LAYER...
//
// The layers are given bottom to top as the top CMakeLists.txt lists them: a folder
// ("core"), folders of one rank joined by '|' ("platform/driver|platform/frontend"), or
// "x/*" for every subfolder of x at one rank. A source belongs to the deepest listed
// folder holding it. The order written at the top of docs/ARCHITECTURE.md must be the
// same. Every folder of the root holding sources is in a layer, except the ones that
// stand above them all (tests, bench, tools). Prints each violation as FILE:LINE and
// exits 1 when there is one.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Folder {
  std::string path;  // relative to the root, without a trailing slash
  int rank = 0;
};

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r`");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t\r`");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(Trim(part));
  return parts;
}

bool IsSource(const fs::path& path) {
  const std::string ext = path.extension().string();
  return ext == ".cpp" || ext == ".h";
}

// The deepest listed folder holding a path (relative to the root), or null.
const Folder* FolderOf(const std::vector<Folder>& folders, const std::string& path) {
  const Folder* best = nullptr;
  for (const Folder& f : folders)
    if (path.compare(0, f.path.size() + 1, f.path + "/") == 0 && (!best || f.path.size() > best->path.size()))
      best = &f;
  return best;
}

// The order written at the top of docs/ARCHITECTURE.md: the first block of indented
// lines after the line that starts "Layer order", joined and cut at '<'.
std::vector<std::string> DocumentedOrder(const fs::path& docs) {
  std::ifstream in(docs);
  std::string line, text;
  bool after = false;
  while (std::getline(in, line)) {
    const bool indented = line.rfind("    ", 0) == 0 && !Trim(line).empty();
    if (!after) {
      after = line.rfind("Layer order", 0) == 0;
    } else if (indented) {
      text += " " + line;
    } else if (!text.empty()) {
      break;
    }
  }
  std::vector<std::string> order;
  for (const std::string& rank : Split(text, '<')) {
    std::string joined;
    for (const std::string& folder : Split(rank, '|')) joined += (joined.empty() ? "" : "|") + folder;
    order.push_back(joined);
  }
  return order;
}

}  // namespace

int main(int argc, char** argv) {
  const int first = 2;
  if (argc <= first) {
    std::fprintf(stderr, "usage: include-check ROOT LAYER...\n");
    return 2;
  }
  const fs::path root = argv[1];
  int failures = 0;
  auto fail = [&failures](const std::string& text) {
    std::printf("%s\n", text.c_str());
    ++failures;
  };

  std::vector<std::string> layers(argv + first, argv + argc);
  std::vector<Folder> folders;
  for (size_t rank = 0; rank < layers.size(); ++rank) {
    for (const std::string& name : Split(layers[rank], '|')) {
      if (name.size() > 2 && name.compare(name.size() - 2, 2, "/*") == 0) {
        const std::string parent = name.substr(0, name.size() - 2);
        std::set<std::string> subfolders;
        for (const auto& entry : fs::directory_iterator(root / parent))
          if (entry.is_directory()) subfolders.insert(parent + "/" + entry.path().filename().string());
        for (const std::string& sub : subfolders) folders.push_back({sub, static_cast<int>(rank)});
      } else {
        folders.push_back({name, static_cast<int>(rank)});
      }
    }
  }

  const std::vector<std::string> documented = DocumentedOrder(root / "docs" / "ARCHITECTURE.md");
  if (documented != layers) {
    std::string text;
    for (const std::string& rank : documented) text += (text.empty() ? "" : " < ") + rank;
    fail("docs/ARCHITECTURE.md: the layer order at its top differs from the build's: " + text);
  }

  const std::set<std::string> above = {"tests", "bench", "tools", "build", "data", "docs", "examples"};
  std::map<std::string, bool> reported;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string rel = fs::relative(it->path(), root).generic_string();
    const std::string top = rel.substr(0, rel.find('/'));
    if (it->is_directory() && (top[0] == '.' || above.count(top))) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file() || !IsSource(it->path())) continue;
    const Folder* source = FolderOf(folders, rel);
    if (!source) {
      const std::string folder = fs::path(rel).parent_path().generic_string();
      if (!reported[folder]) fail(folder + ": a folder of sources in no layer");
      reported[folder] = true;
      continue;
    }
    std::ifstream in(it->path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      const size_t hash = line.find_first_not_of(" \t");
      if (hash == std::string::npos || line[hash] != '#') continue;
      const size_t word = line.find_first_not_of(" \t", hash + 1);
      if (word == std::string::npos || line.compare(word, 7, "include") != 0) continue;
      const size_t open = line.find('"', word + 7);
      const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
      if (close == std::string::npos) continue;
      const std::string included = line.substr(open + 1, close - open - 1);
      const Folder* target = FolderOf(folders, included);
      if (!target || target == source || target->rank < source->rank) continue;
      const char* how = target->rank == source->rank ? "of the same rank" : "above it";
      fail(rel + ":" + std::to_string(number) + ": " + source->path + " includes \"" + included + "\" of " +
           target->path + ", " + how);
    }
  }
  if (failures == 0) std::printf("every include runs downward through %zu layers\n", layers.size());
  return failures == 0 ? 0 : 1;
}
