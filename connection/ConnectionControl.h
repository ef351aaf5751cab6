#pragma once

#include "connection/ConnectProcedure.h"
#include "connection/DialWindow.h"

namespace telmaq {

// The main window's Connect and Disconnect, over the ports they need. The main window makes
// one and calls these from its buttons, its system menu and its tick; the callers set
// m_bConnecting or m_bDisconnecting and m_bInteractive around the call.
class ConnectionControl
{
public:
    // ports must outlive the control.
    ConnectionControl(IDialWindow& window, const ConnectPorts& ports);
    // Stops the history of a drop of the line this control connected: the history may be
    // gone soon after.
    ~ConnectionControl();
    ConnectionControl(const ConnectionControl&) = delete;
    ConnectionControl& operator=(const ConnectionControl&) = delete;

    // Dials the selected entry and stays until the dial ends, pumping the window's events.
    void Connect();
    // Hangs up every dial-up connection.
    void Disconnect();

private:
    IDialWindow& m_window;
    ConnectPorts m_ports;
};

} // namespace telmaq
