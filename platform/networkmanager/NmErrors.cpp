#include "platform/networkmanager/NmErrors.h"

#include "platform/dialup/CodeText.h"

#include <cstdio>

namespace telmaq::nm {

namespace {

bool endsWith(const std::string& text, const char* tail)
{
    const std::string t(tail);
    return text.size() >= t.size() && text.compare(text.size() - t.size(), t.size(), t) == 0;
}

// What a few of NetworkManager's device reasons mean to someone at a dial-up window; the rest
// are shown by number, which is what its own logs show too.
const char* deviceReasonText(std::uint32_t reason)
{
    switch (reason) {
    case 4:
        return "接続の設定に失敗しました";
    case 5:
    case 15:
    case 16:
    case 17:
        return "IP アドレスを取得できませんでした";
    case 13:
    case 14:
        return "PPP の接続が切れました";
    case 29:
        return "APN に接続できませんでした";
    case 30:
    case 31:
    case 32:
    case 33:
        return "携帯電話網に登録できませんでした";
    case 34:
    case 46:
    case 47:
    case 48:
    case 59:
        return "SIM の PIN を確認してください";
    case 36:
        return "装置が取り外されました";
    case 38:
        return "接続の設定が削除されました";
    case 45:
        return "SIM カードが入っていません";
    default:
        return nullptr;
    }
}

std::string numbered(const char* format, std::uint32_t number)
{
    char text[160];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(number));
    return text;
}

} // namespace

std::uint32_t codeForDBusError(const std::string& name)
{
    // The bus has no NetworkManager on it, or there is no bus at all.
    if (endsWith(name, ".ServiceUnknown") || endsWith(name, ".NameHasNoOwner") || endsWith(name, ".NoServer") ||
        endsWith(name, ".Disconnected") || endsWith(name, ".NoNetwork") ||
        name.rfind("org.freedesktop.DBus.Error.Spawn", 0) == 0)
        return ERROR_MANAGER_UNREACHABLE;
    if (endsWith(name, ".NoReply") || endsWith(name, ".Timeout") || endsWith(name, ".TimedOut"))
        return ERROR_NM_NO_REPLY;
    if (endsWith(name, ".PermissionDenied") || endsWith(name, ".AccessDenied") || endsWith(name, ".NotAuthorized") ||
        endsWith(name, ".AuthFailed") || endsWith(name, ".InteractiveAuthorizationRequired"))
        return ERROR_NM_NOT_AUTHORIZED;
    if (endsWith(name, ".UnknownDevice"))
        return ERROR_HARDWARE_FAILURE;
    if (endsWith(name, ".UnknownConnection") || endsWith(name, ".InvalidConnection"))
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    if (endsWith(name, ".ConnectionNotActive"))
        return ERROR_NO_CONNECTION;
    if (endsWith(name, ".ConnectionAlreadyActive"))
        return ERROR_PORT_ALREADY_OPEN;
    if (endsWith(name, ".NoSecrets") || endsWith(name, ".UserCanceled"))
        return ERROR_AUTHENTICATION_FAILURE;
    return ERROR_NM_REFUSED;
}

std::string errorText(std::uint32_t code)
{
    if (const char* text = textFor(kOwnErrorTexts, code))
        return text;
    switch (code) {
    case ERROR_INVALID_HANDLE_RAS:
        return "接続のハンドルが正しくありません";
    case ERROR_INVALID_PARAMETER:
        return "パラメーターが正しくありません";
    case ERROR_BUFFER_TOO_SMALL:
        return "バッファーが小さすぎます";
    case ERROR_CANNOT_FIND_PHONEBOOK_ENTRY:
        return "電話帳のエントリが見つかりません";
    case ERROR_USER_DISCONNECTION:
        return "接続はユーザーによって切断されました";
    case ERROR_INVALID_SIZE:
        return "構造体のサイズが正しくありません";
    case ERROR_ALLOCATING_MEMORY:
        return "メモリを確保できません";
    case ERROR_NO_CONNECTION:
        return "接続は切断されています";
    case ERROR_MANAGER_UNREACHABLE:
        return "NetworkManager に接続できません\nNetworkManager が動いているか確認してください";
    case ERROR_NM_NOT_AUTHORIZED:
        return "NetworkManager がこの操作を許可しませんでした\n接続を操作する権限 (polkit) を確認してください";
    case ERROR_NM_NO_REPLY:
        return "NetworkManager から応答がありません";
    case ERROR_NM_REFUSED:
        return "NetworkManager が要求を受け付けませんでした";
    case ERROR_NM_UNSUPPORTED_NOTIFIER:
        return "この通知の方式には対応していません";
    case ERROR_NM_VPN_NO_PARENT:
        return "VPN を通すネットワーク接続がありません\nネットワークに接続してから VPN に接続してください";
    default:
        break;
    }
    if (code >= ERROR_NM_DEVICE_REASON_BASE && code < ERROR_NM_DEVICE_REASON_BASE + kReasonSpan) {
        const std::uint32_t reason = code - ERROR_NM_DEVICE_REASON_BASE;
        std::string text = numbered("接続できませんでした (NetworkManager の装置の理由 %u)", reason);
        if (const char* meaning = deviceReasonText(reason))
            text = std::string(meaning) + "\n" + text;
        return text;
    }
    if (code >= ERROR_NM_ACTIVE_REASON_BASE && code < ERROR_NM_ACTIVE_REASON_BASE + kReasonSpan)
        return numbered("接続できませんでした (NetworkManager の接続の理由 %u)", code - ERROR_NM_ACTIVE_REASON_BASE);
    return {};
}

} // namespace telmaq::nm
