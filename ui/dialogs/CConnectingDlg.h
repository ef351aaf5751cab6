#pragma once

#include "connection/DialWindow.h"
#include "ui/framework/Dialog.h"

#include <string>

namespace telmaq {

// What the connecting dialog needs of the window that owns it: a way to stop the dial.
class IConnectingDlgOwner
{
public:
    virtual ~IConnectingDlgOwner() = default;
    // The user cancelled or closed the dialog: clear the keep-dialing flag, so the connect
    // procedure hangs up at its next pass.
    virtual void stopDialing() = 0;
};

// The modeless window that shows a dial's progress, with its Cancel button. It owns itself:
// whoever takes the window down, the object frees itself soon after, from the event loop,
// once no handler of its own is running any more.
class CConnectingDlg : public Dialog, public IConnectingView
{
public:
    // Makes the object and its window at once, owned by ownerWindow, and shows it.
    static CConnectingDlg* create(IConnectingDlgOwner& owner, IMessageBox& messageBoxes, Dialog* ownerWindow);

    void setCaption(const std::string& caption) override;
    void setStatusText(const std::string& text) override;
    ScreenRect windowRect() const override;
    void placeInFront(int x, int y) override;
    void destroy() override;

    const std::string& statusText() const { return m_strStatus; }

protected:
    void DoDataExchange(DataExchange& dx) override;
    void OnCancel() override;
    void OnClose() override;
    void PostNcDestroy() override;

private:
    CConnectingDlg(IConnectingDlgOwner& owner, IMessageBox& messageBoxes, Dialog* ownerWindow);
    ~CConnectingDlg() override;

    IConnectingDlgOwner& m_owner;
    std::string m_strStatus;
};

} // namespace telmaq
