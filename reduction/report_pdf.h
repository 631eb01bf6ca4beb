// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reduction kept for the mirror's record: one A4 page in PDF with the
// mirror, the readings, the figures, the verdict and both plots.

#include "reduction/reduction.h"

#include <QString>

#include <string>
#include <vector>

namespace sg {

class ReductionPlots;

// The text of the page under the plots: the readings of every set, then
// the command's report (the zone table, the figures, each set's figures,
// the verdict), then the notes.
std::vector<std::string> reportPageLines(const ReductionResult& result);

// Writes the page to `path` through a temporary file that replaces it only
// when complete. `plots` draws the plots of `result`; `readingFile` names
// the reading file under the title when not empty. Throws
// ReductionInputError "cannot save 'path': reason" on failure.
void writeReductionReport(const QString& path, const ReductionResult& result, const ReductionPlots& plots,
                          const QString& readingFile);

}  // namespace sg
