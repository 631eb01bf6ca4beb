// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture drawn without a window and the plain controls it reads, in the
// state the program starts in.

#include "model/controls_reading.h"
#include "model/model_controls.h"
#include "simulator/offscreen_picture.h"
#include "simulator/ray_pass.h"

namespace sg::testing {

struct TestPicture {
    PlainControls controls;
    OffscreenPicture picture;
    Canvas& canvas = picture.canvas;
    Simulator& sim = picture.sim;
    Drawing& drawing = picture.drawing;
    EditorShape& shape = picture.shape;

    // What the picture shows.
    Scene& scene() { return picture.state.scene; }
    Mirror& mirror() { return scene().mirror; }
    TestSetup& setup() { return scene().setup; }
    DevicePosition& position() { return scene().setup.position; }
    // The controls as an action reads them.
    ControlsReading read() const { return readControls(controls); }

    // The actions of the buttons, each reading the controls once.
    void recompute() { sg::recompute(drawing, read()); }
    void pass() { drawShadowgramPass(drawing, read()); }
    void centres() {
        scene().setup.orientation = orientationFrom(read(), scene().setup.orientation);
        centresPass(sim, scene());
    }
    void invert() {
        ControlsReading r = read();
        invertZoneHeight(drawing, r, controls);
    }
};

}  // namespace sg::testing
