// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/ray_batch.h"

#include "model/conic.h"
#include "model/failure.h"

#include <cmath>
#include <cstring>

namespace sg {

namespace {

// The pure conic without fault bookkeeping: plain arithmetic that the
// compiler can vectorise (each lane gives the bits of the scalar operation).
// Returns false when any point of the batch may have faulted; the caller
// then decides the batch again with the bookkeeping.
bool decidePureFast(const RaySetup& s, bool centres, RayBatch& b) {
    const ConicTerms& c = s.conic;
    if (c.radius == 0 || c.twoR == 0 || c.eightR3 == 0 || s.bandWidthFault || s.bandWidth == 0) return false;
    const int n = b.count;
    const double w = s.bandWidth;
    const bool needY = s.orientation() != Orientation::Vertical;
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
    const double shift = s.sourceShift;
    for (int k = 0; k < n; ++k) x[k] = d[k] * u[k] / (intercept[k] - shift);
    if (needY)
        for (int k = 0; k < n; ++k) y[k] = d[k] * v[k] / (intercept[k] - shift);
    const double* along = s.orientation() == Orientation::Horizontal ? y : x;
    for (int k = 0; k < n; ++k) zAlong[k] = along[k] / w;
    if (needY)
        for (int k = 0; k < n; ++k) zY[k] = y[k] / w;
    // A fault shows as a zero divisor, or as a NaN that runs on to the end.
    for (int k = 0; k < n; ++k) {
        const bool ok = slope[k] != 0 && intercept[k] - shift != 0 && x[k] == x[k] && zAlong[k] == zAlong[k] &&
                        (!needY || zY[k] == zY[k]) && r[k] != 0;
        if (!ok) return false;
    }
    for (int k = 0; k < n; ++k) {
        b.fault[k] = RayFault::None;
        b.lit[k] = decideBands(s.bands, centres, zAlong[k], [&] { return zY[k]; }, b.fault[k]);
    }
    return true;
}

}  // namespace

void decideBatch(const RaySetup& s, bool centres, RayBatch& b) {
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
                intercept[k] = distortedInterceptFromRadius(s.deviation, s.conic, b.u[k], b.v[k], b.r[k]);
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
    const bool needY = s.orientation() != Orientation::Vertical;
    for (int k = 0; k < n; ++k) {
        const double d = s.radius - intercept[k] + s.axialOffset;
        const double crossing = intercept[k] - s.sourceShift;
        x[k] = tdiv(d * b.u[k], crossing, b.fault[k]);
        y[k] = needY ? tdiv(d * b.v[k], crossing, b.fault[k]) : 0;
    }

    const double w = s.bandWidth;
    const bool horizontal = s.orientation() == Orientation::Horizontal;
    for (int k = 0; k < n; ++k) {
        RayFault& f = b.fault[k];
        const double along = horizontal ? y[k] : x[k];
        // Y / w is divided only where the decision reads it.
        b.lit[k] = decideBands(s.bands, centres, tdiv(along, w, f), [&] { return tdiv(y[k], w, f); }, f);
    }
}

}  // namespace sg
