#include "connection/DialStatusText.h"

#include "platform/dialup/DialupService.h"

namespace telmaq {

const char* dialStatusText(std::uint32_t state)
{
    switch (state) {
    case RASCS_OpenPort:
        return "通信ポートをオープン中 . . .";
    case RASCS_PortOpened:
        return "通信ポートをオープンしました";
    case RASCS_ConnectDevice:
        return "ダイヤル中 . . .";
    case RASCS_DeviceConnected:
        return "接続しました";
    case RASCS_AllDevicesConnected:
        return "全接続が完了しました";
    case RASCS_Authenticate:
        return "ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞを確認中 . . .";
    case RASCS_AuthNotify:
        return "AuthNotify";
    case RASCS_AuthRetry:
        return "AuthRetry";
    case RASCS_AuthCallback:
        return "AuthCallback";
    case RASCS_AuthChangePassword:
        return "AuthChangePassword";
    case RASCS_AuthProject:
        return "AuthProject";
    case RASCS_AuthLinkSpeed:
        return "AuthLinkSpeed";
    case RASCS_AuthAck:
        return "AuthAck";
    case RASCS_ReAuthenticate:
        return "ReAuthenticate";
    case RASCS_Authenticated:
        return "ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞが確認されました";
    case RASCS_PrepareForCallback:
        return "PrepareForCallback";
    case RASCS_WaitForModemReset:
        return "WaitForModemReset";
    case RASCS_WaitForCallback:
        return "WaitForCallback";
    case RASCS_Projected:
        return "Projected";
    case RASCS_StartAuthentication:
        return "StartAuthentication";
    case RASCS_CallbackComplete:
        return "CallbackComplete";
    case RASCS_LogonNetwork:
        return "LogonNetwork";
    case RASCS_SubEntryConnected:
        return "SubEntryConnected";
    case RASCS_SubEntryDisconnected:
        return "SubEntryDisconnected";
    case RASCS_Interactive:
        return "Interactive";
    case RASCS_RetryAuthentication:
        return "RetryAuthentication";
    case RASCS_CallbackSetByCaller:
        return "CallbackSetByCaller";
    case RASCS_PasswordExpired:
        return "PasswordExpired";
    case RASCS_Connected:
        return "Connected";
    case RASCS_Disconnected:
        return "Disconnected";
    default:
        return "UnknownStatus";
    }
}

bool dialStatusEndsWait(std::uint32_t state)
{
    return state == RASCS_Connected || state == RASCS_Disconnected;
}

} // namespace telmaq
