// SPDX-License-Identifier: GPL-3.0-or-later
// The exact ray model against the geometry of conics, the two testers'
// null positions, and the series model where the series holds.
#include "simulator/exact_trace.h"
#include "model/controls_reading.h"
#include "simulator/ray_pass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace sg {
namespace {

constexpr double kTolerance = 1e-9;

// Where the reflected ray of (u, v) crosses the axis, mm from the vertex.
double axisCrossing(const ExactMirror& mirror, double u, double sourceZ) {
    const ExactDirection d = reflectExact(mirror, u, 0, {}, {0, 0, sourceZ});
    EXPECT_TRUE(d.valid);
    return d.sag + (-u / d.x) * d.z;
}

TEST(ExactTrace, ConicsSendRaysFromOneFocusToTheOther) {
    const double R = 2000;
    // A paraboloid returns the rays of its focus parallel to the axis.
    for (double u : {5.0, 40.0, 99.0})
        for (double v : {0.0, -30.0}) {
            const ExactDirection d = reflectExact({R, -1}, u, v, {}, {0, 0, R / 2});
            ASSERT_TRUE(d.valid);
            EXPECT_NEAR(d.x / d.z, 0, kTolerance) << u << ", " << v;
            EXPECT_NEAR(d.y / d.z, 0, kTolerance) << u << ", " << v;
        }
    // An ellipsoid sends them from its near focus to its far one, a sphere
    // from its centre back to its centre.
    const double e = std::sqrt(0.5);
    const double nearFocus = R / (1 + e), farFocus = R / (1 - e);
    for (double u : {10.0, 60.0, 120.0}) {
        EXPECT_NEAR(axisCrossing({R, -0.5}, u, nearFocus), farFocus, kTolerance * farFocus) << u;
        EXPECT_NEAR(axisCrossing({R, 0}, u, R), R, kTolerance * R) << u;
        const ExactHit back = traceExact({R, 0}, u, 0.3 * u, {}, {0, 0, R}, R);
        ASSERT_TRUE(back.hit);
        EXPECT_NEAR(back.x, 0, kTolerance * R);
        EXPECT_NEAR(back.y, 0, kTolerance * R);
    }
}

TEST(ExactTrace, NullOfAParaboloidZoneForEachTester) {
    const double R = 2000, r = 100 * std::sqrt(0.5);  // the 70.7 % zone of a 200 mm mirror
    // Source fixed at the centre of curvature: the zone's rays cross the axis
    // r^2 / R beyond it, and the exact trace adds only a small correction.
    const double fixed = axisCrossing({R, -1}, r, R) - R;
    EXPECT_NEAR(fixed, r * r / R, 0.005);
    EXPECT_GT(std::fabs(fixed - r * r / R), 1e-6);
    // Source moving with the knife: the zone is dark all round exactly at
    // r^2 / 2R, where its rays come back to the source.
    const double null = R + r * r / (2 * R);
    for (double angle : {0.0, 1.0, 2.5}) {
        const ExactHit h = traceExact({R, -1}, r * std::cos(angle), r * std::sin(angle), {}, {0, 0, null}, null);
        ASSERT_TRUE(h.hit);
        EXPECT_NEAR(h.x, 0, 1e-10);
        EXPECT_NEAR(h.y, 0, 1e-10);
    }
}

// The law of reflection worked out apart from the trace: the mirror point on
// the conic r^2 - 2 R z + (1 + K) z^2 = 0 raised by the zone, the normal
// from the gradient of that surface with the zone's slope added to the
// conic's, and the unit direction d from the source reflected to
// d - 2 (d.n) n.
struct Vector {
    double x, y, z;
};
Vector operator-(Vector a, Vector b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector operator*(double k, Vector a) { return {k * a.x, k * a.y, k * a.z}; }
double dot(Vector a, Vector b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector unit(Vector a) { return (1 / std::sqrt(dot(a, a))) * a; }

struct Reflected {
    Vector point, direction;
};

Reflected lawOfReflection(double R, double K, double u, double v, const ZonePoint& zone, Vector source) {
    const double s = u * u + v * v, r = std::sqrt(s);
    const double conicSag = K == -1 ? s / (2 * R) : (R - std::sqrt(R * R - (1 + K) * s)) / (1 + K);
    // d/dr of r^2 - 2 R z + (1 + K) z^2 = 0: dz/dr = r / (R - (1 + K) z).
    const double slope = r / (R - (1 + K) * conicSag) + zone.slope;
    const Vector point{u, v, conicSag + zone.sag};
    const Vector n = unit({-slope * u / r, -slope * v / r, 1});
    const Vector d = unit(point - source);
    return {point, d - 2 * dot(d, n) * n};
}

// From points of a slit beside the axis, on conics either side of the
// paraboloid and with a zone's height and slope, the trace reflects by the
// law of reflection and meets the plane where the reflected ray does.
TEST(ExactTrace, OffAxisSourcesReflectByTheLawOfReflection) {
    struct Case {
        double R, K;
        ExactSource source;
        ZonePoint zone;
    };
    const Case cases[] = {{2000, -1, {0.4, 0, 2000}, {}},
                          {2000, 0, {0, -0.7, 2003}, {}},
                          {1600, -0.5, {1.5, 2.0, 1590}, {}},
                          {1200, -2.3, {-0.8, 0.3, 1202}, {}},
                          {2000, -1, {0.6, -0.4, 2001}, {2e-4, 3e-5}}};
    const double points[][2] = {{50, 0}, {0, -80}, {35, 62}, {-71, 14}, {-20, -96}};
    for (const Case& c : cases)
        for (const auto& p : points) {
            const double u = p[0], v = p[1];
            const Reflected want = lawOfReflection(c.R, c.K, u, v, c.zone, {c.source.x, c.source.y, c.source.z});
            const ExactDirection got = reflectExact({c.R, c.K}, u, v, c.zone, c.source);
            const std::string where = "R " + std::to_string(c.R) + " K " + std::to_string(c.K) + " source (" +
                                      std::to_string(c.source.x) + ", " + std::to_string(c.source.y) + ") at (" +
                                      std::to_string(u) + ", " + std::to_string(v) + ")";
            ASSERT_TRUE(got.valid) << where;
            EXPECT_NEAR(got.sag, want.point.z, 1e-12) << where;
            const Vector direction = unit({got.x, got.y, got.z});
            EXPECT_NEAR(direction.x, want.direction.x, 1e-12) << where;
            EXPECT_NEAR(direction.y, want.direction.y, 1e-12) << where;
            EXPECT_NEAR(direction.z, want.direction.z, 1e-12) << where;

            // The plane 5 mm beyond the source, in the program's sign.
            const double plane = c.source.z + 5;
            const double reach = (plane - want.point.z) / want.direction.z;
            const ExactHit hit = traceExact({c.R, c.K}, u, v, c.zone, c.source, plane);
            ASSERT_TRUE(hit.hit) << where;
            EXPECT_NEAR(hit.x, -(u + reach * want.direction.x), 1e-8) << where;
            EXPECT_NEAR(hit.y, -(v + reach * want.direction.y), 1e-8) << where;
        }
}

TEST(ExactTrace, RaysThatCannotReachThePlaneMiss) {
    // An ellipsoid's rim beyond the conic's validity ((1 + K) r^2 > R^2), and a plane behind the mirror.
    EXPECT_FALSE(traceExact({100, 3}, 90, 0, {}, {0, 0, 100}, 100).hit);
    EXPECT_FALSE(traceExact({2000, -1}, 50, 0, {}, {0, 0, 2000}, -5).hit);
    EXPECT_FALSE(traceExact({0, -1}, 50, 0, {}, {0, 0, 0}, 0).hit);
}

// A scene of the default mirror with the given changes, its set-up for the pass.
struct Setting {
    Scene scene;
    RaySetup setup;
    Setting(double diameter, double radius, double conic, double axial, bool exact, bool moving, int test = kTestRonchi,
            double lines = 4) {
        scene.mirror.mirrorDiameter = diameter;
        scene.mirror.radiusOfCurvature = radius;
        scene.mirror.conicConstant = conic;
        scene.setup.position.axialOffset = axial;
        scene.setup.rayModel = exact ? RayModel::Exact : RayModel::Series;
        scene.setup.source = moving ? SourceConvention::MovesWithDevice : SourceConvention::Fixed;
        scene.setup.linesPerMm = lines;
        scene.setup.test = static_cast<TestKind>(test);
        setup = makeRaySetup(scene, 1);
    }
    bool lit(double u, double v) const {
        return scene.setup.exact() ? exactRayLit(setup, u, v) : normalRayLit(setup, u, v);
    }
};

// The share of points of the aperture on which two settings disagree.
double disagreement(const Setting& a, const Setting& b, int points = 200000) {
    std::uint64_t state = 99;
    auto uniform = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    const double aperture = a.scene.mirror.mirrorDiameter / 2;
    int differ = 0, inside = 0;
    while (inside < points) {
        const double u = (2 * uniform() - 1) * aperture, v = (2 * uniform() - 1) * aperture;
        if (u * u + v * v > aperture * aperture || (u == 0 && v == 0)) continue;
        ++inside;
        differ += a.lit(u, v) != b.lit(u, v);
    }
    return static_cast<double>(differ) / points;
}

TEST(ExactTrace, AgreesWithTheSeriesWhereTheSeriesHolds) {
    // f/10: the series is all but exact.
    EXPECT_LT(disagreement({200, 4000, -1, -6, false, false}, {200, 4000, -1, -6, true, false}), 0.001);
    EXPECT_LT(disagreement({200, 4000, 0, 8, false, false, kTestWire}, {200, 4000, 0, 8, true, false, kTestWire}),
              0.001);
    // f/3, a paraboloid: within 2 %.
    EXPECT_LT(disagreement({200, 1200, -1, -3, false, false}, {200, 1200, -1, -3, true, false}), 0.02);
    // Moving source at a = fixed source at 2 a, in the series, but for about 1 %.
    EXPECT_LT(disagreement({200, 2000, -1, -2, false, true}, {200, 2000, -1, -4, false, false}), 0.01);
    EXPECT_GT(disagreement({200, 2000, -1, -2, false, true}, {200, 2000, -1, -2, false, false}), 0.05);
    // And the exact trace of a moving source at a is the series' at 2 a too.
    EXPECT_LT(disagreement({200, 2000, -1, -2, true, true}, {200, 2000, -1, -4, false, false}), 0.01);
}

// The u at which X / w, along the row v, reaches the edge of a band.
double bandEdge(const Setting& s, double v, double edge) {
    auto along = [&](double u) {
        if (s.scene.setup.exact()) {
            const ExactHit h = traceExact({s.setup.radius, s.setup.conicConstant}, u, v, {}, {0, 0, s.setup.sourceZ}, s.setup.planeZ);
            return h.x / s.setup.bandWidth;
        }
        return planePosition(s.setup, u, v).x / s.setup.bandWidth;
    };
    double lo = 1e-6, hi = 99;
    const double atLo = along(lo) - edge;
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2;
        if ((along(mid) - edge > 0) == (atLo > 0)) lo = mid; else hi = mid;
    }
    return lo;
}

TEST(ExactTrace, AFastSphereShowsStraightBands) {
    // f/3, 10 lines per mm, the grating 1 mm outside the centre of
    // curvature (a few bands): how far the edge of the central band moves
    // between the middle row and a row near the rim, in pixels (2.75 per mm
    // for D = 200).
    const Setting exact(200, 1200, 0, 1, true, false, kTestRonchi, 10);
    const Setting series(200, 1200, 0, 1, false, false, kTestRonchi, 10);
    const double edge = 0.5;
    const double exactBow = 2.75 * std::fabs(bandEdge(exact, 92, edge) - bandEdge(exact, 0, edge));
    const double seriesBow = 2.75 * std::fabs(bandEdge(series, 92, edge) - bandEdge(series, 0, edge));
    EXPECT_GT(bandEdge(exact, 0, edge), 20);  // a real edge on the mirror
    EXPECT_LT(exactBow, 0.5) << exactBow;
    EXPECT_GT(seriesBow, 1.5) << seriesBow;  // the series model's false aberration
}

}  // namespace
}  // namespace sg
