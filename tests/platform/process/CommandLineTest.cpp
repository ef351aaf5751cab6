#include "platform/process/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace telmaq {
namespace {

using Words = std::vector<std::string>;

Words split(const std::string& line)
{
    const CommandLineWords result = splitCommandLine(line);
    EXPECT_TRUE(result.ok) << line << ": " << result.error;
    return result.words;
}

TEST(CommandLineTest, SplitsLikeAShellWithoutExpanding)
{
    const std::pair<const char*, Words> cases[] = {
        {"  prog \t a   b\n", {"prog", "a", "b"}},
        {" \t ", {}},
        {"echo $HOME *.txt ~ a|b;c >x", {"echo", "$HOME", "*.txt", "~", "a|b;c", ">x"}},
        {"'/opt/My Apps/run' 'a \"b\" \\c'", {"/opt/My Apps/run", "a \"b\" \\c"}},
        {"\"say \\\"hi\\\"\" \"back\\\\slash\" \"keep\\n\" \"\\$5 \\`x\\`\"",
         {"say \"hi\"", "back\\slash", "keep\\n", "$5 `x`"}},
        {"a\\ b c\\\"d \\'e", {"a b", "c\"d", "'e"}},
        {"pre\"mid\"'post' '' \"\"", {"premidpost", "", ""}},      // empty quotes are a word of their own
        {"one\\\ntwo \"three\\\nfour\"", {"onetwo", "threefour"}}, // a backslash before a line break joins
        {"メール 'ｱﾌﾟﾘ 起動'", {"メール", "ｱﾌﾟﾘ 起動"}},
    };
    for (const auto& [line, words] : cases)
        EXPECT_EQ(split(line), words) << line;
    for (const char* line : {"prog 'open", "prog \"open", "prog \"esc\\\"", "prog trailing\\"}) {
        const CommandLineWords result = splitCommandLine(line);
        EXPECT_TRUE(!result.ok && !result.error.empty()) << line;
    }
}

TEST(CommandLineTest, QuotedPathsSplitBackIntoThemselves)
{
    EXPECT_EQ(quoteCommandWord("/usr/bin/メール"), "/usr/bin/メール");
    EXPECT_EQ(quoteCommandWord("/opt/My Apps/tool"), "'/opt/My Apps/tool'");
    for (const char* path : {"/o'clock/run", "C:\\dir\\a b", "say \"hi\"", "tab\there", "", "'", "$HOME/`x`", "/a/b\n"})
        EXPECT_EQ(split(quoteCommandWord(path)), Words{path}) << path;
}

} // namespace
} // namespace telmaq
