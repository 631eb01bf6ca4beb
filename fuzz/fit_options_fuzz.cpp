// SPDX-License-Identifier: GPL-3.0-or-later
// The option parsing of shadowgram-fit: arguments separated by newlines;
// every command line is taken or refused with std::invalid_argument, and
// what is taken describes a mirror the fit can work on.
#include "tools/fit_options.h"
#include "fuzz/fuzz_check.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args = fuzzArguments(data, size);
    try {
        const sg::FitOptions o = sg::parseFitOptions(args);
        if (o.help || o.version) return 0;
        const sg::FitMirror& m = o.request.mirror;
        FUZZ_CHECK(!o.photo.empty());
        FUZZ_CHECK(std::isfinite(m.diameter) && m.diameter > 0);
        FUZZ_CHECK(std::isfinite(m.radius) && m.radius > m.diameter / 2);
        FUZZ_CHECK(std::isfinite(m.linesPerMm) && m.linesPerMm > 0);
        FUZZ_CHECK(std::isfinite(m.wavelength) && m.wavelength > 0);
        if (o.request.zone.kind != sg::ZoneKind::None)
            FUZZ_CHECK(o.request.zone.start >= 0.1 && o.request.zone.start <= 0.95);
        FUZZ_CHECK(o.secondPhoto.empty() == !o.separation.has_value());
        if (o.separation) FUZZ_CHECK(std::isfinite(*o.separation) && *o.separation != 0);
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
