#include "platform/dialup/SimulatorDatabase.h"
#include "platform/history/SqliteHistory.h"

#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace telmaq {
namespace {

using namespace test;

// Each of our files through its own store: filled with some pages of rows, read, written.
struct Store
{
    const char* name;
    const char* table; // the table that holds the rows
    std::function<void(const std::string&)> fill;
    // Empty when the read answered, else what the store reports.
    std::function<std::string(const std::string&)> read;
    // Empty when the write was taken, else what the store reports.
    std::function<std::string(const std::string&)> write;
};

const SqliteHistory::Options kQuiet{"simulator", false};

std::string hiveCode(long rc)
{
    return rc == ERROR_SUCCESS ? "" : "code " + std::to_string(rc);
}

SimEntry entry(const std::string& name)
{
    SimEntry entry;
    entry.name = name;
    entry.phone = std::string(100, '5');
    return entry;
}

std::string historyWrite(const std::string& path)
{
    testing::internal::CaptureStderr();
    SqliteHistory(path, kQuiet).record({HistoryEvent::DialStarted, HistoryCause::Button, "New", 0, "", 1, {}});
    return testing::internal::GetCapturedStderr();
}

const Store kStores[] = {
    {"hive", "vals",
     [](const std::string& path) {
         SqliteHive hive(path);
         HKEY key = 0;
         hive.createKey(HKEY_CURRENT_USER, "Software\\wexhal\\telmaq\\Settings", KEY_ALL_ACCESS, &key);
         for (int i = 0; i < 60; ++i)
             setText(hive, key, ("Value" + std::to_string(i)).c_str(), std::string(200, 'v'));
     },
     [](const std::string& path) {
         SqliteHive hive(path);
         HKEY key = 0;
         long rc = hive.openKey(HKEY_CURRENT_USER, "Software\\wexhal\\telmaq\\Settings", KEY_READ, &key);
         std::vector<SqliteHive::Value> values;
         if (rc == ERROR_SUCCESS)
             rc = hive.values(key, &values);
         return values.size() == 60 ? "" : hiveCode(rc == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : rc);
     },
     [](const std::string& path) {
         SqliteHive hive(path);
         return hiveCode(setDword(hive, HKEY_CURRENT_USER, "New", 1));
     }},
    {"phonebook", "entries",
     [](const std::string& path) {
         SimulatorDatabase phonebook(path);
         for (int i = 0; i < 60; ++i) {
             SimEntry filled = entry("Entry " + std::to_string(i));
             filled.user = std::string(200, 'u');
             phonebook.addEntry(filled);
         }
     },
     [](const std::string& path) {
         SimulatorDatabase phonebook(path);
         std::vector<std::string> names;
         return phonebook.entryNames(names) == 0 && names.size() == 60 ? "" : phonebook.lastError();
     },
     [](const std::string& path) {
         SimulatorDatabase phonebook(path);
         return phonebook.addEntry(entry("New")) == 0 ? "" : phonebook.lastError();
     }},
    {"history", "events",
     [](const std::string& path) {
         SqliteHistory history(path, kQuiet);
         for (int i = 0; i < 120; ++i)
             history.record(
                 {HistoryEvent::Failed, HistoryCause::Schedule, "Entry", 676, std::string(50, 'x'), 1000 + i, {}});
     },
     [](const std::string& path) {
         std::vector<HistoryRow> rows;
         std::string error;
         return readHistory(path, {}, rows, error) && rows.size() == 120 ? "" : error + " (" + path + ")";
     },
     historyWrite},
};

// A file cut short inside a table page, as a full disk or a copy broken off leaves it, or one
// with garbage written over a table page's rows, can read as if rows were missing; nothing may
// be read from it or written into it.
TEST(SqliteFile, ADamagedFileIsReportedByNameAndLeftByteForByte)
{
    const std::pair<const char*, std::function<std::string(const std::string&, const char*)>> damages[] = {
        {"cut", [](const std::string& path, const char*) { return cutInsideLastPage(path); }},
        {"garbled", garbleLeafPage},
    };
    for (const auto& [damage, make] : damages) {
        for (const Store& store : kStores) {
            const std::string what = std::string(damage) + " " + store.name;
            TempEnvironment env;
            const std::string path = (env.dir() / "file.db").string();
            store.fill(path);
            ASSERT_EQ(store.read(path), "") << what;
            const std::string bytes = make(path, store.table);
            ASSERT_NE(bytes, "") << what;

            const std::string read = store.read(path);
            EXPECT_NE(read, "") << what;
            const std::string written = store.write(path);
            EXPECT_NE(written, "") << what;
            if (store.name != std::string("hive")) {
                EXPECT_NE(read.find(path), std::string::npos) << what << ": " << read;
                EXPECT_NE(written.find("damaged"), std::string::npos) << what << ": " << written;
            } else {
                EXPECT_EQ(read, "code " + std::to_string(ERROR_FILE_CORRUPT)) << what;
            }
            EXPECT_TRUE(fileContents(path) == bytes) << what << " was changed";
            EXPECT_FALSE(std::filesystem::exists(path + "-wal")) << what;
        }
    }
}

// The cut may take only the free space of an empty page: every row still reads, yet a write
// would make the file whole again, changing it before anyone could look at it.
TEST(SqliteFile, AFileEndingInsideAPageIsDamagedEvenWhereItsRowsStillRead)
{
    TempEnvironment env;
    const std::string path = (env.dir() / "file.db").string();
    ASSERT_EQ(SimulatorDatabase(path).addEntry(entry("Only")), 0u);
    std::string bytes = fileContents(path);
    ASSERT_EQ(bytes.substr(bytes.size() - 1828), std::string(1828, '\0')) << "the last page is no longer empty";
    bytes.resize(bytes.size() - 1828);
    writeFile(path, bytes);
    EXPECT_NE(kStores[1].read(path).find(path + " is damaged"), std::string::npos);
    EXPECT_NE(kStores[1].write(path), "");
    EXPECT_TRUE(fileContents(path) == bytes);
}

// telmaq keeps the hive open for as long as it runs; damage done meanwhile is found at the
// next read, not only at the next start.
TEST(SqliteFile, DamageUnderAnOpenConnectionIsFoundAtTheNextRead)
{
    TempEnvironment env;
    const std::string path = (env.dir() / "file.db").string();
    kStores[0].fill(path);
    SqliteHive hive(path);
    HKEY key = 0;
    ASSERT_EQ(ERROR_SUCCESS, hive.openKey(HKEY_CURRENT_USER, "Software\\wexhal\\telmaq\\Settings", KEY_READ, &key));
    EXPECT_EQ(readBytes(hive, key, "Value1"), std::string(200, 'v') + '\0');
    std::string bytes = fileContents(path);
    bytes.resize(bytes.size() - 1828);
    writeFile(path, bytes);
    EXPECT_EQ(readBytes(hive, key, "Value1"), "error " + std::to_string(ERROR_FILE_CORRUPT));
    EXPECT_TRUE(fileContents(path) == bytes);
}

// Opening a pipe waits for a writer; a store that did would hang its program for ever.
TEST(SqliteFile, APipeAtThePathIsRefusedWithoutWaiting)
{
    for (const Store& store : kStores) {
        TempEnvironment env;
        const std::string path = (env.dir() / "file.db").string();
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(20);
            ::_exit(store.read(path).empty() ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << store.name << " " << status;
    }
}

} // namespace
} // namespace telmaq
