#include "platform/system/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace telmaq {
namespace {

// The edges of UTF-8: the shortest and longest of each length, and the forms that are not it.
TEST(Utf8, AcceptsWellFormedSequencesOnly)
{
    for (const auto& [text, utf8] : {std::pair<std::string, bool>{"", true},
                                     {"a\x7f", true},
                                     {"\xc2\x80\xdf\xbf", true},
                                     {"\xe0\xa0\x80\xed\x9f\xbf\xef\xbf\xbf", true},
                                     {"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", true},
                                     {"\x80", false},
                                     {"\xc1\xbf", false},         // overlong
                                     {"\xe0\x9f\xbf", false},     // overlong
                                     {"\xed\xa0\x80", false},     // a surrogate
                                     {"\xf0\x8f\xbf\xbf", false}, // overlong
                                     {"\xf4\x90\x80\x80", false}, // past U+10FFFF
                                     {"\xe6\x8e", false},         // cut short
                                     {"\xe6\x8e\x41", false},
                                     {"\xf5\x80\x80\x80", false}})
        EXPECT_EQ(isUtf8(text), utf8) << testing::PrintToString(text);
}

} // namespace
} // namespace telmaq
