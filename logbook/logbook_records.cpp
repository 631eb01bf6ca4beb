// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook_records.h"

#include "fit/fit_report.h"
#include "model/json_writer.h"
#include "reduction/reading_text.h"
#include "reduction/reduction_report.h"

#include <QTimeZone>

namespace sg {

namespace {

// A side given: "unknown" where none was given.
const char* sideWord(Side s) { return s == Side::Unknown ? "unknown" : sideName(s); }

}  // namespace

std::string entryTime(const QDateTime& when) {
    return when.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toStdString() + "Z";
}

std::optional<QDateTime> parseEntryTime(const std::string& text) {
    const QString t = QString::fromStdString(text).trimmed();
    if (t.isEmpty()) return std::nullopt;
    QDateTime when = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!when.isValid()) {
        const QDate day = QDate::fromString(t, Qt::ISODate);
        if (day.isValid() && t.size() == 10) when = day.startOfDay();
    }
    if (!when.isValid()) return std::nullopt;
    return when;
}

LogMirror mirrorOf(const ReductionResult& r, const std::string& name) {
    LogMirror m;
    m.name = name;
    m.diameter = r.diameter;
    m.radius = r.radius;
    m.wantedConic = r.wantedConic;
    m.wavelength = r.wavelength;
    m.tester = r.source == SourceKind::Moving ? kMovingSourceTester : kFixedSourceTester;
    return m;
}

LogMirror mirrorOf(const FitMirror& f, const std::string& name) {
    LogMirror m;
    m.name = name;
    m.diameter = f.diameter;
    m.radius = f.radius;
    m.wantedConic = -1;
    m.wavelength = f.wavelength;
    m.tester = f.sourceMoves ? kMovingSourceTester : kFixedSourceTester;
    return m;
}

LogEntry reductionEntry(const ReductionInput& input, const ReductionResult& r, const std::string& fileName,
                        const std::string& options, const std::string& version, const QDateTime& when) {
    LogEntry e;
    e.kind = EntryKind::Reduction;
    e.made = entryTime(when);
    e.conic = r.bestFitConic;
    e.correctionError = r.correctionError;
    e.rms = r.rms;
    e.strehl = r.strehl;
    e.report = reportJson(r, version);
    ReductionRecord rec;
    rec.fileName = fileName;
    rec.readings = readingText(input);
    rec.options = options;
    for (const std::string& line : r.verdict) rec.verdict += line + "\n";
    e.reduction = std::move(rec);
    return e;
}

LogEntry photoEntry(const PhotoEntryInput& in, const QDateTime& when) {
    const FitResult& r = *in.report->result;
    const FitRequest& q = *in.request;
    LogEntry e;
    e.kind = EntryKind::Photo;
    e.made = entryTime(when);
    e.conic = r.conic.value;
    e.conicSigma = r.conic.sigma;
    LogMirror against = *in.mirror;
    against.diameter = r.mirror.diameter;
    against.radius = r.mirror.radius;
    e.correctionError = correctionErrorWaves(r.conic.value, against);
    e.report = fitReportJson(*in.report);
    PhotoRecord p;
    p.fileName = in.report->photo;
    p.bytes = in.bytes;
    p.secondName = in.report->second ? in.report->secondPhoto : std::string();
    p.secondBytes = in.report->second ? in.secondBytes : QByteArray();
    p.separation = in.report->second ? in.report->separation : 0;
    const FrameMapping& map = in.report->first->mapping;
    p.mapCx = map.cx;
    p.mapCy = map.cy;
    p.mapScale = map.scale;
    p.mapRotationDeg = map.rotationDeg;
    p.levelBands = r.axis == BandAxis::Horizontal;
    p.diameter = r.mirror.diameter;
    p.radius = r.mirror.radius;
    p.linesPerMm = r.mirror.linesPerMm;
    p.wavelength = r.mirror.wavelength;
    p.sourceMoves = r.mirror.sourceMoves;
    p.exact = r.mirror.exact;
    p.sideGiven = sideWord(q.side);
    p.zone = zoneName(r.zone.kind);
    p.zoneStart = r.zone.start;
    p.offset = r.parameters.offset;
    p.conic = r.parameters.conic;
    p.transverse = r.parameters.transverse;
    p.edgeShift = r.parameters.edgeShift;
    p.zoneHeight = r.parameters.zoneHeight;
    p.offsetSigma = r.offset.sigma;
    p.zoneHeightSigma = r.zoneHeight ? r.zoneHeight->sigma : 0;
    p.side = r.sideFrom == SideFrom::Undecided ? "undecided" : sideWord(r.side);
    p.sideFrom = sideFromName(r.sideFrom);
    p.model = modelName(r.mirror.model);
    p.spectrum = r.mirror.spectrum == Spectrum::White ? "white" : "mono";
    p.sourceKind = sourceKindName(r.mirror.source);
    p.slitWidth = r.mirror.slitWidth;
    e.photo = std::move(p);
    return e;
}

LogEntry noteEntry(const std::string& text, const QDateTime& when) {
    LogEntry e;
    e.kind = EntryKind::Note;
    e.made = entryTime(when);
    e.note = text;
    return e;
}

FrameMapping mappingOf(const PhotoRecord& p) {
    FrameMapping m;
    m.cx = p.mapCx;
    m.cy = p.mapCy;
    m.scale = p.mapScale;
    m.rotationDeg = p.mapRotationDeg;
    m.bands = p.levelBands ? BandAxis::Horizontal : BandAxis::Vertical;
    return m;
}

FitResult fitOf(const PhotoRecord& p, const LogEntry& e) {
    FitResult r;
    r.mirror.diameter = p.diameter;
    r.mirror.radius = p.radius;
    r.mirror.linesPerMm = p.linesPerMm;
    r.mirror.wavelength = p.wavelength;
    r.mirror.sourceMoves = p.sourceMoves;
    r.mirror.exact = p.exact;
    r.mirror.model = p.model == "waves" ? FitModel::Waves : FitModel::Rays;
    r.mirror.spectrum = p.spectrum == "white" ? Spectrum::White : Spectrum::Mono;
    r.mirror.source = p.sourceKind == "slit"      ? LightSource::Slit
                      : p.sourceKind == "grating" ? LightSource::Grating
                                                  : LightSource::Point;
    r.mirror.slitWidth = p.slitWidth;
    r.zone.kind = p.zone == "edge" ? ZoneKind::Edge : p.zone == "centre" ? ZoneKind::Centre : ZoneKind::None;
    r.zone.start = p.zoneStart;
    r.axis = p.levelBands ? BandAxis::Horizontal : BandAxis::Vertical;
    r.parameters = {p.offset, p.conic, p.transverse, p.edgeShift, p.zoneHeight};
    r.offset = {r.mirror.sourceMoves ? p.offset / 2 : p.offset, p.offsetSigma};
    r.side = p.side == "inside" ? Side::Inside : p.side == "outside" ? Side::Outside : Side::Unknown;
    r.sideFrom = p.sideFrom == "given"          ? SideFrom::Given
                 : p.sideFrom == "second photo" ? SideFrom::SecondPhoto
                 : p.sideFrom == "conic"        ? SideFrom::Conic
                                                : SideFrom::Undecided;
    r.conic = {e.conic.value_or(p.conic), e.conicSigma.value_or(0)};
    r.correctionPercent = -100 * r.conic.value;
    if (r.zone.kind != ZoneKind::None) r.zoneHeight = Estimate{p.zoneHeight, p.zoneHeightSigma};
    return r;
}

std::string logbookJson(const Logbook& book, const std::string& version) {
    const LogMirror& m = book.mirror();
    JsonWriter j;
    j.beginObject();
    j.key("program").string("shadowgram-log");
    j.key("version").string(version);
    j.key("schema").integer(book.schemaVersion());
    j.key("mirror").beginObject();
    j.key("name").string(m.name);
    j.key("diameter_mm").number(m.diameter);
    j.key("radius_mm").number(m.radius);
    j.key("wanted_conic").number(m.wantedConic);
    j.key("wavelength_um").number(m.wavelength);
    j.key("tester").string(m.tester);
    j.end();
    j.key("entries").beginArray();
    for (const LogEntry& e : book.entries(true)) {
        j.beginObject();
        j.key("entry").integer(e.id);
        j.key("kind").string(entryKindName(e.kind));
        j.key("date").string(e.made);
        j.key("comment").string(e.comment);
        if (e.reduction) {
            j.key("reading_file").string(e.reduction->fileName);
            j.key("options").string(e.reduction->options);
            j.key("readings").string(e.reduction->readings);
        }
        if (e.photo) {
            j.key("photo").string(e.photo->fileName);
            j.key("photo_bytes").integer(e.photo->bytes.size());
            if (!e.photo->secondName.empty()) {
                j.key("second_photo").string(e.photo->secondName);
                j.key("second_photo_bytes").integer(e.photo->secondBytes.size());
            }
        }
        if (e.kind == EntryKind::Note) j.key("text").string(e.note);
        if (!e.report.empty()) j.key("report").document(e.report);
        j.end();
    }
    j.end();
    j.end();
    return j.text() + "\n";
}

}  // namespace sg
