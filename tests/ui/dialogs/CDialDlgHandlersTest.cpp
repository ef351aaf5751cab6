#include "ui/dialogs/DialDlgFixture.h"

#include "support/WaitUntil.h"
#include "ui/ModalWatcher.h"
#include "ui/dialogs/CTimeDlg.h"

#include <QTest>

#include <filesystem>
#include <fstream>
#include <set>

namespace telmaq::test {
namespace {

TEST_F(DialDlgHandlers, TimeDialogsShowTheirTimeAndOnlyOkTakesTheNewOne)
{
    // Connect time OK, disconnect time OK, connect time cancelled; each types hh:15:09.
    std::vector<std::string> shown;
    ModalWatcher watcher([&](QDialog* w) {
        auto* time = dynamic_cast<CTimeDlg*>(qobject_cast<DialogWindow*>(w)->dialog());
        ASSERT_NE(time, nullptr);
        const int call = static_cast<int>(shown.size());
        shown.push_back(time->GetWindowText() + std::to_string(time->m_nHour));
        EXPECT_TRUE(dlg->m_bTimeDlgOpen);
        for (auto [field, text] :
             {std::pair{IDC_HOUR, std::to_string(8 + call)}, {IDC_MINUTE, "15"}, {IDC_SECOND, "9"}})
            time->SetDlgItemText(field, text);
        call < 2 ? w->accept() : w->reject();
    });
    for (int id : {IDC_SET_CONNECT_TIME, IDC_SET_DISCONNECT_TIME, IDC_SET_CONNECT_TIME})
        click(id);

    EXPECT_EQ(shown, (std::vector<std::string>{"自動接続時刻の設定6", "自動切断時刻の設定23", "自動接続時刻の設定8"}));
    EXPECT_EQ(std::tuple(dlg->GetDlgItemText(IDC_CONNECT_TIME), dlg->GetDlgItemText(IDC_DISCONNECT_TIME),
                         dlg->m_nConnectHour, dlg->m_nConnectMinute, dlg->m_nConnectSecond, dlg->m_bTimeDlgOpen),
              std::tuple("08：15：09", "09：15：09", 8, 15, 9, false));
}

// The program sits in a folder with a space in its name, beside a plain file and a subfolder.
TEST_F(DialDlgHandlers, BrowseListsProgramsAndFoldersOrEverythingAndQuotesThePickedPathOnlyOnOk)
{
    const std::filesystem::path folder = env.dir() / "My Apps";
    std::filesystem::create_directories(folder / "sub");
    std::ofstream(folder / "notes.txt") << "text\n";
    std::ofstream(folder / "tool") << "#!/bin/sh\n";
    std::filesystem::permissions(folder / "tool", std::filesystem::perms::owner_all);
    std::vector<std::set<std::string>> listed;
    ModalWatcher watcher([&](QDialog* w) {
        auto* files = qobject_cast<QFileDialog*>(w);
        EXPECT_TRUE(dlg->m_bFileDlgOpen && files->fileMode() == QFileDialog::ExistingFile);
        if (!listed.empty()) // the second time: cancelled
            return w->reject();
        files->setDirectory(QString::fromStdString(folder.string()));
        auto* view = files->findChild<QListView*>(QStringLiteral("listView"));
        const auto names = [view] {
            std::set<std::string> names;
            for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                names.insert(view->model()->index(r, 0, view->rootIndex()).data().toString().toStdString());
            names.erase("..");
            return names;
        };
        for (const char* awaited : {"tool", "notes.txt"}) {
            waitUntil([&] { return names().count(awaited) > 0; }, 5000);
            listed.push_back(names());
            QTest::keyClick(files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
        }
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("tool"));
        w->accept();
    });
    click(IDC_BROWSE);
    click(IDC_BROWSE);
    EXPECT_EQ(listed, (std::vector<std::set<std::string>>{{"sub", "tool"}, {"notes.txt", "sub", "tool"}}));
    const std::string quoted = "'" + (folder / "tool").string() + "'";
    EXPECT_EQ(std::tuple(dlg->m_strApplicationFile, dlg->GetDlgItemText(IDC_APPLICATION_FILE), dlg->m_bFileDlgOpen),
              std::tuple(quoted, quoted, false));
}

TEST_F(DialDlgHandlers, WhileAConnectOrDisconnectRunsOnlyAboutOpensAndAfterItTheButtonsWork)
{
    for (bool DialDlgState::*busy : {&DialDlgState::m_bConnecting, &DialDlgState::m_bDisconnecting}) {
        dlg.get()->*busy = true;
        const int calls = service.totalCalls();
        ModalWatcher watcher([&](QDialog* w) {
            EXPECT_TRUE(dlg->m_bAboutOpen);
            w->reject();
        });
        for (int id :
             {IDC_CONNECT, IDC_DISCONNECT, IDC_BROWSE, IDC_SET_CONNECT_TIME, IDC_SET_DISCONNECT_TIME, IDCANCEL})
            click(id);
        dlg->OnSysCommand(IDM_CONNECT);
        dlg->OnSysCommand(IDM_DISCONNECT);
        QCoreApplication::processEvents();
        EXPECT_EQ(std::tuple(watcher.seen.size(), service.totalCalls(), dlg->isVisible(), dlg->m_bConnecting,
                             dlg->m_bDisconnecting, dlg->m_bInteractive),
                  std::tuple(0u, calls, true, busy == &DialDlgState::m_bConnecting,
                             busy == &DialDlgState::m_bDisconnecting, false));
        dlg->OnSysCommand(IDM_ABOUTBOX);
        EXPECT_EQ(watcher.seen, std::vector<std::string>{"ﾊﾞｰｼﾞｮﾝ情報"});
        EXPECT_FALSE(dlg->m_bAboutOpen);
        dlg.get()->*busy = false;
    }
    click(IDC_CONNECT);
    dlg->OnSysCommand(IDM_DISCONNECT);
    EXPECT_EQ(history.lines(), (std::vector<std::string>{"dial-started button Alpha", "connected button Alpha",
                                                         "app-started button Alpha", "hung-up system-menu Alpha"}));
    click(IDCANCEL);
    EXPECT_EQ(std::tuple(dlg->isVisible(), dlg->result()), std::tuple(false, IDCANCEL));
}

TEST_F(DialDlgHandlers, ChoosingAnEntrySelectsItEverywhereAndWritesTheDefault)
{
    auto* list = qobject_cast<QComboBox*>(qtControl(*dlg, IDC_ENTRY));
    using Case = std::tuple<const char*, std::function<void()>, const char*, const char*>;
    for (const auto& [how, choose, shown, stored] :
         {Case{"list",
               [&] {
                   list->setCurrentIndex(1);
                   emit list->activated(1);
               },
               "Alpha [Beta]* Gamma ", "Beta"},
          Case{"sub-menu", [&] { qtEntryMenu(dlg->systemMenu())->actions().at(2)->trigger(); }, "Alpha Beta [Gamma]* ",
               "Gamma"},
          // Another program changed the default; choosing our selection puts ours back.
          Case{"the selected one", [&] { dlg->OnSysCommand(IDM_ENTRY_FIRST); }, "[Alpha]* Beta Gamma ", "Alpha"},
          Case{"low bits set", [&] { dlg->OnSysCommand(IDM_ENTRY_FIRST + 16 + 7); }, "Alpha [Beta]* Gamma ", "Beta"},
          Case{"past the list", [&] { dlg->OnSysCommand(IDM_ENTRY_FIRST + 16 * 3); }, "[Alpha]* Beta Gamma ",
               "Elsewhere"}}) {
        dlg->OnSysCommand(IDM_ENTRY_FIRST);
        setProfile("Elsewhere");
        choose();
        EXPECT_EQ(entries(), shown) << how;
        EXPECT_EQ(dlg->m_strEntry, dlg->entryText(dlg->currentEntry())) << how;
        EXPECT_STREQ(settings.ReadInternetProfile(), stored) << how;
    }
}

TEST_F(DialDlgHandlers, TheButtonTheHelpCommandAndF1EachTellOfAMissingHelpFileOverTheWindow)
{
    ASSERT_FALSE(QFileInfo::exists(QString::fromStdString(CDialDlg::helpFilePath())));
    qtWindow(*dlg)->activateWindow();
    ASSERT_TRUE(waitUntil([this] { return qtWindow(*dlg)->isActiveWindow(); }));
    click(IDC_HELP);
    dlg->OnCommand(ID_HELP);
    QTest::keyClick(qtWindow(*dlg), Qt::Key_F1);
    ASSERT_TRUE(waitUntil([this] { return boxes.shown.size() == 3; }));
    for (const auto& box : boxes.shown) {
        EXPECT_EQ(std::tuple(box.text, box.title, box.style, box.owner),
                  std::tuple("ﾍﾙﾌﾟの起動に失敗しました。", "telmaq", 0x30u, static_cast<Dialog*>(dlg.get())));
    }
}

// The program's own name with ".HLP": beside it first (a build folder), then in
// ../share/telmaq/ (installed); with neither, the first place looked.
TEST(DialDlgHelpFile, BesideTheProgramThenInItsShareFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("share/telmaq"));
    // Made one after the other: another program's help file, ours installed, ours beside the program.
    for (const auto& [made, found] : {std::pair{"share/telmaq/telmaq.HLP", "bin/dialer.HLP"},
                                      {"share/telmaq/dialer.HLP", "share/telmaq/dialer.HLP"},
                                      {"bin/dialer.HLP", "bin/dialer.HLP"}}) {
        QFile file(root.filePath(made));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(CDialDlg::helpFilePathFor(root.filePath("bin/dialer").toStdString()),
                  root.filePath(found).toStdString())
            << made;
    }
}

} // namespace
} // namespace telmaq::test
