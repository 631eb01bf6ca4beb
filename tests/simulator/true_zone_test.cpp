// SPDX-License-Identifier: GPL-3.0-or-later
// The drawn zone at its true height in the exact ray trace: the surface it
// adds, what the picture then shows, and what stays as it was.
#include "model/number_text.h"
#include "model/drawn_zone.h"
#include "tests/support/picture_checks.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"
#include "tests/support/test_picture.h"
#include "analysis/surface_analysis.h"
#include "editor/surface_editor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace sg {
namespace {

using testing::TestPicture;

// Knot heights (editor pixels, positive below the zero line) that make the
// editor's spline the parabola p(x) = depth (x - 22)^2 on knots 2..43: the
// first and last knots are chosen so that the clamped ends (level at knots
// 1 and 44) join the parabola with its value, slope and curvature.
void parabolicKnots(EditorShape& m, double depth) {
    auto p = [depth](double x) { return depth * (x - 22) * (x - 22); };
    auto slope = [depth](double x) { return 2 * depth * (x - 22); };
    const double curvature = 2 * depth;
    for (int k = 0; k < kKnotCount; ++k) {
        m.knotX[k] = k;
        m.knotHeight[k] = p(k);
    }
    // [43, 44]: p(43) + p'(43) w + curvature / 2 w^2 + e w^3 with slope 0 at w = 1.
    const double e = -(slope(43) + curvature) / 3;
    m.knotHeight[44] = p(43) + slope(43) + curvature / 2 + e;
    // [1, 2]: a + c w^2 + d w^3 (level at knot 1) meeting p at knot 2.
    const double d = (curvature - slope(2)) / 3;
    const double c = (slope(2) - 3 * d) / 2;
    m.knotHeight[1] = p(2) - c - d;
}

// The edges of the bands along the horizontal diameter (mm from the centre),
// found by bisection between sample points whose decisions differ.
std::vector<double> bandEdges(double diameter, const RaySetup& s) {
    const double a = diameter / 2;
    std::vector<double> edges;
    const int steps = 4000;
    double previousU = -a * 0.999;
    bool previous = exactRayLit(s, previousU, 0.5);
    for (int i = 1; i <= steps; ++i) {
        const double u = -a * 0.999 + 2 * a * 0.999 * i / steps;
        const bool lit = exactRayLit(s, u, 0.5);
        if (lit != previous) {
            double lo = previousU, hi = u;
            for (int k = 0; k < 60; ++k) {
                const double mid = (lo + hi) / 2;
                (exactRayLit(s, mid, 0.5) == previous ? lo : hi) = mid;
            }
            edges.push_back((lo + hi) / 2);
        }
        previous = lit;
        previousU = u;
    }
    return edges;
}

// A scene traced exactly, with the drawn shape it draws on the distorted surface.
struct Zoned {
    Scene scene;
    EditorShape shape;
    RaySetup setup() {
        takeDrawnZone(scene, shape);
        return makeRaySetup(scene, 1);
    }
    double diameter() const { return scene.mirror.mirrorDiameter; }
};

Zoned exactModel(double radius, double conic, double axial) {
    Zoned m;
    m.scene.mirror.radiusOfCurvature = radius;
    m.scene.mirror.conicConstant = conic;
    m.scene.setup.position.axialOffset = axial;
    m.scene.setup.rayModel = RayModel::Exact;
    m.scene.setup.linesPerMm = 10;
    return m;
}

// A zone shaped as a parabola only changes the radius: on a sphere it draws
// the sphere of the new radius, p waves of depth at the rim meaning a sag
// lower by p wavelengths there.
TEST(TrueZone, AParabolicZoneOnASphereIsTheSphereOfTheChangedRadius) {
    // (The two surfaces differ in r^4 by r^4 (1 / 8R^3 - 1 / 8R'^3), which
    // for these depths and planes moves no edge by half a pixel.)
    for (const double waves : {1.0, -2.0, 3.0}) {
        for (const double axial : {-10.0, 8.0}) {
            Zoned zoned = exactModel(2000, 0, axial);
            parabolicKnots(zoned.shape, 1.0);  // a hollow deepest at the rim
            zoned.scene.mirror.zoneHeight = waves;
            zoned.scene.mirror.invertDeviation = waves < 0;
            zoned.scene.mirror.deviation = SurfaceDeviation::Drawn;
            const RaySetup zonedSetup = zoned.setup();
            ASSERT_FALSE(zonedSetup.zone.flat);
            // The rim falls by |waves| wavelengths, turned over for a negative zone.
            const double rimDrop = waves * zoned.scene.setup.wavelength / 1000;
            const double a = zoned.diameter() / 2;
            EXPECT_NEAR(zoneAt(zonedSetup.zone, a).sag, -rimDrop, 1e-12);
            // r^2 / 2R' = r^2 / 2R - rimDrop r^2 / a^2.
            const double newRadius = 1 / (1 / 2000.0 - 2 * rimDrop / (a * a));
            // The same source and plane: the zoned mirror's source stands at
            // 2000 mm, not at the new sphere's centre.
            Zoned sphere = exactModel(newRadius, 0, axial + 2000 - newRadius);
            RaySetup sphereSetup = sphere.setup();
            sphereSetup.sourceZ = zonedSetup.sourceZ;
            ASSERT_DOUBLE_EQ(sphereSetup.planeZ, zonedSetup.planeZ);
            const std::vector<double> expected = bandEdges(sphere.diameter(), sphereSetup);
            const std::vector<double> got = bandEdges(zoned.diameter(), zonedSetup);
            ASSERT_GE(expected.size(), 4u) << waves << " waves at " << axial;
            ASSERT_EQ(got.size(), expected.size()) << waves << " waves at " << axial;
            const double pixelsPerMm = 550 / zoned.diameter();
            for (std::size_t i = 0; i < got.size(); ++i)
                EXPECT_NEAR(got[i] * pixelsPerMm, expected[i] * pixelsPerMm, 0.5)
                    << "edge " << i << ", " << waves << " waves at " << axial << " mm";
            // And the zone does move the edges: a test that could see it.
            Zoned plain = exactModel(2000, 0, axial);
            const std::vector<double> unmoved = bandEdges(plain.diameter(), plain.setup());
            double largest = 0;
            for (std::size_t i = 0; i < std::min(unmoved.size(), got.size()); ++i)
                largest = std::max(largest, std::fabs(unmoved[i] - got[i]) * pixelsPerMm);
            EXPECT_TRUE(unmoved.size() != got.size() || largest > 2) << waves << " waves at " << axial;
        }
    }
}

// The zone's surface at the 41 mirror knots is the one the analysis adds to
// the conic, with its sign: Invert and a negative zone height turn it over.
TEST(TrueZone, AtTheKnotsTheSurfaceIsTheAnalysis) {
    struct Case {
        double zoneHeight, wavelength;
        bool invert;
    };
    for (const Case& c : {Case{0.5, 0.55, false}, Case{-0.5, 0.55, true}, Case{2.0, 0.633, false},
                          Case{0.5, 0.55, true}}) {
        Mirror m;
        EditorShape drawn;
        const double shape[] = {0, 5, 0, -10, -30, -60, -45, -20, 0, 10, 25, 40, 30, 10, -5, -5, 0, 0, 2, 0, 0, 0, 0};
        for (int k = 0; k <= 22; ++k) drawn.knotHeight[k] = drawn.knotHeight[44 - k] = shape[k];
        m.zoneHeight = c.zoneHeight;
        m.invertDeviation = c.invert;
        const DrawnZone zone = makeDrawnZone(m, c.wavelength, drawn);

        AnalysisInput in;
        in.zoneHeight = c.zoneHeight;
        in.wavelength = c.wavelength;
        in.invertDeviation = c.invert;
        in.knotHeight = drawn.knotHeight;
        const AnalysisFigures w = analyseSurface(in);
        for (int j = 20; j < kAnalysisSamples; ++j) {
            const double r = w.sampleX[j];
            EXPECT_NEAR(zoneAt(zone, r).sag, w.deviation[j], 1e-14)
                << "knot " << j + 2 << ", zone " << c.zoneHeight << (c.invert ? " inverted" : "");
        }
    }
}

// What the grid reads for a zone height of 0 (1E-7), or a flat drawing,
// draws the pure conic pixel for pixel; the wavelength scales the zone as
// the zone height does; and the zone shows in "2 D" too.
TEST(TrueZone, ZeroZoneWavelengthAndTwoD) {
    auto picture = [](const char* zone, const char* wavelength, int orientation, bool distorted, bool flat) {
        TestPicture sc;
        sc.controls.exactTrace = true;
        sc.controls.test = kTestRonchi;
        sc.controls.orientation = orientation;
        sc.controls.parameters[kRowZoneHeight] = zone;
        sc.controls.parameters[kRowWavelength] = wavelength;
        sc.controls.parameters[kRowLinesPerMm] = "8";
        sc.controls.surface = distorted ? kSurfaceDistorted : kSurfacePure;
        if (!flat)
            for (int k = 12; k <= 16; ++k) sc.shape.knotHeight[k] = sc.shape.knotHeight[44 - k] = -40;
        EditorState editor;
        fitEditorProfile(sc.shape, editor);
        sc.position().axialOffset = 1.5;
        sc.recompute();
        sc.pass();
        return sc.canvas.image().copy(135, 25, 551, 551);
    };
    const QImage pure = picture("0.5", "0.55", kOrientVertical, false, false);
    EXPECT_EQ(testing::firstDifference(picture("0", "0.55", kOrientVertical, true, false), pure), "");
    EXPECT_EQ(testing::firstDifference(picture("0.5", "0.55", kOrientVertical, true, true), pure), "");
    const QImage zoned = picture("0.5", "0.55", kOrientVertical, true, false);
    EXPECT_NE(testing::firstDifference(zoned, pure), "");
    EXPECT_EQ(testing::firstDifference(picture("1", "0.275", kOrientVertical, true, false), zoned), "");
    EXPECT_EQ(testing::firstDifference(picture("0.25", "1.1", kOrientVertical, true, false), zoned), "");
    EXPECT_NE(testing::firstDifference(picture("0.5", "0.633", kOrientVertical, true, false), zoned), "");
    EXPECT_NE(testing::firstDifference(picture("0.5", "0.55", kOrient2D, true, false),
                                       picture("0.5", "0.55", kOrient2D, false, false)),
              "");
}

}  // namespace
}  // namespace sg
