// The Tukey window of a stretch of an array, and point-wise arithmetic of complex
// (Re/Im) file pairs.
#include <cmath>
#include <string>

#include "core/FileIo.h"
#include "core/TypedArrays.h"
#include "fileproc/Fourier.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/MathConst.h"

namespace {

// Factor of window position j (0 .. count - 1) of a Tukey window with taper a.
double TukeyFactor(uint16_t sense, double a, int32_t j, int32_t count, int32_t flankA, int32_t flankB) {
  const double pi = MathConst.Pi;
  const double x = 2.0 * j / (a * count);
  if (sense == FFT_WIN_PASS) {
    if (j <= flankA) return 0.5 * (1.0 + std::cos(pi * (x - 1.0)));
    if (j >= flankB) return 0.5 * (1.0 + std::cos(pi * (x - 2.0 / a + 1.0)));
    return 1.0;
  }
  if (j <= flankA) return 0.5 * (1.0 + std::cos(pi * x));
  if (j >= flankB) return 0.5 * (1.0 + std::cos(pi * (x - 2.0 / a + 2.0)));
  return 0.0;
}

}  // namespace

int32_t FFTwFilterAry(int16_t kind, uint16_t sense, double a, double /*level*/, int32_t lo, int32_t hi, int32_t size,
                      float* f, double* d) {
  const int32_t count = hi - lo;
  if (count < 0 || lo < 0 || hi > size) {
    core_io::Warning("FFTwFilterAry()\n\nINVALID WINDOW SIZE\n\nABORTING");
    return 0;
  }
  if (kind != 0 || (sense != FFT_WIN_PASS && sense != FFT_WIN_STOP)) return 1;
  if (a <= 0.0) {
    // No flanks: the pass window is 1 everywhere, the stop window 0.
    if (sense == FFT_WIN_STOP) {
      for (int32_t j = 0; j < count; ++j) {
        if (f) f[lo + j] = 0.0f;
        if (d) d[lo + j] = 0.0;
      }
    }
    return 1;
  }
  const int32_t flankA = static_cast<int32_t>(std::trunc(count * a * 0.5));
  const int32_t flankB = static_cast<int32_t>(std::trunc((1.0 - a * 0.5) * count));
  for (int32_t j = 0; j < count; ++j) {
    const double w = TukeyFactor(sense, a, j, count, flankA, flankB);
    if (w == 1.0) continue;
    if (f) f[lo + j] = static_cast<float>(f[lo + j] * w);
    if (d) d[lo + j] *= w;
  }
  return 1;
}

int32_t FFTwMultDivFile(const char* name1, const char* name2, const char* out, int16_t op) {
  const bool pair = op == 0 || op == 1;
  const std::string n1 = name1 ? name1 : "";
  const std::string n2 = name2 ? name2 : "";
  const std::string o = out ? out : "";
  core_io::BinIn in[4];  // name1 Re, Im, name2 Re, Im
  if (!in[0].Open((n1 + "Re").c_str()) || !in[1].Open((n1 + "Im").c_str())) {
    core_io::Warning(StrPrintf("FAILED TO OPEN BINARY INPUT FILES [%s]+EXT FOR READING\n\nABORTING", n1.c_str()));
    return 0;
  }
  if (pair) {
    if (!in[2].Open((n2 + "Re").c_str()) || !in[3].Open((n2 + "Im").c_str())) {
      core_io::Warning(StrPrintf("FAILED TO OPEN BINARY INPUT FILES [%s]+EXT FOR READING\n\nABORTING", n2.c_str()));
      return 0;
    }
    if (in[0].SizeBytes() != in[2].SizeBytes()) {
      core_io::Warning(StrPrintf("INPUT FILE LENGTHS NOT THE SAME [%s]+EXT & [%s]+EXT\n\nABORTING", n1.c_str(),
                                 n2.c_str()));
      return 0;
    }
  }
  // Outputs go to temporary files renamed over their names only at the end, so an
  // output named as an input is read whole before it is replaced.
  const bool complexOut = pair || op == 3;
  const std::string reName = o + "Re";
  const std::string imName = o + "Im";
  const std::string maName = o + "Ma";
  core_io::BinOut res[2];
  if (!res[0].Open((complexOut ? reName : maName).c_str()) || (complexOut && !res[1].Open(imName.c_str()))) {
    core_io::Warning(StrPrintf("FAILED TO CREATE BINARY OUTPUT FILE [%s] FOR WRITING\n\nABORTING", o.c_str()));
    return 0;
  }
  float* blk[6] = {};
  struct Blocks {
    float** b;
    ~Blocks() {
      for (int i = 0; i < 6; ++i) FFree1Dim(&b[i]);
    }
  } guard{blk};
  for (float*& b : blk)
    if (QvAllocFailed(FAlloc1Dim(&b, FFT_FILE_BLOCK))) {
      core_io::Error("FFTwMultDivFile()/iRe1_fpt/iIm1_fpt - CORE ALLOCATION ERROR");
      return 0;
    }
  const double theta = Cnv.Phase_Shift * MathConst.DegToRad;
  const double cs = std::cos(theta);
  const double sn = std::sin(theta);
  bool ok = true;
  bool premature = false;
  const int inputs = pair ? 4 : 2;
  for (;;) {
    const size_t m = in[0].Read(blk[0], FFT_FILE_BLOCK, sizeof(float));
    if (m == 0) break;
    for (int i = 1; i < inputs && ok; ++i)
      if (in[i].Read(blk[i], m, sizeof(float)) < m) ok = false;
    if (!ok) {
      core_io::Error("MultDiv() - PREMATURE EOF\n\nABORTING");
      premature = true;
      break;
    }
    const float* a = blk[0];
    const float* b = blk[1];
    const float* c = blk[2];
    const float* d = blk[3];
    float* re = blk[4];
    float* im = blk[5];
    for (size_t k = 0; k < m; ++k) {
      switch (op) {
        case 0:
          re[k] = a[k] * c[k] - b[k] * d[k];
          im[k] = a[k] * d[k] + b[k] * c[k];
          break;
        case 1: {
          const double den = static_cast<double>(c[k]) * c[k] + static_cast<double>(d[k]) * d[k];
          re[k] = static_cast<float>((static_cast<double>(a[k]) * c[k] + static_cast<double>(b[k]) * d[k]) / den);
          im[k] = static_cast<float>((static_cast<double>(b[k]) * c[k] - static_cast<double>(a[k]) * d[k]) / den);
          break;
        }
        case 2: re[k] = std::sqrt(a[k] * a[k] + b[k] * b[k]); break;
        case 3:
          re[k] = static_cast<float>(cs * a[k] - sn * b[k]);
          im[k] = static_cast<float>(sn * a[k] + cs * b[k]);
          break;
        default: break;
      }
    }
    if (op < 0 || op > 3) continue;
    if (!res[0].Write(re, m * sizeof(float)) || (complexOut && !res[1].Write(im, m * sizeof(float)))) {
      core_io::Warning(StrPrintf("FAILED TO WRITE BINARY OUTPUT FILE [%s]\n\nABORTING", o.c_str()));
      ok = false;
      break;
    }
  }
  switch (op) {
    case 0: core_io::StatusText(3, StrPrintf("COMPLEX MULT R&I=[%s]&[%s]", reName.c_str(), imName.c_str())); break;
    case 1: core_io::StatusText(3, StrPrintf("COMPLEX DIV R&I=[%s]&[%s]", reName.c_str(), imName.c_str())); break;
    case 2: core_io::StatusText(3, StrPrintf("COMPLEX MAG R=[%s]", maName.c_str())); break;
    case 3:
      core_io::StatusText(3, StrPrintf("COMPLEX PHASE SHIFT=[%lf] R&I=[%s]&[%s]", Cnv.Phase_Shift, reName.c_str(),
                                       imName.c_str()));
      break;
    default: break;
  }
  if (premature) {
    // The blocks written before the short input stay in the outputs; an output that
    // bears an input's name is dropped instead, so that input stays whole.
    const std::string names[4] = {n1 + "Re", n1 + "Im", n2 + "Re", n2 + "Im"};
    const std::string outs[2] = {complexOut ? reName : maName, imName};
    for (int k = 0; k < (complexOut ? 2 : 1); ++k) {
      bool named = false;
      for (int i = 0; i < inputs; ++i) named = named || platform::SameFile(outs[k].c_str(), names[i].c_str());
      if (named) {
        res[k].Abort();
      } else if (!res[k].Commit()) {
        core_io::Warning(StrPrintf("FAILED TO WRITE BINARY OUTPUT FILE [%s]\n\nABORTING", o.c_str()));
      }
    }
    return 0;
  }
  if (!ok) return 0;
  if (!res[0].Commit() || (complexOut && !res[1].Commit())) {
    core_io::Warning(StrPrintf("FAILED TO WRITE BINARY OUTPUT FILE [%s]\n\nABORTING", o.c_str()));
    return 0;
  }
  return 1;
}
