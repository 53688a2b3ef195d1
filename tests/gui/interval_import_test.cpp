// The interval import window over an open year book: twelve real monthly files in one step, the
// summary, "元に戻す", the question for a site with a multiplier, and a file that stops it all.

#include "csvimport/interval_import_window.h"

#include "support/temp_dir.h"
#include "ui/prompt.h"
#include "yearbook/year_book_form.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cstdio>
#include <memory>

using namespace wattorio;
using namespace wattorio::csvimport;

namespace {

std::vector<std::string> camslFiles() {
    std::vector<std::string> paths;
    for (int m = 1; m <= 12; ++m) {
        char name[64];
        std::snprintf(name, sizeof name, "/camsl_140/2018%02d.csv", m);
        paths.push_back(std::string(WATTORIO_REALDATA_DIR) + name);
    }
    return paths;
}

} // namespace

class IntervalImportTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppState> state;
    std::unique_ptr<ui::QueuedPrompter> prompter;
    std::unique_ptr<ui::GuiContext> context;
    std::unique_ptr<yearbook::YearBookForm> book;
    std::unique_ptr<test::TempDir> dir;
    IntervalImportWindow* window = nullptr;

    template <class T> T* child(const char* name) {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void open(const char* multiplier) {
        state = std::make_unique<AppState>();
        prompter = std::make_unique<ui::QueuedPrompter>();
        context = std::make_unique<ui::GuiContext>(ui::GuiContext{*state, *prompter, {}});
        dir = std::make_unique<test::TempDir>();
        state->SiteTable[1] = {" 1", "本社ビル", multiplier, "450", "98", "1", "", "", ""};
        state->SiteRow = 1;
        state->SiteDataPath = dir->file("000001_Y.dat");
        book = std::make_unique<yearbook::YearBookForm>(*state, *prompter);
        book->Form_Set();
        book->grid().setText(1, 4, "7");
        context->yearBook = book.get();
        window = static_cast<IntervalImportWindow*>(ui::showWindow(*context, "IntervalImport"));
        QVERIFY(window);
    }

private slots:
    void cleanup() {
        delete window;
        window = nullptr;
        book.reset();
        context.reset();
    }

    void twelveFilesThenUndo() {
        open("1");
        window->setFilesChooser([] { return camslFiles(); });
        QVERIFY(!child<QPushButton>("Command2")->isEnabled());
        child<QPushButton>("Command1")->click();
        child<QLineEdit>("ColumnText")->setText(QStringLiteral("3"));
        // Unit: Wh
        window->findChild<QComboBox*>(QStringLiteral("UnitCombo"))->setCurrentIndex(2);
        child<QPushButton>("Command2")->click();
        QVERIFY(prompter->shown.empty()); // multiplier 1: nothing to ask
        QCOMPARE(child<QProgressBar>("ProgressBar1")->value(), 12);
        // 2018-01-01 0:00 and 0:30: 100 + 200 Wh.
        QCOMPARE(book->grid().text(1, 4), std::string("0.3"));
        QCOMPARE(state->HourData[0][1], 0.3);
        QVERIFY(book->edited());
        const QString summary = child<QPlainTextEdit>("Summary")->toPlainText();
        QVERIFY(summary.contains(QString::fromUtf8("書き込んだ時間 8760、欠けた時間 0")));
        QVERIFY(summary.contains(QString::fromUtf8("契約電力 450 kW")));
        QVERIFY(child<QPushButton>("Command3")->isEnabled());
        child<QPushButton>("Command3")->click();
        QCOMPARE(book->grid().text(1, 4), std::string("7"));
        QCOMPARE(book->grid().text(2, 4), std::string());
        QVERIFY(!child<QPushButton>("Command3")->isEnabled());
    }

    void multiplierAsksAndABadFilePlacesNothing() {
        open("40");
        QVERIFY(child<QRadioButton>("ValuesKwh")->isEnabled());
        std::vector<std::string> files = camslFiles();
        dir->write("broken.csv", "no dates at all\n");
        files.push_back(dir->file("broken.csv"));
        window->setFilesChooser([&] { return files; });
        child<QPushButton>("Command1")->click();
        child<QPushButton>("Command2")->click();
        QCOMPARE(prompter->shown.size(), std::size_t(2));
        QVERIFY(prompter->shown[0].text.find("40") != std::string::npos);
        QVERIFY(prompter->shown[1].text.find("broken.csv") != std::string::npos);
        QCOMPARE(book->grid().text(1, 4), std::string("7"));
        QVERIFY(!book->edited());

        // Cancel at the question: nothing read.
        files.pop_back();
        child<QPushButton>("Command1")->click();
        prompter->answers.push_back(Answer::Cancel);
        child<QPushButton>("Command2")->click();
        QCOMPARE(book->grid().text(1, 4), std::string("7"));
        // Readings chosen: the kWh are placed as read.
        child<QLineEdit>("ColumnText")->setText(QStringLiteral("3"));
        child<QRadioButton>("ValuesReadings")->setChecked(true);
        child<QPushButton>("Command2")->click();
        QCOMPARE(book->grid().text(1, 4), std::string("300"));
    }

    // A file whose value column cannot be told: the candidates are shown and the answer holds.
    void anOpenColumnIsAsked() {
        open("1");
        std::string twoColumns;
        for (int k = 0; k < 48; ++k)
            twoColumns += "2018/1/1 " + std::to_string(k / 2) + (k % 2 ? ":30" : ":00") + ",1,2\n";
        dir->write("two.csv", twoColumns);
        window->setFilesChooser([&] { return std::vector<std::string>{dir->file("two.csv")}; });
        child<QPushButton>("Command1")->click();
        prompter->answers.push_back(Answer::Cancel);
        child<QPushButton>("Command2")->click();
        QCOMPARE(prompter->shown.size(), std::size_t(1)); // the question only, no second box
        for (const char* part : {"3列目　最初の値 2, 2, 2", "2列目 として読み込みますか"})
            QVERIFY2(prompter->shown[0].text.find(part) != std::string::npos, part);
        QCOMPARE(book->grid().text(1, 4), std::string("7"));
        child<QPushButton>("Command2")->click();
        QCOMPARE(book->grid().text(1, 4), std::string("2"));
    }
};

QTEST_MAIN(IntervalImportTest)
#include "interval_import_test.moc"
