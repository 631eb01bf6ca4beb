// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/main_window_fixture.h"

#include <QAbstractButton>
#include <QTest>

namespace sg::testing {

void MainWindowFixture::SetUp() {
    ASSERT_TRUE(home.isValid());
    startApp();
}

void MainWindowFixture::startApp() {
    form = nullptr;
    app.reset();
    app = std::make_unique<ShadowgramApp>(errors, &dialogs, home.path());
    app->start();
    form = &app->mainWindow();
}

void MainWindowFixture::clickAt(int x, int y, Qt::KeyboardModifiers modifiers) {
    QWidget* target = form->childAt(x, y);
    if (target == nullptr) target = form;
    QTest::mouseClick(target, Qt::LeftButton, modifiers, target->mapFrom(form, QPoint(x, y)));
}

void MainWindowFixture::clickOnWindow(int x, int y) { QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(x, y)); }

void MainWindowFixture::press(const char* name) {
    auto* button = form->findChild<QAbstractButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace sg::testing
