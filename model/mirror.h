// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mirror under test: a conic of revolution and the zonal deviation the
// user imposes on it.

namespace sg {

// Which surface the pictures show: the pure conic ("Show pure Conic"), the
// conic with the editor's drawn zone ("Show distorted surface"), or with
// the surface a Foucault reduction measured (shown from the reduction,
// traced exactly; the editor holds its fitted knots).
enum class SurfaceDeviation { None, Drawn, Measured };

struct Mirror {
    double mirrorDiameter = 200;      // mm
    double radiusOfCurvature = 2000;  // mm, vertex radius
    double conicConstant = -1;        // 0 sphere, -1 paraboloid
    SurfaceDeviation deviation = SurfaceDeviation::None;
    // The drawn zone's peak-to-valley in waves of the test's wavelength; a
    // negative height turns the zone over. A set-up read from the controls
    // never holds 0 here (an entered 0 is kept as 1e-7).
    double zoneHeight = 0.5;
    // The zone turned over: zoneHeight < 0 when the set-up was last read.
    bool invertDeviation = false;

    friend bool operator==(const Mirror&, const Mirror&) = default;
    bool distorted() const { return deviation != SurfaceDeviation::None; }
};

}  // namespace sg
