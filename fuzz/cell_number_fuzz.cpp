// SPDX-License-Identifier: GPL-3.0-or-later
// The cell-number reader and writer. The first byte chooses the decimal
// separator; the rest is a cell's text, and, read as a double, a value to
// write.
//  - What the reader accepts, strtod reads to the end as the same value.
//  - Every finite value the writer writes reads back, and writing that
//    again gives the same text.
#include "model/number_text.h"
#include "model/failure.h"
#include "fuzz/fuzz_check.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void checkReader(const std::string& text, char separator) {
    double value = 0;
    if (!sg::tryParseCellFloat(text, separator, value)) return;
    // Blanks trimmed and the separator made a point, strtod must agree.
    std::string plain = text;
    for (char& c : plain)
        if (c == separator) c = '.';
    const auto first = plain.find_first_not_of(" \t");
    const auto last = plain.find_last_not_of(" \t");
    FUZZ_CHECK(first != std::string::npos);
    plain = plain.substr(first, last - first + 1);
    char* end = nullptr;
    const double expected = std::strtod(plain.c_str(), &end);
    FUZZ_CHECK(end == plain.c_str() + plain.size());
    FUZZ_CHECK(std::isfinite(value));
    FUZZ_CHECK(value == expected || (value == 0 && expected == 0));
    FUZZ_CHECK(std::signbit(value) == std::signbit(expected));
    // The thrown form agrees with the quiet one.
    FUZZ_CHECK(sg::parseCellFloat(text, separator) == value);
}

void checkWriter(double value, char separator) {
    if (!std::isfinite(value)) return;
    for (int precision : {15, 7}) {
        const std::string text = sg::formatGeneral(value, separator, precision);
        double back = 0;
        FUZZ_CHECK(sg::tryParseCellFloat(text, separator, back));
        FUZZ_CHECK(sg::formatGeneral(back, separator, precision) == text);
    }
    for (int decimals : {3, 4, 5, 7}) {
        const std::string text = sg::formatFixed(value, 15, decimals, separator);
        double back = 0;
        FUZZ_CHECK(sg::tryParseCellFloat(text, separator, back));
    }
}

void checkInteger(const std::string& text) {
    try {
        const int value = sg::parseCellInteger(text);
        FUZZ_CHECK(std::strtoll(text.c_str(), nullptr, 10) == value);
    } catch (const sg::ActionError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = (data[0] & 1) ? ',' : '.';
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (text.find('\0') != std::string::npos) return 0;  // cells hold no NUL
    checkReader(text, separator);
    checkInteger(text);
    if (size >= 9) {
        double value = 0;
        std::memcpy(&value, data + 1, sizeof value);
        checkWriter(value, separator);
    }
    return 0;
}
