#include "analysis_window.h"

#include <QHeaderView>
#include <QTableWidget>

namespace sg {

TAnalysis::TAnalysis(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
    setObjectName("Analysis");
    setWindowTitle("Analysis");
    setGeometry(19, 140, 992, 482);
    setAttribute(Qt::WA_QuitOnClose, false);

    zoneGrid_ = new QTableWidget(2, 1, this);
    zoneGrid_->setObjectName("StringGrid1");
    zoneGrid_->setGeometry(464, 312, 55, 55);
    zoneGrid_->horizontalHeader()->hide();
    zoneGrid_->verticalHeader()->hide();
    zoneGrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    zoneGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    zoneGrid_->setColumnWidth(0, 50);
    for (int row = 0; row < 2; ++row) zoneGrid_->setItem(row, 0, new QTableWidgetItem());
}

std::string TAnalysis::zoneCell(int row) const { return zoneGrid_->item(row, 0)->text().toStdString(); }

void TAnalysis::setZoneCell(int row, const std::string& text) {
    zoneGrid_->item(row, 0)->setText(QString::fromStdString(text));
}

}  // namespace sg
