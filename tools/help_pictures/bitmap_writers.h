// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three file formats of the help pictures: 1-bit BMP, 4-bit BMP with at
// most 16 colours, and baseline JPEG.

#include <QImage>
#include <QString>

namespace hp {

// Black where the drawing is darker than mid-grey, white elsewhere, no
// dithering; colour index 0 is black, 1 white.
QImage toMono(const QImage& drawing);

// The drawing's own colours in an 8-bit indexed image, which the BMP writer
// stores with 4 bits per pixel. Throws std::runtime_error for a drawing of
// more than 16 colours.
QImage toSixteenColours(const QImage& drawing);

// A BMP file of a Format_Mono or a 16-colour Format_Indexed8 image.
bool writeBmp(const QImage& image, const QString& path);

// A baseline JPEG of three components (RGB input), quality 90, with the JFIF
// header and nothing else that could change from one run to the next.
bool writeJpeg(const QImage& image, const QString& path, int quality = 90);

}  // namespace hp
