// SPDX-License-Identifier: GPL-3.0-or-later
// The reading file's text: any bytes are refused with a ReductionInputError,
// or give an input whose written text reads back to the same input; and
// such an input reduces, or stops with one of the reduction's two errors,
// never with non-finite figures.
#include "fuzz/fuzz_check.h"
#include "reduction/reading_text.h"
#include "reduction/reduction.h"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

bool sameInput(const sg::ReductionInput& a, const sg::ReductionInput& b) {
    if (a.diameter != b.diameter || a.radius != b.radius || a.conic != b.conic || a.wavelength != b.wavelength ||
        a.source != b.source || a.sourceDistance != b.sourceDistance || a.zoneRadius != b.zoneRadius ||
        a.obstruction != b.obstruction || a.units != b.units || a.zoneCount != b.zoneCount ||
        a.reverse != b.reverse || a.zones.size() != b.zones.size())
        return false;
    for (std::size_t i = 0; i < a.zones.size(); ++i) {
        if (a.zones[i].readings != b.zones[i].readings) return false;
        if (a.zoneCount == 0 && (a.zones[i].inner != b.zones[i].inner || a.zones[i].outer != b.zones[i].outer))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sg::ReductionInput input;
    try {
        input = sg::parseReadingText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const sg::ReductionInputError&) {
        return 0;
    }
    FUZZ_CHECK(sameInput(sg::parseReadingText(sg::readingText(input)), input));
    try {
        const sg::ReductionResult r = sg::reduce(input);
        FUZZ_CHECK(std::isfinite(r.pv) && std::isfinite(r.rms) && std::isfinite(r.strehl));
        FUZZ_CHECK(std::isfinite(r.referenceRadius) && std::isfinite(r.bestFitConic));
        for (const sg::ZoneResult& z : r.zones) FUZZ_CHECK(std::isfinite(z.departure) && std::isfinite(z.surfaceNm));
    } catch (const sg::ReductionInputError&) {
    } catch (const sg::ReductionFitError&) {
    }
    return 0;
}
