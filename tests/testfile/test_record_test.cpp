// SPDX-License-Identifier: GPL-3.0-or-later
// The test file record on its own: its bytes, the notes' code page, the
// way between model, controls and record, and files that must be refused.
#include "model/failure.h"
#include "tests/support/file_size_limit.h"
#include "model/controls_reading.h"
#include "testfile/setup_transfer.h"
#include "testfile/test_record.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <bit>
#include <csignal>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace sg {
namespace {

class PlainNotes : public NotesLines {
public:
    std::vector<QString> lines{"----- A NOTE OF 10 LINES WILL BE SAVED ------"};
    int lineCount() const override { return static_cast<int>(lines.size()); }
    QString line(int i) const override { return lines.at(static_cast<std::size_t>(i)); }
    void setLine(int i, const QString& text) override {
        if (lines.size() <= static_cast<std::size_t>(i)) lines.resize(static_cast<std::size_t>(i) + 1);
        lines.at(static_cast<std::size_t>(i)) = text;
    }
};

double doubleAt(const TestRecordBytes& b, int offset) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(b[offset + i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

std::string expectFileError(const std::function<void()>& f) {
    try {
        f();
    } catch (const TestFileError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no TestFileError";
    return {};
}

// The picture's set-up: what the main window last drew.
struct Shown {
    Mirror mirror;
    TestSetup setup;
};

// What a drawing with these controls leaves.
Shown drawnWith(const PlainControls& c) {
    Shown s;
    const ControlsReading r = readControls(c);
    readSetup(r, s.mirror, s.setup);
    s.setup.orientation = orientationFrom(r, s.setup.orientation);
    return s;
}

SetupRecord store(const Shown& s, const PlainControls& c, const NotesLines& notes) {
    return storeSetupInRecord(readControls(c), s.mirror, s.setup, notes);
}

void apply(const SetupRecord& r, ModelControls& c, NotesLines* notes = nullptr) {
    applySetupRecord(r, ViewOptions{}, DevicePosition{}.maxMove, c, notes);
}

TEST(TestRecord, DefaultsAfterOneDrawingByteForByte) {
    PlainControls c;
    PlainNotes notes;
    for (int i = 0; i < 10; ++i) notes.lines.push_back("");
    const Shown m = drawnWith(c);  // what the first drawing leaves: "Odd" unchecked
    const TestRecordBytes b = encodeTestRecord(store(m, c, notes));
    EXPECT_EQ(doubleAt(b, 0), 4.0);
    EXPECT_EQ(doubleAt(b, 8), 0.0);
    const std::pair<int, int> flags[] = {{16, 1}, {17, 0}, {19, 1}, {20, 0}, {56, 0}, {57, 1}, {58, 0}};
    for (auto [offset, value] : flags) EXPECT_EQ(b[offset], value) << "offset " << offset;
    EXPECT_EQ(doubleAt(b, 24), 20.0);
    EXPECT_EQ(doubleAt(b, 60), -1.0);
    EXPECT_EQ(doubleAt(b, 68), 0.55);
    EXPECT_EQ(doubleAt(b, 76), 200.0);
    EXPECT_EQ(doubleAt(b, 84), 2000.0);
    EXPECT_EQ(doubleAt(b, 92), 0.5);
    for (int offset : {18, 21, 22, 23, 59}) EXPECT_EQ(b[offset], 0) << offset;
    for (int offset = 32; offset < 56; ++offset) EXPECT_EQ(b[offset], 0) << offset;
    for (int offset = 100; offset < kTestRecordSize; ++offset) EXPECT_EQ(b[offset], 0) << offset;

    // Before any drawing the parity is what "Odd" shows too, and a zone height of 0 is stored as 1e-7.
    const Shown fresh;
    c.parameters[kRowZoneHeight] = "0";
    const TestRecordBytes before = encodeTestRecord(store(fresh, c, notes));
    EXPECT_EQ(before[16], 1);
    EXPECT_EQ(doubleAt(before, 92), 1e-7);
}

// Save stores the choices the controls show, read as a drawing reads them,
// whatever the last drawing was; the model keeps the last drawing's.
TEST(TestRecord, StoresWhatTheControlsShowAndTheEnteredRuling) {
    struct Case {
        int test, orientation;
        bool odd;
        bool wire, ronchi, foucault, vertical, horizontal, twoD, evenLines;
    };
    const Case cases[] = {
        {kTestFoucault, kOrient2D, false, false, false, true, false, false, true, false},
        {kTestRonchi, kOrientHorizontal, false, false, true, false, false, true, false, true},
        {kTestRonchi, kOrientVertical, true, false, true, false, true, false, false, false},
        {kTestWire, kOrientVertical, false, true, false, false, true, false, false, false},  // no parity for Wire
    };
    for (const Case& t : cases) {
        PlainControls c;
        PlainNotes notes;
        c.test = kTestWire;
        const Shown m = drawnWith(c);  // the drawing: Wire, ruling tripled, parity 0
        ASSERT_EQ(workingLinesPerMm(m.setup), 12);
        c.test = t.test;  // chosen afterwards, not drawn
        c.orientation = t.orientation;
        c.odd = t.odd;
        const SetupRecord r = store(m, c, notes);
        EXPECT_EQ(r.linesPerMm, 4);
        EXPECT_EQ(r.testWire, t.wire) << t.test;
        EXPECT_EQ(r.testRonchi, t.ronchi) << t.test;
        EXPECT_EQ(r.testFoucault, t.foucault) << t.test;
        EXPECT_EQ(r.orientVertical, t.vertical) << t.orientation;
        EXPECT_EQ(r.orientHorizontal, t.horizontal) << t.orientation;
        EXPECT_EQ(r.orient2D, t.twoD) << t.orientation;
        EXPECT_EQ(r.evenLines, t.evenLines) << t.test << t.odd;
        EXPECT_EQ(m.setup.test, TestKind::Wire) << "the picture keeps the last drawing's test";

        // Applied again, the controls show what was saved.
        PlainControls back;
        apply(r, back, &notes);
        EXPECT_EQ(back.test, t.test);
        EXPECT_EQ(back.orientation, t.orientation);
        EXPECT_EQ(back.odd, t.test != kTestRonchi || t.odd);
    }
}

// Each flag alone: its own byte of the record is 1 and every other byte 0,
// and that byte alone reads back as the flag alone.
TEST(TestRecord, EachFlagInItsOwnByte) {
    const std::pair<int, bool SetupRecord::*> flags[] = {
        {16, &SetupRecord::evenLines},   {17, &SetupRecord::testWire},         {19, &SetupRecord::testRonchi},
        {20, &SetupRecord::orient2D},    {21, &SetupRecord::sourceMoves},      {22, &SetupRecord::exactTrace},
        {56, &SetupRecord::orientHorizontal}, {57, &SetupRecord::orientVertical}, {58, &SetupRecord::testFoucault}};
    for (const auto& [offset, flag] : flags) {
        SetupRecord alone;
        alone.*flag = true;
        const TestRecordBytes b = encodeTestRecord(alone);
        std::vector<int> set;
        for (int i = 0; i < kTestRecordSize; ++i)
            if (b[i] != 0) set.push_back(i);
        EXPECT_EQ(set, std::vector<int>{offset}) << "the flag of byte " << offset;
        EXPECT_EQ(b[offset], 1) << offset;
        TestRecordBytes byHand{};
        byHand[offset] = 1;
        EXPECT_EQ(decodeTestRecord(byHand), alone) << "byte " << offset;
    }
}

TEST(TestRecord, LastSetFlagWinsAndNoneLeavesTheChoice) {
    struct Case {
        bool wire, ronchi, foucault;
        int expected;
    };
    for (const Case& t : {Case{true, true, false, kTestRonchi}, Case{true, false, true, kTestFoucault},
                          Case{true, true, true, kTestFoucault}, Case{true, false, false, kTestWire},
                          Case{false, false, false, kTestRonchi}}) {
        SetupRecord r;
        r.testWire = t.wire;
        r.testRonchi = t.ronchi;
        r.testFoucault = t.foucault;
        r.orientVertical = t.wire;
        r.orientHorizontal = t.ronchi;
        r.orient2D = t.foucault;
        PlainControls c;
        c.test = kTestRonchi;
        c.orientation = kOrientHorizontal;
        apply(r, c);
        EXPECT_EQ(c.test, t.expected) << t.wire << t.ronchi << t.foucault;
        const int orientation = t.foucault ? kOrient2D : t.ronchi ? kOrientHorizontal : t.wire ? kOrientVertical
                                                                                                : kOrientHorizontal;
        EXPECT_EQ(c.orientation, orientation);
    }
}

TEST(TestRecord, ApplyKeepsWhatTheFileDoesNotHold) {
    SetupRecord r;
    r.linesPerMm = 10;
    r.axialOffset = 3.5;
    r.range = 40;
    r.conicConstant = 0;
    r.wavelength = 0.6328;
    r.mirrorDiameter = 150;
    r.radiusOfCurvature = 1200;
    r.zoneHeight = -0.25;
    r.testRonchi = r.orientVertical = true;
    ViewOptions view;
    view.showGrid = true;
    PlainControls c;
    c.grid = false;
    c.surface = kSurfaceDistorted;
    applySetupRecord(r, view, 5, c, nullptr);
    EXPECT_EQ(c.parameters, (std::array<std::string, 7>{"150", "1200", "0", "10", "40", "-0.25", "0.6328"}));
    EXPECT_EQ(c.move[kMoveRowValue], "5");  // the maximum movement and "Grid" as the window has them
    EXPECT_TRUE(c.grid);
    EXPECT_EQ(c.surface, kSurfaceDistorted);
    // The grating goes where the caller draws the record: nothing in the
    // controls says where it stands.
    Shown m;
    m.setup.position.axialOffset = -1.5;
    const ControlsReading read = readControls(c);
    readSetup(read, m.mirror, m.setup);
    EXPECT_EQ(m.setup.position.axialOffset, -1.5);
}

TEST(TestRecord, RoundTripAndRefusals) {
    SetupRecord r;
    r.linesPerMm = 3.25;
    r.axialOffset = -0.0;
    r.evenLines = r.testFoucault = r.orient2D = true;
    r.range = std::numeric_limits<double>::denorm_min();
    r.conicConstant = -1.0000000000000002;
    r.wavelength = 0.55;
    r.mirrorDiameter = 0;  // unusable but finite: accepted
    r.radiusOfCurvature = -2000;
    r.zoneHeight = 1e-7;
    r.notes[0] = "first";
    r.notes[9] = std::string(255, 'x');
    TestRecordBytes b = encodeTestRecord(r);
    EXPECT_EQ(decodeTestRecord(b), r);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(decodeTestRecord(b).axialOffset), std::bit_cast<std::uint64_t>(-0.0));

    // A flag byte other than 0 or 1 reads as set.
    b[17] = 7;
    EXPECT_TRUE(decodeTestRecord(b).testWire);

    std::vector<std::uint8_t> longer(b.begin(), b.end());
    longer.resize(3000, 0xAB);
    EXPECT_EQ(decodeTestRecord(longer).notes[0], "first");
    std::vector<std::uint8_t> shorter(b.begin(), b.begin() + 100);
    EXPECT_EQ(expectFileError([&] { decodeTestRecord(shorter); }), "it holds 100 bytes; a test set-up needs 2660");
    for (auto [offset, name] : {std::pair{0, "lines per mm"}, {24, "range"}, {92, "zone height"}, {32, "slit width"}}) {
        TestRecordBytes bad = encodeTestRecord(r);
        const auto nan = std::bit_cast<std::uint64_t>(std::numeric_limits<double>::quiet_NaN());
        for (int i = 0; i < 8; ++i) bad[offset + i] = static_cast<std::uint8_t>(nan >> (8 * i));
        EXPECT_EQ(expectFileError([&] { decodeTestRecord(bad); }), std::string("the ") + name + " is not a finite number");
    }
}

// The tester, the ray model and the slit sit in bytes that older files
// wrote as zeros: such a file brings back the defaults.
TEST(TestRecord, TheTesterTheRayModelAndTheSlitAreKept) {
    PlainControls shown;
    shown.movingSource = true;
    shown.exactTrace = true;
    shown.sourceWidth = "0.125";
    const Shown m;
    PlainNotes notes;
    const SetupRecord r = store(m, shown, notes);
    const TestRecordBytes b = encodeTestRecord(r);
    EXPECT_EQ(b[21], 1);
    EXPECT_EQ(b[22], 1);
    EXPECT_EQ(doubleAt(b, 32), 0.125);
    for (int offset : {18, 23, 59}) EXPECT_EQ(b[offset], 0) << offset;
    for (int offset = 40; offset < 56; ++offset) EXPECT_EQ(b[offset], 0) << offset;

    PlainControls back;
    apply(decodeTestRecord(b), back);
    EXPECT_TRUE(back.movingSource);
    EXPECT_TRUE(back.exactTrace);
    EXPECT_EQ(back.sourceWidth, "0.125");

    // An older file: zeros there.
    TestRecordBytes older = b;
    older[21] = older[22] = 0;
    for (int i = 32; i < 40; ++i) older[i] = 0;
    apply(decodeTestRecord(older), back);
    EXPECT_FALSE(back.movingSource);
    EXPECT_FALSE(back.exactTrace);
    EXPECT_EQ(back.sourceWidth, "0");

    // Without the exact trace the slit does not count, and is kept as none.
    shown.exactTrace = false;
    shown.sourceWidth = "junk";
    EXPECT_EQ(store(m, shown, notes).slitWidth, 0);
    // With it, a bad width stops the save as a bad cell does.
    shown.exactTrace = true;
    EXPECT_THROW(store(m, shown, notes), ActionError);
    shown.sourceWidth = "-0.1";
    EXPECT_THROW(store(m, shown, notes), ActionError);
}

// The wave picture and its light sit in bytes 23 and 18, which older files
// wrote as zeros: such a file brings back the ray picture in one wavelength.
TEST(TestRecord, TheWavePictureAndItsLightAreKept) {
    PlainControls shown;
    shown.waveOptics = true;
    shown.whiteLight = true;
    shown.sourceWidth = "0.05";
    const Shown m;
    PlainNotes notes;
    const SetupRecord r = store(m, shown, notes);
    EXPECT_TRUE(r.waveOptics);
    EXPECT_TRUE(r.whiteLight);
    EXPECT_FALSE(r.exactTrace);           // the box as it shows
    EXPECT_EQ(r.slitWidth, 0.05);         // the wave picture takes the slit
    const TestRecordBytes b = encodeTestRecord(r);
    EXPECT_EQ(b[23], 1);
    EXPECT_EQ(b[18], 1);
    for (int offset : {22, 59}) EXPECT_EQ(b[offset], 0) << offset;
    EXPECT_EQ(decodeTestRecord(b), r);

    PlainControls back;
    apply(decodeTestRecord(b), back);
    EXPECT_TRUE(back.waveOptics);
    EXPECT_TRUE(back.whiteLight);

    TestRecordBytes older = b;
    older[18] = older[23] = 0;
    apply(decodeTestRecord(older), back);
    EXPECT_FALSE(back.waveOptics);
    EXPECT_FALSE(back.whiteLight);
}

TEST(TestRecordNotes, WindowsCodePageOneBytePerCharacter) {
    EXPECT_EQ(encodeNote(QString::fromUtf8("5µm 20°C café")), "5\xB5m 20\xB0" "C caf\xE9");
    EXPECT_EQ(encodeNote(QString::fromUtf8("€ – “x”")), "\x80 \x96 \x93x\x94");
    EXPECT_EQ(encodeNote(QString::fromUtf8("☃ 𝄞 Ω")), "? ? ?");  // not in the code page; one "?" each
    EXPECT_EQ(decodeNote("\xB5\xB0\xE9\x80"), QString::fromUtf8("µ°é€"));
    // The five bytes the code page leaves undefined come back as the control characters of the same number.
    EXPECT_EQ(decodeNote("\x81\x8D\x8F\x90\x9D"), QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
    for (int byte = 1; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(encodeNote(decodeNote(one)), one) << byte;
    }
    EXPECT_EQ(encodeNote(QString(300, 'a')).size(), 255u);
}

TEST(TestRecordNotes, LinesOneToTenAllComeBack) {
    PlainNotes notes;
    for (int i = 1; i <= 11; ++i) notes.lines.push_back(QString("line %1").arg(i));
    const Shown m;
    PlainControls c;
    const SetupRecord r = store(m, c, notes);
    EXPECT_EQ(r.notes[0], "line 1");
    EXPECT_EQ(r.notes[9], "line 10");  // the eleventh note line is never saved

    // A box with fewer lines gets all ten back, under its own header.
    PlainNotes shorter;
    shorter.lines = {"my header", "a", "b", "c"};
    apply(r, c, &shorter);
    ASSERT_EQ(shorter.lines.size(), 11u);
    EXPECT_EQ(shorter.lines[0], "my header");
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(shorter.lines[k], QString("line %1").arg(k));

    // A cleared box gets its header back too.
    PlainNotes cleared;
    cleared.lines = {""};
    apply(r, c, &cleared);
    ASSERT_EQ(cleared.lines.size(), 11u);
    EXPECT_EQ(cleared.lines[0], kNotesHeader);
    EXPECT_EQ(cleared.lines[10], "line 10");

    PlainNotes fewer;  // only the header: no note to save
    EXPECT_EQ(store(m, c, fewer).notes, (std::array<std::string, 10>{}));

    // Notes longer than a record holds are named, by their number.
    PlainNotes longOnes;
    longOnes.lines = {"h", QString(255, 'a'), QString(256, 'b'), "c", QString(300, 'd')};
    EXPECT_EQ(notesTooLong(longOnes), (std::vector<int>{2, 4}));
    EXPECT_EQ(store(m, c, longOnes).notes[1], std::string(255, 'b'));
}

// Each of the ten note lines has its own 256 bytes from byte 100: a length
// byte, the line, then zeros; the tenth ends the record. Written notes land
// there, and notes placed there by hand read back.
TEST(TestRecordNotes, EachLineAtItsByteOffset) {
    SetupRecord r;
    for (int k = 0; k < kNoteCount; ++k) {
        const std::size_t length = k == 9 ? 255 : static_cast<std::size_t>(7 + 23 * k);
        for (std::size_t i = 0; i < length; ++i) r.notes[k].push_back(static_cast<char>('a' + (k + i) % 26));
        r.notes[k][0] = static_cast<char>('0' + k);
    }
    const TestRecordBytes b = encodeTestRecord(r);
    for (int k = 0; k < kNoteCount; ++k) {
        const int at = 100 + 256 * k;
        const std::string& note = r.notes[k];
        EXPECT_EQ(b[at], note.size()) << "note " << k;
        for (std::size_t i = 0; i < note.size(); ++i)
            ASSERT_EQ(b[at + 1 + i], static_cast<std::uint8_t>(note[i])) << "note " << k << " byte " << i;
        for (int i = 1 + static_cast<int>(note.size()); i < 256; ++i)
            ASSERT_EQ(b[at + i], 0) << "note " << k << " filler byte " << i;
    }
    EXPECT_EQ(b[kTestRecordSize - 1], static_cast<std::uint8_t>(r.notes[9].back()));

    TestRecordBytes byHand = encodeTestRecord(SetupRecord{});
    for (int k = 0; k < kNoteCount; ++k) {
        const int at = 100 + 256 * k;
        const std::string note = "note " + std::to_string(k + 1) + std::string(static_cast<std::size_t>(k), '!');
        byHand[at] = static_cast<std::uint8_t>(note.size());
        std::memcpy(&byHand[at + 1], note.data(), note.size());
        byHand[at + 1 + note.size()] = 'Z';  // filler past the length is not read
    }
    const SetupRecord read = decodeTestRecord(byHand);
    for (int k = 0; k < kNoteCount; ++k)
        EXPECT_EQ(read.notes[k], "note " + std::to_string(k + 1) + std::string(static_cast<std::size_t>(k), '!'));
}

TEST(TestFile, WriteReadAndAFailedSaveLeavesTheEarlierFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("mirror.Ron");
    SetupRecord r;
    r.linesPerMm = 4;
    r.mirrorDiameter = 250;
    r.zoneHeight = 0.5;
    r.notes[2] = "\xB5";
    writeTestFile(path, r);
    EXPECT_EQ(QFile(path).size(), kTestRecordSize);
    EXPECT_EQ(readTestFile(path), r);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    SetupRecord other = r;
    other.mirrorDiameter = 300;
    std::string message;
    {
        testing::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.ok());
        message = expectFileError([&] { writeTestFile(path, other); });
    }
    EXPECT_EQ(message.rfind("Cannot save the test file \"" + path.toStdString() + "\": ", 0), 0u) << message;
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"mirror.Ron"});
    f.close();

    // A read-only folder stops the save for any user but root, who may write anywhere.
    if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        expectFileError([&] { writeTestFile(path, other); });
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }

    EXPECT_EQ(expectFileError([&] { readTestFile(dir.filePath("missing.Ron")); })
                  .rfind("Cannot read the test file \"" + dir.filePath("missing.Ron").toStdString() + "\": ", 0),
              0u);
}

}  // namespace
}  // namespace sg
