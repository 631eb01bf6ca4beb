// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reading file on disk: read whole (a regular file only, at most
// kMaxReadingFileBytes) and written atomically, so that a failed save leaves
// the earlier file as it was.

#include "reduction/reduction_input.h"

#include <QString>

namespace sg {

inline constexpr long long kMaxReadingFileBytes = 1 << 20;

// The input of the file at `path`, its fileName set to `path`. A file that
// cannot be read, is not a regular file, is larger than 1 MiB or has a bad
// line throws ReductionInputError: "cannot read 'name': reason" or "'name'
// line N: ...".
ReductionInput readReadingFile(const QString& path);

// Writes readingText(input) to `path` through a temporary file that replaces
// it only when complete. Input the reader would refuse (more zones or sets
// than a file holds, a zone's edges out of order) is not written. Throws
// ReductionInputError "cannot save 'name': reason" on failure; the earlier
// file then stays.
void writeReadingFile(const QString& path, const ReductionInput& input);

}  // namespace sg
