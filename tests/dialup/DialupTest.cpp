// The wrappers of the dial-up service (the two lists, a dial's session and the error texts) and
// the system's dial-up settings.
#include "dialup/DialSession.h"
#include "dialup/DialupLists.h"
#include "dialup/HiveValues.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/CountingRegistry.h"
#include "fakes/FakeDialupService.h"
#include "support/TestHive.h"

#include <cstring>
#include <new>

namespace telmaq::test {
namespace {

constexpr std::uint32_t kEntry = sizeof(RASENTRYNAMEA);

class DialupListsTest : public ::testing::Test
{
protected:
    FakeDialupService service;
    DialupLists lists{service};
};

TEST_F(DialupListsTest, EntriesFillTheFirstBufferOrOneGrownToWhatTheServiceAsks)
{
    const std::string longest(RAS_MaxEntryName, 'x');
    for (const char* more : {"", "自宅", "実家"}) {
        service.addEntry(*more ? more : longest);
        EXPECT_EQ(lists.EnumEntries(), 0u);
    }
    EXPECT_EQ(service.entriesCapacities(),
              (std::vector<std::uint32_t>{kEntry, kEntry, 2 * kEntry, 2 * kEntry, 3 * kEntry}));
    std::vector<std::string> names;
    for (int i = -1; i <= lists.entryCount(); ++i)
        names.push_back(lists.GetEntryName(i) ? lists.GetEntryName(i) : "-");
    EXPECT_EQ(names, (std::vector<std::string>{"-", longest, "自宅", "実家", "-"}));
}

TEST_F(DialupListsTest, ACountPastTheBufferIsNeverReadAndThereIsNoThirdAttempt)
{
    // The phonebook grows between the two calls: the second 603 is the answer.
    service.addEntries(2);
    service.onEnumEntries([this](int call) {
        if (call == 2)
            service.addEntry("late");
    });
    ASSERT_EQ(lists.EnumEntries(), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(std::tuple(service.enumEntriesCalls(), lists.entryCount(), lists.GetEntryName(2)),
              std::tuple(2, 3, nullptr));
}

// When growing fails the buffer is gone but the count the service reported stays behind; the
// accessors and the hang-up must not read records that no longer exist.
TEST_F(DialupListsTest, HangUpAllHangsUpTheLastListingAndAListWithoutMemoryNothing)
{
    const std::vector<HRASCONN> listed = {service.addConnection("a"), service.addConnection("b")};
    ASSERT_EQ(lists.EnumConnections(), 0u);
    service.addConnection("after the listing");
    lists.HangUpAllConnections();
    EXPECT_EQ(service.hungUp(), listed);
    service.claimConnectionsNeed(0xFFFFFFF0u);
    ASSERT_EQ(lists.EnumConnections(), ERROR_ALLOCATING_MEMORY);
    EXPECT_EQ(std::tuple(lists.connectionCount(), lists.GetConnectionEntryName(0)), std::tuple(1, nullptr));
    lists.HangUpAllConnections();
    EXPECT_EQ(service.hangUpCalls(), 2);
    service.claimConnectionsNeed(0);
    EXPECT_EQ(lists.EnumConnections(), 0u);
    EXPECT_STREQ(lists.GetConnectionEntryName(0), "after the listing");
}

TEST(DialSession, LoadsEmptyFieldsAndTheAnyDomainRefusesANameTooLongAndWipesThePasswordWhenDiscarded)
{
    FakeDialupService service;
    const std::string longest(RAS_MaxEntryName, 'n'), password = "pw-0123456789-zz";
    service.addEntry(longest, {std::string("0312345678"), std::string("taro"), std::nullopt, std::nullopt});
    service.addEntry("isp", {std::nullopt, std::string("u"), password, std::nullopt});
    alignas(DialSession) unsigned char storage[sizeof(DialSession)];
    auto* session = new (storage) DialSession(service);
    bool retrieved = true;
    ASSERT_EQ(session->LoadParams(longest, &retrieved), 0u);
    const RASDIALPARAMSA sent = service.paramsRequests().at(0);
    EXPECT_EQ(std::tuple(sent.dwSize, std::string(sent.szEntryName)), std::tuple(1052u, longest));
    for (const char* field : {sent.szPhoneNumber, sent.szCallbackNumber, sent.szUserName, sent.szPassword})
        EXPECT_STREQ(field, "");
    EXPECT_STREQ(sent.szDomain, "*");
    EXPECT_EQ(std::tuple(retrieved, std::string(session->params().szUserName)), std::tuple(false, "taro"));
    // One byte more cannot be a phonebook entry; cutting it short could dial another one.
    EXPECT_EQ(session->LoadParams(longest + "n", &retrieved), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(service.getParamsCalls(), 1);
    ASSERT_EQ(session->LoadParams("isp", &retrieved), 0u);
    ASSERT_STREQ(session->params().szPassword, password.c_str());
    session->~DialSession();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(storage), sizeof storage).find(password), std::string::npos);
}

TEST(RasErrorText, OwnTextsFirstThenTheServicesInOneSharedBufferThenTheWrongCodeText)
{
    FakeDialupService service;
    service.setErrorString(691, "the service's own words");
    service.setErrorString(623, "エントリが見つかりません");
    // 255 bytes and its zero fill the buffer exactly; one byte more does not fit.
    service.setErrorString(700, std::string(255, 'a'));
    service.setErrorString(701, std::string(256, 'b'));
    RasErrorText texts(service);
    for (auto [code, text] : {std::pair<std::uint32_t, std::string>{602, "通信ポートが使用中です"},
                              {630, "モデムからの応答がありません\nモデムの電源が入っているか確認してください"},
                              {691, "ユーザー名またはパスワードが間違っています"},
                              {700, std::string(255, 'a')},
                              {701, "(エラーコードの間違い)"}})
        EXPECT_EQ(texts.GetRasErrorText(code), text) << code;
    const char* first = texts.GetRasErrorText(623);
    texts.GetRasErrorText(691);
    EXPECT_STREQ(first, "エントリが見つかりません") << "a table text leaves the buffer alone";
    EXPECT_EQ(texts.GetRasErrorText(700), first);
    // A service that fills the whole buffer and leaves out the zero is cut short, not read past.
    struct Unterminated : FakeDialupService
    {
        std::uint32_t getErrorString(std::uint32_t, char* buffer, std::uint32_t size) override
        {
            std::memset(buffer, 'c', size);
            return 0;
        }
    } unterminated;
    RasErrorText cut(unterminated);
    EXPECT_EQ(cut.GetRasErrorText(702), std::string(255, 'c'));
}

class SystemDialupSettingsTest : public ::testing::Test
{
protected:
    std::string profile()
    {
        const char* name = settings.ReadInternetProfile();
        return name ? name : "(none)";
    }

    TestHive hive;
    CountingRegistry counting{hive};
    SystemDialupSettings settings{counting};
};

TEST_F(SystemDialupSettingsTest, NumbersAreFourBytesWhateverTheirTagAndWithoutTheKeyZero)
{
    EXPECT_EQ(std::tuple(settings.ReadEnableRedial(), settings.ReadRedialTry(), settings.ReadRedialWaitSeconds(),
                         profile(), settings.WriteInternetProfile("Provider")),
              std::tuple(false, 0, 0, "(none)", 0));
    EXPECT_TRUE(hive.untouched()) << "reading the system's settings made the hive";
    // The wait holds minutes in the high word and seconds in the low one, both unsigned.
    for (auto [name, type, bytes, read] : {std::tuple{"EnableRedial", REG_DWORD, le32(2), 1},
                                           {"EnableRedial", REG_DWORD, std::string("\x01"), 0},
                                           {"RedialTry", REG_BINARY, le32(10), 10},
                                           {"RedialTry", REG_DWORD, le32(7) + le32(0), 0},
                                           {"RedialWait", REG_DWORD, le32(2 << 16 | 30), 150},
                                           {"RedialWait", REG_DWORD, le32(0xFFFFFFFF), 65535 * 61},
                                           {"RedialWait", REG_DWORD, std::string(), 0}}) {
        storeValue(hive, "RemoteAccess", name, type, bytes);
        const std::string n = name;
        EXPECT_EQ(n == "RedialTry"    ? settings.ReadRedialTry()
                  : n == "RedialWait" ? settings.ReadRedialWaitSeconds()
                                      : settings.ReadEnableRedial(),
                  read)
            << name << ' ' << bytes.size();
    }
}

TEST_F(SystemDialupSettingsTest, TheDefaultEntryIsTheTextBeforeAZeroWithinTwoHundredFiftyFiveBytes)
{
    // Shorter after longer, so that nothing of an earlier name may show through.
    for (auto [stored, read] : {std::pair<std::string, std::string>{"A long provider name", "A long provider name"},
                                {"abc", "abc"},
                                {std::string("ab\0cdefgh", 9), "ab"},
                                {std::string(1, '\0'), ""},
                                {std::string(255, 'n') + '\0', std::string(255, 'n')},
                                {std::string(256, 'n') + '\0', "(none)"},
                                {std::string(256, 'x'), "(none)"},
                                {std::string(255, 'y'), std::string(255, 'y')}}) {
        storeValue(hive, "RemoteAccess", "InternetProfile", REG_SZ, stored);
        EXPECT_EQ(profile(), read) << stored.size() << " bytes stored";
    }
    EXPECT_EQ(settings.WriteInternetProfile(std::string(256, 'w')), 0);
    EXPECT_EQ(profile(), std::string(255, 'y'));
    ASSERT_EQ(settings.WriteInternetProfile("プロバイダ"), 1);
    EXPECT_EQ(stored(hive, "RemoteAccess", "InternetProfile"), "1:プロバイダ" + std::string(1, '\0'));
    EXPECT_EQ(counting.open, 0) << "a key was left open";
}

} // namespace
} // namespace telmaq::test
