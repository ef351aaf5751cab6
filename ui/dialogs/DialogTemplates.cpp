#include "ui/dialogs/DialogTemplates.h"

#include "ui/framework/WindowStyles.h"

namespace telmaq {

const char* const kDialogFontFace = "ＭＳ Ｐゴシック";

namespace {

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t kLabel = kChild | SS_LEFT;
constexpr std::uint32_t kCheck = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr std::uint32_t kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr std::uint32_t kDefButton = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr std::uint32_t kGroup = kChild | BS_GROUPBOX;
constexpr std::uint32_t kTimeText = kChild | SS_CENTER | SS_CENTERIMAGE;
constexpr std::uint32_t kNumberEdit = kChild | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr std::uint32_t kSpin =
    kChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;

using K = ControlKind;

DialogTemplate makeMain()
{
    DialogTemplate t;
    t.id = IDD_TELMAQ_DIALOG;
    t.caption = "telmaq";
    t.width = 214;
    t.height = 228;
    t.fontFace = kDialogFontFace;
    t.pointSize = 9;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT;
    t.exStyle = WS_EX_APPWINDOW;
    t.controls = {
        {IDC_STATIC, K::Label, "接続先(&L)", 10, 10, 40, 8, kLabel, 0},
        {IDC_ENTRY, K::DropDownList, "", 10, 20, 110, 110,
         kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0},
        {IDC_REDIAL_TEXT, K::Label, "", 130, 15, 75, 20, kLabel | SS_SUNKEN, 0},
        {IDC_STATIC, K::GroupBox, "", 10, 40, 195, 85, kGroup, 0},
        {IDC_AUTO_CONNECTION, K::CheckBox, "自動接続(&S)", 15, 40, 55, 10, kCheck, 0},
        {IDC_STATIC, K::Label, "曜日(&W) :", 20, 55, 35, 10, kLabel, 0},
        {IDC_CHECK_SUN, K::CheckBox, "日", 55, 55, 20, 10, kCheck, 0},
        {IDC_CHECK_MON, K::CheckBox, "月", 75, 55, 20, 10, kCheck, 0},
        {IDC_CHECK_TUE, K::CheckBox, "火", 95, 55, 20, 10, kCheck, 0},
        {IDC_CHECK_WED, K::CheckBox, "水", 115, 55, 20, 10, kCheck, 0},
        {IDC_CHECK_THU, K::CheckBox, "木", 135, 55, 20, 10, kCheck, 0},
        {IDC_CHECK_FRI, K::CheckBox, "金", 155, 55, 20, 10, kCheck, 0},
        {IDC_CHECK_SAT, K::CheckBox, "土", 175, 55, 20, 10, kCheck, 0},
        {IDC_STATIC, K::Label, "接続時刻 :", 20, 72, 35, 10, kLabel, 0},
        {IDC_CONNECT_TIME, K::Label, "", 60, 70, 40, 13, kTimeText, WS_EX_STATICEDGE},
        {IDC_SET_CONNECT_TIME, K::PushButton, "設定(&T)", 105, 70, 40, 14, kButton, 0},
        {IDC_STATIC, K::GroupBox, "", 15, 87, 180, 32, kGroup, 0},
        {IDC_AUTO_DISCONNECTION, K::CheckBox, "自動切断(&H)", 20, 87, 55, 10, kCheck, 0},
        {IDC_STATIC, K::Label, "切断時刻 :", 25, 102, 35, 10, kLabel, 0},
        {IDC_DISCONNECT_TIME, K::Label, "", 65, 100, 40, 12, kTimeText, WS_EX_STATICEDGE},
        {IDC_SET_DISCONNECT_TIME, K::PushButton, "設定(&Z)", 110, 100, 39, 14, kButton, 0},
        {IDC_STATIC, K::GroupBox, "", 10, 130, 195, 60, kGroup, 0},
        {IDC_AUTO_APPLICATION, K::CheckBox, "接続後にアプリケーションを起動(&A)", 15, 130, 125, 10, kCheck, 0},
        {IDC_STATIC, K::Label, "起動アプリケーション(&E)", 20, 145, 80, 10, kLabel, 0},
        {IDC_APPLICATION_FILE, K::Edit, "", 20, 155, 130, 14, kChild | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP,
         WS_EX_RIGHT},
        {IDC_BROWSE, K::PushButton, "参照(&R)", 155, 155, 40, 14, kButton, 0},
        {IDC_APPLICATION_DISCONNECTION, K::CheckBox, "アプリケーションの終了と共に切断(&X)", 20, 175, 133, 10, kCheck,
         0},
        {IDC_ICONIC, K::CheckBox, "アイコン化 して起動(&I)", 10, 195, 85, 10, kCheck, 0},
        {IDC_CONNECT, K::PushButton, "接続(&C)", 15, 210, 40, 14, kDefButton, 0},
        {IDC_DISCONNECT, K::PushButton, "切断(&D)", 60, 210, 40, 14, kButton, 0},
        {IDC_HELP, K::PushButton, "ヘルプ(&M)", 110, 210, 40, 14, kButton, 0},
        {IDCANCEL, K::PushButton, "終了(ESC)", 160, 210, 45, 14, kButton, 0},
    };
    return t;
}

DialogTemplate makeConnecting()
{
    DialogTemplate t;
    t.id = IDD_CONNECTING;
    t.caption = "接続中";
    t.width = 224;
    t.height = 46;
    t.fontFace = kDialogFontFace;
    t.pointSize = 9;
    t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.controls = {
        {IDC_STATIC, K::Icon, "", 10, 10, 18, 20, kChild | SS_ICON, 0},
        {IDC_STATIC, K::Label, "状況 :", 30, 10, 20, 10, kLabel, 0},
        {IDC_STATUS, K::Label, "", 55, 10, 100, 30, kLabel, 0},
        {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 165, 10, 50, 14, kDefButton, 0},
    };
    return t;
}

DialogTemplate makeTime()
{
    DialogTemplate t;
    t.id = IDD_TIME;
    t.caption = "時刻設定";
    t.width = 189;
    t.height = 68;
    t.fontFace = kDialogFontFace;
    t.pointSize = 9;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.controls = {
        {IDC_STATIC, K::Label, "設定時刻", 10, 17, 35, 10, kLabel, 0},
        {IDC_HOUR, K::Edit, "", 50, 15, 30, 12, kNumberEdit | WS_GROUP, 0},
        {IDC_SPIN_HOUR, K::UpDown, "Spin1", 70, 15, 10, 14, kSpin, 0},
        {IDC_STATIC, K::Label, "時", 82, 17, 10, 10, kLabel, 0},
        {IDC_MINUTE, K::Edit, "", 95, 15, 30, 12, kNumberEdit, 0},
        {IDC_SPIN_MINUTE, K::UpDown, "Spin2", 115, 15, 10, 14, kSpin, 0},
        {IDC_STATIC, K::Label, "分", 127, 17, 10, 10, kLabel, 0},
        {IDC_SECOND, K::Edit, "", 140, 15, 30, 12, kNumberEdit, 0},
        {IDC_SPIN_SECOND, K::UpDown, "Spin3", 160, 15, 10, 14, kSpin, 0},
        {IDC_STATIC, K::Label, "秒", 172, 17, 10, 10, kLabel, 0},
        {IDOK, K::PushButton, "OK", 75, 45, 50, 14, kDefButton, 0},
        {IDCANCEL, K::PushButton, "ｷｬﾝｾﾙ", 130, 45, 50, 14, kButton, 0},
    };
    return t;
}

DialogTemplate makeAbout()
{
    DialogTemplate t;
    t.id = IDD_ABOUTBOX;
    t.caption = "ﾊﾞｰｼﾞｮﾝ情報";
    t.width = 189;
    t.height = 62;
    t.fontFace = kDialogFontFace;
    t.pointSize = 9;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.controls = {
        {IDC_STATIC, K::Icon, "", 10, 15, 20, 20, kChild | SS_ICON, 0},
        {IDC_STATIC, K::Label, "telmaq ダイヤルアップ接続管理 Version 2.6", 35, 10, 147, 8, kLabel | SS_NOPREFIX, 0},
        {IDC_STATIC, K::Label, "© 2026 telmaq の開発者たち", 35, 25, 125, 8, kLabel, 0},
        {IDOK, K::PushButton, "OK", 70, 42, 45, 14, kDefButton | WS_GROUP, 0},
    };
    return t;
}

} // namespace

const DialogTemplate& mainDialogTemplate()
{
    static const DialogTemplate t = makeMain();
    return t;
}

const DialogTemplate& connectingDialogTemplate()
{
    static const DialogTemplate t = makeConnecting();
    return t;
}

const DialogTemplate& timeDialogTemplate()
{
    static const DialogTemplate t = makeTime();
    return t;
}

const DialogTemplate& aboutDialogTemplate()
{
    static const DialogTemplate t = makeAbout();
    return t;
}

const DialogTemplate* findDialogTemplate(int id)
{
    for (const DialogTemplate* t :
         {&mainDialogTemplate(), &connectingDialogTemplate(), &timeDialogTemplate(), &aboutDialogTemplate()}) {
        if (t->id == id)
            return t;
    }
    return nullptr;
}

} // namespace telmaq
