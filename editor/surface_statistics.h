// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Statistics of the drawn profile: its mean height and RMS over the 41
// mirror knots, plain and weighted by the area of the annular zones, after
// scaling the drawing to the zone height, in waves of the test's
// wavelength, measured from the ideal conic.

#include "model/editor_shape.h"
#include "model/mirror.h"
#include "model/model_controls.h"

#include <array>
#include <string>

namespace sg {

struct SurfaceStatistics {
    double meanLinear = 0;        // waves
    double meanAreaWeighted = 0;  // waves
    double rmsLinear = 0;         // waves
    double rmsAreaWeighted = 0;   // waves
    double peakToValley = 0;      // the zone height, waves
};

// The five lines beside the plot, top to bottom.
using StatisticsLines = std::array<std::string, 5>;

// What the figures are scaled with besides the knots.
struct StatisticsScale {
    double zoneHeight = 0.5;       // waves, the drawing's peak-to-valley; never 0
    double wavelength = 0.55;      // micrometres
    double mirrorDiameter = 200;   // mm
    bool invertDeviation = false;  // the zone turned over, as the picture shows it
};

// The figures from the shape's knots. A wavelength or diameter of 0, or
// knots so large that a figure is not finite, throw the floating-point
// message; no figure is ever infinite or NaN.
SurfaceStatistics computeSurfaceStatistics(const EditorShape& shape, const StatisticsScale& scale);

// The figures with the main window's grid as the controls show it (the
// zone height with 0 kept as 1e-7, the wavelength, the diameter; a bad cell
// throws its message) and the deviation's sign of the picture's mirror.
SurfaceStatistics refreshStatistics(const EditorShape& shape, const Mirror& shown, const ModelControls& controls);

// Each figure with three decimals, then its caption.
StatisticsLines statisticsLines(const SurfaceStatistics& s);

}  // namespace sg
