// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-help-pictures: writes the pictures of the information and help
// windows into a folder. The build runs it and compiles the files into the
// program, so every run writes the same bytes.

#include "tools/help_pictures/picture_list.h"

#include <QDir>
#include <QGuiApplication>

#include <cstring>
#include <exception>
#include <iostream>

namespace {

const char* const kUsage =
    "Usage: shadowgram-help-pictures OUTPUT_DIR\n"
    "Writes the pictures of the information and help windows into OUTPUT_DIR,\n"
    "creating it if needed. Exit status: 0 done, 1 a picture could not be made\n"
    "or written, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-' || argv[1][0] == '\0') {
        std::cerr << kUsage;
        return 2;
    }

    // Text needs the font machinery, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::cerr << "shadowgram-help-pictures: cannot create " << argv[1] << '\n';
        return 1;
    }
    const QDir dir(folder);
    for (const hp::Picture& picture : hp::allPictures()) {
        try {
            const QImage image = picture.draw();
            if (image.width() != picture.width || image.height() != picture.height) {
                std::cerr << "shadowgram-help-pictures: " << picture.file << " came out " << image.width() << " x "
                          << image.height() << ", not " << picture.width << " x " << picture.height << '\n';
                return 1;
            }
            const QString path = dir.filePath(QString::fromLatin1(picture.file));
            if (!hp::writePicture(picture, image, path)) {
                std::cerr << "shadowgram-help-pictures: cannot write " << path.toStdString() << '\n';
                return 1;
            }
        } catch (const std::exception& e) {
            std::cerr << "shadowgram-help-pictures: " << picture.file << ": " << e.what() << '\n';
            return 1;
        }
    }
    return 0;
}
