#include "connection/DisconnectProcedure.h"

#include "connection/ConnectionMessages.h"
#include "connection/DialNotification.h"

#include <string>
#include <vector>

namespace telmaq {

DisconnectProcedure::DisconnectProcedure(IDialWindow& window, DialupLists& lists, RasErrorText& errorText,
                                         IHistory& history)
    : m_window(window), m_lists(lists), m_errorText(errorText), m_history(history)
{}

void DisconnectProcedure::run()
{
    const std::uint32_t code = m_lists.EnumConnections();
    if (code != 0) {
        showErrorBox(m_window, m_errorText.GetRasErrorText(code));
        return;
    }
    if (m_lists.connectionCount() != 0) {
        hangUpEveryConnection(m_lists, m_history, m_window.state().m_historyCause);
        return;
    }
    showWarningBox(m_window, "接続されていません");
}

void hangUpEveryConnection(DialupLists& lists, IHistory& history, HistoryCause cause)
{
    // A line we hang up ourselves has not dropped, whatever the service reports about it.
    DialNotification::instance().forgetLine();
    std::vector<std::string> entries;
    for (std::int32_t i = 0; i < lists.connectionCount(); ++i) {
        const char* name = lists.GetConnectionEntryName(i);
        entries.emplace_back(name ? name : "");
    }
    lists.HangUpAllConnections();
    HistoryRecord record;
    record.event = HistoryEvent::HungUp;
    record.cause = cause;
    for (const std::string& entry : entries) {
        record.entry = entry;
        history.record(record);
    }
}

} // namespace telmaq
