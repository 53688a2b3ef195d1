#pragma once
// The file panel of the main screen: drive, folder and file lists and the transfer buttons.

#include "registry/menu_form.h"
#include "ui/gui_context.h"

#include <QWidget>

namespace wattorio::registry {

class FilePanel : public QWidget {
    Q_OBJECT
public:
    FilePanel(ui::GuiContext& context, MenuForm& form, QWidget* parent = nullptr);

    // "コピー" on the main screen.
    void copySite();

signals:
    // The registry changed (a site was copied or read in): the main screen refreshes its fields.
    void registryChanged();

private:
    ui::GuiContext& context_;
    MenuForm& form_;
};

} // namespace wattorio::registry
