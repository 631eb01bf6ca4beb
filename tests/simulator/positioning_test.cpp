// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/failure.h"
#include "tests/support/picture_checks.h"
#include "simulator/positioning.h"
#include "simulator/profile_graphs.h"
#include "simulator/redraw.h"
#include "tests/support/test_picture.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace sg {
namespace {

using testing::countColour;
using testing::TestPicture;

// The read-outs a picture shows, with its warnings kept.
struct RecordingDisplay {
    explicit RecordingDisplay(TestPicture& sc) : shown(sc.picture.display) {
        shown.axialReadout = " ";
        shown.onWarning = [this](const std::string& l1, const std::string& l2) { warnings.emplace_back(l1, l2); };
    }
    const std::string& readout() const { return shown.axialReadout; }
    KeptReadouts& shown;
    std::vector<std::pair<std::string, std::string>> warnings;
};

TEST(Sliders, AxialRowsGiveMillimetresWithinTheLimit) {
    struct Case {
        int row;
        double range, expected;
    };
    for (const Case& c : {Case{225, 20, -20}, Case{434, 20, 21.8}, Case{325, 20, 0}, Case{434, 200, 100},
                          Case{216, 200, -100}, Case{400, 0, 0}, Case{300, -20, 5}}) {
        EXPECT_DOUBLE_EQ(axialPositionFromRow(c.row, c.range), c.expected) << "row " << c.row << " range " << c.range;
    }
}

TEST(Sliders, TransverseColumnsGiveOffsetsWithinTheLimit) {
    struct Case {
        int column;
        double maxMove;
        const char* text;
    };
    for (const Case& c : {Case{49, 2, "2.000 bands"}, Case{1, 2, "-2.000 bands"}, Case{37, 2, "1.000 bands"},
                          Case{49, 30, "24.000 bands"}, Case{1, 30, "-24.000 bands"}, Case{25, 2, "0.000 bands"},
                          Case{31, 0.05, "0.013 bands"}}) {
        TestSetup t;
        t.position.transverseOffset = transverseOffsetFromColumn(c.column, c.maxMove);
        EXPECT_EQ(transverseReadoutText(t), c.text) << "column " << c.column << " maxMove " << c.maxMove;
    }
    // The column an offset came from is found again from it, and the row a
    // position came from, so that keys step from where the marker stands.
    for (double maxMove : {2.0, 0.05, -3.0})
        for (int column = kFirstSliderColumn; column <= kLastSliderColumn; ++column)
            EXPECT_EQ(columnForOffset(transverseOffsetFromColumn(column, maxMove), maxMove), column) << maxMove;
    for (double range : {20.0, 7.5, -20.0})
        for (int row = kFirstAxialRow; row <= kLastAxialRow; ++row)
            EXPECT_EQ(rowForPosition(axialPositionFromRow(row, range), range), row) << range;
    // Each test says its own unit.
    TestSetup t;
    t.position.transverseOffset = -0.5;
    t.test = TestKind::Wire;
    EXPECT_EQ(transverseReadoutText(t), "-0.500 W");
    t.test = TestKind::Foucault;
    EXPECT_EQ(transverseReadoutText(t), "-0.500 P/6");
}

TEST(ClickRegions, BoundsAreExcluded) {
    struct Case {
        int x, y;
        ClickRegion region;
    };
    for (const Case& c : {Case{35, 300, ClickRegion::None}, Case{15, 300, ClickRegion::None},
                          Case{50, 470, ClickRegion::None}, Case{20, 458, ClickRegion::None},
                          Case{25, 215, ClickRegion::None}, Case{25, 435, ClickRegion::None},
                          Case{0, 470, ClickRegion::None}, Case{25, 482, ClickRegion::None},
                          Case{105, 300, ClickRegion::None}, Case{106, 10, ClickRegion::Picture},
                          Case{34, 434, ClickRegion::AxialDiagram}, Case{16, 216, ClickRegion::AxialDiagram},
                          Case{1, 459, ClickRegion::TransverseSlider}, Case{49, 481, ClickRegion::TransverseSlider}}) {
        EXPECT_EQ(clickRegion(c.x, c.y), c.region) << c.x << "," << c.y;
    }
}

TEST(Markers, EachTestHasItsShape) {
    struct Case {
        int test;
        std::vector<int> blackColumns;  // on the marker row 300 (Foucault: row 302)
    };
    for (const Case& c : {Case{kTestRonchi, {19, 20, 21, 22, 24, 25, 26, 28, 29, 30, 31}},
                          Case{kTestWire, {24, 25, 26}},
                          Case{kTestFoucault, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}}) {
        TestPicture sc;
        RecordingDisplay display(sc);
        sc.setup().test = static_cast<TestKind>(c.test);
        drawAxialMarker(sc.drawing, 10, 300);
        const int row = c.test == kTestFoucault ? 302 : 300;
        std::vector<int> black;
        for (int x = 0; x < 50; ++x)
            if (sc.canvas.pixel(x, row) == kBlack) black.push_back(x);
        EXPECT_EQ(black, c.blackColumns) << "test " << c.test;
        EXPECT_EQ(sc.canvas.pixel(13, 225), kGrey);
        EXPECT_EQ(sc.canvas.pixel(37, 225), kGrey);
        EXPECT_EQ(sc.canvas.penWidth(), 1);
        EXPECT_DOUBLE_EQ(sc.position().axialOffset, -5);
        EXPECT_EQ(display.readout(), "-5");
    }
}

TEST(Markers, TransverseSliderShowsItsMarkerAndReadout) {
    for (bool foucault : {false, true}) {
        TestPicture sc;
        sc.setup().test = foucault ? TestKind::Foucault : TestKind::Ronchi;
        sc.position().transverseOffset = -0.5;
        drawTransverseMarker(sc.drawing, 13);
        EXPECT_EQ(sc.canvas.pixel(25, 458), kGrey);
        EXPECT_EQ(sc.canvas.pixel(40, 470), kGrey);
        EXPECT_EQ(sc.canvas.pixel(13, 470), kBlack);
        EXPECT_EQ(sc.canvas.pixel(5, 470) == kBlack, foucault);  // the knife bar comes from the left
        EXPECT_GT(countColour(sc.canvas.image(), kBlack, 10, 485, 60, 500), 10);  // "-0.500"
    }
}

TEST(Clicks, PictureClickDrawsEverythingForTheMarkerRow) {
    TestPicture sc;
    RecordingDisplay display(sc);
    sc.position().axialMarkerY = 375;
    sc.position().transverseOffset = 3;
    pressOnDrawingArea(sc.drawing, sc.read(), 400, 300);
    EXPECT_EQ(sc.position().transverseOffset, 0);
    EXPECT_DOUBLE_EQ(sc.position().axialOffset, 10);
    EXPECT_DOUBLE_EQ(sc.position().axialOffset, 10);
    EXPECT_EQ(display.readout(), "10");
    EXPECT_GT(countColour(sc.canvas.image(), kBlack, 135, 25, 685, 575), 100000);
    EXPECT_GT(countColour(sc.canvas.image(), kRed, 135, 25, 685, 575), 10000);
    EXPECT_EQ(sc.canvas.pixel(25, 375), kBlack);  // marker on its row
    EXPECT_EQ(sc.canvas.pixel(25, 470), kBlack);  // transverse marker at the tick
}

TEST(Clicks, AxialClickMovesTheMarkerAndKeepsItsRow) {
    TestPicture sc;
    RecordingDisplay display(sc);
    pressOnDrawingArea(sc.drawing, sc.read(), 25, 225);
    EXPECT_DOUBLE_EQ(sc.position().axialOffset, -20);
    EXPECT_EQ(display.readout(), "-20");
    EXPECT_EQ(sc.position().axialMarkerY, 225);
    pressOnDrawingArea(sc.drawing, sc.read(), 25, 434);
    EXPECT_EQ(display.readout(), "21.8");
    // A new range moves the grating in mm while the marker keeps its row.
    sc.controls.parameters[kRowRange] = "200";
    pressOnDrawingArea(sc.drawing, sc.read(), 500, 500);
    EXPECT_EQ(display.readout(), "100");
    EXPECT_EQ(sc.position().axialMarkerY, 434);
}

TEST(Clicks, TransverseClickSetsTheOffsetAndExcludedBoundsDoNothing) {
    TestPicture sc;
    RecordingDisplay display(sc);
    pressOnDrawingArea(sc.drawing, sc.read(), 37, 470);
    EXPECT_DOUBLE_EQ(sc.position().transverseOffset, 1);
    const QImage before = sc.canvas.image().copy();
    const std::uint32_t seed = sc.sim.random.seed();
    for (auto [x, y] : {std::pair{35, 300}, {15, 300}, {50, 470}, {20, 458}, {100, 600}})
        pressOnDrawingArea(sc.drawing, sc.read(), x, y);
    EXPECT_EQ(testing::firstDifference(before, sc.canvas.image()), "");
    EXPECT_EQ(sc.sim.random.seed(), seed);
    // "Brighten" keeps the offset; the next picture click starts from 0.
    brightenPicture(sc.drawing, sc.read());
    EXPECT_DOUBLE_EQ(sc.position().transverseOffset, 1);
    pressOnDrawingArea(sc.drawing, sc.read(), 106, 10);
    EXPECT_DOUBLE_EQ(sc.position().transverseOffset, 0);
}

TEST(Clicks, FoucaultWarningOnlyOffTheSpheresCentreLine) {
    struct Case {
        const char* conic;
        int column;
        bool warns;
    };
    for (const Case& c : {Case{"0", 40, true}, Case{"0", 25, false}, Case{"-1", 40, false}}) {
        TestPicture sc;
        RecordingDisplay display(sc);
        sc.controls.test = kTestFoucault;
        sc.controls.parameters[kRowConic] = c.conic;
        sc.controls.move[kMoveRowValue] = "0.05";
        pressOnDrawingArea(sc.drawing, sc.read(), c.column, 470);
        ASSERT_EQ(display.warnings.size(), c.warns ? 1u : 0u) << c.conic << " " << c.column;
        if (c.warns) {
            EXPECT_EQ(display.warnings[0].first, kFoucaultWarningLine1);
            EXPECT_EQ(display.warnings[0].second, kFoucaultWarningLine2);
            EXPECT_EQ(std::string(kFoucaultWarningLine1).find_first_not_of(' '), 14u);
            EXPECT_EQ(std::string(kFoucaultWarningLine2).find_first_not_of(' '), 44u);
        }
        // Drawn all the same: one pass has run.
        EXPECT_GT(countColour(sc.canvas.image(), kBlack, 135, 25, 685, 575), 100000);
        EXPECT_NE(sc.sim.random.seed(), 0u);
    }
}

TEST(Clicks, ZeroRecentresAndDrawsTheLastTestsMarker) {
    TestPicture sc;
    RecordingDisplay display(sc);
    sc.controls.test = kTestWire;
    pressOnDrawingArea(sc.drawing, sc.read(), 25, 250);
    pressOnDrawingArea(sc.drawing, sc.read(), 45, 470);
    sc.scene().view.whiteMode = true;
    zeroClick(sc.drawing, sc.read());
    EXPECT_EQ(sc.position().axialMarkerY, 325);
    EXPECT_EQ(sc.position().axialOffset, 0);
    EXPECT_EQ(sc.position().transverseOffset, 0);
    EXPECT_EQ(display.readout(), "0");
    EXPECT_GT(countColour(sc.canvas.image(), kWhite, 135, 25, 685, 575), 50000);
    EXPECT_EQ(countColour(sc.canvas.image(), kBlack, 200, 100, 620, 500), 0);
    EXPECT_EQ(sc.canvas.pixel(25, 325), kBlack);  // the wire dot
    EXPECT_EQ(sc.canvas.pixel(21, 325), kSilver);
}

TEST(Clicks, ZeroAfterFoucaultDrawsTheKnifeToTheCentre) {
    TestPicture sc;
    RecordingDisplay display(sc);
    sc.controls.test = kTestFoucault;
    pressOnDrawingArea(sc.drawing, sc.read(), 400, 300);
    zeroClick(sc.drawing, sc.read());
    for (int x = 0; x <= 26; ++x) EXPECT_EQ(sc.canvas.pixel(x, 327), kBlack) << x;
    EXPECT_EQ(sc.canvas.pixel(27, 327), kSilver);
}

TEST(Clicks, AnExampleIsDrawnAtTheCentreOfCurvature) {
    TestPicture sc;
    RecordingDisplay display(sc);
    sc.position().axialMarkerY = 400;
    sc.position().transverseOffset = 0.7;
    sc.controls.parameters[kRowConic] = "-3";
    applyExample(2, sc.mirror(), sc.setup(), sc.scene().view, sc.controls);
    EXPECT_EQ(sc.position().axialMarkerY, 325);
    EXPECT_EQ(sc.controls.parameters[kRowConic], "0");
    pressOnDrawingArea(sc.drawing, sc.read(), 400, 300);
    EXPECT_EQ(display.readout(), "0");
    EXPECT_EQ(sc.mirror().conicConstant, 0);
    EXPECT_EQ(sc.position().transverseOffset, 0);
}

TEST(Clicks, BadRangeCellStopsAfterTheDisk) {
    TestPicture sc;
    RecordingDisplay display(sc);
    sc.controls.parameters[kRowRange] = "2O";
    try {
        pressOnDrawingArea(sc.drawing, sc.read(), 400, 300);
        FAIL() << "no error";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "'2O' is not a valid floating point value");
    }
    EXPECT_GT(countColour(sc.canvas.image(), kBlack, 135, 25, 685, 575), 100000);
    EXPECT_EQ(countColour(sc.canvas.image(), kRed), 0);
    EXPECT_EQ(display.readout(), " ");
}


// Controls that count how often each of them is read.
class CountingControls : public PlainControls {
public:
    mutable std::array<int, kParameterRows> cellReads{};
    mutable int moveReads = 0, slitReads = 0, choiceReads = 0, boxReads = 0;
    std::string parameterCell(int row) const override {
        ++cellReads.at(static_cast<std::size_t>(row));
        return PlainControls::parameterCell(row);
    }
    std::string moveCell(int row) const override {
        ++moveReads;
        return PlainControls::moveCell(row);
    }
    std::string sourceWidthText() const override {
        ++slitReads;
        return PlainControls::sourceWidthText();
    }
    int testItem() const override { return ++choiceReads, PlainControls::testItem(); }
    int orientationItem() const override { return ++choiceReads, PlainControls::orientationItem(); }
    int surfaceItem() const override { return ++choiceReads, PlainControls::surfaceItem(); }
    bool oddChecked() const override { return ++boxReads, PlainControls::oddChecked(); }
    bool movingSourceChecked() const override { return ++boxReads, PlainControls::movingSourceChecked(); }
    bool exactTraceChecked() const override { return ++boxReads, PlainControls::exactTraceChecked(); }
};

// Each action reads every control once, when it begins, however many
// times it recomputes and draws; a picture drawn from that one reading is
// the picture the action always drew.
TEST(Clicks, EachActionReadsTheControlsOnce) {
    using Action = std::function<void(Drawing&, const ModelControls&)>;
    const std::pair<const char*, Action> actions[] = {
        {"picture", [](Drawing& d, const ModelControls& c) { pressOnDrawingArea(d, readControls(c), 400, 300); }},
        {"axial", [](Drawing& d, const ModelControls& c) { pressOnDrawingArea(d, readControls(c), 25, 250); }},
        {"slider", [](Drawing& d, const ModelControls& c) { pressOnDrawingArea(d, readControls(c), 40, 470); }},
        {"zero", [](Drawing& d, const ModelControls& c) { zeroClick(d, readControls(c)); }},
        {"brighten", [](Drawing& d, const ModelControls& c) { brightenPicture(d, readControls(c)); }},
        {"centres", [](Drawing& d, const ModelControls& c) { drawCentreLines(d, readControls(c)); }},
        {"typed", [](Drawing& d, const ModelControls& c) { typedAxialPosition(d, readControls(c), 3.5); }},
        {"step", [](Drawing& d, const ModelControls& c) { stepTransverseMarker(d, readControls(c), 2); }},
    };
    for (const auto& [name, act] : actions) {
        TestPicture sc;
        CountingControls counting;
        counting.exactTrace = true;  // the slit is read too
        counting.surface = kSurfaceDistorted;
        sc.picture.state.editorOpened = true;  // a recompute that draws a picture of its own first
        act(sc.drawing, counting);
        for (int row = 0; row < kParameterRows; ++row) EXPECT_EQ(counting.cellReads[row], 1) << name << " row " << row;
        EXPECT_EQ(counting.moveReads, 1) << name;
        EXPECT_EQ(counting.slitReads, 1) << name;
        EXPECT_EQ(counting.choiceReads, 3) << name;
        EXPECT_EQ(counting.boxReads, 3) << name;
    }
}

}  // namespace
}  // namespace sg
