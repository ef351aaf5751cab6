#include "scheduler/RedialText.h"
#include "scheduler/TickFixture.h"

namespace telmaq::test {
namespace {

class RedialWatch : public TickFixture
{
protected:
    void setSystemRedial(std::uint32_t enable, std::uint32_t minutes, std::uint32_t seconds, std::uint32_t tries)
    {
        putNumber("EnableRedial", enable);
        putNumber("RedialWait", minutes << 16 | seconds);
        putNumber("RedialTry", tries);
    }
};

TEST_F(RedialWatch, NewSettingsRenewTheCopyAndTheTextOnce)
{
    setSystemRedial(1, 2, 30, 10);
    tick.OnTimer();

    EXPECT_TRUE(state().m_bRedial);
    EXPECT_EQ(state().m_nRedialWait, 150);
    EXPECT_EQ(state().m_nRedialTry, 10);
    EXPECT_EQ(state().m_strRedialText, "【リダイヤルあり】\n 2分 30秒 / 10回");
    EXPECT_EQ(window.updateDataToControls, 1);

    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(window.updateDataToControls, 1) << "the controls are not touched while nothing changes";
    EXPECT_EQ(registry.writes, 0);
}

TEST_F(RedialWatch, EachValueAloneIsNoticed)
{
    state().m_bRedial = true;
    state().m_nRedialWait = 59;
    state().m_nRedialTry = 3;
    setSystemRedial(1, 0, 59, 3);
    tick.OnTimer();
    EXPECT_EQ(window.updateDataToControls, 0);

    setSystemRedial(1, 0, 59, 4);
    tick.OnTimer();
    EXPECT_EQ(state().m_nRedialTry, 4);
    EXPECT_EQ(state().m_strRedialText, "【リダイヤルあり】\n 0分 59秒 / 4回");

    setSystemRedial(1, 1, 0, 4);
    tick.OnTimer();
    EXPECT_EQ(state().m_nRedialWait, 60);

    setSystemRedial(0, 1, 0, 4);
    tick.OnTimer();
    EXPECT_FALSE(state().m_bRedial);
    EXPECT_EQ(state().m_strRedialText, "【リダイヤルなし】");
    EXPECT_EQ(window.updateDataToControls, 3);
}

TEST(RedialText, ShowsMinutesSecondsAndTries)
{
    EXPECT_EQ(FormatRedialText(true, 0, 0), "【リダイヤルあり】\n 0分 0秒 / 0回");
    // The widest numbers still come out whole, never cut inside a character.
    EXPECT_EQ(FormatRedialText(true, INT32_MAX, INT32_MIN), "【リダイヤルあり】\n 35791394分 7秒 / -2147483648回");
    EXPECT_EQ(FormatRedialText(false, 150, 10), "【リダイヤルなし】");
}

} // namespace
} // namespace telmaq::test
