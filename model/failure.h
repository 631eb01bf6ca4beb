// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One failure mechanism for the whole program. An action (a click, a button,
// a cell selection) stops where an ActionError is thrown; the action's entry
// point catches it and shows its message. What the action set and drew
// before that point stays.

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace sg {

class ActionError : public std::runtime_error {
public:
    explicit ActionError(const std::string& message) : std::runtime_error(message) {}
};

// The system's own messages.
inline constexpr const char* kDivisionByZeroMessage = "Floating point division by zero";
inline constexpr const char* kInvalidOperationMessage = "Invalid floating point operation";

[[noreturn]] void throwDivisionByZero();
[[noreturn]] void throwInvalidOperation();
[[noreturn]] void throwInvalidFloat(const std::string& text);    // "'%s' is not a valid floating point value"
[[noreturn]] void throwInvalidInteger(const std::string& text);  // "'%s' is not a valid integer value"

std::string invalidFloatMessage(const std::string& text);
std::string invalidIntegerMessage(const std::string& text);

// a / b with the floating-point unit's fault rules: a finite non-zero
// numerator over zero is a division by zero; 0/0, inf/inf and any NaN
// operand are invalid operations.
[[noreturn]] void throwDivisionFault(double a, double b);

[[gnu::always_inline]] inline double fdiv(double a, double b) {
    const double q = a / b;
    // A NaN quotient comes from a NaN operand, 0/0 or inf/inf.
    if (b == 0.0 || q != q) [[unlikely]]
        throwDivisionFault(a, b);
    return q;
}

// A NaN operand in a comparison is an invalid operation.
[[gnu::always_inline]] inline double checkedOperand(double v) {
    if (std::isnan(v)) [[unlikely]] throwInvalidOperation();
    return v;
}

// A result about to be shown as a number: an infinity (an overflow on
// extreme entries) or NaN is an invalid operation, never "INF" on screen.
[[gnu::always_inline]] inline double finiteResult(double v) {
    if (!std::isfinite(v)) [[unlikely]] throwInvalidOperation();
    return v;
}

// Drops the fraction (toward zero). NaN, infinities and values outside the
// 64-bit integer range are invalid operations, never undefined behaviour.
[[gnu::always_inline]] inline std::int64_t truncToInt64(double v) {
    if (!(v > -9223372036854775808.0 && v < 9223372036854775808.0)) [[unlikely]]
        throwInvalidOperation();
    return static_cast<std::int64_t>(v);
}

// Nearest integer, halves to even. Same checks as truncToInt64.
std::int64_t roundHalfEven(double v);

// Conversions to a 32-bit pixel coordinate or count.
int truncToInt(double v);
int roundToInt(double v);

}  // namespace sg
