// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests that look at the pixels of a canvas.

#include "simulator/canvas.h"

#include <QImage>

#include <functional>
#include <string>

namespace sg::testing {

// Number of pixels of the image that have the colour, optionally within a box [x1, x2) x [y1, y2).
int countColour(const QImage& image, Rgb colour, int x1 = 0, int y1 = 0, int x2 = -1, int y2 = -1);

// Calls f(x, y) for every pixel of the colour.
void forEachPixel(const QImage& image, Rgb colour, const std::function<void(int, int)>& f);

// A short description of the first pixel where two images differ, or "" when equal.
std::string firstDifference(const QImage& a, const QImage& b);

}  // namespace sg::testing
