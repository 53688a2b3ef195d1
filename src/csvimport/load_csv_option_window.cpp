#include "csvimport/load_csv_option_window.h"

#include "ui/number_field.h"
#include "ui/widgets.h"
#include "yearbook/year_book_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace wattorio::csvimport {

namespace {

using ui::qs;

QLabel* label(QWidget* parent, const char* objectName, const char* text) {
    auto* l = new QLabel(qs(text), parent);
    l->setObjectName(QLatin1String(objectName));
    return l;
}

QLineEdit* field(QWidget* parent, const char* objectName, int width) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(objectName));
    if (width > 0)
        e->setFixedWidth(width);
    return e;
}

void setTextKeepingCaret(QLineEdit* edit, const std::string& text) {
    const QString t = qs(text);
    if (edit->text() != t)
        edit->setText(t);
}

void setItems(QComboBox* combo, const std::vector<std::string>& items) {
    bool same = combo->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < combo->count(); ++i)
        same = combo->itemText(i) == qs(items[static_cast<std::size_t>(i)]);
    if (same)
        return;
    combo->clear();
    for (const std::string& item : items)
        combo->addItem(qs(item));
}

// The hourglass for the length of the import.
class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

// The file name from the dialog, blanks trimmed.
std::string trimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

} // namespace

LoadCsvOptionWindow::LoadCsvOptionWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("Load_CSV_Option"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs(kCsvFormCaption));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(8);

    // 種別
    auto* frame = new QGroupBox(qs("種　別"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* frameLayout = new QHBoxLayout(frame);
    option1_ = new QRadioButton(qs("立行を読む"), frame);
    option1_->setObjectName(QStringLiteral("Option1"));
    option2_ = new QRadioButton(qs("横行を読む"), frame);
    option2_->setObjectName(QStringLiteral("Option2"));
    layoutGroup_ = new QButtonGroup(this);
    layoutGroup_->addButton(option1_);
    layoutGroup_->addButton(option2_);
    check3_ = new QCheckBox(qs("複数日の読込み"), frame);
    check3_->setObjectName(QStringLiteral("Check3"));
    check3_->setToolTip(qs(kCsvCheck3Tip));
    frameLayout->addWidget(option1_);
    frameLayout->addWidget(option2_);
    frameLayout->addSpacing(16);
    frameLayout->addWidget(check3_);
    frameLayout->addStretch();
    outer->addWidget(frame);

    // 読み込み開始日付選択
    outer->addWidget(label(this, "Label5", "読み込み開始日付選択"));
    auto* dateRow = new QHBoxLayout;
    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setMinimumWidth(70);
    combo2_ = new QComboBox(this);
    combo2_->setObjectName(QStringLiteral("Combo2"));
    combo2_->setMinimumWidth(70);
    label1_ = label(this, "Label1", "");
    label1_->setMinimumWidth(120);
    label1_->setFrameShape(QFrame::Panel);
    label1_->setFrameShadow(QFrame::Sunken);
    dateRow->addWidget(combo1_);
    dateRow->addWidget(label(this, "Label3", "月"));
    dateRow->addSpacing(8);
    dateRow->addWidget(combo2_);
    dateRow->addWidget(label(this, "Label8", "日"));
    dateRow->addSpacing(16);
    dateRow->addWidget(label1_);
    dateRow->addStretch();
    outer->addLayout(dateRow);

    // 最初のデータ位置指定
    outer->addWidget(label(this, "Label11", "最初のデータ位置指定"));
    auto* position = new QGridLayout;
    text1_ = field(this, "Text1", 80);
    text3_ = field(this, "Text3", 80);
    text4_ = field(this, "Text4", 80);
    for (QLineEdit* e : {text1_, text3_, text4_})
        ui::numberField(e);
    position->addWidget(label(this, "Label2", "上からのデータ位置"), 0, 0);
    position->addWidget(text1_, 0, 1);
    position->addWidget(label(this, "Label9", "行目"), 0, 2);
    position->addWidget(label(this, "Label4", "左からのデータ位置"), 1, 0);
    position->addWidget(text3_, 1, 1);
    position->addWidget(label(this, "Label10", "列目"), 1, 2);
    position->addWidget(label(this, "Label6", "取り込み日数"), 2, 0);
    position->addWidget(text4_, 2, 1);
    position->addWidget(label(this, "Label7", "日"), 2, 2);
    position->setColumnStretch(3, 1);
    outer->addLayout(position);
    preview_ = label(this, "FirstLinePreview", "");
    preview_->setTextFormat(Qt::PlainText);
    preview_->setWordWrap(true);
    preview_->setFrameShape(QFrame::Panel);
    preview_->setFrameShadow(QFrame::Sunken);
    outer->addWidget(preview_);

    // File name
    QLabel* fileLabel = label(this, "Label12", "読み込むファイル名");
    outer->addWidget(fileLabel);
    text2_ = field(this, "Text2", 0);
    fileLabel->setBuddy(text2_);
    text2_->setMinimumWidth(380);
    outer->addWidget(text2_);
    auto* nameRow = new QHBoxLayout;
    check1_ = new QCheckBox(qs("ファイルネーム有効"), this);
    check1_->setObjectName(QStringLiteral("Check1"));
    check2_ = new QCheckBox(qs("ファイルネーム自動"), this);
    check2_->setObjectName(QStringLiteral("Check2"));
    nameRow->addWidget(check1_);
    nameRow->addWidget(check2_);
    nameRow->addStretch();
    outer->addLayout(nameRow);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    outer->addWidget(progress_);

    auto* buttons = new QHBoxLayout;
    auto* command1 = new QPushButton(qs("CSV読み込み"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command4_ = new QPushButton(qs("基本シートフォマット"), this);
    command4_->setObjectName(QStringLiteral("Command4"));
    command4_->setToolTip(qs(kCsvCommand4Tip));
    auto* command2 = new QPushButton(qs("終　了"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    buttons->addWidget(command1);
    buttons->addWidget(command4_);
    buttons->addStretch();
    buttons->addWidget(command2);
    outer->addLayout(buttons);

    for (QLineEdit* e : {text1_, text2_, text3_, text4_})
        e->installEventFilter(this);

    connect(option1_, &QRadioButton::clicked, this, [this](bool on) {
        if (on)
            form_.Option1_Click();
        refresh();
    });
    connect(option2_, &QRadioButton::clicked, this, [this](bool on) {
        if (on)
            form_.Option2_Click();
        refresh();
    });
    connect(check3_, &QCheckBox::clicked, this, [this](bool on) {
        form_.Check3_Click(on);
        refresh();
    });
    connect(check1_, &QCheckBox::clicked, this, [this](bool on) {
        form_.Check1_Click(on);
        refresh();
    });
    connect(check2_, &QCheckBox::clicked, this, [this](bool on) {
        form_.Check2_Click(on);
        refresh();
    });
    connect(combo1_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        form_.Combo1_Click(index);
        refresh();
    });
    connect(combo2_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (auto m = form_.Combo2_Click(index))
            showMessage(*m);
        refresh();
    });
    connect(text1_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.text1 = t.toStdString();
        showPreview();
    });
    connect(text2_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.text2 = t.toStdString();
        showPreview();
    });
    connect(text3_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.text3 = t.toStdString();
        showPreview();
    });
    connect(text4_, &QLineEdit::textEdited, this,
            [this](const QString& t) { form_.text4 = t.toStdString(); });
    connect(command1, &QPushButton::clicked, this, &LoadCsvOptionWindow::Command1_Click);
    connect(command4_, &QPushButton::clicked, this, [this] {
        form_.Command4_Click();
        refresh();
    });
    connect(command2, &QPushButton::clicked, this, &QWidget::close);

    refresh();
    form_.takeFocusRequest();
}

void LoadCsvOptionWindow::refresh() {
    // Radio buttons in an exclusive group cannot all be cleared without lifting the rule.
    layoutGroup_->setExclusive(false);
    option1_->setChecked(form_.option1);
    option2_->setChecked(form_.option2);
    layoutGroup_->setExclusive(true);
    check1_->setChecked(form_.check1);
    check2_->setChecked(form_.check2);
    check2_->setVisible(form_.check2Visible);
    check3_->setChecked(form_.check3);
    command4_->setVisible(form_.command4Visible);

    setItems(combo1_, form_.combo1Items);
    combo1_->setCurrentIndex(form_.combo1Index);
    setItems(combo2_, form_.combo2Items);
    combo2_->setCurrentIndex(form_.combo2Index);
    combo2_->setVisible(form_.combo2Visible);
    label1_->setText(qs(form_.label1));

    setTextKeepingCaret(text1_, form_.text1);
    setTextKeepingCaret(text2_, form_.text2);
    setTextKeepingCaret(text3_, form_.text3);
    setTextKeepingCaret(text4_, form_.text4);
    text4_->setEnabled(form_.text4Enabled);
    showPreview();
    applyFocus();
}

void LoadCsvOptionWindow::showPreview() {
    preview_->setText(qs(form_.firstLinePreview()));
}

void LoadCsvOptionWindow::applyFocus() {
    switch (form_.takeFocusRequest()) {
    case CsvFocus::Text2:
        text2_->setFocus(Qt::OtherFocusReason);
        break;
    case CsvFocus::Text3:
        text3_->setFocus(Qt::OtherFocusReason);
        break;
    case CsvFocus::None:
        break;
    }
}

bool LoadCsvOptionWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        // The caret goes where the form wants it once the field has taken the focus.
        const int caret = edit == text2_ ? form_.text2FocusCaret() : static_cast<int>(edit->text().size());
        if (caret >= 0)
            QTimer::singleShot(0, edit, [edit, caret] { edit->setCursorPosition(caret); });
        return false;
    }
    if (event->type() == QEvent::KeyPress && edit != text2_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        if (edit == text1_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            form_.Text1_Enter();
            applyFocus();
            return true;
        }
        const QString text = key->text();
        if (text.isEmpty() || ui::isEditingShortcut(*key))
            return false; // arrows, Home, End, Delete: no character; Ctrl+A, Ctrl+C ...
        const QList<uint> chars = text.toUcs4();
        return chars.isEmpty() || !digitKeyAccepted(static_cast<char32_t>(chars.front()));
    }
    return QWidget::eventFilter(watched, event);
}

void LoadCsvOptionWindow::showMessage(const Message& message) {
    context_.prompter.show(message);
}

std::optional<std::string> LoadCsvOptionWindow::chooseFile() {
    if (chooser_)
        return chooser_();
    const QString path =
        QFileDialog::getOpenFileName(this, qs(kCsvFormCaption), QString(), qs(kCsvFileFilter));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

void LoadCsvOptionWindow::Command1_Click() {
    if (auto refusal = form_.importRefusal()) {
        showMessage(*refusal);
        return;
    }
    yearbook::YearBookForm* book = context_.yearBook;
    if (!book) {
        showMessage(notice("年間電力量の画面が開いていません。物件を選択して開いてから読み込んでください。",
                           "選択エラー"));
        return;
    }
    // The hour cells of the generation view hold generation figures: no readings go there.
    if (book->viewMode() == yearbook::kGenerationView) {
        showMessage(notice("表示を電力量に変更ください。", "操作不具合メッセージ"));
        return;
    }
    std::string fileName;
    if (form_.fileNameFromText2()) {
        fileName = form_.text2;
    } else {
        const std::optional<std::string> chosen = chooseFile();
        if (!chosen)
            return;
        fileName = trimBlanks(*chosen);
    }

    const CsvImportOptions options = form_.importOptions();
    const Result<int> start = startRowOf(options.month, options.day);
    const int daysLeft = start ? kLastBookRow - *start + 1 : 1;
    progress_->setRange(0, std::max(1, std::min(options.days, daysLeft)));
    progress_->setValue(0);
    Result<CsvImportOutcome> outcome = Error{};
    {
        Hourglass hourglass;
        outcome = importCsv(fileName, options, book->grid(), [this](int done, int) {
            if (done <= progress_->maximum()) {
                progress_->setValue(done);
                if (done % 8 == 0)
                    progress_->repaint();
            }
        });
        form_.imported(fileName);
        if (outcome) {
            book->Data_set();
            book->FWD_Kousin();
        }
    }
    refresh();
    if (!outcome) {
        progress_->setValue(0);
        showMessage(LoadCsvOptionForm::openFailedMessage(outcome.error().message));
        return;
    }
    progress_->setValue(progress_->maximum());
    showMessage(form_.completionMessage(fileName, *outcome));
    // Empty again, ready for the next import.
    progress_->setValue(0);
}

static ui::WindowRegistrar reg("Load_CSV_Option",
                               [](ui::GuiContext& c) -> QWidget* { return new LoadCsvOptionWindow(c); });

} // namespace wattorio::csvimport
