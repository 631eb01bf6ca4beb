// SPDX-License-Identifier: GPL-3.0-or-later
// Shaded illustrations of a de-luxe test stand and its head, and two
// schematic pictures comparing amplitude and phase gratings.

#include "tools/help_pictures/illustration_kit.h"
#include "tools/help_pictures/picture_kit.h"
#include "tools/help_pictures/pictures.h"

#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>

namespace hp {

namespace {

const QColor kCastIron(92, 104, 100);
const QColor kSteel(176, 178, 182);
const QColor kAluminium(196, 198, 202);

// A red LED glowing through a small hole in a dark cap.
void redPinhole(QPainter& p, QPointF c, double radius) {
    QRadialGradient glow(c, radius * 3);
    glow.setColorAt(0, QColor(255, 90, 70, 200));
    glow.setColorAt(1, QColor(255, 40, 20, 0));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, radius * 3, radius * 3);
    p.setBrush(QColor(255, 200, 180));
    p.drawEllipse(c, radius, radius);
    p.restore();
}

// A micrometer head lying along x: sleeve with its scale, then the
// thimble and the ratchet, from `left`.
void micrometer(QPainter& p, double left, double cy, double scale) {
    const double sleeveLength = 26 * scale, sleeveRadius = 4 * scale;
    const double thimbleLength = 20 * scale, thimbleRadius = 6.5 * scale;
    fillOutlined(p, QRectF(left, cy - sleeveRadius, sleeveLength, 2 * sleeveRadius),
                 metalAcross(QPointF(0, cy - sleeveRadius), QPointF(0, cy + sleeveRadius), QColor(200, 200, 196)),
                 QColor(100, 100, 100), 0.8);
    p.save();
    p.setPen(QPen(QColor(40, 40, 40), 0.7));
    p.drawLine(QPointF(left + 2, cy), QPointF(left + sleeveLength, cy));
    for (double x = left + 3; x < left + sleeveLength - 1; x += 2.5 * scale)
        p.drawLine(QPointF(x, cy), QPointF(x, cy - sleeveRadius * 0.6));
    p.restore();
    const double tx = left + sleeveLength;
    QPainterPath thimble;
    thimble.moveTo(tx, cy - sleeveRadius - 1);
    thimble.lineTo(tx + 3 * scale, cy - thimbleRadius);
    thimble.lineTo(tx + thimbleLength, cy - thimbleRadius);
    thimble.lineTo(tx + thimbleLength, cy + thimbleRadius);
    thimble.lineTo(tx + 3 * scale, cy + thimbleRadius);
    thimble.lineTo(tx, cy + sleeveRadius + 1);
    thimble.closeSubpath();
    fillOutlined(p, thimble, metalAcross(QPointF(0, cy - thimbleRadius), QPointF(0, cy + thimbleRadius), kSteel),
                 QColor(90, 90, 90), 0.8);
    knurledKnob(p, QRectF(tx + thimbleLength, cy - thimbleRadius * 0.7, 8 * scale, thimbleRadius * 1.4), false);
}

}  // namespace

QImage drawDeluxeRig() {
    QImage sheet = illustrationSheet(236, 217);
    QPainter p(&sheet);
    startIllustration(p, 10);

    // The base: a heavy casting standing on three levelling screws (the
    // third behind the post).
    QPainterPath base;
    base.moveTo(44, 168);
    base.lineTo(196, 168);
    base.lineTo(206, 184);
    base.lineTo(34, 184);
    base.closeSubpath();
    softShadow(p, base, QPointF(2, 10));
    QLinearGradient castTop(QPointF(0, 168), QPointF(0, 184));
    castTop.setColorAt(0, kCastIron.lighter(135));
    castTop.setColorAt(1, kCastIron.darker(120));
    fillOutlined(p, base, castTop, kCastIron.darker(180));
    for (const double x : {50.0, 122.0, 190.0}) {
        const bool behind = x == 122.0;
        const QColor c = behind ? kSteel.darker(125) : kSteel;
        fillOutlined(p, QRectF(x - 2.5, 184, 5, behind ? 8 : 12),
                     metalAcross(QPointF(x - 2.5, 0), QPointF(x + 2.5, 0), c), c.darker(170), 0.7);
        QPainterPath pad;
        pad.addRoundedRect(QRectF(x - 8, behind ? 191 : 195, 16, 5), 2, 2);
        fillOutlined(p, pad, QColor(60, 60, 62), QColor(30, 30, 30), 0.7);
    }

    // The post, clamped into the base.
    fillOutlined(p, QRectF(110, 72, 18, 96), metalAcross(QPointF(110, 0), QPointF(128, 0), kSteel),
                 kSteel.darker(170));
    fillOutlined(p, QRectF(104, 150, 30, 18), metalAcross(QPointF(104, 0), QPointF(134, 0), kCastIron),
                 kCastIron.darker(170));
    screwHead(p, QPointF(119, 159), 4, 70);

    // The cross slide: a fixed dovetail on the post and the carriage on it,
    // driven along the axis by the micrometer at the right.
    QPainterPath ways;
    ways.moveTo(62, 72);
    ways.lineTo(176, 72);
    ways.lineTo(172, 60);
    ways.lineTo(66, 60);
    ways.closeSubpath();
    fillOutlined(p, ways, metalAcross(QPointF(0, 60), QPointF(0, 72), kCastIron), kCastIron.darker(170));
    fillOutlined(p, QRectF(80, 48, 78, 12), metalAcross(QPointF(0, 48), QPointF(0, 60), kAluminium),
                 kAluminium.darker(170));
    fillOutlined(p, QRectF(176, 50, 8, 22), metalAcross(QPointF(176, 0), QPointF(184, 0), kCastIron),
                 kCastIron.darker(170));
    micrometer(p, 184, 58, 0.9);
    p.save();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(QPointF(158, 56), QPointF(176, 56));
    p.restore();

    // The head on the carriage: grating above, LED source, knife below.
    fillOutlined(p, QRectF(98, 6, 44, 42), metalAcross(QPointF(98, 0), QPointF(142, 0), kAluminium),
                 kAluminium.darker(170));
    const QRectF grating(104, 9, 22, 14);
    p.fillRect(grating, QColor(235, 240, 240));
    p.save();
    p.setClipRect(grating);
    p.setPen(QPen(QColor(30, 30, 30), 1));
    for (double x = grating.left() + 1; x < grating.right(); x += 2.5) p.drawLine(QPointF(x, 9), QPointF(x, 23));
    p.restore();
    p.save();
    p.setPen(QPen(QColor(60, 60, 60), 0.8));
    p.drawRect(grating);
    p.restore();
    fillOutlined(p, QRectF(106, 26, 16, 10), QColor(40, 40, 42), QColor(20, 20, 20), 0.7);
    redPinhole(p, QPointF(114, 31), 1.5);
    QPolygonF blade{{100, 38}, {118, 38}, {121, 41}, {118, 44}, {100, 44}};
    p.save();
    p.setBrush(metalAcross(QPointF(0, 38), QPointF(0, 44), QColor(210, 212, 216)));
    p.setPen(QPen(QColor(90, 90, 90), 0.7));
    p.drawPolygon(blade);
    p.restore();
    knurledKnob(p, QRectF(142, 37, 10, 9), false);

    callout(p, 4, 8, "HEAD", QPointF(100, 14));
    callout(p, 4, 38, "CROSS SLIDE", QPointF(84, 56));
    callout(p, 150, 80, "MICROMETER", QPointF(206, 62));
    callout(p, 4, 104, "POST", QPointF(112, 110));
    callout(p, 4, 152, "BASE", QPointF(48, 174));
    callout(p, 150, 200, "THREE FEET", QPointF(190, 198));
    return sheet;
}

QImage drawDeluxeHead() {
    QImage sheet = illustrationSheet(253, 390);
    QPainter p(&sheet);
    startIllustration(p, 11);

    // The head plate as the tester sees it, the mirror beyond.
    p.save();
    p.translate(-14, 0);
    const QRectF plate(92, 18, 100, 352);
    QPainterPath platePath;
    platePath.addRoundedRect(plate, 4, 4);
    softShadow(p, platePath, QPointF(4, 6));
    QLinearGradient brushed(plate.topLeft(), plate.topRight());
    brushed.setColorAt(0, kAluminium.darker(112));
    brushed.setColorAt(0.3, kAluminium.lighter(110));
    brushed.setColorAt(1, kAluminium.darker(118));
    fillOutlined(p, platePath, brushed, kAluminium.darker(180));

    // The grating holder: a frame with two clamping screws and the grating
    // in its window.
    const QRectF holder(104, 34, 76, 76);
    fillOutlined(p, holder, metalAcross(holder.topLeft(), holder.bottomRight(), QColor(60, 62, 66)),
                 QColor(30, 30, 32));
    const QRectF window = holder.adjusted(12, 12, -12, -12);
    p.fillRect(window, QColor(228, 236, 238));
    p.save();
    p.setClipRect(window);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(25, 25, 28));
    for (double x = window.left() + 1; x < window.right(); x += 4) p.drawRect(QRectF(x, window.top(), 2, window.height()));
    p.restore();
    screwHead(p, QPointF(holder.left() + 6, holder.top() + 6), 3.5, 20);
    screwHead(p, QPointF(holder.right() - 6, holder.bottom() - 6), 3.5, 80);

    // The red LED source: a round housing, its light through a pinhole.
    const QPointF led(142, 152);
    QRadialGradient housing(led - QPointF(6, 6), 26);
    housing.setColorAt(0, QColor(110, 110, 114));
    housing.setColorAt(1, QColor(30, 30, 32));
    p.save();
    p.setBrush(housing);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.drawEllipse(led, 20, 20);
    p.restore();
    redPinhole(p, led, 2.2);
    p.save();
    p.setPen(QPen(QColor(50, 50, 50), 1.4));
    QPainterPath wire;
    wire.moveTo(led + QPointF(14, 14));
    wire.cubicTo(led + QPointF(40, 30), QPointF(228, 200), QPointF(268, 196));
    p.drawPath(wire);
    p.restore();

    // The knife: a razor blade on a small slide, moved across the beam by
    // the transverse micrometer at the right.
    const QRectF slide(100, 226, 84, 72);
    fillOutlined(p, slide, metalAcross(slide.topLeft(), slide.topRight(), QColor(150, 140, 122)),
                 QColor(90, 84, 70));
    fillOutlined(p, QRectF(92, 222, 100, 4), QColor(120, 120, 124), QColor(80, 80, 84), 0.7);
    fillOutlined(p, QRectF(92, 298, 100, 4), QColor(120, 120, 124), QColor(80, 80, 84), 0.7);
    QPolygonF blade{{108, 236}, {142, 236}, {148, 262}, {142, 288}, {108, 288}};
    QPainterPath bladePath;
    bladePath.addPolygon(blade);
    bladePath.closeSubpath();
    softShadow(p, bladePath, QPointF(2, 2));
    fillOutlined(p, bladePath, metalAcross(QPointF(108, 236), QPointF(148, 288), QColor(200, 204, 210)),
                 QColor(80, 82, 86));
    p.save();
    p.setPen(QPen(QColor(250, 250, 252), 1.4));
    p.drawLine(QPointF(142, 236), QPointF(148, 262));
    p.drawLine(QPointF(148, 262), QPointF(142, 288));
    p.restore();
    screwHead(p, QPointF(118, 250), 4, 40);
    screwHead(p, QPointF(118, 274), 4, 100);
    fillOutlined(p, QRectF(184, 254, 10, 16), metalAcross(QPointF(184, 0), QPointF(194, 0), kSteel),
                 kSteel.darker(170));
    micrometer(p, 194, 262, 1.3);
    p.restore();

    callout(p, 4, 30, "GRATING", QPointF(92, 60));
    textAt(p, 4, 43, "HOLDER");
    callout(p, 4, 140, "RED LED", QPointF(110, 150));
    textAt(p, 4, 153, "SOURCE");
    callout(p, 4, 310, "KNIFE EDGE", QPointF(132, 270));
    callout(p, 112, 330, "TRANSVERSE", QPointF(206, 268));
    textAt(p, 112, 343, "MICROMETER");
    return sheet;
}

QImage drawPhaseProfiles() {
    QImage sheet = illustrationSheet(199, 176);
    QPainter p(&sheet);
    startIllustration(p, 10);

    const double left = 16, right = 184, period = 24, strip = 12;
    auto glassFill = [&](double top, double bottom) {
        QLinearGradient g(QPointF(0, top), QPointF(0, bottom));
        g.setColorAt(0, QColor(214, 236, 240));
        g.setColorAt(1, QColor(170, 204, 212));
        return g;
    };

    // Amplitude grating: clear glass with opaque strips laid on it.
    p.setFont(drawingFont(10, true, true));
    textAt(p, left, 4, "AMPLITUDE GRATING");
    p.setFont(drawingFont(10, false, true));
    fillOutlined(p, QRectF(left, 44, right - left, 16), glassFill(44, 60), QColor(110, 150, 160));
    for (double x = left; x + strip <= right + 0.1; x += period)
        fillOutlined(p, QRectF(x, 36, strip, 8), QColor(25, 25, 28), QColor(10, 10, 10), 0.6);
    callout(p, left, 20, "OPAQUE", QPointF(left + period + strip / 2, 38));
    callout(p, 110, 20, "CLEAR", QPointF(left + 4 * period + strip + 6, 40));
    textAt(p, left, 63, "GLASS OR FILM");

    // Phase grating: all clear, strips of two thicknesses.
    p.setFont(drawingFont(10, true, true));
    textAt(p, left, 88, "PHASE GRATING");
    p.setFont(drawingFont(10, false, true));
    QPainterPath relief;
    const double base = 140, thin = 128, thick = 120;
    relief.moveTo(left, base);
    relief.lineTo(left, thick);
    for (double x = left; x < right - 0.1; x += period) {
        relief.lineTo(x + strip, thick);
        relief.lineTo(x + strip, thin);
        relief.lineTo(std::min(x + period, right), thin);
        if (x + period < right - 0.1) relief.lineTo(x + period, thick);
    }
    relief.lineTo(right, base);
    relief.closeSubpath();
    fillOutlined(p, relief, glassFill(thick, base), QColor(110, 150, 160));
    callout(p, left, 104, "THICK", QPointF(left + period + strip / 2, thick + 1));
    callout(p, 110, 104, "THIN", QPointF(left + 4 * period + strip + 6, thin + 1));
    textAt(p, left, 144, "ALL CLEAR; THE THICK STRIPS");
    textAt(p, left, 156, "DELAY THE LIGHT 1/2 WAVE");
    return sheet;
}

QImage drawPhaseBands() {
    QImage sheet = illustrationSheet(244, 161);
    QPainter p(&sheet);
    startIllustration(p, 10);

    const double left = 28, right = 236, period = 26;
    const QColor light(30, 70, 160), phase(200, 40, 30);
    auto axes = [&](double top, double bottom) {
        p.save();
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawLine(QPointF(left, top - 4), QPointF(left, bottom));
        p.drawLine(QPointF(left, bottom), QPointF(right, bottom));
        p.restore();
        textAt(p, 8, top - 6, "1");
        textAt(p, 8, bottom - 7, "0");
    };

    // Amplitude grating: light passes only the clear strips, half of it.
    auto titles = [&](double top, const char* title, const char* verdict) {
        p.setFont(drawingFont(10, true, true));
        textAt(p, left, top, title);
        p.setFont(drawingFont(10, false, true));
        textAt(p, right - textWidth(p, verdict), top, verdict);
    };
    titles(2, "AMPLITUDE GRATING", "HALF PASSES");
    const double top1 = 24, bottom1 = 62;
    axes(top1, bottom1);
    QPainterPath square;
    // Opaque strip first, then clear, as in the cross-sections.
    square.moveTo(left, bottom1);
    for (double x = left; x < right - 0.1; x += period) {
        square.lineTo(x + period / 2, bottom1);
        square.lineTo(x + period / 2, top1);
        square.lineTo(std::min(x + period, right), top1);
        if (x + period < right - 0.1) square.lineTo(x + period, bottom1);
    }
    p.save();
    p.setPen(QPen(light, 1.6));
    p.drawPath(square);
    QPen dashed(QColor(80, 80, 80), 1);
    dashed.setDashPattern({3, 3});
    p.setPen(dashed);
    p.drawLine(QPointF(left, (top1 + bottom1) / 2), QPointF(right, (top1 + bottom1) / 2));
    p.restore();

    // Phase grating: all the light passes; the thick strips delay theirs by
    // half a wave, which sends the light into the diffraction orders.
    titles(76, "PHASE GRATING", "ALL PASSES");
    const double top2 = 100, bottom2 = 138;
    axes(top2, bottom2);
    p.save();
    p.setPen(QPen(light, 1.6));
    p.drawLine(QPointF(left, top2), QPointF(right, top2));
    QPainterPath delay;
    const double low = bottom2 - 2, high = bottom2 - 16;
    // Thick strip (delayed) first, then thin.
    delay.moveTo(left, high);
    for (double x = left; x < right - 0.1; x += period) {
        delay.lineTo(x + period / 2, high);
        delay.lineTo(x + period / 2, low);
        delay.lineTo(std::min(x + period, right), low);
        if (x + period < right - 0.1) delay.lineTo(x + period, high);
    }
    QPen delayPen(phase, 1.4);
    delayPen.setDashPattern({4, 2});
    p.setPen(delayPen);
    p.drawPath(delay);
    p.setPen(light);
    textAt(p, left + 4, 86 + 1, "LIGHT PASSED");
    p.setPen(phase);
    textAt(p, 100, 106, "DELAY 0 OR 1/2 WAVE");
    p.restore();
    const QString across = "ACROSS THE GRATING";
    textAt(p, left, 145, across);
    arrow(p, QPointF(left + textWidth(p, across) + 6, 151.5), QPointF(right, 151.5), 6, 2.5);
    return sheet;
}

}  // namespace hp
