// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/failure.h"
#include "simulator/picture.h"
#include "tests/support/picture_checks.h"
#include "simulator/profile_graphs.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"
#include "tests/support/test_picture.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace sg {
namespace {

using testing::countColour;
using testing::TestPicture;

// x positions of the coloured pixels in one row of the picture.
std::set<int> columnsOf(const Canvas& c, int y, Rgb colour) {
    std::set<int> xs;
    for (int x = 0; x < c.width(); ++x)
        if (c.pixel(x, y) == colour) xs.insert(x);
    return xs;
}

TEST(Graphs, PureConicGivesFlatLinesWithFiveTicksASide) {
    TestPicture sc;
    sc.recompute();
    const std::set<int> ticks{410 - 221, 410 - 166, 410 - 111, 410 - 56, 410 - 1,
                              410 + 1,   410 + 56,  410 + 111, 410 + 166, 410 + 221};
    for (int base : {600, 670}) {
        const Rgb line = base == 600 ? kRed : kBlue;
        const std::set<int> xs = columnsOf(sc.canvas, base, line);
        EXPECT_EQ(xs.size(), 550u) << "base " << base;
        EXPECT_EQ(*xs.begin(), 135);
        EXPECT_EQ(*xs.rbegin(), 685);
        EXPECT_EQ(xs.count(410), 0u);
        EXPECT_EQ(columnsOf(sc.canvas, base - 1, kRed), ticks) << "base " << base;
        EXPECT_EQ(columnsOf(sc.canvas, base + 1, kRed), ticks) << "base " << base;
    }
    // Nothing else in the two graph boxes.
    EXPECT_EQ(countColour(sc.canvas.image(), kRed, 50, 580, 770, 620), 550 + 20);
    EXPECT_EQ(countColour(sc.canvas.image(), kBlue, 50, 650, 770, 690), 550);
    EXPECT_EQ(sc.picture.display.transverseUnit, " (bands)");
}

TEST(Graphs, DistortedShapeHangsBelowTheLineAndSlopeRisesAbove) {
    TestPicture sc;
    for (int i = 200; i <= 352; ++i) sc.shape.profile[i] = (i - 200) * 0.2;  // deeper towards the centre
    sc.controls.surface = kSurfaceDistorted;
    sc.recompute();
    EXPECT_EQ(sc.canvas.pixel(411, 620), kRed);  // centre sample at +20
    EXPECT_EQ(sc.canvas.pixel(409, 620), kRed);
    EXPECT_EQ(sc.canvas.pixel(685, 600), kRed);  // the edge sample at 0
    int highest = 700;
    for (int y = 650; y < 690; ++y)
        if (countColour(sc.canvas.image(), kBlue, 135, y, 686, y + 1) > 0) highest = std::min(highest, y);
    EXPECT_EQ(highest, 650);
    EXPECT_EQ(countColour(sc.canvas.image(), kBlue, 0, 671, 800, 700), 0);

    // A negative zone height turns the height graph over; the slope magnitude stays.
    const QImage before = sc.canvas.image().copy();
    sc.controls.parameters[kRowZoneHeight] = "-0.5";
    sc.recompute();
    EXPECT_EQ(sc.canvas.pixel(411, 580), kRed);
    EXPECT_EQ(testing::firstDifference(before.copy(0, 640, 800, 60), sc.canvas.image().copy(0, 640, 800, 60)), "");
}

TEST(Graphs, FlatProfileWithDistortedSurfaceLooksLikeThePureConic) {
    TestPicture pure, flat;
    flat.controls.surface = kSurfaceDistorted;
    pure.recompute();
    flat.recompute();
    EXPECT_EQ(testing::firstDifference(pure.canvas.image(), flat.canvas.image()), "");
    EXPECT_TRUE(flat.mirror().distorted());
}

TEST(Readouts, TextsOfTheDefaultMirrorAndOthers) {
    TestPicture sc;
    sc.recompute();
    drawConicReadout(sc.sim, sc.scene());
    EXPECT_EQ(conicReadoutText(sc.sim.conicDeviation), "Conic dev. = -2.841 Wave");
    EXPECT_EQ(focalRatioText(sc.mirror()), "F:5.000");
    EXPECT_GT(countColour(sc.canvas.image(), kBlack, 590, 10, 800, 24), 30);
    EXPECT_GT(countColour(sc.canvas.image(), kBlack, 640, 25, 700, 40), 10);

    sc.controls.parameters[kRowConic] = "0";
    sc.recompute();
    drawConicReadout(sc.sim, sc.scene());
    EXPECT_EQ(conicReadoutText(sc.sim.conicDeviation), "Conic dev. = 0.000 Wave");
    sc.controls.parameters[kRowConic] = "0.5";
    sc.recompute();
    drawConicReadout(sc.sim, sc.scene());
    EXPECT_GT(sc.sim.conicDeviation, 0);
}

TEST(Readouts, TransverseUnitFollowsTheTest) {
    TestPicture sc;
    const std::pair<int, const char*> cases[] = {
        {kTestWire, "(wire  W)"}, {kTestFoucault, "    "}, {kTestRonchi, " (bands)"}};
    for (const auto& [test, unit] : cases) {
        sc.controls.test = test;
        sc.recompute();
        EXPECT_EQ(sc.picture.display.transverseUnit, unit);
    }
}

TEST(Recompute, BrightenBeforeAnyClickDrawsOnSilver) {
    TestPicture sc;
    brightenPicture(sc.drawing, sc.read());
    EXPECT_EQ(countColour(sc.canvas.image(), kBlack, 0, 0, 800, 575), 0);
    EXPECT_GT(countColour(sc.canvas.image(), kRed, 0, 0, 800, 575), 20000);
    EXPECT_EQ(sc.canvas.pixel(410, 300) == kRed || sc.canvas.pixel(410, 300) == kSilver, true);
}

TEST(Recompute, BrightenAddsPointsOfTheNewSettingsOnTheOldPicture) {
    TestPicture sc;
    clearDrawingArea(sc.canvas);
    drawMirrorDisk(sc.canvas);
    sc.recompute();
    sc.pass();
    const int before = countColour(sc.canvas.image(), kRed, 0, 0, 800, 575);
    sc.controls.parameters[kRowConic] = "0";
    brightenPicture(sc.drawing, sc.read());
    const int after = countColour(sc.canvas.image(), kRed, 0, 0, 800, 575);
    EXPECT_GT(after, before);
    EXPECT_EQ(sc.mirror().conicConstant, 0);
}

TEST(Recompute, CentresWithFoucaultOnlyRedrawsTheGraphs) {
    TestPicture sc;
    sc.controls.test = kTestFoucault;
    drawCentreLines(sc.drawing, sc.read());
    EXPECT_EQ(countColour(sc.canvas.image(), kRed, 0, 0, 800, 575), 0);
    EXPECT_EQ(countColour(sc.canvas.image(), kBlue), 550);
    EXPECT_EQ(sc.sim.random.seed(), 0u);

    TestPicture ronchi;
    drawCentreLines(ronchi.drawing, ronchi.read());
    EXPECT_GT(countColour(ronchi.canvas.image(), kRed, 0, 0, 800, 575), 500);
}

TEST(Recompute, InvertNegatesTheCellAndTurnsTheGraphAtOnce) {
    TestPicture sc;
    for (int i = 300; i <= 352; ++i) sc.shape.profile[i] = 10;
    sc.controls.surface = kSurfaceDistorted;
    sc.recompute();
    EXPECT_EQ(sc.canvas.pixel(411, 620), kRed);
    sc.invert();
    EXPECT_EQ(sc.controls.parameters[kRowZoneHeight], "-0.5");
    EXPECT_EQ(sc.mirror().zoneHeight, -0.5);
    EXPECT_EQ(sc.canvas.pixel(411, 580), kRed);
    EXPECT_EQ(sc.canvas.pixel(411, 620), kSilver);
    sc.invert();
    EXPECT_EQ(sc.controls.parameters[kRowZoneHeight], "0.5");
}

TEST(Recompute, AnExampleIsPublishedThenDrawn) {
    TestPicture sc;
    sc.controls.parameters[kRowDiameter] = "150";
    applyExample(4, sc.mirror(), sc.setup(), sc.scene().view, sc.controls);
    sc.recompute();
    EXPECT_TRUE((sc.setup().test == TestKind::Foucault));
    EXPECT_EQ(workingLinesPerMm(sc.setup()), 12);
    EXPECT_EQ(sc.mirror().mirrorDiameter, 200);
    EXPECT_EQ(sc.controls.parameters[kRowDiameter], "200");
    EXPECT_EQ(sc.picture.display.transverseUnit, "    ");
}

TEST(Recompute, BadCellStopsBeforeTheGraphs) {
    TestPicture sc;
    sc.controls.parameters[kRowWavelength] = "0.5x";
    try {
        sc.recompute();
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "'0.5x' is not a valid floating point value");
    }
    EXPECT_EQ(countColour(sc.canvas.image(), kRed), 0);
    EXPECT_EQ(sc.mirror().zoneHeight, 0.5);
}

TEST(Recompute, ZeroDiameterStopsAfterTheHeightGraph) {
    TestPicture sc;
    sc.controls.parameters[kRowDiameter] = "0";
    try {
        sc.recompute();
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "Invalid floating point operation");
    }
    EXPECT_EQ(countColour(sc.canvas.image(), kRed), 570);
    EXPECT_EQ(countColour(sc.canvas.image(), kBlue), 0);
}

TEST(Recompute, EditorOpenedRedrawsOnceAndClearsTheFlag) {
    TestPicture sc;
    sc.picture.state.editorOpened = true;
    sc.recompute();
    EXPECT_FALSE(sc.picture.state.editorOpened);
    EXPECT_GT(countColour(sc.canvas.image(), kBlack, 0, 0, 800, 575), 100000);  // a fresh disk
    EXPECT_GT(countColour(sc.canvas.image(), kRed, 0, 0, 800, 575), 10000);   // and one pass
    EXPECT_NE(sc.sim.random.seed(), 0u);
}

}  // namespace
}  // namespace sg
