#include "platform/dialup/LineSimulator.h"

#include "SimulatorTestSupport.h"
#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <sys/stat.h>

namespace telmaq {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

void runSql(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

mode_t modeOf(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

Names namesIn(const std::string& path)
{
    Names names{"stale"};
    EXPECT_EQ(SimulatorDatabase(path).entryNames(names), 0u);
    return names;
}

TEST(LineSimulatorFile, IsPrivateSharedAndInWriteAheadMode)
{
    test::TempEnvironment env;
    const std::string path = (env.dir() / "new" / "folder" / "dialup.db").string();
    ASSERT_EQ(SimulatorDatabase(path).addEntry(test::simEntry("会社")), 0u);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(namesIn(path), Names{"会社"});
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal");
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

TEST(LineSimulatorFile, AFileThatIsNotOurPhonebookIsRefusedByEveryCallAndLeftAsItIs)
{
    const struct
    {
        const char* what;
        void (*make)(const std::string&);
        std::uint32_t code;
    } cases[] = {
        {"another program's", [](const std::string& p) { runSql(p, "CREATE TABLE notes(text)"); },
         ERROR_CANNOT_LOAD_PHONEBOOK},
        {"another program's with our names",
         [](const std::string& p) { runSql(p, "CREATE TABLE entries(x); PRAGMA user_version=1"); },
         ERROR_CANNOT_LOAD_PHONEBOOK},
        {"a newer version's",
         [](const std::string& p) {
             SimulatorDatabase(p).addEntry(test::simEntry("A"));
             runSql(p, "PRAGMA user_version=2");
         },
         ERROR_CANNOT_LOAD_PHONEBOOK},
        {"damaged", [](const std::string& p) { test::writeFile(p, std::string(8192, 'x')); },
         ERROR_CANNOT_LOAD_PHONEBOOK},
        {"a folder", [](const std::string& p) { fs::create_directory(p); }, ERROR_CANNOT_OPEN_PHONEBOOK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempEnvironment env;
        const std::string path = env.dialupPath();
        c.make(path);
        const auto contents = [&] { return fs::is_directory(path) ? "" : test::fileContents(path); };
        const std::string before = contents();
        SimulatorDatabase database(path);
        Names names;
        std::vector<SimConnection> connections;
        SimEntry entry = test::simEntry("A");
        SimulatorDatabase::DialStart start;
        for (std::uint32_t code : {database.entryNames(names), database.findEntry("A", entry),
                                   database.connections(connections, 0), database.addEntry(entry),
                                   database.updateEntry(entry), database.removeEntry("A"),
                                   database.startDial("A", 0, start)})
            EXPECT_EQ(code, c.code);
        EXPECT_NE(database.lastError().find(path), std::string::npos) << database.lastError();
        EXPECT_EQ(contents(), before);
        EXPECT_FALSE(fs::exists(path + "-wal"));
    }
}

TEST(LineSimulatorFile, OnlyAddingMakesAPhonebookAndALooseOneIsMadePrivate)
{
    test::TempEnvironment env;
    const std::string path = env.dialupPath();
    for (bool emptyFile : {false, true}) {
        SCOPED_TRACE(emptyFile);
        if (emptyFile)
            test::writeFile(path, "");
        SimulatorDatabase database(path);
        std::vector<SimConnection> connections;
        SimEntry entry;
        EXPECT_EQ(namesIn(path), Names{});
        EXPECT_EQ(database.connections(connections, 0), 0u);
        EXPECT_EQ(database.findEntry("A", entry), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
        EXPECT_EQ(database.removeEntry("A"), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
        EXPECT_EQ(fs::exists(path) ? test::fileContents(path) : "none", emptyFile ? "" : "none");
    }
    ASSERT_EQ(SimulatorDatabase(path).addEntry(test::simEntry("A")), 0u);
    // An earlier version's phonebook had no mark and the umask's mode, and holds passwords.
    runSql(path, "PRAGMA application_id=0");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_EQ(namesIn(path), Names{"A"});
    EXPECT_EQ(modeOf(path), 0600u);
    if (::geteuid() == 0)
        return; // root writes anywhere
    fs::create_directories(env.dir() / "locked");
    ::chmod((env.dir() / "locked").c_str(), 0500);
    EXPECT_EQ(SimulatorDatabase((env.dir() / "locked" / "dialup.db").string()).addEntry(test::simEntry("A")),
              ERROR_CANNOT_OPEN_PHONEBOOK);
    ::chmod((env.dir() / "locked").c_str(), 0700);
}

} // namespace
} // namespace telmaq
