// SPDX-License-Identifier: GPL-3.0-or-later
// The batched passes give exactly what the plain point-by-point loop gives:
// the same pixels, the same fault and the same generator state afterwards.
#include "model/number_text.h"
#include "model/failure.h"
#include "model/controls_reading.h"
#include "tests/support/picture_checks.h"
#include "simulator/ray_block_avx2.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"
#include "tests/support/test_picture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace sg {
namespace {

using testing::TestPicture;

// The pass as written point by point: draw u then v, skip points outside
// the aperture, decide, paint the truncated pixel.
void referencePass(TestPicture& sc, bool centres) {
    Scene& m = sc.scene();
    m.setup.orientation = orientationFrom(sc.read(), m.setup.orientation);
    const RaySetup setup = makeRaySetup(m, centres ? 40 : 1);
    const double D = m.mirror.mirrorDiameter;
    for (int i = 0; i < sc.sim.rayCount; ++i) {
        const double u = sc.sim.random.coordinate(D);
        const double v = sc.sim.random.coordinate(D);
        if (std::sqrt(u * u + v * v) > D / 2) continue;
        const bool lit = centres        ? centreRayLit(setup, u, v)
                         : setup.exact ? exactRayLit(setup, u, v, sourcePoint(setup, sc.sim.slitRandom))
                                       : normalRayLit(setup, u, v);
        if (!lit) continue;
        const int x = truncToInt(2 * (fdiv(275 * u, D) + 205));
        const int y = truncToInt(fdiv(550 * v, D) + 300);
        sc.canvas.setPixel(x, y, kPalette.rayColour);
    }
    sc.canvas.setPenColour(m.view.whiteMode ? kPalette.gridColourWhite : kPalette.gridColour);
    if (m.view.showGrid) drawReferenceGrid(sc.canvas);
}

struct Config {
    int test, orientation, surface;
    bool odd, centres;
    double axial, transverse;
    const char* conic;
    const char* diameter = "200";
    const char* radius = "2000";
    const char* lines = "4";
    bool exact = false, moving = false;
    double slit = 0;  // mm, the exact trace's source width
};

std::string describe(const Config& c) {
    std::ostringstream s;
    s << "test " << c.test << " orientation " << c.orientation << " surface " << c.surface << " odd " << c.odd
      << " centres " << c.centres << " axial " << c.axial << " transverse " << c.transverse << " conic " << c.conic
      << " D " << c.diameter << " R " << c.radius << " lines " << c.lines << " exact " << c.exact << " moving "
      << c.moving << " slit " << c.slit;
    return s.str();
}

void PrintTo(const Config& c, std::ostream* os) { *os << describe(c); }

struct Outcome {
    QImage image;
    std::uint32_t seed = 0, slitSeed = 0;
    std::string error;
};

// The reference loop, the portable pass, or the pass in AVX2 lanes where the CPU has them.
enum class Path { Reference, Portable, Lanes };

Outcome run(const Config& c, Path path) {
    const bool reference = path == Path::Reference;
    TestPicture sc;
    // A wavy zone: the series model's sampled profile, the exact trace's knots.
    for (int i = 180; i <= 352; ++i) sc.shape.profile[i] = std::sin(i * 0.07) * 30;
    for (int k = 0; k <= 22; ++k) sc.shape.knotHeight[k] = sc.shape.knotHeight[44 - k] = std::sin(k * 0.7) * 30;
    sc.controls.test = c.test;
    sc.controls.orientation = c.orientation;
    sc.controls.surface = c.surface;
    sc.controls.odd = c.odd;
    sc.controls.parameters[kRowConic] = c.conic;
    sc.controls.parameters[kRowZoneHeight] = "1.5";
    sc.controls.parameters[kRowRadius] = c.radius;
    sc.controls.parameters[kRowLinesPerMm] = c.lines;
    sc.sim.vectorPass = path == Path::Lanes;
    sc.controls.exactTrace = c.exact;
    sc.controls.movingSource = c.moving;
    sc.controls.sourceWidth = formatGeneral(c.slit);
    sc.position().axialOffset = c.axial;
    try {
        sc.recompute();  // a radius of 0 stops it after the numbers are read
    } catch (const ActionError&) {
    }
    sc.controls.parameters[kRowDiameter] = c.diameter;
    sc.mirror().mirrorDiameter = parseCellFloat(c.diameter);  // after the recompute, as a pass may meet it
    sc.position().transverseOffset = c.transverse;
    Outcome o;
    try {
        for (int pass = 0; pass < 2; ++pass) {
            if (reference)
                referencePass(sc, c.centres);
            else if (c.centres)
                sc.centres();
            else
                sc.pass();
        }
    } catch (const ActionError& e) {
        o.error = e.what();
    }
    o.image = sc.canvas.image().copy();
    o.seed = sc.sim.random.seed();
    o.slitSeed = sc.sim.slitRandom.seed();
    return o;
}

class PassEquivalence : public ::testing::TestWithParam<Config> {};

// Both the portable pass and the pass in lanes give the plain loop's
// pixels, generator state and message.
TEST_P(PassEquivalence, BatchedEqualsPointByPoint) {
    const Config& c = GetParam();
    const Outcome reference = run(c, Path::Reference);
    for (Path path : {Path::Portable, Path::Lanes}) {
        const Outcome batched = run(c, path);
        const char* name = path == Path::Portable ? "portable: " : "lanes: ";
        EXPECT_EQ(testing::firstDifference(batched.image, reference.image), "") << name << describe(c);
        EXPECT_EQ(batched.seed, reference.seed) << name << describe(c);
        EXPECT_EQ(batched.slitSeed, reference.slitSeed) << name << describe(c);
        EXPECT_EQ(batched.error, reference.error) << name << describe(c);
    }
}

std::vector<Config> configs() {
    std::vector<Config> all;
    for (int test : {kTestRonchi, kTestWire, kTestFoucault})
        for (int orientation : {kOrientVertical, kOrientHorizontal, kOrient2D})
            for (int surface : {kSurfacePure, kSurfaceDistorted})
                for (bool centres : {false, true})
                    all.push_back({test, orientation, surface, orientation == kOrientHorizontal, centres,
                                   orientation == kOrient2D ? -2.5 : 1.25, test == kTestRonchi ? 0.3 : -0.7, "-1"});
    all.push_back({kTestRonchi, kOrientVertical, kSurfacePure, false, false, 0, 0, "0"});
    all.push_back({kTestRonchi, kOrientVertical, kSurfacePure, true, false, 7, 0, "-3.5"});
    // Faults: a conic that overflows, a zero diameter.
    all.push_back({kTestRonchi, kOrientVertical, kSurfacePure, false, false, 0, 0, "1e308"});
    all.push_back({kTestWire, kOrient2D, kSurfaceDistorted, false, false, 0, 0, "1e308"});
    all.push_back({kTestRonchi, kOrientVertical, kSurfacePure, false, false, 0, 0, "-1", "0"});
    // Other mirrors and parities, pure conic, normal pass.
    for (const char* conic : {"0", "-1", "-1.7", "0.4"})
        for (bool odd : {false, true})
            for (int test : {kTestRonchi, kTestWire, kTestFoucault}) {
                Config c{test, odd ? kOrient2D : kOrientVertical, kSurfacePure, odd, false, odd ? 3.5 : -6, 0.45, conic};
                c.diameter = odd ? "150" : "310";
                c.radius = odd ? "900" : "2500";
                c.lines = odd ? "10" : "2.5";
                all.push_back(c);
            }
    // The tester whose source moves, and the exact trace (normal pass; the
    // centre-line pass of the exact trace checks the lit rule in the
    // reference loop's way only for the normal pass).
    for (int test : {kTestRonchi, kTestWire, kTestFoucault})
        for (int orientation : {kOrientVertical, kOrientHorizontal, kOrient2D})
            for (bool exact : {false, true}) {
                Config c{test, orientation, kSurfacePure, orientation == kOrient2D, false, -1.75, 0.2, "-1"};
                c.exact = exact;
                c.moving = true;
                all.push_back(c);
                if (!exact) {  // the centre lines of the moving source, the lanes' too
                    c.centres = true;
                    all.push_back(c);
                    c.centres = false;
                }
                c.moving = false;
                c.surface = kSurfaceDistorted;
                c.conic = orientation == kOrientVertical ? "0" : "-4";
                if (exact) all.push_back(c);
            }
    // The exact trace from a slit (a square pinhole for "2 D"), on the pure
    // conic and with the zone at its true height.
    for (int test : {kTestRonchi, kTestWire, kTestFoucault})
        for (int orientation : {kOrientVertical, kOrientHorizontal, kOrient2D})
            for (int surface : {kSurfacePure, kSurfaceDistorted}) {
                Config c{test, orientation, surface, false, false, 0.75, 0.1, "0"};
                c.exact = true;
                c.slit = 0.15;
                c.moving = orientation == kOrientHorizontal;
                all.push_back(c);
            }
    // An oblate ellipsoid whose rim lies beyond the conic: (1 + K) r^2 > R^2.
    Config ellipsoidRim{kTestRonchi, kOrientVertical, kSurfacePure, false, false, 3, 0, "5"};
    ellipsoidRim.exact = true;
    ellipsoidRim.radius = "150";
    all.push_back(ellipsoidRim);
    // A ruling so fine that the band index across the pattern leaves the
    // conversion's range near the rim while the one along it does not: the
    // wire's band along the pattern already decides, as in the series model.
    for (bool odd : {false, true}) {
        Config fineRuling{kTestWire, kOrient2D, kSurfacePure, odd, false, 1, 0, "-1"};
        fineRuling.exact = true;
        fineRuling.lines = "1e19";
        all.push_back(fineRuling);
    }
    // Faults: a radius of 0, a ruling of 0, offsets far beyond any band.
    Config zeroRadius{kTestRonchi, kOrientVertical, kSurfacePure, false, false, 0, 0, "-1"};
    zeroRadius.radius = "0";
    all.push_back(zeroRadius);
    Config zeroRuling{kTestWire, kOrientHorizontal, kSurfacePure, false, false, 1, 0, "-1"};
    zeroRuling.lines = "0";
    all.push_back(zeroRuling);
    all.push_back({kTestRonchi, kOrientVertical, kSurfacePure, false, false, 1e300, 0, "-1"});
    all.push_back({kTestRonchi, kOrient2D, kSurfacePure, false, false, 0, 1e300, "-1"});
    all.push_back({kTestFoucault, kOrientVertical, kSurfacePure, false, false, -1e300, 1e300, "0"});
    all.push_back({kTestWire, kOrientVertical, kSurfacePure, false, false, 2, 1e300, "-1"});
    return all;
}

INSTANTIATE_TEST_SUITE_P(Configurations, PassEquivalence, ::testing::ValuesIn(configs()));

TEST(PassEquivalenceFaults, OverflowingConicStopsWithTheMessage) {
    const Outcome o = run({kTestRonchi, kOrientVertical, kSurfacePure, false, false, 0, 0, "1e308"}, Path::Lanes);
    EXPECT_EQ(o.error, "Invalid floating point operation");
    RandomGenerator g;
    for (int i = 0; i < 4; ++i) g.next();  // stops at the second sample, the first inside
    EXPECT_EQ(o.seed, g.seed());
}

// The plane positions in band widths that the lanes decide on, bit for bit
// those of the point-by-point code, over millions of points: an image can
// hide a reordered multiplication that moves a value by one unit in the
// last place without moving a pixel. The fixed and the moving source (off
// focus, where its shift counts), the normal and the centre-line pass.
TEST(PassLanes, PlanePositionsBitForBit) {
    if (!cpuHasAvx2()) GTEST_SKIP() << "no AVX2 on this CPU";
    std::uint64_t state = 12345;
    auto uniform = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    struct Set {
        int test, orientation;
        double conic, diameter, radius, lines, axial, transverse;
        bool moving = false, centres = false;
    };
    const Set sets[] = {{kTestRonchi, kOrientVertical, -1, 200, 2000, 4, 1.25, 0.3},
                        {kTestRonchi, kOrientHorizontal, 0, 150, 900, 10, -3, 0},
                        {kTestWire, kOrient2D, -1.7, 310, 2500, 2.5, 6, -0.7},
                        {kTestFoucault, kOrient2D, 0.4, 254, 3048, 6, -0.5, 0.2},
                        {kTestRonchi, kOrientVertical, -1, 200, 2000, 4, 3.5, 0.1, true},
                        {kTestFoucault, kOrientHorizontal, 0, 150, 900, 10, -2.25, 0, true},
                        {kTestWire, kOrient2D, -1, 254, 1500, 3, -4, 0.35, true, true},
                        {kTestRonchi, kOrient2D, -1.2, 200, 2000, 4, 1.25, 0.3, false, true},
                        {kTestRonchi, kOrientVertical, 0, 310, 2500, 0.5, -8, 0.05, true, true}};
    int compared = 0, lit = 0;
    for (const Set& set : sets) {
        Scene m;
        m.mirror.conicConstant = set.conic;
        m.mirror.mirrorDiameter = set.diameter;
        m.mirror.radiusOfCurvature = set.radius;
        m.setup.linesPerMm = set.lines;
        m.setup.position.axialOffset = set.axial;
        m.setup.position.transverseOffset = set.transverse;
        m.setup.test = static_cast<TestKind>(set.test);
        m.setup.orientation = static_cast<Orientation>(set.orientation);
        if (set.moving) m.setup.source = SourceConvention::MovesWithDevice;
        const RaySetup setup = makeRaySetup(m, set.centres ? 40 : 1);
        ASSERT_TRUE(blockSetupUsable(setup));
        ASSERT_EQ(setup.sourceShift != 0, set.moving);
        const double aperture = set.diameter / 2;
        alignas(32) double u[kRayBatch], v[kRayBatch], zAlong[kRayBatch], zY[kRayBatch];
        for (int block = 0; block < 2000; ++block) {
            for (int k = 0; k < kRayBatch; ++k) {
                // Points on the mirror, a few of them on its rim and its axes.
                const double angle = 6.283185307179586 * uniform(), radius = aperture * std::sqrt(uniform());
                u[k] = k % 97 == 1 ? 0 : radius * std::cos(angle);
                v[k] = k % 89 == 0 ? 0 : k % 83 == 0 ? aperture : radius * std::sin(angle);
            }
            std::uint32_t litBits[kRayBatch / 32] = {};
            ASSERT_TRUE(decidePureLanes(setup, set.centres, aperture, u, v, kRayBatch, litBits, zAlong, zY));
            for (int k = 0; k < kRayBatch; ++k) {
                const PlanePoint p = planePosition(setup, u[k], v[k]);
                const double along = set.orientation == kOrientHorizontal ? p.y : p.x;
                const double expectedY = set.orientation == kOrient2D ? p.y / setup.bandWidth : 0;
                ASSERT_EQ(std::bit_cast<std::uint64_t>(zAlong[k]), std::bit_cast<std::uint64_t>(along / setup.bandWidth))
                    << "u " << u[k] << " v " << v[k];
                ASSERT_EQ(std::bit_cast<std::uint64_t>(zY[k]), std::bit_cast<std::uint64_t>(expectedY))
                    << "u " << u[k] << " v " << v[k];
                const bool inside = !(std::sqrt(u[k] * u[k] + v[k] * v[k]) > aperture);
                const bool expected =
                    inside && (set.centres ? centreRayLit(setup, u[k], v[k]) : normalRayLit(setup, u[k], v[k]));
                const bool got = ((litBits[k / 32] >> (k % 32)) & 1) != 0;
                ASSERT_EQ(got, expected) << "u " << u[k] << " v " << v[k] << " centres " << set.centres;
                ++compared;
                lit += got ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(compared, 9 * 2000 * kRayBatch);
    EXPECT_GT(lit, compared / 20);  // the centre lines are thin, the bands are not
}

// The aperture tested on u^2 + v^2 against its limit keeps exactly the
// points whose root is not beyond the aperture: the limit is the last
// square whose root is not beyond it, for mirrors of every size, apertures
// whose square rounds either way, and the degenerate ones.
TEST(PassLanes, ApertureOnTheSquareKeepsThePointsOfTheRoot) {
    std::uint64_t state = 987654321;
    auto uniform = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> apertures = {0.0, -0.0, 1.0, 2.0, 100.0, 127.0, 0.5e-320, 1e-160, 1.3407807929942596e154,
                                     1e300, std::numeric_limits<double>::max(), -3.0, -inf, inf};
    for (int i = 0; i < 20000; ++i) apertures.push_back(std::ldexp(0.5 + uniform(), static_cast<int>(uniform() * 80) - 40));
    for (double a : apertures) {
        const double limit = apertureSquareLimit(a);
        const auto outside = [a](double s) { return std::sqrt(s) > a; };
        if (a >= 0 && !std::isinf(a)) {
            EXPECT_FALSE(outside(limit)) << "aperture " << a;
            EXPECT_TRUE(outside(std::nextafter(limit, inf)) || limit == std::numeric_limits<double>::max())
                << "aperture " << a;
        }
        // Squares about the aperture's own, and points of the whole range.
        const double around = a * a;
        for (double s : {around, std::nextafter(around, 0.0), std::nextafter(around, inf), 0.0, 1.0, inf,
                         uniform() * 4 * std::fabs(around), std::numeric_limits<double>::quiet_NaN()})
            ASSERT_EQ(s > limit, outside(s)) << "aperture " << a << " square " << s;
    }
}

// The lanes decide every block of the moving source off focus, of the
// centre lines and of the exact trace from a point source: the same pixels
// and generator state as the portable code, block for block.
TEST(PassLanes, TakeTheMovingSourceTheCentreLinesAndTheExactTrace) {
    if (!cpuHasAvx2()) GTEST_SKIP() << "no AVX2 on this CPU";
    struct Case {
        const char* name;
        int test, orientation;
        bool moving, centres, exact;
        double axial, transverse;
    };
    const Case cases[] = {
        {"moving source, grating", kTestRonchi, kOrientVertical, true, false, false, -2.5, 0.2},
        {"moving source, knife", kTestFoucault, kOrientVertical, true, false, false, 1.5, 0.1},
        {"centres, grating 2 D", kTestRonchi, kOrient2D, false, true, false, 3, 0.3},
        {"centres, wire, moving source", kTestWire, kOrientHorizontal, true, true, false, -4, -0.2},
        {"exact, fixed source", kTestRonchi, kOrientVertical, false, false, true, -2, 0},
        {"exact, moving source, knife", kTestFoucault, kOrient2D, true, false, true, 0.6, 0.15},
    };
    for (const Case& c : cases) {
        TestPicture lanes, portable;
        for (TestPicture* sc : {&lanes, &portable}) {
            sc->controls.test = c.test;
            sc->controls.orientation = c.orientation;
            sc->controls.movingSource = c.moving;
            sc->controls.exactTrace = c.exact;
            sc->position().axialOffset = c.axial;
            sc->recompute();
            sc->setup().orientation = orientationFrom(sc->read(), sc->setup().orientation);
            sc->position().transverseOffset = c.transverse;
            sc->sim.drawTables.prepare(sc->mirror().mirrorDiameter);
        }
        const RaySetup setup = makeRaySetup(lanes.scene(), c.centres ? 40 : 1);
        ASSERT_TRUE(c.exact ? exactBlockUsable(setup) : blockSetupUsable(setup)) << c.name;
        const BlockTarget target{lanes.canvas.row(0), lanes.canvas.image().bytesPerLine() / 4, 800, 700,
                                 toQRgb(kPalette.rayColour)};
        for (int block = 0; block < 40; ++block) {
            if (c.exact)
                decideExactBlockAvx2(setup, lanes.sim.drawTables, 100, target, lanes.sim.random);
            else
                ASSERT_TRUE(decidePureBlockAvx2(setup, c.centres, lanes.sim.drawTables, 100, target, lanes.sim.random))
                    << c.name << " block " << block;
        }
        portable.sim.vectorPass = false;
        portable.sim.rayCount = 40 * kRayBatch;
        if (c.centres)
            centresPass(portable.sim, portable.scene());
        else
            shadowgramPass(portable.sim, portable.scene());
        EXPECT_EQ(lanes.sim.random.seed(), portable.sim.random.seed()) << c.name;
        EXPECT_EQ(testing::firstDifference(lanes.canvas.image(), portable.canvas.image()), "") << c.name;
        EXPECT_GT(testing::countColour(lanes.canvas.image(), kPalette.rayColour), 200) << c.name;
    }
}

// The lanes really decide the default picture's blocks, and a block that
// might fault leaves the generator as it was for the careful code.
TEST(PassLanes, TakeTheDefaultBlocksAndHandBackSuspectOnes) {
    if (!cpuHasAvx2()) GTEST_SKIP() << "no AVX2 on this CPU";
    TestPicture sc;
    sc.recompute();
    sc.setup().orientation = orientationFrom(sc.read(), sc.setup().orientation);
    sc.sim.drawTables.prepare(sc.mirror().mirrorDiameter);
    const RaySetup setup = makeRaySetup(sc.scene(), 1);
    ASSERT_TRUE(blockSetupUsable(setup));
    const BlockTarget target{sc.canvas.row(0), sc.canvas.image().bytesPerLine() / 4, 800, 700, toQRgb(kRed)};
    EXPECT_TRUE(decidePureBlockAvx2(setup, false, sc.sim.drawTables, 100, target, sc.sim.random));
    EXPECT_NE(sc.sim.random.seed(), 0u);
    EXPECT_GT(testing::countColour(sc.canvas.image(), kRed), 50);

    sc.position().axialOffset = 1e300;  // every band index beyond the integer range
    const RaySetup far = makeRaySetup(sc.scene(), 1);
    const std::uint32_t before = sc.sim.random.seed();
    EXPECT_FALSE(decidePureBlockAvx2(far, false, sc.sim.drawTables, 100, target, sc.sim.random));
    EXPECT_EQ(sc.sim.random.seed(), before);
}

}  // namespace
}  // namespace sg
