// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/synthetic_photo.h"

#include "simulator/ray_pass.h"
#include "wave/wave_picture.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace sg::testing {

namespace {

// The model the program draws the truth with, and whether a mirror point is lit.
class Decision {
public:
    explicit Decision(const PhotoTruth& t) {
        EditorShape shape;
        applyToSetup(t.mirror, t.zone, t.parameters, BandAxis::Vertical, m_.mirror, m_.setup, shape);
        takeDrawnZone(m_, shape);
        setup_ = makeRaySetup(m_, 1);
        aperture_ = m_.mirror.mirrorDiameter / 2;
    }
    // 0 outside the mirror, 1 dark, 2 lit.
    int at(double u, double v) const {
        if (u * u + v * v > aperture_ * aperture_) return 0;
        const bool lit = m_.setup.exact() ? exactRayLit(setup_, u, v) : normalRayLit(setup_, u, v);
        return lit ? 2 : 1;
    }

private:
    Scene m_;
    RaySetup setup_;
    double aperture_ = 0;
};

}  // namespace

namespace {

// The camera's view of the mirror: photo point -> frame point (continuous
// frame pixels, the disk centred at (410, 300), 275 pixels in radius).
struct CameraView {
    double cosA, sinA, scale, cx, cy;
    explicit CameraView(const Camera& cam)
        : cosA(std::cos(cam.rotationDeg * std::numbers::pi / 180)),
          sinA(std::sin(cam.rotationDeg * std::numbers::pi / 180)), scale(cam.radius / kDiskRadius), cx(cam.cx),
          cy(cam.cy) {}
    // The offset from the disk's centre in frame pixels.
    std::pair<double, double> offset(double x, double y) const {
        const double dx = (x - cx) / scale, dy = (y - cy) / scale;
        return {dx * cosA + dy * sinA, -dx * sinA + dy * cosA};
    }
};

// The camera's faults on the light that reaches it (0..1 before gamma):
// blur, vignetting, gamma, a red tint or grey, noise and JPEG.
SyntheticPhoto degrade(GreyImage image, const Camera& cam) {
    const int w = cam.width, h = cam.height;
    image = gaussianBlur(image, cam.blur);
    std::mt19937 random(cam.seed);
    std::normal_distribution<double> gauss(0, 1);
    const double corner = std::hypot(w / 2.0, h / 2.0);
    SyntheticPhoto photo;
    photo.width = w;
    photo.height = h;
    photo.format = cam.colour ? PixelFormat::Rgb8 : PixelFormat::Grey8;
    const int channels = cam.colour ? 3 : 1;
    const double tint[3] = {1.0, 0.55, 0.35};  // a red source
    photo.pixels.resize(std::size_t(w) * std::size_t(h) * std::size_t(channels));
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const double d = std::hypot(i + 0.5 - w / 2.0, j + 0.5 - h / 2.0) / corner;
            const double lit = std::pow(std::max(0.0, image.at(i, j) * (1 - cam.vignetting * d * d)), cam.gamma);
            for (int c = 0; c < channels; ++c) {
                const double v = (cam.colour ? tint[c] : 1.0) * lit + cam.noise * gauss(random);
                photo.pixels[(std::size_t(j) * std::size_t(w) + std::size_t(i)) * std::size_t(channels) + std::size_t(c)] =
                    std::uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255));
            }
        }
    if (cam.jpegQuality > 0) {
        const QImage::Format format = cam.colour ? QImage::Format_RGB888 : QImage::Format_Grayscale8;
        const QImage picture(photo.pixels.data(), w, h, w * channels, format);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPEG", cam.jpegQuality);
        QImage decoded = QImage::fromData(bytes, "JPEG").convertToFormat(format);
        for (int j = 0; j < h; ++j)
            std::copy_n(decoded.constScanLine(j), w * channels, photo.pixels.begin() + std::ptrdiff_t(j) * w * channels);
    }
    return photo;
}

}  // namespace

SyntheticPhoto makeSyntheticPhoto(const PhotoTruth& truth, const Camera& cam) {
    const Decision decision(truth);
    const CameraView view(cam);
    const double mmPerFramePixel = truth.mirror.diameter / (2 * kDiskRadius);
    // Photo point -> mirror point (u, v) in mm through the frame.
    auto classAt = [&](double x, double y) {
        const auto [fx, fy] = view.offset(x, y);
        return decision.at(fx * mmPerFramePixel, fy * mmPerFramePixel);
    };
    const double levels[3] = {cam.background, cam.dark, cam.bright};
    const int w = cam.width, h = cam.height;
    std::vector<std::uint8_t> centre(std::size_t(w) * std::size_t(h));
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) centre[std::size_t(j) * std::size_t(w) + std::size_t(i)] = std::uint8_t(classAt(i + 0.5, j + 0.5));
    GreyImage image(w, h);
    const int n = std::max(1, cam.supersample);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int c = centre[std::size_t(j) * std::size_t(w) + std::size_t(i)];
            bool uniform = true;
            for (int dj = -1; dj <= 1 && uniform; ++dj)
                for (int di = -1; di <= 1; ++di) {
                    const int x = std::clamp(i + di, 0, w - 1), y = std::clamp(j + dj, 0, h - 1);
                    if (centre[std::size_t(y) * std::size_t(w) + std::size_t(x)] != c) uniform = false;
                }
            if (uniform) {
                image.at(i, j) = float(levels[c]);
                continue;
            }
            double sum = 0;
            for (int q = 0; q < n; ++q)
                for (int p = 0; p < n; ++p) sum += levels[classAt(i + (p + 0.5) / n, j + (q + 0.5) / n)];
            image.at(i, j) = float(sum / (n * n));
        }
    return degrade(std::move(image), cam);
}

Scene waveScene(const PhotoTruth& truth, const WaveLight& light) {
    Scene scene;
    EditorShape shape;
    FitMirror mirror = truth.mirror;
    mirror.exact = true;
    applyToSetup(mirror, truth.zone, truth.parameters, BandAxis::Vertical, scene.mirror, scene.setup, shape);
    scene.setup.wavelength = truth.mirror.wavelength;
    scene.setup.spectrum = light.spectrum;
    scene.setup.slitWidth = light.slitWidth;
    scene.setup.waveOptics = true;
    takeDrawnZone(scene, shape);
    return scene;
}

WaveFrame waveTruth(const PhotoTruth& truth, const WaveLight& light) {
    WaveEngine engine;
    return engine.compute(waveScene(truth, light));
}

SyntheticPhoto makeWavePhoto(const WaveFrame& wave, const Camera& cam) {
    // The intensity on the mirror, each pixel just off it given the mean of
    // its neighbours on it, so that the interpolation reaches the rim.
    GreyImage intensity(WaveFrame::kWidth, WaveFrame::kHeight, NAN);
    for (int y = 0; y < WaveFrame::kHeight; ++y)
        for (int x = 0; x < WaveFrame::kWidth; ++x) intensity.at(x, y) = wave.at(x, y);
    for (int pass = 0; pass < 2; ++pass) {
        GreyImage filled = intensity;
        for (int y = 1; y + 1 < WaveFrame::kHeight; ++y)
            for (int x = 1; x + 1 < WaveFrame::kWidth; ++x) {
                if (!std::isnan(intensity.at(x, y))) continue;
                double sum = 0;
                int count = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const float v = intensity.at(x + dx, y + dy);
                        if (!std::isnan(v)) sum += v, ++count;
                    }
                if (count > 0) filled.at(x, y) = float(sum / count);
            }
        intensity = std::move(filled);
    }
    // The exposure: the brightest of the picture (its 99.9th percentile, so
    // that a few peaks of the fringes do not set it) at the bright level.
    std::vector<float> lit;
    for (const float v : wave.intensity)
        if (!std::isnan(v)) lit.push_back(v);
    float brightest = 1;
    if (!lit.empty()) {
        const auto at = lit.begin() + std::ptrdiff_t(lit.size() * 999 / 1000);
        std::nth_element(lit.begin(), at, lit.end());
        brightest = std::max(*at, 1e-3f);
    }
    const double gain = (cam.bright - cam.dark) / brightest;
    const CameraView view(cam);
    const int w = cam.width, h = cam.height;
    // Enough points per photo pixel to cover a frame pixel twice over.
    const int n = std::max(2, int(std::ceil(2 / view.scale)));
    const double r = kDiskRadius, reach = r + 2 / view.scale;
    GreyImage image(w, h, float(cam.background));
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const auto [ox, oy] = view.offset(i + 0.5, j + 0.5);
            if (ox * ox + oy * oy > reach * reach) continue;
            double sum = 0;
            for (int q = 0; q < n; ++q)
                for (int p = 0; p < n; ++p) {
                    const auto [fx, fy] = view.offset(i + (p + 0.5) / n, j + (q + 0.5) / n);
                    if (fx * fx + fy * fy > r * r) {
                        sum += cam.background;
                        continue;
                    }
                    const float v = sampleBilinear(intensity, kDiskCentreX + fx, kDiskCentreY + fy);
                    sum += cam.dark + gain * (std::isnan(v) ? 0.0 : double(v));
                }
            image.at(i, j) = float(sum / (n * n));
        }
    return degrade(std::move(image), cam);
}

SyntheticPhoto makeWavePhoto(const PhotoTruth& truth, const WaveLight& light, const Camera& cam) {
    return makeWavePhoto(waveTruth(truth, light), cam);
}

Camera randomCamera(std::uint32_t seed) {
    std::mt19937 random(seed * 7919u + 17u);
    std::uniform_real_distribution<double> unit(0, 1);
    auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    Camera c;
    c.radius = kDiskRadius * std::exp(between(std::log(0.5), std::log(2.0)));
    c.width = int(2 * c.radius * between(1.2, 1.6)) + 16;
    c.height = int(2 * c.radius * between(1.15, 1.5)) + 16;
    c.cx = c.width / 2.0 + between(-0.7, 0.7) * (c.width / 2.0 - c.radius - 6);
    c.cy = c.height / 2.0 + between(-0.7, 0.7) * (c.height / 2.0 - c.radius - 6);
    c.rotationDeg = (unit(random) < 0.5 ? 0 : 90) + between(-10, 10);
    c.blur = between(1, 3);
    c.gamma = between(0.6, 1.6);
    c.vignetting = between(0, 0.4);
    c.noise = between(0.005, 0.03);
    c.jpegQuality = int(between(50, 90.99));
    c.colour = unit(random) < 0.7;
    c.bright = between(0.6, 0.95);
    c.dark = between(0.03, 0.1);
    c.background = between(0.01, c.dark);
    c.seed = seed;
    return c;
}

PhotoTruth randomConic(std::uint32_t seed) {
    std::mt19937 random(seed * 104729u + 3u);
    std::uniform_real_distribution<double> unit(0, 1);
    auto between = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
    PhotoTruth t;
    t.mirror.diameter = between(150, 300);
    t.mirror.radius = 2 * between(4, 8) * t.mirror.diameter;
    t.mirror.linesPerMm = between(2, 6);
    t.parameters.conic = between(-1.5, 0.2);
    t.parameters.transverse = between(-1, 1);
    // The offset that gives the band pairs wanted along the diameter
    // across the bands: the phase there is linear in the offset.
    const double pairs = between(3, 6);
    const double sign = unit(random) < 0.5 ? -1 : 1;
    auto rimPhase = [&](double offset) {
        const BandPhase p(t.mirror, {}, {offset, t.parameters.conic, 0, 0, 0});
        const double rim = 0.999 * t.mirror.diameter / 2;
        return (p.atMirror(rim, 0) - p.atMirror(-rim, 0)) / 2;
    };
    const double at0 = rimPhase(0), perMm = rimPhase(1) - at0;
    t.parameters.offset = (sign * pairs - at0) / perMm;
    return t;
}

PhotoTruth randomTurnedEdge(std::uint32_t seed) {
    PhotoTruth t = randomConic(seed);
    std::mt19937 random(seed * 15485863u + 11u);
    std::uniform_real_distribution<double> unit(0, 1);
    t.mirror.exact = true;
    t.zone.kind = ZoneKind::Edge;
    t.zone.start = 0.7 + 0.15 * unit(random);
    t.parameters.zoneHeight = -0.5 + 0.8 * unit(random);
    return t;
}

bool savePhoto(const SyntheticPhoto& photo, const std::string& path) {
    const bool colour = photo.format == PixelFormat::Rgb8;
    const QImage picture(photo.pixels.data(), photo.width, photo.height, photo.width * (colour ? 3 : 1),
                         colour ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    const QString name = QString::fromStdString(path);
    return picture.save(name, name.endsWith(".jpg") ? "JPEG" : "PNG", name.endsWith(".jpg") ? 85 : -1);
}

}  // namespace sg::testing
