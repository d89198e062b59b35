// Dense linear algebra for the fits, in the 1-based textbook forms: singular value
// decomposition with back-substitution and covariance, linear least squares by SVD
// over a chosen subset of parameters, and Gauss-Jordan elimination.
//
// Vectors are double arrays addressed 1..n (element 0 unused); matrices are row
// pointer arrays from DAlloc2Dim addressed [1..rows][1..cols]. A parameter list
// lista (1..ma) names the fitted parameters first (1..mfit), then the held ones.
// Every routine returns 1 on success and -1 on failure, after an "Error" box.
// None keeps state between calls, so fits in different threads may use them at once.
#pragma once

#include <cstdint>

// Linear least squares of y against ma basis functions by SVD, fitting the listed
// parameters a[lista[1..mfit]] while the held ones keep their values. basis holds
// function j at point i at basis[i * (ma + 1) + j] (i = 1..ndata, j = 1..ma).
// u needs [1..ndata][1..mfit], v [1..mfit][1..mfit], w [1..mfit].
int16_t svdfit(int32_t tag, const double* y, int32_t ndata, double* a, int32_t ma, const int32_t* lista,
               int32_t mfit, double** u, double** v, double* w, double* chisq, const double* basis,
               const double* sig);

// a[1..m][1..n] = U W V^T; a is replaced by U. Needs m >= n.
int16_t svdcmp(double** a, int32_t m, int32_t n, double* w, double** v);

// Solves U W V^T x = b for x (zero singular values contribute nothing) and writes
// x[k] into a[lista[k]], k = 1..n.
int16_t svbksb(double** u, const double* w, double** v, int32_t m, int32_t n, const double* b, double* a,
               const int32_t* lista);

// Covariance cvm[1..ma][1..ma] = V W^-2 V^T (zero singular values contribute nothing).
int16_t svdvar(double** v, int32_t ma, const double* w, double** cvm);

// Gauss-Jordan elimination with full pivoting: a[1..n][1..n] is replaced by its
// inverse and b[1..n][1..m] by the solutions.
int16_t gaussj(double** a, int32_t n, double** b, int32_t m);
