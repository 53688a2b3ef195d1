#include "reports/site_comparison_window.h"

#include "calc/total_window.h"
#include "registry/menu_window.h"
#include "reports/workbook_file.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace wattorio::reports {

namespace {

using ui::qs;

// The last column shown (備考) takes the rest of the width.
constexpr int kWidths[kSiteColumnCount] = {36, 160, 76, 104, 200, 110, 110, 200, 96, 140, 70};

} // namespace

SiteComparisonWindow::SiteComparisonWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("SiteComparison"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kSiteComparisonCaption));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 6, 8, 8);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("SiteComparisonStatus"));
    root->addWidget(status_);
    table_ = new QTableWidget(0, kSiteColumnCount, this);
    table_->setObjectName(QStringLiteral("SiteComparisonTable"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(22);
    QStringList titles;
    for (int c = 0; c < kSiteColumnCount; ++c) {
        titles << qs(std::string(siteColumnTitle(c)));
        table_->horizontalHeader()->resizeSection(c, kWidths[c]);
    }
    table_->setHorizontalHeaderLabels(titles);
    // 税 is shown beside 税込, whose basis it gives (the sheet keeps it last, after 備考).
    table_->horizontalHeader()->moveSection(10, 7);
    table_->horizontalHeader()->setStretchLastSection(true);
    root->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(
        new QLabel(QStringLiteral(
                       "各物件が契約できるメニュー（電力会社・区分・電圧が合うもの、自由メニューを含む）を"
                       "税込の金額で比較しています。"
                       "行をダブルクリックすると、その物件の料金計算結果を最安メニューで開きます。"),
                   this),
        1);
    auto* excel = new QPushButton(QStringLiteral("Excel出力"), this);
    excel->setObjectName(QStringLiteral("SiteComparisonExcel"));
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("SiteComparisonClose"));
    for (QPushButton* b : {excel, close}) {
        b->setAutoDefault(false);
        b->setMinimumSize(120, 32);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    connect(excel, &QPushButton::clicked, this, &SiteComparisonWindow::exportWorkbook);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openRow(row); });
    resize(1320, 560);
    QTimer::singleShot(0, this, &SiteComparisonWindow::run);
}

void SiteComparisonWindow::run() {
    userMenus_ = tariffs::loadUserMenus(context_.state.AppDir).menus;
    const int last = lastSiteRow(context_.state);
    QProgressDialog progress(QStringLiteral("全物件を比較しています…"), QStringLiteral("キャンセル"), 0, last,
                             this);
    progress.setObjectName(QStringLiteral("SiteComparisonProgress"));
    progress.setWindowTitle(QString::fromUtf8(kSiteComparisonCaption));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    sites_ = compareSites(context_.state, last, userMenus_, [&](int done, int) {
        progress.setValue(done);
        QApplication::processEvents();
        return !progress.wasCanceled();
    });
    cancelled_ = static_cast<int>(sites_.size()) < last;
    showTable();
}

void SiteComparisonWindow::showTable() {
    table_->setRowCount(static_cast<int>(sites_.size()));
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = 0; c < kSiteColumnCount; ++c) {
            auto* item = new QTableWidgetItem(qs(siteCell(sites_[static_cast<std::size_t>(r)], c)));
            item->setTextAlignment(siteColumnRightAligned(c) ? (Qt::AlignRight | Qt::AlignVCenter)
                                                             : (Qt::AlignLeft | Qt::AlignVCenter));
            table_->setItem(r, c, item);
        }
    status_->setText(QStringLiteral("%1 物件").arg(sites_.size()) +
                     (cancelled_ ? QStringLiteral("（キャンセルしたため途中まで）") : QString()));
}

void SiteComparisonWindow::openRow(int row) {
    if (row < 0 || row >= static_cast<int>(sites_.size()))
        return;
    const SiteComparison& site = sites_[static_cast<std::size_t>(row)];
    const calc::RankedMenu* best = site.best();
    if (!best) {
        context_.prompter.show(notice(site.name + "\n" + site.reason, kSiteComparisonCaption));
        return;
    }
    // The site's book is loaded into the tables an open book works on.
    if (registry::refusedWhileBookOpen(context_, "表示"))
        return;
    if (auto* open = qobject_cast<calc::TotalWindow*>(context_.window("Total"))) {
        open->closeFromProgram();
        context_.windows.erase("Total");
    }
    std::string reason;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        reason = loadSiteForResults(context_.state, site);
        QApplication::restoreOverrideCursor();
    }
    if (!reason.empty()) {
        context_.prompter.show(
            {site.name + "\n" + reason, kSiteComparisonCaption, Icon::Warning, Buttons::Ok});
        return;
    }
    if (auto* menu = qobject_cast<registry::MenuWindow*>(context_.window("Menu")))
        menu->selectSite(site.row);
    auto* results = qobject_cast<calc::TotalWindow*>(ui::showWindow(context_, "Total"));
    if (!results || !context_.total)
        return;
    results->refreshFromTotals(site.book == SiteBook::Year);
    context_.total->applyChosenMenu(best->menu, best->line, context_.prompter);
}

void SiteComparisonWindow::exportWorkbook() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Result<std::string> written = saveSiteComparisonReport(context_.state, sites_, std::time(nullptr));
    QApplication::restoreOverrideCursor();
    context_.prompter.show(workbookWrittenMessage(written));
}

namespace {
const ui::WindowRegistrar registrar("SiteComparison", [](ui::GuiContext& context) -> QWidget* {
    return new SiteComparisonWindow(context);
});
} // namespace

} // namespace wattorio::reports
