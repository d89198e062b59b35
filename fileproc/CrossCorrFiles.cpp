// The cross-correlation curve of two files, with the baseline moves and scans before
// it, and the sequence-by-sequence shifts of one file against another.
#include "fileproc/CrossCorrFiles.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "core/FileIo.h"
#include "core/MsgWindow.h"
#include "fileproc/FileOps.h"
#include "fileproc/xcorr/CrossCorr.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/Text.h"
#include "records/Cnv.h"
#include "records/Dsp.h"
#include "records/Win.h"
#include "records/XCorrWork.h"

namespace {

long L(int64_t v) { return static_cast<long>(v); }

// Reads a whole headerless float file; false when it cannot be opened or is too long
// for one allocation.
bool ReadWhole(const char* name, std::vector<float>* values) {
  core_io::BinIn in;
  if (!in.Open(name)) return false;
  const uint64_t n = in.SizeBytes() / 4;
  if (n > 0x1FFFFFFFu) return false;
  try {
    values->assign(static_cast<size_t>(n), 0.0f);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return in.Read(values->data(), values->size(), sizeof(float)) == values->size() && !in.Failed();
}

// An engine call on names held in buffers of the engine's size; a name that does not
// fit is refused.
int32_t Engine(int16_t slot, int32_t id, const std::string& in, const std::string& out, int16_t variant) {
  char inBuf[OSI_NAME_SIZE];
  char outBuf[OSI_NAME_SIZE];
  if (!core_io::NameFits(in, sizeof inBuf) || !core_io::NameFits(out, sizeof outBuf)) return 0;
  StrCopy(inBuf, in.c_str());
  StrCopy(outBuf, out.c_str());
  return OSIFile(slot, 0, id, inBuf, outBuf, variant, 0, 0);
}

// The baseline mode's word in the closing status text and note.
const char* BaselineWord(int32_t steps) {
  switch (steps) {
    case -1: case -5: case 1: return "MIN";
    case -2: case -6: return "MID";
    case -3: case -7: return "MAX";
    default: return nullptr;
  }
}

void KeepResult(int32_t position, float best, float shift) {
  auto& w = XCorrWork;
  const size_t need = static_cast<size_t>(position) + 1;
  if (w.Files_Max.size() < need) {
    w.Files_Max.resize(need, 0.0f);
    w.Files_Shift.resize(need, 0.0f);
  }
  w.Files_Max[static_cast<size_t>(position)] = best;
  w.Files_Shift[static_cast<size_t>(position)] = shift;
}

struct Curve {
  const std::vector<float>& a;
  const std::vector<float>& b;
  std::vector<float> out;
  std::vector<float> wt;
  int32_t r = 0;
};

// The weights of the lags -R..R.
void Weights(Curve& c, double damping, int32_t steps) {
  const bool rectangular = steps == -5 || steps == -6 || steps == -7;
  for (int32_t k = -c.r; k <= c.r; ++k) {
    double w = 1.0;
    if (c.r >= 1) {
      w = 1.0 - std::fabs(static_cast<double>(k) / c.r) * damping;
      if (rectangular) w = w > 0.0 ? 1.0 : 0.0;
      if (w <= 0.0) w = 0.0;
    }
    c.wt[static_cast<size_t>(k + c.r)] = static_cast<float>(w);
  }
}

// The two sums of lag k (over i < m) and their counts: the products (rounded to
// floats) that are 0 are left out.
struct LagSums {
  double p = 0.0, q = 0.0;
  int64_t np = 0, nq = 0;
};

// Lags side by side in vector lanes, each lag's sums taken in the order of i as one
// lag at a time takes them: a product left out adds +0, which changes no sum (a sum
// of values other than -0 that starts at +0 is never -0). Sixteen lags with AVX2
// where the processor has it, else eight.
constexpr int64_t kLanesMost = 16;

// Sums of the lags k .. k + 7 over their first m terms (m at most the terms of the
// last of them) into s[0..7].
void LaneSums8(const float* a, const float* b, int64_t k, int64_t m, LagSums* s) {
#if defined(__SSE2__)
  __m128d p[4], q[4];
  __m128i np[2], nq[2];
  for (int h = 0; h < 4; ++h) p[h] = q[h] = _mm_setzero_pd();
  for (int h = 0; h < 2; ++h) np[h] = nq[h] = _mm_setzero_si128();
  const __m128 zero = _mm_setzero_ps();
  for (int64_t i = 0; i < m; ++i) {
    const __m128 x = _mm_set1_ps(a[i]);
    const __m128 y = _mm_set1_ps(b[i]);
    for (int h = 0; h < 2; ++h) {
      const __m128 xp = _mm_mul_ps(x, _mm_loadu_ps(b + i + k + 4 * h));
      const __m128 yq = _mm_mul_ps(y, _mm_loadu_ps(a + i + k + 4 * h));
      const __m128 xKeep = _mm_cmpneq_ps(xp, zero);  // not a number: kept
      const __m128 yKeep = _mm_cmpneq_ps(yq, zero);
      const __m128 xs = _mm_and_ps(xp, xKeep), ys = _mm_and_ps(yq, yKeep);
      p[2 * h] = _mm_add_pd(p[2 * h], _mm_cvtps_pd(xs));
      p[2 * h + 1] = _mm_add_pd(p[2 * h + 1], _mm_cvtps_pd(_mm_movehl_ps(xs, xs)));
      q[2 * h] = _mm_add_pd(q[2 * h], _mm_cvtps_pd(ys));
      q[2 * h + 1] = _mm_add_pd(q[2 * h + 1], _mm_cvtps_pd(_mm_movehl_ps(ys, ys)));
      np[h] = _mm_sub_epi32(np[h], _mm_castps_si128(xKeep));
      nq[h] = _mm_sub_epi32(nq[h], _mm_castps_si128(yKeep));
    }
  }
  double ps[8], qs[8];
  int32_t nps[8], nqs[8];
  for (int h = 0; h < 4; ++h) {
    _mm_storeu_pd(ps + 2 * h, p[h]);
    _mm_storeu_pd(qs + 2 * h, q[h]);
  }
  for (int h = 0; h < 2; ++h) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(nps + 4 * h), np[h]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(nqs + 4 * h), nq[h]);
  }
  for (int l = 0; l < 8; ++l) s[l] = LagSums{ps[l], qs[l], nps[l], nqs[l]};
#else
  for (int l = 0; l < 8; ++l) {
    s[l] = LagSums{};
    for (int64_t i = 0; i < m; ++i) {
      const float x = a[i] * b[i + k + l];
      const float y = b[i] * a[i + k + l];
      if (x != 0.0f) s[l].p += x, ++s[l].np;
      if (y != 0.0f) s[l].q += y, ++s[l].nq;
    }
  }
#endif
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
// The same for the lags k .. k + 15, eight products a vector.
__attribute__((target("avx2"))) void LaneSums16(const float* a, const float* b, int64_t k, int64_t m, LagSums* s) {
  __m256d p[4], q[4];
  __m256i np[2], nq[2];
  for (int h = 0; h < 4; ++h) p[h] = q[h] = _mm256_setzero_pd();
  for (int h = 0; h < 2; ++h) np[h] = nq[h] = _mm256_setzero_si256();
  const __m256 zero = _mm256_setzero_ps();
  for (int64_t i = 0; i < m; ++i) {
    const __m256 x = _mm256_set1_ps(a[i]);
    const __m256 y = _mm256_set1_ps(b[i]);
    for (int h = 0; h < 2; ++h) {
      const __m256 xp = _mm256_mul_ps(x, _mm256_loadu_ps(b + i + k + 8 * h));
      const __m256 yq = _mm256_mul_ps(y, _mm256_loadu_ps(a + i + k + 8 * h));
      const __m256 xKeep = _mm256_cmp_ps(xp, zero, _CMP_NEQ_UQ);  // not a number: kept
      const __m256 yKeep = _mm256_cmp_ps(yq, zero, _CMP_NEQ_UQ);
      const __m256 xs = _mm256_and_ps(xp, xKeep), ys = _mm256_and_ps(yq, yKeep);
      p[2 * h] = _mm256_add_pd(p[2 * h], _mm256_cvtps_pd(_mm256_castps256_ps128(xs)));
      p[2 * h + 1] = _mm256_add_pd(p[2 * h + 1], _mm256_cvtps_pd(_mm256_extractf128_ps(xs, 1)));
      q[2 * h] = _mm256_add_pd(q[2 * h], _mm256_cvtps_pd(_mm256_castps256_ps128(ys)));
      q[2 * h + 1] = _mm256_add_pd(q[2 * h + 1], _mm256_cvtps_pd(_mm256_extractf128_ps(ys, 1)));
      np[h] = _mm256_sub_epi32(np[h], _mm256_castps_si256(xKeep));
      nq[h] = _mm256_sub_epi32(nq[h], _mm256_castps_si256(yKeep));
    }
  }
  double ps[16], qs[16];
  int32_t nps[16], nqs[16];
  for (int h = 0; h < 4; ++h) {
    _mm256_storeu_pd(ps + 4 * h, p[h]);
    _mm256_storeu_pd(qs + 4 * h, q[h]);
  }
  for (int h = 0; h < 2; ++h) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(nps + 8 * h), np[h]);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(nqs + 8 * h), nq[h]);
  }
  for (int l = 0; l < 16; ++l) s[l] = LagSums{ps[l], qs[l], nps[l], nqs[l]};
}
bool Wide() { return __builtin_cpu_supports("avx2"); }
#else
void LaneSums16(const float* a, const float* b, int64_t k, int64_t m, LagSums* s) {
  LaneSums8(a, b, k, m, s);
  LaneSums8(a, b, k + 8, m, s + 8);
}
bool Wide() { return false; }
#endif

// The value of lag k into the curve from its sums.
void Finish(Curve& c, int32_t k, const LagSums& s, bool normalised) {
  const int32_t r = c.r;
  const float w = c.wt[static_cast<size_t>(r + k)];
  float& up = c.out[static_cast<size_t>(r + k)];
  float& down = c.out[static_cast<size_t>(r - k)];
  if (w == 0.0f) {
    up = down = 0.0f;
  } else if (normalised) {
    up = static_cast<float>(s.p * w);
    down = static_cast<float>(s.q * w);
  } else {
    up = s.np > 0 ? static_cast<float>(s.p * w / static_cast<double>(s.np)) : 0.0f;
    down = s.nq > 0 ? static_cast<float>(s.q * w / static_cast<double>(s.nq)) : 0.0f;
  }
}

// The lags first .. last (a whole number of lane groups but at the end) into the curve.
void CorrelateLags(Curve& c, bool normalised, int32_t first, int32_t last) {
  const float* a = c.a.data();
  const float* b = c.b.data();
  const int64_t n = static_cast<int64_t>(c.a.size());
  const int64_t lanes = Wide() ? 16 : 8;
  int64_t k = first;
  for (; k + lanes - 1 <= last; k += lanes) {
    LagSums s[kLanesMost];
    bool any = false;
    for (int64_t l = 0; l < lanes; ++l) any = any || c.wt[static_cast<size_t>(c.r + k + l)] != 0.0f;
    if (any) {
      const int64_t common = n - (k + lanes - 1);
      if (lanes == 16) LaneSums16(a, b, k, common, s);
      else LaneSums8(a, b, k, common, s);
      // The terms the earlier lags of the group have beyond the last one's.
      for (int64_t l = 0; l < lanes; ++l)
        for (int64_t i = common; i < n - (k + l); ++i) {
          const float x = a[i] * b[i + k + l];
          const float y = b[i] * a[i + k + l];
          if (x != 0.0f) s[l].p += x, ++s[l].np;
          if (y != 0.0f) s[l].q += y, ++s[l].nq;
        }
    }
    for (int64_t l = 0; l < lanes; ++l) Finish(c, static_cast<int32_t>(k + l), s[l], normalised);
  }
  for (; k <= last; ++k) {
    LagSums s;
    if (c.wt[static_cast<size_t>(c.r + k)] != 0.0f)
      for (int64_t i = 0; i < n - k; ++i) {
        const float x = a[i] * b[i + k];
        const float y = b[i] * a[i + k];
        if (x != 0.0f) s.p += x, ++s.np;
        if (y != 0.0f) s.q += y, ++s.nq;
      }
    Finish(c, static_cast<int32_t>(k), s, normalised);
  }
}

// Direct sums at every lag, the products that are 0 left out of sums and counts. The
// lags are taken a chunk at a time by the calling thread and one helper a further
// core the process may use; the calling thread shows the progress.
void Correlate(Curve& c, bool normalised) {
  const int32_t r = c.r;
  constexpr int32_t kChunk = 256;  // lags a task, a whole number of lane groups
  const int32_t chunks = r / kChunk + 1;
  std::atomic<int32_t> next{0};
  std::atomic<int32_t> done{0};
  const auto work = [&](const std::function<void()>& between) {
    for (;;) {
      const int32_t chunk = next.fetch_add(1);
      if (chunk >= chunks) return;
      const int32_t first = chunk * kChunk;
      CorrelateLags(c, normalised, first, std::min(r, first + kChunk - 1));
      done.fetch_add(1);
      between();
    }
  };
  auto lastShown = std::chrono::steady_clock::now() - std::chrono::seconds(1);
  const auto progress = [&] {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastShown < std::chrono::milliseconds(50)) return;
    lastShown = now;
    const double lags = std::min<double>(r, static_cast<double>(done.load()) * kChunk);
    core_io::StatusText(0, StrPrintf("CC PROGRESS=[%.2lf]", r > 0 ? lags / r * 100.0 : 100.0));
  };
  // Helpers only where the work outweighs starting them.
  const double products = static_cast<double>(r + 1) * static_cast<double>(c.a.size());
  const int32_t cores = products >= 4.0e6 ? platform::CoresAllowed() : 1;
  std::vector<std::thread> helpers;
  for (int32_t h = 1; h < std::min(cores, chunks); ++h) {
    try {
      helpers.emplace_back([&work] { work([] {}); });
    } catch (const std::system_error&) {
      break;  // the threads there are take every chunk
    }
  }
  work(progress);
  for (std::thread& t : helpers) t.join();
  core_io::StatusText(0, StrPrintf("CC PROGRESS=[%.2lf]", 100.0));
}

// Both traces the same length: pads the shorter into its name + "m" on YES.
bool MatchLengths(int16_t slot, std::string* name0, std::string* name1, std::vector<float>* a, std::vector<float>* b) {
  if (a->size() == b->size()) return true;
  const bool firstShorter = a->size() < b->size();
  std::string& shortName = firstShorter ? *name0 : *name1;
  if (!core_io::AskYesNo(StrPrintf("CROSS CORRELATION OPERATION\n\nFILE [%s] LENGTH [%lu] != FILE [%s] LENGTH "
                                   "[%lu]\n\nADJUST [YES] | CONTINUE [NO]?",
                                   name0->c_str(), static_cast<unsigned long>(a->size()), name1->c_str(),
                                   static_cast<unsigned long>(b->size()))))
    return false;
  const int64_t d = std::llabs(static_cast<int64_t>(a->size()) - static_cast<int64_t>(b->size()));
  const int64_t perFsr = Dsp.Pts_FSR > 0 ? Dsp.Pts_FSR : 1;
  const int64_t front = static_cast<int64_t>(d * 0.5 / static_cast<double>(perFsr)) * perFsr;
  const std::string padded = shortName + "m";
  const int32_t keep = Cnv.Pts_Ave[slot];
  Cnv.Pts_Ave[slot] = static_cast<int32_t>(front);
  int32_t ok = Engine(slot, OSI_ADDSECT, shortName, padded, 1);
  Cnv.Pts_Ave[slot] = static_cast<int32_t>(d - front);
  if (ok == 1 && d - front > 0) ok = Engine(slot, OSI_ADDSECT, padded, padded, 2);
  Cnv.Pts_Ave[slot] = keep;
  if (ok != 1) return false;
  shortName = padded;
  if (!ReadWhole(name0->c_str(), a) || !ReadWhole(name1->c_str(), b)) {
    core_io::Warning(StrPrintf("CrossCorrFiles()\n\nFAILED TO READ BINARY FILE [%s]\n\nABORTING", padded.c_str()));
    return false;
  }
  return a->size() == b->size();
}

int32_t SingleCorrelation(const std::string& name0, const std::string& name1, const char* outName,
                          std::vector<float>& a, std::vector<float>& b, double damping, int32_t steps,
                          int16_t fullLength, int16_t report) {
  core_io::BinOut out;
  if (!out.Open(outName)) {
    core_io::Warning(StrPrintf("CrossCorrFiles()\n\nFAILED TO CREATE BINARY FILE [%s] FOR WRITING\n\nABORTING", outName));
    return 0;
  }
  Curve c{a, b, {}, {}, static_cast<int32_t>(a.size())};
  try {
    c.out.assign(2 * a.size() + 1, 0.0f);
    c.wt.assign(2 * a.size() + 1, 0.0f);
  } catch (const std::bad_alloc&) {
    core_io::Error("CrossCorrFiles()/out_fary/auto0_fpt/auto1_fpt/wtcoeff_fpt - CORE ALLOCATION ERROR");
    return 0;
  }
  Weights(c, damping, steps);
  bool normalised = damping <= 0.0;
  Correlate(c, normalised);
  if (normalised) {
    double s0 = 0.0;
    double s1 = 0.0;
    for (float v : a) s0 += static_cast<double>(v) * v;
    for (float v : b) s1 += static_cast<double>(v) * v;
    const double norm = std::sqrt(s0 * s1);
    core_io::StatusText(0, StrPrintf("NRM1=[%.3le] NRM2=[%.3le] NRM=[%.3le]", s0, s1, norm));
    if (s0 == 0.0 || s1 == 0.0) {
      core_io::Warning("CROSS CORRELATION\n\nNORMALIZATION ZERO & DISABLED");
    } else {
      for (float& v : c.out) v = static_cast<float>(v / norm);
    }
  }
  float best = -1e20f;
  int32_t at = 0;
  for (size_t i = 0; i < c.out.size(); ++i)
    if (c.out[i] > best) {
      best = c.out[i];
      at = static_cast<int32_t>(i);
    }
  const float shift = static_cast<float>(at - c.r);
  KeepResult(0, best, shift);
  bool written;
  if (fullLength == 1) {
    written = out.Write(c.out.data(), c.out.size() * sizeof(float));
  } else {
    std::vector<float> pairs(a.size());
    for (size_t j = 0; j < pairs.size(); ++j) pairs[j] = (c.out[2 * j] + c.out[2 * j + 1]) / 2.0f;
    written = pairs.empty() || out.Write(pairs.data(), pairs.size() * sizeof(float));
  }
  if (!written || !out.Commit()) {
    core_io::Warning(StrPrintf("CrossCorrFiles()\n\nFAILED TO CREATE BINARY FILE [%s] FOR WRITING\n\nABORTING", outName));
    return 0;
  }
  if (report == 1) {
    std::string text = StrPrintf("CC MAX=[%f] OF [%s]&[%s]", static_cast<double>(shift), name0.c_str(), name1.c_str());
    if (const char* word = BaselineWord(steps))
      text += StrPrintf(" AT %s", word);
    else if (steps == 0)
      text += " (ORIGINAL)";
    else
      text += StrPrintf(" (SCAN=%ld)", L(XCorrWork.Files_ScanPos));
    core_io::StatusText(3, text);
  }
  return 1;
}

// Smallest and largest non-zero value.
void NonZeroRange(const std::vector<float>& v, float* lo, float* hi) {
  *lo = 1e20f;
  *hi = -1e20f;
  for (float x : v) {
    if (x == 0.0f) continue;
    if (x < *lo) *lo = x;
    if (x > *hi) *hi = x;
  }
}

// Writes name moved down by offset (non-zero values only) into moved; 1 or 0.
int32_t MoveBaseline(int16_t slot, const std::string& name, const std::string& moved, float offset) {
  const float keep = Cnv.Offset[slot];
  Cnv.Offset[slot] = -offset;
  const int32_t ok = Engine(slot, OSI_OFFSET, name, moved, 2);
  Cnv.Offset[slot] = keep;
  return ok;
}

int32_t Baselines(int16_t slot, const std::string& name0, const std::string& name1, const char* outName,
                  const std::vector<float>& a, const std::vector<float>& b, double damping, int32_t steps,
                  int16_t fullLength, int16_t report) {
  float min0, max0, min1, max1;
  NonZeroRange(a, &min0, &max0);
  NonZeroRange(b, &min1, &max1);
  float off0 = 0.0f;
  float off1 = 0.0f;
  const char* word = BaselineWord(steps);
  if (steps > 0) {
    // The grid of offsets; the final pass takes those of the largest maximum.
    const float step0 = (max0 - min0) / static_cast<float>(steps);
    const float step1 = (max1 - min1) / static_cast<float>(steps);
    float bestMax = -1e20f;
    bool found = false;
    int32_t bestPos = 0;  // scan position of the offsets the final pass uses
    int32_t counter = 1;
    for (int32_t i = 0; i < steps; ++i)
      for (int32_t j = 0; j < steps; ++j, ++counter) {
        const float o0 = min0 + static_cast<float>(i) * step0;
        const float o1 = min1 + static_cast<float>(j) * step1;
        const std::string m0 = name0 + "o" + std::to_string(counter);
        const std::string m1 = name1 + "o" + std::to_string(counter);
        const std::string curveName = std::string(outName) + std::to_string(counter);
        XCorrWork.Files_Steps = counter;
        XCorrWork.Files_ScanPos = i * steps + j;
        int32_t ok = MoveBaseline(slot, name0, m0, o0) == 1 && MoveBaseline(slot, name1, m1, o1) == 1;
        if (ok == 1)
          ok = CrossCorrFiles(0, 0, m0.c_str(), m1.c_str(), curveName.c_str(), damping, steps, fullLength, report);
        DeleteFile(m0.c_str());
        DeleteFile(m1.c_str());
        if (ok != 1) return 0;
        const float best = XCorrWork.Files_Max[0];
        KeepResult(counter, best, XCorrWork.Files_Shift[0]);
        if (best > -1e20f && best != 0.0f && (!found || best > bestMax)) {
          found = true;
          bestMax = best;
          bestPos = i * steps + j;
          off0 = o0;
          off1 = o1;
        }
      }
    XCorrWork.Files_Steps = counter;
    XCorrWork.Files_ScanPos = bestPos;
  } else if (steps == -1 || steps == -5) {
    off0 = min0;
    off1 = min1;
  } else if (steps == -2 || steps == -6) {
    off0 = (min0 + max0) / 2.0f;
    off1 = (min1 + max1) / 2.0f;
  } else if (steps == -3 || steps == -7) {
    off0 = max0;
    off1 = max1;
  }
  std::string use0 = name0;
  std::string use1 = name1;
  if (steps != 0) {
    use0 = name0 + "o";
    use1 = name1 + "o";
    if (MoveBaseline(slot, name0, use0, off0) != 1 || MoveBaseline(slot, name1, use1, off1) != 1) {
      DeleteFile(use0.c_str());
      return 0;
    }
  }
  const int32_t result = CrossCorrFiles(0, 0, use0.c_str(), use1.c_str(), outName, damping, steps, fullLength, report);
  if (report == 1) {
    if (word && steps <= 0)
      core_io::Info(StrPrintf("CROSS CORRELATION\n\nBASELINE OFFSETS DEFINED AT %s OF [%s] & [%s]", word, name0.c_str(),
                              name1.c_str()));
    else if (steps == 1)
      core_io::Info(StrPrintf("CROSS CORRELATION\n\nBASELINE OFFSETS DEFINED AT MIN OF [%s] & [%s]", name0.c_str(),
                              name1.c_str()));
    else if (steps == 0)
      core_io::Info(StrPrintf("CROSS CORRELATION\n\nBASELINE OFFSETS NOT MODIFIED FOR [%s] & [%s]", name0.c_str(),
                              name1.c_str()));
    else
      core_io::Info(StrPrintf("CROSS CORRELATION\n\nBASELINE OFFSETS=[%ld] SCANNED BETWEEN MAX & MIN OF [%s] & [%s]",
                              L(static_cast<int64_t>(steps) * steps), name0.c_str(), name1.c_str()));
  }
  if (steps != 0) {
    DeleteFile(use0.c_str());
    DeleteFile(use1.c_str());
  }
  return result;
}

int32_t DialogEntry(int16_t mode, double damping, int32_t steps) {
  const char* names[2] = {nullptr, nullptr};
  int found = 0;
  for (int c = 0; c < CNV_CHN; ++c) {
    if (Cnv.Cnv_Stat[c] != 1) continue;
    if (found < 2) {
      names[found++] = Dsp.Chn_Flnm[c];
    } else {
      core_io::Info(StrPrintf("CROSS CORRELATION\n\nONLY TWO FILES REQUIRED FOR CROSS CORRELATION\n\n[%s] NOT "
                              "USED\n\nCONTINUING",
                              Dsp.Chn_Flnm[c]));
    }
  }
  if (found < 2) {
    core_io::Warning("CROSS CORRELATION\n\nMUST SELECT AT LEAST TWO FILES\n\nABORTING");
    return 0;
  }
  const int16_t fullLength = core_io::AskYesNo(
                                 "CROSS CORRELATION\n\nOUTPUT FILE LENGTH\n\nAVERAGE 2 POINTS TO MAKE LENGTH SAME AS "
                                 "INPUT [YES] | TWICE INPUT LENGTH [NO]?")
                                 ? 0
                                 : 1;
  const int64_t shown = steps > 1 ? static_cast<int64_t>(steps) * steps : 1;
  if (!core_io::AskYesNo(StrPrintf("CROSS CORRELATION\n\nSHIFT BASELINE STEPS=[%ld]\nDAMPING=[%lf]\n\nCONTINUE [YES] | "
                                   "ABORT [NO]",
                                   L(shown), damping)))
    return 1;
  XCorrWork.Files_Steps = 0;
  const int32_t result = CrossCorrFiles(0, mode, names[0], names[1], Cnv.Ave_Flnm, damping, steps, fullLength, 1);
  const int32_t n = std::max<int32_t>(1, XCorrWork.Files_Steps);
  if (XCorrWork.Files_Shift.size() >= static_cast<size_t>(n))
    DisplayTableFormat(1, "CC FILE SHIFT - SHIFTS\n", 4, 40, n, XCorrWork.Files_Shift.data(), nullptr, 0, 1.0);
  return result;
}

}  // namespace

int32_t CrossCorrFiles(int16_t slot, int16_t mode, const char* file0, const char* file1, const char* outName,
                       double damping, int32_t steps, int16_t fullLength, int16_t report) {
  if (!file0 || !file1 || !outName) return DialogEntry(mode, damping, steps);
  if (slot < 0 || slot >= CNV_SLOTS) return 0;
  std::string name0 = file0;
  std::string name1 = file1;
  std::vector<float> a;
  std::vector<float> b;
  for (const std::string* name : {&name0, &name1}) {
    if (!ReadWhole(name->c_str(), name == &name0 ? &a : &b)) {
      core_io::Warning(
          StrPrintf("CrossCorrFiles()\n\nFAILED TO OPEN BINARY FILE [%s] FOR READING\n\nABORTING", name->c_str()));
      return 0;
    }
  }
  // Every name made from the two is checked before any is written: the padded copy
  // ("m") of the shorter, the baseline-moved copies ("o" with the highest scan number)
  // and the numbered curves.
  const std::string scan = mode == 1 && steps > 0 ? std::to_string(static_cast<int64_t>(steps) * steps) : "";
  const std::string moved = mode == 1 && steps != 0 ? "o" + scan : "";
  const auto fits = [&](const std::string& name, bool shorter) {
    return core_io::NameFits(name + (shorter ? "m" : "") + moved);
  };
  if (!fits(name0, a.size() < b.size()) || !fits(name1, b.size() < a.size()) ||
      (!scan.empty() && !core_io::NameFits(outName + scan)))
    return 0;
  if (!MatchLengths(slot, &name0, &name1, &a, &b)) return 0;
  if (mode == 1) return Baselines(slot, name0, name1, outName, a, b, damping, steps, fullLength, report);
  return SingleCorrelation(name0, name1, outName, a, b, damping, steps, fullLength, report);
}

int32_t CrossCorr2Files(int16_t slot, const char* file1, const char* file2, const char* shiftValuesFile, int16_t prompt) {
  if (slot < 0 || slot >= CNV_SLOTS || !file1 || !file2 || !shiftValuesFile) return 0;
  const bool note = slot == 1;
  if (note)
    DspMsgShowText(StrPrintf("   CROSS CORRELATE 2 FILES:\n      SHIFT VALUES WRITTEN TO=[%s]\n", shiftValuesFile).c_str(),
                   Win.hWnd_Main);
  core_io::BinIn in1;
  core_io::BinIn in2;
  const bool open1 = in1.Open(file1);
  const bool open2 = in2.Open(file2);
  int64_t low = 0;
  int64_t high = open1 ? static_cast<int64_t>(in1.SizeBytes() / 4) : 0;
  if (Cnv.Lim_Stat[slot] == 1) {
    low = OSIFileSlotLimits(slot)[0];
    high = OSIFileSlotLimits(slot)[1];
  }
  core_io::BinOut shifts;
  if (!shifts.Open(shiftValuesFile)) {
    core_io::Warning(StrPrintf("CrossCorr2Files()\n\nFAILED TO OPEN FILE=[%s] FOR WRITING\n\nABORTING", shiftValuesFile));
    return 0;
  }
  const int32_t seq = Cnv.Seq_Sz[slot];
  const int32_t lo = Cnv.Win_Lo[slot];
  const int32_t hi = Cnv.Win_Hi[slot];
  const int64_t n = std::llabs(static_cast<int64_t>(hi) - lo);
  const int32_t radius = Cnv.Cc_Rad[slot];
  const double damp = Cnv.Damp[slot];
  const int32_t offset = Cnv.Cc_Offset[slot];
  if (note)
    DspMsgShowText(StrPrintf("      CC RADIUS=[%ld]\n      CC DAMPING=[%lf]\n      CC SIZE=[%ld]\n      CC "
                             "OFFSET=[%ld]\n      CC WINDOW=[%ld] TO [%ld]\n",
                             L(radius), damp, L(n), L(offset), L(lo), L(hi))
                       .c_str(),
                   Win.hWnd_Main);
  // The window is read from every sequence: it must lie inside one.
  const int32_t from = std::min(lo, hi);
  if (seq < 1 || from < 0 || n < 1 || from + n > seq) {
    core_io::Warning(StrPrintf("CrossCorr2Files()\n\nCC WINDOW=[%ld] TO [%ld] OUTSIDE SEQ SZ=[%ld]\n\nABORTING", L(lo),
                               L(hi), L(seq)));
    return 0;
  }
  if (offset != 0) {
    if (prompt != 0 && (prompt != 1 || !core_io::AskYesNo(StrPrintf(
                                            "CROSS CORRELATE TWO FILES\n\nCC_RAD=[%ld]\nCC DAMPING=[%lf]\nCC "
                                            "SIZE=[%ld]\nSHIFT OFFSET=[%ld]\n\nAPPLY & SAVE SHIFT TO [%s] WITH "
                                            "OFFSET=[%ld] [YES] | [NO] ?",
                                            L(radius), damp, L(n), L(offset), file1, L(offset)))))
      return 0;
    char keepName[sizeof(Cnv.ShiftVal_Flnm)];
    StrCopy(keepName, Cnv.ShiftVal_Flnm);
    Cnv.ShiftVal_Flnm[0] = '\0';
    const int32_t keepShift = Cnv.Shift_Cnt[slot];
    Cnv.Shift_Cnt[slot] = offset;
    in1.Close();
    const int32_t ok = Engine(slot, OSI_SHIFTSECT, file1, file1, 3);
    Cnv.Shift_Cnt[slot] = keepShift;
    StrCopy(Cnv.ShiftVal_Flnm, keepName);
    if (ok != 1) {
      core_io::Warning(StrPrintf("CrossCorr2Files()\n\nSHIFTSECT_FILE\n\nOPERATIONAL SEQUENCE COMMAND FAILED\n\nSHIFT "
                                 "PTS=[%ld]\n\nABORTING",
                                 L(offset)));
      return 0;
    }
    (void)in1.Open(file1);
    if (note) DspMsgShowText(StrPrintf("      FILE SHIFTED BY OFFSET=[%ld]\n", L(offset)).c_str(), Win.hWnd_Main);
  }
  std::vector<float> a(static_cast<size_t>(seq));
  std::vector<float> b(static_cast<size_t>(seq));
  const auto eof = [&] {
    core_io::Warning(StrPrintf("CrossCorr2Files()\n\nPREMATURE EOF IN FILE=[%s] & [%s]\n\nABORTING", file1, file2));
    return 0;
  };
  if (!open1 || !open2) return eof();
  for (int64_t k = 0; low + k * seq < high; ++k) {
    const uint64_t at = static_cast<uint64_t>(low + k * seq) * 4;
    in1.Seek(at);
    in2.Seek(at);
    const size_t got1 = in1.Read(a.data(), a.size(), sizeof(float));
    const size_t got2 = in2.Read(b.data(), b.size(), sizeof(float));
    if (got1 != got2 || got1 == 0) return eof();
    // A short last pair still needs the whole window.
    if (got1 < static_cast<size_t>(from + n)) return eof();
    uint32_t index = static_cast<uint32_t>(std::max(radius, 0));
    (void)CrossCorrArys(a.data() + from, b.data() + from, static_cast<uint32_t>(n), radius, damp, &index, nullptr);
    const float value = static_cast<float>(std::max(radius, 0) - static_cast<int64_t>(index) + offset);
    if (!shifts.Write(&value, sizeof(value))) return eof();
  }
  if (!shifts.Commit()) {
    core_io::Warning(StrPrintf("CrossCorr2Files()\n\nFAILED TO OPEN FILE=[%s] FOR WRITING\n\nABORTING", shiftValuesFile));
    return 0;
  }
  if (note) DspMsgShowText("   CROSS CORRELATE 2 FILES:\n   COMPLETE\n", Win.hWnd_Main);
  return 1;
}
