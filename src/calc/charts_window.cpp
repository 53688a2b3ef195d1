#include "calc/charts_window.h"

#include "app/display_format.h"
#include "app/safe_save.h"
#include "reports/report_layout.h"
#include "sitereport/site_report_pdf.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QFileDialog>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <set>

namespace wattorio::calc {

namespace {

using ui::qs;

QColor colour(std::uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

const char* const kTabCaptions[ResultCharts::kPictureCount] = {"月別電力量", "時間帯別平均", "月別最大電力"};
const char* const kTitles[ResultCharts::kPictureCount] = {kMonthlyChartTitle, kHourlyChartTitle,
                                                          kPeakChartTitle};
const char* const kFileStems[ResultCharts::kPictureCount] = {"月別電力量", "時間帯別平均電力",
                                                             "月別最大電力"};

QChart* newChart(const char* title) {
    auto* chart = new QChart;
    chart->setTitle(QString::fromUtf8(title));
    QFont font = chart->titleFont();
    font.setPointSizeF(font.pointSizeF() * 1.2);
    font.setBold(true);
    chart->setTitleFont(font);
    chart->setAnimationOptions(QChart::NoAnimation);
    // Axis numbers with a separator every three digits.
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    chart->legend()->setAlignment(Qt::AlignBottom);
    // A smaller legend keeps every band's name whole at the window's default size.
    QFont legendFont = chart->legend()->font();
    legendFont.setPointSizeF(legendFont.pointSizeF() * 0.85);
    chart->legend()->setFont(legendFont);
    chart->legend()->setShowToolTips(true);
    chart->setMargins(QMargins(6, 6, 6, 6));
    return chart;
}

QValueAxis* valueAxis(double max, const char* title) {
    auto* axis = new QValueAxis;
    const AxisScale scale = niceAxis(max);
    axis->setRange(0, scale.max);
    axis->setTickCount(scale.ticks);
    axis->setLabelFormat(scale.max / (scale.ticks - 1) < 1 ? QStringLiteral("%.2f") : QStringLiteral("%.0f"));
    axis->setTitleText(QString::fromUtf8(title));
    return axis;
}

QBarCategoryAxis* monthAxis() {
    auto* axis = new QBarCategoryAxis;
    // Bare numbers under an axis title: "10月" does not fit under a bar at the default size.
    for (int m = 1; m <= 12; ++m)
        axis->append(QString::number(m));
    axis->setTitleText(QStringLiteral("月"));
    return axis;
}

} // namespace

ResultCharts::ResultCharts(Prompter& prompter, QWidget* parent) : QWidget(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("ResultCharts"));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(4);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("ChartTabs"));
    const char* const viewNames[kPictureCount] = {"MonthlyChart", "HourlyChart", "PeakChart"};
    for (int i = 0; i < kPictureCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        stacks_[k] = new QStackedWidget(tabs_);
        charts_[k] = newChart(kTitles[i]);
        views_[k] = new QChartView(charts_[k], stacks_[k]);
        views_[k]->setObjectName(QString::fromLatin1(viewNames[i]));
        views_[k]->setRenderHint(QPainter::Antialiasing);
        messages_[k] = new QLabel(QString::fromUtf8(kNoHourlyReadings), stacks_[k]);
        messages_[k]->setObjectName(QString::fromLatin1(viewNames[i]) + QStringLiteral("Message"));
        messages_[k]->setAlignment(Qt::AlignCenter);
        messages_[k]->setWordWrap(true);
        stacks_[k]->addWidget(views_[k]);
        stacks_[k]->addWidget(messages_[k]);
        tabs_->addTab(stacks_[k], QString::fromUtf8(kTabCaptions[i]));
    }
    root->addWidget(tabs_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* save = new QPushButton(QStringLiteral("PNG保存"), this);
    save->setObjectName(QStringLiteral("ChartSavePng"));
    save->setToolTip(QStringLiteral("表示中のグラフを画像ファイルに保存"));
    auto* print = new QPushButton(QStringLiteral("グラフ印刷"), this);
    print->setObjectName(QStringLiteral("ChartPrint"));
    auto* pdf = new QPushButton(QStringLiteral("PDFに保存"), this);
    pdf->setObjectName(QStringLiteral("ChartPdf"));
    pdf->setToolTip(QStringLiteral("3 つのグラフを印刷と同じ A4 の PDF ファイルに保存"));
    for (QPushButton* b : {save, print, pdf}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, &ResultCharts::savePngClicked);
    connect(print, &QPushButton::clicked, this, &ResultCharts::printClicked);
    connect(pdf, &QPushButton::clicked, this, &ResultCharts::savePdfClicked);
    setMinimumSize(480, 320);
}

void ResultCharts::clear(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

void ResultCharts::refresh(const AppState& state, bool hourlyBook) {
    data_ = resultChartData(state, hourlyBook);
    const SiteRecord* site = state.currentSite();
    siteName_ = site ? (*site)[1] : std::string();
    heading_ = {{"物件名", siteName_},
                {"電力会社", state.currentUtilityName()},
                {"データの期間", reports::dataPeriod(state)}};
    drawMonthly();
    drawHourly();
    drawPeak();
    for (int i = 0; i < kPictureCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        stacks_[k]->setCurrentIndex(drawn(static_cast<Picture>(i)) ? 0 : 1);
    }
}

bool ResultCharts::drawn(Picture picture) const {
    return picture == Monthly || data_.hourly;
}

ResultCharts::Picture ResultCharts::current() const {
    return static_cast<Picture>(tabs_->currentIndex());
}

void ResultCharts::setCurrent(Picture picture) {
    tabs_->setCurrentIndex(static_cast<int>(picture));
}

void ResultCharts::drawMonthly() {
    QChart* chart = charts_[Monthly];
    clear(chart);
    auto* series = new QStackedBarSeries;
    series->setBarWidth(0.7);
    for (const MonthlyBandSeries& s : data_.monthly) {
        auto* set = new QBarSet(qs(s.name));
        set->setColor(colour(s.colour));
        set->setBorderColor(colour(s.colour).darker(115));
        for (double v : s.kwh)
            set->append(v);
        series->append(set);
    }
    connect(series, &QStackedBarSeries::hovered, this, [](bool on, int index, QBarSet* set) {
        if (!on) {
            QToolTip::hideText();
            return;
        }
        QToolTip::showText(QCursor::pos(), qs(monthLabel(index + 1)) + QStringLiteral(" ") + set->label() +
                                               QStringLiteral("　") + qs(groupedDigits(set->at(index))) +
                                               QStringLiteral(" kWh"));
    });
    chart->addSeries(series);
    QBarCategoryAxis* x = monthAxis();
    QValueAxis* y = valueAxis(data_.monthlyMax, "kWh");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

void ResultCharts::drawHourly() {
    QChart* chart = charts_[Hourly];
    clear(chart);
    if (!data_.hourly)
        return;
    const double top = niceAxis(data_.hourlyMax).max;
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setStartValue(-0.5);
    // Every other hour: two-digit labels for all 24 do not fit at the default size.
    for (int h = 0; h < 24; h += 2)
        x->append(QString::number(h), h);
    x->setRange(-0.5, 23.5);
    x->setGridLineVisible(false);
    x->setTitleText(QStringLiteral("時刻（0時 = 0:00〜1:00）"));
    QValueAxis* y = valueAxis(data_.hourlyMax, "kWh");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    // The hour bands of the utility shaded behind the line, one legend entry per band.
    std::set<Band> named;
    for (const BandSpan& span : data_.spans) {
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        upper->append(span.firstHour - 0.5, top);
        upper->append(span.lastHour + 0.5, top);
        lower->append(span.firstHour - 0.5, 0);
        lower->append(span.lastHour + 0.5, 0);
        auto* area = new QAreaSeries(upper, lower);
        upper->setParent(area);
        lower->setParent(area);
        area->setName(qs(bandName(span.band)) + QStringLiteral("時間帯"));
        area->setColor(colour(bandShade(span.band)));
        area->setBorderColor(colour(bandShade(span.band)));
        chart->addSeries(area);
        area->attachAxis(x);
        area->attachAxis(y);
        const bool first = named.insert(span.band).second;
        for (QLegendMarker* marker : chart->legend()->markers(area))
            marker->setVisible(first);
    }
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("平均電力量（1時間）"));
    for (int h = 0; h < 24; ++h)
        line->append(h, data_.hourAverage[static_cast<std::size_t>(h)]);
    QPen pen(QColor(0x20, 0x20, 0x20));
    pen.setWidthF(2.5);
    line->setPen(pen);
    line->setPointsVisible(true);
    chart->addSeries(line);
    line->attachAxis(x);
    line->attachAxis(y);
    connect(line, &QLineSeries::hovered, this, [this](const QPointF& point, bool on) {
        const int h = qRound(point.x());
        if (!on || h < 0 || h > 23) {
            QToolTip::hideText();
            return;
        }
        const std::string digits = groupedDigits(data_.hourAverage[static_cast<std::size_t>(h)]);
        QToolTip::showText(QCursor::pos(), qs(hourLabel(h)) + QStringLiteral("　") +
                                               qs(digits.empty() ? std::string("0") : digits) +
                                               QStringLiteral(" kWh"));
    });
}

void ResultCharts::drawPeak() {
    QChart* chart = charts_[Peak];
    clear(chart);
    if (!data_.hourly)
        return;
    auto* series = new QBarSeries;
    series->setBarWidth(0.6);
    auto* set = new QBarSet(QStringLiteral("月最大（1時間の使用量 kWh）"));
    set->setColor(QColor(0xE0, 0x8A, 0x2E));
    for (double v : data_.peakDemand)
        set->append(v);
    series->append(set);
    connect(series, &QBarSeries::hovered, this, [this](bool on, int index, QBarSet*) {
        if (!on) {
            QToolTip::hideText();
            return;
        }
        QToolTip::showText(QCursor::pos(), qs(peakCaption(data_, index + 1)));
    });
    chart->addSeries(series);
    QBarCategoryAxis* x = monthAxis();
    QValueAxis* y = valueAxis(data_.peakMax, "kWh（1時間）／kW");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    if (data_.contract > 0) {
        auto* contract = new QLineSeries;
        contract->setName(qs(contractCaption(data_.contract)));
        contract->append(-0.5, data_.contract);
        contract->append(11.5, data_.contract);
        QPen pen(QColor(0xC0, 0x10, 0x10));
        pen.setWidthF(2.5);
        pen.setStyle(Qt::DashLine);
        contract->setPen(pen);
        chart->addSeries(contract);
        contract->attachAxis(x);
        contract->attachAxis(y);
    }
}

QImage ResultCharts::image(Picture picture, QSize size) const {
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (!drawn(picture)) {
        QFont font = painter.font();
        font.setPointSizeF(14);
        painter.setFont(font);
        painter.drawText(QRect(QPoint(0, 0), size).adjusted(20, 20, -20, -20),
                         Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromUtf8(kTitles[static_cast<int>(picture)]) + QStringLiteral("\n\n") +
                             QString::fromUtf8(kNoHourlyReadings));
        return out;
    }
    // The chart is laid out at the image's size for the drawing, then given back to its view.
    QChart* chart = charts_[static_cast<std::size_t>(picture)];
    const QRectF before = chart->geometry();
    chart->setGeometry(QRectF(QPointF(0, 0), QSizeF(size)));
    if (QGraphicsScene* scene = chart->scene())
        scene->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), chart->geometry());
    chart->setGeometry(before);
    return out;
}

bool ResultCharts::savePng(Picture picture, const QString& path, QString* error) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image(picture).save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("画像を作れません。");
        return false;
    }
    const QByteArray name = path.toUtf8();
    const Status written =
        saveFileAtomically(std::string(name.constData(), static_cast<std::size_t>(name.size())),
                           std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!written && error)
        *error = qs(written.error().message);
    return static_cast<bool>(written);
}

bool ResultCharts::print(QPrinter& printer) const {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int gap = page.height() / 60;
    const int h = (page.height() - 2 * gap) / kPictureCount;
    // Drawn at screen size and scaled onto the page, so that fonts keep their proportions.
    const QSize drawing(1200, 1200 * h / std::max(1, page.width()));
    for (int i = 0; i < kPictureCount; ++i) {
        const QImage picture = image(static_cast<Picture>(i), drawing);
        painter.drawImage(QRect(0, i * (h + gap), page.width(), h), picture);
    }
    return painter.end();
}

void ResultCharts::savePngClicked() {
    const Picture picture = current();
    const QString suggested = (saveFolder_.isEmpty() ? QString() : saveFolder_ + QStringLiteral("/")) +
                              QString::fromUtf8(kFileStems[static_cast<int>(picture)]) +
                              QStringLiteral(".png");
    const QString path = fileName_
                             ? fileName_(suggested)
                             : QFileDialog::getSaveFileName(this, QStringLiteral("グラフの保存"), suggested,
                                                            QStringLiteral("PNG 画像 (*.png)"));
    if (path.isEmpty())
        return;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = savePng(picture, path, &error);
    QApplication::restoreOverrideCursor();
    const QByteArray shown = (saved ? QStringLiteral("画像を保存しました。\n") + path : error).toUtf8();
    prompter_.show(saved ? notice(shown.toStdString(), "確認メッセージ")
                         : Message{shown.toStdString(), "書き込みエラー", Icon::Critical, Buttons::Ok});
}

ui::PageOutput ResultCharts::pageOutput() {
    const QString suggested = (saveFolder_.isEmpty() ? QString() : saveFolder_ + QStringLiteral("/")) +
                              QStringLiteral("グラフ.pdf");
    return {this, prompter_, printerFactory_, fileName_, "グラフ印刷完了", suggested};
}

void ResultCharts::printClicked() {
    ui::printPage(pageOutput(), [this](QPrinter& printer) { return print(printer); });
}

std::string ResultCharts::vectorPdf(std::time_t made) const {
    // Points (1/72 inch) on A4 portrait, the margins of the site report.
    constexpr double kWidth = 595.28, kHeight = 841.89, kMargin = 42, kFoot = 58, kGap = 8;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setCreator(QStringLiteral("ワットリオ"));
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        painter.setRenderHint(QPainter::Antialiasing);
        const std::string madeText = reports::madeDate(made);
        std::vector<std::pair<std::string, std::string>> lines = heading_;
        lines.emplace_back("作成日", madeText);
        const double width = kWidth - 2 * kMargin;
        double y =
            kMargin +
            sitereport::drawHeadingBlock(painter, QRectF(kMargin, kMargin, width, 200), "グラフ", lines) +
            kGap;
        const double h = (kHeight - kFoot - y - (kPictureCount - 1) * kGap) / kPictureCount;
        for (int i = 0; i < kPictureCount; ++i) {
            const QRectF target(kMargin, y, width, h);
            QChart* chart = charts_[static_cast<std::size_t>(i)];
            if (drawn(static_cast<Picture>(i)) && chart->scene()) {
                // Laid out at screen size and scaled onto the page: the scene's items are drawn as
                // paths and text, not as an image.
                const QRectF before = chart->geometry();
                chart->setGeometry(QRectF(0, 0, 1000, 1000 * h / width));
                chart->scene()->render(&painter, target, chart->geometry());
                chart->setGeometry(before);
            } else {
                painter.drawText(target, Qt::AlignCenter | Qt::TextWordWrap,
                                 QString::fromUtf8(kTitles[i]) + QStringLiteral("\n\n") +
                                     QString::fromUtf8(kNoHourlyReadings));
            }
            y += h + kGap;
        }
        sitereport::drawPageFoot(painter, QRectF(0, 0, kWidth, kHeight), siteName_, madeText, 1, 1);
        if (!painter.end())
            return {};
    }
    std::string pdf(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    sitereport::mendCharacterMaps(pdf);
    return pdf;
}

void ResultCharts::savePdfClicked() {
    // Printing keeps its page; the PDF gets the pictures as vectors with a heading.
    ui::saveDocumentPdf(pageOutput(), [this] { return vectorPdf(std::time(nullptr)); });
}

} // namespace wattorio::calc
