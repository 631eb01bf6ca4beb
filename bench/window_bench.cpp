// SPDX-License-Identifier: GPL-3.0-or-later
// A drag on the main window's ray diagram, driven through the real widget on
// the offscreen platform: each step is a move of the held pointer to the
// next row and the event loop run until the window has drawn it. The CPU
// time is the program's own per picture: the pass, the window's painting
// and the hand-over to the screen.
#include "mainwindow/application.h"
#include "widgets/error_reporter.h"
#include "widgets/file_dialogs.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

class PrintingReporter : public sg::ErrorReporter {
public:
    void showError(const std::string& message) override { std::fprintf(stderr, "%s\n", message.c_str()); }
};

class NoDialogs : public sg::FileDialogs {
public:
    std::optional<QString> askOpen(QWidget*, const sg::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> askSave(QWidget*, const sg::FileDialogRequest&) override { return std::nullopt; }
};

void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void BM_DragInTheWindow(benchmark::State& state) {
    QTemporaryDir home;
    PrintingReporter errors;
    NoDialogs dialogs;
    sg::ShadowgramApp app(errors, &dialogs, home.path());
    app.start();
    QWidget* form = &app.mainWindow();
    // The window at the size of a desktop's maximised window, whatever the
    // offscreen screen's size.
    form->showNormal();
    form->setGeometry(0, 0, 1280, 1024);
    QApplication::processEvents();
    state.counters["window_px"] = form->width() * form->height();
    send(form, QEvent::MouseButtonPress, {25, 325}, Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();
    int row = 250;
    for (auto _ : state) {
        send(form, QEvent::MouseMove, {25, row}, Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
        row = row == 400 ? 250 : row + 1;
    }
    send(form, QEvent::MouseButtonRelease, {25, row}, Qt::LeftButton, Qt::NoButton);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DragInTheWindow)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
