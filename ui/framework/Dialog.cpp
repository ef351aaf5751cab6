#include "ui/framework/Dialog.h"

#include "ui/framework/DataExchange.h"
#include "ui/framework/WindowStyles.h"

// The dialog's own logic, the same on every toolkit: what the window's handlers reach and what
// a dialog does by default. The window and its controls are in each toolkit's Dialog.cpp.
namespace telmaq {

void Dialog::windowDestroyed()
{
    m_window = nullptr;
    m_alive = false;
    if (m_ownedByWindow)
        delete this;
}

void Dialog::prepare()
{
    if (m_prepared)
        return;
    m_prepared = true;
    BindHandlers();
    if (OnInitDialog())
        focusFirstControl();
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    dx.commit();
    return !dx.failed();
}

bool Dialog::timerFromWindow(int nativeTimerId)
{
    // Look the id up first: OnTimer may well set or kill timers.
    for (const auto& timer : m_timers) {
        if (timer.second == nativeTimerId) {
            const int id = timer.first;
            OnTimer(id);
            return true;
        }
    }
    return false;
}

void Dialog::okFromWindow()
{
    if (m_alive)
        OnOK();
}

void Dialog::cancelFromWindow()
{
    if (m_alive)
        OnCancel();
}

void Dialog::closeFromWindow()
{
    if (m_alive)
        OnClose();
}

void Dialog::contextMenuFromWindow(int x, int y)
{
    if (m_alive)
        OnContextMenu(x, y);
}

bool Dialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void Dialog::OnClose()
{
    OnCancel();
}

void Dialog::OnTimer(int) {}

void Dialog::PostNcDestroy() {}

void Dialog::BindHandlers() {}

void Dialog::OnContextMenu(int, int) {}

void Dialog::OnEndSession() {}

} // namespace telmaq
