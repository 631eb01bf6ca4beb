// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/simulator_zone.h"

#include "model/clamped_spline.h"
#include "model/drawn_zone.h"
#include "model/number_text.h"
#include "reduction/exact_null.h"
#include "reduction/wavefront.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

constexpr int kCentreKnot = 22;
constexpr int kRimKnot = 42;
constexpr int kKnotsToRim = kRimKnot - kCentreKnot;
constexpr double kLargestKnotPixels = 80;

// 0 for a value too small to be a normal double.
double normalOrZero(double v) { return std::fpclassify(v) == FP_SUBNORMAL ? 0.0 : v; }

Wavefront wavefrontOf(const ReductionResult& r) {
    std::vector<double> u, delta;
    for (const ZoneResult& z : r.zones) {
        u.push_back(z.h * z.h);
        delta.push_back(z.departure / r.kappa);
    }
    const double a = r.diameter / 2, ho = r.obstruction / 2;
    return Wavefront(u, delta, r.radius, ho * ho, a * a);
}

}  // namespace

SimulatorZone simulatorZoneFor(const ReductionResult& r) {
    SimulatorZone out;
    out.wavelength = r.wavelength;
    out.diameter = r.diameter;
    out.radius = r.radius;
    out.referenceRadius = r.referenceRadius;
    out.conic = normalOrZero(r.wantedConic);
    out.movingSource = r.source == SourceKind::Moving;

    const Wavefront w = wavefrontOf(r);
    // The surface at full resolution: half the wavefront less its mean.
    const Wavefront::Pieces pieces = w.pieces();
    out.measured.start = pieces.start;
    for (std::size_t j = 0; j < pieces.start.size(); ++j) {
        out.measured.c0.push_back((pieces.c0[j] - w.mean()) / 2);
        out.measured.c1.push_back(pieces.c1[j] / 2);
        out.measured.c2.push_back(pieces.c2[j] / 2);
    }
    out.measured.fromRadius = r.referenceRadius;
    out.measured.toRadius = r.radius;
    out.measured.conic = out.conic;
    const double a = r.diameter / 2;
    const double mm = a / kKnotsToRim;  // radius per knot
    // s in mm at knots 22..42, mirrored onto 2..22.
    std::array<double, kKnotCount> s{};
    for (int k = kCentreKnot; k <= kRimKnot; ++k) {
        const double radius = (k - kCentreKnot) * mm;
        s[static_cast<std::size_t>(k)] = (w.at(radius * radius) - w.mean()) / 2;
        s[static_cast<std::size_t>(2 * kCentreKnot - k)] = s[static_cast<std::size_t>(k)];
    }
    // The surface's slope at the rim in mm per knot: ds/dh = h W'(h^2) =
    // -h delta(h^2) / R^2.
    const double rimSlope = -a * w.deltaAt(a * a) / (r.radius * r.radius) * mm;
    // The spline through the mirror's knots 2..42 with that slope at both
    // rims (mirrored), for its slope at knot 41.
    SplineArray x{}, y{}, none{};
    const int mirrorKnots = kRimKnot - 2 + 1;
    for (int j = 1; j <= mirrorKnots; ++j) {
        x[static_cast<std::size_t>(j)] = j + 1;
        y[static_cast<std::size_t>(j)] = s[static_cast<std::size_t>(j + 1)];
    }
    SplineCoefficients c;
    SplineArray values{};
    double slope41 = 0;
    if (fitClampedSpline(mirrorKnots, x, y, -rimSlope, rimSlope, 0, none, values, c) == kSplineFitted)
        slope41 = c.b[static_cast<std::size_t>(mirrorKnots - 1)];
    // With slopes 0 at knots 43 and 44 (and 1 on the other side), the
    // spline's equations m[j-1] + 4 m[j] + m[j+1] = 3 (y[j+1] - y[j-1]) at
    // knots 42 and 43 (and 2) give these heights; then the spline through
    // 1..44 keeps the slopes of the mirror's spline at every knot 2..42.
    s[43] = s[41] + (slope41 + 4 * rimSlope) / 3;
    s[44] = s[42] + rimSlope / 3;
    s[1] = s[43];
    s[0] = s[44];

    double largest = 0;
    for (const double v : s) largest = std::max(largest, std::fabs(v));
    const auto [low, high] = std::minmax_element(s.begin() + 2, s.begin() + kRimKnot + 1);
    out.zoneHeight = normalOrZero((*high - *low) / (r.wavelength / 1000));
    if (largest > 0 && std::isfinite(largest))
        for (std::size_t k = 0; k < s.size(); ++k)
            out.knotHeight[k] = normalOrZero(-s[k] * (kLargestKnotPixels / largest));
    return out;
}

std::string simulatorGridProblem(const SimulatorZone& zone) {
    struct Cell {
        const char* name;
        double value;
        bool positive;
    };
    const Cell cells[] = {{"diameter", zone.diameter, true},
                          {"radius", zone.radius, true},
                          {"conic", zone.conic, false},
                          {"zone height", zone.zoneHeight, false},
                          {"wavelength", zone.wavelength, true}};
    for (const Cell& c : cells) {
        double back = 0;
        const bool readsBack = tryParseCellFloat(formatGeneral(c.value), kDecimalSeparator, back);
        const bool fits = c.positive ? std::isnormal(back) && back > 0 : back == 0 || std::isnormal(back);
        if (!std::isfinite(c.value) || !readsBack || !fits)
            return std::string("the simulator's ") + c.name + " cannot be " + boundedText(c.value, 6);
    }
    return std::string();
}

Mirror simulatorZoneMirror(const SimulatorZone& zone) {
    Mirror m;
    m.mirrorDiameter = zone.diameter;
    m.radiusOfCurvature = zone.radius;
    m.conicConstant = zone.conic;
    m.deviation = zone.measured.empty() ? SurfaceDeviation::Drawn : SurfaceDeviation::Measured;
    m.zoneHeight = zone.zoneHeight;
    m.invertDeviation = false;
    return m;
}

void applySimulatorZone(const SimulatorZone& zone, EditorShape& shape) {
    for (int k = 0; k < kKnotCount; ++k) {
        shape.knotX[static_cast<std::size_t>(k)] = k;
        shape.knotHeight[static_cast<std::size_t>(k)] = zone.knotHeight[static_cast<std::size_t>(k)];
    }
}

std::vector<double> roundTripReadings(const ReductionResult& r, const SimulatorZone& zone) {
    const DrawnZone drawn = measuredZone(zone.measured);
    const Tester tester{r.source, r.sourceDistance};
    const double R = zone.radius, onePlusK = 1 + zone.conic;
    std::vector<double> readings;
    for (const ZoneResult& z : r.zones) {
        const double h = z.h;
        const ZonePoint d = zoneAt(drawn, h);
        const double q = std::sqrt(R * R - onePlusK * h * h);
        double null = surfaceNull(h, h * h / (R + q) + d.sag, h / q + d.slope, tester);
        // Classical nulls: the reading that the reduction's departure was
        // taken from is the conic's classical null plus the departure.
        if (r.nulls == NullRule::Classical) {
            const double ref = zone.referenceRadius;
            null += conicNull(ref, zone.conic, h, {r.source, r.sourceDistance, NullRule::Classical}) -
                    conicNull(ref, zone.conic, h, tester);
        }
        readings.push_back(null - r.radius);
    }
    return readings;
}

}  // namespace sg
