#pragma once
// The exact ray model: a ray from a source point on the axis to a point of
// the mirror, reflected by the exact conic (its sag and its normal, without
// any series), followed to the plane of the grating, wire or knife. The
// drawn zone, on the distorted surface, tilts the normal the way it does in
// the series model: it is added to the normal's axial-per-radial ratio.

namespace sg {

// Where the reflected ray crosses the plane, in the program's sign (as the
// series model gives X and Y: opposite to the ray's own height), and
// whether it gets there: a point beyond the conic's validity (a hyperbolic
// rim), a ray that does not travel towards the plane, or any value that is
// not finite is a miss.
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

// The ray from (0, 0, sourceZ) to the mirror point (u, v), reflected, at the
// plane z = planeZ (mm from the vertex, towards the centre of curvature).
// `normalTilt` is added to the normal's axial-per-radial ratio (0 for the
// pure conic).
ExactHit traceExact(const ExactMirror& mirror, double u, double v, double normalTilt, double sourceZ, double planeZ);

// The reflected ray's direction, not normalised (for checking the
// geometry): the same trace without the plane.
struct ExactDirection {
    double x = 0, y = 0, z = 0;
    double sag = 0;  // z of the mirror point
    bool valid = false;
};
ExactDirection reflectExact(const ExactMirror& mirror, double u, double v, double normalTilt, double sourceZ);

}  // namespace sg
