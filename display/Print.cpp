#include "display/Print.h"

#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "core/Coords.h"
#include "models/linedb/LineDb.h"
#include "platform/windows/Controls.h"
#include "platform/windows/Dialog.h"
#include "platform/kernel/Error.h"
#include "platform/gdi/Gdi.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Cnl.h"
#include "records/Dsp.h"
#include "records/Sim.h"
#include "records/Win.h"

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr int32_t kLine = 480;              // header positions: 1/60 inch across the line
constexpr int32_t kLineChars = 40;          // characters of the header font across the line
constexpr double kColumnsPerPage = 72.0 * 11.0;  // 1/72-inch columns on an 11-inch page
constexpr int32_t kMaxDots = 1920;
constexpr size_t kMaxChannels = 9;
constexpr int32_t kMaxLabel = 200;

int32_t Average() { return Win.Prnt_PtsAve < 1 ? 1 : Win.Prnt_PtsAve; }

int32_t Dots() {
  if (std::strcmp(Win.Prnt_Density, "QUADRUPLE") == 0) return 1920;
  if (std::strcmp(Win.Prnt_Density, "SINGLE") == 0) return 480;
  return 960;
}
uint8_t DensityLetter() {
  if (std::strcmp(Win.Prnt_Density, "QUADRUPLE") == 0) return 'Z';
  if (std::strcmp(Win.Prnt_Density, "SINGLE") == 0) return 'K';
  return 'L';
}

// The code points of a UTF-8 text; a byte that starts no valid sequence stands for
// its Windows-1252 character.
std::u32string CodePoints(const char* text) {
  std::u32string out;
  const auto* p = reinterpret_cast<const unsigned char*>(text ? text : "");
  while (*p) {
    uint32_t c = *p;
    int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
    bool valid = c < 0x80 || extra > 0;
    uint32_t value = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
    for (int i = 1; valid && i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) valid = false;
      else value = (value << 6) | (p[i] & 0x3F);
    }
    if (!valid) {
      out.push_back(platform::Cp1252ToCodePoint(static_cast<uint8_t>(c)));
      ++p;
    } else if (c < 0x80) {
      out.push_back(c);
      ++p;
    } else {
      out.push_back(value);
      p += extra + 1;
    }
  }
  return out;
}
int32_t CharCount(const char* text) { return static_cast<int32_t>(CodePoints(text).size()); }

// The bytes of a header or label: every byte goes through the spool; false when no
// document is open.
struct Stream {
  bool ok = true;
  void Byte(uint8_t b, int32_t flush = 0) { ok = PrntByte(flush, b) == 1 && ok; }
  void Bytes(std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) Byte(b);
  }
  void Text(const char* text) {
    for (char32_t c : CodePoints(text)) Byte(static_cast<uint8_t>(c & 0xFF));
  }
  void Text(const std::string& text) { Text(text.c_str()); }
  // ESC $: absolute position p (1/60 inch), low byte first.
  void Position(int32_t p) { Bytes({kEsc, '$', static_cast<uint8_t>(p % 256), static_cast<uint8_t>(p / 256)}); }
  // A bit-image line of one value over all dots.
  void FullLine(uint8_t value) {
    const int32_t dots = Dots();
    Bytes({kEsc, DensityLetter(), static_cast<uint8_t>(dots % 256), static_cast<uint8_t>(dots / 256)});
    for (int32_t i = 0; i < dots; ++i) Byte(value);
  }
};

// A product truncated toward zero and kept within -1 .. scale (so that no
// conversion overflows).
int32_t Truncated(double x, int32_t scale) {
  if (std::isnan(x)) return 0;
  if (x <= -1.0) return -1;
  if (x >= scale) return scale;
  return static_cast<int32_t>(x);
}

// The dot of a value on a line of `dots` dots.
int32_t DotOf(double value, double offset, double scalar, double k, int32_t dots) {
  const int32_t x = Truncated((value + offset) * scalar * k * dots, dots);
  return x < 0 ? 0 : x > dots - 1 ? dots - 1 : x;
}

// A sample as the printout takes it: a missing value (NaN or |v| >= 1e18) is 0.
double Sample(float v) { return std::isnan(v) || std::fabs(v) >= 1e18f ? 0.0 : static_cast<double>(v); }

// One printed column from its samples: the mean below 10 points, from 10 the sample
// of largest magnitude with its sign.
float ReduceColumn(const float* samples, int32_t count) {
  if (count < 10) {
    double sum = 0.0;
    for (int32_t i = 0; i < count; ++i) sum += Sample(samples[i]);
    return static_cast<float>(sum / count);
  }
  double extreme = Sample(samples[0]);
  for (int32_t i = 1; i < count; ++i)
    if (std::fabs(Sample(samples[i])) > std::fabs(extreme)) extreme = Sample(samples[i]);
  return static_cast<float>(extreme);
}

void Warning(const char* text) { MessageBox(Win.hWnd_Main, text, "Warning", MB_SYSTEMMODAL | MB_ICONWARNING); }

// ---- the options dialog ---------------------------------------------------------------------

void SetText(HWND d, int id, const std::string& text) {
  SetDlgItemText(d, id, text.c_str());
  SendDlgItemMessage(d, id, EM_SETMODIFY, FALSE, 0);
}
std::string Text(HWND d, int id) {
  char buffer[600] = "";
  GetDlgItemText(d, id, buffer, sizeof buffer);
  return buffer;
}
// Reads an edit as "%ld" does (a leading number; the value stays when there is none).
bool ScanEdit(HWND d, int id, int32_t* value) {
  const std::string text = Text(d, id);
  const char* p = text.c_str();
  return core_io::ScanLong(p, value);
}

int16_t ClampAverage(int64_t average) {
  return static_cast<int16_t>(average < 1 ? 1 : average > 32767 ? 32767 : average);
}
int32_t Clamp32(double v) {
  if (!(v > -2147483648.0)) return INT32_MIN;
  if (v >= 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(v);
}

void ShowPages(HWND d) {
  Win.Prnt_Pages = (static_cast<double>(Win.Prnt_EndPt) - Win.Prnt_StartPt) / (kColumnsPerPage * Average());
  SetText(d, IDC_SP_PAGES, StrPrintf("%.3lf", Win.Prnt_Pages));
}

void ScrollPrinterOpen(HWND d) {
  const int16_t a = Win.Active_Chn >= 0 && Win.Active_Chn <= 8 ? Win.Active_Chn : 9;
  const double raw = static_cast<double>(Dsp.FL_SZ[WIN_RAW][a]);
  const int16_t level = Win.View_Level;
  if (level <= 0) {
    const int16_t first = Win.Shown_Count > 0 && Win.Shown_List[0] >= 0 && Win.Shown_List[0] <= 8 ? Win.Shown_List[0] : a;
    Win.Prnt_StartPt = 0;
    Win.Prnt_EndPt = Clamp32(raw);
    Win.Prnt_PtsAve = ClampAverage(Dsp.FL_SZ[WIN_RAW][first] / 650);
  } else if (level <= 2) {
    Win.Prnt_StartPt = 0;
    Win.Prnt_EndPt = Clamp32(raw);
    Win.Prnt_PtsAve = ClampAverage(Clamp32(Dsp.Pts2Pxl[level]));
  } else {
    Win.Prnt_StartPt = Win.Page_Start;
    Win.Prnt_EndPt = Clamp32(static_cast<double>(Win.Page_Start) + Win.Page_Width * Dsp.Pts2Pxl[WIN_RAW]);
    Win.Prnt_PtsAve = 1;
  }
  SetText(d, IDC_SP_START, StrPrintf("%" PRId32, Win.Prnt_StartPt));
  SetText(d, IDC_SP_END, StrPrintf("%" PRId32, Win.Prnt_EndPt));
  SetText(d, IDC_SP_AVERAGE, StrPrintf("%hd", Win.Prnt_PtsAve));
  SendDlgItemMessage(d, IDC_SP_DENSITY, LB_RESETCONTENT, 0, 0);
  int selected = -1;
  for (int r = 0; r < 4 && std::strcmp(Win.Prnt_Density_Tbl[r], "EOL") != 0; ++r) {
    SendDlgItemMessage(d, IDC_SP_DENSITY, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Win.Prnt_Density_Tbl[r]));
    if (std::strcmp(Win.Prnt_Density_Tbl[r], Win.Prnt_Density) == 0) selected = r;
  }
  SendDlgItemMessage(d, IDC_SP_DENSITY, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  ShowPages(d);
  SetText(d, IDC_SP_COMMENT, Win.Prnt_Comment);
}

void ScrollPrinterRead(HWND d) {
  ScanEdit(d, IDC_SP_START, &Win.Prnt_StartPt);
  ScanEdit(d, IDC_SP_END, &Win.Prnt_EndPt);
  int32_t average = Win.Prnt_PtsAve;
  if (ScanEdit(d, IDC_SP_AVERAGE, &average)) Win.Prnt_PtsAve = ClampAverage(average);
  const auto row = static_cast<int>(SendDlgItemMessage(d, IDC_SP_DENSITY, LB_GETCURSEL, 0, 0));
  if (row >= 0 && row < 3) StrCopy(Win.Prnt_Density, Win.Prnt_Density_Tbl[row]);
  StrCopy(Win.Prnt_Comment, Text(d, IDC_SP_COMMENT).c_str());
  ShowPages(d);
}

void ScrollPrinterCommand(HWND d, int id, WORD code) {
  switch (id) {
    case IDC_SP_START:
    case IDC_SP_END:
    case IDC_SP_AVERAGE:
      if (code == EN_KILLFOCUS && SendDlgItemMessage(d, id, EM_GETMODIFY, 0, 0) != 0) ScrollPrinterRead(d);
      break;
    case IDC_SP_PRINT:
    case IDOK:
      if (code != BN_CLICKED) break;
      ScrollPrinterRead(d);
      EndDialog(d, id);
      break;
    case IDC_SP_ADVANCE:
      if (code == BN_CLICKED) PrntCmd(d, SCROLL_PRINTER_NAME, 1);
      break;
    case IDC_SP_RETRACT:
      if (code == BN_CLICKED) PrntCmd(d, SCROLL_PRINTER_NAME, -1);
      break;
    case IDCANCEL:
      if (code == BN_CLICKED) EndDialog(d, IDCANCEL);
      break;
    default:  // UPDATE: the edits have been read when they lost the focus
      break;
  }
}

// Marks the dots from `from` to `to` (both included) with bit.
void MarkWay(uint8_t* line, int32_t from, int32_t to, uint8_t bit, int32_t* highest) {
  const int32_t step = to >= from ? 1 : -1;
  for (int32_t x = from;; x += step) {
    line[x] |= bit;
    if (x > *highest) *highest = x;
    if (x == to) break;
  }
}

}  // namespace

INT_PTR ScrollPrinterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ScrollPrinterOpen(dialog);
      return 1;
    case WM_COMMAND:
      ScrollPrinterCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return 1;
    default:
      return 0;
  }
}

void PrntShowLastError() {
  MessageBox(Win.hWnd_Main, platform::LastErrorText().c_str(), "GetLastError", MB_OK | MB_ICONINFORMATION);
}

int32_t PrntByte(int32_t flush, uint8_t byte) {
  if (!Win.Prnt_Handle) return 0;
  constexpr uint32_t size = sizeof Win.Prnt_Spool;
  if (Win.Prnt_SpoolCnt >= size) Win.Prnt_SpoolCnt = 0;
  Win.Prnt_Spool[Win.Prnt_SpoolCnt++] = byte;
  if (Win.Prnt_SpoolCnt == size || flush == 1) {
    const DWORD count = Win.Prnt_SpoolCnt;
    DWORD written = 0;
    if (!WritePrinter(Win.Prnt_Handle, Win.Prnt_Spool, count, &written) && written != count) PrntShowLastError();
    Win.Prnt_SpoolCnt = 0;
  }
  return 1;
}

int32_t PrntCmd(HWND, const char* printer, int32_t command) {
  HANDLE handle = nullptr;
  if (!OpenPrinter(printer, &handle, nullptr)) {
    Warning("PrntCmd()/OpenPrinter()\n\nRETURNED FALSE\n\nABORTING");
    return 0;
  }
  int32_t result = 1;
  DOC_INFO_1 document;
  document.pDocName = SCROLL_PRINT_DOCUMENT;
  document.pDatatype = "RAW";
  if (StartDocPrinter(handle, 1, &document) == 0) {
    Warning("PrntCmd()/StartDocPrinter()\n\nRETURNED FALSE\n\nABORTING");
    result = 0;
  } else {
    Win.Prnt_Handle = handle;
    Win.Prnt_SpoolCnt = 0;
    Stream out;
    if (command == 0) {
      result = PrntData() == 1 ? 1 : 0;
    } else if (command == 1) {
      out.Bytes({kEsc, 'J', 0x64});
      out.Byte(kCr, 1);
    } else if (command == -1) {
      out.Bytes({kEsc, 'j', 0x64});
      out.Byte(kCr, 1);
    }
    Win.Prnt_Handle = nullptr;
    Win.Prnt_SpoolCnt = 0;
    if (!EndDocPrinter(handle)) {
      Warning("PrntCmd()/EndDocPrinter()\n\nRETURNED FALSE\n\nABORTING");
      result = 0;
    }
  }
  if (!ClosePrinter(handle)) Warning("PrntCmd()/ClosePrinter()\n\nRETURNED FALSE\n\nABORTING");
  return result;
}

void PrntBitImageLine(const float* values, int16_t channels, int16_t columns, const uint32_t* digital,
                      const double* offsets, const double* scalars, int32_t mode) {
  const int32_t dots = Dots();
  if (columns < 0) columns = 0;
  if (columns > 8) columns = 8;
  if (channels < 0) channels = 0;
  if (channels > static_cast<int16_t>(kMaxChannels)) channels = kMaxChannels;
  uint8_t line[kMaxDots] = {};
  int32_t highest = 0;
  line[0] = mode == 1 ? 0x80 : static_cast<uint8_t>(0xFF00u >> columns);
  for (int16_t c = 0; c < channels; ++c) {
    int16_t& previous = Win.Prnt_PrevDot[c];
    int16_t& stopped = Win.Prnt_StopDot[c];
    const int32_t last = dots - 1;
    previous = static_cast<int16_t>(previous < 0 ? 0 : previous > last ? last : previous);
    stopped = static_cast<int16_t>(stopped < 0 ? 0 : stopped > last ? last : stopped);
    // The way the previous line left over, on the first pin.
    MarkWay(line, stopped, previous, 0x80, &highest);
    stopped = previous;
    if (mode == 1) continue;
    const double k = digital[c] != 0 ? 1.0 : 0.1;
    uint8_t pen = 0x80;
    for (int16_t j = 0; j < columns; ++j) {
      const int32_t dot = DotOf(values[c * columns + j], offsets[c], scalars[c], k, dots);
      if (mode == -1 && j == 0) previous = static_cast<int16_t>(dot);
      // From the previous dot to this one; the pen moves to the next pin halfway.
      const int32_t from = previous;
      const int32_t distance = std::abs(dot - from);
      const int32_t step = dot >= from ? 1 : -1;
      stopped = static_cast<int16_t>(dot);
      int32_t x = from;
      for (int32_t i = 0; i <= distance; ++i, x += step) {
        if (i == distance / 2) {
          if (pen == 0x01) {  // out of pins: the rest of the way goes on the next line
            stopped = static_cast<int16_t>(x);
            break;
          }
          pen = static_cast<uint8_t>(pen >> 1);
        }
        line[x] |= pen;
        if (x > highest) highest = x;
      }
      previous = static_cast<int16_t>(dot);
    }
  }
  const int32_t count = highest + 1;
  Stream out;
  out.Bytes({kEsc, DensityLetter(), static_cast<uint8_t>(count % 256), static_cast<uint8_t>(count / 256)});
  for (int32_t i = 0; i < count; ++i) out.Byte(line[i]);
  out.Bytes({kCr, kEsc, 'J', static_cast<uint8_t>(mode == 1 ? 3 : 3 * columns)});
}

int32_t PrntScrollHeader(int32_t part, const float* values) {
  Stream out;
  char number[64];
  if (part == 1) {
    out.FullLine(0x80);
    out.Bytes({kLf, kCr, kEsc, '!', 0x1C});
    if (Cnl.Mks_Cnt > 0) {
      StrFormat(number, "%.8lf", Win.Prnt_EndPt * Dsp.Frq_Stp + Dsp.Init_Frq);
      out.Text(std::string("FINAL FREQ = ") + number);
    }
    out.Bytes({kEsc, 'J', 0xD8, kCr, kEsc, '4', kEsc});
    out.Byte('@', 1);
    return out.ok ? 1 : 0;
  }
  out.Bytes({kEsc, '@', kEsc, 'U', 0x30, kEsc, '!', 0x38});
  // The data folder centred, the date at the left margin and the time ending at the
  // right edge; a text wider than the line starts at the left margin.
  const int32_t folder = CharCount(Dsp.Data_Dir);
  out.Position(folder > kLineChars ? 0 : (kLine - folder * kLine / kLineChars) / 2);
  out.Text(Dsp.Data_Dir);
  out.Bytes({kLf, kCr});
  out.Text(Dsp.Work_Date);
  const int32_t time = CharCount(Dsp.Work_Time);
  out.Position(time > kLineChars ? 0 : kLine - time * kLine / kLineChars);
  out.Text(Dsp.Work_Time);
  out.Bytes({kEsc, '!', 0x1C});
  if (Win.Prnt_Comment[0] != '\0' || Dsp.Work_Comment[0] != '\0') {
    out.Bytes({kLf, kCr});
    out.Text(Win.Prnt_Comment[0] != '\0' ? Win.Prnt_Comment : Dsp.Work_Comment);
  }
  out.Bytes({kLf, kCr});
  const int32_t average = Average();
  std::string axis = StrPrintf("INIT FREQ = %.8lf", Win.Prnt_StartPt * Dsp.Frq_Stp + Dsp.Init_Frq);
  axis += StrPrintf("      FSR = %.8lf", Dsp.FSR);
  if (Cnl.Mks_Cnt > 0) axis += StrPrintf("      # MARKERS = %" PRIu32, Cnl.Mks_Cnt - 1);
  axis += StrPrintf("      FRQ UNIT/CM = %.8lf", average * Dsp.Frq_Stp * 8.0 * 3.5433070866141736);
  axis += StrPrintf("      POINTS AVERAGED = %" PRId32, average);
  out.Text(axis);
  out.Bytes({kLf, kCr});
  // Each shown channel's file name beside the start of its trace.
  for (int16_t i = 0; i < Win.Shown_Count && i < 9; ++i) {
    const int16_t c = Win.Shown_List[i];
    if (c < 0 || c > 8) continue;
    int32_t p = 0;
    for (int16_t n = 0; n < Win.Prnt_ChnCnt && n < static_cast<int16_t>(kMaxChannels); ++n) {
      if (Win.Prnt_Chn[n] != c) continue;
      const double k = Dsp.Chn_Dig[c] == 0 ? 0.1 : 1.0;
      const double v = values ? values[n * Win.Prnt_Columns] : 0.0;
      p = Truncated((v + Dsp.Chn_Offset[c]) * Dsp.Chn_Scalar[c] * kLine * k, kLine);
      break;
    }
    const int32_t name = CharCount(Dsp.Chn_Flnm[c]);
    if (p < 0) p = 0;
    else if (3 * (name + 1) + p >= kLine) p = kLine - 3 * (name + 1);
    if (p < 0) p = 0;
    out.Position(p);
    out.Text(Dsp.Chn_Flnm[c]);
  }
  out.Bytes({kCr, kEsc, 'A', 0x08});
  out.FullLine(0x01);
  out.Bytes({kCr, kEsc, 'J', 0x15, kEsc, '!', 0x0C});
  return out.ok ? 1 : 0;
}

void PrntMarkerLabel(int32_t position, int32_t blockStart, const char* label) {
  const int64_t average = Average();
  const int64_t columns = Win.Prnt_Columns;
  int64_t back = (columns + 3 - (static_cast<int64_t>(position) - blockStart) / average) * 3;
  const auto n = static_cast<uint8_t>(back < 0 ? 0 : back > 255 ? 255 : back);
  Stream out;
  out.Bytes({kEsc, 'j', n});
  std::string text;
  const int64_t distance = (static_cast<int64_t>(position) - Win.Prnt_GroupPos) / average;
  if (distance > columns) {
    text = label;
    Win.Prnt_GroupPos = position;
  } else {
    const int32_t last = CharCount(Win.Prnt_LastLbl);
    if (last + 1 + CharCount(label) >= kMaxLabel)
      text = label;
    else
      text = std::string(static_cast<size_t>(last) + 1, ' ') + label;
  }
  StrCopy(Win.Prnt_LastLbl, text.c_str());
  out.Text(text);
  out.Bytes({kCr, kEsc, 'J', n});
}

void PrntCalibrationMarks(int32_t blockStart) {
  const int64_t span = static_cast<int64_t>(Win.Prnt_Columns) * Average();
  for (int16_t s = 0; s <= 1; ++s) {
    if (Sim.Dsp_Stat[s] == 0) continue;
    LineDbFile database;
    if (!LineDbOpen((std::string("..\\") + Sim.LineDb_Flnm[s]).c_str(), &database)) {
      Sim.Dsp_Stat[s] = 0;
      continue;
    }
    // The header gives the entry count the labels run to.
    const int32_t count = LineDbReadEntry(database, 0, 0, nullptr, 0, nullptr, nullptr, 0);
    Sim.LineDb_Cnt[s] = count > 0 ? count : 0;
    double low = DisplayPointToFreq(1, blockStart);
    double high = DisplayPointToFreq(1, Clamp32(static_cast<double>(blockStart + span)));
    if (low > high) std::swap(low, high);
    const int16_t channel = Sim.Dsp_Cnl[s] >= 0 && Sim.Dsp_Cnl[s] <= 8 ? Sim.Dsp_Cnl[s] : 0;
    const std::string labels = std::string("..\\") + Sim.Label_Flnm[s];
    // Entries past the end of the file do not read: the loop stops there.
    const int64_t entries = static_cast<int64_t>(database.records.size()) - 1;
    for (int32_t e = 1; e <= Sim.LineDb_Cnt[s] && e <= entries; ++e) {
      char text[kMaxLabel] = "";
      double f = 0.0;
      if (LineDbReadEntry(database, 0, e, text, sizeof text, &f, nullptr, 0) <= 0) continue;
      if (!(f >= low && f < high)) continue;
      const int32_t point = DisplayFreqToPointAt(1, channel, f);
      std::string label = std::string(text) + Sim.LineDb_Flnm[s];
      int32_t first = 0, second = 0;
      if (!(LabelReadPositions(labels.c_str(), e, &first, &second) != 0 && LabelFileOpen(s, first, second) >= 0))
        label += " NP";
      PrntMarkerLabel(point, blockStart, label.c_str());
    }
    LineDbClose(&database);
  }
}

int32_t PrntData() {
  const int32_t average = Average();
  const int64_t start = Win.Prnt_StartPt < 0 ? 0 : Win.Prnt_StartPt;
  const int64_t end = Win.Prnt_EndPt;
  core_io::BinIn files[kMaxChannels];
  uint32_t digital[kMaxChannels] = {};
  double offsets[kMaxChannels] = {};
  double scalars[kMaxChannels] = {};
  int16_t opened = 0;
  for (int16_t i = 0; i < Win.Shown_Count && i < 9; ++i) {
    const int16_t c = Win.Shown_List[i];
    if (c < 0 || c > 8 || !files[opened].Open(Dsp.Chn_Flnm[c])) continue;
    Win.Prnt_Chn[opened] = c;
    digital[opened] = Dsp.Chn_Dig[c];
    offsets[opened] = Dsp.Chn_Offset[c];
    scalars[opened] = Dsp.Chn_Scalar[c];
    Win.Prnt_PrevDot[opened] = 0;
    Win.Prnt_StopDot[opened] = 0;
    ++opened;
  }
  Win.Prnt_ChnCnt = opened;
  if (opened == 0) {
    Warning("DISPLAY CHANNELS TO PLOT FIRST\n\nABORTING");
    return 0;
  }
  const uint32_t block = 8u * static_cast<uint32_t>(average);
  float* samples = nullptr;
  if (QvAllocFailed(FAlloc1Dim(&samples, block * static_cast<uint32_t>(opened)))) {
    for (core_io::BinIn& f : files) f.Close();
    MessageBox(Win.hWnd_Main, "PrntData()/f_pt - CORE ALLOCATION ERROR", "Error", MB_SYSTEMMODAL | MB_ICONERROR);
    return 0;
  }
  float reduced[8 * kMaxChannels] = {};
  Win.Prnt_GroupPos = 0;
  Win.Prnt_LastLbl[0] = '\0';
  Win.Prnt_Columns = 0;
  int32_t result = 1;
  bool first = true;
  for (int64_t current = start; current < end;) {
    for (int16_t n = 0; n < opened; ++n) files[n].Seek(static_cast<uint64_t>(current) * sizeof(float));
    const size_t got = files[0].Read(samples, block, sizeof(float));
    int64_t columns = static_cast<int64_t>(got) / average;
    if ((end - current) / average < columns) columns = (end - current) / average;
    if (columns == 0) break;
    const size_t count = static_cast<size_t>(columns * average);
    for (int16_t n = 1; n < opened; ++n) {
      float* own = samples + static_cast<size_t>(n) * block;
      const size_t read = files[n].Read(own, count, sizeof(float));
      for (size_t i = read; i < count; ++i) own[i] = 0.0f;
    }
    for (int16_t n = 0; n < opened; ++n)
      for (int64_t j = 0; j < columns; ++j)
        reduced[n * columns + j] = ReduceColumn(samples + static_cast<size_t>(n) * block + j * average, average);
    Win.Prnt_Columns = static_cast<int16_t>(columns);
    if (first && PrntScrollHeader(0, reduced) != 1) {
      for (core_io::BinIn& f : files) f.Close();
      FFree1Dim(&samples);
      Warning("PrntData()\n\nEPSON SETUP ERROR\n\nABORTING");
      return 0;
    }
    PrntBitImageLine(reduced, opened, static_cast<int16_t>(columns), digital, offsets, scalars, first ? -1 : 0);
    first = false;
    if (Sim.Dsp_Stat[0] != 0 || Sim.Dsp_Stat[1] != 0) PrntCalibrationMarks(static_cast<int32_t>(current));
    current += columns * average;
  }
  if (first) {
    // Nothing between the start and the end point: nothing is printed.
    Warning("PrntData()\n\nNO DATA POINTS BETWEEN START AND END POINT\n\nABORTING");
    result = 0;
  } else {
    PrntBitImageLine(reduced, opened, Win.Prnt_Columns, digital, offsets, scalars, 1);
    PrntScrollHeader(1, reduced);
  }
  for (core_io::BinIn& f : files) f.Close();
  FFree1Dim(&samples);
  return result;
}
