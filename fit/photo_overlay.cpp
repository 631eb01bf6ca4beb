// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/photo_overlay.h"

#include "model/failure.h"
#include "photo/photo_error.h"

#include <QFileInfo>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace sg {

namespace {

std::string quotedName(const QString& path) { return "\"" + QFileInfo(path).fileName().toStdString() + "\""; }

// Halved in both directions by averaging 2 x 2 blocks, rounded, as the
// resampling halves a photo much larger than the frame.
RgbImage halved(const RgbImage& image) {
    RgbImage out{image.width / 2, image.height / 2, {}};
    out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
    const auto at = [&](int x, int y, int c) {
        return int(image.rgb[(std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3 + std::size_t(c)]);
    };
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c)
                out.rgb[(std::size_t(y) * std::size_t(out.width) + std::size_t(x)) * 3 + std::size_t(c)] =
                    std::uint8_t((at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) +
                                  at(2 * x + 1, 2 * y + 1, c) + 2) /
                                 4);
    return out;
}

RgbImage rgbOf(const QImage& image) {
    RgbImage out{image.width(), image.height(), {}};
    out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
    for (int y = 0; y < out.height; ++y)
        std::copy_n(image.constScanLine(y), std::size_t(out.width) * 3,
                    out.rgb.data() + std::size_t(y) * std::size_t(out.width) * 3);
    return out;
}

double radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

AlignedPhoto readAlignedPhoto(const QString& path) {
    AlignedPhoto a;
    a.path = path;
    try {
        a.photo = loadPhoto(path.toStdString());
    } catch (const PhotoFileError& e) {
        throw ActionError("Cannot read the photo " + quotedName(path) + ": " + e.what() + ".");
    }
    try {
        a.found = alignPhoto(a.photo.view());
        a.found.pixelScale = a.photo.scale;
    } catch (const PhotoError& e) {
        throw ActionError("Cannot use the photo " + quotedName(path) + ": " + e.what() + ".");
    } catch (const std::invalid_argument& e) {
        throw ActionError("Cannot use the photo " + quotedName(path) + ": " + e.what() + ".");
    }
    return a;
}

BandAxis bandAxisFor(double normalDeg, double rotationDeg) {
    // The normal's angle on the frame, folded into (-90, 90].
    double onFrame = std::remainder(normalDeg - rotationDeg, 180.0);
    if (onFrame <= -90) onFrame += 180;
    return std::fabs(onFrame) <= 45 ? BandAxis::Vertical : BandAxis::Horizontal;
}

// The photo point shown at frame point f is cx + s R(rotation) (f - F0);
// showing it at f + d instead takes the centre back by s R d.
FrameMapping movedMapping(const FrameMapping& m, double dx, double dy) {
    const double a = radians(m.rotationDeg);
    FrameMapping out = m;
    out.cx -= m.scale * (dx * std::cos(a) - dy * std::sin(a));
    out.cy -= m.scale * (dx * std::sin(a) + dy * std::cos(a));
    return out;
}

FrameMapping scaledMapping(const FrameMapping& m, double factor) {
    FrameMapping out = m;
    if (factor > 0 && std::isfinite(factor)) out.scale = m.scale / factor;
    return out;
}

FrameMapping turnedMapping(const FrameMapping& m, double degrees) {
    FrameMapping out = m;
    out.rotationDeg = std::remainder(m.rotationDeg - degrees, 360.0);
    return out;
}

// The photo reduced by halving, once or more, to about the frame's scale:
// what the resampling would halve it to anyway, kept so that a drag
// resamples a small photo.
struct PhotoOverlay::Reduced {
    double factor = 1;  // photo pixels per reduced pixel
    RgbImage colour;
    GreyImage grey;
};

PhotoOverlay::PhotoOverlay() = default;
PhotoOverlay::~PhotoOverlay() = default;

void PhotoOverlay::open(const QString& path) {
    auto photo = std::make_unique<AlignedPhoto>(readAlignedPhoto(path));
    auto reduced = std::make_unique<Reduced>();
    reduced->colour = rgbOf(photo->photo.image);
    reduced->grey = toGrey(photo->photo.view());
    while (photo->found.mapping.scale / reduced->factor > 1.5 && reduced->grey.width >= 4 &&
           reduced->grey.height >= 4) {
        reduced->colour = halved(reduced->colour);
        reduced->grey = halve(reduced->grey);
        reduced->factor *= 2;
    }
    photo_ = std::move(photo);
    reduced_ = std::move(reduced);
    mapping_ = photo_->found.mapping;
    colour_.reset();
    grey_ = photo_->found.frame;
    ++serial_;
}

void PhotoOverlay::close() {
    photo_.reset();
    reduced_.reset();
    colour_.reset();
    grey_.reset();
    ++serial_;
}

QString PhotoOverlay::path() const { return photo_ ? photo_->path : QString(); }

const PhotoAlignment& PhotoOverlay::found() const {
    if (!photo_) throw std::logic_error("no photo is open");
    return photo_->found;
}

void PhotoOverlay::setMapping(FrameMapping m) {
    if (!photo_) return;
    m.bands = bandAxisFor(photo_->found.direction.normalDeg, m.rotationDeg);
    mapping_ = m;
    colour_.reset();
    grey_.reset();
    ++serial_;
}

void PhotoOverlay::automatic() {
    if (!photo_) return;
    mapping_ = photo_->found.mapping;
    colour_.reset();
    grey_ = photo_->found.frame;
    ++serial_;
}

bool PhotoOverlay::isAutomatic() const {
    if (!photo_) return true;
    const FrameMapping& f = photo_->found.mapping;
    return mapping_.cx == f.cx && mapping_.cy == f.cy && mapping_.scale == f.scale &&
           mapping_.rotationDeg == f.rotationDeg && mapping_.bands == f.bands;
}

RimOnFrame PhotoOverlay::rimOnFrame() const {
    if (!photo_) return {};
    const DiskFit& disk = photo_->found.disk;
    const FramePoint c = mapping_.toFrame({disk.cx, disk.cy});
    return {c.x, c.y, disk.radius / mapping_.scale, photo_->found.direction.normalDeg - mapping_.rotationDeg};
}

namespace {

FrameMapping reducedMapping(FrameMapping m, double factor) {
    m.cx /= factor;
    m.cy /= factor;
    m.scale /= factor;
    return m;
}

}  // namespace

const RgbImage& PhotoOverlay::frameColour() {
    if (!photo_) throw std::logic_error("no photo is open");
    if (!colour_) {
        const RgbImage& c = reduced_->colour;
        const PhotoView view{c.rgb.data(), c.width, c.height, std::ptrdiff_t(c.width) * 3, PixelFormat::Rgb8};
        colour_ = resampleToFrame(view, reducedMapping(mapping_, reduced_->factor));
    }
    return *colour_;
}

const GreyImage& PhotoOverlay::frameGrey() {
    if (!photo_) throw std::logic_error("no photo is open");
    if (!grey_) grey_ = resampleToFrame(reduced_->grey, reducedMapping(mapping_, reduced_->factor));
    return *grey_;
}

PhotoAlignment PhotoOverlay::alignment() {
    PhotoAlignment a = found();
    a.mapping = mapping_;
    a.frame = frameGrey();
    return a;
}

}  // namespace sg
