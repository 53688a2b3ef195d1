#include "billing/tariff_editor_window.h"

#include "billing/site_bill.h"
#include "billing/tariff_file.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace wattorio::billing {

namespace {

using ui::qs;

QString unitPrice(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    std::string text = buffer;
    while (text.back() == '0' && text[text.size() - 2] != '.')
        text.pop_back();
    return qs(text);
}

} // namespace

TariffEditorWindow::TariffEditorWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("TariffEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs(TariffEditor::kCaption));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 6, 8, 8);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("料金表ファイル"), this));
    files_ = new QComboBox(this);
    files_->setObjectName(QStringLiteral("TariffEditorFile"));
    files_->setMinimumWidth(420);
    for (const TariffFolderEntry& entry : loadTariffFolder(tariffFolderPath(context_.state.AppDir)))
        files_->addItem(
            qs(entry.file + (entry.tariff ? "　" + entry.tariff->name : std::string("　× 誤りあり"))),
            qs(entry.file));
    top->addWidget(files_, 1);
    root->addLayout(top);

    auto* periods = new QHBoxLayout;
    auto* priceBox = new QVBoxLayout;
    priceBox->addWidget(new QLabel(QStringLiteral("単価の期間（適用開始日）"), this));
    prices_ = new QListWidget(this);
    prices_->setObjectName(QStringLiteral("TariffEditorPrices"));
    prices_->setMaximumHeight(110);
    priceBox->addWidget(prices_);
    auto* add = new QHBoxLayout;
    newDate_ = new QLineEdit(this);
    newDate_->setObjectName(QStringLiteral("TariffEditorNewDate"));
    newDate_->setPlaceholderText(QStringLiteral("2026-04-01"));
    add->addWidget(newDate_);
    auto* addPeriod = ui::button(this, "TariffEditorAddPeriod", "新しい単価の期間",
                                 "最後の期間の単価を写して、この日からの期間を作ります");
    add->addWidget(addPeriod);
    priceBox->addLayout(add);
    periods->addLayout(priceBox, 1);
    periods->addWidget(new QLabel(QStringLiteral("時間帯・季節・単価の値はファイルで編集します。\n"
                                                 "ここでは毎月変わる単価と、新しい単価の期間を編集します。"),
                                  this),
                       1);
    root->addLayout(periods);

    auto* tableTop = new QHBoxLayout;
    tableTop->addWidget(new QLabel(QStringLiteral("月別の単価（円/kWh）"), this));
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("TariffEditorKind"));
    for (int k = 0; k < kMonthTableKinds; ++k)
        kind_->addItem(qs(monthTableTitle(static_cast<MonthTableKind>(k))));
    tableTop->addWidget(kind_);
    tableTop->addWidget(
        new QLabel(QStringLiteral(
                       "表計算ソフトの 12 か月の行を 1 月の欄に貼り付けると（Ctrl+V）12 か月が入ります。"),
                   this),
        1);
    root->addLayout(tableTop);
    table_ = new QTableWidget(0, 12, this);
    table_->setObjectName(QStringLiteral("TariffEditorTable"));
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        months << QStringLiteral("%1月").arg(m);
    table_->setHorizontalHeaderLabels(months);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->installEventFilter(this);
    root->addWidget(table_, 1);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("TariffEditorProblem"));
    problem_->setWordWrap(true);
    root->addWidget(problem_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* saveButton = ui::button(this, "TariffEditorSave", "保　存");
    auto* close = ui::button(this, "TariffEditorClose", "閉じる");
    for (QPushButton* b : {saveButton, close}) {
        b->setAutoDefault(false);
        b->setMinimumSize(120, 32);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);

    connect(files_, &QComboBox::activated, this,
            [this](int index) { openFile(files_->itemData(index).toString().toStdString()); });
    connect(kind_, &QComboBox::activated, this, [this] { showTable(); });
    connect(addPeriod, &QPushButton::clicked, this, [this] {
        tell(editor_.addPricePeriod(newDate_->text().trimmed().toStdString()));
        showFile();
    });
    connect(saveButton, &QPushButton::clicked, this, &TariffEditorWindow::save);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_)
            return;
        tell(editor_.setValue(kind(), monthAt(item->row(), item->column()), item->text().toStdString()));
        showTable();
    });
    resize(980, 560);
    if (files_->count() > 0)
        openFile(files_->itemData(0).toString().toStdString());
}

void TariffEditorWindow::tell(const std::string& problem) {
    if (!problem.empty())
        context_.prompter.show({problem, TariffEditor::kCaption, Icon::Warning, Buttons::Ok});
}

MonthTableKind TariffEditorWindow::kind() const {
    return static_cast<MonthTableKind>(std::max(0, kind_->currentIndex()));
}

YearMonth TariffEditorWindow::monthAt(int row, int column) const {
    return {years_.at(static_cast<std::size_t>(row)), column + 1};
}

bool TariffEditorWindow::mayDiscard() {
    return !editor_.modified() ||
           context_.prompter.show(confirm("「" + editor_.name() +
                                          "」の変更を保存していません。変更を捨てますか？")) == Answer::Ok;
}

void TariffEditorWindow::closeEvent(QCloseEvent* event) {
    if (!mayDiscard()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TariffEditorWindow::openFile(const std::string& file) {
    if (!mayDiscard()) {
        files_->setCurrentIndex(files_->findData(qs(tariffFileName(editor_.path()))));
        return;
    }
    if (Status opened = editor_.open(tariffFolderPath(context_.state.AppDir) + "/" + file); !opened)
        tell(opened.error().message);
    files_->setCurrentIndex(files_->findData(qs(file)));
    showFile();
}

void TariffEditorWindow::showFile() {
    prices_->clear();
    for (const std::string& date : editor_.priceDates())
        prices_->addItem(qs(date));
    showTable();
}

void TariffEditorWindow::showTable() {
    filling_ = true;
    years_ = editor_.tableYears(kind());
    table_->setRowCount(static_cast<int>(years_.size()));
    QStringList rows;
    for (int r = 0; r < table_->rowCount(); ++r) {
        rows << QStringLiteral("%1年").arg(years_[static_cast<std::size_t>(r)]);
        for (int c = 0; c < 12; ++c) {
            const std::optional<double> v = editor_.value(kind(), monthAt(r, c));
            // Items are kept and refilled: an edit's own item may be the one being shown again.
            QTableWidgetItem* item = table_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(r, c, item);
            }
            item->setText(v ? unitPrice(*v) : QString());
        }
    }
    table_->setVerticalHeaderLabels(rows);
    filling_ = false;
    showProblem();
}

void TariffEditorWindow::showProblem() {
    const std::string& problem = editor_.problem();
    problem_->setText(problem.empty() ? QStringLiteral("誤りはありません。") +
                                            (editor_.modified() ? QStringLiteral("（未保存）") : QString())
                                      : qs("× " + problem));
    problem_->setStyleSheet(problem.empty() ? QString() : QStringLiteral("color: #b00000"));
}

bool TariffEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) && table_->currentRow() >= 0) {
        tell(editor_.pasteRow(kind(), monthAt(table_->currentRow(), std::max(0, table_->currentColumn())),
                              QApplication::clipboard()->text().toStdString()));
        showTable();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TariffEditorWindow::save() {
    if (Status saved = editor_.save(); !saved)
        context_.prompter.show({saved.error().message, "保存エラー", Icon::Warning, Buttons::Ok});
    showProblem();
}

namespace {
const ui::WindowRegistrar registrar("TariffEditor", [](ui::GuiContext& context) -> QWidget* {
    return new TariffEditorWindow(context);
});
} // namespace

} // namespace wattorio::billing
