// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Questions the user answers before an action goes on ("discard the
// shape?"): the program asks in a message box, a test answers from a script.

#include <string>

class QWidget;

namespace sg {

class Questions {
public:
    virtual ~Questions() = default;
    // True when the user agrees to what `question` proposes.
    virtual bool confirm(QWidget* parent, const std::string& question) = 0;
    // Work that is not saved: save it, let it go, or keep the window open.
    enum class SaveChoice { Save, Discard, Cancel };
    virtual SaveChoice saveOrDiscard(QWidget* parent, const std::string& question) = 0;
};

// A modal box with Yes and No over the window the user works in; No is the
// default, so that a stray Enter keeps what is there.
class MessageBoxQuestions : public Questions {
public:
    bool confirm(QWidget* parent, const std::string& question) override;
    // Save, Discard and Cancel; Cancel is the default.
    SaveChoice saveOrDiscard(QWidget* parent, const std::string& question) override;
};

}  // namespace sg
