// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics beside the editor's plot: worked figures, how the zone
// height, its sign and the wavelength enter, and the refusals.
#include "failure.h"
#include "surface_statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sg {
namespace {

struct Mirror {
    MirrorModel model;
    PlainControls controls;
    SurfaceStatistics refresh() { return refreshStatistics(model, controls); }
    StatisticsLines lines() { return statisticsLines(refresh()); }
};

TEST(SurfaceStatistics, FlatShapeShowsZerosAndTheZoneHeight) {
    Mirror s;
    const StatisticsLines l = s.lines();
    EXPECT_EQ(l[0], "0.000 MEAN Ht - Linear");
    EXPECT_EQ(l[1], "0.000 MEAN Ht Area Weighted");
    EXPECT_EQ(l[2], "0.000 RMS - Linear");
    EXPECT_EQ(l[3], "0.000 RMS - Area Weighted ");
    EXPECT_EQ(l[4], "0.500 PV  (set from main Program)");
}

TEST(SurfaceStatistics, CentreKnotRaisedByOneWave) {
    Mirror s;
    s.controls.parameters[kRowZoneHeight] = "1";
    s.model.knotHeight[22] = -80;
    const SurfaceStatistics st = s.refresh();
    EXPECT_NEAR(st.meanLinear, 1.0 / 41, 1e-8);
    EXPECT_NEAR(st.rmsLinear, std::sqrt(40.0 / 41 / 41), 1e-8);
    // The centre counts only in the innermost ring: 1/400 of the area at half height.
    EXPECT_NEAR(st.meanAreaWeighted, 0.5 / 400, 1e-8);
    const StatisticsLines l = statisticsLines(st);
    EXPECT_EQ(l[0], "0.024 MEAN Ht - Linear");
    EXPECT_EQ(l[1], "0.001 MEAN Ht Area Weighted");
    EXPECT_EQ(l[2], "0.154 RMS - Linear");
    EXPECT_EQ(l[3], "0.025 RMS - Area Weighted ");
    EXPECT_EQ(l[4], "1.000 PV  (set from main Program)");

    // The span of the drawing does not matter, only its shape.
    Mirror half;
    half.controls.parameters[kRowZoneHeight] = "1";
    half.model.knotHeight[22] = -40;
    EXPECT_EQ(half.lines(), l);
}

TEST(SurfaceStatistics, InvertedZoneHeightFlipsTheMeansOnly) {
    Mirror s;
    for (int k : {7, 37}) s.model.knotHeight[k] = -80;
    s.model.knotHeight[22] = 30;
    const SurfaceStatistics up = s.refresh();
    // What the main window's Invert and recompute leave: a negative cell and the flag.
    s.controls.parameters[kRowZoneHeight] = "-0.5";
    s.model.invertDeviation = true;
    const SurfaceStatistics down = s.refresh();
    EXPECT_NE(up.meanLinear, 0);
    EXPECT_NEAR(down.meanLinear, -up.meanLinear, 1e-12);
    EXPECT_NEAR(down.meanAreaWeighted, -up.meanAreaWeighted, 1e-12);
    EXPECT_NEAR(down.rmsLinear, up.rmsLinear, 1e-12);
    EXPECT_NEAR(down.rmsAreaWeighted, up.rmsAreaWeighted, 1e-12);
    EXPECT_EQ(statisticsLines(down)[4], "-0.500 PV  (set from main Program)");
}

TEST(SurfaceStatistics, WavelengthAloneChangesNoLine) {
    Mirror s;
    for (int k : {4, 40}) s.model.knotHeight[k] = 60;
    s.model.knotHeight[22] = -25;
    const StatisticsLines at055 = s.lines();
    for (const char* wl : {"0.4", "0.6328", "1.2"}) {
        s.controls.parameters[kRowWavelength] = wl;
        EXPECT_EQ(s.lines(), at055) << wl;
    }
}

TEST(SurfaceStatistics, ReadsTheGridIntoTheModelAsItStands) {
    Mirror s;
    s.controls.parameters = {"150", "1200", "-0.8", "10", "30", "0", "0.6"};
    s.controls.test = kTestWire;  // no tripling here
    s.model.axialOffsetSetting = 1.25;
    const StatisticsLines l = s.lines();
    EXPECT_EQ(s.model.mirrorDiameter, 150);
    EXPECT_EQ(s.model.radiusOfCurvature, 1200);
    EXPECT_EQ(s.model.conicConstant, -0.8);
    EXPECT_EQ(s.model.linesPerMm, 10);
    EXPECT_EQ(s.model.range, 30);
    EXPECT_EQ(s.model.zoneHeight, 1e-7);
    EXPECT_EQ(s.model.pvError, 1e-7);
    EXPECT_EQ(s.model.wavelength, 0.6);
    EXPECT_EQ(s.model.axialOffset, 1.25);
    EXPECT_EQ(l[4], "0.000 PV  (set from main Program)");
}

TEST(SurfaceStatistics, BadCellStopsThereAndKeepsTheEarlierCells) {
    Mirror s;
    s.controls.parameters[kRowDiameter] = "180";
    s.controls.parameters[kRowLinesPerMm] = "abc";
    s.controls.parameters[kRowZoneHeight] = "2";
    try {
        s.refresh();
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(s.model.mirrorDiameter, 180);
    EXPECT_EQ(s.model.zoneHeight, 0.5);
}

TEST(SurfaceStatistics, ZeroWavelengthOrDiameterAndOverflowGiveNoFigures) {
    struct Case {
        int row;
        const char* text;
        double knot;
        const char* message;
    };
    const Case cases[] = {
        {kRowWavelength, "0", -80, kInvalidOperationMessage},
        {kRowDiameter, "0", -80, kInvalidOperationMessage},
        {kRowZoneHeight, "1e200", -80, kInvalidOperationMessage},  // squares beyond a double
    };
    for (const Case& c : cases) {
        Mirror s;
        s.controls.parameters[static_cast<std::size_t>(c.row)] = c.text;
        s.model.knotHeight[22] = c.knot;
        s.model.knotHeight[10] = s.model.knotHeight[34] = -c.knot;
        try {
            s.refresh();
            FAIL() << "no error for row " << c.row << " = " << c.text;
        } catch (const ActionError& e) {
            EXPECT_STREQ(e.what(), c.message) << "row " << c.row << " = " << c.text;
        }
    }
    // Finite but huge knots still give finite figures.
    Mirror big;
    big.model.knotHeight[22] = 1e300;
    const SurfaceStatistics st = big.refresh();
    EXPECT_TRUE(std::isfinite(st.rmsLinear));
    EXPECT_EQ(statisticsLines(st)[2], "0.077 RMS - Linear");
}

}  // namespace
}  // namespace sg
