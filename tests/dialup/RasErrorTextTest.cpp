#include "dialup/RasErrorText.h"

#include "fakes/FakeDialupService.h"

#include <gtest/gtest.h>

#include <string>

namespace telmaq {
namespace {

using test::FakeDialupService;

TEST(RasErrorText, OwnTableAnswersWithoutAskingTheService)
{
    FakeDialupService service;
    service.setErrorString(691, "the service's own words");
    RasErrorText texts(service);
    const std::pair<std::uint32_t, const char*> table[] = {
        {602, "通信ポートが使用中です"},
        {629, "サーバーに接続を切られました"},
        {630, "モデムからの応答がありません\nモデムの電源が入っているか確認してください"},
        {676, "接続先が話中です"},
        {678, "接続先のモデムが応答しないか、接続先がモデムではありません"},
        {680, "発信音が聞こえません\nモジュラージャックが外れていないか確認してください"},
        {691, "ユーザー名またはパスワードが間違っています"}};
    for (const auto& [code, text] : table)
        EXPECT_STREQ(texts.GetRasErrorText(code), text) << code;
    EXPECT_EQ(service.errorStringCalls(), 0);
}

TEST(RasErrorText, OtherCodesTakeTheServiceTextInOneSharedBuffer)
{
    FakeDialupService service;
    service.setErrorString(603, "バッファーが小さすぎます");
    service.setErrorString(623, "エントリが見つかりません");
    RasErrorText texts(service);

    const char* first = texts.GetRasErrorText(603);
    EXPECT_STREQ(first, "バッファーが小さすぎます");
    // A table text leaves the buffer alone.
    texts.GetRasErrorText(691);
    EXPECT_STREQ(first, "バッファーが小さすぎます");
    // The next text from the service overwrites the first.
    const char* second = texts.GetRasErrorText(623);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "エントリが見つかりません");
}

TEST(RasErrorText, CodesWithoutATextGiveTheWrongCodeText)
{
    FakeDialupService service;
    // 255 bytes and its zero fill the buffer exactly; one byte more does not fit.
    service.setErrorString(700, std::string(255, 'a'));
    service.setErrorString(701, std::string(256, 'b'));
    RasErrorText texts(service);
    EXPECT_STREQ(texts.GetRasErrorText(9999), "(エラーコードの間違い)");
    EXPECT_EQ(std::string(texts.GetRasErrorText(700)), std::string(255, 'a'));
    EXPECT_STREQ(texts.GetRasErrorText(701), "(エラーコードの間違い)");
}

} // namespace
} // namespace telmaq
