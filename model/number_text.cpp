// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/number_text.h"

#include "model/failure.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace sg {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

bool tryParseCellFloat(std::string_view text, char separator, double& out) {
    const std::string_view s = trimBlanks(text);
    // Rebuild the number in the locale-free form that from_chars reads.
    std::string normal;
    normal.reserve(s.size() + 1);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int mantissaDigits = 0;
    bool seenSeparator = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            normal.push_back(c);
            ++mantissaDigits;
        } else if (c == separator && !seenSeparator) {
            seenSeparator = true;
            normal.push_back('.');
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        normal.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            if (s[i] == '-') normal.push_back('-');
            ++i;
        }
        int exponentDigits = 0;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            normal.push_back(s[i]);
            ++exponentDigits;
        }
        if (exponentDigits == 0) return false;
    }
    if (i != s.size()) return false;

    double value = 0.0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec != std::errc() || end != normal.data() + normal.size()) return false;
    if (!std::isfinite(value)) return false;
    out = negative ? -value : value;
    return true;
}

double parseCellFloat(const std::string& text, char separator) {
    double value = 0.0;
    if (!tryParseCellFloat(text, separator, value)) throwInvalidFloat(text);
    return value;
}

int parseCellInteger(const std::string& text) {
    const std::string_view s = trimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == s.size()) throwInvalidInteger(text);
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (!isDigit(s[i])) throwInvalidInteger(text);
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) throwInvalidInteger(text);
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throwInvalidInteger(text);
    return static_cast<int>(value);
}

namespace {

// A finite value as decimal digits: value = 0.d1 d2 d3 ... x 10^exponent,
// without trailing zeros; no digits means zero.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

void stripTrailingZeros(DecimalDigits& d) {
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

// 18 significant digits, the working precision of the number conversions.
DecimalDigits decimalOf(double v) {
    DecimalDigits d;
    d.negative = std::signbit(v);
    if (v == 0.0) return d;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 17);
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (isDigit(text[i])) d.digits.push_back(text[i]);
    int exp10 = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exp10);
    d.exponent = exp10 + 1;
    stripTrailingZeros(d);
    return d;
}

// Keeps `count` leading digits, rounding half away from zero.
void roundToDigitCount(DecimalDigits& d, int count) {
    if (static_cast<int>(d.digits.size()) <= count) return;
    if (count < 0) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(count)] >= '5';
    d.digits.resize(static_cast<std::size_t>(count));
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    stripTrailingZeros(d);
}

std::string scientificText(const DecimalDigits& d, char separator) {
    std::string out;
    if (d.negative) out.push_back('-');
    out.push_back(d.digits[0]);
    if (d.digits.size() > 1) {
        out.push_back(separator);
        out.append(d.digits, 1, std::string::npos);
    }
    out.push_back('E');
    out += std::to_string(d.exponent - 1);
    return out;
}

std::string specialText(double v) {
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

// Rounding the largest doubles to fewer digits can carry them past the
// largest double ("1.79769313486232E308"), which no reader takes back.
bool beyondDoubleRange(const DecimalDigits& d) {
    if (d.exponent < 309) return false;
    if (d.exponent > 309) return true;
    constexpr std::string_view kLargest = "17976931348623157";
    return std::string_view(d.digits).substr(0, kLargest.size()) > kLargest;
}

}  // namespace

std::string formatGeneral(double value, char separator, int precision) {
    if (!std::isfinite(value)) return specialText(value);
    DecimalDigits d = decimalOf(value);
    DecimalDigits rounded = d;
    roundToDigitCount(rounded, precision);
    if (beyondDoubleRange(rounded)) {
        // Cut instead, so that the text reads back.
        d.digits.resize(static_cast<std::size_t>(std::max(precision, 1)));
        stripTrailingZeros(d);
    } else {
        d = rounded;
    }
    if (d.digits.empty()) return "0";
    if (d.exponent > precision || d.exponent < -4) return scientificText(d, separator);

    std::string out;
    if (d.negative) out.push_back('-');
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent <= 0) {
        out.push_back('0');
        out.push_back(separator);
        out.append(static_cast<std::size_t>(-d.exponent), '0');
        out += d.digits;
    } else {
        for (int i = 0; i < d.exponent; ++i) out.push_back(i < n ? d.digits[static_cast<std::size_t>(i)] : '0');
        if (n > d.exponent) {
            out.push_back(separator);
            out.append(d.digits, static_cast<std::size_t>(d.exponent), std::string::npos);
        }
    }
    return out;
}

std::string formatFixed(double value, int precision, int decimals, char separator) {
    if (!std::isfinite(value)) return specialText(value);
    DecimalDigits d = decimalOf(value);
    roundToDigitCount(d, precision);
    if (d.exponent > precision) return formatGeneral(value, separator, precision);
    roundToDigitCount(d, d.exponent + decimals);

    std::string out;
    if (d.negative && !d.digits.empty()) out.push_back('-');
    const int n = static_cast<int>(d.digits.size());
    auto digitAt = [&](int i) { return i >= 0 && i < n ? d.digits[static_cast<std::size_t>(i)] : '0'; };
    if (d.exponent <= 0) {
        out.push_back('0');
    } else {
        for (int i = 0; i < d.exponent; ++i) out.push_back(digitAt(i));
    }
    if (decimals > 0) {
        out.push_back(separator);
        for (int k = 0; k < decimals; ++k) out.push_back(digitAt(d.exponent + k));
    }
    return out;
}

namespace {

std::string nonFiniteText(double v) {
    if (std::isnan(v)) return "nan";
    return v < 0 ? "-inf" : "inf";
}

}  // namespace

std::string fixedText(double value, int decimals, ZeroSign zero) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    std::array<char, kMaxFixedLength> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed, decimals);
    if (ec != std::errc()) return shortestText(value);
    std::string text(buffer.data(), end);
    if (zero == ZeroSign::Drop && text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string padLeft(const std::string& text, int width) {
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    return text.size() >= w ? text : std::string(w - text.size(), ' ') + text;
}

std::string fixedText(double value, int decimals, int width) { return padLeft(fixedText(value, decimals), width); }

std::string exactDecimalText(double value) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    if (value == 0) return "0";
    // The longest is that of the least subnormal: "0.", 323 zeros and a 5.
    std::array<char, kMaxFixedLength> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    if (ec != std::errc()) return shortestText(value);
    return std::string(buffer.data(), end);
}

std::string shortestText(double value) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    if (value == 0) return "0";
    // At most 24 characters: "-", 17 digits, ".", "e-308".
    std::array<char, 32> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (ec != std::errc()) return nonFiniteText(value);
    return std::string(buffer.data(), end);
}

std::string boundedText(double value, int decimals) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    const int places = std::clamp(decimals, 0, 8);
    if (std::fabs(value) < kLargestBoundedFixed) {
        std::string fixed = fixedText(value, places);
        // A tiny figure that would show as 0.000 keeps its digits.
        if (value == 0 || fixed.find_first_of("123456789") != std::string::npos) return fixed;
    }
    return shortestText(value);
}

std::string jsonNumber(double value) { return std::isfinite(value) ? shortestText(value) : "null"; }

std::optional<double> parseDecimal(std::string_view text) {
    // A cell's syntax with a point, without its surrounding blanks.
    if (text.empty() || isBlank(text.front()) || isBlank(text.back())) return std::nullopt;
    double value = 0;
    if (!tryParseCellFloat(text, '.', value)) return std::nullopt;
    return value;
}

std::optional<int> parseCount(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string printableToken(std::string_view text, std::size_t limit) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (out.size() >= limit) {
            out += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            out += "\\x";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

}  // namespace sg
