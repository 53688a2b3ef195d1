#include "ui/gui_context.h"

namespace wattorio::ui {

namespace {
std::map<std::string, WindowFactory>& factories() {
    static std::map<std::string, WindowFactory> table;
    return table;
}
} // namespace

QWidget* GuiContext::window(const std::string& name) const {
    auto it = windows.find(name);
    return it == windows.end() ? nullptr : it->second.data();
}

WindowRegistrar::WindowRegistrar(const char* name, WindowFactory factory) {
    factories()[name] = std::move(factory);
}

bool hasWindowKind(const std::string& name) {
    return factories().count(name) != 0;
}

QWidget* showWindow(GuiContext& context, const std::string& name) {
    QWidget* open = context.window(name);
    if (!open) {
        auto it = factories().find(name);
        if (it == factories().end())
            return nullptr;
        open = it->second(context);
        if (!open)
            return nullptr;
        context.windows[name] = open;
    }
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}

} // namespace wattorio::ui
