// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/analysis_layout.h"

#include "model/number_text.h"
#include "model/failure.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace sg {

namespace {

// A figure that is not finite (a sum or a fit that overflowed on extreme
// entries) stops the calculation rather than show as a number.
std::string setValue(double v) { return formatFixed(finiteResult(v), 8, 4); }
std::string result(double v) { return formatFixed(finiteResult(v), 10, 5); }
std::string tableValue(double v) { return formatFixed(finiteResult(v), 10, 7); }

// A limit cell as a magnitude, within the range of an int.
int limitValue(const ZoneLimitCells& limits, int row) {
    const long long v = parseCellInteger(limits.limitCell(row));
    // Below the range is its lower end, as above it is the upper.
    return static_cast<int>(std::clamp<long long>(v, 0, 1000));
}

// The two-part columns of the tables: entry n (1..41) at y = 15 n on the
// left for n <= 20, at 15 n - 315 on the right.
void drawColumn(AnalysisOutput& out, int leftX, int rightX, const AnalysisArray& values, const char* label) {
    for (int n = 1; n <= kAnalysisSamples; ++n) {
        const bool left = n <= 20;
        out.drawText(left ? leftX : rightX, left ? 15 * n : 15 * n - 315, kAnalysisTableColour,
                     tableValue(values[n - 1]) + label + std::to_string(n));
    }
}

void stopUnless(const AnalysisFigures& f, AnalysisStage stage) {
    if (f.reached < stage) throw ActionError(f.failure);
}

}  // namespace

void AnalysisOutput::solverMessage(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void calculateAndLayOut(const AnalysisRequest& request, ZoneLimitCells& limits, AnalysisOutput& out,
                        AnalysisFigures& figures) {
    const EnteredNumbers n = enteredNumbers(request.controls, 0.0);
    AnalysisInput in;
    in.mirrorDiameter = n.mirrorDiameter;
    in.radiusOfCurvature = n.radiusOfCurvature;
    in.conicConstant = n.conicConstant;
    in.zoneHeight = n.zoneHeight;
    in.wavelength = n.wavelength;
    in.invertDeviation = request.invertDeviation;
    in.knotHeight = request.shape.knotHeight;
    in.previousFit = request.previousFit;
    const double pvError = n.zoneHeight == 0.0 ? 1e-11 : n.zoneHeight;

    out.drawText(300, 365, kAnalysisSetColour, setValue(in.conicConstant) + " Set Conic Const ");
    out.drawText(290, 385, kAnalysisSetColour, setValue(in.wavelength) + " Set Wavelength (um) ");
    out.drawText(310, 405, kAnalysisSetColour, setValue(pvError) + " Set Zone Ht (waves) ");

    in.inner = limitValue(limits, 0);
    in.outer = limitValue(limits, 1);
    limits.setLimitCell(0, std::to_string(usedInnerLimit(in.inner)));
    limits.setLimitCell(1, std::to_string(usedOuterLimit(in.outer)));

    figures = analyseSurface(in);
    const AnalysisFigures& f = figures;
    stopUnless(f, AnalysisStage::Sampled);
    for (int k = 0; k < kAnalysisKnots; ++k)
        out.drawText(5, 15 * (k + 22) - 330, kAnalysisTableColour, tableValue(f.knotColumn[k]));
    drawColumn(out, 100, 195, f.deviation, " Dev ");
    drawColumn(out, 330, 420, f.sampleX, " X ");
    drawColumn(out, 550, 630, f.sampleY, " Y ");
    if (!f.solverMessage.empty()) out.solverMessage(f.solverMessage);

    stopUnless(f, AnalysisStage::ParabolaRms);
    out.drawText(13, 350, kAnalysisResultColour, result(f.rmsParabola) + " SURFACE RMS Area Weighted - Parabola");
    out.drawText(90, 365, kAnalysisResultColour, result(f.strehlRatio) + "  Strehl       ");
    stopUnless(f, AnalysisStage::Parabola);
    out.drawText(35, 380, kAnalysisResultColour, result(f.parabolaRadius) + " Best Vertex Radius - Parabola (mm)");

    stopUnless(f, AnalysisStage::Complete);
    out.drawText(5, 400, kAnalysisResultColour, result(f.rmsConic) + " SURFACE RMS AREA Weighted - Best Conic");
    out.drawText(43, 415, kAnalysisResultColour, result(f.bestConicRadius) + "  Vertex Radius - Best Conic (mm)");
    out.drawText(64, 430, kAnalysisResultColour, result(f.bestConicConstant) + "  Best Conic Constant ");
    drawColumn(out, 750, 850, f.residual, " Resid ");
}

}  // namespace sg
