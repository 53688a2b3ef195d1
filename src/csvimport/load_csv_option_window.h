#pragma once
// The CSV import window `Load_CSV_Option` ("CSVファイル読み込み"): binds its controls to
// LoadCsvOptionForm and imports into the open year book's grid.

#include "csvimport/load_csv_option_form.h"
#include "ui/gui_context.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace wattorio::csvimport {

class LoadCsvOptionWindow : public QWidget {
    Q_OBJECT
public:
    explicit LoadCsvOptionWindow(ui::GuiContext& context, QWidget* parent = nullptr);

    LoadCsvOptionForm& form() { return form_; }
    // The open-file dialog; tests install their own answer (nullopt = cancelled).
    using FileChooser = std::function<std::optional<std::string>()>;
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    void Command1_Click(); // CSV読み込み

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void showPreview();
    void applyFocus();
    void showMessage(const Message& message);
    std::optional<std::string> chooseFile();

    ui::GuiContext& context_;
    LoadCsvOptionForm form_;
    FileChooser chooser_;

    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QButtonGroup* layoutGroup_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* preview_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QLineEdit* text4_ = nullptr;
    QPushButton* command4_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

} // namespace wattorio::csvimport
