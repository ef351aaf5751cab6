#include "dialup/RasErrorText.h"

namespace telmaq {

namespace {

struct TableText
{
    std::uint32_t code;
    const char* text;
};

// The codes a user meets most, in words of our own rather than the service's.
constexpr TableText kTable[] = {
    {ERROR_PORT_ALREADY_OPEN, "通信ポートが使用中です"},
    {ERROR_REMOTE_DISCONNECTION, "サーバーに接続を切られました"},
    {ERROR_HARDWARE_FAILURE, "モデムからの応答がありません\nモデムの電源が入っているか確認してください"},
    {ERROR_LINE_BUSY, "接続先が話中です"},
    {ERROR_NO_ANSWER, "接続先のモデムが応答しないか、接続先がモデムではありません"},
    {ERROR_NO_DIALTONE, "発信音が聞こえません\nモジュラージャックが外れていないか確認してください"},
    {ERROR_AUTHENTICATION_FAILURE, "ユーザー名またはパスワードが間違っています"},
};

constexpr const char* kUnknownCode = "(エラーコードの間違い)";

} // namespace

RasErrorText::RasErrorText(IDialupService& service) : m_service(service) {}

const char* RasErrorText::GetRasErrorText(std::uint32_t code)
{
    for (const TableText& entry : kTable)
        if (entry.code == code)
            return entry.text;
    if (m_service.getErrorString(code, m_buffer, sizeof m_buffer) != 0)
        return kUnknownCode;
    // A service that fills the whole buffer without a terminating zero must not make us read
    // past it.
    m_buffer[sizeof m_buffer - 1] = '\0';
    return m_buffer;
}

} // namespace telmaq
