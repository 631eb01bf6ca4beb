// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of every program in tools/: the arguments read one at a
// time, options and their values, and one wording for every mistake, so
// that the same mistake reads the same in every program:
//
//     <program>: unknown option '--bogus' (see <program> --help)
//     <program>: option --diameter needs a value (see <program> --help)
//     <program>: option --diameter takes a number, not 'abc' (see <program> --help)
//
// each on standard error with exit status 2. An option is an argument that
// begins with '-' and is more than "-" alone, before a first "--"; "--"
// ends the options, and every argument after it is an operand. The value
// of an option is the next argument, whatever it is. An option given twice
// is a mistake ("option --x given twice"): which one was meant is not the
// program's to guess.

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace sg {

// The exit status of a command line that cannot be used.
inline constexpr int kUsageStatus = 2;

// A mistake in the command line: reported with a pointer to --help.
class UsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// A file name on the command line that cannot be used as given; the
// programs say why without the pointer to --help.
class FileNameError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// --help (or -h) and --version, which every program takes.
struct StandardOptions {
    bool help = false;
    bool version = false;
};

class CommandLine {
public:
    // The arguments after the program's name.
    explicit CommandLine(std::vector<std::string> args);

    // Steps to the next argument, past a first "--"; false after the last.
    bool next();
    // The argument stepped to.
    const std::string& argument() const;
    // The argument is an option rather than an operand.
    bool isOption() const;
    // The argument is the option `name`.
    bool is(const char* name) const;

    // The value of the option stepped to, which it steps onto. None left
    // throws UsageError "option --x needs a value".
    const std::string& value();
    // The value read as a grid cell reads a number (surrounding blanks, a
    // sign, digits with a '.', an exponent; finite), or UsageError "option
    // --x takes a number, not '...'". numberText gives the text as typed.
    double number();
    const std::string& numberText();
    // The same for a whole number in the 32-bit range: "takes a whole
    // number, not '...'".
    int wholeNumber();
    const std::string& wholeNumberText();
    // The value as the index of one of `words` (case-sensitive unless
    // `anyCase`), or UsageError "option --x takes a, b or c, not '...'". A
    // word may have other spellings after a '|' ("centre|center"), which the
    // message leaves out.
    std::size_t choice(std::initializer_list<const char*> words, bool anyCase = false);
    // The value as a file name: an empty one throws FileNameError "option
    // --x needs a file name", one that is not valid UTF-8 (it would name
    // another file once it is a QString) the FileNameError of
    // checkFileName.
    const std::string& fileName();

    // Takes --help, -h and --version into `o`; false for any other argument.
    bool takeStandard(StandardOptions& o) const;

    // UsageError "unknown option '--x'" for an option, "unexpected argument
    // 'x'" for an operand the program takes none of.
    [[noreturn]] void refuse() const;

private:
    const std::string& option() const;  // the option whose value is being read

    std::vector<std::string> args_;
    std::size_t at_ = 0;       // 1 + the index of the argument stepped to; 0 before the first
    std::size_t option_ = 0;   // the index of the option whose value was read last
    std::size_t operandsFrom_; // the index of the first argument after "--" (args_.size() without one)
    std::vector<std::string> seen_;  // the options stepped to so far
};

// A file name given as an operand: one that is not valid UTF-8 throws
// FileNameError "the file name '...' is not valid UTF-8; rename the file or
// give a link to it".
void checkFileName(const std::string& name);

// Writes "<program>: <message> (see <program> --help)" to standard error
// and returns kUsageStatus.
int reportUsageError(const std::string& program, const std::string& message);

}  // namespace sg
