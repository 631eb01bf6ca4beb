// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The caption strip under a kept picture: what the picture shows (the
// mirror, the test, where the grating, wire or knife stands, the tester's
// source, the ray or wave model with its light and slit), so that a saved
// picture says what it is.

#include "simulator/scene.h"

#include <QImage>

#include <array>
#include <string>

namespace sg {

inline constexpr int kCaptionHeight = 40;  // pixels below the picture

// The two lines of the strip, for the scene the picture was drawn from.
std::array<std::string, 2> pictureCaptionLines(const Scene& scene);

// The picture with the strip below it: white, the two lines in black in the
// drawings' font.
QImage pictureWithCaption(const QImage& picture, const Scene& scene);

}  // namespace sg
