#pragma once
// The help manual in the program's own window (no browser needed): the pages of the data folder's
// help/ with their links, back, forward and the contents page. One help window at a time (window
// kind "Help"); F1 opens it from every window of the program.

#include <QObject>
#include <QWidget>

class QTextBrowser;
class QUrl;

namespace wattorio::ui {

struct GuiContext;

// The manual's first page (<data folder>/help/index.html), or "" when it is not there.
QString helpIndexPage();

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const QString& indexPage, QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QString indexPage_;
};

// Shows the help window ("Help"), or tells that the manual is missing. Returns the window or null.
QWidget* showHelp(GuiContext& context);

// Opens the help on F1 in any window of the application; installed once on the application.
// F1 is left alone while a modal dialog is up (the help could not be used behind it).
class HelpKey : public QObject {
    Q_OBJECT
public:
    explicit HelpKey(GuiContext& context, QObject* parent = nullptr) : QObject(parent), context_(context) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GuiContext& context_;
};

} // namespace wattorio::ui
