#include "platform/history/SqliteHistory.h"
#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace telmaq {
namespace {

constexpr std::int64_t kDay = 86400 * 1000LL;
constexpr std::int64_t kNow = 1796000000000LL;
using E = HistoryEvent;

const SqliteHistory::Options kQuiet{"simulator", false};

void add(SqliteHistory& history, E what, const std::string& entry, std::int64_t atMs)
{
    history.record(HistoryRecord{what, HistoryCause::Button, entry, 0, "", atMs, std::nullopt});
}

// Each row as "event entry", or "event entry duration" when it has one; the first row as read
// into first when asked for.
std::vector<std::string> said(const std::string& path, const HistoryQuery& query = {}, HistoryRow* first = nullptr)
{
    std::vector<HistoryRow> rows;
    std::string error;
    EXPECT_TRUE(readHistory(path, query, rows, error)) << error;
    std::vector<std::string> lines;
    for (const HistoryRow& row : rows)
        lines.push_back(row.event + " " + row.entry + (row.durationS ? " " + std::to_string(*row.durationS) : ""));
    if (first && !rows.empty())
        *first = rows.front();
    return lines;
}

TEST(SqliteHistory, AnEndFromAnyProcessGetsTheTimeSinceTheEntrysConnectInTimeOrder)
{
    test::TempEnvironment env;
    const std::string path = (env.dir() / "state" / "telmaq" / "history.db").string();
    EXPECT_TRUE(said(path).empty());
    EXPECT_FALSE(std::filesystem::exists(path)) << "reading never makes the file";
    SqliteHistory dialler(path, kQuiet), otherProcess(path, kQuiet);
    add(dialler, E::DialStarted, "A", kNow);
    add(dialler, E::Connected, "A", kNow + 2000);
    add(dialler, E::Connected, "B", kNow + 3000);
    add(otherProcess, E::HungUp, "A", kNow + 92500);
    add(dialler, E::HungUp, "A", kNow + 99000); // no line was up any more
    add(dialler, E::LineDropped, "B", kNow + 63000);
    add(dialler, E::ApplicationFailed, "b", kNow + 64000);
    HistoryRow first;
    EXPECT_EQ(said(path, {}, &first),
              (std::vector<std::string>{"dial-started A", "connected A", "connected B", "line-dropped B 60",
                                        "app-failed b", "hung-up A 90", "hung-up A"}));
    EXPECT_EQ(said(path, HistoryQuery{kNow + 3000, std::string("B"), true}),
              (std::vector<std::string>{"line-dropped B 60", "app-failed b"}));
    EXPECT_EQ(first.provider + " " + first.cause, "simulator button");
    EXPECT_EQ(test::modeOf(path), 0600u);
    EXPECT_EQ(test::modeOf(path.substr(0, path.rfind('/'))), 0700u);
}

TEST(SqliteHistory, PruningKeepsTheNewestRowsAndTrimsALittleAtATime)
{
    test::TempEnvironment env;
    const std::string path = env.historyPath();
    {
        SqliteHistory big(path, kQuiet);
        for (int i = 0; i < 50; ++i)
            add(big, E::DialStarted, std::to_string(i), kNow + i * 1000);
    }
    SqliteHistory small(path, {"simulator", false, 5});
    add(small, E::DialStarted, "50", kNow + 50000);
    EXPECT_EQ(said(path).size(), 51u - SqliteHistory::kPruneBatch);
    for (int i = 51; i < 55; ++i)
        add(small, E::DialStarted, std::to_string(i), kNow + i * 1000);
    EXPECT_EQ(said(path), (std::vector<std::string>{"dial-started 50", "dial-started 51", "dial-started 52",
                                                    "dial-started 53", "dial-started 54"}));
    // A row older than a year goes at the next write, however few rows there are.
    SqliteHistory byAge(path, kQuiet);
    add(byAge, E::DialStarted, "new", kNow + 400 * kDay);
    EXPECT_EQ(said(path), std::vector<std::string>{"dial-started new"});
}

TEST(SqliteHistory, AHistoryThatCannotBeWrittenIsSkippedWithOneLineAndLeftAsItWas)
{
    const std::vector<std::pair<const char*, void (*)(const std::string&)>> cases = {
        {"not a database", [](const std::string& path) { test::writeFile(path, std::string(5000, 'x')); }},
        {"another program's", [](const std::string& path) { test::runSql(path, "CREATE TABLE notes(t TEXT)"); }},
        {"a folder", [](const std::string& path) { std::filesystem::create_directories(path); }},
    };
    for (const auto& [name, spoil] : cases) {
        test::TempEnvironment env;
        const std::string path = env.historyPath();
        spoil(path);
        const std::string before = test::fileContents(path); // a folder reads as empty
        testing::internal::CaptureStderr();
        SqliteHistory history(path, kQuiet);
        add(history, E::DialStarted, "B", kNow + 1000);
        add(history, E::Failed, "B", kNow + 2000);
        const std::string told = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << name << ": " << told;
        EXPECT_NE(told.find("history"), std::string::npos) << name;
        EXPECT_EQ(test::fileContents(path), before) << name;
    }
}

// Finalising the statements resets the connection's error; the line must say what failed.
TEST(SqliteHistory, AWriteThatFailsReportsSqlitesReason)
{
    test::TempEnvironment env;
    SqliteHistory history(env.historyPath(), kQuiet);
    add(history, E::DialStarted, "A", kNow);
    test::runSql(env.historyPath(),
                 "CREATE TRIGGER full BEFORE INSERT ON events BEGIN SELECT RAISE(ABORT, 'no room'); END");
    testing::internal::CaptureStderr();
    add(history, E::Connected, "A", kNow + 1000);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("not written: no room ("), std::string::npos) << told;
}

TEST(SqliteHistory, ALockedHistoryIsSkippedAndWrittenAgainOnceFree)
{
    test::TempEnvironment env;
    SqliteHistory history(env.historyPath(), kQuiet);
    add(history, E::DialStarted, "A", kNow);
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(env.historyPath().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    testing::internal::CaptureStderr();
    add(history, E::Connected, "A", kNow + 1000);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    sqlite3_close(holder);
    add(history, E::HungUp, "A", kNow + 2000);
    EXPECT_EQ(said(env.historyPath()), (std::vector<std::string>{"dial-started A", "hung-up A"}));
}

} // namespace
} // namespace telmaq
