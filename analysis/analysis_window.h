#pragma once

#include <QWidget>

#include <string>

class QTableWidget;

namespace sg {

// "Analysis": compares the surface with the best-fit paraboloid and conic.
// It stays on top of the main window and is hidden until "Analyse Surface"
// shows it.
class TAnalysis : public QWidget {
public:
    explicit TAnalysis(QWidget* mainWindow);

    // The zone limits: row 0 the inner, row 1 the outer limit, as integer text.
    std::string zoneCell(int row) const;
    void setZoneCell(int row, const std::string& text);

private:
    QTableWidget* zoneGrid_;  // StringGrid1
};

}  // namespace sg
