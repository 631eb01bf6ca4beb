// SPDX-License-Identifier: GPL-3.0-or-later
// The reading file's text: any bytes are refused with a ReductionInputError,
// or give an input whose written text reads back to the same input; and
// such an input reduces, or stops with one of the reduction's two errors,
// never with figures that are not finite, zones that overlap, a JSON
// number that is not finite (null only where the keys allow) or a
// subnormal value for the simulator.
#include "fuzz/fuzz_check.h"
#include "reduction/reading_text.h"
#include "reduction/reduction.h"
#include "reduction/reduction_report.h"
#include "reduction/simulator_zone.h"

#include <cmath>
#include <cstdint>
#include <string>
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
        // Every figure finite but a round trip without a null; what goes
        // to the simulator's grid finite and never subnormal.
        const double figures[] = {r.focalRatio,      r.referenceRadius, r.referenceCentre, r.bestFitConic,
                                  r.bestFitRadius,   r.rmsVsConic,      r.pv,              r.rms,
                                  r.strehl,          r.airyRadius * 1000, r.couderRatio,   r.couderShift,
                                  r.correctionError, r.wavefrontMean};
        for (const double v : figures) FUZZ_CHECK(std::isfinite(v));
        FUZZ_CHECK(r.zones.size() >= 2 && r.zones.size() <= static_cast<std::size_t>(sg::kMaxZones));
        for (const sg::ZoneResult& z : r.zones) {
            FUZZ_CHECK(std::isfinite(z.h) && z.h > 0 && std::isfinite(z.expected) && std::isfinite(z.measured));
            FUZZ_CHECK(std::isfinite(z.departure) && std::isfinite(z.transverseMicrons) && std::isfinite(z.taOverRho));
            FUZZ_CHECK(std::isfinite(z.surfaceNm) && std::isfinite(z.tolerance) && std::isfinite(z.balancedTaOverRho));
            FUZZ_CHECK(std::isfinite(z.spread));
        }
        for (std::size_t i = 1; i < r.zones.size(); ++i) FUZZ_CHECK(r.zones[i].inner >= r.zones[i - 1].outer);
        for (const sg::SetFigures& f : r.sets)
            FUZZ_CHECK(std::isfinite(f.pv) && std::isfinite(f.rms) && std::isfinite(f.strehl) && std::isfinite(f.conic));
        for (const auto* curve : {&r.profile, &r.surfaceAcross, &r.residualAcross})
            for (const sg::ProfilePoint& p : *curve) FUZZ_CHECK(std::isfinite(p.surfaceNm));
        const sg::SimulatorZone zone = sg::simulatorZoneFor(r);
        FUZZ_CHECK(std::isfinite(zone.zoneHeight) && std::fpclassify(zone.zoneHeight) != FP_SUBNORMAL);
        FUZZ_CHECK(std::fpclassify(zone.conic) != FP_SUBNORMAL);
        for (const double k : zone.knotHeight) FUZZ_CHECK(std::isfinite(k) && std::fpclassify(k) != FP_SUBNORMAL);
        // The JSON holds no number that is not finite but the round trips
        // named for a warning.
        const std::string json = sg::reportJson(r, "fuzz");
        std::size_t nulls = 0;
        // JSON nulls, not the key "null" of the mirror's nulls rule.
        for (std::size_t at = json.find("null"); at != std::string::npos; at = json.find("null", at + 4))
            if (at == 0 || json[at - 1] != '"') ++nulls;
        // A single set has no spread and no repeatability.
        const std::size_t singleSetSpreads = r.setCount == 1 ? 2 * r.zones.size() : 0;
        FUZZ_CHECK(nulls == singleSetSpreads + sg::missingFigures(r).size());
        FUZZ_CHECK(json.find("inf") == std::string::npos && json.find("nan") == std::string::npos);
    } catch (const sg::ReductionInputError&) {
    } catch (const sg::ReductionFitError&) {
    }
    return 0;
}
