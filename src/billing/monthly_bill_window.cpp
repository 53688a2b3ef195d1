#include "billing/monthly_bill_window.h"

#include "reports/workbook_file.h"
#include "sitereport/site_report_bills.h"
#include "sitereport/site_report_pdf.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <ctime>

namespace wattorio::billing {

namespace {

using ui::qs;

const QColor kOffColour(255, 205, 205);
const QColor kInvoiceColour(255, 250, 225);

} // namespace

MonthlyBillWindow::MonthlyBillWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(context.state) {
    setObjectName(QStringLiteral("MonthlyBill"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs(MonthlyBillForm::kCaption));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 6, 8, 8);

    auto* choose = new QHBoxLayout;
    choose->addWidget(new QLabel(QStringLiteral("料金表"), this));
    tariffs_ = new QComboBox(this);
    tariffs_->setObjectName(QStringLiteral("MonthlyBillTariff"));
    tariffs_->setMinimumWidth(520);
    choose->addWidget(tariffs_, 1);
    choose->addWidget(new QLabel(QStringLiteral("最初の月"), this));
    first_ = new QComboBox(this);
    first_->setObjectName(QStringLiteral("MonthlyBillFirst"));
    choose->addWidget(first_);
    root->addLayout(choose);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("MonthlyBillStatus"));
    status_->setWordWrap(true);
    root->addWidget(status_);

    auto* split = new QSplitter(Qt::Horizontal, this);
    auto* left = new QWidget(split);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    table_ = new QTableWidget(left);
    table_->setObjectName(QStringLiteral("MonthlyBillTable"));
    table_->verticalHeader()->setDefaultSectionSize(22);
    table_->setWordWrap(false);
    table_->installEventFilter(this);
    leftLayout->addWidget(table_, 1);
    note_ = new QLabel(left);
    note_->setObjectName(QStringLiteral("MonthlyBillNote"));
    note_->setWordWrap(true);
    note_->setStyleSheet(QStringLiteral("color: #b00000"));
    leftLayout->addWidget(note_);
    leftLayout->addWidget(
        new QLabel(QStringLiteral("請求書の欄（黄色）には数値を入力するか、表計算ソフトの範囲を貼り付けます"
                                  "（Ctrl+V）。4 項目がそろった月から請求書ファイルに記録します。"),
                   left));
    ranking_ = new QTableWidget(0, 5, left);
    ranking_->setObjectName(QStringLiteral("MonthlyBillRanking"));
    ranking_->setHorizontalHeaderLabels({QStringLiteral("順位"), QStringLiteral("料金表"),
                                         QStringLiteral("提供者"), QStringLiteral("請求額の合計"),
                                         QStringLiteral("ファイル")});
    ranking_->verticalHeader()->hide();
    ranking_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ranking_->setSelectionBehavior(QAbstractItemView::SelectRows);
    ranking_->horizontalHeader()->setStretchLastSection(true);
    ranking_->setMaximumHeight(150);
    ranking_->setToolTip(QStringLiteral("ダブルクリックでその料金表の請求額を表示します"));
    leftLayout->addWidget(ranking_);
    chart_ = new QChartView(split);
    chart_->setObjectName(QStringLiteral("MonthlyBillChart"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumWidth(500);
    split->addWidget(left);
    split->addWidget(chart_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    root->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* excel = ui::button(this, "MonthlyBillExcel", "Excel出力");
    auto* pdf = ui::button(this, "MonthlyBillPdf", "PDFに保存");
    auto* close = ui::button(this, "MonthlyBillClose", "閉じる");
    for (QPushButton* b : {excel, pdf, close}) {
        b->setAutoDefault(false);
        b->setMinimumSize(120, 32);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);

    connect(excel, &QPushButton::clicked, this, &MonthlyBillWindow::exportWorkbook);
    connect(pdf, &QPushButton::clicked, this, &MonthlyBillWindow::saveReportPdf);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(tariffs_, &QComboBox::activated, this,
            [this](int index) { chooseTariff(tariffs_->itemData(index).toString().toStdString()); });
    connect(first_, &QComboBox::activated, this, [this](int index) {
        const std::optional<YearMonth> m = parseYearMonth(first_->itemText(index).toStdString());
        if (!m)
            return;
        if (Status priced = form_.setFirst(*m); !priced)
            tell(priced.error().message);
        showBill();
    });
    connect(ranking_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < static_cast<int>(form_.ranking().tariffs.size()))
            chooseTariff(form_.ranking().tariffs[static_cast<std::size_t>(row)].file);
    });
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_ || !form_.invoiceColumn(item->column()))
            return;
        const std::string problem = form_.setInvoiceField(
            item->row(), static_cast<InvoiceField>(item->column() - form_.table().firstInvoiceColumn),
            item->text().toStdString());
        tell(problem);
        showTable();
    });
    resize(1340, 720);
    reload();
}

void MonthlyBillWindow::tell(const std::string& problem) {
    if (!problem.empty())
        context_.prompter.show({problem, MonthlyBillForm::kCaption, Icon::Warning, Buttons::Ok});
}

void MonthlyBillWindow::reload() {
    loadedRow_ = static_cast<int>(context_.state.SiteRow);
    const Status loaded = form_.load(loadedRow_);
    tariffs_->clear();
    first_->clear();
    if (!loaded) {
        status_->setText(qs(loaded.error().message));
        tell(loaded.error().message);
        showBill();
        return;
    }
    for (const TariffChoice& c : form_.choices()) {
        const QString shown =
            c.problem.empty() ? qs(c.name + "（" + c.provider + "）　" + c.firstPrice + " 〜 " + c.lastPrice)
                              : qs(c.file + "　× 読めません");
        tariffs_->addItem(shown, qs(c.file));
        if (!c.problem.empty())
            tariffs_->setItemData(tariffs_->count() - 1, qs(c.problem), Qt::ToolTipRole);
    }
    for (const YearMonth m : form_.firstMonthChoices())
        first_->addItem(qs(yearMonthText(m)));
    showBill();
}

void MonthlyBillWindow::chooseTariff(const std::string& file) {
    if (Status priced = form_.choose(file); !priced)
        tell(priced.error().message);
    showBill();
}

void MonthlyBillWindow::showBill() {
    tariffs_->setCurrentIndex(tariffs_->findData(qs(form_.chosenFile())));
    first_->setCurrentIndex(first_->findText(qs(yearMonthText(form_.first()))));
    std::string status = "物件　" + form_.site().name;
    if (const Tariff* t = form_.tariff())
        status += "　　料金表　" + t->name + "（" + form_.chosenFile() + "）";
    for (const std::string& note : form_.site().notes)
        status += "\n" + note;
    if (!form_.invoiceFileProblem().empty())
        status += "\n" + form_.invoiceFileProblem();
    status_->setText(qs(status));
    showTable();
    showChart();
    showRanking();
}

void MonthlyBillWindow::showTable() {
    filling_ = true;
    const BillTable& t = form_.table();
    table_->setColumnCount(static_cast<int>(t.titles.size()));
    table_->setRowCount(static_cast<int>(t.rows.size()));
    QStringList titles;
    for (const std::string& title : t.titles)
        titles << qs(title);
    table_->setHorizontalHeaderLabels(titles);
    const int months = static_cast<int>(t.rows.size()) - 1;
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = 0; c < table_->columnCount(); ++c) {
            // Items are kept and refilled: an edit's own item may be the one being shown again.
            QTableWidgetItem* item = table_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                table_->setItem(r, c, item);
            }
            item->setText(qs(form_.cellText(r, c)));
            const bool number =
                t.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)].number.has_value() ||
                (form_.invoiceColumn(c) && !item->text().isEmpty());
            item->setTextAlignment(number ? (Qt::AlignRight | Qt::AlignVCenter)
                                          : (Qt::AlignLeft | Qt::AlignVCenter));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            item->setBackground(QBrush());
            if (form_.invoiceColumn(c) && r < months) {
                flags |= Qt::ItemIsEditable;
                item->setBackground(kInvoiceColour);
            }
            if (std::find(t.offRows.begin(), t.offRows.end(), r) != t.offRows.end() &&
                c >= t.firstInvoiceColumn + kInvoiceFields && c < t.notesColumn)
                item->setBackground(kOffColour);
            QFont font = item->font();
            font.setBold(r == months);
            item->setFont(font);
            item->setFlags(flags);
        }
    // The month stays in sight however far the columns scroll: it is the row heading.
    QStringList rowHeadings;
    for (int r = 0; r < table_->rowCount(); ++r)
        rowHeadings << table_->item(r, 0)->text();
    table_->setVerticalHeaderLabels(rowHeadings);
    table_->setColumnHidden(0, true);
    table_->resizeColumnsToContents();
    note_->setText(qs(t.offNote));
    filling_ = false;
}

void MonthlyBillWindow::showChart() {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("月別請求額の内訳と最大需要電力"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    QFont small = chart->legend()->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    chart->legend()->setFont(small);
    const BillResult* bill = form_.bill();
    if (bill) {
        auto* bars = new QStackedBarSeries;
        for (const ChartPart& part : form_.chartParts()) {
            if (std::all_of(part.yen.begin(), part.yen.end(), [](double v) { return v == 0; }))
                continue;
            auto* set = new QBarSet(qs(part.name));
            for (double v : part.yen)
                *set << v / 1000;
            bars->append(set);
        }
        chart->addSeries(bars);
        auto* demand = new QLineSeries;
        demand->setName(QStringLiteral("最大需要電力 kW"));
        auto* contract = new QLineSeries;
        contract->setName(QStringLiteral("契約電力 kW"));
        QPen dashed(QColor(200, 0, 0));
        dashed.setStyle(Qt::DashLine);
        dashed.setWidth(2);
        contract->setPen(dashed);
        QStringList months;
        double top = 1;
        for (std::size_t k = 0; k < bill->months.size(); ++k) {
            const MonthBill& m = bill->months[k];
            months << QString::number(m.month.month);
            demand->append(static_cast<double>(k), static_cast<double>(m.maxDemandKw));
            contract->append(static_cast<double>(k), static_cast<double>(m.contractKw));
            top = std::max({top, static_cast<double>(m.maxDemandKw), static_cast<double>(m.contractKw)});
        }
        chart->addSeries(demand);
        chart->addSeries(contract);
        auto* x = new QBarCategoryAxis;
        x->append(months);
        x->setTitleText(QStringLiteral("月"));
        auto* yen = new QValueAxis;
        yen->setTitleText(QStringLiteral("千円"));
        yen->setLabelFormat(QStringLiteral("%.0f"));
        auto* kw = new QValueAxis;
        kw->setTitleText(QStringLiteral("kW"));
        kw->setRange(0, top * 1.15);
        kw->setLabelFormat(QStringLiteral("%.0f"));
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(yen, Qt::AlignLeft);
        chart->addAxis(kw, Qt::AlignRight);
        bars->attachAxis(x);
        bars->attachAxis(yen);
        for (QLineSeries* line : {demand, contract}) {
            line->attachAxis(x);
            line->attachAxis(kw);
        }
        yen->applyNiceNumbers();
        kw->applyNiceNumbers();
    }
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
}

void MonthlyBillWindow::showRanking() {
    const TariffRanking& ranking = form_.ranking();
    ranking_->setRowCount(static_cast<int>(ranking.tariffs.size()));
    for (int r = 0; r < ranking_->rowCount(); ++r) {
        const RankedTariff& t = ranking.tariffs[static_cast<std::size_t>(r)];
        const QString cells[] = {
            QString::number(t.rank), qs(t.name), qs(t.provider),
            qs(billCellText({static_cast<double>(t.bill), {}}, "#,##0") + " 円" +
               (t.monthsBilled < ranking.months ? "（" + std::to_string(t.monthsBilled) + " か月分）"
                                                : std::string())),
            qs(t.file)};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 0 || c == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (t.file == form_.chosenFile()) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            ranking_->setItem(r, c, item);
        }
    }
    ranking_->resizeColumnsToContents();
}

bool MonthlyBillWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        const std::string problem = form_.pasteInvoices(table_->currentRow(), table_->currentColumn(),
                                                        QApplication::clipboard()->text().toStdString());
        showTable();
        tell(problem);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool MonthlyBillWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && static_cast<int>(context_.state.SiteRow) != loadedRow_)
        reload();
    return QWidget::event(event);
}

void MonthlyBillWindow::exportWorkbook() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Result<std::string> written = form_.exportWorkbook(std::time(nullptr));
    QApplication::restoreOverrideCursor();
    context_.prompter.show(reports::workbookWrittenMessage(written));
}

void MonthlyBillWindow::saveReportPdf() {
    if (form_.chosenFile().empty()) {
        tell("料金表が選ばれていません。");
        return;
    }
    std::vector<std::string> warnings;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Result<sitereport::SiteReport> report = sitereport::siteReportWithBills(
        context_.state, loadedRow_, form_.chosenFile(), form_.first(), std::time(nullptr), warnings);
    QApplication::restoreOverrideCursor();
    if (!report) {
        tell(report.error().message);
        return;
    }
    const QString suggested = qs(context_.state.AppDir + sitereport::kReportTitle + "_" +
                                 reports::siteNamePart(context_.state) + ".pdf");
    ui::saveDocumentPdf({this, context_.prompter, {}, pdfFile_, "", suggested},
                        [&report] { return sitereport::siteReportPdf(*report); });
}

namespace {
const ui::WindowRegistrar registrar("MonthlyBill", [](ui::GuiContext& context) -> QWidget* {
    return new MonthlyBillWindow(context);
});
} // namespace

} // namespace wattorio::billing
