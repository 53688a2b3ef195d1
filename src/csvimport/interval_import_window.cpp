#include "csvimport/interval_import_window.h"

#include "app/numtext.h"
#include "billing/meter_file.h"
#include "csvimport/interval_import.h"
#include "ui/widgets.h"
#include "yearbook/year_book_form.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace wattorio::csvimport {

namespace {

using ui::qs;

class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

ui::WindowRegistrar registrar("IntervalImport",
                              [](ui::GuiContext& c) -> QWidget* { return new IntervalImportWindow(c); });

} // namespace

IntervalImportWindow::IntervalImportWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("IntervalImport"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs("インターバルデータ読込"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(8);
    outer->addWidget(new QLabel(qs("30 分値などのファイル（複数可）を、ファイルに書かれた日付・時刻どおりに"
                                   "年間データへ書き込みます。"),
                                this));

    auto* filesRow = new QHBoxLayout;
    fileList_ = new QListWidget(this);
    fileList_->setObjectName(QStringLiteral("FileList"));
    fileList_->setMinimumHeight(110);
    filesRow->addWidget(fileList_, 1);
    auto* choose =
        ui::button(this, "Command1", "ファイル選択…", "読み込むファイルを選びます（複数選択できます）");
    filesRow->addWidget(choose, 0, Qt::AlignTop);
    outer->addLayout(filesRow);

    auto* settings = new QGroupBox(qs("読み込み設定"), this);
    auto* grid = new QGridLayout(settings);
    grid->addWidget(new QLabel(qs("単位"), settings), 0, 0);
    unit_ = new QComboBox(settings);
    unit_->setObjectName(QStringLiteral("UnitCombo"));
    for (const char* item : {"自動（見出しから、なければ kWh）", "kWh", "Wh", "kW（平均電力）"})
        unit_->addItem(qs(item));
    grid->addWidget(unit_, 0, 1);
    grid->addWidget(new QLabel(qs("値の列"), settings), 1, 0);
    column_ = new QLineEdit(settings);
    column_->setObjectName(QStringLiteral("ColumnText"));
    column_->setPlaceholderText(qs("自動"));
    column_->setToolTip(
        qs("日付の列を 1 として数えた列番号。空欄なら日付・時刻の後で大半の行が数値の最初の列"));
    column_->setFixedWidth(80);
    grid->addWidget(column_, 1, 1, Qt::AlignLeft);
    multiplier_ = new QLabel(settings);
    multiplier_->setObjectName(QStringLiteral("MultiplierLabel"));
    grid->addWidget(multiplier_, 2, 0, 1, 2);
    valuesKwh_ = new QRadioButton(qs("値は kWh（倍率で割って指示数にする）"), settings);
    valuesKwh_->setObjectName(QStringLiteral("ValuesKwh"));
    valuesKwh_->setChecked(true);
    valuesReadings_ = new QRadioButton(qs("値は指示数（そのまま書き込む）"), settings);
    valuesReadings_->setObjectName(QStringLiteral("ValuesReadings"));
    grid->addWidget(valuesKwh_, 3, 0, 1, 2);
    grid->addWidget(valuesReadings_, 4, 0, 1, 2);
    outer->addWidget(settings);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    outer->addWidget(progress_);

    summary_ = new QPlainTextEdit(this);
    summary_->setObjectName(QStringLiteral("Summary"));
    summary_->setReadOnly(true);
    summary_->setMinimumHeight(260);
    outer->addWidget(summary_, 1);

    auto* buttons = new QHBoxLayout;
    import_ = ui::button(this, "Command2", "読み込み", "選んだファイルを年間データに書き込みます");
    undo_ = ui::button(this, "Command3", "元に戻す", "最後の読み込みの前の値に戻します");
    auto* close = ui::button(this, "Command4", "閉じる");
    buttons->addWidget(import_);
    buttons->addWidget(undo_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    outer->addLayout(buttons);

    connect(choose, &QPushButton::clicked, this, [this] { chooseFiles(); });
    connect(import_, &QPushButton::clicked, this, [this] { importFiles(); });
    connect(undo_, &QPushButton::clicked, this, [this] { undoImport(); });
    connect(close, &QPushButton::clicked, this, [this] { this->close(); });

    resize(640, 640);
    refresh();
}

void IntervalImportWindow::refresh() {
    const double multiplier = context_.state.currentSiteValue(2);
    multiplier_->setText(qs("電力データ倍率 " + numberText(multiplier)));
    const bool choice = multiplier != 1;
    valuesKwh_->setEnabled(choice);
    valuesReadings_->setEnabled(choice);
    import_->setEnabled(!files_.empty());
    undo_->setEnabled(context_.yearBook && context_.yearBook->canUndoImport());
    fileList_->clear();
    for (const std::string& f : files_)
        fileList_->addItem(qs(f));
}

void IntervalImportWindow::chooseFiles() {
    std::vector<std::string> chosen;
    if (chooser_) {
        chosen = chooser_();
    } else {
        const QStringList names = QFileDialog::getOpenFileNames(
            this, qs("インターバルデータのファイル"), QString(),
            qs("CSV・テキスト (*.csv *.CSV *.txt *.TXT);;すべてのファイル (*)"));
        for (const QString& n : names)
            chosen.push_back(n.toStdString());
    }
    if (!chosen.empty())
        files_ = std::move(chosen);
    refresh();
}

void IntervalImportWindow::importFiles() {
    yearbook::YearBookForm* book = context_.yearBook;
    if (!book) {
        context_.prompter.show(notice(
            "年間電力量の画面が開いていません。物件を選択して開いてから読み込んでください。", "選択エラー"));
        return;
    }
    if (book->viewMode() == yearbook::kGenerationView) {
        context_.prompter.show(notice("表示を電力量に変更ください。", "操作不具合メッセージ"));
        return;
    }
    IntervalImportOptions o;
    switch (unit_->currentIndex()) {
    case 1:
        o.read.unit = EnergyUnit::KWh;
        break;
    case 2:
        o.read.unit = EnergyUnit::Wh;
        break;
    case 3:
        o.read.unit = EnergyUnit::KW;
        break;
    default:
        break;
    }
    const std::string columnText = column_->text().trimmed().toStdString();
    if (!columnText.empty()) {
        const double c = val(columnText);
        if (c < 1 || c > static_cast<double>(kMaxIntervalFields) || c != std::floor(c)) {
            context_.prompter.show(inputError("値の列には 1 から " + std::to_string(kMaxIntervalFields) +
                                              " までの整数を入力してください（空欄なら自動）。"));
            return;
        }
        o.read.column = static_cast<int>(c);
    }
    o.multiplier = context_.state.currentSiteValue(2);
    o.valuesAreReadings = o.multiplier != 1 && valuesReadings_->isChecked();
    if (!o.valuesAreReadings && !(o.multiplier > 0)) {
        context_.prompter.show(inputError(
            "物件の電力データ倍率が 0 です。値を指示数として読み込むか、倍率を登録してください。"));
        return;
    }
    if (o.multiplier != 1 &&
        context_.prompter.show(valuesQuestion(o.multiplier, o.valuesAreReadings)) != Answer::Ok)
        return;

    // A file that leaves its value column or unit open: the user sees the candidates and says.
    bool declined = false;
    o.ask = [this, &declined](const IntervalQuestion& q) {
        declined = context_.prompter.show(questionMessage(q)) != Answer::Ok;
        return !declined;
    };
    progress_->setRange(0, static_cast<int>(files_.size()));
    progress_->setValue(0);
    Result<IntervalImport> read = Error{};
    {
        Hourglass hourglass;
        read = readIntervalImport(files_, o, [this](int done, int) {
            progress_->setValue(done);
            progress_->repaint();
        });
        if (read)
            book->placeImportedHours(bookCells(*read));
    }
    if (!read) {
        progress_->setValue(0);
        summary_->setPlainText(qs(read.error().message + "\n何も書き込んでいません。"));
        refresh();
        if (declined)
            return;
        context_.prompter.show({read.error().message + "\n読み込みを中止しました。何も書き込んでいません。",
                                "読み込みエラー", Icon::Warning, Buttons::Ok});
        return;
    }
    if (auto* w = context_.window("Mainichi"))
        w->update();
    QString text;
    for (const std::string& line : summaryLines(read->summary, context_.state.currentSiteValue(3)))
        text += qs(line) + QLatin1Char('\n');
    // Every interval also goes into the site's meter data; the user says which of two values stays.
    for (const std::string& line : billing::meterImportLines(billing::importIntoMeterFile(
             billing::meterFilePathBeside(context_.state.SiteDataPath),
             billing::asMeterIntervals(read->intervals, o.valuesAreReadings ? o.multiplier : 1),
             billing::askThrough(context_.prompter))))
        text += qs(line) + QLatin1Char('\n');
    const std::string note = book->calendarYearNote(read->summary.firstDate, read->summary.lastDate);
    if (!note.empty())
        text.prepend(qs(note) + QLatin1Char('\n'));
    summary_->setPlainText(text);
    refresh();
}

void IntervalImportWindow::undoImport() {
    if (!context_.yearBook || !context_.yearBook->canUndoImport())
        return;
    context_.yearBook->undoImport();
    summary_->appendPlainText(qs("最後の読み込みを元に戻しました。"));
    refresh();
}

} // namespace wattorio::csvimport
