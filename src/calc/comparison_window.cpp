#include "calc/comparison_window.h"

#include "calc/total_form.h"
#include "reports/comparison_report.h"
#include "reports/excel_output.h"
#include "reports/workbook_file.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace wattorio::calc {

namespace {

using ui::qs;

// Column widths in pixels: 順位 .. 備考.
constexpr int kColumnWidths[kRankColumnCount] = {40, 72, 116, 40, 252, 104, 100, 108, 108, 112, 64, 100, 104};

} // namespace

// ---- ComparisonModel -------------------------------------------------------------------------

ComparisonModel::ComparisonModel(const ComparisonForm& form, QObject* parent)
    : QAbstractTableModel(parent), form_(form) {}

int ComparisonModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : form_.rowCount();
}

int ComparisonModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kRankColumnCount;
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const auto column = static_cast<RankColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (index.row() < static_cast<int>(texts_.size()) && index.column() < kRankColumnCount)
            return texts_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
        return {};
    case Qt::TextAlignmentRole:
        if (isRightAligned(column) && column != RankColumn::Rank)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (column == RankColumn::Rank || column == RankColumn::Voltage)
            return QVariant::fromValue(Qt::AlignCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (index.row() < static_cast<int>(hints_.size()))
            return hints_[static_cast<std::size_t>(index.row())];
        return {};
    case Qt::FontRole:
        if (applied_ && form_.menuAt(index.row()) == applied_) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        // A part-year price reads as a note, not as an offer.
        if (index.row() < form_.rowCount() && form_.rows()[static_cast<std::size_t>(index.row())].partial)
            return QColor(column == RankColumn::Note ? 0xB0 : 0x70, column == RankColumn::Note ? 0x20 : 0x70,
                          column == RankColumn::Note ? 0x20 : 0x70);
        return {};
    default:
        return {};
    }
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kRankColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return qs(std::string(rankColumnTitle(static_cast<RankColumn>(section))));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

void ComparisonModel::reload(const tariffs::TariffMenu* applied) {
    beginResetModel();
    applied_ = applied;
    const int rows = form_.rowCount();
    texts_.assign(static_cast<std::size_t>(rows), {});
    hints_.assign(static_cast<std::size_t>(rows), {});
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kRankColumnCount; ++c)
            texts_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = qs(form_.cell(r, c));
        const RankedMenu& row = form_.rows()[static_cast<std::size_t>(r)];
        QString hint = qs(row.caption);
        if (row.partial)
            hint += QStringLiteral("\n") + qs(partialNoteText(row.pricedKwh, row.yearKwh));
        hints_[static_cast<std::size_t>(r)] = hint;
    }
    endResetModel();
}

void ComparisonModel::setApplied(const tariffs::TariffMenu* applied) {
    if (applied == applied_)
        return;
    applied_ = applied;
    if (form_.rowCount() > 0)
        emit dataChanged(index(0, 0), index(form_.rowCount() - 1, kRankColumnCount - 1), {Qt::FontRole});
}

// ---- ComparisonWindow ------------------------------------------------------------------------

ComparisonWindow::ComparisonWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context), clock_([] { return std::time(nullptr); }) {
    setObjectName(QStringLiteral("Comparison"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(ComparisonForm::kCaption));

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 6, 8, 8);
    root->setSpacing(6);

    auto* top = new QHBoxLayout;
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("ComparisonHeading"));
    QFont big = heading_->font();
    big.setPointSizeF(big.pointSizeF() * 1.15);
    big.setBold(true);
    heading_->setFont(big);
    top->addWidget(heading_, 1);
    top->addWidget(new QLabel(QStringLiteral("区分"), this));
    category_ = new QComboBox(this);
    category_->setObjectName(QStringLiteral("ComparisonCategory"));
    for (const char* choice : kCategoryChoices)
        category_->addItem(QString::fromUtf8(choice));
    top->addWidget(category_);
    top->addSpacing(8);
    top->addWidget(new QLabel(QStringLiteral("電圧"), this));
    voltage_ = new QComboBox(this);
    voltage_->setObjectName(QStringLiteral("ComparisonVoltage"));
    for (const char* choice : kVoltageChoices)
        voltage_->addItem(QString::fromUtf8(choice));
    voltage_->setToolTip(QStringLiteral(
        "①　特別高圧電力　②　高圧電力500ｋＷ以上（二段の電力会社では高圧電力）　③　高圧電力500ｋＷ以下"));
    top->addWidget(voltage_);
    top->addSpacing(8);
    all_ = new QCheckBox(QString::fromUtf8(ComparisonForm::kAllUtilities), this);
    all_->setObjectName(QStringLiteral("AllUtilities"));
    all_->setToolTip(QString::fromUtf8(ComparisonForm::kAllUtilitiesHint));
    top->addWidget(all_);
    root->addLayout(top);
    year_ = new QLabel(this);
    year_->setObjectName(QStringLiteral("ComparisonYear"));
    root->addWidget(year_);

    model_ = new ComparisonModel(form_, this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("ComparisonTable"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(22);
    table_->setWordWrap(false);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setHighlightSections(false);
    for (int c = 0; c < kRankColumnCount; ++c)
        header->resizeSection(c, kColumnWidths[c]);
    header->setStretchLastSection(true);
    root->addWidget(table_, 1);

    auto* hint = new QLabel(
        QStringLiteral(
            "ダブルクリックでそのメニューを料金計算の画面に表示します。見出しをクリックすると並べ替えます。"),
        this);
    hint->setObjectName(QStringLiteral("ComparisonHint"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(hint, 1);
    auto* excel = new QPushButton(QStringLiteral("エクセル出力"), this);
    excel->setObjectName(QStringLiteral("ComparisonExcel"));
    excel->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("ComparisonClose"));
    close->setAutoDefault(false);
    for (QPushButton* b : {excel, close})
        b->setMinimumSize(120, 32);
    buttons->addWidget(excel);
    buttons->addWidget(close);
    root->addLayout(buttons);

    connect(all_, &QCheckBox::toggled, this, [this](bool on) {
        form_.setAllUtilities(on);
        choiceChanged();
    });
    connect(category_, &QComboBox::activated, this, [this](int index) {
        form_.setCategory(index);
        choiceChanged();
    });
    connect(voltage_, &QComboBox::activated, this, [this](int index) {
        form_.setVoltage(index);
        choiceChanged();
    });
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        form_.sortBy(static_cast<RankColumn>(section));
        showTable();
    });
    connect(table_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { applyRow(index.row()); });
    connect(excel, &QPushButton::clicked, this, &ComparisonWindow::exportWorkbook);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    refresh();
    resize(1300, 640);
}

void ComparisonWindow::choiceChanged() {
    rememberChoice(context_.state, form_.choice());
    showTable();
}

void ComparisonWindow::refresh() {
    // Each site has its own choices for the run: another site selected takes up its own.
    const SiteRecord* site = context_.state.currentSite();
    const std::string serial = site ? (*site)[0] : std::string();
    if (!choiceRead_ || serial != choiceSite_) {
        choiceRead_ = true;
        choiceSite_ = serial;
        const ComparisonChoice before = form_.choice();
        form_.setChoice(rememberedChoice(context_.state));
        if (!(form_.choice() == before))
            showTable();
    }
    if (std::optional<Message> refusal = pricingRefusal(context_.state)) {
        form_.refuse(refusal->text);
        showTable();
        return;
    }
    const calc::TotalForm* total = context_.total;
    const ComparisonInput input =
        total ? comparisonInput(*total, context_.state) : comparisonInput(context_.state);
    // Always the site's own utility: the tab shown on the results window is only browsing.
    const int utility = static_cast<int>(context_.state.UtilityNo);
    form_.setNote(factsNote(context_.state));
    if (form_.refresh(input, utility >= 1 && utility <= 9 ? utility : 0,
                      total ? &total->userMenus() : nullptr))
        showTable();
    else
        model_->setApplied(total ? total->currentMenu() : nullptr);
}

void ComparisonWindow::showTable() {
    model_->reload(context_.total ? context_.total->currentMenu() : nullptr);
    heading_->setText(qs(form_.heading()));
    year_->setText(qs(form_.yearLine()));
    {
        const QSignalBlocker a(all_), c(category_), v(voltage_);
        all_->setChecked(form_.allUtilities());
        category_->setCurrentIndex(form_.category());
        voltage_->setCurrentIndex(form_.voltage());
    }
    table_->horizontalHeader()->setSortIndicator(
        static_cast<int>(form_.sortColumn()), form_.descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool ComparisonWindow::event(QEvent* event) {
    // Coming back to the window after a new calculation or another tab on the results window.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        refresh();
    return QWidget::event(event);
}

bool ComparisonWindow::applyRow(int row) {
    const RankedMenu* ranked = form_.rowAt(row);
    const tariffs::TariffMenu* menu = form_.menuAt(row);
    if (!ranked || (!menu && !ranked->user))
        return false;
    TotalForm* total = context_.total;
    if (!total) {
        context_.prompter.show(notice(reports::kNeedCalculation, "選択エラー"));
        return false;
    }
    const bool applied = total->applyChosenMenu(menu, ranked->line, context_.prompter);
    if (QWidget* window = context_.window("Total")) {
        window->show();
        window->raise();
        window->activateWindow();
    }
    model_->setApplied(total->currentMenu());
    if (applied && menu)
        emit menuApplied(menu->list, menu->index);
    return applied;
}

void ComparisonWindow::exportWorkbook() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Result<std::string> written = reports::saveComparisonReport(
        context_.state, form_.heading() + "　" + form_.yearLine(), form_.rows(), clock_());
    QApplication::restoreOverrideCursor();
    context_.prompter.show(reports::workbookWrittenMessage(written));
}

namespace {
const ui::WindowRegistrar registrar("Comparison", [](ui::GuiContext& context) -> QWidget* {
    return new ComparisonWindow(context);
});
} // namespace

} // namespace wattorio::calc
