// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every drawing action of the main window works on: the shared model,
// the controls it reads, the picture's canvas and the shadowgram's random
// generator, which this object owns.

#include "canvas.h"
#include "draw_tables.h"
#include "mirror_model.h"
#include "model_controls.h"
#include "picture_geometry.h"  // the picture's frame: kPictureWidth, kDiskCentreX, ...
#include "random_generator.h"

namespace sg {

struct Simulator {
    Simulator(MirrorModel& m, ModelControls& c, Canvas& canvas) : model(m), controls(c), canvas(canvas) {}

    MirrorModel& model;
    ModelControls& controls;
    Canvas& canvas;
    RandomGenerator random;
    // Where across a slit each ray of the exact trace leaves from: a
    // generator of its own, so that a point source leaves the points of the
    // pictures and the state of `random` as they have always been.
    RandomGenerator slitRandom;
    DrawTables drawTables;      // per-diameter lookups of the passes
    double conicDeviation = 0;  // waves, the last conic deviation shown
    // The normal pass over the pure conic runs in AVX2 lanes where the CPU
    // has them; false keeps every pass on the portable code.
    bool vectorPass = true;
};

}  // namespace sg
