#include "ui/number_field.h"

#include "app/number_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

namespace wattorio::ui {

namespace {

constexpr const char* kNumberFieldProperty = "wattorioNumberField";

QString asciiForm(const QString& text) {
    return QString::fromStdString(asciiNumberText(text.toStdString()));
}

int keyOf(char c) {
    if (c >= '0' && c <= '9')
        return Qt::Key_0 + (c - '0');
    switch (c) {
    case '+':
        return Qt::Key_Plus;
    case '-':
        return Qt::Key_Minus;
    case '.':
        return Qt::Key_Period;
    default:
        return Qt::Key_Comma;
    }
}

// Whatever reaches the text (an input method's commit, a paste, a drop) is converted here: the
// line edit applies a validator's change before it tells anybody about the edit.
class AsciiNumberValidator : public QValidator {
public:
    AsciiNumberValidator(QObject* parent, bool readingsOnly)
        : QValidator(parent), readingsOnly_(readingsOnly) {}
    State validate(QString& input, int& pos) const override {
        const QString ascii = asciiForm(input);
        if (readingsOnly_ && !isReadingText(ascii.toStdString()))
            return Invalid;
        if (ascii != input) {
            // Every converted character is one UTF-16 unit before and after: the caret stays.
            input = ascii;
            pos = std::min<int>(pos, static_cast<int>(input.size()));
        }
        return Acceptable;
    }

private:
    bool readingsOnly_;
};

// Key presses: an application filter sees them before the windows' own key filters.
class KeyRewriter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->property(kNumberFieldProperty).toBool())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QString ascii = asciiForm(key->text());
        if (ascii == key->text())
            return false;
        QKeyEvent rewritten(QEvent::KeyPress,
                            ascii.size() == 1 ? keyOf(ascii.at(0).toLatin1()) : Qt::Key_unknown,
                            key->modifiers(), ascii, key->isAutoRepeat(), static_cast<ushort>(key->count()));
        QCoreApplication::sendEvent(watched, &rewritten);
        return true;
    }
};

} // namespace

namespace {

void makeNumberField(QLineEdit* edit, bool readingsOnly) {
    const QString rewriterName = QStringLiteral("wattorioNumberKeys");
    if (!qApp->findChild<KeyRewriter*>(rewriterName, Qt::FindDirectChildrenOnly)) {
        auto* rewriter = new KeyRewriter(qApp);
        rewriter->setObjectName(rewriterName);
        qApp->installEventFilter(rewriter);
    }
    edit->setProperty(kNumberFieldProperty, true);
    edit->setValidator(new AsciiNumberValidator(edit, readingsOnly));
}

} // namespace

void numberField(QLineEdit* edit) {
    makeNumberField(edit, false);
}

void readingField(QLineEdit* edit) {
    makeNumberField(edit, true);
}

} // namespace wattorio::ui
