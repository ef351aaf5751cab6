#include "SettingsTestSupport.h"
#include "app/DialApp.h"
#include "fakes/CountingRegistry.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <sstream>

namespace telmaq {
namespace {

using test::dword;
using test::storedSettings;
using test::sz;

// Stores a number as the registry holds one: four bytes, least significant first.
long storeDword(SqliteHive& hive, const char* name, std::int32_t value)
{
    return test::storeRaw(hive, name, REG_DWORD, test::dword(value).substr(2));
}

std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

class SettingsStoreTest : public ::testing::Test
{
protected:
    // Loads as start-up does, then forgets what the load itself asked of the hive.
    void load()
    {
        app.LoadSettings(dlg);
        counting.calls.clear();
        counting.writes = 0;
    }

    std::vector<std::string> writtenNames() const
    {
        std::vector<std::string> names;
        for (const std::string& call : counting.calls)
            if (call.rfind("set ", 0) == 0)
                names.push_back(call.substr(4));
        return names;
    }

    test::TempEnvironment env;
    SqliteHive hive{env.hivePath()};
    test::CountingRegistry counting{hive};
    CDialApp app{counting};
    DialDlgState dlg;
};

TEST_F(SettingsStoreTest, AFreshProfileGivesEveryDefaultAndAnEmptySettingsKey)
{
    // Members hold other values beforehand, so that a default left unset would show.
    dlg.m_bCheckSun = false;
    dlg.m_bIconic = true;
    dlg.m_nConnectHour = 5;
    dlg.m_nWindowLeft = 9;
    dlg.m_strApplicationFile = "stale";
    app.LoadSettings(dlg);

    for (bool day : {dlg.m_bCheckSun, dlg.m_bCheckMon, dlg.m_bCheckTue, dlg.m_bCheckWed, dlg.m_bCheckThu,
                     dlg.m_bCheckFri, dlg.m_bCheckSat})
        EXPECT_TRUE(day);
    for (bool option : {dlg.m_bAutoConnection, dlg.m_bAutoDisconnection, dlg.m_bAutoApplication,
                        dlg.m_bApplicationDisconnection, dlg.m_bIconic})
        EXPECT_FALSE(option);
    for (std::int32_t number : {dlg.m_nConnectHour, dlg.m_nConnectMinute, dlg.m_nConnectSecond, dlg.m_nDisconnectHour,
                                dlg.m_nDisconnectMinute, dlg.m_nDisconnectSecond, dlg.m_nWindowLeft, dlg.m_nWindowTop})
        EXPECT_EQ(0, number);
    EXPECT_EQ("", dlg.m_strApplicationFile);

    std::vector<std::string> queried;
    for (const std::string& call : counting.calls)
        if (call.rfind("query ", 0) == 0 && (queried.empty() || queried.back() != call.substr(6)))
            queried.push_back(call.substr(6));
    EXPECT_EQ(words("AutoConnection AutoDisconnection CheckSun CheckMon CheckTue CheckWed CheckThu CheckFri CheckSat "
                    "ConnectionHour ConnectionMinute ConnectionSecond DisconnectionHour DisconnectionMinute "
                    "DisconnectionSecond AutoApplication ApplicationFile ApplicationDisconnection Iconic WindowLeft "
                    "WindowTop"),
              queried);

    counting.writes = 0;
    app.SaveSettings(dlg);
    EXPECT_EQ(0, counting.writes);
    EXPECT_TRUE(storedSettings(hive).empty()) << "the key exists and holds nothing";
}

TEST_F(SettingsStoreTest, OnlyWhatDiffersFromTheLoadedValuesIsWritten)
{
    load();
    dlg.m_bCheckWed = false;
    app.SaveSettings(dlg);
    EXPECT_EQ(std::vector<std::string>{"CheckWed"}, writtenNames());
    EXPECT_EQ(dword(0), storedSettings(hive).at("CheckWed"));

    // Changed and changed back: nothing.
    CDialApp fresh{counting};
    DialDlgState other;
    fresh.LoadSettings(other);
    counting.calls.clear();
    other.m_nDisconnectMinute = 30;
    other.m_strApplicationFile = "mailer";
    other.m_nDisconnectMinute = 0;
    other.m_strApplicationFile.clear();
    fresh.SaveSettings(other);
    EXPECT_TRUE(writtenNames().empty());
}

TEST_F(SettingsStoreTest, EveryChangedValueIsWrittenInTableOrderWithItsKind)
{
    load();
    dlg.m_bAutoConnection = true;
    dlg.m_bAutoDisconnection = true;
    dlg.m_bCheckSun = false;
    dlg.m_bCheckSat = false;
    dlg.m_nConnectHour = 7;
    dlg.m_nConnectMinute = 30;
    dlg.m_nConnectSecond = 1;
    dlg.m_nDisconnectHour = 23;
    dlg.m_nDisconnectMinute = 59;
    dlg.m_nDisconnectSecond = 58;
    dlg.m_bAutoApplication = true;
    dlg.m_strApplicationFile = "\"/usr/bin/メーラー\" --check";
    dlg.m_bApplicationDisconnection = true;
    dlg.m_bIconic = true;
    app.SaveSettings(dlg);
    const std::vector<std::string> expected =
        words("AutoConnection AutoDisconnection CheckSun CheckSat ConnectionHour ConnectionMinute ConnectionSecond "
              "DisconnectionHour DisconnectionMinute DisconnectionSecond AutoApplication ApplicationFile "
              "ApplicationDisconnection Iconic");
    EXPECT_EQ(expected, writtenNames());

    const auto stored = storedSettings(hive);
    EXPECT_EQ(dword(1), stored.at("AutoConnection"));
    EXPECT_EQ(dword(0), stored.at("CheckSat"));
    EXPECT_EQ(dword(58), stored.at("DisconnectionSecond"));
    EXPECT_EQ(sz("\"/usr/bin/メーラー\" --check"), stored.at("ApplicationFile"));

    // And a later run loads exactly what was saved.
    CDialApp next{hive};
    DialDlgState again;
    next.LoadSettings(again);
    EXPECT_TRUE(again.m_bAutoConnection && !again.m_bCheckSun && again.m_bIconic);
    EXPECT_EQ(59, again.m_nDisconnectMinute);
    EXPECT_EQ(dlg.m_strApplicationFile, again.m_strApplicationFile);
}

TEST_F(SettingsStoreTest, ALetterCaseChangeOfTheApplicationIsAChange)
{
    ASSERT_EQ(ERROR_SUCCESS, test::storeRaw(hive, "ApplicationFile", REG_SZ, std::string("mailer.exe") + '\0'));
    load();
    EXPECT_EQ("mailer.exe", dlg.m_strApplicationFile);
    dlg.m_strApplicationFile = "Mailer.exe";
    app.SaveSettings(dlg);
    EXPECT_EQ(std::vector<std::string>{"ApplicationFile"}, writtenNames());
    EXPECT_EQ(sz("Mailer.exe"), storedSettings(hive).at("ApplicationFile"));
}

TEST_F(SettingsStoreTest, TheWindowPositionIsWrittenWhenAndOnlyWhenTheWindowMoved)
{
    ASSERT_EQ(ERROR_SUCCESS, storeDword(hive, "WindowLeft", 100));
    ASSERT_EQ(ERROR_SUCCESS, storeDword(hive, "WindowTop", -10));
    load();
    EXPECT_EQ(100, dlg.m_nWindowLeft);
    EXPECT_EQ(-10, dlg.m_nWindowTop);

    // A position that differs but was not marked as moved is not written.
    dlg.m_nWindowLeft = 300;
    app.SaveSettings(dlg);
    EXPECT_TRUE(writtenNames().empty());

    // Moved horizontally only: both are written, left first.
    dlg.m_bMoved = true;
    app.SaveSettings(dlg);
    EXPECT_EQ((std::vector<std::string>{"WindowLeft", "WindowTop"}), writtenNames());
    EXPECT_EQ(dword(300), storedSettings(hive).at("WindowLeft"));
    EXPECT_EQ(dword(-10), storedSettings(hive).at("WindowTop"));
}

TEST_F(SettingsStoreTest, StoredValuesAreUsedAsTheyAreOddOnesGiveDefaultsAndNoneIsRewritten)
{
    ASSERT_EQ(ERROR_SUCCESS, storeDword(hive, "CheckMon", 5));
    ASSERT_EQ(ERROR_SUCCESS, storeDword(hive, "CheckSun", 0));
    ASSERT_EQ(ERROR_SUCCESS, storeDword(hive, "ConnectionHour", 99));
    ASSERT_EQ(ERROR_SUCCESS, storeDword(hive, "DisconnectionSecond", -1));
    // Values of the wrong size.
    ASSERT_EQ(ERROR_SUCCESS, test::storeRaw(hive, "CheckTue", REG_DWORD, std::string("\0\0", 2)));
    ASSERT_EQ(ERROR_SUCCESS, test::storeRaw(hive, "ConnectionMinute", REG_DWORD, std::string("\x05\0\0\0\0\0\0\0", 8)));
    ASSERT_EQ(ERROR_SUCCESS, test::storeRaw(hive, "AutoConnection", REG_DWORD, ""));
    load();
    EXPECT_TRUE(dlg.m_bCheckMon);
    EXPECT_EQ(1, app.loadedSettings().nCheckMon);
    EXPECT_FALSE(dlg.m_bCheckSun);
    EXPECT_EQ(99, dlg.m_nConnectHour);
    EXPECT_EQ(-1, dlg.m_nDisconnectSecond);
    EXPECT_TRUE(dlg.m_bCheckTue);
    EXPECT_EQ(0, dlg.m_nConnectMinute);
    EXPECT_FALSE(dlg.m_bAutoConnection);

    dlg.m_bIconic = true;
    app.SaveSettings(dlg);
    EXPECT_EQ(std::vector<std::string>{"Iconic"}, writtenNames());
    const auto stored = storedSettings(hive);
    EXPECT_EQ(dword(5), stored.at("CheckMon"));
    EXPECT_EQ(dword(99), stored.at("ConnectionHour"));
    EXPECT_EQ("4:", stored.at("AutoConnection"));
}

TEST_F(SettingsStoreTest, ASecondSaveWritesTheChangedValuesAgain)
{
    load();
    dlg.m_nConnectHour = 6;
    app.SaveSettings(dlg); // the session's end
    dlg.m_bMoved = true;
    dlg.m_nWindowLeft = 40;
    app.SaveSettings(dlg); // the normal close afterwards
    EXPECT_EQ((std::vector<std::string>{"ConnectionHour", "ConnectionHour", "WindowLeft", "WindowTop"}),
              writtenNames());
    EXPECT_EQ(0, app.loadedSettings().nConnectionHour) << "the loaded copy never changes";
    EXPECT_EQ(dword(6), storedSettings(hive).at("ConnectionHour"));
}

TEST_F(SettingsStoreTest, AFailedWriteDoesNotStopTheOthers)
{
    load();
    counting.refuseWritesOf = "CheckFri";
    dlg.m_bCheckThu = false;
    dlg.m_bCheckFri = false;
    dlg.m_bCheckSat = false;
    app.SaveSettings(dlg);
    const auto stored = storedSettings(hive);
    EXPECT_EQ(dword(0), stored.at("CheckThu"));
    EXPECT_EQ(0u, stored.count("CheckFri"));
    EXPECT_EQ(dword(0), stored.at("CheckSat"));
}

TEST(SettingsStoreFaults, ACorruptHiveGivesDefaultsAndStaysByteForByte)
{
    test::TempEnvironment env;
    const std::string corrupt = "SQLite format 2\n" + std::string(8000, '\x13');
    test::writeFile(env.hivePath(), corrupt);
    SqliteHive hive(env.hivePath());
    CDialApp app(hive);
    DialDlgState dlg;
    dlg.m_nConnectHour = 12;
    app.LoadSettings(dlg);
    EXPECT_TRUE(dlg.m_bCheckMon);
    EXPECT_EQ(0, dlg.m_nConnectHour);
    dlg.m_bAutoConnection = true;
    dlg.m_strApplicationFile = "x";
    dlg.m_bMoved = true;
    app.SaveSettings(dlg);
    EXPECT_EQ(corrupt, test::fileContents(env.hivePath()));
}

} // namespace
} // namespace telmaq
