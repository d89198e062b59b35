// Fourier processing of headerless float series through FFTW: real-to-complex
// transforms of a section, phases, windows, complex file arithmetic, deglitching and
// the channel transform that the time/frequency views draw.
//
// Results: 1 success, 0 failure after the routine's own box (owner: the main window).
#pragma once

#include <cstdint>
#include <string>

// Output modes of the transforms.
constexpr uint16_t FFT_OUT_MAG = 0;
constexpr uint16_t FFT_OUT_RE = 1;
constexpr uint16_t FFT_OUT_IM = 2;
constexpr uint16_t FFT_OUT_PHASE = 3;
constexpr uint16_t FFT_OUT_ALL = 5;
// Window senses of FFTwFilterAry.
constexpr uint16_t FFT_WIN_PASS = 1;
constexpr uint16_t FFT_WIN_STOP = 0xFFFF;
// Block length of the complex file arithmetic and the deglitch copy.
constexpr int32_t FFT_FILE_BLOCK = 65536;

// ---- transforms ----------------------------------------------------------------------
// Transforms in[0 .. hi - lo), zero-padded to n values, and hands out n/2 + 1 values by
// mode: 0 magnitude, 1 real part, 2 imaginary part, 3 phase in degrees (unwrapped when
// unwrap is 1), 5 magnitude with the real and imaginary parts and the phase into re,
// im and ph where given; other modes hand out nothing. The plan and its buffers stay
// cached (FftwCache) while n does not change; n = 0 only releases them. A size below
// the section (n < hi - lo) is refused with the limits warning.
int32_t FFTwConvertAry(int32_t lo, int32_t hi, int32_t n, const float* in, float* out, float* re, float* im,
                       float* ph, uint16_t mode, int32_t unwrap);
// The same, planning afresh on every call; the phase is never unwrapped.
int32_t FFTwConvertFileAry(int32_t lo, int32_t hi, int32_t n, const float* in, float* out, float* re, float* im,
                           float* ph, uint16_t mode);
// File form: transforms values [lo, hi) of the float file name (Tukey pass window of
// the given taper over the section when window is 1) and writes n/2 magnitudes, real
// parts, imaginary parts and phases (unwrapped when unwrap is 1) to name + "Ma", "Re",
// "Im" and "Ph". Each result file replaces its old one only when completely written;
// a phase that cannot be calculated leaves "Ph" empty and the call still succeeds.
int32_t FFTwConvertFileAry(const char* name, int32_t lo, int32_t hi, int32_t n, int32_t window, double taper,
                           int32_t unwrap);

// ---- phase ----------------------------------------------------------------------------
// Phases in degrees of n complex values into out, from split floats (reF/imF), else
// split doubles (reD/imD), else interleaved doubles (cplx). A first value 0 + 0i is
// refused with a warning and nothing written.
int32_t FFTwPhaseCalcAry(const float* reF, const float* imF, const double* reD, const double* imD,
                         const double* cplx, int32_t n, float* out);
// In place on f and then d (each when given): mode 1 unwraps, any other mode wraps into
// [-180 scale, +180 scale]. Returns 1.
int32_t FFTwPhaseUnwrap(int16_t mode, int32_t n, float* f, double* d, double scale);
// The phase update of channel chn over points [from, to): the model phase of the
// transform dialog's settings (less the reference channel's phase, with the fitted
// line angles laid in) rotates the channel's Re and Im views.
int32_t FFTwPhaseShift(int16_t chn, int32_t from, int32_t to);
// Finds for every line of the channel's simulation set inside the cursor window [lo,
// hi) the angle that makes the line real and balanced, runs the phase update and
// writes the views to time file + "RePS" and "ImPS" (after asking).
int32_t FFTwPhaseZero(int16_t reload, int16_t chn, int32_t lo, int32_t hi, int32_t halfwidth);

// ---- windows, complex files, deglitching ---------------------------------------------------
// Multiplies positions [lo, hi) of f and then of d (each when given; size values each)
// by a Tukey window (kind 0) of taper fraction a: the pass window (sense 1) tapers to
// 0 at both ends, the stop window (0xFFFF) is its complement. A fraction <= 0 leaves
// a pass window unchanged and zeroes a stop window.
int32_t FFTwFilterAry(int16_t kind, uint16_t sense, double a, double level, int32_t lo, int32_t hi, int32_t size,
                      float* f, double* d);
// Point-wise complex arithmetic of the pairs name1 + "Re"/"Im" and name2 + "Re"/"Im":
// op 0 multiply, 1 divide (into out + "Re"/"Im"), 2 magnitude of the first pair (out +
// "Ma"), 3 phase shift of the first pair by Cnv.Phase_Shift degrees. Outputs replace
// their files only on success, so an output named as an input is read whole first.
int32_t FFTwMultDivFile(const char* name1, const char* name2, const char* out, int16_t op);
// Lists the isolated spikes of the float file open on descriptor in (deviation from
// an FFT-smoothed copy above Cnv.Deglitch_Win) in a temporary "__qv" list and copies
// the file to descriptor out with the spikes replaced; name is for messages.
int32_t FFTDeglitchFile(int16_t slot, int in, int out, const char* name);
// Copies descriptor in from its start to out, putting the count listed values (lines
// "index value", ascending) in place; deletes the list.
int32_t DeglitchSub(int in, int out, const char* list, int32_t count);

// ---- the channel transform -------------------------------------------------------------
// Transforms the FFT interval of channel chn's time file (child window [chn][view]) into
// the four result files and loads them into the channel's Trans arrays.
int32_t FFTwExpChnTransform(int16_t chn, int16_t view);
// Sets part `part` of the status bar of child window [chn][view] when it exists.
void TransChildStatus(int16_t chn, int16_t view, int32_t part, const std::string& text);
// Frees every array of the channel's Trans record and clears their sizes.
void TransChannelFree(int16_t chn);
