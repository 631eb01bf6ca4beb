// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/exact_trace.h"

#include <cmath>

namespace sg {

namespace {

// The reflection at one mirror point, shared by the trace and the check of
// the geometry so that both give the same bits.
//  - Sag: the exact conic, z = s / (R + sqrt(R^2 - (1 + K) s)), s = r^2,
//    plus the zone's height.
//  - Normal (pointing towards the centre of curvature) proportional to
//    (-u, -v, C), C from the total slope (normalAxialPart).
//  - The ray from the source to the mirror point, i = (u - sx, v - sy,
//    z - q), reflected: o = i - 2 (i.n / n.n) n. From a source on the axis
//    this is (u scale, v scale, oz), the form the pass has always used.
// `square` below 0 is a point beyond the conic's validity; the root is then
// taken of 0.
struct Reflection {
    double square, sag, ox, oy, oz;
};

[[gnu::always_inline]] inline Reflection reflectPoint(double R, double onePlusK, const ExactSource& source, double u,
                                                      double v, double s, double r, const ZonePoint& zone) {
    Reflection o;
    o.square = R * R - onePlusK * s;
    const double root = std::sqrt(std::fmax(o.square, 0.0));
    o.sag = s / (R + root) + zone.sag;
    const double c = normalAxialPart(root, r, zone.slope);
    const double toMirror = o.sag - source.z;
    if (source.x == 0 && source.y == 0) {
        const double bounce = 2 * (toMirror * c - s) / (s + c * c);
        o.oz = toMirror - bounce * c;
        const double scale = 1 + bounce;
        o.ox = u * scale;
        o.oy = v * scale;
        return o;
    }
    const double ix = u - source.x, iy = v - source.y;
    const double bounce = 2 * (toMirror * c - u * ix - v * iy) / (s + c * c);
    o.ox = ix + bounce * u;
    o.oy = iy + bounce * v;
    o.oz = toMirror - bounce * c;
    return o;
}

}  // namespace

// The crossing with the plane z = p: the point + (p - z) / o_z o, when the
// ray travels towards the plane and the plane lies ahead of it.
ExactHit traceExact(const ExactMirror& mirror, double u, double v, const ZonePoint& zone, const ExactSource& source,
                    double planeZ) {
    const double s = u * u + v * v;
    const Reflection o = reflectPoint(mirror.radius, 1 + mirror.conic, source, u, v, s, std::sqrt(s), zone);
    const double reach = (planeZ - o.sag) / o.oz;
    ExactHit h;
    h.x = -(u + reach * o.ox);
    h.y = -(v + reach * o.oy);
    h.hit = o.square >= 0 && o.oz > 0 && reach >= 0 && std::isfinite(h.x) && std::isfinite(h.y);
    return h;
}

ExactDirection reflectExact(const ExactMirror& mirror, double u, double v, const ZonePoint& zone,
                            const ExactSource& source) {
    const double s = u * u + v * v;
    const Reflection o = reflectPoint(mirror.radius, 1 + mirror.conic, source, u, v, s, std::sqrt(s), zone);
    ExactDirection d;
    if (!(o.square >= 0)) return d;
    d.sag = o.sag;
    d.x = o.ox;
    d.y = o.oy;
    d.z = o.oz;
    d.valid = std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z);
    return d;
}

}  // namespace sg
