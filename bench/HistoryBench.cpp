// Prints what the connection history costs: the median time one event write adds to a dial,
// on a history already at its 100,000-row limit (so every write also prunes), and the time
// `telmaq-dialup history` takes to read and print those 100,000 rows as a table and as JSON.
// Also the damaged-file check that opening the full history makes (SQLite's structural check).
// Runs on files of its own in a temporary folder; the system log is left out so that the
// benchmark does not flood the user's journal.

#include "platform/history/SqliteHistory.h"
#include "platform/registry/SqliteHive.h"
#include "tools/telmaq-dialup/DialupTool.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main()
{
    using namespace telmaq;
    std::string pattern = (std::filesystem::temp_directory_path() / "telmaq-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::fprintf(stderr, "history-bench: cannot make a temporary folder\n");
        return 1;
    }
    const std::filesystem::path dir = pattern;
    const std::string path = (dir / "history.db").string();
    constexpr int kRows = 100000;
    const HistoryEvent cycle[] = {HistoryEvent::DialStarted, HistoryEvent::Connected, HistoryEvent::HungUp,
                                  HistoryEvent::DialStarted, HistoryEvent::Failed};
    SqliteHistory::Options options;
    options.provider = "simulator";
    options.systemLog = false;
    SqliteHistory history(path, options);
    const std::int64_t startMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count() -
        kRows * 1000LL;
    auto write = [&](int i) {
        HistoryRecord record;
        record.event = cycle[i % 5];
        record.entry = "回線 " + std::to_string(i % 7);
        record.code = record.event == HistoryEvent::Failed ? 676 : 0;
        record.text = record.code ? "接続先が話中です" : "";
        record.atMs = startMs + i * 1000LL;
        history.record(record);
    };
    for (int i = 0; i < kRows; ++i)
        write(i);

    std::vector<double> perWrite;
    for (int i = kRows; i < kRows + 2000; ++i) {
        const auto start = Clock::now();
        write(i);
        perWrite.push_back(millisecondsSince(start));
    }
    std::sort(perWrite.begin(), perWrite.end());

    LineSimulator simulator((dir / "dialup.db").string());
    SqliteHive hive((dir / "hive.db").string());
    NullHistory none;
    double table = 0, json = 0;
    std::size_t tableBytes = 0;
    for (const bool asJson : {false, true}) {
        std::vector<double> runs;
        for (int run = 0; run < 5; ++run) {
            std::ostringstream out, err;
            DialupToolContext context{simulator, &simulator, hive, none, path, out, err};
            const auto start = Clock::now();
            runDialupTool(asJson ? std::vector<std::string>{"history", "--json"} : std::vector<std::string>{"history"},
                          context);
            runs.push_back(millisecondsSince(start));
            tableBytes = asJson ? tableBytes : out.str().size();
        }
        std::sort(runs.begin(), runs.end());
        (asJson ? json : table) = runs[runs.size() / 2];
    }

    std::vector<double> checks;
    for (int run = 0; run < 5; ++run) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        const auto start = Clock::now();
        sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &statement, nullptr);
        sqlite3_step(statement);
        checks.push_back(millisecondsSince(start));
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    std::sort(checks.begin(), checks.end());

    std::printf("history write, median over 2000 on a full history: %.3f ms (p99 %.3f ms; target < 1 ms)\n",
                perWrite[perWrite.size() / 2], perWrite[perWrite.size() * 99 / 100]);
    std::printf("a dial's three writes (started, connected, hung up): %.3f ms\n", 3 * perWrite[perWrite.size() / 2]);
    std::printf("history over %d rows: table %.1f ms (%zu bytes), --json %.1f ms (target < 200 ms)\n", kRows, table,
                tableBytes, json);
    std::printf("damaged-file check (quick_check) of %d rows at an open: %.1f ms\n", kRows, checks[checks.size() / 2]);
    if (!std::getenv("KEEP"))
        std::filesystem::remove_all(dir);
    else
        std::printf("%s\n", path.c_str());
    return 0;
}
