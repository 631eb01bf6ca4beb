// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What shadowgram-fit prints (and a logbook keeps of a fit): lines of text, or the same as JSON under
// stable keys. Numbers are written with a point whatever the locale, in
// fixed notation without the sign of a value that rounds to zero, and never
// longer than 24 characters: a huge value, or a tiny one that would show as
// zero, in the shortest form with an exponent (1e+100, 2.5e-12). In the
// text a number that is not finite is "nan", "inf" or "-inf", in the JSON
// null; the fit's warnings name such numbers.

#include "fit/photo_fit.h"

#include <string>

namespace sg {

struct FitReportInput {
    std::string photo;         // the first photo's name as given
    std::string secondPhoto;   // empty for one photo
    const PhotoAlignment* first = nullptr;
    const PhotoAlignment* second = nullptr;
    double separation = 0;     // mm, with a second photo
    const FitResult* result = nullptr;
    double seconds = 0;        // the whole run's
};

std::string fitReportText(const FitReportInput& in);

// The words the report uses for the fit's choices: "inside", "outside" or
// "undecided"; "given", "second photo", "conic" or "undecided"; "none",
// "edge" or "centre"; "rays" or "waves"; "point", "slit" or "grating".
const char* sideName(Side s);
const char* sideFromName(SideFrom s);
const char* zoneName(ZoneKind k);
const char* modelName(FitModel m);
const char* sourceKindName(LightSource k);
std::string fitReportJson(const FitReportInput& in);

}  // namespace sg
