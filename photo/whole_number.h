// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole numbers from doubles without undefined behaviour: a NaN, an
// infinity or a value beyond an int's range never reaches a conversion.

#include <cmath>
#include <optional>

namespace sg {

// The value truncated toward zero when it is finite and its truncation lies
// in [lo, hi]; nothing otherwise.
inline std::optional<int> wholeWithin(double value, int lo, int hi) {
    if (!std::isfinite(value)) return std::nullopt;
    const double whole = std::trunc(value);
    if (whole < lo || whole > hi) return std::nullopt;
    return static_cast<int>(whole);
}

// The value truncated toward zero and held to [lo, hi] (lo <= hi); a NaN
// gives `ifNaN`, an infinity the bound on its side.
inline int wholeClamped(double value, int lo, int hi, int ifNaN) {
    if (std::isnan(value)) return ifNaN;
    if (value <= lo) return lo;
    if (value >= hi) return hi;
    return static_cast<int>(value);
}

}  // namespace sg
