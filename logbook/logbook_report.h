// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logbook kept on paper: a PDF of the whole history, the mirror and
// the progress plot on the first page with the list of entries, then each
// entry's figures, as many A4 pages as it takes.

#include "logbook/logbook.h"

#include <QString>

namespace sg {

// Writes the report to `path` through a temporary file that replaces it
// only when complete. Throws LogbookError "Cannot write the report
// 'path': reason." on failure.
void writeLogbookReport(const QString& path, const Logbook& book);

}  // namespace sg
