// The window "全メニュー比較" over the results window: the ranking of the tab shown, all nine
// utilities, sorting by a heading, a double-click applying the menu on the results window (the
// Saturday question included), following the results window, and the spreadsheet.

#include "calc/comparison_window.h"
#include "calc/total_window.h"
#include "compare_fixture.h"
#include "support/temp_dir.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <filesystem>

using namespace wattorio;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

struct Fixture {
    AppState state;
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    bool ready = false;
    explicit Fixture(int utility = 1) { ready = test::setUpRealSite(state, utility); }
    ~Fixture() {
        // Close what the test opened, the results window as the program closes it.
        if (QWidget* c = context.window("Comparison"))
            delete c;
        if (auto* t = qobject_cast<calc::TotalWindow*>(context.window("Total")))
            delete t;
    }
    calc::TotalWindow* total() { return qobject_cast<calc::TotalWindow*>(ui::showWindow(context, "Total")); }
    calc::ComparisonWindow* comparison() {
        return qobject_cast<calc::ComparisonWindow*>(ui::showWindow(context, "Comparison"));
    }
};

template <class T> T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("missing control %s", name);
    return c;
}

QString cell(calc::ComparisonWindow& w, int row, calc::RankColumn column) {
    QAbstractItemModel* m = child<QTableView>(w, "ComparisonTable")->model();
    return m->index(row, static_cast<int>(column)).data().toString();
}

int rowOf(calc::ComparisonWindow& w, int list, int index) {
    for (int r = 0; r < w.form().rowCount(); ++r)
        if (w.form().menuAt(r)->list == list && w.form().menuAt(r)->index == index)
            return r;
    return -1;
}

void doubleClickRow(calc::ComparisonWindow& w, int row) {
    auto* table = child<QTableView>(w, "ComparisonTable");
    const QModelIndex index = table->model()->index(row, static_cast<int>(calc::RankColumn::Menu));
    table->scrollTo(index);
    const QPoint at = table->visualRect(index).center();
    // The view takes a double-click on the cell it saw pressed first, as a real double-click is.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class ComparisonWindowTest : public QObject {
    Q_OBJECT

private slots:
    void ranksTheMenusOfTheTabShown() {
        Fixture f;
        QVERIFY(f.ready);
        calc::TotalWindow* total = f.total();
        QVERIFY(total);
        calc::ComparisonWindow* w = f.comparison();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->windowTitle(), QStringLiteral("全メニュー比較"));
        QCOMPARE(child<QLabel>(*w, "ComparisonHeading")->text(),
                 QStringLiteral("東京電力の全メニュー（18 件）"));
        auto* table = child<QTableView>(*w, "ComparisonTable");
        QAbstractItemModel* m = table->model();
        QCOMPARE(m->rowCount(), 18);
        QCOMPARE(m->columnCount(), 13);
        const char* const headings[] = {"順位",       "電力会社",   "区分",       "電圧",     "メニュー",
                                        "計算電力量", "基本料金",   "電力量料金", "年間合計", "消費税込み",
                                        "税",         "最安との差", "備考"};
        for (int c = 0; c < 13; ++c)
            QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(headings[c]));
        QCOMPARE(cell(*w, 0, calc::RankColumn::Rank), QStringLiteral("1"));
        QCOMPARE(cell(*w, 0, calc::RankColumn::Utility), QStringLiteral("東京電力"));
        QCOMPARE(cell(*w, 0, calc::RankColumn::Difference), QStringLiteral("0 円"));
        QVERIFY(cell(*w, 0, calc::RankColumn::WithTax).endsWith(QStringLiteral(" 円")));
        QCOMPARE(cell(*w, 0, calc::RankColumn::Tax), QStringLiteral("5%"));
        // Without the site's 受電・区分 every menu of its utility is compared, and the window says so.
        QVERIFY(child<QLabel>(*w, "ComparisonYear")->text().contains(QStringLiteral("受電・区分が未設定")));
        QVERIFY(cell(*w, 17, calc::RankColumn::Difference).contains(QLatin1Char(',')));
        // Amounts right-aligned, the full menu caption as the hint.
        QCOMPARE(m->index(0, 8).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(m->index(0, 4).data(Qt::ToolTipRole).toString(),
                 q(std::string(w->form().menuAt(0)->caption)));
        test::screenshot(*w, "comparison_tokyo.png");

        // "全電力会社": every menu of the nine utilities.
        child<QCheckBox>(*w, "AllUtilities")->click();
        QCOMPARE(m->rowCount(), 191);
        QCOMPARE(child<QLabel>(*w, "ComparisonHeading")->text(),
                 QStringLiteral("全電力会社の全メニュー（191 件）"));
        test::screenshot(*w, "comparison_all.png");
        // The other utilities' menus are for reference; the northern ones price part of the year
        // and come last, marked, with no difference.
        QVERIFY(!child<QCheckBox>(*w, "AllUtilities")->toolTip().isEmpty());
        QCOMPARE(cell(*w, 190, calc::RankColumn::Note), QStringLiteral("一部の期間のみ"));
        QCOMPARE(cell(*w, 190, calc::RankColumn::Difference), QString());
        QCOMPARE(cell(*w, 0, calc::RankColumn::Note), QString());
        QVERIFY(child<QLabel>(*w, "ComparisonYear")->text().contains(QStringLiteral("一部の期間のみ 18 件")));
        child<QCheckBox>(*w, "AllUtilities")->click();
        QCOMPARE(m->rowCount(), 18);

        // 区分 and 電圧, remembered for this site for the run: a new window shows them again.
        auto* category = child<QComboBox>(*w, "ComparisonCategory");
        auto* voltage = child<QComboBox>(*w, "ComparisonVoltage");
        category->setCurrentIndex(2);
        emit category->activated(2);
        voltage->setCurrentIndex(1);
        emit voltage->activated(1);
        QCOMPARE(m->rowCount(), 6);
        QCOMPARE(child<QLabel>(*w, "ComparisonHeading")->text(),
                 QStringLiteral("東京電力　工場　①のメニュー（6 件）"));
        delete w;
        w = f.comparison();
        QCOMPARE(child<QComboBox>(*w, "ComparisonCategory")->currentIndex(), 2);
        QCOMPARE(child<QComboBox>(*w, "ComparisonVoltage")->currentIndex(), 1);
        QCOMPARE(w->form().rowCount(), 6);
    }

    void sortsByAHeading() {
        Fixture f;
        QVERIFY(f.ready);
        f.total();
        calc::ComparisonWindow* w = f.comparison();
        auto* table = child<QTableView>(*w, "ComparisonTable");
        QHeaderView* header = table->horizontalHeader();
        const auto clickHeading = [&](calc::RankColumn column) {
            const int c = static_cast<int>(column);
            const QPoint at(header->sectionViewportPosition(c) + header->sectionSize(c) / 2,
                            header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        };
        clickHeading(calc::RankColumn::Demand);
        QCOMPARE(w->form().sortColumn(), calc::RankColumn::Demand);
        QCOMPARE(header->sortIndicatorSection(), static_cast<int>(calc::RankColumn::Demand));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        for (int r = 1; r < w->form().rowCount(); ++r)
            QVERIFY(w->form().rows()[static_cast<std::size_t>(r - 1)].demandCharge <=
                    w->form().rows()[static_cast<std::size_t>(r)].demandCharge);
        QCOMPARE(cell(*w, 0, calc::RankColumn::Demand), q(w->form().cell(0, 6)));
        clickHeading(calc::RankColumn::Demand);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(w->form().rows().front().demandCharge >= w->form().rows().back().demandCharge);
        clickHeading(calc::RankColumn::Rank);
        QCOMPARE(cell(*w, 0, calc::RankColumn::Rank), QStringLiteral("1"));
    }

    void doubleClickAppliesTheMenuOnItsTab() {
        Fixture f;
        QVERIFY(f.ready);
        calc::TotalWindow* total = f.total();
        calc::ComparisonWindow* w = f.comparison();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        child<QCheckBox>(*w, "AllUtilities")->click();
        QSignalSpy applied(w, &calc::ComparisonWindow::menuApplied);

        // A 関西電力 menu from a 東京電力 site: its tab is shown, its list shows it.
        const int row = rowOf(*w, 15, 1);
        QVERIFY(row >= 0);
        doubleClickRow(*w, row);
        QCOMPARE(applied.count(), 1);
        calc::TotalForm& form = total->form();
        QCOMPARE(form.currentTab(), 3);
        QCOMPARE(child<QTabWidget>(*total, "SSTab1")->currentIndex(), 3);
        QCOMPARE(child<QLabel>(*total, "Label45")->text(), QStringLiteral("関西電力"));
        QCOMPARE(child<QComboBox>(*total, "Combo15")->currentIndex(), 1);
        QCOMPARE(child<QLabel>(*total, "Label21")->text(), QStringLiteral("高圧電力 BL 6kV供給"));
        QCOMPARE(child<QLineEdit>(*total, "Text5")->text(),
                 q(std::string(*tariffs::findMenu(15, 1)->demandCharge)));
        // The panel shows the figures of the table's row.
        QCOMPARE(child<QLabel>(*total, "Label19")->text(), cell(*w, row, calc::RankColumn::Demand));
        QCOMPARE(form.totalWithTax(), w->form().rows()[static_cast<std::size_t>(row)].totalWithTax);
        QVERIFY(f.prompter.shown.empty());
        // The applied menu is shown in bold.
        auto* table = child<QTableView>(*w, "ComparisonTable");
        QVERIFY(table->model()->index(row, 0).data(Qt::FontRole).value<QFont>().bold());

        // A menu with the Saturday question: Cancel leaves the panel as it was.
        const QString before = child<QLabel>(*total, "Label21")->text();
        const int asks = rowOf(*w, 2, 0);
        QVERIFY(asks >= 0);
        f.prompter.answers.push_back(Answer::Cancel);
        doubleClickRow(*w, asks);
        QCOMPARE(f.prompter.shown.size(), std::size_t{1});
        QCOMPARE(q(f.prompter.shown.back().text), QStringLiteral("土曜日を休日に設定していますか。"));
        QCOMPARE(applied.count(), 1);
        QCOMPARE(child<QLabel>(*total, "Label21")->text(), before);
        QCOMPARE(form.currentTab(), 1);
        // OK applies it.
        doubleClickRow(*w, asks);
        QCOMPARE(f.prompter.shown.size(), std::size_t{2});
        QCOMPARE(applied.count(), 2);
        QCOMPARE(child<QComboBox>(*total, "Combo2")->currentIndex(), 0);
        QCOMPARE(form.totalWithTax(), w->form().rows()[static_cast<std::size_t>(asks)].totalWithTax);
        test::screenshot(*total, "comparison_applied_total.png");
    }

    void followsTheResultsWindow() {
        Fixture f;
        QVERIFY(f.ready);
        calc::TotalWindow* total = f.total();
        calc::ComparisonWindow* w = f.comparison();
        QCOMPARE(w->form().utility(), 1);
        // Another tab on the results window is only browsing: the table keeps the site's utility.
        child<QTabWidget>(*total, "SSTab1")->setCurrentIndex(8);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(w, &activate);
        QCOMPARE(child<QLabel>(*w, "ComparisonHeading")->text(),
                 QStringLiteral("東京電力の全メニュー（18 件）"));

        // A new calculation while the results window keeps its year: the table prices the year
        // the results window shows, as a choice in its lists would.
        const double first = w->form().rows().front().totalWithTax;
        for (int m = 1; m <= 12; ++m)
            f.state.MonthTotalA[2][static_cast<std::size_t>(m)] *= 2;
        w->refresh();
        QCOMPARE(w->form().rows().front().totalWithTax, first);

        // Without the results window the shared monthly totals are priced, and a double-click
        // asks for the calculation first.
        total->closeFromProgram();
        QTRY_VERIFY(f.context.total == nullptr);
        w->refresh();
        QCOMPARE(w->form().utility(), 1);
        QVERIFY(!w->applyRow(0));
        QCOMPARE(f.prompter.shown.size(), std::size_t{1});
        QCOMPARE(q(f.prompter.shown.back().text), QStringLiteral("先に「電気代計算」を行ってください。"));
        QCOMPARE(q(f.prompter.shown.back().title), QStringLiteral("選択エラー"));
    }

    // A site whose 受電・区分 are set opens on its category and voltage row; an impossible figure
    // leaves the table empty with the reason.
    void opensOnTheSitesFactsAndRefusesImpossibleFigures() {
        Fixture f;
        QVERIFY(f.ready);
        f.state.SiteTable[1][6] = "高圧";
        f.state.SiteTable[1][7] = "工場";
        f.total();
        calc::ComparisonWindow* w = f.comparison();
        QCOMPARE(w->form().category(), 2);
        QCOMPARE(w->form().voltage(), 2); // 東京電力, 900 kW: ②
        QVERIFY(child<QLabel>(*w, "ComparisonHeading")
                    ->text()
                    .startsWith(QStringLiteral("東京電力　工場　②のメニュー")));
        QVERIFY(!child<QLabel>(*w, "ComparisonYear")->text().contains(QStringLiteral("未設定")));
        f.state.SiteTable[1][4] = "250";
        w->refresh();
        QCOMPARE(w->form().rowCount(), 0);
        QVERIFY(child<QLabel>(*w, "ComparisonHeading")->text().startsWith(QStringLiteral("年間力率「250」")));
    }

    void writesTheSpreadsheet() {
        Fixture f;
        QVERIFY(f.ready);
        test::TempDir dir;
        f.state.AppDir = dir.path();
        f.total();
        calc::ComparisonWindow* w = f.comparison();
        w->setClock([] { return std::time_t{1765000000}; });
        QTest::mouseClick(child<QPushButton>(*w, "ComparisonExcel"), Qt::LeftButton);
        QCOMPARE(f.prompter.shown.size(), std::size_t{1});
        const QString text = q(f.prompter.shown.back().text);
        QVERIFY2(text.startsWith(QStringLiteral("エクセルに書き込みました。\n")), qPrintable(text));
        const std::string path = text.section(QLatin1Char('\n'), 1).toStdString();
        QVERIFY(std::filesystem::exists(path));
        QVERIFY(path.find("/エクセル出力/全メニュー比較_研究棟Ｂ２１_") != std::string::npos);

        // A working folder that is gone: the user is told, nothing is written.
        f.state.AppDir = dir.path() + "gone/";
        QTest::mouseClick(child<QPushButton>(*w, "ComparisonExcel"), Qt::LeftButton);
        QCOMPARE(f.prompter.shown.size(), std::size_t{2});
        QCOMPARE(q(f.prompter.shown.back().title), QStringLiteral("書き込みエラー"));
    }
};

QTEST_MAIN(ComparisonWindowTest)
#include "comparison_test.moc"
