// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Options of shadowgram-fit.

#include "tools/command_line.h"
#include "fit/photo_fit.h"

#include <optional>
#include <string>
#include <vector>

namespace sg {

struct FitOptions {
    std::string photo;                  // the photo to fit
    FitRequest request;                 // mirror, side, zone and tester as given
    std::string secondPhoto;            // empty without a second photo
    std::optional<double> separation;   // mm, the second photo's grating minus the first's
    bool json = false;
    std::string overlay;                // empty: no overlay
    bool help = false;
    bool version = false;
};

// Parses the command line (without the program name). Throws UsageError
// (command_line.h) for an unknown option, a missing or bad value, a
// missing required option, options that do not go together or values the
// fit cannot take (requestFault, naming the option), and FileNameError for
// a file name that cannot be used.
FitOptions parseFitOptions(const std::vector<std::string>& args);

std::string fitUsage();

}  // namespace sg
