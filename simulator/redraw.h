// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recompute at the centre of every drawing action, and the actions that
// add to the picture without erasing it. Every action takes the controls as
// it read them once, when it began.

#include "model/controls_reading.h"
#include "model/editor_shape.h"
#include "simulator/picture_display.h"
#include "simulator/scene.h"
#include "simulator/simulator.h"

namespace sg {

// The main window's picture between actions: the scene it shows (the
// set-up its last drawing read, with the positions the clicks set),
// whether the surface editor was opened since the window was last active,
// and the passes drawn on the disk since it was last painted.
struct PictureState {
    Scene scene;
    bool editorOpened = false;
    int passesOnDisk = 0;
};

// Paints the scene's picture in wave optics over the mirror's disk: the
// picture a camera focused on the mirror records, exposed for `passes`
// passes of the ray picture (1 after a click, 2 more with each "Brighten").
class WavePainter {
public:
    virtual ~WavePainter() = default;
    virtual void paint(Canvas& canvas, const Scene& scene, int passes) = 0;
};

// One window's drawing: the engine, the picture's state, the editor's shape
// the distorted surface is drawn from, and where the read-outs outside the
// picture go. The references live as long as the window. Without a wave
// painter a scene in wave optics is drawn in rays (its exact surface).
struct Drawing {
    Simulator& sim;
    PictureState& state;
    const EditorShape& shape;
    PictureDisplay& display;
    WavePainter* wave = nullptr;
};

// The mirror's disk painted afresh (white in White mode): no pass on it yet.
void paintFreshDisk(Drawing& d);

// Reads the set-up into the scene (readSetup), resamples the editor's
// shape for the distorted surface and redraws the height graph, the
// transverse unit and the slope graph. It neither erases the picture nor
// draws the shadowgram.
//
// When the surface editor was opened from the main window and the window
// has not been activated since (editorOpened), the first recompute also
// clears the flag and redraws the whole picture for the edited surface
// (disk, one pass, read-outs) before its normal steps.
void recompute(Drawing& d, const ControlsReading& r);

// One shadowgram pass over the scene, in the orientation the controls show;
// in wave optics the wave picture, exposed for one pass more.
void drawShadowgramPass(Drawing& d, const ControlsReading& r);

// "Brighten": recompute, then two passes added to the picture.
void brightenPicture(Drawing& d, const ControlsReading& r);

// " Centres": recompute, then three centre-line passes unless the test is Foucault.
void drawCentreLines(Drawing& d, const ControlsReading& r);

// "Invert": negates the "Zone Ht " cell (written back to `controls` and
// into the reading), then recomputes.
void invertZoneHeight(Drawing& d, ControlsReading& r, ModelControls& controls);

}  // namespace sg
