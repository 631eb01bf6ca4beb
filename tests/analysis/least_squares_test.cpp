// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/least_squares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace sg {
namespace {

std::vector<double> samplesAcross() {
    std::vector<double> x;
    for (int i = -20; i <= 20; ++i) x.push_back(5.0 * i);  // -100, -95, ..., 100
    return x;
}

TEST(LeastSquares, ExactParabolaIsFittedExactly) {
    const std::vector<double> x = samplesAcross();
    std::vector<double> y, residual(x.size());
    for (double v : x) y.push_back(5 + v * v / 4000);
    NormalVector c{};
    fitParabola(x, y, c, residual);
    EXPECT_NEAR(c[0], 5, 1e-12);
    EXPECT_NEAR(c[1], 0, 1e-15);
    EXPECT_NEAR(c[2], 1.0 / 4000, 1e-17);
    for (double r : residual) EXPECT_NEAR(r, 0, 1e-12);
}

TEST(LeastSquares, FourthOrderSphere) {
    const std::vector<double> x = samplesAcross();
    std::vector<double> y, residual(x.size());
    for (double v : x) y.push_back(v * v / 4000 + v * v * v * v / (8 * 2000.0 * 2000 * 2000));

    NormalVector conic{};
    fitEvenConic(x, y, conic, residual);
    EXPECT_NEAR(conic[0], 0, 1e-13);
    EXPECT_NEAR(conic[1], 1.0 / 4000, 1e-17);
    // The x^4 column makes the normal matrix ill-conditioned: rounding to 1e-9 relative.
    EXPECT_NEAR(conic[2], 1 / (8 * 2000.0 * 2000 * 2000), 1.5625e-11 * 1e-9);
    for (double r : residual) EXPECT_NEAR(r, 0, 1e-12);

    // A parabola cannot follow the fourth-order term: residuals remain,
    // symmetric about the centre, and the fit has no tilt.
    NormalVector parabola{};
    fitParabola(x, y, parabola, residual);
    EXPECT_NEAR(parabola[1], 0, 1e-15);
    double largest = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_NEAR(residual[i], residual[x.size() - 1 - i], 1e-12) << "x " << x[i];
        largest = std::max(largest, std::fabs(residual[i]));
    }
    EXPECT_GT(largest, 1e-5);
}

// Solves a copy and checks alpha x = beta and inverse * original = I.
void expectSolvedWithInverse(const NormalMatrix& original, const NormalVector& beta) {
    NormalMatrix inverse = original;
    NormalVector x{};
    EXPECT_EQ(solveLinearSystem(inverse, beta, 3, x), Singularity::None);
    for (int r = 0; r < 3; ++r) {
        double ax = 0;
        for (int k = 0; k < 3; ++k) ax += original[r][k] * x[k];
        EXPECT_NEAR(ax, beta[r], 1e-12) << "row " << r;
        for (int col = 0; col < 3; ++col) {
            double product = 0;
            for (int k = 0; k < 3; ++k) product += inverse[r][k] * original[k][col];
            EXPECT_NEAR(product, r == col ? 1 : 0, 1e-12) << r << "," << col;
        }
    }
}

TEST(LeastSquares, InverseIsLeftInPlace) {
    expectSolvedWithInverse({{{4, 1, 2}, {1, 5, 3}, {2, 3, 6}}}, {1, 2, 3});
    expectSolvedWithInverse({{{0, 2, 0}, {3, 0, 0}, {0, 0, 1}}}, {4, 9, -2});  // pivots off the diagonal
    expectSolvedWithInverse({{{1, 2, 3}, {0, 1, 4}, {5, 6, 0}}}, {-1, 0.5, 2});
    expectSolvedWithInverse({{{0, 0, 7}, {0, -2, 1}, {3, 1, 1}}}, {7, -1, 5});
}

struct SingularCase {
    NormalMatrix alpha;
    const char* message;
};

TEST(LeastSquares, SingularMatricesAreReportedAndLeaveTheSolution) {
    const SingularCase cases[] = {
        {{{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}}, "ERROR : MATRIX SINGULAR\n"},   // rank one
        {{{{41, 0, 0}, {0, 0, 0}, {0, 0, 0}}}, "ERROR : MATRIX SINGULAR\n"},  // every x zero
        {{{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}, "ERROR : MATRIX SINGULAR\n"},   // nothing to pivot on
        {{{{1, 0, 0}, {0, 1, 0}, {0, 0, 0}}}, "ERROR: MATRIX SINGULAR\n"},    // found by the final check
    };
    for (const SingularCase& c : cases) {
        NormalMatrix alpha = c.alpha;
        NormalVector solution{7, 8, 9};
        EXPECT_EQ(singularityMessage(solveLinearSystem(alpha, {1, 2, 3}, 3, solution)) + std::string("\n"),
                  c.message);
        EXPECT_EQ(solution, (NormalVector{7, 8, 9}));
    }
}

TEST(LeastSquares, AllAbscissaeZeroKeepThePreviousCoefficients) {
    const std::vector<double> x(21, 0.0);
    std::vector<double> y(21), residual(21);
    for (int i = 0; i < 21; ++i) y[i] = i;
    NormalVector c{0.5, 2, 3};
    EXPECT_EQ(fitParabola(x, y, c, residual), Singularity::FoundByPivotSearch);
    EXPECT_EQ(c, (NormalVector{0.5, 2, 3}));
    for (int i = 0; i < 21; ++i) EXPECT_DOUBLE_EQ(residual[i], 0.5 - i);  // from the kept coefficients
}

TEST(LeastSquares, NormalEquationsAreSymmetricSums) {
    const std::vector<BasisRow> basis = {{1, 2, 4}, {1, -1, 1}, {1, 3, 9}};
    const std::vector<double> y = {1, 2, 3};
    NormalMatrix alpha{};
    NormalVector beta{};
    buildNormalEquations(basis, y, 3, alpha, beta);
    EXPECT_EQ(alpha[0][0], 3);
    EXPECT_EQ(alpha[1][2], 8 - 1 + 27);
    EXPECT_EQ(alpha[2][1], alpha[1][2]);
    EXPECT_EQ(alpha[2][2], 16 + 1 + 81);
    EXPECT_EQ(beta[1], 2 - 2 + 9);
}

}  // namespace
}  // namespace sg
