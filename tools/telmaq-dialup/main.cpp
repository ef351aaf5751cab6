#include "platform/dialup/DialupProviders.h"
#include "platform/history/SqliteHistory.h"
#include "platform/registry/SqliteHive.h"
#include "platform/system/UserPaths.h"
#include "tools/telmaq-dialup/DialupTool.h"

#include <iostream>
#include <memory>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    telmaq::SqliteHive hive(telmaq::hivePath());
    // The provider telmaq itself would dial through, so that a script sees what the program sees.
    const std::unique_ptr<telmaq::IDialupService> service = telmaq::openDialupService(hive);
    telmaq::SqliteHistory history(telmaq::historyDatabasePath(), {telmaq::configuredDialupProvider(hive)});
    telmaq::DialupToolContext context{*service,
                                      dynamic_cast<telmaq::LineSimulator*>(service.get()),
                                      hive,
                                      history,
                                      telmaq::historyDatabasePath(),
                                      std::cout,
                                      std::cerr};
    return telmaq::runDialupTool(args, context);
}
