// SPDX-License-Identifier: GPL-3.0-or-later
// The shape-file record reader: any bytes either are refused with a
// ShapeFileError or give 45 finite heights that write back to the first
// 360 bytes exactly.
#include "fuzz/fuzz_check.h"
#include "editor/shape_file.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sg::ShapeRecord record{};
    try {
        record = sg::decodeShapeRecord(std::span(data, size));
    } catch (const sg::ShapeFileError&) {
        return 0;
    }
    FUZZ_CHECK(size >= sg::kShapeRecordSize);
    for (double h : record) FUZZ_CHECK(std::isfinite(h));
    const sg::ShapeBytes again = sg::encodeShapeRecord(record);
    FUZZ_CHECK(std::memcmp(again.data(), data, sg::kShapeRecordSize) == 0);
    return 0;
}
