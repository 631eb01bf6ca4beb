#pragma once
// Moving a test set-up between the main window (model, controls, notes box)
// and the test file record.

#include "mirror_model.h"
#include "model_controls.h"
#include "test_record.h"

#include <QString>

namespace sg {

// The notes box as the test file sees it: its lines as displayed (a long
// paragraph wrapped at the box's width gives several lines). Line 0 is the
// header, which is neither saved nor replaced.
class NotesLines {
public:
    virtual ~NotesLines() = default;
    virtual int lineCount() const = 0;
    virtual QString line(int index) const = 0;
    virtual void replaceLine(int index, const QString& text) = 0;
};

// Reads the grid's numbers into the model as the recompute does (rows 0..4,
// the axial position, the zone height with 0 kept as 1e-7, the wavelength),
// then copies the model's numbers and flags and notes lines 1..10 into a
// record. The test, orientation and parity flags are the model's, as the
// last drawing left them, not the controls'. A bad cell throws its message.
SetupRecord storeSetupInRecord(MirrorModel& m, const ModelControls& controls, const NotesLines& notes);

// Copies the record into the model and publishes it to the controls (the
// last set test and orientation flag wins; none set leaves the choice),
// then replaces notes lines 1..10; a line the box does not have is not
// created. The axial marker, the transverse position, the maximum movement,
// "Grid", "White", the surface choice and the drawn surface stay.
void applySetupRecord(const SetupRecord& record, MirrorModel& m, ModelControls& controls, NotesLines* notes);

}  // namespace sg
