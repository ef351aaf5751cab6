#pragma once

#include "platform/HiveTestSupport.h"

#include <fcntl.h>
#include <filesystem>
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

// Runs a built command-line tool to its end, in the test's environment (its own hive and dial-up
// file), with its output caught in dir. The dial-up provider is the simulator unless one is given.
// Standard input is input, from a file (so never a terminal).
inline ToolRun runTool(const std::string& path, std::vector<std::string> args, const std::filesystem::path& dir,
                       const char* provider = nullptr, const std::string& input = {})
{
    const std::string outPath = (dir / "stdout").string();
    const std::string errPath = (dir / "stderr").string();
    const std::string inPath = (dir / "stdin").string();
    writeFile(inPath, input);
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(::open(inPath.c_str(), O_RDONLY), 0);
        ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        provider ? ::setenv("TELMAQ_DIALUP_PROVIDER", provider, 1) : ::unsetenv("TELMAQ_DIALUP_PROVIDER");
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ToolRun run;
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    run.out = fileContents(outPath);
    run.err = fileContents(errPath);
    return run;
}

} // namespace telmaq::test
