// The ten-day book window driven as a user would: clicks, typing, the buttons and the prompts.

#include "calc/charges.h"
#include "calc/total_form.h"
#include "registry/registry.h"
#include "support/temp_dir.h"
#include "tariffs/catalog.h"
#include "tenday/nenkan_window.h"
#include "tenday/ten_day_file.h"
#include "ui/flex_grid.h"
#include "ui/gui_context.h"
#include "ui/prompt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace wattorio;

class NenkanTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ui::QueuedPrompter> prompter;
    std::unique_ptr<ui::GuiContext> context;

    tenday::NenkanWindow* openWindow() {
        QWidget* w = ui::showWindow(*context, "Nenkan");
        return qobject_cast<tenday::NenkanWindow*>(w);
    }
    template <class T> static T* child(QWidget* w, const char* name) {
        T* found = w->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    static void click(QWidget* w, const char* name) {
        QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton);
    }
    static QString cell(tenday::NenkanWindow* w, int row, int col) {
        return QString::fromStdString(w->form().grid().text(row, col));
    }
    // Closes a window and lets Qt delete it.
    static void closeAndDelete(QWidget* w) {
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        state = std::make_unique<AppState>();
        state->AppDir = dir->path();
        state->VersionText = "高圧・特別高圧電力　料金メニュー比較";
        fillUtilityNames(*state);
        state->SiteTable[1] = {" 3", "中部ビル", "20", "300", "100", "2", "", "", ""};
        state->SiteRow = 1;
        state->UtilityNo = 2;
        state->SiteDataPath = dir->file("000003_W.dat");
        prompter = std::make_unique<ui::QueuedPrompter>();
        context = std::make_unique<ui::GuiContext>(
            ui::GuiContext{*state, *prompter, {}, nullptr, nullptr, nullptr});
    }

    void cleanup() {
        for (auto& [name, w] : context->windows)
            delete w.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        context.reset();
    }

    void opensTheBookWithItsGridAndColours() {
        tenday::newTenDayBook(*state);
        state->HourData[13][7] = 12.5;
        QVERIFY(tenday::saveTenDayBook(*state, state->SiteDataPath));
        state->HourData[13][7] = 0;

        auto* w = openWindow();
        QVERIFY(w);
        QCOMPARE(context->tenDay, &w->form());
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("  月別・時間帯別電力      ")));
        QVERIFY(w->windowTitle().endsWith(QStringLiteral("料金メニュー比較   Ver  1.02")));
        QCOMPARE(child<QLabel>(w, "Label2")->text(), QStringLiteral(" Ver  1.02"));
        QCOMPARE(child<QLabel>(w, "Label1")->text(), QString());
        QCOMPARE(child<QLabel>(w, "Label3")->text(), QStringLiteral("日"));
        QCOMPARE(child<QPushButton>(w, "Command10")->text(), QStringLiteral("ＣＳＶ読込"));
        QCOMPARE(child<QPushButton>(w, "Command5")->text(), QStringLiteral("終　了"));

        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        QAbstractItemModel* model = grid->model();
        QCOMPARE(model->columnCount(), 28);
        QCOMPARE(model->rowCount(), 48);
        QCOMPARE(model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("日数"));
        QCOMPARE(model->headerData(17, Qt::Horizontal).toString(), QStringLiteral("13時"));
        // 中部電力: hours 10-16 red, 8-9 and 17-21 green, the rest blue.
        QCOMPARE(model->headerData(14, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
                 QColor(255, 0, 0));
        QCOMPARE(model->headerData(20, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
                 QColor(255, 0, 0));
        QCOMPARE(model->headerData(13, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
                 QColor(128, 255, 128));
        QCOMPARE(model->headerData(26, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
                 QColor(192, 192, 255));
        // Row 25 (July 1-10) is a summer row.
        QCOMPARE(model->data(model->index(24, 10), Qt::BackgroundRole).value<QColor>(),
                 QColor(255, 255, 128));
        QCOMPARE(model->data(model->index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("１月"));
        QCOMPARE(model->data(model->index(6, 17), Qt::DisplayRole).toString(), QStringLiteral("12.5"));
        QCOMPARE(grid->columnWidth(2), 1200 / 15);
        QCOMPARE(state->HourData[13][7], 12.5);

        if (qEnvironmentVariableIsSet("NENKAN_SCREENSHOT")) {
            w->resize(1180, 760);
            grid->clickCell(7, 17);
            w->grab().save(qEnvironmentVariable("NENKAN_SCREENSHOT"));
        }
    }

    void clickingTypingAndWriting() {
        auto* w = openWindow();
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        auto* text5 = child<QLineEdit>(w, "Text5");
        grid->clickCell(7, 17);
        QCOMPARE(child<QLabel>(w, "Label2")->text(), QStringLiteral("7 行  13 時のkWh"));
        QCOMPARE(child<QLabel>(w, "Label1")->text(), QStringLiteral("7"));
        QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QStringLiteral("21日から28日"));

        // Digits and one point reach the field; Enter writes it into the cell.
        text5->clear();
        QTest::keyClicks(text5, QStringLiteral("400.5a-.3"));
        QCOMPARE(text5->text(), QStringLiteral("400.53"));
        QTest::keyClick(text5, Qt::Key_Backspace);
        QTest::keyClick(text5, Qt::Key_Return);
        QCOMPARE(cell(w, 7, 17), QStringLiteral("400.5"));
        QCOMPARE(w->form().Edit_Flg, 1);

        grid->clickCell(7, 18);
        text5->setText(QStringLiteral("40"));
        click(w, "Command4");
        QCOMPARE(cell(w, 7, 18), QStringLiteral("40"));

        grid->clickCell(9, 2);
        QCOMPARE(child<QLabel>(w, "Label2")->text(), QString());
        child<QLineEdit>(w, "Text1")->setText(QStringLiteral("3月"));
        child<QLineEdit>(w, "Text3")->setText(QStringLiteral("10"));
        click(w, "Command3");
        QCOMPARE(cell(w, 9, 1), QStringLiteral("3月"));
        QCOMPARE(cell(w, 9, 3), QStringLiteral("10"));

        // The block buttons act on the cell clicked and the cell where the button was released.
        grid->clickCell(7, 17);
        emit grid->selectionEnded(7, 18);
        click(w, "Command6");
        grid->clickCell(48, 26);
        click(w, "Command7");
        QCOMPARE(cell(w, 48, 27), QStringLiteral("40"));
        QCOMPARE(text5->text(), QStringLiteral("400.5")); // the field follows the pasted cell
        emit grid->selectionEnded(48, 27);
        click(w, "Command6");
        click(w, "Command2");
        QCOMPARE(cell(w, 48, 26), QString());
        QCOMPARE(cell(w, 48, 27), QString());
        QCOMPARE(text5->text(), QString());
        QTest::keyClick(text5, Qt::Key_Return); // Enter writes back nothing stale
        QCOMPARE(cell(w, 48, 26), QString());
    }

    void savingAndClosing() {
        auto* w = openWindow();
        child<ui::FlexGrid>(w, "MSFlexGrid1")->clickCell(1, 4);
        child<QLineEdit>(w, "Text5")->setText(QStringLiteral("80"));
        click(w, "Command4");
        click(w, "Command1");
        QCOMPARE(prompter->shown.size(), std::size_t(1));
        QCOMPARE(prompter->shown.back(), notice("データ書き込み完了", "書き込み完了メッセージ"));
        QCOMPARE(w->form().Edit_Flg, 0);
        QVERIFY(dir->exists("000003_W.dat"));

        // The close box closes without saving.
        child<QLineEdit>(w, "Text5")->setText(QStringLiteral("90"));
        click(w, "Command4");
        closeAndDelete(w);
        QVERIFY(!context->window("Nenkan"));
        QCOMPARE(context->tenDay, nullptr);
        auto reread = std::make_unique<AppState>();
        tenday::readTenDayBook(*reread, state->SiteDataPath);
        QCOMPARE(reread->HourData[0][1], 80.0);

        // "終　了" saves a changed book, then closes.
        w = openWindow();
        QCOMPARE(cell(w, 1, 4), QStringLiteral("80"));
        child<ui::FlexGrid>(w, "MSFlexGrid1")->clickCell(1, 4);
        child<QLineEdit>(w, "Text5")->setText(QStringLiteral("95"));
        click(w, "Command4");
        click(w, "Command5");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!context->window("Nenkan"));
        tenday::readTenDayBook(*reread, state->SiteDataPath);
        QCOMPARE(reread->HourData[0][1], 95.0);
    }

    void aFailedSaveKeepsTheWindowOpen() {
        auto* w = openWindow();
        child<ui::FlexGrid>(w, "MSFlexGrid1")->clickCell(2, 1);
        child<QLineEdit>(w, "Text1")->setText(QStringLiteral("1\"月"));
        click(w, "Command3");
        click(w, "Command5");
        QCOMPARE(prompter->shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(prompter->shown.back().title), QStringLiteral("書き込みエラー"));
        QVERIFY(QString::fromStdString(prompter->shown.back().text).contains(QStringLiteral("000003_W.dat")));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(context->window("Nenkan"), w);
        QCOMPARE(w->form().Edit_Flg, 1);
        QVERIFY(!dir->exists("000003_W.dat"));
    }

    void calculationTakesTheScreenAndRefusesWithoutUtility() {
        auto* w = openWindow();
        child<ui::FlexGrid>(w, "MSFlexGrid1")->clickCell(1, 17);
        child<QLineEdit>(w, "Text5")->setText(QStringLiteral("100"));
        click(w, "Command4");

        state->UtilityNo = 0;
        state->MonthTotalA[3][1] = 5;
        click(w, "Command8");
        QCOMPARE(prompter->shown.size(), std::size_t(1));
        QCOMPARE(prompter->shown.back(), inputError("電力会社を選択してください。"));
        QCOMPARE(state->MonthTotalA[3][1], 5.0);
        QVERIFY(!context->window("Total"));

        state->UtilityNo = 2;
        click(w, "Command8");
        QCOMPARE(state->MonthTotalA[3][1], 2000.0);
        QCOMPARE(state->MonthTotalA[0][1], 24.0);
        QCOMPARE(w->form().Edit_Flg, 1);
        QVERIFY(!dir->exists("000003_W.dat"));
        if (ui::hasWindowKind("Total"))
            QVERIFY(context->window("Total"));

        state->ExcelMode = 0;
        click(w, "Command9");
        QCOMPARE(state->ExcelMode, 1.0f);
    }

    void csvImportThroughTheChosenFile() {
        std::string csv = "月,日付,日数";
        for (int h = 0; h < 24; ++h)
            csv += "," + std::to_string(h) + "時";
        csv += "\r\n";
        for (int r = 1; r <= 48; ++r) {
            csv += "m" + std::to_string(r) + ",p,5";
            for (int h = 0; h < 24; ++h)
                csv += "," + std::to_string(r + h);
            csv += "\r\n";
        }
        dir->write("sheet.csv", csv);
        auto* w = openWindow();

        w->setCsvChooser([] { return QString(); }); // cancelled
        click(w, "Command10");
        QVERIFY(prompter->shown.empty());
        QCOMPARE(w->form().Edit_Flg, 0);

        const QString path = QString::fromStdString(dir->file("sheet.csv"));
        w->setCsvChooser([path] { return path; });
        click(w, "Command10");
        QCOMPARE(prompter->shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(prompter->shown.back().text),
                 QStringLiteral("読み込み完了 48行読み込みました。"));
        QCOMPARE(QString::fromStdString(prompter->shown.back().title),
                 QStringLiteral("確認メッセージ    ") + path);
        QCOMPARE(cell(w, 48, 1), QStringLiteral("m48"));
        QCOMPARE(cell(w, 48, 27), QStringLiteral("71"));
        QCOMPARE(w->form().Edit_Flg, 1);
    }

    void pricesTheDemoSiteEndToEnd() {
        namespace fs = std::filesystem;
        test::copyDemoFolder(*dir);
        registry::loadRegistry(*state);
        // The demo's ten-day site, selected as the main screen does.
        state->SiteRow = 3;
        state->UtilityNo = 2;
        state->SiteDataPath = registry::Fail_Name_Set(state->AppDir, state->SiteTable[3][0], 2);
        QCOMPARE(QString::fromStdString(state->SiteDataPath),
                 QString::fromStdString(dir->file("000003_W.dat")));

        auto* w = openWindow();
        QVERIFY(prompter->shown.empty());
        double bookKwh = 0;
        double holidayKwh = 0;
        for (int r = 1; r <= 48; ++r)
            for (int h = 0; h < 24; ++h) {
                const double v = std::stod(w->form().grid().text(r, h + 4));
                bookKwh += v; // multiplier 1
                if (r % 4 == 0)
                    holidayKwh += v;
            }
        QVERIFY(bookKwh > 500000);
        QVERIFY(holidayKwh > 0 && holidayKwh < bookKwh / 4);

        click(w, "Command8");
        QVERIFY(prompter->shown.empty());
        if (!ui::hasWindowKind("Total"))
            QSKIP("the results window is not built into this program");
        QVERIFY(context->window("Total"));
        QVERIFY(context->total);
        const calc::SeasonTable& season = context->total->SeasonTotal();
        double seasonKwh = 0;
        double days = 0;
        for (int r = 1; r <= 4; ++r) {
            seasonKwh += season[4][r];
            days += season[0][r];
        }
        QCOMPARE(seasonKwh, bookKwh);
        QCOMPARE(days, 365.0);

        // A 中部電力 menu chosen in the results window is priced on the ten-day figures.
        const tariffs::TariffMenu* menu = nullptr;
        int list = 0;
        for (const tariffs::MenuList* l : tariffs::listsOfUtility(2))
            if (!menu && tariffs::findMenu(l->list, 0)) {
                list = l->list;
                menu = tariffs::findMenu(list, 0);
            }
        QVERIFY(menu);
        QVERIFY(context->total->ApplyTariffMenu(list, 0, *prompter));
        const calc::MenuPrice expected = calc::priceMenu(
            *menu, calc::seasonTotals(*state), state->currentSiteValue(3), state->currentSiteValue(4));
        QCOMPARE(context->total->totalWithTax(), expected.charges.totalWithTax);
        QVERIFY(context->total->totalWithTax() > 1e6);
        if (qEnvironmentVariableIsSet("NENKAN_SCREENSHOT")) {
            const QString stem = qEnvironmentVariable("NENKAN_SCREENSHOT");
            w->grab().save(stem + QStringLiteral("-demo.png"));
            context->window("Total")->grab().save(stem + QStringLiteral("-total.png"));
        }
    }

    // Ctrl+V in the value field pastes a spreadsheet's block at the current cell, Ctrl+Z takes it
    // back; the window says which site is open.
    void pasteAndUndoByKeys() {
        auto* w = openWindow();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto* grid = child<ui::FlexGrid>(w, "MSFlexGrid1");
        auto* text5 = child<QLineEdit>(w, "Text5");
        grid->clickCell(7, 17);
        const QString before = cell(w, 8, 18);
        QGuiApplication::clipboard()->setText(QStringLiteral("1.5\t2\r\n3\t4\r\n"));
        QTest::keyClick(text5, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(cell(w, 7, 17) + cell(w, 8, 18), QStringLiteral("1.54"));
        QCOMPARE(text5->text(), QStringLiteral("1.5"));
        if (qEnvironmentVariableIsSet("NENKAN_SCREENSHOT"))
            w->grab().save(qEnvironmentVariable("NENKAN_SCREENSHOT") + QStringLiteral("-paste.png"));
        QTest::keyClick(text5, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(cell(w, 8, 18), before);
        QVERIFY(w->windowTitle().contains(QString::fromUtf8("中部ビル（中部電力）")));
        QCOMPARE(child<QLabel>(w, "Label6")->text(), QString::fromUtf8("名 称   中部ビル  "));
    }

    void aDamagedBookIsReported() {
        dir->write("000003_W.dat", "broken");
        auto* w = openWindow();
        QVERIFY(w);
        QCOMPARE(prompter->shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(prompter->shown.back().title), QStringLiteral("読み込みエラー"));
        QVERIFY(dir->exists("000003_W.dat.bak"));
        QCOMPARE(cell(w, 1, 1), QStringLiteral("１月"));
    }
};

QTEST_MAIN(NenkanTest)
#include "nenkan_test.moc"
