#include "platform/system/EchoedText.h"

#include <gtest/gtest.h>

#include <string>

namespace telmaq {
namespace {

// A name echoed in a message must not steer the terminal that shows it.
TEST(EchoedText, QuotesTextAndEscapesControlsAndBytesThatAreNotUtf8)
{
    EXPECT_EQ(echoed("接続 a\tb\n\x1b[0m\xff"), "'接続 a\\tb\\n\\x1B[0m\\xFF'");
}

TEST(EchoedText, CutsALongTextAndSaysHowLongItWas)
{
    EXPECT_EQ(echoed(std::string(10, 'x'), 4), "'xxxx'... (10 bytes)");
    EXPECT_EQ(echoed("xxxx", 4), "'xxxx'");
}

} // namespace
} // namespace telmaq
