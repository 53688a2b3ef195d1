#pragma once
// Number fields take what a Japanese input method types: full-width digits, point, minus and
// comma turn into their ASCII forms as they are typed, committed by the input method or pasted.

class QLineEdit;

namespace wattorio::ui {

// Makes `edit` a number field. Key presses are rewritten before any key filter of the window sees
// them, so a window that accepts only digits accepts "１" as "1".
void numberField(QLineEdit* edit);
// A number field for readings: besides, any change that would leave anything but digits and one
// decimal point is refused (a paste, an input method's commit), so the field never holds a text
// that reads as another number. Texts set by the program are shown as they are.
void readingField(QLineEdit* edit);

} // namespace wattorio::ui
