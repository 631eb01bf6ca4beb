// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-icon: draws the program's icon, a mirror disk crossed by the
// bowed bands of a paraboloid in the grating test, as an SVG file and as
// PNG files of the usual sizes, from one description of its shapes.
//   shadowgram-icon OUTPUT_DIR

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>

#include <cstdio>
#include <cstring>

namespace {

// On a 256-unit square: the disk, its rim, and the lit bands, each between
// two edges that run from the top to the bottom of the square and bow out
// to a control point at mid-height.
constexpr double kCentre = 128, kRadius = 116, kRim = 8;
struct Edge {
    double end, middle;  // x at the top and bottom, x of the control point at mid-height
};
struct Band {
    Edge left, right;
};
constexpr Band kBands[] = {{{38, 18}, {74, 60}}, {{106, 94}, {150, 162}}, {{182, 196}, {218, 238}}};
const char* const kDisk = "#101010";
const char* const kRimColour = "#c0c0c0";
const char* const kBandColour = "#e01010";

QString svg() {
    QString out = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
        "  <defs><clipPath id=\"disk\"><circle cx=\"%1\" cy=\"%1\" r=\"%2\"/></clipPath></defs>\n"
        "  <circle cx=\"%1\" cy=\"%1\" r=\"%2\" fill=\"%3\"/>\n"
        "  <g clip-path=\"url(#disk)\" fill=\"%4\">\n")
                      .arg(kCentre)
                      .arg(kRadius)
                      .arg(kDisk, kBandColour);
    for (const Band& b : kBands)
        out += QString("    <path d=\"M %1 0 Q %2 128 %1 256 L %3 256 Q %4 128 %3 0 Z\"/>\n")
                   .arg(b.left.end)
                   .arg(b.left.middle)
                   .arg(b.right.end)
                   .arg(b.right.middle);
    out += QString("  </g>\n  <circle cx=\"%1\" cy=\"%1\" r=\"%2\" fill=\"none\" stroke=\"%3\" stroke-width=\"%4\"/>\n"
                   "</svg>\n")
               .arg(kCentre)
               .arg(kRadius)
               .arg(kRimColour)
               .arg(kRim);
    return out;
}

QImage png(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    QPainterPath disk;
    disk.addEllipse(QPointF(kCentre, kCentre), kRadius, kRadius);
    p.fillPath(disk, QColor(kDisk));
    p.setClipPath(disk);
    for (const Band& b : kBands) {
        QPainterPath band;
        band.moveTo(b.left.end, 0);
        band.quadTo(b.left.middle, 128, b.left.end, 256);
        band.lineTo(b.right.end, 256);
        band.quadTo(b.right.middle, 128, b.right.end, 0);
        band.closeSubpath();
        p.fillPath(band, QColor(kBandColour));
    }
    p.setClipping(false);
    p.setPen(QPen(QColor(kRimColour), kRim));
    p.drawEllipse(QPointF(kCentre, kCentre), kRadius, kRadius);
    return image;
}

bool write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs("Usage: shadowgram-icon OUTPUT_DIR\nWrites shadowgram.svg and shadowgram-SIZE.png.\n",
                   argc == 2 ? stdout : stderr);
        return argc == 2 ? 0 : 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path()) || !write(dir.filePath("shadowgram.svg"), svg().toUtf8())) return 1;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QSaveFile file(dir.filePath(QString("shadowgram-%1.png").arg(size)));
        if (!file.open(QIODevice::WriteOnly) || !png(size).save(&file, "PNG") || !file.commit()) return 1;
    }
    return 0;
}
