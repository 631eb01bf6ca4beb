// SPDX-License-Identifier: GPL-3.0-or-later
// The report layouts of numbers against printf's, exact decimals, the
// bounded fallback of a fixed form too long to write, and the JSON writer.
#include "model/json_writer.h"
#include "model/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>

namespace sg {
namespace {

// printf's layout in the C locale (the test never changes its locale).
std::string cFormat(const char* format, double v) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, v);
    return buffer;
}

TEST(NumberText, FixedLayoutIsPrintfsWithoutANegativeZero) {
    const double values[] = {0.0, 1.0, -1.0, 0.125, 0.375, 2.5, -2.5, 1998.7492, 1e-9, 123456.789, 0.049999999,
                             0.0005, 0.00050000001, 0.3125, 2.675, -0.00004, -0.00005, -0.0006, 1.0 / 3};
    for (const double v : values) {
        for (int decimals = 0; decimals <= 5; ++decimals) {
            std::string expected = cFormat(("%." + std::to_string(decimals) + "f").c_str(), v);
            EXPECT_EQ(fixedText(v, decimals, ZeroSign::Keep), expected) << v << " at " << decimals;
            if (expected.front() == '-' && expected.find_first_of("123456789") == std::string::npos)
                expected.erase(0, 1);
            EXPECT_EQ(fixedText(v, decimals), expected) << v << " at " << decimals;
        }
        EXPECT_EQ(fixedText(v, 3, 9), cFormat("%9.3f", v == 0 || std::fabs(v) >= 0.0005 ? v : 0.0)) << v;
    }
    EXPECT_EQ(fixedText(-0.0, 2), "0.00");
    EXPECT_EQ(fixedText(-1e-7, 5, 9), "  0.00000");
    EXPECT_EQ(fixedText(-0.0004, 3, ZeroSign::Keep), "-0.000");
}

// Values far beyond any buffer a short number needs are written whole, as
// printf writes them; only a form longer than the longest one written
// falls back to the shortest exact text, and never shows anything else.
TEST(NumberText, LongFixedFormsAreWholeOrFallBackToTheShortestText) {
    const double largest = std::numeric_limits<double>::max();
    for (const double v : {1e58, -1e100, 1.2345e200, largest, -largest})
        for (const int decimals : {0, 3, 60}) {
            const std::string text = fixedText(v, decimals);
            EXPECT_EQ(text, cFormat(("%." + std::to_string(decimals) + "f").c_str(), v)) << v;
            EXPECT_LE(text.size(), kMaxFixedLength);
        }
    EXPECT_EQ(fixedText(largest, 61).size(), kMaxFixedLength);
    EXPECT_EQ(fixedText(-largest, 61), "-1.7976931348623157e+308");
    EXPECT_EQ(fixedText(-1e300, 80), "-1e+300");
    EXPECT_EQ(fixedText(0.5, 80), cFormat("%.80f", 0.5));  // short enough to be whole
    EXPECT_EQ(fixedText(1e300, 80, ZeroSign::Keep), shortestText(1e300));

    EXPECT_EQ(fixedText(INFINITY, 2), "inf");
    EXPECT_EQ(fixedText(-INFINITY, 2), "-inf");
    EXPECT_EQ(fixedText(NAN, 2), "nan");
    EXPECT_EQ(fixedText(-INFINITY, 2, 6), "  -inf");
}

TEST(NumberText, BoundedFiguresNeverRunLong) {
    EXPECT_EQ(boundedText(12.345678, 4), "12.3457");
    EXPECT_EQ(boundedText(-0.00004, 3), "-4e-05");  // too small for its decimals: its digits kept
    EXPECT_EQ(boundedText(0, 3), "0.000");
    EXPECT_EQ(boundedText(1e100, 4), "1e+100");
    EXPECT_EQ(boundedText(-1.5e15, 2), "-1.5e+15");
    EXPECT_EQ(boundedText(999999999999999.0, 1), "999999999999999.0");
    EXPECT_EQ(boundedText(std::numeric_limits<double>::infinity(), 2), "inf");
    EXPECT_EQ(boundedText(std::nan(""), 2), "nan");
    for (double v : {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::denorm_min(), 1.2345678901234567e-300, -9.87654321012345e250})
        for (int decimals : {0, 4, 8, 60})
            EXPECT_LE(boundedText(v, decimals).size(), 24u) << v << " " << decimals;
}

TEST(NumberText, DecimalsReadStrictlyAndWriteExactly) {
    EXPECT_EQ(parseDecimal("+.5"), 0.5);
    EXPECT_EQ(parseDecimal("5."), 5.0);
    EXPECT_EQ(parseDecimal("-2.5E-3"), -0.0025);
    for (const char* bad : {"", "+", ".", "1e", "1..2", "1,5", " 1", "1\t", "0x1p3", "inf", "1e400", "--1", "1e+"})
        EXPECT_FALSE(parseDecimal(bad).has_value()) << bad;
    for (const double v : {0.1 + 0.2, 1e-7, -123.456, 5e-324, 1.7976931348623157e308, 2000.0}) {
        EXPECT_EQ(parseDecimal(exactDecimalText(v)), v) << v;
        EXPECT_EQ(parseDecimal(shortestText(v)), v) << v;
        EXPECT_EQ(parseDecimal(jsonNumber(v)), v) << v;
    }
    EXPECT_EQ(exactDecimalText(-0.0), "0");
    EXPECT_EQ(exactDecimalText(1e-7), "0.0000001");
    EXPECT_EQ(shortestText(1e-7), "1e-07");
    EXPECT_EQ(shortestText(-0.0), "0");
    EXPECT_EQ(jsonNumber(0.25), "0.25");
    EXPECT_EQ(jsonNumber(NAN), "null");
    EXPECT_EQ(jsonNumber(-INFINITY), "null");
}

TEST(JsonWriter, LinesAndInlineLayouts) {
    using Layout = JsonWriter::Layout;
    JsonWriter j;
    j.beginObject();
    j.key("name").string("a \"quoted\" \\ name\n\x01");
    j.key("values").beginArray(Layout::Inline).number(1).number(0.5).number(NAN).end();
    j.key("empty").beginArray().end();
    j.key("items").beginArray();
    j.beginObject().key("x").fixed(-0.0001, 3).key("y").fixed(INFINITY, 3).end();
    j.beginObject(Layout::Inline).key("ok").boolean(true).key("none").null().key("list").beginArray().end().end();
    j.end();
    j.key("count").integer(-12);
    j.end();
    EXPECT_EQ(j.text(),
              "{\n"
              "  \"name\": \"a \\\"quoted\\\" \\\\ name\\u000a\\u0001\",\n"
              "  \"values\": [1, 0.5, null],\n"
              "  \"empty\": [],\n"
              "  \"items\": [\n"
              "    {\n"
              "      \"x\": 0.000,\n"
              "      \"y\": null\n"
              "    },\n"
              "    {\"ok\": true, \"none\": null, \"list\": []}\n"
              "  ],\n"
              "  \"count\": -12\n"
              "}");

    JsonWriter single;
    EXPECT_EQ(single.string("\x7f\xc3\xa9").text(), "\"\x7f\xc3\xa9\"");
}

TEST(JsonWriter, MisuseIsRefused) {
    JsonWriter keyOutside;
    EXPECT_THROW(keyOutside.key("k"), std::logic_error);
    JsonWriter valueWithoutKey;
    valueWithoutKey.beginObject();
    EXPECT_THROW(valueWithoutKey.number(1), std::logic_error);
    JsonWriter keyWithoutValue;
    keyWithoutValue.beginObject().key("k");
    EXPECT_THROW(keyWithoutValue.end(), std::logic_error);
    JsonWriter unclosed;
    unclosed.beginArray().number(1);
    EXPECT_THROW(unclosed.text(), std::logic_error);
    JsonWriter twice;
    twice.number(1);
    EXPECT_THROW(twice.number(2), std::logic_error);
    EXPECT_THROW(JsonWriter().end(), std::logic_error);
    EXPECT_THROW(JsonWriter().text(), std::logic_error);
}

}  // namespace
}  // namespace sg
