#pragma once
// The file panel of the main screen: drive, folder and file lists and the transfer buttons.
// The lists and every operation live in FilePanelForm; this class only binds the widgets.

#include "registry/menu_form.h"
#include "registry/site_files.h"
#include "ui/gui_context.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace wattorio::registry {

class FilePanel : public QWidget {
    Q_OBJECT
public:
    FilePanel(ui::GuiContext& context, MenuForm& form, QWidget* parent = nullptr);
    ~FilePanel() override;

    // "コピー" on the main screen.
    void copySite();
    FilePanelForm& panelForm() { return *panel_; }

signals:
    // The registry changed (a site was copied or read in): the main screen refreshes its fields.
    void registryChanged();
    // "読込み" registered a transfer set as the last site.
    void siteReadIn();

private:
    void showLists();
    // The file list and the target folder only (the folder list stays as it is).
    void showFilesAndTarget();
    void tell(const FileOpResult& result);

    void Drive1_Change(int index);
    void Dir1_Change(int row);
    void Check2_Click(bool checked);
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();

    ui::GuiContext& context_;
    MenuForm& form_;
    std::unique_ptr<FilePanelForm> panel_;

    QComboBox* drive1_ = nullptr;
    QListWidget* dir1_ = nullptr;
    QLabel* target_ = nullptr; // the folder the buttons use, in full
    QListWidget* file1_ = nullptr;
    QLineEdit* text5_ = nullptr;
    QCheckBox* check2_ = nullptr;
};

} // namespace wattorio::registry
