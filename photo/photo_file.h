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

// The largest photo read, megapixels (millions of pixels) as its file
// stores it; a larger one is refused from its header, before anything is
// decoded.
inline constexpr int kMaxPhotoMegapixels = 200;

// The shorter side a JPEG photo keeps when it is decoded at a reduced
// scale, pixels: a mirror that fills three quarters of it still spans more
// than twice the picture frame's disk, all the fit resamples it onto.
// Phones' photos of 12 megapixels and more are decoded at 1/2 to 1/8.
inline constexpr int kPhotoWorkingSide = 1500;

class PhotoFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LoadedPhoto {
    QImage image;  // Format_RGB888, upright, at the decoded scale
    int scale = 1;       // the photo's pixels per pixel of `image` along each side: 1, 2, 4 or 8
    QSize photoSize;     // the photo's own size, upright
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

// Decodes a photo file's bytes; a JPEG whose shorter side is at least
// twice kPhotoWorkingSide at a reduced scale. Throws PhotoFileError with the
// reason: "the file is empty", larger than kMaxPhotoBytes, "not a JPEG or
// PNG picture", more than kMaxPhotoMegapixels, a JPEG "cut short or
// damaged" (anything libjpeg warns about: a premature end, corrupt data),
// or the decoder's.
LoadedPhoto decodePhoto(const QByteArray& bytes);

}  // namespace sg
