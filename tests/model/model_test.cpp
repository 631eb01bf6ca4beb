// SPDX-License-Identifier: GPL-3.0-or-later
#include "number_text.h"
#include "failure.h"
#include "mirror_model.h"
#include "model_io.h"

#include <gtest/gtest.h>

#include <string>

namespace sg {
namespace {

TEST(ModelDefaults, MatchTheStartUpState) {
    MirrorModel m;
    m.mirrorDiameter = 1;
    m.axialOffset = 7;
    m.testWire = true;
    m.testRonchi = false;
    m.transverseOffset = 3;
    m.showGrid = true;
    m.exampleRequest = 2;
    setModelDefaults(m);
    EXPECT_EQ(m.mirrorDiameter, 200);
    EXPECT_EQ(m.radiusOfCurvature, 2000);
    EXPECT_EQ(m.conicConstant, -1);
    EXPECT_EQ(m.linesPerMm, 4);
    EXPECT_EQ(m.range, 20);
    EXPECT_EQ(m.zoneHeight, 0.5);
    EXPECT_EQ(m.wavelength, 0.55);
    EXPECT_EQ(m.maxMove, 2);
    EXPECT_EQ(m.axialOffset, -0.2);
    EXPECT_EQ(m.axialMarkerY, 325);
    EXPECT_TRUE(m.testRonchi);
    EXPECT_FALSE(m.testWire);
    EXPECT_TRUE(m.orientVertical);
    // Not touched by the defaults.
    EXPECT_EQ(m.transverseOffset, 3);
    EXPECT_TRUE(m.showGrid);
    EXPECT_EQ(m.exampleRequest, 2);
}

TEST(ModelDefaults, PaletteAndFlatDeviation) {
    MirrorModel m;
    EXPECT_EQ(m.palette.rayColour, kRed);
    EXPECT_EQ(m.palette.mirrorFillColour, kBlack);
    EXPECT_EQ(m.palette.gridColour, kYellow);
    EXPECT_EQ(m.palette.gridColourWhite, kBlack);
    EXPECT_EQ(m.palette.heightGraphColour, kRed);
    EXPECT_EQ(m.palette.slopeGraphColour, kBlue);
    EXPECT_EQ(m.editorSampleCount, 704);
    EXPECT_EQ(m.knotX[44], 44);
    EXPECT_EQ(m.editorSampleX[16], 1.0);
    EXPECT_EQ(m.editorSampleX[704], 44.0);
    for (double h : m.knotHeight) EXPECT_EQ(h, 0);
}

TEST(ReadModel, ZoneHeightZeroBecomesTinyAndNegativeInverts) {
    MirrorModel m;
    PlainControls c;
    c.parameters[kRowZoneHeight] = "0";
    readModelFromControls(m, c);
    EXPECT_EQ(m.zoneHeight, 1e-7);
    EXPECT_FALSE(m.invertDeviation);

    c.parameters[kRowZoneHeight] = "-0.5";
    readModelFromControls(m, c);
    EXPECT_EQ(m.zoneHeight, -0.5);
    EXPECT_TRUE(m.invertDeviation);
    EXPECT_EQ(c.parameters[kRowZoneHeight], "-0.5");
}

TEST(ReadModel, WireAndFoucaultTripleTheRulingAndForceOddLines) {
    MirrorModel m;
    PlainControls c;
    c.odd = false;
    readModelFromControls(m, c);
    EXPECT_EQ(m.linesPerMm, 4);
    EXPECT_TRUE(m.evenLines);

    for (int test : {kTestWire, kTestFoucault}) {
        c.test = test;
        readModelFromControls(m, c);
        EXPECT_EQ(m.linesPerMm, 12) << "test item " << test;
        EXPECT_FALSE(m.evenLines) << "test item " << test;
        EXPECT_EQ(c.parameters[kRowLinesPerMm], "4");
    }
    EXPECT_TRUE(m.testFoucault);
    EXPECT_FALSE(m.testWire);

    c.test = kTestRonchi;
    readModelFromControls(m, c);
    EXPECT_EQ(m.linesPerMm, 4);
    EXPECT_TRUE(m.testRonchi);
    EXPECT_FALSE(m.testFoucault);
}

TEST(ReadModel, NoTestItemKeepsFlagsAndAxialOffsetFollowsSetting) {
    MirrorModel m;
    m.testWire = true;
    m.testRonchi = false;
    m.axialOffsetSetting = 3.5;
    PlainControls c;
    c.test = -1;
    readModelFromControls(m, c);
    EXPECT_TRUE(m.testWire);
    EXPECT_FALSE(m.testRonchi);
    EXPECT_EQ(m.axialOffset, 3.5);
    EXPECT_EQ(m.linesPerMm, 12);
}

TEST(ReadModel, PureChoiceClearsDistortedButDistortedChoiceIsLeftToTheRecompute) {
    MirrorModel m;
    PlainControls c;
    m.useDistortedSurface = true;
    c.surface = kSurfaceDistorted;
    readModelFromControls(m, c);
    EXPECT_TRUE(m.useDistortedSurface);
    c.surface = kSurfacePure;
    readModelFromControls(m, c);
    EXPECT_FALSE(m.useDistortedSurface);
}

TEST(ReadModel, BadCellStopsThereAndKeepsEarlierFields) {
    MirrorModel m;
    PlainControls c;
    c.parameters = {"150", "1500", "-0.5", "abc", "40", "2", "0.6"};
    m.testRonchi = false;
    m.testWire = true;
    try {
        readModelFromControls(m, c);
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(m.mirrorDiameter, 150);
    EXPECT_EQ(m.radiusOfCurvature, 1500);
    EXPECT_EQ(m.conicConstant, -0.5);
    EXPECT_EQ(m.linesPerMm, 4);
    EXPECT_EQ(m.range, 20);
    EXPECT_EQ(m.zoneHeight, 0.5);
    EXPECT_EQ(m.wavelength, 0.55);
    EXPECT_EQ(m.axialOffset, -0.2);
    EXPECT_TRUE(m.testWire);  // the test choice comes after the cells
}

TEST(PublishModel, WritesControlsInGeneralFormat) {
    MirrorModel m;
    PlainControls c;
    c.parameters.fill("x");
    m.mirrorDiameter = 250.5;
    m.zoneHeight = 1e-7;
    m.maxMove = 0.05;
    m.testRonchi = false;
    m.testFoucault = true;
    m.orientVertical = false;
    m.orient2D = true;
    m.evenLines = true;
    m.showGrid = true;
    publishModelToControls(m, c);
    EXPECT_EQ(c.parameters[kRowDiameter], "250.5");
    EXPECT_EQ(c.parameters[kRowRadius], "2000");
    EXPECT_EQ(c.parameters[kRowConic], "-1");
    EXPECT_EQ(c.parameters[kRowZoneHeight], "1E-7");
    EXPECT_EQ(c.parameters[kRowWavelength], "0.55");
    EXPECT_EQ(c.move[kMoveRowValue], "0.05");
    EXPECT_EQ(c.test, kTestFoucault);
    EXPECT_EQ(c.orientation, kOrient2D);
    EXPECT_FALSE(c.odd);
    EXPECT_TRUE(c.grid);
}

TEST(Examples, SphereExampleResetsEverythingElse) {
    MirrorModel m;
    PlainControls c;
    c.parameters = {"100", "900", "3", "10", "50", "-2", "0.6"};
    c.move[kMoveRowValue] = "7";
    c.test = kTestWire;
    c.orientation = kOrient2D;
    c.surface = kSurfaceDistorted;
    c.grid = true;
    m.exampleRequest = 2;
    m.showGrid = true;
    m.whiteMode = true;
    m.transverseOffset = 1.5;
    m.axialOffsetSetting = 4;
    m.axialMarkerY = 400;
    applyExample(m, c, 2);
    EXPECT_EQ(c.parameters, (std::array<std::string, kParameterRows>{"200", "2000", "0", "4", "20", "0.5", "0.55"}));
    EXPECT_EQ(c.move[kMoveRowValue], "2");
    EXPECT_EQ(c.test, kTestRonchi);
    EXPECT_EQ(c.orientation, kOrientVertical);
    EXPECT_TRUE(c.odd);
    EXPECT_FALSE(c.grid);
    EXPECT_EQ(c.surface, kSurfaceDistorted);  // the surface choice is not part of an example
    EXPECT_EQ(m.exampleRequest, 0);
    EXPECT_FALSE(m.whiteMode);
    EXPECT_FALSE(m.showGrid);
    EXPECT_EQ(m.transverseOffset, 1.5);
    EXPECT_EQ(m.axialOffsetSetting, 0);
    EXPECT_EQ(m.axialMarkerY, 325);
}

TEST(Examples, EachSetsItsTestOrientationAndConic) {
    struct Row {
        int n, test, orientation;
        const char* conic;
    };
    for (const Row& r : {Row{1, kTestRonchi, kOrientVertical, "-1"}, Row{2, kTestRonchi, kOrientVertical, "0"},
                         Row{3, kTestRonchi, kOrientHorizontal, "-1"}, Row{4, kTestFoucault, kOrientVertical, "-1"}}) {
        MirrorModel m;
        PlainControls c;
        c.test = kTestWire;
        c.orientation = kOrient2D;
        applyExample(m, c, r.n);
        EXPECT_EQ(c.test, r.test) << "example " << r.n;
        EXPECT_EQ(c.orientation, r.orientation) << "example " << r.n;
        EXPECT_EQ(c.parameters[kRowConic], r.conic) << "example " << r.n;
    }
}

}  // namespace
}  // namespace sg
