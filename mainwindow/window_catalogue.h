// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The other windows as the main window reaches them.

#include "help/help_windows.h"

#include <string>

namespace sg {

class WindowCatalogue {
public:
    virtual ~WindowCatalogue() = default;
    virtual void showInformationWindow() = 0;
    virtual void showEditorWindow() = 0;
    virtual void showGettingStartedWindow() = 0;
    virtual void showFiguringWindow() = 0;
    // Writes the zone limit cells of the analysis window, then shows it.
    virtual void showAnalysisWindow(const std::string& inner, const std::string& outer) = 0;
    virtual void showReductionWindow() = 0;
    virtual void showLogbookWindow() = 0;
    // The help window of a topic.
    virtual void showHelpWindow(HelpTopic topic) = 0;
    virtual void showWarning(const std::string& line1, const std::string& line2) = 0;
};

}  // namespace sg
