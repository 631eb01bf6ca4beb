// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/wavefront.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sg {

namespace {

// Three-point Gauss-Legendre on [-1, 1]: exact for polynomials up to degree 5.
constexpr std::array<double, 3> kNodes = {-0.7745966692414833770, 0.0, 0.7745966692414833770};
constexpr std::array<double, 3> kWeights = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};

}  // namespace

std::vector<QuadraturePoint> quadraturePoints(std::span<const double> u, double uInner, double uOuter) {
    std::vector<double> edges{uInner};
    for (const double x : u)
        if (x > uInner && x < uOuter) edges.push_back(x);
    edges.push_back(uOuter);
    std::vector<QuadraturePoint> points;
    points.reserve(3 * (edges.size() - 1));
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const double half = (edges[i + 1] - edges[i]) / 2, middle = (edges[i + 1] + edges[i]) / 2;
        for (std::size_t k = 0; k < 3; ++k) points.push_back({middle + half * kNodes[k], half * kWeights[k]});
    }
    return points;
}

Wavefront::Wavefront(std::span<const double> u, std::span<const double> delta, double radius, double uInner,
                     double uOuter)
    : scale_(-1 / (radius * radius)) {
    const std::size_t n = u.size();
    // One line per pair of consecutive zones; the first begins at the
    // centre, each other at its first zone.
    for (std::size_t j = 0; j + 1 < n; ++j) {
        start_.push_back(j == 0 ? 0.0 : u[j]);
        anchor_.push_back(u[j]);
        delta_.push_back(delta[j]);
        slope_.push_back((delta[j + 1] - delta[j]) / (u[j + 1] - u[j]));
    }
    w_.assign(start_.size(), 0.0);
    for (std::size_t j = 0; j + 1 < start_.size(); ++j) {
        const double a = start_[j] - anchor_[j], b = start_[j + 1] - anchor_[j];
        w_[j + 1] = w_[j] + scale_ * (delta_[j] * (b - a) + slope_[j] * ((b - a) * (b + a)) / 2);
    }

    const std::vector<QuadraturePoint> points = quadraturePoints(u, uInner, uOuter);
    const double length = uOuter - uInner;
    double sum = 0;
    for (const QuadraturePoint& p : points) sum += p.weight * at(p.u);
    mean_ = sum / length;
    double squares = 0;
    for (const QuadraturePoint& p : points) {
        const double e = at(p.u) - mean_;
        squares += p.weight * e * e;
    }
    variance_ = squares / length;

    // The extremes of a piecewise quadratic: the ends, the joins and the
    // zeros of its derivative, delta.
    std::vector<double> candidates{uInner, uOuter};
    for (const double x : u)
        if (x > uInner && x < uOuter) candidates.push_back(x);
    for (std::size_t j = 0; j < start_.size(); ++j) {
        if (slope_[j] == 0) continue;
        const double zero = anchor_[j] - delta_[j] / slope_[j];
        const double from = std::max(start_[j], uInner);
        const double to = j + 1 < start_.size() ? std::min(start_[j + 1], uOuter) : uOuter;
        if (zero > from && zero < to) candidates.push_back(zero);
    }
    double low = at(candidates.front()), high = low;
    for (const double c : candidates) {
        const double w = at(c);
        low = std::min(low, w);
        high = std::max(high, w);
    }
    peakToValley_ = high - low;
}

std::size_t Wavefront::pieceAt(double u) const {
    // The last piece that starts at or before u.
    const auto it = std::upper_bound(start_.begin() + 1, start_.end(), u);
    return static_cast<std::size_t>(it - start_.begin()) - 1;
}

double Wavefront::at(double u) const {
    const std::size_t j = pieceAt(u);
    const double a = start_[j] - anchor_[j], b = u - anchor_[j];
    return w_[j] + scale_ * (delta_[j] * (b - a) + slope_[j] * ((b - a) * (b + a)) / 2);
}

Wavefront::Pieces Wavefront::pieces() const {
    // With a = start - anchor and t = u - start, b - a = t and
    // (b - a)(b + a) = t (t + 2a) in at().
    Pieces p;
    for (std::size_t j = 0; j < start_.size(); ++j) {
        const double a = start_[j] - anchor_[j];
        p.start.push_back(start_[j]);
        p.c0.push_back(w_[j]);
        p.c1.push_back(scale_ * (delta_[j] + slope_[j] * a));
        p.c2.push_back(scale_ * slope_[j] / 2);
    }
    return p;
}

double Wavefront::deltaAt(double u) const {
    const std::size_t j = pieceAt(u);
    return delta_[j] + slope_[j] * (u - anchor_[j]);
}

}  // namespace sg
