#pragma once
// What every window gets: the shared state, the prompt through which it asks and tells the user,
// and the windows that are open (each window kind at most once).

#include "app/app_state.h"
#include "app/message.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

namespace wattorio::yearbook {
class YearBookForm;
}
namespace wattorio::tenday {
class TenDayForm;
}
namespace wattorio::calc {
class TotalForm;
}

namespace wattorio::ui {

struct GuiContext {
    AppState& state;
    Prompter& prompter;
    // Open windows by their form name ("Menu", "Mainichi", "Nenkan", "Total", "Excell",
    // "Load_CSV_Option"); a closed window's entry becomes null by itself.
    std::map<std::string, QPointer<QWidget>> windows;

    // The core form of each open book and of the results window, set by that window while it is
    // open (null otherwise): how the import, the results and the spreadsheet output reach them.
    yearbook::YearBookForm* yearBook = nullptr;
    tenday::TenDayForm* tenDay = nullptr;
    calc::TotalForm* total = nullptr;

    QWidget* window(const std::string& name) const;
};

// Creates a window of one kind. Window files register themselves with a static WindowRegistrar.
using WindowFactory = std::function<QWidget*(GuiContext&)>;

class WindowRegistrar {
public:
    WindowRegistrar(const char* name, WindowFactory factory);
};

// Shows the named window, creating it when it is not open; an open one is only brought to the
// front. Returns nullptr when no window of that name is built into the program.
QWidget* showWindow(GuiContext& context, const std::string& name);
bool hasWindowKind(const std::string& name);

} // namespace wattorio::ui
