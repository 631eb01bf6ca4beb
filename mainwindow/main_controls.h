// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's widgets as the model's controls.

#include "model/model_controls.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QTableWidget;

namespace sg {

class MainWindowControls : public ModelControls {
public:
    QTableWidget* parameterGrid = nullptr;      // the parameters, values in column 1
    QTableWidget* maxMoveGrid = nullptr;        // "MaxMove ", its unit and value, one column
    QButtonGroup* testChoice = nullptr;         // "Wire", "Ronchi", "Foucault"
    QButtonGroup* orientationChoice = nullptr;  // "Vertical", "Horizontal", "2 D"
    QButtonGroup* surfaceChoice = nullptr;      // "Show pure Conic", "Show distorted surface"
    QCheckBox* oddBox = nullptr;                // "Odd"
    QCheckBox* gridBox = nullptr;               // "Grid"
    QCheckBox* movingSourceBox = nullptr;    // "Source moves with grating"
    QCheckBox* exactTraceBox = nullptr;      // "Exact ray trace"
    QLineEdit* slitEdit = nullptr;           // "Slit (mm)"
    QCheckBox* waveOpticsBox = nullptr;      // "Wave optics"
    QCheckBox* whiteLightBox = nullptr;      // "White light"

    std::string parameterCell(int row) const override;
    void setParameterCell(int row, const std::string& text) override;
    std::string moveCell(int row) const override;
    void setMoveCell(int row, const std::string& text) override;
    int testItem() const override;
    void setTestItem(int item) override;
    int orientationItem() const override;
    void setOrientationItem(int item) override;
    int surfaceItem() const override;
    bool oddChecked() const override;
    void setOddChecked(bool checked) override;
    bool gridChecked() const override;
    void setGridChecked(bool checked) override;
    bool movingSourceChecked() const override;
    void setMovingSourceChecked(bool checked) override;
    bool exactTraceChecked() const override;
    void setExactTraceChecked(bool checked) override;
    std::string sourceWidthText() const override;
    void setSourceWidthText(const std::string& text) override;
    bool waveOpticsChecked() const override;
    void setWaveOpticsChecked(bool checked) override;
    bool whiteLightChecked() const override;
    void setWhiteLightChecked(bool checked) override;
};

}  // namespace sg
