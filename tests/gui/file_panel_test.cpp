// The file panel of the main screen, driven as a user would: ticking it open, moving through the
// folders, writing a site out, reading it back in, copying, new folders, deleting, the two web pages.

#include "app/listwrite.h"
#include "registry/file_panel_window.h"
#include "registry/menu_window.h"
#include "registry/registry.h"
#include "support/temp_dir.h"
#include "ui/flex_grid.h"
#include "ui/help_window.h"
#include "ui/prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTextBrowser>
#include <QtTest>

#include <filesystem>

using namespace wattorio;

// Receives the addresses the buttons ask the system to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class FilePanelTest : public QObject {
    Q_OBJECT

private:
    template <class T> T* child(QWidget& w, const char* name) {
        T* c = w.findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("missing control %s", name);
        return c;
    }

    // A working folder with two sites and a year book for the second.
    static void prepare(const test::TempDir& work) {
        ListWriter counter;
        counter.writeNumber(3.0f);
        work.write(registry::kSerialFile, *counter.bytes());
        std::string menu = *registry::recordBytes({" 1", "本社", "1", "300", "90", "1", "", "", ""});
        menu += *registry::recordBytes({" 2", "Plant", "40", "1200", "98", "4", "", "", ""});
        work.write(registry::kRegistryFile, menu);
        work.write("000002_Y.dat", "\"4\",\"1\"\r\n12.5\r\n");
    }

    // Double-clicks the folder of that name in the folder list, with the mouse when it is shown.
    static bool openFolder(QListWidget* dir1, const QString& name) {
        for (int i = 0; i < dir1->count(); ++i) {
            QListWidgetItem* item = dir1->item(i);
            if (item->text().trimmed() != name)
                continue;
            if (!dir1->isVisible()) {
                emit dir1->itemActivated(item);
                return true;
            }
            dir1->scrollToItem(item);
            const QPoint at = dir1->visualItemRect(item).center();
            QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, at);
            return true;
        }
        return false;
    }

    static QStringList items(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text().trimmed();
        return out;
    }

    // Opens `folder` (an absolute path) from the root drive down.
    void goTo(registry::MenuWindow& window, const std::string& folder) {
        auto* drive1 = child<QComboBox>(window, "Drive1");
        const int root = drive1->findText(QStringLiteral("/"));
        QVERIFY(root >= 0);
        drive1->setCurrentIndex(root);
        emit drive1->activated(root);
        auto* dir1 = child<QListWidget>(window, "Dir1");
        for (const QString& part : QString::fromStdString(folder).split(QLatin1Char('/'), Qt::SkipEmptyParts))
            QVERIFY2(openFolder(dir1, part), qPrintable(part));
    }

private slots:
    void init() { start_ = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(start_); }

    void panelIsShownAndHiddenWithItsControls() {
        test::TempDir work;
        prepare(work);
        QDir::setCurrent(QString::fromStdString(work.path()));
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        // The main screen's grid reads the form's list while it hides: hide it while both live.
        const auto hideFirst = qScopeGuard([&window] { window.hide(); });
        window.startUp(work.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto* panel = child<registry::FilePanel>(window, "FilePanel");
        QVERIFY(!panel->isVisible());
        QCOMPARE(window.width(), ui::twipsToPixels(registry::MenuWindow::kNarrowTwips));
        window.grab().save(QStringLiteral("/tmp/wattorio_file_panel_hidden.png"));

        auto* check1 = child<QCheckBox>(window, "Check1");
        check1->click();
        QVERIFY(panel->isVisible());
        QCOMPARE(window.width(), ui::twipsToPixels(registry::MenuWindow::kWideTwips));

        QCOMPARE(child<QPushButton>(window, "Command10")->text(), QStringLiteral("ﾃﾞｨﾚｸﾄﾘｰ\u3000作成"));
        QCOMPARE(child<QPushButton>(window, "Command11")->text(), QStringLiteral("削除"));
        QCOMPARE(child<QPushButton>(window, "Command8")->toolTip(), QStringLiteral("データの書き出し"));
        QCOMPARE(child<QPushButton>(window, "Command9")->text(), QStringLiteral("読込み"));
        QCOMPARE(child<QPushButton>(window, "Command12")->toolTip(), QStringLiteral("ヘルプ画面に接続"));
        QCOMPARE(child<QPushButton>(window, "Command7")->text(), QStringLiteral("作者ﾎｰﾑﾍﾟｰｼﾞ"));
        QCOMPARE(child<QCheckBox>(window, "Check2")->text(), QStringLiteral("全ファイル表示"));
        QCOMPARE(child<QLineEdit>(window, "Text5")->toolTip(),
                 QStringLiteral("新規に作成するフォルダー名を入力。"));
        auto* drive1 = child<QComboBox>(window, "Drive1");
        QVERIFY(drive1->findText(QStringLiteral("/")) >= 0);
        QVERIFY(drive1->findText(QDir::homePath() + QLatin1Char('/')) >= 0);
        // The lists start on the working folder: its last folder is the open one.
        auto* dir1 = child<QListWidget>(window, "Dir1");
        const QString last = QDir(QString::fromStdString(work.path())).dirName();
        QCOMPARE(dir1->currentItem()->text().trimmed(), last);
        window.grab().save(QStringLiteral("/tmp/wattorio_file_panel_shown.png"));

        check1->click();
        QVERIFY(!panel->isVisible());
        QCOMPARE(window.width(), ui::twipsToPixels(registry::MenuWindow::kNarrowTwips));
        QVERIFY(prompter.shown.empty());
    }

    void writesOutAndReadsBackIn() {
        test::TempDir work;
        test::TempDir target;
        prepare(work);
        QDir::setCurrent(QString::fromStdString(work.path()));
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        // The main screen's grid reads the form's list while it hides: hide it while both live.
        const auto hideFirst = qScopeGuard([&window] { window.hide(); });
        window.startUp(work.path());
        window.show();
        child<QCheckBox>(window, "Check1")->click();

        // Without a site: the selection error.
        auto* command8 = child<QPushButton>(window, "Command8");
        command8->click();
        QCOMPARE(prompter.shown.back().text, std::string("書き出す名称を選択してください。"));
        QCOMPARE(prompter.shown.back().title, std::string("\u3000\u3000選択エラー"));

        goTo(window, target.path());
        QCOMPARE(child<registry::FilePanel>(window, "FilePanel")->panelForm().Dir_Path, target.path());
        auto* grid = child<ui::FlexGrid>(window, "MSFlexGrid1");
        grid->clickCell(2, 1);
        command8->click();
        QCOMPARE(prompter.shown.back().text, std::string("データを書き出しました。"));
        QVERIFY(target.exists("Plant_Wattorio_M.dat"));
        QCOMPARE(target.read("Plant_Y.dat"), work.read("000002_Y.dat"));
        auto* file1 = child<QListWidget>(window, "File1");
        QCOMPARE(items(file1), QStringList{QStringLiteral("Plant_Wattorio_M.dat")});

        // Read in: nothing selected, then the record.
        auto* command9 = child<QPushButton>(window, "Command9");
        command9->click();
        QCOMPARE(prompter.shown.back().text, std::string("読み込むファイル名を選択してください。"));
        file1->setCurrentRow(0);
        const std::size_t before = prompter.shown.size();
        command9->click();
        QCOMPARE(prompter.shown.size(), before + 2);
        QCOMPARE(prompter.shown[before].text, std::string("Plant_Wattorio_M.dat のデータを読み込みます。"));
        QCOMPARE(prompter.shown.back().text, std::string("登録しました：Plant（No. 3）"));
        QCOMPARE(window.form().nextSiteRow(), 4.0f);
        QCOMPARE(grid->model()->data(grid->model()->index(2, 1)).toString(), QStringLiteral("Plant"));
        QCOMPARE(state.SiteTable[3][0], std::string(" 3"));
        QCOMPARE(work.read("000003_Y.dat"), work.read("000002_Y.dat"));
        QCOMPARE(file1->currentRow(), -1);
        // The new site is the chosen one, its row the only one highlighted.
        QCOMPARE(state.SiteRow, 3.0f);
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("Plant"));
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(grid->selectionModel()->selectedRows().front().row(), 2);

        // Writing the same site out again asks first; Cancel leaves the set as it is.
        grid->clickCell(2, 1);
        prompter.answers = {Answer::Cancel};
        command8->click();
        QCOMPARE(prompter.shown.back().title, std::string("確認メッセージ"));
        QCOMPARE(prompter.shown.back().buttons, Buttons::OkCancel);
    }

    void copiesASiteFromTheMainScreen() {
        test::TempDir work;
        prepare(work);
        QDir::setCurrent(QString::fromStdString(work.path()));
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        // The main screen's grid reads the form's list while it hides: hide it while both live.
        const auto hideFirst = qScopeGuard([&window] { window.hide(); });
        window.startUp(work.path());
        window.show();

        auto* grid = child<ui::FlexGrid>(window, "MSFlexGrid1");
        grid->clickCell(2, 1);
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("Plant"));
        QTest::mouseClick(child<QPushButton>(window, "Command6"), Qt::LeftButton);
        QCOMPARE(prompter.shown.back(), notice("コピーしました", "  完了メッセージ"));
        QCOMPARE(grid->model()->data(grid->model()->index(2, 1)).toString(),
                 QStringLiteral("Plant  \u3000(コピー)"));
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QString());
        QCOMPARE(child<QComboBox>(window, "Combo1")->currentIndex(), -1);
        QCOMPARE(work.read("000003_Y.dat"), work.read("000002_Y.dat"));

        // A dot typed into the name field stops the copy.
        grid->clickCell(1, 1);
        child<QLineEdit>(window, "Text1")->setText(QStringLiteral("本社.旧"));
        QTest::mouseClick(child<QPushButton>(window, "Command6"), Qt::LeftButton);
        QCOMPARE(prompter.shown.back(), inputError("名称に不具合入力がありますので変更ください。"));
        QCOMPARE(window.form().nextSiteRow(), 4.0f);
    }

    void makesFoldersAndDeletesFiles() {
        test::TempDir work;
        prepare(work);
        QDir::setCurrent(QString::fromStdString(work.path()));
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        // The main screen's grid reads the form's list while it hides: hide it while both live.
        const auto hideFirst = qScopeGuard([&window] { window.hide(); });
        window.startUp(work.path());
        window.show();
        child<QCheckBox>(window, "Check1")->click();

        auto* text5 = child<QLineEdit>(window, "Text5");
        text5->insert(QStringLiteral("出力"));
        child<QPushButton>(window, "Command10")->click();
        QCOMPARE(prompter.shown.back(), notice("フォルダーを作成しました。", ""));
        QCOMPARE(text5->text(), QString());
        QVERIFY(items(child<QListWidget>(window, "Dir1")).contains(QStringLiteral("出力")));
        // The same name again: nothing said, the field keeps its text.
        text5->insert(QStringLiteral("出力"));
        const std::size_t shown = prompter.shown.size();
        child<QPushButton>(window, "Command10")->click();
        QCOMPARE(prompter.shown.size(), shown);
        QCOMPARE(text5->text(), QStringLiteral("出力"));
        // One click makes the new folder the target without changing into it.
        auto* dir1 = child<QListWidget>(window, "Dir1");
        const QStringList before = items(dir1);
        const int row = static_cast<int>(before.indexOf(QStringLiteral("出力")));
        emit dir1->itemClicked(dir1->item(row));
        QCOMPARE(items(dir1), before);
        QVERIFY(child<QLabel>(window, "TargetFolder")->text().endsWith(QStringLiteral("/出力/")));
        openFolder(dir1, QStringLiteral("/"));
        goTo(window, work.path());

        auto* file1 = child<QListWidget>(window, "File1");
        QCOMPARE(file1->count(), 0);
        child<QCheckBox>(window, "Check2")->click();
        QVERIFY(items(file1).contains(QStringLiteral("000002_Y.dat")));
        child<QPushButton>(window, "Command11")->click();
        QCOMPARE(prompter.shown.back(), notice("削除ファイル名を選択してください。", "選択エラー"));

        file1->setCurrentRow(static_cast<int>(items(file1).indexOf(QStringLiteral("000002_Y.dat"))));
        prompter.answers = {Answer::Cancel};
        child<QPushButton>(window, "Command11")->click();
        QVERIFY(work.exists("000002_Y.dat"));
        file1->setCurrentRow(static_cast<int>(items(file1).indexOf(QStringLiteral("000002_Y.dat"))));
        child<QPushButton>(window, "Command11")->click();
        QCOMPARE(prompter.shown.back(), notice("削除しました。", "削除メッセージ"));
        QVERIFY(!work.exists("000002_Y.dat"));
        QVERIFY(!items(file1).contains(QStringLiteral("000002_Y.dat")));
    }

    void opensTheHelpAndHomePages() {
        test::TempDir work;
        QDir::setCurrent(QString::fromStdString(work.path()));
        AppState state;
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow window(context);
        // The main screen's grid reads the form's list while it hides: hide it while both live.
        const auto hideFirst = qScopeGuard([&window] { window.hide(); });
        window.startUp(work.path());
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");

        child<QPushButton>(window, "Command7")->click();
        child<QPushButton>(window, "Command12")->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        // The home page goes to the desktop; the help opens in the program's own window.
        QCOMPARE(recorder.opened.size(), 1);
        QCOMPARE(recorder.opened[0], QUrl(QStringLiteral("https://wattorio.example.jp/")));
        auto* help = qobject_cast<ui::HelpWindow*>(context.window("Help"));
        QVERIFY(help != nullptr);
        QVERIFY(help->browser()->source().toLocalFile().endsWith(QStringLiteral("help/index.html")));
        QVERIFY(prompter.shown.empty());
        delete help;
    }

private:
    QString start_;
};

QTEST_MAIN(FilePanelTest)
#include "file_panel_test.moc"
