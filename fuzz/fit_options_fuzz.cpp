// SPDX-License-Identifier: GPL-3.0-or-later
// The option parsing of shadowgram-fit: arguments separated by newlines;
// every command line is taken or refused with std::invalid_argument, and
// what is taken describes a mirror the fit can work on, whose model gives
// finite figures at the mirror's rim.
#include "tools/fit_options.h"
#include "fit/band_model.h"
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
        // What the model derives from the values is finite: the band width,
        // the squares and cubes of the sizes, and the phase at the rim.
        const double bandWidth = 1 / (2 * m.linesPerMm);
        FUZZ_CHECK(std::isfinite(bandWidth) && bandWidth > 0);
        FUZZ_CHECK(std::isfinite(m.diameter * m.diameter) && std::isfinite(8 * m.radius * m.radius * m.radius));
        if (!m.exact && o.request.zone.kind == sg::ZoneKind::None) {
            // The series model is defined everywhere on the mirror.
            const sg::BandPhase phase(m, {}, {o.separation.value_or(1), 0, 0, 0, 0});
            FUZZ_CHECK(std::isfinite(phase.atMirror(0.99 * m.diameter / 2, 0)));
        }
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
