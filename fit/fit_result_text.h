// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fit dialog shows of a result: its figures with their
// uncertainties and its warnings as text, the stage of a running fit, and
// the residual map (the edges coloured by their distance from the fitted
// model, over the photo on the picture's frame).

#include "fit/fit_control.h"
#include "fit/photo_fit.h"
#include "model/picture_geometry.h"

#include <QImage>

#include <optional>
#include <string>

namespace sg {

// The result as lines of text, numbers with a point. `separation` is the
// second photo's distance from the first (mm) for a pair.
std::string fitResultText(const FitResult& r, std::optional<double> separation = std::nullopt);

// "Finding the band edges" and the like.
const char* fitStageCaption(FitStage stage);

// The colour of an edge's residual (frame pixels): green at 0, yellow at
// half a pixel, red from 1 pixel on; grey for an edge the fit does not use.
QRgb residualColour(double residual, bool used);

// The square around the whole mirror, rim and a margin included, with the
// photo at half its brightness and each edge of the first photo as a dot
// of 3 x 3 pixels in its residual's colour: the edges at the rim, where a
// turned edge shows, stay in view on every side.
QImage residualMap(const RgbImage& frame, const FitResult& r);
inline constexpr int kResidualMapMargin = 10;  // frame pixels beyond the rim on each side
inline constexpr int kResidualMapLeft = kDiskCentreX - kDiskRadius - kResidualMapMargin;  // 125
inline constexpr int kResidualMapTop = kDiskCentreY - kDiskRadius - kResidualMapMargin;   // 15
inline constexpr int kResidualMapSize = 2 * (kDiskRadius + kResidualMapMargin);           // 570

}  // namespace sg
