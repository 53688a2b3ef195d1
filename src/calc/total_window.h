#pragma once
// The results window "Total": the nine utility tabs with their menu lists, the rate panel, the
// year table, the analysis grid and the buttons. Every figure, caption and visibility comes from
// the core TotalForm; this class only binds widgets to it and refreshes them when it changes.

#include "calc/total_form.h"
#include "ui/gui_context.h"
#include "ui/page_output.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace wattorio::ui {
class FlexGrid;
}

namespace wattorio::calc {

class ResultCharts;

class TotalWindow : public QWidget {
    Q_OBJECT
public:
    // Runs Form_Load. When the form refuses to load (no utility, no site), loaded() is false and
    // the window should not be shown.
    explicit TotalWindow(ui::GuiContext& context, QWidget* parent = nullptr);
    ~TotalWindow() override;

    bool loaded() const { return loaded_; }
    // Why the form refused to load a site it cannot price (shown by whoever opens the window).
    const std::optional<Message>& refusal() const { return form_->loadRefusal(); }
    TotalForm& form() { return *form_; }

    // Closes the window on behalf of the program (the year book's "終　了", program end): the
    // close-box rule does not apply.
    void closeFromProgram();

    // Where "画面印刷" prints. The default is the system's default printer, or nullptr when the
    // system has none. Tests install a file printer.
    using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
    void setPrinterFactory(PrinterFactory factory) { printerFactory_ = std::move(factory); }
    // The file "PDFに保存" writes, as the save dialog would give it ("" = cancelled). Tests set it.
    void setPdfFileChooser(ui::PdfFileChooser chooser) { pdfFile_ = std::move(chooser); }

    // Copies every control's state from the form into the widgets.
    void refresh();

    // Redraws the pictures from the figures now in the shared state: a new calculation ran.
    // `hourlyBook` is false for a ten-day site.
    // The totals were calculated anew: the year table, the charges of the chosen menu on the typed
    // rates, the analysis table shown and the pictures follow them.
    void refreshFromTotals(bool hourlyBook);
    void refreshCharts(bool hourlyBook);
    ResultCharts* charts() const { return charts_; }

    // Reads User_Menus.csv again into the 自由メニュー tab; with `tell`, the lines that cannot be
    // read are listed in one message.
    Q_INVOKABLE void reloadUserMenus(bool tell = true);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildTabs();
    QWidget* buildRatePanel();
    QWidget* buildYearTable();
    QWidget* buildAnalysis();
    QWidget* buildButtons();
    QWidget* buildUserMenuTab();
    QLabel* addLabel(std::string_view name, QWidget* parent);
    QLineEdit* addRateBox(std::string_view name, QWidget* parent);
    QPushButton* addButton(const char* name, const QString& caption, QWidget* parent);
    void refreshGrid(ui::FlexGrid* view, const TextGrid& grid, std::array<int, 4>& shape);

    void comboClick(int list, int index);
    void Command10_Click();
    void Command9_Click();
    void Command1_Click();
    void Command7_Click();
    void Command8_Click();
    void Command2_Click();
    void Command18_Click();
    void Command19_Click();
    void openExcel();
    void savePdf();
    void recalculateIfStale();
    bool paintPage(QPrinter& printer);
    ui::PageOutput pageOutput();

    ui::GuiContext& context_;
    std::unique_ptr<TotalForm> form_;
    bool loaded_ = false;
    bool closeAllowed_ = false;
    PrinterFactory printerFactory_;
    ui::PdfFileChooser pdfFile_;

    QTabWidget* tabs_ = nullptr;
    QTableWidget* userMenuList_ = nullptr;
    std::array<QComboBox*, tariffs::kListCount + 1> combos_{};
    // The form's labels and rate boxes, in TotalForm::controlNames() order.
    std::vector<QLabel*> labels_;
    std::vector<QLineEdit*> boxes_;
    std::vector<std::string_view> labelNames_;
    std::vector<std::string_view> boxNames_;
    std::array<QCheckBox*, 4> checks_{};
    ResultCharts* charts_ = nullptr;
    ui::FlexGrid* grid1_ = nullptr;
    ui::FlexGrid* grid2_ = nullptr;
    // Rows, columns, fixed rows and fixed columns the grid views were last reset to.
    std::array<int, 4> grid1Shape_{-1, -1, -1, -1};
    std::array<int, 4> grid2Shape_{-1, -1, -1, -1};
};

} // namespace wattorio::calc
