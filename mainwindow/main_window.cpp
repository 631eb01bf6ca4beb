#include "main_window.h"

namespace sg {

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setObjectName("Form1");
    setWindowTitle("Ronchi ");
    resize(1024, 768);
}

}  // namespace sg
