// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook under programs that die or write at once: this test program
// runs itself again as a child that adds entries in a loop, killed with
// SIGKILL at random moments, many times over; then the logbook opens and
// holds whole entries only, each photo's bytes intact. Two children adding
// at once lose no entry.
#include "logbook/logbook.h"
#include "tests/logbook/logbook_fixtures.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sg {
namespace {

constexpr const char* kChildFlag = "--add-entries";
constexpr int kPhotoSize = 400000;

// The entry a child adds as its `n`th: a photo of 400 kB whose bytes tell
// which it is, or every third a note; the comment names both.
LogEntry childEntry(const std::string& tag, int n) {
    LogEntry e = n % 3 == 2 ? testing::testNoteEntry("note " + std::to_string(n)) : testing::testPhotoEntry(n);
    if (e.photo) e.photo->bytes = testing::patternBytes(kPhotoSize, n);
    e.comment = tag + " " + std::to_string(n);
    return e;
}

pid_t startChild(const QString& book, const std::string& tag, int count) {
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string self = "/proc/self/exe";
        const std::string file = book.toStdString(), n = std::to_string(count);
        ::execl(self.c_str(), self.c_str(), kChildFlag, file.c_str(), tag.c_str(), n.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

// Every entry whole: its record is there and a photo's bytes are the ones
// its comment names. Returns how many entries each tag added.
std::map<std::string, std::vector<int>> checkWhole(const QString& path) {
    std::map<std::string, std::vector<int>> added;
    const auto book = Logbook::open(path);
    EXPECT_FALSE(book->readOnly()) << book->readOnlyReason();
    for (const LogEntry& e : book->entries(true)) {
        const std::size_t blank = e.comment.rfind(' ');
        EXPECT_NE(blank, std::string::npos) << "entry " << e.id << " comment '" << e.comment << "'";
        if (blank == std::string::npos) continue;
        const int n = std::stoi(e.comment.substr(blank + 1));
        const LogEntry expected = childEntry(e.comment.substr(0, blank), n);
        EXPECT_EQ(e.kind, expected.kind) << "entry " << e.id;
        if (expected.photo) {
            EXPECT_TRUE(e.photo.has_value()) << "entry " << e.id << " without its photo";
            if (e.photo) {
                EXPECT_TRUE(e.photo->bytes == expected.photo->bytes) << "entry " << e.id << ": the photo's bytes differ";
            }
        } else {
            EXPECT_EQ(e.note, expected.note) << "entry " << e.id;
        }
        added[e.comment.substr(0, blank)].push_back(n);
    }
    return added;
}

class LogbookCrash : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path() const { return dir.filePath("mirror.sglog"); }
    QTemporaryDir dir;
};

TEST_F(LogbookCrash, KilledWhileAddingLeavesWholeEntriesOnly) {
    Logbook::create(path(), testing::testMirror());
    std::mt19937 random(20261208);
    int killedRunning = 0;
    for (int round = 0; round < 16; ++round) {
        const std::string tag = "round" + std::to_string(round);
        const pid_t child = startChild(path(), tag, 1000);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(40 + random() % 400));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        killedRunning += WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        // Each round's entries are 0, 1, 2, ... with none lost in between.
        const auto added = checkWhole(path());
        if (added.count(tag)) {
            const std::vector<int>& n = added.at(tag);
            for (std::size_t i = 0; i < n.size(); ++i) EXPECT_EQ(n[i], int(i)) << tag;
        }
        if (HasFailure()) break;
    }
    EXPECT_GE(killedRunning, 12) << "the children ended before they were killed: the test killed nothing";
    EXPECT_GT(Logbook::open(path())->entryCount(), 4) << "too few entries were added to tell anything";
}

TEST_F(LogbookCrash, TwoProgramsAddingAtOnceLoseNoEntry) {
    Logbook::create(path(), testing::testMirror());
    constexpr int kEach = 30;
    const pid_t a = startChild(path(), "a", kEach), b = startChild(path(), "b", kEach);
    for (const pid_t child : {a, b}) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a child failed: status " << status;
    }
    const auto added = checkWhole(path());
    for (const char* tag : {"a", "b"}) {
        ASSERT_TRUE(added.count(tag)) << tag;
        EXPECT_EQ(int(added.at(tag).size()), kEach) << tag;
    }
}

// The child: adds `count` entries to the logbook, one transaction each.
int addEntries(const char* file, const std::string& tag, int count) {
    try {
        const auto book = Logbook::open(QString::fromLocal8Bit(file));
        for (int n = 0; n < count; ++n) book->add(childEntry(tag, n));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child %s: %s\n", tag.c_str(), e.what());
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace sg

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::string(argv[1]) == sg::kChildFlag) return sg::addEntries(argv[2], argv[3], std::atoi(argv[4]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
