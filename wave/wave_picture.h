// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture of the test in wave optics: what an eye or a camera focused
// on the mirror sees through the grating, knife or wire, diffraction
// included. Scalar waves: the pupil field of the exact conic with the drawn
// zone at its true height, the field in the device's plane by Fourier
// transform about the device's reference point, the device as a
// transmission exactly where the ray pictures put it, and the image of the
// mirror. A slit is an incoherent average over the source's positions
// across it; white light an average over nine wavelengths with the eye's
// weights.

#include "simulator/scene.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace sg {

// The intensity at every pixel centre of the picture's 800 x 700 frame
// (the disk centred at (410, 300), 550 pixels across), relative to the
// unobstructed mirror: 1 where the device lets all the light through. NaN
// off the mirror.
struct WaveFrame {
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 700;
    std::vector<float> intensity = std::vector<float>(std::size_t(kWidth) * kHeight);
    float at(int x, int y) const { return intensity[std::size_t(y) * kWidth + std::size_t(x)]; }
    float& at(int x, int y) { return intensity[std::size_t(y) * kWidth + std::size_t(x)]; }
};

// Computes wave pictures. It keeps its transform plans and buffers between
// pictures, so that a drawing after the first costs only its arithmetic;
// one engine serves one thread at a time.
class WaveEngine {
public:
    WaveEngine();
    ~WaveEngine();
    WaveEngine(const WaveEngine&) = delete;
    WaveEngine& operator=(const WaveEngine&) = delete;

    // The picture of the scene: its mirror (diameter, radius, conic), its
    // drawn zone at its true height (scene.zone, flat for the pure conic),
    // and its test (test, orientation, transverse offset, "Odd", the
    // working ruling, the axial position, the source convention, the slit
    // width, the wavelength and the spectrum). Throws ActionError with the
    // system's message for a set-up it cannot compute (a diameter, radius,
    // ruling or wavelength that is not finite and above 0).
    WaveFrame compute(const Scene& scene);
    // The same picture on every `lineStride`-th line of pixels across the
    // device's lines (those through the centre's row or column and every
    // stride-th from it, either way), NaN on the others: the same values
    // on those lines as the whole picture's, at about 1 / stride of its
    // cost. The crossed pair takes every line.
    WaveFrame computeLines(const Scene& scene, int lineStride);

private:
    struct Plans;
    std::unique_ptr<Plans> plans_;
};

}  // namespace sg
