#include "connection/DialStatusText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

namespace telmaq {
namespace {

TEST(DialStatusText, EveryStateShowsItsOwnTextAndOnlyTheEndStatesEndTheWait)
{
    // "ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞ" in half-width katakana, spelled out so that no editor widens them.
    const std::string user = "\xEF\xBE\x95\xEF\xBD\xB0\xEF\xBD\xBB\xEF\xBE\x9E\xEF\xBD\xB0名と"
                             "\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD\xEF\xBE\x9C\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E";
    const std::map<std::uint32_t, std::string> known = {
        {0, "通信ポートをオープン中 . . ."}, {1, "通信ポートをオープンしました"}, {2, "ダイヤル中 . . ."},
        {3, "接続しました"}, {4, "全接続が完了しました"}, {5, user + "を確認中 . . ."},
        {6, "AuthNotify"}, {7, "AuthRetry"}, {8, "AuthCallback"}, {9, "AuthChangePassword"},
        {10, "AuthProject"}, {11, "AuthLinkSpeed"}, {12, "AuthAck"}, {13, "ReAuthenticate"},
        {14, user + "が確認されました"}, {15, "PrepareForCallback"},
        {16, "WaitForModemReset"}, {17, "WaitForCallback"}, {18, "Projected"}, {19, "StartAuthentication"},
        {20, "CallbackComplete"}, {21, "LogonNetwork"}, {22, "SubEntryConnected"},
        {23, "SubEntryDisconnected"}, {0x1000, "Interactive"}, {0x1001, "RetryAuthentication"},
        {0x1002, "CallbackSetByCaller"}, {0x1003, "PasswordExpired"}, {0x2000, "Connected"},
        {0x2001, "Disconnected"}};
    for (const auto& [state, text] : known) {
        EXPECT_EQ(dialStatusText(state), text) << "state " << state;
        EXPECT_EQ(dialStatusEndsWait(state), state == 0x2000 || state == 0x2001) << "state " << state;
    }
    for (std::uint32_t state : {24u, 0x0FFFu, 0x1004u, 0x1FFFu, 0x2002u, 0xFFFFFFFFu}) {
        EXPECT_STREQ(dialStatusText(state), "UnknownStatus") << "state " << state;
        EXPECT_FALSE(dialStatusEndsWait(state)) << "state " << state;
    }
}

} // namespace
} // namespace telmaq
