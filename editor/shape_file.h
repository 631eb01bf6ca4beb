// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shape files: one record of 360 bytes, the 45 knot heights (editor plot
// pixels, positive below the zero line) as little-endian IEEE 754 doubles,
// knot 0 first; no header. The same bytes on every host.

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace sg {

inline constexpr int kShapeRecordSize = 360;

using ShapeRecord = std::array<double, 45>;
using ShapeBytes = std::array<std::uint8_t, kShapeRecordSize>;

// A shape file that cannot be written or read. The message names the file
// and the reason.
class ShapeFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

ShapeBytes encodeShapeRecord(const ShapeRecord& record);

// The record in the first 360 bytes; bytes after them are ignored. Fewer
// bytes, or a value that is not a finite number, throw ShapeFileError with
// the reason only (no file name).
ShapeRecord decodeShapeRecord(std::span<const std::uint8_t> bytes);

// Writes the record through a temporary file that replaces `path` only when
// it is complete, so a failed save leaves any earlier file as it was.
void writeShapeFile(const QString& path, const ShapeRecord& record);

// Reads and checks a record; nothing is returned from a bad file.
ShapeRecord readShapeFile(const QString& path);

}  // namespace sg
