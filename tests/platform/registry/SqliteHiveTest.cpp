#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

using namespace test;
using Codes = std::vector<long>;
namespace fs = std::filesystem;

std::string le32(std::uint32_t v)
{
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

class SqliteHiveTest : public ::testing::Test
{
protected:
    // Made when asked for all access, else opened; 0 when that fails.
    HKEY key(const char* path, std::uint32_t access = KEY_ALL_ACCESS)
    {
        HKEY key = 0;
        rc = access == KEY_ALL_ACCESS ? hive.createKey(HKEY_CURRENT_USER, path, access, &key)
                                      : hive.openKey(HKEY_CURRENT_USER, path, access, &key);
        return key;
    }
    long codeOf(HKEY) const { return rc; }

    TempEnvironment env;
    SqliteHive hive{env.hivePath()};
    long rc = 0;
};

TEST_F(SqliteHiveTest, PathsFindKeysIgnoringAsciiCaseOnlyAndStraySeparators)
{
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key("Software\\wexhal\\telmaq\\Settings"), "CheckMon", 5));
    EXPECT_EQ(le32(5), readBytes(hive, key("\\SOFTWARE\\\\WexHal\\TELMAQ\\settings\\", KEY_READ), "checkmon"));
    key("SOFTWARE\\WEXHAL\\Telmaq"); // keeps its first writing
    std::vector<std::string> children;
    ASSERT_EQ(ERROR_SUCCESS, hive.subKeys(key("Software"), &children));
    EXPECT_EQ(std::vector<std::string>{"wexhal"}, children);
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key("Software\\Ä"), "接続", 1));
    EXPECT_EQ((Codes{2, 2, 2}), (Codes{codeOf(key("Software\\ä", KEY_READ)), codeOf(key("A\\B", KEY_READ)),
                                       hive.deleteKey(HKEY_CURRENT_USER, "Nothing")}));
    EXPECT_EQ("error 2", readBytes(hive, key("Software\\Ä"), "切断"));
}

TEST_F(SqliteHiveTest, ValuesKeepTypeAndBytesAndAnswerTheSizeProtocol)
{
    HKEY k = key("RemoteAccess");
    const std::uint8_t raw[] = {0, 1, 2, 0xff, 0};
    ASSERT_EQ((Codes{0, 0, 0}), (Codes{hive.setValue(k, "Multi", 7, raw, sizeof raw), setDword(hive, k, nullptr, 42),
                                       hive.setValue(k, "Empty", REG_BINARY, nullptr, 0)}));
    std::uint32_t type = 0, emptyType = 0;
    EXPECT_EQ(std::string("\0\1\2\xff\0", 5) + "|" + le32(42),
              readBytes(hive, k, "MULTI", &type) + "|" + readBytes(hive, k, ""));
    EXPECT_EQ("", readBytes(hive, k, "Empty", &emptyType));
    EXPECT_EQ(std::make_pair(7u, REG_BINARY), std::make_pair(type, emptyType));
    // Too small a buffer, even by one byte, is told the size and left alone.
    ASSERT_EQ(ERROR_SUCCESS, setText(hive, k, "multi", "Provider"));
    for (std::uint32_t room : {0u, 8u, 9u}) {
        char buffer[10] = "xxxxxxxxx";
        std::uint32_t size = room;
        EXPECT_EQ(room < 9 ? ERROR_MORE_DATA : ERROR_SUCCESS,
                  hive.queryValue(k, "Multi", &type, reinterpret_cast<std::uint8_t*>(buffer), &size));
        EXPECT_EQ(std::make_pair(9u, REG_SZ), std::make_pair(size, type));
        EXPECT_STREQ(room < 9 ? "xxxxxxxxx" : "Provider", buffer);
    }
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              hive.queryValue(k, "Multi", nullptr, reinterpret_cast<std::uint8_t*>(&type), nullptr));
    std::vector<SqliteHive::Value> listed;
    ASSERT_EQ(ERROR_SUCCESS, hive.values(k, &listed));
    EXPECT_EQ("Empty Multi", listed.at(1).name + " " + listed.at(2).name);
    EXPECT_EQ((Codes{0, 2}), (Codes{hive.deleteValue(k, "MULTI"), hive.deleteValue(k, "Multi")}));
}

TEST_F(SqliteHiveTest, HandlesKeepTheAccessTheyWereOpenedWith)
{
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key("RemoteAccess"), "RedialTry", 3));
    HKEY reader = key("RemoteAccess", KEY_READ), writer = key("RemoteAccess", KEY_SET_VALUE);
    EXPECT_EQ((Codes{5, 5, 0}), (Codes{setDword(hive, reader, "RedialTry", 9), hive.deleteValue(reader, "RedialTry"),
                                       setDword(hive, writer, "RedialTry", 4)}));
    EXPECT_EQ("error 5|" + le32(4), readBytes(hive, writer, "RedialTry") + "|" + readBytes(hive, reader, "RedialTry"));
    // A closed handle is gone for good; the root never closes.
    EXPECT_EQ((Codes{0, 6, 0, 6}),
              (Codes{hive.closeKey(reader), hive.closeKey(reader), hive.closeKey(HKEY_CURRENT_USER),
                     hive.openKey(0x1234, "x", KEY_READ, &reader)}));
    EXPECT_EQ("error 6", readBytes(hive, reader, "RedialTry"));
}

TEST_F(SqliteHiveTest, DeletingAKeyTakesItsSubtreeAndLeavesOldHandlesDead)
{
    HKEY wexhal = key("Software\\wexhal"), settings = key("Software\\wexhal\\telmaq\\Settings"), gone = 0;
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key("Software\\Keep"), "Value", 1));
    ASSERT_EQ(ERROR_SUCCESS, hive.deleteKey(HKEY_CURRENT_USER, "software\\WEXHAL"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, codeOf(key("Software\\wexhal\\telmaq", KEY_READ)));
    EXPECT_EQ(le32(1), readBytes(hive, key("Software\\Keep"), "Value"));
    // An old handle never reaches a key made afresh under its name, nor one given its number
    // after the newest key is deleted.
    HKEY fresh = key("Software\\wexhal\\telmaq\\Settings"), newest = key("Software\\Newest");
    ASSERT_EQ(ERROR_SUCCESS, hive.deleteKey(HKEY_CURRENT_USER, "Software\\Newest"));
    HKEY stranger = key("Software\\Stranger");
    EXPECT_EQ((Codes{1018, 1018, 1018, 87}),
              (Codes{setDword(hive, settings, "Iconic", 1), setDword(hive, newest, "Iconic", 1),
                     hive.createKey(wexhal, "child", KEY_ALL_ACCESS, &gone), hive.deleteKey(HKEY_CURRENT_USER, "")}));
    EXPECT_EQ("error 2|error 2", readBytes(hive, fresh, "Iconic") + "|" + readBytes(hive, stranger, "Iconic"));
}

TEST_F(SqliteHiveTest, NamesLongerThanTheRegistryAllowsAreRefused)
{
    EXPECT_EQ(ERROR_INVALID_PARAMETER, codeOf(key(std::string(256, 'k').c_str())));
    EXPECT_FALSE(fs::exists(env.hivePath())) << "refused before anything is written";
    const HKEY longest = key(std::string(255, 'k').c_str());
    ASSERT_EQ(ERROR_SUCCESS, rc);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, setDword(hive, longest, std::string(16384, 'v').c_str(), 1));
}

TEST_F(SqliteHiveTest, ReadingNeverMakesTheFileTheFirstWriteMakesItPrivate)
{
    const fs::path path = env.dir() / "config" / "telmaq" / "registry.db";
    SqliteHive fresh(path.string());
    HKEY k = 0;
    std::vector<std::string> children{"stale"};
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, fresh.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &k));
    EXPECT_EQ(ERROR_SUCCESS, fresh.subKeys(HKEY_CURRENT_USER, &children));
    EXPECT_TRUE(children.empty());
    EXPECT_FALSE(fs::exists(env.dir() / "config"));
    ASSERT_EQ(ERROR_SUCCESS, fresh.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &k));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(path.parent_path()), 0700u);
    EXPECT_EQ(modeOf(env.dir() / "config"), 0700u);
}

// An empty file, as another process leaves it a moment before filling it, reads as empty.
TEST_F(SqliteHiveTest, AnEmptyFileReadsAsEmptyAndIsLeftEmpty)
{
    writeFile(env.hivePath(), "");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, codeOf(key("RemoteAccess", KEY_READ)));
    EXPECT_EQ("", fileContents(env.hivePath()));
}

TEST_F(SqliteHiveTest, EveryConnectionSeesTheOthersWrites)
{
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, codeOf(key("RemoteAccess", KEY_READ)));
    SqliteHive other(env.hivePath());
    HKEY k = 0;
    ASSERT_EQ(ERROR_SUCCESS, other.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &k));
    ASSERT_EQ(ERROR_SUCCESS, setDword(other, k, "RedialTry", 1));
    EXPECT_EQ(le32(1), readBytes(hive, key("RemoteAccess"), "RedialTry"));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key("RemoteAccess"), "RedialTry", 2));
    EXPECT_EQ(le32(2), readBytes(other, k, "RedialTry"));
}

TEST(SqliteHiveFaults, AFileOrFolderThatIsNoHiveOfOursGivesCodesAndStaysByteForByte)
{
    using Make = void (*)(const std::string&);
    for (Make make : std::initializer_list<Make>{
             [](const std::string& path) { writeFile(path, std::string(9000, 'n')); },
             [](const std::string& path) { fs::create_directory(path); },
             [](const std::string& path) { runSql(path, "CREATE TABLE notes(text)"); },
             // Our schema version by chance: only our own mark makes a file ours.
             [](const std::string& path) { runSql(path, "CREATE TABLE notes(text); PRAGMA user_version=1"); },
             [](const std::string& path) {
                 runSql(path, "CREATE TABLE keys(id); CREATE TABLE vals(key); PRAGMA user_version=1;"
                              "PRAGMA application_id=7");
             },
             [](const std::string& path) {
                 HKEY key = 0;
                 SqliteHive(path).createKey(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS, &key);
                 std::string bytes = fileContents(path);
                 std::fill(bytes.begin() + 100, bytes.end(), '\xA5'); // damaged past the header
                 fs::remove(path + "-wal");
                 writeFile(path, bytes);
             }}) {
        TempEnvironment env;
        make(env.hivePath());
        const std::string before = fileContents(env.hivePath()); // a folder reads as empty
        SqliteHive hive(env.hivePath());
        HKEY key = 0;
        std::uint32_t size = 0;
        const Codes codes{hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key),
                          hive.createKey(HKEY_CURRENT_USER, "Software\\wexhal", KEY_ALL_ACCESS, &key),
                          setDword(hive, HKEY_CURRENT_USER, "Value", 1),
                          hive.queryValue(HKEY_CURRENT_USER, "Value", nullptr, nullptr, &size),
                          hive.deleteKey(HKEY_CURRENT_USER, "Software")};
        EXPECT_EQ(std::count(codes.begin(), codes.end(), ERROR_SUCCESS), 0) << before.size();
        // Our own file damaged past its header says so; anything else is no hive of ours.
        const long expected = before.size() > 100 && before[100] == '\xA5' ? ERROR_FILE_CORRUPT : ERROR_CANTOPEN;
        EXPECT_EQ(std::make_pair(expected, expected), std::make_pair(codes[0], codes[1])) << before.size();
        EXPECT_EQ(before, fileContents(env.hivePath()));
        EXPECT_FALSE(fs::exists(env.hivePath() + "-wal"));
    }
}

TEST(SqliteHiveFaults, AFolderThatCannotBeMadeOrWrittenOrAHiveLockedTooLongRefusesWrites)
{
    TempEnvironment env;
    writeFile((env.dir() / "blocker").string(), "x"); // stops even a privileged user
    HKEY key = 0, child = 0;
    EXPECT_EQ(ERROR_CANTOPEN, SqliteHive((env.dir() / "blocker" / "hive.db").string())
                                  .createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    fs::create_directories(env.dir() / "locked");
    ::chmod((env.dir() / "locked").c_str(), 0500);
    EXPECT_EQ(::geteuid() == 0 ? ERROR_SUCCESS : ERROR_CANTWRITE,
              SqliteHive((env.dir() / "locked" / "hive.db").string())
                  .createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    // Locked by another past the time-out: writes are refused, reads still answer.
    SqliteHive hive(env.hivePath(), 100);
    ASSERT_EQ(ERROR_SUCCESS, hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key, "RedialTry", 3));
    sqlite3* holder = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(env.hivePath().c_str(), &holder));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
    EXPECT_EQ((Codes{ERROR_CANTWRITE, ERROR_CANTWRITE}),
              (Codes{setDword(hive, key, "RedialTry", 4), hive.createKey(key, "New", KEY_ALL_ACCESS, &child)}));
    EXPECT_EQ(le32(3), readBytes(hive, key, "RedialTry"));
    sqlite3_close(holder);
    EXPECT_EQ(ERROR_SUCCESS, setDword(hive, key, "RedialTry", 4));
}

TEST(SqliteHiveFaults, TwoProcessesWritingAtOnceLoseNothing)
{
    TempEnvironment env;
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
            for (int i = 0; i < 150; ++i)
                failures += setDword(hive, key, (std::to_string(c) + "-" + std::to_string(i)).c_str(), i) != 0;
            ::_exit(std::min(failures, 99));
        }
    }
    ASSERT_EQ(2, ::write(go[1], "gg", 2));
    for (pid_t child : children) {
        int status = 0;
        EXPECT_TRUE(::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SqliteHive hive(env.hivePath());
    HKEY key = 0;
    std::vector<SqliteHive::Value> values;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "Shared", KEY_READ, &key));
    ASSERT_EQ(ERROR_SUCCESS, hive.values(key, &values));
    EXPECT_EQ(300u, values.size());
    EXPECT_EQ(le32(149), readBytes(hive, key, "1-149"));
}

} // namespace
} // namespace telmaq
