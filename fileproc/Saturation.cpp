// Detector saturation: the fit of S = M x / (1 + A x) + B between a reference and a
// signal file, and the correction that maps a saturated signal back onto the line.
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/DebugLog.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/FdIo.h"
#include "fileproc/FileOps.h"
#include "fileproc/NoiseStats.h"
#include "fileproc/xcorr/Resample.h"
#include "numerics/Marquardt.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"
#include "records/Cnl.h"
#include "records/Cnv.h"
#include "records/Debug.h"
#include "records/Lsf.h"
#include "records/Win.h"

namespace {

constexpr uint32_t kBlock = 65536;
constexpr int16_t kSet = 0;      // fit set of the saturation fit
constexpr int16_t kProcess = 0;  // its Levenberg-Marquardt work slot
constexpr int16_t kDebugTopic = 106;
constexpr const char* kHead = "NON-LINEAR FIT OF SATURATION";

void Trace(const char* name, int16_t kind) {
  if (Debug.DebugTraceFlag == 1) DebugTrace(1, name, kind);
}

void Model(int16_t, int16_t, int32_t, double x, double* a, double* y, double* dyda, int32_t) {
  SatnNLLsfFunc(x, a, y, dyda);
}

// Values [lo, hi) of a float file, widened, into the 1-based array dest[1..n].
bool ReadRange(const char* name, int32_t lo, int32_t hi, double* dest, uint32_t n) {
  double* values = nullptr;
  uint32_t got = 0;
  const bool ok = ManBinFileRead(name, nullptr, nullptr, &values, BIN_ELEM_FLOAT, static_cast<uint32_t>(lo),
                                 static_cast<uint32_t>(hi), &got, 1) == 1 &&
                  got == n;
  if (ok)
    for (uint32_t i = 0; i < n; ++i) dest[i + 1] = values[i];
  DFree1Dim(&values);
  return ok;
}

// Fit-set 0's observation arrays (1-based), resized only when the count changes.
bool SizeObservations(uint32_t n) {
  if (Lsf.Obl_XXX && Lsf.Obl_Itn && Lsf.Obl_Sig && Lsf.Obl_Sz == n) return true;
  DFree1Dim(&Lsf.Obl_XXX);
  DFree1Dim(&Lsf.Obl_Itn);
  DFree1Dim(&Lsf.Obl_Sig);
  Lsf.Obl_Sz = 0;
  if (QvAllocFailed(DAlloc1Dim(&Lsf.Obl_XXX, n + 1)) || QvAllocFailed(DAlloc1Dim(&Lsf.Obl_Itn, n + 1)) ||
      QvAllocFailed(DAlloc1Dim(&Lsf.Obl_Sig, n + 1))) {
    DFree1Dim(&Lsf.Obl_XXX);
    DFree1Dim(&Lsf.Obl_Itn);
    DFree1Dim(&Lsf.Obl_Sig);
    return false;
  }
  Lsf.Obl_Sz = n;
  return true;
}

// The parameter list (4 entries) and the two matrices of (fitted + 1)^2.
bool SizeParameters(int32_t fitted) {
  if (!Lsf.Prm_IdxList || Lsf.Prm_Sz != 4) {
    LFree1Dim(&Lsf.Prm_IdxList);
    Lsf.Prm_Sz = 0;
    if (QvAllocFailed(LAlloc1Dim(&Lsf.Prm_IdxList, 4))) {
      core_io::Error("SatnNLLsfRun()/Lsf.FitFix_Prms/Prm_IdxList\nCORE ALLOCATION ERROR");
      return false;
    }
    Lsf.Prm_Sz = 4;
  }
  const int32_t size = fitted + 1;
  if (!Lsf.Cov_Mtx || !Lsf.Crv_Mtx || Lsf.Mtx_Sz != size) {
    DFree2Dim(&Lsf.Cov_Mtx, Lsf.Mtx_Sz);
    DFree2Dim(&Lsf.Crv_Mtx, Lsf.Mtx_Sz);
    Lsf.Mtx_Sz = 0;
    if (QvAllocFailed(DAlloc2Dim(&Lsf.Cov_Mtx, size, size)) || QvAllocFailed(DAlloc2Dim(&Lsf.Crv_Mtx, size, size))) {
      DFree2Dim(&Lsf.Cov_Mtx, size);
      DFree2Dim(&Lsf.Crv_Mtx, size);
      core_io::Error("SatnNLLsfRun()/Covar/Alpha\n\nCORE ALLOCATION ERROR");
      return false;
    }
    Lsf.Mtx_Sz = size;
  }
  return true;
}

void LogParameters(platform::TextFileWriter& log, const double* a, const char* format) {
  for (int32_t k = 1; k <= 3; ++k) {
    log.Printf(format, k, a[k]);
    if (k % 5 == 0) log.Write("\n");
  }
  log.Write("\n");
}

// The current observations put on the even grid of x and written as a table. A
// measured reference rises only on average: the pairs are taken in the order of their
// x (the observations themselves stay as fitted), so the grid runs from the lowest
// normalised reading to the highest.
bool WriteTable(const char* name, uint32_t n, double* grid) {
  std::vector<double> x;
  std::vector<double> y;
  try {
    x.assign(Lsf.Obl_XXX + 1, Lsf.Obl_XXX + 1 + n);
    y.assign(Lsf.Obl_Itn + 1, Lsf.Obl_Itn + 1 + n);
  } catch (const std::bad_alloc&) {
    core_io::Error("SatnNLLsfRun()\n\ntmp_dpt\n\nCORE ALLOCATION ERROR");
    return false;
  }
  SortPairsByX(n, x.data(), y.data(), false);
  if (InterpolateFileAry(n, x.data(), y.data(), grid, 0) != 1) {
    core_io::Error("SatnNLLsfRun()\n\nINTERPOLATION ERROR");
    return false;
  }
  StrCopy(Cnl.Mks_Flnm, name);
  const double step = (x[n - 1] - x[0]) / static_cast<double>(n - 1);
  platform::TextFileWriter out;
  bool ok = out.Open(name);
  for (uint32_t i = 0; ok && i < n; ++i) ok = out.Printf("%-10.6lf %-.6lf\n", x[0] + i * step, grid[i]);
  if (ok && out.Commit()) return true;
  core_io::Warning(StrPrintf("SatnNLLsfRun()\n\nFAILED TO CREATE ASCII FILE=[%s] FOR WRITING\n\nABORTING", name));
  return false;
}

// Runs the cycles and the covariance step; 1 with a[] fitted and unc[] (A, M, B) set.
int32_t Fit(platform::TextFileWriter& log, uint32_t n, int32_t fitted, double* a, double* unc) {
  int32_t* lista = Lsf.Prm_IdxList;
  int32_t k = 0;
  for (int32_t j = 1; j <= 3; ++j)
    if (Cnl.Satn_Fit[j - 1] != 0) lista[++k] = j;
  for (int32_t j = 1; j <= 3; ++j)
    if (Cnl.Satn_Fit[j - 1] == 0) lista[++k] = j;
  const double* x = Lsf.Obl_XXX;
  const double* y = Lsf.Obl_Itn;
  const double* sig = Lsf.Obl_Sig;
  const int32_t nd = static_cast<int32_t>(n);
  Lsf.Run_Flag[kSet] = 1;
  double chisq = 1e10;
  double alamda = -1.0;
  auto stop = [&](int32_t result) {
    Lsf.Run_Flag[kSet] = 0;
    return result;
  };
  for (Lsf.Cyc_Cnt = 0; Lsf.Cyc_Cnt <= Lsf.Max_Cyc; ++Lsf.Cyc_Cnt) {
    if (mrqmin(kProcess, kSet, x, y, sig, nd, a, 3, lista, fitted, Lsf.Cov_Mtx, Lsf.Crv_Mtx, &chisq, Model, nullptr,
               Lsf.Run_Flag[kSet], &alamda) != 1) {
      core_io::Warning(StrPrintf("NLLSF ABORTED ON CYCLE=[%u]", Lsf.Cyc_Cnt));
      return stop(0);
    }
    log.Printf("CYCLE = %u\n", Lsf.Cyc_Cnt);
    LogParameters(log, a, "  PRM[%2d]=%-10.6lf");
    log.Printf("  CHI_SQ=%lf ALAMDA=%lf\n", chisq, alamda);
    if (Debug.DebugLevel == kDebugTopic) {
      DebugPrintf("CYCLE = %u\n", Lsf.Cyc_Cnt);
      for (int32_t j = 1; j <= 3; ++j) DebugPrintf("  PRM[%2d]=%-10.6lf%s", j, a[j], j == 3 ? "\n" : "");
      DebugPrintf("CYC=%u CHI_SQ=%lf ALAM=%lf\n", Lsf.Cyc_Cnt, chisq, alamda);
    }
    if (chisq < Lsf.Stop_Crit) break;
  }
  alamda = 0.0;
  if (mrqmin(kProcess, kSet, x, y, sig, nd, a, 3, lista, fitted, Lsf.Cov_Mtx, Lsf.Crv_Mtx, &chisq, Model, nullptr,
             Lsf.Run_Flag[kSet], &alamda) != 1)
    return stop(0);
  const double dof = static_cast<double>(n) - fitted;
  for (int32_t j = 0; j < 3; ++j) unc[j] = 0.0;
  for (int32_t place = 1; place <= fitted; ++place) {
    const int32_t prm = lista[place];
    // With no degree of freedom left the scatter says nothing about the uncertainty.
    unc[prm - 1] = dof > 0.0 ? std::sqrt(std::fabs(Lsf.Cov_Mtx[place][place] * chisq / dof)) : 0.0;
  }
  log.Write("COVARIANCE MATRIX\n");
  for (int32_t r = 1; r <= fitted; ++r) {
    log.Write("\n    ");
    for (int32_t c = 1; c <= fitted; ++c) log.Printf("%-10.1le", Lsf.Cov_Mtx[r][c]);
  }
  log.Write("\n");
  log.Write("FINAL\n");
  log.Printf("  ALPHA=[%-10.6lf][%.6lf]\n", a[1], unc[0]);
  log.Printf("  M    =[%-10.6lf][%.6lf]\n", a[2], unc[1]);
  log.Printf("  B    =[%-10.6lf][%.6lf]\n", a[3], unc[2]);
  return stop(1);
}

// A point of the range without a value in either file refuses the fit, naming it (the
// files hold single precision, whose 1e18 lies a little below the double one).
bool AllValued(const char* name, const double* values, uint32_t n, int32_t lo) {
  for (uint32_t i = 1; i <= n; ++i) {
    if (!ViewValueMissing(static_cast<float>(values[i]))) continue;
    core_io::Warning(StrPrintf("%s\n\nFIT DATA [%s]\n\nPOINT [%lld] HAS NO VALUE [%s]\n\nFIT ABORTED", kHead, name,
                               static_cast<long long>(lo) + i - 1, MissingValueText(values[i]).c_str()));
    return false;
  }
  return true;
}

}  // namespace

void SatnNLLsfFunc(double x, double* a, double* y, double* dyda) {
  Trace("SatnNLLsfFunc()", DEBUG_ENTER);
  const double u = x / (a[1] * x + 1.0);
  *y = a[2] * u + a[3];
  dyda[1] = -a[2] * u * u;
  dyda[2] = u;
  dyda[3] = 1.0;
  Trace("SatnNLLsfFunc()", DEBUG_EXIT);
}

int32_t SatnCorrFile(const char* /*inName*/, const char* outName, int in, int out) {
  const double a = Cnl.Satn_Corr[0];
  const double m = Cnl.Satn_Corr[1];
  const double b = Cnl.Satn_Corr[2];
  if (m == 0.0) {
    core_io::Error("SATURATION CORRECTION\n\nSCALAR [M] IS ZERO\n\nABORTING");
    return 0;
  }
  float* block = nullptr;
  if (QvAllocFailed(FAlloc1Dim(&block, kBlock))) {
    core_io::Error("OSIFile()\n\nblk_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  int64_t values = 0;
  int64_t below = 0;
  for (;;) {
    size_t got = 0;
    if (!FdReadAll(in, block, kBlock * sizeof(float), &got)) {
      FFree1Dim(&block);
      core_io::Warning(StrPrintf("SATURATION CORRECTION\n\nFAILED TO READ BINARY FILE\n\nABORTING"));
      return 0;
    }
    const size_t count = got / sizeof(float);
    if (count == 0) break;
    for (size_t i = 0; i < count; ++i) {
      const float v = block[i];
      if (v >= b) {
        const float s = static_cast<float>(v - b);
        block[i] = static_cast<float>(s / (1.0 - s * a / m) + b);
      } else {
        ++below;
      }
    }
    values += static_cast<int64_t>(count);
    if (!FdWriteAll(out, block, count * sizeof(float))) {
      FFree1Dim(&block);
      core_io::Warning(StrPrintf("OSIFile()\n\nCASE ID=[%d]\n\nFAILED TO WRITE BINARY FILE=[%s]\n\nABORTING",
                                 static_cast<int>(OSI_SATN_CORR), outName));
      return 0;
    }
    if (count < kBlock) break;
  }
  FFree1Dim(&block);
  if (below > 0)
    core_io::Warning(StrPrintf("SATURATION CORRECTED FILE=[%s]\n\nVALUES CORRECTED=[%lld]\n\nVALUES BELOW OFFSET=[%lf] "
                               "IGNORED=[%lld]",
                               outName, static_cast<long long>(values), b, static_cast<long long>(below)));
  return 1;
}

int32_t SatnNLLsfRun(int16_t /*flag*/) {
  Trace("SatnNLLsfRun()", DEBUG_ENTER);
  auto leave = [](int32_t result) {
    Trace("SatnNLLsfRun()", DEBUG_EXIT);
    return result;
  };
  const int32_t lo = Win.Pt_Lim[0][0];
  const int32_t hi = Win.Pt_Lim[0][1];
  if (Cnv.Lim_Stat[0] != 1 || hi <= lo || lo < 0) {
    core_io::Warning(StrPrintf("%s\n\nDEFINE LIMITS WITH MARKS FIRST\n\nABORTING", kHead));
    return leave(0);
  }
  // The fit shares fit set 0's run flag with the line-shape and ring-down fits of set 0:
  // run beside one of them, its end would stop that fit. It is refused until that fit ends.
  if (Lsf.Fit_Running == kSet) {
    core_io::Warning(StrPrintf("%s\n\nFIT OF SET [%d] RUNNING\n\nABORTING", kHead, kSet));
    return leave(0);
  }
  // The log is made where it lies, now: a fit whose log cannot be had is not run, and
  // one whose log cannot be finished stores nothing.
  const char kLogName[] = "SatnNLLLsf.log";
  const auto logFailed = [&] {
    core_io::Warning(StrPrintf("SatnNLLsfRun()\n\nFAILED TO CREATE ASCII FILE=[%s] FOR WRITING\n\nABORTING", kLogName));
    return leave(0);
  };
  platform::TextFileWriter log;
  if (!log.OpenInPlace(kLogName)) return logFailed();
  Lsf.Fit_Log = &log;
  auto fail = [&](int32_t result) {
    (void)log.Commit();  // what the log holds so far tells why; the run has failed already
    Lsf.Fit_Log = nullptr;
    return leave(result);
  };

  const uint32_t n = static_cast<uint32_t>(hi - lo);
  if (!SizeObservations(n)) {
    core_io::Error("SatnNLLsfRun()/Lsf.Obl_XXX/Lsf.Obl_Itn/Lsf.Obl_Sig\n\nCORE ALLOCATION ERROR");
    return fail(0);
  }
  Lsf.Obl_Cnt = n;
  if (!ReadRange(Cnl.Satn_PowFlnm, lo, hi, Lsf.Obl_XXX, n) || !ReadRange(Cnl.Satn_SigFlnm, lo, hi, Lsf.Obl_Itn, n))
    return fail(0);
  // What cannot be fitted is refused before any cycle: the constants stay and no file
  // is written.
  if (!AllValued(Cnl.Satn_PowFlnm, Lsf.Obl_XXX, n, lo) || !AllValued(Cnl.Satn_SigFlnm, Lsf.Obl_Itn, n, lo))
    return fail(0);
  int32_t fitted = 0;
  for (uint32_t flag : Cnl.Satn_Fit) fitted += flag != 0 ? 1 : 0;
  if (static_cast<int64_t>(n) <= fitted) {
    core_io::Warning(StrPrintf("%s\n\nFIT DATA [%s]\n\n[%u] POINTS FOR [%d] FREE PARAMETERS\n\nFIT ABORTED", kHead,
                               Cnl.Satn_SigFlnm, n, fitted));
    return fail(0);
  }
  double* x = Lsf.Obl_XXX;
  const double first = x[1];
  const double last = x[n];
  // The reference is scaled to run from 0 to 1: equal ends would divide by zero.
  if (last == 0.0) {
    core_io::Error(StrPrintf("SatnNLLsfRun()/REFERENCE CHN MAX VALUE=[%lf]\n\nABORTING", last));
    return fail(0);
  }
  if (last == first) {
    core_io::Error(StrPrintf("SatnNLLsfRun()/REFERENCE CHN MAX VALUE=[%lf] EQUALS MIN VALUE=[%lf]\n\nABORTING", last,
                             first));
    return fail(0);
  }
  for (uint32_t i = 1; i <= n; ++i) {
    const double original = x[i];
    x[i] = (x[i] - first) / (last - first);
    Lsf.Obl_Sig[i] = Lsf.Uncert;
    log.Printf("[%-3u] X:Y:SIG=[%-10.6lf]:[%-10.6lf]:[%-10.6lf] X ORIG=[%-.5lf]\n", i - 1, x[i], Lsf.Obl_Itn[i],
               Lsf.Obl_Sig[i], original);
  }

  Lsf.Tot_Prms = 3;
  Lsf.Fit_Prms = fitted;
  Lsf.FitFix_Prms = Lsf.Tot_Prms - Lsf.Fit_Prms;
  if (!SizeParameters(Lsf.Fit_Prms)) return fail(0);
  double a[4] = {0.0, Cnl.Satn_Prm[0], Cnl.Satn_Prm[1], Cnl.Satn_Prm[2]};
  double unc[3] = {};
  log.Write("INIT\n");
  LogParameters(log, a, "  PRM[%2d]=[%-10.6lf]");
  if (Fit(log, n, Lsf.Fit_Prms, a, unc) != 1) return fail(0);
  for (int32_t j = 0; j < 3; ++j) {
    if (std::isfinite(a[j + 1]) && std::isfinite(unc[j])) continue;
    core_io::Warning(StrPrintf("%s\n\nFITTED VALUES NOT FINITE\n\nFIT ABORTED", kHead));
    return fail(0);
  }
  Lsf.Fit_Log = nullptr;
  if (!log.Commit()) return logFailed();
  for (int32_t j = 0; j < 3; ++j) {
    Cnl.Satn_Prm[j] = Cnl.Satn_Corr[j] = a[j + 1];
    Cnl.Satn_Unc[j] = unc[j];
  }

  if (n < 2) return leave(0);
  double* grid = nullptr;
  if (QvAllocFailed(DAlloc1Dim(&grid, n))) {
    core_io::Error("SatnNLLsfRun()\n\ntmp_dpt\n\nCORE ALLOCATION ERROR");
    return leave(0);
  }
  auto done = [&](int32_t result) {
    DFree1Dim(&grid);
    return leave(result);
  };
  if (!WriteTable("SatnOrig.txt", n, grid)) return done(0);

  char in[OSI_NAME_SIZE];
  char out[OSI_NAME_SIZE] = "SatnCorr.bin";
  StrCopy(in, Cnl.Satn_SigFlnm);
  if (OSIFile(0, -1, OSI_SATN_CORR, in, out, 1, 0, 0) != 1) {
    core_io::Warning("SATURATION CORRECTION FAILED\n\nABORTING");
    return done(0);
  }
  if (!ReadRange(out, lo, hi, Lsf.Obl_Itn, n)) {
    core_io::Warning(StrPrintf("SatnNLLsfRun()\n\nFAILED TO READ BINARY FILE=[%s]\n\nABORTING", out));
    return done(0);
  }
  if (!WriteTable("SatnCorr.txt", n, grid)) return done(0);
  return done(1);
}
