#include "DialupToolRun.h"

namespace telmaq {
namespace {

using test::DialupToolTest;

TEST_F(DialupToolTest, DialledLineOutlivesTheToolAndIsHungUpByAnotherRun)
{
    ASSERT_EQ(tool({"add", "速い回線", "--user", "u", "--password", "p", "--step-ms", "0"}).status, 0);
    ASSERT_EQ(tool({"add", "同じモデム", "--user", "u", "--password", "p", "--step-ms", "0"}).status, 0);
    const auto dial = tool({"dial", "速い回線"});
    ASSERT_EQ(dial.status, 0) << dial.err;
    EXPECT_EQ(dial.out, "OpenPort\nPortOpened\nConnectDevice\nDeviceConnected\nAllDevicesConnected\nAuthenticate\n"
                        "Authenticated\nConnected\n");

    const auto listed = tool({"connections"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out.rfind("速い回線\t", 0), 0u) << listed.out;

    const auto inUse = tool({"dial", "同じモデム"});
    EXPECT_EQ(inUse.status, 1);
    EXPECT_NE(inUse.err.find("602"), std::string::npos) << inUse.err;

    EXPECT_EQ(tool({"hangup", "同じモデム"}).status, 1);
    EXPECT_EQ(tool({"hangup", "速い回線"}).status, 0);
    EXPECT_EQ(tool({"connections"}).out, "");

    ASSERT_EQ(tool({"add", "別のモデム", "--device", "m2", "--step-ms", "0"}).status, 0);
    ASSERT_EQ(tool({"dial", "速い回線"}).status, 0);
    ASSERT_EQ(tool({"dial", "別のモデム"}).status, 0);
    EXPECT_NE(tool({"connections"}).out.find("\n別のモデム\tm2\t"), std::string::npos);
    EXPECT_EQ(tool({"hangup", "--all"}).status, 0);
    EXPECT_EQ(tool({"connections"}).out, "");
}

TEST_F(DialupToolTest, FailedDialPrintsItsCodeAndTextAndHoldsNoLine)
{
    struct Case
    {
        const char* line;
        const char* code;
        const char* lastState;
    };
    for (const Case& c : {Case{"busy", "676", "ConnectDevice\n"}, Case{"no-modem", "630", "OpenPort\n"},
                          Case{"auth-fail", "691", "Authenticate\n"}}) {
        ASSERT_EQ(tool({"add", c.line, "--user", "u", "--password", "p", "--line", c.line, "--step-ms", "0"}).status,
                  0);
        const auto run = tool({"dial", c.line});
        EXPECT_EQ(run.status, 1) << c.line;
        EXPECT_NE(run.err.find(std::string("error ") + c.code + ": "), std::string::npos) << run.err;
        const std::size_t tail = std::string(c.lastState).size();
        ASSERT_GE(run.out.size(), tail);
        EXPECT_EQ(run.out.substr(run.out.size() - tail), c.lastState) << c.line;
        EXPECT_EQ(tool({"connections"}).out, "") << c.line;
    }
    const auto missing = tool({"dial", "nowhere"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("623"), std::string::npos);
}

} // namespace
} // namespace telmaq
