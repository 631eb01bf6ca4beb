// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/conic.h"
#include "model/failure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace sg {
namespace {

TEST(Conic, DeviationOfTheDefaultParaboloidAtTheEdge) {
    const double m = 0.55;  // the wavelength, um
    EXPECT_NEAR(conicDeviationWaves(m, 100, 0, 2000, -1), -0.0015625 / 0.00055, 1e-12);
    EXPECT_NEAR(conicDeviationWaves(m, 100, 0, 2000, -1), -2.8409090909, 1e-9);
    EXPECT_EQ(conicDeviationWaves(m, 100, 0, 2000, 0), 0.0);
    EXPECT_GT(conicDeviationWaves(m, 100, 0, 2000, 0.5), 0.0);  // oblate
    EXPECT_NEAR(conicDeviationWaves(m, 0, -100, 2000, -1), conicDeviationWaves(m, 100, 0, 2000, -1), 1e-12);
}

TEST(Conic, NormalInterceptWorkedValues) {
    EXPECT_NEAR(normalIntercept(50, 0, 2000, -2), 2001.2500977, 5e-8);
    EXPECT_NEAR(normalIntercept(50, 0, 2000, 0), 2000.0002929, 5e-8);
    EXPECT_NEAR(normalIntercept(30, 40, 2000, -2), normalIntercept(50, 0, 2000, -2), 1e-9);
}

TEST(Conic, NormalInterceptFollowsTheParaxialSeries) {
    // R - k x^2 / (2R) up to terms in x^4 / R^3.
    for (double k : {-3.0, -2.0, -1.0, 0.0, 0.7}) {
        for (double x : {5.0, 20.0, 60.0, 100.0}) {
            const double R = 2000;
            const double series = R - k * x * x / (2 * R);
            EXPECT_NEAR(normalIntercept(x, 0, R, k), series, 2 * std::pow(x, 4) / std::pow(R, 3))
                << "k " << k << " x " << x;
        }
    }
}

TEST(Conic, SlopeIsTheDerivativeOfTheSag) {
    const double h = 1e-4;
    for (double r : {10.0, 55.0, 99.0}) {
        const double numeric = (conicSag(r + h, 0, 1500, -1.3) - conicSag(r - h, 0, 1500, -1.3)) / (2 * h);
        EXPECT_NEAR(conicSlope(r, 0, 1500, -1.3), numeric, 1e-9) << "r " << r;
    }
}

TEST(Conic, ZeroRadiusAndCentreFail) {
    auto message = [](auto f) {
        try {
            f();
        } catch (const ActionError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(message([] { conicSag(10, 0, 0, -1); }), "Floating point division by zero");
    EXPECT_EQ(message([] { normalIntercept(10, 5, 0, 0); }), "Floating point division by zero");
    EXPECT_EQ(message([] { normalIntercept(0, 0, 2000, -2); }), "Floating point division by zero");
    const double m = 0;  // the wavelength
    EXPECT_EQ(message([&] { conicDeviationWaves(m, 100, 0, 2000, -1); }), "Floating point division by zero");
    EXPECT_EQ(message([&] { conicDeviationWaves(m, 100, 0, 2000, 0); }), "Invalid floating point operation");
}

// The series model's deviation: a slope profile for a mirror of 200 mm.
struct Deviation {
    RadialProfile slope{};
    SeriesDeviation series{&slope, 200, Orientation::Vertical};
};

TEST(DistortedIntercept, FlatDeviationEqualsTheConic) {
    Deviation d;
    const SeriesDeviation& m = d.series;
    for (double x : {-70.0, 3.0, 45.0})
        for (double y : {-20.0, 0.5, 60.0})
            EXPECT_DOUBLE_EQ(distortedIntercept(m, x, y, 2000, -2), normalIntercept(x, y, 2000, -2));
}

TEST(DistortedIntercept, WeightsTheSlopeByTheOrientation) {
    Deviation d;
    SeriesDeviation& m = d.series;
    d.slope.fill(1e-4);
    d.slope[0] = 0;
    const double x = 30, y = 40, r = 50;
    const double base = normalIntercept(x, y, 2000, -2);
    const double t = -1 / conicSlope(x, y, 2000, -2);

    m.orientation = Orientation::Vertical;
    EXPECT_NEAR(distortedIntercept(m, x, y, 2000, -2), conicSag(x, y, 2000, -2) - (t + 1e-4 / (r / x)) * r, 1e-9);
    EXPECT_LT(distortedIntercept(m, x, y, 2000, -2), base);

    m.orientation = Orientation::Horizontal;
    EXPECT_NEAR(distortedIntercept(m, x, y, 2000, -2), conicSag(x, y, 2000, -2) - (t + 1e-4 / (r / y)) * r, 1e-9);

    m.orientation = Orientation::TwoD;
    EXPECT_DOUBLE_EQ(distortedIntercept(m, x, y, 2000, -2), base);
}

TEST(DistortedIntercept, VerticalOnTheLineXZeroUsesSagAtOneZero) {
    Deviation d;
    const SeriesDeviation& m = d.series;
    d.slope.fill(2e-4);
    const double y = 40;
    const double t = -1 / conicSlope(0, y, 2000, -2);
    const double expected = conicSag(1, 0, 2000, -2) - (t + 2e-4 / y) * y;  // weight 1 / r
    EXPECT_NEAR(distortedIntercept(m, 0, y, 2000, -2), expected, 1e-9);
}


// Each point takes the slope of the profile sample nearest its radius,
// 275 samples from the centre to the rim, and no other.
TEST(DistortedIntercept, ReadsTheSampleNearestItsRadius) {
    const double a = 100;  // the rim of a 200 mm mirror
    for (int j : {1, 50, 137, 274, 275}) {
        Deviation d;
        d.slope[static_cast<std::size_t>(j)] = 1e-4;
        const double r = j * a / 275;
        const double t = -1 / conicSlope(r, 0, 2000, -2);
        EXPECT_NEAR(distortedIntercept(d.series, r, 0, 2000, -2), conicSag(r, 0, 2000, -2) - (t + 1e-4) * r, 1e-9)
            << "sample " << j;
        // Half a sample either side still reads it; a whole sample away reads its neighbour.
        for (double off : {-0.45, 0.45}) {
            const double near = (j + off) * a / 275;
            if (near > a) continue;
            EXPECT_LT(distortedIntercept(d.series, near, 0, 2000, -2), normalIntercept(near, 0, 2000, -2))
                << "sample " << j << " off " << off;
        }
        if (j == 1) continue;  // no neighbour but the centre, where the intercept is undefined
        const double next = (j - 1) * a / 275;
        EXPECT_DOUBLE_EQ(distortedIntercept(d.series, next, 0, 2000, -2), normalIntercept(next, 0, 2000, -2))
            << "sample " << j - 1;
    }
}

}  // namespace
}  // namespace sg
