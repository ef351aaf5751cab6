#pragma once

#include "platform/history/History.h"
#include "platform/process/ProcessLauncher.h"

#include <cstdint>
#include <string>

namespace telmaq {

// The main window's run-time state: the settings its controls edit, the copy of the system's
// redial settings, the launched application and the busy flags. The Qt main window carries
// it; the settings store, the connect and disconnect procedures and the tick work on it
// without needing a window.
struct DialDlgState
{
    // Copy of the system's redial settings.
    bool m_bRedial = false;
    std::int32_t m_nRedialWait = 0; // seconds
    std::int32_t m_nRedialTry = 0;

    // Set by Connect before it opens the connecting dialog; cleared by that dialog's Cancel
    // and Close. While it is set the dialog exists.
    bool m_bKeepDialing = false;

    bool m_bTimeDlgOpen = false;
    std::int32_t m_nConnectHour = 0;
    std::int32_t m_nConnectMinute = 0;
    std::int32_t m_nConnectSecond = 0;
    std::int32_t m_nDisconnectHour = 0;
    std::int32_t m_nDisconnectMinute = 0;
    std::int32_t m_nDisconnectSecond = 0;
    bool m_bAboutOpen = false;
    bool m_bFileDlgOpen = false;
    // The window's restored position differs from the loaded one: save both values.
    bool m_bMoved = false;
    std::int32_t m_nWindowTop = 0;
    std::int32_t m_nWindowLeft = 0;
    bool m_bDisconnecting = false;
    bool m_bConnecting = false;
    // The running Connect or Disconnect was started by the user and may show messages.
    bool m_bInteractive = false;
    // What started the running Connect or Disconnect, for the connection history; set by each
    // caller with the busy flag.
    HistoryCause m_historyCause = HistoryCause::Button;
    std::string m_strEntry;

    bool m_bApplicationDisconnection = false;
    bool m_bAutoApplication = false;
    bool m_bAutoConnection = false;
    std::string m_strApplicationFile;
    bool m_bCheckFri = false;
    bool m_bCheckMon = false;
    bool m_bCheckSat = false;
    bool m_bCheckSun = false;
    bool m_bCheckTue = false;
    bool m_bCheckWed = false;
    bool m_bCheckThu = false;
    bool m_bIconic = false;
    std::string m_strRedialText;
    bool m_bAutoDisconnection = false;
    std::string m_strConnectTime;
    std::string m_strDisconnectTime;
    ProcessHandle m_hProcess = kNoProcess;
};

} // namespace telmaq
