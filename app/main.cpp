// Shadowgram: the main window and its companions.
#include "application.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    sg::MessageBoxReporter errors;
    sg::ShadowgramApp windows(errors);
    errors.setParent(&windows.mainWindow());
    windows.start();
    return app.exec();
}
