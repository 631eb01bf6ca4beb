// SPDX-License-Identifier: GPL-3.0-or-later
// The editor without its window: knot choice, the plot's pixels, the
// profile through the knots and heights too large to draw.
#include "tests/support/picture_checks.h"
#include "tests/editor/plain_editor.h"
#include "editor/surface_editor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sg {
namespace {

using testing::countColour;

using Editor = testing::PlainEditor;

TEST(EditorPresses, ChooseTheNearestKnotHalvesToEvenAndItsPartner) {
    struct Case {
        int x, y;
        int knot;       // the knot set
        int partner;    // the mirrored knot, or the same
        double height;  // editor pixels, positive below the zero line
    };
    const Case cases[] = {
        {21, 150, 0, 44, -60},    // X - 13 = 8, halfway between knots 0 and 1
        {37, 260, 2, 42, 50},     // X - 13 = 24, halfway between 1 and 2
        {365, 140, 22, 22, -70},  // the centre line: knot 22 alone
        {29, 130, 1, 43, -80},    // the top and bottom rows of the plot
        {45, 290, 2, 42, 80},
        {5, 170, 0, 44, -40},     // half a spacing left of knot 0
        {725, 250, 44, 0, 40},    // half a spacing right of knot 44
    };
    for (const Case& c : cases) {
        Editor e;
        e.editor.pressAt(c.x, c.y);
        EXPECT_EQ(e.knot(c.knot), c.height) << "press at " << c.x << ", " << c.y;
        EXPECT_EQ(e.knot(c.partner), c.height) << "press at " << c.x << ", " << c.y;
        for (int k = 0; k < kKnotCount; ++k)
            if (k != c.knot && k != c.partner) {
                EXPECT_EQ(e.knot(k), 0) << "knot " << k << " after " << c.x;
            }
        EXPECT_EQ(e.display.shown, 2);  // the first initialisation and the press
    }
}

TEST(EditorPresses, BeyondThePlotChangeAndDrawNothing) {
    Editor e;
    e.editor.pressAt(365, 150);
    const EditorShape before = e.shape;
    e.editor.canvas().setPixel(500, 200, kBlue);
    for (auto [x, y] : {std::pair{4, 170}, {726, 170}, {100, 129}, {100, 291}, {-40, 210}, {900, 300}, {100, 20},
                        {100, 340}, {4, 129}}) {
        EXPECT_FALSE(pressOnPlot(x, y)) << x << ", " << y;
        EXPECT_FALSE(e.editor.pressAt(x, y)) << x << ", " << y;
    }
    EXPECT_EQ(e.shape.knotHeight, before.knotHeight);
    EXPECT_EQ(e.display.shown, 2);
    EXPECT_EQ(e.editor.canvas().pixel(500, 200), kBlue);
    EXPECT_EQ(e.editor.history().undoSteps(), 1u);
    for (auto [x, y] : {std::pair{5, 130}, {725, 130}, {5, 290}, {725, 290}}) EXPECT_TRUE(pressOnPlot(x, y));
}

TEST(EditorPlot, FlatSurfaceGridAndProfile) {
    Editor e;
    const Canvas& c = e.editor.canvas();
    // Grey grid lines from x = 13 up to, not including, 717, and from
    // y = 130 down to, not including, 290; the mirror edges and the zero and
    // centre lines yellow.
    EXPECT_EQ(c.pixel(13, 130), kGrey);
    EXPECT_EQ(c.pixel(12, 130), kSilver);
    EXPECT_EQ(c.pixel(100, 146), kGrey);
    EXPECT_EQ(c.pixel(100, 147), kSilver);
    EXPECT_EQ(c.pixel(45, 129), kSilver);
    EXPECT_EQ(c.pixel(45, 150), kYellow);
    EXPECT_EQ(c.pixel(45, 289), kYellow);
    EXPECT_EQ(c.pixel(45, 290), kGrey);  // the bottom grid line, not the edge line
    EXPECT_EQ(c.pixel(685, 150), kYellow);
    EXPECT_EQ(c.pixel(365, 150), kYellow);
    EXPECT_EQ(c.pixel(365, 290), kGrey);
    EXPECT_EQ(c.pixel(381, 150), kGrey);
    // The profile: red, 2 pixels wide, on the zero line across the mirror.
    EXPECT_EQ(c.pixel(300, 210), kRed);
    EXPECT_EQ(c.pixel(600, 211), kRed);
    EXPECT_EQ(c.pixel(600, 212), kSilver);
    EXPECT_EQ(c.pixel(600, 209), kSilver);
    // Beyond the edges a grey piece 1 pixel wide out to knots 1 and 43,
    // then only the yellow zero line.
    EXPECT_EQ(c.pixel(35, 210), kGrey);
    EXPECT_EQ(c.pixel(35, 211), kSilver);
    EXPECT_EQ(c.pixel(695, 210), kGrey);
    EXPECT_EQ(c.pixel(20, 210), kYellow);
    EXPECT_EQ(c.pixel(710, 210), kYellow);
    // Every knot's marker: the circles of radius 0..3 fill the 6 x 6 box
    // that starts 3 pixels left of and above the knot. The grey end pieces,
    // drawn after them, cross those of knots 1, 2, 42 and 43.
    for (int k = 0; k < kKnotCount; ++k) {
        const bool crossed = k == 1 || k == 2 || k == 42 || k == 43;
        EXPECT_EQ(countColour(c.image(), kRed, knotPlotX(k) - 3, 207, knotPlotX(k) + 3, 213), crossed ? 33 : 36)
            << "knot " << k;
    }
    // The plot area is cleared: nothing left of an earlier picture.
    Canvas& drawn = e.editor.canvas();
    drawn.setPixel(0, 100, kBlue);
    drawn.setPixel(747, 319, kBlue);
    drawn.setPixel(748, 319, kBlue);
    e.editor.redrawEditor();
    EXPECT_EQ(drawn.pixel(0, 100), kSilver);
    EXPECT_EQ(drawn.pixel(747, 319), kSilver);
    EXPECT_EQ(drawn.pixel(748, 319), kBlue);  // the clearing ends at x = 747
    EXPECT_EQ(countColour(drawn.image(), kRed, 0, 0, 967, 100), 0);
}

TEST(EditorPlot, RaisedCentreKnot) {
    Editor e;
    e.editor.pressAt(365, 130);  // knot 22 to -80
    const Canvas& c = e.editor.canvas();
    EXPECT_EQ(e.shape.profile[352], -80);
    // Its marker on the top grid line, the profile rising to it.
    EXPECT_EQ(countColour(c.image(), kRed, 362, 127, 368, 133), 36);
    EXPECT_EQ(c.pixel(365, 131), kRed);
    EXPECT_EQ(c.pixel(100, 212), kSilver);
    // The profile stays flat near both edges and the end pieces stay grey on the zero line.
    EXPECT_EQ(c.pixel(35, 210), kGrey);
    EXPECT_EQ(c.pixel(695, 210), kGrey);
    // Each column of the red curve is a connected run: no gaps in a steep flank.
    for (int x = 340; x <= 390; ++x) EXPECT_GT(countColour(c.image(), kRed, x, 120, x + 1, 300), 0) << x;
}

TEST(EditorProfile, KnotZeroIsDrawnButOutsideTheSpline) {
    Editor a, b;
    a.shape.knotHeight[0] = -60;
    b.shape.knotHeight[0] = 40;
    a.editor.redrawEditor();
    b.editor.redrawEditor();
    EXPECT_EQ(a.shape.profile, b.shape.profile);
    EXPECT_EQ(countColour(a.editor.canvas().image(), kRed, 10, 147, 16, 153), 36);  // knot 0 at y = 150
    EXPECT_EQ(countColour(b.editor.canvas().image(), kRed, 10, 247, 16, 253), 36);

    // Knot 44 enters it: the grey right end moves, and the whole curve slightly.
    Editor c;
    c.shape.knotHeight[44] = -60;
    c.editor.redrawEditor();
    EXPECT_NEAR(c.shape.profile[16 * 44], -60, 1e-12);
    EXPECT_GT(std::abs(c.shape.profile[680]), 1);  // between knots 42 and 43, the grey piece
    EXPECT_NE(c.shape.profile[352], 0);
    EXPECT_NEAR(c.shape.profile[352], 0, 1e-3);
}

TEST(EditorProfile, OuterKnotsBendTheProfileAtBothEdges) {
    Editor e;
    e.editor.pressAt(29, 130);  // knots 1 and 43 to -80, the mirror knots stay 0
    EXPECT_EQ(e.knot(1), -80);
    EXPECT_EQ(e.knot(43), -80);
    const auto& p = e.shape.profile;
    EXPECT_NEAR(p[32], 0, 1e-12);  // the mirror's edges stay on their knots
    EXPECT_NEAR(p[672], 0, 1e-12);
    EXPECT_GT(p[40], 1);   // and the profile bends just inside them
    EXPECT_GT(p[664], 1);
    // Not quite alike: the spline starts at knot 1 but ends at knot 44.
    EXPECT_NE(p[40], p[664]);
    EXPECT_NEAR(p[352], 0, 0.5);
}

TEST(EditorProfile, ResetIsFlatAfterAnyShape) {
    Editor e;
    for (int x : {50, 130, 250, 365}) e.editor.pressAt(x, 140);
    e.editor.startNewSurface();
    for (int k = 0; k < kKnotCount; ++k) {
        EXPECT_EQ(e.shape.knotHeight[k], 0);
        EXPECT_EQ(e.shape.knotX[k], k);
    }
    for (int i = 0; i <= 704; ++i) {
        EXPECT_EQ(e.shape.profile[i], 0) << i;
        EXPECT_EQ(e.shape.sampleX[i], i / 16.0) << i;
    }
    EXPECT_EQ(e.shape.sampleCount, 704);
    EXPECT_EQ(e.display.lines[0], "0.000 MEAN Ht - Linear");
    EXPECT_EQ(e.display.lines[3], "0.000 RMS - Area Weighted ");
}

TEST(EditorProfile, HeightsBeyondAnyPlotCoordinateAreDrawnClamped) {
    for (double h : {1e9, -3e9, 1e300, -std::numeric_limits<double>::max()}) {
        Editor e;
        e.shape.knotHeight[22] = h;
        e.shape.knotHeight[10] = e.shape.knotHeight[34] = -h / 2;
        drawEditorGrid(e.editor.canvas(), e.shape);
        drawEditorProfile(e.editor.canvas(), e.shape, e.editor.state());
        EXPECT_EQ(e.shape.knotHeight[22], h);  // kept as given
        // The grid is there, and the profile runs through the plot.
        EXPECT_EQ(e.editor.canvas().pixel(13, 130), kGrey);
        EXPECT_GT(countColour(e.editor.canvas().image(), kRed, 0, 100, 748, 320), 100) << h;
    }
    EXPECT_EQ(plotYRounded(1e300), plotYRounded(1e12));
    EXPECT_EQ(plotYTruncated(-1e300), plotYTruncated(-1e12));
    EXPECT_EQ(plotYRounded(2.5), 212);
    EXPECT_EQ(plotYRounded(-2.5), 208);
    EXPECT_EQ(plotYTruncated(-2.7), 208);
}

}  // namespace
}  // namespace sg
