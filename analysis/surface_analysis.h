// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The surface analysis: the mirror (a conic plus the drawn zonal deviation)
// compared with the best-fit paraboloid and the best-fit general conic, in
// 41 samples across the diameter. A plain input, one pure calculation and
// its figures; where the window (and shadowgram-analyse) lay the figures
// out is analysis_layout.h's.

#include "analysis/least_squares.h"
#include "model/editor_shape.h"

#include <array>
#include <string>

namespace sg {

inline constexpr int kAnalysisSamples = 41;  // sample 20 is the centre, 0 and 40 the edges
using AnalysisArray = std::array<double, kAnalysisSamples>;
inline constexpr int kAnalysisKnots = 21;  // the knots from the centre (22) to the edge (42)

struct AnalysisInput {
    double mirrorDiameter = 200;      // mm
    double radiusOfCurvature = 2000;  // mm
    double conicConstant = -1;
    // The "Zone Ht " cell as entered, waves: the drawing's peak-to-valley.
    // An entry of 0 is taken as 1e-11 for the Zone Ht the figures repeat and 1e-7 for the
    // heights, as the grid's two readers always have.
    double zoneHeight = 0.5;
    double wavelength = 0.55;         // micrometres
    bool invertDeviation = false;     // the zone turned over, as the picture shows it
    DeviationArray knotHeight{};      // the editor's knots, plot pixels, positive downward
    int inner = 0;                    // zone limits as entered; used as min(inner, 8)
    int outer = 20;                   // and within 10..20
    // The coefficients the previous calculation's fits left: a singular
    // system leaves them as they were, as the solver always has.
    NormalVector previousFit{};
};

// The zone limits as the calculation uses them: the inner at most 8, the
// outer within 10..20.
inline int usedInnerLimit(int entered) { return entered < 8 ? entered : 8; }
inline int usedOuterLimit(int entered) { return entered < 10 ? 10 : entered > 20 ? 20 : entered; }

// How far a calculation got before a floating-point fault stopped it.
enum class AnalysisStage {
    None,         // the sampled surface could not be formed
    Sampled,      // the tables; the paraboloid's RMS could not be formed
    ParabolaRms,  // and its RMS and Strehl ratio; its vertex radius could not be formed
    Parabola,     // the paraboloid whole; the best conic could not be formed
    Complete,
};

struct AnalysisFigures {
    // The set values the calculation used.
    double conicConstant = 0;
    double wavelength = 0;   // micrometres
    double pvError = 0;      // waves, the zone height as entered (0 taken as 1e-11)
    int inner = 0, outer = 20;  // the zone limits as used

    // The sampled surface, mm.
    std::array<double, kAnalysisKnots> knotColumn{};  // -knot height x Zone Ht, knots 22..42
    AnalysisArray deviation{};  // the scaled zonal deviation
    AnalysisArray sampleX{};    // across the full diameter
    AnalysisArray sampleY{};    // conic sag plus deviation

    // The best paraboloid.
    double rmsParabola = 0;     // waves on the surface
    double strehlRatio = 0;
    double parabolaRadius = 0;  // mm, its vertex radius
    // The best general conic.
    double rmsConic = 0;        // waves on the surface
    double bestConicRadius = 0; // mm
    double bestConicConstant = 0;
    // mm, the best conic minus the sampled surface at each sample; 0 at the
    // samples beyond the outer limit, which the fit leaves out.
    AnalysisArray residual{};

    NormalVector fitCoefficient{};  // the latest fit's, for the next calculation
    // The solver's line when the paraboloid's system was singular (its
    // coefficients are then the previous calculation's); "" otherwise.
    std::string solverMessage;
    AnalysisStage reached = AnalysisStage::None;
    std::string failure;  // the fault's message when the calculation stopped short
};

// The whole calculation. Both RMS figures are the ring figure of
// ring_figure.h over the rings inner + 1 .. outer, times 0.915; the
// paraboloid is fitted to every selected sample, the conic to minimise its
// figure. A floating-point fault stops it: the figures hold what was formed
// before, `reached` says how far that is and `failure` the message.
AnalysisFigures analyseSurface(const AnalysisInput& in);

}  // namespace sg
