// SPDX-License-Identifier: GPL-3.0-or-later
// Mechanical drawings of test equipment: a simple test rig, a red LED
// source with fine tilt adjustment, and a mirror stand. Side views in plain
// outline, sections hatched.

#include "tools/help_pictures/picture_kit.h"
#include "tools/help_pictures/pictures.h"

#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace hp {

namespace {

// A board seen from the side, with a few lines of grain.
void drawBoard(QPainter& p, const QRectF& r) {
    p.drawRect(r);
    p.save();
    QPen grain(Qt::black, 1);
    grain.setDashPattern({14, 4});
    p.setPen(grain);
    for (int i = 1; i <= 2; ++i) {
        const double y = r.top() + r.height() * i / 3.0;
        QPainterPath line;
        line.moveTo(r.left() + 6, y);
        for (double x = r.left() + 6; x <= r.right() - 6; x += 4)
            line.lineTo(x, y + 1.5 * std::sin((x - r.left()) / 23.0 + i));
        p.drawPath(line);
    }
    p.restore();
}

// A threaded rod along a line: outline and the slanted crests.
void drawThread(QPainter& p, QPointF a, QPointF b, double halfWidth, double pitch = 4) {
    const QPointF d = b - a;
    const double n = std::hypot(d.x(), d.y());
    const QPointF u = d / n, v(-u.y(), u.x());
    p.drawLine(a + v * halfWidth, b + v * halfWidth);
    p.drawLine(a - v * halfWidth, b - v * halfWidth);
    for (double t = pitch / 2; t < n; t += pitch)
        p.drawLine(a + u * t - v * halfWidth, a + u * (t + pitch * 0.6) + v * halfWidth);
}

// A coil spring along a line, as a zigzag.
void drawSpring(QPainter& p, QPointF a, QPointF b, double halfWidth, int turns) {
    const QPointF d = b - a;
    const double n = std::hypot(d.x(), d.y());
    const QPointF u = d / n, v(-u.y(), u.x());
    QPolygonF zig;
    zig << a;
    for (int i = 0; i < 2 * turns; ++i) {
        const double t = (i + 0.5) / (2.0 * turns);
        zig << a + d * t + v * (i % 2 == 0 ? halfWidth : -halfWidth);
    }
    zig << b;
    p.drawPolyline(zig);
}

// A knurled knob seen from the side.
void drawKnob(QPainter& p, const QRectF& r) {
    p.drawRect(r);
    for (double x = r.left() + 3; x < r.right() - 1; x += 3) p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
}


}  // namespace

QImage drawSimpleRig() {
    QImage sheet = blankSheet(429, 279);
    QPainter p(&sheet);
    startInk(p);

    // Base board, the guide strip the slide runs on, the stop at the left
    // and the block that carries the screw at the right.
    drawBoard(p, QRectF(20, 228, 388, 22));
    p.drawRect(QRectF(96, 220, 292, 8));
    p.drawRect(QRectF(96, 186, 12, 34));
    p.drawRect(QRectF(372, 184, 16, 36));

    // The slide with the upright that carries the grating holder.
    const QRectF slide(160, 198, 112, 22);
    p.drawRect(slide);
    p.drawRect(QRectF(206, 112, 14, 86));
    p.drawRect(QRectF(168, 104, 52, 8));

    // The grating holder: a frame with the grating seen edge-on; the eye
    // looks through its upper half, the LED shines through the lower half.
    p.drawRect(QRectF(160, 40, 8, 120));
    p.save();
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(QPointF(163.5, 46), QPointF(163.5, 154));
    p.drawLine(QPointF(164.5, 46), QPointF(164.5, 154));
    p.restore();
    drawGratingEdgeOn(p, 164, 46, 154);
    // The LED in a small block on the upright, its dome out towards the
    // grating.
    p.save();
    p.setBrush(Qt::white);
    p.drawChord(QRectF(173, 127, 10, 10), 90 * 16, 180 * 16);
    p.drawRect(QRectF(178, 127, 8, 10));
    p.restore();
    p.drawRect(QRectF(186, 122, 20, 20));
    drawEye(p, 176, 74);

    // Light from the LED to the mirror and back to the eye.
    setDashedInk(p, 5, 3);
    p.drawLine(QPointF(156, 132), QPointF(60, 132));
    p.drawLine(QPointF(60, 74), QPointF(156, 74));
    setInk(p);
    arrowHead(p, QPointF(40, 132), QPointF(60, 132));
    arrowHead(p, QPointF(140, 74), QPointF(100, 74));
    textAt(p, 26, 96, "TO AND FROM");
    textAt(p, 26, 109, "THE MIRROR");

    // The fine screw through the right-hand block, its tip against the
    // slide; a spring at the left keeps the slide against it.
    drawThread(p, QPointF(272, 209), QPointF(372, 209), 3);
    p.drawLine(QPointF(388, 209), QPointF(394, 209));
    drawKnob(p, QRectF(394, 194, 14, 30));
    drawSpring(p, QPointF(108, 209), QPointF(160, 209), 6, 6);

    p.setFont(drawingFont(11));
    label(p, 196, 6, "GRATING", QPointF(166, 40), false);
    label(p, 238, 40, "EYE", QPointF(212, 64), false);
    label(p, 178, 160, "LED", QPointF(181, 138), false);
    label(p, 280, 160, "SLIDE", QPointF(250, 198), false);
    label(p, 300, 258, "FINE SCREW", QPointF(330, 212), false);
    label(p, 356, 160, "KNOB", QPointF(400, 194), false);
    label(p, 60, 160, "SPRING", QPointF(130, 203), false);
    label(p, 120, 258, "BASE BOARD", QPointF(110, 250), false);
    return sheet;
}

}  // namespace hp

namespace hp {

QImage drawLedSource() {
    QImage sheet = blankSheet(272, 357);
    QPainter p(&sheet);
    startInk(p);

    // Side view. The block that holds the LED is hinged to the base plate
    // under its front end; a spring pulls its back end down onto the tip of
    // a fine screw that comes up through the plate, so turning the screw
    // tilts the LED about the hinge, close under the pinhole.
    p.save();
    p.translate(0, -40);
    const QRectF plate(24, 196, 228, 12);
    const QRectF block(46, 116, 150, 46);
    QPainterPath plateSection;
    plateSection.addRect(plate);
    hatch(p, plateSection, 6);
    p.drawRect(plate);

    // The block in section, with its bore for the LED and the hole for the
    // leads.
    QPainterPath blockSection;
    blockSection.addRect(block);
    QPainterPath bore;
    bore.addRect(QRectF(46, 128, 70, 22));
    bore.addRect(QRectF(116, 134, 80, 10));
    blockSection = blockSection.subtracted(bore);
    hatch(p, blockSection, 6, false);
    p.drawPath(blockSection);

    // The LED in its bore: dome towards the cap, flange, leads to the back.
    p.save();
    p.setBrush(Qt::white);
    p.drawChord(QRectF(50, 131, 16, 16), 90 * 16, 180 * 16);
    p.drawRect(QRectF(58, 131, 40, 16));
    p.drawRect(QRectF(98, 129, 4, 20));
    p.restore();
    p.drawLine(QPointF(102, 136), QPointF(214, 136));
    p.drawLine(QPointF(102, 142), QPointF(208, 142));
    p.drawLine(QPointF(214, 136), QPointF(232, 120));
    p.drawLine(QPointF(208, 142), QPointF(228, 114));

    // The cap with its pinhole (a gap in the cap) on the block's front face.
    p.save();
    p.setBrush(Qt::black);
    p.drawRect(QRectF(38, 112, 8, 26));
    p.drawRect(QRectF(38, 140, 8, 26));
    p.restore();
    setDashedInk(p, 4, 3);
    p.drawLine(QPointF(36, 139), QPointF(8, 139));
    setInk(p);
    arrowHead(p, QPointF(4, 139), QPointF(20, 139), 6, 2.5);

    // The hinge under the front end: a leaf on the block, one on the plate,
    // and the pin.
    p.drawRect(QRectF(52, 162, 8, 18));
    p.drawRect(QRectF(52, 184, 8, 12));
    p.drawEllipse(QPointF(56, 182), 6, 6);
    dot(p, QPointF(56, 182), 2);

    // The tension spring between block and plate, and the fine screw with
    // its knurled head under the plate.
    drawSpring(p, QPointF(150, 162), QPointF(150, 196), 6, 5);
    drawThread(p, QPointF(182, 162), QPointF(182, 216), 4, 4);
    drawKnob(p, QRectF(170, 216, 24, 12));

    // A curved arrow: the tilt about the hinge.
    p.drawArc(QRectF(56 - 160, 182 - 160, 320, 320), 36 * 16, 14 * 16);
    arrowHead(p, QPointF(56 + 160 * std::cos(50 * M_PI / 180), 182 - 160 * std::sin(50 * M_PI / 180)),
              QPointF(56 + 160 * std::cos(44 * M_PI / 180), 182 - 160 * std::sin(44 * M_PI / 180)), 6, 2.5);
    arrowHead(p, QPointF(56 + 160 * std::cos(36 * M_PI / 180), 182 - 160 * std::sin(36 * M_PI / 180)),
              QPointF(56 + 160 * std::cos(42 * M_PI / 180), 182 - 160 * std::sin(42 * M_PI / 180)), 6, 2.5);

    label(p, 4, 90, "CAP", QPointF(42, 112), false);
    label(p, 70, 72, "LED", QPointF(80, 131), false);
    label(p, 120, 86, "BLOCK", QPointF(140, 116), false);
    textAt(p, 206, 72, "TILT");
    label(p, 228, 96, "LEADS", QPointF(228, 114), false);
    label(p, 4, 224, "HINGE", QPointF(50, 186), false);
    label(p, 84, 224, "SPRING", QPointF(146, 180), false);
    label(p, 206, 232, "FINE", QPointF(194, 222), false);
    textAt(p, 206, 244, "SCREW");
    label(p, 84, 244, "BASE PLATE", QPointF(120, 208), false);
    textAt(p, 2, 143, "LIGHT");
    p.restore();

    // The cap seen from the front: a pinhole, or a slit.
    p.setFont(drawingFont(11, true));
    textCentred(p, 136, 238, "THE CAP FROM THE FRONT");
    p.setFont(drawingFont(11));
    for (int i = 0; i < 2; ++i) {
        const QPointF c(76 + 120 * i, 296);
        p.save();
        p.setBrush(Qt::black);
        p.drawEllipse(c, 34, 34);
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        if (i == 0)
            p.drawEllipse(c, 2.5, 2.5);
        else
            p.drawRect(QRectF(c.x() - 1, c.y() - 18, 2, 36));
        p.restore();
    }
    textCentred(p, 76, 338, "PINHOLE");
    textCentred(p, 196, 338, "OR SLIT");
    return sheet;
}

}  // namespace hp

namespace hp {

namespace {

// A point along a line tilted back by `lean` (radians from the vertical),
// `up` pixels up from its foot.
QPointF alongLean(QPointF foot, double lean, double up) {
    return foot + QPointF(up * std::sin(lean), -up * std::cos(lean));
}

}  // namespace

QImage drawMirrorStand() {
    QImage sheet = blankSheet(324, 256);
    QPainter p(&sheet);
    startInk(p);

    // Side view at the right: the back board leans back a few degrees on a
    // hinge at its foot and rests against a tilt screw in a block behind it.
    // The mirror faces left, standing in a strap sling, its back against
    // felt pads on the board.
    const double lean = 7 * M_PI / 180;
    drawBoard(p, QRectF(128, 220, 188, 18));
    const QPointF foot(236, 220);
    const double boardThick = 12, boardHeight = 196;
    const QPolygonF board{foot, foot + QPointF(boardThick, 0), alongLean(foot + QPointF(boardThick, 0), lean, boardHeight),
                          alongLean(foot, lean, boardHeight)};
    p.drawPolygon(board);
    p.drawEllipse(foot + QPointF(boardThick / 2, -4), 4, 4);

    // The block and its screw, pushing on the back of the board.
    p.drawRect(QRectF(278, 168, 22, 52));
    const QPointF screwOnBoard = alongLean(foot + QPointF(boardThick, 0), lean, 36);
    drawThread(p, screwOnBoard, QPointF(300, screwOnBoard.y()), 3);
    drawKnob(p, QRectF(300, screwOnBoard.y() - 12, 12, 24));

    // The mirror: a disk seen edge-on, its face slightly hollow, standing
    // clear of the base in the sling.
    const double mirrorThick = 26, mirrorDiameter = 150, padThick = 4, liftOff = 24;
    auto onBoardFace = [&](double up, double out) {
        return alongLean(foot, lean, up) + QPointF(-out * std::cos(lean), -out * std::sin(lean));
    };
    const QPointF backBottom = onBoardFace(liftOff, padThick);
    const QPointF backTop = onBoardFace(liftOff + mirrorDiameter, padThick);
    const QPointF frontBottom = onBoardFace(liftOff, padThick + mirrorThick);
    const QPointF frontTop = onBoardFace(liftOff + mirrorDiameter, padThick + mirrorThick);
    QPainterPath mirror;
    mirror.moveTo(backBottom);
    mirror.lineTo(backTop);
    mirror.lineTo(frontTop);
    mirror.quadTo((frontTop + frontBottom) / 2 + QPointF(8 * std::cos(lean), 8 * std::sin(lean)), frontBottom);
    mirror.closeSubpath();
    hatch(p, mirror, 7);
    p.drawPath(mirror);

    // Two felt pads between mirror and board.
    for (double up : {liftOff + 40, liftOff + 110}) {
        const QPolygonF pad{onBoardFace(up, 0), onBoardFace(up + 14, 0), onBoardFace(up + 14, padThick),
                            onBoardFace(up, padThick)};
        p.save();
        p.setBrush(Qt::black);
        p.drawPolygon(pad);
        p.restore();
    }

    // The sling: a strap round the lower half of the mirror's rim, which
    // from the side covers the lower half of the edge, its ends hung from a
    // screw in the board at the mirror's mid-height.
    const double inset = 2;
    const QPointF strapBackTop = onBoardFace(liftOff + mirrorDiameter / 2, padThick + inset);
    const QPointF strapFrontTop = onBoardFace(liftOff + mirrorDiameter / 2, padThick + mirrorThick - inset - 3);
    const QPointF strapBackBottom = onBoardFace(liftOff - 3, padThick + inset);
    const QPointF strapFrontBottom = onBoardFace(liftOff - 3, padThick + mirrorThick - inset);
    const QPolygonF strap{strapBackBottom, strapBackTop, strapFrontTop, strapFrontBottom};
    p.save();
    p.setBrush(Qt::white);
    setInk(p, 2);
    p.drawPolygon(strap);
    p.restore();
    const QPointF hanger = onBoardFace(liftOff + mirrorDiameter / 2 + 14, 0);
    setInk(p, 2);
    p.drawLine((strapBackTop + strapFrontTop) / 2, hanger);
    setInk(p);
    dot(p, hanger, 3);

    label(p, 150, 4, "MIRROR", onBoardFace(liftOff + 135, padThick + 14), false);
    label(p, 250, 4, "BACK BOARD", QPointF(265, 34), false);
    label(p, 252, 118, "TILT SCREW", QPointF(290, screwOnBoard.y() - 4), false);
    label(p, 130, 180, "SLING", onBoardFace(liftOff + 30, padThick + 14), false);
    label(p, 270, 78, "PADS", onBoardFace(liftOff + 117, 2), false);
    label(p, 130, 242, "BASE", QPointF(150, 238), false);
    label(p, 252, 242, "HINGE", QPointF(242, 220), false);

    // Front views at the left: the mirror in the sling, or on two pads.
    p.setFont(drawingFont(11));
    const double r = 36;
    {
        const QPointF c(62, 58);
        p.drawEllipse(c, r, r);
        p.drawEllipse(c, r - 4, r - 4);
        setInk(p, 3);
        p.drawArc(QRectF(c.x() - r - 2, c.y() - r - 2, 2 * r + 4, 2 * r + 4), 180 * 16, 180 * 16);
        setInk(p);
        dot(p, c + QPointF(-r - 2, 0), 3);
        dot(p, c + QPointF(r + 2, 0), 3);
        textCentred(p, c.x(), c.y() + r + 6, "IN A SLING");
    }
    {
        const QPointF c(62, 170);
        p.drawEllipse(c, r, r);
        p.drawEllipse(c, r - 4, r - 4);
        // Two pads under the edge, 45 degrees either side of the bottom.
        for (double a : {-45.0, 45.0}) {
            const double t = a * M_PI / 180;
            const QPointF touch = c + QPointF(r * std::sin(t), r * std::cos(t));
            p.save();
            p.setBrush(Qt::black);
            p.translate(touch);
            p.rotate(-a);
            p.drawRect(QRectF(-7, 0, 14, 5));
            p.restore();
        }
        textCentred(p, c.x(), c.y() + r + 8, "ON TWO PADS");
    }
    return sheet;
}

}  // namespace hp
