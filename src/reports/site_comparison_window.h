#pragma once
// The window "全物件の比較": every registered site priced under its own utility's menus, one row a
// site, with progress and cancel while it runs; "Excel出力" writes the table to a spreadsheet.

#include "reports/site_comparison.h"
#include "ui/gui_context.h"

#include <QWidget>

class QTableWidget;
class QLabel;

namespace wattorio::reports {

class SiteComparisonWindow : public QWidget {
    Q_OBJECT
public:
    explicit SiteComparisonWindow(ui::GuiContext& context, QWidget* parent = nullptr);
    // Compares every site again (with a progress dialog that can cancel).
    void run();
    const std::vector<SiteComparison>& sites() const { return sites_; }
    void exportWorkbook();

private:
    void showTable();
    void openRow(int row);

    ui::GuiContext& context_;
    std::vector<tariffs::UserMenu> userMenus_;
    std::vector<SiteComparison> sites_;
    bool cancelled_ = false;
    QTableWidget* table_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace wattorio::reports
