// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <vector>

class QButtonGroup;

namespace sg {

// A radio group: a sunken frame whose top line runs through the middle of
// the caption's line, the caption on the window colour over it, and the
// items spread evenly below the line, filling the columns one after the
// other. An item whose caption is wider than its column gets a smaller font.
class RadioGroupBox : public QWidget {
public:
    RadioGroupBox(QWidget* parent, const QString& caption);
    const QString& caption() const { return caption_; }
    // The y of the frame's top line, in the box's coordinates.
    int frameTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

// Creates the box with its items (ids 0, 1, ...) and returns their group.
// The items are named <name>Item0, <name>Item1, ...
QButtonGroup* makeRadioGroup(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h,
                             const std::vector<const char*>& items, int columns);

}  // namespace sg
