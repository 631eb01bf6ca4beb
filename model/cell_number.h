// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers as the grid cells and read-outs show them. Every window reads and
// writes cell texts through these functions, so that one syntax and one
// format hold everywhere.

#include <string>
#include <string_view>

namespace sg {

// The decimal separator of every number the program reads or writes, in
// the grids, the files and on the command line, whatever the user's locale.
inline constexpr char kDecimalSeparator = '.';

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

}  // namespace sg
