// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Entries of every kind with awkward values, for the logbook's tests.

#include "logbook/logbook.h"
#include "logbook/logbook_records.h"

#include <QByteArray>

#include <cmath>
#include <string>

namespace sg::testing {

inline LogMirror testMirror() {
    LogMirror m;
    m.name = "Mirror 200/1600 \u00e9t\u00e9";
    m.diameter = 200.00000000000003;
    m.radius = 1600.1;
    m.wantedConic = -1;
    m.wavelength = 0.5461;
    m.tester = kMovingSourceTester;
    return m;
}

// `size` bytes holding every byte value, zeros included, in an order that
// depends on `seed`.
inline QByteArray patternBytes(int size, int seed) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = char((i * 7 + seed * 31 + (i >> 8) * 13) & 0xff);
    return b;
}

inline PhotoRecord testPhoto(int seed) {
    PhotoRecord p;
    p.fileName = "photos/ronchi 4 lpmm \u00b0" + std::to_string(seed) + ".jpg";
    p.bytes = patternBytes(70000 + seed, seed);
    p.secondName = "second.png";
    p.secondBytes = patternBytes(3, seed + 1);
    p.separation = -1.25;
    p.mapCx = 351.20000000000005;
    p.mapCy = 318.7;
    p.mapScale = 0.9454545454545454;
    p.mapRotationDeg = -3.0000000000000004;
    p.levelBands = true;
    p.diameter = 200;
    p.radius = 2000;
    p.linesPerMm = 4;
    p.wavelength = 0.55;
    p.sourceMoves = true;
    p.exact = true;
    p.model = "waves";
    p.spectrum = "white";
    p.sourceKind = "slit";
    p.slitWidth = 0.062500000000000014;
    p.sideGiven = "inside";
    p.zone = "edge";
    p.zoneStart = 0.8;
    p.offset = 8.000000000000002;
    p.conic = -0.9634;
    p.transverse = 0.1 + 0.2;
    p.edgeShift = 1e-300;
    p.zoneHeight = -0.25;
    p.offsetSigma = 0.012;
    p.zoneHeightSigma = 4.9406564584124654e-324;  // the smallest double
    p.side = "inside";
    p.sideFrom = "given";
    return p;
}

inline LogEntry testPhotoEntry(int seed) {
    LogEntry e;
    e.kind = EntryKind::Photo;
    e.made = "2026-11-30T20:15:00.125Z";
    e.comment = "after 30 min of W strokes\nsecond line";
    e.conic = -0.9634000000000001;
    e.conicSigma = 0.0123;
    e.correctionError = 0.0;  // a zero, not a missing figure
    e.report = "{\n  \"photo\": \"x.jpg\"\n}\n";
    e.photo = testPhoto(seed);
    return e;
}

inline LogEntry testReductionEntry() {
    LogEntry e;
    e.kind = EntryKind::Reduction;
    e.made = "2026-11-29T08:00:00.000Z";
    e.conic = -1.4934118;
    e.correctionError = -1.3690000000000002;
    e.rms = 0.40890000000000004;
    e.strehl = 1.5e-5;
    e.report = "{\n  \"program\": \"shadowgram-reduce\"\n}\n";
    ReductionRecord r;
    r.fileName = "readings/zones 5.txt";
    r.readings = "diameter 200\nradius 1600\nzones 5\n1 0.1\n";
    r.options = "--conic -0.98 --source fixed";
    r.verdict = "Not diffraction limited: Strehl < 0.80.\n";
    e.reduction = r;
    return e;
}

inline LogEntry testNoteEntry(const std::string& text) {
    LogEntry e;
    e.kind = EntryKind::Note;
    e.made = "2026-12-01T10:30:00.000Z";
    e.note = text;
    return e;
}

}  // namespace sg::testing
