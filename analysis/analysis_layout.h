// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The analysis as the window shows it: the set values, the zone limits
// read from their cells and written back as used, then the figures laid out
// as text at the window's positions. shadowgram-analyse prints the same
// texts in the same order.

#include "model/controls_reading.h"
#include "analysis/surface_analysis.h"
#include "model/view_options.h"

#include <string>

namespace sg {

// The two zone-limit cells of the window: row 0 the inner, row 1 the outer
// limit, as integer text.
class ZoneLimitCells {
public:
    virtual ~ZoneLimitCells() = default;
    virtual std::string limitCell(int row) const = 0;
    virtual void setLimitCell(int row, const std::string& text) = 0;
};

// Where the analysis writes: text at a window position in a colour, and the
// solver's line for a singular system, which goes to standard output
// unless an output takes it elsewhere.
class AnalysisOutput {
public:
    virtual ~AnalysisOutput() = default;
    virtual void drawText(int x, int y, Rgb colour, const std::string& text) = 0;
    virtual void solverMessage(const std::string& line);
};

inline constexpr Rgb kAnalysisSetColour{0, 128, 0};   // the set values
inline constexpr Rgb kAnalysisResultColour = kRed;    // the results
inline constexpr Rgb kAnalysisTableColour = kBlack;   // the tables

// What a calculation takes besides the limit cells: the main window's
// controls as read, the drawn shape, the deviation's sign of the picture's
// mirror and the previous calculation's fit.
struct AnalysisRequest {
    const ControlsReading& controls;
    const EditorShape& shape;
    bool invertDeviation = false;
    NormalVector previousFit{};
};

// The whole calculation in the window's order: the grid's numbers (a bad
// cell throws its message), the three set values, the limits (a bad limit
// throws its message; the limits as used are written back), the tables of
// the sampled surface, the solver's line when the paraboloid's system is
// singular, the paraboloid's RMS, Strehl ratio and radius, the
// conic's RMS, radius and constant, and last the residuals. A figure that
// is not finite, or the calculation's own fault, throws its message where
// its text would stand; what was written before stays. `figures` takes the
// calculation's figures as soon as they are formed, complete or not.
void calculateAndLayOut(const AnalysisRequest& request, ZoneLimitCells& limits, AnalysisOutput& out,
                        AnalysisFigures& figures);

}  // namespace sg
