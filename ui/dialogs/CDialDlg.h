#pragma once

#include "connection/ConnectionControl.h"
#include "connection/DialDlgState.h"
#include "scheduler/Tick.h"
#include "scheduler/TickWindow.h"
#include "ui/dialogs/CConnectingDlg.h"
#include "ui/dialogs/ResourceIds.h"
#include "ui/framework/Dialog.h"

#include <functional>
#include <memory>
#include <string>

namespace telmaq {

class CSystemMenu;
class EventPump;
class IMessageBox;
class SecondTimer;
class SortedComboBox;
class SystemDialupSettings;

// The ports the main window works with: the connect procedure's, and its own. They outlive
// the window.
struct DialDlgPorts
{
    ConnectPorts connect;
    SystemDialupSettings& dialupSettings;
    IMessageBox& messageBoxes;
};

// The main window: shows and edits the settings, selects the default entry, connects and
// disconnects, and runs the once-a-second tick. It owns the program's run-time state (the
// members of DialDlgState) and offers it to the connect and disconnect procedures and to the
// tick through their seam.
//
// Its work is split over several files by concern: DialDlg.cpp (construction, exchange,
// initialisation, enabling rules, the end of the run), DialDlgHandlers.cpp (the controls'
// handlers), DialDlgSystemMenu.cpp (the system menu, the context menu and the tray) and
// DialDlgSeam.cpp (what the procedures and the tick use).
class CDialDlg : public Dialog, public DialDlgState, public ITickWindow, public IConnectingDlgOwner
{
public:
    // saveSettings writes the changed settings when the session ends (the application
    // object's SaveSettings); it may be empty.
    CDialDlg(const DialDlgPorts& ports, std::function<void(const DialDlgState&)> saveSettings);
    ~CDialDlg() override;

    // The modal run, then the window's destruction steps (OnDestroy). Answers the end code.
    int RunModal();

    // WM_SYSCOMMAND: our additions to the system menu and the window commands.
    void OnSysCommand(unsigned id);
    // WM_COMMAND of the framework's commands: ID_HELP (also F1) opens the help as the help
    // button does.
    void OnCommand(unsigned id);
    // The session is ending (Qt's commit-data request): stop the tick, take the position and
    // have the settings saved.
    void OnEndSession() override;
    // The window is going: stop the tick and take the position.
    void OnDestroy();

    CSystemMenu& systemMenu() const { return *m_systemMenu; }
    SortedComboBox& entryList() const { return *m_cbEntry; }
    // The help file: this program's file name with ".HLP", in the program's folder (a build
    // folder), else in ../share/telmaq/ from there (an installed program). When neither
    // exists, the path beside the program, so that the failure names the first place looked.
    static std::string helpFilePath();
    static std::string helpFilePathFor(const std::string& programPath);
    // A time of day as the window shows it, with full-width colons.
    static std::string formatTime(std::int32_t hour, std::int32_t minute, std::int32_t second);

    // --- the seam of the connect and disconnect procedures and the tick
    DialDlgState& state() override { return *this; }
    IConnectingView* createConnectingDialog() override;
    bool isIconic() const override;
    ScreenRect clientRectOnScreen() const override;
    int screenWidth() const override;
    int screenHeight() const override;
    void messageBox(const std::string& text, const std::string& title, unsigned style) override;
    bool pumpPendingMessages() override;
    bool waitAndPump(int maxMs) override;
    void wake() override;
    int entryCount() const override;
    std::string entryText(int index) const override;
    int findEntryExact(const std::string& name) const override;
    int currentEntry() const override;
    void selectEntry(int index) override;
    void checkEntryMenuItem(int position, bool checked) override;
    bool UpdateData(bool saveAndValidate = true) override;
    void Connect() override;
    void Disconnect() override;

    // The connecting dialog's Cancel and Close.
    void stopDialing() override { m_bKeepDialing = false; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    void OnCancel() override;
    void OnTimer(int id) override;
    void BindHandlers() override;
    void OnContextMenu(int x, int y) override;

private:
    void OnCreate();
    void fillEntryList();
    int selectStartEntry();
    void readRedialSettings();
    void applyEnablingRules(bool connection, bool disconnection, bool application);
    void placeWindow();
    void takeWindowPosition();
    bool busy() const { return m_bConnecting || m_bDisconnecting; }
    // The desktop's help opener failed, now or later.
    void helpFailed();

    // Handlers of the controls.
    void OnAutoConnection();
    void OnAutoDisconnection();
    void OnAutoApplication();
    void OnPullControls();
    void OnSelchangeEntry();
    void OnSetConnectTime();
    void OnSetDisconnectTime();
    bool runTimeDialog(const char* caption, std::int32_t& hour, std::int32_t& minute, std::int32_t& second);
    void OnBrowse();
    // The system menu runs these too, and says so for the connection history.
    void OnConnectButton(HistoryCause cause = HistoryCause::Button);
    void OnDisconnectButton(HistoryCause cause = HistoryCause::Button);
    void OnHelp();

    // The system menu.
    void buildSystemMenu(int selected);
    void showSystemMenu(int x, int y);
    void createTrayIcon();
    void OnAbout();
    void selectEntryFromMenu(int index);

    DialDlgPorts m_ports;
    std::function<void(const DialDlgState&)> m_saveSettings;
    ConnectionControl m_connection;
    Tick m_tick;
    std::unique_ptr<EventPump> m_pump;
    std::unique_ptr<SecondTimer> m_timer;
    std::unique_ptr<CSystemMenu> m_systemMenu;
    SortedComboBox* m_cbEntry;
    // Set while the members are pushed into the controls, so that the edit's change
    // notification does not pull half-filled controls back into the members.
    bool m_pushing = false;
};

} // namespace telmaq
