#include "numerics/Spline.h"

#include <cstdio>

#include "core/TypedArrays.h"
#include "numerics/NumericsBox.h"
#include "platform/kernel/Files.h"
#include "records/Dsp.h"

namespace {

template <typename T>
void SplineSweep(const T* x, const T* y, int32_t n, T yp1, T ypn, T* y2, T* u) {
  const T natural = static_cast<T>(9.9e29);
  if (yp1 >= natural) {
    y2[1] = u[1] = 0;
  } else {
    y2[1] = T(-0.5);
    u[1] = (T(3) / (x[2] - x[1])) * ((y[2] - y[1]) / (x[2] - x[1]) - yp1);
  }
  for (int32_t i = 2; i <= n - 1; ++i) {
    const T sig = (x[i] - x[i - 1]) / (x[i + 1] - x[i - 1]);
    const T p = sig * y2[i - 1] + T(2);
    y2[i] = (sig - T(1)) / p;
    u[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]) - (y[i] - y[i - 1]) / (x[i] - x[i - 1]);
    u[i] = (T(6) * u[i] / (x[i + 1] - x[i - 1]) - sig * u[i - 1]) / p;
  }
  T qn, un;
  if (ypn >= natural) {
    qn = un = 0;
  } else {
    qn = T(0.5);
    un = (T(3) / (x[n] - x[n - 1])) * (ypn - (y[n] - y[n - 1]) / (x[n] - x[n - 1]));
  }
  y2[n] = (un - qn * u[n - 1]) / (qn * y2[n - 1] + T(1));
  for (int32_t k = n - 1; k >= 1; --k) y2[k] = y2[k] * y2[k + 1] + u[k];
}

template <typename T>
int16_t Splint(const T* xa, const T* ya, const T* y2a, int32_t n, T x, T* y) {
  if (n < 2) return -1;
  return spline::ValueOn(xa, ya, y2a, spline::Bisect(xa, n, x), x, y) ? 1 : -1;
}

}  // namespace

int16_t FSpline(const float* x, const float* y, int32_t n, float yp1, float ypn, float* y2) {
  if (n < 2) {
    numerics::ErrorBox("FSpline()\n\nTOO FEW KNOTS N=[%d]", n);
    return -1;
  }
  float* u = nullptr;
  if (QvAllocFailed(FAlloc1Dim(&u, static_cast<uint32_t>(n) + 1))) {
    numerics::AllocErrorBox("FSpline()/u");
    return -1;
  }
  SplineSweep(x, y, n, yp1, ypn, y2, u);
  FFree1Dim(&u);
  return 1;
}

void FSplineWork(const float* x, const float* y, int32_t n, float yp1, float ypn, float* y2, float* u) {
  SplineSweep(x, y, n, yp1, ypn, y2, u);
}

int16_t DSpline(const double* x, const double* y, int32_t n, double yp1, double ypn, double* y2, int16_t plot) {
  if (n < 2) {
    numerics::ErrorBox("DSpline()\n\nTOO FEW KNOTS N=[%d]", n);
    return -1;
  }
  double* u = nullptr;
  if (QvAllocFailed(DAlloc1Dim(&u, static_cast<uint32_t>(n) + 1))) {
    numerics::AllocErrorBox("DSpline()/u");
    return -1;
  }
  SplineSweep(x, y, n, yp1, ypn, y2, u);
  DFree1Dim(&u);
  if (plot == 1) {
    if (FILE* out = std::fopen(platform::MapPath(Dsp.Plot_Flnm).c_str(), "wb")) {
      for (int32_t i = 1; i <= n; ++i) std::fprintf(out, "%14.6lf %14.6lf\r\n", x[i], y[i]);
      std::fclose(out);
    }
  }
  return 1;
}

int16_t FSplint(const float* xa, const float* ya, const float* y2a, int32_t n, float x, float* y) {
  return Splint(xa, ya, y2a, n, x, y);
}

int16_t DSplint(const double* xa, const double* ya, const double* y2a, int32_t n, double x, double* y) {
  return Splint(xa, ya, y2a, n, x, y);
}
