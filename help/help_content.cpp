// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/help_content.h"

#include "photo/jpeg_decoding.h"

#include <QFile>

namespace sg {

QString programVersion() { return QStringLiteral(SHADOWGRAM_VERSION); }

QStringList helpTextLines(const QString& name) {
    QFile file(":/help/text/" + name + ".txt");
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace("@VERSION@", programVersion());
    if (text.endsWith('\n')) text.chop(1);
    return text.split('\n');
}

QImage helpPicture(const QString& fileName) {
    QFile file(":/help/pictures/" + fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    if (fileName.endsWith(".jpg")) return decodeJpeg(data);
    return QImage::fromData(data, "BMP");
}

}  // namespace sg
