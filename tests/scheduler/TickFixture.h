#pragma once

#include "dialup/SystemDialupSettings.h"
#include "fakes/CountingRegistry.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeTickWindow.h"
#include "platform/registry/SqliteHive.h"
#include "scheduler/EndingLauncher.h"
#include "scheduler/Tick.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

namespace telmaq::test {

constexpr int kSunday = 0, kMonday = 1, kTuesday = 2, kWednesday = 3, kSaturday = 6;

// A main window with three entries, "Alpha" selected and the system's default entry agreeing,
// redial off everywhere: a tick changes nothing until a test sets something up. The tick reads
// a real hive in a folder of the test's own, through a wrapper that counts its writes; the
// test itself writes to the hive directly, as the system's dial-up tools would.
class TickFixture : public ::testing::Test
{
protected:
    TickFixture()
        : hive(env.hivePath()), registry(hive), window({"Alpha", "Beta", "Gamma"}, 0), settings(registry),
          tick(window, settings, launcher, clock)
    {
        putText("InternetProfile", "Alpha");
        putNumber("EnableRedial", 0);
        putNumber("RedialTry", 0);
        putNumber("RedialWait", 0);
        clock.setLocal(kWednesday, 12, 0, 0);
    }

    void putNumber(const char* name, std::uint32_t number)
    {
        put(name, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&number), 4);
    }
    void putText(const char* name, const std::string& text)
    {
        put(name, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
            static_cast<std::uint32_t>(text.size() + 1));
    }
    void removeRemoteAccess() { ASSERT_EQ(hive.deleteKey(HKEY_CURRENT_USER, "RemoteAccess"), ERROR_SUCCESS); }
    // The stored default entry, as another program reads it.
    std::string storedDefaultEntry()
    {
        SystemDialupSettings reader(hive);
        const char* name = reader.ReadInternetProfile();
        return name ? name : "<none>";
    }

    DialDlgState& state() { return window.m_state; }

    void scheduleConnect(int hour, int minute, int second)
    {
        state().m_bAutoConnection = true;
        state().m_nConnectHour = hour;
        state().m_nConnectMinute = minute;
        state().m_nConnectSecond = second;
    }
    void scheduleDisconnect(int hour, int minute, int second)
    {
        state().m_bAutoDisconnection = true;
        state().m_nDisconnectHour = hour;
        state().m_nDisconnectMinute = minute;
        state().m_nDisconnectSecond = second;
    }
    void tickAt(int weekday, int hour, int minute, int second)
    {
        clock.setLocal(weekday, hour, minute, second);
        tick.OnTimer();
    }
    void setDefaultEntry(const std::string& name) { putText("InternetProfile", name); }

    TempEnvironment env;
    SqliteHive hive;
    CountingRegistry registry;
    FakeClock clock;
    EndingLauncher launcher;
    FakeTickWindow window;
    SystemDialupSettings settings;
    Tick tick;

private:
    void put(const char* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size)
    {
        HKEY key = 0;
        ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        ASSERT_EQ(hive.setValue(key, name, type, data, size), ERROR_SUCCESS);
        hive.closeKey(key);
    }
};

} // namespace telmaq::test
