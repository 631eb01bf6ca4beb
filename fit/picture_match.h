// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole picture against the photo. Where diffraction shapes the bands,
// their edges are not the whole story: a sharp point source fringes the
// bands, the grating's sheared copies of the mirror overlap near the rim,
// and a camera's tone curve moves the half-level of a soft edge but not of
// a sharp one. The wave picture of the model, blurred as the photo is and
// put through the photo's tone curve, is compared with the photo's
// brightness itself on lines across the bands, and the mirror's parameters
// are moved until it explains most of it.
//
// What the camera adds is fitted alongside, without the mirror's help:
// - a tone curve, brightness = (linear light)^gamma;
// - a blur, a Gaussian along the lines across the bands (along the bands
//   the picture barely changes, and a blur there changes it less);
// - the exposure: the dark level and the gain, each a quadratic over the
//   frame, which takes the lamp's fall-off and the lens's vignetting.
// The light is linear in the wave picture, so the dark level and the gain
// are solved exactly (linear least squares) for any gamma, blur and mirror.

#include "fit/edge_fit.h"
#include "fit/fit_control.h"
#include "photo/photo_image.h"

#include <array>

namespace sg {

struct PictureMatch {
    FitParameters parameters;
    double gamma[2] = {1, 1};   // each photo's tone curve
    double blur[2] = {0, 0};    // each photo's blur, frame pixels (a Gaussian's sigma)
    double explained = 0;       // the share of the photos' brightness variance the model explains, 0..1
    double startExplained = 0;  // the same at the start
    int pictures = 0;           // wave pictures drawn
};

struct PictureMatchOptions {
    int lineStride = 4;     // every stride-th line across the bands
    double reach = 0.94;    // the lines' samples out to this fraction of the radius
    int rounds = 14;        // least-squares steps at most
};

// Moves `start`'s offset, conic, transverse phases and zone height (when
// fitted) until the wave picture explains the photos' frames best.
// `frames[i]` is photo i's 800 x 700 frame (NaN where the photo does not
// reach), `blurStart[i]` a first guess of its blur (frame pixels). Throws
// ActionError where the wave model cannot draw the set-up and
// PhotoError(Cancelled) when cancelled.
// `diskBias[i]`: where the disk finder puts the wave picture's disk against
// the true one (its centre's offset x, y and its radius's, frame pixels),
// and so where photo i's frame is off the true frame.
PictureMatch matchPicture(const FitProblem& problem, const FitParameters& start, const GreyImage* const frames[2],
                          const double blurStart[2], const std::array<double, 3> diskBias[2],
                          const FitControl& control, const PictureMatchOptions& options = {});

}  // namespace sg
