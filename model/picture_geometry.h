// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame of the main window's picture, which the passes draw on and a
// photo is resampled onto: 800 x 700 pixels from the top left, the mirror's
// disk centred at (410, 300) with a radius of 275 pixels, so that the
// mirror's diameter always spans 550 pixels. The mirror point (u, v) mm of a
// mirror of diameter D lies at X = 410 + 550 u / D, Y = 300 + 550 v / D in
// continuous pixels (pixel (i, j) covers [i, i + 1) x [j, j + 1)).

namespace sg {

inline constexpr int kPictureWidth = 800;
inline constexpr int kPictureHeight = 700;

inline constexpr int kDiskCentreX = 410;
inline constexpr int kDiskCentreY = 300;
inline constexpr int kDiskRadius = 275;

}  // namespace sg
