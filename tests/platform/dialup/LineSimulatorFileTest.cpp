#include "platform/dialup/DialupProviders.h"
#include "platform/dialup/LineSimulator.h"

#include "SimulatorTestSupport.h"
#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
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

TEST(LineSimulatorFile, ForeignOrDamagedFileGivesAnErrorAndIsLeftAlone)
{
    test::TempEnvironment env;
    const std::string path = env.dialupPath();
    const std::string garbage(8192, 'x');
    std::ofstream(path, std::ios::binary) << garbage;

    LineSimulator simulator(path);
    RASENTRYNAMEA record{};
    record.dwSize = sizeof record;
    std::uint32_t size = sizeof record, count = 0;
    const std::uint32_t answer = simulator.enumEntries(&record, &size, &count);
    EXPECT_TRUE(answer == ERROR_CANNOT_LOAD_PHONEBOOK || answer == ERROR_CANNOT_OPEN_PHONEBOOK) << answer;
    EXPECT_FALSE(simulator.database().lastError().empty());
    EXPECT_NE(simulator.database().addEntry(test::simEntry("x")), 0u);
    char text[256];
    EXPECT_EQ(simulator.getErrorString(answer, text, sizeof text), 0u);
    EXPECT_EQ(test::fileContents(path), garbage);
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
    std::vector<std::string> names;
    EXPECT_EQ(simulator.database().entryNames(names), ERROR_CANNOT_OPEN_PHONEBOOK);
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
