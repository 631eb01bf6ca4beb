// SPDX-License-Identifier: GPL-3.0-or-later
// Photos of any phone: a 48-megapixel photo of the grating test reads,
// aligns and fits as its 12-megapixel version does, within a memory limit
// of 1.5 bytes per photo pixel beyond the JPEG file itself, and a photo
// beyond the largest read is refused from its header with the reason.
#include "fit/photo_fit.h"
#include "photo/jpeg_decoding.h"
#include "photo/photo_file.h"
#include "tests/support/synthetic_photo.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sg {
namespace {

testing::PhotoTruth conic() {
    testing::PhotoTruth t;
    t.mirror.diameter = 200;
    t.mirror.radius = 2000;
    t.mirror.linesPerMm = 4;
    t.parameters.conic = -1;
    t.parameters.offset = 8;
    t.parameters.transverse = 0.3;
    return t;
}

QByteArray jpegOf(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPEG", quality));
    return bytes;
}

// A phone's 12-megapixel photo of the test (4032 x 3024, the mirror 2200
// pixels across) and the same photo at twice the size each way, 48.8
// megapixels, as a 48-megapixel phone takes it; both as JPEG files.
struct PhonePhotos {
    QByteArray twelve, fortyEight;
};

const PhonePhotos& phonePhotos() {
    static const PhonePhotos photos = [] {
        testing::Camera c;
        c.width = 4032, c.height = 3024, c.cx = 2029.7, c.cy = 1503.8, c.radius = 1100;
        c.rotationDeg = 4, c.blur = 2, c.gamma = 1.2, c.noise = 0.015, c.vignetting = 0.3, c.supersample = 2;
        const testing::SyntheticPhoto p = testing::makeSyntheticPhoto(conic(), c);
        const QImage image(p.pixels.data(), p.width, p.height, p.width * 3, QImage::Format_RGB888);
        PhonePhotos out;
        out.twelve = jpegOf(image, 90);
        out.fortyEight = jpegOf(image.scaled(2 * p.width, 2 * p.height, Qt::IgnoreAspectRatio,
                                             Qt::SmoothTransformation),
                                90);
        return out;
    }();
    return photos;
}

FitResult fitted(const LoadedPhoto& photo) {
    FitRequest r;
    r.mirror = conic().mirror;
    r.side = Side::Outside;
    PhotoAlignment a = alignPhoto(photo.view());
    a.pixelScale = photo.scale;
    return fitPhoto(a, r);
}

TEST(LargePhoto, FortyEightMegapixelsFitAsTwelve) {
    const PhonePhotos& photos = phonePhotos();
    const LoadedPhoto twelve = decodePhoto(photos.twelve), fortyEight = decodePhoto(photos.fortyEight);
    // Both decoded at the scale that keeps 1500 pixels on the shorter side.
    EXPECT_EQ(twelve.photoSize, QSize(4032, 3024));
    EXPECT_EQ(twelve.scale, 2);
    EXPECT_EQ(fortyEight.photoSize, QSize(8064, 6048));
    EXPECT_EQ(fortyEight.scale, 4);
    EXPECT_EQ(fortyEight.image.size(), twelve.image.size());

    const FitResult a = fitted(twelve), b = fitted(fortyEight);
    const testing::PhotoTruth truth = conic();
    for (const FitResult* r : {&a, &b}) {
        EXPECT_NEAR(r->conic.value, truth.parameters.conic, 0.05);
        EXPECT_NEAR(r->offset.value, truth.parameters.offset, 0.1);
    }
    // One answer, within the fit's own figures.
    const double conicSigma = std::hypot(a.conic.sigma, b.conic.sigma);
    const double offsetSigma = std::hypot(a.offset.sigma, b.offset.sigma);
    EXPECT_GT(conicSigma, 0);
    EXPECT_LE(std::fabs(a.conic.value - b.conic.value), 3 * conicSigma)
        << a.conic.value << " against " << b.conic.value << ", sigma " << conicSigma;
    EXPECT_LE(std::fabs(a.offset.value - b.offset.value), 3 * offsetSigma)
        << a.offset.value << " against " << b.offset.value << ", sigma " << offsetSigma;
    // The edges' distance in the photo's own pixels: the same picture read
    // at the same size lies twice as many of the larger photo's pixels off.
    EXPECT_GT(a.edgeRmsPhoto, 0);
    EXPECT_NEAR(b.edgeRmsPhoto / a.edgeRmsPhoto, 2, 0.4) << a.edgeRmsPhoto << ", " << b.edgeRmsPhoto;
}

// The 48-megapixel photo read and aligned in a child process whose address
// space may grow by 1.5 bytes per photo pixel only: more, and the
// allocation fails.
TEST(LargePhoto, ReadAndAlignedWithinOneAndAHalfBytesAPixel) {
    const QByteArray& jpeg = phonePhotos().fortyEight;
    const long long photoPixels = 8064LL * 6048;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const rlim_t room = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + rlim_t(photoPixels * 3 / 2);
        const struct rlimit limit = {room, room};
        if (pages == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(10);
        try {
            const LoadedPhoto photo = decodePhoto(jpeg);
            const PhotoAlignment a = alignPhoto(photo.view());
            ::_exit(a.disk.radius > 500 ? 0 : 11);
        } catch (const std::bad_alloc&) {
            ::_exit(12);
        } catch (...) {
            ::_exit(13);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no limit set, 11: no disk, 12: out of memory, 13: another failure";
}

// A header of more pixels than are read is refused with the photo's size,
// before any pixel is decoded; one within the limit is not refused for its
// size.
TEST(LargePhoto, BeyondTwoHundredMegapixelsRefusedFromTheHeader) {
    struct Case {
        int width, height;
        const char* message;
    };
    const Case cases[] = {
        {20000, 15000, "the photo has 300 megapixels (20000 x 15000); photos of up to 200 megapixels are read"},
        {14143, 14143, "the photo has 200 megapixels (14143 x 14143); photos of up to 200 megapixels are read"},
        {40000, 40000, "the photo has 1600 megapixels (40000 x 40000); photos of up to 200 megapixels are read"},
        {14142, 14142, "the JPEG data is cut short or damaged"},  // 199.99 MP: read, and found short
    };
    QImage small(97, 61, QImage::Format_RGB888);
    small.fill(Qt::gray);
    const QByteArray jpeg = jpegOf(small, 90);
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (const Case& c : cases) {
        QByteArray bytes = jpeg;
        bytes[sof + 5] = char(c.height >> 8), bytes[sof + 6] = char(c.height & 0xFF);
        bytes[sof + 7] = char(c.width >> 8), bytes[sof + 8] = char(c.width & 0xFF);
        ASSERT_EQ(jpegFrameSize(QByteArrayView(bytes)), QSize(c.width, c.height));
        try {
            decodePhoto(bytes);
            ADD_FAILURE() << "no error for " << c.width << " x " << c.height;
        } catch (const PhotoFileError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

}  // namespace
}  // namespace sg
