// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The input made ready for the reduction: every rule of the reading file
// checked, lengths in mm, the zones' radii chosen, the readings turned over
// for a scale that counts toward the mirror, the sets averaged, and the
// wanted mirror's nulls.

#include "reduction/exact_null.h"
#include "reduction/reduction_input.h"

#include <string>
#include <vector>

namespace sg {

struct ReductionSetup {
    double diameter = 0;    // D, mm
    double aperture = 0;    // A = D / 2, mm
    double radius = 0;      // R, mm: the knife at reading 0
    double conic = -1;      // K_t, the wanted conic
    double wavelength = 0;  // micrometres
    double lambda = 0;      // wavelength in mm
    double obstruction = 0; // diameter, mm
    Tester tester;          // the source distance in mm (R when not given)
    double kappa = 1;       // 1 moving source, 2 fixed
    ZoneRadiusRule zoneRadius = ZoneRadiusRule::Rms;
    bool reverse = false;
    LengthUnit units = LengthUnit::Millimetre;  // as the input was given

    // Per zone, mm: edges, the radius that stands for it, u = h^2 (mm^2).
    std::vector<double> inner, outer, h, u;
    std::vector<int> zoneLine;              // the file line of each zone, 0 for none
    std::vector<std::vector<double>> sets;  // sets[j][i]: set j's reading of zone i, mm
    std::vector<double> mean;               // m_i, the mean over the sets
    std::vector<double> expected;           // e_i = M(h_i; R, K_t)
    // What the user should know of how the input was taken (a header row
    // skipped, a mask edge a little past the rim taken as the rim), each
    // beginning with its place.
    std::vector<std::string> notes;

    std::size_t zoneCount() const { return h.size(); }
    double innerU() const { return obstruction * obstruction / 4; }  // h_o^2
    double outerU() const { return aperture * aperture; }            // A^2

    // The model reading M(h; R', K') = N - R of a conic (R', K'), mm.
    double modelReading(double h, double radius, double conic) const;
};

// How far past the rim a zone's outer edge may be given and still be taken
// as the rim: a mask measured a little large.
inline constexpr double kRimAllowance = 0.01;  // of the radius D/2

// Checks the input against every rule and makes the setup. Throws
// ReductionInputError naming the line, zone or value and what is wrong.
ReductionSetup resolveSetup(const ReductionInput& input);

// Stops (ReductionInputError) when the mean readings fall as the wanted
// nulls rise: the regression slope of m on e below -0.5, once e varies at
// all (sum of (e - mean e)^2 above N 1E-12).
void checkDirection(const ReductionSetup& setup);

}  // namespace sg
