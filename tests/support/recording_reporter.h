// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An error reporter that records the messages instead of showing a box.

#include "widgets/error_reporter.h"

#include <string>
#include <vector>

namespace sg::testing {

class RecordingReporter : public ErrorReporter {
public:
    std::vector<std::string> messages;
    void showError(const std::string& message) override { messages.push_back(message); }
};

}  // namespace sg::testing
