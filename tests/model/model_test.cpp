// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/controls_reading.h"
#include "model/editor_shape.h"
#include "model/number_text.h"
#include "model/failure.h"
#include "model/mirror.h"
#include "model/test_setup.h"
#include "model/view_options.h"

#include <gtest/gtest.h>

#include <string>

namespace sg {
namespace {

TEST(ModelDefaults, MatchTheStartUpState) {
    const Mirror m;
    EXPECT_EQ(m.mirrorDiameter, 200);
    EXPECT_EQ(m.radiusOfCurvature, 2000);
    EXPECT_EQ(m.conicConstant, -1);
    EXPECT_EQ(m.zoneHeight, 0.5);
    EXPECT_FALSE(m.distorted());
    EXPECT_FALSE(m.invertDeviation);
    const TestSetup t;
    EXPECT_EQ(t.linesPerMm, 4);
    EXPECT_EQ(t.wavelength, 0.55);
    EXPECT_EQ(t.position.range, 20);
    EXPECT_EQ(t.position.maxMove, 2);
    EXPECT_EQ(t.position.axialOffset, 0);
    EXPECT_EQ(t.position.axialMarkerY, 325);
    EXPECT_EQ(t.test, TestKind::Ronchi);
    EXPECT_EQ(t.orientation, Orientation::Vertical);
    EXPECT_FALSE(t.sourceMoves());
    EXPECT_FALSE(t.exact());
    EXPECT_EQ(ViewOptions{}, (ViewOptions{false, false}));
}

TEST(ModelDefaults, PaletteAndFlatShape) {
    EXPECT_EQ(kPalette.rayColour, kRed);
    EXPECT_EQ(kPalette.mirrorFillColour, kBlack);
    EXPECT_EQ(kPalette.gridColour, kYellow);
    EXPECT_EQ(kPalette.gridColourWhite, kBlack);
    EXPECT_EQ(kPalette.heightGraphColour, kRed);
    EXPECT_EQ(kPalette.slopeGraphColour, kBlue);
    EditorShape s;
    EXPECT_EQ(s.sampleCount, 704);
    EXPECT_EQ(s.knotX[44], 44);
    EXPECT_EQ(s.sampleX[16], 1.0);
    EXPECT_EQ(s.sampleX[704], 44.0);
    for (double h : s.knotHeight) EXPECT_EQ(h, 0);
    s.knotHeight[7] = 3;
    s.profile[100] = 1;
    s.makeFlat();
    EXPECT_EQ(s.knotHeight[7], 0);
    EXPECT_EQ(s.profile[100], 0);
}

// The rules the passes take the test by, each in one place.
TEST(TestRules, RulingParityAndSlitFollowTheTestAndRayModel) {
    TestSetup t;
    t.linesPerMm = 4;
    t.evenLines = true;
    t.slitWidth = 0.2;
    EXPECT_EQ(workingLinesPerMm(t), 4);
    EXPECT_TRUE(brightCentreBand(t));
    EXPECT_EQ(workingSlitWidth(t), 0);
    t.rayModel = RayModel::Exact;
    EXPECT_EQ(workingSlitWidth(t), 0.2);
    for (TestKind k : {TestKind::Wire, TestKind::Foucault}) {
        t.test = k;
        EXPECT_EQ(workingLinesPerMm(t), 12);
        EXPECT_FALSE(brightCentreBand(t));
    }
}

void read(const PlainControls& c, Mirror& m, TestSetup& t) { readSetup(readControls(c), m, t); }

TEST(ReadSetup, ZoneHeightZeroBecomesTinyAndNegativeInverts) {
    Mirror m;
    TestSetup t;
    PlainControls c;
    c.parameters[kRowZoneHeight] = "0";
    read(c, m, t);
    EXPECT_EQ(m.zoneHeight, 1e-7);
    EXPECT_FALSE(m.invertDeviation);

    c.parameters[kRowZoneHeight] = "-0.5";
    read(c, m, t);
    EXPECT_EQ(m.zoneHeight, -0.5);
    EXPECT_TRUE(m.invertDeviation);
    EXPECT_EQ(c.parameters[kRowZoneHeight], "-0.5");
}

TEST(ReadSetup, TheRulingIsKeptAsEnteredAndOddIsReadForEveryTest) {
    Mirror m;
    TestSetup t;
    PlainControls c;
    c.odd = false;
    read(c, m, t);
    EXPECT_EQ(t.linesPerMm, 4);
    EXPECT_TRUE(t.evenLines);
    for (int test : {kTestWire, kTestFoucault}) {
        c.test = test;
        read(c, m, t);
        EXPECT_EQ(t.linesPerMm, 4) << "test item " << test;
        EXPECT_EQ(workingLinesPerMm(t), 12) << "test item " << test;
        EXPECT_FALSE(brightCentreBand(t)) << "test item " << test;
    }
    EXPECT_EQ(t.test, TestKind::Foucault);
    c.test = kTestRonchi;
    read(c, m, t);
    EXPECT_EQ(t.test, TestKind::Ronchi);
    EXPECT_TRUE(brightCentreBand(t));
}

TEST(ReadSetup, NoItemKeepsTheChoicesAndThePositionIsNotRead) {
    Mirror m;
    TestSetup t;
    t.test = TestKind::Wire;
    t.orientation = Orientation::TwoD;
    t.position.axialOffset = 3.5;
    PlainControls c;
    c.test = -1;
    c.orientation = -1;
    const ControlsReading r = readControls(c);
    readSetup(r, m, t);
    EXPECT_EQ(t.test, TestKind::Wire);
    EXPECT_EQ(orientationFrom(r, t.orientation), Orientation::TwoD);
    EXPECT_EQ(t.position.axialOffset, 3.5);
    EXPECT_EQ(workingLinesPerMm(t), 12);
}

TEST(ReadSetup, PureChoiceClearsDistortedButDistortedChoiceIsLeftToTheRecompute) {
    Mirror m;
    TestSetup t;
    PlainControls c;
    m.deviation = SurfaceDeviation::Drawn;
    c.surface = kSurfaceDistorted;
    read(c, m, t);
    EXPECT_TRUE(m.distorted());
    c.surface = kSurfacePure;
    read(c, m, t);
    EXPECT_FALSE(m.distorted());
}

TEST(ReadSetup, BadCellStopsThereAndKeepsEarlierFields) {
    Mirror m;
    TestSetup t;
    PlainControls c;
    c.parameters = {"150", "1500", "-0.5", "abc", "40", "2", "0.6"};
    t.test = TestKind::Wire;
    try {
        read(c, m, t);
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(m.mirrorDiameter, 150);
    EXPECT_EQ(m.radiusOfCurvature, 1500);
    EXPECT_EQ(m.conicConstant, -0.5);
    EXPECT_EQ(t.linesPerMm, 4);
    EXPECT_EQ(t.position.range, 20);
    EXPECT_EQ(m.zoneHeight, 0.5);
    EXPECT_EQ(t.wavelength, 0.55);
    EXPECT_EQ(t.test, TestKind::Wire);  // the test choice comes after the cells
}

// The controls are read once; a cell that is not a number keeps its message
// for the moment the action uses it, and the first bad cell in the order of
// use decides the message.
TEST(ControlsReading, KeepsEachCellsMessageUntilItIsUsed) {
    PlainControls c;
    c.parameters[kRowRadius] = "x1";
    c.parameters[kRowWavelength] = "";
    c.move[kMoveRowValue] = "2,5";
    c.sourceWidth = "-";
    const ControlsReading r = readControls(c);
    EXPECT_EQ(r.parameter(kRowDiameter), 200);
    EXPECT_EQ(r.parameter(kRowRange), 20);
    EXPECT_THROW(r.parameter(kRowRadius), ActionError);
    EXPECT_EQ(r.parameters[kRowRadius].error, "'x1' is not a valid floating point value");
    EXPECT_EQ(r.parameters[kRowWavelength].error, "'' is not a valid floating point value");
    EXPECT_EQ(r.maxMove.error, "'2,5' is not a valid floating point value");
    EXPECT_EQ(r.slitWidth.error, "'-' is not a valid floating point value");
    try {
        enteredNumbers(r);
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "'x1' is not a valid floating point value");
    }
    // A changed control after the reading does not reach it.
    c.parameters[kRowDiameter] = "300";
    EXPECT_EQ(r.parameter(kRowDiameter), 200);
}

TEST(ControlsReading, TheSlitCountsOnlyWithTheExactTrace) {
    PlainControls c;
    c.sourceWidth = "bad";
    Mirror m;
    TestSetup t;
    EXPECT_NO_THROW(read(c, m, t));
    EXPECT_EQ(t.slitWidth, 0);
    c.exactTrace = true;
    EXPECT_THROW(read(c, m, t), ActionError);
    c.sourceWidth = "-0.1";
    try {
        read(c, m, t);
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), kNegativeSlitMessage);
    }
    c.sourceWidth = "0.25";
    read(c, m, t);
    EXPECT_EQ(t.slitWidth, 0.25);
    EXPECT_TRUE(t.exact());
}

TEST(ControlsReading, ACellTheActionWritesIsReadAsACell) {
    PlainControls c;
    ControlsReading r = readControls(c);
    r.setParameterText(kRowZoneHeight, "-0.5");
    EXPECT_EQ(r.parameter(kRowZoneHeight), -0.5);
    r.setParameterText(kRowZoneHeight, "q");
    EXPECT_THROW(r.parameter(kRowZoneHeight), ActionError);
    EXPECT_EQ(enteredNumbers(readControls(c), 1e-11).zoneHeight, 0.5);
    c.parameters[kRowZoneHeight] = "0";
    EXPECT_EQ(enteredNumbers(readControls(c), 1e-11).zoneHeight, 1e-11);
    EXPECT_EQ(enteredNumbers(readControls(c)).zoneHeight, 1e-7);
}

// The wave picture takes the exact surface and the slit, whatever the ray
// trace's box says, and its light from its own box.
TEST(ReadSetup, TheWavePictureTakesTheExactSurfaceAndItsLight) {
    Mirror m;
    TestSetup t;
    PlainControls c;
    c.waveOptics = true;
    c.sourceWidth = "0.1";
    read(c, m, t);
    EXPECT_TRUE(t.waveOptics);
    EXPECT_TRUE(t.exact());
    EXPECT_EQ(t.slitWidth, 0.1);
    EXPECT_EQ(t.spectrum, Spectrum::Mono);
    c.whiteLight = true;
    read(c, m, t);
    EXPECT_EQ(t.spectrum, Spectrum::White);
    c.waveOptics = false;
    read(c, m, t);
    EXPECT_FALSE(t.waveOptics);
    EXPECT_FALSE(t.exact());
    EXPECT_EQ(t.slitWidth, 0);
}

TEST(PublishSetup, WritesControlsInGeneralFormat) {
    Mirror m;
    TestSetup t;
    ViewOptions v;
    PlainControls c;
    c.parameters.fill("x");
    m.mirrorDiameter = 250.5;
    m.zoneHeight = 1e-7;
    t.position.maxMove = 0.05;
    t.test = TestKind::Foucault;
    t.orientation = Orientation::TwoD;
    t.evenLines = true;
    v.showGrid = true;
    publishSetup(m, t, v, c);
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
    Mirror m;
    TestSetup t;
    ViewOptions v;
    PlainControls c;
    c.parameters = {"100", "900", "3", "10", "50", "-2", "0.6"};
    c.move[kMoveRowValue] = "7";
    c.test = kTestWire;
    c.orientation = kOrient2D;
    c.surface = kSurfaceDistorted;
    c.grid = true;
    v.showGrid = true;
    v.whiteMode = true;
    t.position.transverseOffset = 1.5;
    t.position.axialOffset = 4;
    t.position.axialMarkerY = 400;
    t.position.maxMove = 7;
    applyExample(2, m, t, v, c);
    EXPECT_EQ(c.parameters, (std::array<std::string, kParameterRows>{"200", "2000", "0", "4", "20", "0.5", "0.55"}));
    EXPECT_EQ(c.move[kMoveRowValue], "2");
    EXPECT_EQ(c.test, kTestRonchi);
    EXPECT_EQ(c.orientation, kOrientVertical);
    EXPECT_TRUE(c.odd);
    EXPECT_FALSE(c.grid);
    EXPECT_EQ(c.surface, kSurfaceDistorted);  // the surface choice is not part of an example
    EXPECT_FALSE(v.whiteMode);
    EXPECT_FALSE(v.showGrid);
    EXPECT_EQ(t.position.transverseOffset, 1.5);
    EXPECT_EQ(t.position.axialOffset, 0);
    EXPECT_EQ(t.position.axialMarkerY, 325);
}

TEST(Examples, EachSetsItsTestOrientationAndConic) {
    struct Row {
        int n, test, orientation;
        const char* conic;
    };
    for (const Row& r : {Row{1, kTestRonchi, kOrientVertical, "-1"}, Row{2, kTestRonchi, kOrientVertical, "0"},
                         Row{3, kTestRonchi, kOrientHorizontal, "-1"}, Row{4, kTestFoucault, kOrientVertical, "-1"}}) {
        Mirror m;
        TestSetup t;
        ViewOptions v;
        PlainControls c;
        c.test = kTestWire;
        c.orientation = kOrient2D;
        applyExample(r.n, m, t, v, c);
        EXPECT_EQ(c.test, r.test) << "example " << r.n;
        EXPECT_EQ(c.orientation, r.orientation) << "example " << r.n;
        EXPECT_EQ(c.parameters[kRowConic], r.conic) << "example " << r.n;
    }
}

}  // namespace
}  // namespace sg
