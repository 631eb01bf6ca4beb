// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/failure.h"
#include "model/surface_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace sg {
namespace {

// A mirror, a drawn shape and the working profiles made from them.
struct ProfileModel {
    Mirror mirror;
    EditorShape shape;
    SurfaceProfiles profiles;
};

TEST(Resample, TakesTheLeftHalfFromCentreToEdge) {
    ProfileModel m;
    for (int i = 0; i <= 704; ++i) m.shape.profile[i] = i;  // a ramp
    resampleDeviation(m.profiles, m.shape, m.mirror.invertDeviation);
    // pv of the samples 32..352 is 320; scaled to 20.
    EXPECT_DOUBLE_EQ(m.profiles.zoneDeviation[0], 352 * 20.0 / 320);
    EXPECT_DOUBLE_EQ(m.profiles.zoneDeviation[275], 32 * 20.0 / 320);
    EXPECT_DOUBLE_EQ(m.profiles.zoneDeviation[1], (352 - 1) * 20.0 / 320);    // round(320 / 275) = 1
    EXPECT_DOUBLE_EQ(m.profiles.zoneDeviation[55], (352 - 64) * 20.0 / 320);  // 55 * 320 / 275 = 64
    const auto [lo, hi] = std::minmax_element(m.profiles.zoneDeviation.begin(), m.profiles.zoneDeviation.end());
    EXPECT_DOUBLE_EQ(*hi - *lo, 20.0);
}

TEST(Resample, FlatProfileStaysZeroAndSingleValueGivesTwenty) {
    ProfileModel m;
    resampleDeviation(m.profiles, m.shape, m.mirror.invertDeviation);
    for (double z : m.profiles.zoneDeviation) EXPECT_EQ(z, 0);

    for (int i = 300; i <= 352; ++i) m.shape.profile[i] = -35;  // the central zone raised
    resampleDeviation(m.profiles, m.shape, m.mirror.invertDeviation);
    for (double z : m.profiles.zoneDeviation) EXPECT_TRUE(z == 0 || z == -20) << z;
    EXPECT_EQ(m.profiles.zoneDeviation[0], -20);

    m.mirror.invertDeviation = true;
    resampleDeviation(m.profiles, m.shape, m.mirror.invertDeviation);
    EXPECT_EQ(m.profiles.zoneDeviation[0], 20);
    EXPECT_EQ(m.profiles.zoneDeviation[275], 0);
}

TEST(HeightCurve, PureIsFlatAndDistortedScalesByZoneHeight) {
    ProfileModel m;
    for (int i = 0; i < kProfileSamples; ++i) m.profiles.zoneDeviation[i] = i % 7 - 3;
    m.profiles.heightCurve.fill(9);
    computeHeightCurve(m.profiles, m.mirror);
    for (double h : m.profiles.heightCurve) EXPECT_EQ(h, 0);

    m.mirror.deviation = SurfaceDeviation::Drawn;
    m.mirror.zoneHeight = 0.5;
    computeHeightCurve(m.profiles, m.mirror);
    EXPECT_DOUBLE_EQ(m.profiles.heightCurve[10], m.profiles.zoneDeviation[10] * 0.5 / 10);
    EXPECT_EQ(m.profiles.heightCurve[275], m.profiles.heightCurve[274]);
}

TEST(SlopeProfile, NegativeZoneHeightKeepsHeightAndNegatesSlope) {
    auto build = [](double zoneHeight) {
        ProfileModel m;
        for (int i = 200; i <= 352; ++i) m.shape.profile[i] = -(i - 200) * 0.3;
        m.mirror.deviation = SurfaceDeviation::Drawn;
        m.mirror.zoneHeight = zoneHeight;
        m.mirror.invertDeviation = zoneHeight < 0;
        resampleDeviation(m.profiles, m.shape, m.mirror.invertDeviation);
        computeHeightCurve(m.profiles, m.mirror);
        computeSlopeDeviation(m.profiles, m.mirror);
        return m;
    };
    const ProfileModel up = build(0.5);
    const ProfileModel down = build(-0.5);
    for (int i = 0; i < kProfileSamples; ++i) {
        EXPECT_DOUBLE_EQ(up.profiles.heightCurve[i], down.profiles.heightCurve[i]) << i;
        EXPECT_DOUBLE_EQ(up.profiles.slopeDeviation[i], -down.profiles.slopeDeviation[i]) << i;
    }
    EXPECT_EQ(up.profiles.slopeDeviation[0], 0);
    EXPECT_NE(up.profiles.slopeDeviation[100], 0);
}

TEST(SlopeProfile, ZeroDiameterIsAnInvalidOperation) {
    ProfileModel m;
    m.mirror.mirrorDiameter = 0;
    try {
        computeSlopeDeviation(m.profiles, m.mirror);
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "Invalid floating point operation");
    }
}

TEST(SmoothSlope, KeepsTheCentreAtZeroAndReflectsEvenly) {
    ProfileModel m;
    for (int i = 1; i <= 275; ++i) m.profiles.slopeDeviation[i] = i * i * 0.001;
    const RadialProfile before = m.profiles.slopeDeviation;
    smoothSlope(m.profiles, 2);
    EXPECT_EQ(m.profiles.slopeDeviation[0], 0);
    // Sample 1 sees e[-1] = s[1], e[0] = 0, s[1], s[2], s[3].
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[1], (before[1] + 0 + before[1] + before[2] + before[3]) / 5);
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[2], (0 + before[1] + before[2] + before[3] + before[4]) / 5);
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[100], (before[98] + before[99] + before[100] + before[101] + before[102]) / 5);
    // Past the edge the sequence continues with the mean of the last two samples.
    const double tail = (before[274] + before[275]) / 2;
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[275], (before[273] + before[274] + before[275] + tail + tail) / 5);
    // The pass does not feed its results back: sample 3 uses the old sample 2.
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[3], (before[1] + before[2] + before[3] + before[4] + before[5]) / 5);
}

TEST(SmoothSlope, ConstantProfileChangesOnlyNearTheCentre) {
    ProfileModel m;
    m.profiles.slopeDeviation.fill(1.0);
    m.profiles.slopeDeviation[0] = 0;
    smoothSlope(m.profiles, 2);
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[1], 4.0 / 5);
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[2], 4.0 / 5);
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[3], 1.0);
    EXPECT_DOUBLE_EQ(m.profiles.slopeDeviation[275], 1.0);
}

}  // namespace
}  // namespace sg
