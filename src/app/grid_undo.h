#pragma once
// 元に戻す for a book grid: the cells of an area are compared with what they held after the last
// step, and whatever changed since (a typed cell, a paste, a clear, a whole import) becomes one
// step that undo puts back. Edits that reach the grid by another window (the CSV import) are
// caught the same way, with no need to know how they were made.

#include "app/text_grid.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wattorio {

class GridUndo {
public:
    // The cells rows firstRow..lastRow, columns firstCol..lastCol; at most maxSteps are kept.
    GridUndo(int firstRow, int lastRow, int firstCol, int lastCol, std::size_t maxSteps = 100);

    // Forgets every step: the grid as it is now is where undo stops.
    void reset(const TextGrid& grid);
    // Takes the grid as it is now without a step (a redisplay that is no edit).
    void rebase(const TextGrid& grid);
    // What changed since the last step becomes one step of `kind`; `onUndo` runs when it is
    // undone (to put back what the grid does not hold). False, and no step, when nothing changed.
    bool record(const TextGrid& grid, int kind = 0, std::function<void()> onUndo = {});
    bool canUndo() const { return !steps_.empty(); }
    // The kind of the step undo would take back; -1 without one.
    int lastKind() const { return steps_.empty() ? -1 : steps_.back().kind; }
    std::size_t steps() const { return steps_.size(); }
    // Puts the cells of the last step back; its kind, or nothing without a step.
    std::optional<int> undo(TextGrid& grid);

private:
    struct Cell {
        int row;
        int col;
        std::string before;
    };
    struct Step {
        int kind;
        std::vector<Cell> cells;
        std::function<void()> onUndo;
    };
    std::size_t index(int row, int col) const {
        return static_cast<std::size_t>((row - firstRow_) * (lastCol_ - firstCol_ + 1) + (col - firstCol_));
    }

    int firstRow_, lastRow_, firstCol_, lastCol_;
    std::size_t maxSteps_;
    std::vector<std::string> baseline_;
    std::vector<Step> steps_;
};

} // namespace wattorio
