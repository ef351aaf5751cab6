#include "HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

using test::fileContents;
using test::readBytes;
using test::setDword;
using test::writeFile;

// Everything a caller does with the hive in a session, each answered with a code.
std::vector<long> tryEverything(SqliteHive& hive)
{
    std::vector<long> codes;
    HKEY key = 0;
    codes.push_back(hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key));
    codes.push_back(hive.createKey(HKEY_CURRENT_USER, "Software\\wexhal", KEY_ALL_ACCESS, &key));
    codes.push_back(setDword(hive, HKEY_CURRENT_USER, "Value", 1));
    std::uint32_t size = 0;
    codes.push_back(hive.queryValue(HKEY_CURRENT_USER, "Value", nullptr, nullptr, &size));
    codes.push_back(hive.deleteKey(HKEY_CURRENT_USER, "Software"));
    return codes;
}

bool allFailed(const std::vector<long>& codes)
{
    return std::find(codes.begin(), codes.end(), ERROR_SUCCESS) == codes.end();
}

TEST(SqliteHiveFaults, AFileThatIsNoDatabaseGivesCodesAndStaysByteForByte)
{
    test::TempEnvironment env;
    std::string garbage;
    for (int i = 0; i < 300; ++i)
        garbage += "not a registry hive, just the user's notes " + std::to_string(i) + "\n";
    writeFile(env.hivePath(), garbage);

    SqliteHive hive(env.hivePath());
    const std::vector<long> codes = tryEverything(hive);
    EXPECT_TRUE(allFailed(codes));
    EXPECT_EQ(ERROR_CANTOPEN, codes[0]);
    EXPECT_EQ(garbage, fileContents(env.hivePath()));
    EXPECT_FALSE(std::filesystem::exists(env.hivePath() + "-wal"));
}

TEST(SqliteHiveFaults, ADamagedHiveGivesCodesAndStaysByteForByte)
{
    test::TempEnvironment env;
    {
        SqliteHive hive(env.hivePath());
        HKEY key = 0;
        ASSERT_EQ(ERROR_SUCCESS, hive.createKey(HKEY_CURRENT_USER, "Software\\wexhal", KEY_ALL_ACCESS, &key));
    }
    // Keep the SQLite header but wreck every page after it.
    std::string damaged = fileContents(env.hivePath());
    ASSERT_GT(damaged.size(), 200u);
    for (std::size_t i = 100; i < damaged.size(); ++i)
        damaged[i] = static_cast<char>(0xA5);
    writeFile(env.hivePath(), damaged);
    std::filesystem::remove(env.hivePath() + "-wal");
    std::filesystem::remove(env.hivePath() + "-shm");

    SqliteHive hive(env.hivePath());
    EXPECT_TRUE(allFailed(tryEverything(hive)));
    EXPECT_EQ(damaged, fileContents(env.hivePath()));
}

TEST(SqliteHiveFaults, AnotherProgramsDatabaseIsLeftAlone)
{
    // The second carries our schema version by chance: only our own mark makes a file ours.
    for (const char* version : {"", "PRAGMA user_version=1;"}) {
        SCOPED_TRACE(version);
        test::TempEnvironment env;
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(env.hivePath().c_str(), &db));
        const std::string sql = std::string("CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');") + version;
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr));
        sqlite3_close(db);
        const std::string before = fileContents(env.hivePath());

        SqliteHive hive(env.hivePath());
        const std::vector<long> codes = tryEverything(hive);
        EXPECT_TRUE(allFailed(codes));
        EXPECT_EQ(ERROR_CANTOPEN, codes[1]);
        EXPECT_EQ(before, fileContents(env.hivePath()));
    }
}

TEST(SqliteHiveFaults, AFolderThatCannotBeMadeOrWrittenGivesCodes)
{
    test::TempEnvironment env;
    // A file where the folder should be stops even a privileged user.
    writeFile((env.dir() / "blocker").string(), "x");
    SqliteHive blocked((env.dir() / "blocker" / "hive.db").string());
    HKEY key = 0;
    EXPECT_EQ(ERROR_CANTOPEN, blocked.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key));
    EXPECT_EQ(ERROR_CANTOPEN, blocked.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));

    // A folder at the file's own path.
    std::filesystem::create_directories(env.dir() / "adir.db");
    SqliteHive folder((env.dir() / "adir.db").string());
    EXPECT_TRUE(allFailed(tryEverything(folder)));

    if (::geteuid() != 0) {
        std::filesystem::create_directories(env.dir() / "locked");
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
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key));
    ASSERT_EQ(ERROR_SUCCESS, setDword(hive, key, "RedialTry", 3));

    sqlite3* holder = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(env.hivePath().c_str(), &holder));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));

    EXPECT_EQ(ERROR_CANTWRITE, setDword(hive, key, "RedialTry", 4));
    HKEY child = 0;
    EXPECT_EQ(ERROR_CANTWRITE, hive.createKey(key, "New", KEY_ALL_ACCESS, &child));
    EXPECT_EQ(std::string("\x03\0\0\0", 4), readBytes(hive, key, "RedialTry"));

    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(ERROR_SUCCESS, setDword(hive, key, "RedialTry", 4));
    EXPECT_EQ(std::string("\x04\0\0\0", 4), readBytes(hive, key, "RedialTry"));
}

// Writes count values named prefix0, prefix1, ... and exits with the number of failed writes.
[[noreturn]] void writeInChild(const std::string& path, int startPipe, const std::string& prefix, int count)
{
    char go = 0;
    if (::read(startPipe, &go, 1) != 1)
        ::_exit(100);
    int failures = 0;
    {
        SqliteHive hive(path);
        HKEY key = 0;
        if (hive.createKey(HKEY_CURRENT_USER, "Software\\Shared", KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            ::_exit(101);
        for (int i = 0; i < count; ++i) {
            if (setDword(hive, key, (prefix + std::to_string(i)).c_str(), static_cast<std::uint32_t>(i)) !=
                ERROR_SUCCESS)
                ++failures;
        }
    }
    ::_exit(failures > 99 ? 99 : failures);
}

TEST(SqliteHiveFaults, TwoProcessesWritingAtOnceLoseNothing)
{
    test::TempEnvironment env;
    constexpr int kCount = 150;
    int startPipe[2];
    ASSERT_EQ(0, ::pipe(startPipe));
    // Both start on a missing file, so they also race to make it.
    pid_t children[2];
    const char* prefixes[2] = {"first", "second"};
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            ::close(startPipe[1]);
            writeInChild(env.hivePath(), startPipe[0], prefixes[c], kCount);
        }
    }
    ::close(startPipe[0]);
    ASSERT_EQ(2, ::write(startPipe[1], "gg", 2));
    ::close(startPipe[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(0, WEXITSTATUS(status)) << "writes failed in the child";
    }

    SqliteHive hive(env.hivePath());
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "Software\\Shared", KEY_READ, &key));
    std::vector<SqliteHive::Value> values;
    ASSERT_EQ(ERROR_SUCCESS, hive.values(key, &values));
    EXPECT_EQ(2u * kCount, values.size());
    for (const char* prefix : prefixes) {
        for (int i = 0; i < kCount; i += 37) {
            const std::uint32_t expected = static_cast<std::uint32_t>(i);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(&expected), 4),
                      readBytes(hive, key, (prefix + std::to_string(i)).c_str()));
        }
    }
}

} // namespace
} // namespace telmaq
