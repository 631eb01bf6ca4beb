// SPDX-License-Identifier: GPL-3.0-or-later
// The exact nulls against their closed forms, their limits at the centre,
// and their derivatives against differences.
#include "reduction/exact_null.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sg {
namespace {

const Tester kMoving{SourceKind::Moving, 0};
Tester fixedAt(double s) { return {SourceKind::Fixed, s}; }

TEST(ExactNull, ParaboloidMatchesItsClosedForms) {
    for (const double R : {800.0, 2000.0, 3600.0}) {
        for (const double h : {1.0, 25.0, 100.0, 150.0}) {
            SCOPED_TRACE("R " + std::to_string(R) + " h " + std::to_string(h));
            // The normals of a paraboloid meet the axis h^2 / (2R) beyond R.
            EXPECT_NEAR(conicNull(R, -1, h, kMoving), R + h * h / (2 * R), 1e-9);
            // A source fixed at the centre of curvature: the reflected rays.
            const double fixed = R + h * h / R + std::pow(h, 4) / (2 * std::pow(R, 3));
            EXPECT_NEAR(conicNull(R, -1, h, fixedAt(R)), fixed, 1e-9);
        }
    }
}

TEST(ExactNull, SphereNullsEveryZoneAtItsCentreOrAtTheSourcesImage) {
    const double R = 1500;
    for (const double h : {0.0, 10.0, 80.0, 200.0}) {
        EXPECT_NEAR(conicNull(R, 0, h, kMoving), R, 1e-9) << h;
        // A source at the centre comes back to itself from every zone.
        EXPECT_NEAR(conicNull(R, 0, h, fixedAt(R)), R, 1e-9) << h;
    }
    // A source off the centre: its image through the paraxial sphere is
    // the centre's limit, approached by the small zones (spherical
    // aberration grows as h^2).
    const double s = 1600;
    const double image = R * s / (2 * s - R);
    EXPECT_DOUBLE_EQ(conicNull(R, 0, 0, fixedAt(s)), image);
    EXPECT_NEAR(conicNull(R, 0, 0.01, fixedAt(s)), image, 1e-7);
    EXPECT_GT(std::fabs(conicNull(R, 0, 100, fixedAt(s)) - image), 1e-3);
}

TEST(ExactNull, CentreLimitsForAnyConic) {
    for (const double K : {-4.0, -1.0, -0.5, 0.0, 2.0}) {
        EXPECT_DOUBLE_EQ(conicNull(2000, K, 0, kMoving), 2000) << K;
        EXPECT_DOUBLE_EQ(conicNull(2000, K, 0, fixedAt(2100)), 2000 * 2100 / (2 * 2100.0 - 2000)) << K;
        // And the zones near the centre tend to it.
        EXPECT_NEAR(conicNull(2000, K, 1e-3, fixedAt(2100)), conicNull(2000, K, 0, fixedAt(2100)), 1e-8) << K;
    }
}

TEST(ExactNull, NoNullWhereThereIsNoSurfaceOrNoRealImage) {
    // An oblate ellipsoid ends where (1 + K) h^2 reaches R^2.
    EXPECT_TRUE(std::isnan(conicNull(1000, 99, 101, kMoving)));
    EXPECT_FALSE(std::isnan(conicNull(1000, 99, 99, kMoving)));
    // A source inside the focus has a virtual image.
    EXPECT_TRUE(std::isnan(conicNull(1000, -1, 0, fixedAt(400))));
    EXPECT_TRUE(std::isnan(conicNull(1000, -1, 50, fixedAt(400))));
}

TEST(ExactNull, DerivativesAgreeWithCentralDifferences) {
    struct Case {
        double R, K, h;
        Tester t;
    };
    const Case cases[] = {
        {2000, -1, 90, kMoving},   {2000, 0, 50, kMoving},       {1200, -1.6, 75, kMoving},
        {2000, -1, 90, fixedAt(2000)}, {1200, 0.3, 60, fixedAt(1300)}, {1800, -1, 0, fixedAt(1800)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("R " + std::to_string(c.R) + " K " + std::to_string(c.K) + " h " + std::to_string(c.h));
        const NullAndSlopes n = conicNullWithSlopes(c.R, c.K, c.h, c.t);
        EXPECT_DOUBLE_EQ(n.value, conicNull(c.R, c.K, c.h, c.t));
        const double dR = 1e-3, dK = 1e-5;
        const double perR = (conicNull(c.R + dR, c.K, c.h, c.t) - conicNull(c.R - dR, c.K, c.h, c.t)) / (2 * dR);
        const double perK = (conicNull(c.R, c.K + dK, c.h, c.t) - conicNull(c.R, c.K - dK, c.h, c.t)) / (2 * dK);
        EXPECT_NEAR(n.perRadius, perR, 1e-6);
        EXPECT_NEAR(n.perConic, perK, 1e-6);
    }
    // The scale of each tester at the centre: 1 (moving), 2 (fixed at R).
    EXPECT_DOUBLE_EQ(conicNullWithSlopes(2000, -1, 0, kMoving).perRadius, 1);
    EXPECT_NEAR(conicNullWithSlopes(2000, -1, 0, fixedAt(2000)).perRadius, 2, 1e-12);
}

TEST(ExactNull, SurfaceNullOfTheConicsOwnSagAndSlopeIsTheConicNull) {
    for (const double K : {-1.0, -0.6, 0.0}) {
        for (const double h : {20.0, 95.0}) {
            const double R = 2200, q = std::sqrt(R * R - (1 + K) * h * h);
            EXPECT_NEAR(surfaceNull(h, h * h / (R + q), h / q, kMoving), conicNull(R, K, h, kMoving), 1e-9);
            EXPECT_NEAR(surfaceNull(h, h * h / (R + q), h / q, fixedAt(2150)), conicNull(R, K, h, fixedAt(2150)),
                        1e-9);
        }
    }
    // A steeper slope brings the null in.
    EXPECT_LT(surfaceNull(50, 0.6, 50 / 1999.0 + 1e-6, kMoving), surfaceNull(50, 0.6, 50 / 1999.0, kMoving));
}

}  // namespace
}  // namespace sg
