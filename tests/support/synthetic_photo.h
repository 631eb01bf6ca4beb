// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Synthetic photos of the grating test with known truth: the program's own
// ray decision (the series model or the exact trace, the drawn zone at its
// true height) or its wave picture (diffraction, a slit, white light) at
// every pixel of a camera's view of the mirror, then the camera's faults:
// blur, gamma, vignetting, noise and JPEG compression. Deterministic for a
// seed.

#include "fit/band_model.h"
#include "photo/photo_image.h"
#include "wave/wave_picture.h"

#include <cstdint>
#include <vector>

namespace sg::testing {

// The mirror and the test as drawn: the parameters the fit should find.
struct PhotoTruth {
    FitMirror mirror;
    ZoneShape zone;
    BandParameters parameters;  // edgeShift unused
};

// Where the camera puts the mirror, and what it does to the picture.
struct Camera {
    int width = 800, height = 700;      // pixels
    double cx = 410, cy = 300;          // the disk's centre, continuous photo pixels
    double radius = 275;                // the disk's radius, photo pixels
    double rotationDeg = 0;             // the frame turned by this much (from +x toward +y)
    int supersample = 4;                // per axis, at pixels that straddle an edge
    double blur = 0;                    // Gaussian sigma, pixels
    double gamma = 1;                   // brightness^gamma
    double vignetting = 0;              // brightness falls by this fraction at the photo's corners
    double noise = 0;                   // Gaussian sigma on the 0..1 scale, per channel
    int jpegQuality = 0;                // 1..100 encodes and decodes as JPEG; 0 keeps the pixels
    bool colour = true;                 // a red-tinted RGB photo, or grey
    double bright = 0.8, dark = 0.07, background = 0.04;  // levels before gamma, 0..1
    std::uint32_t seed = 1;
};

struct SyntheticPhoto {
    int width = 0, height = 0;
    PixelFormat format = PixelFormat::Rgb8;
    std::vector<std::uint8_t> pixels;
    PhotoView view() const {
        return {pixels.data(), width, height, std::ptrdiff_t(width) * (format == PixelFormat::Rgb8 ? 3 : 1), format};
    }
};

SyntheticPhoto makeSyntheticPhoto(const PhotoTruth& truth, const Camera& camera);

// The light of a photo drawn by the wave model: the truth's wavelength
// (mirror.wavelength, in which a zone's height is counted) or white light,
// and the source's width across the lines (0 a point).
struct WaveLight {
    Spectrum spectrum = Spectrum::Mono;
    double slitWidth = 0;  // mm
};

// The scene the wave model draws the truth from (the exact surface, the
// bands upright), and its intensity on the picture's frame.
Scene waveScene(const PhotoTruth& truth, const WaveLight& light);
WaveFrame waveTruth(const PhotoTruth& truth, const WaveLight& light);

// A photo of the wave model's picture: the intensity between the camera's
// dark and bright levels, exposed so that the picture's brightest (its
// 99.9th percentile) stays at the bright level, resampled to the camera's
// view, then the same faults as makeSyntheticPhoto's.
SyntheticPhoto makeWavePhoto(const WaveFrame& wave, const Camera& camera);
SyntheticPhoto makeWavePhoto(const PhotoTruth& truth, const WaveLight& light, const Camera& camera);

// A camera for a random photo of the sweep: scale 0.5..2 (disk radius 137
// to 550 px), rotation within 10 degrees of upright or level bands, blur
// 1..3 px, gamma 0.6..1.6, noise, vignetting and JPEG quality 50..90.
Camera randomCamera(std::uint32_t seed);

// A random pure conic of the sweep: f/4..f/8, a grating and offset giving
// 3..6 band pairs, either side of the centre of curvature.
PhotoTruth randomConic(std::uint32_t seed);

// A random mirror of the sweep with a turned edge, drawn by the exact
// trace: as randomConic, the edge turned from 0.7..0.85 of the radius by
// -0.5..+0.3 waves on the surface.
PhotoTruth randomTurnedEdge(std::uint32_t seed);

// The photo written as a PNG (JPEG for a name ending .jpg), for looking at
// or for the command line; false when it cannot be written.
bool savePhoto(const SyntheticPhoto& photo, const std::string& path);

}  // namespace sg::testing
