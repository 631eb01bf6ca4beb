// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_text.h"

#include "model/number_text.h"
#include "reduction/reading_text.h"
#include "reduction/reduction.h"
#include "reduction/reduction_report.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace sg {

namespace {

// A figure of the list: fixed decimals (a tiny Strehl ratio is 0.000, as
// the reduction prints it), the short exponent form only for a huge value.
std::string figure(const std::optional<double>& v, int decimals) {
    if (!v) return {};
    return std::fabs(*v) < 1e9 ? fixedText(*v, decimals) : boundedText(*v, decimals);
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string signedFigure(double v, int decimals) {
    const std::string s = boundedText(v, decimals);
    return s[0] == '-' ? s : "+" + s;
}

}  // namespace

std::string mirrorLine(const LogMirror& m) {
    return "Mirror '" + m.name + "': D " + boundedText(m.diameter, 2) + " mm, R " + boundedText(m.radius, 2) +
           " mm, f/" + boundedText(m.radius / (2 * m.diameter), 2) + ", wanted conic " + boundedText(m.wantedConic, 4) +
           ", lambda " + boundedText(m.wavelength, 4) + " um, " + m.tester;
}

std::string localTime(const std::string& made) {
    const QDateTime when = QDateTime::fromString(QString::fromStdString(made), Qt::ISODateWithMs);
    if (!when.isValid()) return made;
    return when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
}

std::vector<std::string> listHeader() {
    return {"entry", "date", "kind", "conic", "+/-", "correction_wave", "rms_wave", "strehl", "comment"};
}

std::vector<std::string> listRow(const LogEntry& e) {
    std::string comment = e.comment;
    if (comment.empty() && e.kind == EntryKind::Note) comment = firstLine(e.note);
    return {std::to_string(e.id),
            localTime(e.made),
            entryKindName(e.kind),
            figure(e.conic, 4),
            figure(e.conicSigma, 4),
            figure(e.correctionError, 3),
            figure(e.rms, 4),
            figure(e.strehl, 3),
            firstLine(comment)};
}

std::string listText(const std::vector<LogEntry>& entries) {
    std::vector<std::vector<std::string>> rows{listHeader()};
    for (const LogEntry& e : entries) rows.push_back(listRow(e));
    std::vector<std::size_t> width(kListColumns, 0);
    for (const auto& row : rows)
        for (int c = 0; c + 1 < kListColumns; ++c) width[c] = std::max(width[c], row[c].size());
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (int c = 0; c < kListColumns; ++c) {
            // Numbers and the entry's number to the right, words to the left.
            const bool right = c == 0 || (c >= 3 && c <= 7);
            const std::string& cell = row[c];
            if (c + 1 == kListColumns) line += cell;
            else if (right) line += std::string(width[c] - cell.size(), ' ') + cell + "  ";
            else line += cell + std::string(width[c] - cell.size(), ' ') + "  ";
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

std::vector<std::string> entryLines(const LogEntry& e) {
    std::vector<std::string> lines;
    lines.push_back("Entry " + std::to_string(e.id) + ": " + entryKindName(e.kind) + ", " + localTime(e.made));
    if (!e.comment.empty()) lines.push_back("Comment: " + e.comment);
    if (e.kind == EntryKind::Note) {
        std::istringstream text(e.note);
        for (std::string line; std::getline(text, line);) lines.push_back(line);
    }
    if (e.reduction) {
        const ReductionRecord& r = *e.reduction;
        if (!r.fileName.empty()) lines.push_back("Reading file: " + r.fileName);
        if (!r.options.empty()) lines.push_back("Options: " + r.options);
        try {
            const ReductionResult result = reduce(parseReadingText(r.readings));
            std::istringstream report(reportText(result, {}));
            for (std::string line; std::getline(report, line);) lines.push_back(line);
        } catch (const std::exception& failure) {
            // Readings a later version of the reduction refuses: the kept verdict.
            lines.push_back(std::string("The readings do not reduce again: ") + failure.what());
            std::istringstream verdict(r.verdict);
            for (std::string line; std::getline(verdict, line);) lines.push_back("Verdict: " + line);
        }
    }
    if (e.photo) {
        const PhotoRecord& p = *e.photo;
        lines.push_back("Photo: " + p.fileName + " (" + std::to_string(p.bytes.size()) + " bytes)");
        if (!p.secondName.empty())
            lines.push_back("Second photo: " + p.secondName + " (" + std::to_string(p.secondBytes.size()) +
                            " bytes), " + boundedText(p.separation, 4) + " mm from the first");
        lines.push_back("Fitted with: D " + boundedText(p.diameter, 2) + " mm, R " + boundedText(p.radius, 2) + " mm, " +
                        boundedText(p.linesPerMm, 2) + " lines/mm, lambda " + boundedText(p.wavelength, 4) + " um, " +
                        (p.sourceMoves ? "moving" : "fixed") + " source, " + (p.exact ? "exact ray trace" : "two-term series") +
                        ", side given " + p.sideGiven + ", zone " + p.zone);
        const double offset = p.sourceMoves ? p.offset / 2 : p.offset;
        lines.push_back("Offset: " + signedFigure(offset, 4) + " +/- " + boundedText(p.offsetSigma, 4) + " mm, " +
                        (p.sideFrom == "undecided" ? std::string("side undecided")
                                                   : p.side + " the centre of curvature (" + p.sideFrom + ")"));
        lines.push_back("Conic: " + signedFigure(e.conic.value_or(p.conic), 5) + " +/- " +
                        boundedText(e.conicSigma.value_or(0), 5) + ", correction " +
                        boundedText(-100 * e.conic.value_or(p.conic), 1) + " %");
        if (p.zone != "none")
            lines.push_back("Zone: " + signedFigure(p.zoneHeight, 4) + " +/- " + boundedText(p.zoneHeightSigma, 4) +
                            " waves on the surface, from " + boundedText(p.zoneStart, 2) + " of the radius");
        if (e.correctionError)
            lines.push_back("Correction error against the wanted conic: " + boundedText(*e.correctionError, 3) + " wave");
    }
    return lines;
}

ProgressSeries progressSeries(const std::vector<LogEntry>& entries, const LogMirror& mirror) {
    ProgressSeries s;
    s.wantedConic = mirror.wantedConic;
    for (const LogEntry& e : entries) {
        const QDateTime when = QDateTime::fromString(QString::fromStdString(e.made), Qt::ISODateWithMs);
        if (!when.isValid() || e.kind == EntryKind::Note) continue;
        const double t = double(when.toMSecsSinceEpoch()) / 1000;
        const bool photo = e.kind == EntryKind::Photo;
        if (e.conic) s.conic.push_back({e.id, t, *e.conic, e.conicSigma.value_or(0), photo});
        if (e.correctionError) s.correction.push_back({e.id, t, *e.correctionError, 0, photo});
        if (e.rms) s.rms.push_back({e.id, t, *e.rms, 0, photo});
    }
    const auto byTime = [](const ProgressPoint& a, const ProgressPoint& b) {
        return a.time != b.time ? a.time < b.time : a.entry < b.entry;
    };
    for (auto* series : {&s.conic, &s.correction, &s.rms}) std::stable_sort(series->begin(), series->end(), byTime);
    return s;
}

}  // namespace sg
