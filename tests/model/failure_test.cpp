// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/failure.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace sg {
namespace {

std::string messageOf(auto&& f) {
    try {
        f();
    } catch (const ActionError& e) {
        return e.what();
    }
    return "";
}

TEST(Failure, DivisionFollowsTheFloatingPointUnit) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(fdiv(1, 4), 0.25);
    EXPECT_EQ(messageOf([] { fdiv(1, 0); }), "Floating point division by zero");
    EXPECT_EQ(messageOf([] { fdiv(-3, -0.0); }), "Floating point division by zero");
    EXPECT_EQ(messageOf([] { fdiv(0, 0); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([&] { fdiv(nan, 2); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([&] { fdiv(2, nan); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([&] { fdiv(inf, inf); }), "Invalid floating point operation");
    EXPECT_EQ(fdiv(1, inf), 0);
}

TEST(Failure, ConversionsToIntegersNeverReachUndefinedBehaviour) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf, 1e19, -1e19}) {
        EXPECT_EQ(messageOf([&] { truncToInt64(bad); }), "Invalid floating point operation") << bad;
        EXPECT_EQ(messageOf([&] { roundHalfEven(bad); }), "Invalid floating point operation") << bad;
    }
    EXPECT_EQ(messageOf([] { truncToInt(3e9); }), "Invalid floating point operation");
    EXPECT_EQ(messageOf([] { roundToInt(-3e9); }), "Invalid floating point operation");
    EXPECT_EQ(truncToInt64(-2.7), -2);
    EXPECT_EQ(truncToInt(608.55), 608);
}

TEST(Failure, RoundingTakesHalvesToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(2.5000001), 3);
    EXPECT_EQ(roundToInt(-20.4), -20);
}

TEST(Failure, CellMessagesQuoteTheText) {
    EXPECT_EQ(messageOf([] { throwInvalidFloat(" 1x "); }), "' 1x ' is not a valid floating point value");
    EXPECT_EQ(messageOf([] { throwInvalidInteger(""); }), "'' is not a valid integer value");
}

}  // namespace
}  // namespace sg
