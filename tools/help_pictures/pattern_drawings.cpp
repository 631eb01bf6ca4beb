// SPDX-License-Identifier: GPL-3.0-or-later
// The drawings made of band patterns: the five typical patterns of the
// "Analysis" page, reading slope from band spacing, and what " Centres"
// draws. The patterns come from band_fields, so a paraboloid's bands bow
// the way the shadowgram bows them.

#include "tools/help_pictures/band_fields.h"
#include "tools/help_pictures/picture_kit.h"
#include "tools/help_pictures/pictures.h"

#include <QPainter>

#include <cmath>

namespace hp {

namespace {

// Height and slope of a narrow raised ring of unit height at radius r0.
double ringSlope(double r, double r0, double width) {
    const double t = (r - r0) / width;
    return -2 * t / width * std::exp(-t * t);
}

// A zone whose surface slope departs by s(r) from the reference crosses the
// axis nearer the mirror by a length proportional to s(r) / r (the normal
// tips towards the mirror where the surface rises outward).
Crossing slopeCrossing(std::function<double(double)> slope, double scale) {
    return [slope = std::move(slope), scale](double r) { return r < 1e-6 ? 0.0 : -scale * slope(r) / r; };
}

}  // namespace

QImage drawAnalysisPatterns() {
    QImage sheet = blankSheet(482, 88);
    // All five with the grating a little inside the centre of curvature.
    const BandField patterns[] = {
        sphereField(-3.2),
        paraboloidField(-1.3, 1.9),
        // A sphere with a narrow raised ring at 70 % of the radius.
        BandField(-3.2, slopeCrossing([](double r) { return ringSlope(r, 0.7, 0.09); }, 0.025)),
        // An inner sphere and, beyond 60 % of the radius, a sphere of longer
        // radius whose zones cross further out.
        BandField(-3.2, [](double r) { return r < 0.6 ? 0.0 : 2.3; }),
        // A sphere whose outer edge rolls off: those zones cross further out.
        BandField(-2.8, [](double r) { return r < 0.87 ? 0.0 : 70 * std::pow(r - 0.87, 2); }),
    };
    const char* captions[] = {"SPHERE", "PARABOLA", "RAISED ZONE", "TWO SPHERES", "TURNED EDGE"};
    const double cell = 482.0 / 5;
    for (int i = 0; i < 5; ++i) paintBandDisk(sheet, cell * (i + 0.5), 37, 36, patterns[i], false);
    QPainter p(&sheet);
    startInk(p);
    for (int i = 0; i < 5; ++i) textCentred(p, cell * (i + 0.5), 75, QString::fromLatin1(captions[i]));
    return sheet;
}

}  // namespace hp

namespace hp {

namespace {

// Outlines of the dark bands of a pattern in the disk of `radius` pixels
// about (cx, cy), two pixels wide on the dark side of each boundary. With
// centreLines, the centre of every dark band (where the position is a whole
// number of bands) is drawn too, one pixel wide.
void paintBandOutlines(QImage& sheet, double cx, double cy, double radius, const BandField& field, bool darkCentre,
                       bool centreLines) {
    auto inside = [&](int px, int py) {
        const double x = (px + 0.5 - cx) / radius, y = (py + 0.5 - cy) / radius;
        return x * x + y * y <= 1;
    };
    auto at = [&](int px, int py) { return field((px + 0.5 - cx) / radius, (py + 0.5 - cy) / radius); };
    const int x0 = int(std::floor(cx - radius)), x1 = int(std::ceil(cx + radius));
    const int y0 = int(std::floor(cy - radius)), y1 = int(std::ceil(cy + radius));
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) {
            if (!inside(px, py)) continue;
            const double n = at(px, py);
            const bool dark = darkAt(n, darkCentre);
            bool black = false;
            for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1},
                                         std::pair{2, 0}, std::pair{-2, 0}, std::pair{0, 2}, std::pair{0, -2}}) {
                if (!dark || !inside(px + dx, py + dy)) continue;
                const double m = at(px + dx, py + dy);
                // The rim of the band, two pixels wide on its dark side.
                if (!darkAt(m, darkCentre)) black = true;
                if (std::abs(dx) + std::abs(dy) > 1) continue;
                // Its centre line: the position passes the band's whole
                // number between this pixel and the next (right or below).
                const double k = std::round(n);
                if (centreLines && dx + dy > 0 && std::round(m) == k && (n - k) * (m - k) <= 0 && m != k)
                    black = true;
            }
            sheet.setPixel(px, py, black ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
}

}  // namespace

QImage drawHelpCentres() {
    QImage sheet = blankSheet(170, 167);
    // A paraboloid a little inside its centre of curvature with "Odd"
    // checked: three dark bands, the middle one on the centre line.
    const BandField field = paraboloidField(-1.8, 1.1);
    paintBandOutlines(sheet, 85, 83, 80, field, true, true);
    QPainter p(&sheet);
    startInk(p);
    p.drawEllipse(QPointF(85, 83), 80, 80);
    return sheet;
}

}  // namespace hp

namespace hp {

namespace {

// Where the position along the row y (units of the radius) first reaches
// `n` bands going out from the centre to the right.
double rowCrossing(const BandField& field, double y, double n) {
    double lo = 0, hi = std::sqrt(1 - y * y);
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (std::fabs(field(mid, y)) < n ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

// A dimension between two x positions on row y, its heads inside when
// there is room and outside, pointing in, when there is not; white behind
// so that it reads over the hatching.
void bandDimension(QPainter& p, double left, double right, double y) {
    p.save();
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(left, y), QPointF(right, y));
    p.restore();
    if (right - left >= 20) {
        dimension(p, QPointF(left, y), QPointF(right, y), 5, 2.5);
        return;
    }
    p.drawLine(QPointF(left - 10, y), QPointF(right + 10, y));
    arrowHead(p, QPointF(left, y), QPointF(left - 10, y), 5, 2.5);
    arrowHead(p, QPointF(right, y), QPointF(right + 10, y), 5, 2.5);
}

}  // namespace

QImage drawSlopeReading() {
    QImage sheet = blankSheet(351, 419);
    const double half = 88, zoneA = 50, zoneB = 80;
    {
        QPainter p(&sheet);
        startInk(p);
        // A strongly aspheric mirror (conic -4) so that the zones' normals
        // meet the axis well apart: a conic's normal at sag z meets the axis
        // at R - K z from the vertex.
        const double axisY = 118, vertexX = 64, radius = 220, conic = -4;
        auto sag = [&](double r) {
            return r * r / (radius + std::sqrt(radius * radius - (1 + conic) * r * r));
        };
        auto surfaceX = [&](double h) { return vertexX + sag(h); };
        auto crossingX = [&](double r) { return vertexX + radius - conic * sag(r); };

        setInk(p, 2);
        QPainterPath face;
        face.moveTo(surfaceX(-half), axisY - half);
        for (double h = -half; h <= half + 1e-9; h += 2) face.lineTo(surfaceX(h), axisY + h);
        p.drawPath(face);
        setInk(p);
        drawAxis(p, 50, 350, axisY);

        const double gratingX = 288;
        for (double r : {zoneA, zoneB}) {
            const QPointF cross(crossingX(r), axisY);
            for (double sign : {-1.0, 1.0}) {
                const QPointF from(surfaceX(r), axisY - sign * r);
                p.drawLine(from, from + (cross - from) * 1.08);
                dot(p, from, 2);
            }
            p.drawLine(cross + QPointF(0, 3), cross + QPointF(0, 7));
        }
        textCentred(p, crossingX(zoneA), axisY + 8, "A");
        textCentred(p, crossingX(zoneB), axisY + 8, "B");
        arrow(p, QPointF(46, axisY - zoneA), QPointF(surfaceX(zoneA) - 4, axisY - zoneA), 6, 2.5);
        arrow(p, QPointF(46, axisY - zoneB), QPointF(surfaceX(zoneB) - 4, axisY - zoneB), 6, 2.5);
        textAt(p, 2, axisY - zoneA - 16, "ZONE A");
        textAt(p, 2, axisY - zoneB - 16, "ZONE B");

        // The grating inside both crossings: the two zones' rays reach it
        // at different distances from the axis.
        drawGratingEdgeOn(p, gratingX, axisY - 30, axisY + 30);
        textCentred(p, gratingX, axisY + 34, "GRATING");
    }

    // Below: the pattern of such a mirror, grating inside its centre of
    // curvature, with the width of the band at each zone: narrow bands where
    // the slope departs fast from that of the reference sphere.
    const BandField field = paraboloidField(-1.6, 1.9);
    const double cx = 120, cy = 318, radius = 94;
    paintHatchedBandDisk(sheet, cx, cy, radius, field, false);
    QPainter p(&sheet);
    startInk(p);
    const double zones[] = {zoneA / half, zoneB / half};
    const char* letters[] = {"A", "B"};
    QPointF ends[2];
    for (int i = 0; i < 2; ++i) {
        const double row = (i == 0 ? -12.0 : 12.0) / radius;
        const double band = std::round(std::fabs(field(zones[i], row)));
        const double left = cx + radius * rowCrossing(field, row, band - 0.5);
        const double right = cx + radius * rowCrossing(field, row, band + 0.5);
        const double y = cy + radius * row;
        bandDimension(p, left, right, y);
        ends[i] = QPointF(right + (right - left < 20 ? 10 : 0), y);
        // The zone's letter just above its dimension, on a white patch.
        const double lx = (left + right) / 2 - 3, ly = y - 15;
        p.fillRect(QRectF(lx - 1, ly, 9, 13), Qt::white);
        textAt(p, lx, ly, letters[i]);
    }
    textAt(p, 252, 300, "SPACING");
    p.drawLine(QPointF(249, 306.5), ends[0] + QPointF(1, 0));
    p.drawLine(QPointF(249, 306.5), ends[1] + QPointF(1, 0));
    return sheet;
}

}  // namespace hp
