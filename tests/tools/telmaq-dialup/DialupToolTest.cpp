#include "DialupToolRun.h"

#include "platform/dialup/SimulatorDatabase.h"
#include "platform/registry/SqliteHive.h"

#include <functional>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <signal.h>

namespace telmaq {
namespace {

using test::DialupToolTest;

TEST_F(DialupToolTest, HelpEverywhereAndMistakesOnStandardError)
{
    const auto help = tool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: telmaq-dialup"), std::string::npos);
    for (const char* command :
         {"demo", "entries", "add", "set", "remove", "show", "default", "redial", "dial", "connections", "hangup"}) {
        const auto run = tool({command, "--help"});
        EXPECT_TRUE(run.status == 0 && run.err.empty()) << command;
        EXPECT_NE(run.out.find(std::string("telmaq-dialup ") + command), std::string::npos) << command;
    }
    for (const std::vector<std::string>& wrong : {std::vector<std::string>{},
                                                  {"frobnicate"},
                                                  {"add"},
                                                  {"add", "x", "--line", "sometimes"},
                                                  {"add", "x", "--step-ms", "-5"},
                                                  {"add", "x", "--colour", "red"},
                                                  {"dial", "x", "--timeout", "0"},
                                                  {"hangup"},
                                                  {"hangup", "a", "--all"},
                                                  {"redial", "--on", "--off"},
                                                  {"redial", "--wait", "1:75"},
                                                  {"redial", "--tries", "many"}}) {
        const auto run = tool(wrong);
        EXPECT_TRUE(run.status == 2 && !run.err.empty() && run.out.empty()) << testing::PrintToString(wrong);
    }
}

TEST_F(DialupToolTest, EntriesAreAddedChangedShownAndRemoved)
{
    EXPECT_EQ(tool({"add", "自宅", "--phone", "0312345678", "--user", "taro", "--password", "ひみつ", "--domain",
                    "HOME", "--line", "busy:2", "--step-ms", "0"})
                  .status,
              0);
    EXPECT_EQ(tool({"add", "会社", "--device=modem-b"}).status, 0);
    EXPECT_EQ(tool({"entries"}).out, "自宅\n会社\n");

    auto shown = tool({"show", "自宅"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, "name: 自宅\nphone: 0312345678\ndevice: telmaq-modem0\nuser: taro\npassword: stored\n"
                         "domain: HOME\nline: busy:2\nstep-ms: 0\n");
    EXPECT_EQ(shown.out.find("ひみつ"), std::string::npos);

    EXPECT_EQ(tool({"set", "自宅", "--no-password", "--line", "drop:1.5"}).status, 0);
    shown = tool({"show", "自宅"});
    EXPECT_NE(shown.out.find("password: not stored\n"), std::string::npos);
    EXPECT_NE(shown.out.find("line: drop:1.5\n"), std::string::npos);
    EXPECT_NE(shown.out.find("user: taro\n"), std::string::npos);
    EXPECT_NE(tool({"show", "会社"}).out.find("user: (not stored)\npassword: not stored\n"), std::string::npos);

    // Refusals leave the phonebook as it was.
    const auto duplicate = tool({"add", "会社"});
    EXPECT_EQ(duplicate.status, 1);
    EXPECT_NE(duplicate.err.find("exists"), std::string::npos);
    EXPECT_EQ(tool({"add", std::string(257, 'x')}).status, 1);
    EXPECT_EQ(tool({"set", "nowhere", "--phone", "1"}).status, 1);
    EXPECT_EQ(tool({"show", "nowhere"}).status, 1);
    EXPECT_EQ(tool({"remove", "nowhere"}).status, 1);
    EXPECT_EQ(tool({"entries"}).out, "自宅\n会社\n");

    EXPECT_EQ(tool({"remove", "自宅"}).status, 0);
    EXPECT_EQ(tool({"entries"}).out, "会社\n");
}

TEST_F(DialupToolTest, DemoSeedsAnEmptyPhonebookOnlyAndSetsTheDefault)
{
    const auto first = tool({"demo"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_FALSE(first.out.empty());
    const std::string entries = tool({"entries"}).out;
    std::vector<std::string> names;
    for (std::size_t start = 0, end; (end = entries.find('\n', start)) != std::string::npos; start = end + 1)
        names.push_back(entries.substr(start, end - start));
    ASSERT_GE(names.size(), 8u);

    std::string lines;
    int withoutPassword = 0;
    for (const std::string& name : names) {
        const std::string shown = tool({"show", name}).out;
        lines += shown.substr(shown.find("line: "));
        withoutPassword += shown.find("password: not stored") != std::string::npos;
        EXPECT_EQ(shown.find("user: (not stored)"), std::string::npos) << name;
    }
    for (const char* behaviour :
         {"connect", "busy\n", "busy:", "no-answer", "no-dialtone", "no-modem", "auth-fail", "drop:"})
        EXPECT_NE(lines.find(std::string("line: ") + behaviour), std::string::npos) << behaviour;
    EXPECT_EQ(withoutPassword, 1);
    EXPECT_EQ(tool({"default"}).out, names.front() + "\n");

    // A second run adds nothing and keeps a default set by the user.
    EXPECT_EQ(tool({"default", "自分で選んだ"}).status, 0);
    const auto second = tool({"demo"});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(tool({"entries"}).out, entries);
    EXPECT_EQ(tool({"default"}).out, "自分で選んだ\n");
}

TEST_F(DialupToolTest, DefaultEntryAndRedialSettingsLiveInTheHive)
{
    const auto unset = tool({"default"});
    EXPECT_EQ(unset.status, 1);
    EXPECT_FALSE(unset.err.empty());
    // Setting does not check the phonebook.
    EXPECT_EQ(tool({"default", "まだない接続先"}).status, 0);
    EXPECT_EQ(tool({"default"}).out, "まだない接続先\n");

    EXPECT_EQ(tool({"redial"}).out, "redial: off\ntries: 0\nwait: 0:00 (0 seconds)\n");
    EXPECT_EQ(tool({"redial", "--on", "--tries", "3", "--wait", "1:30"}).status, 0);
    EXPECT_EQ(tool({"redial"}).out, "redial: on\ntries: 3\nwait: 1:30 (90 seconds)\n");
    EXPECT_EQ(tool({"redial", "--wait", "75"}).status, 0);
    EXPECT_EQ(tool({"redial", "--off"}).status, 0);

    SqliteHive hive(env.hivePath());
    HKEY key = 0;
    ASSERT_EQ(hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key), ERROR_SUCCESS);
    auto number = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    EXPECT_EQ(test::readBytes(hive, key, "EnableRedial"), number(0));
    EXPECT_EQ(test::readBytes(hive, key, "RedialTry"), number(3));
    EXPECT_EQ(test::readBytes(hive, key, "RedialWait"), number((1u << 16) | 15u));
    std::uint32_t type = 0;
    EXPECT_EQ(test::readBytes(hive, key, "InternetProfile", &type), std::string("まだない接続先") + '\0');
    EXPECT_EQ(type, REG_SZ);
    hive.closeKey(key);
}

// The values are read as telmaq reads them, whatever their type tag; a hive that cannot be
// read is an error, never the defaults passed off as stored values.
TEST_F(DialupToolTest, TheHiveIsReadAsTelmaqReadsItAndAnUnreadableOneIsAnError)
{
    {
        SqliteHive hive(env.hivePath());
        HKEY key = 0;
        ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        const auto store = [&](const char* name, std::uint32_t type, const std::string& bytes) {
            ASSERT_EQ(hive.setValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                    static_cast<std::uint32_t>(bytes.size())),
                      ERROR_SUCCESS);
        };
        store("EnableRedial", REG_BINARY, std::string("\1\0\0\0", 4));
        store("RedialTry", REG_NONE, std::string("\5\0\0\0", 4));
        store("RedialWait", REG_SZ, std::string("\x1e\0\1\0", 4));
        store("InternetProfile", REG_BINARY, std::string("自宅\0old", 10));
        hive.closeKey(key);
    }
    EXPECT_EQ(tool({"redial"}).out, "redial: on\ntries: 5\nwait: 1:30 (90 seconds)\n");
    EXPECT_EQ(tool({"default"}).out, "自宅\n");
    // telmaq reads 255 bytes and a zero at most: a longer name would read as none.
    EXPECT_EQ(tool({"default", std::string(255, 'x')}).status, 0);
    EXPECT_EQ(tool({"default"}).out, std::string(255, 'x') + "\n");
    EXPECT_EQ(tool({"default", std::string(256, 'x')}).status, 2);

    const std::string damaged(4096, 'x');
    test::writeFile(env.hivePath(), damaged);
    for (const std::vector<std::string>& command : {std::vector<std::string>{"redial"}, {"default"}, {"provider"}}) {
        const auto run = tool(command);
        EXPECT_TRUE(run.status == 1 && run.out.empty()) << command[0] << run.out;
        EXPECT_NE(run.err.find("1011"), std::string::npos) << run.err;
    }
    EXPECT_EQ(test::fileContents(env.hivePath()), damaged);
}

std::optional<std::string> storedPassword(const std::string& path, const std::string& name)
{
    SimEntry entry;
    return SimulatorDatabase(path).findEntry(name, entry) == 0 ? entry.password : std::nullopt;
}

// A password need not be on the command line, where every local user can read it.
TEST_F(DialupToolTest, APasswordIsReadFromStandardInputOrAskedForWithoutEcho)
{
    EXPECT_EQ(tool({"add", "A", "--password-stdin"}, nullptr, "s3cret\r\nnext line\n").status, 0);
    EXPECT_EQ(storedPassword(env.dialupPath(), "A"), "s3cret");
    EXPECT_EQ(tool({"add", "B", "--password=--x"}).status, 0);
    EXPECT_EQ(storedPassword(env.dialupPath(), "B"), "--x");
    for (const std::vector<std::string>& refused : {std::vector<std::string>{"set", "A", "--password-stdin"},
                                                    {"set", "A", "--password"},
                                                    {"set", "A", "--password", "--phone", "1"},
                                                    {"set", "A", "--password-stdin", "--no-password"},
                                                    {"set", "A", "--password-stdin", "--password", "x"}}) {
        const auto run = tool(refused);
        EXPECT_TRUE(run.status == 2 && !run.err.empty()) << testing::PrintToString(refused);
    }
    EXPECT_EQ(storedPassword(env.dialupPath(), "A"), "s3cret") << "refusals keep the password";

    // On a terminal, a bare --password asks, and what is typed is not shown.
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl(TELMAQ_DIALUP_TOOL_PATH, TELMAQ_DIALUP_TOOL_PATH, "set", "A", "--password", "--phone", "1",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string shown;
    // Reads what the terminal shows until until() holds or the tool ends; a tool that hangs is
    // killed instead of hanging the test.
    const auto readUntil = [&](const std::function<bool()>& until) {
        char buffer[256];
        pollfd ready{terminal, POLLIN, 0};
        while (!until()) {
            ssize_t got = 0;
            if (::poll(&ready, 1, 30000) <= 0 || (got = ::read(terminal, buffer, sizeof buffer)) <= 0)
                return;
            shown.append(buffer, static_cast<std::size_t>(got));
        }
    };
    readUntil([&] { return shown.find("Password: ") != std::string::npos; });
    ASSERT_EQ(::write(terminal, "typed\n", 6), 6);
    readUntil([] { return false; });
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
    EXPECT_EQ(shown.find("typed"), std::string::npos) << shown;
    EXPECT_EQ(storedPassword(env.dialupPath(), "A"), "typed");
}

} // namespace
} // namespace telmaq
