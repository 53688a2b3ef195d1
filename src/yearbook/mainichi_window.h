#pragma once
// The year book window `Mainichi`: binds its controls to the core YearBookForm and shows what
// the form holds after every operation.

#include "ui/gui_context.h"
#include "yearbook/year_book_form.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace wattorio::ui {
class FlexGrid;
}

namespace wattorio::yearbook {

class MainichiWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the book of the current site (SiteDataPath, SiteRow and UtilityNo are set).
    explicit MainichiWindow(ui::GuiContext& context, QWidget* parent = nullptr);
    ~MainichiWindow() override;

    YearBookForm& form() { return form_; }

    // "終　了": saves a changed book, closes the spreadsheet and results windows, then this one.
    // False (and the window stays open) when the book could not be saved.
    bool closeBook();

    // Copies every caption, field and choice from the form into the widgets.
    void refresh();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    // Runs one operation of the form, then shows its result.
    template <class F> void run(F&& operation);
    void applyRequests();
    void Command7_Click();
    // Ctrl+C: the selected hour cells to the clipboard as tab-separated text.
    void copyBlock();
    // "表 示" → "ヒートマップ": the year as a carpet; a click selects that cell of the grid.
    void showHeatmap();

    ui::GuiContext& context_;
    // The book file this window was opened from: every action of the window works on it.
    std::string bookPath_;
    YearBookForm form_;
    bool closing_ = false;

    ui::FlexGrid* grid_ = nullptr;
    QPointer<class YearHeatmap> heatmap_;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label6_ = nullptr;
    QLabel* label11_ = nullptr;
    QLabel* label13_ = nullptr;
    QLabel* label17_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QLineEdit* text4_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QComboBox* combo3_ = nullptr;
    QComboBox* combo4_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QPushButton* command13_ = nullptr;
};

} // namespace wattorio::yearbook
