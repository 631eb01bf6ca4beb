// SPDX-License-Identifier: GPL-3.0-or-later
#include "number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace sg {

std::string fixedText(double value, int decimals) {
    // Enough for the widest double in fixed notation with the decimals the
    // report uses.
    std::array<char, 400> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed, decimals);
    if (ec != std::errc()) return std::isnan(value) ? "nan" : "inf";
    std::string text(buffer.data(), end);
    if (!text.empty() && text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string padLeft(const std::string& text, int width) {
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    return text.size() >= w ? text : std::string(w - text.size(), ' ') + text;
}

std::string fixedText(double value, int decimals, int width) { return padLeft(fixedText(value, decimals), width); }

std::string exactDecimalText(double value) {
    if (value == 0) return "0";
    std::array<char, 400> buffer{};
    const auto [end, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    if (ec != std::errc()) return std::isnan(value) ? "nan" : "inf";
    return std::string(buffer.data(), end);
}

std::string jsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    if (value == 0) return "0";
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (ec != std::errc()) return "null";
    return std::string(buffer.data(), end);
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The length of a run of digits from `at`.
std::size_t digitsFrom(std::string_view t, std::size_t at) {
    std::size_t n = 0;
    while (at + n < t.size() && isDigit(t[at + n])) ++n;
    return n;
}

}  // namespace

std::optional<double> parseDecimal(std::string_view text) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t whole = digitsFrom(text, at);
    at += whole;
    std::size_t fraction = 0;
    if (at < text.size() && text[at] == '.') {
        fraction = digitsFrom(text, at + 1);
        at += 1 + fraction;
    }
    if (whole + fraction == 0) return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        const std::size_t exponent = digitsFrom(text, at);
        if (exponent == 0) return std::nullopt;
        at += exponent;
    }
    if (at != text.size()) return std::nullopt;
    // from_chars takes no leading '+'.
    const std::string_view body = text.front() == '+' ? text.substr(1) : text;
    double value = 0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc() || end != body.data() + body.size() || !std::isfinite(value)) return std::nullopt;
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
