// Low-pass smoothing of a trace by Fourier filtering (smooft with its real and
// complex FFTs), in single and double precision. The FFTs follow the classic
// 1-based convention: four1 with sign 1 computes H[k] = sum h[j] exp(+2 pi i j k / N).
#pragma once

#include <cstdint>

// Smooths a[0..n-1] in place over about pts points; 1, or 0 after an allocation
// failure ("FSmooth()/fft_pt - CORE ALLOCATION ERROR"), the array then unchanged.
int32_t FSmooth(float* a, float pts, int32_t n);
int32_t DSmooth(double* a, double pts, int32_t n);

// Work size of the smoothing: the smallest power of two, at least 2, not below
// n + integer part of (2 pts + 0.5); 0 when that exceeds 2^30.
int64_t SmoothWorkSize(int32_t n, double pts);

// smooft: y[1..m] is a work buffer of m = SmoothWorkSize(n, pts) elements (plus the
// unused y[0]) holding the data in y[1..n]; smooths y[1..n] in place.
void FSmooft(float* y, int32_t n, float pts);
void DSmooft(double* y, int32_t n, double pts);

// Real FFT of data[1..2n] (n a power of two): sign 1 gives the positive-frequency
// half of the complex transform, data[1] = H[0] and data[2] = H[n] (both real);
// sign -1 inverts it up to the factor n.
void FRealft(float* data, int32_t n, int32_t sign);
void DRealft(double* data, int32_t n, int32_t sign);

// Complex FFT of nn complex pairs data[1..2nn] (nn a power of two); sign -1 gives
// the inverse up to the factor nn.
void FFour1(float* data, int32_t nn, int32_t sign);
void DFour1(double* data, int32_t nn, int32_t sign);
