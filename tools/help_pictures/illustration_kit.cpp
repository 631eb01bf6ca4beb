// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/help_pictures/illustration_kit.h"

#include "tools/help_pictures/picture_kit.h"

#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>

namespace hp {

namespace {
const QColor kInk(28, 28, 28);
}

QImage illustrationSheet(int width, int height) {
    QImage sheet = blankSheet(width, height);
    QPainter p(&sheet);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, QColor(240, 239, 234));
    g.setColorAt(1, QColor(218, 217, 210));
    p.fillRect(QRect(0, 0, width, height), g);
    return sheet;
}

void startIllustration(QPainter& p, int fontPixels) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.setFont(drawingFont(fontPixels, false, true));
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
}

QLinearGradient metalAcross(QPointF a, QPointF b, QColor base) {
    QLinearGradient g(a, b);
    g.setColorAt(0.0, base.darker(150));
    g.setColorAt(0.18, base.lighter(135));
    g.setColorAt(0.35, base.lighter(112));
    g.setColorAt(0.7, base);
    g.setColorAt(1.0, base.darker(135));
    return g;
}

void fillOutlined(QPainter& p, const QPainterPath& path, const QBrush& brush, QColor edge, double width) {
    p.save();
    p.setBrush(brush);
    p.setPen(QPen(edge, width));
    p.drawPath(path);
    p.restore();
}

void fillOutlined(QPainter& p, const QRectF& rect, const QBrush& brush, QColor edge, double width) {
    QPainterPath path;
    path.addRect(rect);
    fillOutlined(p, path, brush, edge, width);
}

void softShadow(QPainter& p, const QPainterPath& path, QPointF offset) {
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = 3; i >= 1; --i) {
        p.setBrush(QColor(60, 55, 45, 22));
        p.drawPath(path.translated(offset * (0.5 + 0.25 * i)));
    }
    p.restore();
}

void screwHead(QPainter& p, QPointF centre, double radius, double slotAngle) {
    p.save();
    QRadialGradient g(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.4);
    g.setColorAt(0, QColor(235, 235, 232));
    g.setColorAt(0.6, QColor(160, 160, 158));
    g.setColorAt(1, QColor(95, 95, 95));
    p.setBrush(g);
    p.setPen(QPen(QColor(70, 70, 70), 0.8));
    p.drawEllipse(centre, radius, radius);
    p.translate(centre);
    p.rotate(slotAngle);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(55, 55, 55));
    p.drawRect(QRectF(-radius * 0.85, -radius * 0.14, radius * 1.7, radius * 0.28));
    p.restore();
}

void knurledKnob(QPainter& p, const QRectF& rect, bool vertical, QColor base) {
    p.save();
    // Shaded across the knob's axis.
    p.setBrush(metalAcross(rect.topLeft(), vertical ? rect.topRight() : rect.bottomLeft(), base));
    p.setPen(QPen(base.darker(200), 0.8));
    p.drawRoundedRect(rect, 1.5, 1.5);
    p.setPen(QPen(QColor(0, 0, 0, 70), 0.8));
    if (vertical)
        for (double y = rect.top() + 2; y < rect.bottom() - 1; y += 2.2)
            p.drawLine(QPointF(rect.left() + 1, y), QPointF(rect.right() - 1, y));
    else
        for (double x = rect.left() + 2; x < rect.right() - 1; x += 2.2)
            p.drawLine(QPointF(x, rect.top() + 1), QPointF(x, rect.bottom() - 1));
    p.restore();
}

void coilSpring(QPainter& p, QPointF a, QPointF b, double halfWidth, int turns, QColor colour) {
    const QPointF d = b - a;
    const double n = std::hypot(d.x(), d.y());
    const QPointF v(-d.y() / n, d.x() / n);
    p.save();
    p.setBrush(Qt::NoBrush);
    // The coil's far side darker than its near side.
    QPainterPath back, front;
    for (int i = 0; i < turns; ++i) {
        const double t0 = double(i) / turns, t1 = (i + 0.5) / turns, t2 = (i + 1.0) / turns;
        back.moveTo(a + d * t0 - v * halfWidth);
        back.lineTo(a + d * t1 + v * halfWidth);
        front.moveTo(a + d * t1 + v * halfWidth);
        front.lineTo(a + d * t2 - v * halfWidth);
    }
    p.setPen(QPen(colour.darker(160), 1.6));
    p.drawPath(back);
    p.setPen(QPen(colour, 1.8));
    p.drawPath(front);
    p.restore();
}

void woodBlock(QPainter& p, const QRectF& rect, bool grainAlongX) {
    p.save();
    QLinearGradient g(rect.topLeft(), grainAlongX ? rect.bottomLeft() : rect.topRight());
    g.setColorAt(0, QColor(204, 160, 110));
    g.setColorAt(0.5, QColor(186, 138, 88));
    g.setColorAt(1, QColor(150, 104, 62));
    p.setBrush(g);
    p.setPen(QPen(QColor(110, 72, 40), 1));
    p.drawRect(rect);
    p.setClipRect(rect.adjusted(1, 1, -1, -1));
    p.setPen(QPen(QColor(130, 86, 48, 110), 0.8));
    const int lines = 6;
    for (int i = 1; i <= lines; ++i) {
        QPainterPath grain;
        if (grainAlongX) {
            const double y = rect.top() + rect.height() * i / (lines + 1.0);
            grain.moveTo(rect.left(), y);
            for (double x = rect.left(); x <= rect.right(); x += 3)
                grain.lineTo(x, y + 1.6 * std::sin((x - rect.left()) / 17.0 + 1.7 * i));
        } else {
            const double x = rect.left() + rect.width() * i / (lines + 1.0);
            grain.moveTo(x, rect.top());
            for (double y = rect.top(); y <= rect.bottom(); y += 3)
                grain.lineTo(x + 1.6 * std::sin((y - rect.top()) / 17.0 + 1.7 * i), y);
        }
        p.drawPath(grain);
    }
    p.restore();
}

void callout(QPainter& p, double x, double top, const QString& text, QPointF target) {
    p.save();
    p.setPen(QPen(kInk, 1));
    textAt(p, x, top, text);
    const double w = textWidth(p, text), h = textHeight(p);
    const double midY = top + h / 2.0;
    QPointF start;
    if (target.x() >= x + w)
        start = QPointF(x + w + 2, midY);
    else if (target.x() <= x)
        start = QPointF(x - 2, midY);
    else
        start = QPointF(target.x(), target.y() > midY ? top + h : top);
    p.setPen(QPen(QColor(40, 40, 40), 0.9));
    p.drawLine(start, target);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(target, 1.6, 1.6);
    p.restore();
}

}  // namespace hp
