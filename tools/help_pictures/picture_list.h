// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The list of the help pictures: file name, exact size, file format and the
// function that draws each.

#include <QImage>
#include <QString>

#include <span>

namespace hp {

enum class Format { Mono, SixteenColours, Jpeg };

struct Picture {
    const char* file;
    int width, height;
    Format format;
    QImage (*draw)();
};

std::span<const Picture> allPictures();

// Writes a drawing in the picture's format; false when the file cannot be
// written.
bool writePicture(const Picture& picture, const QImage& image, const QString& path);

}  // namespace hp
