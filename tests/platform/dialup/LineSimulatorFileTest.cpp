#include "platform/dialup/DialupProviders.h"
#include "platform/dialup/LineSimulator.h"

#include "SimulatorTestSupport.h"
#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace telmaq {
namespace {

TEST(LineSimulatorFile, IsPrivateSharedAndInWriteAheadMode)
{
    test::TempEnvironment env;
    const std::string path = (env.dir() / "new" / "folder" / "dialup.db").string();
    {
        LineSimulator simulator(path);
        ASSERT_EQ(simulator.database().addEntry(test::simEntry("会社")), 0u);
    }
    struct stat info{};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal");
    sqlite3_finalize(stmt);
    sqlite3_close(db);

    // Another simulator on the same file sees the same phonebook.
    LineSimulator again(path);
    std::vector<std::string> names;
    ASSERT_EQ(again.database().entryNames(names), 0u);
    EXPECT_EQ(names, std::vector<std::string>{"会社"});
}

void runSql(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// Every operation, reading and writing, answers its code over a file that is not our
// phonebook, and the file keeps every byte.
TEST(LineSimulatorFile, AFileThatIsNotOurPhonebookIsRefusedAndLeftAsItIs)
{
    const struct
    {
        const char* what;
        std::function<void(const std::string&)> make;
        std::uint32_t code;
    } cases[] = {
        {"another program's database",
         [](const std::string& path) { runSql(path, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine')"); },
         ERROR_CANNOT_LOAD_PHONEBOOK},
        {"another program's tables of the same names",
         [](const std::string& path) { runSql(path, "CREATE TABLE entries(x); PRAGMA user_version=1"); },
         ERROR_CANNOT_LOAD_PHONEBOOK},
        {"a newer version's phonebook",
         [](const std::string& path) {
             ASSERT_EQ(SimulatorDatabase(path).addEntry(test::simEntry("A")), 0u);
             runSql(path, "PRAGMA user_version=2");
         },
         ERROR_CANNOT_LOAD_PHONEBOOK},
        {"a damaged file", [](const std::string& path) { test::writeFile(path, std::string(8192, 'x')); },
         ERROR_CANNOT_LOAD_PHONEBOOK},
        {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); },
         ERROR_CANNOT_OPEN_PHONEBOOK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempEnvironment env;
        const std::string path = env.dialupPath();
        c.make(path);
        const std::string before = std::filesystem::is_directory(path) ? "" : test::fileContents(path);
        SimulatorDatabase database(path);
        std::vector<std::string> names;
        std::vector<SimConnection> connections;
        SimEntry entry = test::simEntry("A");
        SimulatorDatabase::DialStart start;
        EXPECT_EQ(database.entryNames(names), c.code);
        EXPECT_EQ(database.findEntry("A", entry), c.code);
        EXPECT_EQ(database.connections(connections, 0), c.code);
        EXPECT_EQ(database.addEntry(entry), c.code);
        EXPECT_EQ(database.updateEntry(entry), c.code);
        EXPECT_EQ(database.removeEntry("A"), c.code);
        EXPECT_EQ(database.startDial("A", 0, start), c.code);
        EXPECT_NE(database.lastError().find(path), std::string::npos) << database.lastError();
        if (!std::filesystem::is_directory(path)) {
            EXPECT_EQ(test::fileContents(path), before);
        }
        EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
    }
}

// Reading never makes a file: no file and an empty one are an empty phonebook until an entry
// is added. An earlier version's phonebook open to others is made private, as it holds
// passwords.
TEST(LineSimulatorFile, OnlyAddingMakesAPhonebookAndALooseOneIsMadePrivate)
{
    test::TempEnvironment env;
    const std::string path = env.dialupPath();
    for (bool emptyFile : {false, true}) {
        SCOPED_TRACE(emptyFile);
        if (emptyFile)
            test::writeFile(path, "");
        SimulatorDatabase database(path);
        std::vector<std::string> names{"stale"};
        std::vector<SimConnection> connections;
        SimEntry entry;
        EXPECT_EQ(database.entryNames(names), 0u);
        EXPECT_TRUE(names.empty());
        EXPECT_EQ(database.connections(connections, 0), 0u);
        EXPECT_EQ(database.findEntry("A", entry), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
        EXPECT_EQ(database.removeEntry("A"), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
        EXPECT_EQ(std::filesystem::exists(path), emptyFile);
        if (emptyFile) {
            EXPECT_EQ(test::fileContents(path), "");
            ASSERT_EQ(database.addEntry(test::simEntry("A")), 0u);
            EXPECT_EQ(database.entryNames(names), 0u);
            EXPECT_EQ(names, std::vector<std::string>{"A"});
        }
    }
    // As an earlier version left it: no mark, the umask's mode.
    runSql(path, "PRAGMA application_id=0");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    std::vector<std::string> names;
    EXPECT_EQ(SimulatorDatabase(path).entryNames(names), 0u);
    EXPECT_EQ(names, std::vector<std::string>{"A"});
    struct stat info{};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(LineSimulatorFile, UnwritableFolderAnswersCannotOpen)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    test::TempEnvironment env;
    const auto folder = env.dir() / "locked";
    std::filesystem::create_directories(folder);
    ::chmod(folder.c_str(), 0500);
    LineSimulator simulator((folder / "dialup.db").string());
    EXPECT_EQ(simulator.database().addEntry(test::simEntry("A")), ERROR_CANNOT_OPEN_PHONEBOOK);
    ::chmod(folder.c_str(), 0700);
}

TEST(DialupProviders, SimulatorOnTheUsersDialupFile)
{
    test::TempEnvironment env;
    ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    SqliteHive registry(env.hivePath()); // holds nothing
    EXPECT_EQ(configuredDialupProvider(registry), "simulator");
    ::setenv("TELMAQ_DIALUP_PROVIDER", "NetworkManager", 1);
    EXPECT_EQ(configuredDialupProvider(registry), "networkmanager");
    ::unsetenv("TELMAQ_DIALUP_PROVIDER");

    {
        LineSimulator seeded(env.dialupPath());
        ASSERT_EQ(seeded.database().addEntry(test::simEntry("自宅")), 0u);
    }
    auto service = openDialupService(registry);
    ASSERT_NE(service, nullptr);
    RASENTRYNAMEA record{};
    record.dwSize = sizeof record;
    std::uint32_t size = sizeof record, count = 0;
    ASSERT_EQ(service->enumEntries(&record, &size, &count), 0u);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(record.szEntryName, "自宅");
}

} // namespace
} // namespace telmaq
