// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mirror coordinate and the pixel of each of the generator's 10,000 draw
// values for one mirror diameter. A pass looks them up instead of dividing
// twice per coordinate; the values are computed with the same operations,
// so they have the same bits as the direct formulas.

#include <array>
#include <climits>
#include <cstdint>

namespace sg {

class DrawTables {
public:
    static constexpr int kDraws = 10000;
    static constexpr int kFault = INT_MIN;  // the pixel conversion is an invalid operation

    // Rebuilds the tables when the diameter differs from the last one. Only
    // for a finite, non-zero diameter.
    void prepare(double diameter);

    // (draw / 10000 - 0.5) * D
    double coordinate(int draw) const { return coordinate_[static_cast<std::size_t>(draw)]; }
    // trunc(2 * (275 * u / D + 205)), or kFault
    int pixelX(int draw) const { return pixelX_[static_cast<std::size_t>(draw)]; }
    // trunc(550 * v / D + 300), or kFault
    int pixelY(int draw) const { return pixelY_[static_cast<std::size_t>(draw)]; }
    // All coordinates, indexed by draw.
    const double* coordinates() const { return coordinate_.data(); }
    // Some draw's pixel is kFault (only for absurd diameters).
    bool hasPixelFault() const { return pixelFault_; }

private:
    std::uint64_t diameterBits_ = 0;
    bool ready_ = false;
    bool pixelFault_ = false;
    std::array<double, kDraws> coordinate_{};
    std::array<int, kDraws> pixelX_{};
    std::array<int, kDraws> pixelY_{};
};

}  // namespace sg
