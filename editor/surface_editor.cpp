// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/surface_editor.h"

#include "model/failure.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

// Plot coordinates stay within a range that 32-bit pixel arithmetic
// (differences of two coordinates included) can take.
constexpr double kPlotLimit = 1 << 29;

int plotY(double offset) { return kEditorZeroY + static_cast<int>(offset); }

}  // namespace

int plotYRounded(double height) {
    if (std::isnan(height)) return kEditorZeroY;
    const double limited = std::clamp(height, -kPlotLimit, kPlotLimit);
    return plotY(static_cast<double>(roundHalfEven(limited)));
}

int plotYTruncated(double height) {
    if (std::isnan(height)) return kEditorZeroY;
    return plotY(std::trunc(std::clamp(height, -kPlotLimit, kPlotLimit)));
}

bool pressOnPlot(int x, int y) {
    const int reach = kEditorKnotSpacing / 2;
    return x >= kEditorLeftX - reach && x <= kEditorRightX + reach && y >= kEditorZeroY - kEditorHalfSpan &&
           y <= kEditorZeroY + kEditorHalfSpan;
}

int knotForPressX(int x) {
    const int clamped = std::clamp(x, kEditorLeftX, kEditorRightX);
    return static_cast<int>(roundHalfEven((clamped - kEditorLeftX) / static_cast<double>(kEditorKnotSpacing)));
}

void resetSurface(EditorShape& shape, EditorState& state) {
    shape.makeFlat();
    state.coefficients = SplineCoefficients{};
    state.startSlope = state.endSlope = 0;
    state.splineStatus = 0;
}

void fitEditorProfile(EditorShape& shape, EditorState& state) {
    // The arrays are 1-based for the spline: element k is knot k, so knot 0
    // stays out of the fit.
    state.splineStatus = fitClampedSpline(kKnotCount - 1, shape.knotX, shape.knotHeight, state.startSlope,
                                          state.endSlope, shape.sampleCount, shape.sampleX, shape.profile,
                                          state.coefficients);
}

void drawEditorGrid(Canvas& canvas, const EditorShape& shape) {
    canvas.setPenWidth(1);
    // The plot cleared: silver vertical lines from x = -17 to 747, each from
    // y = 100 up to 320, filled row by row (the same pixels, far fewer
    // scattered writes). The pen is silver afterwards, as the lines leave it.
    canvas.fillRect(-17, 100, 747, 319, kSilver);
    canvas.setPenColour(kSilver);

    canvas.setPenColour(kGrey);
    for (int j = -5; j <= 5; ++j) canvas.drawHLine(kEditorZeroY + 16 * j, kEditorLeftX, kEditorRightX);
    for (int k = 0; k < kKnotCount; ++k) {
        const bool edge = k == 2 || k == 42;  // the mirror's edges
        canvas.setPenColour(edge ? kYellow : kGrey);
        canvas.drawVLine(knotPlotX(k), kEditorZeroY - kEditorHalfSpan, kEditorZeroY + kEditorHalfSpan);
    }

    canvas.setPenColour(kYellow);
    canvas.drawHLine(kEditorZeroY, kEditorLeftX, kEditorRightX);
    canvas.drawVLine(kEditorCentreX, kEditorZeroY - kEditorHalfSpan, kEditorZeroY + kEditorHalfSpan);

    canvas.setPenColour(kRed);
    for (int r = 0; r <= 3; ++r)
        for (int k = 0; k < kKnotCount; ++k) canvas.drawCircle(knotPlotX(k), plotYTruncated(shape.knotHeight[k]), r);
}

void drawEditorProfile(Canvas& canvas, EditorShape& shape, EditorState& state) {
    fitEditorProfile(shape, state);
    const int n = shape.sampleCount;
    auto at = [&shape](int i) { return plotYRounded(shape.profile[i]); };
    // A polyline from a start point through samples first..last.
    auto polyline = [&](int startX, int startY, int first, int last) {
        int x = startX, y = startY;
        for (int i = first; i <= last; ++i) {
            const int nx = i + kEditorLeftX, ny = at(i);
            canvas.drawLine(x, y, nx, ny);
            x = nx;
            y = ny;
        }
    };

    // Across the mirror, from the left edge (sample 32) to the right (n - 32).
    canvas.setPenColour(kRed);
    canvas.setPenWidth(2);
    polyline(45, at(32), 32, n - 32);
    // Beyond the edges, out to the outer knots 1 and 43.
    canvas.setPenColour(kGrey);
    canvas.setPenWidth(1);
    polyline(685, at(672), 672, n - 16);
    polyline(29, at(16), 16, 32);
}

SurfaceEditor::SurfaceEditor(EditorShape& shape, const Mirror& shownMirror, const ModelControls& controls,
                             StatisticsDisplay& display)
    : shape_(shape), shownMirror_(shownMirror), controls_(controls), display_(display) {}

void SurfaceEditor::startNewSurface() {
    const KnotHeights before = knots();
    resetSurface(shape_, state_);
    recordIfChanged(before);
    redrawEditor();
}

void SurfaceEditor::redrawEditor() {
    drawEditorGrid(canvas_, shape_);
    drawEditorProfile(canvas_, shape_, state_);
    display_.showStatistics(statisticsLines(refreshStatistics(shape_, shownMirror_, controls_)));
}

void SurfaceEditor::followEntries() {
    try {
        display_.showStatistics(statisticsLines(refreshStatistics(shape_, shownMirror_, controls_)));
        display_.dimStatistics(false);
    } catch (const std::exception&) {
        display_.dimStatistics(true);
    }
}

bool SurfaceEditor::pressAt(int x, int y) {
    if (!pressOnPlot(x, y)) return false;
    const KnotHeights before = knots();
    const int k = knotForPressX(x);
    shape_.knotHeight[k] = y - kEditorZeroY;
    shape_.knotHeight[kKnotCount - 1 - k] = shape_.knotHeight[k];
    recordIfChanged(before);
    redrawEditor();
    return true;
}

void SurfaceEditor::initialiseOnce() {
    if (state_.editorNeedsInit) {
        state_.editorNeedsInit = false;
        resetSurface(shape_, state_);
        redrawEditor();
    }
}

KnotHeights SurfaceEditor::knots() const {
    KnotHeights heights;
    std::copy_n(shape_.knotHeight.begin(), heights.size(), heights.begin());
    return heights;
}

void SurfaceEditor::setKnots(const KnotHeights& heights) {
    std::copy(heights.begin(), heights.end(), shape_.knotHeight.begin());
}

void SurfaceEditor::recordIfChanged(const KnotHeights& before) {
    if (!sameHeights(before, knots())) history_.record(before);
}

void SurfaceEditor::takeRetrievedShape(const KnotHeights& heights) {
    const KnotHeights before = knots();
    setKnots(heights);
    recordIfChanged(before);
    markSaved();
}

void SurfaceEditor::takeShape(const KnotHeights& heights) {
    const KnotHeights before = knots();
    setKnots(heights);
    recordIfChanged(before);
}

void SurfaceEditor::markSaved() { saved_ = knots(); }

bool SurfaceEditor::hasUnsavedShape() const {
    const KnotHeights now = knots();
    const bool flat = std::all_of(now.begin(), now.end(), [](double h) { return h == 0; });
    return !flat && !(saved_ && sameHeights(*saved_, now));
}

bool SurfaceEditor::undo() {
    const std::optional<KnotHeights> before = history_.undo(knots());
    if (!before) return false;
    setKnots(*before);
    redrawEditor();
    return true;
}

bool SurfaceEditor::redo() {
    const std::optional<KnotHeights> after = history_.redo(knots());
    if (!after) return false;
    setKnots(*after);
    redrawEditor();
    return true;
}

}  // namespace sg
