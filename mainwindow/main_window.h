#pragma once

#include <QWidget>

namespace sg {

// The main window, captioned "Ronchi ".
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

}  // namespace sg
