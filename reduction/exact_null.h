// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the knife finds a zone's null, without any series. Lengths in mm;
// axial positions are measured from the plane of the mirror's vertex
// towards the centre of curvature; h is the zone's height on the mirror.
//
// For a conic of vertex radius R and conic constant K, q = sqrt(R^2 -
// (1 + K) h^2), the sag is z = h^2 / (R + q) and the surface slope p = h / q.
//  - A source that moves with the knife nulls where the zone's normals
//    cross the axis: N = z + q (a paraboloid: R + h^2 / (2R) exactly).
//  - A source fixed at distance s on the axis nulls where the reflected
//    rays cross it: the ray from the source to (h, z) is reflected about
//    the normal (-p, 1) and followed to the axis (a paraboloid with s = R:
//    R + h^2 / R + h^4 / (2 R^3)). At h = 0 that is the mirror's image of
//    the source, R s / (2 s - R).
// The classical nulls of hand sheets keep the centre's null N(0) and add
// the first-order term alone: N = N(0) - kappa K h^2 / (2R) (a paraboloid:
// R + h^2 / (2R) moving, R + h^2 / R fixed at s = R).

#include "reduction/reduction_input.h"

namespace sg {

struct Tester {
    SourceKind source = SourceKind::Moving;
    double sourceDistance = 0;  // mm from the vertex plane; a fixed source only
    NullRule nulls = NullRule::Exact;  // what conicNull computes; surfaceNull is always exact
};

// kappa: how far the null moves per unit of a zone's change of focus; 1 for
// a moving source, 2 for a fixed one.
inline double nullScale(const Tester& t) { return t.source == SourceKind::Moving ? 1.0 : 2.0; }

// N for the conic (R, K) at h >= 0, exact or classical as the tester says.
// NaN where the conic has no surface at
// h (R^2 < (1 + K) h^2) or the reflected rays of a fixed source do not
// cross the axis in front of the mirror.
double conicNull(double radius, double conic, double h, const Tester& t);

// N and its derivatives with respect to R and K, exact (forward-mode
// differentiation of the same formula).
struct NullAndSlopes {
    double value = 0;
    double perRadius = 0;  // dN/dR
    double perConic = 0;   // dN/dK, mm
};
NullAndSlopes conicNullWithSlopes(double radius, double conic, double h, const Tester& t);

// N at h > 0 of any surface of revolution from its sag z (mm) and slope
// dz/dh there, with the same construction as the conic: z + h / p for a
// moving source, the reflected ray for a fixed one. NaN where there is no
// real crossing in front of the mirror.
double surfaceNull(double h, double sag, double slope, const Tester& t);

}  // namespace sg
