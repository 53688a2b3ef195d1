#pragma once
// A grid window over a core TextGrid: row 0 of the TextGrid is the heading row (shown as the
// horizontal header, with its cell colours), every other row is a table row. Column widths come
// from the TextGrid in twips (15 twips a pixel). Cells are not edited in place: the windows edit
// through their entry fields and the core.
//
// The TextGrid's fixed columns stay on screen while the other columns scroll sideways: a second
// view over the same model and selection shows them on top of the left edge, and a cell chosen by
// keys or clicks is scrolled into view to the right of them, its left edge first.

#include "app/text_grid.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <functional>
#include <string>

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
    // The rectangle around the selected cells (the current cell when none is selected), in grid
    // coordinates; false when there is neither.
    bool selectedBlock(int& r0, int& c0, int& r1, int& c1) const;

signals:
    // A click on a cell, in TextGrid coordinates (row 0 = the heading row).
    void cellClicked(int row, int col);
    // The mouse button was released over the grid: the selection's end cell.
    void selectionEnded(int endRow, int endCol);

public:
    // The view that shows the fixed columns (null when the grid has none).
    QTableView* frozenView() const { return frozen_; }
    // The columns that stay at the left edge: the TextGrid's fixed columns unless set here.
    int frozenCols() const;
    void setFrozenCols(int count);
    // Width in pixels of the fixed columns.
    int fixedWidth() const;

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void setUpFrozenView();
    // Copies the main view's settings, column widths and (with `rows`) row heights to the
    // fixed-column view and places it over the left edge.
    void updateFrozenView(bool rows = false);

    TextGridModel* model_;
    QTableView* frozen_ = nullptr;
    int frozenCols_ = -1;
};

// Ctrl+C of a book: the text `text(r0, c0, r1, c1)` gives for the grid's selected block, put on
// the clipboard (nothing when no block is selected or the text is empty).
void copySelectedBlock(const FlexGrid& grid, const std::function<std::string(int, int, int, int)>& text);

} // namespace wattorio::ui
