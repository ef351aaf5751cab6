#include "platform/registry/SqliteHive.h"
#include "platform/system/UserPaths.h"
#include "tools/telmaq-dialup/DialupTool.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    telmaq::LineSimulator simulator(telmaq::dialupDatabasePath());
    telmaq::SqliteHive hive(telmaq::hivePath());
    telmaq::DialupToolContext context{simulator, hive, std::cout, std::cerr};
    return telmaq::runDialupTool(args, context);
}
