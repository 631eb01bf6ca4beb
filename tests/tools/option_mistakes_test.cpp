// SPDX-License-Identifier: GPL-3.0-or-later
// Every command-line program words the same mistake in the same way: one
// line on standard error that names the program and points to its --help,
// nothing on standard output, exit status 2. "--" ends the options in
// every program, and --help and --version answer alike.
#include "tests/support/raw_process.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sg {
namespace {

using testing::RawRun;
using testing::runRaw;

struct Program {
    std::string name;
    std::string path;
};

const Program kPrograms[] = {{"shadowgram-render", SHADOWGRAM_RENDER},
                             {"shadowgram-analyse", SHADOWGRAM_ANALYSE},
                             {"shadowgram-fit", SHADOWGRAM_FIT},
                             {"shadowgram-reduce", SHADOWGRAM_REDUCE}};

RawRun run(const Program& p, std::vector<std::string> args) {
    args.insert(args.begin(), p.path);
    return runRaw(args);
}

struct Mistake {
    std::vector<std::string> args;
    std::string message;
};

TEST(OptionMistakes, ReadTheSameInEveryProgram) {
    const Mistake mistakes[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"--diameter", "200", "--frobnicate", "1"}, "unknown option '--frobnicate'"},
        {{"--help", "--bogus"}, "unknown option '--bogus'"},
        {{"--bogus\xE9"}, "unknown option '--bogus\\xE9'"},
        {{"--wavelength"}, "option --wavelength needs a value"},
        {{"--radius", "200", "--diameter"}, "option --diameter needs a value"},
        {{"--diameter", "200", "--diameter", "300"}, "option --diameter given twice"},
        {{"--wavelength", "0.5", "--diameter", "1", "--wavelength", "0.6"}, "option --wavelength given twice"},
        {{"--diameter", "abc"}, "option --diameter takes a number, not 'abc'"},
        {{"--diameter", "1,5"}, "option --diameter takes a number, not '1,5'"},
        {{"--wavelength", ""}, "option --wavelength takes a number, not ''"},
        {{"--diameter", "1e999"}, "option --diameter takes a number, not '1e999'"},
        {{"--diameter", "nan"}, "option --diameter takes a number, not 'nan'"},
        // A value is the next argument, whatever it looks like.
        {{"--diameter", "--radius", "2000"}, "option --diameter takes a number, not '--radius'"},
    };
    for (const Program& p : kPrograms)
        for (const Mistake& m : mistakes) {
            const RawRun r = run(p, m.args);
            EXPECT_EQ(r.exitCode, 2) << p.name << " " << m.message;
            EXPECT_EQ(r.standardError, p.name + ": " + m.message + " (see " + p.name + " --help)\n");
            EXPECT_EQ(r.standardOutput, "") << p.name << " " << m.message;
        }
}

TEST(OptionMistakes, HelpAndVersionAnswerAlike) {
    for (const Program& p : kPrograms) {
        for (const char* help : {"--help", "-h"}) {
            const RawRun r = run(p, {help});
            EXPECT_EQ(r.exitCode, 0) << p.name << " " << help;
            EXPECT_EQ(r.standardOutput.rfind("Usage: " + p.name + " ", 0), 0u) << r.standardOutput;
            EXPECT_EQ(r.standardError, "") << p.name;
        }
        const RawRun v = run(p, {"--version"});
        EXPECT_EQ(v.exitCode, 0) << p.name;
        EXPECT_EQ(v.standardOutput, p.name + " " + SHADOWGRAM_VERSION_TEXT + "\n");
    }
}

// After "--" an argument that looks like an option is an operand: a file
// for the programs that take one, a mistake of its own for those that take
// none.
TEST(OptionMistakes, TwoDashesEndTheOptions) {
    for (const Program& p : {kPrograms[0], kPrograms[1]}) {
        const RawRun r = run(p, {"--", "--tables"});
        EXPECT_EQ(r.exitCode, 2) << p.name;
        EXPECT_EQ(r.standardError, p.name + ": unexpected argument '--tables' (see " + p.name + " --help)\n");
    }
    const RawRun fit = run(kPrograms[2], {"--diameter", "200", "--radius", "2000", "--lines", "4", "--", "-photo.jpg"});
    EXPECT_EQ(fit.exitCode, 2);
    EXPECT_EQ(fit.standardError.rfind("shadowgram-fit: cannot read the photo \"-photo.jpg\": ", 0), 0u)
        << fit.standardError;
    const RawRun reduce = run(kPrograms[3], {"--", "--json"});
    EXPECT_EQ(reduce.exitCode, 2);
    EXPECT_EQ(reduce.standardError, "error: cannot read '--json': No such file or directory\n");
    // Only the first "--" is taken: a second one is an operand.
    const RawRun twice = run(kPrograms[3], {"--", "a.txt", "--"});
    EXPECT_EQ(twice.standardError,
              "shadowgram-reduce: one reading file only, found 'a.txt' and '--' (see shadowgram-reduce --help)\n");
}


// The program with the windows reads what is left after the toolkit's own
// options the same way: no option of its own, at most one file.
TEST(OptionMistakes, TheWindowedProgramWordsThemAlike) {
    const Program app{"shadowgram", SHADOWGRAM_APP};
    for (const auto& [args, message] :
         {std::pair<std::vector<std::string>, std::string>{{"--bogus"}, "unknown option '--bogus'"},
          {{"a.Ron", "-x"}, "unknown option '-x'"},
          {{"a.Ron", "b.Ron"}, "one file at a time"},
          {{"--", "a.Ron", "--"}, "one file at a time"}}) {
        const RawRun r = run(app, args);
        EXPECT_EQ(r.exitCode, 2) << message;
        // The toolkit may warn first on its own lines (XDG_RUNTIME_DIR unset).
        const std::string line = "shadowgram: " + message + " (see shadowgram --help)\n";
        ASSERT_GE(r.standardError.size(), line.size()) << r.standardError;
        EXPECT_EQ(r.standardError.substr(r.standardError.size() - line.size()), line);
        EXPECT_EQ(r.standardOutput, "") << message;
    }
    const RawRun v = run(app, {"--version"});
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_EQ(v.standardOutput, std::string("shadowgram ") + SHADOWGRAM_VERSION_TEXT + "\n");
    const RawRun h = run(app, {"-h"});
    EXPECT_EQ(h.exitCode, 0);
    EXPECT_EQ(h.standardOutput.rfind("Usage: shadowgram ", 0), 0u) << h.standardOutput;
}

}  // namespace
}  // namespace sg
