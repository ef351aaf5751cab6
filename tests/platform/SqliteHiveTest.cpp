#include "HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

using test::fileContents;
using test::readBytes;
using test::setDword;
using test::writeFile;
namespace fs = std::filesystem;

std::string le32(std::uint32_t v)
{
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

mode_t modeOf(const fs::path& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

std::string contents(const std::string& path)
{
    return fs::is_directory(path) ? "" : fileContents(path);
}

void runSql(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql, nullptr, nullptr, nullptr)) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class SqliteHiveTest : public ::testing::Test
{
protected:
    HKEY open(const char* path, std::uint32_t access = KEY_ALL_ACCESS, bool create = true)
    {
        HKEY key = 0;
        const long rc = create ? hive.createKey(HKEY_CURRENT_USER, path, access, &key)
                               : hive.openKey(HKEY_CURRENT_USER, path, access, &key);
        EXPECT_EQ(ERROR_SUCCESS, rc) << path;
        return key;
    }
    long openCode(const char* path)
    {
        HKEY key = 0;
        return hive.openKey(HKEY_CURRENT_USER, path, KEY_READ, &key);
    }

    test::TempEnvironment env;
    SqliteHive hive{env.hivePath()};
};

TEST_F(SqliteHiveTest, PathsFindKeysIgnoringAsciiCaseAndStraySeparators)
{
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, open("Software\\wexhal\\telmaq\\Settings"), "CheckMon", 5));
    HKEY software = open("Software", KEY_READ, false), nested = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(software, "\\wexhal\\\\telmaq\\Settings\\", KEY_READ, &nested));
    EXPECT_EQ(le32(5), readBytes(hive, nested, "checkmon"));
    EXPECT_EQ(le32(5), readBytes(hive, open("SOFTWARE\\WexHal\\TELMAQ\\settings", KEY_READ, false), "CHECKMON"));
    // A key keeps its first writing however it is made again.
    open("SOFTWARE\\WEXHAL\\Telmaq");
    std::vector<std::string> children;
    ASSERT_EQ(ERROR_SUCCESS, hive.subKeys(software, &children));
    EXPECT_EQ(std::vector<std::string>{"wexhal"}, children);
    // Only ASCII letters fold.
    HKEY upper = open("Software\\Ä");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, openCode("Software\\ä"));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, upper, "接続", 1));
    EXPECT_EQ("error 2", readBytes(hive, upper, "切断"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, openCode("Software\\Nothing\\Here"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.deleteKey(HKEY_CURRENT_USER, "Nothing"));
    EXPECT_EQ(ERROR_SUCCESS, hive.closeKey(upper));
}

TEST_F(SqliteHiveTest, ValuesKeepTypeAndBytesAndAnswerTheSizeProtocol)
{
    HKEY key = open("RemoteAccess");
    const std::uint8_t raw[] = {0, 1, 2, 0xff, 0};
    ASSERT_EQ(ERROR_SUCCESS, hive.setValue(key, "Multi", 7, raw, sizeof raw));
    ASSERT_EQ(ERROR_SUCCESS, hive.setValue(key, "Empty", REG_BINARY, nullptr, 0));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key, nullptr, 42));
    std::uint32_t type = 0;
    EXPECT_EQ(std::string("\0\1\2\xff\0", 5), readBytes(hive, key, "MULTI", &type));
    EXPECT_EQ(7u, type);
    EXPECT_EQ("", readBytes(hive, key, "Empty", &type));
    EXPECT_EQ(REG_BINARY, type);
    EXPECT_EQ(le32(42), readBytes(hive, key, "")); // the unnamed value, by null or empty name

    // Too small a buffer, even by one byte, is told the size and left alone.
    ASSERT_EQ(ERROR_SUCCESS, test::setText(hive, key, "multi", "Provider"));
    for (std::uint32_t room : {0u, 4u, 8u, 9u, 32u}) {
        char buffer[32];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        std::uint32_t size = room;
        EXPECT_EQ(room >= 9 ? ERROR_SUCCESS : ERROR_MORE_DATA,
                  hive.queryValue(key, "Multi", &type, reinterpret_cast<std::uint8_t*>(buffer), &size));
        EXPECT_EQ(9u, size);
        EXPECT_EQ(REG_SZ, type);
        EXPECT_EQ(room >= 9 ? std::string("Provider\0x", 10) : std::string(10, 'x'), std::string(buffer, 10));
    }
    std::uint8_t any[16];
    EXPECT_EQ(ERROR_INVALID_PARAMETER, hive.queryValue(key, "Multi", nullptr, any, nullptr));

    std::vector<SqliteHive::Value> listed;
    ASSERT_EQ(ERROR_SUCCESS, hive.values(key, &listed));
    ASSERT_EQ(3u, listed.size());
    EXPECT_EQ("Empty", listed[1].name);
    EXPECT_EQ("Multi", listed[2].name);
    ASSERT_EQ(ERROR_SUCCESS, hive.deleteValue(key, "MULTI"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, hive.deleteValue(key, "Multi"));
    EXPECT_EQ("error 2", readBytes(hive, key, "Multi"));
}

TEST_F(SqliteHiveTest, HandlesKeepTheAccessTheyWereOpenedWith)
{
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, open("RemoteAccess"), "RedialTry", 3));
    HKEY reader = open("RemoteAccess", KEY_READ, false), writer = open("RemoteAccess", KEY_SET_VALUE, false);
    EXPECT_EQ(ERROR_ACCESS_DENIED, setDword(hive, reader, "RedialTry", 9));
    EXPECT_EQ(ERROR_ACCESS_DENIED, hive.deleteValue(reader, "RedialTry"));
    EXPECT_EQ("error 5", readBytes(hive, writer, "RedialTry"));
    EXPECT_EQ(ERROR_SUCCESS, setDword(hive, writer, "RedialTry", 4));
    EXPECT_EQ(le32(4), readBytes(hive, reader, "RedialTry"));
    // A closed handle is gone for good; the root never closes.
    ASSERT_EQ(ERROR_SUCCESS, hive.closeKey(reader));
    EXPECT_EQ("error 6", readBytes(hive, reader, "RedialTry"));
    EXPECT_EQ(ERROR_INVALID_HANDLE, hive.closeKey(reader));
    EXPECT_EQ(ERROR_SUCCESS, hive.closeKey(HKEY_CURRENT_USER));
    EXPECT_EQ(ERROR_INVALID_HANDLE, hive.openKey(0x1234, "x", KEY_READ, &reader));
}

TEST_F(SqliteHiveTest, DeletingAKeyTakesItsSubtreeAndLeavesOldHandlesDead)
{
    HKEY wexhal = open("Software\\wexhal"), settings = open("Software\\wexhal\\telmaq\\Settings");
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, open("Software\\Keep"), "Value", 1));
    ASSERT_EQ(ERROR_SUCCESS, hive.deleteKey(HKEY_CURRENT_USER, "software\\WEXHAL"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, openCode("Software\\wexhal\\telmaq"));
    EXPECT_EQ(le32(1), readBytes(hive, open("Software\\Keep"), "Value"));

    // An old handle never reaches a key made afresh under its name, nor one given its number
    // after the newest key is deleted.
    HKEY fresh = open("Software\\wexhal\\telmaq\\Settings"), newest = open("Software\\Newest"), gone = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.deleteKey(HKEY_CURRENT_USER, "Software\\Newest"));
    HKEY stranger = open("Software\\Stranger");
    for (HKEY dead : {settings, newest})
        EXPECT_EQ(ERROR_KEY_DELETED, setDword(hive, dead, "Iconic", 1));
    EXPECT_EQ(ERROR_KEY_DELETED, hive.createKey(wexhal, "child", KEY_ALL_ACCESS, &gone));
    EXPECT_EQ("error 2", readBytes(hive, fresh, "Iconic"));
    EXPECT_EQ("error 2", readBytes(hive, stranger, "Iconic"));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, hive.deleteKey(HKEY_CURRENT_USER, ""));
}

TEST_F(SqliteHiveTest, NamesLongerThanTheRegistryAllowsAreRefused)
{
    const std::string key(256, 'k'), value(16384, 'v');
    HKEY made = 0;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, hive.createKey(HKEY_CURRENT_USER, key.c_str(), KEY_ALL_ACCESS, &made));
    EXPECT_FALSE(fs::exists(env.hivePath()));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, setDword(hive, open(key.substr(1).c_str()), value.c_str(), 1));
}

TEST_F(SqliteHiveTest, ReadingNeverWritesAndTheFirstWriteMakesAPrivateFile)
{
    fs::remove_all(env.dir() / "config");
    const fs::path path = env.dir() / "config" / "telmaq" / "registry.db";
    SqliteHive fresh(path.string());
    HKEY key = 0;
    std::vector<std::string> children{"stale"};
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, fresh.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key));
    EXPECT_EQ(ERROR_SUCCESS, fresh.subKeys(HKEY_CURRENT_USER, &children));
    EXPECT_TRUE(children.empty());
    EXPECT_FALSE(fs::exists(env.dir() / "config"));
    ASSERT_EQ(ERROR_SUCCESS, fresh.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    EXPECT_EQ(0600u, modeOf(path));
    EXPECT_EQ(0700u, modeOf(path.parent_path()));
    EXPECT_EQ(0700u, modeOf(env.dir() / "config"));
    // An empty file, as another process leaves it a moment before filling it, reads as empty.
    writeFile(env.hivePath(), "");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, openCode("RemoteAccess"));
    EXPECT_EQ("", fileContents(env.hivePath()));
}

TEST_F(SqliteHiveTest, EveryConnectionSeesTheOthersWritesEvenIfItCameBeforeTheFile)
{
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, openCode("RemoteAccess"));
    SqliteHive other(env.hivePath());
    HKEY seen = 0;
    ASSERT_EQ(ERROR_SUCCESS, other.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &seen));
    ASSERT_EQ(ERROR_SUCCESS, setDword(other, seen, "RedialTry", 1));
    HKEY key = open("RemoteAccess", KEY_ALL_ACCESS, false);
    EXPECT_EQ(le32(1), readBytes(hive, key, "RedialTry"));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key, "RedialTry", 2));
    EXPECT_EQ(le32(2), readBytes(other, seen, "RedialTry"));
}

TEST(SqliteHiveFaults, AFileOrFolderThatIsNoHiveOfOursGivesCodesAndStaysByteForByte)
{
    const struct
    {
        const char* what;
        std::function<void(const std::string&)> make;
    } cases[] = {
        {"text", [](const std::string& path) { writeFile(path, std::string(9000, 'n')); }},
        {"damaged",
         [](const std::string& path) {
             HKEY key = 0;
             SqliteHive(path).createKey(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS, &key);
             std::string bytes = fileContents(path);
             std::fill(bytes.begin() + 100, bytes.end(), '\xA5');
             fs::remove(path + "-wal");
             fs::remove(path + "-shm");
             writeFile(path, bytes);
         }},
        {"another program's", [](const std::string& path) { runSql(path, "CREATE TABLE notes(text)"); }},
        // Our schema version by chance: only our own mark makes a file ours.
        {"another program's at our version",
         [](const std::string& path) { runSql(path, "CREATE TABLE notes(text); PRAGMA user_version=1"); }},
        {"a folder", [](const std::string& path) { fs::create_directory(path); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempEnvironment env;
        c.make(env.hivePath());
        const std::string before = contents(env.hivePath());
        SqliteHive hive(env.hivePath());
        HKEY key = 0;
        std::uint32_t size = 0;
        EXPECT_EQ(ERROR_CANTOPEN, hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key));
        EXPECT_EQ(ERROR_CANTOPEN, hive.createKey(HKEY_CURRENT_USER, "Software\\wexhal", KEY_ALL_ACCESS, &key));
        EXPECT_NE(ERROR_SUCCESS, setDword(hive, HKEY_CURRENT_USER, "Value", 1));
        EXPECT_NE(ERROR_SUCCESS, hive.queryValue(HKEY_CURRENT_USER, "Value", nullptr, nullptr, &size));
        EXPECT_NE(ERROR_SUCCESS, hive.deleteKey(HKEY_CURRENT_USER, "Software"));
        EXPECT_EQ(before, contents(env.hivePath()));
        EXPECT_FALSE(fs::exists(env.hivePath() + "-wal"));
    }
}

TEST(SqliteHiveFaults, AFolderThatCannotBeMadeOrWrittenGivesCodes)
{
    test::TempEnvironment env;
    writeFile((env.dir() / "blocker").string(), "x"); // stops even a privileged user
    SqliteHive blocked((env.dir() / "blocker" / "hive.db").string());
    HKEY key = 0;
    EXPECT_EQ(ERROR_CANTOPEN, blocked.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    if (::geteuid() != 0) {
        fs::create_directories(env.dir() / "locked");
        ::chmod((env.dir() / "locked").c_str(), 0500);
        SqliteHive readOnly((env.dir() / "locked" / "hive.db").string());
        EXPECT_EQ(ERROR_CANTWRITE, readOnly.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
        ::chmod((env.dir() / "locked").c_str(), 0700);
    }
}

TEST(SqliteHiveFaults, AHiveLockedPastTheTimeOutRefusesWritesButStillReads)
{
    test::TempEnvironment env;
    SqliteHive hive(env.hivePath(), 100);
    HKEY key = 0, child = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key, "RedialTry", 3));
    sqlite3* holder = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(env.hivePath().c_str(), &holder));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_CANTWRITE, setDword(hive, key, "RedialTry", 4));
    EXPECT_EQ(ERROR_CANTWRITE, hive.createKey(key, "New", KEY_ALL_ACCESS, &child));
    EXPECT_EQ(le32(3), readBytes(hive, key, "RedialTry"));
    sqlite3_close(holder);
    EXPECT_EQ(ERROR_SUCCESS, setDword(hive, key, "RedialTry", 4));
}

TEST(SqliteHiveFaults, TwoProcessesWritingAtOnceLoseNothing)
{
    test::TempEnvironment env;
    constexpr int kCount = 150;
    int go[2];
    ASSERT_EQ(0, ::pipe(go));
    // Both start on a missing file, so they also race to make it.
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        if ((children[c] = ::fork()) == 0) {
            char byte = 0;
            int failures = ::read(go[0], &byte, 1) == 1 ? 0 : 100;
            SqliteHive hive(env.hivePath());
            HKEY key = 0;
            failures += hive.createKey(HKEY_CURRENT_USER, "Shared", KEY_ALL_ACCESS, &key) != ERROR_SUCCESS;
            for (int i = 0; i < kCount; ++i)
                failures += setDword(hive, key, (std::to_string(c) + "-" + std::to_string(i)).c_str(), i) != 0;
            ::_exit(std::min(failures, 99));
        }
    }
    ASSERT_EQ(2, ::write(go[1], "gg", 2));
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    SqliteHive hive(env.hivePath());
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "Shared", KEY_READ, &key));
    std::vector<SqliteHive::Value> values;
    ASSERT_EQ(ERROR_SUCCESS, hive.values(key, &values));
    EXPECT_EQ(2u * kCount, values.size());
    EXPECT_EQ(le32(149), readBytes(hive, key, "1-149"));
}

} // namespace
} // namespace telmaq
