// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/surface_analysis.h"

#include "model/conic.h"
#include "model/failure.h"
#include "analysis/ring_conic_fit.h"
#include "analysis/ring_figure.h"
#include "model/wavefront_figures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

namespace sg {

namespace {

constexpr double kPi = std::numbers::pi;

// The central 2 outer + 1 samples, renumbered from 0, and their residuals
// against the latest fit.
struct Selection {
    std::array<double, kAnalysisSamples> x{}, y{}, residual{};
    int count = 0;
    std::span<const double> xs() const { return {x.data(), static_cast<std::size_t>(count)}; }
    std::span<const double> ys() const { return {y.data(), static_cast<std::size_t>(count)}; }
    std::span<double> residuals() { return {residual.data(), static_cast<std::size_t>(count)}; }
};

Selection centralSamples(const AnalysisFigures& f, int outer) {
    Selection s;
    s.count = 2 * outer + 1;
    for (int i = 0; i < s.count; ++i) {
        s.x[i] = f.sampleX[20 - outer + i];
        s.y[i] = f.sampleY[20 - outer + i];
    }
    return s;
}

// Surface RMS in mm: 0.915 brings the sum of rings closer to the integral
// over the disc of area `area`.
double ringRms(const Selection& s, int inner, int outer, double area) {
    const std::span<const double> residual(s.residual.data(), static_cast<std::size_t>(s.count));
    return 0.915 * std::sqrt(fdiv(ringFigureSum(s.xs(), residual, inner, outer), area));
}

// The conic's sag across the diameter, and the drawn shape scaled to a
// peak-to-valley of one, turned over with the deviation, then to the zone
// height in waves, in millimetres, added to it.
void sampleSurface(const AnalysisInput& in, double zoneHeight, AnalysisFigures& f) {
    const double d = in.mirrorDiameter;
    for (int j = 0; j < kAnalysisSamples; ++j) f.sampleX[j] = (j - 20) * d / 40;
    for (int j = 20; j < kAnalysisSamples; ++j)
        f.sampleY[j] = conicSag(f.sampleX[j], 0, in.radiusOfCurvature, in.conicConstant);
    for (int j = 0; j < 20; ++j) f.sampleY[j] = f.sampleY[40 - j];

    for (int j = 0; j < kAnalysisSamples; ++j) f.deviation[j] = -in.knotHeight[j + 2] * f.pvError;
    const auto [lo, hi] = std::minmax_element(f.deviation.begin(), f.deviation.end());
    double pv = checkedOperand(*hi) - checkedOperand(*lo);
    if (pv == 0) pv = 1e-14;
    const double sign = in.invertDeviation ? -1.0 : 1.0;
    for (double& v : f.deviation) v = fdiv(sign * v, pv) + 1e-12;
    for (int j = 0; j < kAnalysisSamples; ++j) {
        f.deviation[j] = f.deviation[j] * zoneHeight * in.wavelength / 1000;
        f.sampleY[j] = f.sampleY[j] + f.deviation[j];
    }
    for (int i = 22; i <= 42; ++i) f.knotColumn[i - 22] = -in.knotHeight[i] * f.pvError;
}

}  // namespace

AnalysisFigures analyseSurface(const AnalysisInput& in) {
    AnalysisFigures f;
    f.conicConstant = in.conicConstant;
    f.wavelength = in.wavelength;
    f.pvError = in.zoneHeight == 0.0 ? 1e-11 : in.zoneHeight;
    f.inner = usedInnerLimit(in.inner);
    f.outer = usedOuterLimit(in.outer);
    f.fitCoefficient = in.previousFit;
    const double zoneHeight = in.zoneHeight == 0.0 ? 1e-7 : in.zoneHeight;
    const int inner = f.inner, outer = f.outer;
    try {
        sampleSurface(in, zoneHeight, f);
        f.reached = AnalysisStage::Sampled;

        // First the best paraboloid, fitted to every selected sample.
        Selection s = centralSamples(f, outer);
        f.solverMessage = singularityMessage(fitParabola(s.xs(), s.ys(), f.fitCoefficient, s.residuals()));
        const double analysedDiameter = outer * in.mirrorDiameter / 20;
        const double area = kPi * analysedDiameter * analysedDiameter / 4;
        const double rmsParabola = ringRms(s, inner, outer, area);
        // The Strehl ratio from the wavefront RMS in waves, twice the surface's.
        const double wavefront = fdiv(2000 * rmsParabola, in.wavelength);
        f.strehlRatio = wavefront > 20 ? 0 : strehlRatio(wavefront);
        f.rmsParabola = fdiv(rmsParabola * 1000, in.wavelength);
        f.reached = AnalysisStage::ParabolaRms;
        f.parabolaRadius = fdiv(0.5, f.fitCoefficient[2]);
        f.reached = AnalysisStage::Parabola;

        // Then the best general conic, fitted to minimise the same ring
        // figure. On a surface symmetric about the centre, as the editor
        // draws it, the paraboloid has no tilt and belongs to the conic's
        // family, so the conic's RMS is never the larger.
        s = centralSamples(f, outer);
        fitEvenConicToRings(s.xs(), s.ys(), inner, outer, f.fitCoefficient, s.residuals());
        f.rmsConic = fdiv(ringRms(s, inner, outer, area) * 1000, in.wavelength);
        f.residual.fill(0);
        for (int i = 0; i < s.count; ++i) f.residual[20 - outer + i] = s.residual[i];
        f.bestConicRadius = fdiv(0.5, f.fitCoefficient[1]);
        f.bestConicConstant =
            8 * f.fitCoefficient[2] * f.bestConicRadius * f.bestConicRadius * f.bestConicRadius - 1;
        f.reached = AnalysisStage::Complete;
    } catch (const ActionError& e) {
        f.failure = e.what();
    }
    return f;
}

}  // namespace sg
