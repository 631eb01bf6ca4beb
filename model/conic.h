// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ideal conic mirror and the normal of its surface. Points (x, y) are in
// mm from the mirror centre on the mirror face, R is the vertex radius of
// curvature in mm and k the conic constant (0 sphere, -1 paraboloid).
// Divisions follow the floating-point unit's fault rules (see failure.h):
// R = 0 is a division by zero at the first use.

#include "model/failure.h"
#include "model/surface_profile.h"
#include "model/test_setup.h"

#include <cmath>

namespace sg {

// The constant factors of the sag series for one R and k. The ray passes
// compute them once per pass; every function below evaluates the same
// operations in the same order, so both give the same bits.
struct ConicTerms {
    double radius;        // R
    double twoR;          // 2 R
    double eightR3;       // 8 R^3, as ((8 R) R) R
    double onePlusK;      // 1 + k
    double fourOnePlusK;  // 4 (1 + k)
};

inline ConicTerms conicTerms(double R, double k) { return {R, 2 * R, 8 * R * R * R, 1 + k, 4 * (1 + k)}; }

// Sag from s = x^2 + y^2: s / (2R) + (1 + k) s^2 / (8 R^3).
inline double sagFromSquare(const ConicTerms& c, double s) {
    return fdiv(s, c.twoR) + fdiv(c.onePlusK * s * s, c.eightR3);
}

// Radial slope from r: r / R + 4 (1 + k) r^3 / (8 R^3).
inline double slopeFromRadius(const ConicTerms& c, double r) {
    return fdiv(r, c.radius) + fdiv(c.fourOnePlusK * r * r * r, c.eightR3);
}

// Axial intercept of the normal at radius r = sqrt(s): sag + r / slope.
inline double interceptFromRadius(const ConicTerms& c, double s, double r) {
    const double t = fdiv(-1.0, slopeFromRadius(c, r));
    return sagFromSquare(c, s) - t * r;
}

// Sag in mm: the two-term series of the conic's sag.
inline double conicSag(double x, double y, double R, double k) {
    return sagFromSquare(conicTerms(R, k), x * x + y * y);
}

// Radial derivative of conicSag.
inline double conicSlope(double x, double y, double R, double k) {
    return slopeFromRadius(conicTerms(R, k), std::sqrt(x * x + y * y));
}

// Axial position (mm from the vertex) where the surface normal through
// (x, y) meets the axis. Undefined at the centre (r = 0), where it is a
// division by zero.
inline double normalIntercept(double x, double y, double R, double k) {
    const double s = x * x + y * y;
    return interceptFromRadius(conicTerms(R, k), s, std::sqrt(s));
}

// The drawn zone's slope as the series model folds it into the normal:
// the smoothed slope profile of a mirror of the given diameter, and the
// orientation of the lines, which selects the direction it tilts the normal
// in ("2 D" ignores the deviation).
struct SeriesDeviation {
    const RadialProfile* slope = nullptr;  // slopeDeviation
    double diameter = 0;                   // mm
    Orientation orientation = Orientation::Vertical;
};

// The normal's intercept with the deviation's slope folded in. r is
// sqrt(x^2 + y^2) of the point passed in.
double distortedInterceptFromRadius(const SeriesDeviation& d, const ConicTerms& c, double x, double y, double r);

inline double distortedIntercept(const SeriesDeviation& d, double x, double y, double R, double k) {
    return distortedInterceptFromRadius(d, conicTerms(R, k), x, y, std::sqrt(x * x + y * y));
}

// Departure of the conic from the sphere of the same vertex radius, in waves
// of `wavelength` (micrometres).
double conicDeviationWaves(double wavelength, double x, double y, double R, double k);

}  // namespace sg
