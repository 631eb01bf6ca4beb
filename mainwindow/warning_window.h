// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <string>

class QLabel;

namespace sg {

// "W A R N I N G": a frameless teal window that stays above the program's
// windows until its " O K " label is clicked.
class WarningWindow : public QWidget {
public:
    explicit WarningWindow(QWidget* mainWindow);

    // Makes the window visible and writes the two lines; returns at once.
    void showWarning(const std::string& line1, const std::string& line2);
    // A click on " O K ": hides the window.
    void onOk();

    QString line1() const;
    QString line2() const;

private:
    QLabel* line1_;
    QLabel* line2_;
};

}  // namespace sg
