#include "surface_editor_window.h"

namespace sg {

TRonchiCustomSurfaceForm::TRonchiCustomSurfaceForm(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
    setObjectName("RonchiCustomSurfaceForm");
    setWindowTitle("Custom Surface");
    setGeometry(4, 146, 967, 357);
    setAttribute(Qt::WA_QuitOnClose, false);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(p);
    setAutoFillBackground(true);
}

}  // namespace sg
