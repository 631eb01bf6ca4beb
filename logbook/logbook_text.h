// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A logbook in words: the list of entries as the command, the window and
// the report show it, one entry's figures in full, and the points of the
// progress plot. Numbers with '.', whatever the locale.

#include "logbook/logbook_entry.h"

#include <string>
#include <vector>

namespace sg {

// The mirror in one line: "Mirror 'name': D 200.00 mm, R 1600.00 mm, f/4.00,
// wanted conic -1.0000, lambda 0.5500 um, moving source".
std::string mirrorLine(const LogMirror& mirror);

// The entry's date and time in local time, "2026-11-30 20:15"; the text as
// kept when it is not a date.
std::string localTime(const std::string& made);

// The columns of the list: entry, date, kind, conic, +/- sigma, correction
// error (wave), RMS (wave), Strehl, comment (a note's first line where it
// has no comment). A figure the entry does not have is empty.
inline constexpr int kListColumns = 9;
std::vector<std::string> listHeader();
std::vector<std::string> listRow(const LogEntry& entry);
// The list as text: the header and a row per entry, columns aligned.
std::string listText(const std::vector<LogEntry>& entries);

// One entry whole, line by line: its date, kind and comment, then a
// reduction's report as shadowgram-reduce prints it (reduced again from its
// readings), a fit's settings and figures, or a note's text.
std::vector<std::string> entryLines(const LogEntry& entry);

// The points of the progress plot: the conic of every reduction and fit
// (a fit's with its sigma), the correction error of both, the RMS of the
// reductions, each against the entry's time.
struct ProgressPoint {
    long long entry = 0;
    double time = 0;         // seconds since 1970-01-01 UTC
    double value = 0;
    double sigma = 0;        // 0: none
    bool fromPhoto = false;  // a fitted photo's rather than a reduction's
};
struct ProgressSeries {
    std::vector<ProgressPoint> conic, correction, rms;
    double wantedConic = -1;
};
ProgressSeries progressSeries(const std::vector<LogEntry>& entries, const LogMirror& mirror);

}  // namespace sg
