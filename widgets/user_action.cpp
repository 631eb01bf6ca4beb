// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/user_action.h"

#include "model/failure.h"

#include <QWidget>

namespace sg {

void runUserAction(QWidget* window, ErrorReporter& errors, const std::function<void()>& action) {
    runUserAction(errors, action, [window] { window->update(); });
}

void runUserAction(ErrorReporter& errors, const std::function<void()>& action, const std::function<void()>& show) {
    try {
        action();
    } catch (const ActionError& e) {
        show();
        errors.showError(e.what());
        return;
    }
    show();
}

}  // namespace sg
