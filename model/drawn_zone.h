// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drawn zone as a real surface: the deviation d(r) that the mirror's sag
// gains, in mm, and its radial slope, as the exact ray trace takes it.
//
// d follows the editor's curve, the clamped cubic spline through knots
// 1..44 with level ends, read from the centre knot (22) outward: radius r
// stands at knot 22 + 20 r / (D / 2), so the mirror's edge at knot 42. Its
// scale and sign are those the surface analysis gives the drawn shape: the
// peak-to-valley over the 41 mirror knots (2..42) is |Zone Ht| waves of the
// wavelength, on the surface; a knot drawn above the zero line raises the
// glass; Invert and a negative Zone Ht turn it over. The slope is the
// spline's own derivative, scaled the same way.

#include "model/editor_shape.h"
#include "model/mirror.h"

#include <array>
#include <vector>

namespace sg {

// The measured surface: the deviation that the reduction of knife readings
// found, at full resolution rather than through the editor's knots. It is
// piecewise quadratic in u = r^2 (the wavefront the reduction integrates
// is), plus the change from the conic of the reduction's reference radius
// to that of the mirror's radius, so that the mirror keeps the radius the
// readings were taken against.
struct MeasuredSurface {
    // Piece j runs from start[j] (mm^2) to start[j + 1], the last one
    // without end: s = c0[j] + t (c1[j] + t c2[j]), t = u - start[j], mm.
    std::vector<double> start, c0, c1, c2;
    // d = s + z(fromRadius) - z(toRadius), z the sag of the conic K; the
    // term is left out when the two radii are equal.
    double fromRadius = 0, toRadius = 0, conic = 0;

    bool empty() const { return start.empty(); }
    friend bool operator==(const MeasuredSurface&, const MeasuredSurface&) = default;
};

struct DrawnZone {
    // d = 0 everywhere: a flat drawing, a zone height of 0 (held as 1E-7),
    // or no mirror to draw it on.
    bool flat = true;
    double knotsPerMm = 0;  // knot units per mm of radius, 20 / (D / 2)
    double mmPerPixel = 0;  // sag in mm per editor pixel of knot height, signed
    // The spline's cubics on intervals 22..43 (between knots j and j + 1):
    // a + w (b + w (c + w e)), w = knot units beyond knot j.
    std::array<double, 44> a{}, b{}, c{}, e{};
    // When not empty, d is this surface and the knots are not used.
    MeasuredSurface measured;

    friend bool operator==(const DrawnZone&, const DrawnZone&) = default;
};

struct ZonePoint {
    double sag = 0;    // mm, added to the conic's sag
    double slope = 0;  // dd/dr, added to the conic's slope
};

// The zone of the shape's knots on the mirror: its diameter, zone height
// and the deviation's sign (invertDeviation), in waves of `wavelength`
// (micrometres).
DrawnZone makeDrawnZone(const Mirror& mirror, double wavelength, const EditorShape& shape);

// The zone of a measured surface; flat when it is empty.
DrawnZone measuredZone(const MeasuredSurface& surface);

// d and its slope at radius r (mm, 0 to the rim); 0 for a flat zone.
ZonePoint zoneAt(const DrawnZone& zone, double r);

}  // namespace sg
