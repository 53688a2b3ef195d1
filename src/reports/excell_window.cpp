#include "reports/excell_window.h"

#include "calc/total_form.h"
#include "tenday/ten_day_form.h"
#include "ui/widgets.h"
#include "yearbook/year_book_form.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <ctime>

namespace wattorio::reports {

namespace {

using ui::qs;

ExcellWindow::Opener& opener() {
    static ExcellWindow::Opener open = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return open;
}

} // namespace

void ExcellWindow::setOpener(Opener open) {
    opener() = std::move(open);
}

ReportSources ExcellWindow::sourcesOf(const ui::GuiContext& context) {
    ReportSources sources;
    if (context.tenDay)
        sources.tenDayGrid = &context.tenDay->grid();
    if (context.yearBook)
        sources.yearBookGrid = &context.yearBook->grid();
    if (const calc::TotalForm* total = context.total) {
        sources.resultsGrid = &total->MSFlexGrid1();
        sources.panel.text = [total](std::string_view name) { return total->text(name); };
        sources.panel.visible = [total](std::string_view name) { return total->visible(name); };
        sources.panel.userMenu = total->currentUserMenu().has_value();
        sources.calculated = true;
    }
    return sources;
}

ExcellWindow::ExcellWindow(ui::GuiContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), form_(context.state) {
    setObjectName(QStringLiteral("Excell"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs(ExcellForm::kCaption));

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(12, 12, 12, 10);
    root->setSpacing(8);

    command1_ = new QPushButton(qs(ExcellForm::kCommand1Caption), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    QFont big = command1_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    command1_->setFont(big);
    command1_->setMinimumSize(380, 90);
    command1_->setDefault(true);
    root->addWidget(command1_, 1);

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    QFont small = label1_->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    label1_->setFont(small);
    label1_->setWordWrap(true);
    label1_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label1_->setTextFormat(Qt::PlainText);
    root->addWidget(label1_);

    connect(command1_, &QPushButton::clicked, this, &ExcellWindow::Command1_Click);
}

bool ExcellWindow::writeReport() {
    if (written())
        return true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<Message> refused = form_.Form_Load(sourcesOf(context_), std::time(nullptr));
    QApplication::restoreOverrideCursor();
    if (refused) {
        context_.prompter.show(*refused);
        return false;
    }
    const QString path = qs(form_.path());
    label1_->setText(QDir::toNativeSeparators(path));
    label1_->setToolTip(QDir::toNativeSeparators(path));
    // Nothing to open it with is no failure: the file stays and the window confirms all the same.
    if (opener())
        opener()(path);
    return true;
}

void ExcellWindow::Command1_Click() {
    close();
}

namespace {
const ui::WindowRegistrar registrar("Excell", [](ui::GuiContext& context) -> QWidget* {
    auto* window = new ExcellWindow(context);
    if (!window->writeReport()) {
        delete window;
        return nullptr;
    }
    return window;
});
} // namespace

} // namespace wattorio::reports
