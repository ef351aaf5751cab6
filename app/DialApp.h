#pragma once

#include "app/MainWindowFactory.h"
#include "app/Profile.h"
#include "connection/DialDlgState.h"
#include "platform/registry/Registry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace telmaq {

class DialupLists;
class IInstanceLock;
class IMessageBox;
class RasErrorText;
class SystemDialupSettings;

// The settings as they were loaded at start-up, kept to write back only what has changed.
// Every setting except the window position, in this order.
struct LoadedSettings
{
    std::int32_t nConnectionHour = 0;
    std::int32_t nConnectionMinute = 0;
    std::int32_t nConnectionSecond = 0;
    std::int32_t nApplicationDisconnection = 0;
    std::int32_t nAutoApplication = 0;
    std::int32_t nAutoConnection = 0;
    std::int32_t nAutoDisconnection = 0;
    std::string strApplicationFile;
    std::int32_t nDisconnectionHour = 0;
    std::int32_t nDisconnectionMinute = 0;
    std::int32_t nDisconnectionSecond = 0;
    std::int32_t nCheckFri = 0;
    std::int32_t nCheckMon = 0;
    std::int32_t nCheckSat = 0;
    std::int32_t nCheckSun = 0;
    std::int32_t nCheckTue = 0;
    std::int32_t nCheckWed = 0;
    std::int32_t nCheckThu = 0;
    std::int32_t nIconic = 0;
};

// What start-up needs besides the settings store.
struct StartUpPorts
{
    IInstanceLock& instanceLock;
    DialupLists& dialupLists;
    RasErrorText& rasErrorText;
    SystemDialupSettings& dialupSettings;
    IMessageBox& messageBox;
    IMainWindowFactory& mainWindows;
    // The file behind the registry, named when it is found damaged.
    std::string settingsFile;
};

// The application object: start-up and shutdown, and the settings store under
// HKEY_CURRENT_USER\Software\wexhal\telmaq\Settings.
class CDialApp
{
public:
    static constexpr const char* kRegistryKey = "wexhal";
    static constexpr const char* kAppName = "telmaq";
    static constexpr const char* kSection = "Settings";

    explicit CDialApp(IRegistry& registry) : m_registry(registry), m_profile(registry, kRegistryKey, kAppName) {}
    CDialApp(IRegistry& registry, const StartUpPorts& ports) : CDialApp(registry) { m_ports.emplace(ports); }

    // The program's whole working life: the single-copy guard, the checks of dial-up
    // networking, loading, the main window's modal run and saving. Always false: there is no
    // message loop to run afterwards.
    bool StartUp();

    // Runs after StartUp on every path; answers the process exit code.
    int ShutDown();

    // Reads every setting into the main window's members, defaults for what is missing or
    // unreadable, flags made 0 or 1, and keeps a copy for SaveSettings.
    void LoadSettings(DialDlgState& dlg);

    // Writes each setting whose member differs from the copy loaded at start-up, and both
    // window position values when the window was moved. Nothing is ever deleted; a failed
    // write does not stop the others.
    void SaveSettings(const DialDlgState& dlg);

    const LoadedSettings& loadedSettings() const { return m_loaded; }

private:
    void startUpMessage(const std::string& text);
    bool settingsFileDamaged();

    IRegistry& m_registry;
    Profile m_profile;
    LoadedSettings m_loaded;
    std::optional<StartUpPorts> m_ports;
};

} // namespace telmaq
