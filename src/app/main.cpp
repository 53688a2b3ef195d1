// ワットリオ: the main screen starts in the working folder and stays until "終　了".
//
// The working folder: the folder given as the only argument (the program ends when it is not
// there); else ~/ワットリオ (made when missing) when started with --home-folder (the desktop entry
// does) or from the home folder itself, so that the registry files never land loose in the home
// folder; else the current folder.
// --smoke-test starts up completely and ends at once (used by the install check).

#include "app/app_state.h"
#include "app/data_dir.h"
#include "app/folder_lock.h"
#include "app/version.h"
#include "registry/menu_window.h"
#include "ui/gui_context.h"
#include "ui/help_window.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>

#include <string>
#include <unistd.h>
#include <vector>

using namespace wattorio;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    QApplication::setApplicationVersion(QString::fromStdString(versionDigits()));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSize(9);
    QApplication::setFont(font);
    // Qt's own dialogs, buttons and text-field menus in Japanese, whatever the desktop's language.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    ui::MessageBoxPrompter prompter;
    // The working folder first: a folder that is not there ends the program before it locks or
    // cleans anything.
    const QStringList args = QApplication::arguments();
    std::vector<std::string> given;
    for (const QString& a : args.mid(1))
        given.push_back(a.toStdString());
    const Result<std::string> folder =
        chooseWorkingFolder(given, QDir::homePath().toStdString(), QDir::currentPath().toStdString(),
                            args.contains(QStringLiteral("--home-folder")));
    if (!folder || !QDir::setCurrent(QString::fromStdString(*folder))) {
        const std::string why = folder ? "作業フォルダーを開けません: " + *folder : folder.error().message;
        prompter.show({why, kAppTitle, Icon::Critical, Buttons::Ok});
        return 1;
    }

    // One copy of the program at a time. The lock names its owner's process, so a lock left by a
    // crash is taken over.
    QLockFile lock(QDir::tempPath() + QStringLiteral("/wattorio-%1.lock").arg(getuid()));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(100)) {
        prompter.show({std::string("すでに「") + kAppTitle + "」は起動されています。", kAppTitle,
                       Icon::Warning, Buttons::Ok});
        return 0;
    }

    // One program at a time writes the working folder, the command line included.
    Result<FolderLock> folderLock = FolderLock::take(QDir::currentPath().toStdString());
    if (!folderLock) {
        prompter.show({folderLock.error().message, kAppTitle, Icon::Warning, Buttons::Ok});
        return 0;
    }
    folderLock->removeStaleTemporaries();

    AppState state;
    state.CurrentYear = QDate::currentDate().year();
    state.DataDir = programDataDir(QCoreApplication::applicationDirPath().toStdString());
    ui::GuiContext context{state, prompter, {}};
    ui::HelpKey helpKey(context);
    app.installEventFilter(&helpKey);
    registry::MenuWindow menu(context);
    context.windows["Menu"] = &menu;
    menu.startUp(QDir::currentPath().toStdString());
    menu.show();
    if (args.contains(QStringLiteral("--smoke-test")))
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); }); // exit: quit() would ask the windows
    return QApplication::exec();
}
