#include "numerics/Eigen.h"

#include <cmath>
#include <cstddef>

double DSign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

namespace {

// Column-major view of a matrix with leading dimension nm.
struct ColMajor {
  double* p;
  int32_t nm;
  double& operator()(int32_t i, int32_t j) const {
    return p[static_cast<ptrdiff_t>(j) * nm + i];
  }
};

}  // namespace

int32_t TRED2(int32_t* nmp, int32_t* np, double* a, double* d, double* e, double* z) {
  const int32_t nm = *nmp;
  const int32_t n = *np;
  if (n < 1 || nm < n) return 0;
  const ColMajor A{a, nm};
  const ColMajor V{z, nm};
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j <= i; ++j) V(i, j) = V(j, i) = A(i, j);

  for (int32_t j = 0; j < n; ++j) d[j] = V(n - 1, j);
  for (int32_t i = n - 1; i > 0; --i) {
    double scale = 0.0;
    double h = 0.0;
    // Row 1 (one element left of the diagonal) is already tridiagonal: it is taken
    // as it stands, without a reflection, which would only flip its sign.
    if (i >= 2)
      for (int32_t k = 0; k < i; ++k) scale += std::fabs(d[k]);
    if (scale == 0.0) {
      e[i] = d[i - 1];
      for (int32_t j = 0; j < i; ++j) {
        d[j] = V(i - 1, j);
        V(i, j) = 0.0;
        V(j, i) = 0.0;
      }
    } else {
      for (int32_t k = 0; k < i; ++k) {
        d[k] /= scale;
        h += d[k] * d[k];
      }
      double f = d[i - 1];
      double g = -DSign(std::sqrt(h), f);
      e[i] = scale * g;
      h -= f * g;
      d[i - 1] = f - g;
      for (int32_t j = 0; j < i; ++j) e[j] = 0.0;
      for (int32_t j = 0; j < i; ++j) {
        f = d[j];
        V(j, i) = f;
        g = e[j] + V(j, j) * f;
        for (int32_t k = j + 1; k <= i - 1; ++k) {
          g += V(k, j) * d[k];
          e[k] += V(k, j) * f;
        }
        e[j] = g;
      }
      f = 0.0;
      for (int32_t j = 0; j < i; ++j) {
        e[j] /= h;
        f += e[j] * d[j];
      }
      const double hh = f / (h + h);
      for (int32_t j = 0; j < i; ++j) e[j] -= hh * d[j];
      for (int32_t j = 0; j < i; ++j) {
        f = d[j];
        g = e[j];
        for (int32_t k = j; k <= i - 1; ++k) V(k, j) = V(k, j) - f * e[k] - g * d[k];
        d[j] = V(i - 1, j);
        V(i, j) = 0.0;
      }
    }
    d[i] = h;
  }
  // Accumulate the transformations.
  for (int32_t i = 0; i < n - 1; ++i) {
    V(n - 1, i) = V(i, i);
    V(i, i) = 1.0;
    const double h = d[i + 1];
    if (h != 0.0) {
      for (int32_t k = 0; k <= i; ++k) d[k] = V(k, i + 1) / h;
      for (int32_t j = 0; j <= i; ++j) {
        double g = 0.0;
        for (int32_t k = 0; k <= i; ++k) g += V(k, i + 1) * V(k, j);
        for (int32_t k = 0; k <= i; ++k) V(k, j) -= g * d[k];
      }
    }
    for (int32_t k = 0; k <= i; ++k) V(k, i + 1) = 0.0;
  }
  for (int32_t j = 0; j < n; ++j) {
    d[j] = V(n - 1, j);
    V(n - 1, j) = 0.0;
  }
  V(n - 1, n - 1) = 1.0;
  e[0] = 0.0;
  return 0;
}

int32_t TQL2(int32_t* nmp, int32_t* np, double* d, double* e, double* z, int32_t* ierr) {
  const int32_t nm = *nmp;
  const int32_t n = *np;
  *ierr = 0;
  if (n < 1 || nm < n) return 0;
  if (n == 1) return 0;
  const ColMajor V{z, nm};
  for (int32_t i = 1; i < n; ++i) e[i - 1] = e[i];
  e[n - 1] = 0.0;

  double f = 0.0;
  double tst1 = 0.0;
  for (int32_t l = 0; l < n; ++l) {
    tst1 = std::fmax(tst1, std::fabs(d[l]) + std::fabs(e[l]));
    // Look for a small subdiagonal element; e[n - 1] is zero, so m stops there.
    int32_t m = l;
    while (m < n - 1 && tst1 + std::fabs(e[m]) != tst1) ++m;
    if (m > l) {
      int32_t iter = 0;
      do {
        if (iter == 30) {
          *ierr = l + 1;
          return 0;
        }
        ++iter;
        // Form the shift.
        double g = d[l];
        double p = (d[l + 1] - g) / (2.0 * e[l]);
        double r = DSign(std::hypot(p, 1.0), p);
        d[l] = e[l] / (p + r);
        d[l + 1] = e[l] * (p + r);
        const double dl1 = d[l + 1];
        double h = g - d[l];
        for (int32_t i = l + 2; i < n; ++i) d[i] -= h;
        f += h;
        // QL transformation.
        p = d[m];
        double c = 1.0, c2 = 1.0, c3 = 1.0;
        const double el1 = e[l + 1];
        double s = 0.0, s2 = 0.0;
        for (int32_t i = m - 1; i >= l; --i) {
          c3 = c2;
          c2 = c;
          s2 = s;
          g = c * e[i];
          h = c * p;
          r = std::hypot(p, e[i]);
          e[i + 1] = s * r;
          s = e[i] / r;
          c = p / r;
          p = c * d[i] - s * g;
          d[i + 1] = h + s * (c * g + s * d[i]);
          for (int32_t k = 0; k < n; ++k) {
            h = V(k, i + 1);
            V(k, i + 1) = s * V(k, i) + c * h;
            V(k, i) = c * V(k, i) - s * h;
          }
        }
        p = -s * s2 * c3 * el1 * e[l] / dl1;
        e[l] = s * p;
        d[l] = c * p;
      } while (tst1 + std::fabs(e[l]) > tst1);
    }
    d[l] += f;
    e[l] = 0.0;
  }
  // Order the eigenvalues and eigenvectors.
  for (int32_t i = 0; i < n - 1; ++i) {
    int32_t k = i;
    double p = d[i];
    for (int32_t j = i + 1; j < n; ++j) {
      if (d[j] < p) {
        k = j;
        p = d[j];
      }
    }
    if (k != i) {
      d[k] = d[i];
      d[i] = p;
      for (int32_t j = 0; j < n; ++j) {
        const double t = V(j, i);
        V(j, i) = V(j, k);
        V(j, k) = t;
      }
    }
  }
  return 0;
}
