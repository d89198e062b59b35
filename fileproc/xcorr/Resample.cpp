#include "fileproc/xcorr/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <numeric>
#include <string>
#include <vector>

#include "core/BinFile.h"
#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "numerics/Spline.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/ResizeWork.h"

namespace {

constexpr double kLimit = 1.0e20;
constexpr const char* kOp = "RESIZE FILE|ARY OPERATION";

// Sizes a buffer, reporting a failure with the buffer's name.
template <typename T>
bool Grow(std::vector<T>& v, size_t n, const char* text) {
  try {
    v.resize(n);
    return true;
  } catch (const std::bad_alloc&) {
    core_io::Error(text);
    return false;
  }
}

// Walks the knots xa[1..n] (rising) forward as x rises, giving the same bracketing
// interval as DSplint's bisection and the same value, so that a sweep over an even
// grid costs one step per knot instead of a search per point.
class SplineWalk {
 public:
  SplineWalk(const double* xa, const double* ya, const double* y2a, int64_t n) : xa_(xa), ya_(ya), y2a_(y2a), n_(n) {}
  // False when the bracketing abscissae are equal.
  bool At(double x, double* y) {
    while (klo_ < n_ - 1 && xa_[klo_ + 1] <= x) ++klo_;
    return spline::ValueOn(xa_, ya_, y2a_, klo_, x, y);
  }

 private:
  const double* xa_;
  const double* ya_;
  const double* y2a_;
  int64_t n_;
  int64_t klo_ = 1;
};

float Clamp(double v) {
  if (v > kLimit) return static_cast<float>(kLimit);
  if (v < -kLimit || std::isnan(v)) return static_cast<float>(-kLimit);
  return static_cast<float>(v);
}

}  // namespace

int32_t InterpolateFileAry(uint32_t n, const double* x, const double* y, double* out, int16_t report) {
  if (!x || !y) return 1;
  if (n < 2 || !out) {
    core_io::Warning("InterpolateFileAry()\n\nSPLINE ERROR\n\nABORTING");
    return 0;
  }
  // Knots from index 1; a falling x is negated so that the knots rise.
  std::vector<double> xs;
  std::vector<double> ys;
  std::vector<double> y2;
  try {
    xs.resize(size_t{n} + 1);
    ys.resize(size_t{n} + 1);
    y2.resize(size_t{n} + 1);
  } catch (const std::bad_alloc&) {
    core_io::Error("InterpolateFileAry()\n\nxin2yin_dpt - CORE ALLOCATION ERROR");
    return 0;
  }
  const double sign = x[n - 1] < x[0] ? -1.0 : 1.0;
  // A reading repeated in x (a run of equal abscissae) is one knot holding the mean of
  // its ordinates: the spline takes no interval of zero width. An x that turns back
  // (or is not a number) has no place on the spline: it is refused, named.
  uint32_t knots = 0;
  uint32_t run = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const double xi = sign * x[i];
    if (!std::isfinite(xi) || (knots > 0 && xi < xs[knots])) {
      core_io::Warning(StrPrintf("InterpolateFileAry()\n\nX VALUE [%u]=[%f] OUT OF ORDER\n\nABORTING", i, x[i]));
      return 0;
    }
    if (knots > 0 && xi == xs[knots]) {
      ++run;
      ys[knots] += (y[i] - ys[knots]) / run;
      continue;
    }
    ++knots;
    run = 1;
    xs[knots] = xi;
    ys[knots] = y[i];
  }
  if (knots < 2 ||
      DSpline(xs.data(), ys.data(), static_cast<int32_t>(knots), SPLINE_NATURAL, SPLINE_NATURAL, y2.data(), 0) == -1) {
    core_io::Warning("InterpolateFileAry()\n\nSPLINE ERROR\n\nABORTING");
    return 0;
  }
  // The grid keeps the caller's n points from the first to the last abscissa.
  const double x0 = xs[1];
  const double xe = xs[knots];
  const double step = (xe - x0) / static_cast<double>(n - 1);
  SplineWalk walk(xs.data(), ys.data(), y2.data(), knots);
  int64_t outside = 0;
  for (uint32_t i = 0; i < n; ++i) {
    // The last grid point is the last abscissa itself, not a sum that may round past it.
    const double xi = i == n - 1 ? xe : x0 + static_cast<double>(i) * step;
    double v = 0.0;
    if (x0 <= xi && xi <= xe && walk.At(xi, &v)) {
      out[i] = v;
    } else {
      out[i] = 0.0;
      ++outside;
    }
  }
  if (report == 1 && outside != 0)
    core_io::Info(StrPrintf("InterpolateFileAry()\n\nX VALUES=[%lld] OUTSIDE INTERPOLATION INPUT RANGE=[%f TO %f]",
                            static_cast<long long>(outside), x[0], x[n - 1]));
  return 1;
}

bool SortPairsByX(uint32_t n, double* x, double* y, bool falling) {
  if (!x || !y || std::any_of(x, x + n, [](double v) { return std::isnan(v); })) return false;
  const auto before = [&](uint32_t a, uint32_t b) { return falling ? x[a] > x[b] : x[a] < x[b]; };
  std::vector<uint32_t> order;
  std::vector<double> pairs;
  try {
    order.resize(n);
    pairs.resize(size_t{n} * 2);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), before);
  for (uint32_t i = 0; i < n; ++i) {
    pairs[2 * size_t{i}] = x[order[i]];
    pairs[2 * size_t{i} + 1] = y[order[i]];
  }
  for (uint32_t i = 0; i < n; ++i) {
    x[i] = pairs[2 * size_t{i}];
    y[i] = pairs[2 * size_t{i} + 1];
  }
  return true;
}

int32_t ResizeFileAry(int16_t slot, int16_t mode, const char* inName, const char* outName, uint32_t sizeSwitch,
                      int32_t inSize, int32_t outSize, double inStep, double outStep, const float* inFloat,
                      const double* inDouble, float** outArrayRef, double scalar, int16_t report) {
  if (slot < 0 || slot >= CNV_SLOTS) {
    core_io::Warning(StrPrintf("ResizeFileAry()\n\n%s\n\nINVALID PARAMETER SLOT=[%d]\n\nABORTING", kOp, slot));
    return 0;
  }
  ResizeSlot& work = ResizeWork.Slot[slot];
  int64_t inSz = inSize;
  int64_t outSz = outSize;
  // The slot's output size and step are written on every call.
  auto finish = [&](int32_t result) {
    Cnv.Rsz_SzOut[slot] = outSz > 0 && outSz <= INT32_MAX ? static_cast<uint32_t>(outSz) : 0u;
    Cnv.Rsz_StpOut[slot] = outStep;
    return result;
  };
  const bool fileMode = mode == RESIZE_FILE_MODE;

  // 1. Signs.
  if (report == 1 && ((inStep < 0.0 && outStep > 0.0) || (inStep > 0.0 && outStep < 0.0)))
    core_io::Warning(StrPrintf("%s\n\nDIFFERENT SIGNS OF INPUT & OUTPUT FRQ STEPS IGNORED\n\nCONTINUING", kOp));
  inStep = std::fabs(inStep);
  outStep = std::fabs(outStep);
  inSz = inSz < 0 ? -inSz : inSz;

  // 2. The input.
  if (inSz == 0 || !(inStep > 0.0) || !std::isfinite(inStep)) {
    core_io::Warning(StrPrintf("ResizeFileAry()\n\n%s\n\nINPUT SZ | INPUT FRQ STP ZERO\n\nABORTING", kOp));
    return finish(0);
  }

  // 3. Output size and step.
  auto tooLarge = [&](double size) {
    core_io::Error(StrPrintf("ResizeFileAry()\n\n%s\n\nOUTPUT SIZE=[%.0f] EXCEEDS [%d]\n\nABORTING", kOp, size, INT32_MAX));
    outSz = 0;
    return finish(0);
  };
  if (sizeSwitch == 1) {
    if (outSz < 0) {
      const int64_t m = -outSz;
      if (report == 1) core_io::Info(StrPrintf("%s\n\nOUTPUT SIZE WILL BE [%lld] TIMES INPUT SIZE", kOp, static_cast<long long>(m)));
      outSz = m * inSz;  // both below 2^31: no overflow in 64 bits
    }
    if (outSz == 0) {
      core_io::Error(StrPrintf("ResizeFileAry()\n\n%s\n\nOUTPUT FILE SIZE IS ZERO\n\nABORTING", kOp));
      return finish(0);
    }
    if (outSz > INT32_MAX) return tooLarge(static_cast<double>(outSz));
    outStep = static_cast<double>(inSz) * inStep / static_cast<double>(outSz);
  } else {
    if (!(outStep > 0.0) || !std::isfinite(outStep)) {
      core_io::Error(StrPrintf("ResizeFileAry()\n\n%s\n\nOUTPUT FRQ STP IS ZERO\n\nABORTING", kOp));
      return finish(0);
    }
    if (fileMode || !outArrayRef || !*outArrayRef) {
      const double size = std::trunc(static_cast<double>(inSz) * inStep / outStep + 0.5);
      if (!(size <= static_cast<double>(INT32_MAX))) return tooLarge(size);
      outSz = static_cast<int64_t>(size);
    }
    if (outSz <= 0) {
      core_io::Error(StrPrintf("ResizeFileAry()\n\n%s\n\nINPUT | OUTPUT SIZE IS ZERO\n\nABORTING", kOp));
      outSz = 0;
      return finish(0);
    }
  }

  // 4. Buffers and input.
  float* fileIn = nullptr;  // file mode: the whole input file
  struct FileInGuard {
    float*& p;
    ~FileInGuard() { FFree1Dim(&p); }
  } fileInGuard{fileIn};
  core_io::BinOut outFile;
  const float* values = inFloat;
  float* dest = nullptr;
  if (!fileMode) {
    if ((!inFloat && !inDouble) || !outArrayRef) {
      core_io::Warning(StrPrintf("ResizeFileAry()\n\n%s\n\nNO INPUT | OUTPUT ARRAY\n\nABORTING", kOp));
      return finish(0);
    }
    if (!*outArrayRef && QvAllocFailed(FAlloc1Dim(outArrayRef, static_cast<uint32_t>(outSz)))) {
      core_io::Error("ResizeFileAry()\n\nout_fpt\n\nCORE ALLOCATION ERROR");
      return finish(0);
    }
    dest = *outArrayRef;
  } else {
    if (!outFile.Open(outName ? outName : "")) {
      core_io::Warning(StrPrintf("ResizeFileAry()\n\n%s\n\nFAILED TO CREATE BINARY FILE [%s] FOR WRITING\n\nABORTING", kOp,
                                 outName ? outName : ""));
      return finish(0);
    }
    uint32_t count = 0;
    if (ManBinFileRead(inName ? inName : "", nullptr, &fileIn, nullptr, BIN_ELEM_FLOAT, 0, 0, &count, 1) != 1)
      return finish(0);
    inSz = count;
    values = fileIn;
    inDouble = nullptr;
    if (!Grow(work.out, static_cast<size_t>(outSz), "ResizeFileAry()\n\no_fpt\n\nCORE ALLOCATION ERROR"))
      return finish(0);
    dest = work.out.data();
  }
  const size_t knots = static_cast<size_t>(inSz) + 1;
  if (!Grow(work.frq, knots, "ResizeFileAry()\n\nfrq_dpt/intD_pt/frq2itn_dpt\n\nCORE ALLOCATION ERROR") ||
      !Grow(work.itn, knots, "ResizeFileAry()\n\nfrq_dpt/intD_pt/frq2itn_dpt\n\nCORE ALLOCATION ERROR") ||
      !Grow(work.frq2itn, knots, "ResizeFileAry()\n\nfrq_dpt/intD_pt/frq2itn_dpt\n\nCORE ALLOCATION ERROR"))
    return finish(0);

  // 5. Knots and spline.
  double* frq = work.frq.data();
  double* itn = work.itn.data();
  for (int64_t i = 0; i < inSz; ++i) {
    frq[i + 1] = static_cast<double>(i) * inStep;
    itn[i + 1] = inDouble ? inDouble[i] : static_cast<double>(values[i]);
  }
  const int32_t n = static_cast<int32_t>(inSz);
  if (DSpline(frq, itn, n, SPLINE_NATURAL, SPLINE_NATURAL, work.frq2itn.data(), 0) == -1) {
    core_io::Warning(StrPrintf("ResizeFileAry()\n\n%s\n\nSPLINE ERROR\n\nABORTING", kOp));
    return finish(0);
  }

  // 6. The output grid, walked forward.
  SplineWalk walk(frq, itn, work.frq2itn.data(), n);
  for (int64_t j = 0; j < outSz; ++j) {
    double v = 0.0;
    if (!walk.At(static_cast<double>(j) * outStep, &v)) {
      core_io::Warning(StrPrintf("ResizeFileAry()\n\n%s\n\nSPLINE ERROR\n\nABORTING", kOp));
      return finish(0);
    }
    dest[j] = Clamp(scalar * v);
  }

  // 7. File mode: the output file.
  if (fileMode && (!outFile.Write(dest, static_cast<size_t>(outSz) * sizeof(float)) || !outFile.Commit())) {
    core_io::Warning(
        StrPrintf("ResizeFileAry()\n\n%s\n\nFAILED TO WRITE BINARY FILE [%s]\n\nABORTING", kOp, outName ? outName : ""));
    return finish(0);
  }

  // 8, 9. The slot's values and the closing note.
  finish(1);
  if (report == 1)
    core_io::Info(StrPrintf("%s\n\nSZ=[%lld] TO [%lld]\nFRQSTP=[%f] TO [%f]", kOp, static_cast<long long>(inSz),
                            static_cast<long long>(outSz), inStep, outStep));
  return 1;
}
