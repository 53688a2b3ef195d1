#pragma once
// The window 月別請求額: the selected site's months priced under a tariff file of 料金表, the
// invoices typed or pasted beside them, a chart of the parts and the demand, and the ranking of
// every tariff file the site can take.

#include "billing/monthly_bill_form.h"
#include "ui/gui_context.h"
#include "ui/page_output.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QTableWidget;
class QChartView;

namespace wattorio::billing {

class MonthlyBillWindow : public QWidget {
    Q_OBJECT
public:
    explicit MonthlyBillWindow(ui::GuiContext& context, QWidget* parent = nullptr);
    MonthlyBillForm& form() { return form_; }
    // The site of the state's SiteRow, loaded again.
    void reload();
    void chooseTariff(const std::string& file);
    void exportWorkbook();
    // PDFに保存: the site report (物件レポート) with this tariff's monthly bills.
    void saveReportPdf();
    // Where PDFに保存 writes (tests give their own; null: the save dialog).
    void setPdfFileChooser(ui::PdfFileChooser chooser) { pdfFile_ = std::move(chooser); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Brought to the front after another site was chosen: that site's bill.
    bool event(QEvent* event) override;

private:
    void showBill();
    void showTable();
    void showChart();
    void showRanking();
    void tell(const std::string& problem);

    ui::GuiContext& context_;
    MonthlyBillForm form_;
    bool filling_ = false;
    int loadedRow_ = 0;
    QComboBox* tariffs_ = nullptr;
    QComboBox* first_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* note_ = nullptr;
    QChartView* chart_ = nullptr;
    QTableWidget* ranking_ = nullptr;
    QLabel* status_ = nullptr;
    ui::PdfFileChooser pdfFile_;
};

} // namespace wattorio::billing
