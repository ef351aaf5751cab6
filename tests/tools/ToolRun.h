#pragma once

#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace telmaq::test {

struct ToolRun
{
    int status = -1;
    std::string out, err;
};

// One command of a session and its answer. err is a text the command's standard error must
// hold; left empty, standard error must stay empty exactly when the command succeeds.
struct ToolStep
{
    std::vector<std::string> args;
    int status;
    std::string out, err = {};
};

// Runs a built command-line tool to its end, in the test's environment (its own hive and dial-up
// file), with its output caught in dir. The dial-up provider is the simulator unless one is given.
// Standard input is input, from a file (so never a terminal).
inline ToolRun runTool(const std::string& path, const std::vector<std::string>& args, const std::filesystem::path& dir,
                       const char* provider = nullptr, const std::string& input = {})
{
    const auto quoted = [](std::string text) {
        for (std::size_t at = 0; (at = text.find('\'', at)) != std::string::npos; at += 4)
            text.replace(at, 1, "'\\''");
        return "'" + text + "' ";
    };
    writeFile((dir / "stdin").string(), input);
    std::string command = "cd " + quoted(dir.string()) + "&& exec env " +
                          (provider ? "TELMAQ_DIALUP_PROVIDER=" + quoted(provider) : "-u TELMAQ_DIALUP_PROVIDER ") +
                          quoted(path);
    for (const std::string& word : args)
        command += quoted(word);
    const int status = std::system((command + "<stdin >stdout 2>stderr").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileContents((dir / "stdout").string()),
            fileContents((dir / "stderr").string())};
}

#ifdef TELMAQ_TOOL_PATH
// A test of the target's own tool (TELMAQ_TOOL_PATH), run on the test's own hive and dial-up file.
class ToolTest : public ::testing::Test
{
protected:
    ToolRun tool(const std::vector<std::string>& args, const char* provider = nullptr, const std::string& input = {})
    {
        return runTool(TELMAQ_TOOL_PATH, args, env.dir(), provider, input);
    }

    void play(const std::vector<ToolStep>& steps, const char* provider = nullptr)
    {
        for (const ToolStep& step : steps) {
            const ToolRun got = tool(step.args, provider);
            const std::string shown = testing::PrintToString(step.args).substr(0, 80) + " " + got.err;
            EXPECT_EQ(got.status, step.status) << shown;
            EXPECT_EQ(got.out, step.out) << shown;
            EXPECT_TRUE(step.err.empty() ? got.err.empty() == (step.status == 0)
                                         : got.err.find(step.err) != std::string::npos)
                << shown;
        }
    }

    TempEnvironment env;
};
#endif

} // namespace telmaq::test
