// Statistics and noise on arrays and files: the Allan variance or deviation of a
// series, added uniform noise of a chosen resolution, the photomultiplier pulse-height
// analysis, and the detector-saturation fit and correction.
#pragma once

#include <cstdint>

// Allan variance (deviation = 1: deviation) of n values for every averaging size
// tau = 1 .. n/2, from non-overlapping block means: element tau-1 of the result holds
// sum (a(i+1) - a(i))^2 / 2 (m - 1) with m = n / tau blocks (the values after the
// last whole block unused). The series comes from dIn when given, else from fIn; the
// n/2 results go to fOut (else back into fIn) and to dOut (else back into dIn), each
// side only when its input or output is given. progress = 1 shows "ALLAN [..]" texts
// in the main window's status bar, at most one per 50 ms. 1, or 0 after an "Error"
// box when the work arrays cannot be had (the arrays are then untouched).
int32_t AllanVarDev(float* fIn, float* fOut, double* dIn, double* dOut, uint32_t n, int16_t deviation,
                    int16_t progress);

// Adds to each of the n values of f and then of d (each when given) one of P evenly
// spaced levels (2r + 1 - P) / P, r uniform in 0 .. P-1, P = pts2ave (at least 1).
// report = 1 shows the two "Info" boxes. Returns 1.
int32_t ManAddRandomNoise(float* f, double* d, uint32_t n, int32_t pts2ave, int16_t report);

// Integral pulse-height distribution of the open float record in (from its current
// position) over Cnv.Pmt_Num discriminator levels from Cnv.Pmt_LvlLo to Cnv.Pmt_LvlHi,
// intervals of Cnv.Pmt_Sk points: counts to outName + ".txt", on request the
// signal-to-noise table against a noise table to outName + "_SN.txt". The table's name
// is left in Cnl.Mks_Flnm. 1, or 0 after a box.
int32_t PMTDiscLvl(int in, const char* inName, const char* outName, int16_t flag);

// The saturation model S = M u + B, u = x / (A x + 1), for the Levenberg-Marquardt
// step: a[1] = A, a[2] = M, a[3] = B.
void SatnNLLsfFunc(double x, double* a, double* y, double* dyda);
// Fits A, M and B of the saturation model to the fit signal file against the fit
// reference file over the cursor window, stores them as the correction constants,
// corrects the signal into "SatnCorr.bin" and writes "SatnOrig.txt" and
// "SatnCorr.txt". 1, or 0 after a box.
int32_t SatnNLLsfRun(int16_t flag);
// Maps every value v >= B of the open float file in (from its current position) to
// s / (1 - s A / M) + B, s = v - B, into the open file out; lower values are copied and
// counted. The names serve the messages. 1, or 0 after a box.
int32_t SatnCorrFile(const char* inName, const char* outName, int in, int out);
