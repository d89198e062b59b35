// The common open, save and print dialogs. Every request goes through a replaceable
// answerer, like the message boxes: tests install a script of expected requests and
// answers; an unattended run cancels (nothing chosen, nothing overwritten) and
// reports the request on stderr. Every request is logged.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows/Window.h"

// ---- movable memory blocks (the print dialog's device blocks) ----------------------
struct HGLOBAL__;
using HGLOBAL = HGLOBAL__*;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
// nullptr for an invalid or freed block.
void* GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
// Returns nullptr on success, the block itself on failure.
HGLOBAL GlobalFree(HGLOBAL block);

// ---- open and save -------------------------------------------------------------------
constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

struct OPENFILENAME {
  DWORD lStructSize = sizeof(OPENFILENAME);
  HWND hwndOwner = nullptr;
  HINSTANCE hInstance = nullptr;
  // Pairs of description and pattern, each terminated, the list ended by an empty string.
  LPCSTR lpstrFilter = nullptr;
  LPSTR lpstrCustomFilter = nullptr;
  DWORD nMaxCustFilter = 0;
  DWORD nFilterIndex = 0;
  LPSTR lpstrFile = nullptr;  // the proposed name on entry, the chosen path on return
  DWORD nMaxFile = 0;         // size of lpstrFile in bytes
  LPSTR lpstrFileTitle = nullptr;
  DWORD nMaxFileTitle = 0;
  LPCSTR lpstrInitialDir = nullptr;
  LPCSTR lpstrTitle = nullptr;
  DWORD Flags = 0;
  WORD nFileOffset = 0;
  WORD nFileExtension = 0;
  LPCSTR lpstrDefExt = nullptr;
};

// TRUE when a file was chosen; FALSE when cancelled or on failure (CommDlgExtendedError).
BOOL GetOpenFileName(OPENFILENAME* ofn);
BOOL GetSaveFileName(OPENFILENAME* ofn);
DWORD CommDlgExtendedError();

// ---- print ---------------------------------------------------------------------------------
constexpr DWORD PD_ALLPAGES = 0x00000000;
constexpr DWORD PD_NOSELECTION = 0x00000004;
constexpr DWORD PD_NOPAGENUMS = 0x00000008;
constexpr DWORD PD_RETURNDC = 0x00000100;
constexpr DWORD PD_RETURNDEFAULT = 0x00000400;
constexpr DWORD PD_USEDEVMODECOPIES = 0x00040000;

constexpr int CCHDEVICENAME = 32;
struct DEVMODE {
  char dmDeviceName[CCHDEVICENAME] = {};
  WORD dmSpecVersion = 0;
  WORD dmSize = sizeof(DEVMODE);
  DWORD dmFields = 0;
  int16_t dmOrientation = 1;
  int16_t dmCopies = 1;
};
// Followed in its block by the driver, device and output names at the offsets.
struct DEVNAMES {
  WORD wDriverOffset = 0;
  WORD wDeviceOffset = 0;
  WORD wOutputOffset = 0;
  WORD wDefault = 0;
};

struct PRINTDLG {
  DWORD lStructSize = sizeof(PRINTDLG);
  HWND hwndOwner = nullptr;
  HGLOBAL hDevMode = nullptr;   // created by the dialog; the caller frees it
  HGLOBAL hDevNames = nullptr;  // created by the dialog; the caller frees it
  HDC hDC = nullptr;            // with PD_RETURNDC; the caller deletes it
  DWORD Flags = 0;
  WORD nFromPage = 0;
  WORD nToPage = 0;
  WORD nMinPage = 0;
  WORD nMaxPage = 0;
  WORD nCopies = 1;
  HINSTANCE hInstance = nullptr;
};

// TRUE when a printer was chosen (its name in the device blocks, its context in hDC
// with PD_RETURNDC); FALSE when cancelled. With PD_RETURNDC the "PDF" printer then asks
// for its output file with a save dialog ("Save Print Output As", "print.pdf" in the
// current folder proposed); Cancel there cancels the printing.
BOOL PrintDlg(PRINTDLG* pd);

namespace platform {

enum class CommonDialogKind { Open, Save, Print };

struct CommonDialogRequest {
  CommonDialogKind kind = CommonDialogKind::Open;
  HWND owner = nullptr;
  std::string title;
  std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
  std::string initialFolder;
  std::string proposed;  // the proposed file name
  std::string defaultExtension;
  DWORD flags = 0;
  DWORD threadId = 0;
};

// accepted false: cancelled. value: the chosen path, or the printer's name.
struct CommonDialogAnswer {
  bool accepted = false;
  std::string value;
};

using CommonDialogAnswerer = std::function<CommonDialogAnswer(const CommonDialogRequest&)>;
// Installs the answerer for every later dialog (nullptr restores the unattended
// one) and returns the one it replaces.
CommonDialogAnswerer SetCommonDialogAnswerer(CommonDialogAnswerer answerer);
std::vector<CommonDialogRequest> CommonDialogLog();
void ClearCommonDialogLog();
const char* CommonDialogKindName(CommonDialogKind kind);

}  // namespace platform
