// SPDX-License-Identifier: GPL-3.0-or-later
// Shadowgram: the main window and its companions. A file named on the
// command line is retrieved at start, as "Retrieve" would (a test file), as
// the editor's "Retrieve Shape" would (a shape file), or as the Foucault
// reduction's Open would (a reading file).
#include "fileio/record_file.h"
#include "mainwindow/application.h"
#include "tools/command_line.h"

#include <QApplication>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: shadowgram [FILE]\n"
    "Starts the simulator. With a test file (.Ron), starts with that set-up\n"
    "retrieved; with a shape file (.Shp), with that shape in the surface editor;\n"
    "with a reading file (.fou), with those readings in the Foucault reduction;\n"
    "with a logbook (.sglog), with that logbook open.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n";

}  // namespace

int main(int argc, char** argv) {
    // Help and version need no display.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("shadowgram %s\n", SHADOWGRAM_VERSION);
            return 0;
        }
    }

    // The toolkit takes its own options (-platform, -style ...) out of argv.
    QApplication app(argc, argv);
    // Where QSettings keeps what is remembered between runs.
    QCoreApplication::setOrganizationName("Shadowgram");
    QCoreApplication::setApplicationName("shadowgram");
    // What is left is the program's own: no option, at most one file, read
    // as every program reads its command line.
    QString setup;
    try {
        sg::CommandLine line(std::vector<std::string>(argv + 1, argv + argc));
        while (line.next()) {
            if (line.isOption()) line.refuse();
            if (!setup.isEmpty()) throw sg::UsageError("one file at a time");
            // A name that is not UTF-8 would reach the file system as another name.
            sg::checkFileName(line.argument());
            setup = QFile::decodeName(line.argument().c_str());
        }
    } catch (const sg::FileNameError& e) {
        std::fprintf(stderr, "shadowgram: %s\n", e.what());
        return sg::kUsageStatus;
    } catch (const sg::UsageError& e) {
        return sg::reportUsageError("shadowgram", e.what());
    }

    sg::MessageBoxReporter errors;
    sg::ShadowgramApp windows(errors);
    errors.setParent(&windows.mainWindow());
    windows.start();
    if (setup.endsWith(".shp", Qt::CaseInsensitive)) {
        windows.showEditorWindow();
        windows.editorWindow().retrieveShape(setup);
    } else if (setup.endsWith(".fou", Qt::CaseInsensitive)) {
        windows.showReductionWindow();
        windows.reductionWindow().openFile(setup);
    } else if (setup.endsWith(".sglog", Qt::CaseInsensitive)) {
        windows.showLogbookWindow();
        windows.logbookWindow().openLogbook(setup);
    } else if (!setup.isEmpty()) {
        windows.mainWindow().retrieveSetup(setup);
    }
    return app.exec();
}
