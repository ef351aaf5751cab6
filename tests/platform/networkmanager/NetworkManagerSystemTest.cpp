// Against a real NetworkManager: run by nm-real-netns, which starts one in namespaces of its
// own with the keyfile profiles "DSL" (PPPoE on veth0), "Mobile" (gsm) and "Wired" (ethernet).
// The provider is made without an application object, as in a command-line tool.
#include "platform/networkmanager/NetworkManagerDialupService.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace telmaq;

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
std::vector<std::pair<std::uint32_t, std::uint32_t>> g_reports;

void record(std::uint32_t, std::uint32_t state, std::uint32_t error)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_reports.emplace_back(state, error);
    g_changed.notify_all();
}

std::string textOf(IDialupService& service, std::uint32_t code)
{
    char text[256] = {};
    return service.getErrorString(code, text, sizeof text) == 0 ? std::string(text) : std::string();
}

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
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_reports.clear();
    }
    RASDIALPARAMSA dsl = paramsFor("DSL");
    HRASCONN connection = kNoConnection;
    std::uint32_t code = service.dial(&dsl, 0, record, &connection);
    if (code == 0) {
        EXPECT_NE(connection, kNoConnection);
        std::unique_lock<std::mutex> lock(g_mutex);
        ASSERT_TRUE(g_changed.wait_for(lock, std::chrono::seconds(90), [] {
            return !g_reports.empty() && g_reports.back().first == RASCS_Disconnected;
        })) << "the failed dial was never reported";
        code = g_reports.back().second;
        for (const auto& report : g_reports)
            EXPECT_NE(report.first, RASCS_Connected);
        EXPECT_EQ(g_reports.front().first, RASCS_OpenPort);
    }
    EXPECT_NE(code, 0u);
    // Without the kernel's PPP, NetworkManager cannot start PPP: the hardware-failure code.
    if (::access("/dev/ppp", F_OK) != 0) {
        EXPECT_EQ(code, ERROR_HARDWARE_FAILURE);
    }
    const std::string text = textOf(service, code);
    EXPECT_FALSE(text.empty()) << "code " << code;
    std::printf("PPPoE dial without PPP: code %u, \"%s\"\n", static_cast<unsigned>(code), text.c_str());

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
