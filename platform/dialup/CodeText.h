#pragma once

#include "platform/dialup/DialupService.h"

#include <cstddef>
#include <cstdint>

namespace telmaq {

// A result code in words, a row of the tables that give the texts.
struct CodeText
{
    std::uint32_t code;
    const char* text;
};

// The text for code in table, or nullptr where the table has none.
template <std::size_t N> const char* textFor(const CodeText (&table)[N], std::uint32_t code)
{
    for (const CodeText& row : table)
        if (row.code == code)
            return row.text;
    return nullptr;
}

// The codes a user meets most, in words of our own rather than the service's. The program
// shows these whichever provider dials, and the NetworkManager provider answers them too;
// the line simulator keeps words of its own.
inline constexpr CodeText kOwnErrorTexts[] = {
    {ERROR_PORT_ALREADY_OPEN, "通信ポートが使用中です"},
    {ERROR_REMOTE_DISCONNECTION, "サーバーに接続を切られました"},
    {ERROR_HARDWARE_FAILURE, "モデムからの応答がありません\nモデムの電源が入っているか確認してください"},
    {ERROR_LINE_BUSY, "接続先が話中です"},
    {ERROR_NO_ANSWER, "接続先のモデムが応答しないか、接続先がモデムではありません"},
    {ERROR_NO_DIALTONE, "発信音が聞こえません\nモジュラージャックが外れていないか確認してください"},
    {ERROR_AUTHENTICATION_FAILURE, "ユーザー名またはパスワードが間違っています"},
};

} // namespace telmaq
