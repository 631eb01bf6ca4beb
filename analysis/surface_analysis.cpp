// SPDX-License-Identifier: GPL-3.0-or-later
#include "surface_analysis.h"

#include "number_text.h"
#include "conic.h"
#include "failure.h"
#include "model_io.h"
#include "ring_conic_fit.h"
#include "ring_figure.h"
#include "wavefront_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace sg {

namespace {

constexpr double kPi = std::numbers::pi;

// A figure that is not finite (a sum or a fit that overflowed on extreme
// entries) stops the calculation rather than show as a number.
std::string setValue(double v) { return formatFixed(finiteResult(v), 8, 4); }
std::string result(double v) { return formatFixed(finiteResult(v), 10, 5); }
std::string tableValue(double v) { return formatFixed(finiteResult(v), 10, 7); }

// A limit cell as a magnitude, within the range of an int.
int limitValue(const ZoneLimitCells& limits, int row) {
    const long long v = parseCellInteger(limits.limitCell(row));
    return static_cast<int>(std::min<long long>(std::llabs(v), 1000));
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

// The tables of the sampled surface; the residual column follows the fits.
void drawSampleTables(AnalysisOutput& out, const MirrorModel& m, const AnalysisWorkspace& w) {
    for (int i = 22; i <= 42; ++i)
        out.drawText(5, 15 * i - 330, kAnalysisTableColour, tableValue(-m.knotHeight[i] * m.pvError));
    drawColumn(out, 100, 195, w.deviationSample, " Dev ");
    drawColumn(out, 330, 420, w.sampleX, " X ");
    drawColumn(out, 550, 630, w.sampleY, " Y ");
}

// The central 2 outer + 1 samples, renumbered from 0, and their residuals
// against the latest fit.
struct Selection {
    std::array<double, kAnalysisSamples> x{}, y{}, residual{};
    int count = 0;
    std::span<const double> xs() const { return {x.data(), static_cast<std::size_t>(count)}; }
    std::span<const double> ys() const { return {y.data(), static_cast<std::size_t>(count)}; }
    std::span<double> residuals() { return {residual.data(), static_cast<std::size_t>(count)}; }
};

Selection centralSamples(const AnalysisWorkspace& w, int outer) {
    Selection s;
    s.count = 2 * outer + 1;
    for (int i = 0; i < s.count; ++i) {
        s.x[i] = w.sampleX[20 - outer + i];
        s.y[i] = w.sampleY[20 - outer + i];
    }
    return s;
}

// Surface RMS in mm: 0.915 brings the sum of rings closer to the integral
// over the disc of area `area`.
double ringRms(const Selection& s, int inner, int outer, double area) {
    const std::span<const double> residual(s.residual.data(), static_cast<std::size_t>(s.count));
    return 0.915 * std::sqrt(fdiv(ringFigureSum(s.xs(), residual, inner, outer), area));
}

}  // namespace

void sampleSurface(MirrorModel& m, const ModelControls& controls, AnalysisWorkspace& w) {
    const double d = m.mirrorDiameter;
    for (int j = 0; j < kAnalysisSamples; ++j) w.sampleX[j] = (j - 20) * d / 40;
    for (int j = 20; j < kAnalysisSamples; ++j)
        w.sampleY[j] = conicSag(w.sampleX[j], 0, m.radiusOfCurvature, m.conicConstant);
    for (int j = 0; j < 20; ++j) w.sampleY[j] = w.sampleY[40 - j];

    // The drawn shape, scaled to a peak-to-valley of one and turned over with the deviation.
    for (int j = 0; j < kAnalysisSamples; ++j) w.deviationSample[j] = -m.knotHeight[j + 2] * m.pvError;
    const auto [lo, hi] = std::minmax_element(w.deviationSample.begin(), w.deviationSample.end());
    double pv = checkedOperand(*hi) - checkedOperand(*lo);
    if (pv == 0) pv = 1e-14;
    const double sign = m.invertDeviation ? -1.0 : 1.0;
    for (double& v : w.deviationSample) v = fdiv(sign * v, pv) + 1e-12;

    readParametersFromControls(m, controls);
    // Then to the zone height in waves, in millimetres, on the conic.
    for (int j = 0; j < kAnalysisSamples; ++j) {
        w.deviationSample[j] = w.deviationSample[j] * m.zoneHeight * m.wavelength / 1000;
        w.sampleY[j] = w.sampleY[j] + w.deviationSample[j];
    }
}

void runAnalysis(MirrorModel& m, const ModelControls& controls, ZoneLimitCells& limits, AnalysisWorkspace& w,
                 AnalysisOutput& out) {
    // A zone height of 0 is 1e-11 here, and 1e-7 when the surface is sampled.
    readParametersFromControls(m, controls, 1e-11, {});
    m.pvError = m.zoneHeight;

    out.drawText(300, 365, kAnalysisSetColour, setValue(m.conicConstant) + " Set Conic Const ");
    out.drawText(290, 385, kAnalysisSetColour, setValue(m.wavelength) + " Set Wavelength (um) ");
    out.drawText(310, 405, kAnalysisSetColour, setValue(m.pvError) + " Set PV error  ");

    int inner = limitValue(limits, 0);
    int outer = limitValue(limits, 1);
    inner = std::min(inner, 8);
    outer = std::clamp(outer, 10, 20);
    limits.setLimitCell(0, std::to_string(inner));
    limits.setLimitCell(1, std::to_string(outer));
    m.analysisZoneFrom = inner;
    m.analysisZoneTo = outer;

    // First pass: the best paraboloid.
    sampleSurface(m, controls, w);
    drawSampleTables(out, m, w);
    Selection s = centralSamples(w, outer);
    fitParabola(s.xs(), s.ys(), w.fitCoefficient, s.residuals());

    const double analysedDiameter = outer * m.mirrorDiameter / 20;
    const double area = kPi * analysedDiameter * analysedDiameter / 4;
    const double rmsParabola = ringRms(s, inner, outer, area);

    // Strehl ratio from the wavefront RMS in waves, twice the surface's.
    const double wavefront = fdiv(2000 * rmsParabola, m.wavelength);
    w.strehlRatio = wavefront > 20 ? 0 : strehlRatio(wavefront);
    w.rmsParabola = fdiv(rmsParabola * 1000, m.wavelength);

    out.drawText(13, 350, kAnalysisResultColour, result(w.rmsParabola) + " SURFACE RMS Area Weighted - Parabola");
    out.drawText(90, 365, kAnalysisResultColour, result(w.strehlRatio) + "  Strehl       ");
    out.drawText(35, 380, kAnalysisResultColour,
                 result(fdiv(0.5, w.fitCoefficient[2])) + " Best Vertex Radius - Parabola");

    // Second pass: the best general conic, fitted to minimise the same ring
    // figure. On a surface symmetric about the centre, as the editor draws
    // it, the paraboloid has no tilt and belongs to the conic's family, so
    // the conic's RMS is never the larger.
    sampleSurface(m, controls, w);
    s = centralSamples(w, outer);
    fitEvenConicToRings(s.xs(), s.ys(), inner, outer, w.fitCoefficient, s.residuals());
    w.rmsConic = fdiv(ringRms(s, inner, outer, area) * 1000, m.wavelength);
    w.residual.fill(0);
    for (int i = 0; i < s.count; ++i) w.residual[20 - outer + i] = s.residual[i];

    w.bestConicRadius = fdiv(0.5, w.fitCoefficient[1]);
    w.bestConicConstant = 8 * w.fitCoefficient[2] * w.bestConicRadius * w.bestConicRadius * w.bestConicRadius - 1;
    out.drawText(5, 400, kAnalysisResultColour, result(w.rmsConic) + " SURFACE RMS AREA Weighted - Best Conic");
    out.drawText(43, 415, kAnalysisResultColour, result(w.bestConicRadius) + "  Vertex Radius - Best Conic");
    out.drawText(64, 430, kAnalysisResultColour, result(w.bestConicConstant) + "  Best Conic Constant ");
    drawColumn(out, 750, 850, w.residual, " Resid ");
}

}  // namespace sg
