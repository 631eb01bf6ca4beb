// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG decoding of the help pictures: any bytes give a picture of at
// most 4096 x 4096 pixels or none, and never a crash or a read outside them.
#include "fuzz/fuzz_check.h"
#include "photo/jpeg_decoding.h"

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
    return 0;
}
