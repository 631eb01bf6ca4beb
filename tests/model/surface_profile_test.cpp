// SPDX-License-Identifier: GPL-3.0-or-later
#include "failure.h"
#include "surface_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace sg {
namespace {

TEST(Resample, TakesTheLeftHalfFromCentreToEdge) {
    MirrorModel m;
    for (int i = 0; i <= 704; ++i) m.editorProfile[i] = i;  // a ramp
    resampleDeviation(m);
    // pv of the samples 32..352 is 320; scaled to 20.
    EXPECT_DOUBLE_EQ(m.zoneDeviation[0], 352 * 20.0 / 320);
    EXPECT_DOUBLE_EQ(m.zoneDeviation[275], 32 * 20.0 / 320);
    EXPECT_DOUBLE_EQ(m.zoneDeviation[1], (352 - 1) * 20.0 / 320);    // round(320 / 275) = 1
    EXPECT_DOUBLE_EQ(m.zoneDeviation[55], (352 - 64) * 20.0 / 320);  // 55 * 320 / 275 = 64
    const auto [lo, hi] = std::minmax_element(m.zoneDeviation.begin(), m.zoneDeviation.end());
    EXPECT_DOUBLE_EQ(*hi - *lo, 20.0);
}

TEST(Resample, FlatProfileStaysZeroAndSingleValueGivesTwenty) {
    MirrorModel m;
    resampleDeviation(m);
    for (double z : m.zoneDeviation) EXPECT_EQ(z, 0);

    for (int i = 300; i <= 352; ++i) m.editorProfile[i] = -35;  // the central zone raised
    resampleDeviation(m);
    for (double z : m.zoneDeviation) EXPECT_TRUE(z == 0 || z == -20) << z;
    EXPECT_EQ(m.zoneDeviation[0], -20);

    m.invertDeviation = true;
    resampleDeviation(m);
    EXPECT_EQ(m.zoneDeviation[0], 20);
    EXPECT_EQ(m.zoneDeviation[275], 0);
}

TEST(HeightCurve, PureIsFlatAndDistortedScalesByZoneHeight) {
    MirrorModel m;
    for (int i = 0; i < kProfileSamples; ++i) m.zoneDeviation[i] = i % 7 - 3;
    m.heightCurve.fill(9);
    computeHeightCurve(m);
    for (double h : m.heightCurve) EXPECT_EQ(h, 0);

    m.useDistortedSurface = true;
    m.zoneHeight = 0.5;
    computeHeightCurve(m);
    EXPECT_DOUBLE_EQ(m.heightCurve[10], m.zoneDeviation[10] * 0.5 / 10);
    EXPECT_EQ(m.heightCurve[275], m.heightCurve[274]);
}

TEST(SlopeProfile, NegativeZoneHeightKeepsHeightAndNegatesSlope) {
    auto build = [](double zoneHeight) {
        MirrorModel m;
        for (int i = 200; i <= 352; ++i) m.editorProfile[i] = -(i - 200) * 0.3;
        m.useDistortedSurface = true;
        m.zoneHeight = zoneHeight;
        m.invertDeviation = zoneHeight < 0;
        resampleDeviation(m);
        computeHeightCurve(m);
        computeSlopeDeviation(m);
        return m;
    };
    const MirrorModel up = build(0.5);
    const MirrorModel down = build(-0.5);
    for (int i = 0; i < kProfileSamples; ++i) {
        EXPECT_DOUBLE_EQ(up.heightCurve[i], down.heightCurve[i]) << i;
        EXPECT_DOUBLE_EQ(up.slopeDeviation[i], -down.slopeDeviation[i]) << i;
    }
    EXPECT_EQ(up.slopeDeviation[0], 0);
    EXPECT_NE(up.slopeDeviation[100], 0);
}

TEST(SlopeProfile, ZeroDiameterIsAnInvalidOperation) {
    MirrorModel m;
    m.mirrorDiameter = 0;
    try {
        computeSlopeDeviation(m);
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "Invalid floating point operation");
    }
}

TEST(SmoothSlope, KeepsTheCentreAtZeroAndReflectsEvenly) {
    MirrorModel m;
    for (int i = 1; i <= 275; ++i) m.slopeDeviation[i] = i * i * 0.001;
    const RadialProfile before = m.slopeDeviation;
    smoothSlope(m, 2);
    EXPECT_EQ(m.slopeDeviation[0], 0);
    // Sample 1 sees e[-1] = s[1], e[0] = 0, s[1], s[2], s[3].
    EXPECT_DOUBLE_EQ(m.slopeDeviation[1], (before[1] + 0 + before[1] + before[2] + before[3]) / 5);
    EXPECT_DOUBLE_EQ(m.slopeDeviation[2], (0 + before[1] + before[2] + before[3] + before[4]) / 5);
    EXPECT_DOUBLE_EQ(m.slopeDeviation[100], (before[98] + before[99] + before[100] + before[101] + before[102]) / 5);
    // Past the edge the sequence continues with the mean of the last two samples.
    const double tail = (before[274] + before[275]) / 2;
    EXPECT_DOUBLE_EQ(m.slopeDeviation[275], (before[273] + before[274] + before[275] + tail + tail) / 5);
    // The pass does not feed its results back: sample 3 uses the old sample 2.
    EXPECT_DOUBLE_EQ(m.slopeDeviation[3], (before[1] + before[2] + before[3] + before[4] + before[5]) / 5);
}

TEST(SmoothSlope, ConstantProfileChangesOnlyNearTheCentre) {
    MirrorModel m;
    m.slopeDeviation.fill(1.0);
    m.slopeDeviation[0] = 0;
    smoothSlope(m, 2);
    EXPECT_DOUBLE_EQ(m.slopeDeviation[1], 4.0 / 5);
    EXPECT_DOUBLE_EQ(m.slopeDeviation[2], 4.0 / 5);
    EXPECT_DOUBLE_EQ(m.slopeDeviation[3], 1.0);
    EXPECT_DOUBLE_EQ(m.slopeDeviation[275], 1.0);
}

}  // namespace
}  // namespace sg
