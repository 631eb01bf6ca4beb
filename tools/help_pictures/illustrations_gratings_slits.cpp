// SPDX-License-Identifier: GPL-3.0-or-later
// Shaded illustrations of gratings and slits: three kinds of grating, a
// two-blade adjustable slit, a scribed slit and an LED behind a diffuser.

#include "tools/help_pictures/illustration_kit.h"
#include "tools/help_pictures/picture_kit.h"
#include "tools/help_pictures/pictures.h"

#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>

namespace hp {

namespace {

// Clear film or glass: a pale, slightly blue tint with a sheen.
QLinearGradient clearGlass(QPointF a, QPointF b) {
    QLinearGradient g(a, b);
    g.setColorAt(0, QColor(226, 236, 238));
    g.setColorAt(0.45, QColor(246, 250, 250));
    g.setColorAt(0.55, QColor(214, 226, 229));
    g.setColorAt(1, QColor(200, 214, 218));
    return g;
}

// Dark lines across a window, `period` apart, each `width` wide.
void rulings(QPainter& p, const QRectF& window, double period, double width, QColor colour) {
    p.save();
    p.setClipRect(window);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (double x = window.left() + (period - width) / 2; x < window.right(); x += period)
        p.drawRect(QRectF(x, window.top(), width, window.height()));
    p.restore();
}

// A razor blade lying flat, its cutting edge along x = edgeX from top to
// bottom, the body reaching to bodyX; the bevel is the bright strip along
// the edge.
void razorBlade(QPainter& p, double edgeX, double bodyX, double top, double bottom) {
    const double dir = bodyX > edgeX ? 1 : -1;
    QPainterPath body;
    body.addRect(QRectF(std::min(edgeX, bodyX), top, std::fabs(bodyX - edgeX), bottom - top));
    softShadow(p, body);
    fillOutlined(p, body, metalAcross(QPointF(edgeX, top), QPointF(bodyX, bottom), QColor(176, 180, 186)),
                 QColor(90, 92, 96));
    const QRectF bevel(dir > 0 ? edgeX : edgeX - 7, top, 7, bottom - top);
    QLinearGradient g(QPointF(edgeX, 0), QPointF(edgeX + 7 * dir, 0));
    g.setColorAt(0, QColor(245, 246, 248));
    g.setColorAt(1, QColor(196, 200, 206));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(bevel.adjusted(0, 0.5, 0, -0.5));
    p.restore();
}

}  // namespace

QImage drawGratingMaterials() {
    QImage sheet = illustrationSheet(233, 276);
    QPainter p(&sheet);
    startIllustration(p, 10);

    // A film grating in a 50 mm slide mount.
    {
        const QRectF mount(10, 10, 98, 98);
        QPainterPath outline;
        outline.addRoundedRect(mount, 6, 6);
        softShadow(p, outline);
        QLinearGradient g(mount.topLeft(), mount.bottomRight());
        g.setColorAt(0, QColor(250, 248, 242));
        g.setColorAt(1, QColor(212, 208, 196));
        fillOutlined(p, outline, g, QColor(150, 145, 132));
        const QRectF window(28, 33, 62, 52);
        QPainterPath bevel;
        bevel.addRect(window.adjusted(-3, -3, 3, 3));
        fillOutlined(p, bevel, QColor(190, 185, 172), QColor(160, 155, 142));
        p.fillRect(window, clearGlass(window.topLeft(), window.bottomRight()));
        rulings(p, window, 5, 2.5, QColor(25, 25, 28));
        textCentred(p, 59, 114, "FILM IN A");
        textCentred(p, 59, 126, "SLIDE MOUNT");
    }

    // Fine wire wound on a small metal frame.
    {
        const QRectF frame(128, 14, 94, 90);
        const QRectF opening = frame.adjusted(12, 12, -12, -12);
        QPainterPath body;
        body.addRect(frame);
        body.addRect(opening);
        body.setFillRule(Qt::OddEvenFill);
        softShadow(p, body);
        fillOutlined(p, body, metalAcross(frame.topLeft(), frame.bottomRight(), QColor(196, 160, 92)),
                     QColor(120, 92, 40));
        // The turns of wire, running over the frame's top and bottom bars.
        p.save();
        for (double x = frame.left() + 9; x < frame.right() - 8; x += 3.2) {
            p.setPen(QPen(QColor(70, 70, 74), 1.1));
            p.drawLine(QPointF(x, frame.top() - 2), QPointF(x, frame.bottom() + 2));
            p.setPen(QPen(QColor(230, 230, 232), 0.4));
            p.drawLine(QPointF(x - 0.3, frame.top() - 2), QPointF(x - 0.3, frame.bottom() + 2));
        }
        p.restore();
        screwHead(p, QPointF(frame.left() + 5, frame.top() + 6), 3);
        screwHead(p, QPointF(frame.right() - 5, frame.bottom() - 6), 3);
        textCentred(p, 175, 114, "WIRE WOUND");
        textCentred(p, 175, 126, "ON A FRAME");
    }

    // A ruled glass plate, seen at an angle.
    {
        const QPolygonF plate{{42, 160}, {206, 150}, {196, 236}, {30, 246}};
        QPainterPath path;
        path.addPolygon(plate);
        path.closeSubpath();
        softShadow(p, path, QPointF(4, 5));
        fillOutlined(p, path, clearGlass(QPointF(30, 150), QPointF(206, 246)), QColor(120, 140, 146), 1.2);
        // The plate's thickness along its lower and right edges.
        QPainterPath edge;
        edge.moveTo(30, 246);
        edge.lineTo(196, 236);
        edge.lineTo(206, 150);
        edge.lineTo(208, 154);
        edge.lineTo(198, 240);
        edge.lineTo(32, 250);
        edge.closeSubpath();
        fillOutlined(p, edge, QColor(150, 180, 176), QColor(110, 135, 135));
        // The ruled area: fine lines, parallel to the plate's short sides.
        p.save();
        QPainterPath ruled;
        ruled.addPolygon(QPolygonF{{64, 172}, {178, 165}, {171, 225}, {56, 232}});
        p.setClipPath(ruled);
        p.setPen(QPen(QColor(40, 44, 48), 1.2));
        for (double t = 0; t <= 1.0001; t += 1.0 / 36) {
            const QPointF top = QPointF(64, 172) + (QPointF(178, 165) - QPointF(64, 172)) * t;
            const QPointF bottom = QPointF(56, 232) + (QPointF(171, 225) - QPointF(56, 232)) * t;
            p.drawLine(top, bottom);
        }
        p.restore();
        // A highlight across the glass.
        p.save();
        p.setPen(QPen(QColor(255, 255, 255, 150), 3));
        p.drawLine(QPointF(150, 157), QPointF(188, 154));
        p.restore();
        textCentred(p, 118, 257, "RULED GLASS");
    }
    return sheet;
}

QImage drawTwoBladeSlit() {
    QImage sheet = illustrationSheet(359, 309);
    QPainter p(&sheet);
    startIllustration(p, 11);

    // The plate, with four mounting screws and a hole behind the slit.
    const QRectF plate(36, 44, 270, 220);
    QPainterPath platePath;
    platePath.addRoundedRect(plate, 5, 5);
    softShadow(p, platePath, QPointF(4, 5));
    QLinearGradient brushed(plate.topLeft(), plate.bottomRight());
    brushed.setColorAt(0, QColor(212, 214, 216));
    brushed.setColorAt(0.5, QColor(186, 188, 192));
    brushed.setColorAt(1, QColor(160, 162, 166));
    fillOutlined(p, platePath, brushed, QColor(110, 112, 116));
    for (const QPointF c : {QPointF(50, 58), QPointF(292, 58), QPointF(50, 250), QPointF(292, 250)})
        screwHead(p, c, 5, 40);

    // The LED's light: the hole in the plate glows red behind the blades.
    const QPointF hole(172, 154);
    QRadialGradient glow(hole, 34);
    glow.setColorAt(0, QColor(255, 120, 90));
    glow.setColorAt(0.45, QColor(230, 40, 30));
    glow.setColorAt(1, QColor(90, 10, 10));
    p.save();
    p.setPen(QPen(QColor(80, 80, 84), 1));
    p.setBrush(glow);
    p.drawEllipse(hole, 32, 32);
    p.restore();

    // The fixed blade at the left, clamped by a bar and two screws.
    const double gap = 3;
    razorBlade(p, hole.x() - gap / 2, 70, 82, 226);
    fillOutlined(p, QRectF(82, 96, 34, 116), metalAcross(QPointF(82, 0), QPointF(116, 0), QColor(150, 152, 156)),
                 QColor(80, 80, 84));
    screwHead(p, QPointF(99, 120), 6, 20);
    screwHead(p, QPointF(99, 188), 6, 75);

    // The moving blade at the right, on a carriage that slides in a guide.
    fillOutlined(p, QRectF(176, 70, 120, 10), QColor(140, 142, 146), QColor(80, 80, 84));
    fillOutlined(p, QRectF(176, 228, 120, 10), QColor(140, 142, 146), QColor(80, 80, 84));
    razorBlade(p, hole.x() + gap / 2, 268, 82, 226);
    fillOutlined(p, QRectF(222, 96, 46, 116), metalAcross(QPointF(222, 0), QPointF(268, 0), QColor(160, 150, 132)),
                 QColor(90, 84, 70));
    screwHead(p, QPointF(245, 120), 6, 60);
    screwHead(p, QPointF(245, 188), 6, 10);

    // The fine screw pushes the carriage from the right, closing the slit;
    // a spring from the carriage to a pin on the plate pulls it back
    // against the screw.
    const double screwY = 154;
    fillOutlined(p, QRectF(296, 136, 22, 36), metalAcross(QPointF(296, 0), QPointF(318, 0), QColor(150, 152, 156)),
                 QColor(80, 80, 84));
    fillOutlined(p, QRectF(268, screwY - 3, 50, 6), metalAcross(QPointF(0, screwY - 3), QPointF(0, screwY + 3),
                                                               QColor(170, 170, 170)),
                 QColor(90, 90, 90));
    knurledKnob(p, QRectF(318, screwY - 15, 18, 30), false);
    fillOutlined(p, QRectF(238, 212, 8, 34), QColor(160, 150, 132), QColor(90, 84, 70));
    coilSpring(p, QPointF(246, 244), QPointF(277, 244), 5, 5, QColor(120, 120, 126));
    screwHead(p, QPointF(242, 244), 3.5);
    screwHead(p, QPointF(280, 244), 3.5);

    // The slit itself, lit from behind.
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 70, 50));
    p.drawRect(QRectF(hole.x() - gap / 2, hole.y() - 30, gap, 60));
    p.restore();

    // The LED and the hole in the plate, hidden behind the blades.
    p.save();
    QPen hidden(QColor(150, 30, 20), 1.2);
    hidden.setDashPattern({4, 3});
    p.setPen(hidden);
    p.drawEllipse(hole, 32, 32);
    p.restore();

    callout(p, 32, 12, "FIXED BLADE", QPointF(130, 90));
    callout(p, 214, 12, "MOVING BLADE", QPointF(200, 90));
    callout(p, 140, 26, "SLIT", QPointF(172, 124));
    callout(p, 262, 280, "FINE SCREW", QPointF(327, 170));
    callout(p, 176, 280, "SPRING", QPointF(268, 248));
    callout(p, 8, 280, "LED BEHIND", QPointF(150, 178));
    return sheet;
}

QImage drawScribedSlit() {
    QImage sheet = illustrationSheet(182, 174);
    QPainter p(&sheet);
    startIllustration(p, 10);
    p.translate(0, 6);

    // A small square of exposed film (or painted glass) in a card mount,
    // with a fine line scratched through its black coating.
    const QRectF mount(8, 22, 96, 96);
    QPainterPath mountPath;
    mountPath.addRoundedRect(mount, 4, 4);
    softShadow(p, mountPath);
    fillOutlined(p, mountPath, QColor(232, 228, 218), QColor(150, 146, 136));
    const QRectF coat(22, 36, 68, 68);
    QLinearGradient black(coat.topLeft(), coat.bottomRight());
    black.setColorAt(0, QColor(46, 46, 50));
    black.setColorAt(0.5, QColor(16, 16, 18));
    black.setColorAt(1, QColor(30, 30, 34));
    p.fillRect(coat, black);
    p.save();
    p.setPen(QPen(QColor(255, 250, 232), 1.2));
    p.drawLine(QPointF(56, 40), QPointF(56, 100));
    p.restore();
    const QPointF spot(56, 70);
    p.save();
    p.setPen(QPen(QColor(230, 230, 230), 1));
    p.drawEllipse(spot, 6, 6);
    p.restore();

    // The magnified inset: the scratch is a narrow clear line with ragged
    // edges where the coating flaked.
    const QPointF c(132, 96);
    const double r = 40;
    p.save();
    p.setPen(QPen(QColor(80, 80, 80, 160), 0.8));
    p.drawLine(spot + QPointF(4, -4.5), c + QPointF(-r * 0.55, -r * 0.83));
    p.drawLine(spot + QPointF(4, 4.5), c + QPointF(-r * 0.75, r * 0.66));
    p.restore();
    QPainterPath lens;
    lens.addEllipse(c, r, r);
    softShadow(p, lens);
    p.save();
    p.setClipPath(lens);
    p.fillRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), QColor(22, 22, 25));
    QPainterPath scratch;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const double y = c.y() - r + 2 * r * i / steps;
        const double wobble = 1.3 * std::sin(i * 2.1) + 0.8 * std::sin(i * 5.3);
        const QPointF pt(c.x() - 3 + wobble, y);
        if (i == 0)
            scratch.moveTo(pt);
        else
            scratch.lineTo(pt);
    }
    for (int i = steps; i >= 0; --i) {
        const double y = c.y() - r + 2 * r * i / steps;
        const double wobble = 1.2 * std::sin(i * 1.7 + 1) + 0.9 * std::sin(i * 4.1);
        scratch.lineTo(QPointF(c.x() + 3 + wobble, y));
    }
    scratch.closeSubpath();
    QLinearGradient light(QPointF(c.x() - 4, 0), QPointF(c.x() + 4, 0));
    light.setColorAt(0, QColor(255, 236, 190));
    light.setColorAt(0.5, QColor(255, 252, 240));
    light.setColorAt(1, QColor(255, 236, 190));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawPath(scratch);
    p.restore();
    p.save();
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.drawEllipse(c, r, r);
    p.restore();

    textAt(p, 8, 4, "SCRIBED LINE");
    textCentred(p, c.x(), 140, "MAGNIFIED");
    callout(p, 8, 126, "COATING", QPointF(34, 96));
    return sheet;
}

QImage drawDiffuser() {
    QImage sheet = illustrationSheet(79, 87);
    QPainter p(&sheet);
    startIllustration(p, 9);

    // A red LED at the left shining into an opal diffuser, which glows
    // evenly over its whole face.
    const double cy = 36;
    p.save();
    p.setPen(QPen(QColor(140, 140, 140), 1));
    p.drawLine(QPointF(4, cy - 2), QPointF(12, cy - 2));
    p.drawLine(QPointF(4, cy + 2), QPointF(12, cy + 2));
    p.restore();
    QPainterPath led;
    led.addRect(QRectF(12, cy - 6, 3, 12));
    led.addRect(QRectF(15, cy - 5, 8, 10));
    led.addEllipse(QRectF(18, cy - 5, 10, 10));
    led.setFillRule(Qt::WindingFill);
    QLinearGradient red(QPointF(0, cy - 6), QPointF(0, cy + 6));
    red.setColorAt(0, QColor(255, 120, 110));
    red.setColorAt(0.4, QColor(220, 20, 20));
    red.setColorAt(1, QColor(120, 0, 0));
    fillOutlined(p, led.simplified(), red, QColor(110, 0, 0), 0.6);

    // The light cone from the LED to the diffuser.
    QPainterPath cone;
    cone.moveTo(28, cy);
    cone.lineTo(48, cy - 20);
    cone.lineTo(48, cy + 20);
    cone.closeSubpath();
    QLinearGradient beam(QPointF(28, 0), QPointF(48, 0));
    beam.setColorAt(0, QColor(255, 60, 40, 150));
    beam.setColorAt(1, QColor(255, 60, 40, 40));
    p.fillPath(cone, beam);

    // The diffuser: a milky plate, glowing red on its far side.
    const QRectF plate(48, cy - 24, 7, 48);
    QLinearGradient opal(plate.topLeft(), plate.topRight());
    opal.setColorAt(0, QColor(250, 210, 205));
    opal.setColorAt(1, QColor(255, 120, 100));
    fillOutlined(p, plate, opal, QColor(150, 120, 118), 0.8);
    QRadialGradient glow(QPointF(56, cy), 22);
    glow.setColorAt(0, QColor(255, 70, 50, 150));
    glow.setColorAt(1, QColor(255, 70, 50, 0));
    p.fillRect(QRectF(55, cy - 24, 24, 48), glow);

    textCentred(p, 19, 64, "LED");
    textCentred(p, 52, 64, "OPAL");
    textCentred(p, 52, 74, "DIFFUSER");
    return sheet;
}

}  // namespace hp
