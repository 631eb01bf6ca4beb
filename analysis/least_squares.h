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

// How an elimination with full pivoting finds a matrix singular: by the
// pivot search, running out of nonzero pivots before the last step (rank
// m - 2 or less, the zero matrix included), or by the final check of the
// last pivot (rank m - 1 of m >= 2).
enum class Singularity { None, FoundByPivotSearch, FoundByFinalCheck };

// The solver's line for a singular matrix: "ERROR : MATRIX SINGULAR" (the
// pivot search) or "ERROR: MATRIX SINGULAR" (the final check); "" for None.
const char* singularityMessage(Singularity s);

// Solves alpha x = beta by an LU decomposition with full pivoting and
// leaves the inverse of alpha in alpha; returns None. A singular matrix
// returns how it was found and leaves `solution` and alpha as they were.
Singularity solveLinearSystem(NormalMatrix& alpha, NormalVector beta, int m, NormalVector& solution);

// c1 + c2 x + c3 x^2: a parabola with piston and tilt. Fills `coefficients`
// (left as it was when the system is singular) and residual[i] = fitted
// minus y[i]. x, y and residual hold the same number of points, at most 41.
Singularity fitParabola(std::span<const double> x, std::span<const double> y, NormalVector& coefficients,
                        std::span<double> residual);

// c1 + c2 x^2 + c3 x^4: piston, focus and the fourth-order term of a conic.
Singularity fitEvenConic(std::span<const double> x, std::span<const double> y, NormalVector& coefficients,
                         std::span<double> residual);

}  // namespace sg
