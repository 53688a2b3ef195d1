#include "registry/file_panel_window.h"

namespace wattorio::registry {

FilePanel::FilePanel(ui::GuiContext& context, MenuForm& form, QWidget* parent)
    : QWidget(parent), context_(context), form_(form) {}

void FilePanel::copySite() {}

} // namespace wattorio::registry
