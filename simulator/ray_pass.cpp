// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/ray_pass.h"

#include "simulator/ray_batch.h"
#include "simulator/exact_trace.h"
#include "simulator/ray_block_avx2.h"

#include "model/conic.h"
#include "model/failure.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {
bool exactTraceLit(const RaySetup& s, bool centres, double u, double v, const ZonePoint& zone,
                   const ExactSource& source);
}  // namespace

RaySetup makeRaySetup(const Scene& scene, double rulingFactor) {
    const Mirror& m = scene.mirror;
    const TestSetup& t = scene.setup;
    const double axialOffset = t.position.axialOffset;
    RaySetup s;
    s.radius = m.radiusOfCurvature;
    s.conic = conicTerms(m.radiusOfCurvature, 2 * m.conicConstant);
    // The series model for a source on the axis at distance q from the
    // vertex and the plane of the grating at p = R + a. Reflection about the
    // normal of a zone whose normal meets the axis at N sends a ray from the
    // axis point N + e to N - e, to first order, so the reflected ray
    // crosses the axis at 2 N - q; and the conic constant doubled in the
    // series gives exactly that crossing for q = R: L = 2 N - R. The ray from
    // the mirror at height u to the axis at 2 N - q stands at
    // u (2 N - q - p) / (2 N - q) in the plane, which the program draws with
    // the opposite sign.
    //  - Source fixed at the centre of curvature, q = R: (R - L + a) u / L.
    //  - Source moving with the grating, q = p = R + a:
    //    2 N - 2 p = L - R - 2 a and 2 N - q = L - a, so
    //    (R - L + 2 a) u / (L - a): the picture of the fixed source at twice
    //    the offset, up to a in a denominator of about R.
    s.axialOffset = t.sourceMoves() ? 2 * axialOffset : axialOffset;
    s.sourceShift = t.sourceMoves() ? axialOffset : 0;
    s.exact = t.exact();
    s.conicConstant = m.conicConstant;
    s.planeZ = m.radiusOfCurvature + axialOffset;
    s.sourceZ = t.sourceMoves() ? s.planeZ : m.radiusOfCurvature;
    const double ruling = rulingFactor * workingLinesPerMm(t);
    s.bandWidthFault = 2 * ruling == 0;
    s.bandWidth = s.bandWidthFault ? 0 : 1 / (2 * ruling);
    s.distorted = m.distorted();
    s.bands.test = t.test;
    s.bands.orientation = t.orientation;
    s.bands.transverse = t.position.transverseOffset;
    s.bands.evenLines = brightCentreBand(t);
    if (s.distorted) s.deviation = SeriesDeviation{&scene.profiles.slopeDeviation, m.mirrorDiameter, t.orientation};
    if (s.exact) {
        if (s.distorted) s.zone = scene.zone;
        s.slitWidth = workingSlitWidth(t);
    }
    return s;
}

ExactSource sourcePoint(const RaySetup& s, RandomGenerator& slit) {
    ExactSource p{0, 0, s.sourceZ};
    if (!(s.slitWidth > 0)) return p;
    // Across the lines: x for vertical lines, y for horizontal ones.
    const Orientation orientation = s.orientation();
    if (orientation != Orientation::Horizontal) p.x = slit.coordinate(s.slitWidth);
    if (orientation != Orientation::Vertical) p.y = slit.coordinate(s.slitWidth);
    return p;
}

namespace {

// The plane position from a point with s = u^2 + v^2 and r = sqrt(s).
[[gnu::always_inline]] inline PlanePoint planeFrom(const RaySetup& s, double u, double v,
                                                   double sq, double r) {
    double intercept;
    if (r == 0)
        intercept = s.radius;  // the paraxial limit at the centre
    else
        intercept = s.distorted ? distortedInterceptFromRadius(s.deviation, s.conic, u, v, r)
                                : interceptFromRadius(s.conic, sq, r);
    // Distance from the ray's axis crossing to the plane of the grating.
    const double d = s.radius - intercept + s.axialOffset;
    const double crossing = intercept - s.sourceShift;
    return {fdiv(d * u, crossing), fdiv(d * v, crossing)};
}

}  // namespace

PlanePoint planePosition(const RaySetup& s, double u, double v) {
    const double sq = u * u + v * v;
    return planeFrom(s, u, v, sq, std::sqrt(sq));
}

namespace {

inline double bandWidthOf(const RaySetup& s) {
    if (s.bandWidthFault) [[unlikely]]
        throwDivisionByZero();
    return s.bandWidth;
}

template <bool Centres>
[[gnu::always_inline]] inline bool decidePoint(const RaySetup& s, double u, double v,
                                               double sq, double r) {
    if (Centres && s.bands.test == TestKind::Foucault) return false;
    const double w = bandWidthOf(s);
    const PlanePoint p = planeFrom(s, u, v, sq, r);
    const double along = s.orientation() == Orientation::Horizontal ? p.y : p.x;
    RayFault fault = RayFault::None;
    const bool lit = decideBands(s.bands, Centres, fdiv(along, w), [&] { return fdiv(p.y, w); }, fault);
    if (fault != RayFault::None) throwRayFault(fault);
    return lit;
}

}  // namespace

bool normalRayLit(const RaySetup& s, double u, double v) {
    const double sq = u * u + v * v;
    return decidePoint<false>(s, u, v, sq, std::sqrt(sq));
}

bool exactRayLit(const RaySetup& s, double u, double v, const ExactSource& source) {
    if (s.bandWidthFault) throwDivisionByZero();
    return exactTraceLit(s, false, u, v, zoneAt(s.zone, std::sqrt(u * u + v * v)), source);
}

bool centreRayLit(const RaySetup& s, double u, double v) {
    const double sq = u * u + v * v;
    return decidePoint<true>(s, u, v, sq, std::sqrt(sq));
}

namespace {

// One point with the exact trace, the zone's sag and slope at its radius,
// from a point of the source: a miss, or a band index beyond the
// conversion's range, is dark.
bool exactTraceLit(const RaySetup& s, bool centres, double u, double v, const ZonePoint& zone,
                   const ExactSource& source) {
    const ExactHit h = traceExact(ExactMirror{s.radius, s.conicConstant}, u, v, zone, source, s.planeZ);
    if (!h.hit) return false;
    RayFault fault = RayFault::None;
    const double across = h.y / s.bandWidth;
    const bool lit = decideBands(s.bands, centres, (s.orientation() == Orientation::Horizontal ? h.y : h.x) / s.bandWidth,
                                 [across] { return across; }, fault);
    return lit && fault == RayFault::None;
}

bool exactPointLit(const RaySetup& s, bool centres, double u, double v, double r, RandomGenerator& slit) {
    if (s.bandWidthFault) throwDivisionByZero();
    return exactTraceLit(s, centres, u, v, zoneAt(s.zone, r), sourcePoint(s, slit));
}

// The pass point by point, for a diameter of 0 or one that is not finite,
// where the coordinates themselves may fault.
template <bool Centres>
void runPassDirect(Simulator& sim, const Scene& scene, const RaySetup& setup) {
    const double diameter = scene.mirror.mirrorDiameter;
    const double aperture = diameter / 2;
    const Rgb colour = kPalette.rayColour;
    for (int i = 0; i < sim.rayCount; ++i) {
        const double u = sim.random.coordinate(diameter);
        const double v = sim.random.coordinate(diameter);
        const double sq = u * u + v * v;
        const double r = std::sqrt(sq);
        if (r > aperture) continue;  // outside the aperture
        if (setup.exact ? !exactPointLit(setup, Centres, u, v, r, sim.slitRandom)
                        : !decidePoint<Centres>(setup, u, v, sq, r))
            continue;
        const int x = truncToInt(2 * (fdiv(275 * u, diameter) + 205));
        const int y = truncToInt(fdiv(550 * v, diameter) + 300);
        sim.canvas.setPixel(x, y, colour);
    }
}

// Where the batched pass paints.
struct PassContext {
    const DrawTables& tables;
    double aperture;
    BlockTarget target;
};

// The next `count` points in one batch: first the draws and the aperture
// test, which keeps the points inside without a branch, then the decisions
// of the whole batch, then the pixels in order. Pixels, faults and the
// generator's state come out as in the direct pass.
void portableBlock(Simulator& sim, const RaySetup& setup, bool centres, int count, const PassContext& ctx) {
    const DrawTables& tables = ctx.tables;
    RandomGenerator& random = sim.random;
    QRgb sink = 0;
    RayBatch batch;
    int drawU[kRayBatch], drawV[kRayBatch];
    std::uint32_t seedAfter[kRayBatch];
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const int du = random.next();
        const int dv = random.next();
        const double u = tables.coordinate(du), v = tables.coordinate(dv);
        const double sq = u * u + v * v;
        const double r = std::sqrt(sq);
        batch.u[n] = u;
        batch.v[n] = v;
        batch.sq[n] = sq;
        batch.r[n] = r;
        drawU[n] = du;
        drawV[n] = dv;
        seedAfter[n] = random.seed();
        n += r > ctx.aperture ? 0 : 1;
    }
    if (n == 0) return;
    if (setup.bandWidthFault) {  // the band width itself divides by zero
        random.restore(seedAfter[0]);
        throwDivisionByZero();
    }
    batch.count = n;
    decideBatch(setup, centres, batch);
    const BlockTarget& t = ctx.target;
    for (int k = 0; k < n; ++k) {
        const bool lit = batch.lit[k];
        const int x = tables.pixelX(drawU[k]), y = tables.pixelY(drawV[k]);
        const bool pixelFault = (x == DrawTables::kFault || y == DrawTables::kFault) && lit;
        if ((batch.fault[k] != RayFault::None || pixelFault)) [[unlikely]] {
            random.restore(seedAfter[k]);
            throwRayFault(batch.fault[k] != RayFault::None ? batch.fault[k] : RayFault::Invalid);
        }
        const bool onImage = static_cast<unsigned>(x) < t.width && static_cast<unsigned>(y) < t.height;
        QRgb* target = lit && onImage ? t.pixels + y * t.stride + x : &sink;
        *target = t.colour;
    }
}

// The next `count` points with the exact trace. A ray that misses is dark,
// and so is one whose band index leaves the range of the conversion: the
// exact model never faults on a ray.
void exactBlock(Simulator& sim, const RaySetup& setup, bool centres, int count, const PassContext& ctx, bool lanes) {
    const DrawTables& tables = ctx.tables;
    RandomGenerator& random = sim.random;
    double u[kRayBatch], v[kRayBatch], sq[kRayBatch], r[kRayBatch], zoneSag[kRayBatch], zoneSlope[kRayBatch];
    double sourceX[kRayBatch], sourceY[kRayBatch];
    int drawU[kRayBatch], drawV[kRayBatch];
    std::uint32_t seedAfter[kRayBatch];
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const int du = random.next();
        const int dv = random.next();
        u[n] = tables.coordinate(du);
        v[n] = tables.coordinate(dv);
        sq[n] = u[n] * u[n] + v[n] * v[n];
        r[n] = std::sqrt(sq[n]);
        drawU[n] = du;
        drawV[n] = dv;
        seedAfter[n] = random.seed();
        n += r[n] > ctx.aperture ? 0 : 1;
    }
    if (n == 0) return;
    if (setup.bandWidthFault) {  // the band width itself divides by zero
        random.restore(seedAfter[0]);
        throwDivisionByZero();
    }
    // Each point of the aperture takes its place on the slit in turn.
    const bool slit = setup.slitWidth > 0;
    for (int k = 0; k < n; ++k) {
        const ZonePoint z = zoneAt(setup.zone, r[k]);
        zoneSag[k] = z.sag;
        zoneSlope[k] = z.slope;
        const ExactSource source = sourcePoint(setup, sim.slitRandom);
        sourceX[k] = source.x;
        sourceY[k] = source.y;
    }
    bool lit[kRayBatch];
    if (lanes && !centres) {
        // Copies of the last point fill the last lanes.
        const int whole = (n + 3) / 4 * 4;
        for (int k = n; k < whole; ++k) {
            u[k] = u[n - 1], v[k] = v[n - 1], sq[k] = sq[n - 1], r[k] = r[n - 1];
            zoneSag[k] = zoneSag[n - 1], zoneSlope[k] = zoneSlope[n - 1];
            sourceX[k] = sourceX[n - 1], sourceY[k] = sourceY[n - 1];
        }
        decideExactLanes(setup, u, v, sq, r, zoneSag, zoneSlope, slit ? sourceX : nullptr, slit ? sourceY : nullptr,
                         whole, lit);
    } else {
        for (int k = 0; k < n; ++k)
            lit[k] = exactTraceLit(setup, centres, u[k], v[k], ZonePoint{zoneSag[k], zoneSlope[k]},
                                   ExactSource{sourceX[k], sourceY[k], setup.sourceZ});
    }
    const BlockTarget& t = ctx.target;
    for (int k = 0; k < n; ++k) {
        if (!lit[k]) continue;
        const int px = tables.pixelX(drawU[k]), py = tables.pixelY(drawV[k]);
        if (px == DrawTables::kFault || py == DrawTables::kFault) [[unlikely]] {
            random.restore(seedAfter[k]);
            throwInvalidOperation();
        }
        if (static_cast<unsigned>(px) < t.width && static_cast<unsigned>(py) < t.height)
            t.pixels[py * t.stride + px] = t.colour;
    }
}

// The pass in blocks of kRayBatch points; the normal pass over the pure
// conic takes full blocks in AVX2 lanes where it can.
void runPassBatched(Simulator& sim, double diameter, const RaySetup& setup, bool centres) {
    sim.drawTables.prepare(diameter);
    Canvas& canvas = sim.canvas;
    const PassContext ctx{sim.drawTables, diameter / 2,
                          BlockTarget{canvas.row(0), canvas.image().bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)),
                                      static_cast<unsigned>(canvas.width()), static_cast<unsigned>(canvas.height()),
                                      toQRgb(kPalette.rayColour)}};
    // The knife's centre-line pass paints nothing and keeps to the portable code.
    const bool avx2 = sim.vectorPass && cpuHasAvx2() && !sim.drawTables.hasPixelFault();
    const bool lanes = avx2 && blockSetupUsable(setup) && !(centres && setup.bands.test == TestKind::Foucault);
    const bool exactLanes = avx2 && !centres && exactBlockUsable(setup);
    cleanUpperRegisters();
    for (int done = 0; done < sim.rayCount; done += kRayBatch) {
        const int count = std::min(kRayBatch, sim.rayCount - done);
        if (setup.exact) {
            if (exactLanes && count == kRayBatch)
                decideExactBlockAvx2(setup, ctx.tables, ctx.aperture, ctx.target, sim.random);
            else
                exactBlock(sim, setup, centres, count, ctx, sim.vectorPass && cpuHasAvx2());
            continue;
        }
        if (lanes && count == kRayBatch &&
            decidePureBlockAvx2(setup, centres, ctx.tables, ctx.aperture, ctx.target, sim.random))
            continue;
        portableBlock(sim, setup, centres, count, ctx);
    }
}

template <bool Centres>
void runPass(Simulator& sim, const Scene& scene) {
    const RaySetup setup = makeRaySetup(scene, Centres ? 40 : 1);
    const double diameter = scene.mirror.mirrorDiameter;
    if (diameter != 0 && std::isfinite(diameter))
        runPassBatched(sim, diameter, setup, Centres);
    else
        runPassDirect<Centres>(sim, scene, setup);
    finishPass(sim.canvas, scene.view);
}

}  // namespace

void shadowgramPass(Simulator& sim, const Scene& scene) { runPass<false>(sim, scene); }
void centresPass(Simulator& sim, const Scene& scene) { runPass<true>(sim, scene); }

void finishPass(Canvas& canvas, const ViewOptions& view) {
    canvas.setPenColour(view.whiteMode ? kPalette.gridColourWhite : kPalette.gridColour);
    if (view.showGrid) drawReferenceGrid(canvas);
}

void drawReferenceGrid(Canvas& canvas) {
    for (int i = -5; i <= 5; ++i) {
        canvas.drawVLine(kDiskCentreX - 55 * i, 25, 695);
        canvas.drawHLine(kDiskCentreY + 55 * i, 135, 685);
    }
    for (int r : {275, 55, 110, 165, 220}) canvas.drawCircle(kDiskCentreX, kDiskCentreY, r);
}

}  // namespace sg
