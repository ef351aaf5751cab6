#include "HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace telmaq {
namespace {

using test::readBytes;
using test::setDword;
using test::setText;

class SqliteHiveTest : public ::testing::Test
{
protected:
    HKEY create(const char* path, std::uint32_t access = KEY_ALL_ACCESS)
    {
        HKEY key = 0;
        EXPECT_EQ(ERROR_SUCCESS, hive.createKey(HKEY_CURRENT_USER, path, access, &key)) << path;
        return key;
    }

    test::TempEnvironment env;
    SqliteHive hive{env.hivePath()};
};

TEST_F(SqliteHiveTest, KeysAreMadeWithTheirParentsAndFoundIgnoringAsciiCase)
{
    HKEY settings = create("Software\\wexhal\\telmaq\\Settings");
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, settings, "CheckMon", 5));

    HKEY again = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "SOFTWARE\\WexHal\\TELMAQ\\settings", KEY_READ, &again));
    EXPECT_EQ(std::string("\x05\0\0\0", 4), readBytes(hive, again, "checkmon"));

    // Each step of the path can be opened on its own, and doubled or outer backslashes change nothing.
    HKEY software = 0, nested = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "Software", KEY_READ, &software));
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(software, "\\wexhal\\\\telmaq\\Settings\\", KEY_READ, &nested));
    EXPECT_EQ(std::string("\x05\0\0\0", 4), readBytes(hive, nested, "CheckMon"));

    // The name keeps its first writing; creating it again in other letters finds the same key.
    HKEY telmaq = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.createKey(software, "WEXHAL\\Telmaq", KEY_READ, &telmaq));
    std::vector<std::string> children;
    ASSERT_EQ(ERROR_SUCCESS, hive.subKeys(software, &children));
    EXPECT_EQ(std::vector<std::string>{"wexhal"}, children);

    // Only ASCII letters fold: other bytes compare exactly.
    HKEY upper = create("Software\\Ä"), lower = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.openKey(HKEY_CURRENT_USER, "Software\\ä", KEY_READ, &lower));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, upper, "接続", 1));
    EXPECT_EQ("error 2", readBytes(hive, upper, "切断"));

    for (HKEY key : {settings, again, software, nested, telmaq, upper})
        EXPECT_EQ(ERROR_SUCCESS, hive.closeKey(key));
}

TEST_F(SqliteHiveTest, MissingKeysAndValuesAnswerNotFound)
{
    HKEY key = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key));
    HKEY remote = create("RemoteAccess");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.openKey(remote, "Nothing\\Here", KEY_READ, &key));
    std::uint32_t size = 4;
    std::uint8_t data[4] = {};
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.queryValue(remote, "InternetProfile", nullptr, data, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.deleteValue(remote, "InternetProfile"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.deleteKey(HKEY_CURRENT_USER, "Nothing"));
}

TEST_F(SqliteHiveTest, QueryAnswersSizeTypeAndMoreDataLikeTheRegistry)
{
    HKEY key = create("RemoteAccess");
    ASSERT_EQ(ERROR_SUCCESS, setText(hive, key, "InternetProfile", "Provider"));

    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.queryValue(key, "InternetProfile", &type, nullptr, &size));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(9u, size);

    // Too small a buffer: told the size needed, and the buffer is left alone.
    char small[4] = {'x', 'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(ERROR_MORE_DATA,
              hive.queryValue(key, "InternetProfile", &type, reinterpret_cast<std::uint8_t*>(small), &size));
    EXPECT_EQ(9u, size);
    EXPECT_EQ(std::string("xxxx"), std::string(small, 4));
    char oneShort[8];
    size = sizeof oneShort;
    EXPECT_EQ(ERROR_MORE_DATA,
              hive.queryValue(key, "InternetProfile", &type, reinterpret_cast<std::uint8_t*>(oneShort), &size));
    EXPECT_EQ(9u, size);

    char room[32];
    size = sizeof room;
    ASSERT_EQ(ERROR_SUCCESS,
              hive.queryValue(key, "InternetProfile", nullptr, reinterpret_cast<std::uint8_t*>(room), &size));
    EXPECT_EQ(9u, size);
    EXPECT_STREQ("Provider", room);

    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              hive.queryValue(key, "InternetProfile", nullptr, reinterpret_cast<std::uint8_t*>(room), nullptr));
}

TEST_F(SqliteHiveTest, ValuesKeepTheirTypeTagAndBytesAndMayBeReplacedOrRemoved)
{
    HKEY key = create("Software\\Test");
    const std::uint8_t raw[] = {0, 1, 2, 0xff, 0};
    ASSERT_EQ(ERROR_SUCCESS, hive.setValue(key, "Multi", 7, raw, sizeof raw));
    ASSERT_EQ(ERROR_SUCCESS, hive.setValue(key, "Empty", REG_BINARY, nullptr, 0));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key, nullptr, 42));

    std::uint32_t type = 0;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw), sizeof raw), readBytes(hive, key, "MULTI", &type));
    EXPECT_EQ(7u, type);
    EXPECT_EQ("", readBytes(hive, key, "Empty", &type));
    EXPECT_EQ(REG_BINARY, type);
    // The unnamed value is the same whether asked for by a null or an empty name.
    EXPECT_EQ(std::string("\x2a\0\0\0", 4), readBytes(hive, key, ""));

    // Replacing keeps one value under its first name and takes the new type.
    ASSERT_EQ(ERROR_SUCCESS, setText(hive, key, "multi", "now text"));
    EXPECT_EQ(std::string("now text\0", 9), readBytes(hive, key, "Multi", &type));
    EXPECT_EQ(REG_SZ, type);
    std::vector<SqliteHive::Value> listed;
    ASSERT_EQ(ERROR_SUCCESS, hive.values(key, &listed));
    ASSERT_EQ(3u, listed.size());
    EXPECT_EQ("", listed[0].name);
    EXPECT_EQ("Empty", listed[1].name);
    EXPECT_EQ("Multi", listed[2].name);

    ASSERT_EQ(ERROR_SUCCESS, hive.deleteValue(key, "MULTI"));
    EXPECT_EQ("error 2", readBytes(hive, key, "Multi"));
}

TEST_F(SqliteHiveTest, HandlesKeepTheAccessTheyWereOpenedWith)
{
    HKEY writer = create("RemoteAccess");
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, writer, "RedialTry", 3));

    HKEY reader = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &reader));
    EXPECT_EQ(ERROR_ACCESS_DENIED, setDword(hive, reader, "RedialTry", 9));
    EXPECT_EQ(ERROR_ACCESS_DENIED, hive.deleteValue(reader, "RedialTry"));
    EXPECT_EQ(std::string("\x03\0\0\0", 4), readBytes(hive, reader, "RedialTry"));

    HKEY writeOnly = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_SET_VALUE, &writeOnly));
    std::uint32_t size = 0;
    EXPECT_EQ(ERROR_ACCESS_DENIED, hive.queryValue(writeOnly, "RedialTry", nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_SUCCESS, setDword(hive, writeOnly, "RedialTry", 4));

    // A closed handle is gone for good; closing it again is an error, closing the root is not.
    ASSERT_EQ(ERROR_SUCCESS, hive.closeKey(reader));
    EXPECT_EQ(ERROR_INVALID_HANDLE, hive.queryValue(reader, "RedialTry", nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_INVALID_HANDLE, hive.closeKey(reader));
    EXPECT_EQ(ERROR_SUCCESS, hive.closeKey(HKEY_CURRENT_USER));
    HKEY unused = 0;
    EXPECT_EQ(ERROR_INVALID_HANDLE, hive.openKey(0x1234, "x", KEY_READ, &unused));
}

TEST_F(SqliteHiveTest, DeletingAKeyTakesItsSubtreeAndLeavesOldHandlesDead)
{
    HKEY wexhal = create("Software\\wexhal");
    HKEY settings = create("Software\\wexhal\\telmaq\\Settings");
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, settings, "Iconic", 1));
    HKEY keep = create("Software\\Keep");
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, keep, "Value", 1));

    ASSERT_EQ(ERROR_SUCCESS, hive.deleteKey(HKEY_CURRENT_USER, "software\\WEXHAL"));
    HKEY gone = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.openKey(HKEY_CURRENT_USER, "Software\\wexhal\\telmaq", KEY_READ, &gone));
    EXPECT_EQ(std::string("\x01\0\0\0", 4), readBytes(hive, keep, "Value"));

    // The old handle never reaches a key made afresh under the same name.
    HKEY fresh = create("Software\\wexhal\\telmaq\\Settings");
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, fresh, "Iconic", 7));
    EXPECT_EQ("error 2", readBytes(hive, settings, "Iconic"));
    EXPECT_EQ(ERROR_KEY_DELETED, setDword(hive, settings, "Iconic", 1));
    EXPECT_EQ(ERROR_KEY_DELETED, hive.createKey(wexhal, "child", KEY_ALL_ACCESS, &gone));
    EXPECT_EQ(std::string("\x07\0\0\0", 4), readBytes(hive, fresh, "Iconic"));

    // Nor does it reach a stranger given the number of the newest key once that is deleted.
    HKEY newest = create("Software\\Newest");
    ASSERT_EQ(ERROR_SUCCESS, hive.deleteKey(HKEY_CURRENT_USER, "Software\\Newest"));
    HKEY stranger = create("Software\\Stranger");
    EXPECT_EQ(ERROR_KEY_DELETED, setDword(hive, newest, "Iconic", 1));
    EXPECT_EQ("error 2", readBytes(hive, stranger, "Iconic"));

    EXPECT_EQ(ERROR_INVALID_PARAMETER, hive.deleteKey(HKEY_CURRENT_USER, ""));
}

TEST_F(SqliteHiveTest, NamesLongerThanTheRegistryAllowsAreRefused)
{
    const std::string longKey(256, 'k');
    HKEY key = 0;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, hive.createKey(HKEY_CURRENT_USER, longKey.c_str(), KEY_ALL_ACCESS, &key));
    EXPECT_FALSE(std::filesystem::exists(env.hivePath()));
    HKEY fits = create(std::string(255, 'k').c_str());
    const std::string longValue(16384, 'v');
    EXPECT_EQ(ERROR_INVALID_PARAMETER, setDword(hive, fits, longValue.c_str(), 1));
}

TEST_F(SqliteHiveTest, ReadingNeverMakesTheFileAndTheFirstWriteMakesItPrivate)
{
    std::filesystem::remove_all(env.dir() / "config");
    const std::string path = (env.dir() / "config" / "telmaq" / "registry.db").string();
    SqliteHive fresh(path);

    HKEY key = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, fresh.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key));
    ASSERT_EQ(ERROR_SUCCESS, fresh.openKey(HKEY_CURRENT_USER, nullptr, KEY_READ, &key));
    std::uint32_t size = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, fresh.queryValue(key, "x", nullptr, nullptr, &size));
    std::vector<std::string> children{"stale"};
    EXPECT_EQ(ERROR_SUCCESS, fresh.subKeys(key, &children));
    EXPECT_TRUE(children.empty());
    EXPECT_FALSE(std::filesystem::exists(env.dir() / "config"));

    ASSERT_EQ(ERROR_SUCCESS, fresh.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    struct stat info;
    ASSERT_EQ(0, ::stat(path.c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 0777);
    ASSERT_EQ(0, ::stat((env.dir() / "config" / "telmaq").c_str(), &info));
    EXPECT_EQ(0700u, info.st_mode & 0777);
    ASSERT_EQ(0, ::stat((env.dir() / "config").c_str(), &info));
    EXPECT_EQ(0700u, info.st_mode & 0777);
}

TEST_F(SqliteHiveTest, EveryConnectionSeesTheOthersWritesAtOnceEvenIfItCameBeforeTheFile)
{
    HKEY key = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key));
    SqliteHive other(env.hivePath());
    HKEY seen = 0;
    ASSERT_EQ(ERROR_SUCCESS, other.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &seen));
    ASSERT_EQ(ERROR_SUCCESS, setDword(other, seen, "RedialTry", 1));
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    EXPECT_EQ(std::string("\x01\0\0\0", 4), readBytes(hive, key, "RedialTry"));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key, "RedialTry", 2));
    EXPECT_EQ(std::string("\x02\0\0\0", 4), readBytes(other, seen, "RedialTry"));
}

} // namespace
} // namespace telmaq
