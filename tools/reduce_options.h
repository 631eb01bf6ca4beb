// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of shadowgram-reduce: one reading file and the options
// that override its header values.

#include "tools/command_line.h"
#include "reduction/reduction_input.h"

#include <string>
#include <utility>
#include <vector>

namespace sg {

struct ReduceOptions {
    std::string file;
    // Header values given as options, in the order given; each replaces
    // the file's value (a later one an earlier one).
    std::vector<std::pair<HeaderKey, std::string>> overrides;
    bool profile = false;
    bool json = false;
    bool roundTrip = false;
    bool help = false;
    bool version = false;
};

// Reads the arguments (after the program's name). A mistake in them throws
// UsageError (command_line.h), a file name that cannot be used
// FileNameError. A missing file is not an error here: --help and --version
// need none.
ReduceOptions parseReduceOptions(const std::vector<std::string>& args);

// Applies the overrides to the file's input; the values were checked when
// parsed.
void applyOverrides(const ReduceOptions& options, ReductionInput& input);

std::string reduceUsage();

}  // namespace sg
