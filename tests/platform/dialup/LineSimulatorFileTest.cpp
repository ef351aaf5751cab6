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

// Reading never makes a file: none and an empty one are an empty phonebook until an entry is added.
TEST(LineSimulatorFile, OnlyAddingMakesAPhonebookAndItIsPrivateSharedAndInWriteAheadMode)
{
    test::TempEnvironment env;
    const std::string path = (env.dir() / "new" / "dialup.db").string();
    for (bool emptyFile : {false, true}) {
        if (emptyFile)
            test::writeFile(path, "");
        SimulatorDatabase database(path);
        std::vector<SimConnection> connections;
        SimEntry entry;
        EXPECT_EQ(namesIn(path), Names{});
        EXPECT_EQ((std::vector<std::uint32_t>{0, 623, 623}),
                  (std::vector<std::uint32_t>{database.connections(connections, 0), database.findEntry("A", entry),
                                              database.removeEntry("A")}));
        EXPECT_EQ(fs::exists(path) ? test::fileContents(path) : "none", emptyFile ? "" : "none");
        fs::create_directories(env.dir() / "new");
    }
    fs::remove_all(env.dir() / "new");
    ASSERT_EQ(SimulatorDatabase(path).addEntry(test::simEntry("A")), 0u);
    EXPECT_EQ(namesIn(path), Names{"A"});
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(test::fileContents(path).substr(18, 2), "\2\2") << "write-ahead mode";
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
