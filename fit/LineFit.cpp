#include "fit/LineFit.h"

#include <cmath>
#include <vector>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "numerics/LinearAlgebra.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/TextFile.h"

namespace {

// The work matrices of one fit, released on every way out.
struct Matrix {
  double** p = nullptr;
  int32_t rows = 0;
  Matrix() = default;
  Matrix(const Matrix&) = delete;
  Matrix& operator=(const Matrix&) = delete;
  ~Matrix() { DFree2Dim(&p, rows); }
  bool Alloc(int32_t r, int32_t c) {
    rows = r + 1;
    return !QvAllocFailed(DAlloc2Dim(&p, r + 1, c + 1));
  }
};

// One SVD fit over the kept points; a[1] intercept, a[2] slope. False after the
// library's own box.
bool FitOnce(const std::vector<double>& xs, const std::vector<double>& ys, int32_t varySlope, int32_t varyIntercept,
             double* a, double* chisq) {
  const int32_t m = static_cast<int32_t>(xs.size());
  const int32_t ma = 2;
  int32_t lista[3] = {0, 1, 2};
  int32_t mfit = 0;
  if (varyIntercept) lista[++mfit] = 1;
  if (varySlope) lista[++mfit] = 2;
  if (mfit == 1) lista[2] = varyIntercept ? 2 : 1;
  std::vector<double> y(static_cast<size_t>(m) + 1), sig(static_cast<size_t>(m) + 1, 1.0),
      basis(static_cast<size_t>(m + 1) * (ma + 1), 0.0), w(ma + 1);
  for (int32_t i = 1; i <= m; ++i) {
    y[static_cast<size_t>(i)] = ys[static_cast<size_t>(i - 1)];
    basis[static_cast<size_t>(i) * (ma + 1) + 1] = 1.0;
    basis[static_cast<size_t>(i) * (ma + 1) + 2] = xs[static_cast<size_t>(i - 1)];
  }
  Matrix u, v;
  if (!u.Alloc(m, mfit) || !v.Alloc(mfit, mfit)) {
    core_io::Error("LsfLineFit()/u/v - CORE ALLOCATION ERROR");
    return false;
  }
  return svdfit(0, y.data(), m, a, ma, lista, mfit, u.p, v.p, w.data(), chisq, basis.data(), sig.data()) == 1;
}

}  // namespace

int32_t LsfLineFit(int32_t n, const double* x, const double* y, int32_t varySlope, int32_t varyIntercept,
                   double* slope, double* intercept, int32_t* status, double level) {
  if (status) *status = 0;
  platform::TextFileWriter log;
  if (!log.Open(LSF_LOG_NAME)) {
    core_io::Warning(StrPrintf("LsfLineFit()\n\nUNABLE TO OPEN LOG FILE [%s]", LSF_LOG_NAME));
    return 0;
  }
  const int32_t mfit = (varySlope ? 1 : 0) + (varyIntercept ? 1 : 0);
  log.Printf("LINE FIT Y = A + B*X   POINTS=[%d]   VARY A|B=[%d]|[%d]   REJ LVL=[%g]\n", n, varyIntercept ? 1 : 0,
             varySlope ? 1 : 0, level);
  log.Printf("START    A=[%.10g]   B=[%.10g]\n", *intercept, *slope);

  std::vector<double> xs, ys;
  if (n > 0) {
    xs.assign(x, x + n);
    ys.assign(y, y + n);
  }
  double a[3] = {0.0, *intercept, *slope};
  int32_t cycle = 0;
  bool ok = mfit > 0;
  if (!ok) log.Printf("NOTHING TO FIT\n");
  while (ok) {
    if (static_cast<int32_t>(xs.size()) < mfit) {
      log.Printf("TOO FEW POINTS LEFT [%d] FOR [%d] PARAMETERS\n", static_cast<int32_t>(xs.size()), mfit);
      ok = false;
      break;
    }
    double chisq = 0.0;
    if (!FitOnce(xs, ys, varySlope, varyIntercept, a, &chisq)) {
      log.Printf("FIT FAILED\n");
      ok = false;
      break;
    }
    const double rms = std::sqrt(chisq / static_cast<double>(xs.size()));
    ++cycle;
    log.Printf("CYCLE [%d]   POINTS=[%d]   A=[%.10g]   B=[%.10g]   RMS=[%.6g]\n", cycle,
               static_cast<int32_t>(xs.size()), a[1], a[2], rms);
    // A residual at the rounding level of the values is no outlier: an exact line
    // keeps every point.
    double scale = 0.0;
    for (double v : ys) scale = std::fmax(scale, std::fabs(v));
    const bool exact = rms <= 1e-12 * scale;
    const double limit = level * rms;
    size_t kept = 0;
    for (size_t i = 0; i < xs.size(); ++i) {
      const double r = ys[i] - (a[1] + a[2] * xs[i]);
      if (!exact && std::fabs(r) > limit) {
        log.Printf("   REJECTED X=[%.10g]   Y=[%.10g]   RES=[%.6g]\n", xs[i], ys[i], r);
        continue;
      }
      xs[kept] = xs[i];
      ys[kept] = ys[i];
      ++kept;
    }
    if (kept == xs.size()) break;
    xs.resize(kept);
    ys.resize(kept);
  }
  if (ok) {
    *intercept = a[1];
    *slope = a[2];
    if (status) *status = static_cast<int32_t>(xs.size());
    log.Printf("RESULT   A=[%.10g]   B=[%.10g]   POINTS=[%d]\n", a[1], a[2], static_cast<int32_t>(xs.size()));
  }
  if (!log.Commit()) {
    core_io::Warning(StrPrintf("LsfLineFit()\n\nUNABLE TO WRITE LOG FILE [%s]", LSF_LOG_NAME));
    return 0;
  }
  return ok ? 1 : 0;
}
