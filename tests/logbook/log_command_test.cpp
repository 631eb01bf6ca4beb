// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-log as users run it: a logbook made by its first entry, the
// export against a hand-written document whose reports are what
// shadowgram-reduce and shadowgram-fit print with --json, a fitted photo
// taking the logbook's mirror, the report as a PDF, and the exit statuses
// of mistakes, missing entries, damaged and newer logbooks.
#include "tests/support/raw_process.h"
#include "tests/support/synthetic_photo.h"

#include <QFile>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sg {
namespace {

using testing::runRaw;

const std::string kLog = SHADOWGRAM_LOG;
const std::string kReduce = SHADOWGRAM_REDUCE;
const std::string kFit = SHADOWGRAM_FIT;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

QByteArray bytesOf(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// `json` with every line after its first indented by `spaces`.
std::string indented(std::string json, int spaces) {
    while (!json.empty() && json.back() == '\n') json.pop_back();
    std::string out;
    for (const char c : json) {
        out += c;
        if (c == '\n') out.append(std::size_t(spaces), ' ');
    }
    return out;
}

constexpr const char* kReadings =
    "# a 200 mm f/4 mirror, two runs\n"
    "diameter 200\nradius 1600\nzones 4\n"
    "1 0.12 0.11\n2 1.01 1.02\n3 1.95 1.97\n4 2.95 2.93\n";

class LogCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string path(const std::string& name) const {
        return QFile::encodeName(dir.filePath(QString::fromStdString(name))).toStdString();
    }
    std::string file(const std::string& name, const std::string& text) const {
        QFile f(QString::fromStdString(path(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), qint64(text.size()));
        return path(name);
    }
    testing::RawRun log(std::vector<std::string> args) const {
        args.insert(args.begin(), kLog);
        return runRaw(args, {"TZ=UTC"}, std::chrono::seconds(120));
    }
    QTemporaryDir dir;
};

TEST_F(LogCommand, ExportHoldsEachEntryAsItsCommandPrintedIt) {
    const std::string readings = file("zones.txt", kReadings);
    const std::string book = path("mirror.sglog");
    const testing::RawRun first =
        log({book, "add-reduction", readings, "--conic", "-0.98", "--date", "2026-11-30T20:15:00Z", "--comment",
             "first \"test\"", "--name", "Test mirror"});
    ASSERT_EQ(first.exitCode, 0) << first.standardError;
    EXPECT_TRUE(contains(first.standardOutput, "Verdict: ")) << "the report is printed";
    EXPECT_TRUE(contains(first.standardOutput, "Logbook: entry 1 (reduction) added to")) << first.standardOutput;
    const testing::RawRun note = log({book, "add-note", "Polished 20 min, W strokes.\nThen 10 min.", "--date", "2026-12-01T09:00"});
    ASSERT_EQ(note.exitCode, 0) << note.standardError;

    const testing::RawRun reduced = runRaw({kReduce, readings, "--conic", "-0.98", "--json"});
    ASSERT_EQ(reduced.exitCode, 0) << reduced.standardError;
    const std::string expected = std::string(
        "{\n"
        "  \"program\": \"shadowgram-log\",\n"
        "  \"version\": \"" SHADOWGRAM_VERSION_TEXT "\",\n"
        "  \"schema\": 1,\n"
        "  \"mirror\": {\n"
        "    \"name\": \"Test mirror\",\n"
        "    \"diameter_mm\": 200,\n"
        "    \"radius_mm\": 1600,\n"
        "    \"wanted_conic\": -0.98,\n"
        "    \"wavelength_um\": 0.55,\n"
        "    \"tester\": \"moving source\"\n"
        "  },\n"
        "  \"entries\": [\n"
        "    {\n"
        "      \"entry\": 1,\n"
        "      \"kind\": \"reduction\",\n"
        "      \"date\": \"2026-11-30T20:15:00.000Z\",\n"
        "      \"comment\": \"first \\\"test\\\"\",\n"
        "      \"reading_file\": \"") + readings + "\",\n"
        "      \"options\": \"--conic -0.98\",\n"
        "      \"readings\": \"# Foucault readings: the mirror, then one line per zone:\\u000a# zone, then one reading per "
        "set\\u000adiameter 200\\u000aradius 1600\\u000aconic -0.98\\u000awavelength 0.55\\u000asource moving\\u000a"
        "zone-radius rms\\u000anull exact\\u000aobstruction 0\\u000aunits mm\\u000azones 4\\u000a1 0.12 0.11\\u000a"
        "2 1.01 1.02\\u000a3 1.95 1.97\\u000a4 2.95 2.93\\u000a\",\n"
        "      \"report\": " + indented(reduced.standardOutput, 6) + "\n"
        "    },\n"
        "    {\n"
        "      \"entry\": 2,\n"
        "      \"kind\": \"note\",\n"
        "      \"date\": \"2026-12-01T09:00:00.000Z\",\n"
        "      \"comment\": \"\",\n"
        "      \"text\": \"Polished 20 min, W strokes.\\u000aThen 10 min.\"\n"
        "    }\n"
        "  ]\n"
        "}\n";
    const testing::RawRun exported = log({book, "export", "--json"});
    ASSERT_EQ(exported.exitCode, 0) << exported.standardError;
    EXPECT_EQ(exported.standardOutput, expected);

    // The list and one entry in full.
    const testing::RawRun list = log({book, "list"});
    ASSERT_EQ(list.exitCode, 0) << list.standardError;
    EXPECT_TRUE(contains(list.standardOutput, "Mirror 'Test mirror': D 200.00 mm, R 1600.00 mm")) << list.standardOutput;
    EXPECT_TRUE(contains(list.standardOutput, "2026-11-30 20:15  reduction")) << list.standardOutput;
    EXPECT_TRUE(contains(list.standardOutput, "Polished 20 min, W strokes.")) << list.standardOutput;
    const testing::RawRun show = log({book, "show", "1"});
    ASSERT_EQ(show.exitCode, 0) << show.standardError;
    const testing::RawRun text = runRaw({kReduce, readings, "--conic", "-0.98"});
    EXPECT_TRUE(contains(show.standardOutput, text.standardOutput)) << "show prints the reduction's report:\n" << show.standardOutput;
}

TEST_F(LogCommand, APhotoIsFittedAsShadowgramFitDoesWithTheLogbooksMirror) {
    testing::PhotoTruth truth;
    truth.mirror.diameter = 200;
    truth.mirror.radius = 2000;
    truth.mirror.linesPerMm = 4;
    truth.parameters.conic = -0.8;
    truth.parameters.offset = 8;
    truth.parameters.transverse = 0.25;
    testing::Camera camera;
    camera.width = 700, camera.height = 640, camera.cx = 351.2, camera.cy = 318.7, camera.radius = 260;
    camera.blur = 1.5, camera.noise = 0.01;
    const std::string photo = path("ronchi.png");
    ASSERT_TRUE(testing::savePhoto(testing::makeSyntheticPhoto(truth, camera), photo));
    const std::string book = path("photos.sglog");

    // The photo is drawn by the program's rays: the fit is told so.
    const testing::RawRun first = log({book, "add-photo", photo, "--diameter", "200", "--radius", "2000", "--lines", "4",
                                       "--outside", "--model", "rays", "--json", "--date", "2026-11-02"});
    ASSERT_EQ(first.exitCode, 0) << first.standardError;
    // Without --diameter and --radius the logbook's mirror is taken.
    const testing::RawRun second = log({book, "add-photo", photo, "--lines", "4", "--outside", "--model", "rays"});
    ASSERT_EQ(second.exitCode, 0) << second.standardError;
    EXPECT_TRUE(contains(second.standardOutput, "Logbook: entry 2 (photo)")) << second.standardOutput;

    const testing::RawRun fitted = runRaw({kFit, photo, "--diameter", "200", "--radius", "2000", "--lines", "4",
                                           "--outside", "--model", "rays", "--json"});
    ASSERT_EQ(fitted.exitCode, 0) << fitted.standardError;
    QJsonObject expected = QJsonDocument::fromJson(QByteArray::fromStdString(fitted.standardOutput)).object();
    ASSERT_FALSE(expected.isEmpty());
    expected.remove("seconds");  // the run's own time
    // What add-photo printed, and what the logbook keeps, is what shadowgram-fit printed.
    QJsonObject printed = QJsonDocument::fromJson(QByteArray::fromStdString(first.standardOutput)).object();
    printed.remove("seconds");
    EXPECT_EQ(printed, expected);
    const testing::RawRun exported = log({book, "export", "--json"});
    ASSERT_EQ(exported.exitCode, 0) << exported.standardError;
    const QJsonObject all = QJsonDocument::fromJson(QByteArray::fromStdString(exported.standardOutput)).object();
    const QJsonArray entries = all["entries"].toArray();
    ASSERT_EQ(entries.size(), 2);
    for (const QJsonValue& v : entries) {
        QJsonObject report = v.toObject()["report"].toObject();
        report.remove("seconds");
        EXPECT_EQ(report, expected);
        EXPECT_EQ(v.toObject()["photo_bytes"].toInteger(), bytesOf(photo).size());
    }
    EXPECT_EQ(all["mirror"].toObject()["diameter_mm"].toDouble(), 200);
    EXPECT_EQ(all["mirror"].toObject()["tester"].toString(), "fixed source");
    const double conic = expected["conic"].toDouble();
    EXPECT_NEAR(conic, -0.8, 0.05);
    const testing::RawRun list = log({book, "list"});
    const QString sigma = QString::number(expected["conic_sigma"].toDouble(), 'f', 4);
    EXPECT_TRUE(contains(list.standardOutput, QString::number(conic, 'f', 4).toStdString() + "  " + sigma.toStdString()))
        << list.standardOutput;
    const testing::RawRun show = log({book, "show", "2"});
    EXPECT_TRUE(contains(show.standardOutput, "Photo: " + photo + " (" + std::to_string(bytesOf(photo).size()) + " bytes)"))
        << show.standardOutput;

    // The report: a PDF of the history.
    const std::string pdf = path("history.pdf");
    const testing::RawRun report = log({book, "report", pdf});
    ASSERT_EQ(report.exitCode, 0) << report.standardError;
    EXPECT_TRUE(bytesOf(pdf).startsWith("%PDF-"));
    EXPECT_NE(log({book, "report", path("no/such/folder/history.pdf")}).exitCode, 0);
}

TEST_F(LogCommand, MistakesMissingEntriesAndUnusableFilesHaveTheirStatuses) {
    const std::string readings = file("zones.txt", kReadings);
    const std::string book = path("mirror.sglog");
    ASSERT_EQ(log({book, "add-reduction", readings}).exitCode, 0);

    const std::string noise = file("noise.sglog", std::string(3000, '\x5a'));
    const QByteArray noiseBefore = bytesOf(noise);
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{}, 2, "no logbook file given"},
        {{book}, 2, "no command given"},
        {{book, "erase"}, 2, "unknown command 'erase'"},
        {{book, "show"}, 2, "show takes one entry number"},
        {{book, "show", "x1"}, 2, "not 'x1'"},
        {{book, "show", "9"}, 1, "no entry 9"},
        {{book, "list", "extra"}, 2, "list takes no arguments"},
        {{book, "export"}, 2, "export takes --json"},
        {{book, "add-note"}, 2, "needs the note's text"},
        {{book, "add-reduction", readings, "--radius"}, 2, "option --radius needs a value"},
        {{book, "add-reduction", readings, "--date", "yesterday"}, 2, "option --date takes a date"},
        {{book, "add-reduction", path("missing.txt")}, 2, "cannot read"},
        {{book, "add-photo", path("missing.png"), "--lines", "4"}, 2, "cannot read the photo"},
        {{book, "add-photo", readings, "--lines", "4", "--overlay", path("o.png")}, 2, "--overlay"},
        {{path("new.sglog"), "add-note", "first"}, 1, "does not exist"},
        {{noise, "list"}, 2, "not a logbook"},
        {{noise, "add-note", "x"}, 2, "not a logbook"},
        {{noise, "add-reduction", readings}, 2, "not a logbook"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args) line += " " + a;
        SCOPED_TRACE(line);
        const testing::RawRun run = log(c.args);
        EXPECT_EQ(run.exitCode, c.status) << run.standardError;
        EXPECT_TRUE(contains(run.standardError, c.says)) << run.standardError;
        EXPECT_TRUE(run.standardOutput.empty()) << run.standardOutput;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("new.sglog")))) << "a note made a logbook without a mirror";
    EXPECT_EQ(bytesOf(noise), noiseBefore);

    // A logbook of a newer version is read, never written.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(QString::fromStdString(book));
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("PRAGMA user_version = 7");
        QSqlQuery(db).exec("PRAGMA wal_checkpoint(TRUNCATE)");
        db.close();
    }
    QSqlDatabase::removeDatabase("raw");
    const QByteArray newer = bytesOf(book);
    const testing::RawRun add = log({book, "add-note", "x"});
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_TRUE(contains(add.standardError, "newer version")) << add.standardError;
    EXPECT_EQ(log({book, "list"}).exitCode, 0);
    EXPECT_EQ(bytesOf(book), newer);

    const testing::RawRun help = log({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.standardOutput, "Usage: shadowgram-log FILE COMMAND"));
    EXPECT_EQ(log({"--version"}).standardOutput, "shadowgram-log " SHADOWGRAM_VERSION_TEXT "\n");
}

}  // namespace
}  // namespace sg

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
