// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_io.h"

#include "number_text.h"
#include "failure.h"

namespace sg {

double readParameterCell(const ModelControls& c, int row) { return parseCellFloat(c.parameterCell(row)); }

void readParametersFromControls(MirrorModel& m, const ModelControls& c, double zeroZoneHeight,
                                const std::function<void(MirrorModel&)>& afterZoneHeight) {
    m.mirrorDiameter = readParameterCell(c, kRowDiameter);
    m.radiusOfCurvature = readParameterCell(c, kRowRadius);
    m.conicConstant = readParameterCell(c, kRowConic);
    m.linesPerMm = readParameterCell(c, kRowLinesPerMm);
    m.range = readParameterCell(c, kRowRange);
    m.axialOffset = m.axialOffsetSetting;
    m.zoneHeight = readParameterCell(c, kRowZoneHeight);
    if (m.zoneHeight == 0.0) m.zoneHeight = zeroZoneHeight;
    if (afterZoneHeight) afterZoneHeight(m);
    m.wavelength = readParameterCell(c, kRowWavelength);
}

void readModelFromControls(MirrorModel& m, const ModelControls& c) {
    readParametersFromControls(m, c);

    switch (c.testItem()) {
    case kTestWire: m.testWire = true; m.testRonchi = false; m.testFoucault = false; break;
    case kTestRonchi: m.testWire = false; m.testRonchi = true; m.testFoucault = false; break;
    case kTestFoucault: m.testWire = false; m.testRonchi = false; m.testFoucault = true; break;
    default: break;
    }

    m.invertDeviation = m.zoneHeight < 0;
    if (c.surfaceItem() == kSurfacePure) m.useDistortedSurface = false;
    m.sourceMoves = c.movingSourceChecked();
    m.exactTrace = c.exactTraceChecked();
    m.sourceWidth = 0;
    if (m.exactTrace) {
        const double width = parseCellFloat(c.sourceWidthText());
        if (width < 0) throw ActionError(kNegativeSlitMessage);
        m.sourceWidth = width;
    }

    m.evenLines = !c.oddChecked();
    // Wire and Foucault work on a third of the entered period.
    if (m.testWire || m.testFoucault) {
        m.evenLines = false;
        m.linesPerMm = 3 * m.linesPerMm;
    }
}

void publishModelToControls(const MirrorModel& m, ModelControls& c) {
    if (m.testWire) c.setTestItem(kTestWire);
    if (m.testRonchi) c.setTestItem(kTestRonchi);
    if (m.testFoucault) c.setTestItem(kTestFoucault);
    if (m.orientVertical) c.setOrientationItem(kOrientVertical);
    if (m.orientHorizontal) c.setOrientationItem(kOrientHorizontal);
    if (m.orient2D) c.setOrientationItem(kOrient2D);
    c.setOddChecked(!m.evenLines);
    c.setGridChecked(m.showGrid);
    publishParametersToControls(m, c);
}

void publishParametersToControls(const MirrorModel& m, ModelControls& c) {
    c.setParameterCell(kRowDiameter, formatGeneral(m.mirrorDiameter));
    c.setParameterCell(kRowRadius, formatGeneral(m.radiusOfCurvature));
    c.setParameterCell(kRowConic, formatGeneral(m.conicConstant));
    c.setParameterCell(kRowLinesPerMm, formatGeneral(m.linesPerMm));
    c.setParameterCell(kRowRange, formatGeneral(m.range));
    c.setParameterCell(kRowZoneHeight, formatGeneral(m.zoneHeight));
    c.setParameterCell(kRowWavelength, formatGeneral(m.wavelength));
    c.setMoveCell(kMoveRowValue, formatGeneral(m.maxMove));
}

void applyExample(MirrorModel& m, ModelControls& c, int n) {
    struct Example {
        bool ronchi;
        bool horizontal;
        double conic;
    };
    static constexpr Example kExamples[4] = {
        {true, false, -1},   // Ronchi - Parabola - Vertical
        {true, false, 0},    // Ronchi - Sphere - Vertical
        {true, true, -1},    // Ronchi - Parabola - Horizontal
        {false, false, -1},  // Foucault - Parabola - Vertical
    };
    if (n < 1 || n > 4) return;
    const Example& e = kExamples[n - 1];

    setModelDefaults(m);
    m.testWire = false;
    m.testRonchi = e.ronchi;
    m.testFoucault = !e.ronchi;
    m.orientVertical = !e.horizontal;
    m.orientHorizontal = e.horizontal;
    m.orient2D = false;
    m.conicConstant = e.conic;
    m.range = 20;
    m.wavelength = 0.55;
    m.linesPerMm = 4;
    c.setParameterCell(kRowLinesPerMm, formatGeneral(m.linesPerMm));
    m.mirrorDiameter = 200;
    m.radiusOfCurvature = 2000;
    m.zoneHeight = 0.5;
    m.exampleRequest = 0;
    m.evenLines = false;
    m.whiteMode = false;
    m.showGrid = false;
    publishModelToControls(m, c);
}

void readOrientation(MirrorModel& m, const ModelControls& c) {
    switch (c.orientationItem()) {
    case kOrientVertical: m.orientVertical = true; m.orientHorizontal = false; m.orient2D = false; break;
    case kOrientHorizontal: m.orientVertical = false; m.orientHorizontal = true; m.orient2D = false; break;
    case kOrient2D: m.orientVertical = false; m.orientHorizontal = false; m.orient2D = true; break;
    default: break;
    }
}

}  // namespace sg
