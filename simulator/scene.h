// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a picture is drawn from: the mirror, the test and the view as a
// drawing read them, and the drawn shape as the recompute prepared it for
// the two ray models. A plain value.

#include "model/drawn_zone.h"
#include "model/editor_shape.h"
#include "model/mirror.h"
#include "model/surface_profile.h"
#include "model/test_setup.h"
#include "model/view_options.h"

namespace sg {

struct Scene {
    Mirror mirror;
    TestSetup setup;
    ViewOptions view;
    // The series model's working profiles of the drawn shape.
    SurfaceProfiles profiles;
    // The drawn zone at its true height, for the exact trace on the
    // distorted surface; flat otherwise.
    DrawnZone zone;
    // The surface a Foucault reduction measured, shown while the editor
    // holds the knots it was handed with (measuredKnots); an edit of the
    // shape shows the drawn zone again.
    MeasuredSurface measured;
    DeviationArray measuredKnots{};

    friend bool operator==(const Scene&, const Scene&) = default;
};

// The exact trace's zone for the scene's mirror and wavelength when the
// scene traces the distorted surface exactly (the measured surface, or the
// drawn zone of `shape`); flat otherwise.
void takeDrawnZone(Scene& scene, const EditorShape& shape);

}  // namespace sg
