#include "connection/DialogPlacement.h"

#include <gtest/gtest.h>

namespace telmaq {
namespace {

struct PlacementCase
{
    const char* what;
    ScreenRect dialog;
    bool iconic;
    ScreenRect client;
    int expectedX;
    int expectedY;
};

TEST(DialogPlacementTest, CentresOnTheClientAreaAndKeepsOnScreen)
{
    const int sw = 1920;
    const int sh = 1080;
    const PlacementCase cases[] = {
        {"centred on the client area", {0, 0, 200, 80}, false, {100, 100, 500, 400}, 200, 210},
        // 150 - 50 and 150 - 40: each half on its own, not (300 - 101) / 2 = 99.
        {"halves truncated each on its own", {0, 0, 101, 81}, false, {10, 20, 310, 320}, 110, 130},
        {"left of the screen", {0, 0, 300, 80}, false, {-600, -400, -200, -100}, 0, 0},
        {"near the right edge", {0, 0, 300, 80}, false, {1700, 900, 2100, 1100}, 1620, 960},
        // The clamp to 0 comes first, so a dialog larger than the screen ends up off its left.
        {"larger than the screen", {0, 0, 2000, 1200}, false, {0, 0, 400, 300}, -80, -120},
        {"minimised: centred on the screen", {0, 0, 300, 80}, true, {1700, 900, 2100, 1100}, 810, 500},
        {"minimised, larger than the screen: no clamp", {0, 0, 2001, 1201}, true, {0, 0, 10, 10}, -40, -60},
    };
    for (const PlacementCase& c : cases) {
        const ScreenPoint at = connectingDialogPosition(c.dialog, c.iconic, c.client, sw, sh);
        EXPECT_EQ(at.x, c.expectedX) << c.what;
        EXPECT_EQ(at.y, c.expectedY) << c.what;
    }
}

} // namespace
} // namespace telmaq
