// The window 月別請求額 on the demo site with half-hour data: the figures against the bill priced
// as the command line prices it, an invoice typed and one pasted kept in the invoice file, the
// month more than 1 % off marked and named, and the workbook.

#include "app/data_dir.h"
#include "app/numtext.h"
#include "billing/bill_json.h"
#include "billing/invoice_file.h"
#include "billing/meter_file.h"
#include "billing/monthly_bill_window.h"
#include "registry/menu_window.h"
#include "support/temp_dir.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace wattorio;
using namespace wattorio::billing;

namespace {

int column(const QTableWidget& table, const QString& title) {
    for (int c = 0; c < table.columnCount(); ++c)
        if (table.horizontalHeaderItem(c)->text() == title)
            return c;
    return -1;
}

// Columns of the window and keys of `bill --json` that hold the same figure.
const std::pair<const char*, const char*> kCompared[] = {{"請求額", "bill"},
                                                         {"再エネ賦課金", "levy"},
                                                         {"電気料金", "charge"},
                                                         {"うち消費税", "tax_in_bill"},
                                                         {"使用量 kWh", "kwh"},
                                                         {"最大需要電力 kW", "max_demand_kw"},
                                                         {"契約電力 kW", "contract_kw"}};

qint64 shownNumber(const QTableWidget& table, int row, int col) {
    return table.item(row, col)->text().remove(QLatin1Char(',')).toLongLong();
}

} // namespace

class MonthlyBillWindowTest : public QObject {
    Q_OBJECT

private slots:
    void billsInvoicesAndWorkbook() {
        test::TempDir dir;
        test::copyDemoFolder(dir);
        AppState state;
        state.DataDir = programDataDir("");
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        registry::MenuWindow menu(context);
        menu.startUp(dir.path());
        menu.selectSite(1);
        auto* w = qobject_cast<MonthlyBillWindow*>(ui::showWindow(context, "MonthlyBill"));
        QVERIFY(w);
        QVERIFY2(prompter.shown.empty(), prompter.shown.empty() ? "" : prompter.shown[0].text.c_str());
        auto* table = w->findChild<QTableWidget*>(QStringLiteral("MonthlyBillTable"));
        QCOMPARE(table->rowCount(), 13);

        // Every tariff file of the demo, each priced by itself as `bill --json` prices it.
        const SiteRecord& record = state.SiteTable[1];
        const MeterFileRead meter = readMeterFile(siteMeterFilePath(state.AppDir, record[0]));
        const yearbook::HolidaySource holidays = yearbook::findHolidayList(state.AppDir, state.DataDir);
        const Result<NationalTables> tables = loadNationalTables(state.AppDir, state.DataDir);
        QVERIFY(tables);
        for (const TariffChoice& choice : w->form().choices()) {
            w->chooseTariff(choice.file);
            const Result<Tariff> tariff = readTariffFile(tariffFolderPath(state.AppDir) + "/" + choice.file);
            QVERIFY(tariff);
            BillRequest request;
            request.intervals = meter.intervals;
            request.contractKw = val(record[3]);
            request.powerFactor = val(record[4]);
            request.holidays = &holidays.list;
            request.tariff = &*tariff;
            request.tables = &*tables;
            request.first = w->form().first();
            const Result<BillResult> bill = priceMonths(request);
            QVERIFY(bill);
            const nlohmann::ordered_json expected =
                billJson({record[1], tariff->name, choice.file}, request, *bill);
            for (int r = 0; r < 12; ++r) {
                const auto& month = expected["months"][static_cast<std::size_t>(r)];
                QCOMPARE(table->item(r, 0)->text().toStdString(), month["month"].get<std::string>());
                for (const auto& [title, key] : kCompared)
                    QCOMPARE(shownNumber(*table, r, column(*table, QString::fromUtf8(title))),
                             month[key].get<qint64>());
            }
            QCOMPARE(shownNumber(*table, 12, column(*table, QStringLiteral("請求額"))),
                     expected["total"]["bill"].get<qint64>());
        }

        // An invoice typed field by field, 5 % over the bill; then two months pasted as a block.
        const int billColumn = column(*table, QStringLiteral("請求額"));
        const int amountColumn = column(*table, QStringLiteral("請求書 請求額"));
        const int kwhColumn = column(*table, QStringLiteral("請求書 kWh"));
        const qint64 march = shownNumber(*table, 2, billColumn);
        const QString typed[] = {QStringLiteral("41,230"), QStringLiteral("212"), QStringLiteral("98"),
                                 QString::number(march * 105 / 100)};
        for (int f = 0; f < 4; ++f)
            table->item(2, kwhColumn + f)->setText(typed[f]);
        const qint64 april = shownNumber(*table, 3, billColumn), may = shownNumber(*table, 4, billColumn);
        QApplication::clipboard()->setText(
            QStringLiteral("40000\t200\t99\t%1\n39000\t199\t99\t%2\n").arg(april).arg(may + 1));
        table->setCurrentCell(3, kwhColumn);
        QTest::keyClick(table, Qt::Key_V, Qt::ControlModifier);
        QVERIFY2(prompter.shown.empty(), prompter.shown.empty() ? "" : prompter.shown[0].text.c_str());

        const QString note = w->findChild<QLabel*>(QStringLiteral("MonthlyBillNote"))->text();
        const QString marchText = table->item(2, 0)->text();
        QVERIFY2(note.contains(marchText) && !note.contains(table->item(3, 0)->text()), qPrintable(note));
        QCOMPARE(table->item(2, amountColumn + 2)->background().color(), QColor(255, 205, 205));
        if (const QByteArray shot = qgetenv("WATTORIO_SHOT"); !shot.isEmpty()) {
            table->scrollToItem(table->item(2, amountColumn + 2));
            w->grab().save(QString::fromLocal8Bit(shot));
        }

        // Kept in the site's invoice file, and shown again by a window opened afresh.
        const InvoiceFileRead kept = readInvoiceFile(siteInvoiceFilePath(state.AppDir, record[0]));
        QCOMPARE(kept.invoices.size(), std::size_t{3});
        QCOMPARE(kept.invoices[0].amount, march * 105 / 100);
        QCOMPARE(kept.invoices[0].kwh, 41230.0);
        delete w;
        w = qobject_cast<MonthlyBillWindow*>(ui::showWindow(context, "MonthlyBill"));
        table = w->findChild<QTableWidget*>(QStringLiteral("MonthlyBillTable"));
        const int amountAgain = column(*table, QStringLiteral("請求書 請求額"));
        const int kwhAgain = column(*table, QStringLiteral("請求書 kWh"));
        QCOMPARE(table->item(2, amountAgain)->text(),
                 QString::fromStdString(billCellText({static_cast<double>(march * 105 / 100), {}}, "#,##0")));
        QCOMPARE(table->item(4, kwhAgain)->text(), QStringLiteral("39,000"));

        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("MonthlyBillExcel")), Qt::LeftButton);
        const QString written =
            QString::fromStdString(prompter.shown.back().text).section(QLatin1Char('\n'), 1);
        QVERIFY2(std::filesystem::exists(written.toStdString()), qPrintable(written));

        // PDFに保存: the site report with this tariff's bills, its total as the table shows it.
        const std::string pdf = dir.path() + "/report.pdf";
        w->setPdfFileChooser([&pdf](const QString&) { return QString::fromStdString(pdf); });
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("MonthlyBillPdf")), Qt::LeftButton);
        QVERIFY2(std::filesystem::file_size(pdf) > 1000, prompter.shown.back().text.c_str());
        if (std::system("pdftotext -v >/dev/null 2>&1") == 0) {
            QVERIFY(std::system(("pdftotext -layout '" + pdf + "' '" + pdf + ".txt'").c_str()) == 0);
            std::ifstream in(pdf + ".txt");
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            const int billColumn = column(*table, QStringLiteral("請求額"));
            QVERIFY(text.find(record[1]) != std::string::npos);
            QVERIFY2(text.find(table->item(12, billColumn)->text().toStdString()) != std::string::npos,
                     qPrintable(table->item(12, billColumn)->text()));
        }
        delete w;
    }
};

QTEST_MAIN(MonthlyBillWindowTest)
#include "monthly_bill_test.moc"
