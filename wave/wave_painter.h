// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wave picture on the main window's canvas: the intensity drawn
// continuous-toned in the light's colour over the mirror's disk, exposed as
// the ray picture's passes are (each "Brighten" raises it). It keeps the
// last picture it computed, so that a brighter exposure of the same scene
// costs no new computation.

#include "simulator/redraw.h"
#include "wave/wave_picture.h"

#include <optional>

namespace sg {

// The colour of light of a wavelength (micrometres) as a screen shows it,
// full brightness: violet at 0.38, green at 0.53, red from 0.645 on; the
// ends fade to dark beyond the eye's range. White light is white.
Rgb lightColour(const TestSetup& setup);

// How bright a pixel of intensity `i` (relative to the unobstructed mirror)
// is drawn after `passes` passes: i times the exposure 1 + (passes - 1) / 2,
// at most 1.
double exposedBrightness(double i, int passes);

class WaveCanvasPainter : public WavePainter {
public:
    void paint(Canvas& canvas, const Scene& scene, int passes) override;

    // The intensities of the last picture painted, if any.
    const WaveFrame* lastFrame() const { return frame_ ? &*frame_ : nullptr; }

private:
    WaveEngine engine_;
    std::optional<Scene> computedFor_;  // the scene the frame belongs to (what the waves depend on)
    std::optional<WaveFrame> frame_;
};

}  // namespace sg
