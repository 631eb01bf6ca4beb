// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/band_model.h"

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

// The fitted mirror and place, seen as a Ronchi test with the bands across
// the given axis; the other settings stay.
void setFittedTest(const FitMirror& mirror, const BandParameters& p, BandAxis axis, Mirror& m, TestSetup& t) {
    m.mirrorDiameter = mirror.diameter;
    m.radiusOfCurvature = mirror.radius;
    m.conicConstant = p.conic;
    t.linesPerMm = mirror.linesPerMm;
    t.position.axialOffset = p.offset;
    t.position.transverseOffset = p.transverse;
    t.source = mirror.sourceMoves ? SourceConvention::MovesWithDevice : SourceConvention::Fixed;
    t.rayModel = mirror.exact ? RayModel::Exact : RayModel::Series;
    t.test = TestKind::Ronchi;
    t.orientation = axis == BandAxis::Vertical ? Orientation::Vertical : Orientation::Horizontal;
    t.evenLines = true;
}

Scene baseScene(const FitMirror& mirror, const BandParameters& p) {
    Scene scene;
    scene.setup.wavelength = mirror.wavelength;
    setFittedTest(mirror, p, BandAxis::Vertical, scene.mirror, scene.setup);
    return scene;
}

}  // namespace

double sourceWidth(const FitMirror& mirror) {
    switch (mirror.source) {
    case LightSource::Slit: return mirror.slitWidth;
    case LightSource::Grating: return 1 / (2 * mirror.linesPerMm);
    case LightSource::Point: break;
    }
    return 0;
}

std::array<double, kKnotCount> zoneKnots(const ZoneShape& zone) {
    std::array<double, kKnotCount> knots{};
    for (int k = 0; k < kKnotCount; ++k) {
        const double rho = std::abs(k - kCentreKnot) / kKnotsToRim;
        knots[std::size_t(k)] = -kPeakPixels * zoneProfile(zone, rho);
    }
    return knots;
}

BandPhase::BandPhase(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p)
    : scene_(baseScene(mirror, p)), zoneHeight_(p.zoneHeight), transverse_(p.transverse), exact_(mirror.exact) {
    setup_ = makeRaySetup(scene_, 1);
    if (exact_ && zone.kind != ZoneKind::None) {
        // The profile for one wave: a drawing that raises the glass, at a
        // zone height of 1.
        Mirror unit = scene_.mirror;
        EditorShape shape;
        const auto knots = zoneKnots(zone);
        std::copy(knots.begin(), knots.end(), shape.knotHeight.begin());
        unit.zoneHeight = 1;
        unit.invertDeviation = false;
        unitZone_ = makeDrawnZone(unit, scene_.setup.wavelength, shape);
    }
}

double BandPhase::atMirror(double across, double along) const {
    if (!exact_) return planePosition(setup_, across, along).x / setup_.bandWidth + transverse_;
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
    const MirrorPoint p = mirrorPoint(x, y, axis, scene_.mirror.mirrorDiameter);
    return atMirror(p.across, p.along);
}

bool BandPhase::brightAtFrame(double x, double y, BandAxis axis) const {
    const double z = atFrame(x, y, axis);
    if (!std::isfinite(z)) return false;
    return std::fmod(std::fabs(std::floor(z + 0.5)), 2.0) == 0;
}

void applyToSetup(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p, BandAxis axis,
                  Mirror& m, TestSetup& t, EditorShape& shape) {
    setFittedTest(mirror, p, axis, m, t);
    m.deviation = zone.kind != ZoneKind::None ? SurfaceDeviation::Drawn : SurfaceDeviation::None;
    if (zone.kind != ZoneKind::None) {
        const auto knots = zoneKnots(zone);
        std::copy(knots.begin(), knots.end(), shape.knotHeight.begin());
        // A zone of exactly 0 reaches the set-up as 1E-7, as the grid gives it.
        m.zoneHeight = p.zoneHeight == 0 ? 1e-7 : p.zoneHeight;
        m.invertDeviation = m.zoneHeight < 0;
        t.wavelength = mirror.wavelength;
    }
}

}  // namespace sg
