#include "dialup/SystemDialupSettings.h"
#include "fakes/CountingRegistry.h"
#include "platform/registry/SqliteHive.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace telmaq {
namespace {

class SystemDialupSettingsTest : public ::testing::Test
{
protected:
    // Stores a value under RemoteAccess as the dial-up tools would, bytes and type as given.
    void store(const char* name, std::uint32_t type, const std::string& bytes)
    {
        HKEY key = 0;
        ASSERT_EQ(ERROR_SUCCESS, hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
        ASSERT_EQ(ERROR_SUCCESS, hive.setValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                               static_cast<std::uint32_t>(bytes.size())));
        hive.closeKey(key);
    }
    void storeNumber(const char* name, std::uint32_t value)
    {
        store(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
    }

    std::string profile()
    {
        const char* name = settings.ReadInternetProfile();
        return name ? std::string(name) : std::string("(none)");
    }

    test::TempEnvironment env;
    SqliteHive hive{env.hivePath()};
    test::CountingRegistry counting{hive};
    SystemDialupSettings settings{counting};
};

TEST_F(SystemDialupSettingsTest, WithoutTheKeyEverythingReadsAsOffAndTheWriteMakesNothing)
{
    EXPECT_FALSE(settings.ReadEnableRedial());
    EXPECT_EQ(0, settings.ReadRedialTry());
    EXPECT_EQ(0, settings.ReadRedialWaitSeconds());
    EXPECT_EQ(nullptr, settings.ReadInternetProfile());
    EXPECT_EQ(0, settings.WriteInternetProfile("Provider"));
    EXPECT_FALSE(std::filesystem::exists(env.hivePath())) << "reading the system's settings made the hive";

    // With a hive that has other keys but not this one, likewise.
    HKEY other = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.createKey(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS, &other));
    EXPECT_EQ(0, settings.WriteInternetProfile("Provider"));
    HKEY remote = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &remote));
}

TEST_F(SystemDialupSettingsTest, RedialValuesAreReadAsTheDialupToolsStoreThem)
{
    storeNumber("EnableRedial", 2);
    storeNumber("RedialTry", 10);
    storeNumber("RedialWait", 2u << 16 | 30u);
    EXPECT_TRUE(settings.ReadEnableRedial());
    EXPECT_EQ(10, settings.ReadRedialTry());
    EXPECT_EQ(150, settings.ReadRedialWaitSeconds());

    storeNumber("RedialWait", 59);
    EXPECT_EQ(59, settings.ReadRedialWaitSeconds());
    // Both halves are unsigned.
    storeNumber("RedialWait", 0xFFFFFFFFu);
    EXPECT_EQ(65535 + 65535 * 60, settings.ReadRedialWaitSeconds());
    storeNumber("EnableRedial", 0);
    EXPECT_FALSE(settings.ReadEnableRedial());
}

TEST_F(SystemDialupSettingsTest, NumbersIgnoreTheTypeTagButNotTheSize)
{
    store("RedialTry", REG_BINARY, std::string("\x07\0\0\0", 4));
    EXPECT_EQ(7, settings.ReadRedialTry());

    store("RedialTry", REG_DWORD, std::string("\x07\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(0, settings.ReadRedialTry());
    store("EnableRedial", REG_DWORD, std::string("\x01", 1));
    EXPECT_FALSE(settings.ReadEnableRedial());
    store("RedialWait", REG_DWORD, "");
    EXPECT_EQ(0, settings.ReadRedialWaitSeconds());
}

TEST_F(SystemDialupSettingsTest, TheDefaultEntryIsReadWithinTwoHundredFiftyFiveBytesAndNothingOlderShows)
{
    std::string japanese; // 85 three-byte characters: 255 bytes
    for (int i = 0; i < 85; ++i)
        japanese += "接";
    const std::pair<std::string, std::string> cases[] = {
        {"A long provider name" + std::string(1, '\0'), "A long provider name"},
        {std::string(255, 'n') + '\0', std::string(255, 'n')},
        {std::string(256, 'n') + '\0', "(none)"},
        {std::string(1, '\0'), ""},
        {japanese + '\0', japanese},
        // Without a terminating zero, with bytes after it, and a full buffer without any zero.
        {"abc", "abc"},
        {std::string("ab\0cdefgh", 9), "ab"},
        {std::string(256, 'x'), "(none)"},
        {std::string(255, 'y'), std::string(255, 'y')},
    };
    for (const auto& [stored, read] : cases) {
        store("InternetProfile", REG_SZ, stored);
        EXPECT_EQ(read, profile()) << stored.size() << " bytes stored";
    }
    ASSERT_EQ(1, settings.WriteInternetProfile("Short"));
    EXPECT_EQ("Short", profile());
}

TEST_F(SystemDialupSettingsTest, TheWriteStoresTheNameWithItsZeroAsText)
{
    store("InternetProfile", REG_SZ, std::string("Old", 4));
    ASSERT_EQ(1, settings.WriteInternetProfile("プロバイダ"));
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "remoteaccess", KEY_READ, &key));
    char data[64];
    std::uint32_t type = 0, size = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS,
              hive.queryValue(key, "InternetProfile", &type, reinterpret_cast<std::uint8_t*>(data), &size));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(std::string("プロバイダ").size() + 1, size);
    EXPECT_STREQ("プロバイダ", data);
}

TEST_F(SystemDialupSettingsTest, EveryCallClosesTheKeyItOpened)
{
    storeNumber("RedialTry", 3);
    settings.ReadEnableRedial();
    settings.ReadRedialTry();
    settings.ReadRedialWaitSeconds();
    settings.ReadInternetProfile();
    settings.WriteInternetProfile("x");
    EXPECT_EQ(0, counting.open) << "a handle was left open";
}

} // namespace
} // namespace telmaq
