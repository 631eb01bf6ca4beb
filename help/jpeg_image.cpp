// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg_image.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace sg {

namespace {

constexpr JDIMENSION kMaxSide = 4096;

// libjpeg reports errors through this manager: an error jumps back to the
// decoder, and a warning (a premature end, corrupt data) marks the picture
// as failed instead of being printed.
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

// The libjpeg idiom: the decompressor and its error manager live in this
// function, whose only other state is the caller's image, reached through a
// pointer, so that nothing of this frame changes between setjmp and a jump.
bool decodeInto(const QByteArray& data, QImage* image) {
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
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.num_components != 3 || info.image_width == 0 ||
        info.image_height == 0 || info.image_width > kMaxSide || info.image_height > kMaxSide) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return !errors.warned;
}

}  // namespace

QImage decodeJpeg(const QByteArray& data) {
    if (data.isEmpty()) return {};
    QImage image;
    if (!decodeInto(data, &image)) return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace sg
