// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer's option parsing: arguments separated by newlines; every
// command line is taken or refused with one of the documented errors, and
// what is taken lies within its bounds. Set-up files are left to their own
// target, so no file is read here.
#include "model/failure.h"
#include "fuzz/fuzz_check.h"
#include "model/number_text.h"
#include "tools/render_options.h"
#include "testfile/test_record.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args = fuzzArguments(data, size);
    for (std::size_t i = 0; i < args.size(); ++i)
        if (args[i] == "--setup") args[i] = "--shape";
    try {
        const sg::RenderOptions o = sg::parseRenderOptions(args);
        FUZZ_CHECK(o.brighten >= 0 && o.brighten <= sg::kMaxPresses);
        FUZZ_CHECK(o.centres >= 0 && o.centres <= sg::kMaxPresses);
        for (const std::string& cell : o.mirror.controls.parameters) {
            double value = 0;
            FUZZ_CHECK(sg::tryParseCellFloat(cell, sg::kDecimalSeparator, value));
        }
    } catch (const sg::ActionError&) {
    } catch (const sg::TestFileError&) {
    } catch (const std::invalid_argument&) {
    }
    // The same bytes as one line of a --batch file: split into words no
    // longer in all than the line, or refused for an open quote.
    const std::string line(reinterpret_cast<const char*>(data), size);
    try {
        std::size_t total = 0;
        for (const std::string& word : sg::batchLineWords(line)) total += word.size();
        FUZZ_CHECK(total <= line.size());
    } catch (const sg::UsageError&) {
    }
    return 0;
}
