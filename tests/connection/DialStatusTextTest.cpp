#include "connection/DialStatusText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

namespace telmaq {
namespace {

// Half-width katakana live in U+FF61..U+FF9F, encoded in UTF-8 as EF BD xx / EF BE xx;
// full-width katakana (U+30A0..U+30FF) are E3 82 A0..BF and E3 83 xx.
bool hasFullWidthKatakana(const std::string& s)
{
    for (std::size_t i = 0; i + 2 < s.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        const auto b1 = static_cast<unsigned char>(s[i + 1]);
        const auto b2 = static_cast<unsigned char>(s[i + 2]);
        if (b0 == 0xE3 && ((b1 == 0x82 && b2 >= 0xA0) || b1 == 0x83))
            return true;
    }
    return false;
}

const std::map<std::uint32_t, std::string>& knownStates()
{
    static const std::map<std::uint32_t, std::string> table = {
        {0, "通信ポートをオープン中 . . ."},
        {1, "通信ポートをオープンしました"},
        {2, "ダイヤル中 . . ."},
        {3, "接続しました"},
        {4, "全接続が完了しました"},
        {5, "\xEF\xBE\x95\xEF\xBD\xB0\xEF\xBD\xBB\xEF\xBE\x9E\xEF\xBD\xB0名と"
            "\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD\xEF\xBE\x9C\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E"
            "を確認中 . . ."},
        {6, "AuthNotify"},
        {7, "AuthRetry"},
        {8, "AuthCallback"},
        {9, "AuthChangePassword"},
        {10, "AuthProject"},
        {11, "AuthLinkSpeed"},
        {12, "AuthAck"},
        {13, "ReAuthenticate"},
        {14, "\xEF\xBE\x95\xEF\xBD\xB0\xEF\xBD\xBB\xEF\xBE\x9E\xEF\xBD\xB0名と"
             "\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD\xEF\xBE\x9C\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E"
             "が確認されました"},
        {15, "PrepareForCallback"},
        {16, "WaitForModemReset"},
        {17, "WaitForCallback"},
        {18, "Projected"},
        {19, "StartAuthentication"},
        {20, "CallbackComplete"},
        {21, "LogonNetwork"},
        {22, "SubEntryConnected"},
        {23, "SubEntryDisconnected"},
        {0x1000, "Interactive"},
        {0x1001, "RetryAuthentication"},
        {0x1002, "CallbackSetByCaller"},
        {0x1003, "PasswordExpired"},
        {0x2000, "Connected"},
        {0x2001, "Disconnected"},
    };
    return table;
}

TEST(DialStatusText, EveryKnownStateShowsItsOwnTextByteForByte)
{
    for (const auto& [state, text] : knownStates())
        EXPECT_EQ(dialStatusText(state), text) << "state " << state;
    // The two port states are easy to mix up; they must read differently.
    EXPECT_NE(std::string(dialStatusText(0)), dialStatusText(1));
}

TEST(DialStatusText, AuthenticationTextsUseHalfWidthKatakana)
{
    EXPECT_FALSE(hasFullWidthKatakana(dialStatusText(5)));
    EXPECT_FALSE(hasFullWidthKatakana(dialStatusText(14)));
    // The other Japanese texts are full-width on purpose.
    EXPECT_TRUE(hasFullWidthKatakana(dialStatusText(0)));
}

TEST(DialStatusText, UnlistedStatesShowUnknownStatus)
{
    for (std::uint32_t state : {24u, 0x0FFFu, 0x1004u, 0x1FFFu, 0x2002u, 0xFFFFFFFFu})
        EXPECT_STREQ(dialStatusText(state), "UnknownStatus") << "state " << state;
}

TEST(DialStatusText, OnlyConnectedAndDisconnectedEndTheWait)
{
    for (const auto& entry : knownStates()) {
        const bool ends = entry.first == 0x2000 || entry.first == 0x2001;
        EXPECT_EQ(dialStatusEndsWait(entry.first), ends) << "state " << entry.first;
    }
    for (std::uint32_t state : {24u, 0x1004u, 0x2002u, 0xFFFFFFFFu})
        EXPECT_FALSE(dialStatusEndsWait(state)) << "state " << state;
}

} // namespace
} // namespace telmaq
