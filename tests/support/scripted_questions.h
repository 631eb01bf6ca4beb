// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Questions answered from a script: each question takes the next answer, or
// No when the script has run out, and is recorded.

#include "widgets/questions.h"

#include <deque>
#include <string>
#include <vector>

namespace sg::testing {

class ScriptedQuestions : public Questions {
public:
    std::deque<bool> answers;
    std::vector<std::string> asked;

    bool confirm(QWidget*, const std::string& question) override {
        asked.push_back(question);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }

    // Each asks for the next choice, Cancel when the script has run out.
    std::deque<SaveChoice> choices;
    SaveChoice saveOrDiscard(QWidget*, const std::string& question) override {
        asked.push_back(question);
        if (choices.empty()) return SaveChoice::Cancel;
        const SaveChoice c = choices.front();
        choices.pop_front();
        return c;
    }
};

}  // namespace sg::testing
