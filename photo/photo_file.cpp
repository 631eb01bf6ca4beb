// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/photo_file.h"

#include "photo/jpeg_decoding.h"
#include "fileio/record_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>

#include <sys/stat.h>

namespace sg {

namespace {

constexpr const char* kTooLarge = "the file is larger than 256 MB";

// The photo's size refused, in its own words.
std::string tooManyPixels(QSize size) {
    const long long pixels = static_cast<long long>(size.width()) * size.height();
    return "the photo has " + std::to_string((pixels + 500000) / 1000000) + " megapixels (" +
           std::to_string(size.width()) + " x " + std::to_string(size.height()) + "); photos of up to " +
           std::to_string(kMaxPhotoMegapixels) + " megapixels are read";
}

bool overPixelLimit(QSize size) {
    return static_cast<long long>(size.width()) * size.height() > kMaxPhotoMegapixels * 1000000LL;
}

// The size after an EXIF turn of a quarter (orientations 5 to 8).
QSize upright(QSize stored, int orientation) { return orientation >= 5 && orientation <= 8 ? stored.transposed() : stored; }

}  // namespace

LoadedPhoto decodePhoto(const QByteArray& bytes) {
    if (bytes.size() > kMaxPhotoBytes) throw PhotoFileError(kTooLarge);
    if (bytes.isEmpty()) throw PhotoFileError("the file is empty");
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "jpeg" && format != "png") throw PhotoFileError("not a JPEG or PNG picture");
    if (format == "jpeg") {
        // Any camera's JPEG within the pictures the toolkit would allocate,
        // whole: a picture cut short or damaged would be fitted as far as
        // its data goes, with grey below, and is refused.
        // Any size up to the limit is read, at the scale the fit needs.
        const std::optional<QSize> stored = jpegFrameSize(QByteArrayView(bytes));
        if (stored && overPixelLimit(*stored)) throw PhotoFileError(tooManyPixels(*stored));
        JpegRules rules = photoJpegRules(0);
        rules.minShortSide = kPhotoWorkingSide;
        bool warned = false;
        const std::optional<DecodedJpeg> jpeg = decodeJpeg(QByteArrayView(bytes), rules, &warned);
        if (warned) throw PhotoFileError("the JPEG data is cut short or damaged");
        if (!jpeg) throw PhotoFileError("the JPEG data cannot be decoded (Unable to read image data)");
        // A phone's portrait photo is stored on its side with an orientation tag.
        const QSize size = stored ? *stored : jpeg->image.size() * jpeg->scale;
        return {turnedUpright(jpeg->image, jpeg->orientation), jpeg->scale, upright(size, jpeg->orientation)};
    }
    if (overPixelLimit(reader.size())) throw PhotoFileError(tooManyPixels(reader.size()));
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) throw PhotoFileError("the PNG data cannot be decoded (" + reader.errorString().toStdString() + ")");
    return {image.convertToFormat(QImage::Format_RGB888), 1, image.size()};
}

LoadedPhoto loadPhoto(const std::string& path) {
    // The size is looked at before anything is read: a file over the limit
    // is refused without reading it. Anything but a regular file is refused
    // by the reading itself, which never waits on a pipe.
    const QByteArray name = QFile::encodeName(QString::fromStdString(path));
    struct stat st {};
    const bool regular = !name.isEmpty() && ::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode);
    if (regular && st.st_size > kMaxPhotoBytes) throw PhotoFileError(kTooLarge);
    const qint64 room = regular ? std::min<qint64>(st.st_size + 1, kMaxPhotoBytes + 1) : 1;
    QByteArray bytes;
    if (const std::optional<QString> reason = readFileStart(QString::fromStdString(path), room, bytes))
        throw PhotoFileError(reason->toStdString());
    // A file that grew after it was looked at is refused too.
    return decodePhoto(bytes);
}

}  // namespace sg
