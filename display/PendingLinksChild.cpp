// Weak stand-ins for the calls of the child windows into parts that are not linked
// in yet (see PendingLinksChild.h). The owners' definitions replace them at link time.
//
//   ResizeFileAry        array mode into an existing output array by a natural spline
//                        (file mode, or no output array: 0); nothing kept.
//   InterpolateFileAry   a natural spline onto the even grid.
//   ManFindMinMaxDiffAveRMS1DAry  the statistics as declared.
//   AllanVarDev          not available: 0.  RdfCavityModePaint  draws nothing: 0.
#include "display/PendingLinksChild.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "numerics/Spline.h"

namespace {

// Natural spline through (x[i], y[i]), i = 0..n-1 (x ascending), kept 1-based.
struct NaturalSpline {
  std::vector<double> x, y, y2;
  bool Build(const double* xs, const double* ys, uint32_t n) {
    if (n < 2) return false;
    x.assign(n + 1, 0.0);
    y.assign(n + 1, 0.0);
    y2.assign(n + 1, 0.0);
    for (uint32_t i = 0; i < n; ++i) {
      x[i + 1] = xs[i];
      y[i + 1] = ys[i];
    }
    return DSpline(x.data(), y.data(), static_cast<int32_t>(n), SPLINE_NATURAL, SPLINE_NATURAL, y2.data(), 0) == 1;
  }
  double At(double at) const {
    double v = 0.0;
    DSplint(x.data(), y.data(), y2.data(), static_cast<int32_t>(x.size() - 1), at, &v);
    return v;
  }
};

}  // namespace

__attribute__((weak)) int32_t ResizeFileAry(int16_t, int16_t mode, const char*, const char*, uint32_t sizeSwitch,
                                            int32_t inSize, int32_t outSize, double inStep, double outStep,
                                            const float* inFloat, const double* inDouble, float** outArrayRef,
                                            double scalar, int16_t) {
  if (mode != 0 || !outArrayRef || !*outArrayRef || (!inFloat && !inDouble)) return 0;
  inSize = inSize < 0 ? -inSize : inSize;
  inStep = std::fabs(inStep);
  outStep = std::fabs(outStep);
  if (inSize < 2 || inStep == 0.0) return 0;
  if (sizeSwitch == 1) {
    if (outSize < 0) outSize = -outSize * inSize;
    if (outSize == 0) return 0;
    outStep = inSize * inStep / outSize;
  } else {
    if (outStep == 0.0) return 0;
  }
  if (outSize <= 0) return 0;
  std::vector<double> knots(static_cast<size_t>(inSize)), values(static_cast<size_t>(inSize));
  for (int32_t i = 0; i < inSize; ++i) {
    knots[static_cast<size_t>(i)] = i * inStep;
    values[static_cast<size_t>(i)] = inDouble ? inDouble[i] : inFloat[i];
  }
  NaturalSpline spline;
  if (!spline.Build(knots.data(), values.data(), static_cast<uint32_t>(inSize))) return 0;
  for (int32_t j = 0; j < outSize; ++j) {
    const double v = scalar * spline.At(j * outStep);
    (*outArrayRef)[j] = std::isnan(v) || v < -1e20 ? -1e20f : (v > 1e20 ? 1e20f : static_cast<float>(v));
  }
  return 1;
}

__attribute__((weak)) int32_t InterpolateFileAry(uint32_t n, const double* x, const double* y, double* out, int16_t) {
  if (!x || !y) return 1;
  if (!out || n < 2) return 0;
  const bool descending = x[n - 1] < x[0];
  std::vector<double> xs(x, x + n);
  if (descending)
    for (double& v : xs) v = -v;
  NaturalSpline spline;
  if (!spline.Build(xs.data(), y, n)) return 0;
  const double x0 = xs[0], xe = xs[n - 1], step = (xe - x0) / (n - 1);
  for (uint32_t i = 0; i < n; ++i) {
    const double xi = x0 + i * step;
    out[i] = xi >= x0 && xi <= xe ? spline.At(xi) : 0.0;
  }
  return 1;
}

__attribute__((weak)) int32_t ManFindMinMaxDiffAveRMS1DAry(const int32_t* longArray, const float* floatArray,
                                                           const double* doubleArray, uint32_t n, int32_t lo,
                                                           int32_t hi, double* outMin, double* outMax, double* outMean,
                                                           double* outRms) {
  if (n == 0) return 0;
  if ((lo == 0 && hi == 0) || hi < lo || lo < 0 || static_cast<int64_t>(hi) > static_cast<int64_t>(n) - 1) {
    lo = 0;
    hi = static_cast<int32_t>(n - 1);
  }
  auto run = [&](auto value, double extreme) {
    double mn = extreme, mx = -extreme, sum = 0.0;
    for (int32_t i = lo; i <= hi; ++i) {
      const double v = value(i);
      if (v < mn) mn = v;
      if (v > mx) mx = v;
      sum += v;
    }
    const double count = static_cast<double>(hi - lo + 1);
    const double mean = sum / count;
    if (outMin) *outMin = mn;
    if (outMax) *outMax = mx;
    if (outMean) *outMean = mean;
    if (outRms) {
      double squares = 0.0;
      for (int32_t i = lo; i <= hi; ++i) squares += (value(i) - mean) * (value(i) - mean);
      *outRms = count >= 2.0 ? std::sqrt(squares / (count - 1.0)) : 0.0;
    }
  };
  if (longArray) run([&](int32_t i) { return static_cast<double>(longArray[i]); }, 2147483647.0);
  if (floatArray) run([&](int32_t i) { return static_cast<double>(floatArray[i]); }, 1e20);
  if (doubleArray) run([&](int32_t i) { return doubleArray[i]; }, 1e80);
  return 1;
}

__attribute__((weak)) int32_t AllanVarDev(double*, uint32_t, int16_t, int16_t) { return 0; }

__attribute__((weak)) int32_t RdfCavityModePaint(HDC, int16_t) { return 0; }
