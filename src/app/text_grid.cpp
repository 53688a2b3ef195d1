#include "app/text_grid.h"

#include <algorithm>

namespace wattorio {

namespace {
const std::string kEmpty;
}

TextGrid::TextGrid(int rows, int cols, int fixedRows, int fixedCols)
    : fixedRows_(fixedRows), fixedCols_(fixedCols) {
    resize(rows, cols);
}

void TextGrid::resize(int rows, int cols) {
    rows_ = std::max(rows, 0);
    cols_ = std::max(cols, 0);
    texts_.assign(static_cast<std::size_t>(rows_) * cols_, std::string());
    colours_.assign(static_cast<std::size_t>(rows_) * cols_, kNoColour);
    colWidths_.assign(cols_, 0);
    colAligns_.assign(cols_, Align::Center);
    rowHeights_.assign(rows_, 0);
    changed(0, 0, rows_ - 1, cols_ - 1);
}

void TextGrid::setFixed(int fixedRows, int fixedCols) {
    fixedRows_ = fixedRows;
    fixedCols_ = fixedCols;
}

const std::string& TextGrid::text(int row, int col) const {
    if (!inRange(row, col))
        return kEmpty;
    return texts_[static_cast<std::size_t>(row) * cols_ + col];
}

void TextGrid::setText(int row, int col, std::string text) {
    if (!inRange(row, col))
        return;
    std::string& cell = texts_[static_cast<std::size_t>(row) * cols_ + col];
    if (cell == text)
        return;
    cell = std::move(text);
    changed(row, col, row, col);
}

std::uint32_t TextGrid::background(int row, int col) const {
    return inRange(row, col) ? colours_[static_cast<std::size_t>(row) * cols_ + col] : kNoColour;
}

void TextGrid::setBackground(int row, int col, std::uint32_t rgb) {
    if (!inRange(row, col))
        return;
    colours_[static_cast<std::size_t>(row) * cols_ + col] = rgb;
    changed(row, col, row, col);
}

int TextGrid::colWidth(int col) const {
    return col >= 0 && col < cols_ ? colWidths_[col] : 0;
}
void TextGrid::setColWidth(int col, int twips) {
    if (col >= 0 && col < cols_)
        colWidths_[col] = twips;
}
TextGrid::Align TextGrid::colAlign(int col) const {
    return col >= 0 && col < cols_ ? colAligns_[col] : Align::Center;
}
void TextGrid::setColAlign(int col, Align align) {
    if (col >= 0 && col < cols_)
        colAligns_[col] = align;
}
int TextGrid::rowHeight(int row) const {
    return row >= 0 && row < rows_ ? rowHeights_[row] : 0;
}
void TextGrid::setRowHeight(int row, int twips) {
    if (row >= 0 && row < rows_)
        rowHeights_[row] = twips;
}

void TextGrid::clearFrom(int firstCol, int firstRow) {
    beginUpdate();
    for (int c = std::max(firstCol, 0); c < cols_; ++c)
        for (int r = std::max(firstRow, 0); r < rows_; ++r)
            texts_[static_cast<std::size_t>(r) * cols_ + c].clear();
    dirty_ = true;
    endUpdate();
}

void TextGrid::endUpdate() {
    if (updating_ > 0 && --updating_ == 0 && dirty_) {
        dirty_ = false;
        if (listener_)
            listener_(0, 0, rows_ - 1, cols_ - 1);
    }
}

void TextGrid::changed(int r0, int c0, int r1, int c1) {
    if (updating_ > 0) {
        dirty_ = true;
        return;
    }
    if (listener_ && r1 >= r0 && c1 >= c0)
        listener_(r0, c0, r1, c1);
}

} // namespace wattorio
