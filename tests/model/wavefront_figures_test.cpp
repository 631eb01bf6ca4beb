// SPDX-License-Identifier: GPL-3.0-or-later
// The Strehl ratio and the ring figures on cases worked by hand.
#include "model/failure.h"
#include "model/wavefront_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace sg {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(WavefrontFigures, StrehlRatioOfAnRms) {
    EXPECT_EQ(strehlRatio(0), 1.0);
    // A quarter-wave peak-to-valley of spherical aberration: about 1/13.4 wave RMS, Strehl 0.8.
    EXPECT_NEAR(strehlRatio(1 / 13.4), 0.8027, 1e-4);
    EXPECT_EQ(strehlRatio(-0.05), strehlRatio(0.05));
    EXPECT_LT(strehlRatio(0.2), strehlRatio(0.1));
    EXPECT_EQ(strehlRatio(20), 0.0);
}

TEST(WavefrontFigures, RingsCountByTheirAreas) {
    // Two rings: 0..1 (area pi) at (1 + 3) / 2 = 2 and 1..2 (area 3 pi) at (3 + 5) / 2 = 4.
    const std::vector<double> edge = {0, 1, 2}, value = {1, 3, 5};
    EXPECT_DOUBLE_EQ(ringArea(1, 2), 3 * kPi);
    EXPECT_DOUBLE_EQ(ringAreaSum(edge, value), 2 * kPi + 4 * 3 * kPi);
    EXPECT_DOUBLE_EQ(ringSquareSum(edge, value, 0), 4 * kPi + 16 * 3 * kPi);
    // About the area-weighted mean 3.5: 1.5^2 pi + 0.5^2 3 pi = 3 pi over a disc of 4 pi.
    EXPECT_DOUBLE_EQ(ringSquareSum(edge, value, 3.5), 3 * kPi);
    EXPECT_DOUBLE_EQ(ringRms(edge, value, 3.5, 4 * kPi), std::sqrt(0.75));

    // One edge is no ring; mismatched spans and an empty disc are refused.
    EXPECT_EQ(ringAreaSum(std::vector<double>{1}, std::vector<double>{7}), 0.0);
    EXPECT_THROW(ringSquareSum(edge, std::vector<double>{1, 2}, 0), std::out_of_range);
    EXPECT_THROW(ringRms(edge, value, 0, 0), ActionError);
}

}  // namespace
}  // namespace sg
