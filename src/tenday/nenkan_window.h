#pragma once
// The ten-day book window `Nenkan`: the 48-row grid, the label and value fields, the editing
// buttons, saving, the yearly totals and the CSV sheet import, bound to a TenDayForm.

#include "tenday/ten_day_form.h"
#include "ui/gui_context.h"

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;

namespace wattorio::ui {
class FlexGrid;
}

namespace wattorio::tenday {

class NenkanWindow : public QWidget {
    Q_OBJECT
public:
    explicit NenkanWindow(ui::GuiContext& context, QWidget* parent = nullptr);
    ~NenkanWindow() override;

    TenDayForm& form() { return form_; }
    // Chooses the CSV file for "ＣＳＶ読込" (an empty path cancels); the open-file dialog unless
    // replaced.
    void setCsvChooser(std::function<QString()> chooser) { chooseCsv_ = std::move(chooser); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshFields();
    void takeFields();
    void showMessage(const Message& message);
    QString openCsvDialog();

    void MSFlexGrid1_Click(int row, int col);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    // 元に戻す, Ctrl+C and Ctrl+V.
    void undo();
    void copyBlock();
    void pasteBlock();

    ui::GuiContext& context_;
    TenDayForm form_;
    std::function<QString()> chooseCsv_;

    ui::FlexGrid* grid_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QLineEdit* text5_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
};

} // namespace wattorio::tenday
