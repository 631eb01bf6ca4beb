// SPDX-License-Identifier: GPL-3.0-or-later
// Photos read from files: JPEGs of three, one and four components decode
// pixel for pixel as the toolkit's own image reader decodes them, turned
// upright by every EXIF orientation as it turns them, and damaged or
// oversized ones are refused with the reader's words.
#include "photo/photo_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sg {
namespace {

// A picture whose every row and column differ, so that a turn or a mirror
// shows: gradients and a few sharp marks.
QImage pattern(QImage::Format format) {
    QImage image(97, 61, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / 96, y * 255 / 60, (x * 7 + y * 13) % 256));
    image.setPixel(3, 5, qRgb(255, 255, 255));
    return image.convertToFormat(format);
}

QByteArray jpegOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPEG", 90));
    return bytes;
}

// An EXIF segment after the start of the image with one entry, the
// orientation, in either byte order.
QByteArray withOrientation(QByteArray jpeg, int orientation, bool bigEndian = false) {
    const char o = static_cast<char>(orientation);
    const char little[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                           1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, o, 0, 0, 0, 0, 0, 0, 0};
    const char big[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                        0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, o, 0, 0, 0, 0, 0, 0};
    jpeg.insert(2, QByteArray(bigEndian ? big : little, sizeof little));
    return jpeg;
}

// Four components, written by libjpeg: C, M, Y and K from the pattern.
QByteArray cmykJpeg() {
    const QImage rgb = pattern(QImage::Format_RGB888);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(rgb.width()) * 4);
    while (info.next_scanline < info.image_height) {
        const uchar* in = rgb.constScanLine(int(info.next_scanline));
        for (int x = 0; x < rgb.width(); ++x) {
            row[4 * x] = in[3 * x];
            row[4 * x + 1] = in[3 * x + 1];
            row[4 * x + 2] = in[3 * x + 2];
            row[4 * x + 3] = static_cast<unsigned char>(255 - x);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    jpeg_destroy_compress(&info);
    return bytes;
}

// What the toolkit's reader makes of the bytes, upright, as RGB bytes.
QImage readerImage(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read().convertToFormat(QImage::Format_RGB888);
}

class PhotoFile : public ::testing::Test {
protected:
    std::string write(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path.toStdString();
    }
    // The photo loaded, and the same bytes through the toolkit's reader.
    void expectAsTheReader(const char* name, const QByteArray& bytes) {
        const QImage expected = readerImage(bytes);
        ASSERT_FALSE(expected.isNull()) << name;
        const LoadedPhoto photo = loadPhoto(write(name, bytes));
        ASSERT_EQ(photo.image.format(), QImage::Format_RGB888) << name;
        EXPECT_EQ(photo.image, expected) << name;
    }
    QTemporaryDir dir;
};

TEST_F(PhotoFile, JpegsDecodeAndTurnUprightAsTheReaderDid) {
    const QByteArray colour = jpegOf(pattern(QImage::Format_RGB888));
    expectAsTheReader("plain.jpg", colour);
    for (int orientation = 1; orientation <= 9; ++orientation) {
        const std::string name = "turned" + std::to_string(orientation) + ".jpg";
        expectAsTheReader(name.c_str(), withOrientation(colour, orientation));
    }
    expectAsTheReader("big-endian.jpg", withOrientation(colour, 6, true));
    const LoadedPhoto turned = loadPhoto(write("six.jpg", withOrientation(colour, 6)));
    EXPECT_EQ(turned.image.size(), QSize(61, 97));

    expectAsTheReader("grey.jpg", jpegOf(pattern(QImage::Format_Grayscale8)));
    expectAsTheReader("cmyk.jpg", cmykJpeg());
}

// A JPEG cut short anywhere is refused: decoded as far as its data goes, the
// rest grey, it would be fitted as a photo without the rest of its mirror.
TEST_F(PhotoFile, JpegsCutShortAreRefused) {
    const QByteArray whole = jpegOf(pattern(QImage::Format_RGB888));
    for (const QByteArray& jpeg : {whole, jpegOf(pattern(QImage::Format_Grayscale8)), cmykJpeg()}) {
        EXPECT_NO_THROW(loadPhoto(write("whole.jpg", jpeg)));
        for (int percent = 1; percent <= 99; ++percent) {
            const QByteArray cut = jpeg.left(jpeg.size() * percent / 100);
            try {
                loadPhoto(write("cut.jpg", cut));
                ADD_FAILURE() << percent << "% of " << jpeg.size() << " bytes decoded";
            } catch (const PhotoFileError& e) {
                const std::string reason = e.what();
                EXPECT_TRUE(reason == "the JPEG data is cut short or damaged" ||
                            reason == "the JPEG data cannot be decoded (Unable to read image data)" ||
                            reason == "not a JPEG or PNG picture")
                    << percent << "%: " << reason;
            }
        }
    }
    // Its end marker alone missing, the picture is refused too.
    ASSERT_TRUE(whole.endsWith("\xFF\xD9"));
    EXPECT_THROW(loadPhoto(write("no end.jpg", whole.chopped(2))), PhotoFileError);
}

// A file over the size limit is refused from its size alone: in a process
// that cannot hold the limit's bytes, the refusal still comes with its
// reason, where reading the file first would run out of memory.
TEST_F(PhotoFile, AFileOverTheLimitIsRefusedBeforeItIsRead) {
    const std::string big = dir.filePath("big.jpg").toStdString();
    {
        QFile f(QString::fromStdString(big));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(jpegOf(pattern(QImage::Format_RGB888)));
        ASSERT_TRUE(f.resize(kMaxPhotoBytes + 1));  // sparse: no disk taken
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room for what the process has now and 64 MB more.
        long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const rlim_t room = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + (rlim_t(64) << 20);
        const struct rlimit limit = {room, room};
        if (pages == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(10);
        try {
            loadPhoto(big);
        } catch (const PhotoFileError& e) {
            ::_exit(std::string(e.what()) == "the file is larger than 256 MB" ? 0 : 11);
        } catch (...) {
            ::_exit(12);
        }
        ::_exit(13);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no limit set, 11: another reason, 12: out of memory, 13: read";
}

TEST_F(PhotoFile, DamagedAndOversizedJpegsAreRefusedWithTheReadersWords) {
    QByteArray huge = jpegOf(pattern(QImage::Format_RGB888));
    // The frame header (SOF0) claims 40000 x 40000 pixels.
    const qsizetype sof = huge.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (int k : {5, 7}) {
        huge[sof + k] = char(40000 >> 8);
        huge[sof + k + 1] = char(40000 & 0xFF);
    }
    const QByteArray damaged = QByteArray("\xFF\xD8\xFF\xE0 not a picture at all", 24);
    for (const QByteArray& bytes : {huge, damaged}) {
        EXPECT_TRUE(readerImage(bytes).isNull());
        try {
            loadPhoto(write("bad.jpg", bytes));
            ADD_FAILURE() << "no error";
        } catch (const PhotoFileError& e) {
            // Too many pixels is said from the header, before decoding.
            EXPECT_STREQ(e.what(), bytes == huge ? "the photo has 1600 megapixels (40000 x 40000); photos of up "
                                                     "to 200 megapixels are read"
                                                   : "the JPEG data cannot be decoded (Unable to read image data)");
        }
    }
}

}  // namespace
}  // namespace sg
