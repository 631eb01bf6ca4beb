// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/user_action.h"

#include "model/failure.h"

#include <QWidget>

namespace sg {

void runUserAction(QWidget* window, ErrorReporter& errors, const std::function<void()>& action) {
    try {
        action();
    } catch (const ActionError& e) {
        window->update();
        errors.showError(e.what());
        return;
    }
    window->update();
}

}  // namespace sg
