// SPDX-License-Identifier: GPL-3.0-or-later
#include "least_squares.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

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
void reportSingular(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}  // namespace

bool solveLinearSystem(NormalMatrix& a, NormalVector beta, int m, NormalVector& solution) {
    if (m < 1 || m > kMaxUnknowns) throw std::out_of_range("solveLinearSystem: 1 to 3 unknowns");
    NormalVector rhs = beta;
    std::array<int, kMaxUnknowns> pivotCount{};
    std::array<int, kMaxUnknowns> pivotRowOf{}, pivotColumnOf{};
    int row = 0, column = 0;
    bool havePivot = false;

    for (int s = 0; s < m; ++s) {
        // Pivot search: the largest element in the rows and columns that have
        // not served as pivots; the first of equal magnitudes wins.
        double best = 0;
        bool found = false;
        for (int j = 0; j < m; ++j) {
            if (pivotCount[j] == 1) continue;
            for (int k = 0; k < m; ++k) {
                if (pivotCount[k] > 1) {
                    reportSingular("ERROR : MATRIX SINGULAR");
                    return true;
                }
                if (pivotCount[k] == 0 && std::fabs(a[j][k]) > best) {
                    best = std::fabs(a[j][k]);
                    row = j;
                    column = k;
                    found = true;
                }
            }
        }
        // With no element left, the previous pivot serves again and its
        // column's count reaches 2, which the next search or the final check
        // reports. A matrix that is zero at the first step has none to reuse.
        if (!found && !havePivot) {
            reportSingular("ERROR : MATRIX SINGULAR");
            return true;
        }
        havePivot = true;
        ++pivotCount[column];
        pivotRowOf[s] = row;
        pivotColumnOf[s] = column;
        if (row != column) {
            std::swap(a[row], a[column]);
            std::swap(rhs[row], rhs[column]);
        }
        const int q = column;
        const double p = a[q][q];
        a[q][q] = 1;
        for (int l = 0; l < m; ++l) a[q][l] /= p;
        rhs[q] /= p;
        for (int r = 0; r < m; ++r) {
            if (r == q) continue;
            const double d = a[r][q];
            a[r][q] = 0;
            for (int l = 0; l < m; ++l) a[r][l] -= a[q][l] * d;
            rhs[r] -= rhs[q] * d;
        }
    }

    // Undo the row exchanges on the columns of the inverse, last first.
    for (int s = m - 1; s >= 0; --s)
        if (pivotRowOf[s] != pivotColumnOf[s])
            for (int r = 0; r < m; ++r) std::swap(a[r][pivotRowOf[s]], a[r][pivotColumnOf[s]]);

    for (int k = 0; k < m; ++k)
        if (pivotCount[k] != 1) {
            reportSingular("ERROR: MATRIX SINGULAR");
            return true;
        }
    for (int k = 0; k < m; ++k) solution[k] = rhs[k];
    return false;
}

namespace {

template <typename Basis>
void fit(std::span<const double> x, std::span<const double> y, NormalVector& c, std::span<double> residual,
         Basis basisOf) {
    const std::size_t n = x.size();
    if (n > kMaxFitPoints || y.size() != n || residual.size() != n)
        throw std::out_of_range("fit: x, y and residual of one size, at most 41 points");
    std::array<BasisRow, kMaxFitPoints> rows{};
    for (std::size_t i = 0; i < n; ++i) rows[i] = basisOf(x[i]);
    NormalMatrix alpha{};
    NormalVector beta{};
    buildNormalEquations(std::span<const BasisRow>(rows.data(), n), y, kMaxUnknowns, alpha, beta);
    solveLinearSystem(alpha, beta, kMaxUnknowns, c);  // a singular system keeps the previous coefficients
    for (std::size_t i = 0; i < n; ++i) {
        const double fitted = c[0] * rows[i][0] + c[1] * rows[i][1] + c[2] * rows[i][2];
        residual[i] = fitted - y[i];
    }
}

}  // namespace

void fitParabola(std::span<const double> x, std::span<const double> y, NormalVector& coefficients,
                 std::span<double> residual) {
    fit(x, y, coefficients, residual, [](double v) { return BasisRow{1, v, v * v}; });
}

void fitEvenConic(std::span<const double> x, std::span<const double> y, NormalVector& coefficients,
                  std::span<double> residual) {
    fit(x, y, coefficients, residual, [](double v) { return BasisRow{1, v * v, v * v * v * v}; });
}

}  // namespace sg
