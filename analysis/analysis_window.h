// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Analysis": compares the surface with the best-fit paraboloid and conic.
// It stays on top of the main window and is hidden until "Analyse Surface"
// shows it. What a calculation writes is drawn into an off-screen image, so
// it stays when the window is covered or repainted.

#include "simulator/canvas.h"
#include "widgets/error_reporter.h"
#include "analysis/analysis_layout.h"

#include <QWidget>

#include <string>
#include <vector>

class QTableWidget;

namespace sg {

class AnalysisWindow : public QWidget, public ZoneLimitCells, public AnalysisOutput {
public:
    // The calculation reads the main window's controls, the editor's shape
    // and the deviation's sign of the mirror the main window's picture shows.
    AnalysisWindow(QWidget* mainWindow, const EditorShape& shape, const Mirror& shownMirror,
              const ModelControls& mainControls, ErrorReporter& errors);

    // The zone limits: row 0 the inner, row 1 the outer limit, as integer text.
    std::string zoneCell(int row) const { return limitCell(row); }
    void setZoneCell(int row, const std::string& text) { setLimitCell(row, text); }

    // "Calculate Surface Performance".
    void onCalculate();

    // What the last calculation wrote, in order, beside the drawing.
    struct Written {
        int x, y;
        Rgb colour;
        std::string text;
    };
    const std::vector<Written>& written() const { return written_; }
    // The text written at (x, y) by the last calculation, or "" when none was.
    std::string textAt(int x, int y) const;
    const Canvas& canvas() const { return canvas_; }
    // The figures of the last calculation, as far as it got.
    const AnalysisFigures& figures() const { return figures_; }

    // ZoneLimitCells
    std::string limitCell(int row) const override;
    void setLimitCell(int row, const std::string& text) override;
    // AnalysisOutput
    void drawText(int x, int y, Rgb colour, const std::string& text) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const EditorShape& shape_;
    const Mirror& shownMirror_;
    const ModelControls& mainControls_;
    ErrorReporter& errors_;
    Canvas canvas_{992, 482};
    AnalysisFigures figures_;
    std::vector<Written> written_;
    QTableWidget* zoneGrid_;  // the two zone limits
};

}  // namespace sg
