// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A photo read from a file for the fit and the photo window: JPEG (through
// jpeg_decoding.h) or PNG, turned upright by its EXIF orientation, as RGB
// bytes that the photo library views.

#include "photo/photo_image.h"

#include <QImage>

#include <stdexcept>
#include <string>

namespace sg {

// The largest photo file read, bytes.
inline constexpr qint64 kMaxPhotoBytes = 256LL * 1024 * 1024;

class PhotoFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LoadedPhoto {
    QImage image;  // Format_RGB888
    PhotoView view() const {
        return {image.constBits(), image.width(), image.height(), std::ptrdiff_t(image.bytesPerLine()),
                PixelFormat::Rgb8};
    }
};

// Reads the whole file (a regular file only, never a pipe waited on; one
// larger than kMaxPhotoBytes is refused before it is read) and decodes it
// as decodePhoto does. Throws PhotoFileError with the reason: the system's,
// or decodePhoto's.
LoadedPhoto loadPhoto(const std::string& path);

// Decodes a photo file's bytes. Throws PhotoFileError with the reason:
// "the file is empty", larger than kMaxPhotoBytes, "not a JPEG or PNG
// picture", a JPEG "cut short or damaged" (anything libjpeg warns about:
// a premature end, corrupt data), or the decoder's.
LoadedPhoto decodePhoto(const QByteArray& bytes);

}  // namespace sg
