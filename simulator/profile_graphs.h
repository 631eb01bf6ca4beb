// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The height and slope profiles below the shadowgram, the conic and focal
// ratio read-outs at the top right and the unit of the transverse offset.

#include "simulator.h"

#include <string>

namespace sg {

// Height graph: base line y = 600, radial sample n drawn at x = 410 +- n,
// the deviation shape (peak-to-valley 20 pixels) below the line when
// positive, a tick above and below at the start of each fifth of the radius.
// Also fills heightCurve.
void drawHeightGraph(Simulator& s);

// Slope graph: base line y = 670, the magnitude of the smoothed slope drawn
// upward, at most 20 pixels.
void drawSlopeGraph(Simulator& s);

// The two read-out texts: the conic's departure from the sphere at the edge
// and the focal ratio, in fixed notation with 3 decimals.
std::string conicReadoutText(double conicDeviation);
std::string focalRatioText(const MirrorModel& m);

// Computes the conic deviation and draws both read-outs at (590, 10) and (640, 25).
void drawConicReadout(Simulator& s);

// The unit of the transverse offset for the selected test, as row 1 of the
// maximum-movement box shows it.
std::string transverseUnitText(const MirrorModel& m);
void showTransverseUnit(Simulator& s);

// The transverse read-out under the slider: the offset in fixed notation
// with 3 decimals and the unit of the test as the model's flags name it:
// "bands" (Ronchi), "W" (wire widths), "P/6" (sixths of the grating period,
// Foucault), as in "-0.500 bands".
std::string transverseReadoutText(const MirrorModel& m);

}  // namespace sg
