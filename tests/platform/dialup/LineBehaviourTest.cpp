#include "platform/dialup/LineBehaviour.h"

#include <gtest/gtest.h>

namespace telmaq {
namespace {

TEST(LineBehaviour, TextFormsReadBackAsWrittenAndNonsenseIsRefused)
{
    for (const char* text : {"connect", "busy", "busy:0", "busy:3", "no-answer", "no-dialtone", "no-modem", "auth-fail",
                             "drop:0", "drop:5", "drop:0.25", "drop:1.5", "drop:1.005"}) {
        const auto line = LineBehaviour::parse(text);
        EXPECT_EQ(line ? line->text() : "refused", text);
    }
    EXPECT_EQ(LineBehaviour::parse("drop:2.5")->dropAfterMs, 2500u);
    for (const char* text : {"", "Connect", "busy:", "busy:-1", "busy: 2", "busy:x", "busy:1234567890", "drop:",
                             "drop:-1", "drop:1e3", "drop:.5", "drop:1.2.3", "drop:100000", "hang"})
        EXPECT_FALSE(LineBehaviour::parse(text).has_value()) << text;
}

TEST(LineBehaviour, BusyCountsTheDialsOfTheEntryBeforeAnyoneChecksThePassword)
{
    const LineBehaviour twice = *LineBehaviour::parse("busy:2");
    for (const bool wrongPassword : {false, true}) {
        for (std::uint64_t dial : {1, 2, 3})
            EXPECT_EQ(dialSteps(twice, dial, wrongPassword).back().error,
                      dial < 3 ? ERROR_LINE_BUSY : wrongPassword ? ERROR_AUTHENTICATION_FAILURE : 0u);
    }
    EXPECT_EQ(dialSteps(twice, 3, false).back().state, RASCS_Connected);
}

} // namespace
} // namespace telmaq
