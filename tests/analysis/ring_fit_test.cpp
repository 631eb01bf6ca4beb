// SPDX-License-Identifier: GPL-3.0-or-later
// The ring figure and the conic fitted to it, checked against the figure's
// definition rather than against the fit's own arithmetic.
#include "analysis/least_squares.h"
#include "analysis/ring_conic_fit.h"
#include "analysis/ring_figure.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

namespace sg {
namespace {

// The central selection of a mirror of diameter d: 2 outer + 1 samples
// d / 40 apart, the centre at index outer.
std::vector<double> selection(double d, int outer) {
    std::vector<double> x;
    for (int i = -outer; i <= outer; ++i) x.push_back(i * d / 40);
    return x;
}

double evenConic(const NormalVector& c, double x) { return c[0] + c[1] * x * x + c[2] * x * x * x * x; }

double figureOf(const NormalVector& c, const std::vector<double>& x, const std::vector<double>& y, int inner,
                int outer) {
    std::vector<double> r(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) r[i] = evenConic(c, x[i]) - y[i];
    return ringFigureSum(x, r, inner, outer);
}

double sampleSquares(const NormalVector& c, const std::vector<double>& x, const std::vector<double>& y) {
    double sum = 0;
    for (std::size_t i = 0; i < x.size(); ++i) sum += (evenConic(c, x[i]) - y[i]) * (evenConic(c, x[i]) - y[i]);
    return sum;
}

// A conic of radius 2000 with a symmetric zonal bump: no even conic fits it.
std::vector<double> zonedSurface(const std::vector<double>& x, double bumpAt, double bumpHeight) {
    std::vector<double> y;
    for (double v : x) {
        const double u = (std::fabs(v) - bumpAt) / 12;
        y.push_back(v * v / 4000 + 0.3 * v * v * v * v / (8 * 2000.0 * 2000 * 2000) + bumpHeight * std::exp(-u * u));
    }
    return y;
}

TEST(RingFigure, SumsAreaWeightedMeanResidualsOverTheChosenRings) {
    const std::vector<double> x = selection(200, 20);
    // A constant residual of 1 weighs every ring by its area alone: the
    // figure is the area of the annulus from the inner limit out.
    const std::vector<double> ones(x.size(), 1.0);
    const double pi = std::numbers::pi;
    EXPECT_NEAR(ringFigureSum(x, ones, 0, 20), pi * 100 * 100, 1e-9);
    EXPECT_NEAR(ringFigureSum(x, ones, 8, 20), pi * (100 * 100 - 40 * 40), 1e-9);

    // Each ring takes the mean of its two edges; the left half never counts.
    std::vector<double> r(x.size(), 0.0);
    r[20 + 3] = 2;  // the edge shared by rings 3 and 4
    r[5] = 7;       // on the left half
    const double ring3 = pi * (15.0 * 15 - 10 * 10), ring4 = pi * (20.0 * 20 - 15 * 15);
    EXPECT_NEAR(ringFigureSum(x, r, 0, 20), ring3 + ring4, 1e-9);
    EXPECT_NEAR(ringFigureSum(x, r, 3, 20), ring4, 1e-9);

    EXPECT_THROW(ringFigureSum(x, r, 20, 20), std::out_of_range);
    EXPECT_THROW(ringFigureSum(x, r, 0, 19), std::out_of_range);
}

TEST(RingConicFit, RecoversAnExactEvenConicWhateverTheScaleAndLimits) {
    struct Case {
        double d;
        NormalVector c;
        int inner, outer;
    };
    // Vertex radii from 500 to 20000 mm, mirrors from 50 to 1000 mm, and the
    // narrowest ranges of rings, two of them included.
    const Case cases[] = {
        {200, {0, 1 / 4000.0, 1 / (8 * 2000.0 * 2000 * 2000)}, 0, 20},
        {200, {0.5, 1 / 4800.0, -0.7 / (8 * 2400.0 * 2400 * 2400)}, 3, 15},
        {1000, {-2, 1 / 40000.0, 2.5 / (8 * 20000.0 * 20000 * 20000)}, 0, 20},
        {50, {1e-3, 1 / 1000.0, 1.0 / (8 * 500.0 * 500 * 500)}, 8, 11},
        {200, {0, 1 / 4000.0, 0.0}, 8, 10},
        {300, {0.2, 1 / 6000.0, 1.2 / (8 * 3000.0 * 3000 * 3000)}, 8, 10},
    };
    for (const Case& t : cases) {
        const std::vector<double> x = selection(t.d, t.outer);
        std::vector<double> y, residual(x.size());
        for (double v : x) y.push_back(evenConic(t.c, v));
        NormalVector c{};
        fitEvenConicToRings(x, y, t.inner, t.outer, c, residual);
        // Each term to 1e-12 mm at the edge of the selection.
        const double e2 = x.back() * x.back();
        EXPECT_NEAR(c[0], t.c[0], 1e-12) << t.d << " " << t.inner << " " << t.outer;
        EXPECT_NEAR(c[1], t.c[1], 1e-12 / e2) << t.d << " " << t.inner << " " << t.outer;
        EXPECT_NEAR(c[2], t.c[2], 1e-12 / (e2 * e2)) << t.d << " " << t.inner << " " << t.outer;
        for (double r : residual) EXPECT_NEAR(r, 0, 1e-12);
    }
}

// The fit minimises the ring figure: no other coefficients do better,
// neither the unweighted fits nor small steps away from the result.
TEST(RingConicFit, NoOtherConicHasASmallerFigure) {
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> bumpAt(5, 95), bumpHeight(-3e-4, 3e-4);
    std::uniform_int_distribution<int> innerLimit(0, 8), outerLimit(11, 20);
    for (int trial = 0; trial < 60; ++trial) {
        const int inner = innerLimit(random), outer = outerLimit(random);
        const std::vector<double> x = selection(200, outer);
        const std::vector<double> y = zonedSurface(x, bumpAt(random), bumpHeight(random));
        std::vector<double> residual(x.size());
        NormalVector best{};
        fitEvenConicToRings(x, y, inner, outer, best, residual);
        const double figure = figureOf(best, x, y, inner, outer);
        EXPECT_NEAR(ringFigureSum(x, residual, inner, outer), figure, 1e-9 * figure + 1e-30);

        // The unweighted fit on all the selected samples, and on the ring
        // edges alone.
        NormalVector plain{};
        fitEvenConic(x, y, plain, residual);
        EXPECT_LE(figure, figureOf(plain, x, y, inner, outer)) << trial;
        const std::vector<double> edgeX(x.begin() + outer + inner, x.end());
        const std::vector<double> edgeY(y.begin() + outer + inner, y.end());
        std::vector<double> edgeResidual(edgeX.size());
        fitEvenConic(edgeX, edgeY, plain, edgeResidual);
        EXPECT_LE(figure, figureOf(plain, x, y, inner, outer)) << trial;

        // A step of one part in a thousand of a wave at the edge along any
        // coefficient raises the figure.
        const double edge = x.back();
        const NormalVector steps{5e-7, 5e-7 / (edge * edge), 5e-7 / (edge * edge * edge * edge)};
        for (int k = 0; k < 3; ++k)
            for (double sign : {-1.0, 1.0}) {
                NormalVector moved = best;
                moved[static_cast<std::size_t>(k)] += sign * steps[static_cast<std::size_t>(k)];
                EXPECT_GT(figureOf(moved, x, y, inner, outer), figure) << trial << " coefficient " << k;
            }
    }
}

// Two rings leave one direction free: every conic along it has a figure of
// 0, and the fit takes the one closest to all the samples.
TEST(RingConicFit, TwoRingsTakeTheZeroFigureConicNearestTheSamples) {
    const int inner = 8, outer = 10;
    const std::vector<double> x = selection(200, outer);
    const std::vector<double> y = zonedSurface(x, 30, 2e-4);
    std::vector<double> residual(x.size());
    NormalVector c{};
    fitEvenConicToRings(x, y, inner, outer, c, residual);
    EXPECT_NEAR(ringFigureSum(x, residual, inner, outer), 0, 1e-20);

    // The free direction is normal to both rings' rows: their cross product.
    const auto row = [&](int m) {
        const double a = x[static_cast<std::size_t>(outer + m - 1)], b = x[static_cast<std::size_t>(outer + m)];
        return std::array<double, 3>{1, (a * a + b * b) / 2, (a * a * a * a + b * b * b * b) / 2};
    };
    const auto r9 = row(9), r10 = row(10);
    std::array<double, 3> free{r9[1] * r10[2] - r9[2] * r10[1], r9[2] * r10[0] - r9[0] * r10[2],
                               r9[0] * r10[1] - r9[1] * r10[0]};
    // Scaled so that a step moves the surface by at most about `step` mm within 100 mm of the centre.
    const double toEdge = std::fabs(free[0]) + std::fabs(free[1]) * 1e4 + std::fabs(free[2]) * 1e8;
    const double squares = sampleSquares(c, x, y);
    for (double step : {-1e-6, -1e-8, 1e-8, 1e-6}) {
        NormalVector moved = c;
        for (std::size_t k = 0; k < 3; ++k) moved[k] += step / toEdge * free[k];
        EXPECT_NEAR(figureOf(moved, x, y, inner, outer), 0, 1e-18) << step;
        EXPECT_GT(sampleSquares(moved, x, y), squares) << step;
    }
}

TEST(RingConicFit, RefusesSelectionsItCannotUse) {
    const std::vector<double> x = selection(200, 12), y(x.size(), 0.0);
    std::vector<double> residual(x.size());
    NormalVector c{};
    EXPECT_THROW(fitEvenConicToRings(x, y, 12, 12, c, residual), std::out_of_range);
    EXPECT_THROW(fitEvenConicToRings(x, y, 0, 11, c, residual), std::out_of_range);
    std::vector<double> shortResidual(x.size() - 1);
    EXPECT_THROW(fitEvenConicToRings(x, y, 0, 12, c, shortResidual), std::out_of_range);
}

}  // namespace
}  // namespace sg
