// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JPEG decoding through libjpeg, the program's one way of reading a JPEG:
// the reference pages' photographs and the photos of a test. Never reads
// outside the data it is given.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace sg {

// What a decoding accepts.
struct JpegRules {
    // Grey (one component) and CMYK (four) as well as colour (three).
    bool anyComponents = false;
    // A picture that libjpeg warns about (a premature end, corrupt data)
    // fails; otherwise it decodes as far as the data goes.
    bool warningsFail = true;
    // The longest side, pixels; 0 for no bound.
    int maxSide = 0;
    // The largest picture, megabytes of 32-bit pixels (grey: of one byte a
    // pixel, rows padded to 4 bytes) as decoded; 0 for no bound.
    int maxMegabytes = 0;
    // A picture whose shorter side is at least twice this is decoded at the
    // smallest of the scales 1/2, 1/4 and 1/8 that keeps its shorter side
    // at least this long (libjpeg scales while it decodes, at a fraction of
    // the time and memory of the whole picture); 0 decodes it whole.
    int minShortSide = 0;
};

// The rules of a photo to fit: any components, whole (a warning fails it),
// at most `maxMegabytes` as JpegRules counts them.
inline JpegRules photoJpegRules(int maxMegabytes) {
    JpegRules rules;
    rules.anyComponents = true;
    rules.warningsFail = true;
    rules.maxMegabytes = maxMegabytes;
    return rules;
}

struct DecodedJpeg {
    QImage image;         // Format_RGB888; grey as equal red, green and blue
    int orientation = 1;  // the EXIF orientation tag, 1..8; 1 without a valid one
    int scale = 1;        // the file's pixels per decoded pixel along each side: 1, 2, 4 or 8
};

// The size the file's frame header gives, as stored (before any EXIF
// turn); none when the data has no readable JPEG header.
std::optional<QSize> jpegFrameSize(QByteArrayView data);

// The picture, or nothing when the data is not a complete JPEG file by
// `rules`: empty, truncated or corrupted beyond what libjpeg reads, of other
// components, or too large. CMYK becomes RGB as (C K / 255, M K / 255,
// Y K / 255) with integer division. `warned`, when given, tells whether
// libjpeg warned about the data (a premature end, corrupt data).
std::optional<DecodedJpeg> decodeJpeg(QByteArrayView data, const JpegRules& rules, bool* warned = nullptr);

// The reference pages' photographs: three colour components, no warning,
// at most 4096 x 4096 pixels, as Format_RGB32; a null image otherwise.
QImage decodeJpeg(const QByteArray& data);

// The picture turned upright by an EXIF orientation (1..8; any other value
// leaves it as it is): 2 mirrored left to right, 3 turned half round, 4
// mirrored top to bottom, 5 mirrored top to bottom and turned a quarter
// clockwise, 6 turned a quarter clockwise, 7 mirrored left to right and
// turned a quarter clockwise, 8 turned a quarter counter-clockwise.
QImage turnedUpright(const QImage& image, int orientation);

}  // namespace sg
