// The main screen driven as a user would: typing, the utility box, the buttons and their messages.

#include "registry/menu_window.h"
#include "support/temp_dir.h"
#include "ui/flex_grid.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace wattorio;

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
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        window.startUp(dir.path());
        window.show();
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

    void enterMovesOnAndLettersAreDiscarded() {
        test::TempDir dir;
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        window.startUp(dir.path());
        window.show();
        QApplication::setActiveWindow(&window);
        QLineEdit* text2 = child<QLineEdit>(window, "Text2");
        text2->setFocus();
        text2->clear();
        QTest::keyClicks(text2, QStringLiteral("ab12"));
        QCOMPARE(text2->text(), QStringLiteral("12"));
        QTest::keyClick(text2, Qt::Key_Return);
        QTRY_VERIFY(child<QLineEdit>(window, "Text3")->hasFocus());
    }

    void closeBoxDoesNothingAndThePanelWidensTheWindow() {
        test::TempDir dir;
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        window.startUp(dir.path());
        window.show();
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        const int narrow = window.width();
        child<QCheckBox>(window, "Check1")->setChecked(true);
        QCOMPARE(window.width(), 14300 / 15);
        child<QCheckBox>(window, "Check1")->setChecked(false);
        QCOMPARE(window.width(), narrow);
    }
};

QTEST_MAIN(MenuWindowTest)
#include "menu_test.moc"
