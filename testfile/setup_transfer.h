// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Moving a test set-up between the main window (model, controls, notes box)
// and the test file record.

#include "mirror_model.h"
#include "model_controls.h"
#include "test_record.h"

#include <QString>

#include <vector>

namespace sg {

// The notes box as the test file sees it: its lines as typed (paragraphs),
// however the box wraps them on screen. Line 0 is the header, which is
// neither saved nor replaced.
class NotesLines {
public:
    virtual ~NotesLines() = default;
    virtual int lineCount() const = 0;
    virtual QString line(int index) const = 0;
    // Replaces line `index`, adding empty lines first when the box has fewer.
    virtual void setLine(int index, const QString& text) = 0;
};

// The header the notes box starts with.
inline constexpr const char* kNotesHeader = "----- A NOTE OF 10 LINES WILL BE SAVED ------";

// Reads the grid's numbers into the model as the recompute does (rows 0..4,
// the axial position, the zone height with 0 kept as 1e-7, the wavelength),
// then copies the model's numbers and notes lines 1..10 into a record. The
// test, orientation and parity flags, the tester, the ray model and the
// slit are those the controls show, read as the recompute reads them (no
// parity for Wire and Foucault, no slit without the exact trace); the
// model's flags stay those of the last drawing. A bad cell throws its
// message.
SetupRecord storeSetupInRecord(MirrorModel& m, const ModelControls& controls, const NotesLines& notes);

// The numbers (1..10) of the notes that are longer than a note can hold
// (255 characters) and are cut when saved.
std::vector<int> notesTooLong(const NotesLines& notes);

// Copies the record into the model and publishes it to the controls (the
// last set test and orientation flag wins; none set leaves the choice; the
// tester, ray model and slit as stored),
// then sets notes lines 1..10, adding the lines the box does not have; an
// emptied header line gets the header back. The axial marker, the
// transverse position, the maximum movement, "Grid", "White", the surface
// choice and the drawn surface stay.
void applySetupRecord(const SetupRecord& record, MirrorModel& m, ModelControls& controls, NotesLines* notes);

}  // namespace sg
