// SPDX-License-Identifier: GPL-3.0-or-later
#include "surface_profile.h"

#include "failure.h"

#include <algorithm>
#include <stdexcept>

namespace sg {

void resampleDeviation(MirrorModel& m) {
    const int n = m.editorSampleCount;
    const std::int64_t e = roundHalfEven((n - 64) / 2.0);  // centre offset from the left edge sample 32
    for (int i = 0; i < kProfileSamples; ++i) {
        const std::int64_t index = 32 + e - roundHalfEven(static_cast<double>(i * e) / 275);
        if (index < 0 || index >= kDeviationSlots) throwInvalidOperation();
        m.zoneDeviation[i] = m.editorProfile[static_cast<std::size_t>(index)];
    }
    const auto [lo, hi] = std::minmax_element(m.zoneDeviation.begin(), m.zoneDeviation.end());
    double pv = *hi - *lo;
    if (pv == 0) pv = 1e-5;
    const double f = m.invertDeviation ? -20.0 : 20.0;
    for (double& z : m.zoneDeviation) z = fdiv(z * f, pv);
}

void computeHeightCurve(MirrorModel& m) {
    if (!m.useDistortedSurface) {
        m.heightCurve.fill(0.0);
        return;
    }
    for (int i = 0; i < kProfileSamples - 1; ++i) m.heightCurve[i] = m.zoneDeviation[i] * m.zoneHeight / 10;
    m.heightCurve[kProfileSamples - 1] = m.heightCurve[kProfileSamples - 2];
}

void computeSlopeDeviation(MirrorModel& m) {
    auto& sd = m.slopeDeviation;
    const auto& h = m.heightCurve;
    const double dr = m.mirrorDiameter / 2 / 275;
    sd[0] = 0;
    for (int i = 1; i <= 274; ++i) sd[i] = -fdiv(h[i + 1] - h[i], dr);
    sd[275] = sd[274];
    if (m.zoneHeight < 0)
        for (int i = 1; i <= 275; ++i) sd[i] = -sd[i];
    for (int pass = 0; pass < 10; ++pass) {
        sd[274] = sd[272];
        sd[275] = sd[272];
        smoothSlope(m, 2);
    }
}

void smoothSlope(MirrorModel& m, int n) {
    if (n < 0 || n > 50) throw std::invalid_argument("smoothSlope: half-width out of 0..50");
    auto& sd = m.slopeDeviation;
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
