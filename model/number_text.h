// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers as text, read and written, for the whole program: the grid
// cells' syntax and format, which every window reads and writes cell texts
// through, and the fixed layouts, exact decimals and JSON numbers of the
// printed reports and files. Every function here uses the decimal
// separator it is given or '.', never the user's locale.

#include <optional>
#include <string>
#include <string_view>

namespace sg {

// The decimal separator of every number the program reads or writes, in
// the grids, the files and on the command line, whatever the user's locale.
inline constexpr char kDecimalSeparator = '.';

// ---- The grid cells ------------------------------------------------------

// Reads a cell: surrounding blanks, an optional sign, digits with at most one
// decimal separator, an optional exponent ("E" or "e", optional sign,
// digits). Anything else, the empty text included, and results out of the
// range of a double throw "'<text>' is not a valid floating point value".
double parseCellFloat(const std::string& text, char separator);
inline double parseCellFloat(const std::string& text) {
    return parseCellFloat(text, kDecimalSeparator);
}
// Same syntax without throwing; false when the text is not a number.
bool tryParseCellFloat(std::string_view text, char separator, double& out);

// Reads an integer cell (surrounding blanks, optional sign, digits, 32-bit
// range); anything else throws "'<text>' is not a valid integer value".
int parseCellInteger(const std::string& text);

// General format with at most `precision` significant digits and no
// trailing zeros: fixed notation from 0.00001 up to `precision` integer
// digits, otherwise mantissa, "E" and exponent (200, -1, 0.55, 1E-7, 1E20,
// 1.23456789012346E17).
std::string formatGeneral(double value, char separator, int precision = 15);
inline std::string formatGeneral(double value) {
    return formatGeneral(value, kDecimalSeparator);
}

// Fixed notation with `decimals` decimals and at most `precision`
// significant digits; a value with more than `precision` integer digits is
// written in general format instead. The read-outs use (7, 3); the analysis
// window (8, 4), (10, 5) and (10, 7).
std::string formatFixed(double value, int precision, int decimals, char separator);
inline std::string formatFixed(double value, int precision, int decimals) {
    return formatFixed(value, precision, decimals, kDecimalSeparator);
}

// ---- Reports and files ----------------------------------------------------

// What a value that rounds to zero shows of its sign: Drop writes
// "-0.0004" at 3 decimals as "0.000", Keep as printf does, "-0.000".
enum class ZeroSign { Drop, Keep };

// The longest fixed form written: a sign, the 309 integer digits of the
// largest double, the point and 60 decimals.
inline constexpr std::size_t kMaxFixedLength = 371;

// Fixed notation with `decimals` (0 or more) digits after a '.', rounded
// as printf's "%.*f" rounds in the C locale. An infinity writes "inf" or
// "-inf", a NaN "nan". Every finite double has its fixed form with up to 60
// decimals; a value whose fixed form would be longer than kMaxFixedLength
// is written as shortestText writes it instead, never cut.
std::string fixedText(double value, int decimals, ZeroSign zero = ZeroSign::Drop);

// fixedText right-aligned in `width` characters, as "%*.*f" lays it out.
std::string fixedText(double value, int decimals, int width);

// `text` right-aligned in `width` characters (never cut).
std::string padLeft(const std::string& text, int width);

// The shortest plain decimal (no exponent) that reads back to `value`
// exactly; negative zero writes as "0". Non-finite values as fixedText.
std::string exactDecimalText(double value);

// The largest magnitude that boundedText writes in fixed notation.
inline constexpr double kLargestBoundedFixed = 1e15;

// A figure for a report or a message, never longer than 24 characters:
// fixedText with `decimals` (0..8) for a magnitude below 1e15 whose fixed
// form shows a digit other than zero, otherwise shortestText ("1e+100",
// "2.5e-12"); "inf", "-inf" and "nan" as fixedText writes them.
std::string boundedText(double value, int decimals);

// The shortest text that reads back to `value` exactly, with an exponent
// where that is shorter ("1e+100", "0.001"); negative zero writes as "0".
// Non-finite values as fixedText.
std::string shortestText(double value);

// The shortest JSON number that reads back to `value` exactly, or "null"
// for an infinity or a NaN.
std::string jsonNumber(double value);

// A decimal number: an optional sign, digits with an optional '.' and
// fraction (at least one digit in all), an optional exponent (e or E, an
// optional sign, digits). Nothing else, no spaces. Empty when the text is
// not such a number or its value is not finite in a double. The same
// syntax as a cell with '.' as its separator, without the blanks.
std::optional<double> parseDecimal(std::string_view text);

// A whole number of at most 9 digits, no sign; empty otherwise.
std::optional<int> parseCount(std::string_view text);

// The text with every byte outside printable ASCII written as \xNN, cut to
// `limit` bytes with "..." after, for a message.
std::string printableToken(std::string_view text, std::size_t limit = 40);

}  // namespace sg
