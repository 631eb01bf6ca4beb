// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Statistics of the drawn profile: its mean height and RMS over the 41
// mirror knots, plain and weighted by the area of the annular zones, after
// scaling the drawing to the zone height, in waves of the model's
// wavelength, measured from the ideal conic.

#include "mirror_model.h"
#include "model_controls.h"

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

// The five lines beside the plot, top to bottom: Label6, Label7, Label4,
// Label5, Label8.
using StatisticsLines = std::array<std::string, 5>;

// The figures from the knots with the model as it stands (zoneHeight,
// wavelength, mirrorDiameter, invertDeviation). A wavelength or diameter of
// 0, or knots so large that a figure is not finite, throw the floating-point
// message; no figure is ever infinite or NaN.
SurfaceStatistics computeSurfaceStatistics(const MirrorModel& m);

// Reads the main window's grid into the model (rows 0..4, the axial
// position, the zone height with 0 kept as 1e-7, pvError, the wavelength),
// then computes the figures. A bad cell throws its message at that cell;
// the cells read before it keep their new values.
SurfaceStatistics refreshStatistics(MirrorModel& m, const ModelControls& controls);

// Each figure with three decimals, then its caption.
StatisticsLines statisticsLines(const SurfaceStatistics& s);

}  // namespace sg
