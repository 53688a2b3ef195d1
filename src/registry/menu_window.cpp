#include "registry/menu_window.h"

#include "app/version.h"
#include "calc/total_window.h"
#include "registry/file_panel_window.h"
#include "ui/flex_grid.h"
#include "ui/help_window.h"
#include "ui/number_field.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace wattorio::registry {

namespace {

using ui::button;
using ui::qs;

QLineEdit* field(QWidget* parent, const char* objectName, const char* hint) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(objectName));
    e->setToolTip(qs(hint));
    return e;
}

QComboBox* choiceBox(QWidget* parent, const char* objectName, const char* hint,
                     const std::vector<std::string>& items) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(objectName));
    c->setToolTip(qs(hint));
    for (const std::string& item : items)
        c->addItem(qs(item));
    return c;
}

QLabel* label(QWidget* parent, const char* text, const char* objectName = nullptr) {
    auto* l = new QLabel(qs(text), parent);
    if (objectName)
        l->setObjectName(QLatin1String(objectName));
    return l;
}

} // namespace

MenuWindow::MenuWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(context.state) {
    setObjectName(QStringLiteral("Menu"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);

    auto* main = new QWidget(this);
    main->setObjectName(QStringLiteral("MainPart"));
    main->setFixedWidth(ui::twipsToPixels(kNarrowTwips) - 16);
    auto* mainLayout = new QHBoxLayout(main);
    mainLayout->setContentsMargins(0, 0, 0, 0);

    grid_ = new ui::FlexGrid(form_.list(), main);
    grid_->setObjectName(QStringLiteral("MSFlexGrid1"));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setFixedWidth(ui::twipsToPixels(350 + 4400));
    mainLayout->addWidget(grid_);

    auto* right = new QVBoxLayout;
    auto* title = label(main, MenuForm::kLabel1, "Label1");
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 10);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    right->addWidget(title);
    auto* version = label(main, "", "Label2");
    version->setText(qs(MenuForm::versionLabel()));
    version->setAlignment(Qt::AlignRight);
    right->addWidget(version);

    auto* fields = new QGridLayout;
    text1_ = field(main, "Text1", "物件の名称を入力する。");
    text2_ = field(main, "Text2", "作成する電力データの倍率を設定する。");
    text3_ = field(main, "Text3", "電力との契約電力を入力。");
    text4_ = field(main, "Text4", "電力データの年間平均力率を設定する。");
    combo1_ = new QComboBox(main);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setToolTip(qs("適用する電力会社を選択"));
    for (const char* name : kUtilityNames)
        combo1_->addItem(qs(name));
    fields->addWidget(label(main, "名　　称"), 0, 0);
    fields->addWidget(text1_, 0, 1, 1, 2);
    fields->addWidget(label(main, "電力ﾃﾞｰﾀ　　倍率"), 1, 0);
    fields->addWidget(text2_, 1, 1);
    fields->addWidget(label(main, "倍"), 1, 2);
    fields->addWidget(label(main, "契約電力"), 2, 0);
    fields->addWidget(text3_, 2, 1);
    fields->addWidget(label(main, "kW"), 2, 2);
    fields->addWidget(label(main, "年間力率"), 3, 0);
    fields->addWidget(text4_, 3, 1);
    fields->addWidget(label(main, "％"), 3, 2);
    fields->addWidget(label(main, "電力会社"), 4, 0);
    fields->addWidget(combo1_, 4, 1, 1, 2);
    supply_ = choiceBox(main, "ComboSupply", "受電の電圧（料金メニューの電圧の段を決めます）",
                        MenuForm::supplyItems());
    category_ =
        choiceBox(main, "ComboCategory", "物件の区分（比べる料金メニューの区分）", MenuForm::categoryItems());
    fields->addWidget(label(main, "受　　電"), 5, 0);
    fields->addWidget(supply_, 5, 1, 1, 2);
    fields->addWidget(label(main, "区　　分"), 6, 0);
    fields->addWidget(category_, 6, 1, 1, 2);
    right->addLayout(fields);

    auto* frame = new QGroupBox(qs("種　別"), main);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* frameLayout = new QHBoxLayout(frame);
    option1_ = new QRadioButton(qs("３６５日用"), frame);
    option1_->setObjectName(QStringLiteral("Option1"));
    option2_ = new QRadioButton(qs("１０日集計用"), frame);
    option2_->setObjectName(QStringLiteral("Option2"));
    frameLayout->addWidget(option1_);
    frameLayout->addWidget(option2_);
    right->addWidget(frame);

    command1_ = button(main, "Command1", "選　択", "物件を確定しデータ編集する。");
    auto* command2 = button(main, "Command2", "新規追加", "新規に物件を登録");
    command3_ = button(main, "Command3", "変　更", "物件の登録情報を変更する。");
    command4_ = button(main, "Command4", "削　除", "物件の削除");
    command6_ = button(main, "Command6", "コピー", "物件のコピーを作成する。");
    auto* command5 = button(main, "Command5", "終　了");
    auto* help = button(main, "CommandHelp", "ヘルプ", "使い方の説明（F1）");
    auto* buttons = new QGridLayout;
    buttons->addWidget(command1_, 0, 0);
    buttons->addWidget(command2, 0, 1);
    buttons->addWidget(command3_, 1, 0);
    buttons->addWidget(command4_, 1, 1);
    buttons->addWidget(command6_, 2, 0);
    buttons->addWidget(command5, 2, 1);
    buttons->addWidget(help, 3, 0, 1, 2);
    auto* compareSites = button(main, "CommandCompareSites", "全物件の比較",
                                "登録した全物件をそれぞれの電力会社のメニューで比較する。");
    buttons->addWidget(compareSites, 4, 0, 1, 2);
    connect(compareSites, &QPushButton::clicked, this,
            [this] { ui::showWindow(context_, "SiteComparison"); });
    auto* monthlyBill = button(main, "CommandMonthlyBill", "月別請求額",
                               "選んだ物件のメーターデータを料金表で月ごとに計算する。");
    auto* tariffEditor = button(main, "CommandTariffEditor", "料金表の編集",
                                "料金表の新しい単価の期間と月別の単価を編集する。");
    buttons->addWidget(monthlyBill, 5, 0);
    buttons->addWidget(tariffEditor, 5, 1);
    connect(monthlyBill, &QPushButton::clicked, this, [this] { ui::showWindow(context_, "MonthlyBill"); });
    connect(tariffEditor, &QPushButton::clicked, this, [this] { ui::showWindow(context_, "TariffEditor"); });
    right->addLayout(buttons);

    check1_ = new QCheckBox(qs("作成ﾃﾞｰﾀの書き出し、読み込み"), main);
    check1_->setObjectName(QStringLiteral("Check1"));
    check1_->setToolTip(qs("製作データの書き出しと読み込み"));
    right->addWidget(check1_);
    right->addStretch();
    mainLayout->addLayout(right);
    outer->addWidget(main);

    filePanel_ = new FilePanel(context_, form_, this);
    filePanel_->setObjectName(QStringLiteral("FilePanel"));
    filePanel_->setFixedWidth(ui::twipsToPixels(kWideTwips - kNarrowTwips) - 8);
    filePanel_->hide();
    outer->addWidget(filePanel_);

    setFixedSize(ui::twipsToPixels(kNarrowTwips), 580);

    connect(grid_, &ui::FlexGrid::cellClicked, this, [this](int row, int) { selectSite(row); });
    connect(combo1_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { form_.chooseUtility(index); });
    connect(supply_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { form_.chooseSupply(index); });
    connect(category_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { form_.chooseCategory(index); });
    connect(option1_, &QRadioButton::clicked, this, [this] { form_.chooseBookMode(1); });
    connect(option2_, &QRadioButton::clicked, this, [this] { form_.chooseBookMode(2); });
    connect(command1_, &QPushButton::clicked, this, &MenuWindow::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &MenuWindow::Command2_Click);
    connect(command3_, &QPushButton::clicked, this, &MenuWindow::Command3_Click);
    connect(command4_, &QPushButton::clicked, this, &MenuWindow::Command4_Click);
    connect(command5, &QPushButton::clicked, this, &MenuWindow::Command5_Click);
    connect(command6_, &QPushButton::clicked, this, &MenuWindow::Command6_Click);
    connect(help, &QPushButton::clicked, this, [this] { ui::showHelp(context_); });
    connect(check1_, &QCheckBox::toggled, this, &MenuWindow::setFilePanelShown);
    connect(filePanel_, &FilePanel::registryChanged, this, &MenuWindow::refreshFields);
    connect(filePanel_, &FilePanel::siteReadIn, this, [this] {
        const Message m = form_.chooseReadInSite();
        refreshFields();
        showMessage(m);
    });

    for (QLineEdit* e : {text2_, text3_, text4_}) {
        ui::numberField(e);
        e->installEventFilter(this);
    }
}

MenuWindow::~MenuWindow() {
    // The list's view reads the form's texts: it goes before the form does.
    delete grid_;
    delete filePanel_;
}

void MenuWindow::startUp(const std::string& currentDir) {
    std::optional<Message> problem = form_.startUp(currentDir);
    setWindowTitle(qs(form_.title()));
    refreshFields();
    if (problem)
        showMessage(*problem);
}

void MenuWindow::showMessage(const Message& message) {
    context_.prompter.show(message);
}

void MenuWindow::refreshFields() {
    text1_->setText(qs(form_.name));
    text2_->setText(qs(form_.multiplier));
    text3_->setText(qs(form_.contract));
    text4_->setText(qs(form_.powerFactor));
    combo1_->setCurrentIndex(form_.utilityIndex());
    supply_->setCurrentIndex(form_.supplyIndex());
    category_->setCurrentIndex(form_.categoryIndex());
    const int mode = static_cast<int>(form_.bookMode());
    // Both options clear when no book kind is chosen.
    option1_->setAutoExclusive(false);
    option2_->setAutoExclusive(false);
    option1_->setChecked(mode == 1);
    option2_->setChecked(mode == 2);
    option1_->setAutoExclusive(true);
    option2_->setAutoExclusive(true);
    // Only the chosen site's row is highlighted: none after 新規追加, 変　更, 削　除 and コピー.
    const int row = static_cast<int>(context_.state.SiteRow);
    if (form_.hasSite(context_.state.SiteRow)) {
        if (!grid_->selectionModel()->isRowSelected(row - 1, {}))
            grid_->selectRow(row - 1);
    } else {
        grid_->clearSelection();
        grid_->setCurrentIndex({});
    }
    for (QPushButton* b : {command1_, command3_, command4_, command6_})
        b->setEnabled(form_.siteButtonsEnabled());
}

void MenuWindow::selectSite(int row) {
    // A click below the last site chooses nothing; the highlight goes back to the chosen site.
    if (row >= 1 && form_.hasSite(static_cast<float>(row)))
        form_.listClick(row);
    refreshFields();
}

void MenuWindow::takeFields() {
    form_.name = text1_->text().toStdString();
    form_.multiplier = text2_->text().toStdString();
    form_.contract = text3_->text().toStdString();
    form_.powerFactor = text4_->text().toStdString();
}

bool refusedWhileBookOpen(ui::GuiContext& context, const std::string& action) {
    for (const char* book : {"Mainichi", "Nenkan"}) {
        if (QWidget* open = context.window(book)) {
            context.prompter.show(MenuForm::bookAlreadyOpen(action));
            open->raise();
            open->activateWindow();
            return true;
        }
    }
    return false;
}

void MenuWindow::Command1_Click() {
    if (refusedWhileBookOpen(context_, "選択"))
        return;
    if (std::optional<std::string> window = form_.select()) {
        // A results window opened from 全物件の比較 goes: the book about to open replaces its figures.
        if (auto* results = qobject_cast<calc::TotalWindow*>(context_.window("Total")))
            results->closeFromProgram();
        ui::showWindow(context_, *window);
    }
}

void MenuWindow::Command2_Click() {
    takeFields();
    const Message m = form_.add();
    refreshFields();
    showMessage(m);
}

void MenuWindow::Command3_Click() {
    if (refusedWhileBookOpen(context_, "変更"))
        return;
    takeFields();
    std::optional<Message> m = form_.change();
    refreshFields();
    if (m)
        showMessage(*m);
}

void MenuWindow::Command4_Click() {
    if (refusedWhileBookOpen(context_, "削除"))
        return;
    std::optional<Message> m = form_.remove(context_.prompter);
    refreshFields();
    if (m)
        showMessage(*m);
}

void MenuWindow::Command5_Click() {
    ending_ = true;
    QApplication::closeAllWindows();
    QApplication::quit();
}

void MenuWindow::Command6_Click() {
    takeFields();
    filePanel_->copySite();
    refreshFields();
}

void MenuWindow::setFilePanelShown(bool shown) {
    filePanel_->setVisible(shown);
    setFixedSize(ui::twipsToPixels(shown ? kWideTwips : kNarrowTwips), height());
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2, y());
    }
}

void MenuWindow::closeEvent(QCloseEvent* event) {
    // Only "終　了" ends the program; the close box does nothing.
    if (ending_)
        event->accept();
    else
        event->ignore();
}

bool MenuWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == text3_ || watched == text4_)) {
        auto* edit = static_cast<QLineEdit*>(watched);
        QTimer::singleShot(0, edit, [edit] { edit->end(false); });
    }
    if (event->type() == QEvent::KeyPress && (watched == text2_ || watched == text3_)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            (watched == text2_ ? text3_ : text4_)->setFocus();
            return true;
        }
        const QString text = key->text();
        if (key->key() == Qt::Key_Backspace || text.isEmpty() || ui::isEditingShortcut(*key))
            return false;
        const char32_t c = text.toUcs4().value(0);
        return digitFieldKey(c) != KeyAction::Accept;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace wattorio::registry
