// Real-to-complex transforms of a float section: the cached-plan form for the
// per-sequence loop, and the plan-per-call forms (array and file).
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/Fourier.h"
#include "numerics/FftwPlan.h"
#include "platform/kernel/Text.h"
#include "records/FftwCache.h"

namespace {

// Widens count values of in into the transform input and zeroes the rest up to n.
void Load(double* dst, const float* in, int32_t count, int32_t n) {
  for (int32_t i = 0; i < count; ++i) dst[i] = static_cast<double>(in[i]);
  if (n > count) std::memset(dst + count, 0, static_cast<size_t>(n - count) * sizeof(double));
}

// Hands out the m spectral values c by mode (see FFTwConvertAry).
void HandOut(const fftw_complex* c, int32_t m, float* out, float* re, float* im, float* ph, uint16_t mode,
             int32_t unwrap) {
  switch (mode) {
    case FFT_OUT_MAG:
    case FFT_OUT_ALL:
      for (int32_t k = 0; k < m; ++k) out[k] = static_cast<float>(std::sqrt(c[k][0] * c[k][0] + c[k][1] * c[k][1]));
      if (mode == FFT_OUT_MAG) return;
      if (re)
        for (int32_t k = 0; k < m; ++k) re[k] = static_cast<float>(c[k][0]);
      if (im)
        for (int32_t k = 0; k < m; ++k) im[k] = static_cast<float>(c[k][1]);
      if (ph) FFTwPhaseCalcAry(nullptr, nullptr, nullptr, nullptr, &c[0][0], m, ph);
      return;
    case FFT_OUT_RE:
      for (int32_t k = 0; k < m; ++k) out[k] = static_cast<float>(c[k][0]);
      return;
    case FFT_OUT_IM:
      for (int32_t k = 0; k < m; ++k) out[k] = static_cast<float>(c[k][1]);
      return;
    case FFT_OUT_PHASE:
      if (FFTwPhaseCalcAry(nullptr, nullptr, nullptr, nullptr, &c[0][0], m, out) == 1 && unwrap == 1)
        FFTwPhaseUnwrap(1, m, out, nullptr, 1.0);
      return;
    default:
      return;
  }
}

// One transform of size n planned for one call: buffers and plan, released on the way out.
struct OneShot {
  double* in = nullptr;
  fftw_complex* out = nullptr;
  fftw_plan plan = nullptr;
  bool Make(int32_t n) {
    in = static_cast<double*>(fftw_malloc(static_cast<size_t>(n) * sizeof(double)));
    out = static_cast<fftw_complex*>(fftw_malloc(static_cast<size_t>(n / 2 + 1) * sizeof(fftw_complex)));
    if (in && out) plan = FftwPlanR2C(n, in, out);
    return plan != nullptr;
  }
  ~OneShot() {
    FftwDestroy(plan);
    fftw_free(in);
    fftw_free(out);
  }
};

void CacheRelease() {
  FftwDestroy(FftwCache.Plan);
  fftw_free(FftwCache.In);
  fftw_free(FftwCache.Out);
  FftwCache.Plan = nullptr;
  FftwCache.In = nullptr;
  FftwCache.Out = nullptr;
  FftwCache.N = 0;
}

bool FileLimitsOk(int32_t lo, int32_t hi, int32_t n) {
  if (hi - lo > 0 && n >= hi - lo) return true;
  core_io::Warning(StrPrintf("FFTwConvertFileAry()\n\nFILE LIMITS ERROR\n\nLO=[%ld] HI=[%ld]\n\nABORTING",
                             static_cast<long>(lo), static_cast<long>(hi)));
  return false;
}

}  // namespace

int32_t FFTwConvertAry(int32_t lo, int32_t hi, int32_t n, const float* in, float* out, float* re, float* im,
                       float* ph, uint16_t mode, int32_t unwrap) {
  const int32_t count = hi - lo;
  if (count > 0 && n == 0) {  // a size of 0 only releases the cache
    CacheRelease();
    return 1;
  }
  if (count <= 0 || n < count) {
    core_io::Warning(StrPrintf("FFTwConvertAry()\n\nARY LIMITS ERROR\n\nLO=[%ld] HI=[%ld]\n\nABORTING",
                               static_cast<long>(lo), static_cast<long>(hi)));
    return 0;
  }
  if (n != FftwCache.N) {
    CacheRelease();
    FftwCache.In = static_cast<double*>(fftw_malloc(static_cast<size_t>(n) * sizeof(double)));
    FftwCache.Out = static_cast<fftw_complex*>(fftw_malloc(static_cast<size_t>(n / 2 + 1) * sizeof(fftw_complex)));
    if (FftwCache.In && FftwCache.Out) FftwCache.Plan = FftwPlanR2C(n, FftwCache.In, FftwCache.Out);
    if (!FftwCache.Plan) {
      CacheRelease();
      core_io::Error(StrPrintf("FFTwConvertAry()/in_dpt SZ=[%ld]/out_ript SZ=[%ld] - CORE ALLOCATION ERROR",
                               static_cast<long>(n), static_cast<long>(n / 2 + 1)));
      return 0;
    }
    FftwCache.N = n;
    ++FftwCache.Plan_Count;
  }
  Load(FftwCache.In, in, count, n);
  fftw_execute(FftwCache.Plan);
  HandOut(FftwCache.Out, n / 2 + 1, out, re, im, ph, mode, unwrap);
  return 1;
}

int32_t FFTwConvertFileAry(int32_t lo, int32_t hi, int32_t n, const float* in, float* out, float* re, float* im,
                           float* ph, uint16_t mode) {
  if (!FileLimitsOk(lo, hi, n)) return 0;
  OneShot fft;
  if (!fft.Make(n)) {
    core_io::Error("FFTwConvertFileAry()/in_dpt/out_ript - CORE ALLOCATION ERROR");
    return 0;
  }
  Load(fft.in, in, hi - lo, n);
  fftw_execute(fft.plan);
  HandOut(fft.out, n / 2 + 1, out, re, im, ph, mode, 0);
  return 1;
}

int32_t FFTwConvertFileAry(const char* name, int32_t lo, int32_t hi, int32_t n, int32_t window, double taper,
                           int32_t unwrap) {
  if (!FileLimitsOk(lo, hi, n)) return 0;
  const int32_t count = hi - lo;
  core_io::BinIn input;
  if (!input.Open(name)) {
    core_io::Warning(StrPrintf("FAILED TO OPEN BINARY INPUT FILE [%s] FOR READING\n\nABORTING", name));
    return 0;
  }
  const std::string base = name;
  core_io::BinOut files[4];
  static constexpr const char* kSuffix[4] = {"Ma", "Re", "Im", "Ph"};
  if (!files[0].Open((base + kSuffix[0]).c_str())) {
    core_io::Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING\n\nABORTING", name));
    return 0;
  }
  for (int i = 1; i < 4; ++i)
    if (!files[i].Open((base + kSuffix[i]).c_str())) {
      core_io::Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILES [%s]+EXTENSIONS FOR WRITING\n\nABORTING", name));
      return 0;
    }
  float* work = nullptr;
  if (QvAllocFailed(FAlloc1Dim(&work, static_cast<uint32_t>(n)))) {
    core_io::Error(StrPrintf("FFTwConvertFileAry()/i_fpt - CORE ALLOCATION ERROR - SZ=[%ld]", static_cast<long>(n)));
    return 0;
  }
  struct WorkGuard {
    float** p;
    ~WorkGuard() { FFree1Dim(p); }
  } workGuard{&work};
  OneShot fft;
  if (!fft.Make(n)) {
    core_io::Error("FFTwConvertFileAry()/in_dpt/out_ript - CORE ALLOCATION ERROR");
    return 0;
  }
  input.Seek(static_cast<uint64_t>(lo) * 4u);
  if (lo < 0 || input.Read(work, static_cast<size_t>(count), sizeof(float)) < static_cast<size_t>(count)) {
    core_io::Warning(StrPrintf("FFTwConvertFileAry()\n\nFAILED TO READ INPUT FILE [%s]\n\nABORTING", name));
    return 0;
  }
  // A missing value would spread over the whole spectrum, into values and phases that
  // look measured: the interval must hold none.
  const float* bad = std::find_if(work, work + count, [](float v) { return ViewValueMissing(v); });
  if (bad != work + count) {
    core_io::Warning(StrPrintf("FFTwConvertFileAry()\n\nINPUT FILE [%s]\n\nPOINT [%lld] HAS NO VALUE [%s]\n\nABORTING",
                               name, static_cast<long long>(lo) + (bad - work), MissingValueText(*bad).c_str()));
    return 0;
  }
  if (window == 1) FFTwFilterAry(0, FFT_WIN_PASS, taper, 1.0, 0, count, count, work, nullptr);
  Load(fft.in, work, count, n);
  fftw_execute(fft.plan);

  // Each file holds the spectral values 0 .. n/2 - 1, the work array serving as buffer.
  const int32_t m = n / 2 + 1;
  const size_t bytes = static_cast<size_t>(n / 2) * sizeof(float);
  bool written = true;
  for (int i = 0; i < 4 && written; ++i) {
    if (i < 3) {
      HandOut(fft.out, m, work, nullptr, nullptr, nullptr, static_cast<uint16_t>(i), 0);
    } else {
      if (FFTwPhaseCalcAry(nullptr, nullptr, nullptr, nullptr, &fft.out[0][0], m, work) != 1) break;
      if (unwrap == 1) FFTwPhaseUnwrap(1, m, work, nullptr, 1.0);
    }
    written = files[i].Write(work, bytes);
  }
  for (int i = 0; i < 4 && written; ++i) written = files[i].Commit();
  if (!written) {
    core_io::Warning(StrPrintf("FFTwConvertFileAry()\n\nFAILED TO WRITE BINARY OUTPUT FILES [%s]+EXTENSIONS\n\nABORTING",
                               name));
    return 0;
  }
  return 1;
}
