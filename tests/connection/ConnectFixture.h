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

#include <algorithm>
#include <string>
#include <vector>

namespace telmaq::test {

// A main window in the middle of the user's Connect, over a fake service with one entry that
// has its user name and password stored.
class ConnectFixture : public ::testing::Test
{
protected:
    static constexpr const char* kEntry = "プロバイダ";

    ConnectFixture()
        : lists(fake), errorText(fake), window(&clock),
          control(window, fake, lists, errorText, launcher, clock, history)
    {
        fake.addEntry(kEntry, {std::string("0120-000-000"), std::string("taro"), std::string("secret"), {}});
        window.dlg.m_strEntry = kEntry;
        window.dlg.m_bInteractive = true;
        window.dlg.m_bConnecting = true;
    }

    void connect() { control.Connect(); }
    // Lets the fake hand over one report per pass of the loop, so that every report is seen
    // on its own and the texts come in a fixed order.
    void oneReportPerPass()
    {
        fake.holdReports();
        window.onPass = [this](int) { releaseOne(); };
    }
    void releaseOne()
    {
        if (fake.pendingReports() == 0)
            return;
        const std::size_t delivered = fake.delivered();
        fake.releaseReports(1);
        ASSERT_TRUE(fake.waitForDeliveries(delivered + 1));
    }

    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> texts;
        for (const RecordedMessageBox& box : window.boxes)
            texts.push_back(box.text);
        return texts;
    }
    std::string textFor(std::uint32_t code) { return errorText.GetRasErrorText(code); }
    // The procedure never touches a dialog after it is gone, and never leaves one open.
    void expectDialogsClosedCleanly()
    {
        for (std::size_t i = 0; i < window.viewCount(); ++i)
            EXPECT_TRUE(window.view(i)->destroyed && window.view(i)->usedAfterDestroy == 0) << "dialog " << i;
    }

    static std::size_t count(const std::vector<std::string>& texts, const std::string& prefix)
    {
        return static_cast<std::size_t>(std::count_if(texts.begin(), texts.end(), [&](const std::string& t) {
            return t.compare(0, prefix.size(), prefix) == 0;
        }));
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
};

} // namespace telmaq::test
