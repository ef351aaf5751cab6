#include "platform/dialup/LineBehaviour.h"

#include <gtest/gtest.h>

namespace telmaq {
namespace {

TEST(LineBehaviour, TextFormsReadBackAsWritten)
{
    for (const char* text : {"connect", "busy", "busy:0", "busy:3", "no-answer", "no-dialtone", "no-modem", "auth-fail",
                             "drop:0", "drop:5", "drop:0.25", "drop:1.5", "drop:1.005"}) {
        const auto line = LineBehaviour::parse(text);
        ASSERT_TRUE(line.has_value()) << text;
        EXPECT_EQ(line->text(), text);
    }
    EXPECT_EQ(LineBehaviour::parse("drop:2.5")->dropAfterMs, 2500u);
    EXPECT_EQ(*LineBehaviour::parse("busy:3")->busyDials, 3u);
}

TEST(LineBehaviour, NonsenseIsRefused)
{
    for (const char* text : {"", "Connect", "busy:", "busy:-1", "busy: 2", "busy:x", "busy:1234567890",
                             "drop:", "drop:-1", "drop:1e3", "drop:.5", "drop:1.2.3", "drop:100000", "hang"})
        EXPECT_FALSE(LineBehaviour::parse(text).has_value()) << text;
}

TEST(LineBehaviour, BusyCountsTheDialsOfTheEntry)
{
    const LineBehaviour twice = *LineBehaviour::parse("busy:2");
    EXPECT_EQ(dialSteps(twice, 1, false).back().error, ERROR_LINE_BUSY);
    EXPECT_EQ(dialSteps(twice, 2, false).back().error, ERROR_LINE_BUSY);
    EXPECT_EQ(dialSteps(twice, 3, false).back().state, RASCS_Connected);
    EXPECT_EQ(dialSteps(twice, 3, false).back().error, 0u);
    // A busy line fails before anyone checks the password.
    EXPECT_EQ(dialSteps(twice, 1, true).back().error, ERROR_LINE_BUSY);
    EXPECT_EQ(dialSteps(twice, 3, true).back().error, ERROR_AUTHENTICATION_FAILURE);
}

} // namespace
} // namespace telmaq
