#include "dialup/HiveValues.h"
#include "tools/ToolRun.h"

namespace telmaq {
namespace {

using RegToolTest = test::ToolTest;

const std::string kSettings = "Software\\wexhal\\telmaq\\Settings";

TEST_F(RegToolTest, ValuesSetUnderAnySpellingOfTheKeyAreListedInTheRegistrysFormat)
{
    play({{"set " + kSettings + " CheckMon dword 5", 0, ""},
          {{"set", "HKEY_CURRENT_USER\\" + kSettings, "ApplicationFile", "sz", "\"/usr/bin/メール\" -q"}, 0, ""},
          {"set hkcu\\SOFTWARE\\wexhal\\telmaq\\settings WindowTop dword -10", 0, ""},
          {"set HKCU\\" + kSettings + " Lowest dword -2147483648", 0, ""},
          {"set RemoteAccess RedialWait dword 0x0002001e", 0, ""},
          {"query " + kSettings + " CheckMon", 0, "CheckMon  REG_DWORD  0x00000005 (5)\n"},
          {"query " + kSettings, 0,
           "ApplicationFile  REG_SZ  \"/usr/bin/メール\" -q\nCheckMon  REG_DWORD  0x00000005 (5)\n"
           "Lowest  REG_DWORD  0x80000000 (2147483648, -2147483648)\n"
           "WindowTop  REG_DWORD  0xfffffff6 (4294967286, -10)\n"},
          {"query RemoteAccess redialwait", 0, "RedialWait  REG_DWORD  0x0002001e (131102)\n"},
          {"query Software", 0, "Software\\wexhal\\\n"},
          {"set A\\B Two sz 2", 0, ""},
          {"delete RemoteAccess REDIALWAIT", 0, ""},
          {"query RemoteAccess", 0, ""},
          {"delete software\\WEXHAL", 0, ""},
          {"query " + kSettings, 1, "", "not found"},
          {"query Software", 0, ""},
          {"query A", 0, "A\\B\\\n"}});
}

TEST_F(RegToolTest, OddStoredValuesAreShownBoundedAndAsBytes)
{
    SqliteHive hive(env.hivePath());
    for (const auto& [name, type, bytes] : {std::tuple<const char*, std::uint32_t, std::string>{"Bare", REG_SZ, "abc"},
                                            {"Cut", REG_SZ, std::string("ab\0cd", 5)},
                                            {"Short", REG_DWORD, "\x01\x02"},
                                            {"Raw", 9, std::string("\xff\x00", 2)}})
        test::storeValue(hive, "Odd", name, type, bytes);
    play({{"query Odd", 0, "Bare  REG_SZ  abc\nCut  REG_SZ  ab\nRaw  REG_0x9  FF00\nShort  REG_DWORD  0102\n"}});
}

TEST_F(RegToolTest, MistakesGoToStandardErrorWithANonZeroStatusAndMakeNoHive)
{
    for (const char* usage : {"", "frobnicate", "query", "set K N dword", "set K N qword 1", "set K N dword 4294967296",
                              "set K N dword 12abc", "set K N dword +5", "set K N dword -2147483649",
                              "query HKEY_LOCAL_MACHINE\\Software", "delete HKCU"})
        play({{usage, 2, "", "telmaq-reg: "}});
    // Out of range, a number is told its range; a hostile text comes back quoted and short.
    const std::string hostile = "\x1b[2J\n" + std::string(100000, '9');
    const test::ToolRun run = tool({"set", "K", "N", "dword", hostile});
    EXPECT_TRUE(run.status == 2 && run.err.find("'\\x1B[2J\\n999") != std::string::npos &&
                run.err.find("-2147483648 to 4294967295") != std::string::npos &&
                run.err.find('\x1b') == std::string::npos && run.err.size() < 400)
        << run.err.substr(0, 200);
    for (const std::string& refused :
         std::vector<std::string>{"query Missing", "delete Missing", "set " + std::string(300, 'k') + " N dword 1"})
        play({{refused, 1, "", "telmaq-reg: "}});
    EXPECT_FALSE(std::filesystem::exists(env.hivePath()));
}

} // namespace
} // namespace telmaq
