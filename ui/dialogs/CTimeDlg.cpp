#include "ui/dialogs/CTimeDlg.h"

#include "ui/framework/DataExchange.h"
#include "ui/dialogs/DialogTemplates.h"
#include "ui/framework/UpDownControl.h"

namespace telmaq {

namespace {

constexpr int IDC_HOUR = 1042;
constexpr int IDC_SPIN_HOUR = 1043;
constexpr int IDC_MINUTE = 1044;
constexpr int IDC_SPIN_MINUTE = 1045;
constexpr int IDC_SECOND = 1046;
constexpr int IDC_SPIN_SECOND = 1047;

} // namespace

CTimeDlg::CTimeDlg(IMessageBox& messageBoxes, QWidget* owner) : Dialog(timeDialogTemplate(), messageBoxes, owner)
{
    m_spinHour = qobject_cast<UpDownControl*>(GetDlgItem(IDC_SPIN_HOUR));
    m_spinMinute = qobject_cast<UpDownControl*>(GetDlgItem(IDC_SPIN_MINUTE));
    m_spinSecond = qobject_cast<UpDownControl*>(GetDlgItem(IDC_SPIN_SECOND));
}

bool CTimeDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    SetWindowText(m_strCaption);
    m_spinHour->setRange(0, 23);
    m_spinMinute->setRange(0, 59);
    m_spinSecond->setRange(0, 59);
    return true;
}

void CTimeDlg::DoDataExchange(DataExchange& dx)
{
    dx.number(IDC_HOUR, m_nHour, 0, 23);
    dx.number(IDC_MINUTE, m_nMinute, 0, 59);
    dx.number(IDC_SECOND, m_nSecond, 0, 59);
}

} // namespace telmaq
