#pragma once
// Small helpers the windows share: UTF-8 texts to QString, buttons named after their designer
// names, and the printer that "画面印刷" and "グラフ印刷" print on.

#include <QString>

#include <memory>
#include <string>
#include <string_view>

class QKeyEvent;
class QPrinter;
class QPushButton;
class QWidget;

namespace wattorio::ui {

inline QString qs(const std::string& text) {
    return QString::fromStdString(text);
}
inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline QString qs(const char* text) {
    return QString::fromUtf8(text);
}

// A button with its caption, its object name (the designer name) and, when given, its hint.
QPushButton* button(QWidget* parent, const char* objectName, const char* caption, const char* hint = nullptr);

// A key pressed with Ctrl (select all, copy, paste, undo ...): the fields' character filters let
// it through to the field.
bool isEditingShortcut(const QKeyEvent& key);

// Makes a top-level window no larger than the free area of its screen, its frame included, and
// places it wholly on that area (centred).
void fitOnScreen(QWidget* window);

// The system's default printer for a high-resolution page, or nullptr when there is none.
std::unique_ptr<QPrinter> defaultPrinter();

} // namespace wattorio::ui
