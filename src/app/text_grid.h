#pragma once
// The cell texts of a grid window, held in the core so that the windows stay thin and the
// editing operations are tested without a display. Row 0 and the first `fixedCols` columns are
// the grid's fixed (heading) cells. Colours are 0xRRGGBB; kNoColour leaves the default.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wattorio {

constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;

class TextGrid {
public:
    TextGrid() = default;
    TextGrid(int rows, int cols, int fixedRows = 1, int fixedCols = 1);

    void resize(int rows, int cols);
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }
    void setFixed(int fixedRows, int fixedCols);

    // Out-of-range reads give "" and writes are ignored.
    const std::string& text(int row, int col) const;
    void setText(int row, int col, std::string text);

    std::uint32_t background(int row, int col) const;
    void setBackground(int row, int col, std::uint32_t rgb);

    // Column widths in twips (0 = default width); shown at 15 twips a pixel.
    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    // Horizontal alignment of a column's cells (centred unless set).
    enum class Align { Left, Center, Right };
    Align colAlign(int col) const;
    void setColAlign(int col, Align align);
    int rowHeight(int row) const;
    void setRowHeight(int row, int twips);

    // Blanks every cell from firstCol and firstRow to the last column and row.
    void clearFrom(int firstCol, int firstRow);

    // Called after every change of texts or colours with the changed rectangle
    // (firstRow, firstCol, lastRow, lastCol); the window's model forwards it to the view.
    using Listener = std::function<void(int, int, int, int)>;
    void setListener(Listener listener) { listener_ = std::move(listener); }
    // Suspends notifications while a whole grid is refilled, then reports it as one change.
    void beginUpdate() { ++updating_; }
    void endUpdate();

private:
    bool inRange(int row, int col) const { return row >= 0 && col >= 0 && row < rows_ && col < cols_; }
    void changed(int r0, int c0, int r1, int c1);

    int rows_ = 0;
    int cols_ = 0;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    std::vector<std::string> texts_;
    std::vector<std::uint32_t> colours_;
    std::vector<int> colWidths_;
    std::vector<Align> colAligns_;
    std::vector<int> rowHeights_;
    Listener listener_;
    int updating_ = 0;
    bool dirty_ = false;
};

// Grd_Cls: blanks a grid from a first column and row to the end.
inline void Grd_Cls(TextGrid& grid, int firstCol, int firstRow) {
    grid.clearFrom(firstCol, firstRow);
}

} // namespace wattorio
