// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/command_line.h"

#include "model/failure.h"
#include "model/number_text.h"
#include "fileio/record_file.h"

#include <algorithm>
#include <iostream>
#include <string_view>

namespace sg {

namespace {

std::string quoted(const std::string& text) { return "'" + printableFileName(text) + "'"; }

bool sameWord(std::string_view text, std::string_view word, bool anyCase) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = text[i];
        if (anyCase && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

// One of the spellings of `words`, separated by '|'.
bool spelledAs(std::string_view text, std::string_view words, bool anyCase) {
    for (std::size_t from = 0;;) {
        const std::size_t bar = words.find('|', from);
        if (sameWord(text, words.substr(from, bar - from), anyCase)) return true;
        if (bar == std::string_view::npos) return false;
        from = bar + 1;
    }
}

}  // namespace

CommandLine::CommandLine(std::vector<std::string> args) : args_(std::move(args)), operandsFrom_(args_.size()) {}

bool CommandLine::next() {
    if (at_ >= args_.size()) return false;
    ++at_;
    if (at_ - 1 < operandsFrom_ && args_[at_ - 1] == "--") {
        operandsFrom_ = at_;
        return next();
    }
    if (isOption()) {
        const std::string& name = argument();
        if (std::find(seen_.begin(), seen_.end(), name) != seen_.end())
            throw UsageError("option " + printableToken(name) + " given twice");
        seen_.push_back(name);
    }
    return true;
}

const std::string& CommandLine::argument() const {
    if (at_ == 0) throw std::logic_error("CommandLine: no argument stepped to");
    return args_[at_ - 1];
}

bool CommandLine::isOption() const {
    const std::string& a = argument();
    return at_ - 1 < operandsFrom_ && a.size() > 1 && a[0] == '-';
}

bool CommandLine::is(const char* name) const { return isOption() && argument() == name; }

const std::string& CommandLine::option() const { return args_[option_]; }

const std::string& CommandLine::value() {
    option_ = at_ - 1;
    if (at_ >= args_.size()) throw UsageError("option " + argument() + " needs a value");
    ++at_;
    return args_[at_ - 1];
}

const std::string& CommandLine::numberText() {
    const std::string& text = value();
    double v = 0;
    if (!tryParseCellFloat(text, kDecimalSeparator, v))
        throw UsageError("option " + option() + " takes a number, not " + quoted(text));
    return text;
}

double CommandLine::number() { return parseCellFloat(numberText()); }

const std::string& CommandLine::wholeNumberText() {
    const std::string& text = value();
    try {
        parseCellInteger(text);
    } catch (const ActionError&) {
        throw UsageError("option " + option() + " takes a whole number, not " + quoted(text));
    }
    return text;
}

int CommandLine::wholeNumber() { return parseCellInteger(wholeNumberText()); }

std::size_t CommandLine::choice(std::initializer_list<const char*> words, bool anyCase) {
    const std::string& text = value();
    std::size_t index = 0;
    std::string list;
    for (const std::string_view w : words) {
        if (spelledAs(text, w, anyCase)) return index;
        ++index;
        list += index == 1 ? "" : index == words.size() ? " or " : ", ";
        list += w.substr(0, w.find('|'));
    }
    throw UsageError("option " + option() + " takes " + list + ", not " + quoted(text));
}

const std::string& CommandLine::fileName() {
    const std::string& name = value();
    if (name.empty()) throw FileNameError("option " + option() + " needs a file name");
    checkFileName(name);
    return name;
}

bool CommandLine::takeStandard(StandardOptions& o) const {
    if (is("--help") || is("-h")) o.help = true;
    else if (is("--version")) o.version = true;
    else return false;
    return true;
}

void CommandLine::refuse() const {
    if (isOption()) throw UsageError("unknown option " + quoted(argument()));
    throw UsageError("unexpected argument " + quoted(argument()));
}

void checkFileName(const std::string& name) {
    // A name that is not UTF-8 would reach the file system as another name.
    if (!isFaithfulFileName(name))
        throw FileNameError("the file name '" + printableFileName(name) +
                            "' is not valid UTF-8; rename the file or give a link to it");
}

int reportUsageError(const std::string& program, const std::string& message) {
    std::cerr << program << ": " << message << " (see " << program << " --help)\n";
    return kUsageStatus;
}

}  // namespace sg
