#pragma once
// The window "自由メニューの編集": the rows of User_Menus.csv in a grid with the file's columns
// and a column telling whether each row can be used. Every entry is checked by the core
// UserMenuEditor as it is made; the window only binds the grid and the buttons to it.

#include "tariffs/user_menu_editor.h"
#include "ui/gui_context.h"

#include <QWidget>

class QLabel;
class QTableWidget;

namespace wattorio::tariffs {

class UserMenuEditorWindow : public QWidget {
    Q_OBJECT
public:
    explicit UserMenuEditorWindow(ui::GuiContext& context, QWidget* parent = nullptr);

    UserMenuEditor& editor() { return editor_; }
    // The message of loading (lines that cannot be read), shown once the window is up.
    void tellLoadProblems();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fill();
    void fillRow(int row);
    void updateStatus();
    void cellChanged(int row, int column);
    void add();
    void copy();
    void remove();
    void save();

    ui::GuiContext& context_;
    UserMenuEditor editor_;
    std::optional<Message> loadMessage_;
    QTableWidget* grid_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace wattorio::tariffs
