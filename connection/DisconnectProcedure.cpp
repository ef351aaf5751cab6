#include "connection/DisconnectProcedure.h"

#include "connection/ConnectionMessages.h"

namespace telmaq {

DisconnectProcedure::DisconnectProcedure(IDialWindow& window, DialupLists& lists, RasErrorText& errorText)
    : m_window(window), m_lists(lists), m_errorText(errorText)
{}

void DisconnectProcedure::run()
{
    const std::uint32_t code = m_lists.EnumConnections();
    if (code != 0) {
        showErrorBox(m_window, m_errorText.GetRasErrorText(code));
        return;
    }
    if (m_lists.connectionCount() != 0) {
        m_lists.HangUpAllConnections();
        return;
    }
    showWarningBox(m_window, "接続されていません");
}

} // namespace telmaq
