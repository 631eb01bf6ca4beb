// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zonal deviation as three radial profiles of 276 samples, from the
// mirror centre (0) to the edge (275), radial step mirrorDiameter / 550: what
// the series model and the profile graphs read.

#include "model/editor_shape.h"
#include "model/mirror.h"

#include <array>

namespace sg {

inline constexpr int kProfileSamples = 276;  // centre (0) to edge (275)
using RadialProfile = std::array<double, kProfileSamples>;

struct SurfaceProfiles {
    RadialProfile zoneDeviation{};   // the deviation's shape, peak-to-valley 20
    RadialProfile heightCurve{};     // zoneDeviation * zoneHeight / 10; all 0 for the pure conic
    RadialProfile slopeDeviation{};  // the smoothed radial slope of heightCurve; [0] is 0

    friend bool operator==(const SurfaceProfiles&, const SurfaceProfiles&) = default;
};

// zoneDeviation from the left half of the editor's profile (centre sample
// 352 to edge sample 32), scaled to a peak-to-valley of 20, positive in the
// editor's downward direction, negated when the deviation is turned over.
void resampleDeviation(SurfaceProfiles& p, const EditorShape& shape, bool invertDeviation);

// heightCurve = zoneDeviation * zoneHeight / 10 for the distorted surface
// (sample 275 repeats 274); all zero for the pure conic.
void computeHeightCurve(SurfaceProfiles& p, const Mirror& mirror);

// slopeDeviation: minus the radial derivative of heightCurve, sign-flipped
// for a negative zone height, then smoothed ten times. A mirror diameter of
// 0 is an invalid operation here.
void computeSlopeDeviation(SurfaceProfiles& p, const Mirror& mirror);

// One moving average of half-width n (0..50) over slopeDeviation[1..275],
// reflecting evenly about the centre and continuing the edge with the mean of
// the last two samples. Element 0 stays 0.
void smoothSlope(SurfaceProfiles& p, int n);

}  // namespace sg
