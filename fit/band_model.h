// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The band pattern of the program's own ray models, evaluated where it is
// asked for instead of at random points: a band phase z whose integer
// crossings of z + 1/2 are the band edges, and whose even bands are bright.
//
// z = X / w + t, X the position in the grating's plane of the ray reflected
// at the mirror point (the series model's or the exact trace's, as the
// passes compute it), w = 1 / (2 lines per mm) the band width and t the
// transverse offset in bands. The Ronchi pass lights a point when
// int(|z| + 1/2) is even with "Odd" unchecked, which is this rule.
//
// Mirror coordinates: `across` runs across the bands (the grating's ruling
// direction), `along` along them, both mm from the mirror's centre. The
// mirror is round, so which frame axis is which only swaps the two.

#include "model/drawn_zone.h"
#include "simulator/exact_trace.h"
#include "model/editor_shape.h"
#include "photo/picture_frame.h"
#include "simulator/ray_pass.h"

namespace sg {

// How the fit models the picture: by rays alone (a picture the program's
// ray passes drew), or with the diffraction that shapes a photo's bands
// (rays first, then the wave picture's edges).
enum class FitModel { Rays, Waves };

// The tester's source across the lines: a point, a slit of a given width,
// or the grating itself lit from behind, which acts as a slit as wide as
// one of its bands (half its period).
enum class LightSource { Point, Slit, Grating };

// What the fit knows before the photo.
struct FitMirror {
    double diameter = 200;     // mm
    double radius = 2000;      // mm, vertex radius of curvature
    double linesPerMm = 4;     // the grating's ruling as entered
    double wavelength = 0.55;  // micrometres: zone heights are in waves of it, and the light's with FitModel::Waves
    bool sourceMoves = false;  // the tester's source travels with the grating
    bool exact = false;        // the exact ray trace instead of the two-term series
    FitModel model = FitModel::Rays;
    Spectrum spectrum = Spectrum::Mono;  // the light, with FitModel::Waves
    LightSource source = LightSource::Point;
    double slitWidth = 0;      // mm, for LightSource::Slit
};

// The source's width across the lines, mm: 0 for a point, half the
// grating's period for the grating lit from behind.
double sourceWidth(const FitMirror& mirror);

// A zone the user places: none, a turned edge from `start` to the rim, or
// a central zone from the centre out to `start` (a fraction of the mirror's
// radius, 0 < start < 1). Its profile is the editor's spline through knots
// that follow (rho - start)^2 / (1 - start)^2 beyond the start (edge) or
// (1 - (rho / start)^2)^2 inside it (centre): height 1 at the rim or the
// centre, level where it joins the conic.
enum class ZoneKind { None, Edge, Centre };
struct ZoneShape {
    ZoneKind kind = ZoneKind::None;
    double start = 0.8;
};

// The knot heights of the zone's profile on the editor's 45 knots (knot 22
// the centre, 42 and 2 the rim), in editor pixels: -100 at the zone's peak,
// as a drawing that raises the glass by the zone height. All 0 for no zone.
std::array<double, kKnotCount> zoneKnots(const ZoneShape& zone);

// The fitted quantities.
struct BandParameters {
    double offset = 0;      // mm: the grating from the centre of curvature, positive farther from the mirror
    double conic = 0;       // conic constant
    double transverse = 0;  // bands
    double edgeShift = 0;   // frame pixels: the photo's edges lie this far toward their bright side
    double zoneHeight = 0;  // waves on the surface, positive raised
};

// The model for one set of parameters; cheap to make, safe to share
// between threads once made.
class BandPhase {
public:
    BandPhase(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p);

    // z at a mirror point, mm; NaN where the exact trace misses the plane.
    double atMirror(double across, double along) const;
    // z at a frame point (continuous frame pixels) for bands lying on `axis`.
    double atFrame(double x, double y, BandAxis axis) const;
    // Bright: the band of z (the nearest integer) is even.
    bool brightAtFrame(double x, double y, BandAxis axis) const;

    double bandWidth() const { return setup_.bandWidth; }  // mm in the grating's plane

private:
    Scene scene_;     // the fitted test on the pure conic
    RaySetup setup_;
    DrawnZone unitZone_;  // the zone's profile for a height of one wave
    double zoneHeight_ = 0;
    double transverse_ = 0;
    bool exact_ = false;
};

// The mirror coordinates (mm) of a frame point, for bands lying on `axis`.
struct MirrorPoint {
    double across = 0, along = 0;
};
MirrorPoint mirrorPoint(double x, double y, BandAxis axis, double diameter);

// The set-up that draws the fitted picture in the main window or with
// shadowgram-render: mirror, grating, tester, ray model, the axial and
// transverse position, the orientation of the bands and "Odd" unchecked,
// and for a zone the knots (into `shape`), zone height and wavelength with
// "Show distorted surface". Other fields are left as they are. The main
// window reads its set-up from its controls at every drawing, so it
// publishes this one to them and, for a zone, fits the editor's profile to
// the knots as "Retrieve Shape" does, before it draws.
void applyToSetup(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p, BandAxis axis,
                  Mirror& m, TestSetup& t, EditorShape& shape);

}  // namespace sg
