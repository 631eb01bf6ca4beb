// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/canvas.h"
#include "tests/support/picture_checks.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace sg {
namespace {

using testing::countColour;

TEST(Canvas, LinesCoverTheFirstPointAndStopBeforeTheLast) {
    Canvas c(40, 40);
    c.setPenColour(kRed);
    c.drawHLine(5, 10, 20);
    EXPECT_EQ(c.pixel(10, 5), kRed);
    EXPECT_EQ(c.pixel(19, 5), kRed);
    EXPECT_EQ(c.pixel(20, 5), kSilver);
    EXPECT_EQ(c.pixel(9, 5), kSilver);
    EXPECT_EQ(countColour(c.image(), kRed), 10);

    c.setPenColour(kBlue);
    c.drawVLine(30, 20, 10);  // upward
    EXPECT_EQ(c.pixel(30, 20), kBlue);
    EXPECT_EQ(c.pixel(30, 11), kBlue);
    EXPECT_EQ(c.pixel(30, 10), kSilver);

    c.setPenColour(kBlack);
    c.drawLine(0, 0, 8, 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(c.pixel(i, i), kBlack) << i;
    EXPECT_EQ(c.pixel(8, 8), kSilver);
    EXPECT_EQ(countColour(c.image(), kBlack), 8);

    c.drawLine(2, 30, 2, 30);  // a thin line of no length draws nothing
    EXPECT_EQ(c.pixel(2, 30), kSilver);
}

TEST(Canvas, WidePenCapsBothEndsAndDrawsADotForNoLength) {
    Canvas c(40, 40);
    c.setPenColour(kBlack);
    c.setPenWidth(3);
    c.drawLine(25, 10, 25, 10);
    EXPECT_EQ(countColour(c.image(), kBlack), 9);
    EXPECT_EQ(c.pixel(24, 9), kBlack);
    EXPECT_EQ(c.pixel(26, 11), kBlack);

    Canvas d(40, 40);
    d.setPenColour(kBlack);
    d.setPenWidth(3);
    d.drawLine(21, 10, 20, 10);
    EXPECT_EQ(countColour(d.image(), kBlack), 12);  // x 19..22, rows 9..11
    EXPECT_EQ(d.pixel(19, 10), kBlack);
    EXPECT_EQ(d.pixel(22, 10), kBlack);
    EXPECT_EQ(d.pixel(23, 10), kSilver);
}

// The stepping of a line, point by point, as the reference for lines that
// move at most one column, which the canvas draws without stepping.
void referenceLine(Canvas& c, int x1, int y1, int x2, int y2, int penWidth, Rgb colour) {
    auto stamp = [&](int x, int y) {
        for (int dy = -(penWidth - 1) / 2; dy <= penWidth / 2; ++dy)
            for (int dx = -(penWidth - 1) / 2; dx <= penWidth / 2; ++dx) c.setPixel(x + dx, y + dy, colour);
    };
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy, x = x1, y = y1;
    while (!(x == x2 && y == y2)) {
        stamp(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
    if (penWidth > 1) stamp(x2, y2);
}

TEST(Canvas, SteepLinesMatchTheSteppingOnAndOffTheImage) {
    for (int width : {1, 2, 3})
        for (int ddx = -1; ddx <= 1; ++ddx)
            for (int ddy = -45; ddy <= 45; ++ddy)
                for (int y1 : {-30, 2, 20, 38}) {
                    Canvas drawn(30, 40), expected(30, 40);
                    drawn.setPenColour(kRed);
                    drawn.setPenWidth(width);
                    drawn.drawLine(10, y1, 10 + ddx, y1 + ddy);
                    referenceLine(expected, 10, y1, 10 + ddx, y1 + ddy, width, kRed);
                    ASSERT_EQ(testing::firstDifference(expected.image(), drawn.image()), "")
                        << "pen " << width << " from (10, " << y1 << ") by (" << ddx << ", " << ddy << ")";
                }
}

TEST(Canvas, SteepLineOfAnyLengthDrawsItsVisibleRows) {
    Canvas c(30, 40);
    c.setPenColour(kRed);
    // Half of two thousand million rows lie in the first column: all the visible ones.
    c.drawLine(10, 5, 11, 2000000000);
    EXPECT_EQ(countColour(c.image(), kRed, 10, 0, 11, 40), 35);
    EXPECT_EQ(countColour(c.image(), kRed), 35);
    // From far above to just below the top: the visible rows are in the second column.
    c.drawLine(20, -2000000000, 21, 3);
    EXPECT_EQ(countColour(c.image(), kRed, 21, 0, 22, 40), 3);
    EXPECT_EQ(countColour(c.image(), kRed, 20, 0, 21, 40), 0);
}

TEST(Canvas, DiskBoxIsCoveredExactlyAndSymmetrically) {
    Canvas c(800, 700);
    c.setPenColour(kRed);
    c.setBrushColour(kBlack);
    c.drawEllipse(135, 25, 685, 575);
    int minX = 9999, maxX = -1, minY = 9999, maxY = -1;
    for (Rgb colour : {kRed, kBlack})
        testing::forEachPixel(c.image(), colour, [&](int x, int y) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            // Mirror images about the disk centre (409.5, 299.5) belong too.
            EXPECT_NE(c.pixel(819 - x, y), kSilver) << x << "," << y;
            EXPECT_NE(c.pixel(x, 599 - y), kSilver) << x << "," << y;
        });
    EXPECT_EQ(minX, 135);
    EXPECT_EQ(maxX, 684);
    EXPECT_EQ(minY, 25);
    EXPECT_EQ(maxY, 574);
    // The rim is one pixel of pen; the inside is brush.
    EXPECT_EQ(c.pixel(135, 299), kRed);
    EXPECT_EQ(c.pixel(136, 299), kBlack);
    EXPECT_EQ(c.pixel(409, 25), kRed);
    EXPECT_EQ(c.pixel(409, 26), kBlack);
    EXPECT_EQ(c.pixel(135, 200), kSilver);  // outside at the top left
}

TEST(Canvas, CircleLeavesItsInsideAndEraseRectSetsSilver) {
    Canvas c(100, 100);
    c.setBrushColour(kBlack);
    c.drawRectangle(0, 0, 100, 100);
    c.setPenColour(kYellow);
    c.drawCircle(50, 50, 20);
    EXPECT_EQ(c.pixel(50, 50), kBlack);
    EXPECT_EQ(c.pixel(30, 49), kYellow);
    EXPECT_EQ(c.pixel(69, 50), kYellow);
    EXPECT_FALSE(c.brushHollow());

    c.eraseRect(10, 10, 20, 15);
    EXPECT_EQ(countColour(c.image(), kSilver), 66);
    EXPECT_EQ(c.pixel(10, 10), kSilver);
    EXPECT_EQ(c.pixel(20, 15), kSilver);
    EXPECT_NE(c.pixel(21, 15), kSilver);
    EXPECT_NE(c.pixel(20, 16), kSilver);
    EXPECT_EQ(c.penColour(), kSilver);
    EXPECT_EQ(c.brushColour(), kSilver);
}

TEST(Canvas, SetPixelIsExactAndClipped) {
    Canvas c(10, 10);
    c.setPixel(3, 4, Rgb{1, 2, 3});
    c.setPixel(-1, 4, kRed);
    c.setPixel(10, 4, kRed);
    c.setPixel(4, 100000, kRed);
    EXPECT_EQ(c.pixel(3, 4), (Rgb{1, 2, 3}));
    EXPECT_EQ(countColour(c.image(), kRed), 0);
    EXPECT_EQ(countColour(c.image(), kSilver), 99);
}

TEST(Canvas, TextStartsAtItsTopLeftOnTheBrush) {
    Canvas c(200, 60);
    c.setBrushColour(kSilver);
    c.setPenColour(kRed);
    c.drawRectangle(0, 0, 200, 60);  // red rim, silver inside
    c.drawText(20, 20, "F:5.000");
    int minX = 999, minY = 999, maxY = -1;
    testing::forEachPixel(c.image(), kBlack, [&](int x, int y) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    });
    EXPECT_GE(minX, 20);
    EXPECT_LE(minX, 22);
    EXPECT_GE(minY, 20);
    EXPECT_LE(maxY, 20 + 14);
    EXPECT_GT(countColour(c.image(), kBlack), 20);
}

}  // namespace
}  // namespace sg
