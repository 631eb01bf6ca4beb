// SPDX-License-Identifier: GPL-3.0-or-later
#include "wave/device_mask.h"

#include <algorithm>
#include <cmath>

namespace sg::wave {

namespace {

// The measure of {z' in [0, z]: int(|z'| + 1/2) odd}, signed like z (the
// set is symmetric about 0). With a = |z| + 1/2 the odd bands are the
// a in [2j + 1, 2j + 2): j whole pairs, then the part of the last pair.
double oddBandMeasure(double z) {
    const double a = std::fabs(z) + 0.5;
    const double pairs = std::floor(a / 2);
    const double measure = pairs + std::clamp(a - 2 * pairs - 1, 0.0, 1.0);
    return z < 0 ? -measure : measure;
}

// The length of [lo, hi] inside [a, b].
double overlap(double lo, double hi, double a, double b) { return std::max(0.0, std::min(hi, b) - std::max(lo, a)); }

}  // namespace

double passedShare(const DeviceLine& d, double z1, double width) {
    const double z2 = z1 + width;
    double lit = 0;
    switch (d.kind) {
    case DeviceKind::Grating: {
        const double odd = std::clamp((oddBandMeasure(z2) - oddBandMeasure(z1)) / width, 0.0, 1.0);
        lit = d.brightCentre ? 1 - odd : odd;
        break;
    }
    case DeviceKind::Wire:
        lit = 1 - std::min(1.0, overlap(z1, z2, -1.5, 1.5) / width);
        break;
    case DeviceKind::Knife:
        lit = std::clamp(-z1 / width, 0.0, 1.0);
        break;
    }
    return d.complement ? 1 - lit : lit;
}

void sampleTransmission(const DeviceLine& d, double dq, double shift, std::size_t n, double* t) {
    const double width = dq / d.bandWidth;
    const std::size_t half = (n + 1) / 2;
    for (std::size_t m = 0; m < n; ++m) {
        const double index = m < half ? static_cast<double>(m) : static_cast<double>(m) - static_cast<double>(n);
        // The sample's interval in the rule's frame, P = -q, from its low end.
        const double low = -(index * dq) - dq / 2;
        t[m] = passedShare(d, (low + shift) / d.bandWidth + d.offset, width);
    }
}

}  // namespace sg::wave
