// SPDX-License-Identifier: GPL-3.0-or-later
// The fit of the program's band model to photos: the band phase against
// the passes' own decision, the fit on degraded photos of known truth, its
// sigmas against the scatter over noise seeds, the side of the centre of
// curvature (one photo, two photos, the conic), the tester whose source
// moves, a turned edge, and a fit stopped from another thread.
#include "fit/band_model.h"
#include "simulator/canvas.h"
#include "model/model_controls.h"
#include "fit/photo_fit.h"
#include "simulator/picture.h"
#include "simulator/ray_pass.h"
#include "simulator/simulator.h"
#include "tests/support/synthetic_photo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace sg {
namespace {

using testing::Camera;
using testing::PhotoTruth;

PhotoTruth mirror(double diameter, double radius, double lines, double conic, double offset, double transverse = 0.2) {
    PhotoTruth t;
    t.mirror.diameter = diameter;
    t.mirror.radius = radius;
    t.mirror.linesPerMm = lines;
    t.parameters.conic = conic;
    t.parameters.offset = offset;
    t.parameters.transverse = transverse;
    return t;
}

Camera camera(double radius, double rotation, double blur, double gamma, int jpeg, std::uint32_t seed) {
    Camera c;
    c.radius = radius;
    c.width = int(2.5 * radius), c.height = int(2.3 * radius);
    c.cx = 1.27 * radius + 3.3, c.cy = 1.12 * radius - 2.6;
    c.rotationDeg = rotation, c.blur = blur, c.gamma = gamma, c.jpegQuality = jpeg;
    c.noise = 0.015, c.vignetting = 0.25, c.seed = seed;
    return c;
}

PhotoAlignment aligned(const PhotoTruth& t, const Camera& c) { return alignPhoto(makeSyntheticPhoto(t, c).view()); }

FitRequest requestFor(const PhotoTruth& t, Side side) {
    FitRequest r;
    r.mirror = t.mirror;
    r.side = side;
    return r;
}

Side sideOf(const PhotoTruth& t) { return t.parameters.offset < 0 ? Side::Inside : Side::Outside; }

bool brightBand(double z) { return std::fmod(std::fabs(std::round(z)), 2.0) == 0; }

// The phase's bright bands are the pass's lit points, for every ray model,
// both testers and a drawn zone at its true height: the fit and the
// picture cannot disagree about which band is which.
TEST(BandModel, PhaseParityIsThePassDecision) {
    struct Case {
        const char* name;
        bool exact, moving;
        ZoneShape zone;
        double zoneHeight;
    };
    const Case cases[] = {{"series", false, false, {}, 0},
                          {"series moving", false, true, {}, 0},
                          {"exact", true, false, {}, 0},
                          {"exact moving, turned edge", true, true, {ZoneKind::Edge, 0.75}, -0.4},
                          {"exact, central zone", true, false, {ZoneKind::Centre, 0.4}, 0.3}};
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (const Case& c : cases) {
        FitMirror fm{203.2, 1625, 3.9, 0.55, c.moving, c.exact};
        const BandParameters p{-7.5, -0.8, 0.35, 0, c.zoneHeight};
        Scene m;
        EditorShape shape;
        applyToSetup(fm, c.zone, p, BandAxis::Vertical, m.mirror, m.setup, shape);
        takeDrawnZone(m, shape);
        const RaySetup setup = makeRaySetup(m, 1);
        const BandPhase phase(fm, c.zone, p);
        int compared = 0;
        for (int k = 0; k < 4000; ++k) {
            const double u = 101.6 * unit(random), v = 101.6 * unit(random);
            if (u * u + v * v > 101.6 * 101.6) continue;
            const double z = phase.atMirror(u, v);
            if (std::fabs(z - std::floor(z) - 0.5) < 1e-6) continue;  // on an edge
            const bool lit = c.exact ? exactRayLit(setup, u, v) : normalRayLit(setup, u, v);
            ASSERT_EQ(brightBand(z), lit) << c.name << " at " << u << ", " << v << ": z = " << z;
            ++compared;
        }
        EXPECT_GT(compared, 3000) << c.name;
    }
}

// The picture the main window draws for the fitted model lies on the
// frame the fit works in: every point the pass paints falls in a bright
// band of the phase at that pixel, but for pixels a band edge crosses.
TEST(BandModel, TheProgramsPictureLiesOnTheFitsFrame) {
    Scene m;
    EditorShape shape;
    const FitMirror fm{150, 1500, 5, 0.55, false, false};
    const BandParameters p{6.5, -1, 0.4, 0, 0};
    applyToSetup(fm, {}, p, BandAxis::Horizontal, m.mirror, m.setup, shape);
    ASSERT_EQ(m.setup.orientation, Orientation::Horizontal);
    Canvas canvas(kPictureWidth, kPictureHeight);
    Simulator sim(canvas);
    clearDrawingArea(canvas);
    drawMirrorDisk(canvas);
    shadowgramPass(sim, m);
    const BandPhase phase(fm, {}, p);
    int lit = 0, misplaced = 0;
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            if (canvas.pixel(x, y) != kPalette.rayColour) continue;
            ++lit;
            // The pixel's corners: a pixel wholly in one band must be bright.
            const double z[4] = {phase.atFrame(x, y, BandAxis::Horizontal), phase.atFrame(x + 1, y, BandAxis::Horizontal),
                                 phase.atFrame(x, y + 1, BandAxis::Horizontal),
                                 phase.atFrame(x + 1, y + 1, BandAxis::Horizontal)};
            bool anyBright = false;
            for (double c : z) anyBright = anyBright || brightBand(c);
            if (!anyBright) ++misplaced;
        }
    EXPECT_GT(lit, 15000);
    EXPECT_EQ(misplaced, 0);
}

struct ConicCase {
    const char* name;
    PhotoTruth truth;
    Camera camera;
};

class ConicPhoto : public ::testing::TestWithParam<ConicCase> {};

// The side given: the conic within 0.03 and its uncertainty, the offset
// within a quarter millimetre, and edges that the model explains.
TEST_P(ConicPhoto, FitFindsTheConicAndTheOffset) {
    const ConicCase& c = GetParam();
    const PhotoAlignment a = aligned(c.truth, c.camera);
    const FitResult r = fitPhoto(a, requestFor(c.truth, sideOf(c.truth)));
    const double dK = r.conic.value - c.truth.parameters.conic;
    EXPECT_LT(std::fabs(dK), 0.03) << c.name;
    EXPECT_LT(std::fabs(dK), 3 * r.conic.sigma + 0.005) << c.name << ": sigma " << r.conic.sigma;
    EXPECT_NEAR(r.offset.value, c.truth.parameters.offset, 0.25) << c.name;
    EXPECT_GT(r.offset.sigma, 0) << c.name;
    EXPECT_EQ(r.side, sideOf(c.truth));
    EXPECT_EQ(r.sideFrom, SideFrom::Given);
    EXPECT_NEAR(r.correctionPercent, -100 * r.conic.value, 1e-9);
    EXPECT_GT(r.edgesUsed, 500) << c.name;
    EXPECT_GT(r.edgesUsed, 0.9 * r.edgesFound) << c.name;
    EXPECT_LT(r.edgeRmsPhoto, 1) << c.name;
    EXPECT_TRUE(r.warnings.empty()) << c.name << ": " << r.warnings.front().message;
}

INSTANTIATE_TEST_SUITE_P(
    Photos, ConicPhoto,
    ::testing::Values(
        ConicCase{"f4_paraboloid_inside", mirror(200, 1600, 4, -1, -3.1), camera(200, 4, 2, 0.7, 70, 1)},
        ConicCase{"f8_sphere_outside", mirror(150, 2400, 3, 0, 16), camera(400, 93, 3, 1.5, 55, 2)},
        ConicCase{"f6_hyperboloid_outside", mirror(250, 3000, 2.5, -1.4, 21), camera(150, -7, 1, 1.2, 90, 3)}),
    [](const ::testing::TestParamInfo<ConicCase>& i) { return std::string(i.param.name); });

// Dust and glints on the mirror: round specks, dark and bright in turn, at
// places of the disk that change with the seed. Their edges lie on no band
// boundary.
void addSpecks(testing::SyntheticPhoto& photo, const Camera& c, int specks, double radius, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(-1, 1);
    const int channels = photo.format == PixelFormat::Rgb8 ? 3 : 1;
    for (int k = 0; k < specks; ++k) {
        double x, y;
        do x = unit(random), y = unit(random);
        while (x * x + y * y > 0.8);
        x = c.cx + x * c.radius, y = c.cy + y * c.radius;
        const std::uint8_t level = k % 2 == 0 ? 10 : 200;
        for (int j = int(y - radius); j <= int(y + radius); ++j)
            for (int i = int(x - radius); i <= int(x + radius); ++i)
                if (std::hypot(i + 0.5 - x, j + 0.5 - y) < radius)
                    for (int ch = 0; ch < channels; ++ch)
                        photo.pixels[(std::size_t(j) * std::size_t(photo.width) + std::size_t(i)) * channels + ch] = level;
    }
}

// The conic and the offset over photos of one mirror that differ only in
// their noise (and their specks): the RMS of the sigmas the fit reports and
// the standard deviation of the values it finds.
struct Spread {
    double conicSigma = 0, conicScatter = 0, offsetSigma = 0, offsetScatter = 0;
};

Spread overNoiseSeeds(const PhotoTruth& t, int specks) {
    constexpr int kSeeds = 8;
    FitRequest request = requestFor(t, sideOf(t));
    // Noise cannot move the rim by the fraction of a pixel that a real
    // photo's rim is uncertain by: that share of the sigma is left out.
    request.rimShift = 0;
    std::vector<double> conics, offsets;
    Spread s;
    for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
        Camera c = camera(160, 4, 1.5, 1, 0, seed);
        c.noise = 0.12;
        testing::SyntheticPhoto photo = makeSyntheticPhoto(t, c);
        addSpecks(photo, c, specks, 4, 1000 + seed);
        const FitResult r = fitPhoto(alignPhoto(photo.view()), request);
        conics.push_back(r.conic.value);
        offsets.push_back(r.offset.value);
        s.conicSigma += r.conic.sigma * r.conic.sigma / kSeeds;
        s.offsetSigma += r.offset.sigma * r.offset.sigma / kSeeds;
    }
    auto deviation = [](const std::vector<double>& v) {
        double mean = 0, squares = 0;
        for (double x : v) mean += x / double(v.size());
        for (double x : v) squares += (x - mean) * (x - mean);
        return std::sqrt(squares / double(v.size() - 1));
    };
    s.conicSigma = std::sqrt(s.conicSigma);
    s.offsetSigma = std::sqrt(s.offsetSigma);
    s.conicScatter = deviation(conics);
    s.offsetScatter = deviation(offsets);
    return s;
}

// The sigmas the fit reports are the scatter of its results over noise
// seeds, within a factor of 3 either way, on clean photos and on photos
// with specks; and the robust cut keeps the specks' edges out, so that the
// fit stays within a factor of 3 of the sigmas of the clean photos.
TEST(Uncertainty, SigmaIsTheScatterOverNoiseSeedsAndSpecksStayOut) {
    const PhotoTruth t = mirror(200, 1600, 4, -1, -3.1);
    const Spread clean = overNoiseSeeds(t, 0), specked = overNoiseSeeds(t, 20);
    for (const auto& [name, s] : {std::pair{"clean", clean}, std::pair{"specked", specked}}) {
        const std::string conic = std::string(name) + ": conic sigma " + std::to_string(s.conicSigma) +
                                  ", scatter " + std::to_string(s.conicScatter);
        const std::string offset = std::string(name) + ": offset sigma " + std::to_string(s.offsetSigma) +
                                   ", scatter " + std::to_string(s.offsetScatter);
        EXPECT_GT(s.conicSigma, s.conicScatter / 3) << conic;
        EXPECT_LT(s.conicSigma, s.conicScatter * 3) << conic;
        EXPECT_GT(s.offsetSigma, s.offsetScatter / 3) << offset;
        EXPECT_LT(s.offsetSigma, s.offsetScatter * 3) << offset;
    }
    // Twenty specks cost the fit well under a factor of 3 in its sigmas
    // while they stay out; weighed in, several times more.
    EXPECT_LT(specked.conicSigma, 3 * clean.conicSigma);
    EXPECT_LT(specked.offsetSigma, 3 * clean.offsetSigma);
}

// (a, K) and (-a, -K) draw the same bands to a few hundredths of a band
// (the two differ only in terms a / R smaller): one photo fits either side,
// and the fit on each side is the other's turned over.
TEST(Side, OnePhotoFitsBothSidesTurnedOver) {
    const FitMirror fm{200, 2000, 4, 0.55, false, false};
    const BandPhase here(fm, {}, {8, -1, 0.3, 0, 0}), there(fm, {}, {-8, 1, -0.3, 0, 0});
    double worst = 0;
    for (double u = -99; u <= 99; u += 3)
        for (double v = -99; v <= 99; v += 3)
            if (u * u + v * v < 99 * 99) worst = std::max(worst, std::fabs(here.atMirror(u, v) + there.atMirror(u, v)));
    EXPECT_LT(worst, 0.03);

    const PhotoTruth t = mirror(200, 2000, 4, -1, 8);
    const PhotoAlignment a = aligned(t, camera(250, 2, 1.5, 1, 80, 4));
    const FitResult outside = fitPhoto(a, requestFor(t, Side::Outside));
    const FitResult inside = fitPhoto(a, requestFor(t, Side::Inside));
    EXPECT_NEAR(outside.conic.value, -1, 0.03);
    EXPECT_NEAR(inside.conic.value, -outside.conic.value, 0.02);
    EXPECT_NEAR(inside.offset.value, -outside.offset.value, 0.05);
    EXPECT_EQ(inside.side, Side::Inside);
    // An oblate ellipsoid on the side given is said, with the other side as
    // the likely place of the grating; the true side and the side left to
    // the conic say nothing of it.
    ASSERT_FALSE(inside.warnings.empty());
    EXPECT_EQ(inside.warnings.back().kind, FitWarningKind::PositiveConic);
    EXPECT_NE(inside.warnings.back().message.find("may have stood on the other side of the centre of curvature"),
              std::string::npos)
        << inside.warnings.back().message;
    const FitResult unknown = fitPhoto(a, requestFor(t, Side::Unknown));
    for (const FitResult* r : {&outside, &unknown})
        for (const FitWarning& w : r->warnings) EXPECT_NE(w.kind, FitWarningKind::PositiveConic) << w.message;
    // A second photo too near the first to decide (0.002 mm: 0.02 mm
    // already decides on these photos) leaves the side given, and the same
    // warning.
    PhotoTruth near = t;
    near.parameters.offset += 0.002;
    const FitResult pair = fitPhotoPair(a, aligned(near, camera(240, -2, 1.5, 1, 80, 12)), 0.002,
                                        requestFor(t, Side::Inside));
    EXPECT_EQ(pair.sideFrom, SideFrom::Given);
    ASSERT_FALSE(pair.warnings.empty());
    EXPECT_EQ(pair.warnings.back().kind, FitWarningKind::PositiveConic) << pair.warnings.back().message;
}

// Without the side: a mirror being parabolised lies at K <= 0, which
// decides for K <= -0.3; near the sphere the side is undecided and said so.
TEST(Side, TheConicDecidesAwayFromTheSphere) {
    struct Case {
        PhotoTruth truth;
        Side expected;
    };
    const Case cases[] = {{mirror(200, 1800, 4, -1, -4), Side::Inside},
                          {mirror(200, 1800, 4, -0.35, 9), Side::Outside},
                          {mirror(200, 1800, 4, -0.15, 9), Side::Unknown},
                          {mirror(200, 1800, 4, 0.1, -9), Side::Unknown}};
    for (const Case& c : cases) {
        const FitResult r = fitPhoto(aligned(c.truth, camera(220, -3, 1.5, 1, 75, 5)), requestFor(c.truth, Side::Unknown));
        EXPECT_EQ(r.side, c.expected) << "K " << c.truth.parameters.conic << " a " << c.truth.parameters.offset;
        if (c.expected == Side::Unknown) {
            EXPECT_EQ(r.sideFrom, SideFrom::Undecided);
            ASSERT_FALSE(r.warnings.empty());
            EXPECT_EQ(r.warnings.front().kind, FitWarningKind::SideUndecided);
            // The branch reported is the one with K <= 0.
            EXPECT_NEAR(r.conic.value, -std::fabs(c.truth.parameters.conic), 0.03);
        } else {
            EXPECT_EQ(r.sideFrom, SideFrom::Conic);
            EXPECT_NEAR(r.conic.value, c.truth.parameters.conic, 0.03);
            EXPECT_NEAR(r.offset.value, c.truth.parameters.offset, 0.25);
        }
    }
}

// A second photo a known distance along the axis decides the side, even
// for a near-sphere the conic cannot place; the pair in the wrong order
// would make a paraboloid an oblate ellipsoid, and is refused, while a
// near-sphere's swapped pair is refused only against the side given.
TEST(Side, ASecondPhotoDecidesAndTheWrongOrderIsRefused) {
    for (const double conic : {-0.1, -1.0}) {
        PhotoTruth first = mirror(180, 1600, 4, conic, -5), second = first;
        second.parameters.offset += 1.5;
        second.parameters.transverse = -0.4;
        const PhotoAlignment a = aligned(first, camera(210, 5, 1.5, 1.2, 80, 6));
        const PhotoAlignment b = aligned(second, camera(260, -85, 2, 0.8, 70, 7));
        const FitResult r = fitPhotoPair(a, b, 1.5, requestFor(first, Side::Unknown));
        EXPECT_EQ(r.side, Side::Inside) << conic;
        EXPECT_EQ(r.sideFrom, SideFrom::SecondPhoto) << conic;
        EXPECT_NEAR(r.conic.value, conic, 0.03);
        EXPECT_NEAR(r.offset.value, -5, 0.2);
        ASSERT_TRUE(r.secondParameters.has_value());
        EXPECT_NEAR(r.secondParameters->offset, -3.5, 0.2);
        if (conic == -1.0) {
            try {
                fitPhotoPair(b, a, 1.5, requestFor(first, Side::Unknown));
                ADD_FAILURE() << "the swapped pair was fitted";
            } catch (const PhotoError& e) {
                EXPECT_EQ(e.kind(), PhotoFailure::BadInput);
                EXPECT_NE(std::string(e.what()).find("order of the separation"), std::string::npos) << e.what();
            }
            // So is a pair whose side contradicts the side given.
            EXPECT_THROW(fitPhotoPair(a, b, 1.5, requestFor(first, Side::Outside)), PhotoError);
        } else {
            // Near the sphere the swapped pair is the right order on the
            // other side with the conic turned over: it cannot be refused
            // without the side, and is fitted there.
            const FitResult swapped = fitPhotoPair(b, a, 1.5, requestFor(first, Side::Unknown));
            EXPECT_EQ(swapped.side, Side::Outside);
            EXPECT_EQ(swapped.sideFrom, SideFrom::SecondPhoto);
            EXPECT_NEAR(swapped.conic.value, -conic, 0.03);
            // With the side given it contradicts it, and is refused.
            EXPECT_THROW(fitPhotoPair(b, a, 1.5, requestFor(first, Side::Inside)), PhotoError);
        }
    }
}

// A tester whose source moves with the grating sees the fixed source's
// bands at twice the offset: fitted as such it gives the grating's own
// offset; fitted as a fixed source, twice that. The conic is the same.
TEST(MovingSource, TheOffsetIsTheGratingsOwn) {
    PhotoTruth t = mirror(200, 2200, 4, -0.9, 5);
    t.mirror.sourceMoves = true;
    const PhotoAlignment a = aligned(t, camera(230, 8, 1.5, 1, 80, 8));
    FitRequest moving = requestFor(t, Side::Outside), fixed = moving;
    fixed.mirror.sourceMoves = false;
    const FitResult m = fitPhoto(a, moving), f = fitPhoto(a, fixed);
    EXPECT_NEAR(m.offset.value, 5, 0.1);
    EXPECT_NEAR(f.offset.value, 10, 0.2);
    EXPECT_NEAR(m.conic.value, -0.9, 0.03);
    EXPECT_NEAR(f.conic.value, m.conic.value, 0.01);
}

// A zone where the user places it (a turned edge from a radius, a central
// zone out to one): its height in waves on the surface, and the conic of
// the rest of the mirror.
TEST(Zone, AZoneWhereTheUserPlacesItIsMeasured) {
    const std::pair<ZoneShape, double> zones[] = {
        {{ZoneKind::Edge, 0.78}, -0.3}, {{ZoneKind::Edge, 0.78}, 0.15}, {{ZoneKind::Centre, 0.4}, 0.25}};
    for (const auto& [zone, height] : zones) {
        PhotoTruth t = mirror(200, 1800, 4, -0.95, 9);
        t.mirror.exact = true;
        t.zone = zone;
        t.parameters.zoneHeight = height;
        FitRequest r = requestFor(t, Side::Outside);
        r.mirror.exact = false;  // a zone is fitted with the exact trace regardless
        r.zone = zone;
        const FitResult f = fitPhoto(aligned(t, camera(240, -4, 2, 1.3, 75, 9)), r);
        ASSERT_TRUE(f.zoneHeight.has_value());
        EXPECT_TRUE(f.mirror.exact);
        EXPECT_NEAR(f.zoneHeight->value, height, 0.06) << int(zone.kind);
        EXPECT_GT(f.zoneHeight->sigma, 0);
        EXPECT_NEAR(f.conic.value, -0.95, 0.08) << int(zone.kind);
    }
}

bool warns(const FitResult& r, FitWarningKind kind) {
    return std::any_of(r.warnings.begin(), r.warnings.end(), [&](const FitWarning& w) { return w.kind == kind; });
}

// A pure conic fitted to a turned edge keeps to the conic within and
// leaves the rim's edges out: the result says the rim does not follow the
// conic and offers the turned edge's fit. Clean photos of conics, whose
// rim edges the blur and the JPEG thin out a little, say nothing.
TEST(Warnings, ARimTheConicLeavesOutOffersATurnedEdge) {
    // Turned edges of -0.3 and +0.2 waves, of the accuracy sweep's kind.
    for (const auto& [seed, height] : {std::pair{116u, -0.3}, {110u, 0.2}}) {
        PhotoTruth t = testing::randomTurnedEdge(seed);
        t.parameters.zoneHeight = height;
        FitRequest r = requestFor(t, sideOf(t));
        r.mirror.exact = false;
        const FitResult f = fitPhoto(alignPhoto(makeSyntheticPhoto(t, testing::randomCamera(seed)).view()), r);
        ASSERT_TRUE(warns(f, FitWarningKind::RimNotConic)) << seed << ": " << f.edgesUsed << " of " << f.edgesFound;
        for (const FitWarning& w : f.warnings)
            if (w.kind == FitWarningKind::RimNotConic) {
                EXPECT_NE(w.message.find("the rim does not follow the conic"), std::string::npos) << w.message;
                EXPECT_NE(w.message.find("--zone edge"), std::string::npos) << w.message;
            }
        // Fitted as the turned edge it is, the warning goes.
        if (seed == 116) {
            r.zone = t.zone;
            EXPECT_FALSE(warns(fitPhoto(alignPhoto(makeSyntheticPhoto(t, testing::randomCamera(seed)).view()), r),
                               FitWarningKind::RimNotConic));
        }
    }
    for (const std::uint32_t seed : {3u, 8u, 21u}) {
        const PhotoTruth t = testing::randomConic(seed);
        const FitResult f =
            fitPhoto(aligned(t, camera(230, seed % 2 ? 86 : -4, 2.5, 0.8, 60, seed)), requestFor(t, sideOf(t)));
        EXPECT_FALSE(warns(f, FitWarningKind::RimNotConic)) << seed;
        // Edges enough at the rim for the warning to have been possible.
        EXPECT_GE(std::count_if(f.edges.begin(), f.edges.end(), [](const FitEdge& e) { return e.rho > 0.85; }), 20)
            << seed;
    }
}

// The fit runs off the window's thread: it reports its stages in order,
// two fits at once give the same figures as one alone, and the window's
// thread can stop it.
TEST(FitControl, FitsRunOnOtherThreadsAndStopWhenAsked) {
    const PhotoTruth t = mirror(200, 2000, 4, -1, 7);
    const PhotoAlignment a = aligned(t, camera(200, 0, 1.5, 1, 0, 10));
    std::vector<FitStage> stages;
    FitControl watch;
    watch.progress = [&](FitStage s, double fraction) {
        EXPECT_GE(fraction, 0);
        EXPECT_LE(fraction, 1);
        if (stages.empty() || stages.back() != s) stages.push_back(s);
    };
    const FitResult alone = fitPhoto(a, requestFor(t, Side::Outside), watch);
    const std::vector<FitStage> expected = {FitStage::Edges, FitStage::Search, FitStage::Fit, FitStage::Uncertainty};
    EXPECT_EQ(stages, expected);

    auto run = [&] { return fitPhoto(a, requestFor(t, Side::Outside)); };
    auto first = std::async(std::launch::async, run), second = std::async(std::launch::async, run);
    for (const FitResult& r : {first.get(), second.get()}) {
        EXPECT_EQ(r.conic.value, alone.conic.value);
        EXPECT_EQ(r.offset.value, alone.offset.value);
        EXPECT_EQ(r.conic.sigma, alone.conic.sigma);
    }

    std::atomic<bool> cancel{false}, searching{false};
    FitControl stop;
    stop.cancel = &cancel;
    // The fit waits in its report until the flag is set, as a slow window
    // thread would leave it running.
    stop.progress = [&](FitStage s, double) {
        if (s != FitStage::Search) return;
        searching = true;
        while (!cancel) std::this_thread::yield();
    };
    auto stopped = std::async(std::launch::async, [&] { return fitPhoto(a, requestFor(t, Side::Outside), stop); });
    while (!searching) std::this_thread::yield();
    cancel = true;
    try {
        stopped.get();
        ADD_FAILURE() << "the fit ran to its end";
    } catch (const PhotoError& e) {
        EXPECT_EQ(e.kind(), PhotoFailure::Cancelled);
    }
}

}  // namespace
}  // namespace sg
