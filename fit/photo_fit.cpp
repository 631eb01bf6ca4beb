// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/photo_fit.h"

#include "fit/coarse_search.h"
#include "fit/picture_match.h"
#include "fit/wave_edges.h"

#include <Eigen/Dense>
#include "model/failure.h"
#include "model/number_text.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <utility>

namespace sg {

namespace {

constexpr int kMinEdges = 24;            // fewer band edges than this: no bands
constexpr double kMinExplained = 0.04;   // the cosine explains at least this share of the disk's variance
constexpr double kZoneStep = 0.05;       // of the radius: the fit grows into a zone in these steps
constexpr double kWeakZoneShare = 0.6;   // a zone explains at least this share of its edges within 1 px
constexpr int kMinZoneEdges = 20;
constexpr double kLightFrom = 0.2, kLightTo = 2;  // micrometres: the wavelengths the wave picture takes
// The wave picture, matched to the photo, explains this share of its
// brightness's variance or more when the light and the source given are
// the photo's: on 39 synthetic wave photos of random mirrors and cameras
// (blur, tone curve, vignetting, noise, JPEG) the least was 0.989; a point
// source or a slit twice as wide given for a slit's photo left 0.92 and
// 0.95.
constexpr double kLightExplained = 0.98;

// A figure for a warning or a message: fixed notation with a point whatever
// the locale, at most 24 characters (a huge or tiny value with an exponent).
std::string fixed(double v, int decimals) { return boundedText(v, decimals); }

FitMirror modelMirror(const FitRequest& r) {
    FitMirror m = r.mirror;
    // A zone's height is a real height only in the exact trace.
    if (r.zone.kind != ZoneKind::None) m.exact = true;
    return m;
}

// The request describes a mirror and a test the model can draw.
FitMirror effectiveMirror(const FitRequest& r, std::optional<double> separation = std::nullopt) {
    if (const std::optional<std::string> fault = requestFault(r, separation))
        throw PhotoError(PhotoFailure::BadInput, *fault);
    return modelMirror(r);
}

bool withinReach(double v) { return std::isfinite(v) && std::fabs(v) <= kModelReach; }
bool usable(double v) { return withinReach(v) && std::fabs(v) >= 1 / kModelReach; }

// The model's phase at points near the rim (across, along the bands and
// between), at a fraction `rho` of the mirror's radius.
struct RimPhase {
    bool finite = true;
    double spread = 0;  // the largest |z| of the points
};
RimPhase rimPhase(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p, double rho) {
    const BandPhase phase(mirror, zone, p);
    const double r = rho * mirror.diameter / 2, d = r / std::numbers::sqrt2;
    RimPhase out;
    for (const auto& [u, v] : {std::pair{r, 0.0}, {-r, 0.0}, {0.0, r}, {d, d}, {-d, -d}}) {
        const double z = phase.atMirror(u, v);
        if (!withinReach(z)) out.finite = false;
        else out.spread = std::max(out.spread, std::fabs(z));
    }
    return out;
}

// How far the phase at the rim moves between two sets of parameters: the
// largest change over the rim's points; NaN where the model cannot follow.
double phaseChange(const FitMirror& mirror, const BandParameters& a, const BandParameters& b) {
    const BandPhase pa(mirror, {}, a), pb(mirror, {}, b);
    const double r = 0.95 * mirror.diameter / 2;
    double change = 0;
    for (const auto& [u, v] : {std::pair{r, 0.0}, {-r, 0.0}, {0.0, r}}) {
        const double dz = std::fabs(pb.atMirror(u, v) - pa.atMirror(u, v));
        if (!std::isfinite(dz)) return NAN;
        change = std::max(change, dz);
    }
    return change;
}

// A derived figure for a message: at most 24 characters.
std::string quantity(double v) { return v == 0 ? "0" : boundedText(v, 3); }

std::string beyondReach(const std::string& name, double value, const std::string& why) {
    return name + " of " + shortestText(value) + " is beyond the model's reach: " + why;
}

std::optional<std::string> derivedFault(const FitRequest& r, std::optional<double> separation,
                                        const FitValueNames& names) {
    const FitMirror& m = r.mirror;
    const double bandWidth = 1 / (2 * m.linesPerMm);
    if (!usable(bandWidth))
        return beyondReach(names.lines, m.linesPerMm,
                           "the band width, 1 / (2 lines per mm), would be " + quantity(bandWidth) + " mm");
    const double rimSquare = (m.diameter / 2) * (m.diameter / 2), mmPerPixel = m.diameter / (2 * kDiskRadius);
    if (!usable(rimSquare) || !usable(mmPerPixel))
        return beyondReach(names.diameter, m.diameter,
                           "the square of the mirror's radius would be " + quantity(rimSquare) + " mm^2");
    const double cube = 8 * m.radius * m.radius * m.radius;
    if (!usable(cube))
        return beyondReach(names.radius, m.radius,
                           "8 R^3 of the conic's series would be " + quantity(cube) + " mm^3");

    const FitMirror model = modelMirror(r);
    const std::string together = names.diameter + " of " + shortestText(m.diameter) + ", " + names.radius + " of " +
                                 shortestText(m.radius) + " and " + names.lines + " of " +
                                 shortestText(m.linesPerMm) + " are together beyond the model's reach: ";
    // The phase at the rim over the conics the search covers, and how fast
    // it moves there with the offset and the conic.
    for (const double conic : {-3.0, 0.0, 3.0})
        for (const double offset : {-1.0, 0.0, 1.0})
            if (!rimPhase(model, {}, {offset, conic, 0, 0, 0}, 0.99).finite)
                return together + "the bands at the mirror's rim would not be finite numbers";
    const double perOffset = phaseChange(model, {0, 0, 0, 0, 0}, {1, 0, 0, 0, 0});
    if (!usable(perOffset))
        return together + "a mm of the grating's offset would move the bands at the rim by " +
               quantity(perOffset) + " bands";
    const double perConic = phaseChange(model, {0, -0.5, 0, 0, 0}, {0, 0.5, 0, 0, 0});
    if (!usable(perConic))
        return together + "a unit of the conic would move the bands at the rim by " + quantity(perConic) + " bands";

    if (r.zone.kind != ZoneKind::None) {
        const double waveMm = m.wavelength / 1000;
        bool finite = usable(waveMm);
        // Across the zone, for a zone of a wave raised and sunk.
        for (const double height : {-1.0, 1.0})
            for (const double rho : {0.5 * (r.zone.start + (r.zone.kind == ZoneKind::Edge ? 1 : 0)), 0.99})
                finite = finite && rimPhase(model, r.zone, {0, 0, 0, 0, height}, rho).finite;
        if (!finite)
            return beyondReach(names.wavelength, m.wavelength,
                               "a zone a wave of it high would not give the model finite bands");
    }

    if (separation) {
        const double s = *separation;
        bool finite = withinReach(2 * s) && withinReach(m.radius + 2 * std::fabs(s));
        for (const double offset : {s, -s, 2 * s, -2 * s})
            finite = finite && rimPhase(model, {}, {offset, 0, 0, 0, 0}, 0.99).finite;
        if (!finite)
            return beyondReach(names.separation, s,
                               "the second photo's grating would stand where the model's bands are not finite "
                               "numbers");
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> requestFault(const FitRequest& r, std::optional<double> separation,
                                        const FitValueNames& names) {
    const FitMirror& m = r.mirror;
    auto aboveZero = [](const std::string& name, double v) -> std::optional<std::string> {
        if (std::isfinite(v) && v > 0) return std::nullopt;
        return name + " takes a value above 0, not " + shortestText(v);
    };
    for (const auto& [name, value] : {std::pair{&names.diameter, m.diameter}, {&names.radius, m.radius}})
        if (auto fault = aboveZero(*name, value)) return fault;
    if (!(m.radius > m.diameter / 2)) return names.radius + " must exceed half the diameter";
    for (const auto& [name, value] : {std::pair{&names.lines, m.linesPerMm}, {&names.wavelength, m.wavelength}})
        if (auto fault = aboveZero(*name, value)) return fault;
    if (r.zone.kind != ZoneKind::None && !(r.zone.start >= 0.1 && r.zone.start <= 0.95))
        return names.zoneStart + " takes a fraction of the radius from 0.1 to 0.95";
    if (separation && !(std::isfinite(*separation) && *separation != 0))
        return names.separation + " takes a distance other than 0 mm";
    if (m.source == LightSource::Slit && !(std::isfinite(m.slitWidth) && m.slitWidth >= 0))
        return names.sourceWidth + " takes a width of 0 mm or more, not " + shortestText(m.slitWidth);
    if (m.model == FitModel::Waves) {
        if (!(m.wavelength >= kLightFrom && m.wavelength <= kLightTo))
            return names.wavelength + " of " + shortestText(m.wavelength) +
                   " um is not light the wave picture can take: it takes 0.2 to 2 um";
        const double period = 1 / m.linesPerMm;
        if (m.source == LightSource::Slit && !(m.slitWidth <= period))
            return names.sourceWidth + " of " + shortestText(m.slitWidth) +
                   " mm is wider than the grating's period (" + boundedText(period, 4) +
                   " mm): such a slit washes the bands out";
    }
    try {
        return derivedFault(r, separation, names);
    } catch (const ActionError&) {
        // A division the model cannot make.
        return names.diameter + " of " + shortestText(m.diameter) + ", " + names.radius + " of " +
               shortestText(m.radius) + " and " + names.lines + " of " + shortestText(m.linesPerMm) +
               " are together beyond the model's reach: its arithmetic fails at the mirror's rim";
    }
}

namespace {

std::vector<FitEdge> edgesOf(const PhotoAlignment& a, const FitRequest& r, int photo, const FitControl& control) {
    control.check();
    control.report(FitStage::Edges, photo == 0 ? 0.0 : 0.5);
    const std::vector<BandEdge> raw = extractEdges(a.frame, a.mapping.bands, r.edges);
    if (int(raw.size()) < kMinEdges)
        throw PhotoError(PhotoFailure::NoBands, "no bands: only " + std::to_string(raw.size()) +
                                                    " band edges were found on the mirror");
    return fitEdges(raw, a.mapping.bands, r.mirror.diameter, photo, std::max(2, r.jackknifeBlocks));
}

FitParameters startFrom(const CoarseResult& c) {
    FitParameters p;
    p.offset = c.parameters.offset;
    p.conic = c.parameters.conic;
    p.transverse[0] = c.parameters.transverse;
    return p;
}

constexpr int kCandidates = 3;  // regions of the coarse search the edge fit tries

EdgeRegion everything() { return {}; }

// The start for the edge fit: each region the coarse search found, fitted
// to the edges as a pure conic in a few rounds, and the one that explains
// most edges within a pixel kept (a square wave can lead the cosine to a
// wrong region). The parameters are those of the edges' fit, on the branch
// the search found (offset >= 0 or near it).
FitParameters bestStart(const std::vector<FitEdge>& edges, const FitProblem& problem, const PhotoAlignment& a,
                        const FitControl& control) {
    const std::vector<CoarseResult> candidates =
        coarseCandidates(a.frame, a.mapping.bands, problem.mirror, kCandidates, control);
    if (candidates.front().explained < kMinExplained)
        throw PhotoError(PhotoFailure::NoBands, "no bands: the disk's brightness follows no band pattern of the "
                                                "mirror described");
    FitProblem conic = problem;
    conic.fitZone = false;
    FitParameters best = startFrom(candidates.front());
    int bestWithin = -1;
    double bestCost = 0;
    for (const CoarseResult& c : candidates) {
        std::vector<FitEdge> trial = edges;
        FitParameters p;
        try {
            p = fitEdgeRounds(trial, conic, startFrom(c), everything(), {3, true, false, -1}, control);
        } catch (const PhotoError& e) {
            if (e.kind() == PhotoFailure::Cancelled) throw;
            continue;
        }
        const EdgeStatistics s = edgeStatistics(trial, everything());
        if (s.within > bestWithin || (s.within == bestWithin && s.cost < bestCost))
            best = p, bestWithin = s.within, bestCost = s.cost;
    }
    if (bestWithin < 0)
        throw PhotoError(PhotoFailure::NoFit, "no fit: too few band edges agree with any model of the mirror");
    return best;
}

// The region where the surface is taken as the conic, and the steps that
// grow it into the zone.
std::vector<EdgeRegion> zoneGrowth(const ZoneShape& zone) {
    std::vector<EdgeRegion> steps;
    if (zone.kind == ZoneKind::Edge) {
        for (double r = zone.start; r < 1; r += kZoneStep) steps.push_back({0, r});
    } else if (zone.kind == ZoneKind::Centre) {
        for (double r = zone.start; r > 0; r -= kZoneStep) steps.push_back({r, 2});
    }
    steps.push_back(everything());
    return steps;
}

EdgeRegion zoneRegion(const ZoneShape& zone) {
    if (zone.kind == ZoneKind::Edge) return {zone.start, 2};
    if (zone.kind == ZoneKind::Centre) return {0, zone.start};
    return {0, -1};
}

// The fit from a start on one branch: the conic alone, or the conic where
// the surface is conic and then, step by step, into the zone; for a zone
// the run that explains more edges within a pixel is kept, the grown one
// or one fitted on every edge at once.
FitParameters fitBranch(std::vector<FitEdge>& edges, const FitProblem& problem, const FitParameters& start,
                        const FitControl& control) {
    control.report(FitStage::Fit, 0);
    if (!problem.fitZone) {
        const FitParameters p = fitEdgeRounds(edges, problem, start, everything(), {6, true, false, -1}, control);
        control.report(FitStage::Fit, 1);
        return p;
    }
    const std::vector<EdgeRegion> steps = zoneGrowth(problem.zone);
    FitParameters grown = fitEdgeRounds(edges, problem, start, steps.front(), {4, true, false, -1}, control);
    for (std::size_t i = 1; i < steps.size(); ++i) {
        control.report(FitStage::Zone, double(i) / double(steps.size()));
        grown = fitEdgeRounds(edges, problem, grown, steps[i], {2, true, true, -1}, control);
    }
    grown = fitEdgeRounds(edges, problem, grown, everything(), {3, true, true, -1}, control);
    const EdgeStatistics grownStats = edgeStatistics(edges, everything());
    std::vector<FitEdge> direct = edges;
    FitParameters whole = fitEdgeRounds(direct, problem, start, everything(), {6, true, true, -1}, control);
    const EdgeStatistics wholeStats = edgeStatistics(direct, everything());
    control.report(FitStage::Zone, 1);
    if (wholeStats.within > grownStats.within) {
        edges = std::move(direct);
        return whole;
    }
    return grown;
}

double sideValue(Side s) { return s == Side::Inside ? -1 : s == Side::Outside ? 1 : 0; }
Side sideOf(double offset) { return offset < 0 ? Side::Inside : Side::Outside; }

// The edges as if the rim lay `shift` photo pixels farther out: the frame
// shrinks about its centre.
void moveRim(std::vector<FitEdge>& edges, const double radius[2], double shift, const FitProblem& problem) {
    for (FitEdge& e : edges) {
        const double k = radius[e.photo] / (radius[e.photo] + shift);
        e.x = kDiskCentreX + (e.x - kDiskCentreX) * k;
        e.y = kDiskCentreY + (e.y - kDiskCentreY) * k;
        const MirrorPoint m = mirrorPoint(e.x, e.y, problem.axis[e.photo], problem.mirror.diameter);
        e.across = m.across;
        e.along = m.along;
        e.rho = std::hypot(m.across, m.along) / (problem.mirror.diameter / 2);
    }
}

struct Sigmas {
    double offset = 0, conic = 0, zone = 0;
};


// The fit with the wave picture. The photo's edges, moved back by the
// shifts of the wave picture's edges from the ray edges (WaveEdgeModel),
// refitted by rays, bring the ray fit near; from there the whole wave
// picture, put through the photo's blur and tone curve, is matched to the
// photo's brightness (matchPicture), which reads what the edges cannot:
// fringes, the sheared copies of the mirror and a tone curve that moves a
// soft edge's half-level. `edges` leaves as the photo's edges moved for
// the result, labelled and weighed (Tukey's biweight) under it.
FitParameters fitWithWaves(std::vector<FitEdge>& edges, const std::vector<FitEdge>& found, const FitProblem& problem,
                           FitParameters p, const PhotoAlignment* photos[2], const FitRequest& request,
                           const FitControl& control, double& explained) {
    const double spread[2] = {rimSpread(photos[0]->frame, problem.axis[0]),
                              photos[1] ? rimSpread(photos[1]->frame, problem.axis[1]) : NAN};
    WaveEdgeModel model(problem, spread, request.edges);
    // The photo's edges moved for the wave pictures at q.
    auto movedAt = [&](const FitParameters& q, const std::vector<FitEdge>& labelled) {
        control.check();
        std::vector<FitEdge> out;
        for (int photo = 0; photo < problem.photos; ++photo) {
            model.edgesAt(q, photo);
            const std::vector<FitEdge> own = model.moved(labelled, photo, true);
            out.insert(out.end(), own.begin(), own.end());
        }
        return out;
    };

    // The ray fit's edges moved once and refitted by rays.
    control.report(FitStage::Waves, 0);
    std::vector<FitEdge> labelled = found;
    labelEdges(labelled, problem, p);
    {
        std::vector<FitEdge> first = movedAt(p, labelled);
        std::erase_if(first, [](const FitEdge& e) { return !std::isfinite(e.across); });
        if (int(first.size()) < kMinEdges)
            throw PhotoError(PhotoFailure::NoFit, "no fit: the photo's band edges do not follow the wave picture's");
        p = fitEdgeRounds(first, problem, p, everything(), {3, true, problem.fitZone, -1}, control);
    }

    // The whole picture against the photos' brightness, from there; the
    // blur and the disk's bias the wave picture's edges found start it.
    const GreyImage* frames[2] = {&photos[0]->frame, photos[1] ? &photos[1]->frame : nullptr};
    const double blurs[2] = {model.blur(0), problem.photos > 1 ? model.blur(1) : 0.0};
    const std::array<double, 3> bias[2] = {model.diskBias(0),
                                           problem.photos > 1 ? model.diskBias(1) : std::array<double, 3>{}};
    PictureMatch match = matchPicture(problem, p, frames, blurs, bias, control);
    // Diffraction at the rim can send the rays' zone far astray (a turned
    // edge of a few waves where the photo has a quarter): the zone level
    // is tried as a start too, and the match that explains more is kept.
    if (problem.fitZone && p.zoneHeight != 0) {
        FitParameters level = p;
        level.zoneHeight = 0;
        const PictureMatch fromLevel = matchPicture(problem, level, frames, blurs, bias, control);
        if (fromLevel.explained > match.explained) {
            const double startExplained = match.startExplained;
            match = fromLevel;
            match.startExplained = startExplained;
        }
    }
    explained = match.startExplained;
    if (match.explained > match.startExplained) {
        p = match.parameters;
        explained = match.explained;
        for (int i = 0; i < problem.photos; ++i) model.setCamera(i, match.gamma[i], match.blur[i]);
    }

    // The edges as the result leaves them: moved for it, labelled under
    // it, each at its distance from the wave picture's edge, weighed.
    labelled = found;
    labelEdges(labelled, problem, p);
    std::vector<FitEdge> current = movedAt(p, labelled);
    std::vector<double> distance;
    for (const FitEdge& e : current) distance.push_back(e.residual);
    labelEdges(current, problem, p);  // the labels and gradients for the overlay and the refits
    for (std::size_t i = 0; i < current.size(); ++i) current[i].residual = distance[i];
    std::vector<double> magnitudes;
    for (const FitEdge& e : current)
        if (std::isfinite(e.across) && std::isfinite(e.residual)) magnitudes.push_back(std::fabs(e.residual));
    double scale = 0.1;
    if (!magnitudes.empty()) {
        const auto mid = magnitudes.begin() + std::ptrdiff_t(magnitudes.size() / 2);
        std::nth_element(magnitudes.begin(), mid, magnitudes.end());
        scale = std::max(0.1, 1.4826 * *mid);
    }
    edges.clear();
    for (const FitEdge& moved : current) {
        if (!std::isfinite(moved.across) || !std::isfinite(moved.residual)) continue;
        FitEdge e = moved;
        const double u = e.residual / (4.685 * scale);
        e.weight = std::fabs(u) < 1 ? (1 - u * u) * (1 - u * u) : 0;
        edges.push_back(e);
    }
    if (int(edges.size()) < kMinEdges)
        throw PhotoError(PhotoFailure::NoFit, "no fit: the photo's band edges do not follow the wave picture's");
    control.report(FitStage::Waves, 1);
    return p;
}

Sigmas uncertainties(const std::vector<FitEdge>& edges, const FitProblem& problem, const FitParameters& p,
                     const PhotoAlignment* photos[2], const FitRequest& request, const FitControl& control) {
    const int blocks = std::max(2, request.jackknifeBlocks);
    std::vector<FitParameters> runs;
    for (int b = 0; b < blocks; ++b) {
        control.report(FitStage::Uncertainty, double(b) / (blocks + 1));
        std::vector<FitEdge> copy = edges;
        runs.push_back(fitEdgeRounds(copy, problem, p, everything(), {2, false, problem.fitZone, b}, control));
    }
    auto spread = [&](auto get) {
        double mean = 0;
        for (const FitParameters& r : runs) mean += get(r);
        mean /= double(runs.size());
        double sum = 0;
        for (const FitParameters& r : runs) sum += (get(r) - mean) * (get(r) - mean);
        return (double(runs.size()) - 1) / double(runs.size()) * sum;
    };
    Sigmas s;
    const double jackOffset = spread([](const FitParameters& r) { return r.offset; });
    const double jackConic = spread([](const FitParameters& r) { return r.conic; });
    const double jackZone = spread([](const FitParameters& r) { return r.zoneHeight; });

    control.report(FitStage::Uncertainty, double(blocks) / (blocks + 1));
    std::vector<FitEdge> moved = edges;
    const double radius[2] = {photos[0]->disk.radius, photos[1] ? photos[1]->disk.radius : 1};
    moveRim(moved, radius, request.rimShift, problem);
    const FitParameters rim = fitEdgeRounds(moved, problem, p, everything(), {2, false, problem.fitZone, -1}, control);
    s.offset = std::sqrt(jackOffset + (rim.offset - p.offset) * (rim.offset - p.offset));
    s.conic = std::sqrt(jackConic + (rim.conic - p.conic) * (rim.conic - p.conic));
    s.zone = std::sqrt(jackZone + (rim.zoneHeight - p.zoneHeight) * (rim.zoneHeight - p.zoneHeight));
    control.report(FitStage::Uncertainty, 1);
    return s;
}

// Band pairs across the disk under the model: half the range of the phase.
double bandPairs(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p) {
    const BandPhase phase(mirror, zone, p);
    double lo = INFINITY, hi = -INFINITY;
    const double r = 0.99 * mirror.diameter / 2;
    for (int j = -20; j <= 20; ++j)
        for (int i = -20; i <= 20; ++i) {
            const double u = r * i / 20, v = r * j / 20;
            if (u * u + v * v > r * r) continue;
            const double z = phase.atMirror(u, v);
            if (!std::isfinite(z)) continue;
            lo = std::min(lo, z), hi = std::max(hi, z);
        }
    return hi > lo ? (hi - lo) / 2 : 0;
}

// A pure conic on a mirror whose rim is turned: the fit follows the conic
// within and its weights drop the rim's edges, bands away from where the
// conic puts them. The share of the edges left out beyond kRimStart of the
// radius against the share within tells it. On 104 synthetic photos of
// random pure conics (random cameras: blur, gamma, JPEG, noise) the share
// beyond was at most 0.025 but once 0.22, where the camera's blur cost
// edges in the ring inside the rim as well. On 70 photos of turned edges of
// 0.2 to 0.3 waves starting from 0.7 to 0.85 of the radius, the fit kept to
// the conic within on 15, leaving out 0.45 to 1 of the edges beyond against
// 0.02 to 0.16 within. So: 0.4 beyond, and three times the share within.
// (A fit that bends the conic to take the turned edge in drops nothing; its
// residuals show it instead.)
constexpr double kRimStart = 0.85;
constexpr double kRimDroppedShare = 0.4;
constexpr double kRimOverInside = 3;
constexpr int kMinRimEdges = 20;

void warnRimNotConic(FitResult& result, const std::vector<FitEdge>& edges) {
    int rim = 0, rimDropped = 0, inside = 0, insideDropped = 0;
    for (const FitEdge& e : edges) {
        const bool dropped = !(e.weight > 0);
        if (e.rho > kRimStart) ++rim, rimDropped += dropped;
        else ++inside, insideDropped += dropped;
    }
    if (rim < kMinRimEdges) return;
    const double rimShare = double(rimDropped) / rim, insideShare = inside > 0 ? double(insideDropped) / inside : 0;
    if (rimShare < kRimDroppedShare || rimShare < kRimOverInside * insideShare) return;
    result.warnings.push_back(
        {FitWarningKind::RimNotConic,
         "the rim does not follow the conic: the fit leaves out " + std::to_string(rimDropped) + " of the " +
             std::to_string(rim) + " edges beyond " + fixed(kRimStart, 2) + " of the radius, and " +
             std::to_string(insideDropped) + " of the " + std::to_string(inside) +
             " within; a turned edge? Fit one from where the bands bend (--zone edge with --zone-start, or "
             "Zone \"Turned edge\" in the Fit window)"});
}

void addWarnings(FitResult& result, const std::vector<FitEdge>& edges, const FitRequest& request, int pixelScale) {
    if (result.bandPairs < 1)
        result.warnings.push_back({FitWarningKind::FewBands, "a near-null picture (" + fixed(result.bandPairs, 1) +
                                                                 " band pairs): the offset and the conic are weak"});
    else if (result.bandPairs < 2)
        result.warnings.push_back({FitWarningKind::FewBands, "fewer than 2 band pairs (" + fixed(result.bandPairs, 1) +
                                                                 "): the offset and the conic are weak"});
    // A pixel of the photo as the fit reads it: several of the photo's own
    // for a photo decoded at a reduced scale.
    if (result.edgeRmsPhoto > pixelScale)
        result.warnings.push_back({FitWarningKind::LargeResidual, "the edges lie " + fixed(result.edgeRmsPhoto, 2) +
                                                                      " pixels RMS from the model: the model may not "
                                                                      "describe this mirror or photo"});
    if (request.zone.kind == ZoneKind::None) warnRimNotConic(result, edges);
    if (request.zone.kind != ZoneKind::None) {
        const EdgeRegion region = zoneRegion(request.zone);
        int inZone = 0, within = 0;
        for (const FitEdge& e : edges)
            if (region.contains(e)) {
                ++inZone;
                within += std::isfinite(e.residual) && std::fabs(e.residual) <= 1;
            }
        if (inZone < kMinZoneEdges || within < kWeakZoneShare * inZone)
            result.warnings.push_back(
                {FitWarningKind::WeakZone, "the zone explains only " + std::to_string(within) + " of the " +
                                               std::to_string(inZone) +
                                               " edges in it within a pixel: its height is doubtful"});
    }
}

FitResult assemble(const FitProblem& problem, const FitParameters& p, const Sigmas& s, std::vector<FitEdge> edges,
                   const PhotoAlignment& first, const FitRequest& request) {
    FitResult result;
    result.mirror = problem.mirror;
    result.zone = problem.zone;
    result.axis = problem.axis[0];
    result.parameters = photoParameters(problem, p, 0);
    if (problem.photos == 2) {
        result.secondParameters = photoParameters(problem, p, 1);
        result.secondAxis = problem.axis[1];
    }
    result.offset = {p.offset, s.offset};
    result.conic = {p.conic, s.conic};
    result.correctionPercent = -100 * p.conic;
    if (problem.fitZone) result.zoneHeight = Estimate{p.zoneHeight, s.zone};
    const EdgeStatistics stats = edgeStatistics(edges, everything());
    result.edgesFound = int(edges.size());
    result.edgesUsed = stats.used;
    result.edgeRms = stats.rms;
    result.edgeRmsPhoto = stats.rms * first.mapping.scale * first.pixelScale;
    result.bandPairs = bandPairs(problem.mirror, problem.zone, result.parameters);
    addWarnings(result, edges, request, first.pixelScale);
    result.edges = std::move(edges);
    return result;
}

// The side when only the conic can tell it: the branch with K <= 0.
FitParameters sideFromConic(std::vector<FitEdge>& edges, const FitProblem& problem, FitParameters p, FitResult& result,
                            const FitControl& control) {
    if (p.conic > 0) {
        p = otherSide(p, problem);
        p = fitEdgeRounds(edges, problem, p, everything(), {3, true, problem.fitZone, -1}, control);
    }
    if (std::fabs(p.conic) >= kSideConicLimit) {
        result.side = sideOf(p.offset);
        result.sideFrom = SideFrom::Conic;
    } else {
        result.side = Side::Unknown;
        result.sideFrom = SideFrom::Undecided;
    }
    return p;
}

// An oblate ellipsoid on the side the user gave: a mirror being figured
// rarely is one, while the same bands drawn from the other side of the
// centre of curvature make it the prolate mirror of the opposite conic.
// Near the sphere (within kSideConicLimit) the conic cannot tell the side
// and nothing is said; a side the pair of photos or the conic decided is
// not the user's, and is not doubted here.
void warnPositiveConic(FitResult& result) {
    if (result.sideFrom != SideFrom::Given || !(result.conic.value > kSideConicLimit)) return;
    result.warnings.push_back(
        {FitWarningKind::PositiveConic,
         "on the side given the mirror is an oblate ellipsoid (K = " + fixed(result.conic.value, 3) +
             "): the grating may have stood on the other side of the centre of curvature, where the same bands "
             "make K about " + fixed(-result.conic.value, 3)});
}

// One warning naming every figure of the result that is not a finite
// number, which a report shows as missing.
void warnNotFinite(FitResult& result) {
    std::vector<std::pair<const char*, double>> figures = {
        {"the offset", result.offset.value},
        {"the offset's uncertainty", result.offset.sigma},
        {"the conic", result.conic.value},
        {"the conic's uncertainty", result.conic.sigma},
        {"the correction", result.correctionPercent},
        {"the transverse phase", result.parameters.transverse},
        {"the edges' RMS distance", result.edgeRms},
        {"the edges' RMS distance in the photo", result.edgeRmsPhoto},
        {"the band pairs", result.bandPairs}};
    if (result.zoneHeight) {
        figures.push_back({"the zone's height", result.zoneHeight->value});
        figures.push_back({"the zone's uncertainty", result.zoneHeight->sigma});
    }
    if (result.secondParameters) figures.push_back({"the second photo's transverse phase", result.secondParameters->transverse});
    std::string missing;
    for (const auto& [name, value] : figures) {
        if (std::isfinite(value)) continue;
        missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
    if (!missing.empty())
        result.warnings.push_back({FitWarningKind::NotFinite, "the fit could not compute " + missing +
                                                                  " (not a finite number): the fit is not to be "
                                                                  "trusted"});
}

// The light or the source given that the photo does not show: the edges
// lie farther from the wave picture's than from the rays'.
void warnLight(FitResult& result) {
    if (!(result.pictureExplained < kLightExplained)) return;
    const FitMirror& m = result.mirror;
    const std::string light = m.spectrum == Spectrum::White ? "white light" : fixed(m.wavelength, 3) + " um";
    const std::string source = m.source == LightSource::Point ? "a point source"
                               : m.source == LightSource::Grating
                                   ? "the grating lit from behind"
                                   : "a slit " + fixed(m.slitWidth, 3) + " mm wide";
    result.warnings.push_back({FitWarningKind::LightMismatch,
                               "the wave picture explains only " + fixed(100 * result.pictureExplained, 1) +
                                   " % of the photo's brightness: is the light (" + light + ") or the source (" +
                                   source + ") the photo's?"});
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A fault of the model's arithmetic (a ray the model cannot follow for the
// parameters tried) ends the fit as one that failed, with its message.
template <class Fit>
FitResult guarded(Fit&& fit) {
    try {
        return fit();
    } catch (const ActionError& e) {
        throw PhotoError(PhotoFailure::NoFit, std::string("no fit: ") + e.what());
    }
}

FitResult fitOne(const PhotoAlignment& photo, const FitRequest& request, const FitControl& control) {
    const auto started = std::chrono::steady_clock::now();
    FitProblem problem;
    problem.mirror = effectiveMirror(request);
    problem.zone = request.zone;
    problem.fitZone = request.zone.kind != ZoneKind::None;
    problem.axis[0] = problem.axis[1] = photo.mapping.bands;

    std::vector<FitEdge> edges = edgesOf(photo, request, 0, control);
    FitParameters start = bestStart(edges, problem, photo, control);
    // The side given picks the branch.
    if (sideValue(request.side) * start.offset < 0) start = otherSide(start, problem);
    FitParameters p = fitBranch(edges, problem, start, control);
    if (sideValue(request.side) * p.offset < 0) {
        p = otherSide(p, problem);
        p = fitEdgeRounds(edges, problem, p, everything(), {3, true, problem.fitZone, -1}, control);
    }

    FitResult decided;
    if (request.side != Side::Unknown) {
        decided.side = request.side;
        decided.sideFrom = SideFrom::Given;
    } else {
        p = sideFromConic(edges, problem, p, decided, control);
    }
    const PhotoAlignment* photos[2] = {&photo, nullptr};
    const int found = int(edges.size());
    double explained = NAN;
    if (problem.mirror.model == FitModel::Waves) {
        const std::vector<FitEdge> raw = edges;
        p = fitWithWaves(edges, raw, problem, p, photos, request, control, explained);
    }
    const Sigmas s = uncertainties(edges, problem, p, photos, request, control);
    FitResult result = assemble(problem, p, s, std::move(edges), photo, request);
    result.edgesFound = found;
    result.pictureExplained = explained;
    warnLight(result);
    result.side = decided.side;
    result.sideFrom = decided.sideFrom;
    if (result.sideFrom == SideFrom::Undecided)
        result.warnings.insert(result.warnings.begin(),
                               {FitWarningKind::SideUndecided,
                                "the side of the centre of curvature is undecided: the conic (" + fixed(p.conic, 3) +
                                    ") is too near the sphere to tell; the offset's sign may be the other one"});
    warnPositiveConic(result);
    warnNotFinite(result);
    result.seconds = secondsSince(started);
    return result;
}

FitResult fitPair(const PhotoAlignment& first, const PhotoAlignment& second, double separation,
                  const FitRequest& request, const FitControl& control) {
    const auto started = std::chrono::steady_clock::now();
    if (!(separation != 0) || !std::isfinite(separation))
        throw PhotoError(PhotoFailure::BadInput, "the two photos need a separation other than 0 mm");
    const FitMirror mirror = effectiveMirror(request, separation);
    FitProblem single[2];
    for (int i = 0; i < 2; ++i) {
        single[i].mirror = mirror;
        single[i].axis[0] = single[i].axis[1] = (i == 0 ? first : second).mapping.bands;
    }
    std::vector<FitEdge> edges[2] = {edgesOf(first, request, 0, control), edgesOf(second, request, 1, control)};
    // Each photo alone, as a pure conic, on the branch the search found.
    FitParameters alone[2];
    for (int i = 0; i < 2; ++i) {
        std::vector<FitEdge> own = edges[i];
        for (FitEdge& e : own) e.photo = 0;
        const FitParameters start = bestStart(own, single[i], i == 0 ? first : second, control);
        alone[i] = fitEdgeRounds(own, single[i], start, everything(), {3, true, false, -1}, control);
    }
    // The same branch for both: the conic's sign agrees.
    if ((alone[0].conic > 0) != (alone[1].conic > 0)) alone[1] = otherSide(alone[1], single[1]);

    FitProblem problem;
    problem.mirror = mirror;
    problem.zone = request.zone;
    problem.fitZone = request.zone.kind != ZoneKind::None;
    problem.photos = 2;
    problem.separation = separation;
    problem.axis[0] = first.mapping.bands;
    problem.axis[1] = second.mapping.bands;
    std::vector<FitEdge> both = edges[0];
    both.insert(both.end(), edges[1].begin(), edges[1].end());

    // Both sides, jointly: the second's offset is the first's plus the
    // separation only on the true side.
    control.report(FitStage::SecondPhoto, 0);
    FitParameters branch[2];
    branch[0].offset = alone[0].offset;
    branch[0].conic = 0.5 * (alone[0].conic + alone[1].conic);
    branch[0].transverse[0] = alone[0].transverse[0];
    branch[0].transverse[1] = alone[1].transverse[0];
    branch[0].edgeShift[0] = alone[0].edgeShift[0];
    branch[0].edgeShift[1] = alone[1].edgeShift[0];
    branch[1] = branch[0];
    branch[1].offset = -alone[0].offset;
    branch[1].conic = -branch[0].conic;
    branch[1].transverse[0] = -branch[0].transverse[0];
    branch[1].transverse[1] = -branch[0].transverse[1];
    std::vector<FitEdge> joint[2] = {both, both};
    double score[2];
    FitProblem conicOnly = problem;
    conicOnly.fitZone = false;
    for (int b = 0; b < 2; ++b) {
        control.report(FitStage::SecondPhoto, 0.1 + 0.4 * b);
        branch[b] = fitEdgeRounds(joint[b], conicOnly, branch[b], everything(), {6, true, false, -1}, control);
        // A truncated square: a wrong side leaves many edges bands away.
        double sum = 0;
        for (const FitEdge& e : joint[b]) sum += std::isfinite(e.residual) ? std::min(e.residual * e.residual, 4.0) : 4;
        score[b] = sum / double(joint[b].size());
    }
    control.report(FitStage::SecondPhoto, 1);
    const int best = score[0] <= score[1] ? 0 : 1;
    FitParameters p = branch[best];
    both = std::move(joint[best]);
    // The pair decides when the other side fits clearly worse.
    const bool decisive = score[1 - best] > 3 * score[best];
    if (problem.fitZone) p = fitBranch(both, problem, p, control);

    FitResult decided;
    if (decisive) {
        const Side pairSide = sideOf(p.offset);
        if (request.side != Side::Unknown && request.side != pairSide)
            throw PhotoError(PhotoFailure::BadInput,
                             std::string("the two photos put the first one's grating ") +
                                 (pairSide == Side::Inside ? "inside" : "outside") +
                                 " the centre of curvature, not " +
                                 (request.side == Side::Inside ? "inside" : "outside") +
                                 " as given: are the photos in the order of the separation?");
        if (request.side == Side::Unknown && p.conic > kSideConicLimit)
            throw PhotoError(PhotoFailure::BadInput,
                             "the two photos, taken in this order " + fixed(separation, 2) +
                                 " mm apart, would make the mirror an oblate ellipsoid (K = " + fixed(p.conic, 3) +
                                 "): are the photos in the order of the separation?");
        decided.side = pairSide;
        decided.sideFrom = SideFrom::SecondPhoto;
    } else if (request.side != Side::Unknown) {
        if (sideValue(request.side) * p.offset < 0) {
            p = otherSide(p, problem);
            p = fitEdgeRounds(both, problem, p, everything(), {3, true, problem.fitZone, -1}, control);
        }
        decided.side = request.side;
        decided.sideFrom = SideFrom::Given;
    } else {
        p = sideFromConic(both, problem, p, decided, control);
    }

    const PhotoAlignment* photos[2] = {&first, &second};
    const Sigmas s = uncertainties(both, problem, p, photos, request, control);
    FitResult result = assemble(problem, p, s, std::move(both), first, request);
    result.side = decided.side;
    result.sideFrom = decided.sideFrom;
    if (result.sideFrom == SideFrom::Undecided)
        result.warnings.insert(result.warnings.begin(),
                               {FitWarningKind::SideUndecided,
                                "the side of the centre of curvature is undecided: the two photos fit either side, "
                                "and the conic (" + fixed(p.conic, 3) + ") is too near the sphere to tell"});
    warnPositiveConic(result);
    warnNotFinite(result);
    result.seconds = secondsSince(started);
    return result;
}

}  // namespace

FitResult fitPhoto(const PhotoAlignment& photo, const FitRequest& request, const FitControl& control) {
    return guarded([&] { return fitOne(photo, request, control); });
}

FitResult fitPhotoPair(const PhotoAlignment& first, const PhotoAlignment& second, double separation,
                       const FitRequest& request, const FitControl& control) {
    return guarded([&] { return fitPair(first, second, separation, request, control); });
}

std::vector<std::uint8_t> fittedEdgeMask(const FitResult& result) {
    const int w = kPictureWidth, h = kPictureHeight;
    std::vector<std::uint8_t> mask(std::size_t(w) * std::size_t(h), 0);
    const BandPhase phase(result.mirror, result.zone, result.parameters);
    std::vector<double> band(mask.size(), NAN);
    const double r = kDiskRadius;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const double x = i + 0.5, y = j + 0.5;
            const double d = std::hypot(x - kDiskCentreX, y - kDiskCentreY);
            if (std::fabs(d - r) < 0.5) mask[std::size_t(j) * std::size_t(w) + std::size_t(i)] = 1;
            if (d >= r) continue;
            const double z = phase.atFrame(x, y, result.axis);
            if (std::isfinite(z)) band[std::size_t(j) * std::size_t(w) + std::size_t(i)] = std::floor(z + 0.5);
        }
    for (int j = 0; j + 1 < h; ++j)
        for (int i = 0; i + 1 < w; ++i) {
            const std::size_t k = std::size_t(j) * std::size_t(w) + std::size_t(i);
            if (std::isnan(band[k])) continue;
            const double right = band[k + 1], below = band[k + std::size_t(w)];
            if ((!std::isnan(right) && right != band[k]) || (!std::isnan(below) && below != band[k])) mask[k] = 1;
        }
    return mask;
}

void applyFitToSetup(const FitResult& result, Mirror& m, TestSetup& t, EditorShape& shape) {
    applyToSetup(result.mirror, result.zone, result.parameters, result.axis, m, t, shape);
    t.waveOptics = result.mirror.model == FitModel::Waves;
    if (!t.waveOptics) return;
    // The picture the fit modelled: waves over the exact surface, in the
    // light and from the source the fit assumed.
    t.rayModel = RayModel::Exact;
    t.wavelength = result.mirror.wavelength;
    t.spectrum = result.mirror.spectrum;
    t.slitWidth = sourceWidth(result.mirror);
}

}  // namespace sg
