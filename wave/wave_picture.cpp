// SPDX-License-Identifier: GPL-3.0-or-later
#include "wave/wave_picture.h"

#include "wave/wave_model.h"

namespace sg {

struct WaveEngine::Plans {
    wave::WaveComputer computer;
};

WaveEngine::WaveEngine() : plans_(std::make_unique<Plans>()) {}
WaveEngine::~WaveEngine() = default;

WaveFrame WaveEngine::compute(const Scene& scene) { return plans_->computer.compute(scene); }

WaveFrame WaveEngine::computeLines(const Scene& scene, int lineStride) {
    wave::Options options;
    options.lineStride = lineStride;
    return plans_->computer.compute(scene, options);
}

}  // namespace sg
