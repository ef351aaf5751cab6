#include "platform/process/CommandLine.h"

#include <gtest/gtest.h>

namespace telmaq {
namespace {

using Words = std::vector<std::string>;

Words split(const std::string& line)
{
    CommandLineWords result = splitCommandLine(line);
    EXPECT_TRUE(result.ok) << line << ": " << result.error;
    return result.words;
}

TEST(CommandLineTest, SplitsLikeAShellWithoutExpanding)
{
    EXPECT_EQ(split("prog"), (Words{"prog"}));
    EXPECT_EQ(split("  prog \t a   b\n"), (Words{"prog", "a", "b"}));
    EXPECT_EQ(split(""), Words{});
    EXPECT_EQ(split(" \t "), Words{});
    // Nothing a shell would expand is touched.
    EXPECT_EQ(split("echo $HOME *.txt ~ a|b;c >x"), (Words{"echo", "$HOME", "*.txt", "~", "a|b;c", ">x"}));
}

TEST(CommandLineTest, HonoursQuotesAndBackslashes)
{
    EXPECT_EQ(split("'/opt/My Apps/run' --title 'a \"b\" \\c'"), (Words{"/opt/My Apps/run", "--title", "a \"b\" \\c"}));
    EXPECT_EQ(split("\"a b\" \"say \\\"hi\\\"\" \"back\\\\slash\" \"keep\\n\" \"\\$5 \\`x\\`\""),
              (Words{"a b", "say \"hi\"", "back\\slash", "keep\\n", "$5 `x`"}));
    EXPECT_EQ(split("a\\ b c\\\"d \\'e"), (Words{"a b", "c\"d", "'e"}));
    // Quoted pieces next to each other make one word; empty quotes are a word of their own.
    EXPECT_EQ(split("pre\"mid\"'post' '' \"\""), (Words{"premidpost", "", ""}));
    // A backslash before a line break joins the lines, also inside double quotes.
    EXPECT_EQ(split("one\\\ntwo \"three\\\nfour\""), (Words{"onetwo", "threefour"}));
    // UTF-8 passes through untouched.
    EXPECT_EQ(split("メール 'ｱﾌﾟﾘ 起動'"), (Words{"メール", "ｱﾌﾟﾘ 起動"}));
}

TEST(CommandLineTest, RefusesLinesAShellWouldNotFinish)
{
    for (const char* line : {"prog 'open", "prog \"open", "prog \"esc\\\"", "prog trailing\\"}) {
        CommandLineWords result = splitCommandLine(line);
        EXPECT_FALSE(result.ok) << line;
        EXPECT_FALSE(result.error.empty()) << line;
    }
}

TEST(CommandLineTest, QuotedPathsSplitBackIntoThemselves)
{
    // Plain paths stay as typed; anything the splitting would cut or eat is quoted.
    EXPECT_EQ(quoteCommandWord("/usr/bin/メール"), "/usr/bin/メール");
    EXPECT_EQ(quoteCommandWord("/opt/My Apps/tool"), "'/opt/My Apps/tool'");
    for (const char* path : {"/opt/My Apps/tool", "/o'clock/run", "C:\\dir\\a b", "say \"hi\"", "tab\there", "", "'",
                             "$HOME/`x`", "/a/b\n"})
        EXPECT_EQ(split(quoteCommandWord(path)), Words{path}) << path;
}

} // namespace
} // namespace telmaq
