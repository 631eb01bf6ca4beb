// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/photo_views.h"

#include "photo/disk_detection.h"
#include "photo/picture_frame.h"
#include "simulator/ray_pass.h"
#include "widgets/window_style.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sg {

namespace {

constexpr int kW = kPictureWidth, kH = kPictureHeight;

std::size_t index(int x, int y) { return std::size_t(y) * std::size_t(kW) + std::size_t(x); }

double distanceFromCentre(int x, int y) {
    return std::hypot(x + 0.5 - kDiskCentreX, y + 0.5 - kDiskCentreY);
}

}  // namespace

FrameMask simulationLitMap(const Scene& scene) {
    FrameMask lit(std::size_t(kW) * kH, kOutsideMirror);
    const double diameter = scene.mirror.mirrorDiameter;
    if (!(diameter > 0) || !std::isfinite(diameter)) return lit;
    const double mmPerPixel = diameter / (2 * kDiskRadius), aperture = diameter / 2;
    try {
        const RaySetup setup = makeRaySetup(scene, 1);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                // The mirror point whose ray the pass paints into this pixel.
                const double u = (x + 0.5 - kDiskCentreX) * mmPerPixel;
                const double v = (y + 0.5 - kDiskCentreY) * mmPerPixel;
                if (std::sqrt(u * u + v * v) > aperture) continue;
                const bool on = setup.exact ? exactRayLit(setup, u, v) : normalRayLit(setup, u, v);
                lit[index(x, y)] = on ? 1 : 0;
            }
    } catch (const std::exception&) {
        for (std::uint8_t& v : lit)
            if (v != kOutsideMirror) v = 0;
    }
    return lit;
}

FrameMask waveLitMap(const WaveFrame& frame) {
    FrameMask lit(std::size_t(kW) * kH, kOutsideMirror);
    for (int y = 0; y < kH && y < WaveFrame::kHeight; ++y)
        for (int x = 0; x < kW && x < WaveFrame::kWidth; ++x) {
            const float i = frame.at(x, y);
            if (!std::isnan(i)) lit[index(x, y)] = i > 0.5f ? 1 : 0;
        }
    return lit;
}

FrameMask photoBrightMap(const GreyImage& frame) {
    FrameMask bright(std::size_t(kW) * kH, kOutsideMirror);
    if (frame.width != kW || frame.height != kH) return bright;
    const double inner = kDiskRadius - 5;
    std::vector<float> values;
    values.reserve(std::size_t(3.2 * inner * inner));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (distanceFromCentre(x, y) <= inner && std::isfinite(frame.at(x, y))) values.push_back(frame.at(x, y));
    const double threshold = otsuThreshold(values);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (distanceFromCentre(x, y) <= inner && std::isfinite(frame.at(x, y)))
                bright[index(x, y)] = frame.at(x, y) > threshold ? 1 : 0;
    return bright;
}

FrameMask bandEdgeMask(const FrameMask& lit) {
    FrameMask edges(lit.size(), 0);
    if (lit.size() != std::size_t(kW) * kH) return edges;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const std::uint8_t here = lit[index(x, y)];
            if (here == kOutsideMirror) continue;
            const bool right = x + 1 < kW && lit[index(x + 1, y)] != kOutsideMirror && lit[index(x + 1, y)] != here;
            const bool below = y + 1 < kH && lit[index(x, y + 1)] != kOutsideMirror && lit[index(x, y + 1)] != here;
            if (right || below) edges[index(x, y)] = 1;
        }
    return edges;
}

QImage frameImage(const RgbImage& frame) {
    QImage image(frame.width, frame.height, QImage::Format_RGB32);
    for (int y = 0; y < frame.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint8_t* in = frame.rgb.data() + std::size_t(y) * std::size_t(frame.width) * 3;
        for (int x = 0; x < frame.width; ++x) row[x] = qRgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
    }
    return image;
}

QImage differenceImage(const FrameMask& photoBright, const FrameMask& simulationLit) {
    QImage image(kW, kH, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (photoBright.size() != std::size_t(kW) * kH || simulationLit.size() != photoBright.size()) return image;
    for (int y = 0; y < kH; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kW; ++x) {
            const std::uint8_t photo = photoBright[index(x, y)], sim = simulationLit[index(x, y)];
            if (photo == kOutsideMirror || sim == kOutsideMirror) continue;
            row[x] = photo ? (sim ? kBothBrightColour : kPhotoOnlyColour) : (sim ? kSimulationOnlyColour : kBothDarkColour);
        }
    }
    return image;
}

QImage edgesImage(const GreyImage& frame, const FrameMask& modelEdges, const std::vector<BandEdge>& photoEdges) {
    QImage image(kW, kH, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const bool haveFrame = frame.width == kW && frame.height == kH;
    for (int y = 0; y < kH; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kW; ++x) {
            if (distanceFromCentre(x, y) > kDiskRadius) continue;
            const float v = haveFrame ? frame.at(x, y) : 0.0f;
            const int grey = std::isfinite(v) ? int(std::lround(std::clamp(v, 0.0f, 1.0f) * 127)) : 0;
            row[x] = qRgb(grey, grey, grey);
        }
    }
    if (modelEdges.size() == std::size_t(kW) * kH)
        for (int y = 0; y < kH; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < kW; ++x)
                if (modelEdges[index(x, y)] == 1) row[x] = kModelEdgeColour;
        }
    for (const BandEdge& e : photoEdges) {
        if (!std::isfinite(e.x) || !std::isfinite(e.y)) continue;
        // The 2 x 2 pixels whose common corner lies nearest the edge point.
        const long cx = std::lround(e.x), cy = std::lround(e.y);
        for (long y = cy - 1; y <= cy; ++y)
            for (long x = cx - 1; x <= cx; ++x)
                if (x >= 0 && y >= 0 && x < kW && y < kH)
                    reinterpret_cast<QRgb*>(image.scanLine(int(y)))[x] = kPhotoEdgeColour;
    }
    return image;
}

void paintSideBySide(QPainter& p, const QImage& canvas, const QImage& photo) {
    p.fillRect(kSideBySideArea, kWindowColour);
    const auto half = [](const QImage& image) {
        return image.copy(kSideBySideSource)
            .scaled(kSideBySideSimulation.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    p.drawImage(kSideBySideSimulation.topLeft(), half(canvas));
    p.drawImage(kSideBySidePhoto.topLeft(), half(photo));
    p.setPen(Qt::black);
    p.setFont(withPixelSize(p.font(), 12, true));
    p.drawText(kSideBySideSimulation.left(), kSideBySideSimulation.top() - 6, "Simulation");
    p.drawText(kSideBySidePhoto.left(), kSideBySidePhoto.top() - 6, "Photo");
}

void clipToOverlay(QPainter& p) {
    QPainterPath circle;
    circle.addEllipse(QPointF(kDiskCentreX, kDiskCentreY), kOverlayRadius, kOverlayRadius);
    p.setClipPath(circle);
}

void paintRim(QPainter& p, const RimOnFrame& rim) {
    if (!(rim.radius > 0) || !std::isfinite(rim.cx) || !std::isfinite(rim.cy)) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen{QColor::fromRgb(kRimColour)};
    pen.setWidthF(1.5);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF c(rim.cx, rim.cy);
    p.drawEllipse(c, rim.radius, rim.radius);
    p.drawLine(c - QPointF(6, 0), c + QPointF(6, 0));
    p.drawLine(c - QPointF(0, 6), c + QPointF(0, 6));
    const double a = rim.normalDeg * std::numbers::pi / 180;
    const QPointF along(std::cos(a) * rim.radius, std::sin(a) * rim.radius);
    pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.drawLine(c - along, c + along);
    p.restore();
}

}  // namespace sg
