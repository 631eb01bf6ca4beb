// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/scene.h"

namespace sg {

void takeDrawnZone(Scene& scene, const EditorShape& shape) {
    scene.zone = scene.setup.exact() && scene.mirror.distorted()
                     ? makeDrawnZone(scene.mirror, scene.setup.wavelength, shape)
                     : DrawnZone{};
}

}  // namespace sg
