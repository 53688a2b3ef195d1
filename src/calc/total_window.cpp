#include "calc/total_window.h"

#include "calc/charts_window.h"
#include "reports/workbook_file.h"
#include "sitereport/site_report_pdf.h"

#include "tariffs/user_menus.h"
#include "ui/flex_grid.h"
#include "ui/number_field.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <ctime>

namespace wattorio::calc {

namespace {

using ui::qs;

QString controlName(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

constexpr const char* kPrintDone = "画面印刷完了";

// The window image is rendered at this multiple of its screen size before it is scaled onto
// the page, so that the printed text stays sharp.
constexpr int kPrintScale = 3;

// Labels that show amounts or kWh are right-aligned; captions are left-aligned.
bool isFigureLabel(std::string_view name) {
    for (std::string_view figure :
         {"Label1", "Label2", "Label3", "Label4", "Label9", "Label11", "Label13", "Label14", "Label15",
          "Label16", "Label18", "Label19", "Label20", "Label59", "Label60"})
        if (figure == name)
            return true;
    return false;
}

// The cells of the rate panel carry a thin sunken frame, so that the lines read as a table.
bool isPanelCell(std::string_view name) {
    for (std::string_view cell : {"Label1",  "Label2",  "Label3",  "Label4",  "Label5",  "Label6",  "Label7",
                                  "Label8",  "Label9",  "Label13", "Label14", "Label15", "Label16", "Label17",
                                  "Label18", "Label19", "Label20", "Label58", "Label59", "Label60"})
        if (cell == name)
            return true;
    return false;
}

} // namespace

TotalWindow::TotalWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent), context_(context), form_(std::make_unique<TotalForm>(context.state)) {
    setObjectName(QStringLiteral("Total"));
    setAttribute(Qt::WA_DeleteOnClose);

    for (std::string_view name : TotalForm::controlNames()) {
        if (name.substr(0, 4) == "Text")
            boxNames_.push_back(name);
        else
            labelNames_.push_back(name);
    }
    labels_.assign(labelNames_.size(), nullptr);
    boxes_.assign(boxNames_.size(), nullptr);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 6, 8, 8);
    root->setSpacing(6);

    auto* top = new QHBoxLayout;
    QLabel* label10 = addLabel("Label10", this);
    QFont big = label10->font();
    big.setPointSizeF(big.pointSizeF() * 1.15);
    big.setBold(true);
    label10->setFont(big);
    label10->setFrameShape(QFrame::Panel);
    label10->setFrameShadow(QFrame::Sunken);
    top->addWidget(label10, 1);
    QLabel* label45 = addLabel("Label45", this);
    label45->setFont(big);
    label45->setAlignment(Qt::AlignCenter);
    label45->setMinimumWidth(140);
    label45->setFrameShape(QFrame::Panel);
    label45->setFrameShadow(QFrame::Sunken);
    top->addWidget(label45);
    root->addLayout(top);

    root->addWidget(buildTabs());

    auto* lower = new QGridLayout;
    lower->setHorizontalSpacing(10);
    lower->setVerticalSpacing(6);
    lower->addWidget(buildRatePanel(), 0, 0);
    lower->addWidget(buildYearTable(), 1, 0);
    // The analysis tables and the pictures of the year share the right-hand side.
    auto* sideTabs = new QTabWidget(this);
    sideTabs->setObjectName(QStringLiteral("SideTabs"));
    sideTabs->addTab(buildAnalysis(), QStringLiteral("集計表"));
    charts_ = new ResultCharts(context_.prompter, sideTabs);
    charts_->setObjectName(QStringLiteral("ResultCharts"));
    charts_->setSaveFolder(QString::fromStdString(context_.state.AppDir));
    sideTabs->addTab(charts_, QStringLiteral("グラフ"));
    lower->addWidget(sideTabs, 0, 1, 2, 1);
    // Room gained by enlarging the window goes to the pictures and tables on the right.
    lower->setColumnStretch(1, 1);
    root->addLayout(lower, 1);
    root->addWidget(buildButtons());

    // Buttons, boxes and lists refer to the core form; everything they change comes back here.
    form_->setListener([this] { refresh(); });

    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        loaded_ = form_->Form_Load();
        QApplication::restoreOverrideCursor();
    }
    refresh();
    if (loaded_) {
        reloadUserMenus();
        context_.total = form_.get();
        refreshCharts(context_.tenDay == nullptr);
        // The 集計表 tab opens on the year's monthly usage rather than an empty grid.
        form_->Command7_Click();
    }
    resize(1120, 700);
}

void TotalWindow::refreshFromTotals(bool hourlyBook) {
    form_->setTenDayBook(!hourlyBook);
    form_->refreshFromTotals();
    refreshCharts(hourlyBook);
    if (const std::optional<Message>& refusal = form_->loadRefusal())
        context_.prompter.show(*refusal);
}

void TotalWindow::refreshCharts(bool hourlyBook) {
    form_->setTenDayBook(!hourlyBook);
    charts_->refresh(context_.state, hourlyBook);
}

TotalWindow::~TotalWindow() {
    // The comparison applies its menus to this form: it goes with it.
    if (QWidget* comparison = context_.window("Comparison"))
        comparison->close();
    form_->setListener({});
    if (context_.total == form_.get())
        context_.total = nullptr;
    // The grids' models look into the form's tables: the widgets go first, while the form lives.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

QLabel* TotalWindow::addLabel(std::string_view name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(controlName(name));
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    for (std::size_t i = 0; i < labelNames_.size(); ++i)
        if (labelNames_[i] == name)
            labels_[i] = label;
    return label;
}

QLineEdit* TotalWindow::addRateBox(std::string_view name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(controlName(name));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFixedWidth(96);
    ui::numberField(box);
    QSizePolicy policy = box->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    box->setSizePolicy(policy);
    for (std::size_t i = 0; i < boxNames_.size(); ++i)
        if (boxNames_[i] == name)
            boxes_[i] = box;
    // The user's typing goes into the form; 再 計 算 prices it.
    const std::string boxName(name);
    connect(box, &QLineEdit::textEdited, this,
            [this, boxName](const QString& text) { form_->setText(boxName, text.toStdString()); });
    return box;
}

QPushButton* TotalWindow::addButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QWidget* TotalWindow::buildTabs() {
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    for (int utility = 1; utility <= 9; ++utility) {
        auto* page = new QWidget(tabs_);
        page->setObjectName(QStringLiteral("SSTab1_%1").arg(utility - 1));
        auto* box = new QVBoxLayout(page);
        box->setContentsMargins(10, 6, 10, 6);
        box->setSpacing(4);

        auto* lists = new QGridLayout;
        lists->setHorizontalSpacing(6);
        lists->setVerticalSpacing(2);
        for (tariffs::Category category : {tariffs::Category::Office, tariffs::Category::Factory}) {
            const int column = category == tariffs::Category::Office ? 0 : 3;
            auto* heading = new QLabel(qs(tariffs::categoryName(category)), page);
            heading->setObjectName(QStringLiteral("Heading%1_%2").arg(utility).arg(column == 0 ? 1 : 2));
            QFont bold = heading->font();
            bold.setBold(true);
            heading->setFont(bold);
            lists->addWidget(heading, 0, column + 1);
        }
        for (const tariffs::MenuList* list : tariffs::listsOfUtility(utility)) {
            const int column = list->category == tariffs::Category::Office ? 0 : 3;
            auto* mark = new QLabel(qs(tariffs::voltageMark(list->voltageRow)), page);
            lists->addWidget(mark, list->voltageRow, column);

            auto* combo = new QComboBox(page);
            combo->setObjectName(QStringLiteral("Combo%1").arg(list->list));
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            combo->setMinimumContentsLength(24);
            combo->setMaxVisibleItems(16);
            for (const tariffs::TariffMenu& menu : list->menus)
                combo->addItem(qs(menu.itemText));
            combo->setCurrentIndex(-1);
            combo->installEventFilter(this);
            const int number = list->list;
            connect(combo, &QComboBox::activated, this,
                    [this, number](int index) { comboClick(number, index); });
            combos_[static_cast<std::size_t>(number)] = combo;
            lists->addWidget(combo, list->voltageRow, column + 1);
        }
        lists->setColumnMinimumWidth(2, 30);
        lists->setColumnStretch(1, 1);
        lists->setColumnStretch(4, 1);
        box->addLayout(lists);

        auto* legend = new QHBoxLayout;
        legend->setSpacing(24);
        for (std::string_view line : tariffs::rowLegend(utility))
            legend->addWidget(new QLabel(qs(line), page));
        legend->addStretch(1);
        box->addLayout(legend);
        box->addStretch(1);

        tabs_->addTab(page, qs(kUtilityNames[static_cast<std::size_t>(utility - 1)]));
    }
    tabs_->addTab(buildUserMenuTab(), QStringLiteral("自由メニュー"));
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) { form_->SSTab1_Click(tab); });
    return tabs_;
}

// The user's own menus of User_Menus.csv, of every utility; a click prices one like a list choice.
QWidget* TotalWindow::buildUserMenuTab() {
    auto* page = new QWidget(tabs_);
    page->setObjectName(QStringLiteral("SSTab1_9"));
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(10, 6, 10, 6);
    box->setSpacing(4);
    userMenuList_ = new QTableWidget(page);
    userMenuList_->setObjectName(QStringLiteral("UserMenuList"));
    const std::vector<std::string>& headings = tariffs::userMenuListHeadings();
    userMenuList_->setColumnCount(static_cast<int>(headings.size()));
    QStringList names;
    for (const std::string& h : headings)
        names << qs(h);
    userMenuList_->setHorizontalHeaderLabels(names);
    userMenuList_->verticalHeader()->setVisible(false);
    userMenuList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    userMenuList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    userMenuList_->setSelectionMode(QAbstractItemView::SingleSelection);
    userMenuList_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    userMenuList_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    userMenuList_->setMinimumHeight(96);
    connect(userMenuList_, &QTableWidget::cellClicked, this, [this](int row, int) {
        form_->ApplyUserMenu(row);
        refresh();
    });
    box->addWidget(userMenuList_, 1);
    auto* bar = new QHBoxLayout;
    auto* hint = new QLabel(
        QStringLiteral("作業フォルダーの User_Menus.csv のメニューです。行を選ぶと料金欄に入ります。"), page);
    bar->addWidget(hint, 1);
    QPushButton* reload = addButton("CommandUserMenuReload", QStringLiteral("読み直し"), page);
    QPushButton* edit = addButton("CommandUserMenuEdit", QStringLiteral("自由メニューの編集"), page);
    bar->addWidget(reload);
    bar->addWidget(edit);
    box->addLayout(bar);
    connect(reload, &QPushButton::clicked, this, [this] { reloadUserMenus(); });
    connect(edit, &QPushButton::clicked, this, [this] { ui::showWindow(context_, "UserMenuEditor"); });
    return page;
}

void TotalWindow::reloadUserMenus(bool tell) {
    tariffs::UserMenuSet set = tariffs::loadUserMenus(context_.state.AppDir);
    if (tell && !set.problems.empty())
        context_.prompter.show(notice(tariffs::userMenuProblemsText(set.problems), "自由メニュー"));
    form_->setUserMenus(std::move(set.menus));
    const std::vector<tariffs::UserMenu>& menus = form_->userMenus();
    const QSignalBlocker block(userMenuList_);
    userMenuList_->clearContents();
    userMenuList_->setRowCount(static_cast<int>(menus.size()));
    for (std::size_t r = 0; r < menus.size(); ++r) {
        const std::vector<std::string> texts = tariffs::userMenuListTexts(menus[r]);
        for (std::size_t c = 0; c < texts.size(); ++c) {
            auto* item = new QTableWidgetItem(qs(texts[c]));
            if (c >= 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            userMenuList_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    refresh();
}

QWidget* TotalWindow::buildRatePanel() {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("RatePanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->setContentsMargins(8, 6, 8, 6);

    QLabel* caption = addLabel("Label21", panel);
    QFont big = caption->font();
    big.setPointSizeF(big.pointSizeF() * 1.15);
    big.setBold(true);
    caption->setFont(big);
    caption->setMinimumHeight(20);
    grid->addWidget(caption, 0, 0, 1, 4);

    // Column headings: the kind of line, its kWh, its rate and its charge.
    const char* headings[] = {"種別", "電力量", "円", "電気料金"};
    for (int c = 0; c < 4; ++c) {
        auto* heading = new QLabel(QString::fromUtf8(headings[c]), panel);
        heading->setAlignment(Qt::AlignCenter);
        heading->setStyleSheet(QStringLiteral("background:#dce6f0;"));
        grid->addWidget(heading, 1, c);
    }

    struct Line {
        const char* caption;
        const char* kwh;
        const char* box;
        const char* charge;
    };
    const Line lines[] = {
        {"Label17", "Label18", "Text5", "Label19"}, {"Label5", "Label1", "Text1", "Label13"},
        {"Label6", "Label2", "Text2", "Label14"},   {"Label7", "Label3", "Text3", "Label15"},
        {"Label8", "Label4", "Text4", "Label16"},   {"Label58", "Label59", "Text6", "Label60"},
    };
    int row = 2;
    for (const Line& line : lines) {
        grid->addWidget(addLabel(line.caption, panel), row, 0);
        grid->addWidget(addLabel(line.kwh, panel), row, 1);
        grid->addWidget(addRateBox(line.box, panel), row, 2);
        grid->addWidget(addLabel(line.charge, panel), row, 3);
        ++row;
    }
    auto* sum = new QLabel(QStringLiteral("合　計"), panel);
    sum->setFrameShape(QFrame::Panel);
    sum->setFrameShadow(QFrame::Sunken);
    grid->addWidget(sum, row, 0);
    grid->addWidget(addLabel("Label9", panel), row, 1);
    QLabel* total = addLabel("Label20", panel);
    grid->addWidget(total, row, 3);
    ++row;
    QLabel* withTax = addLabel("Label11", panel);
    QFont bold = withTax->font();
    bold.setBold(true);
    withTax->setFont(bold);
    total->setFont(bold);
    grid->addWidget(withTax, row, 1, 1, 3);
    ++row;
    // Its own line: "消費税含む" above keeps its meaning for the lists with the tax note.
    QLabel* partial = addLabel("LabelPartial", panel);
    partial->setStyleSheet(QStringLiteral("color:#b02020;"));
    partial->setWordWrap(true);
    grid->addWidget(partial, row, 0, 1, 4);

    for (std::size_t i = 0; i < labelNames_.size(); ++i) {
        QLabel* label = labels_[i];
        if (!label || label->parent() != panel)
            continue;
        if (isFigureLabel(labelNames_[i]))
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (isPanelCell(labelNames_[i])) {
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setMinimumHeight(20);
        }
    }
    grid->setColumnMinimumWidth(0, 290);
    grid->setColumnMinimumWidth(1, 150);
    grid->setColumnMinimumWidth(3, 150);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(row + 1, 1);
    return panel;
}

QWidget* TotalWindow::buildYearTable() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    auto* head = new QHBoxLayout;
    QLabel* label33 = addLabel("Label33", box);
    QFont bold = label33->font();
    bold.setBold(true);
    label33->setFont(bold);
    head->addWidget(label33);
    head->addStretch(1);
    QPushButton* seasonExcel = addButton("Command8", QStringLiteral("季節別電気使用量 Exl"), box);
    head->addWidget(seasonExcel);
    layout->addLayout(head);

    grid1_ = new ui::FlexGrid(form_->MSFlexGrid1(), box);
    grid1_->setObjectName(QStringLiteral("MSFlexGrid1"));
    grid1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid1_->setSelectionMode(QAbstractItemView::NoSelection);
    layout->addWidget(grid1_, 0, Qt::AlignLeft);
    layout->addStretch(1);
    connect(seasonExcel, &QPushButton::clicked, this, &TotalWindow::Command8_Click);
    return box;
}

QWidget* TotalWindow::buildAnalysis() {
    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    QLabel* label22 = addLabel("Label22", box);
    QFont bold = label22->font();
    bold.setBold(true);
    label22->setFont(bold);
    label22->setMinimumHeight(20);
    layout->addWidget(label22);

    grid2_ = new ui::FlexGrid(form_->MSFlexGrid2(), box);
    grid2_->setObjectName(QStringLiteral("MSFlexGrid2"));
    grid2_->setMinimumWidth(410);
    grid2_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(grid2_, 1);

    struct Display {
        const char* button;
        const char* caption;
        int check;
        void (TotalWindow::*click)();
    };
    const Display displays[] = {
        {"Command18", "月時間の最大使用量", 2, &TotalWindow::Command18_Click},
        {"Command19", "時間帯別平均電力", 3, &TotalWindow::Command19_Click},
        {"Command7", "月別電気使用量", 1, &TotalWindow::Command7_Click},
    };
    auto* buttons = new QGridLayout;
    buttons->setHorizontalSpacing(8);
    buttons->setVerticalSpacing(3);
    int row = 0;
    for (const Display& d : displays) {
        QPushButton* button = addButton(d.button, QString::fromUtf8(d.caption), box);
        button->setMinimumWidth(170);
        connect(button, &QPushButton::clicked, this, d.click);
        auto* check = new QCheckBox(QStringLiteral("エクセルを起動する"), box);
        check->setObjectName(QStringLiteral("Check%1").arg(d.check));
        const int number = d.check;
        connect(check, &QCheckBox::toggled, this, [this, number](bool on) { form_->setChecked(number, on); });
        checks_[static_cast<std::size_t>(d.check)] = check;
        buttons->addWidget(button, row, 0);
        buttons->addWidget(check, row, 1);
        ++row;
    }
    buttons->setColumnStretch(2, 1);
    layout->addLayout(buttons);
    return box;
}

QWidget* TotalWindow::buildButtons() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    QPushButton* excel = addButton("Command2", QStringLiteral("エクセル起動"), bar);
    QPushButton* recalc = addButton("Command10", QStringLiteral("再 計 算"), bar);
    recalc->setToolTip(QStringLiteral("kW/円を変更して再計算"));
    QPushButton* print = addButton("Command1", QStringLiteral("画面印刷"), bar);
    QPushButton* pdf = addButton("CommandPdf", QStringLiteral("PDFに保存"), bar);
    QPushButton* quit = addButton("Command9", QStringLiteral("終　了"), bar);
    QPushButton* compare = addButton("CommandCompare", QStringLiteral("全メニュー比較"), bar);
    for (QPushButton* b : {excel, recalc, print, pdf, quit, compare})
        b->setMinimumSize(120, 30);
    layout->addWidget(excel);
    layout->addWidget(compare);
    connect(compare, &QPushButton::clicked, this, [this] { ui::showWindow(context_, "Comparison"); });
    layout->addStretch(1);
    layout->addWidget(recalc);
    layout->addWidget(print);
    layout->addWidget(pdf);
    layout->addWidget(quit);
    connect(excel, &QPushButton::clicked, this, &TotalWindow::Command2_Click);
    connect(recalc, &QPushButton::clicked, this, &TotalWindow::Command10_Click);
    connect(print, &QPushButton::clicked, this, &TotalWindow::Command1_Click);
    connect(pdf, &QPushButton::clicked, this, &TotalWindow::savePdf);
    connect(quit, &QPushButton::clicked, this, &TotalWindow::Command9_Click);
    return bar;
}

// ---- Refresh ------------------------------------------------------------------------------

void TotalWindow::refreshGrid(ui::FlexGrid* view, const TextGrid& grid, std::array<int, 4>& shape) {
    const std::array<int, 4> now{grid.rows(), grid.cols(), grid.fixedRows(), grid.fixedCols()};
    if (now != shape) {
        view->gridModel()->reset();
        shape = now;
    }
    view->applySizes();
}

void TotalWindow::refresh() {
    const TotalForm& f = *form_;
    const QString title = qs(f.title());
    if (windowTitle() != title)
        setWindowTitle(title);

    for (std::size_t i = 0; i < labels_.size(); ++i) {
        QLabel* label = labels_[i];
        if (!label)
            continue;
        const QString text = qs(f.text(labelNames_[i]));
        if (label->text() != text)
            label->setText(text);
        label->setVisible(f.visible(labelNames_[i]));
    }
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        QLineEdit* box = boxes_[i];
        if (!box)
            continue;
        const QString text = qs(f.text(boxNames_[i]));
        // Rewriting an unchanged text would move the caret while the user types.
        if (box->text() != text)
            box->setText(text);
        box->setVisible(f.visible(boxNames_[i]));
    }
    for (int list = 1; list <= tariffs::kListCount; ++list) {
        QComboBox* combo = combos_[static_cast<std::size_t>(list)];
        if (combo && combo->currentIndex() != f.comboIndex(list)) {
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(f.comboIndex(list));
        }
    }
    // The 自由メニュー tab shows no choice once a catalog menu has been chosen.
    if (!f.currentUserMenu() && userMenuList_ && !userMenuList_->selectedItems().isEmpty()) {
        const QSignalBlocker block(userMenuList_);
        userMenuList_->clearSelection();
    }
    if (tabs_->currentIndex() != f.currentTab()) {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(f.currentTab());
    }
    for (int n = 1; n <= 3; ++n) {
        QCheckBox* check = checks_[static_cast<std::size_t>(n)];
        if (check && check->isChecked() != f.checked(n)) {
            const QSignalBlocker block(check);
            check->setChecked(f.checked(n));
        }
    }
    refreshGrid(grid1_, f.MSFlexGrid1(), grid1Shape_);
    refreshGrid(grid2_, f.MSFlexGrid2(), grid2Shape_);
    // The year table is shown whole, without scroll bars.
    int width = 2 * grid1_->frameWidth();
    for (int c = 0; c < f.MSFlexGrid1().cols(); ++c)
        width += grid1_->columnWidth(c);
    int height = 2 * grid1_->frameWidth() + grid1_->horizontalHeader()->height();
    for (int r = 0; r + 1 < f.MSFlexGrid1().rows(); ++r)
        height += grid1_->rowHeight(r);
    grid1_->setFixedSize(width, height);
}

// ---- Events -------------------------------------------------------------------------------

bool TotalWindow::eventFilter(QObject* watched, QEvent* event) {
    // A turn of the mouse wheel over a closed list would choose a menu as the pointer passes:
    // only a click or the keyboard chooses one.
    if (event->type() == QEvent::Wheel && qobject_cast<QComboBox*>(watched))
        return true;
    return QWidget::eventFilter(watched, event);
}

void TotalWindow::comboClick(int list, int index) {
    if (index < 0)
        return;
    form_->ApplyTariffMenu(list, index, context_.prompter);
    // A Cancel on the Saturday question still leaves the lists as the form holds them.
    refresh();
}

void TotalWindow::Command10_Click() {
    form_->Command10_Click();
}

void TotalWindow::Command9_Click() {
    closeFromProgram();
}

void TotalWindow::closeFromProgram() {
    closeAllowed_ = true;
    close();
}

void TotalWindow::closeEvent(QCloseEvent* event) {
    // The title-bar close box (a close request from the window system) does nothing; 終　了 and
    // the program's own closing go ahead.
    if (event->spontaneous() && !closeAllowed_) {
        event->ignore();
        return;
    }
    form_->setListener({});
    if (context_.total == form_.get())
        context_.total = nullptr;
    event->accept();
}

// The window's picture on one A4 page, turned to the window's shape.
bool TotalWindow::paintPage(QPrinter& printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setColorMode(QPrinter::Color);
    printer.setPageOrientation(width() > height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPixmap image(size() * kPrintScale);
    image.setDevicePixelRatio(kPrintScale);
    image.fill(palette().color(QPalette::Window));
    render(&image);

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    QSize target = image.size();
    target.scale(page.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(QPoint(0, 0), target), image);
    return painter.end();
}

ui::PageOutput TotalWindow::pageOutput() {
    const QString suggested =
        QString::fromStdString(context_.state.AppDir) + QStringLiteral("料金計算結果.pdf");
    return {this, context_.prompter, printerFactory_, pdfFile_, kPrintDone, suggested};
}

void TotalWindow::recalculateIfStale() {
    // A rate typed but not yet priced would be shown beside the charge of the old rate.
    if (form_->ratesStale())
        form_->Command10_Click();
}

void TotalWindow::Command1_Click() {
    recalculateIfStale();
    ui::printPage(pageOutput(), [this](QPrinter& printer) { return paintPage(printer); });
}

void TotalWindow::savePdf() {
    recalculateIfStale();
    // The site report of this calculation (物件レポート), not a picture of the window.
    ui::PageOutput output = pageOutput();
    output.suggestedPdf = QString::fromStdString(context_.state.AppDir + "物件レポート_" +
                                                 reports::siteNamePart(context_.state) + ".pdf");
    ui::saveDocumentPdf(output, [this] {
        return sitereport::siteReportPdf(sitereport::buildSiteReport(
            {&context_.state, form_.get(), !form_->tenDayBook(), std::time(nullptr)}));
    });
}

void TotalWindow::openExcel() {
    ui::showWindow(context_, "Excell");
}

void TotalWindow::Command7_Click() {
    if (form_->Command7_Click())
        openExcel();
}

void TotalWindow::Command18_Click() {
    if (form_->Command18_Click())
        openExcel();
    else if (form_->reportRefusal())
        context_.prompter.show(*form_->reportRefusal());
}

void TotalWindow::Command19_Click() {
    if (form_->Command19_Click())
        openExcel();
    else if (form_->reportRefusal())
        context_.prompter.show(*form_->reportRefusal());
}

void TotalWindow::Command8_Click() {
    form_->Command8_Click();
    openExcel();
}

void TotalWindow::Command2_Click() {
    recalculateIfStale();
    form_->Command2_Click();
    openExcel();
}

namespace {
const ui::WindowRegistrar registrar("Total", [](ui::GuiContext& context) -> QWidget* {
    auto* window = new TotalWindow(context);
    if (!window->loaded()) {
        if (const std::optional<Message>& refusal = window->refusal())
            context.prompter.show(*refusal);
        delete window;
        return nullptr;
    }
    return window;
});
} // namespace

} // namespace wattorio::calc
