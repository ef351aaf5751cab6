#include "dialup/DialState.h"

#include "platform/dialup/DialupService.h"

namespace telmaq {

namespace {

// Japanese texts for the states a user of a modem line sees; every other state shows its name.
const DialState kDialStates[] = {
    {RASCS_OpenPort, "OpenPort", "通信ポートをオープン中 . . ."},
    {RASCS_PortOpened, "PortOpened", "通信ポートをオープンしました"},
    {RASCS_ConnectDevice, "ConnectDevice", "ダイヤル中 . . ."},
    {RASCS_DeviceConnected, "DeviceConnected", "接続しました"},
    {RASCS_AllDevicesConnected, "AllDevicesConnected", "全接続が完了しました"},
    {RASCS_Authenticate, "Authenticate", "ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞを確認中 . . ."},
    {RASCS_AuthNotify, "AuthNotify", "AuthNotify"},
    {RASCS_AuthRetry, "AuthRetry", "AuthRetry"},
    {RASCS_AuthCallback, "AuthCallback", "AuthCallback"},
    {RASCS_AuthChangePassword, "AuthChangePassword", "AuthChangePassword"},
    {RASCS_AuthProject, "AuthProject", "AuthProject"},
    {RASCS_AuthLinkSpeed, "AuthLinkSpeed", "AuthLinkSpeed"},
    {RASCS_AuthAck, "AuthAck", "AuthAck"},
    {RASCS_ReAuthenticate, "ReAuthenticate", "ReAuthenticate"},
    {RASCS_Authenticated, "Authenticated", "ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞが確認されました"},
    {RASCS_PrepareForCallback, "PrepareForCallback", "PrepareForCallback"},
    {RASCS_WaitForModemReset, "WaitForModemReset", "WaitForModemReset"},
    {RASCS_WaitForCallback, "WaitForCallback", "WaitForCallback"},
    {RASCS_Projected, "Projected", "Projected"},
    {RASCS_StartAuthentication, "StartAuthentication", "StartAuthentication"},
    {RASCS_CallbackComplete, "CallbackComplete", "CallbackComplete"},
    {RASCS_LogonNetwork, "LogonNetwork", "LogonNetwork"},
    {RASCS_SubEntryConnected, "SubEntryConnected", "SubEntryConnected"},
    {RASCS_SubEntryDisconnected, "SubEntryDisconnected", "SubEntryDisconnected"},
    {RASCS_Interactive, "Interactive", "Interactive"},
    {RASCS_RetryAuthentication, "RetryAuthentication", "RetryAuthentication"},
    {RASCS_CallbackSetByCaller, "CallbackSetByCaller", "CallbackSetByCaller"},
    {RASCS_PasswordExpired, "PasswordExpired", "PasswordExpired"},
    {RASCS_Connected, "Connected", "Connected"},
    {RASCS_Disconnected, "Disconnected", "Disconnected"},
};

} // namespace

const DialState* findDialState(std::uint32_t state)
{
    for (const DialState& row : kDialStates) {
        if (row.state == state)
            return &row;
    }
    return nullptr;
}

} // namespace telmaq
