// SPDX-License-Identifier: GPL-3.0-or-later
// The reduced surface as the simulator's measured surface and drawn zone,
// checked with the simulator's own functions, and the round trip of smooth mirrors back to
// their readings.
#include "model/drawn_zone.h"
#include "reduction/exact_null.h"
#include "tests/reduction/reduction_fixtures.h"
#include "reduction/simulator_zone.h"
#include "reduction/wavefront.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cmath>

namespace sg {
namespace {

using testing::MirrorCase;
using testing::conicReadings;

// s(r) = (W(r^2) - <W>) / 2 in mm, the wavefront rebuilt from the result's
// zones and departures.
double surfaceAt(const ReductionResult& r, double radius);

TEST(SimulatorZone, TheDrawnZoneIsTheReducedSurfaceAtEveryKnot) {
    MirrorCase c{200, 2000, -1, SourceKind::Moving, 7};
    c.obstruction = 30;
    const ReductionResult r = reduce(conicReadings(c, 2000.3, -0.8));
    const SimulatorZone zone = simulatorZoneFor(r);
    for (int k = 0; k < kKnotCount; ++k) EXPECT_EQ(zone.knotHeight[k], zone.knotHeight[44 - k]) << k;
    // The simulator keeps the mirror's radius; the surface stands on the
    // reference's.
    EXPECT_EQ(zone.radius, 2000);
    EXPECT_EQ(zone.referenceRadius, r.referenceRadius);
    EXPECT_EQ(zone.conic, -1);
    EXPECT_EQ(zone.diameter, 200);
    EXPECT_EQ(zone.wavelength, 0.55);
    EXPECT_LE(*std::max_element(zone.knotHeight.begin(), zone.knotHeight.end(),
                                [](double a, double b) { return std::fabs(a) < std::fabs(b); }),
              80.0 + 1e-12);

    EditorShape shape;
    applySimulatorZone(zone, shape);
    const DrawnZone drawn = makeDrawnZone(simulatorZoneMirror(zone), zone.wavelength, shape);
    ASSERT_FALSE(drawn.flat);
    double low = 1e9, high = -1e9;
    for (int k = 22; k <= 42; ++k) {
        const double radius = (k - 22) * 5.0;
        const double s = surfaceAt(r, radius);
        EXPECT_NEAR(zoneAt(drawn, radius).sag, s, 1e-12 + 1e-9 * std::fabs(s)) << "knot " << k;
        low = std::min(low, s);
        high = std::max(high, s);
    }
    // Its height is the surface's peak-to-valley over the face, in waves.
    EXPECT_NEAR(zone.zoneHeight, (high - low) / 0.00055, 1e-9);
    // The hollow of the glass below the zero line: knot heights of the
    // other sign from the surface.
    EXPECT_LT(zone.knotHeight[42] * surfaceAt(r, 100), 0);
    // The slope follows the surface's, the rim included.
    for (const double radius : {12.5, 47.0, 99.0, 100.0}) {
        const double slope = (surfaceAt(r, radius + 1e-3) - surfaceAt(r, radius - 1e-3)) / 2e-3;
        EXPECT_NEAR(zoneAt(drawn, radius).slope, slope, 2e-3 * std::fabs(slope) + 1e-9) << radius;
    }
}

// The measured surface is the reduced surface at every radius, not only at
// the knots, moved from the reference's conic to the mirror's radius.
TEST(SimulatorZone, TheMeasuredSurfaceIsTheReducedSurfaceEverywhere) {
    for (const SourceKind source : {SourceKind::Moving, SourceKind::Fixed}) {
        MirrorCase c{200, 2000, -1, source, 7};
        c.obstruction = 30;
        const ReductionResult r = reduce(conicReadings(c, 2000.3, -0.8));
        ASSERT_GT(std::fabs(r.referenceRadius - 2000), 0.01);
        const SimulatorZone zone = simulatorZoneFor(r);
        EXPECT_EQ(simulatorZoneMirror(zone).deviation, SurfaceDeviation::Measured);
        const DrawnZone measured = measuredZone(zone.measured);
        ASSERT_FALSE(measured.flat);
        auto conicSag = [](double R, double h) { return h * h / (R + std::sqrt(R * R)); };  // K = -1: h^2 / 2R
        for (double radius = 0; radius <= 100; radius += 3.7) {
            const double s = surfaceAt(r, radius) + conicSag(r.referenceRadius, radius) - conicSag(2000, radius);
            EXPECT_NEAR(zoneAt(measured, radius).sag, s, 1e-12) << radius;
            const double slope = (surfaceAt(r, radius + 1e-4) - surfaceAt(r, radius - 1e-4)) / 2e-4 +
                                 radius / r.referenceRadius - radius / 2000;
            if (radius > 0) {
                EXPECT_NEAR(zoneAt(measured, radius).slope, slope, 1e-9) << radius;
            }
        }
    }
}

// Smooth readings with a zone on them, as a mask reads a real mirror,
// come back through the measured surface within 0.002 mm: the knife finds
// in the simulator what it found on the mirror.
TEST(RoundTrip, TheMeasuredSurfaceGivesSmoothReadingsBack) {
    const double R = 2000;
    for (const SourceKind source : {SourceKind::Moving, SourceKind::Fixed}) {
        const Tester t{source, R};
        const MirrorCase c{200, R, -1, source, 10};
        // An under-corrected paraboloid at a radius 0.4 mm long with a
        // broad raised zone 60 nm high at h 60 mm.
        ReductionInput in = testing::inputWith(c, [&](double h) {
            const double R1 = R + 0.4, K = -0.9, q = std::sqrt(R1 * R1 - (1 + K) * h * h);
            const double bump = 60e-6 * std::exp(-(h - 60) * (h - 60) / 200);
            const double bumpSlope = -bump * (h - 60) / 100;
            return surfaceNull(h, h * h / (R1 + q) + bump, h / q + bumpSlope, t) - R;
        });
        const ReductionResult r = reduce(in);
        EXPECT_GT(r.pv, 0.1);
        for (const ZoneResult& z : r.zones)
            EXPECT_NEAR(z.roundTrip, z.measured, 0.002) << "zone " << z.number << " at h " << z.h;
    }
}

double surfaceAt(const ReductionResult& r, double radius) {
    std::vector<double> u, delta;
    for (const ZoneResult& z : r.zones) {
        u.push_back(z.h * z.h);
        delta.push_back(z.departure / r.kappa);
    }
    const Wavefront w(u, delta, r.radius, r.obstruction * r.obstruction / 4, r.diameter * r.diameter / 4);
    return (w.at(radius * radius) - w.mean()) / 2;
}

TEST(SimulatorZone, APerfectMirrorHandsOverAFlatZone) {
    const MirrorCase c{200, 2000, -1, SourceKind::Fixed, 5};
    const ReductionResult r = reduce(conicReadings(c, 2000, -1));
    const SimulatorZone zone = simulatorZoneFor(r);
    EXPECT_LT(zone.zoneHeight, 1e-6);
    for (const ZoneResult& z : r.zones) EXPECT_NEAR(z.roundTrip, z.measured, 1e-9) << z.number;
}

struct RoundTripCase {
    const char* name;
    MirrorCase mirror;
    double trueConic;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

// Readings of a smooth mirror (a conic other than the wanted one) come
// back within the reading precision, 0.001 mm.
TEST_P(RoundTrip, SmoothMirrorsReturnTheirReadings) {
    const RoundTripCase& c = GetParam();
    const ReductionResult r = reduce(conicReadings(c.mirror, c.mirror.radius + 0.15, c.trueConic));
    EXPECT_GT(r.pv, 0.1) << "not a test of the round trip";
    for (const ZoneResult& z : r.zones)
        EXPECT_NEAR(z.roundTrip, z.measured, 0.001) << "zone " << z.number << " at h " << z.h;
}

// The measured surface carries the reduced surface itself: the nulls
// through measuredZone and zoneAt are those of the reduced surface s(h) on
// the reference's conic with its exact slope, even for mirrors far from
// the wanted conic. There the wavefront's first-order relation to the
// readings (1/R^2 for either tester) leaves a few micrometres between
// round trip and reading.
TEST(RoundTrip, TheDrawnZoneCarriesTheReducedSurfaceFaithfully) {
    const RoundTripCase cases[] = {
        {"SphereAsParaboloidF5", {200, 2000, -1, SourceKind::Moving, 6}, 0},
        {"SphereAsParaboloidF5Fixed", {200, 2000, -1, SourceKind::Fixed, 6}, 0},
        {"ParaboloidAsSphereF4", {250, 2000, 0, SourceKind::Fixed, 9}, -1},
        {"CentralDiscAndAGap", {200, 2000, -1, SourceKind::Fixed, 4}, -0.7},
    };
    for (const RoundTripCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReductionInput in = conicReadings(c.mirror, c.mirror.radius - 0.2, c.trueConic);
        if (std::string(c.name) == "CentralDiscAndAGap") {
            // Zones given by their edges, the first a disc at the centre,
            // a gap after it.
            const Tester t{c.mirror.source, c.mirror.radius};
            in.zoneCount = 0;
            const double edges[][2] = {{0, 15}, {25, 50}, {50, 80}, {80, 100}};
            for (std::size_t i = 0; i < 4; ++i) {
                const double h = std::sqrt((edges[i][0] * edges[i][0] + edges[i][1] * edges[i][1]) / 2);
                in.zones[i] = {edges[i][0], edges[i][1], {conicNull(1999.8, c.trueConic, h, t) - 2000}, 0};
            }
        }
        const ReductionResult r = reduce(in);
        const Tester t{r.source, r.sourceDistance};
        for (const ZoneResult& z : r.zones) {
            const double h = z.h, R = r.referenceRadius, q = std::sqrt(R * R - (1 + r.wantedConic) * h * h);
            std::vector<double> u, delta;
            for (const ZoneResult& y : r.zones) {
                u.push_back(y.h * y.h);
                delta.push_back(y.departure / r.kappa);
            }
            const Wavefront w(u, delta, r.radius, r.obstruction * r.obstruction / 4, r.diameter * r.diameter / 4);
            const double s = (w.at(h * h) - w.mean()) / 2;
            const double exact =
                surfaceNull(h, h * h / (R + q) + s, h / q - h * w.deltaAt(h * h) / (r.radius * r.radius), t);
            EXPECT_NEAR(z.roundTrip, exact - r.radius, 1e-8) << "zone " << z.number;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mirrors, RoundTrip,
    ::testing::Values(RoundTripCase{"UnderCorrectedF5", {200, 2000, -1, SourceKind::Moving, 6}, -0.8},
                      RoundTripCase{"OverCorrectedF6Fixed", {200, 2400, -1, SourceKind::Fixed, 6}, -1.2},
                      RoundTripCase{"OverCorrectedF5", {200, 2000, -1, SourceKind::Moving, 6}, -1.2},
                      RoundTripCase{"UnderCorrectedF5Fixed", {200, 2000, -1, SourceKind::Fixed, 6}, -0.8},
                      RoundTripCase{"SphereF8", {200, 3200, -1, SourceKind::Moving, 6}, 0},
                      RoundTripCase{"SphereF8Fixed", {200, 3200, -1, SourceKind::Fixed, 6}, 0},
                      RoundTripCase{"FastEllipsoidMid", {150, 1200, -1, SourceKind::Moving, 5, ZoneRadiusRule::Mid}, -0.9},
                      RoundTripCase{"WantedSphere", {250, 2500, 0, SourceKind::Moving, 8}, -0.3},
                      RoundTripCase{"LargeObstructed", {300, 2400, -1, SourceKind::Moving, 9, ZoneRadiusRule::Rms, 60},
                                    -0.7}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sg
