#pragma once

#include "app/Profile.h"
#include "connection/DialDlgState.h"
#include "platform/registry/Registry.h"

#include <cstdint>
#include <string>

namespace telmaq {

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

// The application object: start-up and shutdown, and the settings store under
// HKEY_CURRENT_USER\Software\wexhal\telmaq\Settings.
class CDialApp
{
public:
    static constexpr const char* kRegistryKey = "wexhal";
    static constexpr const char* kAppName = "telmaq";
    static constexpr const char* kSection = "Settings";

    explicit CDialApp(IRegistry& registry) : m_profile(registry, kRegistryKey, kAppName) {}

    // Reads every setting into the main window's members, defaults for what is missing or
    // unreadable, flags made 0 or 1, and keeps a copy for SaveSettings.
    void LoadSettings(DialDlgState& dlg);

    // Writes each setting whose member differs from the copy loaded at start-up, and both
    // window position values when the window was moved. Nothing is ever deleted; a failed
    // write does not stop the others.
    void SaveSettings(const DialDlgState& dlg);

    const LoadedSettings& loadedSettings() const { return m_loaded; }

private:
    Profile m_profile;
    LoadedSettings m_loaded;
};

} // namespace telmaq
