#include "exact_trace.h"

#include <cmath>

namespace sg {

namespace {

// One point of the trace; the batch and the single trace share it, so that
// both give the same bits.
//  - Sag from the exact conic: z = s / (R + sqrt(R^2 - (1 + K) s)), s = r^2.
//  - Normal (pointing towards the centre of curvature) proportional to
//    (-u, -v, c) with c = sqrt(R^2 - (1 + K) s): the conic's slope is
//    r / c, so the normal's axial-per-radial ratio is -c / r, and a tilt t
//    added to that ratio makes c into c - t r.
//  - The ray from the source to the mirror point, i = (u, v, z - q),
//    reflected: o = i - 2 (i.n / n.n) n.
//  - Its crossing with the plane z = p: the point + (p - z) / o_z o, when
//    the ray travels towards the plane and the plane lies ahead of it.
[[gnu::always_inline]] inline void tracePoint(double R, double onePlusK, double q, double p, double u, double v,
                                              double s, double r, double tilt, double& x, double& y, bool& hit) {
    const double square = R * R - onePlusK * s;
    const double root = std::sqrt(std::fmax(square, 0.0));
    const double sag = s / (R + root);
    const double c = root - tilt * r;
    const double toMirror = sag - q;
    const double bounce = 2 * (toMirror * c - s) / (s + c * c);
    const double oz = toMirror - bounce * c;
    const double scale = 1 + bounce;
    const double reach = (p - sag) / oz;
    x = -(u + reach * (u * scale));
    y = -(v + reach * (v * scale));
    // x - x is 0 exactly when x is finite.
    hit = (square >= 0) & (oz > 0) & (reach >= 0) & (x - x == 0) & (y - y == 0);
}

}  // namespace

ExactHit traceExact(const ExactMirror& mirror, double u, double v, double normalTilt, double sourceZ, double planeZ) {
    const double s = u * u + v * v;
    ExactHit h;
    tracePoint(mirror.radius, 1 + mirror.conic, sourceZ, planeZ, u, v, s, std::sqrt(s), normalTilt, h.x, h.y, h.hit);
    return h;
}

ExactDirection reflectExact(const ExactMirror& mirror, double u, double v, double normalTilt, double sourceZ) {
    const double R = mirror.radius, s = u * u + v * v, r = std::sqrt(s);
    const double square = R * R - (1 + mirror.conic) * s;
    ExactDirection d;
    if (!(square >= 0)) return d;
    const double root = std::sqrt(square);
    d.sag = s / (R + root);
    const double c = root - normalTilt * r;
    const double toMirror = d.sag - sourceZ;
    const double bounce = 2 * (toMirror * c - s) / (s + c * c);
    d.x = u * (1 + bounce);
    d.y = v * (1 + bounce);
    d.z = toMirror - bounce * c;
    d.valid = std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z);
    return d;
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define SG_VECTOR_CLONES [[gnu::target_clones("arch=x86-64-v3", "default")]]
#else
#define SG_VECTOR_CLONES
#endif

// Four lanes at a time where the CPU has AVX2, two elsewhere: the same
// operations in every lane, so the same bits.
SG_VECTOR_CLONES void traceExactBatch(
    const ExactMirror& mirror, double sourceZ, double planeZ, const double* __restrict u, const double* __restrict v,
    const double* __restrict sq, const double* __restrict r, const double* __restrict tilt, int n,
    double* __restrict x, double* __restrict y, bool* __restrict hit) {
    const double R = mirror.radius, onePlusK = 1 + mirror.conic;
    for (int k = 0; k < n; ++k) {
        double px, py;
        bool h;
        tracePoint(R, onePlusK, sourceZ, planeZ, u[k], v[k], sq[k], r[k], tilt[k], px, py, h);
        x[k] = px;
        y[k] = py;
        hit[k] = h;
    }
}

SG_VECTOR_CLONES void decideExactBatch(const BandRules& bands, double bandWidth, const double* __restrict x,
                                       const double* __restrict y, const bool* __restrict hit, int n,
                                       bool* __restrict lit) {
    const bool twoD = bands.orientation == kOrient2D;
    const double* __restrict along = bands.orientation == kOrientHorizontal ? y : x;
    const double shift = bands.test == kTestWire ? 3 * bands.transverse : bands.transverse;
    const bool even = bands.evenLines;
    constexpr double kRange = 9223372036854775808.0;  // of the band index's conversion
    // One loop per test, without branches, for the vectoriser.
    if (bands.test == kTestFoucault) {
        for (int k = 0; k < n; ++k) {
            const double z = along[k] / bandWidth + shift;
            lit[k] = hit[k] & (z == z) & ((z <= 0) != even);
        }
    } else if (bands.test == kTestWire) {
        for (int k = 0; k < n; ++k) {
            const double a1 = std::fabs(along[k] / bandWidth + shift) + 0.5, a2 = std::fabs(y[k] / bandWidth) + 0.5;
            const bool valid = hit[k] & (a1 < kRange) & (!twoD | (a2 < kRange));
            lit[k] = valid & (((a1 >= 2) | (twoD & (a2 >= 2))) != even);
        }
    } else {
        for (int k = 0; k < n; ++k) {
            const double a1 = std::fabs(along[k] / bandWidth + shift) + 0.5, a2 = std::fabs(y[k] / bandWidth) + 0.5;
            const bool valid = hit[k] & (a1 < kRange) & (!twoD | (a2 < kRange));
            // floor(a) is odd: floor(a) != 2 floor(a / 2), exact for 0.5 <= a < 2^63.
            const bool odd1 = std::floor(a1) != 2 * std::floor(a1 * 0.5);
            const bool odd2 = std::floor(a2) != 2 * std::floor(a2 * 0.5);
            lit[k] = valid & ((odd1 | (twoD & odd2)) != even);
        }
    }
}

}  // namespace sg
