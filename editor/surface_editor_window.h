#pragma once

#include <QWidget>

namespace sg {

// "Custom Surface": the window in which the zonal deviation is drawn. It
// stays on top of the main window and is hidden until "Create Irregular
// Surface" shows it.
class TRonchiCustomSurfaceForm : public QWidget {
public:
    explicit TRonchiCustomSurfaceForm(QWidget* mainWindow);
};

}  // namespace sg
