// The CSV import window driven as a user would: its controls, the digit filter, the date lists,
// imports into an open year book, and the refusals.

#include "csvimport/load_csv_option_window.h"

#include "support/temp_dir.h"
#include "ui/prompt.h"
#include "yearbook/year_book_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using namespace wattorio;
using namespace wattorio::csvimport;

namespace {

QString qs(const char* s) {
    return QString::fromUtf8(s);
}

std::string dayLines(int days, int first) {
    std::string s = "heading\r\n";
    for (int i = 0; i < days * 24; ++i)
        s += "x," + std::to_string(first + i) + "\r\n";
    return s;
}

} // namespace

class LoadCsvOptionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppState> state;
    std::unique_ptr<ui::QueuedPrompter> prompter;
    std::unique_ptr<ui::GuiContext> context;
    std::unique_ptr<yearbook::YearBookForm> book;
    std::unique_ptr<test::TempDir> dir;
    LoadCsvOptionWindow* window = nullptr;

    template <class T> T* child(const char* name) {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void chooseMonth(int index) { emit child<QComboBox>("Combo1")->activated(index); }
    void chooseDay(int index) { emit child<QComboBox>("Combo2")->activated(index); }
    void type(const char* name, const QString& text) {
        auto* e = child<QLineEdit>(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    // Text2 gets the path and Check1 is ticked, as the user would do it.
    void useFile(const std::string& path) {
        auto* text2 = child<QLineEdit>("Text2");
        text2->setFocus();
        QTest::keyClicks(text2, QString::fromStdString(path));
        child<QCheckBox>("Check1")->click();
    }

private slots:
    void init() {
        state = std::make_unique<AppState>();
        prompter = std::make_unique<ui::QueuedPrompter>();
        context = std::make_unique<ui::GuiContext>(ui::GuiContext{*state, *prompter, {}});
        dir = std::make_unique<test::TempDir>();
        state->SiteDataPath = dir->file("000001_Y.dat");
        book = std::make_unique<yearbook::YearBookForm>(*state, *prompter);
        book->Form_Set();
        context->yearBook = book.get();
        window = static_cast<LoadCsvOptionWindow*>(ui::showWindow(*context, "Load_CSV_Option"));
        QVERIFY(window);
    }
    void cleanup() {
        delete window;
        window = nullptr;
        book.reset();
        context.reset();
    }

    void showsEveryControlAsItStarts() {
        QCOMPARE(window->windowTitle(), qs("CSVファイル読み込み"));
        QCOMPARE(window->objectName(), qs("Load_CSV_Option"));
        QCOMPARE(child<QRadioButton>("Option1")->text(), qs("立行を読む"));
        QCOMPARE(child<QRadioButton>("Option2")->text(), qs("横行を読む"));
        QVERIFY(!child<QRadioButton>("Option1")->isChecked());
        QVERIFY(!child<QRadioButton>("Option2")->isChecked());
        QCOMPARE(child<QCheckBox>("Check3")->text(), qs("複数日の読込み"));
        QCOMPARE(child<QCheckBox>("Check3")->toolTip(), qs("1ファイル中に複数日が入っている時に使用"));
        QCOMPARE(child<QLabel>("Label5")->text(), qs("読み込み開始日付選択"));
        QCOMPARE(child<QLabel>("Label3")->text(), qs("月"));
        QCOMPARE(child<QLabel>("Label8")->text(), qs("日"));
        QCOMPARE(child<QLabel>("Label11")->text(), qs("最初のデータ位置指定"));
        QCOMPARE(child<QLabel>("Label2")->text(), qs("上からのデータ位置"));
        QCOMPARE(child<QLabel>("Label9")->text(), qs("行目"));
        QCOMPARE(child<QLabel>("Label4")->text(), qs("左からのデータ位置"));
        QCOMPARE(child<QLabel>("Label10")->text(), qs("列目"));
        QCOMPARE(child<QLabel>("Label6")->text(), qs("取り込み日数"));
        QCOMPARE(child<QLabel>("Label7")->text(), qs("日"));
        QCOMPARE(child<QCheckBox>("Check1")->text(), qs("ファイルネーム有効"));
        QCOMPARE(child<QCheckBox>("Check2")->text(), qs("ファイルネーム自動"));
        QVERIFY(child<QCheckBox>("Check2")->isHidden());
        QCOMPARE(child<QPushButton>("Command1")->text(), qs("CSV読み込み"));
        QCOMPARE(child<QPushButton>("Command4")->text(), qs("基本シートフォマット"));
        QCOMPARE(child<QPushButton>("Command4")->toolTip(),
                 qs("このﾌﾟﾛｸﾞﾗﾑで作成したデータの読み込みフォマット"));
        QVERIFY(!child<QPushButton>("Command4")->isHidden());
        QCOMPARE(child<QPushButton>("Command2")->text(), qs("終　了"));
        QVERIFY(child<QProgressBar>("ProgressBar1"));

        auto* combo1 = child<QComboBox>("Combo1");
        QCOMPARE(combo1->count(), 12);
        QCOMPARE(combo1->itemText(11), qs("12月"));
        QCOMPARE(combo1->currentIndex(), 0);
        QCOMPARE(child<QComboBox>("Combo2")->count(), 31);
        QCOMPARE(child<QComboBox>("Combo2")->currentIndex(), -1);
        QCOMPARE(child<QLabel>("Label1")->text(), qs("1月"));
        QCOMPARE(child<QLineEdit>("Text4")->text(), qs("31"));
        QVERIFY(!child<QLineEdit>("Text4")->isEnabled());
        QCOMPARE(child<QLineEdit>("Text1")->text(), QString());
    }

    void numberFieldsTakeDigitsOnly() {
        type("Text1", qs("1a2.-3"));
        QCOMPARE(child<QLineEdit>("Text1")->text(), qs("123"));
        QCOMPARE(window->form().text1, std::string("123"));
        QTest::keyClick(child<QLineEdit>("Text1"), Qt::Key_Backspace);
        QCOMPARE(window->form().text1, std::string("12"));
        // Enter in Text1 moves on to Text3.
        window->show();
        window->activateWindow();
        QTest::keyClick(child<QLineEdit>("Text1"), Qt::Key_Return);
        QCOMPARE(child<QLineEdit>("Text1")->text(), qs("12"));
        type("Text3", qs("x5"));
        QCOMPARE(child<QLineEdit>("Text3")->text(), qs("5"));
    }

    void switchesFollowTheChoices() {
        chooseMonth(1);
        QCOMPARE(child<QComboBox>("Combo2")->count(), 28);
        QCOMPARE(child<QLineEdit>("Text4")->text(), qs("28"));
        QCOMPARE(child<QLabel>("Label1")->text(), qs("2月"));
        child<QCheckBox>("Check3")->click();
        QVERIFY(child<QLineEdit>("Text4")->isEnabled());
        QVERIFY(child<QPushButton>("Command4")->isHidden());
        child<QRadioButton>("Option2")->click();
        QVERIFY(!child<QPushButton>("Command4")->isHidden());
        QCOMPARE(child<QLabel>("Label1")->text(), qs("1月  1日"));
        child<QCheckBox>("Check3")->click();
        QVERIFY(!child<QLineEdit>("Text4")->isEnabled());
        QCOMPARE(child<QLineEdit>("Text4")->text(), qs("1"));

        // Check1 holds only with a name in Text2, and shows Check2.
        child<QCheckBox>("Check1")->click();
        QVERIFY(!child<QCheckBox>("Check1")->isChecked());
        useFile("/tmp/data0315.csv");
        QVERIFY(child<QCheckBox>("Check1")->isChecked());
        QVERIFY(!child<QCheckBox>("Check2")->isHidden());
        child<QCheckBox>("Check2")->click();
        chooseMonth(3);
        chooseDay(1);
        QCOMPARE(child<QLineEdit>("Text2")->text(), qs("/tmp/data0402.csv"));
        child<QCheckBox>("Check1")->click();
        QVERIFY(child<QCheckBox>("Check2")->isHidden());

        // The own sheet format fills the fields shown.
        child<QPushButton>("Command4")->click();
        QVERIFY(child<QRadioButton>("Option2")->isChecked());
        QVERIFY(child<QCheckBox>("Check3")->isChecked());
        QCOMPARE(child<QLineEdit>("Text1")->text(), qs("1"));
        QCOMPARE(child<QLineEdit>("Text3")->text(), qs("4"));
        QCOMPARE(child<QLineEdit>("Text4")->text(), qs("365"));
        QCOMPARE(child<QLabel>("Label1")->text(), qs("1月  1日"));
    }

    void importsIntoTheOpenBook() {
        dir->write("april.csv", dayLines(3, 100));
        child<QRadioButton>("Option1")->click();
        chooseMonth(3);
        chooseDay(1);
        child<QCheckBox>("Check3")->click();
        type("Text1", qs("1"));
        type("Text3", qs("2"));
        type("Text4", qs("2"));
        useFile(dir->file("april.csv"));
        // Under the settings: the line they read first and the value taken from it.
        QCOMPARE(child<QLabel>("FirstLinePreview")->text(), qs("この設定で最初に読む行: 2 行目 x,100 → 100"));
        window->Command1_Click();

        QCOMPARE(prompter->shown.size(), std::size_t{1});
        const Message& m = prompter->shown.back();
        QCOMPARE(QString::fromStdString(m.text), qs("読み込み完了 4月  2日から2日読み込みました。"));
        QCOMPARE(QString::fromStdString(m.title),
                 qs("確認メッセージ    ") + QString::fromStdString(dir->file("april.csv")));
        // 2 April is row 92: the cells and, through Data_set, the readings.
        QCOMPARE(QString::fromStdString(book->grid().text(92, 4)), qs("100"));
        QCOMPARE(QString::fromStdString(book->grid().text(93, 27)), qs("147"));
        QCOMPARE(state->HourData[0][92], 100.0);
        QCOMPARE(state->HourData[23][93], 147.0);
        QCOMPARE(state->HourData[0][94], 0.0);
        QVERIFY(book->edited());
        auto* bar = child<QProgressBar>("ProgressBar1");
        QCOMPARE(bar->value(), 0); // empty again once the import is told
        QCOMPARE(child<QLabel>("Label12")->buddy(), child<QLineEdit>("Text2"));
    }

    void fileFromTheDialogAndCancel() {
        dir->write("d.csv", dayLines(1, 7));
        child<QRadioButton>("Option1")->click();
        type("Text1", qs("1"));
        type("Text3", qs("2"));
        window->setFileChooser([] { return std::optional<std::string>(); });
        window->Command1_Click();
        QVERIFY(prompter->shown.empty());
        QVERIFY(!book->edited());

        const std::string path = dir->file("d.csv");
        window->setFileChooser([path] { return std::optional<std::string>("  " + path + " "); });
        window->Command1_Click();
        QCOMPARE(prompter->shown.size(), std::size_t{1});
        // No day chosen: from 1 January, Text4 as the month choice left it (31), the file ends first.
        QCOMPARE(QString::fromStdString(book->grid().text(1, 4)), qs("7"));
        // One statement of what was placed and why it stopped.
        QVERIFY(prompter->shown.back().text.rfind("途中で読み込みを終えました（1月から）。\n"
                                                  "ファイルの終わりに達したため、読み込んだのは ",
                                                  0) == 0);
        QCOMPARE(child<QLineEdit>("Text2")->text(), QString::fromStdString(path));
    }

    void refusals() {
        // No layout.
        window->Command1_Click();
        QCOMPARE(QString::fromStdString(prompter->shown.back().text), qs("種別を選択してください。"));
        QCOMPARE(QString::fromStdString(prompter->shown.back().title), qs("選択エラー"));

        // The generation view.
        child<QRadioButton>("Option1")->click();
        useFile(dir->file("none.csv"));
        book->Ag_Kw_Click();
        QCOMPARE(book->viewMode(), 2);
        window->Command1_Click();
        QCOMPARE(QString::fromStdString(prompter->shown.back().text), qs("表示を電力量に変更ください。"));
        QCOMPARE(QString::fromStdString(prompter->shown.back().title), qs("操作不具合メッセージ"));
        QVERIFY(!book->edited());

        // A file that cannot be opened.
        book->Denriyoku_Crt_Click();
        window->Command1_Click();
        QCOMPARE(QString::fromStdString(prompter->shown.back().title), qs("読み込みエラー"));
        QVERIFY(!book->edited());

        // No year book open.
        context->yearBook = nullptr;
        window->Command1_Click();
        QCOMPARE(QString::fromStdString(prompter->shown.back().title), qs("選択エラー"));
    }

    void closesWithItsButton() {
        QPointer<QWidget> w = window;
        window->show();
        child<QPushButton>("Command2")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        QVERIFY(!context->window("Load_CSV_Option"));
        window = nullptr;
    }
};

QTEST_MAIN(LoadCsvOptionTest)
#include "load_csv_option_test.moc"
