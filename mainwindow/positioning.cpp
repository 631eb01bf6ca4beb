// SPDX-License-Identifier: GPL-3.0-or-later
#include "positioning.h"

#include "number_text.h"
#include "failure.h"
#include "model_io.h"
#include "picture.h"
#include "profile_graphs.h"
#include "ray_pass.h"
#include "redraw.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

constexpr int kAxialCentreRow = 325;
constexpr int kMarkerColumn = 25;

void readRange(Simulator& s) { s.model.range = readParameterCell(s.controls, kRowRange); }

void readMaxMove(Simulator& s) { s.model.maxMove = parseCellFloat(s.controls.moveCell(kMoveRowValue)); }

}  // namespace

double axialPositionFromRow(int row, double range) {
    const double p = (row - kAxialCentreRow) * range / 100;
    return std::clamp(checkedOperand(p), -100.0, 100.0);
}

double transverseOffsetFromColumn(int column, double maxMove) {
    const double t = (column - kMarkerColumn) * maxMove / 24;
    return std::clamp(checkedOperand(t), -24.0, 24.0);
}

void drawAxialMarker(Simulator& s, PositionDisplay& display, int knifeX, int row) {
    Canvas& c = s.canvas;
    const MirrorModel& m = s.model;
    c.setPenColour(kGrey);
    c.setPenWidth(1);
    c.drawLine(13, 225, 37, 425);
    c.drawLine(37, 225, 13, 425);
    c.setPenColour(kBlack);
    c.setPenWidth(3);
    if (m.testRonchi) {
        // A grating seen edge-on.
        c.drawLine(21, row, 20, row);
        c.drawLine(25, row, 25, row);
        c.drawLine(29, row, 30, row);
    }
    if (m.testWire) c.drawLine(25, row, 25, row);
    if (m.testFoucault) c.drawLine(1, row + 2, knifeX, row + 2);  // the knife comes in from the left
    c.setPenWidth(1);
    s.model.axialOffsetSetting = axialPositionFromRow(row, m.range);
    display.setAxialReadout(formatGeneral(s.model.axialOffsetSetting));
}

void drawTransverseMarker(Simulator& s, int x) {
    Canvas& c = s.canvas;
    c.setPenColour(kGrey);
    c.setPenWidth(1);
    c.drawLine(1, 470, 49, 470);
    c.drawLine(25, 458, 25, 482);
    c.setPenColour(kBlack);
    c.setPenWidth(3);
    if (s.model.testFoucault)
        c.drawLine(1, 470, x, 470);
    else
        c.drawLine(x, 470, x, 470);
    c.setPenWidth(1);
    c.drawText(10, 485, transverseReadoutText(s.model));
}

ClickRegion clickRegion(int x, int y) {
    if (x > 105) return ClickRegion::Picture;
    if (x > 15 && x < 35 && y > 215 && y < 435) return ClickRegion::AxialDiagram;
    if (x > 0 && x < 50 && y > 458 && y < 482) return ClickRegion::TransverseSlider;
    return ClickRegion::None;
}

int rowForPosition(double axial, double range) {
    if (range == 0) return kAxialCentreRow;
    const double row = kAxialCentreRow + std::clamp(checkedOperand(axial * 100 / range), -109.0, 109.0);
    return roundToInt(row);
}

int columnForOffset(double t, double maxMove) {
    if (maxMove == 0) return kMarkerColumn;
    const double column = kMarkerColumn + std::clamp(checkedOperand(t * 24 / maxMove), -24.0, 24.0);
    return roundToInt(column);
}

void pictureClick(Simulator& s, PositionDisplay& display, const PositionOverride& position) {
    MirrorModel& m = s.model;
    m.transverseOffset = position.transverse.value_or(0);
    int row = m.axialMarkerY;
    clearDrawingArea(s.canvas);
    drawDiskForMode(s.canvas, m);
    readRange(s);
    recompute(s);
    if (position.axial) row = rowForPosition(*position.axial, m.range);
    const int column = position.transverse ? columnForOffset(*position.transverse, m.maxMove) : kMarkerColumn;
    drawAxialMarker(s, display, column, row);
    if (position.axial) {
        m.axialOffsetSetting = *position.axial;
        display.setAxialReadout(formatGeneral(m.axialOffsetSetting));
    }
    // Again, so that the shadowgram is drawn for the position the marker shows.
    recompute(s);
    shadowgramPass(s);
    drawConicReadout(s);
    drawTransverseMarker(s, column);
}

void axialDiagramClick(Simulator& s, PositionDisplay& display, int y) {
    MirrorModel& m = s.model;
    clearDrawingArea(s.canvas);
    drawDiskForMode(s.canvas, m);
    readRange(s);
    m.transverseOffset = 0;
    recompute(s);
    drawAxialMarker(s, display, kMarkerColumn, y);
    recompute(s);
    shadowgramPass(s);
    drawConicReadout(s);
    m.axialMarkerY = y;
    drawTransverseMarker(s, kMarkerColumn);
}

void transverseSliderClick(Simulator& s, PositionDisplay& display, int x) {
    MirrorModel& m = s.model;
    const int row = m.axialMarkerY;
    clearDrawingArea(s.canvas);
    drawDiskForMode(s.canvas, m);
    readRange(s);
    recompute(s);
    readMaxMove(s);
    m.transverseOffset = transverseOffsetFromColumn(x, m.maxMove);
    drawAxialMarker(s, display, x, row);
    drawTransverseMarker(s, x);
    if (m.testFoucault && m.maxMove < 0.1 && m.conicConstant == 0 && m.transverseOffset != 0)
        display.showWarning(kFoucaultWarningLine1, kFoucaultWarningLine2);
    recompute(s);
    shadowgramPass(s);
    drawConicReadout(s);
}

void zeroClick(Simulator& s, PositionDisplay& display) {
    MirrorModel& m = s.model;
    m.transverseOffset = 0;
    clearDrawingArea(s.canvas);
    m.axialMarkerY = kAxialCentreRow;
    drawAxialMarker(s, display, kMarkerColumn, kAxialCentreRow);
    recompute(s);
    drawDiskForMode(s.canvas, m);
    shadowgramPass(s);
    drawConicReadout(s);
    drawTransverseMarker(s, kMarkerColumn);
}

void formMouseDown(Simulator& s, PositionDisplay& display, int x, int y) {
    switch (clickRegion(x, y)) {
    case ClickRegion::Picture: pictureClick(s, display); break;
    case ClickRegion::AxialDiagram: axialDiagramClick(s, display, y); break;
    case ClickRegion::TransverseSlider: transverseSliderClick(s, display, x); break;
    case ClickRegion::None: break;
    }
}

void typedAxialPosition(Simulator& s, PositionDisplay& display, double axial) {
    readRange(s);
    const double range = std::fabs(s.model.range);
    if (!(std::fabs(checkedOperand(axial)) <= range))
        throw ActionError("The axial position " + formatGeneral(axial) + " mm lies beyond the RANGE of " +
                          formatGeneral(range) + " mm either side of the centre of curvature.");
    axialDiagramClick(s, display, rowForPosition(axial, s.model.range));
}

void stepAxialMarker(Simulator& s, PositionDisplay& display, int rows) {
    axialDiagramClick(s, display, std::clamp(s.model.axialMarkerY + rows, kFirstAxialRow, kLastAxialRow));
}

void stepTransverseMarker(Simulator& s, PositionDisplay& display, int columns) {
    const int column = columnForOffset(s.model.transverseOffset, s.model.maxMove) + columns;
    transverseSliderClick(s, display, std::clamp(column, kFirstSliderColumn, kLastSliderColumn));
}

}  // namespace sg
