#pragma once

#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace telmaq::test {

struct ToolRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the built telmaq-dialup on the test's own hive and dial-up file (from TempEnvironment).
class DialupToolTest : public ::testing::Test
{
protected:
    ToolRun tool(std::vector<std::string> args)
    {
        const std::string outPath = (env.dir() / "stdout").string();
        const std::string errPath = (env.dir() / "stderr").string();
        args.insert(args.begin(), TELMAQ_DIALUP_TOOL_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        ToolRun run;
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
            run.status = WEXITSTATUS(status);
        run.out = contents(outPath);
        run.err = contents(errPath);
        return run;
    }

    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TempEnvironment env;
};

} // namespace telmaq::test
