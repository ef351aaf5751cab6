#pragma once

#include "scheduler/TickWindow.h"

#include <cctype>
#include <functional>
#include <string>
#include <vector>

namespace telmaq::test {

// The main window as the tick sees it, without widgets. The entry list holds its items in
// the order given (the real one sorts), the entries sub-menu is a row of check marks, message
// boxes are recorded and answered at once, and Connect, Disconnect and the message box can
// run a test's hook while they are "open", the way a nested event loop runs later ticks.
class FakeTickWindow : public ITickWindow
{
public:
    struct Box
    {
        std::string text;
        std::string title;
        unsigned style = 0;
    };

    // The members as the procedures saw them when called.
    struct Call
    {
        bool interactive = false;
        bool connecting = false;
        bool disconnecting = false;
    };

    explicit FakeTickWindow(std::vector<std::string> entries = {}, int selected = -1)
        : m_entries(std::move(entries)), m_selected(selected), m_checks(m_entries.size(), false)
    {
        if (selected >= 0 && selected < entryCount()) {
            m_checks[static_cast<std::size_t>(selected)] = true;
            m_state.m_strEntry = m_entries[static_cast<std::size_t>(selected)];
        }
    }

    DialDlgState m_state;
    std::vector<Box> boxes;
    std::vector<Call> connects;
    std::vector<Call> disconnects;
    // Everything the tick did to the window, in order: "Connect", "Disconnect", "select N",
    // "check N", "uncheck N", "UpdateData(false)", "box".
    std::vector<std::string> log;
    int updateDataToControls = 0;

    // Run inside Connect, Disconnect and the message box, as ticks dispatched from there.
    std::function<void()> onConnect;
    std::function<void()> onDisconnect;
    std::function<void()> onMessageBox;

    bool isChecked(int position) const { return m_checks.at(static_cast<std::size_t>(position)); }
    int checkedCount() const
    {
        int n = 0;
        for (bool checked : m_checks)
            n += checked ? 1 : 0;
        return n;
    }

    // ITickWindow
    int entryCount() const override { return static_cast<int>(m_entries.size()); }
    std::string entryText(int index) const override
    {
        return index >= 0 && index < entryCount() ? m_entries[static_cast<std::size_t>(index)] : std::string();
    }
    int findEntryExact(const std::string& name) const override
    {
        for (int i = 0; i < entryCount(); ++i) {
            if (equalIgnoringCase(m_entries[static_cast<std::size_t>(i)], name))
                return i;
        }
        return -1;
    }
    int currentEntry() const override { return m_selected; }
    void selectEntry(int index) override
    {
        m_selected = index >= 0 && index < entryCount() ? index : -1;
        log.push_back("select " + std::to_string(index));
    }
    void checkEntryMenuItem(int position, bool checked) override
    {
        if (position >= 0 && position < entryCount())
            m_checks[static_cast<std::size_t>(position)] = checked;
        log.push_back((checked ? "check " : "uncheck ") + std::to_string(position));
    }
    bool UpdateData(bool saveAndValidate) override
    {
        if (!saveAndValidate) {
            ++updateDataToControls;
            log.push_back("UpdateData(false)");
        }
        return true;
    }
    void Connect() override
    {
        connects.push_back(snapshot());
        log.push_back("Connect");
        if (onConnect)
            onConnect();
    }
    void Disconnect() override
    {
        disconnects.push_back(snapshot());
        log.push_back("Disconnect");
        if (onDisconnect)
            onDisconnect();
    }

    // IDialWindow: the tick needs only the state and message boxes.
    DialDlgState& state() override { return m_state; }
    IConnectingView* createConnectingDialog() override { return nullptr; }
    bool isIconic() const override { return false; }
    ScreenRect clientRectOnScreen() const override { return {0, 0, 400, 300}; }
    int screenWidth() const override { return 1024; }
    int screenHeight() const override { return 768; }
    void messageBox(const std::string& text, const std::string& title, unsigned style) override
    {
        boxes.push_back({text, title, style});
        log.push_back("box");
        if (onMessageBox)
            onMessageBox();
    }
    bool pumpPendingMessages() override { return true; }
    bool waitAndPump(int) override { return true; }
    void wake() override {}

private:
    static bool equalIgnoringCase(const std::string& a, const std::string& b)
    {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        }
        return true;
    }
    Call snapshot() const { return {m_state.m_bInteractive, m_state.m_bConnecting, m_state.m_bDisconnecting}; }

    std::vector<std::string> m_entries;
    int m_selected;
    std::vector<bool> m_checks;
};

} // namespace telmaq::test
