// SPDX-License-Identifier: GPL-3.0-or-later
// A source of real width in the exact ray trace: the knife-edge picture
// shades as at the test stand, Ronchi bands soften as the slit nears the
// grating's period, and a point source draws what it always drew.
#include "model/number_text.h"
#include "model/failure.h"
#include "model/controls_reading.h"
#include "tests/support/picture_checks.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"
#include "tests/support/test_picture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>

namespace sg {
namespace {

using testing::TestPicture;

// Points spread evenly at random over the disk, from a generator of the test's own.
class DiskPoints {
public:
    explicit DiskPoints(double aperture) : aperture_(aperture) {}
    void next(double& u, double& v) {
        do {
            u = (2 * uniform() - 1) * aperture_;
            v = (2 * uniform() - 1) * aperture_;
        } while (u * u + v * v > aperture_ * aperture_);
    }

private:
    double uniform() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0;
    }
    double aperture_;
    std::uint64_t state_ = 12345;
};

Scene sphereAtItsCentre(int test, double slit, double transverse, double axial = 0) {
    Scene m;
    m.mirror.conicConstant = 0;
    m.setup.rayModel = RayModel::Exact;
    m.setup.slitWidth = slit;
    m.setup.position.transverseOffset = transverse;
    m.setup.position.axialOffset = axial;
    m.setup.test = static_cast<TestKind>(test);
    return m;
}

// The lit share of the disk, over all of it and in eight parts (four rings,
// each halved left and right).
struct Shares {
    double all = 0;
    std::array<double, 8> parts{};
};

Shares litShares(const Scene& m, int points) {
    const RaySetup s = makeRaySetup(m, 1);
    RandomGenerator slit;
    DiskPoints disk(m.mirror.mirrorDiameter / 2);
    std::array<int, 8> lit{}, seen{};
    int allLit = 0;
    for (int i = 0; i < points; ++i) {
        double u, v;
        disk.next(u, v);
        const int ring = std::min(3, static_cast<int>(4 * std::sqrt(u * u + v * v) / (m.mirror.mirrorDiameter / 2)));
        const int part = 2 * ring + (u < 0 ? 0 : 1);
        const bool on = exactRayLit(s, u, v, sourcePoint(s, slit));
        ++seen[part];
        lit[part] += on;
        allLit += on;
    }
    Shares shares;
    shares.all = static_cast<double>(allLit) / points;
    for (int p = 0; p < 8; ++p) shares.parts[p] = static_cast<double>(lit[p]) / seen[p];
    return shares;
}

// A sphere at its centre of curvature images each point of the slit on the
// opposite point: with the knife on the axis half the light passes,
// evenly over the disk, and as the knife crosses the slit's image the whole
// disk darkens evenly, in proportion.
TEST(Slit, TheKnifeDarkensASphereEvenly) {
    const double width = 0.2;  // mm
    const Scene probe = sphereAtItsCentre(kTestFoucault, width, 0);
    const double w = makeRaySetup(probe, 1).bandWidth;  // the knife's transverse unit, mm
    for (const double across : {-0.5, -0.25, 0.0, 0.25, 0.5}) {
        // The knife at `across` slit widths from the axis: from 100 % lit at
        // -W/2 to 0 % at +W/2.
        const Scene m = sphereAtItsCentre(kTestFoucault, width, across * width / w);
        const Shares s = litShares(m, 40000);
        const double expected = 0.5 - across;
        EXPECT_NEAR(s.all, expected, 0.015) << "knife at " << across << " of the slit";
        for (int p = 0; p < 8; ++p) EXPECT_NEAR(s.parts[p], expected, 0.035) << "part " << p << " at " << across;
    }
    // A point source: lit or dark as a whole, never shaded.
    const Shares point = litShares(sphereAtItsCentre(kTestFoucault, 0, 0.1), 4000);
    EXPECT_TRUE(point.all == 0 || point.all == 1) << point.all;
}

// The contrast of the Ronchi bands, from the lit share of points across
// one row of the mirror, each seen through many points of the slit.
double bandContrast(double slitInPeriods) {
    Scene m = sphereAtItsCentre(kTestRonchi, 0, 0, 25);
    const double period = 2 * makeRaySetup(m, 1).bandWidth;
    m.setup.slitWidth = slitInPeriods * period;
    const RaySetup s = makeRaySetup(m, 1);
    RandomGenerator slit;
    double brightest = 0, darkest = 1;
    for (int i = 0; i < 120; ++i) {
        const double u = -60 + 120.0 * i / 119;
        int lit = 0;
        const int draws = 2500;
        for (int k = 0; k < draws; ++k) lit += exactRayLit(s, u, 1, sourcePoint(s, slit));
        const double share = static_cast<double>(lit) / draws;
        brightest = std::max(brightest, share);
        darkest = std::min(darkest, share);
    }
    return (brightest - darkest) / (brightest + darkest);
}

// A slit no wider than half the period still fits in a bright band, so the
// bands keep their full contrast; wider, the contrast falls to nothing as
// the width reaches the period: (p - W) / W.
TEST(Slit, RonchiBandsFadeAsTheSlitNearsThePeriod) {
    EXPECT_NEAR(bandContrast(0), 1, 1e-12);
    EXPECT_GT(bandContrast(0.4), 0.93);
    const double threeQuarters = bandContrast(0.75);
    EXPECT_NEAR(threeQuarters, 1.0 / 3, 0.1);
    const double almost = bandContrast(0.95);
    EXPECT_LT(almost, 0.15);
    EXPECT_LT(almost, threeQuarters);
}

// The exact trace as it was before the slit and the zone at its true
// height: a source on the axis, the exact conic, nothing added.
bool todaysExactLit(const RaySetup& s, double u, double v) {
    const double R = s.radius, onePlusK = 1 + s.conicConstant, q = s.sourceZ;
    const double sq = u * u + v * v, r = std::sqrt(sq);
    const double square = R * R - onePlusK * sq;
    const double root = std::sqrt(std::fmax(square, 0.0));
    const double sag = sq / (R + root);
    const double c = root - 0.0 * r;
    const double toMirror = sag - q;
    const double bounce = 2 * (toMirror * c - sq) / (sq + c * c);
    const double oz = toMirror - bounce * c;
    const double scale = 1 + bounce;
    const double reach = (s.planeZ - sag) / oz;
    const double x = -(u + reach * (u * scale)), y = -(v + reach * (v * scale));
    if (!(square >= 0 && oz > 0 && reach >= 0 && std::isfinite(x) && std::isfinite(y))) return false;
    RayFault fault = RayFault::None;
    const double across = y / s.bandWidth;
    const bool lit = decideBands(s.bands, false, (s.orientation() == Orientation::Horizontal ? y : x) / s.bandWidth,
                                 [across] { return across; }, fault);
    return lit && fault == RayFault::None;
}

// With a point source every decision, every pixel and the state of the
// shadowgram's generator are what they were, and the slit's own generator
// is never drawn from.
TEST(Slit, APointSourceDrawsWhatItAlwaysDrew) {
    struct Case {
        int test, orientation;
        double conic, axial;
        bool moving;
    };
    for (const Case& c : {Case{kTestRonchi, kOrientVertical, -1, 2, false}, Case{kTestFoucault, kOrientVertical, 0, 0.5, true},
                          Case{kTestWire, kOrient2D, -1, -3, false}, Case{kTestRonchi, kOrientHorizontal, -4, 1, true}}) {
        TestPicture sc;
        sc.controls.exactTrace = true;
        sc.controls.movingSource = c.moving;
        sc.controls.test = c.test;
        sc.controls.orientation = c.orientation;
        sc.controls.parameters[kRowConic] = formatGeneral(c.conic);
        sc.position().axialOffset = c.axial;
        sc.recompute();
        sc.setup().orientation = orientationFrom(sc.read(), sc.setup().orientation);
        const RaySetup s = makeRaySetup(sc.scene(), 1);
        DiskPoints disk(sc.mirror().mirrorDiameter / 2);
        for (int i = 0; i < 20000; ++i) {
            double u, v;
            disk.next(u, v);
            ASSERT_EQ(exactRayLit(s, u, v), todaysExactLit(s, u, v)) << u << ", " << v;
        }
        // A whole pass: the points of today's decision, and the generator's state after 2 draws a point.
        TestPicture reference;
        sc.pass();
        RandomGenerator draws;
        for (int i = 0; i < sc.sim.rayCount; ++i) {
            const double u = draws.coordinate(sc.mirror().mirrorDiameter), v = draws.coordinate(sc.mirror().mirrorDiameter);
            if (std::sqrt(u * u + v * v) > sc.mirror().mirrorDiameter / 2 || !todaysExactLit(s, u, v)) continue;
            reference.canvas.setPixel(truncToInt(2 * (fdiv(275 * u, sc.mirror().mirrorDiameter) + 205)),
                                      truncToInt(fdiv(550 * v, sc.mirror().mirrorDiameter) + 300), kPalette.rayColour);
        }
        EXPECT_EQ(testing::firstDifference(sc.canvas.image().copy(135, 25, 551, 551),
                                           reference.canvas.image().copy(135, 25, 551, 551)),
                  "");
        EXPECT_EQ(sc.sim.random.seed(), draws.seed());
        EXPECT_EQ(sc.sim.slitRandom.seed(), 0u);
    }
}

// A slit in a whole pass: the centre-line pass takes it too, and the slit's
// generator runs once a point of the aperture.
TEST(Slit, EveryPassTakesTheSlit) {
    TestPicture sc;
    sc.controls.exactTrace = true;
    sc.controls.sourceWidth = "0.2";
    sc.position().axialOffset = 4;
    sc.recompute();
    EXPECT_EQ(sc.setup().slitWidth, 0.2);
    sc.pass();
    EXPECT_NE(sc.sim.slitRandom.seed(), 0u);
    const std::uint32_t afterNormal = sc.sim.slitRandom.seed();
    sc.centres();
    EXPECT_NE(sc.sim.slitRandom.seed(), afterNormal);

    // Without the exact trace the slit is not read, and a negative one is refused with it.
    TestPicture series;
    series.controls.sourceWidth = "-1";
    series.recompute();
    EXPECT_EQ(series.setup().slitWidth, 0);
    series.controls.exactTrace = true;
    try {
        series.recompute();
        ADD_FAILURE() << "a negative slit was taken";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), kNegativeSlitMessage);
    }
}

}  // namespace
}  // namespace sg
