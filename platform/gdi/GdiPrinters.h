// Shared between the drawing contexts and the spooler: the print job log and the
// output locations. Not for use outside platform/.
#pragma once

#include <functional>
#include <string>

#include "platform/gdi/Gdi.h"

namespace platform::detail {

// Adds a job to the log and returns its number (never 0).
DWORD BeginPrintJob(const std::string& printer, const std::string& document, bool raw);
void UpdatePrintJob(DWORD job, const std::function<void(PrintJob&)>& change);
// "<folder>/<printer>-<job>.<extension>", the printer name made safe for a file
// name; the capture folder is created when missing.
std::string CaptureFilePath(const std::string& printer, DWORD job, const char* extension);

}  // namespace platform::detail
