// SPDX-License-Identifier: GPL-3.0-or-later
// The wavefront from zonal aberrations: closed forms for lines, the carried
// end segments, the annulus, and the integrals against a plain numerical
// integration.
#include "reduction/wavefront.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace sg {
namespace {

// Mean, variance and extremes of W over [from, to] by the midpoint rule on
// a fine grid, independently of the Gauss points.
struct Brute {
    double mean = 0, variance = 0, pv = 0;
};
Brute brute(const Wavefront& w, double from, double to) {
    const int n = 200000;
    const double step = (to - from) / n;
    double sum = 0, squares = 0, low = w.at(from), high = low;
    for (int i = 0; i < n; ++i) {
        const double v = w.at(from + (i + 0.5) * step);
        sum += v;
        low = std::min(low, v);
        high = std::max(high, v);
    }
    const double mean = sum / n;
    for (int i = 0; i < n; ++i) {
        const double e = w.at(from + (i + 0.5) * step) - mean;
        squares += e * e;
    }
    low = std::min({low, w.at(from), w.at(to)});
    high = std::max({high, w.at(from), w.at(to)});
    return {mean, squares / n, high - low};
}

TEST(Wavefront, ALineOfAberrationGivesTheQuadraticEverywhere) {
    // delta = a + b u through any zones: the first and last lines carried
    // to the centre and past the edge reproduce it exactly.
    const double R = 2000, a = 3e-3, b = -2e-7, L = 10000;
    const std::vector<double> u = {900, 2500, 4100, 8000};
    std::vector<double> delta;
    for (const double x : u) delta.push_back(a + b * x);
    const Wavefront w(u, delta, R, 0, L);
    auto exact = [&](double x) { return -(a * x + b * x * x / 2) / (R * R); };
    for (const double x : {0.0, 100.0, 900.0, 3000.0, 7999.0, 9500.0, 10000.0, 12100.0}) {
        EXPECT_NEAR(w.at(x), exact(x), 1e-15) << x;
        EXPECT_NEAR(w.deltaAt(x), a + b * x, 1e-15) << x;
    }
    // Its mean and variance over [0, L] in closed form: W = alpha t + beta
    // t^2 with t = u / L has mean alpha/2 + beta/3 and variance
    // (alpha + beta)^2 / 12 + beta^2 / 180.
    const double alpha = -a * L / (R * R), beta = -b * L * L / (2 * R * R);
    EXPECT_NEAR(w.mean(), alpha / 2 + beta / 3, 1e-15);
    EXPECT_NEAR(w.variance(), (alpha + beta) * (alpha + beta) / 12 + beta * beta / 180, 1e-20);
}

TEST(Wavefront, PeakToValleyFindsTheTurnInsideAZone) {
    // delta changes sign half-way: W rises and falls back to 0 at the edge,
    // so the ends alone would give 0.
    const double R = 1000, L = 4;
    const Wavefront w(std::vector<double>{1, 3}, std::vector<double>{-0.5, 0.5}, R, 0, L);
    EXPECT_NEAR(w.at(0), 0, 1e-18);
    EXPECT_NEAR(w.at(L), 0, 1e-18);
    // delta = u / 2 - 1, W = (u - u^2 / 4) / R^2: the top, 1 / R^2, at u = 2.
    EXPECT_NEAR(w.peakToValley(), 1 / (R * R), 1e-15);
    EXPECT_NEAR(w.peakToValley(), brute(w, 0, L).pv, 1e-12);
}

TEST(Wavefront, PiecewiseIntegralsMatchAFineNumericalIntegration) {
    const std::vector<double> u = {100, 1600, 2000, 5200, 7000, 9900};
    const std::vector<double> delta = {0.02, -0.01, 0.015, 0.03, -0.02, 0.01};
    const double R = 1800;
    struct Annulus {
        double from, to;
    };
    // The whole face, an obstruction inside the first zone, one reaching
    // past two zones, and an edge exactly on the last zone.
    for (const Annulus a : {Annulus{0, 10000}, Annulus{50, 10000}, Annulus{1900, 10000}, Annulus{0, 9900}}) {
        SCOPED_TRACE("annulus " + std::to_string(a.from) + " to " + std::to_string(a.to));
        const Wavefront w(u, delta, R, a.from, a.to);
        const Brute b = brute(w, a.from, a.to);
        EXPECT_NEAR(w.mean(), b.mean, 1e-9 * std::fabs(b.mean) + 1e-16);
        EXPECT_NEAR(w.variance(), b.variance, 1e-7 * b.variance);
        EXPECT_NEAR(w.peakToValley(), b.pv, 1e-6 * b.pv);
    }
    // W is continuous across every zone, and its slope in u is -delta / R^2.
    const Wavefront w(u, delta, R, 0, 10000);
    for (const double x : u) {
        EXPECT_NEAR(w.at(x - 1e-9), w.at(x + 1e-9), 1e-16) << x;
        EXPECT_NEAR((w.at(x + 1e-4) - w.at(x - 1e-4)) / 2e-4, -w.deltaAt(x) / (R * R), 1e-14) << x;
    }
}

TEST(Wavefront, QuadratureCoversTheAnnulusOnce) {
    const std::vector<double> u = {100, 400, 900};
    for (const double from : {0.0, 150.0, 400.0}) {
        double total = 0;
        for (const QuadraturePoint& p : quadraturePoints(u, from, 1000)) {
            EXPECT_GT(p.u, from);
            EXPECT_LT(p.u, 1000);
            total += p.weight;
        }
        EXPECT_NEAR(total, 1000 - from, 1e-9) << from;
    }
}

}  // namespace
}  // namespace sg
