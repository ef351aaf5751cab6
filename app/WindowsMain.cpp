// telmaq.exe: the one place where the program's Windows ports are made and wired together.

#include "app/DialApp.h"
#include "app/DialDlgMainWindowFactory.h"
#include "app/MessageLog.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "platform/history/History.h"
#include "platform/win32/MutexInstanceLock.h"
#include "platform/win32/RasDialupService.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "platform/win32/Win32Registry.h"
#include "ui/framework/win32/Win32MessageBox.h"

#include <cstdlib>
#include <memory>

using namespace telmaq;

int main()
{
    MutexInstanceLock instanceLock;
    Win32Registry registry;
    Win32Clock clock;
    Win32ProcessLauncher launcher;

    Win32MessageBox shownBoxes;
    std::unique_ptr<LoggingMessageBox> loggedBoxes;
    if (const char* log = std::getenv("TELMAQ_MESSAGE_LOG"); log && *log)
        loggedBoxes = std::make_unique<LoggingMessageBox>(shownBoxes, log);
    IMessageBox& messageBoxes = loggedBoxes ? static_cast<IMessageBox&>(*loggedBoxes) : shownBoxes;

    RasDialupService service;
    DialupLists lists(service);
    RasErrorText errorText(service);
    SystemDialupSettings dialupSettings(registry);
    // Windows's Remote Access client logs every dial, connection and hang-up itself.
    NullHistory history;

    DialDlgMainWindowFactory mainWindows(
        DialDlgPorts{{service, lists, errorText, launcher, clock, history}, dialupSettings, messageBoxes});
    // The settings live in the system's registry, which the system itself keeps whole.
    CDialApp app(registry, StartUpPorts{instanceLock, lists, errorText, dialupSettings, messageBoxes, mainWindows,
                                        "HKEY_CURRENT_USER"});

    app.StartUp();
    return app.ShutDown();
}
