#include "connection/DialStatusText.h"
#include "connection/DialogPlacement.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <tuple>

namespace telmaq {
namespace {

TEST(DialStatusText, EachStateHasItsTextAndOnlyTheEndStatesEndTheWait)
{
    // "ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞ" in half-width katakana, spelled out so that no editor widens them.
    const std::string user = "\xEF\xBE\x95\xEF\xBD\xB0\xEF\xBD\xBB\xEF\xBE\x9E\xEF\xBD\xB0名と"
                             "\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD\xEF\xBE\x9C\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E";
    // Runs of consecutive states from the first one, with the unknown states around them.
    const std::map<std::uint32_t, std::string> runs = {
        {0, "通信ポートをオープン中 . . .|通信ポートをオープンしました|ダイヤル中 . . .|"
            "接続しました|全接続が完了しました|" +
                user + "を確認中 . . .|AuthNotify|AuthRetry|AuthCallback|AuthChangePassword|AuthProject|" +
                "AuthLinkSpeed|AuthAck|ReAuthenticate|" + user + "が確認されました|PrepareForCallback|" +
                "WaitForModemReset|WaitForCallback|Projected|StartAuthentication|CallbackComplete|" +
                "LogonNetwork|SubEntryConnected|SubEntryDisconnected|?"},
        {0x0FFF, "?|Interactive|RetryAuthentication|CallbackSetByCaller|PasswordExpired|?"},
        {0x1FFF, "?|Connected|Disconnected|?"},
        {0xFFFFFFFF, "?"}};
    for (const auto& [first, run] : runs) {
        std::istringstream texts(run);
        std::uint32_t state = first;
        for (std::string text; std::getline(texts, text, '|'); ++state) {
            EXPECT_EQ(dialStatusText(state), text == "?" ? "UnknownStatus" : text) << state;
            EXPECT_EQ(dialStatusEndsWait(state), state == 0x2000 || state == 0x2001) << state;
        }
    }
}

TEST(DialogPlacementTest, CentresOnTheClientAreaAndKeepsOnScreen)
{
    // The dialog's size, whether the main window is iconic, its client area, and where the
    // dialog goes on a screen of 1920 by 1080.
    // clang-format off
    const std::tuple<int, int, bool, ScreenRect, int, int> cases[] = {
        {200, 80, false, {100, 100, 500, 400}, 200, 210},
        // Each half truncated on its own: 150 - 50, not (300 - 101) / 2 = 99.
        {101, 81, false, {10, 20, 310, 320}, 110, 130},
        {300, 80, false, {-600, -400, -200, -100}, 0, 0},
        {300, 80, false, {1700, 900, 2100, 1100}, 1620, 960},
        // The clamp to 0 comes first, so a dialog larger than the screen ends up off its left.
        {2000, 1200, false, {0, 0, 400, 300}, -80, -120},
        {300, 80, true, {1700, 900, 2100, 1100}, 810, 500},
        {2001, 1201, true, {0, 0, 10, 10}, -40, -60},
    };
    // clang-format on
    for (const auto& [width, height, iconic, client, x, y] : cases) {
        const ScreenPoint at = connectingDialogPosition({0, 0, width, height}, iconic, client, 1920, 1080);
        EXPECT_EQ(std::make_pair(at.x, at.y), std::make_pair(x, y)) << client.left << " " << iconic;
    }
}

} // namespace
} // namespace telmaq
