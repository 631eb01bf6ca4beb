// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A model, plain controls, a picture canvas and a simulator over them, in the
// state the program starts in.

#include "canvas.h"
#include "mirror_model.h"
#include "model_controls.h"
#include "simulator.h"

namespace sg::testing {

struct Scene {
    MirrorModel model;
    PlainControls controls;
    Canvas canvas{kPictureWidth, kPictureHeight};
    Simulator sim{model, controls, canvas};

    Scene() { setModelDefaults(model); }
};

}  // namespace sg::testing
