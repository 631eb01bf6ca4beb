#pragma once
// The ideal conic mirror and the normal of its surface. Points (x, y) are in
// mm from the mirror centre on the mirror face, R is the vertex radius of
// curvature in mm and k the conic constant (0 sphere, -1 paraboloid).
// Divisions follow the floating-point unit's fault rules (see failure.h):
// R = 0 is a division by zero at the first use.

#include "mirror_model.h"

namespace sg {

// Sag in mm: the two-term series of the conic's sag,
// s / (2R) + (1 + k) s^2 / (8 R^3) with s = x^2 + y^2.
double conicSag(double x, double y, double R, double k);

// Radial derivative of conicSag: r / R + 4 (1 + k) r^3 / (8 R^3).
double conicSlope(double x, double y, double R, double k);

// Axial position (mm from the vertex) where the surface normal through
// (x, y) meets the axis: sag + r / slope. Undefined at the centre (r = 0),
// where it is a division by zero.
double normalIntercept(double x, double y, double R, double k);

// The same with the smoothed slope of the zonal deviation folded in, weighted
// by the direction that the orientation flags of the model select; "2 D"
// ignores the deviation.
double distortedIntercept(const MirrorModel& m, double x, double y, double R, double k);

// Departure of the conic from the sphere of the same vertex radius, in waves
// of the model's wavelength (micrometres).
double conicDeviationWaves(const MirrorModel& m, double x, double y, double R, double k);

}  // namespace sg
