// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers as the reduction reads and writes them: '.' as the decimal point
// whatever the locale, fixed layouts for the printed report, and the
// shortest text that reads back to the same double for files and JSON.

#include <optional>
#include <string>
#include <string_view>

namespace sg {

// `value` with `decimals` digits after the point, rounded as printf's
// "%.*f" rounds in the C locale; a value that rounds to zero prints
// without a minus sign ("-0.0004" at 3 decimals is "0.000").
std::string fixedText(double value, int decimals);

// fixedText right-aligned in `width` characters, as "%*.*f" lays it out.
std::string fixedText(double value, int decimals, int width);

// `text` right-aligned in `width` characters (never cut).
std::string padLeft(const std::string& text, int width);

// The shortest plain decimal (no exponent) that reads back to `value`
// exactly; negative zero writes as "0".
std::string exactDecimalText(double value);

// The shortest JSON number that reads back to `value` exactly, or "null"
// for an infinity or a NaN.
std::string jsonNumber(double value);

// A decimal number: an optional sign, digits with an optional '.' and
// fraction (at least one digit in all), an optional exponent (e or E, an
// optional sign, digits). Nothing else, no spaces. Empty when the text is
// not such a number or its value is not finite in a double.
std::optional<double> parseDecimal(std::string_view text);

// A whole number of at most 9 digits, no sign; empty otherwise.
std::optional<int> parseCount(std::string_view text);

// The text with every byte outside printable ASCII written as \xNN, cut to
// `limit` bytes with "..." after, for a message.
std::string printableToken(std::string_view text, std::size_t limit = 40);

}  // namespace sg
