// The opener Help uses on Windows: the shell opens the help file, which keeps the ".HLP" of
// Windows Help, as an HTML page (the class ".html") with whatever program the user has for
// those, and a failure reaches the caller from the event loop. The prefix's class ".html" is
// pointed at the peer program for the test and put back afterwards.
#include "Win32TestSupport.h"
#include "fakes/MessageBoxRecorder.h"
#include "ui/framework/DesktopOpener.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/EventPump.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace telmaq::test {
namespace {

namespace fs = std::filesystem;

const DialogTemplate kOwnerTemplate{1, "owner", 100, 40, "ＭＳ Ｐゴシック", 9, WS_POPUP | WS_CAPTION, 0, {}};

int reg(const std::string& arguments)
{
    return runAndWait("reg " + arguments);
}

// HKEY_CLASSES_ROOT\.html as the test wants it; the prefix's own association comes back after.
class HtmlClass
{
public:
    explicit HtmlClass(const fs::path& folder) : m_saved(folder / "html-class.reg")
    {
        m_had = reg("export HKCR\\.html \"" + m_saved.string() + "\" /y") == 0;
    }
    ~HtmlClass()
    {
        reg("delete HKCR\\.html /f");
        reg("delete HKCR\\TelmaqTestPage /f");
        if (m_had)
            reg("import \"" + m_saved.string() + "\"");
    }
    // Pages open with this command line ("%1" the file); an empty one leaves no program for them.
    bool openWith(const std::string& command)
    {
        if (command.empty())
            return reg("query HKCR\\.html") != 0 || reg("delete HKCR\\.html /f") == 0;
        return reg("add HKCR\\.html /ve /d TelmaqTestPage /f") == 0 &&
               reg("add HKCR\\TelmaqTestPage\\shell\\open\\command /ve /d \"" + command + "\" /f") == 0;
    }

private:
    fs::path m_saved;
    bool m_had = false;
};

class DesktopOpener : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 ("telmaq-opener-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(folder);
        html = std::make_unique<HtmlClass>(folder);
        // A name beyond ASCII, as a user's folder may have.
        page = folder / fs::u8path("ヘルプ.HLP");
        std::ofstream(page, std::ios::binary) << "<html></html>";
    }
    void TearDown() override
    {
        html.reset();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    // Runs the event loop until done() holds or the time is up.
    template <typename Done> bool pumpUntil(Done done, std::chrono::milliseconds most = std::chrono::seconds(10))
    {
        const auto deadline = std::chrono::steady_clock::now() + most;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            pump.waitAndPump(50);
        }
        return done();
    }

    fs::path folder, page;
    std::unique_ptr<HtmlClass> html;
    EventPump pump;
    MessageBoxRecorder boxes;
};

TEST_F(DesktopOpener, OpensTheHelpFileWithTheProgramForHtmlPages)
{
    const fs::path record = folder / "opened.txt";
    const std::string peer = testProgramFolder() + "\\telmaq_win32_peer.exe";
    ASSERT_TRUE(html->openWith("\\\"" + peer + "\\\" record \\\"" + record.string() + "\\\" \\\"%1\\\""));
    Dialog owner(kOwnerTemplate, boxes);
    owner.Create();
    int failures = 0;
    openWithDesktop(owner, page.u8string(), [&] { ++failures; });
    ASSERT_TRUE(pumpUntil([&] { return fs::exists(record) && fs::file_size(record) > 0; }));
    std::ifstream in(record, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), page.u8string());
    pump.waitAndPump(100);
    EXPECT_EQ(failures, 0);
}

TEST_F(DesktopOpener, TellsOfAFailureFromTheEventLoopAndNotOnceItsOwnerIsGone)
{
    ASSERT_TRUE(html->openWith(""));
    for (const bool ownerStays : {true, false}) {
        auto owner = std::make_unique<Dialog>(kOwnerTemplate, boxes);
        owner->Create();
        int failures = 0;
        openWithDesktop(*owner, page.u8string(), [&] { ++failures; });
        EXPECT_EQ(failures, 0) << "told before the event loop ran";
        if (!ownerStays)
            owner.reset();
        pumpUntil([&] { return failures > 0; }, std::chrono::seconds(ownerStays ? 10 : 1));
        EXPECT_EQ(failures, ownerStays ? 1 : 0) << (ownerStays ? "owner stays" : "owner gone");
    }
}

} // namespace
} // namespace telmaq::test
