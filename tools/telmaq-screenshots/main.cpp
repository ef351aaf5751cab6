// telmaq-screenshots OUTDIR: writes a PNG of each dialog, drawn offscreen, so a developer can
// check the Japanese texts and the control positions without a display.
#include "connection/DialWindow.h"
#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CConnectingDlg.h"
#include "ui/dialogs/CTimeDlg.h"
#include "ui/dialogs/DialogTemplates.h"
#include "ui/framework/ApplicationLook.h"
#include "ui/framework/CSystemMenu.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/SortedComboBox.h"
#include "ui/framework/qt/CSystemMenuImpl.h"
#include "ui/framework/qt/DialogWindow.h"
#include "ui/framework/qt/QtMessageBox.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPixmap>

#include <cstdio>

namespace {

struct NoDial : telmaq::IConnectingDlgOwner
{
    void stopDialing() override {}
};

bool save(QWidget& window, const QDir& dir, const char* name)
{
    window.show();
    QApplication::processEvents();
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "telmaq-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    telmaq::applyApplicationLook(telmaq::kDialogFontFace);
    if (argc != 2 || QString::fromLocal8Bit(argv[1]).startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: telmaq-screenshots OUTDIR\n"
                             "Writes an offscreen PNG of each dialog of telmaq into OUTDIR.\n");
        return argc == 2 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--help") ? 0 : 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "telmaq-screenshots: cannot create %s\n", argv[1]);
        return 1;
    }

    using namespace telmaq;
    QtMessageBox boxes;
    bool ok = true;

    // The main window's template with sample contents, as its own issue will fill it.
    Dialog main(mainDialogTemplate(), boxes);
    if (SortedComboBox* entries = main.comboBox(IDC_ENTRY)) {
        for (const char* name : {"プロバイダ", "Office", "さくら回線"})
            entries->addSortedItem(name);
        entries->selectIndex(entries->findStringExact("プロバイダ"));
    }
    main.SetDlgItemText(IDC_REDIAL_TEXT, "【リダイヤルあり】\n 1分 0秒 / 3回");
    main.SetDlgItemText(IDC_CONNECT_TIME, "08：30：00");
    main.SetDlgItemText(IDC_DISCONNECT_TIME, "09：15：00");
    main.SetDlgItemText(IDC_APPLICATION_FILE, "/usr/bin/thunderbird");
    for (int id : {IDC_AUTO_CONNECTION, IDC_CHECK_MON, IDC_CHECK_TUE, IDC_CHECK_WED, IDC_CHECK_THU, IDC_CHECK_FRI,
                   IDC_AUTO_DISCONNECTION, IDC_AUTO_APPLICATION})
        main.CheckDlgButton(id, true);
    main.EnableDlgItem(IDC_APPLICATION_DISCONNECTION, true);
    ok = save(*qtWindow(main), dir, "main-102.png") && ok;

    CSystemMenu systemMenu(main, {});
    systemMenu.build("接続先(&L)", {"Office", "さくら回線", "プロバイダ"}, IDM_ENTRY_FIRST, 2,
                     {{"接続(&E)", IDM_CONNECT}, {"切断(&F)", IDM_DISCONNECT}, {"ﾊﾞｰｼﾞｮﾝ情報 (&A)...", IDM_ABOUTBOX}});
    ok = save(*qtMenu(systemMenu), dir, "system-menu.png") && ok;
    ok = save(*qtEntryMenu(systemMenu), dir, "system-menu-entries.png") && ok;
    qtMenu(systemMenu)->hide();
    qtEntryMenu(systemMenu)->hide();

    NoDial owner;
    CConnectingDlg* connecting = CConnectingDlg::create(owner, boxes, nullptr);
    connecting->setCaption("telmaq - プロバイダ に接続中");
    connecting->setStatusText("ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞを確認中 . . .");
    ok = save(*qtWindow(*connecting), dir, "connecting-129.png") && ok;
    connecting->setStatusText("ダイヤル 2\nリダイヤルまであと 45 秒");
    ok = save(*qtWindow(*connecting), dir, "connecting-129-redial.png") && ok;
    connecting->destroy();

    CTimeDlg time(boxes);
    time.m_strCaption = "自動接続時刻の設定";
    time.m_nHour = 7;
    time.m_nMinute = 5;
    time.m_nSecond = 0;
    time.Create();
    ok = save(*qtWindow(time), dir, "time-132.png") && ok;

    CAboutDlg about(boxes);
    about.Create();
    ok = save(*qtWindow(about), dir, "about-100.png") && ok;

    // Lets the connecting dialog free itself before the application goes.
    QApplication::processEvents();
    return ok ? 0 : 1;
}
