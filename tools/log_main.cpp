// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-log: a mirror's logbook from the command line. Lists its
// entries, shows one, adds a reduction, a fitted photo or a note, exports
// the whole logbook as JSON and prints it as a PDF report.
//
// Exit status: 0 done; 1 nothing to do (no such entry, an empty list, a
// logbook that cannot be written, a fit that failed); 2 bad usage, bad
// input or a damaged file. Errors go to standard error, one line each.

#include "fileio/record_file.h"
#include "fit/fit_report.h"
#include "logbook/logbook.h"
#include "logbook/logbook_records.h"
#include "logbook/logbook_report.h"
#include "logbook/logbook_text.h"
#include "model/number_text.h"
#include "photo/photo_error.h"
#include "photo/photo_file.h"
#include "reduction/reading_file.h"
#include "reduction/reduction.h"
#include "reduction/reduction_report.h"
#include "tools/fit_options.h"
#include "tools/reduce_options.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include <chrono>
#include <iostream>
#include <memory>

namespace {

constexpr const char* kName = "shadowgram-log";
constexpr int kDone = 0, kNothing = 1, kBad = 2;

std::string usage() {
    return "Usage: shadowgram-log FILE COMMAND [arguments]\n"
           "Keeps a mirror's logbook: every Foucault reduction, every fitted photo and every\n"
           "note of one mirror, dated, in one file (an SQLite database).\n"
           "\n"
           "Commands:\n"
           "  list                     the entries: date, kind, conic +/- sigma, correction\n"
           "                           error, RMS, Strehl and comment\n"
           "  show N                   entry N in full (a reduction's report, a fit's figures,\n"
           "                           a note's text)\n"
           "  add-reduction READINGS [options]\n"
           "                           reduces a reading file as shadowgram-reduce does (the\n"
           "                           same options) and adds it; prints the report\n"
           "  add-photo PHOTO [options]\n"
           "                           fits a photo of the grating test as shadowgram-fit does\n"
           "                           (the same options but --overlay; --diameter and --radius\n"
           "                           default to the logbook's mirror) and adds the photo, its\n"
           "                           alignment and the fit; prints the fit\n"
           "  add-note TEXT            adds a note\n"
           "  export --json            the whole logbook as JSON; each entry's \"report\" is what\n"
           "                           the command that made it printed with --json\n"
           "  report OUT.pdf           the whole history as a PDF: the progress plot, the list\n"
           "                           and each entry's figures\n"
           "\n"
           "Options of the add- commands:\n"
           "  --comment TEXT           a comment kept with the entry\n"
           "  --date WHEN              the date and time of the test (default now), as\n"
           "                           2026-11-30T20:15, 2026-11-30T20:15:00Z or 2026-11-30;\n"
           "                           local time unless a zone is given\n"
           "  --name NAME              the mirror's name when the logbook is made (default\n"
           "                           the file's name without its extension)\n"
           "An add- command on a file that does not exist makes the logbook, with the mirror\n"
           "(diameter, radius, wanted conic, wavelength, tester) of its first entry; a note\n"
           "cannot be the first entry.\n"
           "\n"
           "  --help                   this text\n"
           "  --version                the program's version\n"
           "\n"
           "A logbook written by a newer version, or on a medium that cannot be written, is\n"
           "read but not changed; a damaged file is refused and never written.\n"
           "\n"
           "Exit status: 0 done; 1 nothing to do (no such entry, no entries, a read-only\n"
           "logbook, a fit that failed); 2 bad usage or input, or a damaged file.\n";
}

int fail(const std::string& message, int status) {
    std::cerr << kName << ": " << message << '\n';
    return status;
}

bool print(const std::string& text) {
    std::cout << text;
    std::cout.flush();
    return static_cast<bool>(std::cout);
}

int printed(const std::string& text) {
    return print(text) ? kDone : fail("cannot write to standard output", kNothing);
}

// The logbook's own options of an add- command, taken out of its arguments.
struct EntryOptions {
    std::string comment;
    QDateTime when = QDateTime::currentDateTimeUtc();
    std::optional<std::string> name;
};

std::vector<std::string> takeEntryOptions(const std::vector<std::string>& args, EntryOptions& o) {
    std::vector<std::string> rest;
    bool operands = false, comment = false, date = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (operands || a == "--") {
            operands = true;
            rest.push_back(a);
            continue;
        }
        const bool ours = a == "--comment" || a == "--date" || a == "--name";
        if (!ours) {
            rest.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) throw sg::UsageError("option " + a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--comment") {
            if (comment) throw sg::UsageError("option --comment given twice");
            comment = true;
            o.comment = value;
        } else if (a == "--date") {
            if (date) throw sg::UsageError("option --date given twice");
            date = true;
            const std::optional<QDateTime> when = sg::parseEntryTime(value);
            if (!when) throw sg::UsageError("option --date takes a date and time such as 2026-11-30T20:15, not '" + value + "'");
            o.when = *when;
        } else {
            if (o.name) throw sg::UsageError("option --name given twice");
            if (value.empty()) throw sg::UsageError("option --name needs a name");
            o.name = value;
        }
    }
    return rest;
}

std::string defaultName(const std::string& file) {
    return QFileInfo(QString::fromStdString(file)).completeBaseName().toStdString();
}

// The logbook to add to: the existing one, or a new one of `mirror`.
std::unique_ptr<sg::Logbook> bookFor(const QString& path, const sg::LogMirror& mirror) {
    if (QFileInfo::exists(path)) return sg::Logbook::open(path);
    try {
        return sg::Logbook::create(path, mirror);
    } catch (const sg::LogbookError&) {
        // Another program made it meanwhile: add to that one.
        if (QFileInfo::exists(path)) return sg::Logbook::open(path);
        throw;
    }
}

// Adds the entry and prints the command's output; a logbook that cannot
// be written is said so, and nothing is printed.
int addAndPrint(sg::Logbook& book, const sg::LogEntry& entry, const std::string& output, bool json) {
    if (book.readOnly()) return fail(book.readOnlyReason(), kNothing);
    const long long id = book.add(entry);
    const std::string line = "Logbook: entry " + std::to_string(id) + " (" + sg::entryKindName(entry.kind) +
                             ") added to '" + sg::printableFileName(book.path().toStdString()) + "'";
    if (json) {
        std::cerr << kName << ": " << line << '\n';
        return printed(output);
    }
    return printed(output + line + "\n");
}

int addReduction(const std::string& file, const std::vector<std::string>& args) {
    EntryOptions entry;
    sg::ReduceOptions options;
    std::string typed;
    try {
        const std::vector<std::string> rest = takeEntryOptions(args, entry);
        options = sg::parseReduceOptions(rest);
        // The options that change the file's values, as typed.
        for (const std::string& arg : rest)
            if (arg != options.file && arg != "--json" && arg != "--profile" && arg != "--round-trip")
                typed += (typed.empty() ? "" : " ") + arg;
    } catch (const sg::FileNameError& e) {
        return fail(e.what(), kBad);
    } catch (const sg::UsageError& e) {
        return sg::reportUsageError(kName, e.what());
    }
    if (options.file.empty()) return sg::reportUsageError(kName, "add-reduction needs a reading file");

    sg::ReductionInput input;
    sg::ReductionResult result;
    try {
        input = sg::readReadingFile(QString::fromStdString(options.file));
        sg::applyOverrides(options, input);
        result = sg::reduce(input);
    } catch (const sg::ReductionInputError& e) {
        return fail("error: " + std::string(e.what()), kBad);
    } catch (const sg::ReductionFitError& e) {
        return fail("error: " + std::string(e.what()), kNothing);
    }
    for (const std::string& n : result.notes) std::cerr << "note: " << n << '\n';
    const sg::LogEntry e = sg::reductionEntry(input, result, options.file, typed, SHADOWGRAM_VERSION, entry.when);
    sg::LogEntry withComment = e;
    withComment.comment = entry.comment;
    const QString path = QString::fromStdString(file);
    std::unique_ptr<sg::Logbook> book = bookFor(path, sg::mirrorOf(result, entry.name.value_or(defaultName(file))));
    const std::string output = options.json ? e.report : sg::reportText(result, {options.profile, options.roundTrip});
    return addAndPrint(*book, withComment, output, options.json);
}

int statusOf(sg::PhotoFailure kind) {
    return kind == sg::PhotoFailure::Unusable || kind == sg::PhotoFailure::BadInput ? kBad : kNothing;
}

int addPhoto(const std::string& file, const std::vector<std::string>& args) {
    const auto started = std::chrono::steady_clock::now();
    EntryOptions entry;
    sg::FitOptions options;
    const QString path = QString::fromStdString(file);
    std::unique_ptr<sg::Logbook> book;
    if (QFileInfo::exists(path)) book = sg::Logbook::open(path);
    try {
        std::vector<std::string> rest = takeEntryOptions(args, entry);
        const auto given = [&rest](const char* option) {
            for (const std::string& a : rest) {
                if (a == "--") return false;
                if (a == option) return true;
            }
            return false;
        };
        if (given("--overlay")) throw sg::UsageError("add-photo keeps the photo and its fit; --overlay is shadowgram-fit's");
        // The logbook's mirror where the options do not give one.
        if (book) {
            std::vector<std::string> mirror;
            if (!given("--diameter")) mirror.insert(mirror.end(), {"--diameter", sg::shortestText(book->mirror().diameter)});
            if (!given("--radius")) mirror.insert(mirror.end(), {"--radius", sg::shortestText(book->mirror().radius)});
            if (!given("--source") && book->mirror().tester == sg::kMovingSourceTester)
                mirror.insert(mirror.end(), {"--source", "moving"});
            rest.insert(rest.begin(), mirror.begin(), mirror.end());
        }
        options = sg::parseFitOptions(rest);
    } catch (const sg::FileNameError& e) {
        return fail(e.what(), kBad);
    } catch (const std::invalid_argument& e) {
        return sg::reportUsageError(kName, e.what());
    }

    const std::string names[2] = {options.photo, options.secondPhoto};
    const int count = options.secondPhoto.empty() ? 1 : 2;
    QByteArray bytes[2];
    sg::LoadedPhoto photos[2];
    sg::PhotoAlignment alignments[2];
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromStdString(names[i]);
        if (const std::optional<QString> reason = sg::readFileStart(name, sg::kMaxPhotoBytes + 1, bytes[i]))
            return fail("cannot read the photo \"" + names[i] + "\": " + reason->toStdString(), kBad);
        try {
            photos[i] = sg::decodePhoto(bytes[i]);
        } catch (const sg::PhotoFileError& e) {
            return fail("cannot read the photo \"" + names[i] + "\": " + e.what(), kBad);
        }
        try {
            alignments[i] = sg::alignPhoto(photos[i].view());
        } catch (const sg::PhotoError& e) {
            return fail("\"" + names[i] + "\": " + e.what(), statusOf(e.kind()));
        }
    }
    sg::FitResult result;
    try {
        result = count == 1 ? sg::fitPhoto(alignments[0], options.request)
                            : sg::fitPhotoPair(alignments[0], alignments[1], *options.separation, options.request);
    } catch (const sg::PhotoError& e) {
        return fail((count == 1 ? "\"" + names[0] + "\": " : std::string()) + e.what(), statusOf(e.kind()));
    }
    sg::FitReportInput report;
    report.photo = names[0];
    report.secondPhoto = names[1];
    report.first = &alignments[0];
    report.second = count == 2 ? &alignments[1] : nullptr;
    report.separation = options.separation.value_or(0);
    report.result = &result;
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    for (const sg::FitWarning& w : result.warnings)
        if (w.kind == sg::FitWarningKind::NotFinite) std::cerr << kName << ": warning: " << w.message << '\n';

    if (!book) book = bookFor(path, sg::mirrorOf(result.mirror, entry.name.value_or(defaultName(file))));
    sg::PhotoEntryInput in;
    in.report = &report;
    in.request = &options.request;
    in.bytes = bytes[0];
    in.secondBytes = bytes[1];
    in.mirror = &book->mirror();
    sg::LogEntry e = sg::photoEntry(in, entry.when);
    e.comment = entry.comment;
    return addAndPrint(*book, e, options.json ? e.report : sg::fitReportText(report), options.json);
}

int addNote(const std::string& file, const std::vector<std::string>& args) {
    EntryOptions entry;
    std::vector<std::string> rest;
    try {
        rest = takeEntryOptions(args, entry);
        std::vector<std::string> operands;
        bool after = false;
        for (const std::string& a : rest) {
            if (!after && a == "--") after = true;
            else if (!after && a.size() > 1 && a[0] == '-') throw sg::UsageError("unknown option '" + a + "'");
            else operands.push_back(a);
        }
        if (operands.empty()) throw sg::UsageError("add-note needs the note's text");
        if (operands.size() > 1) throw sg::UsageError("add-note takes one text; put it in quotes");
        rest = operands;
    } catch (const sg::UsageError& e) {
        return sg::reportUsageError(kName, e.what());
    }
    const QString path = QString::fromStdString(file);
    if (!QFileInfo::exists(path))
        return fail("the logbook '" + sg::printableFileName(file) +
                        "' does not exist: its first entry is a reduction or a photo, which give the mirror",
                    kNothing);
    std::unique_ptr<sg::Logbook> book = sg::Logbook::open(path);
    sg::LogEntry e = sg::noteEntry(rest[0], entry.when);
    e.comment = entry.comment;
    return addAndPrint(*book, e, "", false);
}

int run(const std::string& file, const std::string& command, const std::vector<std::string>& args) {
    const QString path = QString::fromStdString(file);
    if (command == "add-reduction") return addReduction(file, args);
    if (command == "add-photo") return addPhoto(file, args);
    if (command == "add-note") return addNote(file, args);
    if (command == "list") {
        if (!args.empty()) return sg::reportUsageError(kName, "list takes no arguments");
        const std::unique_ptr<sg::Logbook> book = sg::Logbook::open(path, true);
        const std::vector<sg::LogEntry> entries = book->entries();
        const std::string text = sg::mirrorLine(book->mirror()) + "\n" + sg::listText(entries);
        const int status = printed(text);
        return status == kDone && entries.empty() ? kNothing : status;
    }
    if (command == "show") {
        if (args.size() != 1) return sg::reportUsageError(kName, "show takes one entry number");
        long long id = 0;
        try {
            std::size_t used = 0;
            id = std::stoll(args[0], &used);
            if (used != args[0].size() || id < 1) throw std::invalid_argument("");
        } catch (const std::exception&) {
            return sg::reportUsageError(kName, "show takes an entry number, not '" + args[0] + "'");
        }
        const std::unique_ptr<sg::Logbook> book = sg::Logbook::open(path, true);
        const std::optional<sg::LogEntry> e = book->entry(id);
        if (!e) return fail("the logbook has no entry " + std::to_string(id), kNothing);
        std::string text;
        for (const std::string& line : sg::entryLines(*e)) text += line + "\n";
        return printed(text);
    }
    if (command == "export") {
        if (args.size() != 1 || args[0] != "--json") return sg::reportUsageError(kName, "export takes --json");
        const std::unique_ptr<sg::Logbook> book = sg::Logbook::open(path, true);
        return printed(sg::logbookJson(*book, SHADOWGRAM_VERSION));
    }
    if (command == "report") {
        if (args.size() != 1) return sg::reportUsageError(kName, "report takes the PDF file to write");
        sg::checkFileName(args[0]);
        const std::unique_ptr<sg::Logbook> book = sg::Logbook::open(path, true);
        sg::writeLogbookReport(QString::fromStdString(args[0]), *book);
        return kDone;
    }
    return sg::reportUsageError(kName, "unknown command '" + command +
                                           "' (list, show, add-reduction, add-photo, add-note, export, report)");
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> all(argv + 1, argv + argc);
    for (const std::string& a : all) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") return printed(usage());
        if (a == "--version") return printed(std::string(kName) + " " + SHADOWGRAM_VERSION + "\n");
    }
    if (all.empty()) return sg::reportUsageError(kName, "no logbook file given");
    if (all.size() < 2) return sg::reportUsageError(kName, "no command given");
    const std::string& file = all[0];
    try {
        if (file.empty()) throw sg::FileNameError("the logbook's file name is empty");
        sg::checkFileName(file);
    } catch (const sg::FileNameError& e) {
        return fail(e.what(), kBad);
    }
    // The report's fonts need the GUI's application object, without a display.
    std::unique_ptr<QCoreApplication> app;
    if (all[1] == "report") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        return run(file, all[1], std::vector<std::string>(all.begin() + 2, all.end()));
    } catch (const sg::FileNameError& e) {
        return fail(e.what(), kBad);
    } catch (const sg::LogbookError& e) {
        // A logbook that cannot be read is damaged or not one: bad input.
        // One that cannot be written is refused work.
        const std::string m = e.what();
        const bool unwritable = m.rfind("Cannot add", 0) == 0 || m.rfind("Cannot make", 0) == 0 ||
                                m.rfind("Cannot write", 0) == 0 || m.rfind("Cannot change", 0) == 0 ||
                                m.find("is read-only") != std::string::npos;
        return fail(m, unwritable ? kNothing : kBad);
    }
}
