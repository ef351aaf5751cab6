// The message recorder the end-to-end tests read: one line per box, appended, the box still
// shown.
#include "app/MessageLog.h"
#include "fakes/MessageBoxRecorder.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace telmaq::test {
namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(MessageLog, EveryBoxIsWrittenDownAndStillShown)
{
    TempEnvironment env;
    const std::string path = (env.dir() / "messages.log").string();
    MessageBoxRecorder shown;
    LoggingMessageBox logged(shown, path);

    logged.messageBox(nullptr, "ダイヤルアップネットワークの設定がありません", "telmaq", 0x30);
    logged.messageBox(nullptr, "two\nlines\twith a tab and a \\", "telmaq - 警告", 0x40);

    EXPECT_EQ(readAll(path), "telmaq\t48\tダイヤルアップネットワークの設定がありません\n"
                             "telmaq - 警告\t64\ttwo\\nlines\\twith a tab and a \\\\\n");
    ASSERT_EQ(shown.shown.size(), 2u);
    EXPECT_EQ(shown.shown[1].text, "two\nlines\twith a tab and a \\");
}

TEST(MessageLog, AnUnwritableLogStillShowsTheBox)
{
    MessageBoxRecorder shown;
    LoggingMessageBox logged(shown, "/nonexistent-folder/messages.log");
    logged.messageBox(nullptr, "text", "telmaq", 0x30);
    EXPECT_EQ(shown.texts(), std::vector<std::string>{"text"});
}

} // namespace
} // namespace telmaq::test
