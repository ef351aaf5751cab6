#include "DialupToolRun.h"

#include "platform/history/SqliteHistory.h"

#include <chrono>

namespace telmaq {
namespace {

using test::DialupToolTest;

// Each history row's event and its duration, if any, from the JSON lines; "+" stands for a
// duration that depends on the machine's speed.
std::vector<std::string> historyEvents(const std::string& json, bool exactDurations = true)
{
    std::vector<std::string> events;
    for (std::size_t at = json.find("\"event\":\""); at != std::string::npos; at = json.find("\"event\":\"", at + 1)) {
        const std::size_t start = at + 9;
        std::string event = json.substr(start, json.find('"', start) - start);
        const std::size_t duration = json.find("\"duration\":", start) + 11;
        if (json.compare(duration, 4, "null") != 0)
            event += exactDurations ? " " + json.substr(duration, json.find('}', duration) - duration) : " +";
        events.push_back(event);
    }
    return events;
}

TEST_F(DialupToolTest, DialledLineOutlivesTheToolAndIsHungUpByAnotherRun)
{
    ASSERT_EQ(tool({"add", "速い回線", "--user", "u", "--password", "p", "--step-ms", "0"}).status, 0);
    ASSERT_EQ(tool({"add", "同じモデム", "--user", "u", "--password", "p", "--step-ms", "0"}).status, 0);
    const auto dial = tool({"dial", "速い回線"});
    ASSERT_EQ(dial.status, 0) << dial.err;
    EXPECT_EQ(dial.out, "OpenPort\nPortOpened\nConnectDevice\nDeviceConnected\nAllDevicesConnected\nAuthenticate\n"
                        "Authenticated\nConnected\n");

    const auto listed = tool({"connections"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out.rfind("速い回線\t", 0), 0u) << listed.out;

    const auto inUse = tool({"dial", "同じモデム"});
    EXPECT_EQ(inUse.status, 1);
    EXPECT_NE(inUse.err.find("602"), std::string::npos) << inUse.err;

    EXPECT_EQ(tool({"hangup", "同じモデム"}).status, 1);
    EXPECT_EQ(tool({"hangup", "速い回線"}).status, 0);
    EXPECT_EQ(tool({"connections"}).out, "");

    ASSERT_EQ(tool({"add", "別のモデム", "--device", "m2", "--step-ms", "0"}).status, 0);
    ASSERT_EQ(tool({"dial", "速い回線"}).status, 0);
    ASSERT_EQ(tool({"dial", "別のモデム"}).status, 0);
    EXPECT_NE(tool({"connections"}).out.find("\n別のモデム\tm2\t"), std::string::npos);
    EXPECT_EQ(tool({"hangup", "--all"}).status, 0);
    EXPECT_EQ(tool({"connections"}).out, "");

    const std::vector<std::string> expected = {"dial-started", "connected",    "dial-started", "failed",
                                               "hung-up +",    "dial-started", "connected",    "dial-started",
                                               "connected",    "hung-up +",    "hung-up +"};
    EXPECT_EQ(historyEvents(tool({"history", "--json"}).out, false), expected);
}

TEST_F(DialupToolTest, HistoryFiltersAndFormatsAsDocumented)
{
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    {
        SqliteHistory history(env.historyPath(), {"simulator", false});
        auto add = [&](HistoryEvent event, const char* entry, std::int64_t agoS, std::uint32_t code = 0) {
            HistoryRecord record;
            record.event = event;
            record.cause = HistoryCause::Schedule;
            record.entry = entry;
            record.code = code;
            record.text = code ? "回線が\"話中\" C:\\modem\t" : "";
            record.atMs = now - agoS * 1000;
            history.record(record);
        };
        add(HistoryEvent::Failed, "Office", 3 * 86400, 676);
        add(HistoryEvent::Connected, "Office", 7200);
        add(HistoryEvent::HungUp, "Office", 3600);
        add(HistoryEvent::Failed, "Home", 60, 678);
    }
    struct Case
    {
        std::vector<std::string> args;
        std::vector<std::string> events;
        const char* summary;
    };
    const Case cases[] = {
        {{},
         {"failed", "connected", "hung-up 3600", "failed"},
         "1 connection, 1:00:00 connected, failures: 676 x1 678 x1"},
        {{"--since", "1d"}, {"connected", "hung-up 3600", "failed"}, "failures: 678 x1"},
        {{"--entry", "office", "--failed"}, {"failed"}, "0 connections, 0:00:00 connected, failures: 676 x1"},
        {{"--since", "2000-01-01 00:00"}, {"failed", "connected", "hung-up 3600", "failed"}, "failures: 676 x1"},
        {{"--since", "30m", "--entry", "Nowhere"}, {}, "failures: none"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"history", "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(historyEvents(tool(args).out), c.events) << args[2];
        args.erase(args.begin() + 1);
        const auto table = tool(args);
        EXPECT_EQ(table.status, 0);
        EXPECT_EQ(table.out.rfind("TIME ", 0), 0u) << table.out;
        EXPECT_NE(table.out.find(c.summary), std::string::npos) << table.out;
    }
    EXPECT_NE(tool({"history", "--json", "--failed"}).out.find(R"("text":"回線が\"話中\" C:\\modem\u0009")"),
              std::string::npos);
    for (const char* bad : {"yesterday", "1y", "2026-02-30", "d"})
        EXPECT_EQ(tool({"history", "--since", bad}).status, 2) << bad;
}

TEST_F(DialupToolTest, FailedDialPrintsItsCodeAndTextAndHoldsNoLine)
{
    struct Case
    {
        const char* line;
        const char* code;
        const char* lastState;
    };
    for (const Case& c : {Case{"busy", "676", "ConnectDevice\n"}, Case{"no-modem", "630", "OpenPort\n"},
                          Case{"auth-fail", "691", "Authenticate\n"}}) {
        ASSERT_EQ(tool({"add", c.line, "--user", "u", "--password", "p", "--line", c.line, "--step-ms", "0"}).status,
                  0);
        const auto run = tool({"dial", c.line});
        EXPECT_EQ(run.status, 1) << c.line;
        EXPECT_NE(run.err.find(std::string("error ") + c.code + ": "), std::string::npos) << run.err;
        const std::size_t tail = std::string(c.lastState).size();
        ASSERT_GE(run.out.size(), tail);
        EXPECT_EQ(run.out.substr(run.out.size() - tail), c.lastState) << c.line;
        EXPECT_EQ(tool({"connections"}).out, "") << c.line;
    }
    const auto missing = tool({"dial", "nowhere"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("623"), std::string::npos);
}

} // namespace
} // namespace telmaq
