// SPDX-License-Identifier: GPL-3.0-or-later
// The reading file: what it accepts, every rule it enforces with the
// message that names the place, writing and reading back, and saves that
// fail without harm.
#include "tests/support/file_size_limit.h"
#include "reduction/reading_file.h"
#include "reduction/reading_text.h"
#include "reduction/reduction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace sg {
namespace {

std::string parseError(const std::string& text) {
    try {
        parseReadingText(text);
    } catch (const ReductionInputError& e) {
        return e.what();
    }
    return "(accepted)";
}

std::string reduceError(const std::string& text) {
    try {
        reduce(parseReadingText(text));
    } catch (const ReductionInputError& e) {
        return e.what();
    }
    return "(reduced)";
}

TEST(ReadingText, CommentsSeparatorsAndCaseAreTakenAsThePageSays) {
    const std::string text =
        "\xEF\xBB\xBF# a zonal mask\r\n"
        "\n"
        "DIAMETER\t200   # mm\r\n"
        "Radius,2000\n"
        "source;FIXED\n"
        "Zone-Radius Mid\n"
        "reverse\n"
        "zones 3\n"
        "1, -0.10 , -0.11\n"
        "2;-0.4;-0.41\t\n"
        "3 -1.1 -1.05 # the edge\n";
    const ReductionInput in = parseReadingText(text);
    EXPECT_EQ(*in.diameter, 200);
    EXPECT_EQ(*in.radius, 2000);
    EXPECT_EQ(in.source, SourceKind::Fixed);
    EXPECT_EQ(in.zoneRadius, ZoneRadiusRule::Mid);
    EXPECT_TRUE(in.reverse);
    EXPECT_EQ(in.zoneCount, 3);
    ASSERT_EQ(in.zones.size(), 3u);
    EXPECT_EQ(in.zones[1].readings, (std::vector<double>{-0.4, -0.41}));
    EXPECT_EQ(in.zones[2].line, 11);
    EXPECT_EQ(in.lineOf(HeaderKey::Radius), 4);
    // Without a zone count, each zone gives its edges.
    const ReductionInput edges = parseReadingText("diameter 8\nunits in\n1 0 1.5 0.01 0.02\n2 1.5 +4 .05 5e-2\n");
    EXPECT_EQ(edges.units, LengthUnit::Inch);
    EXPECT_EQ(edges.zones[1].outer, 4);
    EXPECT_EQ(edges.zones[1].readings, (std::vector<double>{0.05, 0.05}));
}

// A spreadsheet in a comma locale saves ';' between the fields and a comma
// in each number: read as its '.' twin, one reading per zone, whatever
// the lines look like around them.
TEST(ReadingText, AFileWithSemicolonsTakesTheCommaBetweenDigitsAsItsDecimalComma) {
    const std::string points = "diameter 200.5\nradius 2000\nzones 3\n1 10.12\n2 10.5\n3 -0.25e1\n";
    const ReductionInput comma = parseReadingText("diameter;200,5\nradius;2000\nzones;3\n1;10,12\n2;10.5\n3;-0,25e1\n");
    const ReductionInput point = parseReadingText(points);
    ASSERT_EQ(comma.zones.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(comma.zones[i].readings, point.zones[i].readings) << i;
    EXPECT_EQ(comma.diameter, point.diameter);
    // The reduction of one set, not two.
    const ReductionInput edges =
        parseReadingText("diameter;200\nradius;2000\n1;0;50;0,31\n2;50;70,71;0,94\n3;70,71;100;1,9\n");
    EXPECT_EQ(edges.zones[1].outer, 70.71);
    EXPECT_EQ(reduce(edges).setCount, 1);
    // A ',' beside anything but two digits still parts the fields, and a
    // ';' inside a comment leaves the commas as separators.
    EXPECT_EQ(parseReadingText("diameter;200\nzones 2\n1 0,31 ,5\n2 0.9, 1,\n").zones[1].readings,
              (std::vector<double>{0.9, 1}));
    EXPECT_EQ(parseReadingText("# zone;reading\nzones 2\n1,0,31\n2,0,94\n").zones[0].readings,
              (std::vector<double>{0, 31}));
}

// A spreadsheet's export begins with its row of column names: skipped,
// with a note that names it; a row of names further down is not.
TEST(ReadingText, ASpreadsheetsHeaderRowIsSkippedWithANote) {
    const ReductionInput in = parseReadingText("zone,inner,outer,run1 # exported\ndiameter,200\nradius,2000\n"
                                               "1,0,50,0.3\n2,50,100,1.9\n");
    ASSERT_EQ(in.notes.size(), 1u);
    EXPECT_EQ(in.notes[0].line, 1);
    EXPECT_EQ(in.zones.size(), 2u);
    EXPECT_EQ(reduce(in).notes,
              std::vector<std::string>{"line 1: 'zone,inner,outer,run1' is a row of column names: skipped"});
    // After a comment and blank lines, in a ';' file.
    EXPECT_EQ(parseReadingText("# sheet\n\nZone;Inner;Outer;Run\ndiameter;200\n").notes.size(), 1u);
    // A first line of header keys and words is the header it says.
    const ReductionInput keyed = parseReadingText("source fixed\nzones 2\n1 0.3\n2 0.9\n");
    EXPECT_TRUE(keyed.notes.empty());
    EXPECT_EQ(keyed.source, SourceKind::Fixed);
    EXPECT_TRUE(parseReadingText("reverse\n").notes.empty());
}

// The refusal names the file and the line.
TEST(ReadingFile, ASemicolonFileWhoseNumbersStillSplitIsRefusedWithItsNameAndLine) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("sheet.csv");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("diameter;200\nradius;2000\nzones;2\n1;0,31;0,30\n2;0,94,0,95\n");
    f.close();
    try {
        readReadingFile(path);
        FAIL() << "read";
    } catch (const ReductionInputError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + path.toStdString() +
                                             "' line 5: zone 2: '0,94,0,95' is not a finite decimal number (the file "
                                             "separates its fields with ';', first on line 1, so a ',' between two "
                                             "digits is its decimal comma)");
    }
}

struct BadLine {
    const char* text;
    const char* message;
};

void PrintTo(const BadLine& c, std::ostream* os) { *os << c.text; }

class BadReadingText : public ::testing::TestWithParam<BadLine> {};

TEST_P(BadReadingText, IsRefusedNamingTheLine) { EXPECT_EQ(parseError(GetParam().text), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(
    Lines, BadReadingText,
    ::testing::Values(
        BadLine{"diamter 200\n", "line 1: unknown key 'diamter' (the keys are diameter, radius, conic, wavelength, "
                                 "source, source-distance, zone-radius, null, obstruction, units, zones and reverse)"},
        BadLine{"diameter 200\nzone inner outer\n",
                "line 2: unknown key 'zone' (the keys are diameter, radius, conic, wavelength, source, "
                "source-distance, zone-radius, null, obstruction, units, zones and reverse)"},
        BadLine{"diameter 200\n\nDiameter 210\n", "line 3: 'diameter' is given twice (first on line 1)"},
        BadLine{"radius\n", "line 1: 'radius' needs a value"},
        BadLine{"radius 2000 mm\n", "line 1: 'radius' takes one value, found 2"},
        BadLine{"diameter 1,5\n", "line 1: 'diameter' takes one value, found 2"},
        BadLine{"radius 2000x\n", "line 1: '2000x' is not a finite decimal number"},
        BadLine{"radius inf\n", "line 1: 'inf' is not a finite decimal number"},
        BadLine{"conic nan\n", "line 1: 'nan' is not a finite decimal number"},
        BadLine{"radius 1e999\n", "line 1: '1e999' is not a finite decimal number"},
        BadLine{"radius 0x10\n", "line 1: '0x10' is not a finite decimal number"},
        BadLine{"diameter -200\n", "line 1: the diameter must be greater than 0, not -200"},
        BadLine{"wavelength 0\n", "line 1: the wavelength must be greater than 0, not 0"},
        BadLine{"source-distance -1\n", "line 1: the source distance must be greater than 0, not -1"},
        BadLine{"obstruction -1\n", "line 1: the obstruction must not be negative, not -1"},
        BadLine{"source sideways\n", "line 1: source must be 'moving' or 'fixed', not 'sideways'"},
        BadLine{"zone-radius mean\n", "line 1: zone-radius must be 'rms', 'mid' or 'carlin', not 'mean'"},
        BadLine{"null approximate\n", "line 1: null must be 'exact' or 'classical', not 'approximate'"},
        BadLine{"null\n", "line 1: 'null' needs a value"},
        BadLine{"null exact\nNULL classical\n", "line 2: 'null' is given twice (first on line 1)"},
        BadLine{"units cm\n", "line 1: units must be 'mm' or 'in', not 'cm'"},
        BadLine{"zones 1\n", "line 1: zones must be a whole number from 2 to 100, not 1"},
        BadLine{"zones 2.5\n", "line 1: zones must be a whole number from 2 to 100, not 2.5"},
        BadLine{"reverse yes\n", "line 1: 'reverse' takes no value"},
        BadLine{"1 0 10 0.1\n3 10 20 0.2\n",
                "line 2: zone 2 expected, found zone 3 (zones are numbered 1, 2, 3, ... in order)"},
        BadLine{"2 0 10 0.1\n", "line 1: zone 1 expected, found zone 2 (zones are numbered 1, 2, 3, ... in order)"},
        BadLine{"1.0 0 10 0.1\n",
                "line 1: zone 1 expected, found zone 1.0 (zones are numbered 1, 2, 3, ... in order)"},
        BadLine{"1 0 10\n", "line 1: zone 1 needs its inner and outer radius and at least one reading"},
        BadLine{"zones 2\n1\n", "line 2: zone 1 needs at least one reading"},
        BadLine{"1 0 10 0.1 0.2\n2 10 20 0.3\n",
                "line 2: zone 2 has 1 reading, zone 1 has 2; every zone needs one reading per set"},
        BadLine{"1 -1 10 0.1\n", "line 1: zone 1: the inner radius must not be negative"},
        BadLine{"1 20 10 0.1\n", "line 1: zone 1: the outer radius is smaller than the inner radius"},
        BadLine{"1 0 10 0.1q\n", "line 1: zone 1: '0.1q' is not a finite decimal number"},
        BadLine{"1 0 10 0.1\nradius 2000\n",
                "line 2: the header line 'radius' comes after the zone lines; headers come first"},
        BadLine{"zones 3\n1 0.1\n2 0.2\n", "line 1: zones 3 is given but the file has 2 zone lines"},
        BadLine{"diameter 200\xC2\xB5\n", "line 1: '200\\xC2\\xB5' is not a finite decimal number"},
        // A file with ';' between its fields: the numbers that would still
        // split at a comma.
        BadLine{"diameter;200\nzones;2\n1;0,31\n2;0,94,5\n",
                "line 4: zone 2: '0,94,5' is not a finite decimal number (the file separates its fields with ';', "
                "first on line 1, so a ',' between two digits is its decimal comma)"},
        BadLine{"diameter;200\nzones 2\n1 0,31\n2,0,94\n",
                "line 4: '2,0,94' is neither a key nor a zone number (the file separates its fields with ';', first "
                "on line 1, so a ',' between two digits is its decimal comma)"},
        BadLine{"diameter;1,5,0\n",
                "line 1: '1,5,0' is not a finite decimal number (the file separates its fields with ';', first on "
                "line 1, so a ',' between two digits is its decimal comma)"},
        // One limit: 100 zones, 100 sets.
        BadLine{"zones 101\n", "line 1: zones must be a whole number from 2 to 100, not 101"}));

struct BadInput {
    const char* text;
    const char* message;
};

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.text; }

class BadReadingInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadReadingInput, IsRefusedNamingTheValueOrZone) { EXPECT_EQ(reduceError(GetParam().text), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(
    Rules, BadReadingInput,
    ::testing::Values(
        BadInput{"radius 2000\nzones 2\n1 0\n2 1\n", "no diameter: give 'diameter' in the file or --diameter"},
        BadInput{"diameter 200\nzones 2\n1 0\n2 1\n", "no radius: give 'radius' in the file or --radius"},
        BadInput{"diameter 200\nradius 200\nzones 2\n1 0\n2 1\n",
                 "line 2: the radius (200 mm) must be greater than the diameter (200 mm)"},
        BadInput{"diameter 200\nradius 2000\n1 0 50 0.1\n", "at least 2 zones are needed, found 1"},
        BadInput{"diameter 200\nradius 2000\n\n1 0 50 0.1\n2 50 102 0.2\n",
                 "zone 2 (line 5): the outer radius (102 mm) lies beyond the edge of the mirror (100 mm)"},
        BadInput{"diameter 8\nradius 60\nunits in\n1 0 2 0.1\n2 2 4.1 0.2\n",
                 "zone 2 (line 5): the outer radius (4.1 in) lies beyond the edge of the mirror (4 in)"},
        BadInput{"diameter 200\nradius 2000\nzone-radius mid\n1 50 100 0.1\n2 0 50 0.2\n",
                 "zone 2 (line 5): its zone radius (25 mm) is not greater than zone 1's (75 mm); zones go from the "
                 "centre out"},
        BadInput{"diameter 200\nradius 2000\nobstruction 200\nzones 2\n1 0\n2 1\n",
                 "line 3: the obstruction (200 mm) must be at least 0 and smaller than the diameter (200 mm)"},
        BadInput{"diameter 200\nradius 2000\nsource fixed\nsource-distance 900\nzones 2\n1 0\n2 1\n",
                 "line 4: the source distance (900 mm) must be more than half the radius (2000 mm): the mirror "
                 "forms no real image of a nearer source"},
        BadInput{"diameter 200\nradius 300\nconic 10\nzones 2\n1 0\n2 1\n",
                 "line 3: the wanted conic 10 has no surface out to the edge of the mirror at this radius "
                 "((1 + K) (D/2)^2 exceeds R^2)"},
        // Zones that cannot be a mask, named with their edges.
        BadInput{"diameter 200\nradius 2000\n1 0 50 0.1\n2 50 50 0.2\n3 50 100 0.3\n",
                 "zone 2 (line 4): its inner and outer radius are both 50 mm: a zone needs a width"},
        BadInput{"diameter 8\nradius 60\nunits in\n1 0 2 0.01\n2 1.5 4 0.02\n",
                 "zone 2 (line 5): its edges (1.5 to 4 in) overlap zone 1's (0 to 2 in)"},
        BadInput{"diameter 200\nradius 2000\nobstruction 50\n1 0 25 0.1\n2 25 100 0.2\n",
                 "zone 1 (line 4): its edges (0 to 25 mm) lie wholly inside the obstruction (radius 25 mm)"},
        // Values whose figures would not be finite, and numbers in
        // messages that stay short however long the value.
        BadInput{"diameter 200\nradius 2000\nwavelength 1e-320\nzones 2\n1 0.3\n2 1.5\n",
                 "line 3: the wavelength (1e-320 um) is too small to compute with"},
        BadInput{"diameter 200\nradius 2000\nwavelength 1e308\nzones 2\n1 0.3\n2 1.5\n",
                 "line 3: the wavelength (1e+308 um) is too large for this mirror: its airy_radius_um is not a finite "
                 "number"},
        BadInput{"diameter 2e300\nradius 1e300\nzones 2\n1 0\n2 1\n",
                 "line 2: the radius (1e+300 mm) must be greater than the diameter (2e+300 mm)"},
        BadInput{"diameter 200\nradius 2000\nzones 3\n1 1e300\n2 1e300\n3 1e300\n",
                 "the readings lie 1e+300 mm on average from the wanted mirror's nulls, where the wanted conic has no "
                 "null for every zone: check the radius, the source and the readings"}));

// The one limit of the reader, the writer and the reduction: 100 zones of
// 100 readings each.
std::string maskText(int zones, int sets) {
    std::string text = "diameter 200\nradius 2000\nzones " + std::to_string(zones) + "\n";
    for (int i = 1; i <= zones; ++i) {
        text += std::to_string(i);
        for (int s = 0; s < sets; ++s) text += " " + std::to_string(0.001 * i * i);
        text += "\n";
    }
    return text;
}

TEST(ReadingText, AHundredZonesOfAHundredSetsIsTheLimit) {
    const ReductionInput full = parseReadingText(maskText(100, 100));
    EXPECT_EQ(full.zones.size(), 100u);
    EXPECT_EQ(reduce(full).zones.size(), 100u);
    std::string more = "diameter 200\nradius 2000\n";
    for (int i = 1; i <= 101; ++i) more += std::to_string(i) + " " + std::to_string(i - 1) + " " + std::to_string(i) + " 0\n";
    EXPECT_EQ(parseError(more), "line 103: zone 101: a reading file holds at most 100 zones");
    std::string wide = "diameter 200\nradius 2000\nzones 2\n1";
    for (int s = 0; s < 101; ++s) wide += " 0.1";
    EXPECT_EQ(parseError(wide + "\n"), "line 4: zone 1 has 101 readings; a reading file holds at most 100 sets");

    // Whatever holds more is refused by the writer and the reduction alike.
    ReductionInput zones = full;
    zones.zoneCount = 0;
    for (std::size_t i = 0; i < zones.zones.size(); ++i) {
        zones.zones[i].inner = static_cast<double>(i);
        zones.zones[i].outer = static_cast<double>(i) + 1;
    }
    zones.zones.push_back({100, 100, zones.zones.back().readings, 0});
    try {
        readingText(zones);
        FAIL() << "written";
    } catch (const ReductionInputError& e) {
        EXPECT_EQ(std::string(e.what()), "101 zones: a reading file holds at most 100");
    }
    try {
        reduce(zones);
        FAIL() << "reduced";
    } catch (const ReductionInputError& e) {
        EXPECT_EQ(std::string(e.what()), "at most 100 zones are reduced, found 101");
    }
    ReductionInput sets = full;
    sets.zones[3].readings.push_back(0.5);
    try {
        readingText(sets);
        FAIL() << "written";
    } catch (const ReductionInputError& e) {
        EXPECT_EQ(std::string(e.what()), "zone 4 has 101 readings: a reading file holds at most 100 sets");
    }
}

ReductionInput sample(bool zoneCount) {
    ReductionInput in;
    in.diameter = 203.2;
    in.radius = 1625.6;
    in.conic = -1.05;
    in.wavelength = 0.5461;
    in.source = SourceKind::Fixed;
    in.sourceDistance = 1630.125;
    in.zoneRadius = ZoneRadiusRule::Mid;
    in.obstruction = 38.1;
    in.units = LengthUnit::Inch;
    in.reverse = true;
    in.zoneCount = zoneCount ? 3 : 0;
    in.zones = {{0, 1.5, {0.1 + 0.2, -0.0, 1e-7}, 0}, {1.5, 2.75, {-1.0 / 3, 2.5e-5, 7}, 0},
                {2.75, 4, {123456.789, -0.000001, 0.3}, 0}};
    return in;
}

void expectSameInput(const ReductionInput& a, const ReductionInput& b) {
    EXPECT_EQ(a.diameter, b.diameter);
    EXPECT_EQ(a.radius, b.radius);
    EXPECT_EQ(a.conic, b.conic);
    EXPECT_EQ(a.wavelength, b.wavelength);
    EXPECT_EQ(a.source, b.source);
    EXPECT_EQ(a.sourceDistance, b.sourceDistance);
    EXPECT_EQ(a.zoneRadius, b.zoneRadius);
    EXPECT_EQ(a.obstruction, b.obstruction);
    EXPECT_EQ(a.units, b.units);
    EXPECT_EQ(a.zoneCount, b.zoneCount);
    EXPECT_EQ(a.reverse, b.reverse);
    ASSERT_EQ(a.zones.size(), b.zones.size());
    for (std::size_t i = 0; i < a.zones.size(); ++i) {
        if (a.zoneCount == 0) {
            EXPECT_EQ(a.zones[i].inner, b.zones[i].inner) << i;
            EXPECT_EQ(a.zones[i].outer, b.zones[i].outer) << i;
        }
        EXPECT_EQ(a.zones[i].readings, b.zones[i].readings) << i;
    }
}

TEST(ReadingText, WrittenTextReadsBackTheSameInput) {
    for (const bool count : {false, true}) {
        const ReductionInput in = sample(count);
        expectSameInput(parseReadingText(readingText(in)), in);
    }
    // Values left to their defaults stay left out, and still read back.
    ReductionInput bare;
    bare.zones = {{0, 1, {0.5}, 0}, {1, 2, {0.25}, 0}};
    const std::string text = readingText(bare);
    EXPECT_EQ(text.find("diameter"), std::string::npos);
    expectSameInput(parseReadingText(text), bare);
}

TEST(ReadingFile, SavedFilesReadBackAndFailedSavesLeaveTheEarlierFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("mirror.txt");
    const ReductionInput first = sample(false);
    writeReadingFile(path, first);
    expectSameInput(readReadingFile(path), first);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    {
        // The disk fills half-way through a larger file.
        testing::FileSizeLimit limit(static_cast<rlim_t>(before.size()) + 10);
        ASSERT_TRUE(limit.ok());
        ReductionInput larger = first;
        for (int i = 0; i < 40; ++i) larger.zones.push_back({4, 4, {1, 2, 3}, 0});
        EXPECT_THROW(writeReadingFile(path, larger), ReductionInputError);
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1)
        << "a temporary file was left behind";
}

// A file the reader would refuse is never written: the earlier one stays.
TEST(ReadingFile, WhatTheReaderRefusesIsNotSaved) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("mirror.txt");
    writeReadingFile(path, sample(false));
    const ReductionInput saved = readReadingFile(path);
    EXPECT_EQ(saved.fileName, path.toStdString());

    ReductionInput tooMany = sample(false);
    while (tooMany.zones.size() <= static_cast<std::size_t>(kMaxZones)) tooMany.zones.push_back({4, 4, {1, 2, 3}, 0});
    ReductionInput backwards = sample(false);
    backwards.zones[1].inner = -1;
    for (const ReductionInput& bad : {tooMany, backwards}) {
        try {
            writeReadingFile(path, bad);
            FAIL() << "saved";
        } catch (const ReductionInputError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("cannot save '" + path.toStdString() + "': ", 0), 0u) << e.what();
        }
        expectSameInput(readReadingFile(path), saved);
    }
}

TEST(ReadingFile, MissingFoldersAndHugeFilesAreRefusedNamed) {
    QTemporaryDir dir;
    try {
        readReadingFile(dir.filePath("none.txt"));
        FAIL();
    } catch (const ReductionInputError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read '" + dir.filePath("none.txt").toStdString() +
                                             "': No such file or directory");
    }
    try {
        readReadingFile(dir.path());
        FAIL();
    } catch (const ReductionInputError& e) {
        EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos) << e.what();
    }
    QFile big(dir.filePath("big.txt"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(kMaxReadingFileBytes + 1, '#'));
    big.close();
    try {
        readReadingFile(big.fileName());
        FAIL();
    } catch (const ReductionInputError& e) {
        EXPECT_NE(std::string(e.what()).find("larger than 1 MiB"), std::string::npos) << e.what();
    }
    EXPECT_THROW(writeReadingFile(dir.filePath("no/such/folder.txt"), sample(true)), ReductionInputError);
}

}  // namespace
}  // namespace sg
