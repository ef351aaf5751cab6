#pragma once

#include "support/TempEnvironment.h"
#include "tools/ToolRun.h"

namespace telmaq::test {

// Runs the built telmaq-dialup on the test's own hive and dial-up file.
class DialupToolTest : public ::testing::Test
{
protected:
    ToolRun tool(std::vector<std::string> args, const char* provider = nullptr, const std::string& input = {})
    {
        return runTool(TELMAQ_DIALUP_TOOL_PATH, args, env.dir(), provider, input);
    }
    void play(const std::vector<ToolStep>& steps, const char* provider = nullptr)
    {
        expectSteps([&](const std::vector<std::string>& args) { return tool(args, provider); }, steps);
    }

    TempEnvironment env;
};

} // namespace telmaq::test
