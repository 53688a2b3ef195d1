// The carpet of the year drawn offscreen from a real year: colours of the cells, the day-off
// marks, a click reporting the year book's grid cell, the grid as the source, and the picture
// saved under /tmp/wattorio-compare-shots/ to be looked at.

#include "compare_fixture.h"
#include "yearbook/heatmap_window.h"

#include <QtTest>

using namespace wattorio;
using yearbook::YearHeatmap;

namespace {

QColor colourOf(std::uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

} // namespace

class HeatmapTest : public QObject {
    Q_OBJECT

private slots:
    void drawsTheYearAndReportsClicks() {
        AppState state;
        QVERIFY(test::setUpRealSite(state, 1));
        YearHeatmap w;
        QCOMPARE(w.windowTitle(), QStringLiteral("ヒートマップ"));
        w.resize(w.sizeHint());
        w.refresh(state);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.data().high, 1131.0); // the building's largest hourly reading

        // Each cell is painted in its reading's colour.
        const QImage shot = w.grab().toImage();
        for (const auto& [row, hour] :
             {std::pair{1, 0}, std::pair{150, 13}, std::pair{365, 23}, std::pair{60, 8}}) {
            const QRect cell = w.cellRect(row, hour + 4);
            QVERIFY(!cell.isEmpty());
            const double v = state.HourData[static_cast<std::size_t>(hour)][static_cast<std::size_t>(row)];
            QCOMPARE(shot.pixelColor(cell.center()),
                     colourOf(yearbook::heatColour(v, w.data().low, w.data().high)));
        }
        shot.save(test::shotPath("heatmap_year.png"));

        // A click reports the cell in the year book's grid coordinates (row, h + 4).
        QSignalSpy clicked(&w, &YearHeatmap::cellClicked);
        QTest::mouseClick(&w, Qt::LeftButton, {}, w.cellRect(200, 17).center());
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.front().at(0).toInt(), 200);
        QCOMPARE(clicked.front().at(1).toInt(), 17);
        QCOMPARE(w.currentRow(), 200);
        QCOMPARE(w.currentCol(), 17);
        QTest::mouseClick(&w, Qt::LeftButton, {}, w.cellRect(365, 27).center());
        QCOMPARE(clicked.back().at(0).toInt(), 365);
        QCOMPARE(clicked.back().at(1).toInt(), 27);
        // Outside the carpet (month labels, legend): nothing.
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(5, w.height() / 2));
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(w.width() - 5, w.height() / 2));
        QCOMPARE(clicked.count(), 2);
        w.grab().save(test::shotPath("heatmap_selected.png"));

        int row = 0, col = 0;
        QVERIFY(w.cellAt(w.cellRect(1, 4).center(), &row, &col));
        QCOMPARE(row, 1);
        QCOMPARE(col, 4);
        QVERIFY(w.cellRect(0, 4).isEmpty());
        QVERIFY(w.cellRect(1, 28).isEmpty());

        // Day-off marks beside the rows: Sunday 6 January a holiday, Saturday 5 January.
        const QImage marks = w.grab().toImage();
        const int stripX = w.cellRect(6, 4).left() - 8;
        QCOMPARE(marks.pixelColor(stripX, w.cellRect(6, 4).center().y()), colourOf(yearbook::kHolidayMark));
        QCOMPARE(marks.pixelColor(stripX, w.cellRect(5, 4).center().y()), colourOf(yearbook::kSaturdayMark));
        QCOMPARE(marks.pixelColor(stripX, w.cellRect(7, 4).center().y()), QColor(Qt::white));
    }

    void drawsTheGridAsTyped() {
        AppState state;
        TextGrid grid(366, 28, 1, 3);
        grid.setText(100, 4 + 9, "500");
        YearHeatmap w;
        w.resize(w.sizeHint());
        w.refreshFromGrid(grid, state);
        QCOMPARE(w.data().high, 500.0);
        QCOMPARE(w.data().value[100][9], 500.0);
        w.setCurrentCell(100, 13);
        QCOMPARE(w.currentRow(), 100);
        w.setCurrentCell(400, 13); // no such cell: nothing outlined
        QCOMPARE(w.currentRow(), 0);
        const QImage shot = w.grab().toImage();
        QCOMPARE(shot.pixelColor(w.cellRect(100, 13).center()), colourOf(yearbook::heatColour(500, 0, 500)));
        QCOMPARE(shot.pixelColor(w.cellRect(101, 13).center()), colourOf(yearbook::heatColour(0, 0, 500)));
        shot.save(test::shotPath("heatmap_grid.png"));
    }
};

QTEST_MAIN(HeatmapTest)
#include "heatmap_test.moc"
