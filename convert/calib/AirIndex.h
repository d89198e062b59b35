// The refractive index of air in the Edlen form, and the vacuum wavelength whose
// wavelength in air is a given one.
#pragma once

// Index n of air at wavelength lambdaNm (vacuum, nm), temperature tC (degrees Celsius),
// pressure pTorr and water-vapour pressure fTorr (Torr); stores lambdaNm / n in
// *airNm and n in *index.
void AirRefractiveIndex(double lambdaNm, double tC, double pTorr, double fTorr, double* airNm, double* index);

// Searches the vacuum wavelength whose air wavelength lies within tolerance of
// airNm (decade steps, coarse to fine); stores it in *vacuumNm and returns the air
// wavelength reached. A tolerance below the resolution of airNm (or not above 0) is
// raised to |airNm| 2^-52. A wavelength that is not a positive number is returned as
// it is, also as the vacuum wavelength.
long double WavelengthAirCorrect(double airNm, double tC, double pTorr, double fTorr, double tolerance,
                                 double* vacuumNm);
