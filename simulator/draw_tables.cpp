// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/draw_tables.h"

#include <bit>
#include <cmath>

namespace sg {

namespace {
int pixelOf(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return DrawTables::kFault;
    return static_cast<int>(v);
}
}  // namespace

void DrawTables::prepare(double diameter) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(diameter);
    if (ready_ && bits == diameterBits_) return;
    pixelFault_ = false;
    for (int d = 0; d < kDraws; ++d) {
        const double u = (d / 10000.0 - 0.5) * diameter;
        coordinate_[static_cast<std::size_t>(d)] = u;
        pixelX_[static_cast<std::size_t>(d)] = pixelOf(2 * (275 * u / diameter + 205));
        pixelY_[static_cast<std::size_t>(d)] = pixelOf(550 * u / diameter + 300);
        pixelFault_ = pixelFault_ || pixelX_[static_cast<std::size_t>(d)] == kFault ||
                      pixelY_[static_cast<std::size_t>(d)] == kFault;
    }
    diameterBits_ = bits;
    ready_ = true;
}

}  // namespace sg
