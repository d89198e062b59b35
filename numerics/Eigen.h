// Eigenvalues and eigenvectors of real symmetric matrices: Householder reduction to
// tridiagonal form (TRED2) and the implicit QL algorithm (TQL2), in the EISPACK
// calling form the models use. Every argument is passed by address; matrices are
// stored by columns with leading dimension nm (element (i, j) at (j - 1) * nm + i - 1);
// vectors are 0-based of length n. Both keep everything on the stack, so they may
// run in several threads at once.
#pragma once

#include <cstdint>

// |a| with the sign of b (b = 0 counts as positive).
double DSign(double a, double b);

// Reduces the symmetric matrix a (lower triangle used, left unchanged) to tridiagonal
// form: d the diagonal, e[1..n-1] the subdiagonal with e[0] = 0, z the orthogonal
// transformation. Returns 0.
int32_t TRED2(int32_t* nm, int32_t* n, double* a, double* d, double* e, double* z);

// Eigenvalues (ascending, into d) and eigenvectors (column j of z for d[j]) of the
// tridiagonal matrix from TRED2 (z holding its transformation, or the identity).
// ierr = 0 on success, else the 1-based index l of the eigenvalue that did not
// converge in 30 iterations (eigenvalues 1..l-1 correct but unordered). Returns 0.
int32_t TQL2(int32_t* nm, int32_t* n, double* d, double* e, double* z, int32_t* ierr);
