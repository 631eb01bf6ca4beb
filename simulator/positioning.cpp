// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/positioning.h"

#include "model/number_text.h"
#include "model/failure.h"
#include "simulator/picture.h"
#include "simulator/profile_graphs.h"
#include "simulator/ray_pass.h"
#include "simulator/redraw.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

constexpr int kAxialCentreRow = 325;
constexpr int kMarkerColumn = 25;

void readRange(Drawing& d, const ControlsReading& r) { d.state.scene.setup.position.range = r.parameter(kRowRange); }

void readMaxMove(Drawing& d, const ControlsReading& r) { d.state.scene.setup.position.maxMove = r.maxMove.get(); }

DevicePosition& position(Drawing& d) { return d.state.scene.setup.position; }

}  // namespace

double axialPositionFromRow(int row, double range) {
    const double p = (row - kAxialCentreRow) * range / 100;
    return std::clamp(checkedOperand(p), -100.0, 100.0);
}

double transverseOffsetFromColumn(int column, double maxMove) {
    const double t = (column - kMarkerColumn) * maxMove / 24;
    return std::clamp(checkedOperand(t), -24.0, 24.0);
}

void drawAxialMarker(Drawing& d, int knifeX, int row) {
    Canvas& c = d.sim.canvas;
    const TestKind test = d.state.scene.setup.test;
    c.setPenColour(kGrey);
    c.setPenWidth(1);
    c.drawLine(13, 225, 37, 425);
    c.drawLine(37, 225, 13, 425);
    c.setPenColour(kBlack);
    c.setPenWidth(3);
    if (test == TestKind::Ronchi) {
        // A grating seen edge-on.
        c.drawLine(21, row, 20, row);
        c.drawLine(25, row, 25, row);
        c.drawLine(29, row, 30, row);
    }
    if (test == TestKind::Wire) c.drawLine(25, row, 25, row);
    if (test == TestKind::Foucault) c.drawLine(1, row + 2, knifeX, row + 2);  // the knife comes in from the left
    c.setPenWidth(1);
    DevicePosition& p = position(d);
    if (!p.axialHeld) p.axialOffset = axialPositionFromRow(row, p.range);
    d.display.setAxialReadout(formatGeneral(p.axialOffset));
}

void drawTransverseMarker(Drawing& d, int x) {
    Canvas& c = d.sim.canvas;
    c.setPenColour(kGrey);
    c.setPenWidth(1);
    c.drawLine(1, 470, 49, 470);
    c.drawLine(25, 458, 25, 482);
    c.setPenColour(kBlack);
    c.setPenWidth(3);
    if (d.state.scene.setup.test == TestKind::Foucault)
        c.drawLine(1, 470, x, 470);
    else
        c.drawLine(x, 470, x, 470);
    c.setPenWidth(1);
    c.drawText(10, 485, transverseReadoutText(d.state.scene.setup));
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

void pictureClick(Drawing& d, const ControlsReading& r, const PositionOverride& override) {
    DevicePosition& p = position(d);
    p.transverseOffset = override.transverse.value_or(0);
    int row = p.axialMarkerY;
    clearDrawingArea(d.sim.canvas);
    paintFreshDisk(d);
    readRange(d, r);
    if (override.axial) {
        p.axialOffset = *override.axial;
        p.axialHeld = true;
    }
    recompute(d, r);
    // A position given as a number keeps its value; the marker goes to its
    // nearest row under the RANGE read now.
    if (p.axialHeld) row = p.axialMarkerY = rowForPosition(p.axialOffset, p.range);
    const int column = override.transverse ? columnForOffset(*override.transverse, p.maxMove) : kMarkerColumn;
    drawAxialMarker(d, column, row);
    // Again, so that the shadowgram is drawn for the position the marker shows.
    recompute(d, r);
    drawShadowgramPass(d, r);
    drawConicReadout(d.sim, d.state.scene);
    drawTransverseMarker(d, column);
}

void axialDiagramClick(Drawing& d, const ControlsReading& r, int y) {
    DevicePosition& p = position(d);
    clearDrawingArea(d.sim.canvas);
    paintFreshDisk(d);
    readRange(d, r);
    p.transverseOffset = 0;
    p.axialHeld = false;
    recompute(d, r);
    drawAxialMarker(d, kMarkerColumn, y);
    recompute(d, r);
    drawShadowgramPass(d, r);
    drawConicReadout(d.sim, d.state.scene);
    p.axialMarkerY = y;
    drawTransverseMarker(d, kMarkerColumn);
}

void transverseSliderClick(Drawing& d, const ControlsReading& r, int x) {
    DevicePosition& p = position(d);
    const int row = p.axialMarkerY;
    clearDrawingArea(d.sim.canvas);
    paintFreshDisk(d);
    readRange(d, r);
    recompute(d, r);
    readMaxMove(d, r);
    p.transverseOffset = transverseOffsetFromColumn(x, p.maxMove);
    drawAxialMarker(d, x, row);
    drawTransverseMarker(d, x);
    const Scene& scene = d.state.scene;
    if (scene.setup.test == TestKind::Foucault && p.maxMove < 0.1 && scene.mirror.conicConstant == 0 &&
        p.transverseOffset != 0)
        d.display.showWarning(kFoucaultWarningLine1, kFoucaultWarningLine2);
    recompute(d, r);
    drawShadowgramPass(d, r);
    drawConicReadout(d.sim, d.state.scene);
}

void zeroClick(Drawing& d, const ControlsReading& r) {
    DevicePosition& p = position(d);
    p.transverseOffset = 0;
    p.axialHeld = false;
    clearDrawingArea(d.sim.canvas);
    p.axialMarkerY = kAxialCentreRow;
    drawAxialMarker(d, kMarkerColumn, kAxialCentreRow);
    recompute(d, r);
    paintFreshDisk(d);
    drawShadowgramPass(d, r);
    drawConicReadout(d.sim, d.state.scene);
    drawTransverseMarker(d, kMarkerColumn);
}

void drawStartingPosition(Drawing& d) {
    DevicePosition& p = position(d);
    p.axialMarkerY = kAxialCentreRow;
    p.transverseOffset = 0;
    p.axialHeld = false;
    drawAxialMarker(d, kMarkerColumn, kAxialCentreRow);
    drawTransverseMarker(d, kMarkerColumn);
}

void pressOnDrawingArea(Drawing& d, const ControlsReading& r, int x, int y) {
    switch (clickRegion(x, y)) {
    case ClickRegion::Picture: pictureClick(d, r); break;
    case ClickRegion::AxialDiagram: axialDiagramClick(d, r, y); break;
    case ClickRegion::TransverseSlider: transverseSliderClick(d, r, x); break;
    case ClickRegion::None: break;
    }
}

double axialDiagramReach(double range) { return std::fabs(range) * (kLastAxialRow - kAxialCentreRow) / 100; }

void typedAxialPosition(Drawing& d, const ControlsReading& r, double axial) {
    readRange(d, r);
    const double reach = axialDiagramReach(position(d).range);
    if (!(std::fabs(checkedOperand(axial)) <= reach)) throw AxialBeyondDiagram(reach);
    pictureClick(d, r, PositionOverride{axial, std::nullopt});
}

void stepAxialMarker(Drawing& d, const ControlsReading& r, int rows) {
    axialDiagramClick(d, r, std::clamp(position(d).axialMarkerY + rows, kFirstAxialRow, kLastAxialRow));
}

void stepTransverseMarker(Drawing& d, const ControlsReading& r, int columns) {
    const DevicePosition& p = position(d);
    const int column = columnForOffset(p.transverseOffset, p.maxMove) + columns;
    transverseSliderClick(d, r, std::clamp(column, kFirstSliderColumn, kLastSliderColumn));
}

}  // namespace sg
