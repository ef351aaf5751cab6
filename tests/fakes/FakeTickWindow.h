#pragma once

#include "scheduler/TickWindow.h"

#include <strings.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace telmaq::test {

// The main window as the tick sees it, without widgets. The entry list keeps the order given
// (the real one sorts), the entries sub-menu is a row of check marks, message boxes are
// recorded and answered at once, and Connect, Disconnect and the message box run a test's hook
// while they are "open", the way a nested event loop runs later ticks.
class FakeTickWindow : public ITickWindow
{
public:
    struct Box
    {
        std::string text, title;
        unsigned style = 0;
    };
    // The busy flags as the procedures saw them when called.
    struct Call
    {
        bool interactive, connecting, disconnecting;
        HistoryCause cause;
    };

    FakeTickWindow(std::vector<std::string> entries, int selected)
        : m_entries(std::move(entries)), m_selected(selected), m_checks(m_entries.size(), false)
    {
        m_checks.at(static_cast<std::size_t>(selected)) = true;
        m_state.m_strEntry = m_entries[static_cast<std::size_t>(selected)];
    }

    DialDlgState m_state;
    std::vector<Box> boxes;
    std::vector<Call> connects, disconnects;
    // What the tick did, in order: "Connect", "Disconnect", "select N", "check N",
    // "uncheck N", "UpdateData(false)", "box".
    std::vector<std::string> log;
    std::function<void()> onConnect, onDisconnect, onMessageBox;

    bool isChecked(int position) const { return m_checks.at(static_cast<std::size_t>(position)); }
    long checkedCount() const { return std::count(m_checks.begin(), m_checks.end(), true); }

    int entryCount() const override { return static_cast<int>(m_entries.size()); }
    std::string entryText(int index) const override
    {
        return index >= 0 && index < entryCount() ? m_entries[static_cast<std::size_t>(index)] : std::string();
    }
    int findEntryExact(const std::string& name) const override
    {
        for (int i = 0; i < entryCount(); ++i)
            if (strcasecmp(m_entries[static_cast<std::size_t>(i)].c_str(), name.c_str()) == 0)
                return i;
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
        m_checks.at(static_cast<std::size_t>(position)) = checked;
        log.push_back((checked ? "check " : "uncheck ") + std::to_string(position));
    }
    bool UpdateData(bool saveAndValidate) override
    {
        if (!saveAndValidate)
            log.push_back("UpdateData(false)");
        return true;
    }
    void Connect() override { call(connects, "Connect", onConnect); }
    void Disconnect() override { call(disconnects, "Disconnect", onDisconnect); }

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
    void call(std::vector<Call>& calls, const char* name, const std::function<void()>& hook)
    {
        calls.push_back(
            {m_state.m_bInteractive, m_state.m_bConnecting, m_state.m_bDisconnecting, m_state.m_historyCause});
        log.push_back(name);
        if (hook)
            hook();
    }

    std::vector<std::string> m_entries;
    int m_selected;
    std::vector<bool> m_checks;
};

} // namespace telmaq::test
