// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Moving the grating, knife or wire by clicking on the main window's drawing
// area: the axial diagram (two converging rays, row 325 is the centre of
// curvature), the transverse slider below it, the picture itself, and the
// "Zero" button. Every accepted click erases and redraws the whole display.

#include "model/failure.h"
#include "model/number_text.h"
#include "simulator/redraw.h"

#include <optional>
#include <string>

namespace sg {

// The warning about a Foucault knife moved off a sphere's centre line.
inline constexpr const char* kFoucaultWarningLine1 =
    "              Very Slight Foucault KE departure from the centreline for a SPHERE";
inline constexpr const char* kFoucaultWarningLine2 = "                                            gives MEANINGLESS results";

// (row - 325) * range / 100 mm, limited to -100..100; above the centre is
// negative (inside the centre of curvature).
double axialPositionFromRow(int row, double range);

// (column - 25) * maxMove / 24, limited to -24..24; left of the tick is negative.
double transverseOffsetFromColumn(int column, double maxMove);

// The axial diagram in grey and the marker of the scene's test (three
// strokes for Ronchi, a dot for Wire, a knife bar from the left to knifeX
// for Foucault), 3 pixels wide in black; sets the axial position from the
// row with the scene's RANGE and shows it.
void drawAxialMarker(Drawing& d, int knifeX, int row);

// The transverse slider with its marker (a bar from the left for Foucault,
// a dot otherwise) and the read-out at (10, 485).
void drawTransverseMarker(Drawing& d, int x);

enum class ClickRegion { None, Picture, AxialDiagram, TransverseSlider };

// Picture: x > 105. Axial: 15 < x < 35 and 215 < y < 435. Transverse:
// 0 < x < 50 and 458 < y < 482. Bounds are excluded.
ClickRegion clickRegion(int x, int y);

// A position given directly instead of by a click, as the command-line
// renderer takes it: the axial position in mm (no limit) and the transverse
// offset; the markers are drawn at the nearest row and column of the
// diagrams.
struct PositionOverride {
    std::optional<double> axial;
    std::optional<double> transverse;
};

// The diagram row nearest to an axial position in mm (325 when range is 0),
// within the rows a click can reach (216..434); the slider column nearest
// to a transverse offset (25 when maxMove is 0), within 1..49.
int rowForPosition(double axial, double range);
int columnForOffset(double transverse, double maxMove);

// The rows of the axial diagram and the columns of the transverse slider
// that a click can reach.
inline constexpr int kFirstAxialRow = 216, kLastAxialRow = 434;
inline constexpr int kFirstSliderColumn = 1, kLastSliderColumn = 49;

// The click sequences, each with the controls as its action read them. A
// failure (a bad cell, a floating-point fault) stops the sequence where it
// happens; what was drawn stays.
void pictureClick(Drawing& d, const ControlsReading& r, const PositionOverride& position = {});
void axialDiagramClick(Drawing& d, const ControlsReading& r, int y);
void transverseSliderClick(Drawing& d, const ControlsReading& r, int x);
void zeroClick(Drawing& d, const ControlsReading& r);

// The diagrams before the first picture: the marker on the centre of
// curvature and on the slider's tick, the read-outs at 0.
void drawStartingPosition(Drawing& d);

// A press on the bare drawing area: the sequence of its region, or nothing.
void pressOnDrawingArea(Drawing& d, const ControlsReading& r, int x, int y);

// How far the axial diagram reaches either side of the centre of curvature,
// mm: its last row, 109 rows of RANGE / 100 mm.
double axialDiagramReach(double range);

// A typed position the diagram cannot show.
class AxialBeyondDiagram : public ActionError {
public:
    explicit AxialBeyondDiagram(double reach)
        : ActionError("The axial position lies beyond the diagram's reach of " + formatGeneral(reach) +
                      " mm either side of the centre of curvature."),
          reach(reach) {}
    double reach;
};

// An axial position typed in mm: the picture is drawn at that position
// exactly, as the renderer's --axial draws it, the marker at the nearest
// row; the position is held until the marker is moved. A position beyond
// the diagram's reach either way throws AxialBeyondDiagram, nothing drawn.
void typedAxialPosition(Drawing& d, const ControlsReading& r, double axial);

// The axial marker moved by `rows` rows (negative: up, towards the mirror),
// or the transverse marker by `columns` columns, within the rows and
// columns a click can reach, the picture drawn as that click draws it.
void stepAxialMarker(Drawing& d, const ControlsReading& r, int rows);
void stepTransverseMarker(Drawing& d, const ControlsReading& r, int columns);

}  // namespace sg
