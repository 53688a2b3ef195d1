#pragma once
// "ヒートマップ": the year book's readings as a carpet, 365 day rows down and 24 hour slots
// across, coloured on one scale with its legend, the months labelled and the days off marked in a
// strip at the left. A click on a cell reports it in the year book's grid coordinates (row
// 1..365, column h + 4) so that the book selects it. The colours and texts come from the core
// HeatmapData (year_heatmap.h).

#include "app/app_state.h"
#include "app/text_grid.h"
#include "yearbook/year_heatmap.h"

#include <QImage>
#include <QWidget>

class QPushButton;

namespace wattorio::yearbook {

class YearHeatmap : public QWidget {
    Q_OBJECT
public:
    explicit YearHeatmap(QWidget* parent = nullptr);

    // Draws HourData and DayMark as they are in the tables.
    void refresh(const AppState& state);
    // Draws the year book's grid as it shows now (typed cells not yet saved included).
    void refreshFromGrid(const TextGrid& grid, const AppState& state);
    void setData(const HeatmapData& data);
    // The colour scale's title: the unit of what is drawn.
    void setScaleTitle(const QString& title);
    const HeatmapData& data() const { return data_; }

    // Outlines the cell of book row `row` (1..365), grid column `col` (4..27); 0, 0 for none.
    void setCurrentCell(int row, int col);
    int currentRow() const { return currentRow_; }
    int currentCol() const { return currentCol_; }

    // Where a cell is drawn (book-grid coordinates), in the widget's pixels; empty for a cell
    // that does not exist.
    QRect cellRect(int row, int col) const;
    // The cell under a point: true with its row (1..365) and grid column (4..27).
    bool cellAt(const QPoint& point, int* row, int* col) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A click on a cell, in year-book grid coordinates.
    void cellClicked(int row, int col);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRectF carpetArea() const;

    HeatmapData data_;
    QImage carpet_;  // 24 x 365, one pixel a reading
    QImage dayOffs_; // 1 x 365, the day-off marks
    QImage scale_;   // 1 x 256, the colour scale, highest on top
    int currentRow_ = 0;
    int currentCol_ = 0;
    QString scaleTitle_;
    QPushButton* close_ = nullptr;
};

} // namespace wattorio::yearbook
