// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/surface_profile.h"

#include "model/failure.h"

#include <algorithm>
#include <stdexcept>

namespace sg {

void resampleDeviation(SurfaceProfiles& p, const EditorShape& shape, bool invertDeviation) {
    const int n = shape.sampleCount;
    const std::int64_t e = roundHalfEven((n - 64) / 2.0);  // centre offset from the left edge sample 32
    for (int i = 0; i < kProfileSamples; ++i) {
        const std::int64_t index = 32 + e - roundHalfEven(static_cast<double>(i * e) / 275);
        if (index < 0 || index >= kDeviationSlots) throwInvalidOperation();
        p.zoneDeviation[i] = shape.profile[static_cast<std::size_t>(index)];
    }
    const auto [lo, hi] = std::minmax_element(p.zoneDeviation.begin(), p.zoneDeviation.end());
    double pv = *hi - *lo;
    if (pv == 0) pv = 1e-5;
    const double f = invertDeviation ? -20.0 : 20.0;
    for (double& z : p.zoneDeviation) z = fdiv(z * f, pv);
}

void computeHeightCurve(SurfaceProfiles& p, const Mirror& mirror) {
    if (!mirror.distorted()) {
        p.heightCurve.fill(0.0);
        return;
    }
    for (int i = 0; i < kProfileSamples - 1; ++i) p.heightCurve[i] = p.zoneDeviation[i] * mirror.zoneHeight / 10;
    p.heightCurve[kProfileSamples - 1] = p.heightCurve[kProfileSamples - 2];
}

void computeSlopeDeviation(SurfaceProfiles& p, const Mirror& mirror) {
    auto& sd = p.slopeDeviation;
    const auto& h = p.heightCurve;
    const double dr = mirror.mirrorDiameter / 2 / 275;
    sd[0] = 0;
    for (int i = 1; i <= 274; ++i) sd[i] = -fdiv(h[i + 1] - h[i], dr);
    sd[275] = sd[274];
    if (mirror.zoneHeight < 0)
        for (int i = 1; i <= 275; ++i) sd[i] = -sd[i];
    for (int pass = 0; pass < 10; ++pass) {
        sd[274] = sd[272];
        sd[275] = sd[272];
        smoothSlope(p, 2);
    }
}

void smoothSlope(SurfaceProfiles& p, int n) {
    if (n < 0 || n > 50) throw std::invalid_argument("smoothSlope: half-width out of 0..50");
    auto& sd = p.slopeDeviation;
    constexpr int kOffset = 50;  // e[-50..325] stored at 0..375
    std::array<double, 376> e{};
    for (int q = 1; q <= 50; ++q) e[kOffset - q] = sd[q];
    e[kOffset] = 0;
    for (int i = 1; i <= 275; ++i) e[kOffset + i] = sd[i];
    const double tail = (sd[274] + sd[275]) / 2;
    for (int i = 276; i <= 325; ++i) e[kOffset + i] = tail;
    for (int i = 1; i <= 275; ++i) {
        double sum = 0;
        for (int k = -n; k <= n; ++k) sum += e[kOffset + i + k];
        sd[i] = sum / (2 * n + 1);
    }
}

}  // namespace sg
