// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zonal deviation as three radial profiles of 276 samples, from the
// mirror centre (0) to the edge (275), radial step mirrorDiameter / 550.

#include "mirror_model.h"

namespace sg {

// zoneDeviation from the left half of the editor's profile (centre sample
// 352 to edge sample 32), scaled to a peak-to-valley of 20, positive in the
// editor's downward direction, negated when invertDeviation is set.
void resampleDeviation(MirrorModel& m);

// heightCurve = zoneDeviation * zoneHeight / 10 for the distorted surface
// (sample 275 repeats 274); all zero for the pure conic.
void computeHeightCurve(MirrorModel& m);

// slopeDeviation: minus the radial derivative of heightCurve, sign-flipped
// for a negative zone height, then smoothed ten times. A mirror diameter of
// 0 is an invalid operation here.
void computeSlopeDeviation(MirrorModel& m);

// One moving average of half-width n (0..50) over slopeDeviation[1..275],
// reflecting evenly about the centre and continuing the edge with the mean of
// the last two samples. Element 0 stays 0.
void smoothSlope(MirrorModel& m, int n);

}  // namespace sg
