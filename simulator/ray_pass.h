// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Monte Carlo shadowgram: points drawn at random on the mirror, each
// followed to the plane of the grating, knife or wire and painted in the ray
// colour when light passes there.

#include "simulator/band_decision.h"
#include "model/conic.h"
#include "model/drawn_zone.h"
#include "simulator/exact_trace.h"
#include "simulator/scene.h"
#include "simulator/simulator.h"

namespace sg {

// Where the ray reflected at (u, v) (mm on the mirror) crosses the plane
// that stands at radiusOfCurvature + axialOffset from the vertex, in mm.
struct PlanePoint {
    double x = 0, y = 0;
};

// The per-pass constants of the ray decision. `rulingFactor` is 1 for the
// normal pass and 40 for the centre-line pass.
struct RaySetup {
    double radius = 0;         // R, mm
    ConicTerms conic{};        // R with twice the conic constant, as the normal's intercept takes it
    // The plane position of the series model: X = (R - L + axialOffset) u /
    // (L - sourceShift), L the axis crossing of the reflected ray. With the
    // source fixed at the centre of curvature, axialOffset is the grating's
    // offset a and sourceShift 0; with the source moving with the grating,
    // 2 a and a (see makeRaySetup).
    double axialOffset = 0;    // mm
    double sourceShift = 0;    // mm
    double bandWidth = 0;      // w = 1 / (2 * ruling), mm
    bool bandWidthFault = false;  // ruling of 0: the first decision divides by zero
    bool distorted = false;
    // The exact trace instead of the series model: the conic constant as
    // it is, the axial positions of the source and of the plane.
    bool exact = false;
    double conicConstant = 0;
    double sourceZ = 0;        // mm from the vertex
    double planeZ = 0;         // mm from the vertex
    // The drawn zone at its true height (the exact trace on the distorted
    // surface; flat otherwise).
    DrawnZone zone{};
    // The source's width across the grating lines, knife edge or wire (mm;
    // 0 a point): a slit along the lines, a square pinhole for "2 D". Only
    // the exact trace has one.
    double slitWidth = 0;
    BandRules bands{};         // test, orientation, transverse offset, parity
    // The drawn zone's smoothed slope, for the series model on the
    // distorted surface.
    SeriesDeviation deviation{};
    Orientation orientation() const { return bands.orientation; }
};

// The set-up of a pass over the scene. On the distorted surface it points
// into the scene's profiles, so the scene must outlive it there.
RaySetup makeRaySetup(const Scene& scene, double rulingFactor);

// The plane position of the ray from (u, v). The centre of the mirror
// (u = v = 0), where the normal's intercept is undefined, takes the
// paraxial limit of the intercept, R, so its ray crosses the axis at the
// centre of curvature and lands at X = Y = 0 like its neighbours.
PlanePoint planePosition(const RaySetup& s, double u, double v);

// True when the point (u, v) is lit in the normal pass.
bool normalRayLit(const RaySetup& s, double u, double v);

// The same with the exact trace (for a set-up made with exactTrace), from a
// point of the source (the point source by default): a ray that misses, or
// whose band index leaves the range of the conversion, is dark, never a
// fault.
bool exactRayLit(const RaySetup& s, double u, double v, const ExactSource& source);
inline bool exactRayLit(const RaySetup& s, double u, double v) {
    return exactRayLit(s, u, v, ExactSource{0, 0, s.sourceZ});
}

// The point of the source a ray leaves from: the point source on the axis,
// or a point drawn uniformly across the slit (both ways for "2 D") from the
// slit's own generator, which nothing else draws from.
ExactSource sourcePoint(const RaySetup& s, RandomGenerator& slit);

// True when the point lies on the centre line of a band (within 1/80 of a
// band) or of the wire's shadow. The knife edge has no centre line: Foucault
// paints nothing in this pass.
bool centreRayLit(const RaySetup& s, double u, double v);

// One pass of rayCount points over the scene with the normal decision,
// then the grid pen colour and, when the scene's view shows it, the
// reference grid.
void shadowgramPass(Simulator& sim, const Scene& scene);

// The same with the centre-line decision.
void centresPass(Simulator& sim, const Scene& scene);

// The reference grid over the disk: lines 55 pixels apart and the circles
// of the zones at 0.2, 0.4, 0.6, 0.8 of the radius and the edge.
void drawReferenceGrid(Canvas& canvas);

// What follows every pass: the grid pen colour of the view's mode and,
// when the view shows it, the reference grid.
void finishPass(Canvas& canvas, const ViewOptions& view);

}  // namespace sg
