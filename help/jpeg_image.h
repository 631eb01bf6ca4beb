// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding of the reference pages' photographs: baseline JPEG files with
// three colour components, through libjpeg.

#include <QByteArray>
#include <QImage>

namespace sg {

// The picture, or a null image when the data is not a complete JPEG file of
// three colour components: a truncated or corrupted file, one that libjpeg
// warns about, an empty one, or one larger than 4096 x 4096 pixels. Never
// reads outside `data`.
QImage decodeJpeg(const QByteArray& data);

}  // namespace sg
