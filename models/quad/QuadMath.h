// Angular-momentum factors of the first-order quadrupole hyperfine pattern. Angular
// momenta are passed doubled (2J, 2I, 2F) so that half-integral values stay exact.
#pragma once

namespace quadmath {

// The 6j symbol {j1 j2 j3; j4 j5 j6} by Racah's formula, each argument twice its value;
// 0 when a triad is not a triangle with an integral sum.
double SixJ(int twoJ1, int twoJ2, int twoJ3, int twoJ4, int twoJ5, int twoJ6);

// Casimir function Y(J, I, F) = [3/4 C(C+1) - I(I+1) J(J+1)] / [2I(2I-1)(2J-1)(2J+3)]
// with C = F(F+1) - I(I+1) - J(J+1); 0 for I < 1 or J < 1, which have no quadrupole
// energy.
double Casimir(double J, double I, double F);

}  // namespace quadmath
