#include "fakes/FakeDialupService.h"
#include "fakes/FakeHistory.h"
#include "platform/registry/SqliteHive.h"
#include "tools/telmaq-dialup/DialupTool.h"

#include <gtest/gtest.h>

#include <sstream>

namespace telmaq {
namespace {

// Another process hangs each line up between this one's listing and its hang-up: the service
// no longer knows the handle.
class RacedService : public test::FakeDialupService
{
public:
    std::uint32_t hangUp(HRASCONN connection) override
    {
        FakeDialupService::hangUp(connection);
        return ERROR_INVALID_HANDLE_RAS;
    }
};

TEST(HangupRace, ALineAnotherProcessHungUpFirstIsGoneAsAskedAndRecordedByThatProcess)
{
    for (const char* target : {"Office", "--all"}) {
        RacedService service;
        service.addConnection("Office");
        SqliteHive hive("/nonexistent/hive.db"); // never opened: hangup reads no settings
        test::FakeHistory history;
        std::ostringstream out, err;
        DialupToolContext context{service, nullptr, hive, history, "", out, err};
        EXPECT_EQ(runDialupTool({"hangup", target}, context), kDialupToolOk) << target << ": " << err.str();
        EXPECT_EQ(std::pair(err.str(), history.lines().size()), std::pair(std::string(), std::size_t{0})) << target;
    }
}

} // namespace
} // namespace telmaq
