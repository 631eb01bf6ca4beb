// SPDX-License-Identifier: GPL-3.0-or-later
// The wave picture's parts against independent references: the phase's
// cosine and sine against the library's, the device's sample shares against
// the ray rule itself, the optical path's gradient against the exact ray
// trace, and the set-ups it refuses.
#include "model/failure.h"
#include "simulator/band_decision.h"
#include "simulator/exact_trace.h"
#include "wave/device_mask.h"
#include "wave/phase_turn.h"
#include "wave/wave_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace sg::wave {
namespace {

TEST(WavePhase, TurnsGiveTheCosineAndSineOfTheirAngle) {
    // Every quadrant, both signs, whole turns far from 0 and the quarter-turn boundaries.
    for (double t : {0.0, 0.1, 0.125, 0.2, 0.25, 0.3, 0.375, 0.49, 0.5, 0.51, 0.625, 0.75, 0.9, -0.1, -0.3, -0.6,
                     -0.875, 12345.678, -98765.4321, 1e6 + 0.3}) {
        const Phasor p = phasorOfTurns(t);
        const double turns = t - std::floor(t);  // the angle taken from its fraction, exactly
        EXPECT_NEAR(p.re, std::cos(2 * M_PI * turns), 2e-15) << t;
        EXPECT_NEAR(p.im, std::sin(2 * M_PI * turns), 2e-15) << t;
    }
    for (int i = 0; i < 4000; ++i) {
        const double t = -3 + 6.0 * i / 3999;
        const Phasor p = phasorOfTurns(t);
        ASSERT_NEAR(p.re, std::cos(2 * M_PI * t), 1e-14) << t;
        ASSERT_NEAR(p.im, std::sin(2 * M_PI * t), 1e-14) << t;
    }
}

// The share of [z1, z1 + width] the ray rule lets through, counted on a
// fine grid of points inside it.
double ruleShare(const BandRules& rules, double offsetInRule, double z1, double width) {
    const int points = 20000;
    int lit = 0;
    RayFault fault = RayFault::None;
    for (int i = 0; i < points; ++i) {
        const double z = z1 + width * (i + 0.5) / points;
        // The rule adds the transverse offset itself: hand it z less that.
        lit += decideBands(rules, false, z - offsetInRule, [] { return 0.0; }, fault);
    }
    return static_cast<double>(lit) / points;
}

// The analytic shares agree with the ray rule's own decisions over
// intervals that straddle band edges, the wire and the knife's edge, for
// both phases of the grating and a transverse offset.
TEST(WaveDevice, SharesAreThoseOfTheRayRule) {
    struct Case {
        TestKind test;
        bool even;
        double transverse;
    };
    for (const Case c : {Case{TestKind::Ronchi, false, 0}, Case{TestKind::Ronchi, true, 0.3},
                         Case{TestKind::Wire, false, 0.2}, Case{TestKind::Foucault, false, -0.4}}) {
        const BandRules rules{c.test, Orientation::Vertical, c.transverse, c.even};
        const double offsetInRule = c.test == TestKind::Wire ? 3 * c.transverse : c.transverse;
        DeviceLine d;
        d.kind = c.test == TestKind::Ronchi ? DeviceKind::Grating
                 : c.test == TestKind::Wire ? DeviceKind::Wire : DeviceKind::Knife;
        d.bandWidth = 1;
        d.offset = offsetInRule;
        d.brightCentre = c.even;
        for (double z1 : {-3.3, -2.0, -1.7, -0.6, -0.25, 0.1, 0.4, 1.2, 1.45, 2.9})
            for (double width : {0.05, 0.3, 0.9, 2.5}) {
                const double expected = ruleShare(rules, offsetInRule, z1 + offsetInRule, width);
                EXPECT_NEAR(passedShare(d, z1 + offsetInRule, width), expected, 2e-4)
                    << static_cast<int>(c.test) << " z1 " << z1 << " width " << width;
                d.complement = true;
                EXPECT_NEAR(passedShare(d, z1 + offsetInRule, width), 1 - expected, 2e-4);
                d.complement = false;
            }
    }
}

// The samples of the device's plane: the knife's edge on a sample gives it
// 1/2, the samples run in the transform's order (q >= 0 first, then the
// negative ones) and the rule's frame is the true one turned over.
TEST(WaveDevice, SamplesStandInTheTransformsOrderAndTheTurnedFrame) {
    const DeviceLine knife{DeviceKind::Knife, 0.1, 0, false, false};
    std::vector<double> t(8);
    sampleTransmission(knife, 0.01, 0, t.size(), t.data());
    // Lit where P = -q <= 0: the q >= 0 samples 0..3, the edge at sample 0.
    EXPECT_DOUBLE_EQ(t[0], 0.5);
    for (int m = 1; m < 4; ++m) EXPECT_DOUBLE_EQ(t[static_cast<std::size_t>(m)], 1.0) << m;
    for (int m = 4; m < 8; ++m) EXPECT_DOUBLE_EQ(t[static_cast<std::size_t>(m)], 0.0) << m;
    // Moving the light a quarter sample along P puts the edge a quarter into sample 0.
    sampleTransmission(knife, 0.01, 0.0025, t.size(), t.data());
    EXPECT_NEAR(t[0], 0.25, 1e-12);
}

Scene exactScene(double conic, double axial, bool moving) {
    Scene s;
    s.mirror.conicConstant = conic;
    s.setup.rayModel = RayModel::Exact;
    s.setup.waveOptics = true;
    s.setup.position.axialOffset = axial;
    s.setup.source = moving ? SourceConvention::MovesWithDevice : SourceConvention::Fixed;
    return s;
}

// A drawn zone of a few waves: a bump of the knots' heights.
DrawnZone someZone(const Mirror& m) {
    EditorShape shape;
    for (int k = 0; k < kKnotCount; ++k) shape.knotHeight[static_cast<std::size_t>(k)] = 20 * std::sin(0.3 * k);
    Mirror zoned = m;
    zoned.deviation = SurfaceDeviation::Drawn;
    zoned.zoneHeight = 3;
    return makeDrawnZone(zoned, 0.55, shape);
}

// L grad W is where the ray lands in the device's plane: the optical path
// (lengths of the two legs over the exact surface and the zone) and the
// exact trace (a reflection about the normal) are computed independently.
TEST(WavePupil, PathGradientTimesLIsTheExactTracesLanding) {
    for (const bool moving : {false, true})
        for (const double axial : {0.0, -15.0, 25.0}) {
            Scene scene = exactScene(-1, axial, moving);
            scene.mirror.deviation = SurfaceDeviation::Drawn;
            scene.zone = someZone(scene.mirror);
            const PupilGeometry g = pupilGeometry(scene);
            for (const double sx : {0.0, 0.2})
                for (const auto& [x, y] : {std::pair{30.0, 0.0}, {-60.0, 45.0}, {5.0, -95.0}, {0.0, 0.0}}) {
                    const double h = 1e-4;
                    const double gx = (opticalPath(g, x + h, y, sx, 0) - opticalPath(g, x - h, y, sx, 0)) / (2 * h);
                    const double gy = (opticalPath(g, x, y + h, sx, 0) - opticalPath(g, x, y - h, sx, 0)) / (2 * h);
                    const double r = std::hypot(x, y);
                    const ExactHit hit = traceExact(ExactMirror{g.radius, g.conic}, x, y, zoneAt(g.zone, r),
                                                    ExactSource{sx, 0, g.sourceZ}, g.deviceZ);
                    ASSERT_TRUE(hit.hit);
                    // The trace gives the landing in the program's sign, the true one turned over.
                    const double landing = std::hypot(hit.x, hit.y);
                    EXPECT_NEAR(g.deviceZ * gx, -hit.x, 2e-5 * landing + 1e-6) << x << " " << y << " a " << axial;
                    EXPECT_NEAR(g.deviceZ * gy, -hit.y, 2e-5 * landing + 1e-6) << x << " " << y << " a " << axial;
                }
        }
}

std::string refusal(const Scene& scene) {
    WaveComputer computer;
    try {
        computer.compute(scene);
    } catch (const ActionError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(WaveInput, SetUpsWithoutAPictureAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const std::string invalid = kInvalidOperationMessage;
    Scene s = exactScene(-1, 0, false);
    s.mirror.mirrorDiameter = 0;
    EXPECT_EQ(refusal(s), invalid);
    s.mirror.mirrorDiameter = nan;
    EXPECT_EQ(refusal(s), invalid);
    s = exactScene(-1, 0, false);
    s.mirror.radiusOfCurvature = -2000;
    EXPECT_EQ(refusal(s), invalid);
    s.mirror.radiusOfCurvature = inf;
    EXPECT_EQ(refusal(s), invalid);
    s = exactScene(-1, 0, false);
    s.setup.linesPerMm = 0;
    EXPECT_EQ(refusal(s), std::string(kDivisionByZeroMessage));
    s.setup.linesPerMm = -4;
    EXPECT_EQ(refusal(s), invalid);
    s = exactScene(-1, 0, false);
    s.setup.wavelength = 0;
    EXPECT_EQ(refusal(s), invalid);
    s.setup.wavelength = inf;
    EXPECT_EQ(refusal(s), invalid);
    s = exactScene(-1, 0, false);
    s.setup.position.axialOffset = nan;
    EXPECT_EQ(refusal(s), invalid);
    s.setup.position.axialOffset = -2000;  // the device at the vertex
    EXPECT_EQ(refusal(s), invalid);
    s = exactScene(-1, 0, false);
    s.setup.slitWidth = inf;
    EXPECT_EQ(refusal(s), invalid);
    // Far beyond focus the light spreads wider than the sampling holds.
    s = exactScene(-1, 3000, true);
    EXPECT_NE(refusal(s).find("far from focus"), std::string::npos) << refusal(s);
    // A slit of thousands of periods.
    s = exactScene(-1, 0, false);
    s.setup.slitWidth = 500;
    EXPECT_NE(refusal(s).find("slit is too wide"), std::string::npos) << refusal(s);
}

}  // namespace
}  // namespace sg::wave
