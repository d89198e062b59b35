#include "numerics/LinearAlgebra.h"

#include <cmath>
#include <utility>

#include "core/TypedArrays.h"
#include "numerics/NumericsBox.h"

namespace {

double Sign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// Owns a 1-based work vector of the typed-array family for one call.
struct DWork {
  double* p = nullptr;
  ~DWork() { DFree1Dim(&p); }
};
struct IWork {
  int32_t* p = nullptr;
  ~IWork() { IFree1Dim(&p); }
};

}  // namespace

int16_t svdfit(int32_t /*tag*/, const double* y, int32_t ndata, double* a, int32_t ma, const int32_t* lista,
               int32_t mfit, double** u, double** v, double* w, double* chisq, const double* basis,
               const double* sig) {
  if (ndata < 1 || ma < 1 || mfit < 1 || mfit > ma) {
    numerics::ErrorBox("svdfit()\n\nBAD SIZES NDATA=[%d] MA=[%d] MFIT=[%d]", ndata, ma, mfit);
    return -1;
  }
  for (int32_t k = 1; k <= ma; ++k) {
    if (lista[k] < 1 || lista[k] > ma) {
      numerics::ErrorBox("svdfit()\n\nBAD LISTA ENTRY [%d] = [%d]", k, lista[k]);
      return -1;
    }
  }
  const int32_t stride = ma + 1;
  DWork b;
  if (QvAllocFailed(DAlloc1Dim(&b.p, static_cast<uint32_t>(ndata) + 1))) {
    numerics::ErrorBox("svdfit()/b - CORE ALLOCATION ERROR\n\nSIZE=[%d]", ndata + 1);
    return -1;
  }
  for (int32_t i = 1; i <= ndata; ++i) {
    const double* row = basis + static_cast<int64_t>(i) * stride;
    double target = y[i];
    for (int32_t j = mfit + 1; j <= ma; ++j) target -= a[lista[j]] * row[lista[j]];
    const double t = 1.0 / sig[i];
    for (int32_t k = 1; k <= mfit; ++k) u[i][k] = row[lista[k]] * t;
    b.p[i] = target * t;
  }
  if (svdcmp(u, ndata, mfit, w, v) != 1) return -1;
  double wmax = 0.0;
  for (int32_t j = 1; j <= mfit; ++j)
    if (w[j] > wmax) wmax = w[j];
  const double thresh = 1.0e-20 * wmax;
  for (int32_t j = 1; j <= mfit; ++j)
    if (w[j] < thresh) w[j] = 0.0;
  if (svbksb(u, w, v, ndata, mfit, b.p, a, lista) != 1) return -1;
  double sum = 0.0;
  for (int32_t i = 1; i <= ndata; ++i) {
    const double* row = basis + static_cast<int64_t>(i) * stride;
    double model = 0.0;
    for (int32_t j = 1; j <= ma; ++j) model += a[j] * row[j];
    const double r = (y[i] - model) / sig[i];
    sum += r * r;
  }
  *chisq = sum;
  return 1;
}

int16_t svdcmp(double** a, int32_t m, int32_t n, double* w, double** v) {
  if (n < 1 || m < n) {
    numerics::ErrorBox("svdcmp()\n\nAUGMENT MATRIX A MUST BE AUGMENTED WITH EXTRA ZERO ROWS");
    return -1;
  }
  DWork work;
  if (QvAllocFailed(DAlloc1Dim(&work.p, static_cast<uint32_t>(n) + 1))) {
    numerics::AllocErrorBox("svdcmp()/rv1");
    return -1;
  }
  double* rv1 = work.p;
  int32_t l = 1;
  double g = 0.0, scale = 0.0, anorm = 0.0, s = 0.0, f = 0.0, h = 0.0;
  // Householder reduction to bidiagonal form.
  for (int32_t i = 1; i <= n; ++i) {
    l = i + 1;
    rv1[i] = scale * g;
    g = s = scale = 0.0;
    for (int32_t k = i; k <= m; ++k) scale += std::fabs(a[k][i]);
    if (scale != 0.0) {
      for (int32_t k = i; k <= m; ++k) {
        a[k][i] /= scale;
        s += a[k][i] * a[k][i];
      }
      f = a[i][i];
      g = -Sign(std::sqrt(s), f);
      h = f * g - s;
      a[i][i] = f - g;
      for (int32_t j = l; j <= n; ++j) {
        s = 0.0;
        for (int32_t k = i; k <= m; ++k) s += a[k][i] * a[k][j];
        f = s / h;
        for (int32_t k = i; k <= m; ++k) a[k][j] += f * a[k][i];
      }
      for (int32_t k = i; k <= m; ++k) a[k][i] *= scale;
    }
    w[i] = scale * g;
    g = s = scale = 0.0;
    if (i != n) {
      for (int32_t k = l; k <= n; ++k) scale += std::fabs(a[i][k]);
      if (scale != 0.0) {
        for (int32_t k = l; k <= n; ++k) {
          a[i][k] /= scale;
          s += a[i][k] * a[i][k];
        }
        f = a[i][l];
        g = -Sign(std::sqrt(s), f);
        h = f * g - s;
        a[i][l] = f - g;
        for (int32_t k = l; k <= n; ++k) rv1[k] = a[i][k] / h;
        for (int32_t j = l; j <= m; ++j) {
          s = 0.0;
          for (int32_t k = l; k <= n; ++k) s += a[j][k] * a[i][k];
          for (int32_t k = l; k <= n; ++k) a[j][k] += s * rv1[k];
        }
        for (int32_t k = l; k <= n; ++k) a[i][k] *= scale;
      }
    }
    anorm = std::fmax(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
  }
  // Accumulation of the right-hand transformations.
  for (int32_t i = n; i >= 1; --i) {
    if (i < n) {
      if (g != 0.0) {
        for (int32_t j = l; j <= n; ++j) v[j][i] = (a[i][j] / a[i][l]) / g;
        for (int32_t j = l; j <= n; ++j) {
          s = 0.0;
          for (int32_t k = l; k <= n; ++k) s += a[i][k] * v[k][j];
          for (int32_t k = l; k <= n; ++k) v[k][j] += s * v[k][i];
        }
      }
      for (int32_t j = l; j <= n; ++j) v[i][j] = v[j][i] = 0.0;
    }
    v[i][i] = 1.0;
    g = rv1[i];
    l = i;
  }
  // Accumulation of the left-hand transformations.
  for (int32_t i = n; i >= 1; --i) {
    l = i + 1;
    g = w[i];
    for (int32_t j = l; j <= n; ++j) a[i][j] = 0.0;
    if (g != 0.0) {
      g = 1.0 / g;
      for (int32_t j = l; j <= n; ++j) {
        s = 0.0;
        for (int32_t k = l; k <= m; ++k) s += a[k][i] * a[k][j];
        f = (s / a[i][i]) * g;
        for (int32_t k = i; k <= m; ++k) a[k][j] += f * a[k][i];
      }
      for (int32_t j = i; j <= m; ++j) a[j][i] *= g;
    } else {
      for (int32_t j = i; j <= m; ++j) a[j][i] = 0.0;
    }
    ++a[i][i];
  }
  // Diagonalisation of the bidiagonal form.
  for (int32_t k = n; k >= 1; --k) {
    for (int32_t its = 1; its <= 30; ++its) {
      bool flag = true;
      int32_t nm = 0;
      for (l = k; l >= 1; --l) {
        nm = l - 1;
        if (std::fabs(rv1[l]) + anorm == anorm) {  // rv1[1] is always zero
          flag = false;
          break;
        }
        if (std::fabs(w[nm]) + anorm == anorm) break;
      }
      double c = 0.0, x = 0.0, y = 0.0, z = 0.0;
      if (flag) {
        c = 0.0;
        s = 1.0;
        for (int32_t i = l; i <= k; ++i) {
          f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (std::fabs(f) + anorm == anorm) break;
          g = w[i];
          h = std::hypot(f, g);
          w[i] = h;
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          for (int32_t j = 1; j <= m; ++j) {
            y = a[j][nm];
            z = a[j][i];
            a[j][nm] = y * c + z * s;
            a[j][i] = z * c - y * s;
          }
        }
      }
      z = w[k];
      if (l == k) {
        if (z < 0.0) {
          w[k] = -z;
          for (int32_t j = 1; j <= n; ++j) v[j][k] = -v[j][k];
        }
        break;
      }
      if (its == 30) {
        numerics::ErrorBox("svdcmp()\n\nNO CONVERGENCE IN 30 ITERATIONS");
        return -1;
      }
      x = w[l];
      nm = k - 1;
      y = w[nm];
      g = rv1[nm];
      h = rv1[k];
      f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = std::hypot(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + Sign(g, f))) - h)) / x;
      c = s = 1.0;
      for (int32_t j = l; j <= nm; ++j) {
        const int32_t i = j + 1;
        g = rv1[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = std::hypot(f, h);
        rv1[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        for (int32_t jj = 1; jj <= n; ++jj) {
          x = v[jj][j];
          z = v[jj][i];
          v[jj][j] = x * c + z * s;
          v[jj][i] = z * c - x * s;
        }
        z = std::hypot(f, h);
        w[j] = z;
        if (z != 0.0) {
          z = 1.0 / z;
          c = f * z;
          s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        for (int32_t jj = 1; jj <= m; ++jj) {
          y = a[jj][j];
          z = a[jj][i];
          a[jj][j] = y * c + z * s;
          a[jj][i] = z * c - y * s;
        }
      }
      rv1[l] = 0.0;
      rv1[k] = f;
      w[k] = x;
    }
  }
  return 1;
}

int16_t svbksb(double** u, const double* w, double** v, int32_t m, int32_t n, const double* b, double* a,
               const int32_t* lista) {
  if (n < 1 || m < 1) {
    numerics::ErrorBox("svbksb()\n\nBAD SIZES M=[%d] N=[%d]", m, n);
    return -1;
  }
  DWork tmp;
  if (QvAllocFailed(DAlloc1Dim(&tmp.p, static_cast<uint32_t>(n) + 1))) {
    numerics::AllocErrorBox("svbksb()/tmp");
    return -1;
  }
  for (int32_t j = 1; j <= n; ++j) {
    double s = 0.0;
    if (w[j] != 0.0) {
      for (int32_t i = 1; i <= m; ++i) s += u[i][j] * b[i];
      s /= w[j];
    }
    tmp.p[j] = s;
  }
  for (int32_t j = 1; j <= n; ++j) {
    double s = 0.0;
    for (int32_t jj = 1; jj <= n; ++jj) s += v[j][jj] * tmp.p[jj];
    a[lista[j]] = s;
  }
  return 1;
}

int16_t svdvar(double** v, int32_t ma, const double* w, double** cvm) {
  if (ma < 1) {
    numerics::ErrorBox("svdvar()\n\nBAD SIZE MA=[%d]", ma);
    return -1;
  }
  DWork wti;
  if (QvAllocFailed(DAlloc1Dim(&wti.p, static_cast<uint32_t>(ma) + 1))) {
    numerics::AllocErrorBox("svdvar()/wti");
    return -1;
  }
  for (int32_t i = 1; i <= ma; ++i) wti.p[i] = w[i] != 0.0 ? 1.0 / (w[i] * w[i]) : 0.0;
  for (int32_t i = 1; i <= ma; ++i) {
    for (int32_t j = 1; j <= i; ++j) {
      double sum = 0.0;
      for (int32_t k = 1; k <= ma; ++k) sum += v[i][k] * v[j][k] * wti.p[k];
      cvm[j][i] = cvm[i][j] = sum;
    }
  }
  return 1;
}

int16_t gaussj(double** a, int32_t n, double** b, int32_t m) {
  if (n < 1 || m < 0) {
    numerics::ErrorBox("gaussj()\n\nBAD SIZES N=[%d] M=[%d]", n, m);
    return -1;
  }
  // Work vectors per call: fits in several workers may solve at the same time.
  IWork indxc, indxr, ipiv;
  const uint32_t size = static_cast<uint32_t>(n) + 1;
  if (QvAllocFailed(IAlloc1Dim(&indxc.p, size))) {
    numerics::AllocErrorBox("gaussj()/indxc");
    return -1;
  }
  if (QvAllocFailed(IAlloc1Dim(&indxr.p, size))) {
    numerics::AllocErrorBox("gaussj()/indxr");
    return -1;
  }
  if (QvAllocFailed(IAlloc1Dim(&ipiv.p, size))) {
    numerics::AllocErrorBox("gaussj()/ipiv");
    return -1;
  }
  for (int32_t j = 1; j <= n; ++j) ipiv.p[j] = 0;
  for (int32_t i = 1; i <= n; ++i) {
    double big = 0.0;
    int32_t irow = 0, icol = 0;
    for (int32_t j = 1; j <= n; ++j) {
      if (ipiv.p[j] == 1) continue;
      for (int32_t k = 1; k <= n; ++k) {
        if (ipiv.p[k] == 0) {
          if (std::fabs(a[j][k]) >= big) {
            big = std::fabs(a[j][k]);
            irow = j;
            icol = k;
          }
        } else if (ipiv.p[k] > 1) {
          numerics::ErrorBox("gaussj()\n\nSINGULAR MATRIX (1)\n\nPRM=[%d] OF [%d]", k, n);
          return -1;
        }
      }
    }
    // No pivot at all (only NaN left) counts as a zero pivot.
    if (icol == 0 || a[irow][icol] == 0.0 || !std::isfinite(a[irow][icol])) {
      numerics::ErrorBox("gaussj()\n\nSINGULAR MATRIX (2)\n\nPRM=[%d] OF [%d]", icol == 0 ? i : icol, n);
      return -1;
    }
    ++ipiv.p[icol];
    if (irow != icol) {
      for (int32_t l = 1; l <= n; ++l) std::swap(a[irow][l], a[icol][l]);
      for (int32_t l = 1; l <= m; ++l) std::swap(b[irow][l], b[icol][l]);
    }
    indxr.p[i] = irow;
    indxc.p[i] = icol;
    const double pivinv = 1.0 / a[icol][icol];
    a[icol][icol] = 1.0;
    for (int32_t l = 1; l <= n; ++l) a[icol][l] *= pivinv;
    for (int32_t l = 1; l <= m; ++l) b[icol][l] *= pivinv;
    for (int32_t ll = 1; ll <= n; ++ll) {
      if (ll == icol) continue;
      const double dum = a[ll][icol];
      a[ll][icol] = 0.0;
      for (int32_t l = 1; l <= n; ++l) a[ll][l] -= a[icol][l] * dum;
      for (int32_t l = 1; l <= m; ++l) b[ll][l] -= b[icol][l] * dum;
    }
  }
  for (int32_t l = n; l >= 1; --l) {
    if (indxr.p[l] != indxc.p[l])
      for (int32_t k = 1; k <= n; ++k) std::swap(a[k][indxr.p[l]], a[k][indxc.p[l]]);
  }
  return 1;
}
