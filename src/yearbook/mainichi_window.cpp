#include "yearbook/mainichi_window.h"

#include "calc/aggregation.h"
#include "calc/total_window.h"
#include "reports/analysis.h"
#include "ui/flex_grid.h"
#include "ui/number_field.h"
#include "ui/widgets.h"
#include "yearbook/heatmap_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace wattorio::yearbook {

namespace {

using ui::button;
using ui::qs;

ui::WindowRegistrar registrar("Mainichi",
                              [](ui::GuiContext& c) -> QWidget* { return new MainichiWindow(c); });

QLabel* label(QWidget* parent, const char* text, const char* objectName = nullptr) {
    auto* l = new QLabel(qs(text), parent);
    if (objectName)
        l->setObjectName(QLatin1String(objectName));
    return l;
}

// A caption with a run of blanks in it ("発電最大                    Kw") and its entry field laid
// over the blanks.
QLabel* captionWithField(QWidget* parent, const char* caption, const char* objectName, QLineEdit*& field) {
    auto* l = label(parent, caption);
    l->setMinimumHeight(24);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QString text = qs(caption);
    const int firstBlank = static_cast<int>(text.indexOf(QLatin1Char(' ')));
    int lastBlank = firstBlank;
    while (lastBlank + 1 < text.size() && text.at(lastBlank + 1) == QLatin1Char(' '))
        ++lastBlank;
    const QFontMetrics fm(l->font());
    const int x = fm.horizontalAdvance(text.left(firstBlank + 1));
    const int width = std::max(fm.horizontalAdvance(text.mid(firstBlank, lastBlank - firstBlank - 1)), 48);
    const int end = x + width + fm.horizontalAdvance(text.mid(lastBlank)) + 4;
    l->setMinimumWidth(end);
    field = new QLineEdit(l);
    field->setObjectName(QLatin1String(objectName));
    field->setGeometry(x, 1, width, 22);
    field->setAlignment(Qt::AlignRight);
    ui::numberField(field);
    // The caption's tail moves right when the field is wider than the blanks.
    if (width > fm.horizontalAdvance(text.mid(firstBlank, lastBlank - firstBlank - 1))) {
        const int extra = width - fm.horizontalAdvance(text.mid(firstBlank, lastBlank - firstBlank - 1));
        const int spaces = extra / std::max(fm.horizontalAdvance(QLatin1Char(' ')), 1) + 1;
        l->setText(text.left(lastBlank + 1) + QString(spaces, QLatin1Char(' ')) + text.mid(lastBlank + 1));
    }
    return l;
}

void setTextIfChanged(QLineEdit* e, const std::string& text) {
    const QString t = qs(text);
    if (e->text() != t)
        e->setText(t);
}

} // namespace

MainichiWindow::MainichiWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context), bookPath_(context.state.SiteDataPath),
      form_(context.state, context.prompter) {
    setObjectName(QStringLiteral("Mainichi"));
    setAttribute(Qt::WA_DeleteOnClose);
    form_.setBusyHook([](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    build();
    form_.Form_Load();
    grid_->gridModel()->reset();
    grid_->applySizes();
    refresh();
    context_.yearBook = &form_;
}

MainichiWindow::~MainichiWindow() {
    if (context_.yearBook == &form_)
        context_.yearBook = nullptr;
    // The grid shows the form's cells: it goes before the form does.
    delete grid_;
    grid_ = nullptr;
}

void MainichiWindow::build() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 4, 6, 6);
    outer->setSpacing(4);

    auto* bar = new QMenuBar(this);
    QAction* clearAll = bar->addAction(qs("全データクリアー"));
    clearAll->setObjectName(QStringLiteral("Dat_Cls"));
    QMenu* view = bar->addMenu(qs("表 示"));
    view->setObjectName(QStringLiteral("Hyouji"));
    QAction* energy = view->addAction(qs("電力量"));
    energy->setObjectName(QStringLiteral("Denriyoku_Crt"));
    QAction* generation = view->addAction(qs("発電量"));
    generation->setObjectName(QStringLiteral("Ag_Kw"));
    QAction* heat = view->addAction(qs("ヒートマップ"));
    heat->setObjectName(QStringLiteral("Heatmap"));
    // 元に戻す and the clipboard work wherever the focus is in the book.
    auto* undo = new QAction(qs("元に戻す"), this);
    undo->setObjectName(QStringLiteral("Undo"));
    undo->setShortcut(QKeySequence::Undo);
    bar->addAction(undo);
    addAction(undo);
    auto* copy = new QAction(qs("コピー"), this);
    copy->setObjectName(QStringLiteral("CopyBlock"));
    copy->setShortcut(QKeySequence::Copy);
    addAction(copy);
    auto* paste = new QAction(qs("貼り付け"), this);
    paste->setObjectName(QStringLiteral("PasteBlock"));
    paste->setShortcut(QKeySequence::Paste);
    addAction(paste);
    connect(undo, &QAction::triggered, this, [this] { run([this] { form_.undo(); }); });
    connect(copy, &QAction::triggered, this, [this] { copyBlock(); });
    connect(paste, &QAction::triggered, this, [this] {
        const std::string text = QGuiApplication::clipboard()->text().toStdString();
        run([&] { form_.pasteText(text); });
    });
    outer->setMenuBar(bar);
    connect(heat, &QAction::triggered, this, &MainichiWindow::showHeatmap);
    connect(clearAll, &QAction::triggered, this, [this] { run([this] { form_.Dat_Cls_Click(); }); });
    connect(energy, &QAction::triggered, this, [this] { run([this] { form_.Denriyoku_Crt_Click(); }); });
    connect(generation, &QAction::triggered, this, [this] { run([this] { form_.Ag_Kw_Click(); }); });

    // Heading: title, utility, site, demand, view.
    auto* head = new QHBoxLayout;
    label1_ = label(this, "", "Label1");
    QFont big = label1_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    label1_->setFont(big);
    label1_->setStyleSheet(QStringLiteral("QLabel { background: #000080; color: white; padding: 2px 8px; }"));
    head->addWidget(label1_);
    label13_ = label(this, "", "Label13");
    label13_->setFrameShape(QFrame::Panel);
    label13_->setFrameShadow(QFrame::Sunken);
    label13_->setMinimumWidth(110);
    label13_->setAlignment(Qt::AlignCenter);
    head->addWidget(label13_);
    label6_ = label(this, "", "Label6");
    label6_->setFrameShape(QFrame::Panel);
    label6_->setFrameShadow(QFrame::Sunken);
    head->addWidget(label6_, 1);
    label11_ = label(this, "", "Label11");
    label11_->setFrameShape(QFrame::Panel);
    label11_->setFrameShadow(QFrame::Sunken);
    label11_->setMinimumWidth(130);
    head->addWidget(label11_);
    label17_ = label(this, "", "Label17");
    QFont bold = label17_->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    label17_->setFont(bold);
    label17_->setMinimumWidth(110);
    label17_->setAlignment(Qt::AlignCenter);
    head->addWidget(label17_);
    outer->addLayout(head);

    grid_ = new ui::FlexGrid(form_.grid(), this);
    grid_->setObjectName(QStringLiteral("MSFlexGrid1"));
    // The narrow label columns (400 twips for three digits) want the grid's usual small type.
    QFont small = grid_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    grid_->setFont(small);
    grid_->setTextElideMode(Qt::ElideNone);
    // The day's weekday stays in view with its date while the hours scroll.
    grid_->setFrozenCols(4);
    outer->addWidget(grid_, 1);
    connect(grid_, &ui::FlexGrid::cellClicked, this,
            [this](int row, int col) { run([&] { form_.MSFlexGrid1_Click(row, col); }); });
    connect(grid_, &ui::FlexGrid::selectionEnded, this,
            [this](int row, int col) { form_.MSFlexGrid1_MouseUp(row, col); });

    auto* bottom = new QHBoxLayout;
    outer->addLayout(bottom);

    // Entry field and block operations.
    auto* edit = new QGridLayout;
    label2_ = label(this, "", "Label2");
    label2_->setMinimumWidth(260);
    label2_->setFrameShape(QFrame::Panel);
    label2_->setFrameShadow(QFrame::Sunken);
    edit->addWidget(label2_, 0, 0, 1, 3);
    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setToolTip(qs("１時間ごどの電力データを入力　　ﾘﾀｰﾝｷｰで書き込み"));
    text1_->setAlignment(Qt::AlignRight);
    ui::readingField(text1_);
    text1_->installEventFilter(this);
    connect(text1_, &QLineEdit::textEdited, this,
            [this](const QString& t) { form_.text1 = t.toStdString(); });
    edit->addWidget(text1_, 1, 0);
    auto* command4 = button(this, "Command4", "書き込み");
    edit->addWidget(command4, 1, 1);
    edit->addWidget(label(this, "←　→　キーで移動"), 1, 2);
    auto* command1 = button(this, "Command1", "行選択");
    edit->addWidget(command1, 2, 0);
    check2_ = new QCheckBox(qs("一行"), this);
    check2_->setObjectName(QStringLiteral("Check2"));
    edit->addWidget(check2_, 2, 1);
    auto* command2 = button(this, "Command2", "貼り付け");
    edit->addWidget(command2, 3, 0);
    auto* command3 = button(this, "Command3", "クリア");
    edit->addWidget(command3, 3, 1);
    edit->addWidget(label(this, "日電力量　　　　　　　　　　ｋＷｈ"), 4, 0, 1, 3);
    bottom->addLayout(edit);
    connect(command4, &QPushButton::clicked, this, [this] {
        form_.text1 = text1_->text().toStdString();
        run([this] { form_.Command4_Click(); });
    });
    connect(command1, &QPushButton::clicked, this, [this] { run([this] { form_.Command1_Click(); }); });
    connect(command2, &QPushButton::clicked, this, [this] { run([this] { form_.Command2_Click(); }); });
    connect(command3, &QPushButton::clicked, this, [this] { run([this] { form_.Command3_Click(); }); });
    connect(check2_, &QCheckBox::toggled, this, [this](bool on) { form_.check2 = on; });

    // Calendar.
    auto* calendar = new QGroupBox(qs("曜　日　設　定"), this);
    calendar->setObjectName(QStringLiteral("Frame1"));
    auto* cal = new QGridLayout(calendar);
    combo2_ = new QComboBox(calendar);
    combo2_->setObjectName(QStringLiteral("Combo2"));
    cal->addWidget(combo2_, 0, 0);
    cal->addWidget(label(calendar, "年"), 0, 1);
    label3_ = label(calendar, "", "Label3");
    label3_->setMinimumWidth(150);
    cal->addWidget(label3_, 1, 0, 1, 3);
    combo1_ = new QComboBox(calendar);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    for (const char* item : YearBookForm::kCombo1Items)
        combo1_->addItem(qs(item));
    cal->addWidget(combo1_, 2, 0);
    command13_ = button(calendar, "Command13", "曜日設定");
    cal->addWidget(command13_, 2, 1, 1, 2);
    auto* command6 = button(calendar, "Command6", "年間休日設定");
    cal->addWidget(command6, 3, 0);
    check1_ = new QCheckBox(qs("土曜日を休日に選択"), calendar);
    check1_->setObjectName(QStringLiteral("Check1"));
    cal->addWidget(check1_, 3, 1, 1, 2);
    check3_ = new QCheckBox(qs("内閣府の祝日を使う"), calendar);
    check3_->setObjectName(QStringLiteral("Check3"));
    check3_->setToolTip(qs("国民の祝日・振替休日・国民の休日を内閣府の一覧（syukujitsu.csv）から設定します"));
    cal->addWidget(check3_, 4, 0, 1, 3);
    bottom->addWidget(calendar);
    connect(check3_, &QCheckBox::toggled, this, [this](bool on) { form_.setOfficialCalendar(on); });
    connect(combo1_, &QComboBox::activated, this, [this](int i) { run([&] { form_.Combo1_Click(i); }); });
    connect(combo2_, &QComboBox::activated, this, [this](int i) { run([&] { form_.Combo2_Click(i); }); });
    connect(command13_, &QPushButton::clicked, this, [this] { run([this] { form_.Command13_Click(); }); });
    connect(command6, &QPushButton::clicked, this, [this] { run([this] { form_.Command6_Click(); }); });
    connect(check1_, &QCheckBox::toggled, this, [this](bool on) { form_.check1 = on; });

    // Generator.
    auto* generator = new QGroupBox(qs("発 電 設 備"), this);
    generator->setObjectName(QStringLiteral("Frame2"));
    auto* gen = new QGridLayout(generator);
    combo3_ = new QComboBox(generator);
    combo3_->setObjectName(QStringLiteral("Combo3"));
    combo3_->setEditable(true);
    combo4_ = new QComboBox(generator);
    combo4_->setObjectName(QStringLiteral("Combo4"));
    combo4_->setEditable(true);
    gen->addWidget(label(generator, "運転開始"), 0, 0);
    gen->addWidget(combo3_, 0, 1);
    gen->addWidget(label(generator, "運転終了"), 1, 0);
    gen->addWidget(combo4_, 1, 1);
    gen->addWidget(captionWithField(generator, "発電最大                    Kw", "Text2", text2_), 0, 2);
    gen->addWidget(captionWithField(generator, "発電最小                 kW", "Text3", text3_), 1, 2);
    gen->addWidget(captionWithField(generator, "電力供給最低電力                 kW", "Text4", text4_), 2, 0,
                   1, 3);
    auto* command10 = button(generator, "Command10", "計　算");
    gen->addWidget(command10, 3, 0, 1, 3);
    bottom->addWidget(generator);
    connect(combo3_, &QComboBox::editTextChanged, this,
            [this](const QString& t) { form_.combo3Text = t.toStdString(); });
    connect(combo4_, &QComboBox::editTextChanged, this,
            [this](const QString& t) { form_.combo4Text = t.toStdString(); });
    connect(text2_, &QLineEdit::textEdited, this,
            [this](const QString& t) { form_.text2 = t.toStdString(); });
    connect(text3_, &QLineEdit::textEdited, this,
            [this](const QString& t) { form_.text3 = t.toStdString(); });
    connect(text4_, &QLineEdit::textEdited, this,
            [this](const QString& t) { form_.text4 = t.toStdString(); });
    connect(command10, &QPushButton::clicked, this, [this] { run([this] { form_.Command10_Click(); }); });

    // The book's own buttons.
    auto* buttons = new QVBoxLayout;
    auto* command11 = button(this, "Command11", "ＣＳＶファイル読込");
    auto* command12 =
        button(this, "Command12", "インターバルデータ読込", "30 分値などを日付・時刻どおりに読み込みます");
    auto* command7 = button(this, "Command7", "電気代計算");
    auto* command8 = button(this, "Command8", "エクセル起動");
    auto* command5 = button(this, "Command5", "データ書き込み", "データを保存する");
    auto* command9 = button(this, "Command9", "終　了");
    auto* monthlyBill = button(this, "CommandMonthlyBill", "月別請求額",
                               "この物件のメーターデータを料金表で月ごとに計算します");
    for (QPushButton* b : {command11, command12, command7, command8, monthlyBill, command5, command9}) {
        b->setMinimumWidth(150);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    bottom->addLayout(buttons);
    connect(command11, &QPushButton::clicked, this, [this] { ui::showWindow(context_, "Load_CSV_Option"); });
    connect(command12, &QPushButton::clicked, this, [this] { ui::showWindow(context_, "IntervalImport"); });
    connect(monthlyBill, &QPushButton::clicked, this, [this] { ui::showWindow(context_, "MonthlyBill"); });
    connect(command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(command8, &QPushButton::clicked, this, [this] {
        context_.state.ExcelMode = 4;
        ui::showWindow(context_, "Excell");
    });
    connect(command5, &QPushButton::clicked, this, [this] { run([this] { form_.Command5_Click(); }); });
    connect(command9, &QPushButton::clicked, this, [this] { closeBook(); });

    resize(1180, 760);
}

template <class F> void MainichiWindow::run(F&& operation) {
    // The book saves where it came from, whatever the main screen did since.
    context_.state.SiteDataPath = bookPath_;
    operation();
    refresh();
    applyRequests();
}

void MainichiWindow::refresh() {
    setWindowTitle(qs(form_.title));
    label1_->setText(qs(form_.label1));
    label2_->setText(qs(form_.label2));
    label3_->setText(qs(form_.label3));
    label6_->setText(qs(form_.label6));
    label11_->setText(qs(form_.label11));
    label13_->setText(qs(form_.label13));
    label17_->setText(qs(form_.label17));
    setTextIfChanged(text1_, form_.text1);
    setTextIfChanged(text2_, form_.text2);
    setTextIfChanged(text3_, form_.text3);
    setTextIfChanged(text4_, form_.text4);

    combo1_->setCurrentIndex(form_.combo1Index);
    if (combo2_->count() != static_cast<int>(form_.combo2Items.size())) {
        combo2_->clear();
        for (const std::string& year : form_.combo2Items)
            combo2_->addItem(qs(year));
    }
    combo2_->setCurrentIndex(form_.combo2Index);
    for (QComboBox* c : {combo3_, combo4_}) {
        if (c->count() != static_cast<int>(form_.hourItems.size())) {
            const QSignalBlocker block(c);
            c->clear();
            for (const std::string& h : form_.hourItems)
                c->addItem(qs(h));
        }
    }
    if (combo3_->currentText() != qs(form_.combo3Text))
        combo3_->setEditText(qs(form_.combo3Text));
    if (combo4_->currentText() != qs(form_.combo4Text))
        combo4_->setEditText(qs(form_.combo4Text));
    {
        const QSignalBlocker b1(check1_);
        const QSignalBlocker b2(check2_);
        const QSignalBlocker b3(check3_);
        check3_->setChecked(form_.officialCalendar());
        check1_->setChecked(form_.check1);
        check2_->setChecked(form_.check2);
    }
    command13_->setEnabled(form_.command13Enabled);
}

void MainichiWindow::applyRequests() {
    const int scroll = form_.takeScrollRequest();
    switch (form_.takeFocusRequest()) {
    case FocusRequest::Text1:
        text1_->setFocus();
        text1_->end(false);
        break;
    case FocusRequest::Combo1:
        combo1_->setFocus();
        break;
    case FocusRequest::None:
        break;
    }
    if (scroll >= 0) {
        grid_->selectCell(form_.selRow(), form_.selCol());
        grid_->scrollToColumn(scroll);
    }
}

void MainichiWindow::copyBlock() {
    ui::copySelectedBlock(*grid_,
                          [this](int r0, int c0, int r1, int c1) { return form_.copyBlock(r0, c0, r1, c1); });
}

bool MainichiWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text1_ && event->type() == QEvent::ShortcutOverride) {
        // While the field holds no edit of its own (it shows the cell as it is), undo, copy and
        // paste are the book's, not the field's.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool bookKey = key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Copy) ||
                             key->matches(QKeySequence::Paste);
        const std::string cell =
            form_.text1Active() ? form_.grid().text(form_.selRow(), form_.selCol()) : std::string();
        if (bookKey && text1_->text().toStdString() == cell) {
            event->ignore();
            return true;
        }
        return false;
    }
    if (watched == text1_ && event->type() == QEvent::FocusIn) {
        // The caret goes to the end of the text whenever the field gets the focus.
        QTimer::singleShot(0, text1_, [e = text1_] { e->end(false); });
    }
    if (watched != text1_ || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    form_.text1 = text1_->text().toStdString();
    // Key down: the arrows move between the hours of the selected day.
    const ArrowKey arrow = key->key() == Qt::Key_Left    ? ArrowKey::Left
                           : key->key() == Qt::Key_Right ? ArrowKey::Right
                                                         : ArrowKey::Other;
    const bool moved = form_.Text1_KeyDown(arrow);
    if (moved) {
        refresh();
        applyRequests();
        // The highlight follows the cell the field now edits.
        grid_->selectCell(form_.selRow(), form_.selCol());
        text1_->setFocus();
        text1_->end(false);
        return true;
    }
    // Key press: the characters typed (Enter and Backspace included; Tab, Delete and the field's
    // own editing keys with Ctrl are no characters of the field).
    int code = -1;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        code = kKeyEnter;
    else if (key->key() == Qt::Key_Backspace)
        code = kKeyBackspace;
    else if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab && key->key() != Qt::Key_Delete &&
             !(key->modifiers() & Qt::ControlModifier) && !key->text().isEmpty())
        code = key->text().at(0).unicode();
    if (code == '.') {
        // A point typed over a selection replaces it: the text left is what counts.
        QString rest = text1_->text();
        if (text1_->hasSelectedText())
            rest.remove(text1_->selectionStart(), text1_->selectedText().size());
        form_.text1 = rest.toStdString();
    }
    const bool keep = code < 0 || form_.Text1_KeyPress(code);
    form_.text1 = code == kKeyEnter ? form_.text1 : text1_->text().toStdString();
    if (!keep && code != kKeyEnter && form_.text1Active())
        QApplication::beep();
    refresh();
    return !keep;
}

void MainichiWindow::Command7_Click() {
    if (!form_.saveIfEdited()) {
        refresh();
        return;
    }
    refresh();
    if (std::optional<Message> refusal = calc::utilityRefusal(context_.state)) {
        context_.prompter.show(*refusal);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    calc::runMonthTotals(context_.state);
    reports::Demd(context_.state);
    reports::Heikin(context_.state);
    QApplication::restoreOverrideCursor();
    // An open results window follows the new calculation, keeping the chosen menu and rates.
    if (auto* results = qobject_cast<calc::TotalWindow*>(ui::showWindow(context_, "Total")))
        results->refreshFromTotals(true);
}

void MainichiWindow::showHeatmap() {
    if (!heatmap_) {
        heatmap_ = new YearHeatmap;
        heatmap_->setObjectName(QStringLiteral("YearHeatmap"));
        heatmap_->setAttribute(Qt::WA_DeleteOnClose);
        connect(heatmap_, &YearHeatmap::cellClicked, this, [this](int row, int col) {
            run([&] { form_.MSFlexGrid1_Click(row, col); });
            grid_->selectCell(row, col);
        });
    }
    if (form_.viewMode() == kEnergyView) {
        heatmap_->refreshFromGrid(form_.grid(), context_.state);
        heatmap_->setScaleTitle(QStringLiteral("kWh"));
    } else {
        heatmap_->refresh(context_.state);
        heatmap_->setScaleTitle(qs(kHeatmapScaleTitle));
    }
    heatmap_->setCurrentCell(form_.selRow(), form_.selCol());
    heatmap_->resize(heatmap_->sizeHint());
    heatmap_->show();
    heatmap_->raise();
}

bool MainichiWindow::closeBook() {
    context_.state.SiteDataPath = bookPath_;
    if (!form_.Command9_Click()) {
        refresh();
        return false;
    }
    if (heatmap_)
        heatmap_->close();
    // The spreadsheet and results windows go with the book; they keep nothing to save.
    if (QWidget* excel = context_.window("Excell")) {
        excel->hide();
        excel->deleteLater();
    }
    if (QWidget* total = context_.window("Total")) {
        if (auto* results = qobject_cast<calc::TotalWindow*>(total)) {
            results->closeFromProgram();
        } else {
            total->hide();
            total->deleteLater();
        }
    }
    closing_ = true;
    close();
    return true;
}

void MainichiWindow::closeEvent(QCloseEvent* event) {
    // The close box does nothing: only "終　了" closes the book.
    if (!closing_) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace wattorio::yearbook
