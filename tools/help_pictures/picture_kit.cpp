// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/help_pictures/picture_kit.h"

#include <QPainterPath>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPolygonF>
#include <QStringList>

#include <cmath>
#include <stdexcept>

namespace hp {

namespace {

// The family of the first font file that loads.
QString loadFamily(std::initializer_list<const char*> files) {
    for (const char* file : files) {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        if (id < 0) continue;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) return families.first();
    }
    return {};
}

const QString& regularFamily() {
    static const QString family = loadFamily({"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                              "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"});
    return family;
}

const QString& boldFamily() {
    static const QString family = loadFamily({"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                                              "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf"});
    return family;
}

}  // namespace

QFont drawingFont(int pixelSize, bool bold, bool antialias) {
    const QString& family = bold ? boldFamily() : regularFamily();
    if (family.isEmpty()) throw std::runtime_error("cannot load the DejaVu Sans or Liberation Sans font files");
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(antialias ? QFont::PreferAntialias : QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    return f;
}

QImage blankSheet(int width, int height, QColor background) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

void startInk(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(drawingFont(11));
    p.setBrush(Qt::NoBrush);
    setInk(p);
}

void setInk(QPainter& p, double width) {
    QPen pen(Qt::black);
    pen.setWidthF(width);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
}

void setDashedInk(QPainter& p, double dash, double gap, double width) {
    QPen pen(Qt::black);
    pen.setWidthF(width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setDashPattern({dash / width, gap / width});
    p.setPen(pen);
}

void arrowHead(QPainter& p, QPointF tip, QPointF from, double length, double halfWidth) {
    const QPointF d = tip - from;
    const double n = std::hypot(d.x(), d.y());
    if (n == 0) return;
    const QPointF u = d / n, v(-u.y(), u.x());
    const QPointF base = tip - u * length;
    const QPolygonF head{tip, base + v * halfWidth, base - v * halfWidth};
    p.save();
    p.setPen(QPen(p.pen().color(), 1));
    p.setBrush(p.pen().color());
    p.drawPolygon(head);
    p.restore();
}

void arrow(QPainter& p, QPointF from, QPointF to, double length, double halfWidth) {
    const QPointF d = to - from;
    const double n = std::hypot(d.x(), d.y());
    // The shaft stops inside the head so that its cap does not poke through.
    const QPointF end = n > length ? to - d / n * (length * 0.6) : to;
    p.drawLine(from, end);
    arrowHead(p, to, from, length, halfWidth);
}

void dimension(QPainter& p, QPointF a, QPointF b, double length, double halfWidth) {
    p.drawLine(a, b);
    arrowHead(p, a, b, length, halfWidth);
    arrowHead(p, b, a, length, halfWidth);
}

void textAt(QPainter& p, double x, double top, const QString& text) {
    const QFontMetrics m(p.font());
    p.drawText(QPointF(x, top + m.ascent()), text);
}

void textCentred(QPainter& p, double cx, double top, const QString& text) {
    textAt(p, std::round(cx - textWidth(p, text) / 2.0), top, text);
}

int textWidth(const QPainter& p, const QString& text) { return QFontMetrics(p.font()).horizontalAdvance(text); }

int textHeight(const QPainter& p) { return QFontMetrics(p.font()).height(); }

void label(QPainter& p, double x, double top, const QString& text, QPointF target, bool withDot) {
    textAt(p, x, top, text);
    const double w = textWidth(p, text);
    const double midY = top + textHeight(p) / 2.0;
    // Leave the text from the end that faces the target.
    QPointF start;
    if (target.x() >= x + w)
        start = QPointF(x + w + 2, midY);
    else if (target.x() <= x)
        start = QPointF(x - 3, midY);
    else
        start = QPointF(target.x(), target.y() > midY ? top + textHeight(p) : top - 1);
    p.drawLine(start, target);
    if (withDot) dot(p, target);
}

void hatch(QPainter& p, const QPainterPath& region, double spacing, bool rising) {
    const QRectF box = region.boundingRect();
    p.save();
    p.setClipPath(region, Qt::IntersectClip);
    const double h = box.height();
    for (double x = box.left() - h; x <= box.right() + h; x += spacing) {
        if (rising)
            p.drawLine(QPointF(x, box.bottom()), QPointF(x + h, box.top()));
        else
            p.drawLine(QPointF(x, box.top()), QPointF(x + h, box.bottom()));
    }
    p.restore();
}

void drawAxis(QPainter& p, double x1, double x2, double y) {
    p.save();
    QPen pen(Qt::black, 1);
    pen.setDashPattern({9, 3, 2, 3});
    p.setPen(pen);
    p.drawLine(QPointF(x1, y), QPointF(x2, y));
    p.restore();
}

void drawGratingEdgeOn(QPainter& p, double x, double top, double bottom) {
    p.save();
    QPen comb(Qt::black, 3);
    comb.setCapStyle(Qt::FlatCap);
    comb.setDashPattern({4.0 / 3, 4.0 / 3});
    p.setPen(comb);
    p.drawLine(QPointF(x, top), QPointF(x, bottom));
    p.restore();
}

void dot(QPainter& p, QPointF centre, double radius) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(centre, radius, radius);
    p.restore();
}


// An eye seen from the side, looking left, its cornea at (x, y).
void drawEye(QPainter& p, double x, double y) {
    QPainterPath lids;
    lids.moveTo(x, y);
    lids.quadTo(x + 16, y - 17, x + 38, y - 9);
    lids.moveTo(x, y);
    lids.quadTo(x + 16, y + 16, x + 38, y + 8);
    p.drawPath(lids);
    // The eyeball behind the lids, and the iris facing the light.
    p.drawArc(QRectF(x + 2, y - 11, 22, 22), 100 * 16, 160 * 16);
    p.save();
    p.setBrush(Qt::black);
    p.drawChord(QRectF(x + 1, y - 6, 9, 12), 90 * 16, 180 * 16);
    p.restore();
}

}  // namespace hp
