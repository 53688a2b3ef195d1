#include "ui/widgets.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace wattorio::ui {

QPushButton* button(QWidget* parent, const char* objectName, const char* caption, const char* hint) {
    auto* b = new QPushButton(qs(caption), parent);
    b->setObjectName(QLatin1String(objectName));
    if (hint)
        b->setToolTip(qs(hint));
    return b;
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
