// The grids' fixed columns stay on screen while the others scroll.

#include "ui/flex_grid.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace wattorio;

class FlexGridTest : public QObject {
    Q_OBJECT

private slots:
    void fixedColumnsStayWhileTheRestScrolls() {
        // A year book's shape: No / 月 / 日付 / 曜日, then 24 hours.
        TextGrid book(6, 28, 1, 4);
        for (int c = 0; c < 28; ++c) {
            book.setColWidth(c, 900);
            for (int r = 0; r < 6; ++r)
                book.setText(r, c, std::to_string(r) + "/" + std::to_string(c));
        }
        ui::FlexGrid grid(book);
        grid.resize(500, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTableView* fixed = grid.frozenView();
        QVERIFY(fixed->isVisible());
        QCOMPARE(fixed->width(), 4 * 60);
        QVERIFY(!fixed->isColumnHidden(3));
        QVERIFY(fixed->isColumnHidden(4));

        // The last hour, chosen as → would choose it, is shown whole right of the fixed columns.
        grid.selectCell(2, 27);
        QVERIFY(grid.horizontalScrollBar()->value() > 0);
        const QRect last = grid.visualRect(grid.model()->index(1, 27));
        QVERIFY(last.left() >= grid.fixedWidth());
        QVERIFY(last.right() < grid.viewport()->width());
        // An hour just right of the fixed columns comes out from under them again.
        grid.selectCell(2, 4);
        QCOMPARE(grid.visualRect(grid.model()->index(1, 4)).left(), grid.fixedWidth());

        // The fixed columns answer clicks as the grid's cells, and scroll with its rows.
        QSignalSpy clicks(&grid, &ui::FlexGrid::cellClicked);
        QTest::mouseClick(fixed->viewport(), Qt::LeftButton, {},
                          fixed->visualRect(fixed->model()->index(2, 1)).center());
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.front().at(0).toInt(), 3);
        QCOMPARE(clicks.front().at(1).toInt(), 1);
        QCOMPARE(grid.currentIndex().column(), 1);
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
        QCOMPARE(fixed->verticalScrollBar()->value(), grid.verticalScrollBar()->value());
    }
};

QTEST_MAIN(FlexGridTest)
#include "flex_grid_test.moc"
