// The window 料金表の編集 on the demo's tariff files: a row of twelve values pasted into a month
// table, saved and seen again, every key it did not edit kept; a value the reader refuses named
// with its place and never saved; a new price period copying the last one.

#include "app/safe_save.h"
#include "billing/tariff_editor_window.h"
#include "billing/tariff_file.h"
#include "support/temp_dir.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <nlohmann/json.hpp>

using namespace wattorio;
using namespace wattorio::billing;
using json = nlohmann::ordered_json;

namespace {

constexpr const char* kFile = "example_market_adjustment.json";

json document(const test::TempDir& dir) {
    return json::parse(test::readAll(tariffFolderPath(dir.path()) + "/" + kFile));
}

} // namespace

class TariffEditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void pastesTwelveMonthsAndKeepsTheRest() {
        test::TempDir dir;
        test::copyDemoFolder(dir);
        AppState state;
        state.AppDir = dir.path();
        ui::QueuedPrompter prompter;
        ui::GuiContext context{state, prompter, {}};
        const json before = document(dir);

        auto* w = qobject_cast<TariffEditorWindow*>(ui::showWindow(context, "TariffEditor"));
        QVERIFY(w);
        w->openFile(kFile);
        auto* kind = w->findChild<QComboBox*>(QStringLiteral("TariffEditorKind"));
        kind->setCurrentIndex(static_cast<int>(MonthTableKind::Fuel));
        emit kind->activated(kind->currentIndex());
        auto* table = w->findChild<QTableWidget*>(QStringLiteral("TariffEditorTable"));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->verticalHeaderItem(0)->text(), QStringLiteral("2024年"));

        // A spreadsheet's row: twelve values, the last with a line end.
        QApplication::clipboard()->setText(
            QStringLiteral("-1.5\t-1.25\t-1\t-0.75\t-0.5\t-0.25\t0\t0.25\t0.5\t0.75\t1\t1.2345\r\n"));
        table->setCurrentCell(0, 0);
        QTest::keyClick(table, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(table->item(0, 11)->text(), QStringLiteral("1.2345"));
        QCOMPARE(table->rowCount(), 2); // the next year is offered
        if (const QByteArray shot = qgetenv("WATTORIO_SHOT"); !shot.isEmpty())
            w->grab().save(QString::fromLocal8Bit(shot));
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("TariffEditorSave")), Qt::LeftButton);
        QVERIFY(prompter.shown.empty());

        // Values the reader refuses: named with their place, and the file is not saved with them.
        const struct {
            MonthTableKind kind;
            const char* text;
            const char* place;
        } refused[] = {{MonthTableKind::Fuel, "0.12345", "/fuel_adjustment/2024-03"},
                       {MonthTableKind::Discount, "0.5", "/discount/2024-03"}};
        for (const auto& r : refused) {
            TariffEditor editor;
            QVERIFY(editor.open(tariffFolderPath(dir.path()) + "/" + kFile));
            QVERIFY(editor.setValue(r.kind, {2024, 3}, r.text).empty());
            QVERIFY2(editor.problem().find(r.place) != std::string::npos, editor.problem().c_str());
            QVERIFY(!editor.save());
        }
        QVERIFY(!TariffEditor().setValue(MonthTableKind::Fuel, {2024, 3}, "abc").empty());

        // Reopened: the twelve months, and every other key as it was, in its place.
        const json after = document(dir);
        std::vector<std::string> keys;
        for (const auto& [key, value] : after.items())
            keys.push_back(key);
        std::vector<std::string> expectedKeys;
        for (const auto& [key, value] : before.items())
            expectedKeys.push_back(key);
        expectedKeys.push_back("fuel_adjustment");
        QCOMPARE(keys, expectedKeys);
        for (const auto& [key, value] : before.items())
            QCOMPARE(after[key], value);
        QCOMPARE(after["fuel_adjustment"].size(), std::size_t{12});
        QCOMPARE(after["fuel_adjustment"]["2024-12"].get<double>(), 1.2345);
        delete w;
        w = qobject_cast<TariffEditorWindow*>(ui::showWindow(context, "TariffEditor"));
        w->openFile(kFile);
        QCOMPARE(w->editor().value(MonthTableKind::Fuel, {2024, 1}), std::optional<double>(-1.5));
        QVERIFY(readTariffFile(tariffFolderPath(dir.path()) + "/" + kFile));

        // A new price period copies the latest; a date not after it is refused.
        QVERIFY(!w->editor().addPricePeriod("2024-04-01").empty());
        QVERIFY(w->editor().addPricePeriod("2026-04-01").empty());
        QVERIFY(w->editor().save());
        const Result<Tariff> tariff = readTariffFile(tariffFolderPath(dir.path()) + "/" + kFile);
        QVERIFY(tariff);
        QCOMPARE(tariff->prices.size(), std::size_t{2});
        QCOMPARE(tariff->prices[1].demand, tariff->prices[0].demand);

        // Another file is opened over unsaved edits only when the user lets them go.
        QVERIFY(w->editor().setValue(MonthTableKind::Market, {2025, 1}, "2").empty());
        prompter.answers = {Answer::Cancel};
        w->openFile("example_flat_high_voltage.json");
        QVERIFY(w->editor().modified());
        QCOMPARE(prompter.shown.size(), std::size_t{1});
        w->openFile("example_flat_high_voltage.json");
        QVERIFY(!w->editor().modified());
        QVERIFY(w->editor().path().ends_with("example_flat_high_voltage.json"));
        delete w;
    }
};

QTEST_MAIN(TariffEditorWindowTest)
#include "tariff_editor_test.moc"
