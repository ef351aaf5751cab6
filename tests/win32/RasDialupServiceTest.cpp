#include "platform/win32/RasDialupService.h"

#include "SimulatedPhonebook.h"
#include "dialup/RasErrorText.h"
#include "platform/dialup/DialupServiceContract.h"

#include <fstream>

namespace telmaq::test {
namespace {

// The Remote Access Service provider over the simulated rasapi32.dll, each phonebook in a file
// of its own.
struct RasProvider
{
    std::unique_ptr<IDialupService> open(const std::vector<SimEntry>& entries)
    {
        phonebook.reset();
        phonebook = std::make_unique<SimulatedPhonebook>(entries);
        return std::make_unique<RasDialupService>();
    }
    std::unique_ptr<SimulatedPhonebook> phonebook;
};

INSTANTIATE_TYPED_TEST_SUITE_P(RemoteAccessService, DialupServiceContract, RasProvider);

class RasDialupServiceTest : public DialupServiceContract<RasProvider>
{
protected:
    // Runs the peer program of the tests, which shares the phonebook through the environment.
    int peer(const std::string& arguments)
    {
        return runAndWait("\"" + testProgramFolder() + "\\telmaq_win32_peer.exe\" " + arguments);
    }
};

TEST(SimulatedRas, IsTheServiceThisProcessLoaded)
{
    EXPECT_TRUE(simulatedRasLoaded()) << "rasapi32 is Wine's stub: run with WINEDLLOVERRIDES=rasapi32=n";
}

TEST_F(RasDialupServiceTest, ListsWithOneRetryAndDialsOnlyWhenAsked)
{
    IDialupService& service = open({simEntry("A"), simEntry("B"), simEntry("Busy", "busy")});
    // Room for all three on our side; the provider still starts with room for one record.
    RASENTRYNAMEA records[4]{};
    records[0].dwSize = sizeof(RASENTRYNAMEA);
    std::uint32_t size = sizeof records, count = 0;
    const std::uint32_t before = simulatedRasCalls("RasEnumEntriesA");
    ASSERT_EQ(service.enumEntries(records, &size, &count), 0u);
    EXPECT_EQ(simulatedRasCalls("RasEnumEntriesA") - before, 2u);
    EXPECT_EQ(count, 3u);
    EXPECT_STREQ(records[2].szEntryName, "Busy");

    const std::uint32_t dials = simulatedRasCalls("RasDialA");
    const HRASCONN handle = dial("Busy");
    EXPECT_EQ(ending().second, ERROR_LINE_BUSY);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(simulatedRasCalls("RasDialA") - dials, 1u) << "the provider never redials by itself";
    EXPECT_EQ(service.hangUp(handle), 0u);
}

TEST_F(RasDialupServiceTest, AConnectionIsOneHandleForUsAndSeenByEveryProcess)
{
    IDialupService& service = open({simEntry("Office")});
    const HRASCONN handle = dial("Office");
    ASSERT_EQ(ending().second, 0u);
    RASCONNA record[2]{};
    record[0].dwSize = sizeof(RASCONNA);
    std::uint32_t size = sizeof record, count = 0;
    ASSERT_EQ(service.enumConnections(record, &size, &count), 0u);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(record[0].hrasconn, handle);
    EXPECT_STREQ(record[0].szDeviceName, "simras-modem0");

    const std::string listed = (m_provider.phonebook->folder() / "listed.txt").string();
    ASSERT_EQ(peer("connections \"" + listed + "\""), 0);
    std::ifstream in(listed);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "Office\n");
    EXPECT_EQ(peer("hangup Office"), 0);
    EXPECT_EQ(connectionNames(service), std::vector<std::string>{});
}

TEST_F(RasDialupServiceTest, TextsTheProgramHasNotAreTheServicesOwnBytes)
{
    IDialupService& service = open({});
    RasErrorText texts(service);
    EXPECT_STREQ(texts.GetRasErrorText(ERROR_NO_CONNECTION), "接続がありません");
    EXPECT_STREQ(texts.GetRasErrorText(987654), "(エラーコードの間違い)");
}

} // namespace
} // namespace telmaq::test
