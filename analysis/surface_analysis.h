// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The surface analysis: the mirror of the model (the conic of the parameter
// grid plus the drawn zonal deviation) compared with the best-fit
// paraboloid and the best-fit general conic, in 41 samples across the
// diameter. The window and shadowgram-analyse run the same sequence; what
// it draws goes to an AnalysisOutput.

#include "least_squares.h"
#include "mirror_model.h"
#include "model_controls.h"

#include <array>
#include <string>

namespace sg {

inline constexpr int kAnalysisSamples = 41;  // sample 20 is the centre, 0 and 40 the edges
using AnalysisArray = std::array<double, kAnalysisSamples>;

// The analysis's working state, kept from one calculation to the next. The
// tables and figures of a calculation come from that calculation alone.
struct AnalysisWorkspace {
    AnalysisArray sampleX{};          // mm across the full diameter
    AnalysisArray sampleY{};          // mm, conic sag plus deviation
    AnalysisArray deviationSample{};  // mm, the scaled zonal deviation
    // mm, the best conic minus the sampled surface at each sample; 0 at the
    // samples beyond the outer limit, which the fit leaves out.
    AnalysisArray residual{};
    NormalVector fitCoefficient{};  // of the latest fit
    double rmsParabola = 0;         // waves on the surface, as shown
    double rmsConic = 0;            // waves on the surface, as shown
    double bestConicRadius = 0;     // mm
    double bestConicConstant = 0;
    double strehlRatio = 0;
};

// The two zone-limit cells of the window: row 0 the inner, row 1 the outer
// limit, as integer text.
class ZoneLimitCells {
public:
    virtual ~ZoneLimitCells() = default;
    virtual std::string limitCell(int row) const = 0;
    virtual void setLimitCell(int row, const std::string& text) = 0;
};

// Where the analysis writes: text at a window position in a colour.
class AnalysisOutput {
public:
    virtual ~AnalysisOutput() = default;
    virtual void drawText(int x, int y, Rgb colour, const std::string& text) = 0;
};

inline constexpr Rgb kAnalysisSetColour{0, 128, 0};   // the set values
inline constexpr Rgb kAnalysisResultColour = kRed;    // the results
inline constexpr Rgb kAnalysisTableColour = kBlack;   // the tables

// Fills sampleX, sampleY and deviationSample, re-reading the main window's
// parameter grid into the model on the way (a zone height of 0 as 1e-7).
void sampleSurface(MirrorModel& m, const ModelControls& controls, AnalysisWorkspace& w);

// The whole calculation: the set values, the limits (clamped and written
// back), the tables of the sampled surface, the paraboloid pass with its RMS
// and Strehl ratio, the conic pass with its RMS, radius and conic constant,
// and last the best conic's residuals. Both RMS figures are the ring figure
// of ring_figure.h over the rings inner + 1 .. outer, times 0.915; the conic
// is fitted to minimise its figure. A bad cell or a floating-point fault
// throws its message where it happens; what was written before stays.
void runAnalysis(MirrorModel& m, const ModelControls& controls, ZoneLimitCells& limits, AnalysisWorkspace& w,
                 AnalysisOutput& out);

}  // namespace sg
