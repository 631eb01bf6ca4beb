// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/photo_file.h"

#include "photo/jpeg_decoding.h"
#include "fileio/record_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace sg {

LoadedPhoto loadPhoto(const std::string& path) {
    // Only as much room as the file needs; anything but a regular file is
    // refused by the reading itself.
    const QFileInfo info(QString::fromStdString(path));
    const qint64 room = info.isFile() ? std::min(info.size() + 1, kMaxPhotoBytes + 1) : 1;
    QByteArray bytes;
    if (const std::optional<QString> reason = readFileStart(QString::fromStdString(path), room, bytes))
        throw PhotoFileError(reason->toStdString());
    if (bytes.size() > kMaxPhotoBytes) throw PhotoFileError("the file is larger than 256 MB");
    if (bytes.isEmpty()) throw PhotoFileError("the file is empty");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "jpeg" && format != "png") throw PhotoFileError("not a JPEG or PNG picture");
    if (format == "jpeg") {
        // Any camera's JPEG, as far as its data goes, within the pictures
        // the toolkit would allocate.
        JpegRules rules;
        rules.anyComponents = true;
        rules.warningsFail = false;
        rules.maxMegabytes = QImageReader::allocationLimit();
        const std::optional<DecodedJpeg> jpeg = decodeJpeg(QByteArrayView(bytes), rules);
        if (!jpeg) throw PhotoFileError("the JPEG data cannot be decoded (Unable to read image data)");
        // A phone's portrait photo is stored on its side with an orientation tag.
        return {turnedUpright(jpeg->image, jpeg->orientation)};
    }
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) throw PhotoFileError("the PNG data cannot be decoded (" + reader.errorString().toStdString() + ")");
    return {image.convertToFormat(QImage::Format_RGB888)};
}

}  // namespace sg
