// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/drawn_zone.h"

#include "model/clamped_spline.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

constexpr int kCentreKnot = 22;
constexpr int kEdgeKnot = 42;
constexpr int kLastInterval = 43;  // between knots 43 and 44, beyond the rim

}  // namespace

DrawnZone makeDrawnZone(const Mirror& mirror, double wavelength, const EditorShape& shape) {
    DrawnZone zone;
    const double z = mirror.zoneHeight;
    const double aperture = mirror.mirrorDiameter / 2;
    // A zone height of 0 reaches the model as 1E-7.
    if (!(std::fabs(z) > 1e-7) || !(aperture > 0) || !std::isfinite(aperture)) return zone;
    const auto mirrorKnots = std::minmax_element(shape.knotHeight.begin() + 2, shape.knotHeight.begin() + kEdgeKnot + 1);
    const double pv = *mirrorKnots.second - *mirrorKnots.first;
    if (!(pv > 0) || !std::isfinite(pv)) return zone;

    SplineArray x{}, y{}, none{};
    for (int k = 1; k < kKnotCount; ++k) {
        x[k] = shape.knotX[k];
        y[k] = shape.knotHeight[k];
    }
    SplineCoefficients s;
    if (fitClampedSpline(kKnotCount - 1, x, y, 0, 0, 0, none, none, s) != kSplineFitted) return zone;
    for (int j = kCentreKnot; j <= kLastInterval; ++j) {
        zone.a[j] = s.a[j];
        zone.b[j] = s.b[j];
        zone.c[j] = s.c[j];
        zone.e[j] = s.d[j];
    }
    // Pixels below the zero line are a hollow: the sign of the analysis's
    // -knotHeight, turned over with the deviation.
    const double sign = mirror.invertDeviation ? 1.0 : -1.0;
    zone.mmPerPixel = sign * std::fabs(z) * wavelength / 1000 / pv;
    zone.knotsPerMm = (kEdgeKnot - kCentreKnot) / aperture;
    zone.flat = !std::isfinite(zone.mmPerPixel) || zone.mmPerPixel == 0;
    return zone;
}

DrawnZone measuredZone(const MeasuredSurface& surface) {
    DrawnZone zone;
    zone.measured = surface;
    zone.flat = surface.empty();
    return zone;
}

namespace {

// The sag of the conic (R, K) at r and its slope.
ZonePoint conicSag(double radius, double conic, double r) {
    const double q = std::sqrt(radius * radius - (1 + conic) * r * r);
    return {r * r / (radius + q), r / q};
}

ZonePoint measuredAt(const MeasuredSurface& m, double r) {
    const double u = r * r;
    // The last piece that starts at or before u.
    const auto it = std::upper_bound(m.start.begin() + 1, m.start.end(), u);
    const std::size_t j = static_cast<std::size_t>(it - m.start.begin()) - 1;
    const double t = u - m.start[j];
    ZonePoint p{m.c0[j] + t * (m.c1[j] + t * m.c2[j]), 2 * r * (m.c1[j] + 2 * t * m.c2[j])};
    if (m.fromRadius != m.toRadius) {
        const ZonePoint from = conicSag(m.fromRadius, m.conic, r), to = conicSag(m.toRadius, m.conic, r);
        p.sag += from.sag - to.sag;
        p.slope += from.slope - to.slope;
    }
    return p;
}

}  // namespace

ZonePoint zoneAt(const DrawnZone& zone, double r) {
    if (zone.flat) return {};
    if (!zone.measured.empty()) return measuredAt(zone.measured, r);
    const double x = kCentreKnot + r * zone.knotsPerMm;
    // The interval whose left knot lies strictly below x, as the editor
    // evaluates its curve; the centre itself on the first interval out.
    const int j = static_cast<int>(std::clamp(std::ceil(x) - 1, double{kCentreKnot}, double{kLastInterval}));
    const double w = x - j;
    const std::size_t i = static_cast<std::size_t>(j);
    const double value = zone.a[i] + w * (zone.b[i] + w * (zone.c[i] + w * zone.e[i]));
    const double perKnot = zone.b[i] + w * (2 * zone.c[i] + w * 3 * zone.e[i]);
    return {zone.mmPerPixel * value, zone.mmPerPixel * perKnot * zone.knotsPerMm};
}

}  // namespace sg
