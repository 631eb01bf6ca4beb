// SPDX-License-Identifier: GPL-3.0-or-later
// Laying a photo onto the frame: any grey picture (the first two bytes give
// its size, 64 to 319 pixels each way; the rest its pixels, repeated as
// needed) is refused with a PhotoError or aligned to a disk inside the
// photo (its rim within its blur of the border), with a frame of 800 x 700
// and band edges on it.
#include "photo/edge_extraction.h"
#include "fuzz/fuzz_check.h"
#include "photo/photo_alignment.h"
#include "photo/photo_error.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int width = 64 + data[0], height = 64 + data[1];
    std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height));
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = data[2 + i % (size - 2)];
    const sg::PhotoView view{pixels.data(), width, height, width, sg::PixelFormat::Grey8};
    try {
        const sg::PhotoAlignment a = sg::alignPhoto(view);
        FUZZ_CHECK(std::isfinite(a.disk.cx) && std::isfinite(a.disk.cy) && std::isfinite(a.disk.radius));
        FUZZ_CHECK(a.disk.radius > 0 && a.disk.radius < 2 * (width + height));
        // The whole disk in the photo, within its rim's blur.
        const double reach = std::max(2.0, a.disk.rimWidth);
        FUZZ_CHECK(a.disk.cx - a.disk.radius >= -reach && a.disk.cx + a.disk.radius <= width + reach);
        FUZZ_CHECK(a.disk.cy - a.disk.radius >= -reach && a.disk.cy + a.disk.radius <= height + reach);
        FUZZ_CHECK(a.direction.normalDeg > -90 && a.direction.normalDeg <= 90);
        FUZZ_CHECK(a.frame.width == 800 && a.frame.height == 700);
        for (const sg::BandEdge& e : sg::extractEdges(a.frame, a.mapping.bands)) {
            FUZZ_CHECK(e.x >= 0 && e.x <= 800 && e.y >= 0 && e.y <= 700);
            FUZZ_CHECK(e.brightSide == 1 || e.brightSide == -1);
        }
    } catch (const sg::PhotoError&) {
    }
    return 0;
}
