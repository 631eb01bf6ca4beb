// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading files made from a known mirror: each zone's reading is the exact
// null of a conic (R, K) for the tester, read on a scale whose zero stands
// at the nominal radius.

#include "reduction/exact_null.h"
#include "reduction/reduction_input.h"

#include <cmath>
#include <functional>

namespace sg::testing {

struct MirrorCase {
    double diameter = 200;
    double radius = 2000;        // nominal: the knife at reading 0
    double wantedConic = -1;
    SourceKind source = SourceKind::Moving;
    int zones = 6;               // equal-area zones
    ZoneRadiusRule rule = ZoneRadiusRule::Rms;
    double obstruction = 0;
};

// The zone's radius by the case's rule for equal-area zone i (0-based).
inline double zoneRadiusOf(const MirrorCase& c, int i) {
    const double a = c.diameter / 2 * std::sqrt(static_cast<double>(i) / c.zones);
    const double b = c.diameter / 2 * std::sqrt(static_cast<double>(i + 1) / c.zones);
    return c.rule == ZoneRadiusRule::Rms ? std::sqrt((a * a + b * b) / 2) : (a + b) / 2;
}

// The input of a case, with one set of readings from `reading(h)`.
inline ReductionInput inputWith(const MirrorCase& c, const std::function<double(double)>& reading) {
    ReductionInput in;
    in.diameter = c.diameter;
    in.radius = c.radius;
    in.conic = c.wantedConic;
    in.source = c.source;
    in.zoneCount = c.zones;
    in.zoneRadius = c.rule;
    in.obstruction = c.obstruction;
    for (int i = 0; i < c.zones; ++i) {
        ZoneEntry z;
        z.readings.push_back(reading(zoneRadiusOf(c, i)));
        in.zones.push_back(z);
    }
    return in;
}

// The readings of a true conic (trueRadius, trueConic) plus `offset` on the
// case's scale.
inline ReductionInput conicReadings(const MirrorCase& c, double trueRadius, double trueConic, double offset = 0) {
    const Tester t{c.source, c.radius};
    return inputWith(c, [&](double h) { return conicNull(trueRadius, trueConic, h, t) - c.radius + offset; });
}

}  // namespace sg::testing
