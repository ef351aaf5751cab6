#include "ui/dialogs/CDialDlg.h"

#include "connection/BusyScope.h"
#include "dialup/SystemDialupSettings.h"
#include "platform/process/CommandLine.h"
#include "ui/dialogs/CTimeDlg.h"
#include "ui/framework/CSystemMenu.h"
#include "ui/framework/DesktopOpener.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/SortedComboBox.h"
#include "ui/framework/WindowStyles.h"

#include <filesystem>
#include <system_error>

namespace telmaq {

namespace {

const char kConnectTimeCaption[] = "自動接続時刻の設定";
const char kDisconnectTimeCaption[] = "自動切断時刻の設定";
const char kHelpFailed[] = "ﾍﾙﾌﾟの起動に失敗しました。";

bool isFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

void CDialDlg::BindHandlers()
{
    onClicked(IDC_AUTO_CONNECTION, [this] { OnAutoConnection(); });
    onClicked(IDC_AUTO_DISCONNECTION, [this] { OnAutoDisconnection(); });
    onClicked(IDC_AUTO_APPLICATION, [this] { OnAutoApplication(); });
    for (int id : {IDC_CHECK_SUN, IDC_CHECK_MON, IDC_CHECK_TUE, IDC_CHECK_WED, IDC_CHECK_THU, IDC_CHECK_FRI,
                   IDC_CHECK_SAT, IDC_APPLICATION_DISCONNECTION, IDC_ICONIC})
        onClicked(id, [this] { OnPullControls(); });
    onEditChange(IDC_APPLICATION_FILE, [this] {
        if (!m_pushing)
            OnPullControls();
    });
    onSelChange(IDC_ENTRY, [this] { OnSelchangeEntry(); });
    onClicked(IDC_SET_CONNECT_TIME, [this] { OnSetConnectTime(); });
    onClicked(IDC_SET_DISCONNECT_TIME, [this] { OnSetDisconnectTime(); });
    onClicked(IDC_BROWSE, [this] { OnBrowse(); });
    onClicked(IDC_CONNECT, [this] { OnConnectButton(); });
    onClicked(IDC_DISCONNECT, [this] { OnDisconnectButton(); });
    onClicked(IDC_HELP, [this] { OnHelp(); });
    onKey(DialogKey::Help, [this] { OnCommand(ID_HELP); });
}

void CDialDlg::OnCommand(unsigned id)
{
    if (id == ID_HELP)
        OnHelp();
}

void CDialDlg::OnAutoConnection()
{
    UpdateData(true);
    applyEnablingRules(true, true, false);
}

void CDialDlg::OnAutoDisconnection()
{
    UpdateData(true);
    applyEnablingRules(false, true, false);
}

void CDialDlg::OnAutoApplication()
{
    UpdateData(true);
    applyEnablingRules(false, false, true);
}

void CDialDlg::OnPullControls()
{
    UpdateData(true);
}

void CDialDlg::OnSelchangeEntry()
{
    const int selected = m_cbEntry->selectedIndex();
    m_strEntry = m_cbEntry->itemTextAt(selected);
    for (int p = 0; p < m_cbEntry->itemCount(); ++p)
        m_systemMenu->checkEntry(p, p == selected);
    m_ports.dialupSettings.WriteInternetProfile(m_strEntry);
}

bool CDialDlg::runTimeDialog(const char* caption, std::int32_t& hour, std::int32_t& minute, std::int32_t& second)
{
    const BusyScope open(m_bTimeDlgOpen);
    CTimeDlg dlg(m_ports.messageBoxes, this);
    dlg.m_strCaption = caption;
    dlg.m_nHour = hour;
    dlg.m_nMinute = minute;
    dlg.m_nSecond = second;
    const bool ok = dlg.DoModal() == IDOK;
    if (ok) {
        hour = dlg.m_nHour;
        minute = dlg.m_nMinute;
        second = dlg.m_nSecond;
    }
    return ok;
}

void CDialDlg::OnSetConnectTime()
{
    if (busy())
        return;
    if (runTimeDialog(kConnectTimeCaption, m_nConnectHour, m_nConnectMinute, m_nConnectSecond)) {
        m_strConnectTime = formatTime(m_nConnectHour, m_nConnectMinute, m_nConnectSecond);
        UpdateData(false);
    }
}

void CDialDlg::OnSetDisconnectTime()
{
    if (busy())
        return;
    if (runTimeDialog(kDisconnectTimeCaption, m_nDisconnectHour, m_nDisconnectMinute, m_nDisconnectSecond)) {
        m_strDisconnectTime = formatTime(m_nDisconnectHour, m_nDisconnectMinute, m_nDisconnectSecond);
        UpdateData(false);
    }
}

void CDialDlg::OnBrowse()
{
    if (busy())
        return;
    const BusyScope open(m_bFileDlgOpen);
    std::string picked;
    if (browseForProgram(*this, picked)) {
        // The field holds a command line: a path with a space or a quote must reach the
        // launcher as one word.
        m_strApplicationFile = quoteCommandWord(picked);
        UpdateData(false);
    }
}

void CDialDlg::OnConnectButton(HistoryCause cause)
{
    if (busy())
        return;
    const BusyScope connecting(m_bConnecting);
    m_historyCause = cause;
    const BusyScope interactive(m_bInteractive);
    Connect();
}

void CDialDlg::OnDisconnectButton(HistoryCause cause)
{
    if (busy())
        return;
    const BusyScope disconnecting(m_bDisconnecting);
    m_historyCause = cause;
    const BusyScope interactive(m_bInteractive);
    Disconnect();
}

std::string CDialDlg::helpFilePath()
{
    return helpFilePathFor(programFilePath());
}

std::string CDialDlg::helpFilePathFor(const std::string& programPath)
{
    const std::filesystem::path program = std::filesystem::absolute(programPath);
    const std::string name = program.stem().string() + ".HLP";
    const std::filesystem::path beside = program.parent_path() / name;
    if (isFile(beside))
        return beside.string();
    const std::filesystem::path installed =
        (program.parent_path() / ".." / "share" / "telmaq" / name).lexically_normal();
    return (isFile(installed) ? installed : beside).string();
}

void CDialDlg::helpFailed()
{
    m_ports.messageBoxes.messageBox(this, kHelpFailed, kApplicationName, MB_OK | MB_ICONEXCLAMATION);
}

void CDialDlg::OnHelp()
{
    const std::string path = helpFilePath();
    if (!isFile(path)) {
        helpFailed();
        return;
    }
    openWithDesktop(*this, path, [this] { helpFailed(); });
}

void CDialDlg::OnCancel()
{
    if (busy())
        return;
    UpdateData(true);
    EndDialog(IDCANCEL);
}

} // namespace telmaq
