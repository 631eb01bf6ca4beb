// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test files: one record of 2660 bytes holding a test set-up, little-endian
// on every host, with no header. Doubles are IEEE 754 binary64; a flag is
// one byte, written 0 or 1 and read as set when not 0.
//
//   offset  size  field
//        0     8  linesPerMm (as entered, never tripled)
//        8     8  axialOffset (mm)
//       16     1  evenLines
//       17     1  testWire
//       19     1  testRonchi
//       20     1  orient2D
//       18     1  whiteLight ("White light": the wave picture's light)
//       21     1  sourceMoves ("Source moves with grating")
//       22     1  exactTrace ("Exact ray trace")
//       23     1  waveOptics ("Wave optics")
//       24     8  range
//       32     8  slitWidth (mm, "Slit (mm)"; 0 a point source)
//       56     1  orientHorizontal
//       57     1  orientVertical
//       58     1  testFoucault
//       60     8  conicConstant
//       68     8  wavelength (micrometres)
//       76     8  mirrorDiameter (mm)
//       84     8  radiusOfCurvature (mm)
//       92     8  zoneHeight (waves)
//      100  10 x 256  notes: a length byte n, then n bytes of the line in
//                     Windows-1252, then filler
// Bytes 40..55 and 59 are reserved; this program writes them, and the note
// tails, as zeros. Bytes 18, 21, 22, 23 and 32..39 were reserved before the
// tester, the ray model, the slit and the wave picture were kept: written
// as zeros then, they read as today's defaults (fixed source, series model,
// point source, rays, one wavelength).

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace sg {

inline constexpr int kTestRecordSize = 2660;
inline constexpr int kNoteCount = 10;
inline constexpr int kNoteBytes = 255;  // at most, after the length byte

struct SetupRecord {
    double linesPerMm = 0;
    double axialOffset = 0;
    bool evenLines = false;
    bool testWire = false;
    bool testRonchi = false;
    bool orient2D = false;
    double range = 0;
    bool orientHorizontal = false;
    bool orientVertical = false;
    bool testFoucault = false;
    double conicConstant = 0;
    double wavelength = 0;
    double mirrorDiameter = 0;
    double radiusOfCurvature = 0;
    double zoneHeight = 0;
    bool sourceMoves = false;
    bool exactTrace = false;
    double slitWidth = 0;
    bool waveOptics = false;
    bool whiteLight = false;
    // The notes as stored: up to 255 bytes each, one byte per character.
    std::array<std::string, kNoteCount> notes{};

    friend bool operator==(const SetupRecord&, const SetupRecord&) = default;
};

using TestRecordBytes = std::array<std::uint8_t, kTestRecordSize>;

// A test file that cannot be written or read. The message names the file
// and the reason.
class TestFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Notes longer than 255 bytes are cut.
TestRecordBytes encodeTestRecord(const SetupRecord& record);

// The record in the first 2660 bytes; later bytes are ignored. Fewer bytes,
// or a number that is not finite, throw TestFileError with the reason only.
SetupRecord decodeTestRecord(std::span<const std::uint8_t> bytes);

// Writes through a temporary file that replaces `path` only when complete.
void writeTestFile(const QString& path, const SetupRecord& record);

// Reads and checks a record; nothing is returned from a bad file.
SetupRecord readTestFile(const QString& path);

// A note line as stored: Windows-1252, one byte per character, "?" for a
// character the code page cannot hold, cut to 255 bytes.
std::string encodeNote(const QString& line);
// Every byte decoded to its Windows-1252 character.
QString decodeNote(const std::string& bytes);

}  // namespace sg
