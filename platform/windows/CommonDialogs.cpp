// The common open, save and print dialogs, answered by the replaceable answerer.
#include "platform/windows/CommonDialogs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/kernel/Error.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Sync.h"

namespace platform {
namespace {

std::mutex& DialogMutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}
CommonDialogAnswerer& Answerer() {  // guarded by DialogMutex
  static auto* answerer = new CommonDialogAnswerer();
  return *answerer;
}
std::vector<CommonDialogRequest>& Log() {  // guarded by DialogMutex
  static auto* log = new std::vector<CommonDialogRequest>();
  return *log;
}
std::set<HGLOBAL>& Blocks() {  // guarded by DialogMutex
  static auto* blocks = new std::set<HGLOBAL>();
  return *blocks;
}
thread_local DWORD t_lastError = 0;

CommonDialogAnswer Ask(const CommonDialogRequest& request) {
  CommonDialogAnswerer answerer;
  {
    std::lock_guard<std::mutex> lock(DialogMutex());
    Log().push_back(request);
    answerer = Answerer();
  }
  if (answerer) return answerer(request);
  std::fprintf(stderr, "qv95: %s dialog \"%s\" (proposed \"%s\") -> cancelled\n", CommonDialogKindName(request.kind),
               request.title.c_str(), request.proposed.c_str());
  return CommonDialogAnswer{};
}

std::vector<std::pair<std::string, std::string>> ParseFilters(const char* list) {
  std::vector<std::pair<std::string, std::string>> filters;
  if (!list) return filters;
  const char* p = list;
  // The list ends with an empty string; no more than 64 pairs are read.
  for (int i = 0; *p && i < 64; ++i) {
    std::string description = p;
    p += description.size() + 1;
    std::string pattern = p;
    p += pattern.size() + 1;
    filters.emplace_back(description, pattern);
    if (pattern.empty()) break;
  }
  return filters;
}

// The chosen name may be written as the program writes its names (either separator,
// a drive letter): it is looked for where the files layer would open it.
bool FileExists(const std::string& path) {
  struct stat info;
  return stat(MapPath(path.c_str()).c_str(), &info) == 0;
}

BOOL FileDialog(OPENFILENAME* ofn, CommonDialogKind kind) {
  t_lastError = 0;
  if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) {
    t_lastError = 0xFFFF;
    return FALSE;
  }
  CommonDialogRequest request;
  request.kind = kind;
  request.owner = ofn->hwndOwner;
  request.title = ofn->lpstrTitle ? ofn->lpstrTitle : (kind == CommonDialogKind::Open ? "Open" : "Save As");
  request.filters = ParseFilters(ofn->lpstrFilter);
  request.initialFolder = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
  request.proposed.assign(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
  request.defaultExtension = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
  request.flags = ofn->Flags;
  request.threadId = GetCurrentThreadId();
  CommonDialogAnswer answer = Ask(request);
  if (!answer.accepted || answer.value.empty()) return FALSE;
  std::string path = answer.value;
  size_t slash = path.find_last_of("/\\");
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.find('.', nameStart);
  // An open dialog takes a chosen file that exists as it is; the default extension
  // completes a name without one that names no file, and every name a save dialog gets.
  if (dot == std::string::npos && !request.defaultExtension.empty() &&
      (kind != CommonDialogKind::Open || !FileExists(path))) {
    path += "." + request.defaultExtension;
    dot = path.find('.', nameStart);
  }
  if (kind == CommonDialogKind::Open && (ofn->Flags & OFN_FILEMUSTEXIST) && !FileExists(path)) {
    MessageBox(ofn->hwndOwner, (path + "\nFile not found.\nCheck the file name and try again.").c_str(),
               request.title.c_str(), MB_OK | MB_ICONWARNING);
    return FALSE;
  }
  if (kind == CommonDialogKind::Save && (ofn->Flags & OFN_OVERWRITEPROMPT) && FileExists(path)) {
    if (MessageBox(ofn->hwndOwner, (path + " already exists.\nDo you want to replace it?").c_str(), "Confirm Save As",
                   MB_YESNO | MB_ICONWARNING) != IDYES)
      return FALSE;
  }
  if (path.size() + 1 > ofn->nMaxFile) {
    t_lastError = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
  ofn->nFileOffset = static_cast<WORD>(nameStart);
  ofn->nFileExtension = static_cast<WORD>(dot == std::string::npos ? path.size() : dot + 1);
  if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
    std::string title = path.substr(nameStart);
    size_t n = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
    std::memcpy(ofn->lpstrFileTitle, title.data(), n);
    ofn->lpstrFileTitle[n] = '\0';
  }
  return TRUE;
}

struct Block {
  std::vector<char> bytes;
};

}  // namespace

CommonDialogAnswerer SetCommonDialogAnswerer(CommonDialogAnswerer answerer) {
  std::lock_guard<std::mutex> lock(DialogMutex());
  CommonDialogAnswerer previous = std::move(Answerer());
  Answerer() = std::move(answerer);
  return previous;
}

std::vector<CommonDialogRequest> CommonDialogLog() {
  std::lock_guard<std::mutex> lock(DialogMutex());
  return Log();
}

void ClearCommonDialogLog() {
  std::lock_guard<std::mutex> lock(DialogMutex());
  Log().clear();
}

const char* CommonDialogKindName(CommonDialogKind kind) {
  switch (kind) {
    case CommonDialogKind::Open:
      return "open";
    case CommonDialogKind::Save:
      return "save";
    default:
      return "print";
  }
}

}  // namespace platform

using namespace platform;

HGLOBAL GlobalAlloc(UINT, size_t bytes) {
  auto* block = new Block();
  block->bytes.assign(std::max<size_t>(bytes, 1), 0);
  HGLOBAL handle = reinterpret_cast<HGLOBAL>(block);
  std::lock_guard<std::mutex> lock(DialogMutex());
  Blocks().insert(handle);
  return handle;
}

void* GlobalLock(HGLOBAL block) {
  std::lock_guard<std::mutex> lock(DialogMutex());
  if (!Blocks().count(block)) return nullptr;
  return reinterpret_cast<Block*>(block)->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL) {
  return FALSE;  // no lock count is kept: a block is never "still locked"
}

HGLOBAL GlobalFree(HGLOBAL block) {
  {
    std::lock_guard<std::mutex> lock(DialogMutex());
    if (!Blocks().erase(block)) return block;
  }
  delete reinterpret_cast<Block*>(block);
  return nullptr;
}

BOOL GetOpenFileName(OPENFILENAME* ofn) { return FileDialog(ofn, CommonDialogKind::Open); }
BOOL GetSaveFileName(OPENFILENAME* ofn) { return FileDialog(ofn, CommonDialogKind::Save); }
DWORD CommDlgExtendedError() { return t_lastError; }

BOOL PrintDlg(PRINTDLG* pd) {
  t_lastError = 0;
  if (!pd) return FALSE;
  CommonDialogRequest request;
  request.kind = CommonDialogKind::Print;
  request.owner = pd->hwndOwner;
  request.title = "Print";
  request.flags = pd->Flags;
  request.threadId = GetCurrentThreadId();
  CommonDialogAnswer answer = Ask(request);
  if (!answer.accepted) return FALSE;
  auto names = PrinterNames();
  if (std::find(names.begin(), names.end(), answer.value) == names.end()) {
    std::fprintf(stderr, "qv95: print dialog: no printer \"%s\" -> cancelled\n", answer.value.c_str());
    return FALSE;
  }
  // The PDF printer prints to a file, which it asks for as a print-to-file printer of
  // the desktop system does: a save dialog in the current (the data) folder. Cancel
  // there cancels the printing.
  std::string output;
  if (answer.value == kPdfPrinterName && (pd->Flags & PD_RETURNDC)) {
    char file[4096] = "print.pdf";
    char folder[4096] = "";
    if (GetCurrentDirectory(sizeof folder, folder) == 0) folder[0] = '\0';
    OPENFILENAME ofn;
    ofn.hwndOwner = pd->hwndOwner;
    ofn.lpstrFilter = "PDF Document (*.pdf)\0*.pdf\0\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = folder;
    ofn.lpstrTitle = "Save Print Output As";
    ofn.lpstrDefExt = "pdf";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetSaveFileName(&ofn)) return FALSE;
    output = file;
  }
  HGLOBAL mode = GlobalAlloc(GHND, sizeof(DEVMODE));
  auto* devmode = static_cast<DEVMODE*>(GlobalLock(mode));
  *devmode = DEVMODE{};
  std::snprintf(devmode->dmDeviceName, sizeof devmode->dmDeviceName, "%s", answer.value.c_str());
  devmode->dmCopies = static_cast<int16_t>(std::max<WORD>(1, pd->nCopies));
  GlobalUnlock(mode);
  // DEVNAMES: header, then "winspool", the device name and the output "".
  const std::string driver = "winspool";
  size_t total = sizeof(DEVNAMES) + driver.size() + 1 + answer.value.size() + 1 + 1;
  HGLOBAL namesBlock = GlobalAlloc(GHND, total);
  char* base = static_cast<char*>(GlobalLock(namesBlock));
  DEVNAMES header;
  header.wDriverOffset = static_cast<WORD>(sizeof(DEVNAMES));
  header.wDeviceOffset = static_cast<WORD>(header.wDriverOffset + driver.size() + 1);
  header.wOutputOffset = static_cast<WORD>(header.wDeviceOffset + answer.value.size() + 1);
  std::memcpy(base, &header, sizeof header);
  std::memcpy(base + header.wDriverOffset, driver.c_str(), driver.size() + 1);
  std::memcpy(base + header.wDeviceOffset, answer.value.c_str(), answer.value.size() + 1);
  base[header.wOutputOffset] = '\0';
  GlobalUnlock(namesBlock);
  pd->hDevMode = mode;
  pd->hDevNames = namesBlock;
  pd->hDC = nullptr;
  if (pd->Flags & PD_RETURNDC) {
    pd->hDC = CreateDC(nullptr, answer.value.c_str(), output.empty() ? nullptr : output.c_str(), nullptr);
    if (!pd->hDC) {
      GlobalFree(mode);
      GlobalFree(namesBlock);
      pd->hDevMode = pd->hDevNames = nullptr;
      return FALSE;
    }
  }
  return TRUE;
}
