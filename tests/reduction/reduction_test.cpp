// SPDX-License-Identifier: GPL-3.0-or-later
// The reduction of readings made from known mirrors: conics come back as
// themselves, the reference takes up what only moves the focus, the
// direction check, several sets, the zone radius rules and the units.
#include "reduction/reduction.h"
#include "model/number_text.h"
#include "reduction/reading_text.h"
#include "tests/reduction/reduction_fixtures.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <functional>
#include <string>
#include <cmath>

namespace sg {
namespace {

using testing::MirrorCase;
using testing::conicReadings;

struct ConicCase {
    const char* name;
    MirrorCase mirror;
    double trueRadius, trueConic;
};

void PrintTo(const ConicCase& c, std::ostream* os) { *os << c.name; }

class ConicsReduceToThemselves : public ::testing::TestWithParam<ConicCase> {};

TEST_P(ConicsReduceToThemselves, BestFitConicAndRadius) {
    const ConicCase& c = GetParam();
    const ReductionResult r = reduce(conicReadings(c.mirror, c.trueRadius, c.trueConic));
    EXPECT_NEAR(r.bestFitConic, c.trueConic, 1e-6);
    EXPECT_NEAR(r.bestFitRadius, c.trueRadius, 1e-4);
    EXPECT_LT(r.rmsVsConic, 1e-6);
    // The residual from the best-fit conic is flat across the face.
    for (const ProfilePoint& p : r.residualAcross) EXPECT_NEAR(p.surfaceNm, 0, 1e-3) << p.h;
}

TEST_P(ConicsReduceToThemselves, TheWantedConicIsPerfectAtItsOwnRadius) {
    const ConicCase& c = GetParam();
    const ReductionResult r = reduce(conicReadings(c.mirror, c.trueRadius, c.mirror.wantedConic));
    EXPECT_LT(r.pv, 1e-6);
    EXPECT_LT(r.rms, 1e-6);
    EXPECT_NEAR(r.strehl, 1, 1e-9);
    EXPECT_NEAR(r.referenceRadius, c.trueRadius, 1e-4);
    // The reference's centre is the true mirror's centre on the scale.
    const Tester t{c.mirror.source, c.mirror.radius};
    EXPECT_NEAR(r.referenceCentre, conicNull(c.trueRadius, c.mirror.wantedConic, 0, t) - c.mirror.radius, 1e-6);
    for (const ZoneResult& z : r.zones) {
        EXPECT_NEAR(z.departure, 0, 1e-7) << z.number;
        EXPECT_NEAR(z.surfaceNm, 0, 1e-3) << z.number;
    }
    EXPECT_LT(std::fabs(r.correctionError), 1e-4);
}

MirrorCase mirror(double d, double r, double wanted, SourceKind s, int zones, ZoneRadiusRule rule = ZoneRadiusRule::Rms,
                  double obstruction = 0) {
    return {d, r, wanted, s, zones, rule, obstruction};
}

INSTANTIATE_TEST_SUITE_P(
    Mirrors, ConicsReduceToThemselves,
    ::testing::Values(
        ConicCase{"SphereAsParaboloidMoving", mirror(200, 2000, -1, SourceKind::Moving, 5), 2000, 0},
        ConicCase{"ParaboloidAsSphereFixed", mirror(200, 2000, 0, SourceKind::Fixed, 5), 2000, -1},
        ConicCase{"FastHyperboloidOffScale", mirror(250, 1500, -1, SourceKind::Moving, 8), 1500.7, -1.35},
        ConicCase{"EllipsoidFixedMid", mirror(150, 1800, -1, SourceKind::Fixed, 6, ZoneRadiusRule::Mid), 1799.6, -0.55},
        ConicCase{"ObstructedSlow", mirror(300, 3600, -1, SourceKind::Moving, 7, ZoneRadiusRule::Rms, 70), 3600.2,
                  -0.85},
        ConicCase{"TwoZones", mirror(200, 2400, -1, SourceKind::Fixed, 2), 2400, -0.9}),
    [](const ::testing::TestParamInfo<ConicCase>& info) { return std::string(info.param.name); });

TEST(Reduction, AConstantOffsetMovesOnlyTheReference) {
    for (const SourceKind source : {SourceKind::Moving, SourceKind::Fixed}) {
        const MirrorCase c = mirror(200, 2000, -1, source, 6);
        const ReductionResult base = reduce(conicReadings(c, 2000, -0.9));
        const double offset = 0.2;
        const ReductionResult moved = reduce(conicReadings(c, 2000, -0.9, offset));
        EXPECT_GT(base.pv, 0.1);
        // The reference takes up the offset; the conics of the two radii
        // differ only by terms of order offset h^2 / R^2 of the departures.
        EXPECT_NEAR(moved.referenceCentre - base.referenceCentre, offset, 1e-3);
        EXPECT_NEAR(moved.pv, base.pv, 1e-3);
        EXPECT_NEAR(moved.rms, base.rms, 3e-4);
        EXPECT_NEAR(moved.strehl, base.strehl, 1e-3);
        EXPECT_NEAR(moved.bestFitConic, base.bestFitConic, 1e-3);
        EXPECT_NEAR(moved.couderRatio, base.couderRatio, 1e-2);
        for (std::size_t i = 0; i < base.zones.size(); ++i)
            EXPECT_NEAR(moved.zones[i].surfaceNm, base.zones[i].surfaceNm, 0.1) << i;
    }
}

// One mirror read with a source fixed at the centre of curvature and with
// one that moves with the knife: the fixed source's readings lie about
// twice as far apart, and the surface found is the same.
TEST(Reduction, EitherTesterFindsTheSameSurface) {
    const ReductionResult moving = reduce(conicReadings(mirror(200, 2000, -1, SourceKind::Moving, 6), 2000, -0.8));
    const ReductionResult fixed = reduce(conicReadings(mirror(200, 2000, -1, SourceKind::Fixed, 6), 2000, -0.8));
    ASSERT_EQ(fixed.zones.size(), moving.zones.size());
    EXPECT_NEAR(fixed.zones.back().measured - fixed.zones.front().measured,
                2 * (moving.zones.back().measured - moving.zones.front().measured), 0.01);
    EXPECT_GT(moving.pv, 0.1);
    EXPECT_NEAR(fixed.pv, moving.pv, 0.005 * moving.pv);
    EXPECT_NEAR(fixed.rms, moving.rms, 0.005 * moving.rms);
    EXPECT_NEAR(fixed.strehl, moving.strehl, 0.005);
    EXPECT_NEAR(fixed.bestFitConic, moving.bestFitConic, 1e-3);
    for (std::size_t i = 0; i < moving.zones.size(); ++i)
        EXPECT_NEAR(fixed.zones[i].surfaceNm, moving.zones[i].surfaceNm, 0.1) << "zone " << i + 1;
}

TEST(Reduction, ReadingsThatRunInwardAreStoppedAndReverseTurnsThem) {
    const MirrorCase c = mirror(200, 2000, -1, SourceKind::Moving, 6);
    const ReductionInput forward = conicReadings(c, 2000, -0.9);
    ReductionInput backward = forward;
    for (ZoneEntry& z : backward.zones) z.readings[0] = -z.readings[0];
    try {
        reduce(backward);
        FAIL() << "readings that fall outward were reduced";
    } catch (const ReductionInputError& e) {
        EXPECT_NE(std::string(e.what()).find("decrease outward"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("reverse"), std::string::npos) << e.what();
    }
    backward.reverse = true;
    const ReductionResult turned = reduce(backward), plain = reduce(forward);
    EXPECT_DOUBLE_EQ(turned.pv, plain.pv);
    EXPECT_DOUBLE_EQ(turned.referenceRadius, plain.referenceRadius);
    EXPECT_DOUBLE_EQ(turned.zones[2].measured, plain.zones[2].measured);

    // A wanted sphere with a moving source nulls every zone at the centre:
    // there is no direction to check, whatever the readings do.
    const MirrorCase sphere = mirror(200, 2000, 0, SourceKind::Moving, 6);
    EXPECT_NO_THROW(reduce(conicReadings(sphere, 2000, 1.0)));
}

TEST(Reduction, SetsAreAveragedSpreadAndReducedAlone) {
    const MirrorCase c = mirror(200, 2000, -1, SourceKind::Moving, 5);
    const ReductionInput one = conicReadings(c, 2000, -0.8);
    ReductionInput three = one;
    const double wobble[] = {0.004, -0.006, 0.003, 0.0, -0.002};
    for (std::size_t i = 0; i < three.zones.size(); ++i) {
        const double x = one.zones[i].readings[0], a = wobble[i];
        three.zones[i].readings = {x - a, x + 2 * a, x - a};
    }
    const ReductionResult r = reduce(three);
    ASSERT_EQ(r.setCount, 3);
    ASSERT_EQ(r.sets.size(), 3u);
    for (std::size_t i = 0; i < r.zones.size(); ++i) {
        EXPECT_NEAR(r.zones[i].measured, one.zones[i].readings[0], 1e-12) << i;
        // {-a, 2a, -a}: squares 6 a^2 over n - 1 = 2.
        EXPECT_NEAR(r.zones[i].spread, std::sqrt(3.0) * std::fabs(wobble[i]), 1e-12) << i;
    }
    const ReductionResult mean = reduce(one);
    EXPECT_NEAR(r.pv, mean.pv, 1e-9);
    // Each set alone is what a file of that set alone gives.
    for (std::size_t j = 0; j < 3; ++j) {
        ReductionInput alone = three;
        for (ZoneEntry& z : alone.zones) z.readings = {z.readings[j]};
        const ReductionResult a = reduce(alone);
        EXPECT_DOUBLE_EQ(r.sets[j].pv, a.pv) << j;
        EXPECT_DOUBLE_EQ(r.sets[j].rms, a.rms) << j;
        EXPECT_DOUBLE_EQ(r.sets[j].strehl, a.strehl) << j;
        EXPECT_DOUBLE_EQ(r.sets[j].conic, a.bestFitConic) << j;
        EXPECT_TRUE(a.sets.empty());
    }
    EXPECT_NE(r.sets[0].pv, r.sets[1].pv);
    // Each set's own Couder figure is that of the set alone.
    for (std::size_t j = 0; j < 3; ++j) {
        ReductionInput alone = three;
        for (ZoneEntry& z : alone.zones) z.readings = {z.readings[j]};
        const ReductionResult a = reduce(alone);
        EXPECT_DOUBLE_EQ(r.sets[j].couderRatio, a.couderRatio) << j;
        EXPECT_DOUBLE_EQ(r.sets[j].couderShift, a.couderShift) << j;
    }
}

// The repeatability takes out each set's mean offset from the mean of the
// sets: a mirror that moved between sets reads as steady as it is.
TEST(Reduction, RepeatabilityTakesOutEachSetsOffset) {
    const MirrorCase c = mirror(200, 2000, -1, SourceKind::Moving, 5);
    const ReductionInput one = conicReadings(c, 2000, -0.8);
    const double wobble[] = {0.004, -0.006, 0.003, 0.0, -0.002};  // sums to -0.001
    const double moved[] = {0, 0.71, -0.3};                         // the mirror moved between sets
    ReductionInput three = one;
    for (std::size_t i = 0; i < three.zones.size(); ++i) {
        const double x = one.zones[i].readings[0], a = wobble[i];
        three.zones[i].readings = {x - a + moved[0], x + 2 * a + moved[1], x - a + moved[2]};
    }
    const ReductionResult r = reduce(three);
    // The sets' offsets from their mean are moved[j] - 0.41 / 3 plus the
    // wobble's mean, -a_mean, 2 a_mean, -a_mean with a_mean = -0.0002:
    // less those, each zone keeps {-(a + 0.0002), 2 (a + 0.0002),
    // -(a + 0.0002)} about its mean, a deviation of sqrt(3) |a + 0.0002|.
    for (std::size_t i = 0; i < r.zones.size(); ++i) {
        EXPECT_NEAR(r.zones[i].repeatability, std::sqrt(3.0) * std::fabs(wobble[i] + 0.0002), 1e-12) << i;
        EXPECT_GT(r.zones[i].spread, 0.3) << i;
    }
    // A constant offset alone leaves nothing.
    ReductionInput steady = one;
    for (ZoneEntry& z : steady.zones) z.readings = {z.readings[0], z.readings[0] + 0.71};
    const ReductionResult s = reduce(steady);
    for (const ZoneResult& z : s.zones) {
        EXPECT_NEAR(z.repeatability, 0, 1e-12) << z.number;
        EXPECT_NEAR(z.spread, 0.71 / std::sqrt(2.0), 1e-12) << z.number;
    }
    EXPECT_EQ(reduce(one).zones[0].repeatability, 0);
}

// The classical nulls of hand sheets, each against its formula: the
// centre's null less kappa K h^2 / (2R).
TEST(Reduction, ClassicalNullsAreTheFirstOrderNullsOfHandSheets) {
    auto sheet = [](const std::string& tester, double conic, const std::function<double(double)>& reading) {
        std::string text = "diameter 200\nradius 2000\nnull classical\nconic " + exactDecimalText(conic) + "\n" +
                           tester + "zones 5\n";
        for (int i = 0; i < 5; ++i) {
            const double a = 100 * std::sqrt(i / 5.0), b = 100 * std::sqrt((i + 1) / 5.0);
            text += std::to_string(i + 1) + " " + exactDecimalText(reading(std::sqrt((a * a + b * b) / 2))) + "\n";
        }
        return text;
    };
    const double R = 2000;
    struct Case {
        const char* name;
        std::string tester;
        double conic;
        std::function<double(double)> expected;  // the classical null less R
    };
    const Case cases[] = {
        {"paraboloid, fixed source", "source fixed\n", -1, [&](double h) { return h * h / R; }},
        {"paraboloid, moving source", "", -1, [&](double h) { return h * h / (2 * R); }},
        {"ellipsoid, moving source", "", -0.5, [&](double h) { return h * h / (4 * R); }},
        // The centre's null is the source's image, 2000 2100 / 2200.
        {"paraboloid, source at 2100", "source fixed\nsource-distance 2100\n", -1,
         [&](double h) { return R * 2100 / 2200 - R + h * h / R; }},
    };
    for (const Case& c : cases) {
        const ReductionResult r = reduce(parseReadingText(sheet(c.tester, c.conic, c.expected)));
        EXPECT_EQ(r.nulls, NullRule::Classical);
        for (const ZoneResult& z : r.zones) {
            EXPECT_NEAR(z.expected, c.expected(z.h), 1e-12) << c.name << " zone " << z.number;
            EXPECT_NEAR(z.departure, 0, 1e-9) << c.name << " zone " << z.number;
        }
        // The sheet's own readings are its perfect mirror, and the best-fit
        // conic is fitted with the same nulls.
        EXPECT_LT(r.rms, 1e-6) << c.name;
        EXPECT_NEAR(r.bestFitConic, c.conic, 1e-6) << c.name;
        EXPECT_NEAR(r.bestFitRadius, R, 1e-4) << c.name;
        // The round trip compares the simulator's surface with these
        // readings, not with the exact nulls.
        for (const ZoneResult& z : r.zones) EXPECT_NEAR(z.roundTrip, z.measured, 1e-6) << c.name << " " << z.number;
    }
    // Read with the exact nulls, the fixed source's sheet is off by the
    // term the classical null leaves out, h^4 / (2 R^3), at every zone.
    std::string exact = sheet("source fixed\n", -1, [&](double h) { return h * h / R; });
    exact.replace(exact.find("null classical"), 14, "null exact");
    const ReductionResult e = reduce(parseReadingText(exact));
    for (const ZoneResult& z : e.zones)
        EXPECT_NEAR(z.expected, z.h * z.h / R + std::pow(z.h, 4) / (2 * R * R * R), 1e-12) << z.number;
    EXPECT_GT(e.rms, 1e-4);
}

// A mask measured a little large: an outer edge up to 1% of the radius
// past the rim is the rim, with a note; further out it is refused.
TEST(Reduction, AnEdgeJustPastTheRimIsTheRimWithANote) {
    const std::string head = "diameter 200\nradius 2000\n1 0 50 0.3\n2 50 70 0.9\n";
    const ReductionResult past = reduce(parseReadingText(head + "3 70 100.5 1.9\n"));
    const ReductionResult rim = reduce(parseReadingText(head + "3 70 100 1.9\n"));
    EXPECT_EQ(past.zones[2].outer, 100);
    EXPECT_EQ(past.zones[2].h, rim.zones[2].h);
    EXPECT_EQ(past.pv, rim.pv);
    EXPECT_EQ(past.notes, std::vector<std::string>{"zone 3 (line 5): the outer radius (100.5 mm) lies beyond the edge "
                                                   "of the mirror (100 mm), within 1% of its radius: taken as the edge"});
    EXPECT_TRUE(rim.notes.empty());
    // A published sheet's 7.98" on a 15.95" mirror.
    const ReductionResult inches =
        reduce(parseReadingText("diameter 15.95\nradius 144\nunits in\n1 0 5 0.05\n2 5 7.98 0.12\n"));
    EXPECT_NEAR(inches.zones[1].outer, 15.95 / 2 * 25.4, 1e-12);
    EXPECT_EQ(inches.notes.size(), 1u);
    try {
        reduce(parseReadingText(head + "3 70 102 1.9\n"));
        FAIL() << "an edge 2% past the rim was taken";
    } catch (const ReductionInputError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "zone 3 (line 5): the outer radius (102 mm) lies beyond the edge of the mirror (100 mm)");
    }
    // A zone wholly past the rim is not taken, however little.
    EXPECT_THROW(reduce(parseReadingText(head + "3 70 100 1.9\n4 100.2 100.5 2\n")), ReductionInputError);
}

TEST(Reduction, ZoneRadiusRulesAndEdges) {
    ReductionInput in;
    in.diameter = 200;
    in.radius = 2000;
    const double edges[][2] = {{0, 30}, {30, 50}, {50, 100}};
    for (const auto& e : edges) in.zones.push_back({e[0], e[1], {0.0}, 0});
    in.zones[1].readings = {0.5};
    in.zones[2].readings = {2};
    ReductionResult rms = reduce(in);
    EXPECT_DOUBLE_EQ(rms.zones[0].h, std::sqrt(450.0));
    EXPECT_DOUBLE_EQ(rms.zones[1].h, std::sqrt(1700.0));
    EXPECT_DOUBLE_EQ(rms.zones[2].h, std::sqrt(6250.0));
    in.zoneRadius = ZoneRadiusRule::Mid;
    const ReductionResult mid = reduce(in);
    EXPECT_DOUBLE_EQ(mid.zones[0].h, 15);
    EXPECT_DOUBLE_EQ(mid.zones[1].h, 40);
    EXPECT_DOUBLE_EQ(mid.zones[2].h, 75);
    // The rule moves the expected nulls with the radius: h^2 / (2R).
    EXPECT_NEAR(mid.zones[1].expected, 1600 / 4000.0, 1e-12);
    EXPECT_NEAR(rms.zones[1].expected, 1700 / 4000.0, 1e-12);
    // "carlin": the mean of the two.
    in.zoneRadius = ZoneRadiusRule::Carlin;
    const ReductionResult carlin = reduce(in);
    EXPECT_DOUBLE_EQ(carlin.zones[0].h, (15 + std::sqrt(450.0)) / 2);
    EXPECT_DOUBLE_EQ(carlin.zones[1].h, (40 + std::sqrt(1700.0)) / 2);
    EXPECT_DOUBLE_EQ(carlin.zones[2].h, (75 + std::sqrt(6250.0)) / 2);
    EXPECT_EQ(carlin.zoneRadius, ZoneRadiusRule::Carlin);

    // Equal-area zones: edges at A sqrt(i / N).
    in.zoneCount = 3;
    in.zoneRadius = ZoneRadiusRule::Rms;
    const ReductionResult equal = reduce(in);
    EXPECT_DOUBLE_EQ(equal.zones[0].inner, 0);
    EXPECT_NEAR(equal.zones[0].outer, 100 * std::sqrt(1 / 3.0), 1e-12);
    EXPECT_NEAR(equal.zones[1].outer, 100 * std::sqrt(2 / 3.0), 1e-12);
    EXPECT_DOUBLE_EQ(equal.zones[2].outer, 100);
    EXPECT_NEAR(equal.zones[1].h, 100 * std::sqrt(0.5), 1e-12);
}

TEST(Reduction, InchesAreMillimetresTimes25Point4) {
    const MirrorCase c = mirror(203.2, 2032, -1, SourceKind::Fixed, 5);
    const ReductionInput mm = conicReadings(c, 2032.4, -0.7);
    ReductionInput in = mm;
    in.units = LengthUnit::Inch;
    in.diameter = 8;
    in.radius = 80;
    for (ZoneEntry& z : in.zones) z.readings[0] /= 25.4;
    const ReductionResult a = reduce(mm), b = reduce(in);
    EXPECT_NEAR(b.diameter, 203.2, 1e-12);
    EXPECT_NEAR(b.referenceRadius, a.referenceRadius, 1e-9);
    EXPECT_NEAR(b.pv, a.pv, 1e-9);
    EXPECT_NEAR(b.bestFitConic, a.bestFitConic, 1e-9);
    EXPECT_NEAR(b.zones[4].measured, a.zones[4].measured, 1e-12);
    EXPECT_NEAR(b.sourceDistance, 2032, 1e-9);
}

TEST(Reduction, CouderBalanceIsTheBestFocusForTheWorstZone) {
    const MirrorCase c = mirror(250, 2200, -1, SourceKind::Fixed, 7);
    const ReductionResult r = reduce(conicReadings(c, 2200, -0.75));
    double low = 1e9, high = -1e9;
    for (const ZoneResult& z : r.zones) {
        low = std::min(low, z.balancedTaOverRho);
        high = std::max(high, z.balancedTaOverRho);
    }
    EXPECT_NEAR(high, -low, 1e-9);
    EXPECT_NEAR(high, r.couderRatio, 1e-9);
    // No other knife position does better.
    for (double shift = -0.5; shift <= 0.5; shift += 1e-4) {
        double worst = 0;
        for (const ZoneResult& z : r.zones)
            worst = std::max(worst, std::fabs(z.departure - shift) / r.kappa * z.h / r.radius / r.airyRadius);
        ASSERT_GE(worst, r.couderRatio - 1e-12) << shift;
    }
    // The tolerance is the departure at which TA reaches the Airy radius.
    for (const ZoneResult& z : r.zones)
        EXPECT_NEAR(z.tolerance / r.kappa * z.h / r.radius, r.airyRadius, 1e-15) << z.number;
}

TEST(Reduction, ProfileAndPlotsSpanTheFace) {
    MirrorCase c = mirror(200, 2000, -1, SourceKind::Moving, 6);
    c.obstruction = 40;
    const ReductionResult r = reduce(conicReadings(c, 2000, -0.8));
    ASSERT_EQ(r.profile.size(), 21u);
    EXPECT_DOUBLE_EQ(r.profile.front().h, 20);
    EXPECT_DOUBLE_EQ(r.profile.back().h, 100);
    ASSERT_EQ(r.surfaceAcross.size(), 201u);
    for (std::size_t k = 0; k < r.surfaceAcross.size(); ++k)
        EXPECT_NEAR(r.surfaceAcross[k].surfaceNm, r.surfaceAcross[200 - k].surfaceNm, 1e-9) << k;
    EXPECT_DOUBLE_EQ(r.surfaceAcross[100].h, 0);
    // The profile and the zone table read the same surface.
    EXPECT_NEAR(r.profile.back().surfaceNm, r.surfaceAcross.back().surfaceNm, 1e-9);
}

}  // namespace
}  // namespace sg
