#include "error_reporter.h"

#include <QMessageBox>

namespace sg {

void MessageBoxReporter::showError(const std::string& message) {
    QMessageBox::critical(parent_, "Ronchi", QString::fromStdString(message));
}

}  // namespace sg
