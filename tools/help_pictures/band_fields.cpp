// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/help_pictures/band_fields.h"

#include <QPainter>

#include <cmath>
#include <cstdint>

namespace hp {

double BandField::operator()(double x, double y) const {
    const double r = std::sqrt(x * x + y * y);
    return (offset_ - crossing_(r)) * x;
}

BandField sphereField(double offset) {
    return BandField(offset, [](double) { return 0.0; });
}

BandField paraboloidField(double offset, double k) {
    return BandField(offset, [k](double r) { return k * r * r; });
}

bool darkAt(double n, bool darkCentre) {
    const auto band = static_cast<std::int64_t>(std::fabs(n) + 0.5);
    return (band % 2 != 0) != darkCentre;
}

void paintDisk(QImage& sheet, double cx, double cy, double radius, const std::function<bool(double x, double y)>& dark) {
    const int x0 = int(std::floor(cx - radius)), x1 = int(std::ceil(cx + radius));
    const int y0 = int(std::floor(cy - radius)), y1 = int(std::ceil(cy + radius));
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) {
            const double x = (px + 0.5 - cx) / radius, y = (py + 0.5 - cy) / radius;
            if (x * x + y * y > 1) continue;
            sheet.setPixel(px, py, dark(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(cx, cy), radius, radius);
}

}  // namespace hp

namespace hp {

void paintHatchedBandDisk(QImage& sheet, double cx, double cy, double radius, const BandField& field, bool darkCentre) {
    auto darkPixel = [&](int px, int py) {
        return darkAt(field((px + 0.5 - cx) / radius, (py + 0.5 - cy) / radius), darkCentre);
    };
    const int x0 = int(std::floor(cx - radius)), x1 = int(std::ceil(cx + radius));
    const int y0 = int(std::floor(cy - radius)), y1 = int(std::ceil(cy + radius));
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) {
            const double x = (px + 0.5 - cx) / radius, y = (py + 0.5 - cy) / radius;
            if (x * x + y * y > 1) continue;
            bool black = false;
            if (darkPixel(px, py)) {
                const bool edge = !darkPixel(px - 1, py) || !darkPixel(px + 1, py) || !darkPixel(px, py - 1) ||
                                  !darkPixel(px, py + 1);
                black = edge || (px - py) % 4 == 0;
            }
            sheet.setPixel(px, py, black ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(QPointF(cx, cy), radius, radius);
}

void paintBandDisk(QImage& sheet, double cx, double cy, double radius, const BandField& field, bool darkCentre) {
    paintDisk(sheet, cx, cy, radius, [&](double x, double y) { return darkAt(field(x, y), darkCentre); });
}

}  // namespace hp
