// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/profile_graphs.h"

#include "model/number_text.h"
#include "model/conic.h"
#include "model/failure.h"
#include "model/surface_profile.h"

#include <algorithm>
#include <cstdlib>

namespace sg {

void drawHeightGraph(Canvas& c, const Scene& scene) {
    const bool distorted = scene.mirror.distorted();
    const RadialProfile& deviation = scene.profiles.zoneDeviation;
    const Rgb colour = kPalette.heightGraphColour;
    c.eraseRect(50, 580, 770, 620);
    for (int j = 0; j <= 4; ++j) {
        for (int k = 1; k <= 55; ++k) {
            const int n = 55 * j + k;
            const int y = distorted ? 600 + roundToInt(deviation[n - 1]) : 600;
            for (int x : {kDiskCentreX + n, kDiskCentreX - n}) {
                c.setPixel(x, y, colour);
                if (k == 1) {
                    c.setPixel(x, 601, colour);
                    c.setPixel(x, 599, colour);
                }
            }
        }
    }
}

void drawSlopeGraph(Canvas& c, const Scene& scene) {
    const RadialProfile& slope = scene.profiles.slopeDeviation;
    const auto first = slope.begin() + 1;
    const auto [lo, hi] = std::minmax_element(first, slope.end());
    double pv = *hi - *lo;
    if (pv == 0) pv = 1e-5;
    c.eraseRect(50, 650, 770, 690);
    for (int j = 0; j <= 4; ++j) {
        for (int k = 1; k <= 55; ++k) {
            const int n = 55 * j + k;
            const int y =
                scene.mirror.distorted() ? 670 - std::abs(roundToInt(fdiv(20 * slope[n - 1], pv))) : 670;
            for (int x : {kDiskCentreX + n, kDiskCentreX - n}) {
                c.setPixel(x, y, kPalette.slopeGraphColour);
                if (k == 1) {
                    c.setPixel(x, 671, kPalette.heightGraphColour);
                    c.setPixel(x, 669, kPalette.heightGraphColour);
                }
            }
        }
    }
}

std::string conicReadoutText(double conicDeviation) {
    return "Conic dev. = " + formatFixed(conicDeviation, 7, 3) + " Wave";
}

std::string focalRatioText(const Mirror& m) {
    return "F:" + formatFixed(finiteResult(fdiv(m.radiusOfCurvature / 2, m.mirrorDiameter)), 7, 3);
}

void drawConicReadout(Simulator& sim, const Scene& scene) {
    const Mirror& m = scene.mirror;
    // Computed with the conic constant itself, at the edge of the mirror.
    const double deviation = finiteResult(conicDeviationWaves(scene.setup.wavelength, m.mirrorDiameter / 2, 0,
                                                              m.radiusOfCurvature, m.conicConstant));
    const std::string focalRatio = focalRatioText(m);
    sim.conicDeviation = deviation;
    sim.conicReadout = Simulator::ConicReadout{conicReadoutText(deviation), focalRatio, m.mirrorDiameter,
                                               m.radiusOfCurvature, m.conicConstant, scene.setup.wavelength};
    sim.canvas.drawText(590, 10, sim.conicReadout->deviation);
    sim.canvas.drawText(640, 25, focalRatio);
}

void shadeConicReadout(Simulator& sim, bool current) {
    Canvas& c = sim.canvas;
    if (!sim.conicReadout) return;
    // The texts stand on a box of their ground, drawn with them.
    const Rgb ground = c.pixel(590, 10);
    bool bare = true;
    for (int y = 10; y < 40 && bare; ++y)
        for (int x = 590; x < c.width() && bare; ++x) bare = c.pixel(x, y) == ground;
    if (bare) return;
    const Rgb text = c.textColour(), brush = c.brushColour();
    const bool hollow = c.brushHollow();
    c.setTextColour(current ? kBlack : kGrey);
    c.setBrushColour(ground);
    c.setBrushHollow(false);
    // The same texts at the same places: only their colour changes.
    c.drawText(590, 10, sim.conicReadout->deviation);
    c.drawText(640, 25, sim.conicReadout->focalRatio);
    c.setTextColour(text);
    c.setBrushColour(brush);
    c.setBrushHollow(hollow);
}

std::string transverseUnitText(TestKind test) {
    switch (test) {
    case TestKind::Ronchi: return " (bands)";
    case TestKind::Wire: return "(wire  W)";
    case TestKind::Foucault: break;
    }
    return "    ";
}

std::string transverseReadoutText(const TestSetup& t) {
    const char* unit = t.test == TestKind::Wire ? " W" : t.test == TestKind::Foucault ? " P/6" : " bands";
    return formatFixed(t.position.transverseOffset, 7, 3) + unit;
}

}  // namespace sg
