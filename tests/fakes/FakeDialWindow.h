#pragma once

#include "connection/DialWindow.h"
#include "fakes/FakeClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace telmaq::test {

// The connecting dialog as a recorder. The window keeps every one it made, so a test can still
// look at a dialog after it was destroyed; any use after that is counted, not crashed on.
class FakeConnectingView : public IConnectingView
{
public:
    FakeConnectingView(DialDlgState& dlg, std::vector<std::string>& events) : m_dlg(dlg), m_events(events) {}

    void setCaption(const std::string& caption) override { touch(), captions.push_back(caption); }
    void setStatusText(const std::string& text) override { touch(), statusTexts.push_back(text); }
    ScreenRect windowRect() const override { return touch(), ScreenRect{0, 0, 300, 80}; }
    void placeInFront(int x, int y) override { touch(), placedX = x, placedY = y, placed = true; }
    void destroy() override { touch(), destroyed = true, m_events.push_back("destroy"); }

    // The user's Cancel: clears the keep-dialing flag and destroys the window at once.
    void clickCancel()
    {
        m_dlg.m_bKeepDialing = false;
        destroyed = destroyedByUser = true;
    }

    std::vector<std::string> captions;
    std::vector<std::string> statusTexts;
    bool placed = false;
    int placedX = 0;
    int placedY = 0;
    bool destroyed = false;
    bool destroyedByUser = false;
    mutable int usedAfterDestroy = 0;

private:
    void touch() const { usedAfterDestroy += destroyed ? 1 : 0; }

    DialDlgState& m_dlg;
    std::vector<std::string>& m_events;
};

struct RecordedMessageBox
{
    std::string text;
    std::string title;
    unsigned style = 0;
    bool operator==(const RecordedMessageBox& o) const
    {
        return text == o.text && title == o.title && style == o.style;
    }
};

// The main window for the connect and disconnect procedures. Every pump is one pass: onPass
// runs then, standing in for the user's clicks and the tick's changes. waitAndPump really
// waits on a sticky wake flag for at most realWaitCapMs; a wait that runs out moves the fake
// clock on by the full time asked for, so a countdown of minutes runs in a blink.
class FakeDialWindow : public IDialWindow
{
public:
    explicit FakeDialWindow(FakeClock* clock) : m_clock(clock) {}

    DialDlgState& state() override { return dlg; }
    IConnectingView* createConnectingDialog() override
    {
        if (failCreateDialog)
            return nullptr;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        m_views.push_back(std::make_unique<FakeConnectingView>(dlg, events));
        return m_views.back().get();
    }
    bool isIconic() const override { return false; }
    ScreenRect clientRectOnScreen() const override { return clientRect; }
    int screenWidth() const override { return 1920; }
    int screenHeight() const override { return 1080; }
    void messageBox(const std::string& text, const std::string& title, unsigned style) override
    {
        boxes.push_back({text, title, style});
        events.push_back("box:" + text);
        if (onMessageBox)
            onMessageBox();
    }
    bool pumpPendingMessages() override { return ++pumps, pass(); }
    bool waitAndPump(int maxMs) override
    {
        ++waitsByMs[maxMs];
        std::unique_lock<std::mutex> lock(m_wakeMutex);
        const bool woken = m_wakeCv.wait_for(lock, std::chrono::milliseconds(std::min(maxMs, realWaitCapMs)),
                                             [this] { return m_woken; });
        m_woken = false;
        lock.unlock();
        if (!woken)
            m_clock->advanceMs(maxMs);
        return pass();
    }
    void wake() override
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_woken = true;
        m_wakeCv.notify_all();
    }

    // The connecting dialogs made so far, the latest last.
    FakeConnectingView* view(std::size_t index = 0) { return m_views.at(index).get(); }
    FakeConnectingView* lastView() { return m_views.back().get(); }
    std::size_t viewCount() const { return m_views.size(); }

    DialDlgState dlg;
    ScreenRect clientRect{100, 100, 500, 400};
    bool failCreateDialog = false;
    int realWaitCapMs = 2;
    bool quitting = false; // the next pump reports that the application is quitting
    std::function<void(int pass)> onPass;
    std::function<void()> onMessageBox;

    std::vector<RecordedMessageBox> boxes;
    std::vector<std::string> events;
    int passes = 0;
    int pumps = 0;
    std::map<int, int> waitsByMs;

private:
    bool pass()
    {
        if (onPass)
            onPass(++passes);
        else
            ++passes;
        // A connect that never ends should fail its test within a minute, not at ctest's
        // time-out: the quit it is told of is the one way out that every loop of it honours.
        if (std::chrono::steady_clock::now() > m_deadline) {
            ADD_FAILURE() << "the procedure was still running after " << passes << " passes";
            return false;
        }
        return !quitting;
    }

    FakeClock* m_clock;
    std::vector<std::unique_ptr<FakeConnectingView>> m_views;
    std::mutex m_wakeMutex;
    std::condition_variable m_wakeCv;
    bool m_woken = false;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
};

} // namespace telmaq::test
