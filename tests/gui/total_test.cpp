// The results window driven as a user would: opening on the site's utility, choosing menus on
// the tabs, typing a rate and recalculating, the analysis displays, printing and closing.

#include "calc/total_window.h"
#include "support/temp_dir.h"
#include "ui/flex_grid.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QWindow>
#include <QtTest>

// The window system's close request (the title-bar close box), as the platform delivers it.
class QWindowSystemInterface {
public:
    struct SynchronousDelivery;
    template <typename Delivery> static bool handleCloseEvent(QWindow* window);
};

using namespace wattorio;

namespace {

// One site of 東京電力: 100 kW, power factor 100 %. Every month has 20 working days with night
// 1,000, day 2,000 and peak 500 kWh, and 10 days off with 300, 200 and 100 kWh. The year table
// is then: other season working days 180 days / 9,000 / 18,000 / 4,500 kWh, its days off
// 90 / 2,700 / 1,800 / 900, summer working days 60 / 3,000 / 6,000 / 1,500, its days off
// 30 / 900 / 600 / 300: 49,200 kWh in all.
void setUpSite(AppState& state) {
    fillUtilityNames(state);
    state.VersionText = "テスト版";
    state.SiteTable[1] = {"1", "本社ビル", "1", "100", "100", "1", "", "", ""};
    state.SiteRow = 1;
    state.UtilityNo = 1;
    for (int m = 1; m <= 12; ++m) {
        state.MonthTotalA[0][m] = 20;
        state.MonthTotalA[1][m] = 1000;
        state.MonthTotalA[2][m] = 2000;
        state.MonthTotalA[3][m] = 500;
        state.MonthTotalB[0][m] = 10;
        state.MonthTotalB[1][m] = 300;
        state.MonthTotalB[2][m] = 200;
        state.MonthTotalB[3][m] = 100;
        state.PeakDemand[m] = 100.0 + m;
        state.PeakDemandDay[m] = static_cast<float>(m);
        state.PeakDemandHour[m] = 13;
    }
    for (int h = 0; h < 24; ++h)
        state.HourAverage[h] = 10.0 * h;
}

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

struct Fixture {
    AppState state;
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    Fixture() { setUpSite(state); }
};

template <class T> T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("missing control %s", name);
    return c;
}

QString label(QWidget& w, const char* name) {
    return child<QLabel>(w, name)->text();
}

// Chooses item `index` of list ComboN as a click in the drop-down list does.
void choose(QWidget& w, int list, int index) {
    auto* combo = w.findChild<QComboBox*>(QStringLiteral("Combo%1").arg(list));
    QVERIFY(combo);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void click(QWidget& w, const char* button) {
    QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
}

// Every label caption, rate-box text and visibility of the window is the form's.
void expectWindowShowsForm(calc::TotalWindow& w) {
    const calc::TotalForm& form = w.form();
    for (std::string_view name : calc::TotalForm::controlNames()) {
        const QString objectName = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        QWidget* widget = w.findChild<QWidget*>(objectName);
        QVERIFY2(widget, qPrintable(objectName));
        QString shown;
        if (auto* l = qobject_cast<QLabel*>(widget))
            shown = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(widget))
            shown = e->text();
        QCOMPARE(shown, q(form.text(name)));
        QVERIFY2(widget->isVisibleTo(&w) == form.visible(name), qPrintable(objectName));
    }
    for (int list = 1; list <= 46; ++list)
        QCOMPARE(child<QComboBox>(w, qPrintable(QStringLiteral("Combo%1").arg(list)))->currentIndex(),
                 form.comboIndex(list));
}

// Saves a picture of the window when WATTORIO_SCREENSHOT_DIR names a folder (for looking at it).
void screenshot(QWidget& w, const char* name) {
    const QByteArray dir = qgetenv("WATTORIO_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

} // namespace

class TotalWindowTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheSiteUtilityWithTheYearTable() {
        Fixture f;
        f.state.UtilityNo = 4;
        calc::TotalWindow w(f.context);
        w.show();
        QVERIFY(w.loaded());
        QCOMPARE(f.context.total, &w.form());
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("  年間の電力金") + QString(90, QLatin1Char(' '))));
        QVERIFY(w.windowTitle().endsWith(QStringLiteral("テスト版   Ver  1.02")));
        QCOMPARE(label(w, "Label10"), QStringLiteral("  名 称   本社ビル  "));
        QCOMPARE(label(w, "Label33"), QStringLiteral("関西電力の集計"));
        QCOMPARE(label(w, "Label45"), QStringLiteral("関西電力"));
        QCOMPARE(label(w, "Label17"), QStringLiteral("契約電力　　（力率　100％）"));
        QCOMPARE(label(w, "Label18"), QStringLiteral("100 kW "));
        QCOMPARE(label(w, "Label21"), QString());

        auto* tabs = child<QTabWidget>(w, "SSTab1");
        QCOMPARE(tabs->count(), 10); // nine utilities and 自由メニュー
        QCOMPARE(tabs->currentIndex(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("東京電力"));
        QCOMPARE(tabs->tabText(8), QStringLiteral("北海道電力"));

        // Every list is filled in catalog order with nothing selected.
        int items = 0;
        for (int list = 1; list <= 46; ++list) {
            auto* combo = child<QComboBox>(w, qPrintable(QStringLiteral("Combo%1").arg(list)));
            QCOMPARE(combo->currentIndex(), -1);
            QCOMPARE(combo->currentText(), QString());
            items += combo->count();
        }
        QCOMPARE(items, 191);
        auto* combo18 = child<QComboBox>(w, "Combo18");
        QCOMPARE(combo18->itemText(1), QStringLiteral("業務用    "));
        auto* combo3 = child<QComboBox>(w, "Combo3");
        QCOMPARE(combo3->itemText(3), QStringLiteral("業務用ｳｲｰｸｴﾝﾄﾞ　プランＡ"));
        // The lists sit on their utility's tab.
        QCOMPARE(child<QComboBox>(w, "Combo41")->parentWidget(), tabs->widget(0));
        QCOMPARE(child<QComboBox>(w, "Combo40")->parentWidget(), tabs->widget(8));

        // The year table: season rows 1-4, the total row 5, figures with separators, 0 as empty.
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        QAbstractItemModel* model = grid->model();
        QCOMPARE(model->columnCount(), 7);
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(model->headerData(6, Qt::Horizontal).toString(), QStringLiteral("計"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("その他季"));
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("180"));
        QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("18,000"));
        QCOMPARE(model->index(3, 6).data().toString(), QStringLiteral("1,800"));
        QCOMPARE(model->index(4, 6).data().toString(), QStringLiteral("49,200"));
        QCOMPARE(model->index(4, 1).data().toString(), QStringLiteral("  合 計"));
        QCOMPARE(model->index(4, 0).data().toString(), QString());
        QCOMPARE(grid->columnWidth(1), 1400 / 15);
        expectWindowShowsForm(w);
        // It fits a 1366 x 768 screen with its frame, and 集計表 opens on the year's monthly usage.
        screenshot(w, "total.png");
        QVERIFY2(w.minimumSizeHint().width() <= 1340 && w.minimumSizeHint().height() <= 700,
                 qPrintable(QStringLiteral("%1 x %2")
                                .arg(w.minimumSizeHint().width())
                                .arg(w.minimumSizeHint().height())));
        QCOMPARE(label(w, "Label22"), QStringLiteral("月別電気使用量"));
    }

    void choosingAMenuShowsItsRatesAndCharges() {
        Fixture f;
        calc::TotalWindow w(f.context);
        w.show();
        choose(w, 42, 1);
        QVERIFY(f.prompter.shown.empty());
        QCOMPARE(label(w, "Label21"), QStringLiteral("業務用季節別時間帯別電力 6kV供給"));
        QCOMPARE(child<QLineEdit>(w, "Text5")->text(), QStringLiteral("1638.00"));
        QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("14.85"));
        QCOMPARE(child<QLineEdit>(w, "Text4")->text(), QStringLiteral("7.45"));
        QVERIFY(child<QLineEdit>(w, "Text3")->isVisible());
        QVERIFY(!child<QLineEdit>(w, "Text6")->isVisible());
        QCOMPARE(label(w, "Label5"), QStringLiteral("夏　季　　ピーク"));
        QCOMPARE(label(w, "Label7"), QStringLiteral("その他季　昼間"));
        // Summer peak 1,500; summer day 6,000; other day 4,500 + 18,000; the rest is night.
        QCOMPARE(label(w, "Label1"), QStringLiteral("1,500 kWh"));
        QCOMPARE(label(w, "Label2"), QStringLiteral("6,000 kWh"));
        QCOMPARE(label(w, "Label3"), QStringLiteral("22,500 kWh"));
        QCOMPARE(label(w, "Label4"), QStringLiteral("19,200 kWh"));
        QCOMPARE(label(w, "Label9"), QStringLiteral("49,200 kWh"));
        // 100 kW x 1638 x 0.85 x 12, then 14.85 x 1,500, 14.17 x 6,000, 12.81 x 22,500, 7.45 x 19,200.
        QCOMPARE(label(w, "Label19"), QStringLiteral("1,670,760 円"));
        QCOMPARE(label(w, "Label13"), QStringLiteral("22,275 円"));
        QCOMPARE(label(w, "Label14"), QStringLiteral("85,020 円"));
        QCOMPARE(label(w, "Label15"), QStringLiteral("288,225 円"));
        QCOMPARE(label(w, "Label16"), QStringLiteral("143,040 円"));
        QCOMPARE(label(w, "Label20"), QStringLiteral("2,209,320 円"));
        QCOMPARE(label(w, "Label11"), QStringLiteral("消費税含む    　2,319,786 円"));
        QCOMPARE(child<QComboBox>(w, "Combo42")->currentText(), QStringLiteral("業務用季節別時間帯別電力"));
        // The mouse wheel passing over a list chooses nothing.
        auto* combo41 = child<QComboBox>(w, "Combo41");
        QWheelEvent wheel(QPointF(10, 5), combo41->mapToGlobal(QPointF(10, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo41, &wheel);
        QCOMPARE(combo41->currentIndex(), -1);
        QCOMPARE(label(w, "Label21"), QStringLiteral("業務用季節別時間帯別電力 6kV供給"));
        expectWindowShowsForm(w);
        screenshot(w, "total_combo42.png");

        // A tab-note list with layout 5 (北海道電力 高圧電力): line 2 goes, the tax line is a note.
        choose(w, 40, 0);
        QCOMPARE(label(w, "Label11"), QStringLiteral("消費税含む"));
        QVERIFY(!child<QLineEdit>(w, "Text2")->isVisible());
        QVERIFY(!child<QLabel>(w, "Label6")->isVisible());
        QVERIFY(!child<QLineEdit>(w, "Text3")->isVisible());
        QCOMPARE(label(w, "Label5"), QStringLiteral("電力量"));
        QVERIFY(label(w, "Label1").endsWith(QStringLiteral(" kWh")));
        // The list of another tab keeps its selection; only the chosen tab's lists are blanked.
        QCOMPARE(child<QComboBox>(w, "Combo42")->currentIndex(), 1);
        QCOMPARE(child<QComboBox>(w, "Combo40")->currentIndex(), 0);
        expectWindowShowsForm(w);
    }

    void saturdayQuestionCancelKeepsTheLastMenu() {
        Fixture f;
        calc::TotalWindow w(f.context);
        w.show();
        choose(w, 42, 1);
        auto* tabs = child<QTabWidget>(w, "SSTab1");
        tabs->setCurrentIndex(1);
        QCOMPARE(label(w, "Label45"), QStringLiteral("東京電力"));
        choose(w, 1, 2);
        QCOMPARE(label(w, "Label21"), QStringLiteral("事務所　第１種20kV・30kVﾌﾟﾗﾝＣ"));
        QCOMPARE(label(w, "Label45"), QStringLiteral("中部電力"));

        f.prompter.answers.push_back(Answer::Cancel);
        choose(w, 3, 3);
        QCOMPARE(f.prompter.shown.size(), std::size_t(1));
        QCOMPARE(f.prompter.shown[0], confirm("土曜日を休日に設定していますか。"));
        // Rates, caption and results stay; the other lists of the tab are blank.
        QCOMPARE(label(w, "Label21"), QStringLiteral("事務所　第１種20kV・30kVﾌﾟﾗﾝＣ"));
        QCOMPARE(child<QLineEdit>(w, "Text5")->text(), QStringLiteral("1827"));
        QCOMPARE(child<QComboBox>(w, "Combo1")->currentIndex(), -1);
        QCOMPARE(child<QComboBox>(w, "Combo42")->currentIndex(), 1);
        expectWindowShowsForm(w);

        f.prompter.answers.push_back(Answer::Ok);
        choose(w, 3, 3);
        QCOMPARE(f.prompter.shown.size(), std::size_t(2));
        QCOMPARE(label(w, "Label21"), QStringLiteral("事務所　業務用ｳｲｰｸｴﾝﾄﾞ　プランＡ (2006/04)"));
        QCOMPARE(child<QLineEdit>(w, "Text5")->text(), QStringLiteral("1585.5"));
        QVERIFY(!child<QLineEdit>(w, "Text3")->isVisible());
        QVERIFY(child<QLineEdit>(w, "Text4")->isVisible());
        QCOMPARE(child<QLineEdit>(w, "Text4")->text(), QStringLiteral("8.76"));
        QCOMPARE(label(w, "Label8"), QStringLiteral("休  日 (土曜+日曜+国民の休日)"));
        // Summer working days 10,500, other working days 31,500, days off 7,200 kWh;
        // 100 x 1585.5 x 0.85 x 12 = 1,617,210 plus 133,560 + 364,140 + 63,072.
        QCOMPARE(label(w, "Label4"), QStringLiteral("7,200 kWh"));
        QCOMPARE(label(w, "Label20"), QStringLiteral("2,177,982 円"));
        QCOMPARE(label(w, "Label11"), QStringLiteral("消費税含む    　2,286,881 円"));
        expectWindowShowsForm(w);
        screenshot(w, "total_combo3.png");
    }

    void tabChangeOnlyRenamesTheUtility() {
        Fixture f;
        calc::TotalWindow w(f.context);
        w.show();
        choose(w, 42, 0);
        const QString total = label(w, "Label20");
        auto* tabs = child<QTabWidget>(w, "SSTab1");
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(8).center());
        QCOMPARE(tabs->currentIndex(), 8);
        QCOMPARE(w.form().currentTab(), 8);
        // The label names the utility of the menu being priced, not the tab browsed.
        QCOMPARE(label(w, "Label45"), QStringLiteral("東京電力"));
        QCOMPARE(label(w, "Label20"), total);
        QCOMPARE(label(w, "Label33"), QStringLiteral("東京電力の集計"));
        QCOMPARE(child<QComboBox>(w, "Combo42")->currentIndex(), 0);
    }

    void typedRateIsPricedByRecalculation() {
        Fixture f;
        calc::TotalWindow w(f.context);
        w.show();
        // Before any menu the empty boxes price to nothing.
        click(w, "Command10");
        QCOMPARE(label(w, "Label19"), QStringLiteral(" 円"));
        QCOMPARE(label(w, "Label15"), QString());
        QCOMPARE(label(w, "Label20"), QStringLiteral(" 円"));

        choose(w, 42, 1);
        const QString kwh = label(w, "Label3");
        auto* text5 = child<QLineEdit>(w, "Text5");
        text5->selectAll();
        QTest::keyClicks(text5, QStringLiteral("1000"));
        QCOMPARE(text5->text(), QStringLiteral("1000"));
        QCOMPARE(w.form().text("Text5"), std::string("1000"));
        // Typing alone prices nothing.
        QCOMPARE(label(w, "Label19"), QStringLiteral("1,670,760 円"));

        auto* recalc = child<QPushButton>(w, "Command10");
        QCOMPARE(recalc->text(), QStringLiteral("再 計 算"));
        QCOMPARE(recalc->toolTip(), QStringLiteral("kW/円を変更して再計算"));
        click(w, "Command10");
        // 100 kW x 1000 x 0.85 x 12.
        QCOMPARE(label(w, "Label19"), QStringLiteral("1,020,000 円"));
        QCOMPARE(label(w, "Label20"), QStringLiteral("1,558,560 円"));
        QCOMPARE(label(w, "Label3"), kwh);
        QCOMPARE(text5->text(), QStringLiteral("1000"));

        // Choosing the menu again brings back the catalog rate.
        choose(w, 42, 1);
        QCOMPARE(text5->text(), QStringLiteral("1638.00"));
        QCOMPARE(label(w, "Label19"), QStringLiteral("1,670,760 円"));
    }

    void closeBoxIsRefusedAndQuitCloses() {
        Fixture f;
        QPointer<QWidget> w = ui::showWindow(f.context, "Total");
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(f.context.total);
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
            w->windowHandle());
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QVERIFY(f.context.total);

        auto* quit = child<QPushButton>(*w, "Command9");
        QCOMPARE(quit->text(), QStringLiteral("終　了"));
        QTest::mouseClick(quit, Qt::LeftButton);
        QTRY_VERIFY(!w);
        QCOMPARE(f.context.total, nullptr);
        QCOMPARE(f.context.window("Total"), nullptr);
    }

    void programEndAndCloseFromProgramClose() {
        Fixture f;
        QPointer<QWidget> w = ui::showWindow(f.context, "Total");
        QVERIFY(w);
        static_cast<calc::TotalWindow*>(w.data())->closeFromProgram();
        QTRY_VERIFY(!w);
        QCOMPARE(f.context.total, nullptr);

        // Closing every window at program end is not refused either.
        w = ui::showWindow(f.context, "Total");
        QVERIFY(w);
        QApplication::closeAllWindows();
        QTRY_VERIFY(!w);
        QCOMPARE(f.context.total, nullptr);
    }

    void reopeningKeepsTheFiguresOfTheLoading() {
        Fixture f;
        QPointer<QWidget> w = ui::showWindow(f.context, "Total");
        QVERIFY(w);
        choose(*w, 42, 1);
        f.state.MonthTotalA[1][1] = 1e6;
        QCOMPARE(ui::showWindow(f.context, "Total"), w.data());
        auto* grid = child<ui::FlexGrid>(*w, "MSFlexGrid1");
        QCOMPARE(grid->model()->index(4, 6).data().toString(), QStringLiteral("49,200"));
        QCOMPARE(label(*w, "Label20"), QStringLiteral("2,209,320 円"));
        static_cast<calc::TotalWindow*>(w.data())->closeFromProgram();
        QTRY_VERIFY(!w);
    }

    void siteWithoutUtilityOpensNothing() {
        Fixture f;
        f.state.UtilityNo = 0;
        QCOMPARE(ui::showWindow(f.context, "Total"), nullptr);
        QCOMPARE(f.context.total, nullptr);
        QCOMPARE(f.context.window("Total"), nullptr);
    }

    void analysisDisplaysAndSpreadsheetButtons() {
        Fixture f;
        // A stand-in for the spreadsheet window, so that the buttons' opening can be seen.
        int excelOpened = 0;
        ui::WindowRegistrar stub("Excell", [&excelOpened](ui::GuiContext&) -> QWidget* {
            ++excelOpened;
            auto* w = new QWidget;
            w->setAttribute(Qt::WA_DeleteOnClose);
            return w;
        });
        calc::TotalWindow w(f.context);
        w.show();
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid2");

        click(w, "Command18");
        QCOMPARE(label(w, "Label22"), QStringLiteral("月時間の最大使用量"));
        QCOMPARE(grid->model()->columnCount(), 4);
        QCOMPARE(grid->model()->rowCount(), 12);
        QCOMPARE(grid->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("電力量kWh"));
        QCOMPARE(grid->model()->index(4, 0).data().toString(), QStringLiteral("5 月"));
        QCOMPARE(grid->model()->index(4, 1).data().toString(), QStringLiteral("5 日"));
        QCOMPARE(grid->model()->index(4, 2).data().toString(), QStringLiteral("13 時"));
        QCOMPARE(grid->model()->index(4, 3).data().toString(), QStringLiteral("105"));
        QCOMPARE(grid->columnWidth(3), 1200 / 15);
        QCOMPARE(excelOpened, 0);

        click(w, "Command19");
        QCOMPARE(label(w, "Label22"), QStringLiteral("時間帯別平均電力"));
        QCOMPARE(grid->model()->columnCount(), 2);
        QCOMPARE(grid->model()->rowCount(), 24);
        QCOMPARE(grid->model()->index(23, 0).data().toString(), QStringLiteral("23時"));
        QCOMPARE(grid->model()->index(23, 1).data().toString(), QStringLiteral("230"));
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString());

        click(w, "Command7");
        QCOMPARE(label(w, "Label22"), QStringLiteral("月別電気使用量"));
        QCOMPARE(grid->model()->columnCount(), 6);
        QCOMPARE(grid->model()->rowCount(), 40);
        QCOMPARE(grid->model()->index(28, 5).data().toString(), QStringLiteral("4,100"));
        QCOMPARE(excelOpened, 0);
        screenshot(w, "total_usage.png");

        // Each display button opens the spreadsheet output only with its check box ticked.
        const struct {
            const char* button;
            const char* check;
            float mode;
        } launches[] = {{"Command7", "Check1", 2}, {"Command18", "Check2", 6}, {"Command19", "Check3", 7}};
        for (const auto& launch : launches) {
            auto* check = child<QCheckBox>(w, launch.check);
            QCOMPARE(check->text(), QStringLiteral("エクセルを起動する"));
            check->setChecked(true);
            f.state.ExcelMode = 0;
            click(w, launch.button);
            QCOMPARE(f.state.ExcelMode, launch.mode);
            QVERIFY(f.context.window("Excell"));
            f.context.window("Excell")->close();
            QTRY_VERIFY(!f.context.window("Excell"));
            check->setChecked(false);
        }
        QCOMPARE(excelOpened, 3);

        click(w, "Command8");
        QCOMPARE(f.state.ExcelMode, 3.0f);
        // While the spreadsheet window is open, another button only brings it forward.
        click(w, "Command2");
        QCOMPARE(f.state.ExcelMode, 5.0f);
        QCOMPARE(excelOpened, 4);
        QCOMPARE(child<QPushButton>(w, "Command8")->text(), QStringLiteral("季節別電気使用量 Exl"));
        QCOMPARE(child<QPushButton>(w, "Command2")->text(), QStringLiteral("エクセル起動"));
        f.context.window("Excell")->close();
    }

    void printingReportsTheOutcome() {
        Fixture f;
        calc::TotalWindow w(f.context);
        w.show();
        choose(w, 42, 1);

        // No printer: the PDF file is offered instead; declined, nothing more happens.
        test::TempDir dir;
        w.setPrinterFactory([] { return std::unique_ptr<QPrinter>(); });
        f.prompter.answers = {Answer::Cancel};
        click(w, "Command1");
        QCOMPARE(f.prompter.shown.size(), std::size_t(1));
        QCOMPARE(f.prompter.shown[0], (Message{"使えるプリンターがありません。\nPDFファイルに保存しますか？",
                                               "印刷", Icon::Question, Buttons::OkCancel}));

        // A printer that prints: one A4 page with the window image, then the completion message.
        const QString file = QString::fromStdString(dir.file("total.pdf"));
        w.setPrinterFactory([file] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(file);
            return printer;
        });
        click(w, "Command1");
        QCOMPARE(f.prompter.shown.size(), std::size_t(2));
        QCOMPARE(f.prompter.shown[1], notice("画面印刷完了", "確認メッセージ"));
        const std::string pdf = test::readAll(dir.file("total.pdf"));
        QVERIFY(pdf.size() > 10000);
        QVERIFY(pdf.find("/Count 1") != std::string::npos);
        QCOMPARE(child<QPushButton>(w, "Command1")->text(), QStringLiteral("画面印刷"));

        // "PDFに保存": the site report in the chosen file (".pdf" added), with the file's path told.
        w.setPdfFileChooser([&](const QString&) { return QString::fromStdString(dir.file("結果")); });
        click(w, "CommandPdf");
        QCOMPARE(f.prompter.shown.back(),
                 notice("PDFファイルに保存しました。\n" + dir.file("結果.pdf"), "確認メッセージ"));
        const std::string saved = test::readAll(dir.file("結果.pdf"));
        QVERIFY(saved.size() > 10000);
        QVERIFY(saved.rfind("%PDF", 0) == 0);

        // A rate typed but not recalculated is priced before the page is made, and the caption says so.
        auto* text5 = child<QLineEdit>(w, "Text5");
        text5->selectAll();
        QTest::keyClicks(text5, QStringLiteral("1000"));
        QCOMPARE(label(w, "Label19"), QStringLiteral("1,670,760 円"));
        click(w, "CommandPdf");
        QCOMPARE(label(w, "Label19"), QStringLiteral("1,020,000 円"));
        QVERIFY(label(w, "Label21").endsWith(QStringLiteral("（単価変更）")));
    }

    void hugeReadingsShowWhatThePatternsAllow() {
        Fixture f;
        for (int m = 1; m <= 12; ++m)
            f.state.MonthTotalA[2][m] = 1e308;
        calc::TotalWindow w(f.context);
        w.show();
        choose(w, 42, 1);
        choose(w, 41, 0);
        click(w, "Command10");
        expectWindowShowsForm(w);
    }
};

QTEST_MAIN(TotalWindowTest)
#include "total_test.moc"
