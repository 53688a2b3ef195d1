// The window "全物件の比較" on the demo folder: one row a site, a double-click opening the site's
// results window on its cheapest menu (refused while a book is open), and the spreadsheet.

#include "calc/total_form.h"
#include "calc/total_window.h"
#include "registry/menu_window.h"
#include "reports/site_comparison_window.h"
#include "support/temp_dir.h"
#include "ui/prompt.h"

#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cmath>
#include <filesystem>

using namespace wattorio;

namespace {

void doubleClickRow(QTableWidget& table, int row) {
    const QPoint at = table.visualItemRect(table.item(row, 1)).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class SiteComparisonWindowTest : public QObject {
    Q_OBJECT

private slots:
    void opensEachSiteOnItsCheapestMenu() {
        namespace fs = std::filesystem;
        test::TempDir dir;
        test::copyDemoFolder(dir);
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow menu(context);
        menu.startUp(dir.path());
        context.windows["Menu"] = &menu;

        auto* w = qobject_cast<reports::SiteComparisonWindow*>(ui::showWindow(context, "SiteComparison"));
        QVERIFY(w);
        auto* table = w->findChild<QTableWidget*>(QStringLiteral("SiteComparisonTable"));
        QTRY_COMPARE(table->rowCount(), 3);
        QVERIFY(prompter.shown.empty());
        // With the demo's facts each office ranks only the menus it can sign: 高圧 under 500 kW, ③.
        for (int row : {0, 2}) {
            const calc::RankedMenu* best = w->sites()[static_cast<std::size_t>(row)].best();
            QVERIFY(best);
            QCOMPARE(best->category, tariffs::Category::Office);
            QCOMPARE(best->voltageRow, 3);
        }
        if (const QByteArray shot = qgetenv("WATTORIO_SHOT"); !shot.isEmpty())
            w->grab().save(QString::fromLocal8Bit(shot));

        // The office (year book), then the ten-day site: each opens on its own figures and best menu.
        for (int row : {0, 2}) {
            const reports::SiteComparison& site = w->sites()[static_cast<std::size_t>(row)];
            doubleClickRow(*table, row);
            QVERIFY(context.total);
            QCOMPARE(state.SiteRow, static_cast<float>(site.row));
            QCOMPARE(std::round(context.total->totalWithTax()), std::round(site.best()->totalWithTax));
            QCOMPARE(menu.form().name, site.name);
        }
        QVERIFY(prompter.shown.empty());

        // With a book window open the tables it works on are not replaced.
        QWidget book;
        context.windows["Mainichi"] = &book;
        doubleClickRow(*table, 0);
        QCOMPARE(prompter.shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(prompter.shown.back().title), QStringLiteral("表示エラー"));
        QCOMPARE(state.SiteRow, 3.0f);
        context.windows.erase("Mainichi");

        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("SiteComparisonExcel")), Qt::LeftButton);
        QCOMPARE(prompter.shown.size(), std::size_t{2});
        const QString written =
            QString::fromStdString(prompter.shown.back().text).section(QLatin1Char('\n'), 1);
        QVERIFY2(written.contains(QStringLiteral("/エクセル出力/全物件の比較_")), qPrintable(written));
        QVERIFY(fs::exists(written.toStdString()));

        if (auto* results = qobject_cast<calc::TotalWindow*>(context.window("Total")))
            delete results;
        delete w;
        // The results window replaced by the second site's goes as the event loop would take it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(SiteComparisonWindowTest)
#include "site_comparison_test.moc"
