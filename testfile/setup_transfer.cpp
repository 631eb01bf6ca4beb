// SPDX-License-Identifier: GPL-3.0-or-later
#include "setup_transfer.h"

#include "number_text.h"
#include "model_io.h"

#include <QList>

namespace sg {

SetupRecord storeSetupInRecord(MirrorModel& m, const ModelControls& controls, const NotesLines& notes) {
    readParametersFromControls(m, controls);
    // The choices as the controls show them, read as the recompute reads
    // them, on a copy: the model keeps the last drawing's.
    MirrorModel shown = m;
    readModelFromControls(shown, controls);
    readOrientation(shown, controls);
    SetupRecord r;
    r.linesPerMm = m.linesPerMm;
    r.axialOffset = m.axialOffset;
    r.evenLines = shown.evenLines;
    r.testWire = shown.testWire;
    r.testRonchi = shown.testRonchi;
    r.orient2D = shown.orient2D;
    r.range = m.range;
    r.orientHorizontal = shown.orientHorizontal;
    r.orientVertical = shown.orientVertical;
    r.testFoucault = shown.testFoucault;
    r.conicConstant = m.conicConstant;
    r.wavelength = m.wavelength;
    r.mirrorDiameter = m.mirrorDiameter;
    r.radiusOfCurvature = m.radiusOfCurvature;
    r.zoneHeight = m.zoneHeight;
    r.sourceMoves = controls.movingSourceChecked();
    r.exactTrace = controls.exactTraceChecked();
    // The slit as a drawing reads it: with the exact trace a bad or negative
    // width stops the save; without it the width does not count.
    r.slitWidth = r.exactTrace ? shown.sourceWidth : 0;
    for (int k = 1; k <= kNoteCount; ++k)
        if (k < notes.lineCount()) r.notes[k - 1] = encodeNote(notes.line(k));
    return r;
}

void applySetupRecord(const SetupRecord& r, MirrorModel& m, ModelControls& controls, NotesLines* notes) {
    m.linesPerMm = r.linesPerMm;
    m.axialOffset = r.axialOffset;
    m.evenLines = r.evenLines;
    m.testWire = r.testWire;
    m.testRonchi = r.testRonchi;
    m.orient2D = r.orient2D;
    m.range = r.range;
    m.orientHorizontal = r.orientHorizontal;
    m.orientVertical = r.orientVertical;
    m.testFoucault = r.testFoucault;
    m.conicConstant = r.conicConstant;
    m.wavelength = r.wavelength;
    m.mirrorDiameter = r.mirrorDiameter;
    m.radiusOfCurvature = r.radiusOfCurvature;
    m.zoneHeight = r.zoneHeight;
    publishModelToControls(m, controls);
    controls.setMovingSourceChecked(r.sourceMoves);
    controls.setExactTraceChecked(r.exactTrace);
    controls.setSourceWidthText(formatGeneral(r.slitWidth));
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

}  // namespace sg
