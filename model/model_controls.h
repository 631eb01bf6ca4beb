// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's controls as the model sees them: the cell texts of the
// parameter grid and the maximum-movement box, the selected items of the
// three radio groups and the two check boxes. The main window implements it
// with its widgets; tests and the command-line renderer use PlainControls.

#include <array>
#include <string>

namespace sg {

// Rows of the parameter grid (column 1 holds the values).
enum ParameterRow : int {
    kRowDiameter = 0,    // "D   (mm)"
    kRowRadius = 1,      // "R   (mm)"
    kRowConic = 2,       // "Conic   "
    kRowLinesPerMm = 3,  // "Line/mm "
    kRowRange = 4,       // "RANGE   "
    kRowZoneHeight = 5,  // "Zone Ht "
    kRowWavelength = 6,  // "WL   (u)"
    kParameterRows = 7
};

// Rows of the maximum-movement box.
enum MoveRow : int { kMoveRowLabel = 0, kMoveRowUnit = 1, kMoveRowValue = 2, kMoveRows = 3 };

// Items of the radio groups; -1 means no item selected.
enum TestItem : int { kTestWire = 0, kTestRonchi = 1, kTestFoucault = 2 };
enum OrientationItem : int { kOrientVertical = 0, kOrientHorizontal = 1, kOrient2D = 2 };
enum SurfaceItem : int { kSurfacePure = 0, kSurfaceDistorted = 1 };

class ModelControls {
public:
    virtual ~ModelControls() = default;

    virtual std::string parameterCell(int row) const = 0;
    virtual void setParameterCell(int row, const std::string& text) = 0;
    virtual std::string moveCell(int row) const = 0;
    virtual void setMoveCell(int row, const std::string& text) = 0;

    virtual int testItem() const = 0;         // "Wire", "Ronchi", "Foucault"
    virtual void setTestItem(int item) = 0;
    virtual int orientationItem() const = 0;  // "Vertical", "Horizontal", "2 D"
    virtual void setOrientationItem(int item) = 0;
    virtual int surfaceItem() const = 0;      // "Show pure Conic", "Show distorted surface"

    virtual bool oddChecked() const = 0;      // "Odd"
    virtual void setOddChecked(bool checked) = 0;
    virtual bool gridChecked() const = 0;     // "Grid"
    virtual void setGridChecked(bool checked) = 0;
    virtual bool movingSourceChecked() const = 0;  // "Source moves with grating"
    virtual void setMovingSourceChecked(bool checked) = 0;
    virtual bool exactTraceChecked() const = 0;    // "Exact ray trace"
    virtual void setExactTraceChecked(bool checked) = 0;
    virtual std::string sourceWidthText() const = 0;  // "Slit (mm)"
    virtual void setSourceWidthText(const std::string& text) = 0;
    virtual bool waveOpticsChecked() const = 0;       // "Wave optics"
    virtual void setWaveOpticsChecked(bool checked) = 0;
    virtual bool whiteLightChecked() const = 0;       // "White light"
    virtual void setWhiteLightChecked(bool checked) = 0;
};

// Controls held as plain values, in the state the main window starts in.
class PlainControls : public ModelControls {
public:
    std::array<std::string, kParameterRows> parameters{"200", "2000", "-1", "4", "20", "0.5", "0.55"};
    std::array<std::string, kMoveRows> move{"MaxMove ", " (bands)", "2"};
    int test = kTestRonchi;
    int orientation = kOrientVertical;
    int surface = kSurfacePure;
    bool odd = false;
    bool grid = false;
    bool movingSource = false;
    bool exactTrace = false;
    std::string sourceWidth = "0";
    bool waveOptics = false;
    bool whiteLight = false;

    std::string parameterCell(int row) const override { return parameters.at(static_cast<std::size_t>(row)); }
    void setParameterCell(int row, const std::string& text) override { parameters.at(static_cast<std::size_t>(row)) = text; }
    std::string moveCell(int row) const override { return move.at(static_cast<std::size_t>(row)); }
    void setMoveCell(int row, const std::string& text) override { move.at(static_cast<std::size_t>(row)) = text; }
    int testItem() const override { return test; }
    void setTestItem(int item) override { test = item; }
    int orientationItem() const override { return orientation; }
    void setOrientationItem(int item) override { orientation = item; }
    int surfaceItem() const override { return surface; }
    bool oddChecked() const override { return odd; }
    void setOddChecked(bool checked) override { odd = checked; }
    bool gridChecked() const override { return grid; }
    void setGridChecked(bool checked) override { grid = checked; }
    bool movingSourceChecked() const override { return movingSource; }
    void setMovingSourceChecked(bool checked) override { movingSource = checked; }
    bool exactTraceChecked() const override { return exactTrace; }
    void setExactTraceChecked(bool checked) override { exactTrace = checked; }
    std::string sourceWidthText() const override { return sourceWidth; }
    void setSourceWidthText(const std::string& text) override { sourceWidth = text; }
    bool waveOpticsChecked() const override { return waveOptics; }
    void setWaveOpticsChecked(bool checked) override { waveOptics = checked; }
    bool whiteLightChecked() const override { return whiteLight; }
    void setWhiteLightChecked(bool checked) override { whiteLight = checked; }
};

}  // namespace sg
