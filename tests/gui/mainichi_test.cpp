// The year book window as a user meets it: opening from the main screen's call, the controls and
// their captions, the grid's colours, typing, the calendar buttons, saving and closing.

#include "calc/charts_window.h"
#include "calc/total_window.h"
#include "support/temp_dir.h"
#include "ui/flex_grid.h"
#include "ui/gui_context.h"
#include "ui/prompt.h"
#include "yearbook/calendar.h"
#include "yearbook/heatmap_window.h"
#include "yearbook/mainichi_window.h"
#include "yearbook/year_book_file.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace wattorio;
using namespace wattorio::yearbook;

namespace {

QString qs(const char* s) {
    return QString::fromUtf8(s);
}

// A stand-in for a window that refuses its close box, like the results window.
class StubbornWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

} // namespace

class MainichiTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ui::QueuedPrompter> prompter;
    std::unique_ptr<ui::GuiContext> context;

    MainichiWindow* open() {
        QWidget* w = ui::showWindow(*context, "Mainichi");
        return qobject_cast<MainichiWindow*>(w);
    }
    void writeBook() {
        auto s = std::make_unique<AppState>();
        newYearBook(*s);
        for (int r = 1; r <= 365; ++r)
            for (int h = 0; h < 24; ++h)
                s->HourData[h][r] = (h + 1) * 10 + r;
        setAnnualHolidays(s->DayMark, 2025, 5, true);
        QVERIFY(saveYearBook(*s, state->SiteDataPath));
    }
    // A picture of the window for looking at it, when WATTORIO_SHOTS names a folder.
    static void shot(QWidget* w, const char* name) {
        if (qEnvironmentVariableIsSet("WATTORIO_SHOTS"))
            w->grab().save(qEnvironmentVariable("WATTORIO_SHOTS") + QLatin1Char('/') + QLatin1String(name));
    }
    template <class T> T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QLatin1String(name));
        if (!c)
            qWarning("no control %s", name);
        return c;
    }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        state = std::make_unique<AppState>();
        fillUtilityNames(*state);
        state->AppDir = dir->path();
        state->VersionText = "BANNER";
        state->SiteTable[1] = {" 1", "本社ビル", "1", "450", "98", "1", "", "", ""};
        state->SiteRow = 1;
        state->UtilityNo = 1;
        state->CurrentYear = 2025;
        state->SiteDataPath = dir->file("000001_Y.dat");
        prompter = std::make_unique<ui::QueuedPrompter>();
        context = std::make_unique<ui::GuiContext>(ui::GuiContext{*state, *prompter, {}});
    }
    void cleanup() {
        for (auto& [name, w] : context->windows)
            delete w.data();
        context.reset();
    }

    void opensWithEveryControlAndCaption() {
        MainichiWindow* w = open();
        QVERIFY(w);
        QCOMPARE(context->yearBook, &w->form());
        QVERIFY(w->windowTitle().startsWith(qs("  月別・時間帯別電力")));
        QVERIFY(w->windowTitle().endsWith(qs("BANNER   Ver  1.02")));
        const std::pair<const char*, const char*> buttons[] = {
            {"Command4", "書き込み"},       {"Command1", "行選択"},
            {"Command2", "貼り付け"},       {"Command3", "クリア"},
            {"Command13", "曜日設定"},      {"Command6", "年間休日設定"},
            {"Command10", "計　算"},        {"Command11", "ＣＳＶファイル読込"},
            {"Command7", "電気代計算"},     {"Command8", "エクセル起動"},
            {"Command5", "データ書き込み"}, {"Command9", "終　了"}};
        for (const auto& [name, caption] : buttons) {
            QPushButton* b = child<QPushButton>(w, name);
            QVERIFY(b);
            QCOMPARE(b->text(), qs(caption));
        }
        QCOMPARE(child<QPushButton>(w, "Command5")->toolTip(), qs("データを保存する"));
        QCOMPARE(child<QCheckBox>(w, "Check1")->text(), qs("土曜日を休日に選択"));
        QCOMPARE(child<QCheckBox>(w, "Check2")->text(), qs("一行"));
        QCOMPARE(child<QLabel>(w, "Label1")->text(), qs(" 日 別 年 間 電 力 量 "));
        QCOMPARE(child<QLabel>(w, "Label13")->text(), qs("東京電力"));
        QCOMPARE(child<QLabel>(w, "Label6")->text(), qs("名 称   本社ビル  "));
        QCOMPARE(child<QLabel>(w, "Label11")->text(), qs("ﾃﾞﾏﾝﾄﾞ 450kW"));
        QCOMPARE(child<QLabel>(w, "Label17")->text(), qs("電　力　量"));
        QCOMPARE(child<QLabel>(w, "Label3")->text(), qs("年１月　　　　　　　は日曜日"));
        QCOMPARE(child<QLineEdit>(w, "Text1")->toolTip(),
                 qs("１時間ごどの電力データを入力　　ﾘﾀｰﾝｷｰで書き込み"));
        for (const char* name : {"Text2", "Text3", "Text4"})
            QVERIFY(child<QLineEdit>(w, name));
        QComboBox* combo1 = child<QComboBox>(w, "Combo1");
        QCOMPARE(combo1->count(), 10);
        QCOMPARE(combo1->currentText(), qs("   5")); // 5 January 2025 is a Sunday
        QComboBox* combo2 = child<QComboBox>(w, "Combo2");
        QCOMPARE(combo2->count(), 28); // to 2027, the holiday list's last year
        QCOMPARE(combo2->currentText(), qs("2025"));
        QCOMPARE(child<QComboBox>(w, "Combo3")->count(), 24);
        QCOMPARE(child<QComboBox>(w, "Combo4")->itemText(23), qs("23時"));
        QCOMPARE(child<QAction>(w, "Dat_Cls")->text(), qs("全データクリアー"));
        QCOMPARE(child<QAction>(w, "Denriyoku_Crt")->text(), qs("電力量"));
        QCOMPARE(child<QAction>(w, "Ag_Kw")->text(), qs("発電量"));
        QVERIFY(!child<QPushButton>(w, "Command13")->isEnabled());
        QVERIFY(prompter->shown.empty());
    }

    void gridShowsTheBandsTheSummerAndTheWeekdayColumn() {
        state->UtilityNo = 2;
        writeBook();
        MainichiWindow* w = open();
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        QVERIFY(grid);
        QAbstractItemModel* m = grid->model();
        QCOMPARE(m->rowCount(), 365);
        QCOMPARE(m->columnCount(), 28);
        QCOMPARE(m->headerData(14, Qt::Horizontal).toString(), qs("10時"));
        QCOMPARE(m->headerData(14, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
        QCOMPARE(m->headerData(13, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
                 QColor(0x80, 0xFF, 0x80));
        QCOMPARE(m->headerData(4, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
                 QColor(0xC0, 0xC0, 0xFF));
        QCOMPARE(m->data(m->index(0, 3), Qt::BackgroundRole).value<QColor>(), QColor(0xC0, 0xFF, 0xC0));
        QCOMPARE(m->data(m->index(181, 10), Qt::BackgroundRole).value<QColor>(), QColor(0xFF, 0xFF, 0x80));
        QCOMPARE(m->data(m->index(4, 3)).toString(), qs("休日"));
        QCOMPARE(m->data(m->index(0, 4)).toString(), qs("11"));
        QCOMPARE(grid->columnWidth(0), 400 / 15);
        QCOMPARE(grid->columnWidth(3), 600 / 15);
    }

    void typingIsFilteredAndEnterWrites() {
        writeBook();
        MainichiWindow* w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        auto* text1 = child<QLineEdit>(w, "Text1");
        grid->clickCell(35, 13);
        QCOMPARE(text1->text(), qs("135"));
        QCOMPARE(child<QLabel>(w, "Label2")->text(), qs("35 行  2月4日 9 時のkWh"));
        // One decimal point, full-width digits too; anything else is refused and the field keeps
        // what was typed.
        text1->clear();
        for (const QChar c : qs("１２３.5x.6"))
            QTest::sendKeyEvent(QTest::Click, text1, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(text1->text(), qs("123.56"));
        QTest::keyClick(text1, Qt::Key_Backspace);
        shot(w, "books-1-decimal.png");
        QVERIFY(!w->form().edited());
        QTest::keyClick(text1, Qt::Key_Return);
        QCOMPARE(QString::fromStdString(w->form().grid().text(35, 13)), qs("123.5"));
        QVERIFY(w->form().edited());
        QTest::keyClick(text1, Qt::Key_Right);
        QCOMPARE(w->form().selCol(), 14);
        QCOMPARE(text1->text(), qs("135").replace(1, 1, QLatin1Char('4'))); // 145
        QCOMPARE(child<QLabel>(w, "Label2")->text(), qs("35 行  2月4日 10 時のkWh"));
    }

    // The entry field shows the current cell after a paste, a clear or an arrow, and the
    // highlight follows the arrows: Enter never writes a stale value back.
    void entryFieldFollowsTheCurrentCell() {
        writeBook();
        MainichiWindow* w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        auto* text1 = child<QLineEdit>(w, "Text1");
        grid->clickCell(36, 13);
        child<QPushButton>(w, "Command1")->click(); // 行選択: the one cell
        grid->clickCell(35, 13);
        QCOMPARE(text1->text(), qs("135"));
        child<QPushButton>(w, "Command2")->click(); // 貼り付け
        QCOMPARE(text1->text(), qs("136"));
        QTest::keyClick(text1, Qt::Key_Return);
        QCOMPARE(QString::fromStdString(w->form().grid().text(35, 13)), qs("136"));

        QTest::keyClick(text1, Qt::Key_Right);
        QCOMPARE(grid->currentIndex(), grid->model()->index(34, 14));
        QTest::keyClick(text1, Qt::Key_Left);
        QCOMPARE(grid->currentIndex(), grid->model()->index(34, 13));

        child<QPushButton>(w, "Command1")->click();
        child<QPushButton>(w, "Command3")->click(); // クリア
        QCOMPARE(text1->text(), QString());
        QTest::keyClick(text1, Qt::Key_Return);
        QCOMPARE(QString::fromStdString(w->form().grid().text(35, 13)), QString());
    }

    void weekdayClickAndSingleDaySetting() {
        writeBook();
        MainichiWindow* w = open();
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        grid->clickCell(35, 3);
        auto* command13 = child<QPushButton>(w, "Command13");
        QVERIFY(command13->isEnabled());
        QCOMPARE(child<QComboBox>(w, "Combo1")->currentText(), qs(" 平"));
        QCOMPARE(child<QLabel>(w, "Label3")->text(), qs("2月4日"));
        child<QComboBox>(w, "Combo1")->setCurrentIndex(1);
        emit child<QComboBox>(w, "Combo1")->activated(1);
        command13->click();
        QCOMPARE(state->DayMark[35][0], 1.0f);
        QCOMPARE(grid->model()->data(grid->model()->index(34, 3)).toString(), qs("休日"));
        QCOMPARE(child<QComboBox>(w, "Combo1")->currentText(), QString());
        grid->clickCell(35, 5);
        QVERIFY(!command13->isEnabled());
    }

    void annualSettingFromTheButtons() {
        MainichiWindow* w = open();
        child<QComboBox>(w, "Combo1")->setCurrentIndex(7);
        emit child<QComboBox>(w, "Combo1")->activated(7); // "   5"
        child<QCheckBox>(w, "Check1")->setChecked(true);
        child<QPushButton>(w, "Command6")->click();
        QCOMPARE(prompter->shown.size(), size_t(2));
        QCOMPARE(QString::fromStdString(prompter->shown[0].text),
                 qs("2025年の休日(日曜・国民の休日・電力会社の休日)を設定します。"));
        QCOMPARE(QString::fromStdString(prompter->shown[1].text), qs("設定完了"));
        QCOMPARE(QString::fromStdString(w->form().grid().text(4, 3)), qs("土曜"));
        QCOMPARE(QString::fromStdString(w->form().grid().text(5, 3)), qs("休日"));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void closeBoxDoesNothingAndCloseSavesAndClosesTheOthers() {
        MainichiWindow* w = open();
        QPointer<MainichiWindow> alive(w);
        w->show();
        w->close();
        QVERIFY(w->isVisible());
        QVERIFY(!QFile::exists(QString::fromStdString(state->SiteDataPath)));

        auto* total = new StubbornWindow;
        auto* excel = new StubbornWindow;
        QPointer<QWidget> totalAlive(total), excelAlive(excel);
        context->windows["Total"] = total;
        context->windows["Excell"] = excel;
        total->show();
        excel->show();

        w->form().FWD_Kousin();
        child<QPushButton>(w, "Command9")->click();
        QVERIFY(prompter->shown.empty()); // saved without a question
        QVERIFY(QFile::exists(QString::fromStdString(state->SiteDataPath)));
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive.isNull());
        QVERIFY(totalAlive.isNull());
        QVERIFY(excelAlive.isNull());
        QCOMPARE(context->yearBook, nullptr);
    }

    void failedSaveKeepsTheWindowOpen() {
        QDir().mkpath(QString::fromStdString(state->SiteDataPath)); // a folder takes the file's name
        MainichiWindow* w = open();
        QPointer<MainichiWindow> alive(w);
        w->show();
        w->form().FWD_Kousin();
        child<QPushButton>(w, "Command9")->click();
        QCOMPARE(prompter->shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(prompter->shown[0].title), qs("書き込みエラー"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive.isNull());
        QVERIFY(w->isVisible());
        QVERIFY(w->form().edited());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void chargeCalculationNeedsAUtility() {
        writeBook();
        state->UtilityNo = 0;
        state->SiteTable[1][5] = "0";
        MainichiWindow* w = open();
        w->form().FWD_Kousin();
        child<QPushButton>(w, "Command7")->click();
        QCOMPARE(prompter->shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(prompter->shown[0].text), qs("電力会社を選択してください。"));
        QCOMPARE(QString::fromStdString(prompter->shown[0].title), qs("入力エラー"));
        QVERIFY(!w->form().edited()); // saved first
        QVERIFY(!context->window("Total"));
    }

    void chargeCalculationFillsTheMonthlyTotals() {
        writeBook();
        MainichiWindow* w = open();
        child<QPushButton>(w, "Command7")->click();
        QVERIFY(state->MonthTotalA[0][1] + state->MonthTotalB[0][1] == 31);
        QVERIFY(state->PeakDemand[1] > 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QPointer<QWidget> total = context->window("Total");
        QVERIFY(total);
        QVERIFY(total->isVisible());
        // Closing the book closes the results with it.
        QVERIFY(w->closeBook());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(total.isNull());
    }

    // The carpet view selects the clicked cell; the results window offers the comparison and
    // its pictures, which follow a new calculation.
    void heatmapComparisonAndPictures() {
        writeBook();
        MainichiWindow* w = open();
        child<QAction>(w, "Heatmap")->trigger();
        auto* carpet = qobject_cast<YearHeatmap*>([] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == QLatin1String("YearHeatmap") && top->isVisible())
                    return top;
            return static_cast<QWidget*>(nullptr);
        }());
        QVERIFY(carpet);
        emit carpet->cellClicked(35, 13);
        QCOMPARE(w->form().selRow(), 35);
        QCOMPARE(w->form().selCol(), 13);

        child<QPushButton>(w, "Command7")->click();
        auto* total = qobject_cast<calc::TotalWindow*>(context->window("Total"));
        QVERIFY(total);
        QVERIFY(total->charts());
        QVERIFY(total->charts()->drawn(calc::ResultCharts::Hourly));
        child<QPushButton>(total, "CommandCompare")->click();
        QVERIFY(context->window("Comparison"));
        QPointer<QWidget> comparison = context->window("Comparison");
        QPointer<YearHeatmap> carpetLeft = carpet;
        QVERIFY(w->closeBook());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(comparison.isNull() || !comparison->isVisible());
        QVERIFY(carpetLeft.isNull());
    }

    void generationViewAndBack() {
        writeBook();
        MainichiWindow* w = open();
        child<QAction>(w, "Ag_Kw")->trigger();
        QCOMPARE(child<QLabel>(w, "Label17")->text(), qs("発　電　量"));
        QCOMPARE(w->form().viewMode(), kGenerationView);
        QCOMPARE(QString::fromStdString(w->form().grid().text(1, 4)), qs("0"));
        child<QAction>(w, "Denriyoku_Crt")->trigger();
        QCOMPARE(child<QLabel>(w, "Label17")->text(), qs("電　力　量"));
        QCOMPARE(QString::fromStdString(w->form().grid().text(1, 4)), qs("11"));
    }

    // Edits survive a change of view; Ctrl+Z in the entry field takes back one step at a time;
    // a block copied from a spreadsheet is pasted, cut at the book's edge, or refused whole.
    void editsSurviveViewsUndoAndPaste() {
        writeBook();
        MainichiWindow* w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        auto* text1 = child<QLineEdit>(w, "Text1");
        const auto at = [&](int r, int c) { return QString::fromStdString(w->form().grid().text(r, c)); };
        grid->clickCell(4, 12);
        text1->setText(qs("1235"));
        QTest::keyClick(text1, Qt::Key_Return);
        for (const char* view : {"Ag_Kw", "Denriyoku_Crt", "Denriyoku_Crt"})
            child<QAction>(w, view)->trigger();
        QCOMPARE(at(4, 12), qs("1235"));
        shot(w, "books-2-views.png");
        QVERIFY(prompter->shown.empty());

        grid->clickCell(364, 26);
        QGuiApplication::clipboard()->setText(qs("1\t2,345\t9\r\n\"３\"\t4.5\r\n7\t8\r\n"));
        QTest::keyClick(text1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(at(364, 26) + at(364, 27) + at(365, 26) + at(365, 27), qs("1234534.5"));
        QCOMPARE(text1->text(), qs("1"));
        shot(w, "books-5-paste.png");
        QGuiApplication::clipboard()->setText(qs("5\t6\r\n7\tx\r\n"));
        QTest::keyClick(text1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(prompter->shown.size(), std::size_t(1));
        QVERIFY(prompter->shown[0].text.find("2 行目 2 列目「x」") != std::string::npos);
        QCOMPARE(at(364, 26), qs("1"));

        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(363, 27), grid->model()->index(364, 27)),
            QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), qs("2345\r\n4.5\r\n"));

        // While the field holds an edit of its own, Ctrl+Z is the field's.
        QTest::keyClick(text1, Qt::Key_5);
        QTest::keyClick(text1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text1->text(), qs("1"));
        QCOMPARE(at(364, 26), qs("1"));
        QTest::keyClick(text1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(at(364, 26) + at(365, 27), qs("594605"));
        QTest::keyClick(text1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(at(4, 12), qs("94"));
        shot(w, "books-4-undo.png");
        QCOMPARE(state->HourData[8][4], 94.0);
    }

    // キャンセル after 計　算 leaves the readings and the generation totals as they were.
    void generatorCancelPutsTheReadingsBack() {
        writeBook();
        MainichiWindow* w = open();
        YearBookForm& f = w->form();
        f.combo3Text = "0時";
        f.combo4Text = "23時";
        f.text2 = "100";
        f.text3 = "0";
        f.text4 = "10";
        state->GenData[5][5] = 7;
        prompter->answers = {Answer::Cancel};
        child<QPushButton>(w, "Command10")->click();
        QCOMPARE(prompter->shown.back().text,
                 std::string("データの書き換えを完了しました。データを保存しますか？"));
        QCOMPARE(QString::fromStdString(f.grid().text(4, 12)), qs("94"));
        QCOMPARE(state->GenData[5][5], 7.0);
        QVERIFY(!f.edited());
        QVERIFY(!f.canUndo());
        shot(w, "books-3-cancel.png");
    }

    // The year the calendar was set for is kept with the site and shown when the book opens.
    void theCalendarYearIsKeptWithTheSite() {
        MainichiWindow* w = open();
        auto* combo2 = child<QComboBox>(w, "Combo2");
        combo2->setCurrentIndex(combo2->findText(qs("2024")));
        emit combo2->activated(combo2->currentIndex());
        QCOMPARE(child<QComboBox>(w, "Combo1")->currentText(), qs("   7"));
        child<QPushButton>(w, "Command6")->click();
        QCOMPARE(state->SiteTable[1][8], std::string("Y2024"));
        QVERIFY(w->closeBook());
        delete w;
        state->CurrentYear = 2026;
        w = open();
        QCOMPARE(child<QComboBox>(w, "Combo2")->currentText(), qs("2024"));
        shot(w, "books-6-year.png");
        QVERIFY(w->windowTitle().contains(qs("本社ビル（東京電力）")));
        QCOMPARE(
            w->form().calendarYearNote("2018-01-01", "2018-12-31"),
            std::string("データは 2018 年、カレンダーは 2024 年です。年間休日設定をやり直してください。"));
    }

    // Saves a picture of the window when WATTORIO_SCREENSHOT names a file (for looking at it).
    void screenshot() {
        const QByteArray target = qgetenv("WATTORIO_SCREENSHOT");
        if (target.isEmpty())
            QSKIP("WATTORIO_SCREENSHOT not set");
        writeBook();
        MainichiWindow* w = open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        child<ui::FlexGrid>(w, "MSFlexGrid1")->clickCell(182, 17);
        QTest::qWait(50);
        QVERIFY(w->grab().save(QString::fromLocal8Bit(target)));
    }
};

QTEST_MAIN(MainichiTest)
#include "mainichi_test.moc"
