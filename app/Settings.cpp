#include "app/DialApp.h"

namespace telmaq {
namespace {

// One stored setting: its value name, its default, where the main window keeps it and where
// the loaded copy keeps it. Flags live in bool members, numbers in 32-bit ones.
struct Row
{
    const char* name;
    std::int32_t fallback;
    bool DialDlgState::*flag;
    std::int32_t DialDlgState::*number;
    std::int32_t LoadedSettings::*loaded;
};

// In the order in which the settings are read and written. ApplicationFile, the one text,
// comes between AutoApplication and ApplicationDisconnection and is handled on its own.
constexpr const char* kApplicationFile = "ApplicationFile";
constexpr int kApplicationFileRow = 16;

const Row kRows[] = {
    {"AutoConnection", 0, &DialDlgState::m_bAutoConnection, nullptr, &LoadedSettings::nAutoConnection},
    {"AutoDisconnection", 0, &DialDlgState::m_bAutoDisconnection, nullptr, &LoadedSettings::nAutoDisconnection},
    {"CheckSun", 1, &DialDlgState::m_bCheckSun, nullptr, &LoadedSettings::nCheckSun},
    {"CheckMon", 1, &DialDlgState::m_bCheckMon, nullptr, &LoadedSettings::nCheckMon},
    {"CheckTue", 1, &DialDlgState::m_bCheckTue, nullptr, &LoadedSettings::nCheckTue},
    {"CheckWed", 1, &DialDlgState::m_bCheckWed, nullptr, &LoadedSettings::nCheckWed},
    {"CheckThu", 1, &DialDlgState::m_bCheckThu, nullptr, &LoadedSettings::nCheckThu},
    {"CheckFri", 1, &DialDlgState::m_bCheckFri, nullptr, &LoadedSettings::nCheckFri},
    {"CheckSat", 1, &DialDlgState::m_bCheckSat, nullptr, &LoadedSettings::nCheckSat},
    {"ConnectionHour", 0, nullptr, &DialDlgState::m_nConnectHour, &LoadedSettings::nConnectionHour},
    {"ConnectionMinute", 0, nullptr, &DialDlgState::m_nConnectMinute, &LoadedSettings::nConnectionMinute},
    {"ConnectionSecond", 0, nullptr, &DialDlgState::m_nConnectSecond, &LoadedSettings::nConnectionSecond},
    {"DisconnectionHour", 0, nullptr, &DialDlgState::m_nDisconnectHour, &LoadedSettings::nDisconnectionHour},
    {"DisconnectionMinute", 0, nullptr, &DialDlgState::m_nDisconnectMinute, &LoadedSettings::nDisconnectionMinute},
    {"DisconnectionSecond", 0, nullptr, &DialDlgState::m_nDisconnectSecond, &LoadedSettings::nDisconnectionSecond},
    {"AutoApplication", 0, &DialDlgState::m_bAutoApplication, nullptr, &LoadedSettings::nAutoApplication},
    {"ApplicationDisconnection", 0, &DialDlgState::m_bApplicationDisconnection, nullptr,
     &LoadedSettings::nApplicationDisconnection},
    {"Iconic", 0, &DialDlgState::m_bIconic, nullptr, &LoadedSettings::nIconic},
};

std::int32_t memberValue(const DialDlgState& dlg, const Row& row)
{
    return row.flag ? (dlg.*row.flag ? 1 : 0) : dlg.*row.number;
}

} // namespace

void CDialApp::LoadSettings(DialDlgState& dlg)
{
    int index = 0;
    for (const Row& row : kRows) {
        if (index++ == kApplicationFileRow) {
            dlg.m_strApplicationFile = m_profile.readText(kSection, kApplicationFile, std::string());
            m_loaded.strApplicationFile = dlg.m_strApplicationFile;
        }
        const std::int32_t stored = m_profile.readInt(kSection, row.name, row.fallback);
        if (row.flag)
            dlg.*row.flag = stored != 0;
        else
            dlg.*row.number = stored;
        m_loaded.*row.loaded = memberValue(dlg, row);
    }
    // Integers are taken as stored: a position off every screen is the window's to deal with.
    dlg.m_nWindowLeft = m_profile.readInt(kSection, "WindowLeft", 0);
    dlg.m_nWindowTop = m_profile.readInt(kSection, "WindowTop", 0);
}

void CDialApp::SaveSettings(const DialDlgState& dlg)
{
    int index = 0;
    for (const Row& row : kRows) {
        // Compared byte for byte: a change of letter case alone is a change.
        if (index++ == kApplicationFileRow && dlg.m_strApplicationFile != m_loaded.strApplicationFile)
            m_profile.writeText(kSection, kApplicationFile, dlg.m_strApplicationFile);
        const std::int32_t value = memberValue(dlg, row);
        if (value != m_loaded.*row.loaded)
            m_profile.writeInt(kSection, row.name, value);
    }
    if (dlg.m_bMoved) {
        m_profile.writeInt(kSection, "WindowLeft", dlg.m_nWindowLeft);
        m_profile.writeInt(kSection, "WindowTop", dlg.m_nWindowTop);
    }
}

} // namespace telmaq
