// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/error_reporter.h"

#include <functional>

class QWidget;

namespace sg {

// Runs one user action of a window: a failure stops it where it happens and
// its message is shown; what the action drew is shown either way.
void runUserAction(QWidget* window, ErrorReporter& errors, const std::function<void()>& action);

// The same, with `show` putting what the action drew on the screen (before
// a failure's message), where the window knows better than a whole redraw.
void runUserAction(ErrorReporter& errors, const std::function<void()>& action, const std::function<void()>& show);

}  // namespace sg
