// Printer contexts: PDF documents, one page per StartPage/EndPage.
#include "platform/gdi/GdiInternal.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/kernel/Error.h"
#include "platform/kernel/Files.h"
#include "platform/gdi/GdiPrinters.h"
#include <cairo-pdf.h>

namespace gdi_internal {

// ---- printer documents ---------------------------------------------------------------------
cairo_status_t WritePdf(void* closure, const unsigned char* data, unsigned int length) {
  auto* stream = static_cast<PdfStream*>(closure);
  if (stream->failed || !stream->file) return CAIRO_STATUS_WRITE_ERROR;
  if (length > 0 && fwrite(data, 1, length, stream->file) != length) {
    stream->failed = true;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

std::shared_ptr<Dc> MakePrinterDc(const std::string& printer, const char* output) {
  auto dc = std::make_shared<Dc>(Dc::Type::Printer);
  SelectDefaults(*dc);
  dc->printer = printer;
  if (output) dc->output = output;
  return dc;
}


int EndPageLocked(Dc& dc) {
  if (!IsPrinter(dc) || !dc.inDoc || !dc.inPage) return -1;
  dc.inPage = false;
  cairo_show_page(dc.cr);
  ++dc.pages;
  int pages = dc.pages;
  platform::detail::UpdatePrintJob(dc.job, [pages](platform::PrintJob& j) { j.pages = pages; });
  if (cairo_status(dc.cr) != CAIRO_STATUS_SUCCESS || dc.stream->failed) return -1;
  return 1;
}

}  // namespace gdi_internal

using namespace gdi_internal;

// ---- printer documents -------------------------------------------------------------------------
int StartDoc(HDC handle, const DOCINFO* info) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !IsPrinter(*dc) || dc->inDoc) return -1;
  std::string document = info && info->lpszDocName ? info->lpszDocName : "";
  DWORD job = platform::detail::BeginPrintJob(dc->printer, document, false);
  std::string path = info && info->lpszOutput ? info->lpszOutput : dc->output;
  if (path.empty()) path = platform::detail::CaptureFilePath(dc->printer, job, "pdf");
  std::string temp = path + ".part";
  auto stream = std::make_unique<PdfStream>();
  // A write-protected output file is not replaced.
  const bool mayWrite = platform::MayWriteOver(path);
  stream->file = mayWrite ? fopen(temp.c_str(), "wb") : nullptr;
  if (!stream->file) {
    if (mayWrite) platform::SetLastErrorFromErrno(("StartDoc: cannot create " + temp).c_str(), errno);
    platform::detail::UpdatePrintJob(job, [](platform::PrintJob& j) { j.aborted = true; });
    return -1;
  }
  platform::detail::UpdatePrintJob(job, [&path](platform::PrintJob& j) { j.path = path; });
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(WritePdf, stream.get(), kPrinterWidth * 72.0 / kPrinterDpi,
                                                                 kPrinterHeight * 72.0 / kPrinterDpi);
  dc->stream = std::move(stream);
  dc->finalPath = path;
  dc->tempPath = temp;
  dc->job = job;
  dc->inDoc = true;
  dc->inPage = false;
  dc->pages = 0;
  AttachSurface(*dc, surface);
  cairo_surface_destroy(surface);  // the context holds its own reference
  return static_cast<int>(job);
}

int StartPage(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !IsPrinter(*dc) || !dc->inDoc || dc->inPage) return -1;
  dc->inPage = true;
  return 1;
}

int EndPage(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc) return -1;
  return EndPageLocked(*dc);
}

int EndDoc(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !IsPrinter(*dc) || !dc->inDoc) return -1;
  if (dc->inPage) EndPageLocked(*dc);
  cairo_surface_t* surface = cairo_surface_reference(dc->surface);
  ReleaseDrawing(*dc);
  cairo_surface_finish(surface);
  bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && !dc->stream->failed;
  cairo_surface_destroy(surface);
  int closeResult = fclose(dc->stream->file);
  int closeErrno = errno;
  dc->stream->file = nullptr;
  ok = ok && closeResult == 0;
  std::error_code ec;
  if (ok) std::filesystem::rename(dc->tempPath, dc->finalPath, ec);
  if (!ok || ec) {
    if (!ok) platform::SetLastErrorFromErrno(("EndDoc: writing " + dc->tempPath + " failed").c_str(), closeErrno);
    else platform::SetLastErrorText("EndDoc: cannot rename to " + dc->finalPath + ": " + ec.message());
    std::filesystem::remove(dc->tempPath, ec);
    ok = false;
  }
  dc->stream.reset();
  dc->inDoc = false;
  platform::detail::UpdatePrintJob(dc->job, [ok](platform::PrintJob& j) {
    j.completed = ok;
    j.aborted = !ok;
  });
  return ok ? 1 : -1;
}

int AbortDoc(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  if (!dc || !IsPrinter(*dc) || !dc->inDoc) return -1;
  DiscardDocument(*dc);
  return 1;
}

namespace platform {

HDC CreatePdfPrinterDC(const char* path) {
  if (!path || !*path) return nullptr;
  std::lock_guard lock(State().mutex);
  return static_cast<HDC>(Register(MakePrinterDc(kPdfPrinterName, path)));
}

std::string PrinterNameOfDC(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  return dc && IsPrinter(*dc) ? dc->printer : std::string();
}

bool IsPrinterDC(HDC handle) {
  std::lock_guard lock(State().mutex);
  auto dc = DcOf(handle);
  return dc && IsPrinter(*dc);
}

}  // namespace platform
