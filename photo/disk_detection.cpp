// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/disk_detection.h"

#include "photo/photo_error.h"
#include "photo/whole_number.h"
#include "model/number_text.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>

namespace sg {

namespace {

constexpr int kFloorCells = 12;          // cells of the background floor along the longer side
constexpr double kFloorPercentile = 0.1; // the floor: this fraction of a cell's pixels lie below it
constexpr int kWorkingSize = 1000;       // the first guess works on the photo halved down to this

// The value below which `fraction` of the values lie (the values are reordered).
float percentile(std::vector<float>& values, double fraction) {
    if (values.empty()) return 0;
    const std::size_t k = std::min(values.size() - 1, std::size_t(fraction * double(values.size())));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(k), values.end());
    return values[k];
}

std::vector<std::size_t> convexHull(const std::vector<double>& xy) {
    const std::size_t n = xy.size() / 2;
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return xy[2 * a] < xy[2 * b] || (xy[2 * a] == xy[2 * b] && xy[2 * a + 1] < xy[2 * b + 1]);
    });
    auto cross = [&](std::size_t o, std::size_t a, std::size_t b) {
        return (xy[2 * a] - xy[2 * o]) * (xy[2 * b + 1] - xy[2 * o + 1]) -
               (xy[2 * a + 1] - xy[2 * o + 1]) * (xy[2 * b] - xy[2 * o]);
    };
    if (n < 3) return order;
    std::vector<std::size_t> hull(2 * n);
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {  // lower chain
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], order[i]) <= 0) --k;
        hull[k++] = order[i];
    }
    for (std::size_t i = n - 1, t = k + 1; i-- > 0;) {  // upper chain
        while (k >= t && cross(hull[k - 2], hull[k - 1], order[i]) <= 0) --k;
        hull[k++] = order[i];
    }
    hull.resize(k - 1);
    return hull;
}

Circle circleOf2(double ax, double ay, double bx, double by) {
    return {(ax + bx) / 2, (ay + by) / 2, std::hypot(ax - bx, ay - by) / 2};
}

Circle circleOf3(double ax, double ay, double bx, double by, double cx, double cy) {
    const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (std::fabs(d) < 1e-12) {  // in one line: the widest pair
        Circle c = circleOf2(ax, ay, bx, by);
        for (const Circle& o : {circleOf2(ax, ay, cx, cy), circleOf2(bx, by, cx, cy)})
            if (o.radius > c.radius) c = o;
        return c;
    }
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    const double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    return {ux, uy, std::hypot(ax - ux, ay - uy)};
}

bool inside(const Circle& c, double x, double y) { return std::hypot(x - c.cx, y - c.cy) <= c.radius * (1 + 1e-12) + 1e-9; }

// Connected regions (4-neighbours) of the mask, as a label per pixel (0 for
// none) and the size of each label.
std::vector<int> labelRegions(const std::vector<std::uint8_t>& mask, int w, int h, std::vector<int>& sizes) {
    std::vector<int> label(mask.size(), 0);
    sizes.assign(1, 0);
    std::vector<int> stack;
    for (int start = 0; start < w * h; ++start) {
        if (!mask[std::size_t(start)] || label[std::size_t(start)]) continue;
        const int id = int(sizes.size());
        sizes.push_back(0);
        stack.assign(1, start);
        label[std::size_t(start)] = id;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            ++sizes[std::size_t(id)];
            const int x = p % w, y = p / w;
            const int next[4] = {x > 0 ? p - 1 : -1, x + 1 < w ? p + 1 : -1, y > 0 ? p - w : -1, y + 1 < h ? p + w : -1};
            for (int q : next)
                if (q >= 0 && mask[std::size_t(q)] && !label[std::size_t(q)]) {
                    label[std::size_t(q)] = id;
                    stack.push_back(q);
                }
        }
    }
    return label;
}

// The photo with its background floor taken away, sampled at a point.
struct Flattened {
    const GreyPyramid& photo;
    const GreyImage& floor;  // on the working image's grid
    double floorScale;       // photo pixels per floor pixel
    float at(double x, double y) const {
        return photo.sample(x, y) - sampleBilinear(floor, x / floorScale, y / floorScale);
    }
};

// One ray's rim crossing: the radius where the profile last falls through
// the half-level between the disk's bright level near the rim and the
// background beyond it, with the levels and the rim's 80-20 % width.
struct RimCrossing {
    bool found = false;
    double radius = 0, contrast = 0, width = 0;
};

RimCrossing rimOnRay(const Flattened& image, double cx, double cy, double angle, double r0, double step) {
    RimCrossing rim;
    const double dx = std::cos(angle), dy = std::sin(angle);
    const double start = 0.6 * r0, end = 1.3 * r0 + 8 * step;
    // A ray's samples: a disk many times the largest photo is no rim.
    const std::optional<int> samples = wholeWithin((end - start) / step, 0, 1 << 20);
    if (!samples) return rim;
    const int n = *samples + 1;
    std::vector<float> profile(static_cast<std::size_t>(n));
    const double w = image.photo.width(), h = image.photo.height();
    int valid = n;
    for (int i = 0; i < n; ++i) {
        const double s = start + i * step;
        const double x = cx + s * dx, y = cy + s * dy;
        if (x < 0.5 || y < 0.5 || x > w - 0.5 || y > h - 0.5) {
            valid = i;
            break;
        }
        // Averaged across the ray over two pixels against noise.
        float sum = 0;
        for (int k = -1; k <= 1; ++k) sum += image.at(x - k * dy * step * 2, y + k * dx * step * 2);
        profile[std::size_t(i)] = sum / 3;
    }
    // The background beyond the rim must be in the photo.
    const int outerStart = int((1.12 * r0 + 4 * step - start) / step);
    if (valid < outerStart + 8) return rim;
    std::vector<float> outer(profile.begin() + outerStart, profile.begin() + valid);
    const float background = percentile(outer, 0.5);
    const int nearRim0 = int((0.85 * r0 - start) / step), nearRim1 = std::min(valid, int((1.08 * r0 - start) / step));
    float bright = -1e30f;
    for (int i = nearRim0; i < nearRim1; ++i) bright = std::max(bright, profile[std::size_t(i)]);
    const float half = (bright + background) / 2;
    // The last sample above half-way, from the outside in.
    int last = -1;
    for (int i = std::min(valid, outerStart + 4) - 1; i >= 0; --i)
        if (profile[std::size_t(i)] > half) {
            last = i;
            break;
        }
    if (last < 0 || last + 1 >= valid) return rim;
    const float a = profile[std::size_t(last)], b = profile[std::size_t(last + 1)];
    const double frac = (a - half) / (a - b);
    rim.radius = start + (last + frac) * step;
    rim.contrast = bright - background;
    // The fall's width between 80 % and 20 % of the contrast.
    const float hi = background + 0.8f * rim.contrast, lo = background + 0.2f * rim.contrast;
    int iHi = last, iLo = last + 1;
    while (iHi > 0 && profile[std::size_t(iHi)] < hi) --iHi;
    while (iLo + 1 < valid && profile[std::size_t(iLo)] > lo) ++iLo;
    rim.width = (iLo - iHi) * step;
    rim.found = true;
    return rim;
}

// How much brighter the disk is, on average over its inside (bands and
// all), than the median of the ground in a ring just outside its rim, as
// far as the photo reaches there; NaN when the photo shows no such ring.
double litInside(const GreyPyramid& photo, const Circle& c) {
    const double step = std::max(1.0, c.radius / 60);
    double inside = 0;
    long insideCount = 0;
    std::vector<float> ground;
    for (double y = c.cy - 1.3 * c.radius; y <= c.cy + 1.3 * c.radius; y += step)
        for (double x = c.cx - 1.3 * c.radius; x <= c.cx + 1.3 * c.radius; x += step) {
            if (x < 0 || y < 0 || x >= photo.width() || y >= photo.height()) continue;
            const double d = std::hypot(x - c.cx, y - c.cy) / c.radius;
            const float v = photo.at(int(x), int(y));
            if (d < 0.95) inside += v, ++insideCount;
            else if (d > 1.05 && d < 1.3) ground.push_back(v);
        }
    if (insideCount == 0 || ground.empty()) return NAN;
    return inside / double(insideCount) - percentile(ground, 0.5);
}

}  // namespace

GreyImage backgroundFloor(const GreyImage& image) {
    const int cell = std::max(4, std::max(image.width, image.height) / kFloorCells);
    const int nx = (image.width + cell - 1) / cell, ny = (image.height + cell - 1) / cell;
    GreyImage low(nx, ny);
    std::vector<float> values;
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            values.clear();
            for (int y = j * cell; y < std::min(image.height, (j + 1) * cell); ++y)
                for (int x = i * cell; x < std::min(image.width, (i + 1) * cell); ++x) values.push_back(image.at(x, y));
            low.at(i, j) = percentile(values, kFloorPercentile);
        }
    // The least of each cell's neighbourhood: a cell that a bright band
    // fills does not lift the floor.
    GreyImage least(nx, ny);
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            float m = low.at(i, j);
            for (int dj = -1; dj <= 1; ++dj)
                for (int di = -1; di <= 1; ++di) {
                    const int a = i + di, b = j + dj;
                    if (a >= 0 && b >= 0 && a < nx && b < ny) m = std::min(m, low.at(a, b));
                }
            least.at(i, j) = m;
        }
    // Spread over the image's pixels between the cell centres.
    GreyImage floor(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            floor.at(x, y) = sampleBilinear(least, (x + 0.5) / cell, (y + 0.5) / cell);
    return floor;
}

double otsuThreshold(const std::vector<float>& values) {
    if (values.empty()) return std::nan("");
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    if (!(*hi > *lo)) return std::nan("");
    constexpr int kBins = 256;
    std::array<double, kBins> hist{};
    const double scale = (kBins - 1) / double(*hi - *lo);
    for (float v : values) hist[std::size_t(wholeClamped((v - *lo) * scale, 0, kBins - 1, 0))] += 1;
    double total = 0, sumAll = 0;
    for (int i = 0; i < kBins; ++i) total += hist[std::size_t(i)], sumAll += i * hist[std::size_t(i)];
    double weight0 = 0, sum0 = 0, best = -1;
    int bestBin = 0;
    for (int i = 0; i < kBins - 1; ++i) {
        weight0 += hist[std::size_t(i)];
        sum0 += i * hist[std::size_t(i)];
        const double weight1 = total - weight0;
        if (weight0 == 0 || weight1 == 0) continue;
        const double m0 = sum0 / weight0, m1 = (sumAll - sum0) / weight1;
        const double between = weight0 * weight1 * (m0 - m1) * (m0 - m1);
        if (between > best) best = between, bestBin = i;
    }
    return *lo + (bestBin + 1) / scale;
}

Circle smallestEnclosingCircle(std::vector<double> xy) {
    if (xy.size() < 2) return {0, 0, -1};
    // Only the convex hull's corners can lie on the circle.
    const std::vector<std::size_t> hull = convexHull(xy);
    std::vector<double> p;
    for (std::size_t i : hull) p.insert(p.end(), {xy[2 * i], xy[2 * i + 1]});
    const std::size_t n = p.size() / 2;
    // Welzl's incremental form over the corners in a fixed shuffled order.
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(12345));
    auto X = [&](std::size_t i) { return p[2 * order[i]]; };
    auto Y = [&](std::size_t i) { return p[2 * order[i] + 1]; };
    Circle c{X(0), Y(0), 0};
    for (std::size_t i = 1; i < n; ++i) {
        if (inside(c, X(i), Y(i))) continue;
        c = {X(i), Y(i), 0};
        for (std::size_t j = 0; j < i; ++j) {
            if (inside(c, X(j), Y(j))) continue;
            c = circleOf2(X(i), Y(i), X(j), Y(j));
            for (std::size_t k = 0; k < j; ++k)
                if (!inside(c, X(k), Y(k))) c = circleOf3(X(i), Y(i), X(j), Y(j), X(k), Y(k));
        }
    }
    return c;
}

Circle fitCircle(const std::vector<double>& xy) {
    const Eigen::Index n = Eigen::Index(xy.size() / 2);
    if (n < 3) return {0, 0, -1};
    // Algebraic: x^2 + y^2 + D x + E y + F = 0, about the points' mean.
    double mx = 0, my = 0;
    for (Eigen::Index i = 0; i < n; ++i) mx += xy[std::size_t(2 * i)], my += xy[std::size_t(2 * i + 1)];
    mx /= double(n), my /= double(n);
    Eigen::MatrixXd a(n, 3);
    Eigen::VectorXd b(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double x = xy[std::size_t(2 * i)] - mx, y = xy[std::size_t(2 * i + 1)] - my;
        a.row(i) << x, y, 1;
        b(i) = -(x * x + y * y);
    }
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(a);
    if (qr.rank() < 3) return {0, 0, -1};
    const Eigen::Vector3d s = qr.solve(b);
    Circle c{mx - s(0) / 2, my - s(1) / 2, 0};
    const double r2 = (s(0) * s(0) + s(1) * s(1)) / 4 - s(2);
    if (!(r2 > 0) || !std::isfinite(r2)) return {0, 0, -1};
    c.radius = std::sqrt(r2);
    // Geometric: the distances to the circle, Gauss-Newton.
    Eigen::MatrixXd j(n, 3);
    Eigen::VectorXd e(n);
    for (int iteration = 0; iteration < 10; ++iteration) {
        for (Eigen::Index i = 0; i < n; ++i) {
            const double dx = xy[std::size_t(2 * i)] - c.cx, dy = xy[std::size_t(2 * i + 1)] - c.cy;
            const double d = std::hypot(dx, dy);
            if (d == 0) return {0, 0, -1};
            e(i) = d - c.radius;
            j.row(i) << -dx / d, -dy / d, -1;
        }
        const Eigen::Vector3d step = j.colPivHouseholderQr().solve(-e);
        c.cx += step(0), c.cy += step(1), c.radius += step(2);
        if (step.norm() < 1e-9 * (1 + c.radius)) break;
    }
    if (!(c.radius > 0) || !std::isfinite(c.cx) || !std::isfinite(c.cy)) return {0, 0, -1};
    return c;
}

DiskFit findDisk(const GreyPyramid& pyramid, const DiskOptions& options) {
    // The photo itself only through its size and its samples along the rim's rays.
    const GreyPyramid& photo = pyramid;
    if (photo.width() < options.minPhotoSize || photo.height() < options.minPhotoSize)
        throw PhotoError(PhotoFailure::Unusable, "the photo is " + std::to_string(photo.width()) + " x " +
                                                     std::to_string(photo.height()) + " pixels; at least " +
                                                     std::to_string(options.minPhotoSize) + " x " +
                                                     std::to_string(options.minPhotoSize) + " are needed");
    // The first guess on the photo halved.
    int halvings = 0;
    double factor = 1;
    while (std::max(pyramid.levelWidth(halvings), pyramid.levelHeight(halvings)) > kWorkingSize) {
        ++halvings;
        factor *= 2;
    }
    const GreyImage& work = pyramid.level(halvings);
    const GreyImage floor = backgroundFloor(work);
    std::vector<float> flat(work.pixels.size());
    for (std::size_t i = 0; i < flat.size(); ++i) flat[i] = work.pixels[i] - floor.pixels[i];
    const double threshold = otsuThreshold(flat);
    double lowMean = 0, highMean = 0;
    int lowCount = 0, highCount = 0;
    if (std::isfinite(threshold))
        for (float v : flat) {
            if (v > threshold) highMean += v, ++highCount;
            else lowMean += v, ++lowCount;
        }
    if (highCount == 0 || lowCount == 0 || highMean / highCount - lowMean / lowCount < 0.03)
        throw PhotoError(PhotoFailure::Unusable, "the photo is blank: it has no bright disk against a darker "
                                                 "background");
    const double contrast = highMean / highCount - lowMean / lowCount;

    std::vector<std::uint8_t> mask(flat.size());
    for (std::size_t i = 0; i < flat.size(); ++i) mask[i] = flat[i] > threshold;
    std::vector<int> sizes;
    const std::vector<int> label = labelRegions(mask, work.width, work.height, sizes);
    const int largest = *std::max_element(sizes.begin(), sizes.end());
    // Regions of a few pixels are noise, or a speck of light beside the mirror.
    const int keep = std::max(4, largest / 50);
    std::vector<double> points;
    for (int y = 0; y < work.height; ++y)
        for (int x = 0; x < work.width; ++x) {
            const int l = label[std::size_t(y * work.width + x)];
            if (l && sizes[std::size_t(l)] >= keep) points.insert(points.end(), {(x + 0.5) * factor, (y + 0.5) * factor});
        }
    const Circle guess = smallestEnclosingCircle(points);
    if (!(guess.radius >= options.minRadius))
        throw PhotoError(PhotoFailure::NoMirror, "no mirror found: the bright part of the photo is too small for a "
                                                 "mirror's disk");

    const Flattened image{photo, floor, factor};
    const double step = 0.5;
    std::vector<RimCrossing> rims(std::size_t(options.rays));
    std::vector<double> angles(std::size_t(options.rays));
    for (int k = 0; k < options.rays; ++k) {
        angles[std::size_t(k)] = 2 * std::numbers::pi * k / options.rays;
        rims[std::size_t(k)] = rimOnRay(image, guess.cx, guess.cy, angles[std::size_t(k)], guess.radius, step);
    }

    // Robust fit. The crossings on the rim lie on one circle; those that
    // end in a dark band lie inside it, scattered. Circles through three
    // crossings at a time find the one most crossings agree with (a fixed
    // sequence of draws, so the same photo gives the same disk); then the
    // fit through the crossings near it, the tolerance narrowing to about
    // the rim's own blur.
    // A ray whose bright level near the rim falls well short of the rays'
    // typical one ends in a band narrower than the blur, whose half-level
    // lies off the rim: it is left out.
    std::vector<float> contrasts;
    for (const RimCrossing& rim : rims)
        if (rim.found && rim.contrast >= 0.3 * contrast) contrasts.push_back(float(rim.contrast));
    const double typicalContrast = percentile(contrasts, 0.5);
    std::vector<float> foundWidths;
    std::vector<double> px, py;
    std::vector<std::size_t> usable;
    for (std::size_t k = 0; k < rims.size(); ++k) {
        if (!rims[k].found || rims[k].contrast < 0.3 * contrast || rims[k].contrast < 0.7 * typicalContrast) continue;
        foundWidths.push_back(float(rims[k].width));
        usable.push_back(k);
        px.push_back(guess.cx + rims[k].radius * std::cos(angles[k]));
        py.push_back(guess.cy + rims[k].radius * std::sin(angles[k]));
    }
    if (usable.size() < 8)
        throw PhotoError(PhotoFailure::NoMirror, "no mirror found: the bright part of the photo has no round rim");
    const double finalTolerance = std::max(1.0, 0.25 * percentile(foundWidths, 0.5));
    // A circle's support: crossings on it count by their closeness, and a
    // crossing well outside it counts against it, for nothing bright lies
    // beyond the rim.
    auto support = [&](const Circle& c) {
        double score = 0;
        for (std::size_t i = 0; i < px.size(); ++i) {
            const double d = (std::hypot(px[i] - c.cx, py[i] - c.cy) - c.radius) / finalTolerance;
            if (std::fabs(d) < 1) score += 1 - d * d;
            else if (d > 2) score -= 1;
        }
        return score;
    };
    Circle c = guess;
    double best = support(guess);
    std::mt19937 draws(2024);
    std::uniform_int_distribution<std::size_t> pick(0, px.size() - 1);
    for (int trial = 0; trial < 400; ++trial) {
        const std::size_t i = pick(draws), j = pick(draws), k = pick(draws);
        if (i == j || j == k || i == k) continue;
        const Circle t = circleOf3(px[i], py[i], px[j], py[j], px[k], py[k]);
        if (!(std::fabs(t.radius - guess.radius) < 0.2 * guess.radius) ||
            std::hypot(t.cx - guess.cx, t.cy - guess.cy) > 0.2 * guess.radius)
            continue;
        const double score = support(t);
        if (score > best) best = score, c = t;
    }
    std::vector<char> kept(rims.size(), 0);
    double tolerance = 2 * finalTolerance;
    for (int round = 0; round < 8; ++round) {
        std::vector<double> xy;
        std::fill(kept.begin(), kept.end(), 0);
        for (std::size_t i = 0; i < px.size(); ++i) {
            if (std::fabs(std::hypot(px[i] - c.cx, py[i] - c.cy) - c.radius) > tolerance) continue;
            kept[usable[i]] = 1;
            xy.insert(xy.end(), {px[i], py[i]});
        }
        const Circle next = fitCircle(xy);
        if (next.radius < 0) break;
        c = next;
        tolerance = std::max(finalTolerance, 0.7 * tolerance);
    }

    DiskFit fit;
    fit.cx = c.cx;
    fit.cy = c.cy;
    fit.radius = c.radius;
    fit.rays = options.rays;
    std::vector<float> widths;
    std::array<int, 12> sectors{};
    double sum = 0;
    for (std::size_t k = 0; k < rims.size(); ++k) {
        if (!kept[k]) continue;
        ++fit.raysUsed;
        const double x = guess.cx + rims[k].radius * std::cos(angles[k]);
        const double y = guess.cy + rims[k].radius * std::sin(angles[k]);
        const double d = std::hypot(x - c.cx, y - c.cy) - c.radius;
        sum += d * d;
        widths.push_back(float(rims[k].width));
        ++sectors[std::size_t(k * 12 / rims.size())];
    }
    // Dark bands may cover much of the rim, but the arcs kept must hold the
    // circle: in three or more of twelve sectors, with no gap between them
    // of more than half the circle.
    const int sectorsSeen = int(std::count_if(sectors.begin(), sectors.end(), [](int n) { return n > 0; }));
    int widestGap = 0;
    for (int start = 0; start < 12; ++start) {
        if (sectors[std::size_t(start)] == 0) continue;
        int gap = 0;
        while (gap < 12 && sectors[std::size_t((start + gap + 1) % 12)] == 0) ++gap;
        widestGap = std::max(widestGap, gap);
    }
    if (fit.raysUsed < std::max(24, options.rays / 10) || sectorsSeen < 3 || widestGap > 6 ||
        !(c.radius >= options.minRadius))
        throw PhotoError(PhotoFailure::NoMirror, "no mirror found: the bright part of the photo has no round rim");
    fit.rimRms = std::sqrt(sum / fit.raysUsed);
    fit.rimWidth = percentile(widths, 0.5);
    if (std::hypot(c.cx - guess.cx, c.cy - guess.cy) > 0.15 * guess.radius ||
        std::fabs(c.radius - guess.radius) > 0.15 * guess.radius)
        throw PhotoError(PhotoFailure::NoMirror, "no mirror found: the bright regions of the photo do not outline a "
                                                 "disk");
    // The whole mirror is in the photo: its rim may reach past the photo's
    // border by its blur, never more.
    const double reach = std::max(2.0, fit.rimWidth);
    if (!(c.cx - c.radius >= -reach && c.cy - c.radius >= -reach && c.cx + c.radius <= photo.width() + reach &&
          c.cy + c.radius <= photo.height() + reach))
        throw PhotoError(PhotoFailure::NoMirror,
                         "no mirror found: the disk found (centre " + boundedText(c.cx, 1) + ", " +
                             boundedText(c.cy, 1) + " px, radius " + boundedText(c.radius, 1) +
                             " px) runs outside the photo of " + std::to_string(photo.width()) + " x " +
                             std::to_string(photo.height()) + " pixels; the whole mirror must be in the photo");
    if (!(litInside(photo, c) > 0))
        throw PhotoError(PhotoFailure::NoMirror, "no mirror found: the disk found is darker than the ground around "
                                                 "it, which a lit mirror never is (is the picture inverted?)");
    return fit;
}

}  // namespace sg
