#pragma once

#include "connection/DialWindow.h"
#include "fakes/FakeClock.h"

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

class FakeDialWindow;

// The connecting dialog as a recorder. The window keeps every one it made, so a test can still
// look at a dialog after it was destroyed; any use after that is counted, not crashed on.
class FakeConnectingView : public IConnectingView
{
public:
    FakeConnectingView(FakeDialWindow& owner, ScreenRect frame) : rect(frame), m_owner(owner) {}

    inline void setCaption(const std::string& caption) override;
    inline void setStatusText(const std::string& text) override;
    ScreenRect windowRect() const override
    {
        if (destroyed)
            ++usedAfterDestroy;
        return rect;
    }
    void placeInFront(int x, int y) override
    {
        touch();
        placed = true;
        placedX = x;
        placedY = y;
    }
    inline void destroy() override;

    // The user's Cancel or Close: clears the keep-dialing flag and destroys the window at once,
    // as the real dialog does.
    inline void clickCancel();

    ScreenRect rect;
    std::vector<std::string> captions;
    std::vector<std::string> statusTexts;
    bool placed = false;
    int placedX = 0;
    int placedY = 0;
    bool destroyed = false;
    bool destroyedByUser = false;
    mutable int usedAfterDestroy = 0;

private:
    void touch()
    {
        if (destroyed)
            ++usedAfterDestroy;
    }

    FakeDialWindow& m_owner;
};

struct RecordedMessageBox
{
    std::string text;
    std::string title;
    unsigned style = 0;
};

// The main window for the connect and disconnect procedures: plain members, a recording
// connecting dialog, recorded message boxes, and event pumping that runs the test's script.
//
// Every pump is one "pass": onPass runs then with the pass number, standing in for the events
// the user would cause (a click on Cancel, a timer tick that changes the redial settings).
// waitAndPump really waits, on a sticky wake flag, for at most realWaitCapMs; when the wait
// ends without a wake it moves the fake clock on by the full time asked for, so a countdown
// of minutes runs in a blink while its texts stay exact.
class FakeDialWindow : public IDialWindow
{
public:
    explicit FakeDialWindow(FakeClock* clock = nullptr) : m_clock(clock) {}

    DialDlgState& state() override { return dlg; }

    IConnectingView* createConnectingDialog() override
    {
        if (failCreateDialog)
            return nullptr;
        m_views.push_back(std::make_unique<FakeConnectingView>(*this, dialogRect));
        log("create");
        return m_views.back().get();
    }

    bool isIconic() const override { return iconic; }
    ScreenRect clientRectOnScreen() const override { return clientRect; }
    int screenWidth() const override { return screenW; }
    int screenHeight() const override { return screenH; }

    void messageBox(const std::string& text, const std::string& title, unsigned style) override
    {
        boxes.push_back({text, title, style});
        log("box:" + text);
        if (onMessageBox)
            onMessageBox(boxes.back());
    }

    bool pumpPendingMessages() override
    {
        ++pumps;
        return pass();
    }

    bool waitAndPump(int maxMs) override
    {
        ++waitsByMs[maxMs];
        bool woken = false;
        {
            std::unique_lock<std::mutex> lock(m_wakeMutex);
            woken = m_wakeCv.wait_for(lock, std::chrono::milliseconds(std::min(maxMs, realWaitCapMs)),
                                      [this] { return m_woken; });
            m_woken = false;
        }
        if (!woken && m_clock)
            m_clock->advanceMs(maxMs);
        return pass();
    }

    void wake() override
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_woken = true;
        ++m_wakes;
        m_wakeCv.notify_all();
    }

    // The connecting dialogs made so far, the latest last.
    FakeConnectingView* view(std::size_t index = 0) { return index < m_views.size() ? m_views[index].get() : nullptr; }
    FakeConnectingView* lastView() { return m_views.empty() ? nullptr : m_views.back().get(); }
    std::size_t viewCount() const { return m_views.size(); }

    int wakes() const
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        return m_wakes;
    }
    int waits() const
    {
        int total = 0;
        for (const auto& entry : waitsByMs)
            total += entry.second;
        return total;
    }

    void log(const std::string& event) { events.push_back(event); }

    // Members and answers the test sets.
    DialDlgState dlg;
    ScreenRect dialogRect{0, 0, 300, 80};
    ScreenRect clientRect{100, 100, 500, 400};
    bool iconic = false;
    // When set, the connecting dialog cannot be made.
    bool failCreateDialog = false;
    int screenW = 1920;
    int screenH = 1080;
    int realWaitCapMs = 2;
    // Once set, the next pump reports that the application is quitting.
    bool quitting = false;
    std::function<void(int pass)> onPass;
    std::function<void(const RecordedMessageBox&)> onMessageBox;

    // What the procedures did.
    std::vector<RecordedMessageBox> boxes;
    std::vector<std::string> events;
    int passes = 0;
    int pumps = 0;
    std::map<int, int> waitsByMs;

private:
    bool pass()
    {
        ++passes;
        if (onPass)
            onPass(passes);
        return !quitting;
    }

    FakeClock* m_clock;
    std::vector<std::unique_ptr<FakeConnectingView>> m_views;
    mutable std::mutex m_wakeMutex;
    std::condition_variable m_wakeCv;
    bool m_woken = false;
    int m_wakes = 0;
};

void FakeConnectingView::setCaption(const std::string& caption)
{
    touch();
    captions.push_back(caption);
    m_owner.log("caption:" + caption);
}

void FakeConnectingView::setStatusText(const std::string& text)
{
    touch();
    statusTexts.push_back(text);
    m_owner.log("status:" + text);
}

void FakeConnectingView::destroy()
{
    touch();
    destroyed = true;
    m_owner.log("destroy");
}

void FakeConnectingView::clickCancel()
{
    if (destroyed)
        return;
    m_owner.state().m_bKeepDialing = false;
    destroyed = true;
    destroyedByUser = true;
    m_owner.log("cancel");
}

} // namespace telmaq::test
