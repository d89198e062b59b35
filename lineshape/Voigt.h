// The complex error function w(z) = exp(-z^2) erfc(-iz) and the area-normalised Voigt
// profile built on it.
#pragma once

#include <cstdint>

// w(z) for z = (z[0], z[1]) into w[0], w[1]. 0 on success; non-zero when the value
// would overflow (1, w is then e^708 in both parts) or when a part of z is not finite
// (2, w is then 0); every caller counts a non-zero flag as 0.
int16_t VoigtComplexErrorFn(const double* z, double* w);
// w(z) of count points (zr + i zi) into wr, wi and, when given, their flags: the same
// values as one call per point, several points' loops running side by side.
void VoigtComplexErrorFnMany(const double* zr, const double* zi, int32_t count, double* wr, double* wi,
                             int16_t* flags);

// sqrt(ln 2), 2/G sqrt(ln 2 / pi) without G, and 4 ln 2.
inline constexpr double VOIGT_SQRT_LN2 = 0.83255461115769775635;
inline constexpr double VOIGT_NORM = 0.93943727869965133377;
inline constexpr double VOIGT_4LN2 = 2.77258872223978123767;

// The Voigt profile of Gaussian full width gau and Lorentzian full width lor (both
// non-zero) at distance d from the centre, area 1; 0 where w(z) overflows.
double VoigtProfile(double d, double gau, double lor);
// VoigtProfile at the distances d[0..count-1] into out[0..count-1], the same values.
void VoigtProfiles(const double* d, int32_t count, double gau, double lor, double* out);
