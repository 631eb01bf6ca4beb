// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/number_text.h"
#include "tests/support/comma_locales.h"
#include "model/failure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace sg {
namespace {

struct ParseCase {
    const char* text;
    char separator;
    double expected;
};

class CellFloatAccepts : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CellFloatAccepts, ReadsTheNumber) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(parseCellFloat(c.text, c.separator), c.expected) << "text '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(Syntax, CellFloatAccepts,
    ::testing::Values(
        ParseCase{"200", '.', 200.0},
        ParseCase{"  -1  ", '.', -1.0},
        ParseCase{"+0.55", '.', 0.55},
        ParseCase{".5", '.', 0.5},
        ParseCase{"5.", '.', 5.0},
        ParseCase{"1E-7", '.', 1e-7},
        ParseCase{"2e2", '.', 200.0},
        ParseCase{"1.5e+3", '.', 1500.0},
        ParseCase{"0,55", ',', 0.55},
        ParseCase{"-1,25E1", ',', -12.5},
        ParseCase{"\t3\t", '.', 3.0}));

class CellFloatRejects : public ::testing::TestWithParam<const char*> {};

TEST_P(CellFloatRejects, ThrowsTheCellMessage) {
    const std::string text = GetParam();
    try {
        parseCellFloat(text, '.');
        FAIL() << "accepted '" << text << "'";
    } catch (const ActionError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + text + "' is not a valid floating point value");
    }
}

INSTANTIATE_TEST_SUITE_P(Syntax, CellFloatRejects,
    ::testing::Values("", "   ", "abc", "1.2.3", "1,5", "1e", "1e+", "e5", "--1", "+", ".", "1 2",
                      "0x10", "inf", "nan", "1e400", "12abc", "1'000"));

TEST(CellFloat, CommaLocaleRejectsThePoint) {
    EXPECT_THROW(parseCellFloat("0.55", ','), ActionError);
}

// The cells, files and command line read and write a point whatever the
// user's locale, also once the process has switched to it.
class CellNumbersInLocale : public ::testing::TestWithParam<const char*> {};

TEST_P(CellNumbersInLocale, APointAsEverywhere) {
    const char* name = GetParam();
    if (!testing::commaLocaleInstalled(name)) GTEST_SKIP() << "the locale " << name << " is not installed";
    testing::ScopedLocale locale(name);
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(parseCellFloat("0.5"), 0.5);
    EXPECT_EQ(parseCellFloat("-1.25E1"), -12.5);
    EXPECT_THROW(parseCellFloat("0,5"), ActionError);
    EXPECT_EQ(formatGeneral(0.55), "0.55");
    EXPECT_EQ(formatFixed(-1, 8, 4), "-1.0000");
}

INSTANTIATE_TEST_SUITE_P(CommaLocales, CellNumbersInLocale, ::testing::ValuesIn(testing::kCommaLocales));

TEST(CellInteger, ReadsAndRejects) {
    EXPECT_EQ(parseCellInteger("20"), 20);
    EXPECT_EQ(parseCellInteger(" -2 "), -2);
    EXPECT_EQ(parseCellInteger("+8"), 8);
    EXPECT_EQ(parseCellInteger("-2147483648"), -2147483648LL);
    for (const char* bad : {"", "1.5", "abc", "2147483648", "1e3", "-"}) {
        try {
            parseCellInteger(bad);
            FAIL() << "accepted '" << bad << "'";
        } catch (const ActionError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

struct FormatCase {
    double value;
    const char* expected;
};

class GeneralFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GeneralFormat, WritesShortestText) {
    EXPECT_EQ(formatGeneral(GetParam().value, '.'), GetParam().expected) << "value " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Table, GeneralFormat,
    ::testing::Values(
        FormatCase{200, "200"}, FormatCase{-1, "-1"}, FormatCase{0.55, "0.55"}, FormatCase{1e-7, "1E-7"},
        FormatCase{1e20, "1E20"}, FormatCase{1.23456789012346e17, "1.23456789012346E17"},
        FormatCase{0, "0"}, FormatCase{-0.0, "0"}, FormatCase{0.00001, "0.00001"},
        FormatCase{0.000001, "1E-6"}, FormatCase{-0.5, "-0.5"}, FormatCase{1e14, "100000000000000"},
        FormatCase{1e15, "1E15"}, FormatCase{0.1 + 0.2, "0.3"}, FormatCase{2.5e-10, "2.5E-10"},
        FormatCase{123456.789, "123456.789"}, FormatCase{1.0 / 3, "0.333333333333333"},
        FormatCase{999999999999999.9, "1E15"}, FormatCase{21.8, "21.8"}));

// Whatever the writer puts into a cell must read back, the largest doubles
// included, whose rounding to 15 digits would pass the largest double.
TEST(GeneralFormat, EveryWrittenTextReadsBack) {
    const double max = std::numeric_limits<double>::max();
    EXPECT_EQ(formatGeneral(max, '.'), "1.79769313486231E308");
    EXPECT_EQ(formatGeneral(-max, '.'), "-1.79769313486231E308");
    EXPECT_EQ(formatGeneral(1.797693134862315e308, '.'), "1.79769313486231E308");
    EXPECT_EQ(formatGeneral(1.79769313486231e308, '.'), "1.79769313486231E308");
    EXPECT_EQ(formatGeneral(1.7976931348623e308, '.'), "1.7976931348623E308");
    EXPECT_EQ(formatGeneral(9.99999999999999e307, '.'), "9.99999999999999E307");
    for (double v : {max, std::nextafter(max, 0.0), 1.797693134862315e308, -max, 4.9406564584124654e-324,
                     2.2250738585072014e-308, 1e-310, 9.999999999999999e22, 0.1, -1.0 / 3}) {
        double back = 0;
        EXPECT_TRUE(tryParseCellFloat(formatGeneral(v, '.'), '.', back)) << formatGeneral(v, '.');
        EXPECT_EQ(formatGeneral(back, '.'), formatGeneral(v, '.'));
    }
}

TEST(GeneralFormatLocale, UsesTheSeparator) {
    EXPECT_EQ(formatGeneral(0.55, ','), "0,55");
    EXPECT_EQ(formatGeneral(1.5e-7, ','), "1,5E-7");
}

struct FixedCase {
    double value;
    int precision, decimals;
    const char* expected;
};

class FixedFormat : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedFormat, WritesDecimals) {
    const FixedCase& c = GetParam();
    EXPECT_EQ(formatFixed(c.value, c.precision, c.decimals, '.'), c.expected) << "value " << c.value;
}

INSTANTIATE_TEST_SUITE_P(Table, FixedFormat,
    ::testing::Values(
        FixedCase{-2.8409090909, 7, 3, "-2.841"}, FixedCase{5, 7, 3, "5.000"}, FixedCase{0, 7, 3, "0.000"},
        FixedCase{1, 7, 3, "1.000"}, FixedCase{-0.5, 7, 3, "-0.500"}, FixedCase{-0.0001, 7, 3, "0.000"},
        FixedCase{0.0625, 7, 3, "0.063"}, FixedCase{23.9996, 7, 3, "24.000"},
        FixedCase{1234567.891, 7, 3, "1234568.000"}, FixedCase{12345678.9, 7, 3, "1.234568E7"},
        FixedCase{2000, 10, 5, "2000.00000"}, FixedCase{-1, 8, 4, "-1.0000"},
        FixedCase{0.21298, 10, 5, "0.21298"}, FixedCase{-100, 10, 7, "-100.0000000"},
        FixedCase{1e-12, 10, 7, "0.0000000"}));

}  // namespace
}  // namespace sg
