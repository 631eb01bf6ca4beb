// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed texts and pictures of the reference windows, compiled into the
// program as resources.

#include <QImage>
#include <QString>
#include <QStringList>

namespace sg {

// The lines of a text ("info_test", "help/diameter"), one list item
// each; "@VERSION@" becomes the program's version. Empty when missing.
QStringList helpTextLines(const QString& name);

// A picture by file name ("test_principle.bmp", "images_zone.jpg"):
// bitmaps as stored, photographs through the JPEG decoder. A null image
// when it is missing or does not decode.
QImage helpPicture(const QString& fileName);

// The program's version as the build defines it.
QString programVersion();

}  // namespace sg
