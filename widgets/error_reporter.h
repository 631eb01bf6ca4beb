// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where an action's failure message goes: the program shows an error box,
// a test records the message.

#include <string>

class QWidget;

namespace sg {

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void showError(const std::string& message) = 0;
};

// A modal error box over the given window.
class MessageBoxReporter : public ErrorReporter {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    void showError(const std::string& message) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace sg
