// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/analysis_window.h"

#include "widgets/cell_grid.h"
#include "widgets/user_action.h"
#include "widgets/window_style.h"

#include <QListWidget>
#include <QPainter>
#include <QPushButton>

namespace sg {

namespace {

const char* const kAnalysisNote[] = {
    "This section is only partly finished: the tables above are there",
    "to check the workings of the program and may be ignored.",
    "",
    "The results of general interest are the area weighted RMS",
    "surface deviations and the new radius of curvature of best fit.",
    "",
    "The surface is fitted to a parabola and to a general conic.",
    "The approximations used in the fits matter only for very deep",
    "surfaces.",
    "",
    "The centre may be left out of the RMS (Inner Zone Limit); the",
    "best conic is fitted to that RMS, the parabola to every zone.",
    "The outer zones are removed from both fits and the RMS.",
    "",
    "The RMS figure is an approximation: the surface is taken at the",
    "21 zones of the drawing, from the centre to the edge, and",
    "summed ring by ring.",
    "",
    "As a guide: an RMS error of 1/14 (0.07) wave on the wavefront,",
    "0.035 wave on the surface, is often accepted as diffraction",
    "limited. 0.02 wave on the surface is an excellent target.",
    "Refracting surfaces are about four times more tolerant: glass",
    "of index 1.5 puts half its surface error into the wavefront,",
    "where a mirror doubles it.",
    "",
    "The PV (peak to valley) error is usually about 3.5 times the",
    "RMS error: 0.035 wave RMS on the surface is about 1/8 wave PV.",
    "",
    "The Strehl ratio is the peak brightness of a star image as a",
    "fraction of that of a perfect mirror; 0.8 or more is usually",
    "called diffraction limited.",
    "",
    "Set the zone limits, then press Calculate Surface Performance.",
    "The inner limit is kept within 0 to 8, the outer within 10 to",
    "20. Both are written back as used.",
    "",
    "The mirror analysed is the conic of the main window with the",
    "zone drawn in the irregular surface editor, scaled to the",
    "Zone Ht and turned over when Zone Ht is negative.",
    "",
    "All RMS figures are in waves of the wavelength set in the main",
    "window, measured on the surface.",
    "",
    "The Set values at the bottom repeat the conic constant, the",
    "wavelength and the Zone Ht the calculation used.",
    "",
    "Press the button again after changing the main window or the",
    "drawing: nothing here follows those changes by itself.",
};
static_assert(std::size(kAnalysisNote) == 48);

}  // namespace

AnalysisWindow::AnalysisWindow(QWidget* mainWindow, const EditorShape& shape, const Mirror& shownMirror,
                     const ModelControls& mainControls, ErrorReporter& errors)
    : QWidget(mainWindow, Qt::Window),
      shape_(shape),
      shownMirror_(shownMirror),
      mainControls_(mainControls),
      errors_(errors) {
    setObjectName("analysisWindow");
    setWindowTitle("Analysis");
    applyWindowStyle(this);
    setGeometry(19, 140, 992, 482);
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* calculate = new QPushButton("Calculate Surface Performance", this);
    calculate->setObjectName("calculateButton");
    calculate->setGeometry(24, 320, 225, 25);
    connect(calculate, &QPushButton::clicked, this, [this] { onCalculate(); });
    makeLabel(this, "innerLimitLabel", "Inner Zone Limit for Analysis  (0 - 8)", 272, 320);
    makeLabel(this, "outerLimitLabel", "Outer Zone Limit for Analysis (10-20)", 272, 344);

    zoneGrid_ = makeGrid(this, "zoneLimitGrid", 2, 1, 464, 312, 55, 55);
    zoneGrid_->setColumnWidth(0, 50);
    for (int row = 0; row < 2; ++row) zoneGrid_->setRowHeight(row, 24);

    auto* note = new QListWidget(this);
    note->setObjectName("noteList");
    note->setGeometry(536, 312, 441, 129);
    note->setSelectionMode(QAbstractItemView::NoSelection);
    note->setFocusPolicy(Qt::NoFocus);
    for (const char* line : kAnalysisNote) note->addItem(line);
}

std::string AnalysisWindow::limitCell(int row) const { return zoneGrid_->item(row, 0)->text().toStdString(); }

void AnalysisWindow::setLimitCell(int row, const std::string& text) {
    zoneGrid_->item(row, 0)->setText(QString::fromStdString(text));
}

void AnalysisWindow::drawText(int x, int y, Rgb colour, const std::string& text) {
    // The columns of the tables stand 80 to 100 pixels apart: the window
    // font at 10 pixels keeps their longest entries clear of the next column.
    static const QFont tableFont = withPixelSize(windowFont(), 10, false);
    static const QFont resultFont = windowFont();
    canvas_.setTextFont(colour == kAnalysisTableColour ? tableFont : resultFont);
    canvas_.setBrushColour(kSilver);
    canvas_.setBrushHollow(false);
    canvas_.setTextColour(colour);
    canvas_.drawText(x, y, text);
    canvas_.setTextColour(kBlack);
    written_.push_back({x, y, colour, text});
}

std::string AnalysisWindow::textAt(int x, int y) const {
    for (const Written& w : written_)
        if (w.x == x && w.y == y) return w.text;
    return {};
}

void AnalysisWindow::onCalculate() {
    // Each calculation starts from a clean page.
    canvas_.eraseRect(0, 0, canvas_.width(), canvas_.height());
    written_.clear();
    runUserAction(this, errors_, [this] {
        const ControlsReading controls = readControls(mainControls_);
        const AnalysisRequest request{controls, shape_, shownMirror_.invertDeviation, figures_.fitCoefficient};
        calculateAndLayOut(request, *this, *this, figures_);
    });
}

void AnalysisWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, canvas_.image());
}

}  // namespace sg
