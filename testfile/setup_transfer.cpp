#include "setup_transfer.h"

#include "model_io.h"

namespace sg {

SetupRecord storeSetupInRecord(MirrorModel& m, const ModelControls& controls, const NotesLines& notes) {
    readParametersFromControls(m, controls);
    SetupRecord r;
    r.linesPerMm = m.linesPerMm;
    r.axialOffset = m.axialOffset;
    r.evenLines = m.evenLines;
    r.testWire = m.testWire;
    r.testRonchi = m.testRonchi;
    r.orient2D = m.orient2D;
    r.range = m.range;
    r.orientHorizontal = m.orientHorizontal;
    r.orientVertical = m.orientVertical;
    r.testFoucault = m.testFoucault;
    r.conicConstant = m.conicConstant;
    r.wavelength = m.wavelength;
    r.mirrorDiameter = m.mirrorDiameter;
    r.radiusOfCurvature = m.radiusOfCurvature;
    r.zoneHeight = m.zoneHeight;
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
    if (notes == nullptr) return;
    for (int k = 1; k <= kNoteCount; ++k)
        if (k < notes->lineCount()) notes->replaceLine(k, decodeNote(r.notes[k - 1]));
}

}  // namespace sg
