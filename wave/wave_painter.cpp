// SPDX-License-Identifier: GPL-3.0-or-later
#include "wave/wave_painter.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

// What the wave picture depends on: the scene without its view and the
// diagrams' scales.
Scene wavesOf(const Scene& scene) {
    Scene s = scene;
    s.view = ViewOptions{};
    s.setup.position.range = 0;
    s.setup.position.maxMove = 0;
    s.setup.position.axialMarkerY = 0;
    return s;
}

std::uint8_t channel(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

}  // namespace

Rgb lightColour(const TestSetup& setup) {
    if (setup.spectrum == Spectrum::White) return kWhite;
    // A piecewise-linear walk through the spectrum's hues, nanometres.
    const double nm = setup.wavelength * 1000;
    double r = 0, g = 0, b = 0;
    if (nm < 440) {
        r = (440 - nm) / 60, b = 1;
    } else if (nm < 490) {
        g = (nm - 440) / 50, b = 1;
    } else if (nm < 510) {
        g = 1, b = (510 - nm) / 20;
    } else if (nm < 580) {
        r = (nm - 510) / 70, g = 1;
    } else if (nm < 645) {
        r = 1, g = (645 - nm) / 65;
    } else {
        r = 1;
    }
    // The eye's range fades at its ends.
    double fade = 1;
    if (nm < 420) fade = 0.3 + 0.7 * (nm - 380) / 40;
    else if (nm > 700) fade = 0.3 + 0.7 * (780 - nm) / 80;
    fade = std::clamp(fade, 0.3, 1.0);
    return {channel(r * fade), channel(g * fade), channel(b * fade)};
}

double exposedBrightness(double i, int passes) {
    const double exposure = 1 + 0.5 * (std::max(passes, 1) - 1);
    return std::clamp(i * exposure, 0.0, 1.0);
}

void WaveCanvasPainter::paint(Canvas& canvas, const Scene& scene, int passes) {
    const Scene key = wavesOf(scene);
    if (!frame_ || !computedFor_ || !(*computedFor_ == key)) {
        frame_.reset();
        computedFor_.reset();
        frame_ = engine_.compute(scene);
        computedFor_ = key;
    }
    const Rgb light = lightColour(scene.setup);
    const bool white = scene.view.whiteMode;
    for (int y = 0; y < WaveFrame::kHeight && y < canvas.height(); ++y) {
        QRgb* row = canvas.row(y);
        for (int x = 0; x < WaveFrame::kWidth && x < canvas.width(); ++x) {
            const float i = frame_->at(x, y);
            if (std::isnan(i)) continue;  // off the mirror
            const double b = exposedBrightness(i, passes);
            // On the black disk the light shows; on the white one (White
            // mode) the light's colour stands where it is bright, white where
            // it is dark, as the ray picture's dots stand on it.
            const double base = white ? 1 - b : 0;
            row[x] = qRgb(channel(base + b * light.r / 255.0), channel(base + b * light.g / 255.0),
                          channel(base + b * light.b / 255.0));
        }
    }
}

}  // namespace sg
