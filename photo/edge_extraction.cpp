// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/edge_extraction.h"

#include "photo/whole_number.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>

namespace sg {

namespace {

// One scan line's samples within the disk, at pixel centres.
struct Line {
    int index = 0;             // the row (upright bands) or column
    int first = 0;             // pixel index along the line of values[0]
    std::vector<float> values;
};

// The value of the frame at (position along the line, line index).
float frameValue(const GreyImage& frame, BandAxis axis, int position, int line) {
    if (axis == BandAxis::Vertical) return frame.at(position, line);
    return frame.at(line, position);
}

int lineCount(BandAxis axis) { return axis == BandAxis::Vertical ? kPictureHeight : kPictureWidth; }
int lineLength(BandAxis axis) { return axis == BandAxis::Vertical ? kPictureWidth : kPictureHeight; }
double acrossCentre(BandAxis axis) { return axis == BandAxis::Vertical ? kDiskCentreX : kDiskCentreY; }
double alongCentre(BandAxis axis) { return axis == BandAxis::Vertical ? kDiskCentreY : kDiskCentreX; }

// The runs of the scan line inside the disk where the frame has values.
std::vector<Line> linePieces(const GreyImage& frame, BandAxis axis, int index, double maxRadius) {
    std::vector<Line> pieces;
    const double along = index + 0.5 - alongCentre(axis);
    const double r = maxRadius * kDiskRadius;
    if (std::fabs(along) >= r) return pieces;
    const double half = std::sqrt(r * r - along * along);
    const int from = wholeClamped(std::ceil(acrossCentre(axis) - half - 0.5), 0, lineLength(axis), lineLength(axis));
    const int to = wholeClamped(std::floor(acrossCentre(axis) + half - 0.5), -1, lineLength(axis) - 1, -1);
    Line piece;
    piece.index = index;
    for (int p = from; p <= to; ++p) {
        const float v = frameValue(frame, axis, p, index);
        if (std::isnan(v)) {
            if (piece.values.size() >= 8) pieces.push_back(piece);
            piece.values.clear();
            continue;
        }
        if (piece.values.empty()) piece.first = p;
        piece.values.push_back(v);
    }
    if (piece.values.size() >= 8) pieces.push_back(piece);
    return pieces;
}

// The running maximum (or minimum) over a window of `width` samples centred
// on each sample, in one pass with a queue of candidates.
std::vector<float> runningExtreme(const std::vector<float>& v, int width, bool maximum) {
    const int n = int(v.size()), half = width / 2;
    std::vector<float> out(v.size());
    std::deque<int> q;
    auto better = [&](float a, float b) { return maximum ? a >= b : a <= b; };
    int next = 0;
    for (int i = 0; i < n; ++i) {
        for (; next < n && next <= i + half; ++next) {
            while (!q.empty() && better(v[std::size_t(next)], v[std::size_t(q.back())])) q.pop_back();
            q.push_back(next);
        }
        while (q.front() < i - half) q.pop_front();
        out[std::size_t(i)] = v[std::size_t(q.front())];
    }
    return out;
}

// A moving average over `width` samples (shorter at the ends).
std::vector<float> boxSmooth(const std::vector<float>& v, int width) {
    const int n = int(v.size()), half = std::max(0, width / 2);
    std::vector<double> sum(v.size() + 1, 0);
    for (int i = 0; i < n; ++i) sum[std::size_t(i + 1)] = sum[std::size_t(i)] + v[std::size_t(i)];
    std::vector<float> out(v.size());
    for (int i = 0; i < n; ++i) {
        const int a = std::max(0, i - half), b = std::min(n, i + half + 1);
        out[std::size_t(i)] = float((sum[std::size_t(b)] - sum[std::size_t(a)]) / (b - a));
    }
    return out;
}

float median(std::vector<float> v) {
    if (v.empty()) return 0;
    const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

}  // namespace

double typicalBandWidth(const GreyImage& frame, BandAxis axis, const EdgeOptions& options) {
    std::vector<Line> lines;
    std::vector<float> all;
    for (int index = 0; index < lineCount(axis); index += options.lineStep)
        for (Line& piece : linePieces(frame, axis, index, options.maxRadius)) {
            all.insert(all.end(), piece.values.begin(), piece.values.end());
            lines.push_back(std::move(piece));
        }
    if (all.empty()) return 0;
    std::sort(all.begin(), all.end());
    const float dark = all[all.size() * 5 / 100], bright = all[all.size() * 95 / 100];
    const float level = 0.5f * (dark + bright), margin = 0.2f * (bright - dark);
    // Crossings of the middle level, counted once the brightness is well
    // past it: noise in a wide dark or bright region counts none.
    double length = 0;
    int crossings = 0;
    for (const Line& line : lines) {
        const std::vector<float> v = boxSmooth(line.values, 3);
        length += double(v.size());
        int state = 0;
        for (const float x : v) {
            const int now = x > level + margin ? 1 : x < level - margin ? -1 : 0;
            if (now != 0 && state != 0 && now != state) ++crossings;
            if (now != 0) state = now;
        }
    }
    return crossings > 0 ? length / crossings : 2 * kDiskRadius;
}

std::vector<BandEdge> extractEdges(const GreyImage& frame, BandAxis axis, const EdgeOptions& options) {
    const double band = typicalBandWidth(frame, axis, options);
    if (!(band > 0)) return {};
    // The disk's own contrast: within a dark or bright region wider than
    // the envelope's window the local contrast is noise, never an edge.
    std::vector<float> values;
    for (int index = 0; index < lineCount(axis); index += options.lineStep)
        for (const Line& piece : linePieces(frame, axis, index, options.maxRadius))
            values.insert(values.end(), piece.values.begin(), piece.values.end());
    std::sort(values.begin(), values.end());
    const float diskContrast = values.empty() ? 0 : values[values.size() * 95 / 100] - values[values.size() * 5 / 100];
    // The envelope must span a bright and a dark band wherever it stands.
    const int window = wholeClamped(2.5 * band, 10, 400, 10);
    const double maxTangent = std::tan(options.maxGrazingDeg * std::numbers::pi / 180);

    std::vector<BandEdge> edges;
    for (int index = 0; index < lineCount(axis); index += options.lineStep) {
        for (const Line& piece : linePieces(frame, axis, index, options.maxRadius)) {
            const std::vector<float> v = boxSmooth(piece.values, 3);
            const std::vector<float> upper = boxSmooth(runningExtreme(v, window, true), window);
            const std::vector<float> lower = boxSmooth(runningExtreme(v, window, false), window);
            const int n = int(v.size());
            std::vector<float> d(v.size());
            for (int i = 0; i < n; ++i)
                d[std::size_t(i)] = v[std::size_t(i)] - 0.5f * (upper[std::size_t(i)] + lower[std::size_t(i)]);
            // Hysteresis: a band is entered once the brightness is well past
            // half-way, and the edge is the last half-way crossing before.
            int state = 0;  // +1 bright, -1 dark, 0 not yet known
            int lastCross = -1;
            for (int i = 0; i + 1 < n; ++i) {
                if ((d[std::size_t(i)] <= 0) != (d[std::size_t(i + 1)] <= 0)) lastCross = i;
                const float amplitude =
                    std::max(upper[std::size_t(i + 1)] - lower[std::size_t(i + 1)], 0.5f * diskContrast);
                const float threshold = 0.15f * amplitude;
                const float next = d[std::size_t(i + 1)];
                int entered = 0;
                if (state <= 0 && next > threshold) entered = 1;
                if (state >= 0 && next < -threshold) entered = -1;
                if (entered == 0) continue;
                const int before = state;
                state = entered;
                if (before == 0 || lastCross < 1 || lastCross + 2 >= n) continue;
                const int k = lastCross;
                const float a = d[std::size_t(k)], b = d[std::size_t(k + 1)];
                const double position = piece.first + k + 0.5 + a / (a - b);
                const float contrast = upper[std::size_t(k)] - lower[std::size_t(k)];
                // The gradient across the line against the one along it.
                const int p = piece.first + k + (std::fabs(a) > std::fabs(b) ? 1 : 0);
                const float gAcross = b - a;
                const int lo = std::max(0, index - 1), hi = std::min(lineCount(axis) - 1, index + 1);
                const float gAlong = (frameValue(frame, axis, p, hi) - frameValue(frame, axis, p, lo)) / float(hi - lo);
                if (std::isnan(gAlong) || std::fabs(gAlong) > maxTangent * std::fabs(gAcross)) continue;
                BandEdge e;
                if (axis == BandAxis::Vertical) {
                    e.x = position;
                    e.y = index + 0.5;
                } else {
                    e.x = index + 0.5;
                    e.y = position;
                }
                e.brightSide = entered;
                e.line = index;
                e.contrast = contrast;
                edges.push_back(e);
            }
        }
    }
    std::vector<float> contrasts;
    for (const BandEdge& e : edges) contrasts.push_back(e.contrast);
    const float typical = std::max(median(contrasts), 0.5f * diskContrast);
    std::erase_if(edges, [&](const BandEdge& e) { return e.contrast < options.minContrast * typical; });
    return edges;
}

}  // namespace sg
