#include "tools/ToolRun.h"

#include "platform/HiveTestSupport.h"
#include "platform/dialup/SimulatorDatabase.h"
#include "platform/history/SqliteHistory.h"

#include <ctime>
#include <poll.h>
#include <pty.h>
#include <sstream>

namespace telmaq {
namespace {

using DialupToolTest = test::ToolTest;

TEST_F(DialupToolTest, HelpAndMistakesOnStandardError)
{
    EXPECT_EQ(tool("--help").out.rfind("usage: telmaq-dialup", 0), 0u);
    EXPECT_EQ(tool("dial --help").out.rfind("usage: telmaq-dialup dial", 0), 0u);
    ASSERT_EQ(tool("add A").status, 0);
    for (const char* wrong : {"", "frobnicate", "add", "add x --line sometimes", "add x --step-ms -5",
                              "add x --step-ms 60001", "add x --colour red", "set A --password-stdin",
                              "set A --password", "set A --password --phone 1", "set A --password-stdin --no-password",
                              "set A --password-stdin --password x", "dial A --timeout 0", "hangup", "hangup a --all"})
        play({{wrong, 2, ""}});
    for (const std::string& wrong :
         std::vector<std::string>{"redial --on --off", "redial --on=1", "redial --wait 1:75", "redial --tries many",
                                  "default " + std::string(256, 'x'), "history --since yesterday", "history --since 1y",
                                  "history --since 2026-02-30", "history --since d",
                                  "history --since 2026-12-01T18:302z", "history --since +026-12-01"})
        play({{wrong, 2, ""}});
}

TEST_F(DialupToolTest, NamesAndNumbersThatCannotBeAreRefusedWithTheirLimits)
{
    const std::string longest(255, 'n');
    play({{"add " + longest, 0, ""},
          {"add " + longest + "n", 1, "", "longer than 255 bytes"},
          {{"add", "caf\xe9"}, 1, "", "not valid UTF-8"},
          {{"default", "caf\xe9"}, 2, "", "not valid UTF-8"},
          {"default " + longest, 0, ""},
          {"default", 0, longest + "\n"},
          {"add A --line busy:99999999999", 2, "", "from 0 to 999999999, not 'busy:99999999999'"},
          {"add A --line drop:86401", 2, "", "seconds from 0 to 86400"},
          {"redial --wait 65536:00", 2, "", "M from 0 to 65535"}});
}

// A terminal escape, a line feed and 100 kB given where a name or a value belongs come back
// in quotes, escaped and cut short.
TEST_F(DialupToolTest, HostileArgumentsAreEchoedQuotedEscapedAndShort)
{
    const std::string hostile = "\x1b]2;owned\x07\nX" + std::string(100000, 'x');
    const std::string shown = "\\x1B]2;owned\\x07\\nX", length = "'... (1000";
    for (const Words& args :
         {Words{hostile}, Words{"remove", hostile}, Words{"hangup", hostile}, Words{"history", "--since", hostile},
          Words{"add", "A", "--line", hostile}, Words{"redial", hostile}, Words{"entries", "--" + hostile}}) {
        const test::ToolRun run = tool(args);
        EXPECT_TRUE(run.status != 0 && run.err.find(shown) != std::string::npos &&
                    run.err.find(length) != std::string::npos && run.err.find('\x1b') == std::string::npos &&
                    run.err.size() < 4000)
            << run.err.substr(0, 200);
    }
}

TEST_F(DialupToolTest, EntriesAreAddedChangedShownAndRemoved)
{
    const std::string home = "name: 自宅\nphone: 0312345678\ndevice: telmaq-modem0\nuser: taro\npassword: ";
    play({{"add 自宅 --phone 0312345678 --user taro --password ひみつ --domain HOME --line busy:2 --step-ms 0", 0, ""},
          {"add 会社 --device=modem-b", 0, ""},
          {"add -- -x", 0, ""},
          {"show 自宅", 0, home + "stored\ndomain: HOME\nline: busy:2\nstep-ms: 0\n"},
          {"set 自宅 --no-password --line drop:1.5 --step-ms 60000", 0, ""},
          {"show 自宅", 0, home + "not stored\ndomain: HOME\nline: drop:1.5\nstep-ms: 60000\n"},
          {"show 会社", 0,
           "name: 会社\nphone: \ndevice: modem-b\nuser: (not stored)\npassword: not stored\n"
           "domain: (not stored)\nline: connect\nstep-ms: 300\n"},
          // Refusals leave the phonebook as it was.
          {"add 会社", 1, "", "exists"},
          {"add " + std::string(257, 'x'), 1, ""},
          {"set nowhere --phone 1", 1, ""},
          {"show nowhere", 1, ""},
          {"remove nowhere", 1, ""},
          {"entries", 0, "自宅\n会社\n-x\n"},
          {"remove 自宅", 0, ""},
          {"remove -- -x", 0, ""},
          {"entries", 0, "会社\n"}});
}

TEST_F(DialupToolTest, DemoSeedsAnEmptyPhonebookOnlyAndSetsTheDefault)
{
    ASSERT_EQ(tool("demo").status, 0);
    const std::string entries = tool("entries").out;
    std::string shown;
    for (const std::string& name : Words(entries))
        shown += tool({"show", name}).out;
    // One entry for every line behaviour, each with a user; one of them without its password.
    for (const char* part : {"line: connect", "line: busy\n", "line: busy:", "line: no-answer", "line: no-dialtone",
                             "line: no-modem", "line: auth-fail", "line: drop:", "password: not stored"})
        EXPECT_NE(shown.find(part), std::string::npos) << part;
    EXPECT_EQ(shown.find("password: not stored", shown.find("password: not stored") + 1), std::string::npos);
    EXPECT_EQ(shown.find("user: (not stored)"), std::string::npos);
    // A second run adds nothing and keeps a default set by the user.
    play({{"default", 0, entries.substr(0, entries.find('\n') + 1)},
          {"default 自分で選んだ", 0, ""},
          {"demo", 0,
           "The phonebook has " + std::to_string(Words(entries).size()) +
               " entries already; nothing added.\nThe default entry is 自分で選んだ; left as it is.\n"},
          {"entries", 0, entries}});
}

// What the tool writes, it reads back the way telmaq reads it.
TEST_F(DialupToolTest, DefaultEntryRedialSettingsAndProviderRoundTripThroughTheHive)
{
    play({{"default", 1, ""},
          {"default まだない接続先", 0, ""},
          {"default", 0, "まだない接続先\n"},
          {"default " + std::string(255, 'x'), 0, ""}, // the phonebook is not asked
          {"redial", 0, "redial: off\ntries: 0\nwait: 0:00 (0 seconds)\n"},
          {"redial --on --tries 999999 --wait 1:59", 0, ""},
          {"redial", 0, "redial: on\ntries: 999999\nwait: 1:59 (119 seconds)\n"},
          {"redial --tries 3 --wait 75 --off", 0, ""},
          {"redial", 0, "redial: off\ntries: 3\nwait: 1:15 (75 seconds)\n"},
          {"provider", 0, "simulator\n"},
          {"provider NetworkManager", 0, ""},
          {"provider wvdial", 2, "", "unknown provider 'wvdial'"},
          {"provider simulator x", 2, ""},
          {"provider", 0, "networkmanager\n"}});
    // The environment wins; setting the hive still works and says that it does not apply.
    play({{"provider", 0, "simulator\n"}}, "simulator");
    play({{"provider simulator", 0, "", "TELMAQ_DIALUP_PROVIDER"}}, "networkmanager");
    play({{"provider", 0, "simulator\n"}, {"default", 0, std::string(255, 'x') + "\n"}});
}

// A hive cut inside a page reads as if values were missing; the hive's commands name it as
// damaged instead, whether they read or write, and leave it byte for byte.
TEST_F(DialupToolTest, ADamagedHiveIsNamedAndLeftByteForByte)
{
    ASSERT_EQ(tool("default A").status, 0);
    {
        SqliteHive hive(env.hivePath());
        for (int i = 0; i < 60; ++i)
            test::setText(hive, HKEY_CURRENT_USER, ("Value" + std::to_string(i)).c_str(), std::string(200, 'v'));
    }
    const std::string bytes = test::cutInsideLastPage(env.hivePath());
    ASSERT_NE(bytes, "");
    const std::string damaged = "the hive " + env.hivePath() + " is damaged";
    play({{"default", 1, "", damaged},
          {"redial", 1, "", damaged},
          {"provider", 1, "", damaged},
          {"default B", 1, "", damaged},
          {"redial --on", 1, "", damaged},
          {"provider networkmanager", 1, "", damaged}});
    EXPECT_TRUE(test::fileContents(env.hivePath()) == bytes);
}

// A password need not be on the command line, where every local user can read it.
TEST_F(DialupToolTest, APasswordIsReadFromStandardInputOrAskedForWithoutEcho)
{
    const auto stored = [this](const char* name) {
        SimEntry entry;
        return SimulatorDatabase(env.dialupPath()).findEntry(name, entry) == 0 ? entry.password : std::nullopt;
    };
    EXPECT_EQ(tool("add A --password-stdin", nullptr, "s3cret\r\nnext line\n").status, 0);
    EXPECT_EQ(tool("add B --password=--x").status, 0);
    EXPECT_EQ(std::tuple(stored("A"), stored("B")), std::tuple("s3cret", "--x"));

    // On a terminal, a bare --password asks, and what is typed is not shown. What the terminal
    // shows is read until the tool ends; one that hangs is killed instead.
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(::execl(TELMAQ_TOOL_PATH, TELMAQ_TOOL_PATH, "set", "A", "--password", "--phone", "1", nullptr) + 128);
    std::string shown;
    char buffer[256];
    pollfd ready{terminal, POLLIN, 0};
    bool typed = false;
    for (ssize_t got = 0; ::poll(&ready, 1, 30000) > 0 && (got = ::read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(got));
        if (!typed && shown.find("Password: ") != std::string::npos)
            typed = ::write(terminal, "typed\n", 6) == 6;
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(terminal);
    EXPECT_TRUE(typed && WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
    EXPECT_EQ(shown.find("typed"), std::string::npos) << shown;
    EXPECT_EQ(stored("A"), "typed");
}

// Each history row's event, with its duration when it has one, from the JSON lines; "+" stands
// for a duration that depends on the machine's speed.
std::string historyEvents(const std::string& json, bool exactDurations = true)
{
    static const std::regex row(R"re("event":"([^"]*)".*"duration":(null|\d+))re");
    std::string events;
    for (std::sregex_iterator it(json.begin(), json.end(), row), end; it != end; ++it)
        events += (*it)[1].str() + ((*it)[2] == "null" ? "" : exactDurations ? ":" + (*it)[2].str() : ":+") + " ";
    return events;
}

TEST_F(DialupToolTest, DialledLinesOutliveTheToolAndAreHungUpByAnotherRun)
{
    const std::string connected = "OpenPort\nPortOpened\nConnectDevice\nDeviceConnected\nAllDevicesConnected\n";
    const std::string authenticated = connected + "Authenticate\nAuthenticated\nConnected\n";
    play({{"add connect --user u --password p --step-ms 0", 0, ""},
          {"add busy --user u --password p --step-ms 0 --line busy", 0, ""},
          {"add slow --user u --password p --step-ms 60000", 0, ""},
          {"add m2 --device m2 --user u --password p --step-ms 0", 0, ""},
          {"add bare --device m3 --user u --step-ms 0", 0, ""},
          {"dial connect --timeout 86400", 0, authenticated},
          {"dial m2", 0, authenticated},
          {"dial busy", 1, "", "error 602: "}, // the modem is in use
          {"connections", 0, "connect\ttelmaq-modem0\t1\nm2\tm2\t2\n"},
          {"hangup busy", 1, ""},
          {"hangup connect", 0, ""},
          {"connections", 0, "m2\tm2\t2\n"},
          {"dial connect", 0, authenticated},
          {"hangup --all", 0, ""},
          {"connections", 0, ""},
          // A dial that runs out of time is hung up; a failed one prints its code and text. Neither
          // holds a line.
          {"dial slow --timeout 1", 1, "OpenPort\n", "not connected within 1 second;"},
          {"dial busy", 1, "OpenPort\nPortOpened\nConnectDevice\n", "error 676: "},
          {"dial nowhere", 1, "", "error 623: "},
          // As in the window: an entry without its password is not dialled at all.
          {"dial bare", 1, "", "ユーザー名またはパスワードが設定されていません"},
          {"connections", 0, ""}});
    EXPECT_EQ(historyEvents(tool("history --json").out, false),
              "dial-started connected dial-started connected dial-started failed hung-up:+ dial-started connected "
              "hung-up:+ hung-up:+ dial-started cancelled dial-started failed ");
}

TEST_F(DialupToolTest, HistoryFiltersAndFormatsAsDocumented)
{
    const std::int64_t now = std::time(nullptr) * std::int64_t{1000};
    {
        SqliteHistory history(env.historyPath(), {"simulator", false});
        const std::string text = "回線が\"話中\" C:\\modem\t\xff";
        history.record({HistoryEvent::Failed, HistoryCause::Schedule, "Office", 676, text, now - 3 * 86400000, {}});
        history.record({HistoryEvent::Connected, HistoryCause::Schedule, "Office", 0, "", now - 7200000, {}});
        history.record({HistoryEvent::HungUp, HistoryCause::Schedule, "Office", 0, "", now - 3600000, {}});
        history.record({HistoryEvent::Failed, HistoryCause::Schedule, "Home", 678, text, now - 60000, {}});
    }
    const char* all = "failed connected hung-up:3600 failed ";
    const std::tuple<Words, const char*, const char*> cases[] = {
        {{}, all, "1 connection, 1:00:00 connected, failures: failed:676 x1 failed:678 x1"},
        {"--since 1d", "connected hung-up:3600 failed ", "failures: failed:678 x1"},
        {"--entry office --failed", "failed ", "0 connections, 0:00:00 connected, failures: failed:676 x1"},
        {{"--since", "2000-01-01 00:00"}, all, "failures: failed:676 x1"},
        {"--since 30m --entry Nowhere", "", "failures: none"},
    };
    for (const auto& [filter, events, summary] : cases) {
        Words args = {"history"};
        args.insert(args.end(), filter.begin(), filter.end());
        const auto table = tool(args);
        EXPECT_TRUE(table.out.rfind("TIME ", 0) == 0 && table.out.find(summary) != std::string::npos) << table.out;
        args.push_back("--json");
        EXPECT_EQ(historyEvents(tool(args).out), events) << summary;
    }
    EXPECT_NE(tool("history --json --failed").out.find(R"("text":"回線が\"話中\" C:\\modem\u0009\ufffd")"),
              std::string::npos);
}

// Columns line up in terminal columns: a wide character takes two, a halfwidth kana one. A
// text's line feed does not break its row in the table, but the JSON keeps it.
TEST_F(DialupToolTest, HistoryTableAlignsWideNamesOneRowPerEventAndNamesEachFailure)
{
    const std::int64_t now = std::time(nullptr) * std::int64_t{1000};
    {
        SqliteHistory history(env.historyPath(), {"simulator", false});
        const auto record = [&](HistoryEvent event, const char* entry, std::uint32_t code, const char* text) {
            history.record({event, HistoryCause::Button, entry, code, text, now, {}});
        };
        record(HistoryEvent::Failed, "東京", 680, "発信音がありません。\nモデムを確認してください。");
        record(HistoryEvent::Failed, "ｵｵｻｶ支店", 0, "ユーザー名またはパスワードが設定されていません");
        record(HistoryEvent::ApplicationFailed, "A", 0, "/bin/nothing\r\nhere");
    }
    std::istringstream table(tool("history").out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(table, line);)
        lines.push_back(line.size() > 27 && line[4] == '-' ? line.substr(27) : line); // past the time
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "TIME                       ENTRY     PROVIDER        CAUSE                 EVENT         DETAIL",
                  "東京      simulator       button                failed        680 発信音がありません。 "
                  "モデムを確認してください。",
                  "ｵｵｻｶ支店  simulator       button                failed        "
                  "ユーザー名またはパスワードが設定されていません",
                  "A         simulator       button                app-failed    /bin/nothing here",
                  "0 connections, 0:00:00 connected, failures: app-failed x1 failed x1 failed:680 x1",
              }));
    EXPECT_NE(tool("history --json").out.find(R"(発信音がありません。\u000aモデム)"), std::string::npos);
}

} // namespace
} // namespace telmaq
