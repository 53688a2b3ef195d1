#include "ui/widgets.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace wattorio::ui {

QPushButton* button(QWidget* parent, const char* objectName, const char* caption, const char* hint) {
    auto* b = new QPushButton(qs(caption), parent);
    b->setObjectName(QLatin1String(objectName));
    if (hint)
        b->setToolTip(qs(hint));
    return b;
}

bool isEditingShortcut(const QKeyEvent& key) {
    return (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) != 0;
}

void fitOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame is known once the window manager has framed the window; a usual one until then.
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const int left = std::max(inner.left() - frame.left(), 4);
    const int top = std::max(inner.top() - frame.top(), 30);
    const int right = std::max(frame.right() - inner.right(), 4);
    const int bottom = std::max(frame.bottom() - inner.bottom(), 4);
    const int width = std::min(window->width(), area.width() - left - right);
    const int height = std::min(window->height(), area.height() - top - bottom);
    // The window's own area is placed: a frame not yet drawn cannot push it off the screen.
    window->setGeometry(area.x() + left + (area.width() - width - left - right) / 2,
                        area.y() + top + (area.height() - height - top - bottom) / 2, width, height);
}

std::unique_ptr<QPrinter> defaultPrinter() {
    if (QPrinterInfo::availablePrinters().isEmpty())
        return nullptr;
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        info = QPrinterInfo::availablePrinters().constFirst();
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

} // namespace wattorio::ui
