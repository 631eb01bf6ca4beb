// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reduced surface handed to the simulator as its drawn zone, and the
// round trip back: each zone's null of that mirror in the simulator's exact
// model, to set beside the reading it came from.
//
// The surface is s(h) = (W(h^2) - <W>) / 2 in mm, high positive, on the
// wanted conic K_t at the reference radius R_ref (the simulator's radius is
// the vertex radius of its conic, and R_ref is one). The simulator draws a
// zone from 45 editor knots (knot 22 the centre, radius r at knot
// 22 + 20 r / (D/2), heights in editor pixels positive below the zero line),
// through the clamped spline of knots 1..44 with level ends, scaled so that
// its peak-to-valley over knots 2..42 is the zone height in waves.

#include "model/editor_shape.h"
#include "model/mirror.h"
#include "reduction/reduction.h"

#include <array>
#include <string>
#include <vector>

namespace sg {

struct SimulatorZone {
    // Knot k = knot 44 - k. Knots 2..42 are -s at their radii times one
    // scale (largest knot 80 pixels, the editor's grid); the knots beyond
    // the rim are placed so that the spline through 1..44 with level ends
    // is, across the mirror, the spline through the mirror's knots with
    // the surface's own slope at the rim, and levels off outside.
    std::array<double, kKnotCount> knotHeight{};
    double zoneHeight = 0;  // waves: the peak-to-valley of s over knots 2..42, in wavelengths
    double wavelength = 0;  // micrometres
    double diameter = 0;    // mm
    double radius = 0;      // mm, vertex radius: R_ref
    double conic = 0;       // K_t
    bool movingSource = true;  // the reduction's tester, for "Source moves with grating"
};

// The simulator's terms for the reduced surface of `result`. A conic, zone
// height or knot too small to be a normal double is 0.
SimulatorZone simulatorZoneFor(const ReductionResult& result);

// Why the zone cannot go into the main window's grid, empty when it can:
// the diameter, radius and wavelength must be normal doubles above 0, the
// conic and zone height finite and 0 or normal, and each must read back
// from the grid's text as a finite number.
std::string simulatorGridProblem(const SimulatorZone& zone);

// The zone as a mirror (diameter, radius, conic, zone height, the
// deviation not inverted, the distorted surface) and as the editor's knots
// (at x = 0..44); its zone height is in waves of `zone.wavelength`. The
// shape's sampled profile is not refitted.
Mirror simulatorZoneMirror(const SimulatorZone& zone);
void applySimulatorZone(const SimulatorZone& zone, EditorShape& shape);

// The reading (N - R, mm) of each zone of `result` on the mirror
// conic(R_ref, K_t) + d(r), d and its slope as the simulator's exact trace
// takes them (makeDrawnZone, zoneAt), nulled with the result's tester; NaN
// for a zone whose light that surface sends nowhere across the axis in
// front of it (every zone of a reduction lies at h > 0). With classical
// nulls, the difference between the conic's classical and exact null is
// added back, so that the readings compare with those reduced.
std::vector<double> roundTripReadings(const ReductionResult& result, const SimulatorZone& zone);

}  // namespace sg
