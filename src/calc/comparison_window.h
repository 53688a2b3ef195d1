#pragma once
// The window "全メニュー比較": every menu of the utility of the tab shown on the results window
// (or of all nine with "全電力会社"), of one category and voltage row or all, ranked by its year's
// charges; part-year prices come last, marked "一部の期間のみ". The choices are kept per site for
// the run. A double-click applies that
// menu on the results window as a choice in its list would; "エクセル出力" writes the table as it
// is sorted into a spreadsheet file. The ranking itself is the core ComparisonForm.

#include "calc/comparison.h"
#include "ui/gui_context.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <array>
#include <ctime>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace wattorio::calc {

// The table of a ComparisonForm as a Qt model: texts, alignment, the menu's full caption as a
// hint, and the menu now applied on the results window in bold.
class ComparisonModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ComparisonModel(const ComparisonForm& form, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Call after the form's table changed.
    void reload(const tariffs::TariffMenu* applied);
    // The menu now applied on the results window changed (the rows stay).
    void setApplied(const tariffs::TariffMenu* applied);
    const tariffs::TariffMenu* applied() const { return applied_; }

private:
    const ComparisonForm& form_;
    const tariffs::TariffMenu* applied_ = nullptr;
    // The texts of every cell and the hint of every row, made once per reload: painting asks for
    // them many times.
    std::vector<std::array<QString, kRankColumnCount>> texts_;
    std::vector<QString> hints_;
};

class ComparisonWindow : public QWidget {
    Q_OBJECT
public:
    explicit ComparisonWindow(ui::GuiContext& context, QWidget* parent = nullptr);

    ComparisonForm& form() { return form_; }
    ComparisonModel* model() const { return model_; }

    // Prices again from the open results form (its year table and the tab it shows) or, without
    // one, from the monthly totals and the site's utility. Cheap when nothing changed. The window
    // does this itself whenever it is shown or comes to the front.
    void refresh();

    // A double-click on table row `row`: that menu is applied on the results window (its tab is
    // shown, the Saturday question asked where the menu has it) and the results window comes to
    // the front. False when there is no such row, no results window or the user cancelled.
    bool applyRow(int row);

    // "エクセル出力": the table as sorted now, into the report folder; the user is told the file.
    void exportWorkbook();
    // The time stamped on the file name (tests fix it).
    void setClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }

signals:
    // A menu was applied on the results window.
    void menuApplied(int list, int index);

protected:
    bool event(QEvent* event) override;

private:
    void showTable();
    void choiceChanged();

    ui::GuiContext& context_;
    ComparisonForm form_;
    ComparisonModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* year_ = nullptr;
    QCheckBox* all_ = nullptr;
    QComboBox* category_ = nullptr;
    QComboBox* voltage_ = nullptr;
    // The site whose remembered choices the form shows.
    bool choiceRead_ = false;
    std::string choiceSite_;
    std::function<std::time_t()> clock_;
};

} // namespace wattorio::calc
