// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/help_pictures/bitmap_writers.h"

#include <QSaveFile>

#include <functional>
#include <QRgb>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace hp {

QImage toMono(const QImage& drawing) {
    const QImage rgb = drawing.convertToFormat(QImage::Format_RGB32);
    QImage mono(rgb.size(), QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    // Every byte, the padding at the end of each row too, is written to the
    // file: clear them all so that every run writes the same bytes.
    std::memset(mono.bits(), 0, static_cast<std::size_t>(mono.sizeInBytes()));
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) mono.setPixel(x, y, qGray(row[x]) < 128 ? 0 : 1);
    }
    return mono;
}

QImage toSixteenColours(const QImage& drawing) {
    const QImage rgb = drawing.convertToFormat(QImage::Format_RGB32);
    QList<QRgb> table;
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    // The colour table in order of first appearance, so that the same
    // drawing always gives the same file.
    std::vector<std::vector<int>> index(static_cast<std::size_t>(rgb.height()),
                                        std::vector<int>(static_cast<std::size_t>(rgb.width())));
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = row[x] | 0xff000000u;
            qsizetype i = table.indexOf(c);
            if (i < 0) {
                if (table.size() == 16) throw std::runtime_error("a 16-colour picture uses more than 16 colours");
                table.append(c);
                i = table.size() - 1;
            }
            index[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = static_cast<int>(i);
        }
    }
    indexed.setColorTable(table);
    std::memset(indexed.bits(), 0, static_cast<std::size_t>(indexed.sizeInBytes()));
    for (int y = 0; y < rgb.height(); ++y) {
        uchar* row = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            row[x] = static_cast<uchar>(index[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]);
    }
    return indexed;
}

namespace {

// Every file goes through a temporary one that replaces `path` only when
// complete, so a failed run never leaves a truncated picture behind.
bool saveAtomically(const QString& path, const std::function<bool(QIODevice&)>& write) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && write(file) && file.commit();
}

}  // namespace

bool writeBmp(const QImage& image, const QString& path) {
    return saveAtomically(path, [&image](QIODevice& out) { return image.save(&out, "BMP"); });
}

namespace {

// libjpeg reports a fault by calling error_exit, which must not return.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void onJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

// Compresses into memory; false when libjpeg reports a fault. Nothing with
// a destructor lives between setjmp and a possible longjmp.
bool compress(const std::vector<unsigned char>& pixels, int width, int height, int quality, unsigned char** out,
              unsigned long* outSize) {
    jpeg_compress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onJpegError;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

bool writeJpeg(const QImage& image, const QString& path, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width(), height = rgb.height();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    std::size_t k = 0;
    for (int y = 0; y < height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            pixels[k++] = static_cast<unsigned char>(qRed(row[x]));
            pixels[k++] = static_cast<unsigned char>(qGreen(row[x]));
            pixels[k++] = static_cast<unsigned char>(qBlue(row[x]));
        }
    }
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const bool ok = compress(pixels, width, height, quality, &data, &size);
    const bool written = ok && saveAtomically(path, [data, size](QIODevice& out) {
        return out.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) == static_cast<qint64>(size);
    });
    std::free(data);
    return written;
}

}  // namespace hp
