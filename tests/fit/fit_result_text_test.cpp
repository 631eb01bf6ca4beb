// SPDX-License-Identifier: GPL-3.0-or-later
// What the fit dialog says of a result, and its residual map: the side and
// where it came from, the tester, a pair, a zone and the warnings in words
// with a point for every number; the edges coloured by their residual at
// their place on the frame.
#include "fit/fit_result_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace sg {
namespace {

FitResult resultOf(double offset, double conic) {
    FitResult r;
    r.offset = {offset, 0.0131};
    r.conic = {conic, 0.00472};
    r.correctionPercent = -100 * conic;
    r.side = offset < 0 ? Side::Inside : Side::Outside;
    r.sideFrom = SideFrom::Given;
    r.edgesFound = 433;
    r.edgesUsed = 432;
    r.edgeRms = 0.06;
    r.edgeRmsPhoto = 0.0812;
    r.bandPairs = 3.46;
    r.parameters.transverse = -0.25;
    return r;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(FitResultText, SaysWhatTheFitFoundAndWhence) {
    struct Case {
        const char* name;
        FitResult result;
        std::optional<double> separation;
        std::vector<std::string> lines;
    };
    std::vector<Case> cases;

    cases.push_back({"given outside", resultOf(8, -0.9985), std::nullopt,
                     {"Offset   +8.000 \u00b1 0.013 mm, outside the centre of curvature (as given)\n",
                      "Conic    -0.9985 \u00b1 0.0047, correction 99.9 %\n",
                      "Edges    432 used of 433, RMS 0.08 px in the photo (0.06 px on the 550 px disk)\n",
                      "Model    two-term series, 3.5 band pairs, transverse -0.250 bands\n"}});

    FitResult undecided = resultOf(-0.3, 0.1);
    undecided.side = Side::Unknown;
    undecided.sideFrom = SideFrom::Undecided;
    undecided.warnings.push_back({FitWarningKind::SideUndecided, "the side is undecided"});
    undecided.warnings.push_back({FitWarningKind::FewBands, "fewer than 2 band pairs"});
    cases.push_back({"undecided", undecided, std::nullopt,
                     {"side undecided (on the other side +0.300 mm with conic -0.1000)",
                      "\nWarnings:\n- the side is undecided\n- fewer than 2 band pairs\n"}});

    FitResult moving = resultOf(-4.5, -1.02);
    moving.sideFrom = SideFrom::SecondPhoto;
    moving.mirror.sourceMoves = true;
    cases.push_back({"pair with a moving source", moving, 1.0,
                     {"inside the centre of curvature (from the second photo)\n",
                      "the grating's own offset, its source moving with it\n",
                      "-3.500 mm for the second photo, 1.000 mm from the first\n"}});

    FitResult zone = resultOf(9, -0.95);
    zone.mirror.exact = true;
    zone.zone = ZoneShape{ZoneKind::Centre, 0.4};
    zone.zoneHeight = Estimate{0.25, 0.0204};
    cases.push_back({"central zone", zone, std::nullopt,
                     {"Zone     central zone out to 0.40 of the radius: +0.250 \u00b1 0.020 waves on the surface "
                      "(0.550 \u00b5m)\n",
                      "Model    exact ray trace"}});

    FitResult wave = resultOf(8, -1);
    wave.mirror.model = FitModel::Waves;
    wave.mirror.wavelength = 0.63;
    wave.mirror.linesPerMm = 4;
    wave.mirror.source = LightSource::Grating;
    cases.push_back({"waves, the grating lit", wave, std::nullopt,
                     {"Light    0.630 \u00b5m, the grating lit from behind (a slit 0.125 mm wide)\n",
                      "Model    wave optics of the exact surface"}});
    FitResult white = wave;
    white.mirror.spectrum = Spectrum::White;
    white.mirror.source = LightSource::Slit;
    white.mirror.slitWidth = 0.05;
    cases.push_back({"waves, white light and a slit", white, std::nullopt,
                     {"Light    white light, a slit 0.050 mm wide\n"}});

    for (const Case& c : cases) {
        const std::string text = fitResultText(c.result, c.separation);
        for (const std::string& line : c.lines) EXPECT_TRUE(has(text, line)) << c.name << ": " << line << "\n" << text;
        EXPECT_EQ(has(text, "Zone "), c.result.zoneHeight.has_value()) << c.name;
        EXPECT_EQ(has(text, "Warnings"), !c.result.warnings.empty()) << c.name;
        EXPECT_FALSE(has(text, ",0")) << c.name << ": a comma for a point\n" << text;
    }
}

TEST(FitResultText, ResidualsColourTheEdgesWhereTheyLie) {
    EXPECT_EQ(residualColour(0, true), qRgb(0, 220, 0));
    EXPECT_EQ(residualColour(-0.5, true), qRgb(255, 220, 0));
    EXPECT_EQ(residualColour(1, true), qRgb(255, 0, 0));
    EXPECT_EQ(residualColour(7, true), qRgb(255, 0, 0));
    EXPECT_EQ(residualColour(0, false), qRgb(128, 128, 128));
    // Redder as the residual grows.
    for (double a = 0.05; a < 1; a += 0.05) {
        EXPECT_GE(qRed(residualColour(a, true)), qRed(residualColour(a - 0.05, true))) << a;
        EXPECT_LE(qGreen(residualColour(a, true)), qGreen(residualColour(a - 0.05, true))) << a;
    }

    RgbImage frame{800, 700, std::vector<std::uint8_t>(800 * 700 * 3, 200)};
    FitResult r;
    FitEdge used;
    used.x = 410.4, used.y = 300.7, used.residual = 1.5, used.weight = 1;
    FitEdge left = used;
    left.x = 411.2, left.weight = 0;  // on top of the used one: stays behind it
    FitEdge second = used;
    second.x = 500, second.photo = 1;  // the second photo's: not on the first's frame
    r.edges = {used, left, second};
    const QImage map = residualMap(frame, r);
    ASSERT_EQ(map.size(), QSize(kResidualMapSize, kResidualMapSize));
    const int x = 410 - kResidualMapLeft, y = 300 - kResidualMapTop;
    EXPECT_EQ(map.pixel(x, y), qRgb(255, 0, 0));
    EXPECT_EQ(map.pixel(x - 1, y - 1), qRgb(255, 0, 0));
    EXPECT_EQ(map.pixel(x + 2, y), qRgb(128, 128, 128));
    EXPECT_EQ(map.pixel(500 - kResidualMapLeft, y), qRgb(100, 100, 100));  // the photo at half its brightness
}

// The map holds the whole disk with a margin on every side: the photo's
// rim and the edges at it, left, right, top and bottom, where a turned
// edge shows.
TEST(FitResultText, TheResidualMapHoldsTheWholeRim) {
    RgbImage frame{kPictureWidth, kPictureHeight,
                   std::vector<std::uint8_t>(std::size_t(kPictureWidth) * kPictureHeight * 3, 40)};
    for (int j = 0; j < kPictureHeight; ++j)
        for (int i = 0; i < kPictureWidth; ++i)
            if (std::hypot(i + 0.5 - kDiskCentreX, j + 0.5 - kDiskCentreY) < kDiskRadius)
                std::fill_n(frame.rgb.begin() + (std::ptrdiff_t(j) * kPictureWidth + i) * 3, 3, std::uint8_t(200));
    FitResult r;
    const double reach = kDiskRadius - 0.5;
    for (const auto& [dx, dy] : {std::pair{-reach, 0.0}, {reach, 0.0}, {0.0, -reach}, {0.0, reach}}) {
        FitEdge e;
        e.x = kDiskCentreX + dx, e.y = kDiskCentreY + dy, e.residual = 0, e.weight = 1;
        r.edges.push_back(e);
    }
    const QImage map = residualMap(frame, r);
    ASSERT_EQ(map.width(), map.height());
    const int cx = kDiskCentreX - kResidualMapLeft, cy = kDiskCentreY - kResidualMapTop;
    const QRgb disk = qRgb(100, 100, 100), beyond = qRgb(20, 20, 20), edge = residualColour(0, true);
    // Across the middle, each way: the dark beyond the rim at the map's
    // borders, the disk from its first pixel to its last, the rim's edges.
    struct Way {
        int x0, y0, dx, dy;
    };
    for (const Way& w : {Way{0, cy, 1, 0}, Way{map.width() - 1, cy, -1, 0}, Way{cx, 0, 0, 1},
                         Way{cx, map.height() - 1, 0, -1}}) {
        EXPECT_EQ(map.pixel(w.x0, w.y0), beyond) << w.x0 << ", " << w.y0;
        int x = w.x0, y = w.y0;
        while (map.pixel(x, y) == beyond) x += w.dx, y += w.dy;
        // The rim's edge dot, 3 pixels wide, is the first thing met.
        EXPECT_NEAR(std::abs(x - cx) + std::abs(y - cy), kDiskRadius, 1) << "the rim seen at " << x << ", " << y;
        EXPECT_EQ(map.pixel(x, y), edge) << x << ", " << y;
        EXPECT_EQ(map.pixel(x + 3 * w.dx, y + 3 * w.dy), disk) << x << ", " << y;
    }
}

}  // namespace
}  // namespace sg
