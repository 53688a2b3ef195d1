#include "ui/help_window.h"

#include "app/data_dir.h"
#include "app/message.h"
#include "app/version.h"
#include "ui/gui_context.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace wattorio::ui {

QString helpIndexPage() {
    const std::string data = programDataDir(QCoreApplication::applicationDirPath().toStdString());
    if (data.empty())
        return {};
    const QString page = qs(data) + QStringLiteral("/help/index.html");
    return QFileInfo(page).isFile() ? page : QString();
}

QString helpSectionFor(const QWidget* widget) {
    // A part of a window (named within that window when its name is not unique) comes before the
    // window it lies in.
    struct Section {
        const char* name;
        const char* window; // nullptr: any window
        const char* anchor;
    };
    static const Section kSections[] = {
        {"FilePanel", nullptr, "panel"},
        {"Frame1", "Mainichi", "calendar"},
        {"Frame2", "Mainichi", "generator"},
        {"YearHeatmap", nullptr, "heatmap"},
        {"ResultCharts", nullptr, "charts"},
        {"Menu", nullptr, "menu"},
        {"Mainichi", nullptr, "mainichi"},
        {"Load_CSV_Option", nullptr, "csv"},
        {"IntervalImport", nullptr, "interval"},
        {"Nenkan", nullptr, "nenkan"},
        {"Total", nullptr, "total"},
        {"Comparison", nullptr, "compare"},
        {"SiteComparison", nullptr, "compare"},
        {"Excell", nullptr, "excel"},
        {"UserMenuEditor", nullptr, "usermenu"},
    };
    for (const QWidget* w = widget; w; w = w->parentWidget())
        for (const Section& s : kSections)
            if (w->objectName() == QLatin1String(s.name) &&
                (!s.window || w->window()->objectName() == QLatin1String(s.window)))
                return QLatin1String(s.anchor);
    return {};
}

HelpWindow::HelpWindow(const QString& indexPage, QWidget* parent)
    : QWidget(parent, Qt::Window), indexPage_(indexPage) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(qs("ヘルプ － ") + qs(kAppTitle));

    auto* back = new QPushButton(qs("← 戻る"), this);
    back->setObjectName(QStringLiteral("HelpBack"));
    auto* forward = new QPushButton(qs("進む →"), this);
    forward->setObjectName(QStringLiteral("HelpForward"));
    auto* home = new QPushButton(qs("目次"), this);
    home->setObjectName(QStringLiteral("HelpHome"));
    auto* close = new QPushButton(qs("閉じる"), this);
    close->setObjectName(QStringLiteral("HelpClose"));
    back->setEnabled(false);
    forward->setEnabled(false);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    // Pages of the manual open here; addresses outside it go to the desktop.
    browser_->setOpenLinks(false);
    browser_->setSource(QUrl::fromLocalFile(indexPage_));

    auto* bar = new QHBoxLayout;
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(home);
    bar->addStretch();
    bar->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(browser_);
    resize(820, 760);

    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, [this] { showSection({}); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.isLocalFile() || url.isRelative())
            browser_->setSource(url);
        else
            QDesktopServices::openUrl(url);
    });
}

void HelpWindow::showSection(const QString& section) {
    QUrl url = QUrl::fromLocalFile(indexPage_);
    if (!section.isEmpty())
        url.setFragment(section);
    if (browser_->source() != url)
        browser_->setSource(url);
    else if (!section.isEmpty())
        browser_->scrollToAnchor(section);
}

namespace {
const WindowRegistrar registrar("Help", [](GuiContext&) -> QWidget* {
    const QString page = helpIndexPage();
    return page.isEmpty() ? nullptr : new HelpWindow(page);
});
} // namespace

QWidget* showHelp(GuiContext& context, const QString& section) {
    const bool wasOpen = context.window("Help") != nullptr;
    QWidget* window = showWindow(context, "Help");
    if (!window) {
        context.prompter.show(
            Message{"ヘルプファイルが見つかりません。", kAppTitle, Icon::Warning, Buttons::Ok});
        return nullptr;
    }
    if (auto* help = qobject_cast<HelpWindow*>(window))
        help->showSection(section);
    if (!wasOpen)
        fitOnScreen(window);
    return window;
}

bool HelpKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F1 && !QApplication::activeModalWidget()) {
        // In the help window itself F1 leaves the page being read where it is.
        auto* widget = static_cast<QWidget*>(watched);
        if (!qobject_cast<HelpWindow*>(widget->window()))
            showHelp(context_, helpSectionFor(widget));
        return true;
    }
    if (key->matches(QKeySequence::SelectAll)) {
        QLineEdit* edit = qobject_cast<QLineEdit*>(watched);
        if (auto* combo = qobject_cast<QComboBox*>(watched))
            edit = combo->lineEdit();
        if (edit) {
            edit->selectAll();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace wattorio::ui
