// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/surface_statistics.h"

#include "model/number_text.h"
#include "model/failure.h"
#include "model/controls_reading.h"
#include "model/wavefront_figures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sg {

namespace {

constexpr int kMirrorKnots = 41;  // knots 2..42: left edge, centre (22), right edge
constexpr int kZones = 20;        // rings from the centre to the edge

}  // namespace

SurfaceStatistics computeSurfaceStatistics(const EditorShape& shape, const StatisticsScale& m) {
    // Heights of the mirror knots, scaled so that their peak-to-valley is the
    // zone height, turned over with the deviation, in millimetres.
    std::array<double, kMirrorKnots> node{};
    for (int j = 0; j < kMirrorKnots; ++j) node[j] = -shape.knotHeight[j + 2] * m.zoneHeight;
    const auto [lo, hi] = std::minmax_element(node.begin(), node.end());
    double pv = checkedOperand(*hi) - checkedOperand(*lo);
    if (pv == 0) pv = 1e-14;
    const double sign = m.invertDeviation ? -1.0 : 1.0;
    for (double& h : node) h = fdiv(sign * h, pv) + 1e-10;
    for (double& h : node) h = h * m.zoneHeight * m.wavelength / 1000;

    const double d = m.mirrorDiameter;
    std::array<double, kZones + 1> zoneRadius{};
    for (int k = 0; k <= kZones; ++k) zoneRadius[k] = k * d / 40;

    double sum = 0;
    for (double h : node) sum += h;
    const double mean = sum / kMirrorKnots;

    // Rings k = 1..20 between the knots 22 + k - 1 and 22 + k, each at the
    // mean height of its two knots, weighted by its area.
    const double pi = std::numbers::pi;
    const double area = pi * d * d / 4;
    const std::span<const double> ringHeights(node.data() + kZones, kZones + 1);
    const double meanArea = fdiv(ringAreaSum(zoneRadius, ringHeights), area);

    double squares = 0;
    for (double h : node) squares += (mean - h) * (mean - h);
    const double rmsLinear = std::sqrt(squares / kMirrorKnots);

    const double rmsArea = ringRms(zoneRadius, ringHeights, meanArea, area);

    auto waves = [&m](double mm) { return fdiv(1000 * mm, m.wavelength); };
    SurfaceStatistics s{waves(mean), waves(meanArea), waves(rmsLinear), waves(rmsArea), m.zoneHeight};
    for (double v : {s.meanLinear, s.meanAreaWeighted, s.rmsLinear, s.rmsAreaWeighted, s.peakToValley})
        if (!std::isfinite(v)) throwInvalidOperation();
    return s;
}

SurfaceStatistics refreshStatistics(const EditorShape& shape, const Mirror& shown, const ModelControls& controls) {
    // The editor works with the peak-to-valley the zone height gives.
    const EnteredNumbers n = enteredNumbers(readControls(controls));
    return computeSurfaceStatistics(shape, {n.zoneHeight, n.wavelength, n.mirrorDiameter, shown.invertDeviation});
}

StatisticsLines statisticsLines(const SurfaceStatistics& s) {
    auto fixed = [](double v) { return formatFixed(v, 15, 3); };
    return {fixed(s.meanLinear) + " MEAN Ht - Linear", fixed(s.meanAreaWeighted) + " MEAN Ht Area Weighted",
            fixed(s.rmsLinear) + " RMS - Linear", fixed(s.rmsAreaWeighted) + " RMS - Area Weighted ",
            fixed(s.peakToValley) + " PV  (set from main Program)"};
}

}  // namespace sg
