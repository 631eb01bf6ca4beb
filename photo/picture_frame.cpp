// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/picture_frame.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sg {

namespace {

// The mapping's affine form: photo = origin + x-step * (i + 0.5) + y-step * (j + 0.5).
struct Affine {
    double ox, oy, xx, xy, yx, yy;
    explicit Affine(const FrameMapping& m) {
        const double a = m.rotationDeg * std::numbers::pi / 180;
        const double c = std::cos(a) * m.scale, s = std::sin(a) * m.scale;
        xx = c, xy = s;    // one frame pixel along X
        yx = -s, yy = c;   // one frame pixel along Y
        ox = m.cx - kDiskCentreX * xx - kDiskCentreY * yx;
        oy = m.cy - kDiskCentreX * xy - kDiskCentreY * yy;
    }
    FramePoint at(double x, double y) const { return {ox + x * xx + y * yx, oy + x * xy + y * yy}; }
};

}  // namespace

FramePoint FrameMapping::toPhoto(FramePoint f) const {
    const double a = rotationDeg * std::numbers::pi / 180;
    const double dx = (f.x - kDiskCentreX) * scale, dy = (f.y - kDiskCentreY) * scale;
    return {cx + dx * std::cos(a) - dy * std::sin(a), cy + dx * std::sin(a) + dy * std::cos(a)};
}

FramePoint FrameMapping::toFrame(FramePoint p) const {
    const double a = rotationDeg * std::numbers::pi / 180;
    const double dx = p.x - cx, dy = p.y - cy;
    return {kDiskCentreX + (dx * std::cos(a) + dy * std::sin(a)) / scale,
            kDiskCentreY + (-dx * std::sin(a) + dy * std::cos(a)) / scale};
}

FrameMapping frameMapping(const DiskFit& disk, const BandDirection& direction) {
    FrameMapping m;
    m.cx = disk.cx;
    m.cy = disk.cy;
    m.scale = disk.radius / kDiskRadius;
    // The normal's angle is in (-90, 90]; the pattern is the same turned by
    // half a turn, so either axis may take it.
    const double theta = direction.normalDeg;
    if (std::fabs(theta) <= 45) {
        m.bands = BandAxis::Vertical;
        m.rotationDeg = theta;
    } else {
        m.bands = BandAxis::Horizontal;
        m.rotationDeg = theta > 0 ? theta - 90 : theta + 90;
    }
    return m;
}

GreyImage resampleToFrame(const GreyPyramid& photo, const FrameMapping& mapping) {
    // The photo halved while it is much finer than the frame.
    int halvings = 0;
    FrameMapping m = mapping;
    while (m.scale > 1.5 && photo.levelWidth(halvings) >= 4 && photo.levelHeight(halvings) >= 4) {
        ++halvings;
        m.cx /= 2, m.cy /= 2, m.scale /= 2;
    }
    const GreyImage& source = photo.level(halvings);
    GreyImage frame(kPictureWidth, kPictureHeight);
    const double w = source.width, h = source.height;
    const Affine affine(m);
    for (int j = 0; j < frame.height; ++j)
        for (int i = 0; i < frame.width; ++i) {
            const FramePoint p = affine.at(i + 0.5, j + 0.5);
            frame.at(i, j) = p.x >= 0 && p.y >= 0 && p.x <= w && p.y <= h ? sampleBilinear(source, p.x, p.y) : NAN;
        }
    return frame;
}

namespace {

RgbImage rgbOf(const PhotoView& photo) {
    RgbImage out{photo.width, photo.height, std::vector<std::uint8_t>(std::size_t(photo.width) * std::size_t(photo.height) * 3)};
    const int channels = photo.format == PixelFormat::Rgb8 ? 3 : 1;
    for (int y = 0; y < photo.height; ++y) {
        const std::uint8_t* row = photo.pixels + std::ptrdiff_t(y) * photo.stride;
        for (int x = 0; x < photo.width; ++x)
            for (int c = 0; c < 3; ++c)
                out.rgb[(std::size_t(y) * std::size_t(photo.width) + std::size_t(x)) * 3 + std::size_t(c)] =
                    row[x * channels + (channels == 3 ? c : 0)];
    }
    return out;
}

// Halved in both directions by averaging 2 x 2 blocks, rounded.
RgbImage halveRgb(const RgbImage& image) {
    RgbImage out{image.width / 2, image.height / 2, {}};
    out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
    auto at = [&](int x, int y, int c) {
        return int(image.rgb[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3 + std::size_t(c)]);
    };
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c)
                out.rgb[(std::size_t(y) * std::size_t(out.width) + std::size_t(x)) * 3 + std::size_t(c)] = std::uint8_t(
                    (at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) + at(2 * x + 1, 2 * y + 1, c) + 2) / 4);
    return out;
}

}  // namespace

RgbImage resampleToFrame(const PhotoView& photo, const FrameMapping& mapping) {
    RgbImage frame{kPictureWidth, kPictureHeight,
                   std::vector<std::uint8_t>(std::size_t(kPictureWidth) * kPictureHeight * 3, 0)};
    // As for the brightness: a photo much larger than the frame is halved
    // first, so that the frame shows its detail averaged, not picked.
    RgbImage source = rgbOf(photo);
    FrameMapping m = mapping;
    while (m.scale > 1.5 && source.width >= 4 && source.height >= 4) {
        source = halveRgb(source);
        m.cx /= 2, m.cy /= 2, m.scale /= 2;
    }
    const PhotoView view{source.rgb.data(), source.width, source.height, std::ptrdiff_t(source.width) * 3,
                         PixelFormat::Rgb8};
    const Affine affine(m);
    for (int j = 0; j < frame.height; ++j)
        for (int i = 0; i < frame.width; ++i) {
            const FramePoint p = affine.at(i + 0.5, j + 0.5);
            if (!(p.x >= 0 && p.y >= 0 && p.x <= view.width && p.y <= view.height)) continue;
            for (int c = 0; c < 3; ++c) {
                const float v = sampleBilinear(view, c, p.x, p.y);
                frame.rgb[(std::size_t(j) * std::size_t(frame.width) + std::size_t(i)) * 3 + std::size_t(c)] =
                    std::uint8_t(std::lround(std::clamp(v, 0.0f, 255.0f)));
            }
        }
    return frame;
}

}  // namespace sg
