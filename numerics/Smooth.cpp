#include "numerics/Smooth.h"

#include <cmath>
#include <utility>

#include "core/TypedArrays.h"
#include "numerics/NumericsBox.h"

namespace {

constexpr int64_t kMaxWork = int64_t{1} << 30;

// Padding 2 pts + 0.5 as a count; a negative or missing width pads nothing.
int64_t Padding(double pts) {
  if (!(pts > 0.0)) return 0;
  const double pad = 2.0 * pts + 0.5;
  return pad >= static_cast<double>(kMaxWork) ? kMaxWork : static_cast<int64_t>(pad);
}

template <typename T>
void Four1(T* data, int32_t nn, int32_t isign) {
  const int64_t n = static_cast<int64_t>(nn) << 1;
  int64_t j = 1;
  for (int64_t i = 1; i < n; i += 2) {
    if (j > i) {
      std::swap(data[j], data[i]);
      std::swap(data[j + 1], data[i + 1]);
    }
    int64_t m = n >> 1;
    while (m >= 2 && j > m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
  int64_t mmax = 2;
  while (n > mmax) {
    const int64_t istep = mmax << 1;
    const double theta = 6.28318530717959 / static_cast<double>(isign * mmax);
    double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (int64_t m = 1; m < mmax; m += 2) {
      for (int64_t i = m; i <= n; i += istep) {
        j = i + mmax;
        const T tempr = static_cast<T>(wr * data[j] - wi * data[j + 1]);
        const T tempi = static_cast<T>(wr * data[j + 1] + wi * data[j]);
        data[j] = data[i] - tempr;
        data[j + 1] = data[i + 1] - tempi;
        data[i] += tempr;
        data[i + 1] += tempi;
      }
      wr = (wtemp = wr) * wpr - wi * wpi + wr;
      wi = wi * wpr + wtemp * wpi + wi;
    }
    mmax = istep;
  }
}

template <typename T>
void Realft(T* data, int32_t n, int32_t isign) {
  const T c1 = 0.5;
  T c2;
  double theta = 3.141592653589793 / static_cast<double>(n);
  if (isign == 1) {
    c2 = -0.5;
    Four1(data, n, 1);
  } else {
    c2 = 0.5;
    theta = -theta;
  }
  double wtemp = std::sin(0.5 * theta);
  const double wpr = -2.0 * wtemp * wtemp;
  const double wpi = std::sin(theta);
  double wr = 1.0 + wpr;
  double wi = wpi;
  const int64_t n2p3 = 2 * static_cast<int64_t>(n) + 3;
  for (int64_t i = 2; i <= n / 2; ++i) {
    const int64_t i1 = i + i - 1;
    const int64_t i2 = 1 + i1;
    const int64_t i3 = n2p3 - i2;
    const int64_t i4 = 1 + i3;
    const T h1r = c1 * (data[i1] + data[i3]);
    const T h1i = c1 * (data[i2] - data[i4]);
    const T h2r = -c2 * (data[i2] + data[i4]);
    const T h2i = c2 * (data[i1] - data[i3]);
    data[i1] = static_cast<T>(h1r + wr * h2r - wi * h2i);
    data[i2] = static_cast<T>(h1i + wr * h2i + wi * h2r);
    data[i3] = static_cast<T>(h1r - wr * h2r + wi * h2i);
    data[i4] = static_cast<T>(-h1i + wr * h2i + wi * h2r);
    wr = (wtemp = wr) * wpr - wi * wpi + wr;
    wi = wi * wpr + wtemp * wpi + wi;
  }
  const T h1r = data[1];
  if (isign == 1) {
    data[1] = h1r + data[2];
    data[2] = h1r - data[2];
  } else {
    data[1] = c1 * (h1r + data[2]);
    data[2] = c1 * (h1r - data[2]);
    Four1(data, n, -1);
  }
}

template <typename T>
void Smooft(T* y, int32_t n, T pts) {
  // A single value (or none) has nothing to smooth; the straight line through the
  // ends is undefined for it.
  if (n < 2) return;
  const int64_t m = SmoothWorkSize(n, pts);
  if (m == 0) return;
  // The filter uses the square of the width, so a negative width smooths like its
  // magnitude (it only pads nothing); a missing one (NaN) filters nothing.
  const T ptsUsed = std::isnan(pts) ? T(0) : pts;
  const double cnst = (static_cast<double>(ptsUsed) / static_cast<double>(m)) *
                      (static_cast<double>(ptsUsed) / static_cast<double>(m));
  const T y1 = y[1];
  const T yn = y[n];
  const T rn1 = T(1) / static_cast<T>(n - 1);
  for (int32_t j = 1; j <= n; ++j) y[j] -= rn1 * (y1 * static_cast<T>(n - j) + yn * static_cast<T>(j - 1));
  for (int64_t j = static_cast<int64_t>(n) + 1; j <= m; ++j) y[j] = 0;
  const int64_t mo2 = m >> 1;
  Realft(y, static_cast<int32_t>(mo2), 1);
  y[1] /= static_cast<T>(mo2);
  double fac = 1.0;
  for (int64_t j = 1; j < mo2; ++j) {
    const int64_t k = 2 * j + 1;
    if (fac != 0.0) {
      fac = (1.0 - cnst * static_cast<double>(j) * static_cast<double>(j)) / static_cast<double>(mo2);
      if (fac < 0.0) fac = 0.0;
      y[k] = static_cast<T>(fac * y[k]);
      y[k + 1] = static_cast<T>(fac * y[k + 1]);
    } else {
      y[k + 1] = y[k] = 0;
    }
  }
  fac = (1.0 - 0.25 * static_cast<double>(ptsUsed) * static_cast<double>(ptsUsed)) / static_cast<double>(mo2);
  if (fac < 0.0) fac = 0.0;
  y[2] = static_cast<T>(y[2] * fac);
  Realft(y, static_cast<int32_t>(mo2), -1);
  for (int32_t j = 1; j <= n; ++j) y[j] += rn1 * (y1 * static_cast<T>(n - j) + yn * static_cast<T>(j - 1));
}

template <typename T>
int32_t Smooth(const char* what, T* a, T pts, int32_t n, int32_t (*alloc)(T**, uint32_t), void (*release)(T**)) {
  if (n < 1) return 1;
  const int64_t m = SmoothWorkSize(n, pts);
  T* work = nullptr;
  if (m == 0 || QvAllocFailed(alloc(&work, static_cast<uint32_t>(m) + 1))) {
    numerics::AllocErrorBox(what);
    return 0;
  }
  for (int32_t i = 0; i < n; ++i) work[i + 1] = a[i];
  Smooft(work, n, pts);
  for (int32_t i = 0; i < n; ++i) a[i] = work[i + 1];
  release(&work);
  return 1;
}

}  // namespace

int64_t SmoothWorkSize(int32_t n, double pts) {
  if (n < 0) return 0;
  const int64_t nmin = static_cast<int64_t>(n) + Padding(pts);
  int64_t m = 2;
  while (m < nmin) m *= 2;
  return m > kMaxWork ? 0 : m;
}

int32_t FSmooth(float* a, float pts, int32_t n) { return Smooth("FSmooth()/fft_pt", a, pts, n, FAlloc1Dim, FFree1Dim); }
int32_t DSmooth(double* a, double pts, int32_t n) {
  return Smooth("DSmooth()/fft_pt", a, pts, n, DAlloc1Dim, DFree1Dim);
}
void FSmooft(float* y, int32_t n, float pts) { Smooft(y, n, pts); }
void DSmooft(double* y, int32_t n, double pts) { Smooft(y, n, pts); }
void FRealft(float* data, int32_t n, int32_t sign) { Realft(data, n, sign); }
void DRealft(double* data, int32_t n, int32_t sign) { Realft(data, n, sign); }
void FFour1(float* data, int32_t nn, int32_t sign) { Four1(data, nn, sign); }
void DFour1(double* data, int32_t nn, int32_t sign) { Four1(data, nn, sign); }
