// The help window: opened from the main screen's "ヘルプ" and by F1 from any window; the manual's
// links, back and forward.

#include "registry/menu_window.h"
#include "support/temp_dir.h"
#include "ui/help_window.h"
#include "ui/prompt.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QtTest>

using namespace wattorio;

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void opensFromTheMainScreenAndByF1() {
        test::TempDir dir;
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        ui::HelpKey key(context);
        qApp->installEventFilter(&key);
        registry::MenuWindow menu(context);
        menu.startUp(dir.path());
        menu.show();

        QTest::mouseClick(menu.findChild<QPushButton*>(QStringLiteral("CommandHelp")), Qt::LeftButton);
        auto* help = qobject_cast<ui::HelpWindow*>(context.window("Help"));
        QVERIFY(help);
        QTextBrowser* browser = help->browser();
        QVERIFY(browser->toPlainText().contains(QStringLiteral("ワットリオ")));
        auto* back = help->findChild<QPushButton*>(QStringLiteral("HelpBack"));
        auto* forward = help->findChild<QPushButton*>(QStringLiteral("HelpForward"));
        QVERIFY(!back->isEnabled());

        // A link inside the manual, then back and forward through the history.
        const QUrl first = browser->source();
        emit browser->anchorClicked(QUrl(QStringLiteral("#total")));
        QCOMPARE(browser->source().fragment(), QStringLiteral("total"));
        QVERIFY(back->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(browser->source(), first);
        QVERIFY(forward->isEnabled());
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(browser->source().fragment(), QStringLiteral("total"));

        // F1 in another window opens the one help window again after it was closed.
        help->close();
        QTRY_VERIFY(!context.window("Help"));
        QWidget other;
        other.show();
        QTest::keyClick(&other, Qt::Key_F1);
        QVERIFY(context.window("Help"));
        QVERIFY(prompter.shown.empty());
        delete context.window("Help");
        qApp->removeEventFilter(&key);
    }

    // F1 opens the section of the window, or part of a window, it is pressed in; the help window
    // fits on the screen.
    void f1OpensTheSectionOfItsWindow() {
        test::TempDir dir;
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        ui::HelpKey key(context);
        qApp->installEventFilter(&key);
        registry::MenuWindow menu(context);
        menu.startUp(dir.path());
        menu.show();
        QWidget total;
        total.setObjectName(QStringLiteral("Total"));
        auto* inTotal = new QLineEdit(&total);
        total.show();
        const std::pair<QWidget*, const char*> cases[] = {
            {menu.findChild<QWidget*>(QStringLiteral("Text1")), "menu"},
            {menu.findChild<QWidget*>(QStringLiteral("Dir1")), "panel"},
            {inTotal, "total"},
            {menu.findChild<QWidget*>(QStringLiteral("Option1")), "menu"}, // in Frame1 of the main screen
        };
        for (const auto& [widget, section] : cases) {
            QTest::keyClick(widget, Qt::Key_F1);
            auto* help = qobject_cast<ui::HelpWindow*>(context.window("Help"));
            QVERIFY(help);
            QCOMPARE(help->browser()->source().fragment(), QLatin1String(section));
            const QRect screen = help->screen()->availableGeometry();
            QVERIFY(screen.contains(help->geometry()));
        }
        delete context.window("Help");
        qApp->removeEventFilter(&key);
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
