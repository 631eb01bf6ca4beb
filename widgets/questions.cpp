// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/questions.h"

#include <QApplication>
#include <QMessageBox>

namespace sg {

bool MessageBoxQuestions::confirm(QWidget* parent, const std::string& question) {
    QWidget* over = QApplication::activeWindow() != nullptr ? QApplication::activeWindow() : parent;
    return QMessageBox::question(over, "Shadowgram", QString::fromStdString(question),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace sg
