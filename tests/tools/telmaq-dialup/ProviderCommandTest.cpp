#include "platform/registry/SqliteHive.h"

#include "DialupToolRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace telmaq {
namespace {

// Sets an environment variable for one test's children, and takes it away after.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) { ::setenv(name, value, 1); }
    ~ScopedVariable() { ::unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
};

std::string storedProvider(const std::string& hivePath)
{
    SqliteHive hive(hivePath);
    HKEY key = 0;
    if (hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    char text[64] = {};
    std::uint32_t type = 0, size = sizeof text;
    const long rc = hive.queryValue(key, "Provider", &type, reinterpret_cast<std::uint8_t*>(text), &size);
    hive.closeKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(text) : "(no value)";
}

using ProviderCommandTest = test::DialupToolTest;

TEST_F(ProviderCommandTest, ShowsAndSetsTheProviderInTheHive)
{
    ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    EXPECT_EQ(tool({"provider"}).out, "simulator\n");
    EXPECT_EQ(tool({"provider", "NetworkManager"}).status, 0);
    EXPECT_EQ(storedProvider(env.hivePath()), "networkmanager");
    EXPECT_EQ(tool({"provider"}).out, "networkmanager\n");
    EXPECT_EQ(tool({"provider", "simulator"}).status, 0);
    EXPECT_EQ(tool({"provider"}).out, "simulator\n");
}

TEST_F(ProviderCommandTest, RefusesUnknownNamesAndKeepsTheSetting)
{
    ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    ASSERT_EQ(tool({"provider", "networkmanager"}).status, 0);
    const auto unknown = tool({"provider", "wvdial"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown provider 'wvdial'"), std::string::npos);
    EXPECT_EQ(tool({"provider", "simulator", "networkmanager"}).status, 2);
    EXPECT_EQ(storedProvider(env.hivePath()), "networkmanager");
    EXPECT_NE(tool({"provider", "--help"}).out.find("networkmanager"), std::string::npos);
    EXPECT_NE(tool({"--help"}).out.find("provider [NAME]"), std::string::npos);
}

TEST_F(ProviderCommandTest, TheEnvironmentTakesPrecedenceAndSettingSaysSo)
{
    ScopedVariable chosen("TELMAQ_DIALUP_PROVIDER", "simulator");
    const auto set = tool({"provider", "networkmanager"});
    EXPECT_EQ(set.status, 0);
    EXPECT_NE(set.err.find("TELMAQ_DIALUP_PROVIDER"), std::string::npos);
    EXPECT_EQ(storedProvider(env.hivePath()), "networkmanager");
    EXPECT_EQ(tool({"provider"}).out, "simulator\n");
}

} // namespace
} // namespace telmaq
