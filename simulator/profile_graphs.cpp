// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_graphs.h"

#include "number_text.h"
#include "conic.h"
#include "failure.h"
#include "surface_profile.h"

#include <algorithm>
#include <cstdlib>

namespace sg {

void drawHeightGraph(Simulator& s) {
    MirrorModel& m = s.model;
    Canvas& c = s.canvas;
    const Rgb colour = m.palette.heightGraphColour;
    c.eraseRect(50, 580, 770, 620);
    for (int j = 0; j <= 4; ++j) {
        for (int k = 1; k <= 55; ++k) {
            const int n = 55 * j + k;
            const int y = m.useDistortedSurface ? 600 + roundToInt(m.zoneDeviation[n - 1]) : 600;
            for (int x : {kDiskCentreX + n, kDiskCentreX - n}) {
                c.setPixel(x, y, colour);
                if (k == 1) {
                    c.setPixel(x, 601, colour);
                    c.setPixel(x, 599, colour);
                }
            }
        }
    }
    computeHeightCurve(m);
}

void drawSlopeGraph(Simulator& s) {
    const MirrorModel& m = s.model;
    Canvas& c = s.canvas;
    const auto first = m.slopeDeviation.begin() + 1;
    const auto [lo, hi] = std::minmax_element(first, m.slopeDeviation.end());
    double pv = *hi - *lo;
    if (pv == 0) pv = 1e-5;
    c.eraseRect(50, 650, 770, 690);
    for (int j = 0; j <= 4; ++j) {
        for (int k = 1; k <= 55; ++k) {
            const int n = 55 * j + k;
            const int y = m.useDistortedSurface
                              ? 670 - std::abs(roundToInt(fdiv(20 * m.slopeDeviation[n - 1], pv)))
                              : 670;
            for (int x : {kDiskCentreX + n, kDiskCentreX - n}) {
                c.setPixel(x, y, m.palette.slopeGraphColour);
                if (k == 1) {
                    c.setPixel(x, 671, m.palette.heightGraphColour);
                    c.setPixel(x, 669, m.palette.heightGraphColour);
                }
            }
        }
    }
}

std::string conicReadoutText(double conicDeviation) {
    return "Conic dev. = " + formatFixed(conicDeviation, 7, 3) + " Wave";
}

std::string focalRatioText(const MirrorModel& m) {
    return "F:" + formatFixed(finiteResult(fdiv(m.radiusOfCurvature / 2, m.mirrorDiameter)), 7, 3);
}

void drawConicReadout(Simulator& s) {
    const MirrorModel& m = s.model;
    // Computed with the conic constant itself, at the edge of the mirror.
    const double deviation =
        finiteResult(conicDeviationWaves(m, m.mirrorDiameter / 2, 0, m.radiusOfCurvature, m.conicConstant));
    const std::string focalRatio = focalRatioText(m);
    s.conicDeviation = deviation;
    s.canvas.drawText(590, 10, conicReadoutText(deviation));
    s.canvas.drawText(640, 25, focalRatio);
}

std::string transverseUnitText(const MirrorModel& m) {
    if (m.testRonchi) return " (bands)";
    if (m.testWire) return "(wire  W)";
    return "    ";
}

void showTransverseUnit(Simulator& s) { s.controls.setMoveCell(kMoveRowUnit, transverseUnitText(s.model)); }

std::string transverseReadoutText(const MirrorModel& m) {
    const char* unit = m.testWire ? " W" : m.testFoucault ? " P/6" : " bands";
    return formatFixed(m.transverseOffset, 7, 3) + unit;
}

}  // namespace sg
