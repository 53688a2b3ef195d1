#pragma once
// The spreadsheet output window "Excell": when it is created it writes the report chosen by
// ExcelMode into a new workbook (ExcellForm) from the open windows' grids and rate panel, opens the
// file with the desktop's program for .xlsx files, and shows one large button that closes it,
// with the path of the file in small type below. While it stays open, the launching buttons only
// bring it forward; closing it (it is deleted on close) lets the next button write again.

#include "reports/excel_output.h"
#include "ui/gui_context.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace wattorio::reports {

class ExcellWindow : public QWidget {
    Q_OBJECT
public:
    explicit ExcellWindow(ui::GuiContext& context, QWidget* parent = nullptr);

    // Form_Load: writes the report once. A refusal or a failed write is told through the prompter
    // and leaves written() false; the window is then not to be shown.
    bool writeReport();
    bool written() const { return form_.written(); }
    const ExcellForm& form() const { return form_; }

    // How the written file is opened: the desktop's default program by default. Tests install
    // their own; the answer (opened or not) does not change what the window shows.
    using Opener = std::function<bool(const QString& path)>;
    static void setOpener(Opener opener);

    // What the sources of the reports are at this moment: the open books' grids and the results
    // window's grid and rate panel.
    static ReportSources sourcesOf(const ui::GuiContext& context);

private:
    void Command1_Click();

    ui::GuiContext& context_;
    ExcellForm form_;
    QPushButton* command1_ = nullptr;
    QLabel* label1_ = nullptr;
};

} // namespace wattorio::reports
