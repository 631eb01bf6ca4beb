// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fitting the program's model to a photo of the grating test: the
// grating's offset from the centre of curvature, the conic constant and,
// where the user places one, a zone, each with its uncertainty.
//
// The steps: band edges on the frame (photo/edge_extraction.h); a coarse
// search over offset and conic that labels the bands (coarse_search.h);
// robust least squares on the edges (edge_fit.h); for a zone, the conic
// fitted where the surface is conic first and the fit grown into the zone
// in steps; the side of the centre of curvature; and the uncertainties, a
// jackknife over blocks of scan lines plus a refit with the rim 0.6 photo
// pixels farther out.
//
// One photo cannot tell inside from outside: (a, K) and (-a, -K) draw the
// same bands. The side is the user's, or comes from a second photo taken a
// known distance along the axis from the first, or, when neither is given,
// from the conic: a mirror being parabolised lies between the sphere and
// the hyperboloids (K <= 0), so the branch with K <= 0 is taken; a mirror
// within 0.275 of the sphere is reported undecided.
//
// Everything here runs on any thread: the window runs a fit off its
// user-interface thread and may cancel it (fit_control.h).

#include "fit/band_model.h"
#include "photo/edge_extraction.h"
#include "fit/edge_fit.h"
#include "fit/fit_control.h"
#include "photo/photo_alignment.h"

#include <optional>
#include <string>
#include <vector>

namespace sg {

enum class Side { Unknown, Inside, Outside };

// |K| below this leaves the side undecided when only the conic can tell it.
inline constexpr double kSideConicLimit = 0.275;

struct FitRequest {
    FitMirror mirror;            // the exact trace is used whatever it says when a zone is fitted
    Side side = Side::Unknown;   // where the grating stood, when the user knows
    ZoneShape zone;              // ZoneKind::None: a pure conic
    EdgeOptions edges;
    int jackknifeBlocks = 10;
    double rimShift = 0.6;       // photo pixels: the rim radius's share of the uncertainty
};

struct Estimate {
    double value = 0;
    double sigma = 0;  // one standard deviation
};

enum class SideFrom { Given, SecondPhoto, Conic, Undecided };

enum class FitWarningKind {
    SideUndecided,    // the conic is too near the sphere to tell the side
    FewBands,         // fewer than 2 band pairs, or a near-null picture
    LargeResidual,    // the edges' RMS distance from the model exceeds 1 pixel
    LightMismatch,    // the wave picture explains the edges worse than the rays: the light or source given is doubtful
    WeakZone,         // the zone explains too few of the edges in it
    PositiveConic,    // the side given makes the mirror an oblate ellipsoid: the grating may have stood on the other side
    RimNotConic,      // a pure conic leaves out far more edges near the rim than within: a turned edge?
    NotFinite,        // a figure of the result is not a finite number (names them all)
};

struct FitWarning {
    FitWarningKind kind;
    std::string message;
};

struct FitResult {
    FitMirror mirror;        // as fitted (exact set when a zone was fitted)
    ZoneShape zone;
    BandAxis axis = BandAxis::Vertical;  // of the first photo's frame
    // The first photo's parameters as the set-up takes them: the picture
    // that applyToSetup draws from them lies over the photo's frame.
    BandParameters parameters;
    std::optional<BandParameters> secondParameters;  // the second photo's, for a pair
    BandAxis secondAxis = BandAxis::Vertical;

    // The grating's offset from the centre of curvature, mm, positive
    // outside (farther from the mirror); for a tester whose source moves
    // with the grating, the grating's own offset (half the offset of a
    // fixed source that draws the same bands).
    Estimate offset;
    Side side = Side::Unknown;
    SideFrom sideFrom = SideFrom::Undecided;
    Estimate conic;
    double correctionPercent = 0;       // -100 K: a paraboloid is 100 %
    std::optional<Estimate> zoneHeight;  // waves on the surface, positive raised

    int edgesFound = 0;     // edges extracted (both photos)
    int edgesUsed = 0;      // edges the final fit weighs
    double edgeRms = 0;     // frame pixels, RMS residual of the edges used
    double edgeRmsPhoto = 0;  // the same in photo pixels (the first photo's scale)
    double bandPairs = 0;   // band pairs across the first photo's disk under the fit
    // With the wave model: the share of the photo's brightness variance
    // (on lines across the bands, within 0.94 of the radius) that the
    // matched wave picture explains; NaN with the rays.
    double pictureExplained = NAN;
    std::vector<FitWarning> warnings;
    double seconds = 0;     // the fit's own time, without loading or aligning

    std::vector<FitEdge> edges;  // every edge with its residual and weight, for the overlay
};

// The names a user knows a request's values by, for requestFault's
// messages: the options of shadowgram-fit, or the boxes of the window.
struct FitValueNames {
    std::string diameter = "the diameter";
    std::string radius = "the radius of curvature";
    std::string lines = "the ruling";
    std::string wavelength = "the wavelength";
    std::string zoneStart = "the zone's start";
    std::string separation = "the separation";
    std::string sourceWidth = "the source's width";
};

// The largest magnitude, and the reciprocal of the smallest, that the
// model's derived quantities may take.
inline constexpr double kModelReach = 1e300;

// Why the fit cannot take a request (and, for a pair of photos, its
// separation in mm), naming the value at fault by `names`; nothing when it
// can. Each value in turn: the diameter above 0, the radius of curvature
// beyond half of it, the ruling and the wavelength above 0, a zone's start
// from 0.1 to 0.95 of the mirror's radius, a separation other than 0, a
// slit's width 0 or more; with the wave model, light of 0.2 to 2 um and a
// slit no wider than the grating's period. Then
// what the model derives from them, every figure a finite number within
// kModelReach (and above 1 / kModelReach where it must not vanish): the
// band width 1 / (2 ruling); the square of the mirror's radius and the mm
// per pixel of the frame; 8 R^3 of the conic's series; the model's phase at
// the rim over the offsets and conics the search covers, and how far it
// moves there per mm of offset and per unit of conic; for a zone, its
// profile for one wave and the phase across it; for a pair, the second
// photo's phase at the rim with the grating the separation (and twice it,
// for the other side) from the first. Numbers in the messages are at most
// 24 characters long.
std::optional<std::string> requestFault(const FitRequest& request, std::optional<double> separation,
                                        const FitValueNames& names = {});

// Throws PhotoError: BadInput for a request requestFault refuses (with its
// message, in its default names), NoBands when the disk has too few edges
// or no band pattern the model follows, NoFit when the least squares fail,
// Cancelled.
FitResult fitPhoto(const PhotoAlignment& photo, const FitRequest& request, const FitControl& control = {});

// Two photos, the second taken with the grating `separation` mm farther
// from the mirror than the first (negative: nearer), on the tester's scale.
// The pair decides the side when the other side fits clearly worse (its
// truncated mean square residual three times the chosen one's or more; 20
// to 200 times for synthetic pairs 1 mm apart); otherwise the side given or
// the conic decides, as for one photo. Throws PhotoError(BadInput) when the
// pair contradicts the side given, or, without a side given, would make the
// mirror an oblate ellipsoid (K > 0.275): the photos are then in the wrong
// order for the separation, or the separation's sign is wrong. (Swapping
// two photos is the same as moving to the other side with the conic's sign
// turned over, so near the sphere a swapped pair cannot be told.)
FitResult fitPhotoPair(const PhotoAlignment& first, const PhotoAlignment& second, double separation,
                       const FitRequest& request, const FitControl& control = {});

// An 800 x 700 mask of the fitted model's band edges on the first photo's
// frame (1 on an edge, 0 elsewhere), for drawing over the resampled photo;
// the rim of the disk is marked too.
std::vector<std::uint8_t> fittedEdgeMask(const FitResult& result);

// The set-up that draws the fitted picture of the first photo (see
// applyToSetup in band_model.h), in the model the fit used: for the wave
// model, "Wave optics" with the exact trace, the fit's wavelength or white
// light and its source's width; for rays, "Wave optics" off.
void applyFitToSetup(const FitResult& result, Mirror& m, TestSetup& t, EditorShape& shape);

}  // namespace sg
