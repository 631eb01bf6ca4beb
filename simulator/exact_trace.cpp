#include "exact_trace.h"

#include <cmath>

namespace sg {

namespace {

// The reflection at one mirror point, shared by the trace and the check of
// the geometry so that both give the same bits.
//  - Sag from the exact conic: z = s / (R + sqrt(R^2 - (1 + K) s)), s = r^2.
//  - Normal (pointing towards the centre of curvature) proportional to
//    (-u, -v, c) with c = sqrt(R^2 - (1 + K) s): the conic's slope is
//    r / c, so the normal's axial-per-radial ratio is -c / r, and a tilt t
//    added to that ratio makes c into c - t r.
//  - The ray from the source to the mirror point, i = (u, v, z - q),
//    reflected: o = i - 2 (i.n / n.n) n = (u scale, v scale, oz).
// `square` below 0 is a point beyond the conic's validity; the root is then
// taken of 0.
struct Reflection {
    double square, sag, scale, oz;
};

[[gnu::always_inline]] inline Reflection reflectPoint(double R, double onePlusK, double q, double s, double r,
                                                      double tilt) {
    Reflection o;
    o.square = R * R - onePlusK * s;
    const double root = std::sqrt(std::fmax(o.square, 0.0));
    o.sag = s / (R + root);
    const double c = root - tilt * r;
    const double toMirror = o.sag - q;
    const double bounce = 2 * (toMirror * c - s) / (s + c * c);
    o.oz = toMirror - bounce * c;
    o.scale = 1 + bounce;
    return o;
}

}  // namespace

// The crossing with the plane z = p: the point + (p - z) / o_z o, when the
// ray travels towards the plane and the plane lies ahead of it.
ExactHit traceExact(const ExactMirror& mirror, double u, double v, double normalTilt, double sourceZ, double planeZ) {
    const double s = u * u + v * v;
    const Reflection o = reflectPoint(mirror.radius, 1 + mirror.conic, sourceZ, s, std::sqrt(s), normalTilt);
    const double reach = (planeZ - o.sag) / o.oz;
    ExactHit h;
    h.x = -(u + reach * (u * o.scale));
    h.y = -(v + reach * (v * o.scale));
    h.hit = o.square >= 0 && o.oz > 0 && reach >= 0 && std::isfinite(h.x) && std::isfinite(h.y);
    return h;
}

ExactDirection reflectExact(const ExactMirror& mirror, double u, double v, double normalTilt, double sourceZ) {
    const double s = u * u + v * v;
    const Reflection o = reflectPoint(mirror.radius, 1 + mirror.conic, sourceZ, s, std::sqrt(s), normalTilt);
    ExactDirection d;
    if (!(o.square >= 0)) return d;
    d.sag = o.sag;
    d.x = u * o.scale;
    d.y = v * o.scale;
    d.z = o.oz;
    d.valid = std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z);
    return d;
}

}  // namespace sg
