#include "main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    sg::TForm1 form;
    form.showMaximized();
    return app.exec();
}
