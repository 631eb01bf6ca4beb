// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/conic.h"
#include "model/failure.h"
#include "model/controls_reading.h"
#include "simulator/picture.h"
#include "tests/support/picture_checks.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"
#include "tests/support/test_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace sg {
namespace {

using testing::countColour;
using testing::TestPicture;

TEST(RandomGenerator, FirstDrawsAfterStartUp) {
    RandomGenerator g;
    const int expected[8] = {0, 313, 8610, 2025, 2729, 6716, 3186, 1617};
    for (int e : expected) EXPECT_EQ(g.next(), e);
    RandomGenerator h;
    EXPECT_EQ(h.coordinate(200), -100);
    EXPECT_DOUBLE_EQ(h.coordinate(200), -93.74);
}

// The scene as the first click leaves it: defaults read from the controls.
Scene readDefaults(bool odd) {
    Scene m;
    PlainControls c;
    c.odd = odd;
    readSetup(readControls(c), m.mirror, m.setup);
    return m;
}

void setTest(Scene& m, int item) { m.setup.test = static_cast<TestKind>(item); }

TEST(RayDecision, WorkedSampleOfTheDefaults) {
    for (bool odd : {false, true}) {
        const Scene m = readDefaults(odd);
        const RaySetup s = makeRaySetup(m, 1);
        const PlanePoint p = planePosition(s, 72.2, -59.5);
        EXPECT_NEAR(normalIntercept(72.2, -59.5, 2000, -2), 2004.3777, 5e-5);
        EXPECT_NEAR(p.x, -0.15769, 5e-6);
        EXPECT_NEAR(p.x / s.bandWidth, -1.2615, 5e-5);
        EXPECT_EQ(normalRayLit(s, 72.2, -59.5), odd) << "odd " << odd;
        const PlanePoint q = planePosition(s, -45.42, 34.32);
        EXPECT_NEAR(q.x / s.bandWidth, 0.2942, 5e-5);
        EXPECT_EQ(normalRayLit(s, -45.42, 34.32), !odd) << "odd " << odd;
    }
}

TEST(ShadowgramPass, SecondAndThirdSamplesLandOnTheirPixels) {
    for (bool odd : {false, true}) {
        TestPicture sc;
        sc.controls.odd = odd;
        sc.recompute();
        sc.sim.rayCount = 3;
        sc.pass();
        EXPECT_EQ(sc.canvas.pixel(608, 136) == kRed, odd) << "odd " << odd;
        EXPECT_EQ(sc.canvas.pixel(285, 394) == kRed, !odd) << "odd " << odd;
        EXPECT_EQ(countColour(sc.canvas.image(), kRed, 0, 0, 800, 575), 1);
    }
}

TEST(RayDecision, TheMirrorCentreDoesNotFail) {
    for (int test : {kTestRonchi, kTestWire, kTestFoucault}) {
        Scene m = readDefaults(false);
        setTest(m, test);
        m.mirror.deviation = SurfaceDeviation::Drawn;
        const RaySetup s = makeRaySetup(m, 1);
        const PlanePoint p = planePosition(s, 0, 0);
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.y, 0);
        EXPECT_NO_THROW(normalRayLit(s, 0, 0));
        EXPECT_NO_THROW(centreRayLit(s, 0, 0));
    }
}

// A sphere at a given axial offset, with the test chosen.
Scene sphere(double axial, int test, int orientation = kOrientVertical) {
    Scene m;
    PlainControls c;
    c.parameters[kRowConic] = "0";
    c.test = test;
    c.odd = true;
    c.orientation = orientation;
    m.setup.position.axialOffset = axial;
    const ControlsReading r = readControls(c);
    readSetup(r, m.mirror, m.setup);
    m.setup.orientation = orientationFrom(r, m.setup.orientation);
    return m;
}

TEST(RayDecision, SphereBandsAreStraightAndEvenlySpaced) {
    const Scene m = sphere(-5, kTestRonchi);
    const RaySetup s = makeRaySetup(m, 1);
    // Band edges lie where X / w = m + 1/2, with X = -5 u / R to first order.
    const double spacing = s.bandWidth * 2000 / 5;  // mm on the mirror per band
    for (int edge = -3; edge <= 3; ++edge) {
        const double u = (edge + 0.5) * spacing;
        for (double v : {-80.0, -30.0, 0.0, 45.0, 85.0}) {
            if (u * u + v * v > 99.0 * 99.0) continue;
            // Straight up to terms in r^4 / R^3, which move an edge by < 0.1 mm here.
            EXPECT_NE(normalRayLit(s, u - 0.1, v), normalRayLit(s, u + 0.1, v))
                << "edge " << edge << " v " << v;
        }
    }
    for (double u = -95; u <= 95; u += 1.3) {
        const double phase = u / spacing;
        if (std::fabs(phase - std::round(phase - 0.5) - 0.5) < 0.01) continue;  // too close to an edge
        for (double v : {-40.0, 20.0})
            EXPECT_EQ(normalRayLit(s, u, v), normalRayLit(s, u, 0)) << "u " << u << " v " << v;
    }
}

// u of the first band edge (X / w = 1/2) on the line at height v, by bisection.
double firstEdge(const RaySetup& s, double v) {
    double lo = 1, hi = std::sqrt(99.0 * 99.0 - v * v);
    const bool inner = normalRayLit(s, lo, v);
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (normalRayLit(s, mid, v) == inner ? lo : hi) = mid;
    }
    return lo;
}

TEST(RayDecision, ParaboloidBandsBow) {
    const Scene m = readDefaults(true);  // paraboloid at the centre of curvature
    const RaySetup s = makeRaySetup(m, 1);
    // X = -r^2 u / R^2 to first order: the edge at v = 0 lies at u^3 = w R^2 / 2.
    EXPECT_NEAR(firstEdge(s, 0), std::cbrt(s.bandWidth * 2000 * 2000 / 2), 0.1);
    EXPECT_LT(firstEdge(s, 60), firstEdge(s, 0) - 15);
}

TEST(RayDecision, WireDarkensOneAndAHalfBandsAroundItsLine) {
    for (double t : {0.0, 0.4}) {
        Scene m = sphere(-5, kTestWire);
        m.setup.position.transverseOffset = t;  // in wire widths: the wire's line moves to X = -t * 3w
        const RaySetup s = makeRaySetup(m, 1);
        EXPECT_DOUBLE_EQ(s.bandWidth, 1.0 / 24);  // ruling tripled
        for (double u = -97; u <= 97; u += 0.9) {
            const double x = -5 * u / 2000;  // plane position for the sphere
            const double fromWire = std::fabs(x / s.bandWidth + 3 * t);
            if (std::fabs(fromWire - 1.5) < 2e-3) continue;
            EXPECT_EQ(normalRayLit(s, u, 10), fromWire >= 1.5) << "t " << t << " u " << u;
        }
    }
}

TEST(RayDecision, FoucaultKnifeLightsOneSideAndMovesWithTheOffset) {
    for (double t : {0.0, 2.0, -1.5}) {
        Scene m = sphere(-5, kTestFoucault);
        m.setup.position.transverseOffset = t;
        const RaySetup s = makeRaySetup(m, 1);
        const double knife = -t * s.bandWidth;
        for (double u = -97; u <= 97; u += 0.9) {
            const double x = -5 * u / 2000;
            if (std::fabs(x - knife) < 1e-4) continue;
            EXPECT_EQ(normalRayLit(s, u, -20), x <= knife) << "t " << t << " u " << u;
        }
    }
}

TEST(RayDecision, FoucaultNullOfAParaboloidZone) {
    // The normals of a paraboloid's zone of radius r meet the axis r^2 / R
    // beyond the centre of curvature; there the knife turns the zone's two
    // sides over.
    for (double r : {30.0, 60.0, 90.0}) {
        auto flipped = [&](double axial) {
            Scene m = readDefaults(true);
            m.setup.test = TestKind::Foucault;
            m.setup.linesPerMm = 4;
            m.setup.evenLines = false;
            m.setup.position.axialOffset = axial;
            const RaySetup s = makeRaySetup(m, 1);
            const bool right = normalRayLit(s, r, 0), left = normalRayLit(s, -r, 0);
            EXPECT_NE(right, left) << "r " << r << " axial " << axial;
            return left;
        };
        double lo = r * r / 2000 - 0.1, hi = r * r / 2000 + 0.1;
        ASSERT_FALSE(flipped(lo));
        ASSERT_TRUE(flipped(hi));
        for (int i = 0; i < 40; ++i) {
            const double mid = (lo + hi) / 2;
            (flipped(mid) ? hi : lo) = mid;
        }
        EXPECT_NEAR(lo, r * r / 2000, 2e-3) << "zone radius " << r;
    }
}

TEST(CentreLines, LightOnlyTheCentresOfTheBands) {
    for (int test : {kTestRonchi, kTestWire}) {
        Scene m = sphere(-3, test);
        m.setup.position.transverseOffset = 0.3;
        const RaySetup normal = makeRaySetup(m, 1);
        const RaySetup centres = makeRaySetup(m, 40);
        int lit = 0;
        for (double u = -99; u <= 99; u += 0.013) {
            const PlanePoint p = planePosition(normal, u, 5);
            const double shifted = p.x / normal.bandWidth + (test == kTestWire ? 3 : 1) * m.setup.position.transverseOffset;
            // Distance to the nearest band centre (Ronchi) or to the wire's line.
            const double off = test == kTestWire ? std::fabs(shifted) : std::fabs(shifted - std::round(shifted));
            if (std::fabs(off - 1.5 / 40) < 1e-6 || std::fabs(off - 0.5 / 40) < 1e-6) continue;
            const bool expected = test == kTestWire ? off < 1.5 / 40 : off < 0.5 / 40;
            EXPECT_EQ(centreRayLit(centres, u, 5), expected) << "test " << test << " u " << u;
            lit += expected;
        }
        EXPECT_GT(lit, 10);
    }
}

TEST(ShadowgramPass, TwoFreshRunsDrawTheSamePixels) {
    auto run = [] {
        TestPicture sc;
        sc.controls.test = kTestWire;
        sc.controls.orientation = kOrient2D;
        clearDrawingArea(sc.canvas);
        drawMirrorDisk(sc.canvas);
        sc.recompute();
        sc.pass();
        sc.centres();
        return sc.canvas.image().copy();
    };
    const QImage a = run(), b = run();
    EXPECT_EQ(testing::firstDifference(a, b), "");
    EXPECT_GT(countColour(a, kRed), 10000);
}

TEST(ShadowgramPass, TwoDimensionalPatternIgnoresTheDistortion) {
    auto run = [](int surface) {
        TestPicture sc;
        for (int i = 250; i <= 352; ++i) sc.shape.profile[i] = (i - 250) * 0.5;  // a central hill
        sc.controls.orientation = kOrient2D;
        sc.controls.surface = surface;
        clearDrawingArea(sc.canvas);
        drawMirrorDisk(sc.canvas);
        sc.recompute();
        sc.canvas.eraseRect(0, 570, 800, 700);  // the graphs differ; the shadowgram must not
        sc.pass();
        return sc.canvas.image().copy();
    };
    EXPECT_EQ(testing::firstDifference(run(kSurfaceDistorted), run(kSurfacePure)), "");
}

TEST(ShadowgramPass, DistortionChangesTheVerticalPattern) {
    auto run = [](int surface) {
        TestPicture sc;
        for (int i = 250; i <= 352; ++i) sc.shape.profile[i] = (i - 250) * 0.5;
        sc.controls.surface = surface;
        sc.controls.parameters[kRowZoneHeight] = "2";
        sc.recompute();
        sc.pass();
        return sc.canvas.image().copy();
    };
    EXPECT_NE(testing::firstDifference(run(kSurfaceDistorted), run(kSurfacePure)), "");
}

TEST(ShadowgramPass, EveryLitPixelLiesOnTheDisk) {
    for (int test : {kTestRonchi, kTestWire, kTestFoucault}) {
        TestPicture sc;
        sc.controls.test = test;
        sc.controls.odd = true;
        clearDrawingArea(sc.canvas);
        sc.recompute();
        Canvas disk(kPictureWidth, kPictureHeight);
        disk.setPenColour(kBlack);
        disk.setBrushColour(kBlack);
        drawMirrorDisk(disk);
        sc.pass();
        int lit = 0;
        testing::forEachPixel(sc.canvas.image(), kRed, [&](int x, int y) {
            if (y >= 575) return;  // the height graph
            ++lit;
            EXPECT_TRUE(x >= 135 && x <= 684 && y >= 25 && y <= 574) << x << "," << y;
            EXPECT_EQ(disk.pixel(x, y), kBlack) << "off the disk at " << x << "," << y;
        });
        EXPECT_GT(lit, 1000) << "test " << test;
    }
}

TEST(ShadowgramPass, GridIsDrawnInTheModesColour) {
    TestPicture sc;
    sc.scene().view.showGrid = true;
    sc.sim.rayCount = 0;
    sc.pass();
    EXPECT_EQ(sc.canvas.pixel(410, 25), kYellow);
    EXPECT_EQ(sc.canvas.pixel(410, 694), kYellow);
    EXPECT_EQ(sc.canvas.pixel(410, 695), kSilver);  // stops before its last point
    EXPECT_EQ(sc.canvas.pixel(135, 300), kYellow);
    EXPECT_EQ(sc.canvas.pixel(686, 355), kSilver);
    EXPECT_EQ(sc.canvas.pixel(684, 355), kYellow);
    EXPECT_EQ(sc.canvas.penColour(), kYellow);

    TestPicture white;
    white.scene().view.whiteMode = true;
    white.sim.rayCount = 0;
    white.pass();
    EXPECT_EQ(white.canvas.penColour(), kBlack);
    EXPECT_EQ(countColour(white.canvas.image(), kBlack), 0);  // no grid without showGrid
}

TEST(ShadowgramPass, ZeroRadiusOrRulingStopsAtTheFirstSampleInside) {
    for (int row : {kRowRadius, kRowLinesPerMm}) {
        TestPicture sc;
        sc.recompute();
        sc.sim.rayCount = 50000;
        if (row == kRowRadius) sc.mirror().radiusOfCurvature = 0;
        else sc.setup().linesPerMm = 0;
        try {
            sc.pass();
            FAIL() << "no error for row " << row;
        } catch (const ActionError& e) {
            EXPECT_EQ(std::string(e.what()), "Floating point division by zero");
        }
        EXPECT_EQ(countColour(sc.canvas.image(), kRed, 0, 0, 800, 575), 0);
        // The two draws of the outside sample and the two of the failing one.
        RandomGenerator g;
        for (int i = 0; i < 4; ++i) g.next();
        EXPECT_EQ(sc.sim.random.seed(), g.seed());
    }
}

}  // namespace
}  // namespace sg
