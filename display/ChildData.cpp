// ChildDataRead: the data arrays of a child window, refilled under ChildDataLock.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "display/ChildInternal.h"
#include "display/ChildPaint.h"
#include "fileproc/xcorr/ArrayStats.h"
#include "fileproc/xcorr/Resample.h"
#include "fileproc/Fourier.h"
#include "fileproc/NoiseStats.h"
#include "filelib/FileManip.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "platform/windows/MessageBox.h"
#include "records/Cnl.h"
#include "records/Locks.h"
#include "records/Lsf.h"
#include "records/Trans.h"
#include "records/Win.h"

namespace {

using child::Status;
using child::StatusF;

constexpr UINT kErrorBox = MB_SYSTEMMODAL | MB_ICONERROR;
constexpr UINT kWarningBox = MB_SYSTEMMODAL | MB_ICONWARNING;
constexpr UINT kInfoBox = MB_SYSTEMMODAL | MB_ICONINFORMATION;
constexpr UINT kQuestionBox = MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNOCANCEL;

class Locked {
 public:
  Locked() { EnterCriticalSection(&ChildDataLock); }
  ~Locked() { LeaveCriticalSection(&ChildDataLock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

void Box(const char* text, const char* caption, UINT style) { MessageBox(Win.hWnd_Main, text, caption, style); }

// Lines of a text file that hold a value in column `column` (1-based).
uint32_t ColumnValues(const char* name, int32_t column) {
  core_io::LineIn file(499);
  if (!file.Open(name)) return 0;
  uint32_t count = 0;
  std::string piece;
  double value = 0.0;
  while (file.Next(piece)) {
    const char* p = piece.c_str();
    if (!core_io::ScanDouble(p, nullptr)) continue;
    if (core_io::ScanColumnDouble(piece.c_str(), column, &value)) ++count;
  }
  return count;
}

// The y range of the values between the child's cursors (sub-array 0); with log/log
// the minimum lies half a decade of the count below the maximum. The fixed offset
// then puts the range into the plot.
void TakeRange(int16_t c, int16_t k, const double* values, uint32_t n) {
  double lo = 0.0, hi = 0.0;
  if (ManFindMinMaxDiffAveRMS1DAry(nullptr, nullptr, values, n, Win.Child_CursorLo[c][k], Win.Child_CursorHi[c][k], &lo,
                                   &hi, nullptr, nullptr) != 1)
    return;
  if (Cnl.LogLog_Stat == 1) lo = hi - 0.5 * std::log(static_cast<double>(n));
  Cnl.Y_Min[c][k][0] = lo;
  Cnl.Y_Max[c][k][0] = hi;
  const double h = Win.Child_PlotH[c][k];
  const double s = child::Scale(h, lo, hi, Cnl.Y_Factor[c][k]);
  Cnl.Fix_Ofs[c][k][0] = h - lo * s * Cnl.Y_Factor[c][k];
}

// Marker diagnostic: from the fourth marker on, the deviation in percent of a marker
// spacing from the mean of its two neighbours.
bool ReadMarkerDiagnostic(int16_t c, int16_t k) {
  core_io::LineIn file(499);
  if (!file.Open(Cnl.Mks_Flnm)) return false;
  std::vector<double> positions;
  std::string piece;
  while (file.Next(piece)) {
    const char* p = piece.c_str();
    int32_t position = 0;
    if (core_io::ScanLong(p, &position)) positions.push_back(position);
  }
  if (!positions.empty() && positions.front() != 0.0) positions.insert(positions.begin(), 0.0);
  std::vector<double> values;
  for (size_t i = 3; i < positions.size(); ++i) {
    const double d0 = positions[i - 2] - positions[i - 3];
    const double d1 = positions[i - 1] - positions[i - 2];
    const double d2 = positions[i] - positions[i - 1];
    if (d0 + d2 != 0.0) values.push_back((2.0 * d1 / (d0 + d2) - 1.0) * 100.0);
  }
  const uint32_t n = static_cast<uint32_t>(values.size());
  if (QvAllocFailed(DReAlloc1Dim(&Cnl.Y_Draw_DAry1[c][k], std::max<uint32_t>(n, 1)))) {
    Box("ChildDataRead()/Cnl.Y_Draw_DAry1 - CORE ALLOCATION ERROR", "Error", kErrorBox);
    return false;
  }
  std::copy(values.begin(), values.end(), Cnl.Y_Draw_DAry1[c][k]);
  Cnl.MkDiag_Cnt = n;
  Cnl.Pt_Cnt[c][k] = n;
  TakeRange(c, k, Cnl.Y_Draw_DAry1[c][k], n);
  return true;
}

// Log/log: y = log(value) at x = log(i + 1) count / log(count), interpolated back
// onto the points. A value of 0 or less refuses the scale.
bool LogLog(int16_t c, int16_t k, uint32_t n) {
  double* y = Cnl.Y_Draw_DAry1[c][k];
  for (uint32_t i = 0; i < n; ++i) {
    if (y[i] <= 0.0) {
      Cnl.LogLog_Stat = 0;
      Box("ChildDataRead()\n\nINVALID LOG ARGUMENT FOR LOG/LOG SCALE\n\nABORTING", "Warning", kWarningBox);
      return true;
    }
  }
  if (QvAllocFailed(DReAlloc1Dim(&Cnl.Y_Draw_DAry2[c][k], n)) ||
      QvAllocFailed(DReAlloc1Dim(&Cnl.Y_Draw_DAry3[c][k], n))) {
    Box("ChildDataRead()\n\nCnl.Y_Draw_DAry2/Cnl.Y_Draw_DAry3\n\nCORE ALLOCATION ERROR", "Error", kErrorBox);
    return false;
  }
  Cnl.Y_Draw_Sz3[c][k] = n;
  double* xs = Cnl.Y_Draw_DAry3[c][k];
  double* ys = Cnl.Y_Draw_DAry2[c][k];
  const double scale = static_cast<double>(n) / std::log(static_cast<double>(n));
  for (uint32_t i = 0; i < n; ++i) {
    xs[i] = std::log(static_cast<double>(i) + 1.0) * scale;
    ys[i] = std::log(y[i]);
  }
  if (InterpolateFileAry(n, xs, ys, y, 0) != 1) {
    Cnl.Allan_Stat = 0;
    Box("ChildDataRead()\n\nALLAN VAR/DEV\n\nINTERPOLATION FAILED", "Warning", kWarningBox);
  }
  return true;
}

// Columns 1 and 2 of an ASCII file in modes 0 (Y only) and 1 (XY).
bool ReadAsciiValues(int16_t c, int16_t k, const char* name, uint32_t* count) {
  const bool xy = Cnl.Asc_Mode[c][k] == 1;
  uint32_t n = 0;
  double** first = xy ? &Cnl.X_DAry[c][k] : &Cnl.Y_Draw_DAry1[c][k];
  if (ManAsciiFileRead(name, 1, nullptr, nullptr, first, &n, 0) != 1) return false;
  if (n < 3) {
    char text[400];
    StrFormat(text, "FILE [%s]\n\nY DATA SZ=[%u]\n\nTWO OR MORE PTS ARE NEEDED\n\nABORTING", name, n);
    Box(text, "Warning", kWarningBox);
    return false;
  }
  if (xy) {
    uint32_t m = 0;
    if (ManAsciiFileRead(name, 2, nullptr, nullptr, &Cnl.Y_Draw_DAry2[c][k], &m, 0) != 1 || m != n) return false;
    if (QvAllocFailed(DReAlloc1Dim(&Cnl.Y_Draw_DAry1[c][k], n + 1))) {
      Box("ChildDataRead()\n\nCnl.Y_Draw_DAry2\n\nCORE ALLOCATION ERROR", "Error", kErrorBox);
      return false;
    }
    // The spline would spread a y that is not a number over the whole curve.
    const double* y = Cnl.Y_Draw_DAry2[c][k];
    const double* bad = std::find_if(y, y + n, [](double v) { return !std::isfinite(v); });
    if (bad != y + n) {
      char text[400];
      StrFormat(text, "ChildDataRead()\n\nFILE [%s]\n\nY VALUE [%u]=[%f] IS NOT A NUMBER\n\nABORTING", name,
                static_cast<uint32_t>(bad - y), *bad);
      Box(text, "Warning", kWarningBox);
      return false;
    }
    // A measured x rises or falls only on average: the pairs are plotted in the order
    // of their x, in the direction of the file's first and last x.
    double* x = Cnl.X_DAry[c][k];
    SortPairsByX(n, x, Cnl.Y_Draw_DAry2[c][k], x[n - 1] < x[0]);
    if (InterpolateFileAry(n, x, Cnl.Y_Draw_DAry2[c][k], Cnl.Y_Draw_DAry1[c][k], 0) != 1) {
      Box("ChildDataRead()\n\nINTERPOLATION ERROR", "Warning", kWarningBox);
      return false;
    }
  }
  *count = n;
  return true;
}

int32_t ReadAscii(int16_t c, int16_t k) {
  const char* name = Cnl.Asc_Flnm[c][k];
  if (ColumnValues(name, 2) < 2) {
    char text[500];
    StrFormat(text,
              "FILE [%s]\n\nY ASCII DATA (COLUMN 2) MISSING\n\nPLOT AS Y DATA ONLY [YES] | MARKER DIAG (KAVO) [NO] | "
              "ABORT [ABORT]?",
              name);
    const int answer = MessageBox(Win.hWnd_Main, text, "Question", kQuestionBox);
    if (answer == IDCANCEL || answer == IDABORT) return 0;
    Cnl.Asc_Mode[c][k] = static_cast<int16_t>(answer == IDNO ? 2 : 0);
  } else {
    Cnl.Asc_Mode[c][k] = 1;
  }

  const int16_t mode = Cnl.Asc_Mode[c][k];
  if (mode == 2) {
    if (!ReadMarkerDiagnostic(c, k)) {
      StatusF(c, k, 1, "FILE [%s] NOT READ", name);
      return 0;
    }
  } else {
    uint32_t n = 0;
    if (!ReadAsciiValues(c, k, name, &n)) {
      StatusF(c, k, 1, "FILE [%s] NOT READ", name);
      return 0;
    }
    if (Cnl.Allan_Stat == 1) {
      if (AllanVarDev(nullptr, nullptr, Cnl.Y_Draw_DAry1[c][k], nullptr, n, 1, 0) != 1) {
        Cnl.MkDiag_Cnt = 0;
        StatusF(c, k, 1, "FILE [%s] NOT READ", name);
        return 0;
      }
      n /= 2;
    }
    if (Cnl.LogLog_Stat == 1 && n >= 2 && !LogLog(c, k, n)) return 0;
    Cnl.Pt_Cnt[c][k] = n;
    TakeRange(c, k, Cnl.Y_Draw_DAry1[c][k], n);
    const double* x = Cnl.X_DAry[c][k];
    Cnl.X_Stp[c][k] = mode == 1 && x ? (x[n - 1] - x[0]) / n * 1e-6 : 1.0;
    child::Refresh(Win.CurInfo_Hwnd);
  }
  Cnl.Data_Pend[c][k] = 0;
  StatusF(c, k, 1,
          mode == 1 ? "FILE [%s] READ: XY DATA"
                    : (mode == 2 ? "FILE [%s] READ: DIFF PLOT (KAVO)" : "FILE [%s] READ: Y DATA ONLY"),
          name);
  StatusF(c, k, 3, "Y MIN=[%le] Y MAX=[%le] SZ=[%u]", Cnl.Y_Min[c][k][0], Cnl.Y_Max[c][k][0], Cnl.Pt_Cnt[c][k]);
  return 1;
}

int32_t ReadTimeFile(int16_t c, int16_t k) {
  const bool fit = Lsf.Seq_Rdf == 1 || Lsf.Seq_Voigt == 1;
  const char* name = "";
  uint32_t n = 0;
  bool read = false;
  if (fit) {
    name = Lsf.Res_Base;
    const int64_t first = std::max<int32_t>(Lsf.Fit_PtBeg, 0);
    int64_t count = std::max<int64_t>(static_cast<int64_t>(Lsf.Fit_PtEnd) - first, 2);
    // The fit takes the points its file holds: so does its display, without a range
    // warning at every paint.
    const int64_t size = BinFileElements(name, BIN_ELEM_FLOAT);
    if (size >= 0) count = std::min(count, size - first);
    if (count <= 0 ||
        ManBinFileRead(name, nullptr, nullptr, &Cnl.Y_Draw_DAry4[c][k], BIN_ELEM_FLOAT, static_cast<uint32_t>(first),
                       static_cast<uint32_t>(first + count), &n, 1) != 1 ||
        n == 0) {
      Lsf.Seq_Rdf = 0;
      Lsf.Seq_Voigt = 0;
      StatusF(c, k, 3, "FILE [%s] NO DATA READ", name);
      return 0;
    }
    Cnl.Pt_Cnt[c][k] = n;
    TakeRange(c, k, Cnl.Y_Draw_DAry4[c][k], n);
    read = true;
  } else if (c < TRANS_CHN && Trans.Trans_Stat[c] == 1) {
    name = Trans.Trans_TimeFlnm[c];
    if (ManBinFileRead(name, nullptr, nullptr, &Cnl.Y_Draw_DAry1[c][k], BIN_ELEM_FLOAT, 0, 0, &n, 1) == 1 && n > 0) {
      // The transform works on what was read: its size and the window's point count.
      Trans.Trans_TimeSz[c] = n;
      Cnl.Pt_Cnt[c][k] = n;
      if (Trans.Trans_Fft_Flag[c] == 1) {
        if (Trans.Trans_Tukey_Flag[c] == 1)
          FFTwFilterAry(0, FFT_WIN_PASS, Trans.Trans_Tukey_Alpha[c], 1.0, Win.Child_CursorLo[c][k],
                        Win.Child_CursorHi[c][k], static_cast<int32_t>(n), nullptr, Cnl.Y_Draw_DAry1[c][k]);
        Trans.Trans_Fft_Flag[c] = FFTwExpChnTransform(c, k) == 1 ? 1 : 0;
      }
      TakeRange(c, k, Cnl.Y_Draw_DAry1[c][k], n);
      read = true;
    } else if (!Cnl.Y_Draw_DAry1[c][k]) {
      Box("ChildDataRead()/Cnl.Y_Draw_DAry1\n\nCORE ALLOCATION ERROR", "Error", kErrorBox);
    }
  }
  Cnl.Data_Pend[c][k] = 0;
  if (read)
    StatusF(c, k, 3, "FILE [%s] READ: MIN=[%le] MAX=[%le] SZ=[%u]", name, Cnl.Y_Min[c][k][0], Cnl.Y_Max[c][k][0], n);
  else
    StatusF(c, k, 3, "FILE [%s] NO DATA READ", name);
  return 1;
}

}  // namespace

int32_t ChildDataRead(int16_t chn, int16_t kind) {
  if (!child::Valid(chn, kind)) return 0;
  Locked lock;
  if (Cnl.Data_Pend[chn][kind] == 0) return 1;
  if (Cnl.Asc_Stat[chn][kind] == 1) return ReadAscii(chn, kind);
  if (Cnl.Time_Stat[chn][kind] == 1) return ReadTimeFile(chn, kind);
  Cnl.Data_Pend[chn][kind] = 0;
  return 1;
}
