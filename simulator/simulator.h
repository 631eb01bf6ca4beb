// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shadowgram's engine: the picture's canvas and the random generators
// the passes draw from, which this object owns, with the lookups the passes
// keep between them.

#include "simulator/canvas.h"
#include "simulator/draw_tables.h"
#include "model/picture_geometry.h"  // the picture's frame: kPictureWidth, kDiskCentreX, ...
#include "simulator/random_generator.h"

#include <optional>
#include <string>

namespace sg {

inline constexpr int kRayCount = 50000;  // sample points per shadowgram pass

struct Simulator {
    explicit Simulator(Canvas& canvas) : canvas(canvas) {}

    Canvas& canvas;
    RandomGenerator random;
    // Where across a slit each ray of the exact trace leaves from: a
    // generator of its own, so that a point source leaves the points of the
    // pictures and the state of `random` as they have always been.
    RandomGenerator slitRandom;
    DrawTables drawTables;      // per-diameter lookups of the passes
    double conicDeviation = 0;  // waves, the last conic deviation shown
    // The read-outs last drawn and the entries they came from.
    struct ConicReadout {
        std::string deviation, focalRatio;
        double diameter = 0, radius = 0, conic = 0, wavelength = 0;
    };
    std::optional<ConicReadout> conicReadout;
    // The normal pass over the pure conic runs in AVX2 lanes where the CPU
    // has them; false keeps every pass on the portable code.
    bool vectorPass = true;
    int rayCount = kRayCount;   // points per pass
};

}  // namespace sg
