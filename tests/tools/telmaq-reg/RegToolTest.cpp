#include "support/TempEnvironment.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

namespace telmaq {
namespace {

using test::ToolRun;

// Runs the built telmaq-reg with the test's own hive.
class RegToolTest : public ::testing::Test
{
protected:
    ToolRun reg(std::vector<std::string> args) { return test::runTool(TELMAQ_REG_PATH, std::move(args), env.dir()); }

    test::TempEnvironment env;
};

TEST_F(RegToolTest, SetValuesAreShownInTheRegistrysFormat)
{
    const std::string key = "Software\\wexhal\\telmaq\\Settings";
    EXPECT_EQ(0, reg({"set", key, "CheckMon", "dword", "5"}).status);
    EXPECT_EQ(0, reg({"set", "HKEY_CURRENT_USER\\" + key, "ApplicationFile", "sz", "\"/usr/bin/メール\" -q"}).status);
    EXPECT_EQ(0, reg({"set", "hkcu\\SOFTWARE\\wexhal\\telmaq\\settings", "WindowTop", "dword", "-10"}).status);
    EXPECT_EQ(0, reg({"set", "RemoteAccess", "RedialWait", "dword", "0x0002001e"}).status);

    ToolRun one = reg({"query", key, "CheckMon"});
    EXPECT_EQ(0, one.status);
    EXPECT_EQ("CheckMon  REG_DWORD  0x00000005 (5)\n", one.out);
    EXPECT_EQ("", one.err);

    ToolRun all = reg({"query", key});
    EXPECT_EQ(0, all.status);
    EXPECT_EQ("ApplicationFile  REG_SZ  \"/usr/bin/メール\" -q\n"
              "CheckMon  REG_DWORD  0x00000005 (5)\n"
              "WindowTop  REG_DWORD  0xfffffff6 (4294967286, -10)\n",
              all.out);
    EXPECT_EQ("RedialWait  REG_DWORD  0x0002001e (131102)\n", reg({"query", "RemoteAccess", "redialwait"}).out);
    EXPECT_EQ("Software\\wexhal\\\n", reg({"query", "Software"}).out);
}

TEST_F(RegToolTest, OddStoredValuesAreShownBoundedAndAsBytes)
{
    {
        SqliteHive hive(env.hivePath());
        HKEY key = 0;
        ASSERT_EQ(ERROR_SUCCESS, hive.createKey(HKEY_CURRENT_USER, "Odd", KEY_ALL_ACCESS, &key));
        ASSERT_EQ(ERROR_SUCCESS, hive.setValue(key, "Bare", REG_SZ, reinterpret_cast<const std::uint8_t*>("abc"), 3));
        ASSERT_EQ(ERROR_SUCCESS,
                  hive.setValue(key, "Short", REG_DWORD, reinterpret_cast<const std::uint8_t*>("\x01\x02"), 2));
        ASSERT_EQ(ERROR_SUCCESS, hive.setValue(key, "Raw", 9, reinterpret_cast<const std::uint8_t*>("\xff\x00"), 2));
    }
    EXPECT_EQ("Bare  REG_SZ  abc\nRaw  REG_0x9  FF00\nShort  REG_DWORD  0102\n", reg({"query", "Odd"}).out);
}

TEST_F(RegToolTest, DeleteRemovesAValueOrAWholeKey)
{
    ASSERT_EQ(0, reg({"set", "A\\B\\C", "One", "dword", "1"}).status);
    ASSERT_EQ(0, reg({"set", "A\\B", "Two", "sz", "2"}).status);
    EXPECT_EQ(0, reg({"delete", "A\\B\\C", "ONE"}).status);
    EXPECT_EQ("", reg({"query", "A\\B\\C"}).out);
    EXPECT_EQ(0, reg({"delete", "a\\b"}).status);
    ToolRun gone = reg({"query", "A\\B\\C"});
    EXPECT_EQ(1, gone.status);
    EXPECT_NE(std::string::npos, gone.err.find("not found"));
    EXPECT_EQ(0, reg({"query", "A"}).status);
}

TEST_F(RegToolTest, MistakesGoToStandardErrorWithANonZeroStatus)
{
    struct Case
    {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{}, 2},
        {{"frobnicate"}, 2},
        {{"query"}, 2},
        {{"set", "K", "N", "dword"}, 2},
        {{"set", "K", "N", "qword", "1"}, 2},
        {{"set", "K", "N", "dword", "4294967296"}, 2},
        {{"set", "K", "N", "dword", "12abc"}, 2},
        {{"set", "K", "N", "dword", "-2147483649"}, 2},
        {{"query", "HKEY_LOCAL_MACHINE\\Software"}, 2},
        {{"delete", "HKCU"}, 2},
        {{"query", "Missing"}, 1},
        {{"delete", "Missing"}, 1},
        {{"set", std::string(300, 'k'), "N", "dword", "1"}, 1},
    };
    for (const Case& c : cases) {
        const ToolRun run = reg(c.args);
        std::string shown;
        for (const auto& arg : c.args)
            shown += arg.substr(0, 20) + " ";
        EXPECT_EQ(c.status, run.status) << shown;
        EXPECT_EQ("", run.out) << shown;
        EXPECT_EQ(0u, run.err.rfind("telmaq-reg: ", 0)) << shown;
    }
    EXPECT_FALSE(std::filesystem::exists(env.hivePath())) << "failed commands made the hive";

    const ToolRun help = reg({"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_EQ("", help.err);
    EXPECT_EQ(0u, help.out.rfind("Usage: telmaq-reg query KEY [NAME]\n", 0));
}

TEST_F(RegToolTest, AFileThatIsNoHiveIsReportedAndLeftAlone)
{
    const std::string notes = "my notes, not a hive\n";
    test::writeFile(env.hivePath(), notes);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"query", "Software"}, {"set", "Software", "X", "dword", "1"}}) {
        const ToolRun run = reg(args);
        EXPECT_EQ(1, run.status);
        EXPECT_NE(std::string::npos, run.err.find("cannot open the hive " + env.hivePath()));
    }
    EXPECT_EQ(notes, test::fileContents(env.hivePath()));
}

} // namespace
} // namespace telmaq
