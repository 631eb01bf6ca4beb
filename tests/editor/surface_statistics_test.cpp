// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics beside the editor's plot: worked figures, how the zone
// height, its sign and the wavelength enter, and the refusals.
#include "model/failure.h"
#include "editor/surface_statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sg {
namespace {

// The drawn shape, the mirror the main window's picture shows, and its controls.
struct Drawing {
    EditorShape shape;
    Mirror shown;
    PlainControls controls;
    SurfaceStatistics refresh() { return refreshStatistics(shape, shown, controls); }
    StatisticsLines lines() { return statisticsLines(refresh()); }
};

TEST(SurfaceStatistics, FlatShapeShowsZerosAndTheZoneHeight) {
    Drawing s;
    const StatisticsLines l = s.lines();
    EXPECT_EQ(l[0], "0.000 MEAN Ht - Linear");
    EXPECT_EQ(l[1], "0.000 MEAN Ht Area Weighted");
    EXPECT_EQ(l[2], "0.000 RMS - Linear");
    EXPECT_EQ(l[3], "0.000 RMS - Area Weighted ");
    EXPECT_EQ(l[4], "0.500 PV  (set from main Program)");
}

TEST(SurfaceStatistics, CentreKnotRaisedByOneWave) {
    Drawing s;
    s.controls.parameters[kRowZoneHeight] = "1";
    s.shape.knotHeight[22] = -80;
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
    Drawing half;
    half.controls.parameters[kRowZoneHeight] = "1";
    half.shape.knotHeight[22] = -40;
    EXPECT_EQ(half.lines(), l);
}

TEST(SurfaceStatistics, InvertedZoneHeightFlipsTheMeansOnly) {
    Drawing s;
    for (int k : {7, 37}) s.shape.knotHeight[k] = -80;
    s.shape.knotHeight[22] = 30;
    const SurfaceStatistics up = s.refresh();
    // What the main window's Invert and recompute leave: a negative cell and the flag.
    s.controls.parameters[kRowZoneHeight] = "-0.5";
    s.shown.invertDeviation = true;
    const SurfaceStatistics down = s.refresh();
    EXPECT_NE(up.meanLinear, 0);
    EXPECT_NEAR(down.meanLinear, -up.meanLinear, 1e-12);
    EXPECT_NEAR(down.meanAreaWeighted, -up.meanAreaWeighted, 1e-12);
    EXPECT_NEAR(down.rmsLinear, up.rmsLinear, 1e-12);
    EXPECT_NEAR(down.rmsAreaWeighted, up.rmsAreaWeighted, 1e-12);
    EXPECT_EQ(statisticsLines(down)[4], "-0.500 PV  (set from main Program)");
}

TEST(SurfaceStatistics, WavelengthAloneChangesNoLine) {
    Drawing s;
    for (int k : {4, 40}) s.shape.knotHeight[k] = 60;
    s.shape.knotHeight[22] = -25;
    const StatisticsLines at055 = s.lines();
    for (const char* wl : {"0.4", "0.6328", "1.2"}) {
        s.controls.parameters[kRowWavelength] = wl;
        EXPECT_EQ(s.lines(), at055) << wl;
    }
}

TEST(SurfaceStatistics, ReadsTheGridAsItStandsAndLeavesThePicturesMirror) {
    Drawing s;
    s.controls.parameters = {"150", "1200", "-0.8", "10", "30", "0", "0.6"};
    s.controls.test = kTestWire;
    s.shape.knotHeight[22] = -80;
    const SurfaceStatistics st = s.refresh();
    EXPECT_EQ(st.peakToValley, 1e-7);  // a zone height of 0 is kept as 1e-7
    EXPECT_NEAR(st.meanLinear, 1e-7 / 41, 1e-15);
    EXPECT_EQ(statisticsLines(st)[4], "0.000 PV  (set from main Program)");
    EXPECT_EQ(s.shown, Mirror{});
    // The figures are those of the shape and the numbers alone.
    StatisticsScale scale;
    scale.zoneHeight = 1e-7;
    scale.wavelength = 0.6;
    scale.mirrorDiameter = 150;
    const SurfaceStatistics direct = computeSurfaceStatistics(s.shape, scale);
    EXPECT_EQ(direct.meanLinear, st.meanLinear);
    EXPECT_EQ(direct.rmsAreaWeighted, st.rmsAreaWeighted);
}

TEST(SurfaceStatistics, BadCellStopsThereAndKeepsTheEarlierCells) {
    Drawing s;
    s.controls.parameters[kRowDiameter] = "180";
    s.controls.parameters[kRowLinesPerMm] = "abc";
    s.controls.parameters[kRowZoneHeight] = "2";
    try {
        s.refresh();
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(s.shown, Mirror{});
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
        Drawing s;
        s.controls.parameters[static_cast<std::size_t>(c.row)] = c.text;
        s.shape.knotHeight[22] = c.knot;
        s.shape.knotHeight[10] = s.shape.knotHeight[34] = -c.knot;
        try {
            s.refresh();
            FAIL() << "no error for row " << c.row << " = " << c.text;
        } catch (const ActionError& e) {
            EXPECT_STREQ(e.what(), c.message) << "row " << c.row << " = " << c.text;
        }
    }
    // Finite but huge knots still give finite figures.
    Drawing big;
    big.shape.knotHeight[22] = 1e300;
    const SurfaceStatistics st = big.refresh();
    EXPECT_TRUE(std::isfinite(st.rmsLinear));
    EXPECT_EQ(statisticsLines(st)[2], "0.077 RMS - Linear");
}

}  // namespace
}  // namespace sg
