// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG decoding of the help pictures and of the photos to fit: any bytes
// give a picture within the rules' bounds or none, and never a crash or a
// read outside them. A photo is whole: bytes without an end-of-image marker
// (a file cut short) never give one.
#include "fuzz/fuzz_check.h"
#include "photo/jpeg_decoding.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so that a read past them is seen.
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage image = sg::decodeJpeg(bytes);
    if (!image.isNull()) {
        FUZZ_CHECK(image.width() > 0 && image.width() <= 4096);
        FUZZ_CHECK(image.height() > 0 && image.height() <= 4096);
        FUZZ_CHECK(image.format() == QImage::Format_RGB32);
    }
    bool warned = true;
    const std::optional<sg::DecodedJpeg> photo = sg::decodeJpeg(QByteArrayView(bytes), sg::photoJpegRules(64), &warned);
    if (photo) {
        FUZZ_CHECK(!warned);
        FUZZ_CHECK(photo->image.format() == QImage::Format_RGB888);
        FUZZ_CHECK(qint64(photo->image.width()) * photo->image.height() * 4 <= (qint64(64) << 20));
        FUZZ_CHECK(bytes.contains("\xFF\xD9"));
        FUZZ_CHECK(photo->orientation >= 1 && photo->orientation <= 8);
    }
    // Decoded at a reduced scale: the frame header's size divided by the
    // scale, rounded up, and a shorter side that keeps the length asked for.
    sg::JpegRules reduced = sg::photoJpegRules(64);
    reduced.minShortSide = 4;
    const std::optional<QSize> stored = sg::jpegFrameSize(QByteArrayView(bytes));
    const std::optional<sg::DecodedJpeg> small = sg::decodeJpeg(QByteArrayView(bytes), reduced);
    if (small) {
        FUZZ_CHECK(stored.has_value());
        const int s = small->scale;
        FUZZ_CHECK(s == 1 || s == 2 || s == 4 || s == 8);
        FUZZ_CHECK(small->image.width() == (stored->width() + s - 1) / s);
        FUZZ_CHECK(small->image.height() == (stored->height() + s - 1) / s);
        FUZZ_CHECK(s == 1 || std::min(stored->width(), stored->height()) / s >= 4);
    }
    return 0;
}
