// ワットリオ: the main screen starts in the working folder and stays until "終　了".
//
// The working folder: the folder given as the only argument; else ~/ワットリオ (made when missing)
// when started with --home-folder (the desktop entry does) or from the home folder itself, so that
// the registry files never land loose in the home folder; else the current folder.
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

#include <unistd.h>

using namespace wattorio;

namespace {

// The folder the program works in, chosen as the header says; "" when ~/ワットリオ cannot be made.
QString chooseWorkingFolder(const QStringList& args, bool homeFolder) {
    for (const QString& a : args.mid(1))
        if (!a.startsWith(QStringLiteral("--")) && QDir(a).exists())
            return QDir(a).absolutePath();
    const QDir home = QDir::home();
    if (!homeFolder && QDir::current().canonicalPath() != home.canonicalPath())
        return QDir::currentPath();
    const QString folder = home.filePath(QString::fromUtf8(kAppTitle));
    return QDir().mkpath(folder) ? folder : QString();
}

} // namespace

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
    const QString folder = chooseWorkingFolder(args, args.contains(QStringLiteral("--home-folder")));
    if (folder.isEmpty() || !QDir::setCurrent(folder)) {
        const QByteArray shown = QDir::home().filePath(QString::fromUtf8(kAppTitle)).toUtf8();
        prompter.show({"作業フォルダー「" + shown.toStdString() + "」を作成できません。", kAppTitle,
                       Icon::Critical, Buttons::Ok});
        return 1;
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
