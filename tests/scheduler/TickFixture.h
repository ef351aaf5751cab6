#pragma once

#include "dialup/SystemDialupSettings.h"
#include "fakes/CountingRegistry.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeHistory.h"
#include "fakes/FakeTickWindow.h"
#include "platform/registry/SqliteHive.h"
#include "scheduler/EndingLauncher.h"
#include "scheduler/Tick.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

namespace telmaq::test {

constexpr int kSunday = 0, kMonday = 1, kTuesday = 2, kSaturday = 6;

// The flags that mark the main window busy; the schedule and the hang-up wait for all of them.
inline bool DialDlgState::*const kBusyFlags[] = {&DialDlgState::m_bTimeDlgOpen, &DialDlgState::m_bConnecting,
                                                 &DialDlgState::m_bDisconnecting, &DialDlgState::m_bFileDlgOpen,
                                                 &DialDlgState::m_bAboutOpen};

// Three entries, "Alpha" selected and the system's default entry agreeing, redial off: a tick
// changes nothing until a test sets something up. The tick reads a real hive in the test's own
// folder through a wrapper that counts its writes; the test writes to the hive directly, as the
// system's dial-up tools would.
class TickFixture : public ::testing::Test
{
protected:
    TickFixture()
        : hive(env.hivePath()), registry(hive), window({"Alpha", "Beta", "Gamma"}, 0), settings(registry),
          tick(window, settings, launcher, clock, history)
    {
        setDefaultEntry("Alpha");
        for (const char* name : {"EnableRedial", "RedialTry", "RedialWait"})
            putNumber(name, 0);
        clock.setLocal(3, 12, 0, 0);
    }

    void putNumber(const char* name, std::uint32_t number) { put(name, REG_DWORD, &number, 4); }
    void setDefaultEntry(const std::string& name)
    {
        put("InternetProfile", REG_SZ, name.c_str(), static_cast<std::uint32_t>(name.size() + 1));
    }
    // The stored default entry, as another program reads it.
    std::string storedDefaultEntry()
    {
        SystemDialupSettings reader(hive);
        const char* name = reader.ReadInternetProfile();
        return name ? name : "<none>";
    }
    DialDlgState& state() { return window.m_state; }
    void schedule(bool connect, int hour, int minute, int second)
    {
        (connect ? state().m_bAutoConnection : state().m_bAutoDisconnection) = true;
        (connect ? state().m_nConnectHour : state().m_nDisconnectHour) = hour;
        (connect ? state().m_nConnectMinute : state().m_nDisconnectMinute) = minute;
        (connect ? state().m_nConnectSecond : state().m_nDisconnectSecond) = second;
    }
    void tickAt(int weekday, int hour, int minute, int second)
    {
        clock.setLocal(weekday, hour, minute, second);
        tick.OnTimer();
    }

    TempEnvironment env;
    SqliteHive hive;
    CountingRegistry registry;
    FakeClock clock;
    EndingLauncher launcher;
    FakeHistory history;
    FakeTickWindow window;
    SystemDialupSettings settings;
    Tick tick;

private:
    void put(const char* name, std::uint32_t type, const void* data, std::uint32_t size)
    {
        HKEY key = 0;
        ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        ASSERT_EQ(hive.setValue(key, name, type, static_cast<const std::uint8_t*>(data), size), ERROR_SUCCESS);
        hive.closeKey(key);
    }
};

} // namespace telmaq::test
