// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reduced surface handed to the simulator as its drawn zone, and the
// round trip back: each zone's null of that mirror in the simulator's exact
// model, to set beside the reading it came from.
//
// The surface is s(h) = (W(h^2) - <W>) / 2 in mm, high positive, on the
// wanted conic K_t at the reference radius R_ref. The simulator keeps the
// mirror's radius R (the knife's reading 0, so that its knife positions are
// the scale's readings) and traces exactly the measured surface: s at full
// resolution plus the change from the conic at R_ref to the conic at R.
// For the editor, where the user may change it, the zone is also given as
// 45 knots (s alone): the simulator draws a zone (knot 22 the centre, radius r at knot
// 22 + 20 r / (D/2), heights in editor pixels positive below the zero line),
// through the clamped spline of knots 1..44 with level ends, scaled so that
// its peak-to-valley over knots 2..42 is the zone height in waves.

#include "model/drawn_zone.h"
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
    double radius = 0;      // mm, vertex radius: the mirror's R, kept
    double referenceRadius = 0;  // mm, R_ref, which the surface s stands on
    double conic = 0;       // K_t
    MeasuredSurface measured;  // s on the conic at R_ref, carried to the conic at R
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
// deviation not inverted, the measured surface) and as the editor's knots
// (at x = 0..44); its zone height is in waves of `zone.wavelength`. The
// shape's sampled profile is not refitted.
Mirror simulatorZoneMirror(const SimulatorZone& zone);
void applySimulatorZone(const SimulatorZone& zone, EditorShape& shape);

// The reading (N - R, mm) of each zone of `result` on the mirror
// conic(R, K_t) + d(r), d the measured surface and its slope as the
// simulator's exact trace takes them (measuredZone, zoneAt), nulled with
// the result's tester; NaN
// for a zone whose light that surface sends nowhere across the axis in
// front of it (every zone of a reduction lies at h > 0). With classical
// nulls, the difference between the conic's classical and exact null is
// added back, so that the readings compare with those reduced.
std::vector<double> roundTripReadings(const ReductionResult& result, const SimulatorZone& zone);

}  // namespace sg
