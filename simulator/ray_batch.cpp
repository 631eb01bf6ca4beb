#include "ray_batch.h"

#include "conic.h"
#include "failure.h"

#include <cmath>
#include <cstring>

namespace sg {

void throwRayFault(RayFault f) {
    if (f == RayFault::DivisionByZero) throwDivisionByZero();
    throwInvalidOperation();
}

namespace {

// a / b, keeping the first fault: a finite non-zero numerator over zero is a
// division by zero; 0/0, inf/inf and NaN operands are invalid.
[[gnu::always_inline]] inline double tdiv(double a, double b, RayFault& fault) {
    const double q = a / b;
    if (b == 0.0 || q != q) [[unlikely]] {
        if (fault == RayFault::None)
            fault = (b == 0.0 && a == a && a != 0.0) ? RayFault::DivisionByZero : RayFault::Invalid;
    }
    return q;
}

// int(|z| + 0.5) with the range rule of the integer conversion.
[[gnu::always_inline]] inline std::int64_t tband(double z, RayFault& fault) {
    const double a = std::fabs(z) + 0.5;
    if (!(a < 9223372036854775808.0)) [[unlikely]] {
        if (fault == RayFault::None) fault = RayFault::Invalid;
        return 0;
    }
    return static_cast<std::int64_t>(a);
}

// The band decision from the plane position in band widths: zAlong = P / w
// and zY = Y / w. Leaves faults of the conversion in `f`.
[[gnu::always_inline]] inline bool decideFromPlane(const RaySetup& s, bool centres, double zAlong, double zY,
                                                   RayFault& f) {
    const double t = s.transverse;
    const bool twoD = s.orientation == kOrient2D;
    bool dark;  // b of the decision
    if (s.test == kTestFoucault) {
        if (centres) return false;
        const double z = zAlong + t;
        if (z != z && f == RayFault::None) f = RayFault::Invalid;
        dark = z <= 0;
    } else if (s.test == kTestWire) {
        std::int64_t h = tband(zAlong + (centres ? 120 : 3) * t, f);
        if (twoD && h < 2) h = tband(zY, f);
        dark = h >= 2;
    } else {
        const int period = centres ? 40 : 2;
        std::int64_t h = tband(zAlong + (centres ? 40 : 1) * t, f);
        if (twoD && h % period == 0) h = tband(zY, f);
        dark = h % period != 0;
    }
    return centres ? !dark : dark != s.evenLines;
}

// The pure conic without fault bookkeeping: plain arithmetic that the
// compiler can vectorise (each lane gives the bits of the scalar operation).
// Returns false when any point of the batch may have faulted; the caller
// then decides the batch again with the bookkeeping.
bool decidePureFast(const RaySetup& s, bool centres, RayBatch& b) {
    const ConicTerms& c = s.conic;
    if (c.radius == 0 || c.twoR == 0 || c.eightR3 == 0 || s.bandWidthFault) return false;
    const int n = b.count;
    const double w = s.bandWidth;
    const bool needY = s.orientation != kOrientVertical;
    const double* __restrict u = b.u;
    const double* __restrict v = b.v;
    const double* __restrict r = b.r;
    const double* __restrict sq = b.sq;
    double slope[kRayBatch], intercept[kRayBatch], d[kRayBatch], x[kRayBatch], y[kRayBatch];
    double zAlong[kRayBatch], zY[kRayBatch];
    for (int k = 0; k < n; ++k) {
        slope[k] = r[k] / c.radius + c.fourOnePlusK * r[k] * r[k] * r[k] / c.eightR3;
        const double t = -1.0 / slope[k];
        const double sag = sq[k] / c.twoR + c.onePlusK * sq[k] * sq[k] / c.eightR3;
        intercept[k] = sag - t * r[k];
        d[k] = s.radius - intercept[k] + s.axialOffset;
    }
    for (int k = 0; k < n; ++k) x[k] = d[k] * u[k] / intercept[k];
    if (needY)
        for (int k = 0; k < n; ++k) y[k] = d[k] * v[k] / intercept[k];
    const double* along = s.orientation == kOrientHorizontal ? y : x;
    for (int k = 0; k < n; ++k) zAlong[k] = along[k] / w;
    if (needY)
        for (int k = 0; k < n; ++k) zY[k] = y[k] / w;
    // A fault shows as a zero divisor, or as a NaN that runs on to the end.
    for (int k = 0; k < n; ++k) {
        const bool ok = slope[k] != 0 && intercept[k] != 0 && x[k] == x[k] && zAlong[k] == zAlong[k] &&
                        (!needY || zY[k] == zY[k]) && r[k] != 0;
        if (!ok) return false;
    }
    for (int k = 0; k < n; ++k) {
        b.fault[k] = RayFault::None;
        b.lit[k] = decideFromPlane(s, centres, zAlong[k], needY ? zY[k] : 0, b.fault[k]);
    }
    return true;
}

}  // namespace

void decideBatch(const MirrorModel& m, const RaySetup& s, bool centres, RayBatch& b) {
    if (!s.distorted && decidePureFast(s, centres, b)) return;
    const int n = b.count;
    double intercept[kRayBatch], x[kRayBatch], y[kRayBatch];
    std::memset(b.fault, 0, sizeof(RayFault) * static_cast<std::size_t>(n));

    // The normal's intercept on the axis (the paraxial limit, R, at the centre).
    if (!s.distorted) {
        const ConicTerms& c = s.conic;
        double slope[kRayBatch];
        for (int k = 0; k < n; ++k)
            slope[k] = tdiv(b.r[k], c.radius, b.fault[k]) +
                       tdiv(c.fourOnePlusK * b.r[k] * b.r[k] * b.r[k], c.eightR3, b.fault[k]);
        for (int k = 0; k < n; ++k) {
            const double t = tdiv(-1.0, slope[k], b.fault[k]);
            const double sag = tdiv(b.sq[k], c.twoR, b.fault[k]) +
                               tdiv(c.onePlusK * b.sq[k] * b.sq[k], c.eightR3, b.fault[k]);
            intercept[k] = sag - t * b.r[k];
        }
    } else {
        for (int k = 0; k < n; ++k) {
            if (b.r[k] == 0) continue;
            try {
                intercept[k] = distortedInterceptFromRadius(m, s.conic, b.u[k], b.v[k], b.r[k]);
            } catch (const ActionError& e) {
                b.fault[k] = std::strcmp(e.what(), kDivisionByZeroMessage) == 0 ? RayFault::DivisionByZero
                                                                                 : RayFault::Invalid;
                intercept[k] = 1;
            }
        }
    }
    for (int k = 0; k < n; ++k)
        if (b.r[k] == 0) {
            intercept[k] = s.radius;
            b.fault[k] = RayFault::None;
        }

    // The plane position; Y only where the orientation reads it.
    const bool needY = s.orientation != kOrientVertical;
    for (int k = 0; k < n; ++k) {
        const double d = s.radius - intercept[k] + s.axialOffset;
        x[k] = tdiv(d * b.u[k], intercept[k], b.fault[k]);
        y[k] = needY ? tdiv(d * b.v[k], intercept[k], b.fault[k]) : 0;
    }

    const double w = s.bandWidth;
    const bool horizontal = s.orientation == kOrientHorizontal;
    const bool twoD = s.orientation == kOrient2D;
    for (int k = 0; k < n; ++k) {
        RayFault& f = b.fault[k];
        const double along = horizontal ? y[k] : x[k];
        if (s.test == kTestFoucault && centres) {
            b.lit[k] = false;
            continue;
        }
        const double zAlong = tdiv(along, w, f);
        // Y / w is divided only where the decision reads it, as in the
        // point-by-point decision.
        double zY = 0;
        if (twoD && s.test != kTestFoucault) {
            RayFault probe = RayFault::None;
            const double bandT = s.test == kTestWire ? (centres ? 120 : 3) * s.transverse
                                                     : (centres ? 40 : 1) * s.transverse;
            const std::int64_t h = tband(zAlong + bandT, probe);
            const bool reads = s.test == kTestWire ? h < 2 : h % (centres ? 40 : 2) == 0;
            if (reads && probe == RayFault::None) zY = tdiv(y[k], w, f);
        }
        b.lit[k] = decideFromPlane(s, centres, zAlong, zY, f);
    }
}

}  // namespace sg
