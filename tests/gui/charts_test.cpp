// The pictures of the results window drawn offscreen from a real year: series, axes and legends,
// the ten-day message, following a new calculation, PNG files and printing. The pictures are
// saved under /tmp/wattorio-compare-shots/ to be looked at.

#include "calc/charts_window.h"
#include "compare_fixture.h"
#include "support/temp_dir.h"
#include "ui/prompt.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPrinter>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QStackedWidget>
#include <QValueAxis>
#include <QtTest>

#include <filesystem>

using namespace wattorio;
using calc::ResultCharts;

namespace {

template <class T> T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("missing control %s", name);
    return c;
}

template <class Series> QList<Series*> seriesOf(QChart* chart) {
    QList<Series*> out;
    for (QAbstractSeries* s : chart->series())
        if (auto* x = qobject_cast<Series*>(s))
            out.append(x);
    return out;
}

QStringList visibleLegend(QChart* chart) {
    QStringList out;
    for (QLegendMarker* m : chart->legend()->markers())
        if (m->isVisible())
            out.append(m->label());
    return out;
}

template <class Axis> Axis* axis(QChart* chart, Qt::Orientation orientation) {
    const QList<QAbstractAxis*> axes = chart->axes(orientation);
    return axes.isEmpty() ? nullptr : qobject_cast<Axis*>(axes.front());
}

} // namespace

class ChartsTest : public QObject {
    Q_OBJECT

private slots:
    void drawsTheYearOfAnHourlyBook() {
        AppState state;
        QVERIFY(test::setUpRealSite(state, 1));
        ui::QueuedPrompter prompter;
        ResultCharts w(prompter);
        w.resize(900, 560);
        w.refresh(state, true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // Monthly kWh: one stacked series, six band sets, 1月..12月.
        QChart* monthly = w.chart(ResultCharts::Monthly);
        QCOMPARE(monthly->title(), QStringLiteral("月別電力量（時間帯別・平日／休日）"));
        const QList<QStackedBarSeries*> stacks = seriesOf<QStackedBarSeries>(monthly);
        QCOMPARE(stacks.size(), 1);
        QCOMPARE(stacks.front()->count(), 6);
        QCOMPARE(stacks.front()->barSets().at(0)->label(), QStringLiteral("平日 夜間"));
        QCOMPARE(stacks.front()->barSets().at(5)->label(), QStringLiteral("休日 ピーク"));
        for (int m = 1; m <= 12; ++m) {
            double sum = 0;
            for (QBarSet* set : stacks.front()->barSets())
                sum += set->at(m - 1);
            double expected = 0;
            for (int c = 1; c <= 3; ++c)
                expected += state.MonthTotalA[static_cast<std::size_t>(c)][static_cast<std::size_t>(m)] +
                            state.MonthTotalB[static_cast<std::size_t>(c)][static_cast<std::size_t>(m)];
            QVERIFY(std::abs(sum - expected) < 1e-6 * expected);
        }
        auto* months = axis<QBarCategoryAxis>(monthly, Qt::Horizontal);
        QVERIFY(months);
        QCOMPARE(months->categories().front(), QStringLiteral("1"));
        QCOMPARE(months->categories().back(), QStringLiteral("12"));
        QCOMPARE(months->titleText(), QStringLiteral("月"));
        auto* kwh = axis<QValueAxis>(monthly, Qt::Vertical);
        QVERIFY(kwh);
        QCOMPARE(kwh->titleText(), QStringLiteral("kWh"));
        QVERIFY(kwh->max() >= w.data().monthlyMax);

        // Hourly average over 0時..23時 with the bands of 東京電力 behind it.
        QChart* hourly = w.chart(ResultCharts::Hourly);
        QVERIFY(w.drawn(ResultCharts::Hourly));
        const QList<QAreaSeries*> bands = seriesOf<QAreaSeries>(hourly);
        QCOMPARE(bands.size(), 5);
        QCOMPARE(visibleLegend(hourly),
                 QStringList({QStringLiteral("夜間時間帯"), QStringLiteral("昼間時間帯"),
                              QStringLiteral("ピーク時間帯"), QStringLiteral("平均電力量（1時間）")}));
        const QList<QLineSeries*> lines = seriesOf<QLineSeries>(hourly);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.front()->count(), 24);
        QCOMPARE(lines.front()->at(13).y(), state.HourAverage[13]);
        auto* hours = axis<QCategoryAxis>(hourly, Qt::Horizontal);
        QVERIFY(hours);
        QCOMPARE(hours->categoriesLabels().front(), QStringLiteral("0"));
        QCOMPARE(hours->categoriesLabels().back(), QStringLiteral("22"));
        // The peak band 13:00-16:00 is shaded from 12.5 to 15.5.
        QCOMPARE(bands.at(2)->upperSeries()->at(0).x(), 12.5);
        QCOMPARE(bands.at(2)->upperSeries()->at(1).x(), 15.5);

        // Monthly peaks against the contract power.
        QChart* peak = w.chart(ResultCharts::Peak);
        const QList<QBarSeries*> bars = seriesOf<QBarSeries>(peak);
        QCOMPARE(bars.size(), 1);
        QCOMPARE(bars.front()->barSets().front()->count(), 12);
        QCOMPARE(bars.front()->barSets().front()->at(6), state.PeakDemand[7]);
        const QList<QLineSeries*> contract = seriesOf<QLineSeries>(peak);
        QCOMPARE(contract.size(), 1);
        QCOMPARE(contract.front()->name(), QStringLiteral("契約電力 900 kW"));
        QCOMPARE(contract.front()->at(0).y(), 900.0);
        QVERIFY(axis<QValueAxis>(peak, Qt::Vertical)->max() >= 900);

        for (int p = 0; p < ResultCharts::kPictureCount; ++p) {
            w.setCurrent(static_cast<ResultCharts::Picture>(p));
            test::screenshot(w, qPrintable(QStringLiteral("charts_widget_%1.png").arg(p)));
            const QImage image = w.image(static_cast<ResultCharts::Picture>(p));
            QCOMPARE(image.size(), QSize(1200, 700));
            image.save(test::shotPath(qPrintable(QStringLiteral("charts_image_%1.png").arg(p))));
        }
    }

    void hokkaidoHasNoPeakBand() {
        AppState state;
        QVERIFY(test::setUpRealSite(state, 9, "abc"));
        ui::QueuedPrompter prompter;
        ResultCharts w(prompter);
        w.refresh(state, true);
        QCOMPARE(seriesOf<QStackedBarSeries>(w.chart(ResultCharts::Monthly)).front()->count(), 4);
        QCOMPARE(seriesOf<QAreaSeries>(w.chart(ResultCharts::Hourly)).size(), 3);
        // No contract power: no line.
        QCOMPARE(seriesOf<QLineSeries>(w.chart(ResultCharts::Peak)).size(), 0);
        w.image(ResultCharts::Hourly).save(test::shotPath("charts_hokkaido_hourly.png"));
    }

    void tenDaySiteSaysSoAndNewCalculationsRedraw() {
        AppState state;
        QVERIFY(test::setUpRealSite(state, 2));
        ui::QueuedPrompter prompter;
        ResultCharts w(prompter);
        w.resize(900, 560);
        w.refresh(state, true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // A ten-day site: the monthly picture is drawn, the hourly ones give way to the message.
        w.refresh(state, false);
        QVERIFY(w.drawn(ResultCharts::Monthly));
        QVERIFY(!w.drawn(ResultCharts::Hourly));
        QVERIFY(!w.drawn(ResultCharts::Peak));
        QVERIFY(w.chart(ResultCharts::Hourly)->series().isEmpty());
        QVERIFY(w.chart(ResultCharts::Peak)->series().isEmpty());
        w.setCurrent(ResultCharts::Peak);
        auto* message = child<QLabel>(w, "PeakChartMessage");
        QVERIFY(message->isVisible());
        QCOMPARE(
            message->text(),
            QStringLiteral("１０日集計用の物件には時間ごとの値がないため、このグラフは表示できません。"));
        test::screenshot(w, "charts_tenday_peak.png");
        w.image(ResultCharts::Hourly).save(test::shotPath("charts_tenday_hourly_image.png"));

        // The next calculation from the year book draws its own figures.
        for (int m = 1; m <= 12; ++m)
            state.MonthTotalA[2][static_cast<std::size_t>(m)] = 1000.0 * m;
        state.HourAverage[5] = 4321;
        w.refresh(state, true);
        QVERIFY(w.drawn(ResultCharts::Peak));
        QVERIFY(!message->isVisible());
        QCOMPARE(seriesOf<QStackedBarSeries>(w.chart(ResultCharts::Monthly)).front()->barSets().at(1)->at(11),
                 12000.0);
        QCOMPARE(seriesOf<QLineSeries>(w.chart(ResultCharts::Hourly)).front()->at(5).y(), 4321.0);
        QCOMPARE(w.chart(ResultCharts::Monthly)->axes().size(), 2);
    }

    void savesAndPrints() {
        AppState state;
        QVERIFY(test::setUpRealSite(state, 4));
        ui::QueuedPrompter prompter;
        ResultCharts w(prompter);
        w.resize(900, 560);
        w.refresh(state, true);
        test::TempDir dir;

        // "PNG保存" saves the picture shown under the name the user gives.
        w.setCurrent(ResultCharts::Hourly);
        QString suggested;
        const QString path = QString::fromStdString(dir.file("hourly.png"));
        w.setFileNameProvider([&](const QString& s) {
            suggested = s;
            return path;
        });
        w.setSaveFolder(QString::fromStdString(dir.path()));
        QTest::mouseClick(child<QPushButton>(w, "ChartSavePng"), Qt::LeftButton);
        QVERIFY(suggested.endsWith(QStringLiteral("/時間帯別平均電力.png")));
        QCOMPARE(prompter.shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(prompter.shown.back().text),
                 QStringLiteral("画像を保存しました。\n") + path);
        const QImage saved(path);
        QCOMPARE(saved.size(), QSize(1200, 700));
        QCOMPARE(saved.pixelColor(5, 5), QColor(Qt::white));

        // Cancel in the dialog: nothing.
        w.setFileNameProvider([](const QString&) { return QString(); });
        QTest::mouseClick(child<QPushButton>(w, "ChartSavePng"), Qt::LeftButton);
        QCOMPARE(prompter.shown.size(), std::size_t{1});

        // A folder that does not exist: the user is told.
        QString error;
        QVERIFY(!w.savePng(ResultCharts::Monthly, QString::fromStdString(dir.file("no/such.png")), &error));
        QVERIFY(!error.isEmpty());

        // "グラフ印刷": the three pictures on one page.
        const std::string pdf = dir.file("charts.pdf");
        w.setPrinterFactory([&] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(QString::fromStdString(pdf));
            return printer;
        });
        QTest::mouseClick(child<QPushButton>(w, "ChartPrint"), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(prompter.shown.back().text), QStringLiteral("グラフ印刷完了"));
        QVERIFY(std::filesystem::file_size(pdf) > 10000);

        // No printer at all: accepting the offer saves the same page as a PDF file.
        w.setPrinterFactory([] { return std::unique_ptr<QPrinter>(); });
        w.setFileNameProvider([&](const QString& suggested) {
            return suggested.endsWith(QStringLiteral(".pdf")) ? QString::fromStdString(dir.file("グラフ.pdf"))
                                                              : QString();
        });
        prompter.answers = {Answer::Ok};
        QTest::mouseClick(child<QPushButton>(w, "ChartPrint"), Qt::LeftButton);
        QCOMPARE(prompter.shown[prompter.shown.size() - 2].title, std::string("印刷"));
        QCOMPARE(prompter.shown.back(),
                 notice("PDFファイルに保存しました。\n" + dir.file("グラフ.pdf"), "確認メッセージ"));
        QVERIFY(std::filesystem::file_size(dir.file("グラフ.pdf")) > 10000);
    }
};

QTEST_MAIN(ChartsTest)
#include "charts_test.moc"
