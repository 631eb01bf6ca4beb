// SPDX-License-Identifier: GPL-3.0-or-later
// Line drawings of the test itself: the principle of the grating test, two
// null-test arrangements, and the wire, knife and grating side by side.

#include "tools/help_pictures/band_fields.h"
#include "tools/help_pictures/picture_kit.h"
#include "tools/help_pictures/pictures.h"

#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace hp {

namespace {

// A knife blade coming up from below with its edge at (x, edgeY).
void drawKnife(QPainter& p, double x, double edgeY, double bottom, double halfWidth = 3) {
    const QPolygonF blade{{x - halfWidth, bottom}, {x + halfWidth, bottom}, {x + halfWidth, edgeY + 4},
                          {x, edgeY},          {x - halfWidth, edgeY + 4}};
    p.save();
    p.setBrush(Qt::black);
    p.drawPolygon(blade);
    p.restore();
}

// A mirror blank in section: its figured face (x of the face at each
// height from the axis), a flat back at backX, hatched, the face drawn
// heavier.
template <class Face>
void drawMirrorBlank(QPainter& p, Face surfaceX, double axisY, double half, double backX, double hatchStep = 6) {
    QPainterPath blank, face;
    blank.moveTo(backX, axisY - half);
    face.moveTo(surfaceX(-half), axisY - half);
    for (double h = -half; h <= half + 1e-9; h += 2) {
        blank.lineTo(surfaceX(h), axisY + h);
        face.lineTo(surfaceX(h), axisY + h);
    }
    blank.lineTo(backX, axisY + half);
    blank.closeSubpath();
    hatch(p, blank, hatchStep);
    p.drawPath(blank);
    p.save();
    setInk(p, 2);
    p.drawPath(face);
    p.restore();
}


}  // namespace

QImage drawTestPrinciple() {
    QImage sheet = blankSheet(429, 407);
    {
        QPainter p(&sheet);
        startInk(p);

        // A spherical mirror of radius 300 pixels; its centre of curvature C
        // on the axis. The source stands just below the axis beside the
        // grating, so the rays converge on its image just above C.
        const double axisY = 110, cx = 340, radius = 300, half = 88;
        const double sourceY = axisY + 16, imageY = axisY - 16;
        auto surfaceX = [&](double y) { return cx - std::sqrt(radius * radius - (y - axisY) * (y - axisY)); };
        const double vertexX = cx - radius, backX = 24;

        drawMirrorBlank(p, [&](double h) { return surfaceX(axisY + h); }, axisY, half, backX, 7);
        drawAxis(p, 8, 425, axisY);

        // Light from the source to the mirror (dashed), reflected rays
        // (solid) through the image and on to the eye.
        const double zones[] = {-84, -45, 45, 84};
        const double gratingX = 318, eyeX = 352;
        for (double h : zones) {
            const QPointF onMirror(surfaceX(axisY + h), axisY + h);
            const QPointF image(cx, imageY);
            const QPointF d = image - onMirror;
            const double t = (eyeX - onMirror.x()) / d.x();
            p.drawLine(onMirror, onMirror + d * t);
            arrowHead(p, onMirror + d * 0.45, onMirror, 7, 2.5);
        }
        setDashedInk(p, 4, 3);
        for (double h : {-84.0, 84.0}) {
            const QPointF onMirror(surfaceX(axisY + h), axisY + h);
            p.drawLine(QPointF(cx - 6, sourceY), onMirror);
        }
        setInk(p);
        for (double h : {-84.0, 84.0}) {
            const QPointF onMirror(surfaceX(axisY + h), axisY + h);
            const QPointF from(cx - 6, sourceY);
            arrowHead(p, from + (onMirror - from) * 0.7, from, 7, 2.5);
        }

        // The source: a small LED facing the mirror.
        p.save();
        p.setBrush(Qt::white);
        p.drawChord(QRectF(cx - 6, sourceY - 5, 10, 10), 90 * 16, 180 * 16);
        p.drawRect(QRectF(cx - 1, sourceY - 5, 9, 10));
        p.drawLine(QPointF(cx + 8, sourceY - 2), QPointF(cx + 16, sourceY - 2));
        p.drawLine(QPointF(cx + 8, sourceY + 2), QPointF(cx + 16, sourceY + 2));
        p.restore();

        // The grating a little inside the centre of curvature, edge-on: its
        // lines are the dashes.
        drawGratingEdgeOn(p, gratingX, axisY - 36, axisY + 36);

        drawEye(p, eyeX + 2, imageY);

        // The centre of curvature: a small ring on the axis.
        p.drawEllipse(QPointF(cx, axisY), 2.5, 2.5);

        // Radius of curvature from the vertex to C.
        const double dimY = 226;
        setDashedInk(p, 2, 2);
        p.drawLine(QPointF(vertexX, axisY + half + 6), QPointF(vertexX, dimY + 5));
        p.drawLine(QPointF(cx, sourceY + 8), QPointF(cx, dimY + 5));
        setInk(p);
        dimension(p, QPointF(vertexX, dimY), QPointF(cx, dimY));
        p.setFont(drawingFont(12, true));
        textCentred(p, (vertexX + cx) / 2, dimY - 16, "R");

        p.setFont(drawingFont(11));
        textAt(p, 8, 3, "MIRROR");
        label(p, 262, 52, "GRATING", QPointF(gratingX, axisY - 37), false);
        label(p, 392, 62, "EYE", QPointF(eyeX + 26, imageY - 9), false);
        label(p, 268, 160, "SOURCE", QPointF(cx + 2, sourceY + 6), false);
        textAt(p, cx + 8, dimY - 6, "C of C");

        // Below: the grating from the front, and the mirror seen through it.
        const double frameTop = 262;
        p.drawRect(QRectF(62, frameTop, 110, 110));
        p.drawRect(QRectF(70, frameTop + 8, 94, 94));
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        for (int i = 0; i < 9; ++i) p.drawRect(QRectF(73 + 10.0 * i, frameTop + 8, 5, 94));
        p.restore();
        textCentred(p, 117, frameTop + 116, "THE GRATING");
        textCentred(p, 117, frameTop + 129, "FROM THE FRONT");
    }
    paintBandDisk(sheet, 310, 317, 55, sphereField(-3.0), false);
    {
        QPainter p(&sheet);
        startInk(p);
        textCentred(p, 310, 378, "A SPHERE SEEN");
        textCentred(p, 310, 391, "THROUGH THE GRATING");
    }
    return sheet;
}

}  // namespace hp

namespace hp {

QImage drawNullTests() {
    QImage sheet = blankSheet(367, 158);
    QPainter p(&sheet);
    startInk(p);

    // Left: a paraboloid at its centre of curvature. The rays of a zone of
    // radius r cross the axis r^2/R beyond the centre of curvature C, so the
    // edge rays cross furthest out; the knife stands where the rays of the
    // chosen zone cross.
    {
        const double axisY = 62, vertexX = 14, radius = 120, half = 52;
        const double cx = vertexX + radius;
        auto surfaceX = [&](double r) { return vertexX + r * r / (2 * radius); };
        auto crossing = [&](double r) { return cx + r * r / radius; };
        drawMirrorBlank(p, surfaceX, axisY, half, 3);
        drawAxis(p, 1, 180, axisY);

        // Rays of a zone near the centre, of the edge (solid) and of the
        // chosen zone (dashed), each carried a little past its crossing.
        auto rays = [&](double r, double beyond) {
            for (double sign : {-1.0, 1.0}) {
                const QPointF from(surfaceX(r), axisY + sign * r);
                const QPointF cross(crossing(r), axisY);
                p.drawLine(from, from + (cross - from) * beyond);
            }
        };
        rays(12, 1.15);
        rays(half, 1.12);
        setDashedInk(p, 4, 2);
        const double zone = 37;
        rays(zone, 1.0);
        setInk(p);
        drawKnife(p, crossing(zone), axisY + 1, 104);
        label(p, 150, 106, "KNIFE", QPointF(crossing(zone) + 3, 96), false);

        // The longitudinal spread between the centre and the edge crossings.
        const double dimY = 28;
        setDashedInk(p, 2, 2);
        p.drawLine(QPointF(cx, dimY - 3), QPointF(cx, axisY - 2));
        p.drawLine(QPointF(crossing(half), dimY - 3), QPointF(crossing(half), axisY - 2));
        setInk(p);
        dimension(p, QPointF(cx - 14, dimY), QPointF(cx, dimY), 5, 2);
        dimension(p, QPointF(crossing(half), dimY), QPointF(crossing(half) + 14, dimY), 5, 2);
        p.drawLine(QPointF(cx, dimY), QPointF(crossing(half), dimY));
        textCentred(p, (cx + crossing(half)) / 2, 8, QString::fromUtf8("r\u00b2/R"));
        textCentred(p, 92, 140, "AT C of C");
    }

    // Right: autocollimation. Source and knife at the paraboloid's focus;
    // the mirror sends a parallel beam to an optical flat, which returns it
    // to the mirror and so back to the focus.
    {
        const double axisY = 62, vertexX = 206, focal = 70, half = 44;
        const double fx = vertexX + focal, flatX = 346;
        auto surfaceX = [&](double r) { return vertexX + r * r / (4 * focal); };
        drawMirrorBlank(p, surfaceX, axisY, half, 194);
        drawAxis(p, 190, 364, axisY);

        // The flat, its back hatched.
        QPainterPath flat;
        flat.addRect(QRectF(flatX, axisY - 52, 8, 104));
        hatch(p, flat, 5);
        p.drawRect(QRectF(flatX, axisY - 52, 8, 104));

        const double zone = half - 5;
        const QPointF focus(fx, axisY);
        for (double sign : {-1.0, 1.0}) {
            const QPointF onMirror(surfaceX(zone), axisY + sign * zone);
            p.drawLine(focus, onMirror);
            p.drawLine(onMirror, QPointF(flatX, onMirror.y()));
        }
        // Out along the upper rays, back along the lower.
        const QPointF upper(surfaceX(zone), axisY - zone), lower(surfaceX(zone), axisY + zone);
        arrowHead(p, focus + (upper - focus) * 0.6, focus, 6, 2.5);
        arrowHead(p, QPointF(300, axisY - zone), QPointF(250, axisY - zone), 6, 2.5);
        arrowHead(p, QPointF(270, axisY + zone), QPointF(320, axisY + zone), 6, 2.5);
        arrowHead(p, lower + (focus - lower) * 0.6, lower, 6, 2.5);
        drawKnife(p, fx + 3, axisY + 1, 92, 2.5);
        dot(p, QPointF(fx - 1, axisY), 2);
        textCentred(p, fx, 106, "KNIFE AT FOCUS");
        textCentred(p, flatX + 4, 118, "FLAT");
        textCentred(p, 282, 140, "AUTOCOLLIMATION");
    }
    return sheet;
}

QImage drawHelpTests() {
    QImage sheet = blankSheet(449, 143);
    const double cell = 449.0 / 3;
    const double axisY = 34, focusDx = 110, elementDx = 74;
    const char* captions[] = {"WIRE", "KNIFE", "GRATING"};
    {
        QPainter p(&sheet);
        startInk(p);
        for (int i = 0; i < 3; ++i) {
            const double ox = cell * i;
            const double ex = ox + elementDx, fx = ox + focusDx;
            // Seven rays converging on the centre of curvature, seen from
            // above; each stops where the wire, knife or grating line stops it.
            for (int k = -3; k <= 3; ++k) {
                const double h = 10.0 * k;
                const QPointF start(ox + 8, axisY + h);
                const double atElement = h * (fx - ex) / (fx - start.x());
                bool stopped = false;
                if (i == 0) stopped = std::fabs(atElement) < 2.5;
                if (i == 1) stopped = atElement >= 0;
                if (i == 2) stopped = std::fmod(std::fabs(atElement) + 1.5, 6.0) < 3.0 && std::fabs(atElement) < 27;
                const double endX = stopped ? ex : ox + 142;
                const double endY = axisY + h * (fx - endX) / (fx - start.x());
                p.drawLine(start, QPointF(endX, endY));
            }
            if (i == 0) dot(p, QPointF(ex, axisY), 2.5);
            if (i == 1) drawKnife(p, ex, axisY, 68, 3);
            if (i == 2) {
                p.save();
                p.setPen(Qt::NoPen);
                p.setBrush(Qt::black);
                for (int k = -4; k <= 4; ++k) p.drawRect(QRectF(ex - 1.5, axisY + 6.0 * k - 1.5, 3, 3));
                p.restore();
            }
        }
    }
    // What a sphere looks like in each: a dark line down the middle, one
    // half dark, straight bands.
    for (int i = 0; i < 3; ++i) {
        const double cxDisk = cell * i + elementDx, cyDisk = 101, r = 25;
        if (i == 0) paintDisk(sheet, cxDisk, cyDisk, r, [](double x, double) { return std::fabs(x) < 0.12; });
        // The knife comes from the observer's left, the bottom of the
        // sketch: inside the centre of curvature that side goes dark first.
        if (i == 1) paintDisk(sheet, cxDisk, cyDisk, r, [](double x, double) { return x < 0; });
        if (i == 2) paintBandDisk(sheet, cxDisk, cyDisk, r, sphereField(-2.6), false);
    }
    QPainter p(&sheet);
    startInk(p);
    for (int i = 0; i < 3; ++i) textCentred(p, cell * i + elementDx, 129, QString::fromLatin1(captions[i]));
    return sheet;
}

}  // namespace hp
