// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/wave_edges.h"

#include "photo/disk_detection.h"
#include "photo/photo_image.h"
#include "wave/wave_picture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sg {

namespace {

constexpr double kMatchBands = 0.3;  // a photo's edge takes the shift of a wave edge this many bands from it
constexpr double kFallPerSigma = 1.683;  // a Gaussian blur's fall from 80 % to 20 %, in sigmas
// The wave picture as a camera exposes it: the ground outside the mirror,
// a dark band's floor, and the brightest (the 99.9th percentile) at 0.8.
constexpr float kGround = 0.02f, kFloor = 0.05f, kBrightest = 0.8f;

// Fills the pixels on the mirror of the lines a picture of every other
// line left out with the mean of the drawn lines either side (the one
// there is, at the rim).
void fillBetweenLines(WaveFrame& frame) {
    const WaveFrame drawn = frame;
    // The lines run along the rows when the row below the centre's is left out.
    const bool rows = std::isnan(drawn.at(kDiskCentreX, kDiskCentreY + 1));
    const double rim = kDiskRadius;
    for (int y = 0; y < WaveFrame::kHeight; ++y)
        for (int x = 0; x < WaveFrame::kWidth; ++x) {
            if (!std::isnan(drawn.at(x, y))) continue;
            const double u = x + 0.5 - kDiskCentreX, v = y + 0.5 - kDiskCentreY;
            if (u * u + v * v >= rim * rim) continue;
            double sum = 0;
            int count = 0;
            for (const int step : {-1, 1}) {
                const int nx = rows ? x : x + step, ny = rows ? y + step : y;
                if (nx < 0 || ny < 0 || nx >= WaveFrame::kWidth || ny >= WaveFrame::kHeight) continue;
                const float n = drawn.at(nx, ny);
                if (!std::isnan(n)) sum += n, ++count;
            }
            if (count > 0) frame.at(x, y) = float(sum / count);
        }
}

}  // namespace

Scene waveFitScene(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p, BandAxis axis) {
    Scene scene;
    EditorShape shape;
    FitMirror exact = mirror;
    exact.exact = true;
    applyToSetup(exact, zone, p, axis, scene.mirror, scene.setup, shape);
    scene.setup.wavelength = mirror.wavelength;
    scene.setup.spectrum = mirror.spectrum;
    scene.setup.slitWidth = sourceWidth(mirror);
    scene.setup.waveOptics = true;
    takeDrawnZone(scene, shape);
    return scene;
}

int scanLine(const FitEdge& e, BandAxis axis) {
    return int(std::floor(axis == BandAxis::Vertical ? e.y : e.x));
}

struct WaveEdgeModel::Engine {
    WaveEngine wave;
};

WaveEdgeModel::WaveEdgeModel(const FitProblem& problem, const double rimSpread[2], const EdgeOptions& edges)
    : problem_(problem), rimSpread_{rimSpread[0], rimSpread[1]}, options_(edges), engine_(std::make_unique<Engine>()) {}

double rimSpread(const GreyImage& frame, BandAxis axis) {
    constexpr double kReach = 12, kStep = 0.25, kCone = 30;  // frame pixels, pixels, degrees
    const int samples = int(2 * kReach / kStep) + 1;
    std::vector<double> profile(std::size_t(samples), 0);
    int rays = 0;
    // The bands' direction: along y for upright bands, along x for level ones.
    const double along = axis == BandAxis::Vertical ? std::numbers::pi / 2 : 0;
    for (int side = 0; side < 2; ++side)
        for (double d = -kCone; d <= kCone; d += 1) {
            const double angle = along + side * std::numbers::pi + d * std::numbers::pi / 180;
            const double dx = std::cos(angle), dy = std::sin(angle);
            std::vector<double> ray(static_cast<std::size_t>(samples));
            bool whole = true;
            for (int i = 0; i < samples && whole; ++i) {
                const double r = kDiskRadius - kReach + i * kStep;
                const float v = sampleBilinear(frame, kDiskCentreX + r * dx, kDiskCentreY + r * dy);
                whole = std::isfinite(v);
                ray[std::size_t(i)] = v;
            }
            if (!whole) continue;
            for (int i = 0; i < samples; ++i) profile[std::size_t(i)] += ray[std::size_t(i)];
            ++rays;
        }
    if (rays == 0) return NAN;
    // The fall's slope, its centre and variance.
    double mass = 0, first = 0;
    std::vector<double> slope(std::size_t(samples - 1));
    for (int i = 0; i + 1 < samples; ++i) {
        slope[std::size_t(i)] = (profile[std::size_t(i)] - profile[std::size_t(i + 1)]) / rays;
        const double r = (i + 0.5) * kStep;
        mass += slope[std::size_t(i)];
        first += slope[std::size_t(i)] * r;
    }
    if (!(mass > 0)) return NAN;
    const double centre = first / mass;
    double second = 0;
    for (int i = 0; i + 1 < samples; ++i) {
        const double r = (i + 0.5) * kStep - centre;
        second += slope[std::size_t(i)] * r * r;
    }
    return second / mass;
}

WaveEdgeModel::~WaveEdgeModel() = default;

const std::vector<WaveEdge>& WaveEdgeModel::edgesAt(const FitParameters& fitted, int photo) {
    const BandAxis axis = problem_.axis[photo];
    BandParameters p = photoParameters(problem_, fitted, photo);
    p.edgeShift = 0;
    // Every other line across the bands, each line between taken as the
    // mean of its neighbours: along the bands the picture barely changes
    // from one pixel to the next, and half the lines cost half as much.
    WaveFrame frame = engine_->wave.computeLines(waveFitScene(problem_.mirror, problem_.zone, p, axis), 2);
    fillBetweenLines(frame);
    // The picture as the camera takes it, then blurred as the photo is.
    std::vector<float> lit;
    for (const float v : frame.intensity)
        if (!std::isnan(v)) lit.push_back(v);
    float brightest = 1;
    if (!lit.empty()) {
        const auto at = lit.begin() + std::ptrdiff_t(lit.size() * 999 / 1000);
        std::nth_element(lit.begin(), at, lit.end());
        brightest = std::max(*at, 1e-6f);
    }
    GreyImage image(kPictureWidth, kPictureHeight);
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            const float v = frame.at(x, y);
            image.at(x, y) = std::isnan(v) ? kGround : kFloor + (kBrightest - kFloor) * v / brightest;
        }
    if (blur_[photo] < 0) {
        const double own = rimSpread(image, axis), square = rimSpread_[photo] - own;
        blur_[photo] = std::isfinite(square) && square > 0 ? std::sqrt(square) : 0;
    }
    image = gaussianBlur(image, blur_[photo]);
    if (gamma_[photo] != 1)
        for (float& v : image.pixels) v = float(std::pow(std::max(0.0f, v), gamma_[photo]));
    try {
        const DiskFit disk = findDisk(image);
        centreBias_[photo][0] = disk.cx - kDiskCentreX;
        centreBias_[photo][1] = disk.cy - kDiskCentreY;
        radiusBias_[photo] = disk.radius - kDiskRadius;
    } catch (const PhotoError&) {
        centreBias_[photo][0] = centreBias_[photo][1] = radiusBias_[photo] = 0;
    }
    const std::vector<BandEdge> found = extractEdges(image, axis, options_);

    // Each wave edge against the ray model's edge of its band boundary.
    FitProblem one = problem_;
    one.photos = 1;
    one.separation = 0;
    one.axis[0] = one.axis[1] = axis;
    FitParameters q;
    q.offset = p.offset;
    q.conic = p.conic;
    q.transverse[0] = p.transverse;
    q.zoneHeight = p.zoneHeight;
    std::vector<FitEdge> labelled = fitEdges(found, axis, problem_.mirror.diameter, 0, 1);
    labelEdges(labelled, one, q);

    std::vector<WaveEdge>& out = edges_[photo];
    out.clear();
    for (std::size_t i = 0; i < found.size(); ++i) {
        const FitEdge& e = labelled[i];
        if (!std::isfinite(e.residual)) continue;
        out.push_back({axis == BandAxis::Vertical ? found[i].x : found[i].y, found[i].line, found[i].brightSide,
                       e.residual});
    }
    std::vector<std::vector<std::size_t>>& lines = byLine_[photo];
    lines.assign(std::size_t(std::max(kPictureWidth, kPictureHeight)), {});
    for (std::size_t i = 0; i < out.size(); ++i)
        if (out[i].line >= 0 && out[i].line < int(lines.size())) lines[std::size_t(out[i].line)].push_back(i);
    return out;
}

std::vector<FitEdge> WaveEdgeModel::moved(const std::vector<FitEdge>& raw, int photo, bool keepAll) const {
    const BandAxis axis = problem_.axis[photo];
    const std::vector<WaveEdge>& wave = edges_[photo];
    const std::vector<std::vector<std::size_t>>& lines = byLine_[photo];
    std::vector<FitEdge> out;
    out.reserve(raw.size());
    // The photo's frame puts the disk as found at the frame's disk; the
    // true rim lies where the wave picture's found rim says.
    const double stretch = (kDiskRadius + radiusBias_[photo]) / kDiskRadius;
    for (const FitEdge& found : raw) {
        if (found.photo != photo) continue;
        FitEdge e = found;
        e.x = kDiskCentreX + centreBias_[photo][0] + (e.x - kDiskCentreX) * stretch;
        e.y = kDiskCentreY + centreBias_[photo][1] + (e.y - kDiskCentreY) * stretch;
        int line = scanLine(found, axis);
        if (line < 0 || line >= int(lines.size())) line = -1;
        const double position = axis == BandAxis::Vertical ? e.x : e.y;
        // The band width here under the model: the edges' gradient, or a
        // tenth of the disk where the gradient is not known yet.
        const double band = std::isfinite(e.gradient) && std::fabs(e.gradient) > 1e-6 ? 1 / std::fabs(e.gradient)
                                                                                         : 0.1 * kDiskRadius;
        double best = kMatchBands * band, shift = NAN, distance = NAN;
        for (const std::size_t i : line < 0 ? std::vector<std::size_t>{} : lines[std::size_t(line)]) {
            const WaveEdge& w = wave[i];
            if (w.bright != e.bright) continue;
            const double d = std::fabs(w.position - position);
            if (d < best) best = d, shift = w.shift, distance = (position - w.position) * e.bright;
        }
        e.residual = distance;
        if (std::isnan(shift)) {
            if (!keepAll) continue;
            e.across = e.along = NAN;
            out.push_back(e);
            continue;
        }
        if (axis == BandAxis::Vertical) e.x -= shift;
        else e.y -= shift;
        const MirrorPoint m = mirrorPoint(e.x, e.y, axis, problem_.mirror.diameter);
        e.across = m.across;
        e.along = m.along;
        e.rho = std::hypot(m.across, m.along) / (problem_.mirror.diameter / 2);
        out.push_back(e);
    }
    return out;
}

}  // namespace sg
