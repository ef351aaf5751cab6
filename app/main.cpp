// telmaq: the one place where the program's real ports are made and wired together.

#include "app/DialApp.h"
#include "app/DialDlgMainWindowFactory.h"
#include "app/LazyDialupService.h"
#include "app/MessageLog.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "platform/dialup/DialupProviders.h"
#include "platform/history/SqliteHistory.h"
#include "platform/process/PosixProcessLauncher.h"
#include "platform/registry/SqliteHive.h"
#include "platform/system/FlockInstanceLock.h"
#include "platform/system/SystemClock.h"
#include "platform/system/UserPaths.h"
#include "ui/dialogs/DialogTemplates.h"
#include "ui/framework/ApplicationLook.h"
#include "ui/framework/qt/QtMessageBox.h"

#include <QApplication>

#include <memory>

using namespace telmaq;

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    applyApplicationLook(kDialogFontFace);
    QApplication::setApplicationName(QString::fromLatin1(CDialApp::kAppName));
    QApplication::setDesktopFileName(QStringLiteral("telmaq"));
    // The program ends when start-up returns, not when its last window closes: a message
    // box closing before the main window opens must not end the run.
    QApplication::setQuitOnLastWindowClosed(false);

    FlockInstanceLock instanceLock(runtimeDirectory());
    // The hive creates its file only on the first write, and nothing is written before the
    // guard has been taken.
    SqliteHive hive(hivePath());
    SystemClock clock;
    PosixProcessLauncher launcher;

    QtMessageBox shownBoxes;
    std::unique_ptr<LoggingMessageBox> loggedBoxes;
    if (const QByteArray log = qgetenv("TELMAQ_MESSAGE_LOG"); !log.isEmpty())
        loggedBoxes = std::make_unique<LoggingMessageBox>(shownBoxes, log.toStdString());
    IMessageBox& messageBoxes = loggedBoxes ? static_cast<IMessageBox&>(*loggedBoxes) : shownBoxes;

    LazyDialupService service([&hive] { return openDialupService(hive); });
    DialupLists lists(service);
    RasErrorText errorText(service);
    SystemDialupSettings dialupSettings(hive);
    // Opened on the first event only: a copy that finds another one running writes nothing.
    SqliteHistory history(historyDatabasePath(), {configuredDialupProvider(hive)});

    DialDlgMainWindowFactory mainWindows(
        DialDlgPorts{{service, lists, errorText, launcher, clock, history}, dialupSettings, messageBoxes});
    CDialApp app(hive,
                 StartUpPorts{instanceLock, lists, errorText, dialupSettings, messageBoxes, mainWindows, hivePath()});

    app.StartUp();
    return app.ShutDown();
}
