#include "tenday/nenkan_window.h"

#include "calc/total_window.h"

#include "ui/flex_grid.h"
#include "ui/number_field.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace wattorio::tenday {

namespace {

using ui::button;
using ui::qs;

QLineEdit* field(QWidget* parent, const char* objectName, int width) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(objectName));
    e->setFixedWidth(width);
    return e;
}

QLabel* label(QWidget* parent, const char* objectName, const char* text, int width) {
    auto* l = new QLabel(qs(text), parent);
    l->setObjectName(QLatin1String(objectName));
    if (width > 0)
        l->setFixedWidth(width);
    return l;
}

// The hourglass for the length of one operation.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

ui::WindowRegistrar registration("Nenkan", [](ui::GuiContext& c) -> QWidget* { return new NenkanWindow(c); });

} // namespace

NenkanWindow::NenkanWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(context.state) {
    setObjectName(QStringLiteral("Nenkan"));
    setAttribute(Qt::WA_DeleteOnClose);
    std::optional<Message> loadProblem;
    {
        WaitCursor wait;
        loadProblem = form_.Form_Load();
    }
    setWindowTitle(qs(form_.caption()));

    auto* layout = new QVBoxLayout(this);
    // Which site's book is open.
    auto* head = new QHBoxLayout;
    auto* heading = label(this, "Label4", " １ ０ 日 集 計 電 力 量 ", 0);
    QFont big = heading->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    heading->setFont(big);
    heading->setStyleSheet(QStringLiteral("QLabel { background: #000080; color: white; padding: 2px 8px; }"));
    head->addWidget(heading);
    auto* utility = label(this, "Label13", form_.utilityLabel().c_str(), 0);
    utility->setFrameShape(QFrame::Panel);
    utility->setFrameShadow(QFrame::Sunken);
    utility->setMinimumWidth(110);
    utility->setAlignment(Qt::AlignCenter);
    head->addWidget(utility);
    auto* site = label(this, "Label6", form_.siteLabel().c_str(), 0);
    site->setFrameShape(QFrame::Panel);
    site->setFrameShadow(QFrame::Sunken);
    head->addWidget(site, 1);
    layout->addLayout(head);
    grid_ = new ui::FlexGrid(form_.grid(), this);
    grid_->setObjectName(QStringLiteral("MSFlexGrid1"));
    grid_->setMinimumHeight(520);
    // The grid's widths are set in twips for a small face: the period labels of "日付" fit at 8 points.
    QFont gridFont = grid_->font();
    gridFont.setPointSize(8);
    grid_->setFont(gridFont);
    layout->addWidget(grid_, 1);

    auto* fields = new QGridLayout;
    label1_ = label(this, "Label1", "", 40);
    label1_->setAlignment(Qt::AlignCenter);
    label1_->setFrameShape(QFrame::Panel);
    label1_->setFrameShadow(QFrame::Sunken);
    text1_ = field(this, "Text1", 70);
    text2_ = field(this, "Text2", 140);
    text3_ = field(this, "Text3", 50);
    ui::numberField(text3_);
    auto* label3 = label(this, "Label3", "日", 0);
    auto* command3 = button(this, "Command3", "書き込み");
    // Captions over the fields: what each one writes.
    const std::pair<const char*, const char*> captions[] = {
        {"Caption1", "No"}, {"Caption2", "月"}, {"Caption3", "日付"}, {"Caption4", "日数"}};
    for (int i = 0; i < 4; ++i)
        fields->addWidget(label(this, captions[i].first, captions[i].second, 0), 0, i);
    fields->addWidget(label1_, 1, 0);
    fields->addWidget(text1_, 1, 1);
    fields->addWidget(text2_, 1, 2);
    fields->addWidget(text3_, 1, 3);
    fields->addWidget(label3, 1, 4);
    fields->addWidget(command3, 1, 5);

    label2_ = label(this, "Label2", "", 180);
    label2_->setFrameShape(QFrame::Panel);
    label2_->setFrameShadow(QFrame::Sunken);
    text5_ = field(this, "Text5", 100);
    text5_->setToolTip(qs("１時間ごとの電力量（kWh）を入力　　ﾘﾀｰﾝｷｰで書き込み"));
    ui::readingField(text5_);
    text5_->setContextMenuPolicy(Qt::NoContextMenu);
    text5_->setAcceptDrops(false);
    auto* command4 = button(this, "Command4", "書き込み");
    fields->addWidget(label2_, 2, 0, 1, 2);
    fields->addWidget(text5_, 2, 2);
    fields->addWidget(label(this, "Label5", "kWh", 0), 2, 3);
    fields->addWidget(command4, 2, 5);
    fields->setColumnStretch(6, 1);
    layout->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    auto* command6 = button(this, "Command6", "行選択");
    auto* command7 = button(this, "Command7", "貼り付け");
    auto* command2 = button(this, "Command2", "クリア");
    auto* undoButton = button(this, "UndoButton", "元に戻す", "Ctrl+Z");
    auto* command1 = button(this, "Command1", "データ書込");
    auto* command8 = button(this, "Command8", "電気代計算");
    auto* command9 = button(this, "Command9", "エクセル起動");
    auto* command10 = button(this, "Command10", "ＣＳＶ読込");
    auto* command5 = button(this, "Command5", "終　了");
    for (QPushButton* b : {command6, command7, command2, undoButton})
        buttons->addWidget(b);
    buttons->addSpacing(24);
    for (QPushButton* b : {command1, command8, command9, command10})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(command5);
    layout->addLayout(buttons);

    resize(1180, 760);

    connect(grid_, &ui::FlexGrid::cellClicked, this, &NenkanWindow::MSFlexGrid1_Click);
    connect(grid_, &ui::FlexGrid::selectionEnded, this,
            [this](int row, int col) { form_.MSFlexGrid1_MouseUp(row, col); });
    connect(command1, &QPushButton::clicked, this, &NenkanWindow::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &NenkanWindow::Command2_Click);
    connect(command3, &QPushButton::clicked, this, &NenkanWindow::Command3_Click);
    connect(command4, &QPushButton::clicked, this, &NenkanWindow::Command4_Click);
    connect(command5, &QPushButton::clicked, this, &NenkanWindow::Command5_Click);
    connect(command6, &QPushButton::clicked, this, &NenkanWindow::Command6_Click);
    connect(command7, &QPushButton::clicked, this, &NenkanWindow::Command7_Click);
    connect(command8, &QPushButton::clicked, this, &NenkanWindow::Command8_Click);
    connect(command9, &QPushButton::clicked, this, &NenkanWindow::Command9_Click);
    connect(command10, &QPushButton::clicked, this, &NenkanWindow::Command10_Click);
    text5_->installEventFilter(this);

    // 元に戻す and the clipboard work wherever the focus is in the book.
    auto* undo = new QAction(qs("元に戻す"), this);
    undo->setObjectName(QStringLiteral("Undo"));
    undo->setShortcut(QKeySequence::Undo);
    auto* copy = new QAction(qs("コピー"), this);
    copy->setObjectName(QStringLiteral("CopyBlock"));
    copy->setShortcut(QKeySequence::Copy);
    auto* paste = new QAction(qs("貼り付け"), this);
    paste->setObjectName(QStringLiteral("PasteBlock"));
    paste->setShortcut(QKeySequence::Paste);
    addActions({undo, copy, paste});
    connect(undo, &QAction::triggered, this, &NenkanWindow::undo);
    connect(undoButton, &QPushButton::clicked, this, &NenkanWindow::undo);
    connect(copy, &QAction::triggered, this, &NenkanWindow::copyBlock);
    connect(paste, &QAction::triggered, this, &NenkanWindow::pasteBlock);

    refreshFields();
    context_.tenDay = &form_;
    if (loadProblem)
        showMessage(*loadProblem);
}

NenkanWindow::~NenkanWindow() {
    if (context_.tenDay == &form_)
        context_.tenDay = nullptr;
    // The grid view reads the form's cells until it is gone: it goes before the form does.
    delete grid_;
}

void NenkanWindow::refreshFields() {
    text1_->setText(qs(form_.Text1));
    text2_->setText(qs(form_.Text2));
    text3_->setText(qs(form_.Text3));
    text5_->setText(qs(form_.Text5));
    label1_->setText(qs(form_.Label1));
    label2_->setText(qs(form_.Label2));
}

void NenkanWindow::takeFields() {
    form_.Text1 = text1_->text().toStdString();
    form_.Text2 = text2_->text().toStdString();
    form_.Text3 = text3_->text().toStdString();
    form_.Text5 = text5_->text().toStdString();
}

void NenkanWindow::showMessage(const Message& message) {
    context_.prompter.show(message);
}

void NenkanWindow::MSFlexGrid1_Click(int row, int col) {
    takeFields();
    const bool hourCell = form_.MSFlexGrid1_Click(row, col);
    refreshFields();
    if (hourCell)
        text5_->setFocus(Qt::MouseFocusReason);
}

void NenkanWindow::Command1_Click() {
    std::optional<Message> done;
    {
        WaitCursor wait;
        takeFields();
        done = form_.save();
    }
    showMessage(*done);
}

void NenkanWindow::Command2_Click() {
    form_.clearArea();
    refreshFields();
}

void NenkanWindow::Command3_Click() {
    takeFields();
    form_.writeLabels();
}

void NenkanWindow::Command4_Click() {
    takeFields();
    form_.writeValue();
}

void NenkanWindow::Command5_Click() {
    std::optional<Message> failed;
    {
        WaitCursor wait;
        failed = form_.finish();
    }
    if (failed) {
        showMessage(*failed);
        return;
    }
    close();
}

void NenkanWindow::Command6_Click() {
    form_.markArea();
}

void NenkanWindow::Command7_Click() {
    form_.paste();
    refreshFields();
}

void NenkanWindow::Command8_Click() {
    std::optional<Message> refused;
    {
        WaitCursor wait;
        refused = form_.calculate();
    }
    if (refused) {
        showMessage(*refused);
        return;
    }
    // An open results window follows the new totals, keeping the chosen menu and rates.
    if (auto* results = qobject_cast<calc::TotalWindow*>(ui::showWindow(context_, "Total")))
        results->refreshFromTotals(false);
}

void NenkanWindow::Command9_Click() {
    form_.openExcel();
    ui::showWindow(context_, "Excell");
}

QString NenkanWindow::openCsvDialog() {
    return QFileDialog::getOpenFileName(this, qs("ＣＳＶ読込"), qs(context_.state.AppDir),
                                        qs("CSVファイル(*.csv)"));
}

void NenkanWindow::Command10_Click() {
    const QString chosen = (chooseCsv_ ? chooseCsv_() : openCsvDialog()).trimmed();
    if (chosen.isEmpty())
        return;
    std::optional<Message> done;
    {
        WaitCursor wait;
        done = form_.importCsv(chosen.toStdString());
    }
    showMessage(*done);
}

void NenkanWindow::undo() {
    takeFields();
    form_.undo();
    refreshFields();
}

void NenkanWindow::copyBlock() {
    ui::copySelectedBlock(*grid_,
                          [this](int r0, int c0, int r1, int c1) { return form_.copyBlock(r0, c0, r1, c1); });
}

void NenkanWindow::pasteBlock() {
    takeFields();
    const std::optional<Message> refused =
        form_.pasteText(QGuiApplication::clipboard()->text().toStdString());
    refreshFields();
    if (refused)
        showMessage(*refused);
}

bool NenkanWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != text5_)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // While the field shows the cell as it is, undo, copy and paste are the book's.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool bookKey = key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Copy) ||
                             key->matches(QKeySequence::Paste);
        const bool hourCell = form_.Sel_Row >= 1 && form_.Sel_Col >= kFirstHourCol;
        const std::string cell = hourCell ? form_.grid().text(form_.Sel_Row, form_.Sel_Col) : std::string();
        if (bookKey && text5_->text().toStdString() == cell) {
            event->ignore();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, text5_, [edit = text5_] { edit->end(false); });
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    // Digits and Backspace only; Enter writes the value. Keys without a character (arrows,
    // Delete, Home, End) keep their usual effect in the field.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        takeFields();
        if (!form_.writeValue() && form_.Sel_Row >= 1 && form_.Sel_Col >= kFirstHourCol)
            QApplication::beep();
        return true;
    }
    // Backspace, and the field's own editing keys with Ctrl (select all, its own undo), pass.
    if (key->key() == Qt::Key_Backspace || (key->modifiers() & Qt::ControlModifier))
        return false;
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    const QList<uint> chars = text.toUcs4();
    // A point typed over a selection replaces it: the text left is what counts.
    QString rest = text5_->text();
    if (text5_->hasSelectedText())
        rest.remove(text5_->selectionStart(), text5_->selectedText().size());
    if (chars.size() == 1 &&
        TenDayForm::Text5_Accepts(static_cast<char32_t>(chars.front()), rest.toStdString()))
        return false;
    QApplication::beep();
    return true;
}

} // namespace wattorio::tenday
