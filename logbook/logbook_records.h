// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Entries made from what the reduction and the photo fit give, the mirror a
// logbook starts with, and the whole logbook as JSON.

#include "fit/fit_report.h"
#include "fit/photo_fit.h"
#include "logbook/logbook.h"
#include "reduction/reduction.h"

#include <QDateTime>

#include <string>

namespace sg {

// The date and time as an entry keeps it: UTC, "yyyy-MM-ddTHH:mm:ss.zzzZ".
std::string entryTime(const QDateTime& when);
// A date and time as the command line takes it: "2026-11-30T20:15",
// seconds and a zone ("Z", "+01:00") optional, a date alone at midnight;
// without a zone, local time. None for a text that is not one.
std::optional<QDateTime> parseEntryTime(const std::string& text);

// The mirror and tester of a reduction (mm, whatever the readings' units).
LogMirror mirrorOf(const ReductionResult& result, const std::string& name);
// The mirror and tester of a fit; the wanted conic is a paraboloid's.
LogMirror mirrorOf(const FitMirror& mirror, const std::string& name);

// A reduction entry: the readings as the reading file writes `input` (the
// options already applied), the key figures and the report as
// shadowgram-reduce --json prints it with `version`.
LogEntry reductionEntry(const ReductionInput& input, const ReductionResult& result, const std::string& fileName,
                        const std::string& options, const std::string& version, const QDateTime& when);

// A photo entry: the photo's bytes, its place on the frame, the fit's
// settings and results, the report as shadowgram-fit --json prints it
// (`report`, the photos' names and the run's seconds in it), and the
// correction error of the fitted conic against `mirror`'s wanted one.
struct PhotoEntryInput {
    const FitReportInput* report = nullptr;
    const FitRequest* request = nullptr;
    QByteArray bytes;        // the first photo's file
    QByteArray secondBytes;  // the second's, empty without one
    const LogMirror* mirror = nullptr;
};
LogEntry photoEntry(const PhotoEntryInput& in, const QDateTime& when);

LogEntry noteEntry(const std::string& text, const QDateTime& when);

// The fit as kept in a photo entry, enough to draw its edges over the
// photo again (fittedEdgeMask): the mirror, the zone, the frame's band axis
// and the band parameters, with the uncertainties.
FitResult fitOf(const PhotoRecord& photo, const LogEntry& entry);
FrameMapping mappingOf(const PhotoRecord& photo);

// The whole logbook as JSON: program, version, schema, mirror {name,
// diameter_mm, radius_mm, wanted_conic, wavelength_um, tester}, entries
// [{entry, kind, date, comment, then a reduction's "readings", "options"
// and "report", a photo's "photo", "photo_bytes", "report", a note's
// "text"}]. Each report is the JSON document its command printed.
std::string logbookJson(const Logbook& book, const std::string& version);

}  // namespace sg
