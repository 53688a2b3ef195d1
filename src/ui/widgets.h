#pragma once
// Small helpers the windows share: UTF-8 texts to QString, buttons named after their designer
// names, and the printer that "画面印刷" and "グラフ印刷" print on.

#include <QString>

#include <memory>
#include <string>
#include <string_view>

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

// The system's default printer for a high-resolution page, or nullptr when there is none.
std::unique_ptr<QPrinter> defaultPrinter();

} // namespace wattorio::ui
