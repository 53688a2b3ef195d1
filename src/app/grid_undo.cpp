#include "app/grid_undo.h"

namespace wattorio {

GridUndo::GridUndo(int firstRow, int lastRow, int firstCol, int lastCol, std::size_t maxSteps)
    : firstRow_(firstRow), lastRow_(lastRow), firstCol_(firstCol), lastCol_(lastCol),
      maxSteps_(maxSteps < 1 ? 1 : maxSteps),
      baseline_(static_cast<std::size_t>((lastRow - firstRow + 1) * (lastCol - firstCol + 1))) {}

void GridUndo::reset(const TextGrid& grid) {
    steps_.clear();
    rebase(grid);
}

void GridUndo::rebase(const TextGrid& grid) {
    for (int r = firstRow_; r <= lastRow_; ++r)
        for (int c = firstCol_; c <= lastCol_; ++c)
            baseline_[index(r, c)] = grid.text(r, c);
}

bool GridUndo::record(const TextGrid& grid, int kind, std::function<void()> onUndo) {
    Step step{kind, {}, std::move(onUndo)};
    for (int r = firstRow_; r <= lastRow_; ++r)
        for (int c = firstCol_; c <= lastCol_; ++c) {
            std::string& known = baseline_[index(r, c)];
            const std::string& now = grid.text(r, c);
            if (now == known)
                continue;
            step.cells.push_back({r, c, std::move(known)});
            known = now;
        }
    if (step.cells.empty() && !step.onUndo)
        return false;
    if (steps_.size() >= maxSteps_)
        steps_.erase(steps_.begin());
    steps_.push_back(std::move(step));
    return true;
}

std::optional<int> GridUndo::undo(TextGrid& grid) {
    if (steps_.empty())
        return std::nullopt;
    Step step = std::move(steps_.back());
    steps_.pop_back();
    grid.beginUpdate();
    for (Cell& cell : step.cells) {
        grid.setText(cell.row, cell.col, cell.before);
        baseline_[index(cell.row, cell.col)] = std::move(cell.before);
    }
    grid.endUpdate();
    if (step.onUndo)
        step.onUndo();
    return step.kind;
}

} // namespace wattorio
