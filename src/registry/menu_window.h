#pragma once
// The main screen `Menu`: the site list, the registry fields and buttons, and the file panel.

#include "registry/menu_form.h"
#include "ui/gui_context.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace wattorio::ui {
class FlexGrid;
}

namespace wattorio::registry {

class FilePanel;

// While a book window is open the registry rows it depends on stay as they are: selecting,
// changing, deleting or reading in a site is refused with a message and the book is brought to
// the front. True when the action was refused.
bool refusedWhileBookOpen(ui::GuiContext& context, const std::string& action);

class MenuWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kNarrowTwips = 10575;
    static constexpr int kWideTwips = 14300;

    explicit MenuWindow(ui::GuiContext& context, QWidget* parent = nullptr);
    ~MenuWindow() override;

    // Runs the start-up sequence in `currentDir` and shows what it set aside, if anything.
    void startUp(const std::string& currentDir);
    MenuForm& form() { return form_; }
    // Chooses the site of list row `row` as a click on it does (nothing for a row without one).
    void selectSite(int row);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMessage(const Message& message);
    void refreshFields();
    void takeFields();
    void setFilePanelShown(bool shown);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();

    ui::GuiContext& context_;
    MenuForm form_;
    bool ending_ = false;

    ui::FlexGrid* grid_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QLineEdit* text4_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QComboBox* supply_ = nullptr;
    QComboBox* category_ = nullptr;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* command4_ = nullptr;
    QPushButton* command6_ = nullptr;
    QCheckBox* check1_ = nullptr;
    FilePanel* filePanel_ = nullptr;
};

} // namespace wattorio::registry
