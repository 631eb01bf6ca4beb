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

Questions::SaveChoice MessageBoxQuestions::saveOrDiscard(QWidget* parent, const std::string& question) {
    QWidget* over = QApplication::activeWindow() != nullptr ? QApplication::activeWindow() : parent;
    switch (QMessageBox::question(over, "Shadowgram", QString::fromStdString(question),
                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Save: return SaveChoice::Save;
    case QMessageBox::Discard: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
    }
}

}  // namespace sg
