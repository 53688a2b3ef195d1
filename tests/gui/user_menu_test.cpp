// The 自由メニュー tab of the results window and the window "自由メニューの編集", driven as a user
// would: a file with a broken line, one message naming it, a menu chosen from the tab and priced
// with its adders and tax, an entry refused, a save that keeps the broken line.

#include "app/sjis.h"
#include "calc/total_window.h"
#include "support/temp_dir.h"
#include "tariffs/user_menu_editor_window.h"
#include "ui/prompt.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

using namespace wattorio;

namespace {

std::string sjis(const std::string& utf8) {
    std::string out;
    toCp932(utf8, out);
    return out;
}

const std::string kFile =
    sjis("電力会社,区分,電圧,メニュー名,計算式,基本料金,料金1,料金2,料金3,料金4,料金5,消費税率,"
         "燃料費等調整単価,再エネ賦課金単価\r\n"
         "1,事務所・ビル・店舗,2,今年の提案,季節別,1700,17.5,16.25,,,,10,-1.12,3.49\r\n"
         "2,工場,9,電圧が違う,季節別,1700,17.5,16.25,,,,10,0,0\r\n");

// 東京電力, 100 kW at power factor 100; every month 1,000 kWh at night on working days.
struct Fixture {
    test::TempDir dir;
    AppState state;
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    Fixture() {
        fillUtilityNames(state);
        state.AppDir = dir.path();
        state.SiteTable[1] = {"1", "本社ビル", "1", "100", "100", "1", "", "", ""};
        state.SiteRow = 1;
        state.UtilityNo = 1;
        for (int m = 1; m <= 12; ++m) {
            state.MonthTotalA[0][m] = 20;
            state.MonthTotalA[1][m] = 1000;
        }
        dir.write("User_Menus.csv", kFile);
    }
};

void screenshot(QWidget& w, const char* name) {
    const QByteArray dir = qgetenv("WATTORIO_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

} // namespace

class UserMenuTest : public QObject {
    Q_OBJECT

private slots:
    void tabListsTheMenusAndPricesOne() {
        Fixture f;
        calc::TotalWindow w(f.context);
        QVERIFY(w.loaded());
        QCOMPARE(f.prompter.shown.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(f.prompter.shown[0].text).contains(QStringLiteral("3行目（電圧）")));
        auto* list = w.findChild<QTableWidget*>(QStringLiteral("UserMenuList"));
        QVERIFY(list);
        QCOMPARE(list->rowCount(), 1);
        auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
        tabs->setCurrentIndex(9);
        QCOMPARE(w.form().currentTab(), 9);
        w.show();
        const QRect cell = list->visualItemRect(list->item(0, 3));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        // The year: 3,000 kWh in summer, 9,000 in the other season; 1,734,000 yen of demand charge.
        const double summer = 3000 * (17.5 + -1.12 + 3.49);
        const double other = 9000 * (16.25 + -1.12 + 3.49);
        QCOMPARE(w.form().LineCharge()[1], summer);
        QCOMPARE(w.form().LineCharge()[2], other);
        QCOMPARE(w.form().totalWithTax(), (1734000 + summer + other) * 1.1);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Label11"))->text(),
                 QStringLiteral("消費税10％含む　2,157,309 円"));
        screenshot(w, "user_menu_tab.png");
    }

    void editorRefusesBadEntriesAndKeepsTheBrokenLine() {
        Fixture f;
        tariffs::UserMenuEditorWindow w(f.context);
        w.tellLoadProblems();
        QCOMPARE(f.prompter.shown.size(), std::size_t{1});
        auto* grid = w.findChild<QTableWidget*>(QStringLiteral("UserMenuGrid"));
        QCOMPARE(grid->rowCount(), 2);
        grid->item(0, tariffs::kColTax)->setText(QStringLiteral("abc"));
        QCOMPARE(f.prompter.shown.size(), std::size_t{2});
        QCOMPARE(f.prompter.shown.back().title, std::string("入力エラー"));
        QCOMPARE(grid->item(0, tariffs::kColTax)->text(), QStringLiteral("10"));
        grid->item(0, tariffs::kColTax)->setText(QStringLiteral("8"));
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("CommandAdd")), Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 3);
        // The new row is filled in from its first cell; its voltage reads as the others' do.
        QCOMPARE(grid->currentRow(), 2);
        QCOMPARE(grid->currentColumn(), 0);
        QCOMPARE(grid->item(2, tariffs::kColVoltage)->text(), QStringLiteral("②"));
        const QString reason = grid->item(2, tariffs::kUserMenuColumns)->text();
        QVERIFY(w.findChild<QLabel*>(QStringLiteral("UserMenuStatus"))->text().endsWith(reason));
        grid->item(2, tariffs::kColName)->setText(QStringLiteral("追加した行"));
        screenshot(w, "user_menu_editor.png");
        f.prompter.answers.push_back(Answer::Ok);
        grid->setCurrentCell(2, 0);
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("CommandDelete")), Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 2);
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("CommandSave")), Qt::LeftButton);
        QVERIFY(QString::fromStdString(f.prompter.shown.back().text)
                    .startsWith(QStringLiteral("保存しました。")));
        const std::string saved = f.dir.read("User_Menus.csv");
        QVERIFY(saved.find(sjis("2,工場,9,電圧が違う,季節別,1700,17.5,16.25,,,,10,0,0\r\n")) !=
                std::string::npos);
        QVERIFY(saved.find(sjis(",16.25,,,,8,-1.12,3.49\r\n")) != std::string::npos);
    }
};

QTEST_MAIN(UserMenuTest)
#include "user_menu_test.moc"
