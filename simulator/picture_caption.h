// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The caption strip under a kept picture: what the picture shows (the
// mirror, the test, where the grating, wire or knife stands, the tester's
// source and the ray model), so that a saved picture says what it is.

#include "mirror_model.h"

#include <QImage>

#include <array>
#include <string>

namespace sg {

inline constexpr int kCaptionHeight = 40;  // pixels below the picture

// The two lines of the strip, from the model as the last drawing left it.
std::array<std::string, 2> pictureCaptionLines(const MirrorModel& m);

// The picture with the strip below it: white, the two lines in black in the
// drawings' font.
QImage pictureWithCaption(const QImage& picture, const MirrorModel& m);

}  // namespace sg
