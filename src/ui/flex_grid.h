#pragma once
// A grid window over a core TextGrid: row 0 of the TextGrid is the heading row (shown as the
// horizontal header, with its cell colours), every other row is a table row. Column widths come
// from the TextGrid in twips (15 twips a pixel). Cells are not edited in place: the windows edit
// through their entry fields and the core.

#include "app/text_grid.h"

#include <QAbstractTableModel>
#include <QTableView>

namespace wattorio::ui {

constexpr int kTwipsPerPixel = 15;
inline int twipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

class TextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TextGridModel(TextGrid& grid, QObject* parent = nullptr);
    ~TextGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    TextGrid& grid() { return grid_; }
    // Call after the TextGrid was resized.
    void reset();

private:
    TextGrid& grid_;
};

class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(TextGrid& grid, QWidget* parent = nullptr);

    TextGridModel* gridModel() const { return model_; }
    // Applies the TextGrid's column widths and row heights.
    void applySizes();
    // Makes `col` the first scrollable column shown (the fixed columns stay at the left edge).
    void scrollToColumn(int col);
    // Selects the cell (grid coordinates, row >= 1) as the current cell.
    void selectCell(int row, int col);
    // Simulates a click on a cell (row >= 1) as the user would make it: used by tests.
    void clickCell(int row, int col);

signals:
    // A click on a cell, in TextGrid coordinates (row 0 = the heading row).
    void cellClicked(int row, int col);
    // The mouse button was released over the grid: the selection's end cell.
    void selectionEnded(int endRow, int endCol);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TextGridModel* model_;
};

} // namespace wattorio::ui
