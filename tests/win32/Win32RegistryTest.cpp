#include "platform/win32/Win32Registry.h"

#include "dialup/SystemDialupSettings.h"

#include <gtest/gtest.h>

#include <process.h>
#include <string>

namespace telmaq {
namespace {

std::uint32_t sizeOf(const std::string& text)
{
    return static_cast<std::uint32_t>(text.size() + 1);
}

const std::uint8_t* bytesOf(const std::string& text)
{
    return reinterpret_cast<const std::uint8_t*>(text.c_str());
}

// A key of this test's own below HKEY_CURRENT_USER of the build's Wine prefix, gone afterwards.
class Win32RegistryTest : public ::testing::Test
{
protected:
    ~Win32RegistryTest() override { registry.deleteKey(HKEY_CURRENT_USER, root.c_str()); }

    Win32Registry registry;
    const std::string root = "Software\\telmaq-tests\\" + std::to_string(_getpid());
};

TEST_F(Win32RegistryTest, KeysValuesAndCodesAreTheRegistrysOwn)
{
    HKEY key = 0, readOnly = 0;
    EXPECT_EQ(registry.openKey(HKEY_CURRENT_USER, (root + "\\Settings").c_str(), KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(registry.createKey(HKEY_CURRENT_USER, (root + "\\Settings").c_str(), KEY_READ | KEY_WRITE, &key),
              ERROR_SUCCESS);
    EXPECT_NE(key, 0u);
    EXPECT_NE(key, HKEY_CURRENT_USER);

    const std::string profile = "会社";
    const std::uint32_t wait = 0x0017001E;
    EXPECT_EQ(registry.setValue(key, "InternetProfile", REG_SZ, bytesOf(profile), sizeOf(profile)), ERROR_SUCCESS);
    EXPECT_EQ(registry.setValue(key, "RedialWait", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&wait), 4),
              ERROR_SUCCESS);

    std::uint32_t type = 0, size = 4;
    char small[4] = {};
    EXPECT_EQ(registry.queryValue(key, "internetprofile", &type, reinterpret_cast<std::uint8_t*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(std::make_pair(type, size), std::make_pair(REG_SZ, sizeOf(profile)));
    char text[32] = {};
    size = sizeof text;
    ASSERT_EQ(registry.queryValue(key, "InternetProfile", nullptr, reinterpret_cast<std::uint8_t*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(text), profile) << "the UTF-8 active code page keeps the bytes";
    std::uint32_t number = 0;
    size = 4;
    EXPECT_EQ(registry.queryValue(key, "RedialWait", &type, reinterpret_cast<std::uint8_t*>(&number), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::make_pair(type, number), std::make_pair(REG_DWORD, wait));

    ASSERT_EQ(registry.openKey(HKEY_CURRENT_USER, (root + "\\Settings").c_str(), KEY_READ, &readOnly), ERROR_SUCCESS);
    EXPECT_NE(readOnly, key);
    EXPECT_EQ(registry.setValue(readOnly, "X", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&wait), 4),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.deleteValue(key, "RedialWait"), ERROR_SUCCESS);
    EXPECT_EQ(registry.queryValue(readOnly, "RedialWait", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(registry.closeKey(readOnly), ERROR_SUCCESS);
    EXPECT_EQ(registry.closeKey(readOnly), ERROR_INVALID_HANDLE);
    // Nor does the closed key reach the key that the system's next handle, maybe of the same
    // number, stands for.
    HKEY other = 0;
    ASSERT_EQ(registry.openKey(HKEY_CURRENT_USER, (root + "\\Settings").c_str(), KEY_READ, &other), ERROR_SUCCESS);
    EXPECT_EQ(registry.queryValue(readOnly, "InternetProfile", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.closeKey(other), ERROR_SUCCESS);
    EXPECT_EQ(registry.openKey(0x1234, "Settings", KEY_READ, &readOnly), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.closeKey(HKEY_CURRENT_USER), ERROR_SUCCESS);

    EXPECT_EQ(registry.deleteKey(HKEY_CURRENT_USER, ""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(registry.deleteKey(HKEY_CURRENT_USER, root.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(registry.openKey(HKEY_CURRENT_USER, (root + "\\Settings").c_str(), KEY_READ, &readOnly),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.closeKey(key), ERROR_SUCCESS);
}

// The system's own dial-up settings live where the dialup layer reads them.
TEST_F(Win32RegistryTest, TheSystemsDialupSettingsAreReadFromRemoteAccess)
{
    HKEY key = 0;
    ASSERT_EQ(registry.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const std::string entry = "会社";
    const std::uint32_t tries = 7, enable = 1;
    registry.setValue(key, "InternetProfile", REG_SZ, bytesOf(entry), sizeOf(entry));
    registry.setValue(key, "RedialTry", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&tries), 4);
    registry.setValue(key, "EnableRedial", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&enable), 4);
    SystemDialupSettings settings(registry);
    EXPECT_STREQ(settings.ReadInternetProfile(), "会社");
    EXPECT_EQ(settings.ReadRedialTry(), 7);
    EXPECT_TRUE(settings.ReadEnableRedial());
    EXPECT_EQ(settings.WriteInternetProfile("Home"), 1);
    EXPECT_STREQ(settings.ReadInternetProfile(), "Home");
    registry.closeKey(key);
    registry.deleteKey(HKEY_CURRENT_USER, "RemoteAccess");
}

} // namespace
} // namespace telmaq
