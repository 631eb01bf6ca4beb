// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/wavefront_figures.h"

#include "model/failure.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace sg {

namespace {

void checkRings(std::span<const double> edge, std::span<const double> value) {
    if (edge.size() != value.size()) throw std::out_of_range("ring figures: one value per edge");
}

double ringValue(std::span<const double> value, std::size_t k) { return (value[k] + value[k + 1]) / 2; }

}  // namespace

double strehlRatio(double rmsWaves) {
    const double phase = 2 * std::numbers::pi * rmsWaves;
    return std::exp(-phase * phase);
}

double ringArea(double r0, double r1) {
    constexpr double kPi = std::numbers::pi;
    return kPi * r1 * r1 - kPi * r0 * r0;
}

double ringAreaSum(std::span<const double> edge, std::span<const double> value) {
    checkRings(edge, value);
    double sum = 0;
    for (std::size_t k = 0; k + 1 < edge.size(); ++k) sum += ringArea(edge[k], edge[k + 1]) * ringValue(value, k);
    return sum;
}

double ringSquareSum(std::span<const double> edge, std::span<const double> value, double level) {
    checkRings(edge, value);
    double sum = 0;
    for (std::size_t k = 0; k + 1 < edge.size(); ++k) {
        const double e = level - ringValue(value, k);
        sum += e * e * ringArea(edge[k], edge[k + 1]);
    }
    return sum;
}

double ringRms(std::span<const double> edge, std::span<const double> value, double level, double discArea) {
    return std::sqrt(fdiv(ringSquareSum(edge, value, level), discArea));
}

}  // namespace sg
