// The printer list, the print job log and the raw printers of the spooler: every
// byte of a raw document goes unchanged into its capture file.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/kernel/Error.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiPrinters.h"

namespace {

struct RawPrinter {
  std::string name;
  FILE* file = nullptr;  // the open document's capture file
  std::string path;
  DWORD job = 0;
  bool inPage = false;
};

struct PrinterState {
  std::mutex mutex;
  std::vector<std::string> rawNames{platform::kDefaultRawPrinterName};
  std::string captureFolder;
  std::vector<platform::PrintJob> jobs;
  DWORD nextJob = 1;
  platform::RawPrinterStep failStep = platform::RawPrinterStep::None;
  uint32_t failAfter = 0;
  // Open printers by handle value; handle values never repeat.
  std::unordered_map<uintptr_t, std::unique_ptr<RawPrinter>> open;
  uint32_t nextHandle = 1;
};

PrinterState& State() {
  static auto* state = new PrinterState();  // guarded by its own mutex
  return *state;
}

// Raw printer handles carry their own tag so that no other handle is mistaken for one.
constexpr uintptr_t kPrinterTag = uintptr_t{0x50} << 24;

// True when the injected failure hits this step now (lock held).
bool Fails(platform::RawPrinterStep step) {
  PrinterState& s = State();
  if (s.failStep != step) return false;
  if (s.failAfter > 0) {
    --s.failAfter;
    return false;
  }
  platform::SetLastErrorText("The printer is not responding (injected failure).");
  return true;
}

RawPrinter* Find(HANDLE handle) {
  auto it = State().open.find(reinterpret_cast<uintptr_t>(handle));
  return it == State().open.end() ? nullptr : it->second.get();
}

platform::PrintJob* JobLocked(DWORD job) {
  for (platform::PrintJob& j : State().jobs)
    if (j.job == job) return &j;
  return nullptr;
}

// Closes the open document's capture file; false when the close failed.
bool EndDocument(RawPrinter& printer) {
  if (!printer.file) return true;
  int result = fclose(printer.file);
  int error = errno;
  printer.file = nullptr;
  printer.inPage = false;
  platform::PrintJob* job = JobLocked(printer.job);
  if (job) job->completed = result == 0;
  if (result != 0) platform::SetLastErrorFromErrno(("EndDocPrinter: " + printer.path).c_str(), error);
  return result == 0;
}

std::string SafeFileName(const std::string& name) {
  std::string out;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
    out += ok ? c : '_';
  }
  return out.empty() ? std::string("printer") : out;
}

}  // namespace

namespace platform {

std::vector<std::string> PrinterNames() {
  std::lock_guard lock(State().mutex);
  std::vector<std::string> names{kPdfPrinterName};
  names.insert(names.end(), State().rawNames.begin(), State().rawNames.end());
  return names;
}

void SetRawPrinterNames(std::vector<std::string> names) {
  std::lock_guard lock(State().mutex);
  State().rawNames = std::move(names);
}

bool IsRawPrinter(const std::string& name) {
  std::lock_guard lock(State().mutex);
  for (const std::string& n : State().rawNames)
    if (n == name) return true;
  return false;
}

void SetPrinterCaptureFolder(std::string folder) {
  std::lock_guard lock(State().mutex);
  State().captureFolder = std::move(folder);
}

std::string PrinterCaptureFolder() {
  std::lock_guard lock(State().mutex);
  if (!State().captureFolder.empty()) return State().captureFolder;
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) temp = "/tmp";
  return (temp / "qv95-print").string();
}

std::vector<PrintJob> PrintJobs() {
  std::lock_guard lock(State().mutex);
  return State().jobs;
}

void ClearPrintJobs() {
  std::lock_guard lock(State().mutex);
  State().jobs.clear();
}

void SetRawPrinterFailure(RawPrinterStep step, uint32_t succeedFirst) {
  std::lock_guard lock(State().mutex);
  State().failStep = step;
  State().failAfter = succeedFirst;
}

namespace detail {

DWORD BeginPrintJob(const std::string& printer, const std::string& document, bool raw) {
  std::lock_guard lock(State().mutex);
  PrintJob job;
  job.job = State().nextJob++;
  if (State().nextJob == 0) State().nextJob = 1;
  job.printer = printer;
  job.document = document;
  job.raw = raw;
  State().jobs.push_back(job);
  return job.job;
}

void UpdatePrintJob(DWORD job, const std::function<void(PrintJob&)>& change) {
  std::lock_guard lock(State().mutex);
  if (PrintJob* j = JobLocked(job)) change(*j);
}

std::string CaptureFilePath(const std::string& printer, DWORD job, const char* extension) {
  std::filesystem::path folder = PrinterCaptureFolder();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return (folder / (SafeFileName(printer) + "-" + std::to_string(job) + "." + extension)).string();
}

}  // namespace detail
}  // namespace platform

using namespace platform;

BOOL OpenPrinter(const char* name, HANDLE* printer, const void*) {
  if (printer) *printer = nullptr;
  if (!name || !printer) return FALSE;
  bool known = false;
  for (const std::string& n : PrinterNames()) known = known || n == name;
  std::lock_guard lock(State().mutex);
  if (!known) {
    SetLastErrorText(std::string("The printer name is invalid: ") + name);
    return FALSE;
  }
  if (Fails(RawPrinterStep::Open)) return FALSE;
  PrinterState& s = State();
  uintptr_t value = kPrinterTag | s.nextHandle++;
  if (s.nextHandle > 0xFFFFFFu) s.nextHandle = 1;
  auto raw = std::make_unique<RawPrinter>();
  raw->name = name;
  s.open[value] = std::move(raw);
  *printer = reinterpret_cast<HANDLE>(value);
  return TRUE;
}

DWORD StartDocPrinter(HANDLE handle, DWORD level, const DOC_INFO_1* info) {
  std::string name, document;
  {
    std::lock_guard lock(State().mutex);
    RawPrinter* printer = Find(handle);
    if (!printer || level != 1 || printer->file) {
      SetLastErrorText("StartDocPrinter: invalid printer handle or a document is already open");
      return 0;
    }
    if (Fails(RawPrinterStep::StartDoc)) return 0;
    name = printer->name;
    document = info && info->pDocName ? info->pDocName : "";
  }
  DWORD job = detail::BeginPrintJob(name, document, true);
  std::string path = detail::CaptureFilePath(name, job, "prn");
  std::lock_guard lock(State().mutex);
  RawPrinter* printer = Find(handle);
  PrintJob* entry = JobLocked(job);
  if (!printer || printer->file) {
    if (entry) entry->aborted = true;
    return 0;
  }
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) {
    SetLastErrorFromErrno(("StartDocPrinter: cannot create " + path).c_str(), errno);
    if (entry) entry->aborted = true;
    return 0;
  }
  printer->file = file;
  printer->path = path;
  printer->job = job;
  printer->inPage = false;
  if (entry) entry->path = path;
  return job;
}

BOOL StartPagePrinter(HANDLE handle) {
  std::lock_guard lock(State().mutex);
  RawPrinter* printer = Find(handle);
  if (!printer || !printer->file) return FALSE;
  if (Fails(RawPrinterStep::StartPage)) return FALSE;
  printer->inPage = true;
  return TRUE;
}

BOOL WritePrinter(HANDLE handle, const void* bytes, DWORD count, DWORD* written) {
  if (written) *written = 0;
  std::lock_guard lock(State().mutex);
  RawPrinter* printer = Find(handle);
  if (!printer || !printer->file || (!bytes && count > 0)) {
    SetLastErrorText("WritePrinter: no open document on this printer");
    return FALSE;
  }
  if (Fails(RawPrinterStep::Write)) return FALSE;
  if (count == 0) return TRUE;
  size_t put = fwrite(bytes, 1, count, printer->file);
  bool ok = put == count && fflush(printer->file) == 0;
  if (!ok) {
    SetLastErrorFromErrno(("WritePrinter: " + printer->path).c_str(), errno);
    // What reached the file is reported truthfully.
    if (written) *written = static_cast<DWORD>(put);
  } else if (written) {
    *written = count;
  }
  if (PrintJob* job = JobLocked(printer->job)) job->bytes += put;
  return ok ? TRUE : FALSE;
}

BOOL EndPagePrinter(HANDLE handle) {
  std::lock_guard lock(State().mutex);
  RawPrinter* printer = Find(handle);
  if (!printer || !printer->file) return FALSE;
  if (Fails(RawPrinterStep::EndPage)) return FALSE;
  printer->inPage = false;
  if (PrintJob* job = JobLocked(printer->job)) ++job->pages;
  return TRUE;
}

BOOL EndDocPrinter(HANDLE handle) {
  std::lock_guard lock(State().mutex);
  RawPrinter* printer = Find(handle);
  if (!printer || !printer->file) return FALSE;
  if (Fails(RawPrinterStep::EndDoc)) return FALSE;
  return EndDocument(*printer) ? TRUE : FALSE;
}

BOOL ClosePrinter(HANDLE handle) {
  std::lock_guard lock(State().mutex);
  RawPrinter* printer = Find(handle);
  if (!printer) return FALSE;
  if (Fails(RawPrinterStep::Close)) return FALSE;
  if (printer->file) {
    // A document left open is ended as far as it went.
    fclose(printer->file);
    printer->file = nullptr;
    if (PrintJob* job = JobLocked(printer->job)) job->aborted = true;
  }
  State().open.erase(reinterpret_cast<uintptr_t>(handle));
  return TRUE;
}
