#include "dialup/DialupLists.h"

#include "fakes/FakeDialupService.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace telmaq {
namespace {

using test::FakeDialupService;

constexpr std::uint32_t kEntry = sizeof(RASENTRYNAMEA);
constexpr std::uint32_t kConn = sizeof(RASCONNA);

class DialupListsTest : public ::testing::Test
{
protected:
    FakeDialupService service;
    DialupLists lists{service};
};

TEST_F(DialupListsTest, ListsEntriesGrowingTheBufferOnceWhenNeeded)
{
    // An empty phonebook answers at once.
    EXPECT_EQ(lists.EnumEntries(), 0u);
    EXPECT_EQ(lists.entryCount(), 0);
    EXPECT_EQ(lists.GetEntryName(0), nullptr);
    EXPECT_EQ(service.enumEntriesCalls(), 1);

    // One entry fits the first buffer: still one call.
    service.addEntry("会社");
    EXPECT_EQ(lists.EnumEntries(), 0u);
    EXPECT_EQ(service.enumEntriesCalls(), 2);
    ASSERT_EQ(lists.entryCount(), 1);
    EXPECT_STREQ(lists.GetEntryName(0), "会社");

    // Three entries: too small, grown to the size the service asked for, filled by the second call.
    service.addEntry("自宅");
    service.addEntry("実家");
    EXPECT_EQ(lists.EnumEntries(), 0u);
    EXPECT_EQ(service.enumEntriesCalls(), 4);
    EXPECT_EQ(service.entriesCapacities(), (std::vector<std::uint32_t>{kEntry, kEntry, kEntry, 3 * kEntry}));
    ASSERT_EQ(lists.entryCount(), 3);
    EXPECT_STREQ(lists.GetEntryName(0), "会社");
    EXPECT_STREQ(lists.GetEntryName(1), "自宅");
    EXPECT_STREQ(lists.GetEntryName(2), "実家");
    EXPECT_EQ(lists.GetEntryName(3), nullptr);
    EXPECT_EQ(lists.GetEntryName(-1), nullptr);
}

TEST_F(DialupListsTest, GrownBufferIsReusedAtItsFullSize)
{
    for (int i = 0; i < 5; ++i)
        service.addConnection("line " + std::to_string(i));
    ASSERT_EQ(lists.EnumConnections(), 0u);
    ASSERT_EQ(lists.connectionCount(), 5);

    service.clearConnections();
    service.addConnection("only");
    ASSERT_EQ(lists.EnumConnections(), 0u);
    EXPECT_EQ(service.enumConnectionsCalls(), 3);
    EXPECT_EQ(service.connectionsCapacities().back(), 5 * kConn);
    ASSERT_EQ(lists.connectionCount(), 1);
    EXPECT_STREQ(lists.GetConnectionEntryName(0), "only");
    EXPECT_EQ(lists.GetConnectionEntryName(1), nullptr);
}

TEST_F(DialupListsTest, AnswersOfTheServicePassThroughWithNoThirdAttempt)
{
    service.failNextEnumEntries(ERROR_INVALID_SIZE);
    EXPECT_EQ(lists.EnumEntries(), ERROR_INVALID_SIZE);
    EXPECT_EQ(service.enumEntriesCalls(), 1);

    // The phonebook grows between the two calls: the second 603 is the answer.
    service.addEntries(2);
    service.onEnumEntries([this](int call) {
        if (call == 3)
            service.addEntry("late");
    });
    EXPECT_EQ(lists.EnumEntries(), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(service.enumEntriesCalls(), 3);
    // The count speaks of three records, the buffer holds two: the third is never read.
    EXPECT_EQ(lists.entryCount(), 3);
    EXPECT_EQ(lists.GetEntryName(2), nullptr);

    service.onEnumEntries(nullptr);
    EXPECT_EQ(lists.EnumEntries(), 0u);
    EXPECT_EQ(lists.entryCount(), 3);
    EXPECT_STREQ(lists.GetEntryName(2), "late");
}

TEST_F(DialupListsTest, LongestEntryNameComesBackWhole)
{
    const std::string longest(RAS_MaxEntryName, 'x');
    service.addEntry(longest);
    service.addEntry("next");
    ASSERT_EQ(lists.EnumEntries(), 0u);
    EXPECT_EQ(std::string(lists.GetEntryName(0)), longest);
    EXPECT_STREQ(lists.GetEntryName(1), "next");
}

TEST_F(DialupListsTest, HangUpAllConnectionsHangsUpTheLastListingOnly)
{
    // Nothing listed yet, and an empty listing: nothing is called.
    lists.HangUpAllConnections();
    ASSERT_EQ(lists.EnumConnections(), 0u);
    const int callsBefore = service.totalCalls();
    lists.HangUpAllConnections();
    EXPECT_EQ(service.totalCalls(), callsBefore);

    const HRASCONN a = service.addConnection("a");
    const HRASCONN b = service.addConnection("b");
    ASSERT_EQ(lists.EnumConnections(), 0u);
    service.addConnection("after the listing");
    const int listings = service.enumConnectionsCalls();
    lists.HangUpAllConnections();
    EXPECT_EQ(service.hungUp(), (std::vector<HRASCONN>{a, b}));
    EXPECT_EQ(service.enumConnectionsCalls(), listings);
    // The list itself is left as it was.
    EXPECT_EQ(lists.connectionCount(), 2);
    EXPECT_STREQ(lists.GetConnectionEntryName(1), "b");
}

// When growing fails the buffer is gone but the count the service reported stays behind; the
// accessors and the hang-up must not read records that no longer exist.
TEST_F(DialupListsTest, ListWithoutMemoryAnswersNothingAndHangsUpNothing)
{
    service.addConnection("a");
    service.addConnection("b");
    ASSERT_EQ(lists.EnumConnections(), 0u);

    service.claimConnectionsNeed(0xFFFFFFF0u);
    EXPECT_EQ(lists.EnumConnections(), ERROR_ALLOCATING_MEMORY);
    EXPECT_EQ(lists.connectionCount(), 2);
    EXPECT_EQ(lists.GetConnectionEntryName(0), nullptr);
    const int hangUps = service.hangUpCalls();
    lists.HangUpAllConnections();
    EXPECT_EQ(service.hangUpCalls(), hangUps);

    // The next listing starts again from a fresh first buffer.
    service.claimConnectionsNeed(0);
    EXPECT_EQ(lists.EnumConnections(), 0u);
    const auto capacities = service.connectionsCapacities();
    EXPECT_EQ(capacities[capacities.size() - 2], kConn);
    EXPECT_STREQ(lists.GetConnectionEntryName(1), "b");

    service.claimEntriesNeed(0xFFFFFFF0u);
    EXPECT_EQ(lists.EnumEntries(), ERROR_ALLOCATING_MEMORY);
    EXPECT_EQ(lists.GetEntryName(0), nullptr);
}

} // namespace
} // namespace telmaq
