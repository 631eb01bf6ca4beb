// SPDX-License-Identifier: GPL-3.0-or-later
#include "testfile/test_record.h"

#include "fileio/record_file.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <bit>
#include <cmath>

namespace sg {

namespace {

constexpr const char* kCodePage = "windows-1252";

struct Field {
    int offset;
    double SetupRecord::*member;
    const char* name;
};

constexpr Field kNumbers[] = {
    {0, &SetupRecord::linesPerMm, "lines per mm"},
    {8, &SetupRecord::axialOffset, "axial position"},
    {24, &SetupRecord::range, "range"},
    {60, &SetupRecord::conicConstant, "conic constant"},
    {68, &SetupRecord::wavelength, "wavelength"},
    {76, &SetupRecord::mirrorDiameter, "diameter"},
    {84, &SetupRecord::radiusOfCurvature, "radius of curvature"},
    {92, &SetupRecord::zoneHeight, "zone height"},
    {32, &SetupRecord::slitWidth, "slit width"},
};

struct Flag {
    int offset;
    bool SetupRecord::*member;
};

constexpr Flag kFlags[] = {
    {16, &SetupRecord::evenLines},       {17, &SetupRecord::testWire},     {19, &SetupRecord::testRonchi},
    {20, &SetupRecord::orient2D},        {56, &SetupRecord::orientHorizontal}, {57, &SetupRecord::orientVertical},
    {58, &SetupRecord::testFoucault},        {21, &SetupRecord::sourceMoves},  {22, &SetupRecord::exactTrace},
    {23, &SetupRecord::waveOptics},          {18, &SetupRecord::whiteLight},
};

constexpr int kNotesOffset = 100;
constexpr int kNoteStride = 256;

std::string quoted(const QString& path) { return "\"" + path.toStdString() + "\""; }

}  // namespace

TestRecordBytes encodeTestRecord(const SetupRecord& record) {
    TestRecordBytes bytes{};
    for (const Field& f : kNumbers) {
        const auto bits = std::bit_cast<std::uint64_t>(record.*f.member);
        for (int b = 0; b < 8; ++b) bytes[f.offset + b] = static_cast<std::uint8_t>(bits >> (8 * b));
    }
    for (const Flag& f : kFlags) bytes[f.offset] = record.*f.member ? 1 : 0;
    for (int k = 0; k < kNoteCount; ++k) {
        const std::string& note = record.notes[k];
        const std::size_t n = std::min<std::size_t>(note.size(), kNoteBytes);
        const int at = kNotesOffset + kNoteStride * k;
        bytes[at] = static_cast<std::uint8_t>(n);
        for (std::size_t i = 0; i < n; ++i) bytes[at + 1 + i] = static_cast<std::uint8_t>(note[i]);
    }
    return bytes;
}

SetupRecord decodeTestRecord(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kTestRecordSize)
        throw TestFileError("it holds " + std::to_string(bytes.size()) + " bytes; a test set-up needs " +
                            std::to_string(kTestRecordSize));
    SetupRecord record;
    for (const Field& f : kNumbers) {
        std::uint64_t bits = 0;
        for (int b = 0; b < 8; ++b) bits |= static_cast<std::uint64_t>(bytes[f.offset + b]) << (8 * b);
        record.*f.member = std::bit_cast<double>(bits);
        if (!std::isfinite(record.*f.member))
            throw TestFileError(std::string("the ") + f.name + " is not a finite number");
    }
    for (const Flag& f : kFlags) record.*f.member = bytes[f.offset] != 0;
    for (int k = 0; k < kNoteCount; ++k) {
        const int at = kNotesOffset + kNoteStride * k;
        record.notes[k].assign(reinterpret_cast<const char*>(&bytes[at + 1]), bytes[at]);
    }
    return record;
}

void writeTestFile(const QString& path, const SetupRecord& record) {
    const TestRecordBytes bytes = encodeTestRecord(record);
    if (const std::optional<QString> reason = saveWholeFile(path, QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()))))
        throw TestFileError("Cannot save the test file " + quoted(path) + ": " + reason->toStdString());
}

SetupRecord readTestFile(const QString& path) {
    auto fail = [&path](const std::string& reason) {
        throw TestFileError("Cannot read the test file " + quoted(path) + ": " + reason);
    };
    QByteArray data;
    if (const std::optional<QString> reason = readFileStart(path, kTestRecordSize, data))
        fail(reason->toStdString());
    try {
        return decodeTestRecord(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                                              static_cast<std::size_t>(data.size())));
    } catch (const TestFileError& e) {
        fail(e.what());
    }
    return {};
}

std::string encodeNote(const QString& line) {
    std::string out;
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    // One character at a time, so that each takes exactly one byte.
    for (qsizetype i = 0; i < line.size() && out.size() < kNoteBytes;) {
        const qsizetype length = line.at(i).isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
        const char16_t u = line.at(i).unicode();
        if (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D) {
            // The five bytes the code page leaves undefined read back as the
            // control characters of the same number, and are written so again.
            out.push_back(static_cast<char>(u));
            ++i;
            continue;
        }
        const QByteArray b = encoder.encode(QStringView(line).mid(i, length));
        // The converter writes its substitute byte, 0x1A, for a character
        // the code page cannot hold, and reports that only the first time.
        const bool held = b.size() == 1 && (b.at(0) != '\x1A' || u == 0x1A);
        out.push_back(held ? b.at(0) : '?');
        i += length;
    }
    return out;
}

QString decodeNote(const std::string& bytes) {
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace sg
