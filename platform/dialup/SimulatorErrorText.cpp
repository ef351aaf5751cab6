#include "platform/dialup/SimulatorErrorText.h"

#include "platform/dialup/CodeText.h"
#include "platform/dialup/SimulatorDatabase.h"

namespace telmaq {

namespace {

// Every code the simulator answers, in its own words.
constexpr CodeText kTexts[] = {
    {ERROR_INVALID_HANDLE_RAS, "接続のハンドルが正しくありません"},
    {ERROR_NOT_ENOUGH_MEMORY, "メモリが足りません"},
    {ERROR_INVALID_PARAMETER_RAS, "指定された値が正しくありません"},
    {ERROR_INVALID_NAME_RAS, "エントリ名が正しくありません"},
    {ERROR_ALREADY_EXISTS_RAS, "同じ名前のエントリがすでにあります"},
    {ERROR_INVALID_PORT_HANDLE, "ポートのハンドルが正しくありません"},
    {ERROR_PORT_ALREADY_OPEN, "このモデムは別の接続が使っています"},
    {ERROR_BUFFER_TOO_SMALL, "受け取り側のバッファーが小さすぎます"},
    {ERROR_CANNOT_OPEN_PHONEBOOK, "ダイヤルアップのデータベースを開けません"},
    {ERROR_CANNOT_LOAD_PHONEBOOK, "ダイヤルアップのデータベースを読み込めません"},
    {ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "電話帳にそのエントリがありません"},
    {ERROR_CANNOT_WRITE_PHONEBOOK, "ダイヤルアップのデータベースに書き込めません"},
    {ERROR_REMOTE_DISCONNECTION, "相手側が回線を切りました"},
    {ERROR_HARDWARE_FAILURE, "モデムが応答しません"},
    {ERROR_USER_DISCONNECTION, "回線は利用者が切断しました"},
    {ERROR_INVALID_SIZE, "構造体のサイズが正しくありません"},
    {ERROR_ALLOCATING_MEMORY, "メモリを確保できません"},
    {ERROR_NO_CONNECTION, "接続がありません"},
    {ERROR_LINE_BUSY, "相手の回線が話し中です"},
    {ERROR_NO_ANSWER, "相手が応答しません"},
    {ERROR_NO_DIALTONE, "ダイヤルトーンが検出されません"},
    {ERROR_AUTHENTICATION_FAILURE, "ユーザー名かパスワードが認証されませんでした"},
};

} // namespace

const char* simulatorErrorText(std::uint32_t code)
{
    return textFor(kTexts, code);
}

} // namespace telmaq
