#include "ui/DataExchange.h"
#include "ui/Dialog.h"
#include "ui/WindowStyles.h"

#include "fakes/MessageBoxRecorder.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace telmaq {
namespace {

constexpr int kName = 10;
constexpr int kCount = 11;
constexpr int kEnabled = 12;
constexpr int kApply = 13;

const DialogTemplate& sampleTemplate()
{
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.id = 900;
        d.caption = "見本";
        d.width = 160;
        d.height = 80;
        d.fontFace = "ＭＳ Ｐゴシック";
        d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        const std::uint32_t child = WS_CHILD | WS_VISIBLE;
        d.controls = {
            {IDC_STATIC, ControlKind::Label, "名前(&N)", 5, 5, 30, 10, child, 0},
            {kName, ControlKind::Edit, "", 40, 5, 60, 12, child | WS_BORDER | WS_TABSTOP, 0},
            {kCount, ControlKind::Edit, "", 40, 20, 60, 12, child | WS_BORDER | ES_NUMBER | WS_TABSTOP, 0},
            {kEnabled, ControlKind::CheckBox, "有効(&E)", 40, 35, 60, 10, child | BS_AUTOCHECKBOX | WS_TABSTOP, 0},
            {kApply, ControlKind::PushButton, "適用(&A)", 5, 60, 40, 14, child | WS_TABSTOP, 0},
            {IDOK, ControlKind::PushButton, "OK", 60, 60, 40, 14, child | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
            {IDCANCEL, ControlKind::PushButton, "ｷｬﾝｾﾙ", 110, 60, 40, 14, child | WS_TABSTOP, 0},
        };
        return d;
    }();
    return t;
}

class SampleDialog : public Dialog
{
public:
    explicit SampleDialog(IMessageBox& boxes, const DialogTemplate& t = sampleTemplate()) : Dialog(t, boxes) {}

    std::string m_strName = "初期値";
    int m_nCount = 3;
    bool m_bEnabled = true;
    std::vector<std::string> calls;
    std::vector<int> ticks;
    int postNcDestroys = 0;
    bool restartTimerOnTick = false;

    using Dialog::onClicked;
    using Dialog::SetTimer;

protected:
    void DoDataExchange(DataExchange& dx) override
    {
        dx.text(kName, m_strName);
        dx.number(kCount, m_nCount, 1, 5);
        dx.check(kEnabled, m_bEnabled);
    }
    void BindHandlers() override
    {
        onClicked(kApply, [this] { calls.push_back("apply"); });
        onClicked(kEnabled, [this] { calls.push_back("enabled"); });
    }
    void OnOK() override
    {
        calls.push_back("ok");
        Dialog::OnOK();
    }
    void OnCancel() override
    {
        calls.push_back("cancel");
        Dialog::OnCancel();
    }
    void OnClose() override
    {
        calls.push_back("close");
        Dialog::OnClose();
    }
    void OnTimer(int id) override
    {
        ticks.push_back(id);
        if (restartTimerOnTick)
            SetTimer(id, 5);
    }
    void PostNcDestroy() override { ++postNcDestroys; }
};

QLineEdit* edit(Dialog& d, int id)
{
    return qobject_cast<QLineEdit*>(d.GetDlgItem(id));
}

TEST(DialogControls, UnknownIdsAnswerQuietly)
{
    test::MessageBoxRecorder boxes;
    SampleDialog d(boxes);
    EXPECT_EQ(d.GetDlgItem(4711), nullptr);
    EXPECT_FALSE(d.IsDlgButtonChecked(4711));
    EXPECT_EQ(d.GetDlgItemText(4711), "");
    EXPECT_FALSE(d.isDlgItemEnabled(4711));
    d.SetDlgItemText(4711, "x");
    d.CheckDlgButton(4711, true);
    d.EnableDlgItem(4711, false);
}

TEST(DialogDataExchange, FillsTheControlsAndAFailureShowsItsMessageFocusesTheEditAndChangesNoMember)
{
    test::MessageBoxRecorder boxes;
    SampleDialog d(boxes);
    ASSERT_TRUE(d.UpdateData(false));
    EXPECT_EQ(edit(d, kName)->text(), QStringLiteral("初期値"));
    EXPECT_EQ(edit(d, kCount)->text(), QStringLiteral("3"));
    EXPECT_TRUE(d.IsDlgButtonChecked(kEnabled));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));

    edit(d, kName)->setText(QStringLiteral("変更"));
    edit(d, kCount)->setText(QStringLiteral("6"));
    d.CheckDlgButton(kEnabled, false);
    d.GetDlgItem(kName)->setFocus();
    EXPECT_FALSE(d.UpdateData(true));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "1 から 5 までの整数を入力してください。");
    EXPECT_EQ(boxes.shown[0].title, "telmaq");
    EXPECT_EQ(boxes.shown[0].style, 0x30u);
    EXPECT_EQ(boxes.shown[0].owner, &d);
    EXPECT_TRUE(test::waitUntil([&] { return d.focusWidget() == d.GetDlgItem(kCount); }));
    EXPECT_EQ(edit(d, kCount)->selectedText(), QStringLiteral("6"));
    // Nothing of the refused pass reaches the members, not even the fields before the failure.
    EXPECT_EQ(d.m_strName, "初期値");
    EXPECT_EQ(d.m_nCount, 3);
    EXPECT_TRUE(d.m_bEnabled);

    for (const char* notANumber : {"", "99999999999"}) {
        edit(d, kCount)->setText(QString::fromUtf8(notANumber));
        EXPECT_FALSE(d.UpdateData(true));
        EXPECT_EQ(boxes.shown.back().text, "整数を入力してください。") << notANumber;
    }
    EXPECT_EQ(boxes.shown.size(), 3u);

    edit(d, kCount)->setText(QStringLiteral("5"));
    ASSERT_TRUE(d.UpdateData(true));
    EXPECT_EQ(d.m_strName, "変更");
    EXPECT_EQ(d.m_nCount, 5);
    EXPECT_FALSE(d.m_bEnabled);
}

TEST(DialogKeyboard, EscAndTheCloseBoxCancelEnterPressesTheDefaultOrTheFocusedButton)
{
    struct Case
    {
        std::function<void(SampleDialog&)> action;
        int result;
        std::vector<std::string> calls;
    };
    const auto enterOn = [](int id) {
        return [id](SampleDialog& d) {
            d.GetDlgItem(id)->setFocus();
            QTest::keyClick(d.GetDlgItem(id), Qt::Key_Return);
            if (d.isVisible())
                d.EndDialog(42);
        };
    };
    const Case cases[] = {
        {[](SampleDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, IDCANCEL, {"cancel"}},
        {[](SampleDialog& d) { d.close(); }, IDCANCEL, {"close", "cancel"}},
        {enterOn(kName), IDOK, {"ok"}},
        {enterOn(kApply), 42, {"apply"}},
    };
    test::MessageBoxRecorder boxes;
    for (const Case& c : cases) {
        SampleDialog d(boxes);
        QTimer::singleShot(0, &d, [&] { c.action(d); });
        EXPECT_EQ(d.DoModal(), c.result);
        EXPECT_EQ(d.calls, c.calls);
        EXPECT_FALSE(d.isVisible());
    }
}

TEST(DialogKeyboard, TabOrderIsTemplateOrderAndMnemonicsReachTheirControls)
{
    test::MessageBoxRecorder boxes;
    SampleDialog d(boxes);
    std::vector<QWidget*> order;
    QWidget* w = d.GetDlgItem(kName);
    for (int i = 0; i < 6; ++i) {
        order.push_back(w);
        w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
    }
    const std::vector<QWidget*> expected = {d.GetDlgItem(kName),  d.GetDlgItem(kCount), d.GetDlgItem(kEnabled),
                                            d.GetDlgItem(kApply), d.GetDlgItem(IDOK),   d.GetDlgItem(IDCANCEL)};
    EXPECT_EQ(order, expected);

    d.Create();
    d.show();
    QApplication::setActiveWindow(&d);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    ASSERT_TRUE(d.IsDlgButtonChecked(kEnabled));
    QTest::keyClick(&d, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(test::waitUntil([&] { return !d.IsDlgButtonChecked(kEnabled); }));
    d.GetDlgItem(IDCANCEL)->setFocus();
    QTest::keyClick(&d, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(test::waitUntil([&] { return d.focusWidget() == d.GetDlgItem(kName); }));
    QTest::keyClick(&d, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(test::waitUntil([&] { return d.calls == std::vector<std::string>{"enabled", "apply"}; }));
    d.hide();
}

TEST(DialogLifetime, ModelessCreateShowsAndDestroyTakesTheWindowDownOnce)
{
    test::MessageBoxRecorder boxes;
    DialogTemplate t = sampleTemplate();
    t.style |= WS_VISIBLE;
    SampleDialog d(boxes, t);
    d.Create();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.isWindowAlive());
    d.DestroyWindow();
    d.DestroyWindow();
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(d.isWindowAlive());
    EXPECT_EQ(d.postNcDestroys, 1);

    // A template without the visible style stays hidden until shown.
    SampleDialog hidden(boxes);
    hidden.Create();
    EXPECT_FALSE(hidden.isVisible());
}

TEST(DialogTimers, DeliverToOnTimerUntilKilledAndMayBeRestartedFromTheHandler)
{
    test::MessageBoxRecorder boxes;
    SampleDialog d(boxes);
    d.restartTimerOnTick = true;
    d.SetTimer(2, 5);
    ASSERT_TRUE(test::waitUntil([&] { return d.ticks.size() >= 3; }));
    for (int id : d.ticks)
        EXPECT_EQ(id, 2);
    d.KillTimer(2);
    const std::size_t seen = d.ticks.size();
    QTest::qWait(50);
    EXPECT_EQ(d.ticks.size(), seen);

    // A destroyed window gets no more ticks.
    d.restartTimerOnTick = false;
    d.SetTimer(3, 5);
    d.DestroyWindow();
    QTest::qWait(50);
    EXPECT_EQ(d.ticks.size(), seen);
}

} // namespace
} // namespace telmaq
