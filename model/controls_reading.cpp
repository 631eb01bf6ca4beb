// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/controls_reading.h"

#include "model/number_text.h"
#include "model/failure.h"

namespace sg {

namespace {

CellReading readCell(const std::string& text) {
    CellReading c;
    try {
        c.value = parseCellFloat(text);
    } catch (const ActionError& e) {
        c.error = e.what();
    }
    return c;
}

}  // namespace

double CellReading::get() const {
    if (!error.empty()) throw ActionError(error);
    return value;
}

void ControlsReading::setParameterText(int row, const std::string& text) {
    parameterText[row] = text;
    parameters.at(static_cast<std::size_t>(row)) = readCell(text);
}

ControlsReading readControls(const ModelControls& c) {
    ControlsReading r;
    for (int row = 0; row < kParameterRows; ++row) {
        r.parameterText[row] = c.parameterCell(row);
        r.parameters[static_cast<std::size_t>(row)] = readCell(r.parameterText[row]);
    }
    r.maxMove = readCell(c.moveCell(kMoveRowValue));
    r.slitWidth = readCell(c.sourceWidthText());
    r.testItem = c.testItem();
    r.orientationItem = c.orientationItem();
    r.surfaceItem = c.surfaceItem();
    r.odd = c.oddChecked();
    r.grid = c.gridChecked();
    r.movingSource = c.movingSourceChecked();
    r.exactTrace = c.exactTraceChecked();
    r.waveOptics = c.waveOpticsChecked();
    r.whiteLight = c.whiteLightChecked();
    return r;
}

EnteredNumbers enteredNumbers(const ControlsReading& r, double zeroZoneHeight) {
    EnteredNumbers n;
    n.mirrorDiameter = r.parameter(kRowDiameter);
    n.radiusOfCurvature = r.parameter(kRowRadius);
    n.conicConstant = r.parameter(kRowConic);
    n.linesPerMm = r.parameter(kRowLinesPerMm);
    n.range = r.parameter(kRowRange);
    n.zoneHeight = r.parameter(kRowZoneHeight);
    if (n.zoneHeight == 0.0) n.zoneHeight = zeroZoneHeight;
    n.wavelength = r.parameter(kRowWavelength);
    return n;
}

TestKind testFrom(const ControlsReading& r, TestKind previous) {
    switch (r.testItem) {
    case kTestWire: return TestKind::Wire;
    case kTestRonchi: return TestKind::Ronchi;
    case kTestFoucault: return TestKind::Foucault;
    default: return previous;
    }
}

Orientation orientationFrom(const ControlsReading& r, Orientation previous) {
    switch (r.orientationItem) {
    case kOrientVertical: return Orientation::Vertical;
    case kOrientHorizontal: return Orientation::Horizontal;
    case kOrient2D: return Orientation::TwoD;
    default: return previous;
    }
}

void readSetup(const ControlsReading& r, Mirror& mirror, TestSetup& setup) {
    mirror.mirrorDiameter = r.parameter(kRowDiameter);
    mirror.radiusOfCurvature = r.parameter(kRowRadius);
    mirror.conicConstant = r.parameter(kRowConic);
    setup.linesPerMm = r.parameter(kRowLinesPerMm);
    setup.position.range = r.parameter(kRowRange);
    mirror.zoneHeight = r.parameter(kRowZoneHeight);
    if (mirror.zoneHeight == 0.0) mirror.zoneHeight = 1e-7;
    setup.wavelength = r.parameter(kRowWavelength);

    setup.test = testFrom(r, setup.test);
    mirror.invertDeviation = mirror.zoneHeight < 0;
    if (r.surfaceItem == kSurfacePure) mirror.deviation = SurfaceDeviation::None;
    setup.source = r.movingSource ? SourceConvention::MovesWithDevice : SourceConvention::Fixed;
    setup.rayModel = r.exactTrace || r.waveOptics ? RayModel::Exact : RayModel::Series;
    setup.slitWidth = 0;
    if (setup.exact()) {
        const double width = r.slitWidth.get();
        if (width < 0) throw ActionError(kNegativeSlitMessage);
        setup.slitWidth = width;
    }
    setup.waveOptics = r.waveOptics;
    setup.spectrum = r.whiteLight ? Spectrum::White : Spectrum::Mono;
    setup.evenLines = !r.odd;
}

void publishParameters(const Mirror& mirror, const TestSetup& setup, ModelControls& c) {
    c.setParameterCell(kRowDiameter, formatGeneral(mirror.mirrorDiameter));
    c.setParameterCell(kRowRadius, formatGeneral(mirror.radiusOfCurvature));
    c.setParameterCell(kRowConic, formatGeneral(mirror.conicConstant));
    c.setParameterCell(kRowLinesPerMm, formatGeneral(setup.linesPerMm));
    c.setParameterCell(kRowRange, formatGeneral(setup.position.range));
    c.setParameterCell(kRowZoneHeight, formatGeneral(mirror.zoneHeight));
    c.setParameterCell(kRowWavelength, formatGeneral(setup.wavelength));
    c.setMoveCell(kMoveRowValue, formatGeneral(setup.position.maxMove));
}

void publishSetup(const Mirror& mirror, const TestSetup& setup, const ViewOptions& view, ModelControls& c) {
    c.setTestItem(static_cast<int>(setup.test));
    c.setOrientationItem(static_cast<int>(setup.orientation));
    c.setOddChecked(!setup.evenLines);
    c.setGridChecked(view.showGrid);
    publishParameters(mirror, setup, c);
}

void applyExample(int n, Mirror& mirror, TestSetup& setup, ViewOptions& view, ModelControls& c) {
    struct Example {
        TestKind test;
        Orientation orientation;
        double conic;
    };
    static constexpr Example kExamples[4] = {
        {TestKind::Ronchi, Orientation::Vertical, -1},    // Ronchi - Parabola - Vertical
        {TestKind::Ronchi, Orientation::Vertical, 0},     // Ronchi - Sphere - Vertical
        {TestKind::Ronchi, Orientation::Horizontal, -1},  // Ronchi - Parabola - Horizontal
        {TestKind::Foucault, Orientation::Vertical, -1},  // Foucault - Parabola - Vertical
    };
    if (n < 1 || n > 4) return;
    const Example& e = kExamples[n - 1];

    const Mirror defaults;
    mirror.mirrorDiameter = defaults.mirrorDiameter;
    mirror.radiusOfCurvature = defaults.radiusOfCurvature;
    mirror.conicConstant = e.conic;
    mirror.deviation = SurfaceDeviation::None;
    mirror.zoneHeight = defaults.zoneHeight;
    mirror.invertDeviation = false;
    const TestSetup defaultSetup;
    setup.test = e.test;
    setup.orientation = e.orientation;
    setup.linesPerMm = defaultSetup.linesPerMm;
    setup.evenLines = false;
    setup.wavelength = defaultSetup.wavelength;
    const double transverse = setup.position.transverseOffset;
    setup.position = DevicePosition{};
    setup.position.transverseOffset = transverse;
    view = ViewOptions{};
    publishSetup(mirror, setup, view, c);
}

}  // namespace sg
