// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/failure.h"

#include <limits>

namespace sg {

void throwDivisionByZero() { throw ActionError(kDivisionByZeroMessage); }
void throwInvalidOperation() { throw ActionError(kInvalidOperationMessage); }

void throwDivisionFault(double a, double b) {
    if (b == 0.0 && a != 0.0 && !std::isnan(a)) throwDivisionByZero();
    throwInvalidOperation();
}

std::string invalidFloatMessage(const std::string& text) {
    return "'" + text + "' is not a valid floating point value";
}

std::string invalidIntegerMessage(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

void throwInvalidFloat(const std::string& text) { throw ActionError(invalidFloatMessage(text)); }
void throwInvalidInteger(const std::string& text) { throw ActionError(invalidIntegerMessage(text)); }

std::int64_t roundHalfEven(double v) {
    if (!(v > -9223372036854775808.0 && v < 9223372036854775808.0)) throwInvalidOperation();
    // nearbyint follows the current rounding mode, which is round-to-nearest-even
    // throughout the program.
    const double r = std::nearbyint(v);
    if (!(r > -9223372036854775808.0 && r < 9223372036854775808.0)) throwInvalidOperation();
    return static_cast<std::int64_t>(r);
}

namespace {
int toInt32(std::int64_t v) {
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throwInvalidOperation();
    return static_cast<int>(v);
}
}  // namespace

int truncToInt(double v) { return toInt32(truncToInt64(v)); }
int roundToInt(double v) { return toInt32(roundHalfEven(v)); }

}  // namespace sg
