// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small linear least-squares kit: normal equations of an unweighted fit
// with up to three basis functions, their solution by an LU decomposition
// with full pivoting, and the two fits the surface analysis uses. Fixed
// sizes, no allocation, no state between calls.

#include <array>
#include <span>

namespace sg {

inline constexpr int kMaxUnknowns = 3;
inline constexpr int kMaxFitPoints = 41;

// Row-major; element [k][j] is row k + 1, column j + 1 of the matrix.
using NormalMatrix = std::array<std::array<double, kMaxUnknowns>, kMaxUnknowns>;
using NormalVector = std::array<double, kMaxUnknowns>;
using BasisRow = std::array<double, kMaxUnknowns>;  // f1, f2, f3 at one point

// alpha[k][j] = sum over the points of f_j f_k, beta[k] = sum of y f_k, for
// k, j < m, summed in point order.
void buildNormalEquations(std::span<const BasisRow> basis, std::span<const double> y, int m, NormalMatrix& alpha,
                          NormalVector& beta);

// Solves alpha x = beta by an LU decomposition with full pivoting and
// leaves the inverse of alpha in alpha; returns false. A matrix whose
// elimination runs out of nonzero pivots is singular: it writes
// "ERROR: MATRIX SINGULAR" to standard output when only the last pivot is
// missing (rank m - 1 of m >= 2), "ERROR : MATRIX SINGULAR" otherwise
// (rank m - 2 or less, the zero matrix included), returns true and leaves
// `solution` and alpha as they were.
bool solveLinearSystem(NormalMatrix& alpha, NormalVector beta, int m, NormalVector& solution);

// c1 + c2 x + c3 x^2: a parabola with piston and tilt. Fills `coefficients`
// (left as it was when the system is singular) and residual[i] = fitted
// minus y[i]. x, y and residual hold the same number of points, at most 41.
void fitParabola(std::span<const double> x, std::span<const double> y, NormalVector& coefficients,
                 std::span<double> residual);

// c1 + c2 x^2 + c3 x^4: piston, focus and the fourth-order term of a conic.
void fitEvenConic(std::span<const double> x, std::span<const double> y, NormalVector& coefficients,
                  std::span<double> residual);

}  // namespace sg
