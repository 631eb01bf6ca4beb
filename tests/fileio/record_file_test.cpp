// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and reading whole files where the file system is hostile: pipes,
// devices, folders and links as targets and sources, a size limit part-way,
// a save killed half-way, and file names that are not UTF-8.
#include "tests/support/file_size_limit.h"
#include "fileio/record_file.h"
#include "editor/shape_file.h"
#include "testfile/test_record.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sg {
namespace {

using namespace std::chrono_literals;

mode_t modeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return st.st_mode;
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Every name in the folder, hidden ones included.
QStringList everyName(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class SaveTargets : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(SaveTargets, APipeIsWrittenInPlaceAndNeverReplaced) {
    const QString fifo = path("picture.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);

    // No program reads it: refused at once, not waited on.
    auto lonely = std::async(std::launch::async, [&] { return saveWholeFile(fifo, "bytes"); });
    ASSERT_EQ(lonely.wait_for(10s), std::future_status::ready) << "the save waits for a reader";
    const std::optional<QString> refused = lonely.get();
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(*refused, "it is a pipe that no program is reading");
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));

    // A reader gets the bytes, and the pipe stays a pipe.
    auto reader = std::async(std::launch::async, [&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY);
        QByteArray got;
        char buffer[256];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) got.append(buffer, n);
        ::close(fd);
        return got;
    });
    std::optional<QString> saved = QString("not tried");
    for (int i = 0; i < 200 && saved.has_value(); ++i) {
        saved = saveWholeFile(fifo, "the picture");
        if (saved) std::this_thread::sleep_for(10ms);  // until the reader has opened its end
    }
    EXPECT_FALSE(saved.has_value()) << saved->toStdString();
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(reader.get(), "the picture");
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));
    EXPECT_EQ(everyName(dir.path()), QStringList{"picture.png"});
}

TEST_F(SaveTargets, ADeviceIsWrittenInPlaceAndNeverReplaced) {
    // A node of the null device of our own: only root may make one.
    const QString node = path("null");
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device node here (" << std::strerror(errno) << "); needs root";
    EXPECT_FALSE(saveWholeFile(node, "into nothing").has_value());
    EXPECT_TRUE(S_ISCHR(modeOf(node)));
    EXPECT_EQ(everyName(dir.path()), QStringList{"null"});
    // Through a link to it, as /dev/stdout is one.
    ASSERT_TRUE(QFile::link(node, path("link")));
    EXPECT_FALSE(saveWholeFile(path("link"), "again").has_value());
    EXPECT_TRUE(S_ISCHR(modeOf(node)));
    EXPECT_TRUE(QFileInfo(path("link")).isSymLink());
}

TEST_F(SaveTargets, FoldersAndSocketsAreRefused) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_EQ(saveWholeFile(path("folder"), "x").value_or(""), "not a regular file");
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());

    const QByteArray socketPath = QFile::encodeName(path("socket"));
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), static_cast<std::size_t>(socketPath.size()));
    ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(saveWholeFile(path("socket"), "x").value_or(""), "not a regular file");
    EXPECT_TRUE(S_ISSOCK(modeOf(path("socket"))));
    ::close(s);
}

TEST_F(SaveTargets, LinksStayLinksAndPermissionsStay) {
    const QString file = path("real.Ron");
    ASSERT_FALSE(saveWholeFile(file, "first").has_value());
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link("real.Ron", path("relative-link")));
    ASSERT_FALSE(saveWholeFile(path("relative-link"), "second").has_value());
    EXPECT_TRUE(QFileInfo(path("relative-link")).isSymLink());
    EXPECT_EQ(contents(file), "second");
    EXPECT_EQ(modeOf(file) & 07777, 0640u);

    // A link to a file not made yet makes it.
    ASSERT_TRUE(QFile::link(path("later.Ron"), path("dangling")));
    ASSERT_FALSE(saveWholeFile(path("dangling"), "made").has_value());
    EXPECT_TRUE(QFileInfo(path("dangling")).isSymLink());
    EXPECT_EQ(contents(path("later.Ron")), "made");
    EXPECT_EQ(everyName(dir.path()), (QStringList{"dangling", "later.Ron", "real.Ron", "relative-link"}));
}

// A limit on file sizes stops the write part-way: the system's reason is
// given, the earlier file stays, and nothing is left beside it.
TEST_F(SaveTargets, AWriteCutShortGivesTheSystemsReasonAndKeepsTheEarlierFile) {
    const QString file = path("keep.Shp");
    ASSERT_FALSE(saveWholeFile(file, QByteArray(100, 'a')).has_value());
    std::optional<QString> reason;
    {
        testing::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.ok());
        reason = saveWholeFile(file, QByteArray(5000, 'b'));
    }
    ASSERT_TRUE(reason.has_value());
    EXPECT_EQ(*reason, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(contents(file), QByteArray(100, 'a'));
    EXPECT_EQ(everyName(dir.path()), QStringList{"keep.Shp"});
}

// A save killed half-way leaves its temporary file hidden, out of the
// dialogs' sight, and the earlier file whole.
TEST_F(SaveTargets, ASaveKilledHalfWayLeavesNothingInSight) {
    const QString file = path("mirror.Ron");
    ASSERT_FALSE(saveWholeFile(file, QByteArray(2660, 'a')).has_value());
    const pid_t child = ::fork();
    if (child == 0) {
        // The size limit's signal ends the process in the middle of the write.
        std::signal(SIGXFSZ, SIG_DFL);
        struct rlimit small {};
        getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 1000;
        setrlimit(RLIMIT_FSIZE, &small);
        saveWholeFile(file, QByteArray(2660, 'b'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save was not cut short";
    EXPECT_EQ(contents(file), QByteArray(2660, 'a'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"mirror.Ron"});
    const QStringList all = everyName(dir.path());
    ASSERT_EQ(all.size(), 2) << all.join(' ').toStdString();
    EXPECT_TRUE(all[0].startsWith(".mirror.Ron.")) << all[0].toStdString();
}

TEST(ReadSources, OnlyRegularFilesAreRead) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("set.Ron");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    auto read = std::async(std::launch::async, [&] {
        try {
            readTestFile(fifo);
        } catch (const TestFileError& e) {
            return std::string(e.what());
        }
        return std::string("read");
    });
    if (read.wait_for(10s) != std::future_status::ready) {
        // Let the stuck reader go before failing.
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        ::close(fd);
        FAIL() << "reading a pipe waits for a writer";
    }
    EXPECT_EQ(read.get(), "Cannot read the test file \"" + fifo.toStdString() + "\": not a regular file");

    try {
        readShapeFile(dir.path());
        ADD_FAILURE() << "a folder was read as a shape";
    } catch (const ShapeFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot read the shape file \"" + dir.path().toStdString() +
                                             "\": not a regular file");
    }

    // A link to a regular file is read as the file.
    ASSERT_FALSE(saveWholeFile(dir.filePath("a.Shp"), QByteArray(360, '\0')).has_value());
    ASSERT_TRUE(QFile::link(dir.filePath("a.Shp"), dir.filePath("b.Shp")));
    EXPECT_EQ(readShapeFile(dir.filePath("b.Shp")), ShapeRecord{});
}

TEST(FileNames, OnlyValidUtf8NamesTheSameFile) {
    struct Case {
        std::string bytes;
        bool faithful;
        std::string printed;
    };
    const Case cases[] = {
        {"mirror.Ron", true, "mirror.Ron"},
        {"Spiegel-\xC3\xBC.Ron", true, "Spiegel-\xC3\xBC.Ron"},  // ü
        {"\xE2\x82\xAC.png", true, "\xE2\x82\xAC.png"},          // €
        {"pic\xE9.png", false, "pic\\xE9.png"},                    // é in Latin-1
        {"\xC3", false, "\\xC3"},                                  // cut short
        {"\xED\xA0\x80", false, "\\xED\\xA0\\x80"},                // a surrogate
        {"\xC0\xAF", false, "\\xC0\\xAF"},                         // an overlong slash
        {"\xF4\x90\x80\x80", false, "\\xF4\\x90\\x80\\x80"},       // beyond U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isFaithfulFileName(c.bytes), c.faithful) << c.printed;
        EXPECT_EQ(printableFileName(c.bytes), c.printed);
    }
}

}  // namespace
}  // namespace sg
