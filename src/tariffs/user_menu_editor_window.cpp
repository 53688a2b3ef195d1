#include "tariffs/user_menu_editor_window.h"

#include "app/app_state.h"
#include "ui/widgets.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace wattorio::tariffs {

namespace {

using ui::qs;

constexpr int kStatusColumn = kUserMenuColumns;
constexpr std::uint32_t kUnusableColour = 0xFFE0E0;

// The fields with a fixed set of values offer them in a drop-down list (typing stays possible).
class ChoiceDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QStringList choices;
        switch (index.column()) {
        case kColUtility:
            for (const char* name : kUtilityNames)
                choices << QString::fromUtf8(name);
            break;
        case kColCategory:
            choices << qs(categoryName(Category::Office)) << qs(categoryName(Category::Factory));
            break;
        case kColVoltage:
            for (int row = 1; row <= 3; ++row)
                choices << qs(voltageMark(row));
            break;
        case kColFormula:
            for (Formula f :
                 {Formula::Total_Natsu_Sonota, Formula::Total_Holiday_Natsu_Sonota,
                  Formula::Total_Peek_Hiru_Yakan_Y, Formula::Total_Kizibetu_1, Formula::Total_kizibet_Yakan_2,
                  Formula::Total_Kizibetu_2, Formula::Total_Hokuden_1, Formula::Total_Hokuden_2})
                choices << qs(formulaShortName(f));
            break;
        default:
            return QStyledItemDelegate::createEditor(parent, option, index);
        }
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->addItems(choices);
        // The list opens as wide as its longest choice, however narrow the column.
        combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 24);
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            combo->setCurrentText(index.data(Qt::EditRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            model->setData(index, combo->currentText(), Qt::EditRole);
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }
};

} // namespace

UserMenuEditorWindow::UserMenuEditorWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("UserMenuEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("自由メニューの編集"));

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 6, 8, 8);
    auto* intro = new QLabel(
        QStringLiteral(
            "作業フォルダーの User_Menus.csv です。電力量料金は 電力量 ×（料金 ＋ 燃料費等調整単価 ＋ "
            "再エネ賦課金単価）、税込は 合計 ×（1 ＋ 消費税率／100）で計算します。"),
        this);
    intro->setWordWrap(true);
    root->addWidget(intro);

    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("UserMenuGrid"));
    grid_->setColumnCount(kUserMenuColumns + 1);
    QStringList headings;
    for (std::string_view h : userMenuHeadings())
        headings << qs(h);
    headings << QStringLiteral("状態");
    grid_->setHorizontalHeaderLabels(headings);
    grid_->setItemDelegate(new ChoiceDelegate(grid_));
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // 状態 is as wide as its longest reason (the grid scrolls), never cut at the window's edge.
    grid_->horizontalHeader()->setStretchLastSection(false);
    root->addWidget(grid_, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("UserMenuStatus"));
    root->addWidget(status_);

    auto* bar = new QHBoxLayout;
    auto* add = ui::button(this, "CommandAdd", "追　加", "新しいメニューの行を末尾に加えます");
    auto* copy = ui::button(this, "CommandCopy", "コピー", "選んだ行の写しをすぐ下に加えます");
    auto* remove = ui::button(this, "CommandDelete", "削　除", "選んだ行を削除します");
    auto* save = ui::button(this, "CommandSave", "保　存", "User_Menus.csv に保存します");
    auto* quit = ui::button(this, "CommandClose", "終　了");
    for (QPushButton* b : {add, copy, remove, save, quit}) {
        b->setMinimumSize(110, 32);
        b->setAutoDefault(false);
    }
    bar->addWidget(add);
    bar->addWidget(copy);
    bar->addWidget(remove);
    bar->addStretch(1);
    bar->addWidget(save);
    bar->addWidget(quit);
    root->addLayout(bar);
    connect(add, &QPushButton::clicked, this, &UserMenuEditorWindow::add);
    connect(copy, &QPushButton::clicked, this, &UserMenuEditorWindow::copy);
    connect(remove, &QPushButton::clicked, this, &UserMenuEditorWindow::remove);
    connect(save, &QPushButton::clicked, this, &UserMenuEditorWindow::save);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(grid_, &QTableWidget::cellChanged, this, &UserMenuEditorWindow::cellChanged);
    connect(grid_, &QTableWidget::currentCellChanged, this, [this] { updateStatus(); });

    loadMessage_ = editor_.load(context_.state.AppDir, static_cast<int>(context_.state.UtilityNo));
    for (QPushButton* b : {add, copy, remove, save})
        b->setEnabled(editor_.writable());
    if (!editor_.writable())
        grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fill();
    resize(1300, 460);
    grid_->resizeColumnsToContents();
    grid_->setColumnWidth(kColUtility, std::max(grid_->columnWidth(kColUtility), 90));
    grid_->setColumnWidth(kColCategory, std::max(grid_->columnWidth(kColCategory), 150));
    grid_->setColumnWidth(kColName, std::max(grid_->columnWidth(kColName), 260));
    // The formula's drop-down takes the column's width: wide enough for the longest name.
    int formulaWidth = 0;
    for (Formula f :
         {Formula::Total_Natsu_Sonota, Formula::Total_Holiday_Natsu_Sonota, Formula::Total_Peek_Hiru_Yakan_Y,
          Formula::Total_Kizibetu_1, Formula::Total_kizibet_Yakan_2, Formula::Total_Kizibetu_2,
          Formula::Total_Hokuden_1, Formula::Total_Hokuden_2})
        formulaWidth =
            std::max(formulaWidth, grid_->fontMetrics().horizontalAdvance(qs(formulaShortName(f))));
    grid_->setColumnWidth(kColFormula, std::max(grid_->columnWidth(kColFormula), formulaWidth + 48));
    grid_->setColumnWidth(kColVoltage, std::max(grid_->columnWidth(kColVoltage), 64));
}

void UserMenuEditorWindow::tellLoadProblems() {
    if (loadMessage_) {
        const Message m = *loadMessage_;
        loadMessage_.reset();
        context_.prompter.show(m);
    }
}

void UserMenuEditorWindow::fill() {
    const QSignalBlocker block(grid_);
    grid_->setRowCount(editor_.rowCount());
    QStringList lines;
    for (int r = 0; r < editor_.rowCount(); ++r) {
        lines << QString::number(UserMenuEditor::lineOf(r));
        fillRow(r);
    }
    grid_->setVerticalHeaderLabels(lines);
    updateStatus();
}

void UserMenuEditorWindow::updateStatus() {
    int unusable = 0;
    for (int r = 0; r < editor_.rowCount(); ++r)
        unusable += editor_.rowProblem(r).empty() ? 0 : 1;
    status_->setText(QStringLiteral("%1 行（使えない行 %2）%3")
                         .arg(editor_.rowCount())
                         .arg(unusable)
                         .arg(editor_.changed() ? QStringLiteral("　変更あり（未保存）") : QString()));
    // The reason of the row being edited is read here whole, wherever the grid is scrolled.
    const int row = grid_->currentRow();
    if (row >= 0 && row < editor_.rowCount() && !editor_.rowProblem(row).empty())
        status_->setText(status_->text() + QStringLiteral("　%1行目: ").arg(UserMenuEditor::lineOf(row)) +
                         qs(editor_.rowProblem(row)));
    grid_->resizeColumnToContents(kStatusColumn);
}

void UserMenuEditorWindow::fillRow(int row) {
    const QSignalBlocker block(grid_);
    const std::string problem = editor_.rowProblem(row);
    const QColor colour = problem.empty() ? QColor() : QColor::fromRgb(kUnusableColour);
    for (int c = 0; c <= kUserMenuColumns; ++c) {
        QTableWidgetItem* item = grid_->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            grid_->setItem(row, c, item);
        }
        if (c == kStatusColumn) {
            item->setText(problem.empty() ? QStringLiteral("使えます") : qs(problem));
            // A long reason is cut in the column: the whole of it shows under the pointer.
            item->setToolTip(problem.empty() ? QString() : qs(problem));
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        } else {
            item->setText(qs(editor_.field(row, c)));
            if (c >= kColDemand)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setBackground(colour.isValid() ? QBrush(colour) : QBrush());
    }
}

void UserMenuEditorWindow::cellChanged(int row, int column) {
    if (column >= kUserMenuColumns)
        return;
    QTableWidgetItem* item = grid_->item(row, column);
    const std::string text = item ? item->text().toStdString() : std::string();
    if (std::optional<Message> refusal = editor_.setField(row, column, text))
        context_.prompter.show(*refusal);
    fillRow(row);
    updateStatus();
}

void UserMenuEditorWindow::add() {
    const int row = editor_.addRow();
    fill();
    // The new row is filled in from its first cell.
    grid_->setCurrentCell(row, 0);
    grid_->scrollToItem(grid_->item(row, 0));
    grid_->setFocus(Qt::OtherFocusReason);
}

void UserMenuEditorWindow::copy() {
    const int row = grid_->currentRow();
    if (row < 0) {
        context_.prompter.show(notice("コピーする行を選んでください。", "選択エラー"));
        return;
    }
    const int copyRow = editor_.copyRow(row);
    fill();
    grid_->setCurrentCell(copyRow, kColName);
}

void UserMenuEditorWindow::remove() {
    const int row = grid_->currentRow();
    if (row < 0) {
        context_.prompter.show(notice("削除する行を選んでください。", "選択エラー"));
        return;
    }
    if (context_.prompter.show(
            confirm(std::to_string(UserMenuEditor::lineOf(row)) + "行目を削除しますか。")) == Answer::Cancel)
        return;
    editor_.removeRow(row);
    fill();
}

void UserMenuEditorWindow::save() {
    const Message result = editor_.save(context_.prompter);
    // Read again, the file may be one that is only shown.
    if (!editor_.writable()) {
        grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        for (const char* name : {"CommandAdd", "CommandCopy", "CommandDelete", "CommandSave"})
            if (auto* b = findChild<QPushButton*>(QLatin1String(name)))
                b->setEnabled(false);
    }
    fill();
    context_.prompter.show(result);
    // The results window lists the menus as now saved.
    if (!editor_.changed())
        if (QWidget* total = context_.window("Total"))
            QMetaObject::invokeMethod(total, "reloadUserMenus", Q_ARG(bool, false));
}

void UserMenuEditorWindow::closeEvent(QCloseEvent* event) {
    if (editor_.changed() &&
        context_.prompter.show(confirm("変更を保存していません。保存せずに閉じますか。")) == Answer::Cancel) {
        event->ignore();
        return;
    }
    event->accept();
}

namespace {
const ui::WindowRegistrar registrar("UserMenuEditor", [](ui::GuiContext& context) -> QWidget* {
    auto* window = new UserMenuEditorWindow(context);
    // The list of unreadable lines comes once the window is on the screen.
    QTimer::singleShot(0, window, [window] { window->tellLoadProblems(); });
    return window;
});
} // namespace

} // namespace wattorio::tariffs
