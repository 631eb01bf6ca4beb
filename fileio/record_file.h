// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files the program writes whole and reads from the start: set-ups, shapes
// and pictures.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string>

namespace sg {

// Writes `bytes` to `path`, following symbolic links to the file they name.
// - Where there is no file yet, or a regular file: through a hidden
//   temporary file in the same folder (".<name>.<random>~") that replaces
//   the target only when it is complete and on disk, so that a failure never
//   leaves a short file nor destroys an earlier one. A replaced file keeps
//   its permissions.
// - A character device or a pipe is what the user asked for: it is written
//   directly, never replaced. A pipe that no program reads is refused at
//   once instead of waiting for one.
// - Anything else (a folder, a block device, a socket) is refused.
// Returns the system's reason when it fails.
std::optional<QString> saveWholeFile(const QString& path, QByteArrayView bytes);

// Reads at most `size` bytes from the start of the file into `bytes`. Only a
// regular file (after following links) is read: anything else is refused at
// once with "not a regular file", never waited on. Returns the reason when
// the file cannot be opened or read.
std::optional<QString> readFileStart(const QString& path, qint64 size, QByteArray& bytes);

// True when `bytes`, a file name as the system gives it, is valid UTF-8 and
// so names the same file once it is a QString.
bool isFaithfulFileName(const std::string& bytes);

// The name with every byte that is not part of valid UTF-8 written as \xNN,
// for a message.
std::string printableFileName(const std::string& bytes);

}  // namespace sg
