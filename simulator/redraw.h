// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recompute at the centre of every drawing action, and the actions that
// add to the picture without erasing it.

#include "simulator.h"

namespace sg {

// Applies a pending getting-started example, reads the model from the
// controls, resamples the editor's profile for the distorted surface and
// redraws the height graph, the transverse unit and the slope graph. It
// neither erases the picture nor draws the shadowgram.
//
// When the surface editor was opened from the main window and the window
// has not been activated since (editorOpened), the first recompute also
// clears the flag and redraws the whole picture for the edited surface
// (disk, one pass, read-outs) before its normal steps.
void recompute(Simulator& s);

// "Brighten": recompute, then two passes added to the picture.
void brightenPicture(Simulator& s);

// " Centres": recompute, then three centre-line passes unless the test is Foucault.
void drawCentreLines(Simulator& s);

// "Invert": negates the "Zone Ht " cell into zoneHeight and the cell, then recomputes.
void invertZoneHeight(Simulator& s);

}  // namespace sg
