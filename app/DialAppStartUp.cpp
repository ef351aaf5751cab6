#include "app/DialApp.h"

#include "connection/DialWindow.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "platform/system/InstanceLock.h"
#include "ui/framework/MessageBox.h"

namespace telmaq {

namespace {

const char kNoDialupNetworking[] = "ダイヤルアップネットワークの設定がありません";

std::string damagedSettingsFile(const std::string& path)
{
    return "設定ファイル「" + path + "」が壊れています。ファイルはそのままにして終了します";
}

} // namespace

void CDialApp::startUpMessage(const std::string& text)
{
    // No window of ours is showing yet, so the box has no owner.
    m_ports->messageBox.messageBox(nullptr, text, kAppName, MB_OK | MB_ICONEXCLAMATION);
}

// A damaged hive answers every read with the same refusal, which the checks below would pass
// off as dial-up networking that is not set up; the user must learn of the damage instead.
bool CDialApp::settingsFileDamaged()
{
    HKEY key = 0;
    const long rc = m_registry.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key);
    if (rc == ERROR_SUCCESS)
        m_registry.closeKey(key);
    return rc == ERROR_FILE_CORRUPT;
}

bool CDialApp::StartUp()
{
    if (!m_ports)
        return false;

    // The guard comes before anything else: a second copy must leave no trace, not even a
    // created hive file, and must not disturb the copy that runs.
    switch (m_ports->instanceLock.acquire()) {
    case IInstanceLock::Result::HeldByAnother:
        return false;
    case IInstanceLock::Result::Acquired:
        break;
    case IInstanceLock::Result::Unavailable:
        // Better one copy too many than none at all.
        break;
    }

    if (settingsFileDamaged()) {
        startUpMessage(damagedSettingsFile(m_ports->settingsFile));
        return false;
    }

    const std::uint32_t code = m_ports->dialupLists.EnumEntries();
    if (code != 0) {
        startUpMessage(m_ports->rasErrorText.GetRasErrorText(code));
        return false;
    }
    if (m_ports->dialupLists.entryCount() <= 0) {
        startUpMessage(kNoDialupNetworking);
        return false;
    }

    std::unique_ptr<IMainWindow> window = m_ports->mainWindows.createMainWindow(*this);
    const char* profile = m_ports->dialupSettings.ReadInternetProfile();
    window->state().m_strEntry = profile ? profile : "";
    if (window->state().m_strEntry.empty()) {
        startUpMessage(kNoDialupNetworking);
        return false;
    }

    LoadSettings(window->state());
    window->runModal();
    SaveSettings(window->state());
    return false;
}

int CDialApp::ShutDown()
{
    // The lock goes with the process, crash or not; there is nothing of ours to write here.
    return 0;
}

} // namespace telmaq
