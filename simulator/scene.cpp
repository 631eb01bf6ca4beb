// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/scene.h"

namespace sg {

void takeDrawnZone(Scene& scene, const EditorShape& shape) {
    if (!scene.setup.exact() || !scene.mirror.distorted()) scene.zone = DrawnZone{};
    else if (scene.mirror.deviation == SurfaceDeviation::Measured) scene.zone = measuredZone(scene.measured);
    else scene.zone = makeDrawnZone(scene.mirror, scene.setup.wavelength, shape);
}

}  // namespace sg
