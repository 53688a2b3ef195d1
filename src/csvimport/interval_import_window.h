#pragma once
// The window "インターバルデータ読込": interval data files (30分値) chosen one or many at a time,
// read and placed into the open year book by their own dates, with the summary of what was read
// and "元に戻す" for the last import.

#include "ui/gui_context.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace wattorio::csvimport {

class IntervalImportWindow : public QWidget {
    Q_OBJECT
public:
    explicit IntervalImportWindow(ui::GuiContext& context, QWidget* parent = nullptr);

    // The open-files dialog; tests install their own answer (empty = cancelled).
    using FilesChooser = std::function<std::vector<std::string>()>;
    void setFilesChooser(FilesChooser chooser) { chooser_ = std::move(chooser); }

    void chooseFiles(); // ファイル選択
    void importFiles(); // 読み込み
    void undoImport();  // 元に戻す

private:
    void refresh();

    ui::GuiContext& context_;
    FilesChooser chooser_;
    std::vector<std::string> files_;

    QListWidget* fileList_ = nullptr;
    QComboBox* unit_ = nullptr;
    QLineEdit* column_ = nullptr;
    QRadioButton* valuesKwh_ = nullptr;
    QRadioButton* valuesReadings_ = nullptr;
    QLabel* multiplier_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPlainTextEdit* summary_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* undo_ = nullptr;
};

} // namespace wattorio::csvimport
