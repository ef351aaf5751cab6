#pragma once

#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace telmaq::test {

struct ToolRun
{
    int status = -1;
    std::string out, err;
};

// Runs a built command-line tool to its end, in the test's environment (its own hive and dial-up
// file), with its output caught in dir. The dial-up provider is the simulator unless one is given.
// Standard input is input, from a file (so never a terminal).
inline ToolRun runTool(const std::string& path, const std::vector<std::string>& args, const std::filesystem::path& dir,
                       const char* provider = nullptr, const std::string& input = {})
{
    const auto quoted = [](const std::string& text) {
        return " '" + std::regex_replace(text, std::regex("'"), "'\\''") + "'";
    };
    std::string command = "cd" + quoted(dir.string()) + " && exec" + quoted(path);
    for (const std::string& word : args)
        command += quoted(word);
    provider ? ::setenv("TELMAQ_DIALUP_PROVIDER", provider, 1) : ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    writeFile((dir / "stdin").string(), input);
    const int status = std::system((command + " <stdin >stdout 2>stderr").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileContents((dir / "stdout").string()),
            fileContents((dir / "stderr").string())};
}

#ifdef TELMAQ_TOOL_PATH
// A test of the target's own tool (TELMAQ_TOOL_PATH), run on the test's own hive and dial-up file.
class ToolTest : public ::testing::Test
{
protected:
    // A command's words: as given, or a text split at its spaces.
    struct Words : std::vector<std::string>
    {
        using vector::vector;
        Words(const std::string& text)
        {
            std::istringstream words(text);
            for (std::string word; words >> word;)
                push_back(word);
        }
        Words(const char* text) : Words(std::string(text)) {}
    };

    ToolRun tool(const Words& args, const char* provider = nullptr, const std::string& input = {})
    {
        return runTool(TELMAQ_TOOL_PATH, args, env.dir(), provider, input);
    }

    // One command of a session and its answer. err is a text the command's standard error must
    // hold; left empty, standard error must stay empty exactly when the command succeeds.
    struct Step
    {
        Words args;
        int status;
        std::string out, err = {};
    };
    void play(const std::vector<Step>& steps, const char* provider = nullptr)
    {
        for (const Step& step : steps) {
            const ToolRun got = tool(step.args, provider);
            const bool errFits =
                step.err.empty() ? got.err.empty() == (step.status == 0) : got.err.find(step.err) != std::string::npos;
            EXPECT_EQ(std::tuple(got.status, got.out, errFits), std::tuple(step.status, step.out, true))
                << testing::PrintToString(step.args).substr(0, 80) << ' ' << got.err;
        }
    }

    TempEnvironment env;
};
#endif

} // namespace telmaq::test
