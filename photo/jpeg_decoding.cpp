// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/jpeg_decoding.h"

#include <QTransform>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace sg {

namespace {

// libjpeg reports errors through this manager: an error jumps back to the
// decoder, and a warning (a premature end, corrupt data) is noted instead
// of being printed.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf back;
    bool warned = false;
};

[[noreturn]] void onError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(errors->back, 1);
}

void onMessage(j_common_ptr info, int level) {
    if (level < 0) reinterpret_cast<ErrorManager*>(info->err)->warned = true;
}

void onOutput(j_common_ptr) {}

// What the decoding hands back, owned by the caller so that nothing with a
// destructor lives in the frame that calls setjmp.
struct Decoding {
    QImage image;
    int scale = 1;
    std::vector<unsigned char> row;   // one row of CMYK
    std::vector<unsigned char> exif;  // the APP1 segments, one after the other
    bool warned = false;              // libjpeg warned about the data
};

bool tooLarge(JDIMENSION width, JDIMENSION height, int components, const JpegRules& rules) {
    if (rules.maxSide > 0 && (width > JDIMENSION(rules.maxSide) || height > JDIMENSION(rules.maxSide))) return true;
    if (rules.maxMegabytes <= 0) return false;
    const unsigned long long rowBytes = components == 1 ? (width + 3ULL) / 4 * 4 : 4ULL * width;
    return rowBytes * height > static_cast<unsigned long long>(rules.maxMegabytes) << 20;
}

// The libjpeg idiom: the decompressor and its error manager live in this
// function, whose only other state is the caller's, reached through a
// pointer, so that nothing of this frame changes between setjmp and a jump.
bool decodeInto(QByteArrayView data, const JpegRules* rules, Decoding* out) {
    jpeg_decompress_struct info{};
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = onError;
    errors.pub.emit_message = onMessage;
    errors.pub.output_message = onOutput;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    const bool headerRead = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
    const int components = headerRead ? info.num_components : 0;
    const bool wanted = components == 3 || (rules->anyComponents && (components == 1 || components == 4));
    // The scale: halved while the shorter side keeps the length asked for.
    const JDIMENSION shorter = std::min(info.image_width, info.image_height);
    int scale = 1;
    while (rules->minShortSide > 0 && scale < 8 && shorter / JDIMENSION(2 * scale) >= JDIMENSION(rules->minShortSide))
        scale *= 2;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(scale);
    out->scale = scale;
    // libjpeg's scaled size: each side divided, rounded up.
    const JDIMENSION outWidth = (info.image_width + JDIMENSION(scale) - 1) / JDIMENSION(scale);
    const JDIMENSION outHeight = (info.image_height + JDIMENSION(scale) - 1) / JDIMENSION(scale);
    if (!wanted || info.image_width == 0 || info.image_height == 0 || tooLarge(outWidth, outHeight, components, *rules)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    for (jpeg_saved_marker_ptr m = info.marker_list; m != nullptr; m = m->next)
        if (m->marker == JPEG_APP0 + 1) out->exif.insert(out->exif.end(), m->data, m->data + m->data_length);
    info.out_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_start_decompress(&info);
    if (info.output_components != components) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const int width = static_cast<int>(info.output_width);
    out->image = QImage(width, static_cast<int>(info.output_height),
                        components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    out->row.resize(components == 4 ? std::size_t(width) * 4 : 0);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW row = components == 4 ? out->row.data() : out->image.scanLine(y);
        jpeg_read_scanlines(&info, &row, 1);
        if (components != 4) continue;
        uchar* rgb = out->image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const unsigned char* cmyk = out->row.data() + 4 * std::size_t(x);
            const int k = cmyk[3];
            for (int c = 0; c < 3; ++c) rgb[3 * x + c] = static_cast<uchar>(k * cmyk[c] / 255);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out->warned = errors.warned;
    return !(errors.warned && rules->warningsFail);
}

// Reads the byte order of a TIFF structure; a read past the end gives 0
// and marks the reading as failed.
class ExifReader {
public:
    explicit ExifReader(const std::vector<unsigned char>& d) : data_(d) {}
    bool bigEndian = true;
    bool failed = false;
    std::size_t at = 0;
    unsigned value(int bytes) {
        unsigned v = 0;
        if (at + std::size_t(bytes) > data_.size()) {
            failed = true;
            at = data_.size();
            return 0;
        }
        for (int i = 0; i < bytes; ++i) {
            const unsigned b = data_[at + std::size_t(i)];
            v |= bigEndian ? b << (8 * (bytes - 1 - i)) : b << (8 * i);
        }
        at += std::size_t(bytes);
        return v;
    }

private:
    const std::vector<unsigned char>& data_;
};

// The orientation tag (0x0112, one unsigned short of 1..8) of the first
// image directories of the EXIF data; 0 without one, -1 for data that
// cannot be read.
int exifOrientation(const std::vector<unsigned char>& exif) {
    constexpr std::size_t kHeader = 6;  // "Exif\0\0"
    constexpr int kMaxDirectories = 10;
    if (exif.size() < kHeader || std::memcmp(exif.data(), "Exif\0\0", kHeader) != 0) return -1;
    ExifReader r(exif);
    r.at = kHeader;
    const unsigned order = r.value(2);
    if (order == 0x4949) r.bigEndian = false;
    else if (order != 0x4d4d) return -1;
    if (r.value(2) != 0x2a) return -1;
    std::size_t offset = r.value(4);
    for (int n = 0; n < kMaxDirectories; ++n) {
        // Directories only forward, and within the data.
        if (offset < r.at - kHeader || offset + kHeader >= exif.size()) return -1;
        r.at = offset + kHeader;
        for (unsigned entries = r.value(2); entries > 0 && !r.failed; --entries) {
            const unsigned tag = r.value(2), type = r.value(2), count = r.value(4), v = r.value(2);
            r.value(2);
            if (tag != 0x0112) continue;
            if (count != 1 || type != 3 || v < 1 || v > 8) return -1;
            return static_cast<int>(v);
        }
        offset = r.value(4);
        if (r.failed) return -1;
        if (offset == 0) return 0;
    }
    return -1;
}

// The frame header only: the size as stored.
bool readFrameSize(QByteArrayView data, QSize* size) {
    jpeg_decompress_struct info{};
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = onError;
    errors.pub.emit_message = onMessage;
    errors.pub.output_message = onOutput;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    const bool read = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
    if (read) *size = QSize(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
    jpeg_destroy_decompress(&info);
    return read;
}

}  // namespace

std::optional<QSize> jpegFrameSize(QByteArrayView data) {
    if (data.isEmpty()) return std::nullopt;
    QSize size;
    if (!readFrameSize(data, &size)) return std::nullopt;
    return size;
}

std::optional<DecodedJpeg> decodeJpeg(QByteArrayView data, const JpegRules& rules, bool* warned) {
    if (warned) *warned = false;
    if (data.isEmpty()) return std::nullopt;
    Decoding d;
    const bool decoded = decodeInto(data, &rules, &d);
    if (warned) *warned = d.warned;
    if (!decoded) return std::nullopt;
    DecodedJpeg out;
    out.scale = d.scale;
    out.image = d.image.format() == QImage::Format_RGB888 ? d.image : d.image.convertToFormat(QImage::Format_RGB888);
    const int orientation = d.exif.empty() ? 0 : exifOrientation(d.exif);
    out.orientation = orientation > 0 ? orientation : 1;
    return out;
}

QImage decodeJpeg(const QByteArray& data) {
    JpegRules rules;
    rules.maxSide = 4096;
    const std::optional<DecodedJpeg> d = decodeJpeg(QByteArrayView(data), rules);
    return d ? d->image.convertToFormat(QImage::Format_RGB32) : QImage();
}

QImage turnedUpright(const QImage& image, int orientation) {
    const QTransform quarter = QTransform().rotate(90), threeQuarters = QTransform().rotate(270);
    switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.mirrored(false, true).transformed(quarter);
    case 6: return image.transformed(quarter);
    case 7: return image.mirrored(true, false).transformed(quarter);
    case 8: return image.transformed(threeQuarters);
    default: return image;
    }
}

}  // namespace sg
