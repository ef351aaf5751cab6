#include "app/Profile.h"
#include "SettingsTestSupport.h"
#include "fakes/CountingRegistry.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

namespace telmaq {
namespace {

using test::storeRaw;

class ProfileTest : public ::testing::Test
{
protected:
    test::TempEnvironment env;
    SqliteHive hive{env.hivePath()};
    test::CountingRegistry counting{hive};
    Profile profile{counting, "wexhal", "telmaq"};
};

TEST_F(ProfileTest, EveryOperationClosesWhatItOpensAndNamesIgnoreCase)
{
    EXPECT_EQ(7, profile.readInt("Settings", "Missing", 7));
    EXPECT_EQ("dflt", profile.readText("Settings", "Missing", "dflt"));
    EXPECT_TRUE(profile.writeInt("Settings", "Number", -2));
    EXPECT_TRUE(profile.writeText("Settings", "Text", "abc"));
    EXPECT_EQ(-2, profile.readInt("Settings", "number", 0));
    EXPECT_EQ("abc", profile.readText("Settings", "TEXT", ""));
    EXPECT_EQ(0, counting.open) << "a key was left open";
    const auto stored = test::storedSettings(hive);
    EXPECT_EQ(test::dword(-2), stored.at("Number"));
    EXPECT_EQ(test::sz("abc"), stored.at("Text"));
}

TEST_F(ProfileTest, IntegersAreFourBytesWhateverTheirTag)
{
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Binary", REG_BINARY, std::string("\x10\x00\x00\x80", 4)));
    EXPECT_EQ(static_cast<std::int32_t>(0x80000010u), profile.readInt("Settings", "Binary", 1));
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Short", REG_DWORD, std::string("\x05\x00", 2)));
    EXPECT_EQ(1, profile.readInt("Settings", "Short", 1));
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Long", REG_DWORD, std::string(8, '\x01')));
    EXPECT_EQ(1, profile.readInt("Settings", "Long", 1));
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Text", REG_SZ, std::string("abc\0", 4)));
    EXPECT_EQ(0x00636261, profile.readInt("Settings", "Text", 1));
}

TEST_F(ProfileTest, TextIsReadBoundedAndNothingOfAnEarlierReadShowsThrough)
{
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Long", REG_SZ, std::string("a much longer command line") + '\0'));
    EXPECT_EQ("a much longer command line", profile.readText("Settings", "Long", ""));
    // No terminating zero at all.
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Bare", REG_SZ, "abc"));
    EXPECT_EQ("abc", profile.readText("Settings", "Bare", ""));
    // Bytes after the first zero are not part of the text.
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Tail", REG_SZ, std::string("cmd\0garbage\0", 12)));
    EXPECT_EQ("cmd", profile.readText("Settings", "Tail", ""));
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Empty", REG_SZ, ""));
    EXPECT_EQ("", profile.readText("Settings", "Empty", "dflt"));
    const std::string big(100000, 'x');
    ASSERT_EQ(ERROR_SUCCESS, storeRaw(hive, "Big", REG_SZ, big + '\0'));
    EXPECT_EQ(big, profile.readText("Settings", "Big", ""));
}

TEST_F(ProfileTest, AnUnusableHiveGivesDefaultsAndFailedWrites)
{
    test::writeFile(env.hivePath(), std::string(4096, 'z'));
    EXPECT_EQ(3, profile.readInt("Settings", "Hour", 3));
    EXPECT_EQ("dflt", profile.readText("Settings", "File", "dflt"));
    EXPECT_FALSE(profile.writeInt("Settings", "Hour", 4));
    EXPECT_FALSE(profile.writeText("Settings", "File", "x"));
    EXPECT_EQ(0, counting.open);
}

} // namespace
} // namespace telmaq
