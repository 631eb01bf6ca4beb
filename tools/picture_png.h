// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The PNG of a drawn picture, written fast: a picture of at most 256
// colours (every ray picture: the disk, the bands, the markers and the
// text) as an 8-bit palette image, others as 24-bit colour; both at a
// light compression level. Decoded, the file gives exactly the picture's
// pixels.

#include <QByteArray>
#include <QImage>

#include <optional>

namespace sg {

// The compression of the pictures' PNGs, on the image writer's scale of 0
// to 100: a value c is zlib's level 9 c / 91, rounded down (12 is level 1).
inline constexpr int kPicturePngCompression = 12;

// The picture (opaque, 32-bit) as a palette image with its colours in the
// order they first appear, row by row; none when it has more than 256.
std::optional<QImage> paletteImage(const QImage& picture);

// The PNG bytes of the picture; empty when it cannot be encoded.
QByteArray picturePng(const QImage& picture, int compression = kPicturePngCompression);

}  // namespace sg
