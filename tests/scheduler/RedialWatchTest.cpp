#include "scheduler/RedialText.h"
#include "scheduler/TickFixture.h"

namespace telmaq::test {
namespace {

using RedialWatch = TickFixture;

TEST_F(RedialWatch, EachChangedValueRenewsTheCopyAndTheTextOnce)
{
    struct Case
    {
        std::uint32_t enable, wait, tries;
        const char* text;
    };
    // Wait is stored as minutes in the high word and seconds in the low one.
    const Case cases[] = {{1, 2 << 16 | 30, 10, "【リダイヤルあり】\n 2分 30秒 / 10回"},
                          {1, 2 << 16 | 30, 11, "【リダイヤルあり】\n 2分 30秒 / 11回"},
                          {1, 0 << 16 | 59, 11, "【リダイヤルあり】\n 0分 59秒 / 11回"},
                          {0, 0 << 16 | 59, 11, "【リダイヤルなし】"}};
    long updates = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        putNumber("EnableRedial", c.enable);
        putNumber("RedialWait", c.wait);
        putNumber("RedialTry", c.tries);
        tick.OnTimer();
        tick.OnTimer();
        EXPECT_EQ(state().m_bRedial, c.enable != 0);
        EXPECT_EQ(state().m_nRedialWait, static_cast<int>((c.wait >> 16) * 60 + (c.wait & 0xffff)));
        EXPECT_EQ(state().m_nRedialTry, static_cast<int>(c.tries));
        EXPECT_EQ(state().m_strRedialText, c.text);
        EXPECT_EQ(window.updateDataToControls(), ++updates) << "the controls are touched once per change";
    }
    EXPECT_EQ(registry.writes, 0);
}

TEST(RedialText, WidestNumbersComeOutWhole)
{
    EXPECT_EQ(FormatRedialText(true, INT32_MAX, INT32_MIN), "【リダイヤルあり】\n 35791394分 7秒 / -2147483648回");
}

} // namespace
} // namespace telmaq::test
