// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exact ray model: a ray from a source point to a point of the mirror,
// reflected by the exact conic (its sag and its normal, without any series)
// with the drawn zone at its true height, followed to the plane of the
// grating, wire or knife.

#include "model/drawn_zone.h"

namespace sg {

// Where the reflected ray crosses the plane, in the program's sign (as the
// series model gives X and Y: opposite to the ray's own height), and
// whether it gets there: a point beyond the conic's validity (the rim of an
// ellipsoid), a ray that does not travel towards the plane, or any value
// that is not finite is a miss.
struct ExactHit {
    bool hit = false;
    double x = 0, y = 0;
};

// The mirror: vertex radius R (mm) and conic constant K (0 sphere, -1
// paraboloid), the sag z = r^2 / (R + sqrt(R^2 - (1 + K) r^2)).
struct ExactMirror {
    double radius;
    double conic;
};

// The point the ray leaves from: (x, y) mm across the axis (a point of a
// slit), at z mm from the vertex along it.
struct ExactSource {
    double x = 0, y = 0;
    double z = 0;
};

// The ray from the source to the mirror point (u, v), reflected by the
// conic plus `zone` (its sag and slope at that radius; none for the pure
// conic), at the plane z = planeZ (mm from the vertex, towards the centre of
// curvature).
ExactHit traceExact(const ExactMirror& mirror, double u, double v, const ZonePoint& zone, const ExactSource& source,
                    double planeZ);

// The reflected ray's direction, not normalised (for checking the
// geometry): the same trace without the plane.
struct ExactDirection {
    double x = 0, y = 0, z = 0;
    double sag = 0;  // z of the mirror point
    bool valid = false;
};
ExactDirection reflectExact(const ExactMirror& mirror, double u, double v, const ZonePoint& zone,
                            const ExactSource& source);

// The axial part C of the surface normal (-u, -v, C) at radius r: `root` is
// the conic's sqrt(R^2 - (1 + K) r^2), so that the conic's slope is
// r / root, and `slope` the zone's slope added to it: C = r / (r / root +
// slope). The pure conic and the vertex keep root itself, bit for bit.
[[gnu::always_inline]] inline double normalAxialPart(double root, double r, double slope) {
    if (slope == 0 || r == 0) return root;
    return r * root / (r + slope * root);
}

}  // namespace sg
