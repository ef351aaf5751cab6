#pragma once

// What every dial-up provider must do alike, where the behaviour is the service's: one set
// of cases, run against the line simulator and, under Wine, against the Remote Access Service
// provider. A provider type P offers
//     std::unique_ptr<IDialupService> open(const std::vector<SimEntry>& phonebook);
// which sets up a fresh phonebook of those entries and a service on it.

#include "SimulatorTestSupport.h"
#include "dialup/DialupLists.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace telmaq::test {

template <typename Provider> class DialupServiceContract : public ::testing::Test
{
protected:
    using States = std::vector<std::uint32_t>;

    IDialupService& open(const std::vector<SimEntry>& phonebook)
    {
        m_service.reset();
        m_service = m_provider.open(phonebook);
        return *m_service;
    }
    HRASCONN dial(const std::string& name, const char* password = nullptr)
    {
        HRASCONN handle = kNoConnection;
        EXPECT_EQ(dialEntry(*m_service, name, &handle, password), 0u) << name;
        return handle;
    }
    std::pair<States, std::uint32_t> ending() { return m_log.ending(); }

    Provider m_provider;
    std::unique_ptr<IDialupService> m_service;
    ReportLog& m_log = ReportLog::instance();
};

TYPED_TEST_SUITE_P(DialupServiceContract);

TYPED_TEST_P(DialupServiceContract, EachLineEndsWithItsStateAndCodeAndNothingIsRedialled)
{
    using States = std::vector<std::uint32_t>;
    const States& connected = kConnectedStates;
    const States atDevice(connected.begin(), connected.begin() + 3);
    const States atAuth(connected.begin(), connected.begin() + 6);
    const std::tuple<const char*, const char*, States, std::uint32_t> cases[] = {
        {"connect", nullptr, connected, 0},
        {"busy:1", nullptr, atDevice, ERROR_LINE_BUSY},
        {"no-answer", nullptr, atDevice, ERROR_NO_ANSWER},
        {"no-dialtone", nullptr, atDevice, ERROR_NO_DIALTONE},
        {"no-modem", nullptr, {RASCS_OpenPort}, ERROR_HARDWARE_FAILURE},
        {"auth-fail", nullptr, atAuth, ERROR_AUTHENTICATION_FAILURE},
        {"connect", "wrong", atAuth, ERROR_AUTHENTICATION_FAILURE},
    };
    for (const auto& [line, password, states, error] : cases) {
        IDialupService& service = this->open({simEntry("Office", line)});
        const HRASCONN handle = this->dial("Office", password);
        EXPECT_EQ(this->ending(), std::make_pair(states, error)) << line;
        // A failed dial holds no line and is not tried again: a second dial of busy:1 would
        // connect and report so.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(this->m_log.reports().size(), states.size()) << line;
        EXPECT_EQ(connectionNames(service), error ? std::vector<std::string>{} : std::vector<std::string>{"Office"});
        EXPECT_EQ(service.hangUp(handle), 0u) << line;
        EXPECT_EQ(connectionNames(service), std::vector<std::string>{});
    }
}

TYPED_TEST_P(DialupServiceContract, StoredParametersListingsAndSizesAreTheServices)
{
    SimEntry noPassword = simEntry("パスワードなし");
    noPassword.password.reset();
    IDialupService& service = this->open({simEntry("Office"), noPassword, simEntry("Home", "busy")});
    EXPECT_EQ(paramsOf(service, "Office"), "0|user|secret|0120000000|*|retrieved");
    EXPECT_EQ(paramsOf(service, "パスワードなし", true), "0|user||0120000000|*");
    EXPECT_EQ(paramsOf(service, "Nowhere"), std::to_string(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) + "||||*");
    EXPECT_EQ(paramsOf(service, "Office", false, sizeof(RASDIALPARAMSA) - 4),
              std::to_string(ERROR_INVALID_SIZE) + "||||*");

    // The lists start with room for one record, so the service answers 603 first.
    DialupLists lists(service);
    ASSERT_EQ(lists.EnumEntries(), 0u);
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < lists.entryCount(); ++i)
        names.push_back(lists.GetEntryName(i));
    EXPECT_EQ(names, (std::vector<std::string>{"Office", "パスワードなし", "Home"}));
    RASENTRYNAMEA wrong[2]{};
    wrong[0].dwSize = sizeof(RASENTRYNAMEA) + 4;
    std::uint32_t size = sizeof wrong, count = 0;
    EXPECT_EQ(service.enumEntries(wrong, &size, &count), ERROR_INVALID_SIZE);

    EXPECT_EQ(service.hangUp(0x7777), ERROR_INVALID_HANDLE_RAS);
    char text[256];
    EXPECT_EQ(service.getErrorString(ERROR_LINE_BUSY, text, sizeof text), 0u);
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_NE(service.getErrorString(ERROR_LINE_BUSY, text, 2), 0u);
    EXPECT_NE(service.getErrorString(987654, text, sizeof text), 0u);
}

TYPED_TEST_P(DialupServiceContract, AHungUpDialSaysNoMoreAndAFarEndHangUpIsReported)
{
    IDialupService& service = this->open({simEntry("Slow", "connect", 150), simEntry("Drop", "drop:0.2")});
    const HRASCONN slow = this->dial("Slow");
    ASSERT_TRUE(this->m_log.waitFor(1));
    EXPECT_EQ(service.hangUp(slow), 0u);
    const std::size_t reported = this->m_log.reports().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(this->m_log.reports().size(), reported);
    EXPECT_EQ(connectionNames(service), std::vector<std::string>{});

    const HRASCONN drop = this->dial("Drop");
    EXPECT_EQ(this->ending().second, 0u);
    EXPECT_EQ(this->m_log.reports().back().state, RASCS_Connected);
    ASSERT_TRUE(this->m_log.waitFor(9));
    EXPECT_EQ(this->m_log.reports().back().state, RASCS_Disconnected);
    EXPECT_EQ(this->m_log.reports().back().error, ERROR_REMOTE_DISCONNECTION);
    EXPECT_EQ(connectionNames(service), std::vector<std::string>{});
    service.hangUp(drop);
}

REGISTER_TYPED_TEST_SUITE_P(DialupServiceContract, EachLineEndsWithItsStateAndCodeAndNothingIsRedialled,
                            StoredParametersListingsAndSizesAreTheServices,
                            AHungUpDialSaysNoMoreAndAFarEndHangUpIsReported);

} // namespace telmaq::test
