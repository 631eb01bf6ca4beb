// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plain verdict under the figures: three or four sentences, in order
// (a) the diffraction limit, (b) the correction, (c) the high zones,
// (d) a turned-down edge when there is one.
//
// When (b) finds a conic error (under- or over-correction), the zones and
// the edge are judged against the best-fit conic: the conic error is one
// smooth figure that the mirror maker corrects as a whole (an
// under-corrected mirror by deepening the centre), and read against the
// wanted conic it would show as a high centre and edge, or as a
// turned-down edge, that are not there to be polished.

#include <string>
#include <vector>

namespace sg {

struct VerdictFigures {
    double strehl = 1;
    double couderRatio = 0;      // max |TA| / rho at the balanced focus
    double correctionError = 0;  // waves, positive under-corrected
    double rms = 0;              // waves, against the wanted conic
    double rmsVsConic = 0;       // waves, against the best-fit conic
    double bestFitConic = 0;
    double wavelengthNm = 550;
    std::vector<double> surfaceNm;   // per zone, high positive, against the wanted conic
    std::vector<double> residualNm;  // per zone, high positive, against the best-fit conic
    std::vector<double> h;           // per zone, mm
};

// The sentences, without the "Verdict: " each line of the report begins
// with. Comparisons use the unrounded figures.
std::vector<std::string> verdictLines(const VerdictFigures& f);

}  // namespace sg
