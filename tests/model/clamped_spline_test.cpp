// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/clamped_spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <stdexcept>

namespace sg {
namespace {

SplineArray oneBased(std::initializer_list<double> values) {
    SplineArray a{};
    int i = 1;
    for (double v : values) a[i++] = v;
    return a;
}

// First and second derivative of interval j at offset w.
double slopeOn(const SplineCoefficients& c, int j, double w) { return c.b[j] + 2 * c.c[j] * w + 3 * c.d[j] * w * w; }
double curvatureOn(const SplineCoefficients& c, int j, double w) { return 2 * c.c[j] + 6 * c.d[j] * w; }

TEST(ClampedSpline, TwoKnotsGiveASmoothStep) {
    const SplineArray x = oneBased({0, 1}), y = oneBased({0, 1}), t = oneBased({0, 0.25, 0.5, 1});
    SplineArray v{};
    SplineCoefficients c;
    ASSERT_EQ(fitClampedSpline(2, x, y, 0, 0, 4, t, v, c), kSplineFitted);
    // 3 w^2 - 2 w^3
    EXPECT_NEAR(v[1], 0, 1e-15);
    EXPECT_NEAR(v[2], 0.15625, 1e-15);
    EXPECT_NEAR(v[3], 0.5, 1e-15);
    EXPECT_NEAR(v[4], 1, 1e-15);
    EXPECT_NEAR(slopeOn(c, 1, 0), 0, 1e-15);
    EXPECT_NEAR(slopeOn(c, 1, 1), 0, 1e-14);
}

TEST(ClampedSpline, ConstantStaysConstant) {
    SplineArray x{}, y{}, t{}, v{};
    for (int i = 1; i <= 10; ++i) {
        x[i] = i * 1.5;
        y[i] = -7.25;
    }
    for (int k = 1; k <= 30; ++k) t[k] = k * 0.6 - 2;  // inside and outside the knots
    SplineCoefficients c;
    ASSERT_EQ(fitClampedSpline(10, x, y, 0, 0, 30, t, v, c), kSplineFitted);
    for (int j = 1; j <= 9; ++j) {
        EXPECT_EQ(c.b[j], 0) << j;
        EXPECT_EQ(c.c[j], 0) << j;
        EXPECT_EQ(c.d[j], 0) << j;
    }
    for (int k = 1; k <= 30; ++k) EXPECT_EQ(v[k], -7.25) << k;
}

TEST(ClampedSpline, EditorProfileThroughEveryKnotAndSmooth) {
    // The editor's call: knots 1..44 at x = 1..44, one knot at -80, 704 queries i / 16.
    SplineArray x{}, y{}, t{}, v{};
    for (int i = 1; i <= 44; ++i) x[i] = i;
    y[22] = -80;
    for (int i = 1; i <= 704; ++i) t[i] = i / 16.0;
    SplineCoefficients c;
    ASSERT_EQ(fitClampedSpline(44, x, y, 0, 0, 704, t, v, c), kSplineFitted);
    EXPECT_NEAR(v[352], -80, 1e-12);
    for (int k = 1; k <= 44; ++k) EXPECT_NEAR(v[16 * k], y[k], 1e-12) << "knot " << k;
    for (int j = 2; j <= 43; ++j) {
        // Both one-sided derivatives agree across knot j.
        EXPECT_NEAR(slopeOn(c, j - 1, 1), slopeOn(c, j, 0), 1e-10) << "slope at knot " << j;
        EXPECT_NEAR(curvatureOn(c, j - 1, 1), curvatureOn(c, j, 0), 1e-10) << "curvature at knot " << j;
    }
    EXPECT_NEAR(slopeOn(c, 1, 0), 0, 1e-12);
    EXPECT_NEAR(slopeOn(c, 43, 1), 0, 1e-12);
    // The dip is symmetric about its knot and rings only mildly.
    for (int i = 1; i <= 100; ++i) EXPECT_NEAR(v[352 - i], v[352 + i], 1e-9) << i;
    EXPECT_GT(v[352 + 24], 0);  // the overshoot beside a clamped dip
}

TEST(ClampedSpline, ReproducesACubicWithItsEndSlopesEvenOutsideTheKnots) {
    auto p = [](double u) { return u * u * u - 2 * u * u + u; };
    SplineArray x{}, y{}, t{}, v{};
    for (int i = 1; i <= 6; ++i) {
        x[i] = i - 1;
        y[i] = p(x[i]);
    }
    const double queries[] = {-1.5, 0, 0.3, 1, 2.71, 5, 6.2};
    for (int k = 1; k <= 7; ++k) t[k] = queries[k - 1];
    SplineCoefficients c;
    ASSERT_EQ(fitClampedSpline(6, x, y, 1, 56, 7, t, v, c), kSplineFitted);
    for (int k = 1; k <= 7; ++k) EXPECT_NEAR(v[k], p(t[k]), 1e-9) << "t " << t[k];
}

TEST(ClampedSpline, QueriesOnTheEndKnots) {
    const SplineArray x = oneBased({2, 3, 5, 6}), y = oneBased({1, 4, -2, 7});
    const SplineArray t = oneBased({2, 6, 3});
    SplineArray v{};
    SplineCoefficients c;
    ASSERT_EQ(fitClampedSpline(4, x, y, 0.5, -1, 3, t, v, c), kSplineFitted);
    EXPECT_EQ(v[1], 1);  // interval 1 with w = 0
    EXPECT_NEAR(v[2], 7, 1e-12);
    EXPECT_NEAR(v[3], 4, 1e-12);
    EXPECT_NEAR(slopeOn(c, 1, 0), 0.5, 1e-12);
    EXPECT_NEAR(slopeOn(c, 3, 1), -1, 1e-12);
}

TEST(ClampedSpline, BadKnotsReportTheirStatusAndLeaveTheValues) {
    struct Case {
        int n;
        SplineArray x;
        std::uint8_t status;
    };
    const Case cases[] = {
        {3, oneBased({0, 1, 1}), kSplineKnotsTooClose},
        {3, oneBased({0, 2, 1}), kSplineKnotsNotIncreasing},
        {1, oneBased({0}), kSplineTooFewKnots},
        {0, oneBased({}), kSplineTooFewKnots},
        {3, oneBased({0, 0, -1}), kSplineKnotsNotIncreasing},  // a later interval overwrites the code
        {3, oneBased({0, -1, -1}), kSplineKnotsTooClose},
        {2, oneBased({0, -1e-16}), kSplineKnotsNotIncreasing},
    };
    for (const Case& k : cases) {
        SplineArray v{};
        v.fill(42);
        SplineCoefficients c;
        const SplineArray y = oneBased({1, 2, 3}), t = oneBased({0.5, 1.5});
        EXPECT_EQ(fitClampedSpline(k.n, k.x, y, 0, 0, 2, t, v, c), k.status) << "n " << k.n;
        for (double value : v) ASSERT_EQ(value, 42);
    }
    SplineArray v{};
    SplineCoefficients c;
    EXPECT_THROW(fitClampedSpline(1001, v, v, 0, 0, 1, v, v, c), std::out_of_range);
}

}  // namespace
}  // namespace sg
