// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/verdict.h"

#include "model/number_text.h"

#include <algorithm>
#include <cmath>

namespace sg {

std::vector<std::string> verdictLines(const VerdictFigures& f) {
    std::vector<std::string> lines;
    if (f.strehl >= 0.80 && f.couderRatio <= 1)
        lines.push_back("Diffraction limited: Strehl >= 0.80 and Couder criterion met.");
    else if (f.strehl >= 0.80)
        lines.push_back("Strehl >= 0.80 but the Couder criterion is not met (max |TA|/rho > 1).");
    else
        lines.push_back("Not diffraction limited: Strehl < 0.80.");

    const std::string conic = fixedText(f.bestFitConic, 4);
    // Whether line (b) names a conic error: then the zones are read
    // against the best-fit conic.
    bool conicError = false;
    if (std::fabs(f.correctionError) <= 0.05) {
        lines.push_back("Correction within 0.05 wave of the wanted conic.");
    } else if (f.rmsVsConic > 0.5 * f.rms) {
        lines.push_back("Zonal errors dominate: the best-fit conic (" + conic + ") leaves " +
                        fixedText(100 * f.rmsVsConic / f.rms, 0) + "% of the RMS.");
    } else {
        conicError = true;
        if (f.correctionError > 0)
            lines.push_back("Under-corrected by " + fixedText(f.correctionError, 3) + " wave (best-fit conic " + conic +
                            ").");
        else
            lines.push_back("Over-corrected by " + fixedText(std::fabs(f.correctionError), 3) +
                            " wave (best-fit conic " + conic + ").");
    }

    const std::vector<double>& s = conicError ? f.residualNm : f.surfaceNm;
    const auto [lowest, highest] = std::minmax_element(s.begin(), s.end());
    const double low = *lowest, spread = *highest - low;
    if (2 * spread / f.wavelengthNm < 0.05) {
        lines.push_back(conicError ? "No zone stands out against the best-fit conic (within 0.05 wave)."
                                   : "No zone stands out (zone heights within 0.05 wave).");
    } else {
        std::string text = conicError ? "Zones high against the best-fit conic: " : "High zones (polish here): ";
        bool first = true;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (!(s[i] - low > 0.5 * spread)) continue;
            if (!first) text += ", ";
            text += std::to_string(i + 1) + " (h " + fixedText(f.h[i], 1) + " mm)";
            first = false;
        }
        lines.push_back(text + ".");
    }

    const std::size_t n = s.size();
    if (n >= 2 && s[n - 1] <= low && 2 * (s[n - 2] - s[n - 1]) / f.wavelengthNm > 0.05)
        lines.push_back(conicError ? "The outermost zone is low against the best-fit conic: a turned-down edge."
                                   : "The outermost zone is the lowest: turned-down edge.");
    return lines;
}

}  // namespace sg
