// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a mirror's logbook holds: the mirror, and its entries in the order
// they were added, each a Foucault reduction, a fitted photo or a note,
// with its date and time and a free comment.

#include <QByteArray>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sg {

// A logbook that cannot be opened, read or written: the message says which
// file and why, in words for the user.
class LogbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LogMirror {
    std::string name;
    double diameter = 0;      // mm
    double radius = 0;        // mm
    double wantedConic = -1;
    double wavelength = 0.55; // micrometres
    std::string tester;       // "moving source" or "fixed source"
};

inline constexpr const char* kMovingSourceTester = "moving source";
inline constexpr const char* kFixedSourceTester = "fixed source";

enum class EntryKind { Reduction, Photo, Note };

// "reduction", "photo", "note": as the file and the JSON write the kind.
const char* entryKindName(EntryKind kind);
std::optional<EntryKind> entryKindFrom(const std::string& name);

// A Foucault reduction as it was made.
struct ReductionRecord {
    std::string fileName;  // the reading file it came from; empty from a window
    std::string readings;  // the reading file's text, every setting in its header
    std::string options;   // the command's options that changed the file's values, as typed; empty for none
    std::string verdict;   // the verdict's lines, each ending in '\n'
};

// The band parameters and the settings of a fitted photo, enough to draw
// its fit over it again; the uncertainties are the key figures' and the
// report's.
struct PhotoRecord {
    std::string fileName;   // the photo's name as it was given
    QByteArray bytes;       // the photo file's bytes, whole
    std::string secondName; // a second photo's, empty for none
    QByteArray secondBytes;
    double separation = 0;  // mm, with a second photo

    // The photo on the program's frame (photo/picture_frame.h).
    double mapCx = 0, mapCy = 0, mapScale = 1, mapRotationDeg = 0;
    bool levelBands = false;  // the frame's bands level (normal along Y) rather than upright

    // The fit's settings: the mirror and tester, the side given, the zone.
    double diameter = 0, radius = 0, linesPerMm = 0, wavelength = 0.55;
    bool sourceMoves = false, exact = false;
    std::string sideGiven;   // "inside", "outside" or "unknown"
    std::string zone;        // "none", "edge" or "centre"
    double zoneStart = 0;    // fraction of the mirror's radius

    // The fitted band parameters on the frame.
    double offset = 0, conic = 0, transverse = 0, edgeShift = 0, zoneHeight = 0;
    double offsetSigma = 0, zoneHeightSigma = 0;  // the conic's sigma is the entry's
    std::string side;        // "inside", "outside" or "undecided"
    std::string sideFrom;    // "given", "second photo", "conic" or "undecided"

    // The picture the fit modelled: "rays" or "waves", and for the waves
    // the light ("mono" or "white") and the source ("point", "slit" or
    // "grating", the grating lit from behind) with a slit's width.
    std::string model = "rays";
    std::string spectrum = "mono";
    std::string sourceKind = "point";
    double slitWidth = 0;    // mm
};

struct LogEntry {
    long long id = 0;        // 1, 2, ... in the order added; 0 before it is added
    EntryKind kind = EntryKind::Note;
    // The date and time of the test, UTC, "yyyy-MM-ddTHH:mm:ss.zzzZ".
    std::string made;
    std::string comment;
    // The key figures; none where the kind has no such figure.
    std::optional<double> conic;            // best-fit or fitted conic
    std::optional<double> conicSigma;       // a fit's one standard deviation
    std::optional<double> correctionError;  // waves of wavefront, positive under-corrected
    std::optional<double> rms;              // waves of wavefront
    std::optional<double> strehl;
    // The JSON document that the command that made the entry prints with
    // --json (shadowgram-reduce, shadowgram-fit); empty for a note.
    std::string report;
    std::string note;  // a note's text

    std::optional<ReductionRecord> reduction;  // a reduction's
    std::optional<PhotoRecord> photo;          // a photo's
};

// The correction error of a conic K against the wanted one in waves of
// wavefront at `wavelength` micrometres: (K - Kt) A^4 / (16 R^3 lambda),
// A the mirror's radius; positive under-corrected. The fourth-order term
// of the conic's sag, doubled for the wavefront.
double correctionErrorWaves(double conic, const LogMirror& mirror);

}  // namespace sg
