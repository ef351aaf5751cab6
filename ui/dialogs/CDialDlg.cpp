#include "ui/dialogs/CDialDlg.h"

#include "dialup/DialupLists.h"
#include "dialup/SystemDialupSettings.h"
#include "scheduler/RedialText.h"
#include "ui/dialogs/DialogTemplates.h"
#include "ui/framework/CSystemMenu.h"
#include "ui/framework/DataExchange.h"
#include "ui/framework/EventPump.h"
#include "ui/framework/SecondTimer.h"
#include "ui/framework/SortedComboBox.h"

#include <cstdio>

namespace telmaq {

std::string CDialDlg::formatTime(std::int32_t hour, std::int32_t minute, std::int32_t second)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d：%02d：%02d", hour, minute, second);
    return text;
}

CDialDlg::CDialDlg(const DialDlgPorts& ports, std::function<void(const DialDlgState&)> saveSettings)
    : Dialog(mainDialogTemplate(), ports.messageBoxes), m_ports(ports), m_saveSettings(std::move(saveSettings)),
      m_connection(*this, ports.connect),
      m_tick(*this, ports.dialupSettings, ports.connect.launcher, ports.connect.clock, ports.connect.history),
      m_pump(std::make_unique<EventPump>()),
      m_timer(std::make_unique<SecondTimer>(ports.connect.clock, [this] { OnTimer(kTickTimerId); })),
      m_systemMenu(std::make_unique<CSystemMenu>(*this, [this](unsigned id) { OnSysCommand(id); })),
      m_cbEntry(comboBox(IDC_ENTRY))
{}

CDialDlg::~CDialDlg() = default;

int CDialDlg::RunModal()
{
    const int result = DoModal();
    OnDestroy();
    return result;
}

void CDialDlg::DoDataExchange(DataExchange& dx)
{
    dx.text(IDC_REDIAL_TEXT, m_strRedialText);
    dx.check(IDC_AUTO_CONNECTION, m_bAutoConnection);
    dx.check(IDC_CHECK_SUN, m_bCheckSun);
    dx.check(IDC_CHECK_MON, m_bCheckMon);
    dx.check(IDC_CHECK_TUE, m_bCheckTue);
    dx.check(IDC_CHECK_WED, m_bCheckWed);
    dx.check(IDC_CHECK_THU, m_bCheckThu);
    dx.check(IDC_CHECK_FRI, m_bCheckFri);
    dx.check(IDC_CHECK_SAT, m_bCheckSat);
    dx.text(IDC_CONNECT_TIME, m_strConnectTime);
    dx.check(IDC_AUTO_DISCONNECTION, m_bAutoDisconnection);
    dx.text(IDC_DISCONNECT_TIME, m_strDisconnectTime);
    dx.check(IDC_AUTO_APPLICATION, m_bAutoApplication);
    dx.text(IDC_APPLICATION_FILE, m_strApplicationFile);
    dx.check(IDC_APPLICATION_DISCONNECTION, m_bApplicationDisconnection);
    dx.check(IDC_ICONIC, m_bIconic);
}

bool CDialDlg::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate)
        return Dialog::UpdateData(true);
    // Pushing the application file fires the edit's change notification, whose handler pulls
    // every control; the controls after the edit still hold their old state then and would
    // overwrite the members they have not yet been given.
    const bool wasPushing = m_pushing;
    m_pushing = true;
    const bool ok = Dialog::UpdateData(false);
    m_pushing = wasPushing;
    return ok;
}

void CDialDlg::OnCreate()
{
    // Minimised only once the window has been shown, as the user will see it appear. A window
    // manager that has not taken the new window over yet drops a request to minimise it, so
    // the window asks for that state before it shows as well.
    if (m_bIconic) {
        startMinimized();
        postCall([this] { OnSysCommand(SC_MINIMIZE); });
    }
}

bool CDialDlg::OnInitDialog()
{
    OnCreate();
    m_pushing = true;
    Dialog::OnInitDialog();
    m_pushing = false;

    fillEntryList();
    const int selected = selectStartEntry();
    buildSystemMenu(selected);

    readRedialSettings();
    applyEnablingRules(true, true, true);
    m_strConnectTime = formatTime(m_nConnectHour, m_nConnectMinute, m_nConnectSecond);
    m_strDisconnectTime = formatTime(m_nDisconnectHour, m_nDisconnectMinute, m_nDisconnectSecond);

    m_bMoved = false;
    m_hProcess = kNoProcess;
    m_bInteractive = false;
    m_bDisconnecting = false;
    m_bConnecting = false;
    m_bFileDlgOpen = false;
    m_bAboutOpen = false;
    m_bTimeDlgOpen = false;

    UpdateData(false);
    placeWindow();
    createTrayIcon();
    // The timer lines itself up with the start of the next wall-clock second without
    // holding the window back until then.
    m_timer->start();
    return true;
}

void CDialDlg::fillEntryList()
{
    const std::int32_t count = m_ports.connect.lists.entryCount();
    m_cbEntry->setRedraw(false);
    for (std::int32_t i = 0; i < count; ++i) {
        if (const char* name = m_ports.connect.lists.GetEntryName(i))
            m_cbEntry->addSortedItem(name);
    }
    m_cbEntry->setRedraw(true);
}

int CDialDlg::selectStartEntry()
{
    int index = m_cbEntry->findStringExact(m_strEntry);
    if (index < 0 && m_cbEntry->itemCount() > 0) {
        index = 0;
        m_strEntry = m_cbEntry->itemTextAt(0);
        m_ports.dialupSettings.WriteInternetProfile(m_strEntry);
    }
    m_cbEntry->selectIndex(index);
    return index;
}

void CDialDlg::readRedialSettings()
{
    m_bRedial = m_ports.dialupSettings.ReadEnableRedial();
    m_nRedialWait = m_ports.dialupSettings.ReadRedialWaitSeconds();
    m_nRedialTry = m_ports.dialupSettings.ReadRedialTry();
    m_strRedialText = FormatRedialText(m_bRedial, m_nRedialWait, m_nRedialTry);
}

void CDialDlg::applyEnablingRules(bool connection, bool disconnection, bool application)
{
    if (connection) {
        for (int id : {IDC_CHECK_SUN, IDC_CHECK_MON, IDC_CHECK_TUE, IDC_CHECK_WED, IDC_CHECK_THU, IDC_CHECK_FRI,
                       IDC_CHECK_SAT, IDC_CONNECT_TIME, IDC_SET_CONNECT_TIME, IDC_AUTO_DISCONNECTION})
            EnableDlgItem(id, m_bAutoConnection);
    }
    if (disconnection) {
        const bool enabled = m_bAutoConnection && m_bAutoDisconnection;
        EnableDlgItem(IDC_DISCONNECT_TIME, enabled);
        EnableDlgItem(IDC_SET_DISCONNECT_TIME, enabled);
    }
    if (application) {
        for (int id : {IDC_APPLICATION_DISCONNECTION, IDC_APPLICATION_FILE, IDC_BROWSE})
            EnableDlgItem(id, m_bAutoApplication);
    }
}

void CDialDlg::placeWindow()
{
    // The template puts the window at the screen's top-left corner; the stored position is
    // an offset from there, so the window's corner lands on it with its size unchanged.
    moveTo(m_nWindowLeft, m_nWindowTop);
}

void CDialDlg::takeWindowPosition()
{
    if (left() != m_nWindowLeft) {
        m_nWindowLeft = left();
        m_bMoved = true;
    }
    if (top() != m_nWindowTop) {
        m_nWindowTop = top();
        m_bMoved = true;
    }
}

void CDialDlg::OnDestroy()
{
    m_timer->stop();
    takeWindowPosition();
}

void CDialDlg::OnEndSession()
{
    m_timer->stop();
    takeWindowPosition();
    if (m_saveSettings)
        m_saveSettings(*this);
    // The session manager asks before it ends the session, and the user may still cancel
    // the log-off; the scheduled connects must not stop for good because of that.
    if (isVisible())
        m_timer->start();
}

void CDialDlg::OnTimer(int id)
{
    if (id == kTickTimerId)
        m_tick.OnTimer();
}

} // namespace telmaq
