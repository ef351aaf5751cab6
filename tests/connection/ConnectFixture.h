#pragma once

#include "connection/ConnectionControl.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialWindow.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeProcessLauncher.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace telmaq::test {

// The fake service, seen through a window that also notes the handle each dial starts from.
class HandleCheckingService : public IDialupService
{
public:
    explicit HandleCheckingService(FakeDialupService& inner) : m_inner(inner) {}

    std::uint32_t enumEntries(RASENTRYNAMEA* e, std::uint32_t* size, std::uint32_t* count) override
    {
        return m_inner.enumEntries(e, size, count);
    }
    std::uint32_t enumConnections(RASCONNA* c, std::uint32_t* size, std::uint32_t* count) override
    {
        return m_inner.enumConnections(c, size, count);
    }
    std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* retrieved) override
    {
        return m_inner.getEntryDialParams(params, retrieved);
    }
    std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t type, RasDialFunc notifier,
                       HRASCONN* connection) override
    {
        handlesAtDial.push_back(connection ? *connection : 0xFFFFFFFF);
        return m_inner.dial(params, type, notifier, connection);
    }
    std::uint32_t hangUp(HRASCONN connection) override { return m_inner.hangUp(connection); }
    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t size) override
    {
        return m_inner.getErrorString(code, buffer, size);
    }

    std::vector<HRASCONN> handlesAtDial;

private:
    FakeDialupService& m_inner;
};

// A main window in the middle of the user's Connect, over a fake service with one entry that
// has its user name and password stored.
class ConnectFixture : public ::testing::Test
{
protected:
    static constexpr const char* kEntry = "プロバイダ";

    ConnectFixture()
        : service(fake), lists(service), errorText(service), window(&clock),
          control(window, service, lists, errorText, launcher, clock)
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
        const std::size_t delivered = fake.deliveries().size();
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
        for (std::size_t i = 0; i < window.viewCount(); ++i) {
            EXPECT_TRUE(window.view(i)->destroyed) << "dialog " << i << " left open";
            EXPECT_EQ(window.view(i)->usedAfterDestroy, 0) << "dialog " << i << " used after it was gone";
        }
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
    HandleCheckingService service;
    DialupLists lists;
    RasErrorText errorText;
    FakeProcessLauncher launcher;
    FakeDialWindow window;
    ConnectionControl control;
};

} // namespace telmaq::test
