#include "numerics/Derivative.h"

#include <cmath>

#include "core/TypedArrays.h"
#include "numerics/NumericsBox.h"

double chebev(double a, double b, const double* c, int32_t m, double x) {
  if ((x - a) * (x - b) > 0.0) {
    numerics::ErrorBox("chebev()\n\nX OUT OF RANGE ERROR");
    return 0.0;
  }
  if (m < 1) return 0.0;
  double d = 0.0, dd = 0.0;
  const double y = (2.0 * x - a - b) / (b - a);
  const double y2 = 2.0 * y;
  for (int32_t j = m - 1; j >= 1; --j) {
    const double sv = d;
    d = y2 * d - dd + c[j];
    dd = sv;
  }
  return y * d - dd + 0.5 * c[0];
}

namespace {

constexpr float kCon = 1.4f;
constexpr float kCon2 = kCon * kCon;
constexpr float kBig = 1.0e30f;
constexpr int32_t kNtab = 10;
constexpr float kSafe = 2.0f;

struct Tableau {
  float** t = nullptr;
  ~Tableau() { FFree2Dim(&t, kNtab + 1); }
};

struct Derivs {
  double* p = nullptr;
  ~Derivs() { DFree1Dim(&p); }
};

}  // namespace

float dfridr(MrqModelFunc func, int16_t p, int16_t s, int32_t i0, double x, double* a, int32_t ma, int32_t iprm,
             float h, float* err) {
  *err = kBig;
  if (h == 0.0f) {
    numerics::ErrorBox("dfridr()\n\nh must be nonzero in dfridr");
    return 0.0f;
  }
  if (iprm < 1 || iprm > ma) {
    numerics::ErrorBox("dfridr()\n\nBAD PARAMETER NUMBER [%d] OF [%d]", iprm, ma);
    return -1.0f;
  }
  Tableau tab;
  Derivs dyda;
  if (QvAllocFailed(FAlloc2Dim(&tab.t, kNtab + 1, kNtab + 1))) {
    numerics::AllocErrorBox("dfridr()/a");
    return -1.0f;
  }
  if (QvAllocFailed(DAlloc1Dim(&dyda.p, static_cast<uint32_t>(ma) + 1))) {
    numerics::AllocErrorBox("dfridr()/dyda");
    return -1.0f;
  }
  float** t = tab.t;
  const double saved = a[iprm];
  // Central difference of the model value with step hh.
  auto central = [&](float hh) {
    double up = 0.0, down = 0.0;
    a[iprm] = saved + hh;
    func(p, s, i0, x, a, &up, dyda.p, ma);
    a[iprm] = saved - hh;
    func(p, s, i0, x, a, &down, dyda.p, ma);
    a[iprm] = saved;
    return static_cast<float>((up - down) / (2.0 * hh));
  };
  float hh = h;
  t[1][1] = central(hh);
  float ans = t[1][1];
  for (int32_t i = 2; i <= kNtab; ++i) {
    hh /= kCon;
    t[1][i] = central(hh);
    float fac = kCon2;
    for (int32_t j = 2; j <= i; ++j) {
      t[j][i] = (t[j - 1][i] * fac - t[j - 1][i - 1]) / (fac - 1.0f);
      fac *= kCon2;
      const float errt = std::fmax(std::fabs(t[j][i] - t[j - 1][i]), std::fabs(t[j][i] - t[j - 1][i - 1]));
      if (errt <= *err) {
        *err = errt;
        ans = t[j][i];
      }
    }
    if (std::fabs(t[i][i] - t[i - 1][i - 1]) >= kSafe * (*err)) break;
  }
  a[iprm] = saved;
  return ans;
}
