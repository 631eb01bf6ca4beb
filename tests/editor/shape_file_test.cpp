// SPDX-License-Identifier: GPL-3.0-or-later
// Shape files: the 360-byte record, bit for bit both ways, and the files
// that must be refused without touching the knots or an earlier file.
#include "tests/support/file_size_limit.h"
#include "editor/shape_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <bit>
#include <csignal>
#include <cstring>
#include <limits>

namespace sg {
namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void putBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

ShapeRecord awkwardShape() {
    ShapeRecord r{};
    for (int k = 0; k < 45; ++k) r[k] = (k % 9) * 17.25 - 70;
    r[0] = 0.1;                                      // differs from knot 44
    r[44] = -0.0;                                    // a negative zero keeps its sign bit
    r[22] = std::numeric_limits<double>::denorm_min();
    r[7] = 1e300;
    return r;
}

std::string expectThrow(const std::function<void()>& f) {
    try {
        f();
    } catch (const ShapeFileError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no ShapeFileError";
    return {};
}

TEST(ShapeRecord, LittleEndianDoublesKnotZeroFirst) {
    ShapeRecord r{};
    r[0] = 1.0;    // 3F F0 00 .. 00
    r[44] = -2.5;  // C0 04 00 .. 00
    const ShapeBytes b = encodeShapeRecord(r);
    EXPECT_EQ(b[7], 0x3F);
    EXPECT_EQ(b[6], 0xF0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(b[359], 0xC0);
    EXPECT_EQ(b[358], 0x04);
    for (int i = 8; i < 352; ++i) EXPECT_EQ(b[i], 0) << i;

    const ShapeRecord back = decodeShapeRecord(b);
    EXPECT_EQ(back[0], 1.0);
    EXPECT_EQ(back[44], -2.5);
}

TEST(ShapeFile, FlatSurfaceIs360ZeroBytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("flat.Shp");
    writeShapeFile(path, ShapeRecord{});
    EXPECT_EQ(fileBytes(path), QByteArray(360, '\0'));
}

TEST(ShapeFile, RoundTripIsBitExact) {
    QTemporaryDir dir;
    const QString path = dir.filePath("zone.Shp");
    const ShapeRecord r = awkwardShape();
    writeShapeFile(path, r);
    EXPECT_EQ(fileBytes(path).size(), 360);
    const ShapeRecord back = readShapeFile(path);
    for (int k = 0; k < 45; ++k)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back[k]), std::bit_cast<std::uint64_t>(r[k])) << "knot " << k;

    // Bytes after the record are ignored.
    QByteArray longer = fileBytes(path);
    longer.append("trailing bytes");
    putBytes(path, longer);
    EXPECT_EQ(readShapeFile(path), r);
}

TEST(ShapeFile, DamagedFilesAreRefusedWithTheirReason) {
    QTemporaryDir dir;
    const QString shortFile = dir.filePath("short.Shp");
    putBytes(shortFile, QByteArray(359, '\0'));
    EXPECT_EQ(expectThrow([&] { readShapeFile(shortFile); }),
              "Cannot read the shape file \"" + shortFile.toStdString() + "\": it holds 359 bytes; a shape needs 360");

    const QString empty = dir.filePath("empty.Shp");
    putBytes(empty, QByteArray());
    EXPECT_NE(expectThrow([&] { readShapeFile(empty); }).find("it holds 0 bytes"), std::string::npos);

    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()}) {
        ShapeRecord r{};
        r[30] = bad;
        const ShapeBytes b = encodeShapeRecord(r);
        const QString path = dir.filePath("bad.Shp");
        putBytes(path, QByteArray(reinterpret_cast<const char*>(b.data()), 360));
        EXPECT_NE(expectThrow([&] { readShapeFile(path); }).find("the height of knot 30 is not a finite number"),
                  std::string::npos)
            << bad;
    }

    const std::string missing = expectThrow([&] { readShapeFile(dir.filePath("none.Shp")); });
    EXPECT_NE(missing.find("none.Shp"), std::string::npos);
    EXPECT_NE(expectThrow([&] { readShapeFile(dir.path()); }).find("Cannot read the shape file"), std::string::npos);
}

TEST(ShapeFile, FailedSaveLeavesTheEarlierFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.Shp");
    const ShapeRecord old = awkwardShape();
    writeShapeFile(path, old);
    const QByteArray before = fileBytes(path);

    // A file size limit below one record makes the write fail, for any user.
    std::string message;
    {
        testing::FileSizeLimit limit(100);
        ASSERT_TRUE(limit.ok());
        message = expectThrow([&] { writeShapeFile(path, ShapeRecord{}); });
    }

    EXPECT_NE(message.find("Cannot save the shape file \"" + path.toStdString() + "\""), std::string::npos) << message;
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.Shp"});  // no temporary file left

    // A folder that does not exist, and (for a user other than root) one that is read-only.
    EXPECT_NE(expectThrow([&] { writeShapeFile(dir.filePath("no/such/folder.Shp"), old); }).find("folder.Shp"),
              std::string::npos);
    if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        expectThrow([&] { writeShapeFile(path, ShapeRecord{}); });
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(fileBytes(path), before);
    }
}

}  // namespace
}  // namespace sg
