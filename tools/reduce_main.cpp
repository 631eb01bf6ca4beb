// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-reduce: the Foucault reduction of a reading file, as text or
// JSON. Nothing reaches standard output unless the whole reduction
// succeeded; every failure is one line on standard error: a mistake in the
// command line as every program of the project words it
// ("shadowgram-reduce: ..."), bad input and failed fits "error: ...". How
// the input was taken, where the user should know, is a line "note: ..."
// on standard error, and a report with a figure that has no value (written
// null) says so in a line "warning: ...".

#include "reduction/reading_file.h"
#include "tools/reduce_options.h"
#include "reduction/reduction.h"
#include "reduction/reduction_report.h"

#include <QString>

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kName = "shadowgram-reduce";

}  // namespace

int main(int argc, char** argv) {
    sg::ReduceOptions options;
    try {
        options = sg::parseReduceOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const sg::FileNameError& e) {
        std::cerr << kName << ": " << e.what() << '\n';
        return sg::kUsageStatus;
    } catch (const sg::UsageError& e) {
        return sg::reportUsageError(kName, e.what());
    }
    if (options.help) {
        std::cout << sg::reduceUsage();
        return 0;
    }
    if (options.version) {
        std::cout << kName << " " << SHADOWGRAM_VERSION << '\n';
        return 0;
    }
    if (options.file.empty()) return sg::reportUsageError(kName, "no reading file given");

    std::string output;
    std::vector<std::string> missing, notes;
    try {
        sg::ReductionInput input = sg::readReadingFile(QString::fromStdString(options.file));
        sg::applyOverrides(options, input);
        const sg::ReductionResult result = sg::reduce(input);
        output = options.json ? sg::reportJson(result, SHADOWGRAM_VERSION)
                              : sg::reportText(result, {options.profile, options.roundTrip});
        if (options.json || options.roundTrip) missing = sg::missingFigures(result);
        notes = result.notes;
    } catch (const sg::ReductionInputError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return 2;
    } catch (const sg::ReductionFitError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return 1;
    }
    for (const std::string& n : notes) std::cerr << "note: " << n << '\n';
    for (const std::string& m : missing) std::cerr << "warning: " << m << '\n';
    std::cout << output;
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "error: cannot write the report to standard output\n";
        return 1;
    }
    return 0;
}
