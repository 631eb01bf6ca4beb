// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The height and slope profiles below the shadowgram, the conic and focal
// ratio read-outs at the top right and the unit of the transverse offset.

#include "simulator/scene.h"
#include "simulator/simulator.h"

#include <string>

namespace sg {

// Height graph: base line y = 600, radial sample n drawn at x = 410 +- n,
// the deviation shape (peak-to-valley 20 pixels) below the line when
// positive (the distorted surface only), a tick above and below at the
// start of each fifth of the radius.
void drawHeightGraph(Canvas& canvas, const Scene& scene);

// Slope graph: base line y = 670, the magnitude of the smoothed slope drawn
// upward, at most 20 pixels (the distorted surface only).
void drawSlopeGraph(Canvas& canvas, const Scene& scene);

// The two read-out texts: the conic's departure from the sphere at the edge
// and the focal ratio, in fixed notation with 3 decimals.
std::string conicReadoutText(double conicDeviation);
std::string focalRatioText(const Mirror& m);

// Computes the conic deviation of the scene's mirror in waves of its
// wavelength, keeps it in the simulator and draws both read-outs at
// (590, 10) and (640, 25).
void drawConicReadout(Simulator& sim, const Scene& scene);

// The read-outs as they were last drawn, in black while the grid still
// holds the entries they came from (`current`), in grey once it does not;
// nothing where no read-out stands (a bare corner).
void shadeConicReadout(Simulator& sim, bool current);

// The unit of the transverse offset for the test, as row 1 of the
// maximum-movement box shows it.
std::string transverseUnitText(TestKind test);

// The transverse read-out under the slider: the offset in fixed notation
// with 3 decimals and the unit of the test: "bands" (Ronchi), "W" (wire
// widths), "P/6" (sixths of the grating period, Foucault), as in
// "-0.500 bands".
std::string transverseReadoutText(const TestSetup& t);

}  // namespace sg
