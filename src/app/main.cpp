// ワットリオ: the main screen starts in the working folder (the current directory, or the folder
// given as the only argument) and stays until "終　了".

#include "app/app_state.h"
#include "app/folder_lock.h"
#include "app/version.h"
#include "registry/menu_window.h"
#include "ui/gui_context.h"
#include "ui/prompt.h"
#include "yearbook/holiday_list.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFont>
#include <QLockFile>
#include <QStyleFactory>

#include <unistd.h>

using namespace wattorio;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    QApplication::setApplicationVersion(QString::fromStdString(versionDigits()));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSize(9);
    QApplication::setFont(font);

    ui::MessageBoxPrompter prompter;
    // One copy of the program at a time. The lock names its owner's process, so a lock left by a
    // crash is taken over.
    QLockFile lock(QDir::tempPath() + QStringLiteral("/wattorio-%1.lock").arg(getuid()));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(100)) {
        prompter.show({std::string("すでに「") + kAppTitle + "」は起動されています。", kAppTitle,
                       Icon::Warning, Buttons::Ok});
        return 0;
    }

    const QStringList args = QApplication::arguments();
    if (args.size() > 1 && QDir(args.at(1)).exists())
        QDir::setCurrent(args.at(1));
    // One program at a time writes the working folder, the command line included.
    Result<FolderLock> folderLock = FolderLock::take(QDir::currentPath().toStdString());
    if (!folderLock) {
        prompter.show({folderLock.error().message, kAppTitle, Icon::Warning, Buttons::Ok});
        return 0;
    }
    folderLock->removeStaleTemporaries();

    AppState state;
    state.CurrentYear = QDate::currentDate().year();
    state.DataDir = yearbook::shippedDataDir(QCoreApplication::applicationDirPath().toStdString());
    ui::GuiContext context{state, prompter, {}};
    registry::MenuWindow menu(context);
    context.windows["Menu"] = &menu;
    menu.startUp(QDir::currentPath().toStdString());
    menu.show();
    return QApplication::exec();
}
