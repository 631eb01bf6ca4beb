// SPDX-License-Identifier: GPL-3.0-or-later
#include "testfile/setup_transfer.h"

#include "model/number_text.h"

#include <QList>

namespace sg {

SetupRecord storeSetupInRecord(const ControlsReading& controls, const Mirror& shownMirror, const TestSetup& shown,
                               const NotesLines& notes) {
    const EnteredNumbers n = enteredNumbers(controls);
    // The choices as the controls show them, read as a drawing reads them,
    // on copies: the picture keeps its own.
    Mirror mirror = shownMirror;
    TestSetup setup = shown;
    readSetup(controls, mirror, setup);
    setup.orientation = orientationFrom(controls, setup.orientation);
    SetupRecord r;
    r.linesPerMm = n.linesPerMm;
    r.axialOffset = shown.position.axialOffset;
    r.evenLines = brightCentreBand(setup);
    r.testWire = setup.test == TestKind::Wire;
    r.testRonchi = setup.test == TestKind::Ronchi;
    r.orient2D = setup.orientation == Orientation::TwoD;
    r.range = n.range;
    r.orientHorizontal = setup.orientation == Orientation::Horizontal;
    r.orientVertical = setup.orientation == Orientation::Vertical;
    r.testFoucault = setup.test == TestKind::Foucault;
    r.conicConstant = n.conicConstant;
    r.wavelength = n.wavelength;
    r.mirrorDiameter = n.mirrorDiameter;
    r.radiusOfCurvature = n.radiusOfCurvature;
    r.zoneHeight = n.zoneHeight;
    r.sourceMoves = controls.movingSource;
    r.exactTrace = controls.exactTrace;
    r.slitWidth = workingSlitWidth(setup);
    r.waveOptics = controls.waveOptics;
    r.whiteLight = controls.whiteLight;
    for (int k = 1; k <= kNoteCount; ++k)
        if (k < notes.lineCount()) r.notes[k - 1] = encodeNote(notes.line(k));
    return r;
}

void applySetupRecord(const SetupRecord& r, const ViewOptions& view, double maxMove, ModelControls& controls,
                      NotesLines* notes) {
    if (r.testWire) controls.setTestItem(kTestWire);
    if (r.testRonchi) controls.setTestItem(kTestRonchi);
    if (r.testFoucault) controls.setTestItem(kTestFoucault);
    if (r.orientVertical) controls.setOrientationItem(kOrientVertical);
    if (r.orientHorizontal) controls.setOrientationItem(kOrientHorizontal);
    if (r.orient2D) controls.setOrientationItem(kOrient2D);
    controls.setOddChecked(!r.evenLines);
    controls.setGridChecked(view.showGrid);
    Mirror mirror;
    mirror.mirrorDiameter = r.mirrorDiameter;
    mirror.radiusOfCurvature = r.radiusOfCurvature;
    mirror.conicConstant = r.conicConstant;
    mirror.zoneHeight = r.zoneHeight;
    TestSetup setup;
    setup.linesPerMm = r.linesPerMm;
    setup.wavelength = r.wavelength;
    setup.position.range = r.range;
    setup.position.maxMove = maxMove;
    publishParameters(mirror, setup, controls);
    controls.setMovingSourceChecked(r.sourceMoves);
    controls.setExactTraceChecked(r.exactTrace);
    controls.setSourceWidthText(formatGeneral(r.slitWidth));
    controls.setWaveOpticsChecked(r.waveOptics);
    controls.setWhiteLightChecked(r.whiteLight);
    if (notes == nullptr) return;
    if (notes->lineCount() == 0 || notes->line(0).isEmpty()) notes->setLine(0, kNotesHeader);
    for (int k = 1; k <= kNoteCount; ++k) notes->setLine(k, decodeNote(r.notes[k - 1]));
}

std::vector<int> notesTooLong(const NotesLines& notes) {
    std::vector<int> cut;
    for (int k = 1; k <= kNoteCount && k < notes.lineCount(); ++k)
        if (notes.line(k).toUcs4().size() > kNoteBytes) cut.push_back(k);
    return cut;
}

std::string notesNotKept(const NotesLines& notes) {
    const bool header = notes.lineCount() > 0 && notes.line(0) != QString(kNotesHeader);
    std::vector<int> beyond;
    for (int k = kNoteCount + 1; k < notes.lineCount(); ++k)
        if (!notes.line(k).trimmed().isEmpty()) beyond.push_back(k);
    if (!header && beyond.empty()) return {};
    std::string lines;
    for (int k : beyond) lines += (lines.empty() ? "" : ", ") + std::to_string(k);
    std::string what = header ? "the header line" : "";
    if (!beyond.empty())
        what += (header ? " and " : "") + std::string(beyond.size() > 1 ? "lines " : "line ") + lines;
    const bool several = (header ? 1 : 0) + beyond.size() > 1;
    return "the notes keep only the " + std::to_string(kNoteCount) + " lines under their header: " + what +
           (several ? " are" : " is") + " not kept.";
}

}  // namespace sg
