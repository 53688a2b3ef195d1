// The spreadsheet output window as the user reaches it: through the "エクセル起動" buttons of both
// books and the five spreadsheet buttons of the results window. Each writes its report once into
// the report folder, the file is handed to the desktop, the window confirms and closes with its
// button; the workbooks are read back with an independent reader.

#include "calc/total_form.h"
#include "reports/excell_window.h"
#include "reports/workbook_file.h"
#include "reports/xlsx_readback.h"
#include "support/temp_dir.h"
#include "tenday/ten_day_form.h"
#include "ui/gui_context.h"
#include "ui/prompt.h"
#include "yearbook/year_book_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace wattorio;
using namespace wattorio::reports;
namespace fs = std::filesystem;

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class ExcellTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ui::QueuedPrompter> prompter;
    std::unique_ptr<ui::GuiContext> context;
    QStringList opened;

    std::string reportDir() const { return dir->path() + "エクセル出力"; }

    template <class T> T* child(QWidget* w, const char* name) {
        T* c = w ? w->findChild<T*>(QLatin1String(name)) : nullptr;
        if (!c)
            qWarning("no control %s", name);
        return c;
    }
    void click(QWidget* w, const char* name) {
        QPushButton* b = child<QPushButton>(w, name);
        QVERIFY(b);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    ExcellWindow* excell() { return qobject_cast<ExcellWindow*>(context->window("Excell")); }
    // Closes the open spreadsheet window with its button and lets it go.
    void closeExcell() {
        ExcellWindow* w = excell();
        QVERIFY(w);
        click(w, "Command1");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!context->window("Excell"));
    }
    // The window shows what it wrote, and the workbook holds the report of the sources as they
    // are now.
    void checkWritten(Report report) {
        ExcellWindow* w = excell();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Excell"));
        QCOMPARE(child<QPushButton>(w, "Command1")->text(), QStringLiteral("エクセルに書き込みました。"));
        const std::string path = w->form().path();
        QCOMPARE(child<QLabel>(w, "Label1")->text(), qs(path));
        QVERIFY(fs::is_regular_file(path));
        QCOMPARE(fs::path(path).parent_path().string(), reportDir());
        QVERIFY(fs::path(path).filename().string().rfind(std::string(reportName(report)) + "_本社ビル_", 0) ==
                0);
        QCOMPARE(opened.last(), qs(path));
        Result<ReportLayout> layout = buildReport(report, *state, ExcellWindow::sourcesOf(*context));
        QVERIFY(layout.ok());
        QVERIFY(!layout->cells.empty());
        if (!test::readbackPython().empty())
            QCOMPARE(qs(test::differences(test::readWorkbook(path, dir->path()), *layout)), QString());
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
        opened.clear();
        ExcellWindow::setOpener([this](const QString& path) {
            opened << path;
            return false; // nothing on this desktop opens .xlsx files
        });
    }
    void cleanup() {
        for (auto& [name, window] : context->windows)
            delete window.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        context.reset();
    }

    void yearBookButtonWritesOnceWhileTheWindowIsOpen() {
        QWidget* book = ui::showWindow(*context, "Mainichi");
        QVERIFY(book);
        QVERIFY(context->yearBook);
        context->yearBook->grid().setText(1, 4, " 123 ");
        click(book, "Command8");
        QCOMPARE(state->ExcelMode, 4.0f);
        checkWritten(Report::YearBook);
        QCOMPARE(filesIn(reportDir()).size(), std::size_t{1});

        // A second click only brings the open window forward.
        click(book, "Command8");
        QCOMPARE(filesIn(reportDir()).size(), std::size_t{1});
        QCOMPARE(opened.size(), 1);

        // Closed with its button, the next click writes a new workbook next to the first.
        closeExcell();
        click(book, "Command8");
        QVERIFY(excell());
        QCOMPARE(filesIn(reportDir()).size(), std::size_t{2});

        // Closing the year book takes the spreadsheet window with it.
        click(book, "Command9");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!context->window("Excell"));
        QVERIFY(prompter->shown.empty());
    }

    void resultsWindowButtonsWriteTheirReports() {
        QWidget* book = ui::showWindow(*context, "Mainichi");
        QVERIFY(book);
        for (int r = 1; r <= 365; ++r)
            for (int h = 0; h < 24; ++h)
                context->yearBook->grid().setText(r, h + 4, std::to_string((r * 7 + h * 13) % 500));
        context->yearBook->FWD_Kousin();
        click(book, "Command7"); // 電気代計算
        QWidget* total = context->window("Total");
        QVERIFY(total);
        QVERIFY(context->total);
        auto* combo = child<QComboBox>(total, "Combo19");
        QVERIFY(combo);
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        QVERIFY(context->total->currentMenu());

        // The display buttons open the window only with their check box ticked.
        click(total, "Command7");
        QVERIFY(!excell());
        click(total, "Command18");
        QVERIFY(!excell());

        struct Case {
            const char* button;
            const char* check;
            Report report;
        };
        const Case cases[] = {{"Command7", "Check1", Report::MonthlyTotals},
                              {"Command8", nullptr, Report::ResultsGrid},
                              {"Command2", nullptr, Report::ChargeSummary},
                              {"Command18", "Check2", Report::MonthlyMaximum},
                              {"Command19", "Check3", Report::HourAverages}};
        for (const Case& c : cases) {
            if (c.check)
                child<QCheckBox>(total, c.check)->setChecked(true);
            click(total, c.button);
            QCOMPARE(state->ExcelMode, static_cast<float>(c.report));
            checkWritten(c.report);
            closeExcell();
        }
        QCOMPARE(filesIn(reportDir()).size(), std::size_t{5});
        QVERIFY(prompter->shown.empty());
    }

    void tenDayButtonWritesTheTenDayGrid() {
        state->SiteDataPath = dir->file("000001_W.dat");
        QWidget* book = ui::showWindow(*context, "Nenkan");
        QVERIFY(book);
        QVERIFY(context->tenDay);
        context->tenDay->grid().setText(5, 10, "  77 ");
        click(book, "Command9");
        QCOMPARE(state->ExcelMode, 1.0f);
        checkWritten(Report::TenDayBook);
    }

    void aReportWithoutItsSourceIsRefused() {
        state->ExcelMode = 3; // the results grid, but no calculation yet
        QVERIFY(!ui::showWindow(*context, "Excell"));
        QVERIFY(!context->window("Excell"));
        QCOMPARE(prompter->shown.size(), std::size_t{1});
        QCOMPARE(qs(prompter->shown[0].text), qs(kNeedCalculation));
        QCOMPARE(qs(prompter->shown[0].title), QStringLiteral("選択エラー"));
        QVERIFY(!fs::exists(reportDir()));
        QVERIFY(opened.isEmpty());
    }

    void aFolderThatCannotBeWrittenIsToldNotConfirmed() {
        dir->write("エクセル出力", "in the way");
        QWidget* book = ui::showWindow(*context, "Mainichi");
        QVERIFY(book);
        click(book, "Command8");
        QVERIFY(!excell());
        QCOMPARE(prompter->shown.size(), std::size_t{1});
        QCOMPARE(qs(prompter->shown[0].title), QStringLiteral("書き込みエラー"));
        QVERIFY(qs(prompter->shown[0].text).startsWith(qs(kWriteFailed)));
        QCOMPARE(dir->read("エクセル出力"), std::string("in the way"));
        QVERIFY(opened.isEmpty());
    }
};

QTEST_MAIN(ExcellTest)
#include "excell_test.moc"
