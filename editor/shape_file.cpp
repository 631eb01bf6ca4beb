// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/shape_file.h"

#include "fileio/record_file.h"

#include <bit>
#include <cmath>

namespace sg {

namespace {

std::string quoted(const QString& path) { return "\"" + path.toStdString() + "\""; }

[[noreturn]] void failSave(const QString& path, const QString& reason) {
    throw ShapeFileError("Cannot save the shape file " + quoted(path) + ": " + reason.toStdString());
}

[[noreturn]] void failRead(const QString& path, const std::string& reason) {
    throw ShapeFileError("Cannot read the shape file " + quoted(path) + ": " + reason);
}

}  // namespace

ShapeBytes encodeShapeRecord(const ShapeRecord& record) {
    ShapeBytes bytes{};
    for (std::size_t k = 0; k < record.size(); ++k) {
        const auto bits = std::bit_cast<std::uint64_t>(record[k]);
        for (int b = 0; b < 8; ++b) bytes[8 * k + b] = static_cast<std::uint8_t>(bits >> (8 * b));
    }
    return bytes;
}

ShapeRecord decodeShapeRecord(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kShapeRecordSize)
        throw ShapeFileError("it holds " + std::to_string(bytes.size()) + " bytes; a shape needs " +
                             std::to_string(kShapeRecordSize));
    ShapeRecord record{};
    for (std::size_t k = 0; k < record.size(); ++k) {
        std::uint64_t bits = 0;
        for (int b = 0; b < 8; ++b) bits |= static_cast<std::uint64_t>(bytes[8 * k + b]) << (8 * b);
        record[k] = std::bit_cast<double>(bits);
        if (!std::isfinite(record[k]))
            throw ShapeFileError("the height of knot " + std::to_string(k) + " is not a finite number");
    }
    return record;
}

void writeShapeFile(const QString& path, const ShapeRecord& record) {
    const ShapeBytes bytes = encodeShapeRecord(record);
    if (const std::optional<QString> reason = saveWholeFile(path, QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())))) failSave(path, *reason);
}

ShapeRecord readShapeFile(const QString& path) {
    QByteArray data;
    if (const std::optional<QString> reason = readFileStart(path, kShapeRecordSize, data))
        failRead(path, reason->toStdString());
    try {
        return decodeShapeRecord(
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                          static_cast<std::size_t>(data.size())));
    } catch (const ShapeFileError& e) {
        failRead(path, e.what());
    }
}

}  // namespace sg
