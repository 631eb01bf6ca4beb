// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reduction as the command prints it: the text report (fixed layout,
// '.' as the decimal point in every locale) and the JSON document.

#include "reduction/reduction.h"

#include <string>

namespace sg {

struct ReportOptions {
    bool profile = false;    // the 21-point surface table
    bool roundTrip = false;  // the round-trip column of the zone table
};

// The text report, every line ending in '\n'.
std::string reportText(const ReductionResult& result, const ReportOptions& options);

// The report's lines from "Reference radius" to "Correction error", in
// order, for a window.
std::vector<std::string> figureLines(const ReductionResult& result);

// "Set j: PV ..., Couder ... (pass)": one set reduced alone, as the report
// and a window print it.
std::string setLine(const SetFigures& set, int number);

// The figures that have no value, for a warning beside a report that
// shows them: each zone whose round trip finds no null on the surface
// handed to the simulator (round_trip_mm, null in the JSON).
std::vector<std::string> missingFigures(const ReductionResult& result);

// Every figure of the result under stable keys (see the command's --help
// and the keys in reduction_report.cpp), one JSON object with a final
// newline. Numbers are written to full precision; a spread of a single set
// and a missing round trip (see missingFigures) are null.
std::string reportJson(const ReductionResult& result, const std::string& version);

}  // namespace sg
