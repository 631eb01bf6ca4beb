// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/main_controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QTableWidget>

namespace sg {

namespace {

std::string cellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text().toStdString() : std::string();
}

void setCellText(QTableWidget* grid, int row, int column, const std::string& text) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem();
        grid->setItem(row, column, item);
    }
    item->setText(QString::fromStdString(text));
}

void select(QButtonGroup* group, int item) {
    if (QAbstractButton* b = group->button(item)) b->setChecked(true);
}

}  // namespace

std::string MainWindowControls::parameterCell(int row) const { return cellText(parameterGrid, row, 1); }
void MainWindowControls::setParameterCell(int row, const std::string& text) { setCellText(parameterGrid, row, 1, text); }
std::string MainWindowControls::moveCell(int row) const { return cellText(maxMoveGrid, row, 0); }
void MainWindowControls::setMoveCell(int row, const std::string& text) { setCellText(maxMoveGrid, row, 0, text); }
int MainWindowControls::testItem() const { return testChoice->checkedId(); }
void MainWindowControls::setTestItem(int item) { select(testChoice, item); }
int MainWindowControls::orientationItem() const { return orientationChoice->checkedId(); }
void MainWindowControls::setOrientationItem(int item) { select(orientationChoice, item); }
int MainWindowControls::surfaceItem() const { return surfaceChoice->checkedId(); }
bool MainWindowControls::oddChecked() const { return oddBox->isChecked(); }
void MainWindowControls::setOddChecked(bool checked) { oddBox->setChecked(checked); }
bool MainWindowControls::gridChecked() const { return gridBox->isChecked(); }
void MainWindowControls::setGridChecked(bool checked) { gridBox->setChecked(checked); }
bool MainWindowControls::movingSourceChecked() const { return movingSourceBox->isChecked(); }
void MainWindowControls::setMovingSourceChecked(bool checked) { movingSourceBox->setChecked(checked); }
bool MainWindowControls::exactTraceChecked() const { return exactTraceBox->isChecked(); }
void MainWindowControls::setExactTraceChecked(bool checked) { exactTraceBox->setChecked(checked); }
std::string MainWindowControls::sourceWidthText() const { return slitEdit->text().toStdString(); }
void MainWindowControls::setSourceWidthText(const std::string& text) {
    slitEdit->setText(QString::fromStdString(text));
}
bool MainWindowControls::waveOpticsChecked() const { return waveOpticsBox->isChecked(); }
void MainWindowControls::setWaveOpticsChecked(bool checked) { waveOpticsBox->setChecked(checked); }
bool MainWindowControls::whiteLightChecked() const { return whiteLightBox->isChecked(); }
void MainWindowControls::setWhiteLightChecked(bool checked) { whiteLightBox->setChecked(checked); }

}  // namespace sg
