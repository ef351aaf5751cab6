#include "connection/ConnectionControl.h"

#include "connection/DialNotification.h"
#include "connection/DisconnectProcedure.h"

namespace telmaq {

ConnectionControl::ConnectionControl(IDialWindow& window, const ConnectPorts& ports) : m_window(window), m_ports(ports)
{}

ConnectionControl::~ConnectionControl()
{
    DialNotification::instance().forgetLine();
}

void ConnectionControl::Connect()
{
    ConnectProcedure(m_window, m_ports).run();
}

void ConnectionControl::Disconnect()
{
    DisconnectProcedure(m_window, m_ports.lists, m_ports.errorText, m_ports.history).run();
}

} // namespace telmaq
