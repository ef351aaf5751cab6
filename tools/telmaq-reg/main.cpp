#include "platform/system/UserPaths.h"
#include "tools/telmaq-reg/RegTool.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    telmaq::SqliteHive hive(telmaq::hivePath());
    return telmaq::runRegTool(args, hive, std::cout, std::cerr);
}
