// The batched passes give exactly what the plain point-by-point loop gives:
// the same pixels, the same fault and the same generator state afterwards.
#include "cell_number.h"
#include "failure.h"
#include "model_io.h"
#include "picture_checks.h"
#include "ray_pass.h"
#include "redraw.h"
#include "scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace sg {
namespace {

using testing::Scene;

// The pass as written point by point: draw u then v, skip points outside
// the aperture, decide, paint the truncated pixel.
void referencePass(Scene& sc, bool centres) {
    MirrorModel& m = sc.model;
    readOrientation(m, sc.controls);
    const RaySetup setup = makeRaySetup(m, centres ? 40 : 1);
    const double D = m.mirrorDiameter;
    for (int i = 0; i < m.rayCount; ++i) {
        const double u = sc.sim.random.coordinate(D);
        const double v = sc.sim.random.coordinate(D);
        if (std::sqrt(u * u + v * v) > D / 2) continue;
        const bool lit = centres ? centreRayLit(m, setup, u, v) : normalRayLit(m, setup, u, v);
        if (!lit) continue;
        const int x = truncToInt(2 * (fdiv(275 * u, D) + 205));
        const int y = truncToInt(fdiv(550 * v, D) + 300);
        sc.canvas.setPixel(x, y, m.palette.rayColour);
    }
    sc.canvas.setPenColour(m.whiteMode ? m.palette.gridColourWhite : m.palette.gridColour);
    if (m.showGrid) drawReferenceGrid(sc.canvas);
}

struct Config {
    int test, orientation, surface;
    bool odd, centres;
    double axial, transverse;
    const char* conic;
    const char* diameter = "200";
};

std::string describe(const Config& c) {
    std::ostringstream s;
    s << "test " << c.test << " orientation " << c.orientation << " surface " << c.surface << " odd " << c.odd
      << " centres " << c.centres << " axial " << c.axial << " transverse " << c.transverse << " conic " << c.conic
      << " D " << c.diameter;
    return s.str();
}

void PrintTo(const Config& c, std::ostream* os) { *os << describe(c); }

struct Outcome {
    QImage image;
    std::uint32_t seed = 0;
    std::string error;
};

Outcome run(const Config& c, bool reference) {
    Scene sc;
    for (int i = 180; i <= 352; ++i) sc.model.editorProfile[i] = std::sin(i * 0.07) * 30;  // a wavy zone
    sc.controls.test = c.test;
    sc.controls.orientation = c.orientation;
    sc.controls.surface = c.surface;
    sc.controls.odd = c.odd;
    sc.controls.parameters[kRowConic] = c.conic;
    sc.controls.parameters[kRowZoneHeight] = "1.5";
    sc.model.axialOffsetSetting = c.axial;
    recompute(sc.sim);
    sc.controls.parameters[kRowDiameter] = c.diameter;
    sc.model.mirrorDiameter = parseCellFloat(c.diameter);  // after the recompute, as a pass may meet it
    sc.model.transverseOffset = c.transverse;
    Outcome o;
    try {
        for (int pass = 0; pass < 2; ++pass) {
            if (reference)
                referencePass(sc, c.centres);
            else if (c.centres)
                centresPass(sc.sim);
            else
                shadowgramPass(sc.sim);
        }
    } catch (const ActionError& e) {
        o.error = e.what();
    }
    o.image = sc.canvas.image().copy();
    o.seed = sc.sim.random.seed();
    return o;
}

class PassEquivalence : public ::testing::TestWithParam<Config> {};

TEST_P(PassEquivalence, BatchedEqualsPointByPoint) {
    const Config& c = GetParam();
    const Outcome batched = run(c, false), reference = run(c, true);
    EXPECT_EQ(testing::firstDifference(batched.image, reference.image), "") << describe(c);
    EXPECT_EQ(batched.seed, reference.seed) << describe(c);
    EXPECT_EQ(batched.error, reference.error) << describe(c);
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
    return all;
}

INSTANTIATE_TEST_SUITE_P(Configurations, PassEquivalence, ::testing::ValuesIn(configs()));

TEST(PassEquivalenceFaults, OverflowingConicStopsWithTheMessage) {
    const Outcome o = run({kTestRonchi, kOrientVertical, kSurfacePure, false, false, 0, 0, "1e308"}, false);
    EXPECT_EQ(o.error, "Invalid floating point operation");
    RandomGenerator g;
    for (int i = 0; i < 4; ++i) g.next();  // stops at the second sample, the first inside
    EXPECT_EQ(o.seed, g.seed());
}

}  // namespace
}  // namespace sg
