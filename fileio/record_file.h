#pragma once
// Files of one fixed-size record, as the program keeps set-ups and shapes.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace sg {

// Writes the bytes through a temporary file that replaces `path` only when
// it is complete, so that a failure never leaves a short file nor destroys
// an earlier one. Returns the system's reason when it fails.
std::optional<QString> saveRecordFile(const QString& path, std::span<const std::uint8_t> bytes);

// Reads at most `size` bytes from the start of the file into `bytes`.
// Returns the system's reason when the file cannot be opened or read.
std::optional<QString> loadRecordFile(const QString& path, qint64 size, QByteArray& bytes);

}  // namespace sg
