#include "ui/help_window.h"

#include "app/data_dir.h"
#include "app/message.h"
#include "app/version.h"
#include "ui/gui_context.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
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
    connect(home, &QPushButton::clicked, this,
            [this] { browser_->setSource(QUrl::fromLocalFile(indexPage_)); });
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

namespace {
const WindowRegistrar registrar("Help", [](GuiContext&) -> QWidget* {
    const QString page = helpIndexPage();
    return page.isEmpty() ? nullptr : new HelpWindow(page);
});
} // namespace

QWidget* showHelp(GuiContext& context) {
    QWidget* window = showWindow(context, "Help");
    if (!window)
        context.prompter.show(
            Message{"ヘルプファイルが見つかりません。", kAppTitle, Icon::Warning, Buttons::Ok});
    return window;
}

bool HelpKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        watched->isWidgetType() && !QApplication::activeModalWidget()) {
        showHelp(context_);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace wattorio::ui
