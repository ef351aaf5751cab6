#pragma once

#include "support/TempEnvironment.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

namespace telmaq::test {

// Runs the built telmaq-dialup on the test's own hive and dial-up file.
class DialupToolTest : public ::testing::Test
{
protected:
    ToolRun tool(std::vector<std::string> args, const char* provider = nullptr, const std::string& input = {})
    {
        return runTool(TELMAQ_DIALUP_TOOL_PATH, std::move(args), env.dir(), provider, input);
    }

    TempEnvironment env;
};

} // namespace telmaq::test
