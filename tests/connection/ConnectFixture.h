#pragma once

#include "connection/ConnectionControl.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialWindow.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeHistory.h"
#include "fakes/FakeProcessLauncher.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

namespace telmaq::test {

// The user's Connect over a fake service with one entry that has its credentials stored.
// Whatever a test does, no dialog may be touched once gone, left open, or covered by a box.
class ConnectFixture : public ::testing::Test
{
protected:
    static constexpr const char* kEntry = "プロバイダ";
    using Script = FakeDialupService::Script;

    ConnectFixture()
        : lists(fake), errorText(fake), window(&clock),
          control(window, fake, lists, errorText, launcher, clock, history)
    {
        fake.addEntry(kEntry, {"0120-000-000", "taro", "secret", {}});
        window.dlg.m_strEntry = kEntry;
        window.dlg.m_bInteractive = true;
        window.dlg.m_strApplicationFile = "mailer";
    }
    void TearDown() override
    {
        EXPECT_EQ(window.misuses, 0);
        EXPECT_FALSE(window.dialogOpen);
    }

    // Hands over one report per pass of the loop, so that each is seen on its own.
    void oneReportPerPass()
    {
        fake.holdReports();
        window.onPass = [this](int) { releaseOne(); };
    }
    void releaseOne()
    {
        const std::size_t delivered = fake.delivered();
        if (fake.pendingReports() == 0)
            return;
        fake.releaseReports(1);
        ASSERT_TRUE(fake.waitForDeliveries(delivered + 1));
    }
    void connect() { control.Connect(); }
    std::string textFor(std::uint32_t code) { return errorText.GetRasErrorText(code); }
    // The boxes shown and the history recorded since the last call, joined by " | ".
    std::string outcome()
    {
        std::string seen;
        for (const std::string& line : window.log)
            if (line.rfind("warning ", 0) == 0 || line.rfind("error ", 0) == 0)
                seen += " | " + line;
        const std::vector<std::string> lines = history.lines();
        for (; m_historySeen < lines.size(); ++m_historySeen)
            seen += " | " + lines[m_historySeen];
        window.log.clear();
        return seen.substr(std::min<std::size_t>(seen.size(), 3));
    }

    TempEnvironment env;
    FakeClock clock;
    FakeDialupService fake;
    DialupLists lists;
    RasErrorText errorText;
    FakeProcessLauncher launcher;
    FakeHistory history;
    FakeDialWindow window;
    ConnectionControl control;

private:
    std::size_t m_historySeen = 0;
};

} // namespace telmaq::test
