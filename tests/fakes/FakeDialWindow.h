#pragma once

#include "connection/DialWindow.h"
#include "fakes/FakeClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace telmaq::test {

// The main window for the connect and disconnect procedures, and its connecting dialog, as
// one log of what it was told: "caption …", "place x,y", "status …", "destroy", "cancel" (the
// user's), "warning …" and "error …" boxes. Every pump is one pass, when onPass stands in for
// the user and the tick. waitAndPump really waits on a sticky wake flag for at most
// realWaitCapMs; a wait that runs out moves the fake clock on by the full time asked for, so
// minutes of countdown take a blink.
class FakeDialWindow : public IDialWindow, IConnectingView
{
public:
    explicit FakeDialWindow(FakeClock* clock) : m_clock(clock) {}

    DialDlgState& state() override { return dlg; }
    IConnectingView* createConnectingDialog() override
    {
        if (failCreateDialog)
            return nullptr;
        // A connect that never ends fails its test within a minute, not at ctest's time-out.
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        ++dialogs, dialogOpen = true;
        return this;
    }
    bool isIconic() const override { return false; }
    ScreenRect clientRectOnScreen() const override { return clientRect; }
    int screenWidth() const override { return 1920; }
    int screenHeight() const override { return 1080; }
    void messageBox(const std::string& text, const std::string& title, unsigned style) override
    {
        misuses += dialogOpen ? 1 : 0; // a box never shows over the connecting dialog
        const bool warning = title == "telmaq - 警告" && style == MB_ICONINFORMATION;
        const bool error = title == "telmaq - エラー" && style == MB_ICONEXCLAMATION;
        log.push_back((warning ? "warning " : error ? "error " : title + " " + std::to_string(style) + " ") + text);
        if (onMessageBox)
            onMessageBox();
    }
    bool pumpPendingMessages() override
    {
        ++pumps;
        return pass();
    }
    bool waitAndPump(int maxMs) override
    {
        ++waitsByMs[maxMs];
        std::unique_lock<std::mutex> lock(m_wakeMutex);
        if (!m_wakeCv.wait_for(lock, std::chrono::milliseconds(std::min(maxMs, realWaitCapMs)),
                               [&] { return m_woken; }))
            m_clock->advanceMs(maxMs);
        m_woken = false;
        lock.unlock();
        return pass();
    }
    void wake() override
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_woken = true;
        m_wakeCv.notify_all();
    }

    // The dialog; touching it once it is gone is a misuse.
    void setCaption(const std::string& caption) override { note("caption " + caption); }
    void setStatusText(const std::string& text) override { note("status " + text); }
    ScreenRect windowRect() const override { return misuses += dialogOpen ? 0 : 1, ScreenRect{0, 0, 300, 80}; }
    void placeInFront(int x, int y) override { note("place " + std::to_string(x) + "," + std::to_string(y)); }
    void destroy() override { note("destroy"), dialogOpen = false; }
    // The user's Cancel: clears the flag, the dialog destroys itself.
    void cancel()
    {
        dlg.m_bKeepDialing = false;
        dialogOpen = false;
        log.push_back("cancel");
    }

    // The log lines that start with prefix, without it.
    std::vector<std::string> logged(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& line : log)
            if (line.rfind(prefix, 0) == 0)
                found.push_back(line.substr(prefix.size()));
        return found;
    }
    std::string lastStatus() const { return logged("status ").empty() ? "" : logged("status ").back(); }

    DialDlgState dlg;
    ScreenRect clientRect{100, 100, 500, 400};
    bool failCreateDialog = false;
    int realWaitCapMs = 2;
    bool quitting = false; // the next pump reports that the application is quitting
    std::function<void(int pass)> onPass;
    std::function<void()> onMessageBox;
    std::vector<std::string> log;
    bool dialogOpen = false;
    mutable int misuses = 0; // calls on a destroyed dialog, boxes over an open one
    std::size_t dialogs = 0;
    int passes = 0, pumps = 0;
    std::map<int, int> waitsByMs;

private:
    void note(const std::string& line)
    {
        misuses += dialogOpen ? 0 : 1;
        log.push_back(line);
    }
    bool pass()
    {
        ++passes;
        if (onPass)
            onPass(passes);
        if (std::chrono::steady_clock::now() > m_deadline) {
            ADD_FAILURE() << "the procedure was still running after " << passes << " passes";
            return false;
        }
        return !quitting;
    }

    FakeClock* m_clock;
    std::mutex m_wakeMutex;
    std::condition_variable m_wakeCv;
    bool m_woken = false;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
};

} // namespace telmaq::test
