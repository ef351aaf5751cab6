// Against a real NetworkManager: run by nm-real-netns, which starts one in namespaces of its
// own with the keyfile profiles "DSL" (PPPoE on veth0), "Mobile" (gsm) and "Wired" (ethernet).
// The provider is made without an application object, as in a command-line tool.
#include "platform/networkmanager/NetworkManagerDialupService.h"
#include "platform/dialup/SimulatorTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace telmaq;

namespace {

RASDIALPARAMSA paramsFor(const char* name)
{
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::snprintf(params.szEntryName, sizeof params.szEntryName, "%s", name);
    return params;
}

} // namespace

class NetworkManagerSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("TELMAQ_NM_SYSTEM_TEST"))
            GTEST_SKIP() << "needs the NetworkManager that nm-real-netns starts";
    }
    test::TempEnvironment env;
};

TEST_F(NetworkManagerSystemTest, ListsTheDialupProfilesOnly)
{
    NetworkManagerDialupService service;
    std::vector<RASENTRYNAMEA> entries(8);
    entries[0].dwSize = sizeof(RASENTRYNAMEA);
    std::uint32_t size = static_cast<std::uint32_t>(entries.size() * sizeof(RASENTRYNAMEA)), count = 0;
    ASSERT_EQ(service.enumEntries(entries.data(), &size, &count), 0u);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < count; ++i)
        names.emplace_back(entries[i].szEntryName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"DSL", "Mobile"}));
}

TEST_F(NetworkManagerSystemTest, PasswordsComeThroughGetSecrets)
{
    NetworkManagerDialupService service;
    RASDIALPARAMSA dsl = paramsFor("DSL");
    bool retrieved = false;
    ASSERT_EQ(service.getEntryDialParams(&dsl, &retrieved), 0u);
    EXPECT_STREQ(dsl.szUserName, "dsluser");
    EXPECT_STREQ(dsl.szPassword, "dslsecret");
    EXPECT_TRUE(retrieved);

    RASDIALPARAMSA mobile = paramsFor("Mobile");
    retrieved = false;
    ASSERT_EQ(service.getEntryDialParams(&mobile, &retrieved), 0u);
    EXPECT_STREQ(mobile.szUserName, "mobileuser");
    EXPECT_STREQ(mobile.szPassword, "mobilesecret");
    EXPECT_STREQ(mobile.szPhoneNumber, "*99#");
    EXPECT_TRUE(retrieved);

    RASDIALPARAMSA wired = paramsFor("Wired");
    EXPECT_EQ(service.getEntryDialParams(&wired, &retrieved), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

TEST_F(NetworkManagerSystemTest, APppoeDialWithoutPppEndsInAnErrorWithAText)
{
    NetworkManagerDialupService service;
    test::ReportLog& log = test::ReportLog::instance();
    log.reset();
    RASDIALPARAMSA dsl = paramsFor("DSL");
    HRASCONN connection = kNoConnection;
    std::uint32_t code = service.dial(&dsl, 0, &test::ReportLog::notifier, &connection);
    if (code == 0) {
        EXPECT_NE(connection, kNoConnection);
        ASSERT_TRUE(log.waitForEnd(std::chrono::seconds(90))) << "the failed dial was never reported";
        const std::vector<test::Reported> reports = log.reports();
        code = reports.back().error;
        for (const test::Reported& report : reports)
            EXPECT_NE(report.state, RASCS_Connected);
        EXPECT_EQ(reports.front().state, RASCS_OpenPort);
    }
    EXPECT_NE(code, 0u);
    // Without the kernel's PPP, NetworkManager cannot start PPP: the hardware-failure code.
    if (::access("/dev/ppp", F_OK) != 0) {
        EXPECT_EQ(code, ERROR_HARDWARE_FAILURE);
    }
    char text[256] = {};
    EXPECT_EQ(service.getErrorString(code, text, sizeof text), 0u);
    EXPECT_GT(std::strlen(text), 0u) << "code " << code;
    std::printf("PPPoE dial without PPP: code %u, \"%s\"\n", static_cast<unsigned>(code), text);

    // Nothing stays behind as a connection.
    bool gone = false;
    for (int i = 0; i < 600 && !gone; ++i) {
        RASCONNA records[4]{};
        records[0].dwSize = sizeof(RASCONNA);
        std::uint32_t size = sizeof records, count = 0;
        gone = service.enumConnections(records, &size, &count) == 0 && count == 0;
        if (!gone)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(gone);
}
