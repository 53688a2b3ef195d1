#pragma once
// The help manual in the program's own window (no browser needed): the pages of the data folder's
// help/ with their links, back, forward and the contents page. One help window at a time (window
// kind "Help"); F1 opens it from every window of the program at that window's section.

#include <QObject>
#include <QWidget>

class QTextBrowser;
class QUrl;

namespace wattorio::ui {

struct GuiContext;

// The manual's first page (<data folder>/help/index.html), or "" when it is not there.
QString helpIndexPage();

// The section of the manual (an anchor of index.html) for a widget: that of the nearest window or
// part of a window it lies in ("Menu" → "menu", "FilePanel" → "panel" ...); "" for none.
QString helpSectionFor(const QWidget* widget);

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const QString& indexPage, QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }
    // Shows the section (an anchor of the first page); "" shows the contents page.
    void showSection(const QString& section);

private:
    QTextBrowser* browser_;
    QString indexPage_;
};

// Shows the help window ("Help") at `section` ("" = the contents), wholly on the screen, or tells
// that the manual is missing. Returns the window or null.
QWidget* showHelp(GuiContext& context, const QString& section = {});

// The keys every window shares, installed once on the application: F1 opens the help at the
// section of the window it is pressed in (left alone while a modal dialog is up: the help could
// not be used behind it), and Ctrl+A selects the whole text of a text field, whatever character
// filter the field has.
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
