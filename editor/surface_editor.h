// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The irregular surface editor without its window: the 45 knots, the
// clamped spline through them, the plot drawn on the editor's canvas, mouse
// editing and the statistics beside the plot. The window turns its events
// into calls of this class and shows its canvas and statistics.

#include "simulator/canvas.h"
#include "model/clamped_spline.h"
#include "editor/edit_history.h"
#include "model/editor_shape.h"
#include "model/mirror.h"
#include "model/model_controls.h"
#include "editor/surface_statistics.h"

#include <cstdint>
#include <optional>

namespace sg {

// The editor window's drawing surface. The plot lies in x = -17..747,
// y = 100..320; the canvas reaches down to y = 600 so that the text a
// failed retrieve draws at y = 550 has room when the window is enlarged.
inline constexpr int kEditorCanvasWidth = 967;
inline constexpr int kEditorCanvasHeight = 600;

// Plot geometry, in window pixels: knot k at x = 13 + 16 k, a height h at
// y = 210 + h (positive below the zero line), h in -80..80 on the grid.
inline constexpr int kEditorZeroY = 210;
inline constexpr int kEditorLeftX = 13;
inline constexpr int kEditorKnotSpacing = 16;
inline constexpr int kEditorHalfSpan = 80;
inline constexpr int kEditorRightX = kEditorLeftX + kEditorKnotSpacing * (kKnotCount - 1);  // 717
inline constexpr int kEditorCentreX = kEditorLeftX + kEditorKnotSpacing * 22;               // 365

inline int knotPlotX(int k) { return kEditorLeftX + kEditorKnotSpacing * k; }

// The editor's own state beside the shape it draws.
struct EditorState {
    bool editorNeedsInit = true;  // cleared by the first initialisation
    double startSlope = 0;        // end slopes of the clamped spline
    double endSlope = 0;
    SplineCoefficients coefficients;
    std::uint8_t splineStatus = 0;
};

// Where the statistics lines go: the window's labels, or plain strings.
class StatisticsDisplay {
public:
    virtual ~StatisticsDisplay() = default;
    virtual void showStatistics(const StatisticsLines& lines) = 0;
    // The lines greyed while the entries they come from cannot be read,
    // shown plainly again once they can; plain strings have no colour.
    virtual void dimStatistics(bool /*dim*/) {}
};

// True for a press on the plot: within half a knot spacing of the outer
// knot columns (x in 5..725) and on the plot rows (y in 130..290).
bool pressOnPlot(int x, int y);

// Knot chosen by a press at x: the press clamped into 13..717, then the
// nearest knot, halves to the even knot (x = 21 selects knot 0).
int knotForPressX(int x);

// The flat surface: every knot, sample and coefficient reset, knots at
// 0..44 with height 0, 704 samples at i/16 with value 0.
void resetSurface(EditorShape& shape, EditorState& state);

// Fits the spline through knots 1..44 (knot 0 does not enter it) with the
// end slopes, and evaluates it at samples 1..704 into the shape's profile.
void fitEditorProfile(EditorShape& shape, EditorState& state);

// Erases the plot and draws the grid, the edges, the zero and centre
// lines and the four red circles of every knot.
void drawEditorGrid(Canvas& canvas, const EditorShape& shape);

// Fits the profile and draws it: red, 2 pixels wide, across the mirror
// (samples 32..672), grey beyond the edges (16..32 and 672..688).
void drawEditorProfile(Canvas& canvas, EditorShape& shape, EditorState& state);

// The plot coordinate of a height in editor pixels: 210 plus the height
// rounded (halves to even) or truncated, limited to a range that any pixel
// arithmetic can take. Heights beyond it are drawn at its end.
int plotYRounded(double height);
int plotYTruncated(double height);

class SurfaceEditor {
public:
    // Draws into `shape`; the statistics take the main window's controls
    // and the deviation's sign of the mirror its picture shows.
    SurfaceEditor(EditorShape& shape, const Mirror& shownMirror, const ModelControls& controls,
                  StatisticsDisplay& display);

    const EditorShape& shape() const { return shape_; }
    const Canvas& canvas() const { return canvas_; }
    Canvas& canvas() { return canvas_; }
    EditorState& state() { return state_; }

    // Resets to the flat surface, then redraws. An undo step when a knot
    // changes.
    void startNewSurface();
    // Grid, profile, then the statistics. A statistics failure throws its
    // message after the plot is drawn; the lines keep their last captions.
    void redrawEditor();
    // The statistics again from the main window's entries as they stand
    // (Zone Ht, the wavelength, the diameter), without a message: greyed
    // when the entries cannot be read.
    void followEntries();
    // A press at (x, y) in window pixels. On the plot (pressOnPlot) the
    // nearest knot and its mirrored partner take the height y - 210, the
    // editor redraws and true is returned; an undo step when a knot changes.
    // A press beyond the plot changes and draws nothing and returns false.
    bool pressAt(int x, int y);
    // Runs the first initialisation once; later calls do nothing.
    void initialiseOnce();

    // The heights of knots 0..44 as they are.
    KnotHeights knots() const;
    // Heights read from a shape file become the knots (an undo step when a
    // knot changes) and count as saved. The caller redraws.
    void takeRetrievedShape(const KnotHeights& heights);
    // Heights given by another window (the reduced surface) become the
    // knots, an undo step when a knot changes; not counted as saved. The
    // caller redraws.
    void takeShape(const KnotHeights& heights);
    // The knots as they are were written to a shape file.
    void markSaved();
    // True when the knots hold a shape that is neither flat (every height
    // 0) nor the one last saved or retrieved.
    bool hasUnsavedShape() const;

    // Back to the knots before the latest edit, or forward again to those
    // the latest undo left; the editor redraws. False, drawing nothing, when
    // there is no such step.
    bool undo();
    bool redo();
    const EditHistory& history() const { return history_; }

private:
    void setKnots(const KnotHeights& heights);
    // The edit's heights `before`, if a knot differs now, as an undo step.
    void recordIfChanged(const KnotHeights& before);

    EditorShape& shape_;
    const Mirror& shownMirror_;
    const ModelControls& controls_;
    StatisticsDisplay& display_;
    Canvas canvas_{kEditorCanvasWidth, kEditorCanvasHeight};
    EditorState state_;
    EditHistory history_;
    std::optional<KnotHeights> saved_;  // the knots last saved or retrieved
};

}  // namespace sg
