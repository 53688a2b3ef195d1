// The main screen driven as a user would: typing, the utility box, the buttons and their messages.

#include "app/listwrite.h"
#include "registry/menu_window.h"
#include "support/temp_dir.h"
#include "ui/flex_grid.h"
#include "ui/prompt.h"
#include "yearbook/mainichi_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

#include <filesystem>

using namespace wattorio;

namespace {

// The main screen started on a folder (with whatever the test put there first), shown.
struct MainScreen {
    AppState state;
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    registry::MenuWindow window{context};
    explicit MainScreen(const test::TempDir& dir) {
        window.startUp(dir.path());
        window.show();
    }
};

} // namespace

class MenuWindowTest : public QObject {
    Q_OBJECT

private:
    template <class T> T* child(QWidget& w, const char* name) {
        T* c = w.findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("missing control %s", name);
        return c;
    }

private slots:
    void addsASiteThroughTheFields() {
        test::TempDir dir;
        MainScreen screen(dir);
        registry::MenuWindow& window = screen.window;
        AppState& state = screen.state;
        ui::QueuedPrompter& prompter = screen.prompter;
        QVERIFY(prompter.shown.empty());
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), QStringLiteral("1"));
        QVERIFY(!child<QPushButton>(window, "Command1")->isEnabled());

        child<QLineEdit>(window, "Text1")->setText(QStringLiteral("本社"));
        QLineEdit* text3 = child<QLineEdit>(window, "Text3");
        text3->clear();
        QTest::keyClicks(text3, QStringLiteral("5x0.0"));
        QCOMPARE(text3->text(), QStringLiteral("500"));
        child<QLineEdit>(window, "Text4")->setText(QStringLiteral("100"));
        QPushButton* add = child<QPushButton>(window, "Command2");
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(prompter.shown.back().text, std::string("電力会社を選択してください。"));

        QComboBox* combo = child<QComboBox>(window, "Combo1");
        QCOMPARE(combo->count(), 9);
        QCOMPARE(combo->itemText(8), QStringLiteral("北海道電力"));
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(prompter.shown.back().text, std::string("登録しました。"));
        QCOMPARE(state.SiteTable[1][1], std::string("本社"));
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(dir.exists("Mt_Menu.dat"));

        auto* grid = child<ui::FlexGrid>(window, "MSFlexGrid1");
        grid->clickCell(1, 1);
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("本社"));
        QCOMPARE(combo->currentIndex(), 0);
        QVERIFY(child<QPushButton>(window, "Command1")->isEnabled());
        // The first start in a folder chooses no book kind; the user picks one.
        QVERIFY(!child<QRadioButton>(window, "Option1")->isChecked());
        QTest::mouseClick(child<QRadioButton>(window, "Option2"), Qt::LeftButton);
        QCOMPARE(window.form().bookMode(), 2.0f);
    }

    // 受電, 区分 and the book kind are kept in the record; the site buttons and the list's highlight
    // follow the chosen site only.
    void siteFactsAndBookKindGoWithTheRecord() {
        test::TempDir dir;
        MainScreen screen(dir);
        registry::MenuWindow& window = screen.window;
        AppState& state = screen.state;
        QCOMPARE(child<QLineEdit>(window, "Text4")->text(), QString());
        child<QLineEdit>(window, "Text1")->setText(QStringLiteral("工場"));
        child<QLineEdit>(window, "Text3")->setText(QStringLiteral("2000"));
        child<QLineEdit>(window, "Text4")->setText(QStringLiteral("95"));
        const std::pair<const char*, int> choices[] = {
            {"Combo1", 3}, {"ComboSupply", 2}, {"ComboCategory", 2}};
        for (const auto& [name, index] : choices) {
            auto* combo = child<QComboBox>(window, name);
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        }
        QTest::mouseClick(child<QRadioButton>(window, "Option2"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(window, "Command2"), Qt::LeftButton);
        QCOMPARE(screen.prompter.shown.back().text, std::string("登録しました。"));
        QCOMPARE(state.SiteTable[1][6], std::string("特別高圧"));
        QCOMPARE(state.SiteTable[1][7], std::string("工場"));
        QCOMPARE(state.SiteTable[1][8], std::string("W"));

        auto* grid = child<ui::FlexGrid>(window, "MSFlexGrid1");
        auto* change = child<QPushButton>(window, "Command3");
        QVERIFY(!change->isEnabled());
        QVERIFY(!grid->selectionModel()->hasSelection());
        QTest::mouseClick(child<QRadioButton>(window, "Option1"), Qt::LeftButton);
        grid->clickCell(1, 1);
        QVERIFY(change->isEnabled());
        QVERIFY(child<QRadioButton>(window, "Option2")->isChecked());
        QCOMPARE(child<QComboBox>(window, "ComboSupply")->currentText(), QStringLiteral("特別高圧"));
        QCOMPARE(child<QComboBox>(window, "ComboCategory")->currentText(), QStringLiteral("工場"));
        // A click below the last site leaves the chosen one highlighted.
        grid->clickCell(5, 1);
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(grid->selectionModel()->selectedRows().front().row(), 0);

        emit child<QComboBox>(window, "ComboSupply")->activated(0);
        QTest::mouseClick(change, Qt::LeftButton);
        QCOMPARE(screen.prompter.shown.back().text, std::string("変更しました。"));
        QCOMPARE(state.SiteTable[1][6], std::string());
        QVERIFY(!change->isEnabled());
        QVERIFY(!grid->selectionModel()->hasSelection());
    }

    // 変　更 refuses figures no bill could be priced with, and leaves the registry as it was.
    void changeRefusesImpossibleFigures() {
        test::TempDir dir;
        ListWriter w;
        for (const std::string& f : SiteRecord{" 1", "本社", "1", "450", "98", "1", "", "", ""})
            w.writeString(f);
        dir.write("Mt_Menu.dat", *w.bytes());
        dir.write("W_Saihan.dat", "2\r\n");
        MainScreen screen(dir);
        registry::MenuWindow& window = screen.window;
        const std::string before = dir.read("Mt_Menu.dat");
        const std::pair<const char*, const char*> cases[] = {{"Text2", "0"},      {"Text2", "abc"},
                                                             {"Text2", "100001"}, {"Text3", "-100"},
                                                             {"Text4", "0"},      {"Text4", "999"}};
        for (const auto& [field, text] : cases) {
            child<ui::FlexGrid>(window, "MSFlexGrid1")->clickCell(1, 1);
            child<QLineEdit>(window, field)->setText(QString::fromUtf8(text));
            QTest::mouseClick(child<QPushButton>(window, "Command3"), Qt::LeftButton);
            const Message& m = screen.prompter.shown.back();
            QCOMPARE(m.title, std::string("入力エラー"));
            QVERIFY2(m.text.find(std::string("「") + text + "」") != std::string::npos, m.text.c_str());
            QCOMPARE(dir.read("Mt_Menu.dat"), before);
        }
    }

    void ctrlASelectsTheWholeField() {
        test::TempDir dir;
        MainScreen screen(dir);
        for (const char* name : {"Text1", "Text2", "Text3"}) {
            QLineEdit* edit = child<QLineEdit>(screen.window, name);
            edit->setText(QStringLiteral("123"));
            edit->deselect();
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QCOMPARE(edit->selectedText(), QStringLiteral("123"));
        }
    }

    void enterMovesOnAndLettersAreDiscarded() {
        test::TempDir dir;
        MainScreen screen(dir);
        registry::MenuWindow& window = screen.window;
        QApplication::setActiveWindow(&window);
        QLineEdit* text2 = child<QLineEdit>(window, "Text2");
        text2->setFocus();
        text2->clear();
        QTest::keyClicks(text2, QStringLiteral("ab12"));
        QCOMPARE(text2->text(), QStringLiteral("12"));
        QTest::keyClick(text2, Qt::Key_Return);
        QTRY_VERIFY(child<QLineEdit>(window, "Text3")->hasFocus());
    }

    void fullWidthNumbersAreTakenAsTyped() {
        test::TempDir dir;
        MainScreen screen(dir);
        registry::MenuWindow& window = screen.window;
        // Keys as an input method in full-width mode sends them, into a digits-only field.
        QLineEdit* text3 = child<QLineEdit>(window, "Text3");
        text3->clear();
        for (const QString& c :
             {QStringLiteral("１"), QStringLiteral("５"), QStringLiteral("０"), QStringLiteral("０")}) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, c);
            QApplication::sendEvent(text3, &press);
        }
        QCOMPARE(text3->text(), QStringLiteral("1500"));
        // A committed composition (or a paste) is converted as well.
        QLineEdit* text4 = child<QLineEdit>(window, "Text4");
        text4->clear();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("９８．５"));
        QApplication::sendEvent(text4, &commit);
        QCOMPARE(text4->text(), QStringLiteral("98.5"));
        // The name is no number field: its full-width digits stay.
        QLineEdit* text1 = child<QLineEdit>(window, "Text1");
        text1->insert(QStringLiteral("本社１号館"));
        QCOMPARE(text1->text(), QStringLiteral("本社１号館"));
    }

    void listKeepsItsNamesAndFollowsTheSite() {
        test::TempDir dir;
        test::copyDemoFolder(dir);
        MainScreen screen(dir);
        registry::MenuWindow& window = screen.window;
        AppState& state = screen.state;
        ui::QueuedPrompter& prompter = screen.prompter;
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* grid = child<ui::FlexGrid>(window, "MSFlexGrid1");
        QScrollBar* bar = grid->horizontalScrollBar();

        // A click on a name wider than the list keeps the name's start (and "No") in view.
        const QModelIndex third = grid->model()->index(2, 1);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(third).topLeft() + QPoint(20, 5));
        QCOMPARE(bar->value(), 0);
        QVERIFY(grid->frozenView()->isVisible());
        QCOMPARE(grid->frozenView()->width(), grid->columnWidth(0));
        // The third site has a ten-day book only, the first a year book only.
        QCOMPARE(window.form().bookMode(), 2.0f);
        QVERIFY(child<QRadioButton>(window, "Option2")->isChecked());
        grid->clickCell(1, 1);
        QCOMPARE(window.form().bookMode(), 1.0f);
        QVERIFY(child<QRadioButton>(window, "Option1")->isChecked());

        // After コピー no site is chosen and no row stays highlighted.
        QTest::mouseClick(child<QPushButton>(window, "Command6"), Qt::LeftButton);
        QCOMPARE(prompter.shown.back().text, std::string("コピーしました"));
        QVERIFY(!grid->selectionModel()->hasSelection());
        grid->clickCell(4, 1);
        QVERIFY(grid->selectionModel()->hasSelection());
        prompter.answers.push_back(Answer::Ok);
        QTest::mouseClick(child<QPushButton>(window, "Command4"), Qt::LeftButton);
        QCOMPARE(state.SiteTable[4][1], std::string());
        QVERIFY(!grid->selectionModel()->hasSelection());
        QCOMPARE(bar->value(), 0);
    }

    void closeBoxDoesNothingAndThePanelWidensTheWindow() {
        test::TempDir dir;
        MainScreen screen(dir);
        registry::MenuWindow& window = screen.window;
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        const int narrow = window.width();
        child<QCheckBox>(window, "Check1")->setChecked(true);
        QCOMPARE(window.width(), 14300 / 15);
        child<QCheckBox>(window, "Check1")->setChecked(false);
        QCOMPARE(window.width(), narrow);
    }

    // An open book keeps its site: the main screen refuses to delete, change or read in a site
    // until it is closed, and the book saves to the file it came from.
    void siteActionsWaitForTheOpenBook() {
        test::TempDir dir;
        ListWriter w;
        for (int i = 1; i <= 2; ++i)
            for (const std::string& f : SiteRecord{" " + std::to_string(i), "物件" + std::to_string(i), "1",
                                                   "100", "90", "1", "", "", ""})
                w.writeString(f);
        dir.write("Mt_Menu.dat", *w.bytes());
        dir.write("W_Saihan.dat", "3\r\n");
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        context.windows["Menu"] = &window;
        window.startUp(dir.path());
        window.show();
        auto* grid = child<ui::FlexGrid>(window, "MSFlexGrid1");
        grid->clickCell(2, 1);
        QTest::mouseClick(child<QPushButton>(window, "Command1"), Qt::LeftButton);
        auto* book = qobject_cast<yearbook::MainichiWindow*>(context.window("Mainichi"));
        QVERIFY(book);

        const std::string registry = dir.read("Mt_Menu.dat");
        grid->clickCell(1, 1);
        child<QCheckBox>(window, "Check1")->setChecked(true);
        for (const char* button : {"Command4", "Command3", "Command9", "Command1"}) {
            prompter.shown.clear();
            QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
            QCOMPARE(prompter.shown.size(), std::size_t(1));
            QVERIFY(prompter.shown[0].text.rfind("開いている物件のデータ画面を「終　了」で閉じてから", 0) ==
                    0);
        }
        QCOMPARE(dir.read("Mt_Menu.dat"), registry);

        state.SiteDataPath = dir.file("000001_W.dat"); // whatever happened on the main screen
        QTest::mouseClick(book->findChild<QPushButton*>(QStringLiteral("Command5")), Qt::LeftButton);
        QVERIFY(dir.exists("000002_Y.dat"));
        QVERIFY(!dir.exists("000001_W.dat"));
        QTest::mouseClick(book->findChild<QPushButton*>(QStringLiteral("Command9")), Qt::LeftButton);
        QTRY_VERIFY(!context.window("Mainichi"));
    }
};

QTEST_MAIN(MenuWindowTest)
#include "menu_test.moc"
