#pragma once
// The window 料金表の編集: a tariff file of 料金表 with its price periods and its monthly tables,
// a row of twelve values pasted from a spreadsheet filling twelve months.

#include "billing/tariff_editor.h"
#include "ui/gui_context.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace wattorio::billing {

class TariffEditorWindow : public QWidget {
    Q_OBJECT
public:
    explicit TariffEditorWindow(ui::GuiContext& context, QWidget* parent = nullptr);
    TariffEditor& editor() { return editor_; }
    // Opens the file of 料金表 named `file`.
    void openFile(const std::string& file);
    MonthTableKind kind() const;
    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showFile();
    void showTable();
    void showProblem();
    YearMonth monthAt(int row, int column) const;
    void tell(const std::string& problem);
    // Whether unsaved edits may go: none, or the user lets them go.
    bool mayDiscard();

    ui::GuiContext& context_;
    TariffEditor editor_;
    std::vector<int> years_;
    bool filling_ = false;
    QComboBox* files_ = nullptr;
    QListWidget* prices_ = nullptr;
    QLineEdit* newDate_ = nullptr;
    QComboBox* kind_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* problem_ = nullptr;
};

} // namespace wattorio::billing
