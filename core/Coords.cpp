#include "core/Coords.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "platform/windows/Controls.h"
#include "platform/kernel/Files.h"
#include "platform/windows/MessageBox.h"
#include "platform/kernel/Text.h"
#include "records/Dsp.h"
#include "records/Win.h"

namespace {

int LevelIndex(int16_t v) { return v < 0 ? 0 : (v > WIN_RAW ? WIN_RAW : v); }

// Conversion toward zero, saturated to the 32-bit range (NaN gives 0).
int32_t Trunc32(double x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (x <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(x);
}

// Points per pixel and frequency per pixel of level v; a 0.0 in the table becomes 1.0
// there, so later conversions see 1.0 as well.
double Ppp(int16_t v) {
  Shared<double>& value = Dsp.Pts2Pxl[LevelIndex(v)];
  if (value == 0.0) value = 1.0;
  return value;
}
double Fpp(int16_t v) {
  Shared<double>& value = Dsp.FrqStpView[LevelIndex(v)];
  if (value == 0.0) value = 1.0;
  return value;
}

bool IsChannelRow(int16_t c) { return c >= 0 && c < DSP_CHN; }

void MainStatus(int part, const char* text) {
  if (Win.hWnd_StatusBar)
    SendMessage(Win.hWnd_StatusBar, SB_SETTEXT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
}

}  // namespace

int32_t DisplayPixelToPoint(int16_t v, int32_t pixel) {
  return Trunc32(Win.Page_Start + pixel * Ppp(v) + 0.5);
}

int32_t DisplayPointToPixel(int16_t v, int32_t point) {
  return Trunc32((static_cast<double>(point) - Win.Page_Start) / Ppp(v) + 0.5);
}

int32_t DisplayFreqToPixel(int16_t v, double offset) {
  double fpp = Fpp(v);
  double ppp = Ppp(v);
  return Trunc32(offset / fpp - Win.Page_Start / ppp + 0.5);
}

int32_t DisplayFreqToPixelAt(int16_t v, int32_t first, double f) {
  double fpp = Fpp(v);
  double ppp = Ppp(v);
  double x = (f - Dsp.Init_Frq) / fpp - first / ppp;
  return x >= 0.0 ? Trunc32(x + 0.5) : Trunc32(x - 0.5);
}

double DisplayPixelToFreq(int16_t v, int32_t point) { return Dsp.Init_Frq + point / Ppp(v) * Fpp(v); }

double DisplayPixelToFreqRel(int16_t v, int32_t pixel) {
  double ppp = Ppp(v);
  return (pixel + Win.Page_Start / ppp) * Fpp(v);
}

double DisplayPixelToFreqAt(int16_t v, int32_t first, int32_t pixel) {
  double ppp = Ppp(v);
  return Dsp.Init_Frq + (pixel + first / ppp) * Fpp(v);
}

double DisplayChannelScale(int16_t v, int16_t c) {
  if (LevelIndex(v) == WIN_RAW || c < 0 || c > 8 || Dsp.Chn_DspStat[c] == 0) return 1.0;
  const int16_t active = Win.Active_Chn;
  if (active < 0 || active > 8) return 1.0;
  const double own = Dsp.FL_SZ[WIN_RAW][c];
  const double page = Dsp.FL_SZ[WIN_RAW][active];
  return own > 0.0 && page > 0.0 ? own / page : 1.0;
}

double DisplayPixelToFreqOn(int16_t v, int16_t c, int32_t first, int32_t pixel) {
  const double f = DisplayPixelToFreqAt(v, first, pixel);
  const double r = DisplayChannelScale(v, c);
  return r == 1.0 ? f : Dsp.Init_Frq + (f - Dsp.Init_Frq) * r;
}

int32_t DisplayFreqToPixelOn(int16_t v, int16_t c, int32_t first, double f) {
  const double r = DisplayChannelScale(v, c);
  return DisplayFreqToPixelAt(v, first, r == 1.0 ? f : Dsp.Init_Frq + (f - Dsp.Init_Frq) / r);
}

int32_t DisplayFreqToPoint(int16_t c, double f) {
  if (Dsp.FSR == 0.0) Dsp.FSR = 1.0;
  int32_t p = Trunc32((f - Dsp.Init_Frq) / Dsp.FSR * Dsp.Pts_FSR + 0.5);
  if (p < 0) p = 0;
  if (c >= 0 && c <= 8) {
    uint32_t count = Dsp.FL_SZ[WIN_RAW][c];
    if (static_cast<uint32_t>(p) > count) p = Trunc32(count);
  }
  return p;
}

int32_t DisplayFreqToPointAt(int16_t v, int16_t c, double f) {
  int32_t q = Trunc32((f - Dsp.Init_Frq) / Fpp(v) + 0.5);
  if (q < 0) q = 0;
  if (IsChannelRow(c)) {
    uint32_t count = Dsp.FL_SZ[WIN_RAW][c];
    if (static_cast<uint32_t>(q) > count) q = Trunc32(count);
  }
  return q;
}

double DisplayPointToFreq(int16_t v, int32_t q) { return Dsp.Init_Frq + q * Fpp(v); }

int32_t DisplayCenterOnFreq(int16_t v, int16_t c, double f, int32_t* first, int32_t* pixel) {
  double ppp = Ppp(v);
  int32_t p = DisplayFreqToPoint(c, f);
  double width = static_cast<double>(Win.Page_Width);
  int32_t start = Trunc32(p - width * 0.5 * ppp + 0.5);
  if (start < 0) start = 0;
  double count = IsChannelRow(c) ? static_cast<double>(Dsp.FL_SZ[WIN_RAW][c]) : 0.0;
  if (start > count - width * ppp) start = Trunc32(count - width * ppp);
  int32_t x = DisplayFreqToPixelAt(v, start, f);
  if (x < 0 || x >= Win.Page_Width) return 0;
  if (first) *first = start;
  if (pixel) *pixel = x;
  return 1;
}

double DisplayFreqUnitConvert(double a, double b) {
  int16_t dataUnit = Dsp.Units_IdxData;
  int16_t dspUnit = Dsp.Units_Idx;
  if (dataUnit == dspUnit && Dsp.Harm_IdxData == Dsp.Harm_Idx) return a + b;
  double h = Dsp.Harm_IdxData + 1.0;
  double k = Dsp.Harm_Idx + 1.0;
  const double q = MHZ_PER_CM1;
  // To MHz of the fundamental.
  switch (dataUnit) {
    case 0:
      a = a / h;
      b = b / h;
      break;
    case 1:
      a = a * q / h;
      b = b * q / h;
      break;
    case 2:
      if (a != 0.0) a = q * 1.0e7 / (h * a);
      if (b != 0.0) b = q * 1.0e7 / (h * b);
      break;
    default:
      break;
  }
  // To the display unit and harmonic.
  switch (dspUnit) {
    case 0:
      return (a + b) * k;
    case 1:
      return (a + b) * (1.0 / q) * k;
    case 2:
      if (a != 0.0) a = 1.0e7 / ((1.0 / q) * a * k);
      if (b != 0.0) b = 1.0e7 / ((1.0 / q) * b * k);
      return a + b;
    default:
      return a;
  }
}

bool DisplayValueAtRow(int16_t c, int32_t clientY, double* value) {
  if (c < 0 || c > 8) return false;
  double s = Dsp.Chn_Scalar[c];
  if (s == 0.0) return false;
  double g = Dsp.Chn_ScaleStat[c] ? 1.0 : 0.1;
  double k = -static_cast<double>(Win.Page_Height) * g * s;
  if (k == 0.0) return false;  // a zero plot height has no scale
  double y0 = Win.Plot_Bottom + k * Dsp.Chn_Offset[c];
  *value = (static_cast<double>(clientY - Win.Plot_Y0) - y0) / k;
  return true;
}

bool DisplayCursorReadout(int32_t x, int32_t y, char* text, size_t size) {
  if (size == 0) return false;
  text[0] = '\0';
  int16_t c = Win.Active_Chn;
  if (c < 0 || c > 8) return false;
  int32_t n = Trunc32(Dsp.FL_SZ[WIN_RAW][c]);
  double xe = DisplayFreqUnitConvert(DisplayPixelToFreqAt(WIN_RAW, Win.Page_Start, n), -Win.Rel_Freq);
  double xf = DisplayFreqUnitConvert(DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, x), -Win.Rel_Freq);
  int unit = Dsp.Units_Idx >= 0 && Dsp.Units_Idx <= 2 ? Dsp.Units_Idx : 0;
  const char* unitName = Dsp.Units_ReadoutTbl[unit];
  if (std::fabs(xe) >= 10.0)
    StrFormat(text, size, "[%d] X(%s) %-15.4lf ", c, unitName, xf);
  else
    StrFormat(text, size, "[%d] X(%s) %-15.4le ", c, unitName, xf);
  double value = 0.0;
  if (DisplayValueAtRow(c, y, &value)) {
    double magnitude = std::fabs(value);
    if (magnitude >= 1.0 && magnitude <= 1.0e6)
      StrAppendFormat(text, size, " Y %-10.5lf", value);
    else
      StrAppendFormat(text, size, " Y %-10.4lg", value);
  }
  StrAppendFormat(text, size, " Pt %6d", DisplayPixelToPoint(Win.View_Level, x) - Win.Rel_Point);
  if (Win.Rel_On == 1) StrAppend(text, size, "(REL)");
  return true;
}

void DisplayStatusPartsSet(HWND bar) {
  int w = 8;
  if (HDC dc = GetDC(bar)) {
    const auto font = reinterpret_cast<HFONT>(SendMessage(bar, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRIC metrics;
    if (GetTextMetrics(dc, &metrics) && metrics.tmAveCharWidth > 0) w = static_cast<int>(metrics.tmAveCharWidth);
    if (old) SelectObject(dc, old);
    ReleaseDC(bar, dc);
  }
  int edges[4] = {57 * w, 114 * w, 160 * w, -1};
  SendMessage(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
}

int32_t DisplayAppendText(const char* fileName, const char* text) {
  std::string path = platform::MapPath(fileName);
  std::error_code error;
  bool existed = std::filesystem::exists(path, error);
  uintmax_t oldSize = existed ? std::filesystem::file_size(path, error) : 0;
  if (error) return 0;
  std::string bytes = platform::Utf8ToCp1252(text ? text : "");
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) out.push_back('\r');
    out.push_back(bytes[i]);
  }
  FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return 0;
  bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  ok = std::fflush(file) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    // Leave no partial line behind.
    if (existed)
      std::filesystem::resize_file(path, oldSize, error);
    else
      std::filesystem::remove(path, error);
  }
  return ok ? 1 : 0;
}

void DisplayCursorInfoWrite() {
  char line[600];
  double fc = DisplayFreqUnitConvert(DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, Win.Cursor_X), 0.0);
  StrFormat(line, "%-18.6lf  ", fc);
  int16_t c = Win.Active_Chn;
  double y = 0.0;
  if (!DisplayValueAtRow(c, Win.Cursor_Y, &y)) y = 0.0;
  if (Win.CurInfo_Shown == 0) {
    int32_t lo = Win.Cursor_X - Win.Cursor_HalfWidth;
    int32_t hi = Win.Cursor_X + Win.Cursor_HalfWidth;
    Win.Cursor_Freq_Lo = DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, lo);
    Win.Cursor_Freq_Hi = DisplayPixelToFreqAt(Win.View_Level, Win.Page_Start, hi);
    StrAppendFormat(line, "%-18.6lf %-18.6lf  ", DisplayFreqUnitConvert(Win.Cursor_Freq_Lo, 0.0),
                    DisplayFreqUnitConvert(Win.Cursor_Freq_Hi, 0.0));
    StrAppendFormat(line, "%-12.6lf ", y);
    StrAppendFormat(line, "%-8d", DisplayPixelToPoint(Win.View_Level, Win.Cursor_X));
    StrAppend(line, "\n");
  } else {
    if (c < 0 || c > 8) {
      MessageBox(Win.hWnd_Main, "CURSOR INFO FILE WRITE\n\nACTIVE CHN MUST BE DEFINED\n\nFRQ/ITN/SD NOT SAVED",
                 "Warning", MB_SYSTEMMODAL | MB_ICONWARNING);
      return;
    }
    StrAppendFormat(line, "%-12.6lf ", y);
    // The dialog's two averages and their two deviations.
    const double values[4] = {Win.Chn_Ave1[c], Win.Chn_Sig1[c], Win.Chn_Ave2[c], Win.Chn_Sig2[c]};
    for (double value : values) {
      double magnitude = std::fabs(value);
      if (magnitude > 1.0 && magnitude < 100000.0)
        StrAppendFormat(line, "%.8lf ", value);
      else
        StrAppendFormat(line, "%.6le ", value);
    }
    StrAppendFormat(line, "%-15d", DisplayPixelToPoint(Win.View_Level, Win.Cursor_X));
    StrAppend(line, "\n");
  }
  char text[300];
  if (DisplayAppendText(FREQ_TXT_FILE_NAME, line) == 1) {
    StrFormat(text, "FRQ/ITN SAVED TO [%s]", FREQ_TXT_FILE_NAME);
    MainStatus(2, text);
  } else {
    StrFormat(text, "FAILED TO WRITE FREQUENCY/INTENSITY TO ASCII FILE=[%s]", FREQ_TXT_FILE_NAME);
    MessageBox(Win.hWnd_Main, text, "Warning", MB_SYSTEMMODAL | MB_ICONWARNING);
  }
}
