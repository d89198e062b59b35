// Printing on the impact printer: the scroll printout of the shown channels, sideways
// along the paper, sent as a raw ESC/P bit-image stream through the print spooler,
// and its options dialog. (Every other printer gets the main window's page through
// the painting's printer mode.)
//
// The stream: printer set-up and a header (data folder, date and time, comment,
// frequency axis, channel names beside their traces), one bit-image line per block
// of up to 8 printed columns (one per print-head pin, bit 0x80 the first), each
// column the mean of the points averaged (below 10) or their signed extreme (from
// 10), the calibration labels of simulation sets A and B, and the closing lines.
// Texts go one byte per character: the low 8 bits of the character's code point.
// Bytes are spooled in 1000-byte writes.
#pragma once

#include <cstdint>

#include "platform/windows/Window.h"

constexpr int IDD_SCROLL_PRINTER = 113;  // "SCROLL PRINTER (EPSON IMPACT ONLY)"
constexpr int IDC_SP_START = 1610;       // "START POINT"
constexpr int IDC_SP_END = 1611;         // "END POINT"
constexpr int IDC_SP_AVERAGE = 1612;     // "AVERAGE PTS"
constexpr int IDC_SP_DENSITY = 1613;     // list "DOT DENSITY (NOT RES)"
constexpr int IDC_SP_UPDATE = 1614;      // "UPDATE"
constexpr int IDC_SP_PAGES = 1615;       // "NUMBER OF PAGES"
constexpr int IDC_SP_PRINT = 1616;       // "PRINT"
constexpr int IDC_SP_ADVANCE = 1617;     // "ADVANCE"
constexpr int IDC_SP_RETRACT = 1618;     // "RETRACT"
constexpr int IDC_SP_COMMENT = 1619;     // "PRINTED COMMENT"

inline constexpr char SCROLL_PRINTER_NAME[] = "Epson FX-870";
inline constexpr char SCROLL_PRINT_DOCUMENT[] = "SCROLLED PRINT";

// The options dialog (template 113); the settings live in Win (Prnt_...). Ends with
// IDC_SP_PRINT, 1 (OK) or 2 (CANCEL).
INT_PTR ScrollPrinterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens the printer, starts the raw document "SCROLLED PRINT", runs the command
// (0: PrntData; 1: advance the paper 100/216 inch; -1: retract it), ends the
// document and closes the printer. 1 when all of it went through; 0 after a reported
// failure: the printer did not open, the document did not start or end, or PrntData
// failed. The document is ended and the printer closed whatever happened after they
// opened.
int32_t PrntCmd(HWND owner, const char* printer, int32_t command);
// The whole scroll printout into the open document: 1, or 0 after a reported failure.
int32_t PrntData();
// One bit-image print line of a block: values[c * columns + j] is column j of the
// c-th opened channel (Win.Prnt_Chn). mode -1: the first block, 0: a later block,
// 1: the closing line (only the way left over from the line before).
void PrntBitImageLine(const float* values, int16_t channels, int16_t columns, const uint32_t* digital,
                      const double* offsets, const double* scalars, int32_t mode);
// part 0: the printer set-up and the header, with the reduced values of the first
// block (Win.Prnt_Columns columns per opened channel); part 1: the closing lines and
// the last flush. 1, or 0 when no document is open.
int32_t PrntScrollHeader(int32_t part, const float* values);
// Prints label beside the trace at sample position of the block starting at
// blockStart; labels close together are indented further and further.
void PrntMarkerLabel(int32_t position, int32_t blockStart, const char* label);
// The reference-line labels of simulation sets A and B that fall in the block.
void PrntCalibrationMarks(int32_t blockStart);
// Appends a byte to the spool buffer and writes the buffer when it is full or flush
// is 1. 1, or 0 when no document is open (the byte is dropped).
int32_t PrntByte(int32_t flush, uint8_t byte);
// The platform's text for the last error, in a box captioned "GetLastError".
void PrntShowLastError();
