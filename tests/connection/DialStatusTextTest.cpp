#include "connection/DialStatusText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>

namespace telmaq {
namespace {

TEST(DialStatusText, EveryStateShowsItsOwnTextAndOnlyTheEndStatesEndTheWait)
{
    // "ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞ" in half-width katakana, spelled out so that no editor widens them.
    const std::string user = "\xEF\xBE\x95\xEF\xBD\xB0\xEF\xBD\xBB\xEF\xBE\x9E\xEF\xBD\xB0名と"
                             "\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD\xEF\xBE\x9C\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E";
    // The texts of the states 0 to 23, then of 0x1000 to 0x1003, then of 0x2000 and 0x2001.
    std::istringstream texts("通信ポートをオープン中 . . .|通信ポートをオープンしました|ダイヤル中 . . .|接続しました|"
                             "全接続が完了しました|" +
                             user +
                             "を確認中 . . .|AuthNotify|AuthRetry|AuthCallback|AuthChangePassword|"
                             "AuthProject|AuthLinkSpeed|AuthAck|ReAuthenticate|" +
                             user +
                             "が確認されました|PrepareForCallback|WaitForModemReset|WaitForCallback|"
                             "Projected|StartAuthentication|CallbackComplete|LogonNetwork|SubEntryConnected|"
                             "SubEntryDisconnected|Interactive|RetryAuthentication|CallbackSetByCaller|"
                             "PasswordExpired|Connected|Disconnected");
    std::map<std::uint32_t, std::string> known;
    std::uint32_t next = 0;
    for (std::string text; std::getline(texts, text, '|');) {
        known[next] = text;
        next = next == 23 ? 0x1000 : next == 0x1003 ? 0x2000 : next + 1;
    }
    ASSERT_EQ(known.size(), 30u);
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
