#include "ui/dialogs/CDialDlg.h"

#include "dialup/SystemDialupSettings.h"
#include "platform/process/CommandLine.h"
#include "ui/dialogs/CTimeDlg.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/SortedComboBox.h"
#include "ui/framework/CSystemMenu.h"
#include "ui/framework/WindowStyles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QProcess>
#include <QShortcut>
#include <QSortFilterProxyModel>

namespace telmaq {

namespace {

const char kConnectTimeCaption[] = "自動接続時刻の設定";
const char kDisconnectTimeCaption[] = "自動切断時刻の設定";
const char kHelpFailed[] = "ﾍﾙﾌﾟの起動に失敗しました。";

// On Linux a program has no extension: the first filter lists what may be run, the second
// every file, with or without a dot in its name.
const char kApplicationFilter[] = "Application Files (*)";
const char kAllFilesFilter[] = "All Files (*)";

// What the first filter lists: folders and the files the user may run. Qt's own permission
// filter cannot say this: asked for executables it also hides every entry that is readable
// or writable, which leaves nothing.
class ProgramsAndFolders : public QSortFilterProxyModel
{
public:
    explicit ProgramsAndFolders(QObject* parent) : QSortFilterProxyModel(parent) {}

    void setProgramsOnly(bool programsOnly)
    {
        m_programsOnly = programsOnly;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!m_programsOnly || !files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }

private:
    bool m_programsOnly = true;
};

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
    auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
    connect(helpKey, &QShortcut::activated, this, [this] { OnCommand(ID_HELP); });
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
    const int selected = m_cbEntry->currentIndex();
    m_strEntry = m_cbEntry->currentText().toStdString();
    for (int p = 0; p < m_cbEntry->count(); ++p)
        m_systemMenu->checkEntry(p, p == selected);
    m_ports.dialupSettings.WriteInternetProfile(m_strEntry);
}

bool CDialDlg::runTimeDialog(const char* caption, std::int32_t& hour, std::int32_t& minute, std::int32_t& second)
{
    m_bTimeDlgOpen = true;
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
    m_bTimeDlgOpen = false;
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
    m_bFileDlgOpen = true;
    // Qt's own dialog on every desktop: the portal dialogs know nothing of the filter for
    // programs below.
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QString::fromLatin1(kApplicationFilter), QString::fromLatin1(kAllFilesFilter)});
    dialog.selectNameFilter(QString::fromLatin1(kApplicationFilter));
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Drives | QDir::NoDot);
    auto* programs = new ProgramsAndFolders(&dialog);
    dialog.setProxyModel(programs);
    connect(&dialog, &QFileDialog::filterSelected, programs, [programs](const QString& filter) {
        programs->setProgramsOnly(filter == QLatin1String(kApplicationFilter));
    });
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        // The field holds a command line: a path with a space or a quote must reach the
        // launcher as one word.
        m_strApplicationFile =
            quoteCommandWord(QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath().toStdString());
        UpdateData(false);
    }
    m_bFileDlgOpen = false;
}

void CDialDlg::OnConnectButton(HistoryCause cause)
{
    if (busy())
        return;
    m_bConnecting = true;
    m_historyCause = cause;
    m_bInteractive = true;
    Connect();
    m_bInteractive = false;
    m_bConnecting = false;
}

void CDialDlg::OnDisconnectButton(HistoryCause cause)
{
    if (busy())
        return;
    m_bDisconnecting = true;
    m_historyCause = cause;
    m_bInteractive = true;
    Disconnect();
    m_bInteractive = false;
    m_bDisconnecting = false;
}

QString CDialDlg::helpFilePath()
{
    return helpFilePathFor(QCoreApplication::applicationFilePath());
}

QString CDialDlg::helpFilePathFor(const QString& programPath)
{
    const QFileInfo program(programPath);
    const QString name = program.completeBaseName() + QStringLiteral(".HLP");
    const QString beside = program.absoluteDir().filePath(name);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString installed = QDir::cleanPath(program.absolutePath() + QStringLiteral("/../share/telmaq/") + name);
    return QFileInfo(installed).isFile() ? installed : beside;
}

void CDialDlg::helpFailed()
{
    m_ports.messageBoxes.messageBox(this, kHelpFailed, kApplicationName, MB_OK | MB_ICONEXCLAMATION);
}

void CDialDlg::OnHelp()
{
    const QString path = helpFilePath();
    if (!QFileInfo(path).isFile()) {
        helpFailed();
        return;
    }
    // The desktop's opener answers only once it has handed the file on (or failed to); the
    // window does not wait for it.
    auto* opener = new QProcess(this);
    connect(opener, &QProcess::errorOccurred, this, [this, opener](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            helpFailed();
            opener->deleteLater();
        }
    });
    connect(opener, &QProcess::finished, this, [this, opener](int exitCode, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || exitCode != 0)
            helpFailed();
        opener->deleteLater();
    });
    opener->start(QStringLiteral("xdg-open"), {path});
}

void CDialDlg::OnCancel()
{
    if (busy())
        return;
    UpdateData(true);
    EndDialog(IDCANCEL);
}

} // namespace telmaq
