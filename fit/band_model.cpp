// SPDX-License-Identifier: GPL-3.0-or-later
#include "band_model.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

// The editor's knots: 22 at the centre, 20 knots to the rim, mirrored
// about the centre.
constexpr int kCentreKnot = 22;
constexpr double kKnotsToRim = 20;
constexpr double kPeakPixels = 100;  // editor pixels at the zone's peak

double zoneProfile(const ZoneShape& zone, double rho) {
    const double s = zone.start;
    switch (zone.kind) {
    case ZoneKind::Edge:
        if (rho <= s) return 0;
        return (rho - s) * (rho - s) / ((1 - s) * (1 - s));
    case ZoneKind::Centre: {
        if (rho >= s) return 0;
        const double q = 1 - (rho / s) * (rho / s);
        return q * q;
    }
    case ZoneKind::None: break;
    }
    return 0;
}

// The fitted mirror and place in a model, seen as a Ronchi test with the
// bands across the given axis; the model's other settings stay.
void setFittedTest(const FitMirror& mirror, const BandParameters& p, BandAxis axis, MirrorModel& m) {
    m.mirrorDiameter = mirror.diameter;
    m.radiusOfCurvature = mirror.radius;
    m.conicConstant = p.conic;
    m.linesPerMm = mirror.linesPerMm;
    m.axialOffsetSetting = p.offset;
    m.axialOffset = p.offset;
    m.transverseOffset = p.transverse;
    m.sourceMoves = mirror.sourceMoves;
    m.exactTrace = mirror.exact;
    m.testRonchi = true;
    m.testWire = m.testFoucault = false;
    m.orientVertical = axis == BandAxis::Vertical;
    m.orientHorizontal = axis == BandAxis::Horizontal;
    m.orient2D = false;
    m.evenLines = true;
}

MirrorModel baseModel(const FitMirror& mirror, const BandParameters& p) {
    MirrorModel m;
    setModelDefaults(m);
    m.wavelength = mirror.wavelength;
    setFittedTest(mirror, p, BandAxis::Vertical, m);
    return m;
}

}  // namespace

std::array<double, kKnotCount> zoneKnots(const ZoneShape& zone) {
    std::array<double, kKnotCount> knots{};
    for (int k = 0; k < kKnotCount; ++k) {
        const double rho = std::abs(k - kCentreKnot) / kKnotsToRim;
        knots[std::size_t(k)] = -kPeakPixels * zoneProfile(zone, rho);
    }
    return knots;
}

BandPhase::BandPhase(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p)
    : model_(baseModel(mirror, p)), zoneHeight_(p.zoneHeight), transverse_(p.transverse), exact_(mirror.exact) {
    setup_ = makeRaySetup(model_, 1);
    if (exact_ && zone.kind != ZoneKind::None) {
        // The profile for one wave: a drawing that raises the glass, at a
        // zone height of 1.
        MirrorModel unit = model_;
        const auto knots = zoneKnots(zone);
        std::copy(knots.begin(), knots.end(), unit.knotHeight.begin());
        unit.zoneHeight = 1;
        unit.invertDeviation = false;
        unitZone_ = makeDrawnZone(unit);
    }
}

double BandPhase::atMirror(double across, double along) const {
    if (!exact_) return planePosition(model_, setup_, across, along).x / setup_.bandWidth + transverse_;
    ZonePoint zone{};
    if (!unitZone_.flat && zoneHeight_ != 0) {
        const ZonePoint unit = zoneAt(unitZone_, std::sqrt(across * across + along * along));
        zone = {unit.sag * zoneHeight_, unit.slope * zoneHeight_};
    }
    const ExactHit h = traceExact(ExactMirror{setup_.radius, setup_.conicConstant}, across, along, zone,
                                  ExactSource{0, 0, setup_.sourceZ}, setup_.planeZ);
    if (!h.hit) return std::nan("");
    return h.x / setup_.bandWidth + transverse_;
}

MirrorPoint mirrorPoint(double x, double y, BandAxis axis, double diameter) {
    const double mmPerPixel = diameter / (2 * kDiskRadius);
    const double u = (x - kDiskCentreX) * mmPerPixel, v = (y - kDiskCentreY) * mmPerPixel;
    return axis == BandAxis::Vertical ? MirrorPoint{u, v} : MirrorPoint{v, u};
}

double BandPhase::atFrame(double x, double y, BandAxis axis) const {
    const MirrorPoint p = mirrorPoint(x, y, axis, model_.mirrorDiameter);
    return atMirror(p.across, p.along);
}

bool BandPhase::brightAtFrame(double x, double y, BandAxis axis) const {
    const double z = atFrame(x, y, axis);
    if (!std::isfinite(z)) return false;
    return std::fmod(std::fabs(std::floor(z + 0.5)), 2.0) == 0;
}

void applyToModel(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p, BandAxis axis,
                  MirrorModel& m) {
    setFittedTest(mirror, p, axis, m);
    m.useDistortedSurface = zone.kind != ZoneKind::None;
    if (zone.kind != ZoneKind::None) {
        const auto knots = zoneKnots(zone);
        std::copy(knots.begin(), knots.end(), m.knotHeight.begin());
        // A zone of exactly 0 reaches the model as 1E-7, as the grid gives it.
        m.zoneHeight = p.zoneHeight == 0 ? 1e-7 : p.zoneHeight;
        m.invertDeviation = m.zoneHeight < 0;
        m.wavelength = mirror.wavelength;
    }
}

}  // namespace sg
