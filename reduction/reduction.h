// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Foucault reduction: from the zones' null readings to the state of the
// mirror. Everything the command prints and a window shows, with the data
// of the window's plots.
//
// Signs and units: lengths in mm unless a name says otherwise; readings
// grow away from the mirror; a departure is a reading minus the reference's
// null; the wavefront W and the surface are positive where the glass
// stands high; waves are of the wavefront unless "surface" is said.

#include "reduction/reduction_input.h"

#include <string>
#include <vector>

namespace sg {

struct ZoneResult {
    int number = 0;                // 1..N
    double inner = 0, outer = 0;   // edges, mm
    double h = 0;                  // the zone's radius, mm
    std::vector<double> readings;  // one per set, mm (turned over with `reverse`)
    double expected = 0;           // e_i, the wanted conic's null at the given radius, mm
    double measured = 0;           // m_i, the mean of the sets, mm
    double departure = 0;          // d_i = m_i - M(h_i; R_ref, K_t), mm
    double transverseMicrons = 0;  // TA_i, micrometres
    double taOverRho = 0;          // TA_i / rho
    double surfaceNm = 0;          // (W(h_i^2) - <W>) / 2, nm, high positive
    double tolerance = 0;          // Millies-Lacroix |d_i| limit, mm
    double balancedTaOverRho = 0;  // TA / rho at the Couder balanced focus (the window's bars)
    double spread = 0;             // sample standard deviation of the sets, mm; 0 with one set
    double repeatability = 0;      // the same after taking out each set's mean offset from the
                                   // mean of the sets (the mirror moves between sets), mm; 0
                                   // with one set
    double roundTrip = 0;          // the null of the reduced surface in the simulator's model, mm;
                                   // NaN where that surface has no null for the zone
};

// One reading set reduced alone.
struct SetFigures {
    double referenceRadius = 0;  // mm
    double pv = 0;               // waves
    double rms = 0;              // waves
    double strehl = 0;
    double conic = 0;            // best-fit conic
    double conicRadius = 0;      // its radius, mm
    double couderRatio = 0;      // max |TA| / rho at the set's own balanced focus
    double couderShift = 0;      // mm
    bool couderPass = true;      // ratio <= 1
};

struct ProfilePoint {
    double h = 0;          // mm from the centre (negative: the other side)
    double surfaceNm = 0;  // nm, high positive
};

struct ReductionResult {
    // The mirror and the tester, in mm whatever the input's units.
    double diameter = 0, radius = 0;
    double focalRatio = 0;   // R / (2D)
    double wantedConic = 0;
    double wavelength = 0;   // micrometres
    double obstruction = 0;  // diameter
    SourceKind source = SourceKind::Moving;
    double sourceDistance = 0;  // a fixed source's distance (R when not given)
    double kappa = 1;
    ZoneRadiusRule zoneRadius = ZoneRadiusRule::Rms;
    NullRule nulls = NullRule::Exact;
    bool reverse = false;
    int setCount = 0;

    std::vector<ZoneResult> zones;

    double referenceRadius = 0;  // R_ref, mm
    double referenceCentre = 0;  // M(0; R_ref, K_t): the reading of the reference's centre, mm
    double bestFitConic = 0;
    double bestFitRadius = 0;    // mm
    double rmsVsConic = 0;       // waves
    double pv = 0;               // waves
    double rms = 0;              // waves
    double rmsSurfaceNm = 0;     // the surface's RMS, nm: half the wavefront's
    double strehl = 0;           // exp(-(2 pi RMS)^2)
    double wavefrontMean = 0;    // <W>, mm
    double airyRadius = 0;       // rho, mm
    double couderRatio = 0;      // max |TA| / rho at the balanced focus
    double couderShift = 0;      // mm
    bool couderPass = true;      // ratio <= 1
    double correctionError = 0;  // waves, positive under-corrected

    std::vector<SetFigures> sets;  // each set alone; empty with one set

    std::vector<ProfilePoint> profile;         // 21 points from the obstruction's edge to the rim
    std::vector<ProfilePoint> surfaceAcross;   // the surface across the whole diameter, -A..A
    std::vector<ProfilePoint> residualAcross;  // the same against the best-fit conic

    std::vector<std::string> verdict;  // three or four sentences
    // How the input was taken where the user should know (a header row
    // skipped, a mask edge taken as the rim), each beginning with its place.
    std::vector<std::string> notes;
};

inline constexpr int kProfilePoints = 21;
inline constexpr int kPlotPoints = 201;

// Reduces the input. Throws ReductionInputError for input that breaks a
// rule (the readings running the wrong way included) or that leaves any
// figure not a finite number, and ReductionFitError when a fit does not
// converge. Every figure of the result is finite but the round trips.
ReductionResult reduce(const ReductionInput& input);

}  // namespace sg
