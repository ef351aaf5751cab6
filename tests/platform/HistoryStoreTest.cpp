#include "HiveTestSupport.h"
#include "platform/history/SqliteHistory.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace telmaq {
namespace {

using test::fileContents;
using test::writeFile;

constexpr std::int64_t kDay = 86400 * 1000LL;
constexpr std::int64_t kNow = 1796000000000LL;

HistoryRecord event(HistoryEvent what, const std::string& entry, std::int64_t atMs)
{
    HistoryRecord record;
    record.event = what;
    record.entry = entry;
    record.atMs = atMs;
    return record;
}

std::vector<HistoryRow> everything(const std::string& path)
{
    std::vector<HistoryRow> rows;
    std::string error;
    EXPECT_TRUE(readHistory(path, {}, rows, error)) << error;
    return rows;
}

SqliteHistory::Options quiet(std::int64_t maxRows = 100000)
{
    SqliteHistory::Options options;
    options.provider = "simulator";
    options.systemLog = false;
    options.maxRows = maxRows;
    return options;
}

mode_t modeOf(const std::string& path)
{
    struct stat info
    {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

TEST(HistoryStore, HangUpFromAnyProcessGetsTheTimeSinceTheEntrysConnect)
{
    test::TempEnvironment env;
    const std::string path = (env.dir() / "state" / "telmaq" / "history.db").string();
    SqliteHistory dialler(path, quiet());
    SqliteHistory otherProcess(path, quiet());
    dialler.record(event(HistoryEvent::DialStarted, "A", kNow));
    dialler.record(event(HistoryEvent::Connected, "A", kNow + 2000));
    dialler.record(event(HistoryEvent::Connected, "B", kNow + 3000));
    otherProcess.record(event(HistoryEvent::HungUp, "A", kNow + 92500));
    dialler.record(event(HistoryEvent::HungUp, "A", kNow + 99000)); // no line was up any more
    dialler.record(event(HistoryEvent::LineDropped, "B", kNow + 63000));

    const auto rows = everything(path);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[3].event, "line-dropped"); // time order, not write order
    EXPECT_EQ(rows[3].durationS, 60);
    EXPECT_EQ(rows[4].event, "hung-up");
    EXPECT_EQ(rows[4].durationS, 90);
    EXPECT_EQ(rows[5].durationS, std::nullopt);
    EXPECT_EQ(rows[0].provider, "simulator");
    EXPECT_EQ(rows[0].cause, "button");
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(path.substr(0, path.rfind('/'))), 0700u);
}

TEST(HistoryStore, PruningKeepsTheNewestRowsAndTrimsALittleAtATime)
{
    test::TempEnvironment env;
    {
        SqliteHistory big(env.historyPath(), quiet());
        for (int i = 0; i < 50; ++i)
            big.record(event(HistoryEvent::DialStarted, std::to_string(i), kNow + i * 1000));
    }
    SqliteHistory small(env.historyPath(), quiet(5));
    small.record(event(HistoryEvent::DialStarted, "50", kNow + 50000));
    EXPECT_EQ(everything(env.historyPath()).size(), 51u - SqliteHistory::kPruneBatch);
    for (int i = 51; i < 55; ++i)
        small.record(event(HistoryEvent::DialStarted, std::to_string(i), kNow + i * 1000));
    auto rows = everything(env.historyPath());
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.front().entry, "50");
    EXPECT_EQ(rows.back().entry, "54");

    // A row older than a year goes at the next write, however few rows there are.
    SqliteHistory byAge(env.historyPath(), quiet());
    byAge.record(event(HistoryEvent::DialStarted, "new", kNow + 400 * kDay));
    rows = everything(env.historyPath());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.front().entry, "new");
}

TEST(HistoryStore, AHistoryThatCannotBeWrittenIsSkippedWithOneLineAndLeftAsItWas)
{
    struct Case
    {
        const char* name;
        std::function<void(const std::string& path)> spoil;
    };
    const Case cases[] = {
        {"not a database", [](const std::string& path) { writeFile(path, std::string(5000, 'x')); }},
        {"damaged",
         [](const std::string& path) {
             SqliteHistory(path, quiet()).record(event(HistoryEvent::Connected, "A", kNow));
             std::string bytes = fileContents(path);
             for (std::size_t i = 100; i < bytes.size(); ++i)
                 bytes[i] = static_cast<char>(0xA5);
             std::filesystem::remove(path + "-wal");
             std::filesystem::remove(path + "-shm");
             writeFile(path, bytes);
         }},
        {"another program's database",
         [](const std::string& path) {
             sqlite3* db = nullptr;
             sqlite3_open(path.c_str(), &db);
             sqlite3_exec(db, "CREATE TABLE notes(t TEXT)", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"a folder in the way", [](const std::string& path) { std::filesystem::create_directories(path); }},
        {"read-only",
         [](const std::string& path) {
             SqliteHistory(path, quiet()).record(event(HistoryEvent::Connected, "A", kNow));
             ::chmod(path.c_str(), 0400);
         }},
    };
    for (const Case& c : cases) {
        if (std::string(c.name) == "read-only" && ::geteuid() == 0)
            continue; // root writes anywhere
        test::TempEnvironment env;
        const std::string path = env.historyPath();
        c.spoil(path);
        const std::string before = std::filesystem::is_regular_file(path) ? fileContents(path) : "";
        testing::internal::CaptureStderr();
        SqliteHistory history(path, quiet());
        history.record(event(HistoryEvent::DialStarted, "B", kNow + 1000));
        history.record(event(HistoryEvent::Failed, "B", kNow + 2000));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.name << ": " << said;
        EXPECT_NE(said.find("history"), std::string::npos) << c.name;
        if (std::filesystem::is_regular_file(path)) {
            EXPECT_EQ(fileContents(path), before) << c.name;
        }
    }
}

TEST(HistoryStore, ALockedHistoryIsSkippedAndWrittenAgainOnceFree)
{
    test::TempEnvironment env;
    SqliteHistory history(env.historyPath(), quiet());
    history.record(event(HistoryEvent::DialStarted, "A", kNow));
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(env.historyPath().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    testing::internal::CaptureStderr();
    history.record(event(HistoryEvent::Connected, "A", kNow + 1000));
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    history.record(event(HistoryEvent::HungUp, "A", kNow + 2000));
    const auto rows = everything(env.historyPath());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].event, "hung-up");
}

TEST(HistoryStore, ReadingFiltersByTimeEntryAndFailureAndNeverCreatesAFile)
{
    test::TempEnvironment env;
    std::vector<HistoryRow> rows;
    std::string error;
    EXPECT_TRUE(readHistory(env.historyPath(), {}, rows, error));
    EXPECT_FALSE(std::filesystem::exists(env.historyPath()));

    SqliteHistory history(env.historyPath(), quiet());
    history.record(event(HistoryEvent::Failed, "Office", kNow - 3 * kDay));
    history.record(event(HistoryEvent::Connected, "office", kNow - 1000));
    history.record(event(HistoryEvent::ApplicationFailed, "Home", kNow));
    history.record(event(HistoryEvent::LineDropped, "Home", kNow + 1000));

    struct Case
    {
        std::int64_t sinceMs;
        const char* entry;
        bool failedOnly;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {kNow - kDay, nullptr, false, {"connected", "app-failed", "line-dropped"}},
        {0, "OFFICE", false, {"failed", "connected"}},
        {0, nullptr, true, {"failed", "app-failed", "line-dropped"}},
        {kNow - kDay, "home", true, {"app-failed", "line-dropped"}},
    };
    for (const Case& c : cases) {
        HistoryQuery query;
        query.sinceMs = c.sinceMs;
        if (c.entry)
            query.entry = c.entry;
        query.failedOnly = c.failedOnly;
        ASSERT_TRUE(readHistory(env.historyPath(), query, rows, error)) << error;
        std::vector<std::string> events;
        for (const HistoryRow& row : rows)
            events.push_back(row.event);
        EXPECT_EQ(events, c.events);
    }
}

} // namespace
} // namespace telmaq
