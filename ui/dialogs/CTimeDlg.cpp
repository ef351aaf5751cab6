#include "ui/dialogs/CTimeDlg.h"

#include "ui/dialogs/DialogTemplates.h"
#include "ui/dialogs/ResourceIds.h"
#include "ui/framework/DataExchange.h"

namespace telmaq {

CTimeDlg::CTimeDlg(IMessageBox& messageBoxes, Dialog* owner)
    : Dialog(timeDialogTemplate(), messageBoxes, owner), m_spinHour(upDown(IDC_SPIN_HOUR)),
      m_spinMinute(upDown(IDC_SPIN_MINUTE)), m_spinSecond(upDown(IDC_SPIN_SECOND))
{}

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
