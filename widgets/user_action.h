// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/error_reporter.h"

#include <functional>

class QWidget;

namespace sg {

// Runs one user action of a window: a failure stops it where it happens and
// its message is shown; what the action drew is shown either way.
void runUserAction(QWidget* window, ErrorReporter& errors, const std::function<void()>& action);

}  // namespace sg
