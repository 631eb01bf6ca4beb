// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook file: every kind of entry written and read back bit for bit;
// what it refuses (a damaged file, another program's database, a file that
// exists) without changing a byte; a newer schema read-only; two
// connections seeing each other's entries; the progress plot's points.
#include "logbook/logbook.h"
#include "logbook/logbook_text.h"
#include "logbook/progress_plot.h"
#include "tests/logbook/logbook_fixtures.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace sg {
namespace {

using testing::testMirror;

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

bool sameBits(const std::optional<double>& a, const std::optional<double>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || std::memcmp(&*a, &*b, sizeof(double)) == 0;
}
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0; }

// Runs SQL on the file through a connection of its own, as another program would.
void rawSql(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        for (const QString& s : statements) {
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(s)) << s.toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("raw");
}

class LogbookFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name = "mirror.sglog") const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(LogbookFile, EveryKindOfEntryReadsBackBitForBit) {
    const LogMirror mirror = testMirror();
    std::vector<LogEntry> written = {testing::testReductionEntry(), testing::testPhotoEntry(3),
                                     testing::testNoteEntry("Pitch lap pressed 20 min.\n\tThen \"W\" strokes \u2013 1/3 D.")};
    {
        const auto book = Logbook::create(path(), mirror);
        for (LogEntry& e : written) e.id = book->add(e);
    }
    const auto book = Logbook::open(path());
    EXPECT_FALSE(book->readOnly());
    EXPECT_EQ(book->schemaVersion(), kLogbookSchema);
    const LogMirror& m = book->mirror();
    EXPECT_EQ(m.name, mirror.name);
    EXPECT_TRUE(sameBits(m.diameter, mirror.diameter) && sameBits(m.radius, mirror.radius) &&
                sameBits(m.wantedConic, mirror.wantedConic) && sameBits(m.wavelength, mirror.wavelength));
    EXPECT_EQ(m.tester, mirror.tester);

    const std::vector<LogEntry> read = book->entries(true);
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        const LogEntry &a = written[i], &b = read[i];
        SCOPED_TRACE("entry " + std::to_string(i + 1) + " (" + entryKindName(a.kind) + ")");
        EXPECT_EQ(b.id, a.id);
        EXPECT_EQ(b.kind, a.kind);
        EXPECT_EQ(b.made, a.made);
        EXPECT_EQ(b.comment, a.comment);
        EXPECT_TRUE(sameBits(b.conic, a.conic));
        EXPECT_TRUE(sameBits(b.conicSigma, a.conicSigma));
        EXPECT_TRUE(sameBits(b.correctionError, a.correctionError));
        EXPECT_TRUE(sameBits(b.rms, a.rms));
        EXPECT_TRUE(sameBits(b.strehl, a.strehl));
        EXPECT_EQ(b.report, a.report);
        EXPECT_EQ(b.note, a.note);
        ASSERT_EQ(b.reduction.has_value(), a.reduction.has_value());
        if (a.reduction) {
            EXPECT_EQ(b.reduction->fileName, a.reduction->fileName);
            EXPECT_EQ(b.reduction->readings, a.reduction->readings);
            EXPECT_EQ(b.reduction->options, a.reduction->options);
            EXPECT_EQ(b.reduction->verdict, a.reduction->verdict);
        }
        ASSERT_EQ(b.photo.has_value(), a.photo.has_value());
        if (a.photo) {
            const PhotoRecord &p = *a.photo, &q = *b.photo;
            EXPECT_EQ(q.fileName, p.fileName);
            EXPECT_EQ(q.bytes, p.bytes) << "the photo's bytes";
            EXPECT_EQ(q.secondName, p.secondName);
            EXPECT_EQ(q.secondBytes, p.secondBytes);
            const double PhotoRecord::*numbers[] = {
                &PhotoRecord::separation, &PhotoRecord::mapCx,      &PhotoRecord::mapCy,      &PhotoRecord::mapScale,
                &PhotoRecord::mapRotationDeg, &PhotoRecord::diameter, &PhotoRecord::radius,   &PhotoRecord::linesPerMm,
                &PhotoRecord::wavelength, &PhotoRecord::zoneStart,  &PhotoRecord::offset,     &PhotoRecord::conic,
                &PhotoRecord::transverse, &PhotoRecord::edgeShift,  &PhotoRecord::zoneHeight, &PhotoRecord::offsetSigma,
                &PhotoRecord::zoneHeightSigma};
            for (std::size_t k = 0; k < std::size(numbers); ++k)
                EXPECT_TRUE(sameBits(q.*numbers[k], p.*numbers[k])) << "number " << k << ": " << q.*numbers[k];
            EXPECT_EQ(q.levelBands, p.levelBands);
            EXPECT_EQ(q.sourceMoves, p.sourceMoves);
            EXPECT_EQ(q.exact, p.exact);
            EXPECT_EQ(q.sideGiven, p.sideGiven);
            EXPECT_EQ(q.zone, p.zone);
            EXPECT_EQ(q.side, p.side);
            EXPECT_EQ(q.sideFrom, p.sideFrom);
            EXPECT_EQ(q.model, p.model);
            EXPECT_EQ(q.spectrum, p.spectrum);
            EXPECT_EQ(q.sourceKind, p.sourceKind);
            EXPECT_EQ(q.slitWidth, p.slitWidth);
        }
    }
    // The list leaves the records out; one entry whole has them.
    const std::vector<LogEntry> listed = book->entries();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_FALSE(listed[1].photo.has_value());
    EXPECT_EQ(listed[2].note, written[2].note);
    ASSERT_TRUE(book->entry(written[1].id).has_value());
    EXPECT_EQ(book->entry(written[1].id)->photo->bytes, written[1].photo->bytes);
    EXPECT_FALSE(book->entry(99).has_value());

    // A comment changed later is kept; an entry that is not there is said so.
    EXPECT_TRUE(book->setComment(written[0].id, "re-measured zone 3"));
    EXPECT_FALSE(book->setComment(99, "x"));
    EXPECT_EQ(Logbook::open(path())->entry(written[0].id)->comment, "re-measured zone 3");
}

TEST_F(LogbookFile, AnEmptyPhotoFileAndMissingFiguresStayWhatTheyWere) {
    LogEntry e = testing::testPhotoEntry(1);
    e.photo->bytes = QByteArray("");
    e.photo->secondBytes = QByteArray();
    e.conicSigma.reset();
    {
        const auto book = Logbook::create(path(), testMirror());
        book->add(e);
    }
    const LogEntry back = *Logbook::open(path())->entry(1);
    EXPECT_TRUE(back.photo->bytes.isEmpty());
    EXPECT_TRUE(back.photo->secondBytes.isEmpty());
    EXPECT_FALSE(back.conicSigma.has_value()) << "a missing figure read back as " << *back.conicSigma;
    EXPECT_TRUE(back.correctionError.has_value()) << "a figure of 0 read back as missing";
    EXPECT_FALSE(back.rms.has_value());
}

TEST_F(LogbookFile, MakingOneNeverReplacesAFileUnasked) {
    writeBytes(path(), "my notes");
    EXPECT_THROW(Logbook::create(path(), testMirror()), LogbookError);
    EXPECT_EQ(bytesOf(path()), QByteArray("my notes"));
    // Asked, the file is replaced whole, and nothing is left beside it.
    const auto book = Logbook::create(path(), testMirror(), true);
    EXPECT_EQ(book->entryCount(), 0);
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeAll("mirror.sglog");
    left.removeAll("mirror.sglog-wal");
    left.removeAll("mirror.sglog-shm");
    EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
}

// Files that are not whole logbooks: each refused with a message, read
// only and never written.
TEST_F(LogbookFile, DamagedOrForeignFilesAreRefusedWithoutAChangedByte) {
    {
        const auto book = Logbook::create(path("whole.sglog"), testMirror());
        for (int i = 0; i < 40; ++i) book->add(testing::testPhotoEntry(i));
    }
    // Checkpointed, so that the whole logbook is in its one file.
    rawSql(path("whole.sglog"), {"PRAGMA wal_checkpoint(TRUNCATE)"});
    const QByteArray whole = bytesOf(path("whole.sglog"));
    ASSERT_GT(whole.size(), 2 * 4096);

    std::mt19937 random(7);
    QByteArray noise(50000, '\0');
    for (char& c : noise) c = char(random() & 0xff);
    QByteArray zeroedPage = whole;  // a page of the photos' table wiped
    std::fill(zeroedPage.begin() + 4 * 4096, zeroedPage.begin() + 5 * 4096, '\0');
    QByteArray headerThenNoise = whole.left(100) + noise;
    headerThenNoise.truncate(whole.size());

    struct Case {
        const char* name;
        QByteArray bytes;
        const char* says;
    };
    const Case cases[] = {
        {"empty", QByteArray(""), "not a logbook"},
        {"random bytes", noise, "not a logbook"},
        {"text", "diameter 200\nradius 1600\n", "not a logbook"},
        {"cut in half", whole.left(whole.size() / 2), "damaged"},
        {"cut inside a page", whole.left(whole.size() - 1000), "damaged"},
        {"the header and noise", headerThenNoise, "damaged"},
        {"a page wiped", zeroedPage, "damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path("case.sglog");
        QFile::remove(file);
        QFile::remove(file + "-wal");
        QFile::remove(file + "-shm");
        writeBytes(file, c.bytes);
        for (const bool readOnly : {false, true}) {
            try {
                Logbook::open(file, readOnly);
                ADD_FAILURE() << "opened";
            } catch (const LogbookError& e) {
                EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            }
            EXPECT_EQ(bytesOf(file), c.bytes) << "the file was changed";
        }
        // Making a logbook there is refused too.
        EXPECT_THROW(Logbook::create(file, testMirror()), LogbookError);
        EXPECT_EQ(bytesOf(file), c.bytes);
    }

    // Another program's SQLite database.
    const QString foreign = path("other.db");
    rawSql(foreign, {"CREATE TABLE t (x)", "INSERT INTO t VALUES (1)"});
    const QByteArray before = bytesOf(foreign);
    try {
        Logbook::open(foreign);
        ADD_FAILURE() << "opened another program's database";
    } catch (const LogbookError& e) {
        EXPECT_NE(std::string(e.what()).find("another program"), std::string::npos) << e.what();
    }
    EXPECT_EQ(bytesOf(foreign), before);
    EXPECT_THROW(Logbook::open(path("missing.sglog")), LogbookError);
}

TEST_F(LogbookFile, ANewerSchemaOpensReadOnlyAndIsNeverWritten) {
    {
        const auto book = Logbook::create(path(), testMirror());
        book->add(testing::testNoteEntry("before"));
    }
    rawSql(path(), {QString("PRAGMA user_version = %1").arg(kLogbookSchema + 1),
                    "CREATE TABLE later_things (x)", "PRAGMA wal_checkpoint(TRUNCATE)"});
    const QByteArray before = bytesOf(path());
    const auto book = Logbook::open(path());
    EXPECT_TRUE(book->readOnly());
    EXPECT_NE(book->readOnlyReason().find("newer version"), std::string::npos) << book->readOnlyReason();
    EXPECT_EQ(book->schemaVersion(), kLogbookSchema + 1);
    ASSERT_EQ(book->entries().size(), 1u);
    EXPECT_EQ(book->entries()[0].note, "before");
    EXPECT_THROW(book->add(testing::testNoteEntry("after")), LogbookError);
    EXPECT_THROW(book->setComment(1, "x"), LogbookError);
    EXPECT_EQ(bytesOf(path()), before);

    // Asked for, read-only says so; the same logbook stays writable otherwise.
    rawSql(path(), {QString("PRAGMA user_version = %1").arg(kLogbookSchema)});
    const auto asked = Logbook::open(path(), true);
    EXPECT_TRUE(asked->readOnly());
    EXPECT_THROW(asked->add(testing::testNoteEntry("x")), LogbookError);
    EXPECT_FALSE(Logbook::open(path())->readOnly());
}

// Sets or clears the file system's immutable flag of a file or folder,
// which nobody (root included) can write while it is set: a medium that
// cannot be written, as far as the program can tell. False where the file
// system or the user cannot.
bool setImmutable(const QString& path, bool on) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

TEST_F(LogbookFile, ALogbookThatCannotBeWrittenOpensReadOnly) {
    const QString folder = dir.filePath("card");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + "/mirror.sglog";
    {
        const auto book = Logbook::create(file, testMirror());
        book->add(testing::testPhotoEntry(4));
        book->add(testing::testNoteEntry("on the card"));
    }
    rawSql(file, {"PRAGMA wal_checkpoint(TRUNCATE)"});
    QFile::remove(file + "-wal");
    QFile::remove(file + "-shm");
    const QByteArray before = bytesOf(file);
    if (!setImmutable(file, true) || !setImmutable(folder, true)) {
        setImmutable(file, false);
        GTEST_SKIP() << "this file system or user cannot make a file immutable";
    }
    struct Writable {
        QString file, folder;
        ~Writable() {
            setImmutable(folder, false);
            setImmutable(file, false);
        }
    } restore{file, folder};
    const auto book = Logbook::open(file);
    EXPECT_TRUE(book->readOnly());
    EXPECT_NE(book->readOnlyReason().find("cannot be written"), std::string::npos) << book->readOnlyReason();
    const std::vector<LogEntry> entries = book->entries(true);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].photo->bytes, testing::patternBytes(70004, 4));
    EXPECT_EQ(entries[1].note, "on the card");
    EXPECT_THROW(book->add(testing::testNoteEntry("x")), LogbookError);
    // Asked for read-only (as the command's list is), it reads the same.
    EXPECT_EQ(Logbook::open(file, true)->entries().size(), 2u);
    EXPECT_EQ(bytesOf(file), before);
}

TEST_F(LogbookFile, TwoConnectionsSeeEachOthersEntries) {
    const auto first = Logbook::create(path(), testMirror());
    const auto second = Logbook::open(path());
    EXPECT_FALSE(second->changedElsewhere());
    first->add(testing::testNoteEntry("from the first window"));
    EXPECT_TRUE(second->changedElsewhere());
    EXPECT_FALSE(second->changedElsewhere()) << "the same change told twice";
    ASSERT_EQ(second->entries().size(), 1u);
    second->add(testing::testPhotoEntry(2));
    EXPECT_FALSE(second->changedElsewhere()) << "its own change told as another's";
    EXPECT_TRUE(first->changedElsewhere());
    EXPECT_EQ(first->entries().size(), 2u);
    EXPECT_EQ(first->entry(2)->photo->bytes, testing::patternBytes(70002, 2));
}

// A logbook of known entries: the plot's points lie where their dates and
// values say, in their colours, with a fit's sigma bar and the wanted conic.
TEST(ProgressPlotPoints, EachEntryIsDrawnAtItsDateAndValue) {
    LogMirror mirror = testMirror();
    mirror.wantedConic = -1;
    const auto at = [](const char* made, EntryKind kind, double conic, std::optional<double> sigma,
                       double correction, std::optional<double> rms) {
        LogEntry e;
        e.kind = kind;
        e.made = made;
        e.conic = conic;
        e.conicSigma = sigma;
        e.correctionError = correction;
        e.rms = rms;
        return e;
    };
    std::vector<LogEntry> entries = {
        at("2026-11-01T20:00:00.000Z", EntryKind::Reduction, -0.40, std::nullopt, 1.2, 0.35),
        at("2026-11-08T20:00:00.000Z", EntryKind::Photo, -0.70, 0.05, 0.6, std::nullopt),
        at("2026-11-15T20:00:00.000Z", EntryKind::Reduction, -0.95, std::nullopt, 0.1, 0.08),
        testing::testNoteEntry("no figures"),
    };
    for (std::size_t i = 0; i < entries.size(); ++i) entries[i].id = long(i + 1);
    const ProgressSeries s = progressSeries(entries, mirror);
    ASSERT_EQ(s.conic.size(), 3u);
    ASSERT_EQ(s.correction.size(), 3u);
    ASSERT_EQ(s.rms.size(), 2u) << "a fit has no RMS, a note no figure";
    EXPECT_EQ(s.conic[1].sigma, 0.05);
    EXPECT_TRUE(s.conic[1].fromPhoto);
    EXPECT_DOUBLE_EQ(s.conic[2].time - s.conic[0].time, 14 * 86400.0);

    const ProgressPlot plot(s);
    const QImage image = plot.image();
    using Panel = ProgressPlot::Panel;
    struct Expect {
        Panel panel;
        std::size_t index;
        QRgb colour;
    };
    const Expect points[] = {
        {Panel::Conic, 0, ProgressPlot::kReductionColour},     {Panel::Conic, 1, ProgressPlot::kPhotoColour},
        {Panel::Conic, 2, ProgressPlot::kReductionColour},     {Panel::Correction, 0, ProgressPlot::kReductionColour},
        {Panel::Correction, 1, ProgressPlot::kPhotoColour},    {Panel::Correction, 2, ProgressPlot::kReductionColour},
        {Panel::Rms, 0, ProgressPlot::kReductionColour},       {Panel::Rms, 1, ProgressPlot::kReductionColour},
    };
    const auto seriesOf = [&s](Panel p) -> const std::vector<ProgressPoint>& {
        return p == Panel::Conic ? s.conic : p == Panel::Correction ? s.correction : s.rms;
    };
    std::vector<double> xs;
    for (const Expect& e : points) {
        const ProgressPoint& pt = seriesOf(e.panel)[e.index];
        const QPointF c = plot.place(e.panel, pt.time, pt.value);
        SCOPED_TRACE("panel " + std::to_string(int(e.panel)) + " point " + std::to_string(e.index));
        EXPECT_TRUE(plot.area(e.panel).contains(c)) << c.x() << ", " << c.y();
        EXPECT_EQ(image.pixel(int(c.x()), int(c.y())), e.colour);
        if (e.panel == Panel::Conic) xs.push_back(c.x());
    }
    // Later dates stand to the right, evenly for even weeks; higher values higher.
    EXPECT_LT(xs[0], xs[1]);
    EXPECT_NEAR(xs[2] - xs[1], xs[1] - xs[0], 1.0);
    EXPECT_LT(plot.place(Panel::Conic, s.conic[0].time, -0.40).y(), plot.place(Panel::Conic, s.conic[0].time, -0.95).y());
    // The fit's sigma bar reaches value +/- sigma; a reduction has none.
    const QPointF top = plot.place(Panel::Conic, s.conic[1].time, -0.70 + 0.05);
    const QPointF bottom = plot.place(Panel::Conic, s.conic[1].time, -0.70 - 0.05);
    EXPECT_EQ(image.pixel(int(top.x()), int(top.y())), ProgressPlot::kPhotoColour);
    EXPECT_EQ(image.pixel(int(bottom.x()), int(bottom.y())), ProgressPlot::kPhotoColour);
    const QPointF noBar = plot.place(Panel::Conic, s.conic[0].time, -0.40 + 0.05);
    EXPECT_NE(image.pixel(int(noBar.x()), int(noBar.y())), ProgressPlot::kReductionColour);
    // Every value with its sigma inside the panel's range, the wanted conic too.
    const auto [lo, hi] = plot.valueRange(Panel::Conic);
    EXPECT_LT(lo, -1.0);
    EXPECT_GT(hi, -0.40);
    // The wanted conic's dashed line crosses the panel at its height.
    const QRectF area = plot.area(Panel::Conic);
    const int wantedY = int(plot.place(Panel::Conic, s.conic[0].time, -1).y());
    int dashes = 0;
    for (int x = int(area.left()) + 1; x < int(area.right()); ++x) dashes += image.pixel(x, wantedY) == ProgressPlot::kWantedColour;
    EXPECT_GT(dashes, int(area.width()) / 4);
}

}  // namespace
}  // namespace sg
