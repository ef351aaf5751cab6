#include "dialup/DialSession.h"

#include "fakes/FakeDialupService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace telmaq {
namespace {

using test::FakeDialupService;

TEST(DialSessionLoadParams, HandsOverEmptyFieldsAndTheAnyDomain)
{
    FakeDialupService service;
    service.addEntry("会社", {std::string("0312345678"), std::string("taro"), std::nullopt, std::nullopt});
    DialSession session(service);
    bool retrieved = true;
    ASSERT_EQ(session.LoadParams("会社", &retrieved), 0u);

    const auto requests = service.paramsRequests();
    ASSERT_EQ(requests.size(), 1u);
    const RASDIALPARAMSA& sent = requests[0];
    EXPECT_EQ(sent.dwSize, 1052u);
    EXPECT_STREQ(sent.szEntryName, "会社");
    EXPECT_STREQ(sent.szPhoneNumber, "");
    EXPECT_STREQ(sent.szCallbackNumber, "");
    EXPECT_STREQ(sent.szUserName, "");
    EXPECT_STREQ(sent.szPassword, "");
    EXPECT_STREQ(sent.szDomain, "*");

    // What the service stored is filled in; what it did not stays as handed over.
    EXPECT_FALSE(retrieved);
    EXPECT_STREQ(session.params().szPhoneNumber, "0312345678");
    EXPECT_STREQ(session.params().szUserName, "taro");
    EXPECT_STREQ(session.params().szPassword, "");
    EXPECT_STREQ(session.params().szDomain, "*");
}

TEST(DialSessionLoadParams, PassesTheServiceAnswerAndRefusesNamesTooLong)
{
    FakeDialupService service;
    DialSession session(service);
    bool retrieved = false;
    EXPECT_EQ(session.LoadParams("unknown", &retrieved), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);

    const std::string longest(RAS_MaxEntryName, 'n');
    service.addEntry(longest, {std::nullopt, std::string("u"), std::string("p"), std::nullopt});
    EXPECT_EQ(session.LoadParams(longest, &retrieved), 0u);
    EXPECT_TRUE(retrieved);
    EXPECT_EQ(std::string(session.params().szEntryName), longest);

    // One byte more cannot be a phonebook entry; cutting it short could dial another one.
    EXPECT_EQ(session.LoadParams(longest + "n", &retrieved), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(service.getParamsCalls(), 2);
    EXPECT_STREQ(session.params().szPassword, "");
}

std::mutex g_reportsMutex;
std::vector<std::pair<std::uint32_t, std::thread::id>> g_reports;

void recordReport(std::uint32_t /*message*/, std::uint32_t state, std::uint32_t /*error*/)
{
    std::lock_guard<std::mutex> lock(g_reportsMutex);
    g_reports.emplace_back(state, std::this_thread::get_id());
}

std::vector<std::pair<std::uint32_t, std::thread::id>> takeReports()
{
    std::lock_guard<std::mutex> lock(g_reportsMutex);
    auto reports = g_reports;
    g_reports.clear();
    return reports;
}

TEST(DialSessionDial, DialsTheLoadedParamsAndReportsOnAnotherThread)
{
    takeReports();
    FakeDialupService service;
    service.addEntry("isp", {std::string("111"), std::string("user"), std::string("secret"), std::string("dom")});
    DialSession session(service);
    bool retrieved = false;
    ASSERT_EQ(session.LoadParams("isp", &retrieved), 0u);
    EXPECT_EQ(session.connection(), kNoConnection);

    ASSERT_EQ(session.Dial(0, recordReport), 0u);
    EXPECT_NE(session.connection(), kNoConnection);
    EXPECT_EQ(session.connection(), service.lastDialHandle());
    const auto dialled = service.dialParams();
    ASSERT_EQ(dialled.size(), 1u);
    EXPECT_STREQ(dialled[0].szUserName, "user");
    EXPECT_STREQ(dialled[0].szPassword, "secret");
    EXPECT_EQ(service.dialNotifierTypes(), std::vector<std::uint32_t>{0});

    ASSERT_TRUE(service.waitForDeliveries(FakeDialupService::connectingScript().size()));
    const auto reports = takeReports();
    ASSERT_EQ(reports.size(), FakeDialupService::connectingScript().size());
    EXPECT_EQ(reports.back().first, RASCS_Connected);
    for (const auto& report : reports)
        EXPECT_NE(report.second, std::this_thread::get_id());

    // Hanging up keeps the handle in place.
    const HRASCONN handle = session.connection();
    EXPECT_EQ(session.HangUp(), 0u);
    EXPECT_EQ(session.connection(), handle);
    EXPECT_EQ(service.hungUp(), std::vector<HRASCONN>{handle});
}

TEST(DialSessionDial, HangingUpStopsHeldReportsAndFailuresKeepTheirHandle)
{
    takeReports();
    FakeDialupService service;
    service.addEntry("isp", {std::nullopt, std::string("u"), std::string("p"), std::nullopt});
    DialSession session(service);
    bool retrieved = false;
    ASSERT_EQ(session.LoadParams("isp", &retrieved), 0u);

    service.holdReports();
    ASSERT_EQ(session.Dial(0, recordReport), 0u);
    service.releaseReports(2);
    ASSERT_TRUE(service.waitForDeliveries(2));
    EXPECT_EQ(session.HangUp(), 0u);
    service.releaseAllReports();
    EXPECT_TRUE(service.waitUntilQuiet());
    EXPECT_EQ(takeReports().size(), 2u);

    // The service may hand out a handle with an error; it stays for the hang-up.
    session.clearConnection();
    service.failNextDial(ERROR_PORT_ALREADY_OPEN, true);
    EXPECT_EQ(session.Dial(0, recordReport), ERROR_PORT_ALREADY_OPEN);
    EXPECT_NE(session.connection(), kNoConnection);

    // With no handle the service's answer comes back as it is.
    session.clearConnection();
    EXPECT_EQ(session.HangUp(), ERROR_INVALID_HANDLE_RAS);
}

TEST(DialSessionLifetime, DiscardingWipesThePassword)
{
    FakeDialupService service;
    const std::string password = "pw-0123456789-zz";
    service.addEntry("isp", {std::nullopt, std::string("u"), password, std::nullopt});

    alignas(DialSession) unsigned char storage[sizeof(DialSession)];
    auto* session = new (storage) DialSession(service);
    bool retrieved = false;
    ASSERT_EQ(session->LoadParams("isp", &retrieved), 0u);
    ASSERT_STREQ(session->params().szPassword, password.c_str());
    session->~DialSession();

    const std::string bytes(reinterpret_cast<const char*>(storage), sizeof storage);
    EXPECT_EQ(bytes.find(password), std::string::npos);
}

} // namespace
} // namespace telmaq
