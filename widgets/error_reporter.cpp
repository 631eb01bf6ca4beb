// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/error_reporter.h"

#include <QApplication>
#include <QMessageBox>

namespace sg {

void MessageBoxReporter::showError(const std::string& message) {
    // Over the window the user is working in, which may stay above the main one.
    QWidget* over = QApplication::activeWindow() != nullptr ? QApplication::activeWindow() : parent_;
    QMessageBox::critical(over, "Shadowgram", QString::fromStdString(message));
}

}  // namespace sg
