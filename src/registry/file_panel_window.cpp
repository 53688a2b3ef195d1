#include "registry/file_panel_window.h"

#include "app/version.h"
#include "registry/menu_window.h"
#include "ui/help_window.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace wattorio::registry {

namespace {

using ui::button;
using ui::qs;

// The drives of this platform: the root, the user's home and the other mounted volumes.
std::vector<std::string> mountedDrives() {
    std::vector<std::string> drives{"/", QDir::homePath().toStdString()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || !QFileInfo(volume.rootPath()).isDir())
            continue;
        const std::string root = volume.rootPath().toStdString();
        if (std::find(drives.begin(), drives.end(), root) == drives.end())
            drives.push_back(root);
    }
    return drives;
}

// Questions asked in the middle of a long operation are answered with the normal pointer.
class PointerPrompter : public Prompter {
public:
    explicit PointerPrompter(Prompter& inner) : inner_(inner) {}
    Answer show(const Message& message) override {
        QApplication::restoreOverrideCursor();
        const Answer a = inner_.show(message);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return a;
    }

private:
    Prompter& inner_;
};

// The hourglass for the life of one operation.
struct Hourglass {
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

} // namespace

FilePanel::FilePanel(ui::GuiContext& context, MenuForm& form, QWidget* parent)
    : QWidget(parent), context_(context), form_(form) {
    panel_ = std::make_unique<FilePanelForm>(form_, QDir::currentPath().toStdString(), mountedDrives());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(4);

    drive1_ = new QComboBox(this);
    drive1_->setObjectName(QStringLiteral("Drive1"));
    for (const std::string& d : panel_->drives())
        drive1_->addItem(qs(d));
    layout->addWidget(drive1_);

    dir1_ = new QListWidget(this);
    dir1_->setObjectName(QStringLiteral("Dir1"));
    layout->addWidget(dir1_, 3);

    auto* fileLabel = new QLabel(qs("ファイル選択"), this);
    fileLabel->setObjectName(QStringLiteral("Label3"));
    layout->addWidget(fileLabel);
    file1_ = new QListWidget(this);
    file1_->setObjectName(QStringLiteral("File1"));
    layout->addWidget(file1_, 3);

    check2_ = new QCheckBox(qs("全ファイル表示"), this);
    check2_->setObjectName(QStringLiteral("Check2"));
    check2_->setToolTip(qs("ファイルリスト表示用フィルターの解除"));
    layout->addWidget(check2_);

    text5_ = new QLineEdit(this);
    text5_->setObjectName(QStringLiteral("Text5"));
    text5_->setToolTip(qs("新規に作成するフォルダー名を入力。"));
    auto* command10 = button(this, "Command10", "ﾃﾞｨﾚｸﾄﾘｰ\u3000作成", "新規にフォルダーを作成。");
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(text5_, 1);
    folderRow->addWidget(command10);
    layout->addLayout(folderRow);

    auto* command11 = button(this, "Command11", "削除", "ファイルの削除");
    auto* command8 = button(this, "Command8", "書出し", "データの書き出し");
    auto* command9 = button(this, "Command9", "読込み", "データの読み込み");
    auto* command12 = button(this, "Command12", "ヘルプ", "ヘルプ画面に接続");
    auto* command7 = button(this, "Command7", "作者ﾎｰﾑﾍﾟｰｼﾞ", nullptr);
    target_ = new QLabel(this);
    target_->setObjectName(QStringLiteral("TargetFolder"));
    target_->setWordWrap(true);
    target_->setFrameShape(QFrame::Panel);
    target_->setFrameShadow(QFrame::Sunken);
    layout->addWidget(target_);
    auto* buttons = new QGridLayout;
    buttons->addWidget(command8, 0, 0);
    buttons->addWidget(command9, 0, 1);
    buttons->addWidget(command11, 1, 0);
    buttons->addWidget(command12, 1, 1);
    buttons->addWidget(command7, 2, 0, 1, 2);
    layout->addLayout(buttons);

    connect(drive1_, qOverload<int>(&QComboBox::activated), this, &FilePanel::Drive1_Change);
    // A double-click (or Enter) changes into the folder. The single click before it only names
    // the target: the folder list stays as it is, or the double-click would land on a new list.
    connect(dir1_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Dir1_Change(dir1_->row(item)); });
    connect(dir1_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = dir1_->row(item);
        const std::vector<FolderEntry>& folders = panel_->folders();
        if (row < 0 || row >= static_cast<int>(folders.size()))
            return;
        panel_->chooseTarget(folders[static_cast<std::size_t>(row)].path);
        showFilesAndTarget();
    });
    connect(file1_, &QListWidget::currentRowChanged, this, [this](int row) { panel_->selectFile(row); });
    connect(check2_, &QCheckBox::toggled, this, &FilePanel::Check2_Click);
    connect(text5_, &QLineEdit::textChanged, this,
            [this](const QString& t) { form_.folderName = t.toStdString(); });
    connect(command7, &QPushButton::clicked, this, &FilePanel::Command7_Click);
    connect(command8, &QPushButton::clicked, this, &FilePanel::Command8_Click);
    connect(command9, &QPushButton::clicked, this, &FilePanel::Command9_Click);
    connect(command10, &QPushButton::clicked, this, &FilePanel::Command10_Click);
    connect(command11, &QPushButton::clicked, this, &FilePanel::Command11_Click);
    connect(command12, &QPushButton::clicked, this, &FilePanel::Command12_Click);

    showLists();
}

FilePanel::~FilePanel() = default;

void FilePanel::showLists() {
    const QSignalBlocker blockDrive(drive1_);
    drive1_->setCurrentIndex(panel_->driveIndex());

    dir1_->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int current = 0;
    for (const FolderEntry& f : panel_->folders()) {
        auto* item =
            new QListWidgetItem(f.open ? open : closed, QString(f.depth * 2, QLatin1Char(' ')) + qs(f.name));
        item->setToolTip(qs(f.path));
        dir1_->addItem(item);
        if (f.open)
            current = dir1_->count() - 1;
    }
    dir1_->setCurrentRow(current);
    showFilesAndTarget();
}

void FilePanel::showFilesAndTarget() {
    const QSignalBlocker blockFiles(file1_);
    target_->setText(qs("対象フォルダー：" + panel_->shownFolder()));
    target_->setToolTip(qs(panel_->shownFolder()));

    file1_->clear();
    for (const std::string& name : panel_->files())
        file1_->addItem(qs(name));
    file1_->setCurrentRow(panel_->selectedIndex());
    if (text5_->text().toStdString() != form_.folderName)
        text5_->setText(qs(form_.folderName));
}

void FilePanel::tell(const FileOpResult& result) {
    if (result.message)
        context_.prompter.show(*result.message);
}

void FilePanel::copySite() {
    FileOpResult r;
    {
        Hourglass wait;
        r = panel_->copy();
    }
    tell(r);
    if (r.outcome == Outcome::Done)
        emit registryChanged();
}

void FilePanel::Drive1_Change(int index) {
    std::optional<Message> bad = panel_->chooseDrive(index);
    showLists();
    if (bad)
        context_.prompter.show(*bad);
}

void FilePanel::Dir1_Change(int row) {
    const std::vector<FolderEntry>& folders = panel_->folders();
    if (row < 0 || row >= static_cast<int>(folders.size()))
        return;
    panel_->chooseFolder(folders[static_cast<std::size_t>(row)].path);
    showLists();
}

void FilePanel::Check2_Click(bool checked) {
    panel_->setAllFiles(checked);
    showLists();
}

void FilePanel::Command7_Click() {
    if (!QDesktopServices::openUrl(QUrl(qs(kHomePage))))
        context_.prompter.show(
            Message{std::string("ホームページを開けませんでした（ブラウザーが見つかりません）。\n") +
                        "ブラウザーで次のアドレスを開いてください。\n" + kHomePage,
                    kAppTitle, Icon::Warning, Buttons::Ok});
}

void FilePanel::Command8_Click() {
    FileOpResult r;
    {
        Hourglass wait;
        PointerPrompter prompter(context_.prompter);
        r = panel_->writeOut(prompter);
    }
    showLists();
    tell(r);
}

void FilePanel::Command9_Click() {
    if (refusedWhileBookOpen(context_, "読込み"))
        return;
    FileOpResult r;
    {
        Hourglass wait;
        PointerPrompter prompter(context_.prompter);
        r = panel_->readIn(prompter);
    }
    showLists();
    tell(r);
    if (r.outcome == Outcome::Done)
        emit siteReadIn();
}

void FilePanel::Command10_Click() {
    const FileOpResult r = panel_->makeFolder();
    showLists();
    tell(r);
}

void FilePanel::Command11_Click() {
    const FileOpResult r = panel_->deleteFile(context_.prompter);
    showLists();
    tell(r);
}

void FilePanel::Command12_Click() {
    ui::showHelp(context_, QStringLiteral("panel"));
}

} // namespace wattorio::registry
