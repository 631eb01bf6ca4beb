// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/least_squares.h"

#include <Eigen/Dense>

#include <stdexcept>

namespace sg {

void buildNormalEquations(std::span<const BasisRow> basis, std::span<const double> y, int m, NormalMatrix& alpha,
                          NormalVector& beta) {
    const std::size_t n = basis.size();
    for (int k = 0; k < m; ++k) {
        for (int j = 0; j <= k; ++j) {
            double sum = 0;
            for (std::size_t i = 0; i < n; ++i) sum += basis[i][j] * basis[i][k];
            alpha[k][j] = sum;
            alpha[j][k] = sum;
        }
        double sum = 0;
        for (std::size_t i = 0; i < n; ++i) sum += y[i] * basis[i][k];
        beta[k] = sum;
    }
}

namespace {

// At most 3 x 3, on the stack.
using Square = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor, kMaxUnknowns, kMaxUnknowns>;
using Column = Eigen::Matrix<double, Eigen::Dynamic, 1, Eigen::ColMajor, kMaxUnknowns, 1>;

}  // namespace

const char* singularityMessage(Singularity s) {
    switch (s) {
    case Singularity::FoundByPivotSearch: return "ERROR : MATRIX SINGULAR";
    case Singularity::FoundByFinalCheck: return "ERROR: MATRIX SINGULAR";
    case Singularity::None: break;
    }
    return "";
}

Singularity solveLinearSystem(NormalMatrix& alpha, NormalVector beta, int m, NormalVector& solution) {
    if (m < 1 || m > kMaxUnknowns) throw std::out_of_range("solveLinearSystem: 1 to 3 unknowns");
    Square a(m, m);
    Column b(m);
    for (int k = 0; k < m; ++k) {
        for (int j = 0; j < m; ++j) a(k, j) = alpha[k][j];
        b(k) = beta[k];
    }
    // Full pivoting takes the largest remaining element at each step and
    // stops at the first step that finds only zeros: the number of nonzero
    // pivots is the rank the elimination sees.
    const Eigen::FullPivLU<Square> lu(a);
    const int rank = static_cast<int>(lu.nonzeroPivots());
    if (rank < m) {
        // Running out of pivots at the last step is found by the final
        // check; at any earlier step, by the pivot search.
        return rank == m - 1 && rank > 0 ? Singularity::FoundByFinalCheck : Singularity::FoundByPivotSearch;
    }
    const Column x = lu.solve(b);
    const Square inverse = lu.inverse();
    for (int k = 0; k < m; ++k) {
        for (int j = 0; j < m; ++j) alpha[k][j] = inverse(k, j);
        solution[k] = x(k);
    }
    return Singularity::None;
}

namespace {

template <typename Basis>
Singularity fit(std::span<const double> x, std::span<const double> y, NormalVector& c, std::span<double> residual,
                Basis basisOf) {
    const std::size_t n = x.size();
    if (n > kMaxFitPoints || y.size() != n || residual.size() != n)
        throw std::out_of_range("fit: x, y and residual of one size, at most 41 points");
    std::array<BasisRow, kMaxFitPoints> rows{};
    for (std::size_t i = 0; i < n; ++i) rows[i] = basisOf(x[i]);
    NormalMatrix alpha{};
    NormalVector beta{};
    buildNormalEquations(std::span<const BasisRow>(rows.data(), n), y, kMaxUnknowns, alpha, beta);
    // A singular system keeps the previous coefficients.
    const Singularity singular = solveLinearSystem(alpha, beta, kMaxUnknowns, c);
    for (std::size_t i = 0; i < n; ++i) {
        const double fitted = c[0] * rows[i][0] + c[1] * rows[i][1] + c[2] * rows[i][2];
        residual[i] = fitted - y[i];
    }
    return singular;
}

}  // namespace

Singularity fitParabola(std::span<const double> x, std::span<const double> y, NormalVector& coefficients,
                        std::span<double> residual) {
    return fit(x, y, coefficients, residual, [](double v) { return BasisRow{1, v, v * v}; });
}

Singularity fitEvenConic(std::span<const double> x, std::span<const double> y, NormalVector& coefficients,
                         std::span<double> residual) {
    return fit(x, y, coefficients, residual, [](double v) { return BasisRow{1, v * v, v * v * v * v}; });
}

}  // namespace sg
