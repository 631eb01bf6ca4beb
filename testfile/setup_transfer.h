// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Moving a test set-up between the main window (its controls and notes box)
// and the test file record.

#include "model/controls_reading.h"
#include "model/model_controls.h"
#include "testfile/test_record.h"

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

// The set-up as the controls show it, in a record: the grid's numbers
// (rows 0..6, the zone height with 0 kept as 1e-7; a bad cell throws its
// message), the test, orientation and parity, the tester, the ray model and
// the slit read as a drawing reads them (no parity for Wire and Foucault, no
// slit without the exact trace; a bad or negative slit throws), a choice
// with no item selected taken from the picture's set-up `shown`, the wave
// picture and its light as their boxes show them, the axial position of the
// picture, and notes lines 1..10.
SetupRecord storeSetupInRecord(const ControlsReading& controls, const Mirror& shownMirror, const TestSetup& shown,
                               const NotesLines& notes);

// The numbers (1..10) of the notes that are longer than a note can hold
// (255 characters) and are cut when saved.
std::vector<int> notesTooLong(const NotesLines& notes);

// What the notes box holds that a saved set-up does not keep, as the end of
// a sentence ("the header line and lines 11, 12 are not kept: ..."); empty
// when everything is kept. Only lines 1..10 under the header are saved.
std::string notesNotKept(const NotesLines& notes);

// Publishes the record to the controls (the last set test and orientation
// flag wins; none set leaves the choice; "Grid" as `view` has it and the
// maximum movement `maxMove`; the tester, ray model, slit, wave picture and
// its light as stored),
// then sets notes lines 1..10, adding the lines the box does not have; an
// emptied header line gets the header back. The surface choice and the
// drawn surface stay; the caller draws the set-up at the record's axial
// position.
void applySetupRecord(const SetupRecord& record, const ViewOptions& view, double maxMove, ModelControls& controls,
                      NotesLines* notes);

}  // namespace sg
