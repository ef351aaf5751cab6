// The main window's handlers: the time-setting dialogs, browse, the busy guards, choosing the
// entry from the list and from the system menu, About, help, connect and disconnect.
#include "DialDlgTestSupport.h"

#include "ui/CAboutDlg.h"
#include "ui/CTimeDlg.h"

#include "platform/dialup/LineSimulator.h"
#include "platform/process/PosixProcessLauncher.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <set>

namespace telmaq::test {
namespace {

class DialDlgHandlers : public DialDlgTest
{
protected:
    void SetUp() override
    {
        addEntries({"Gamma", "Alpha", "Beta"});
        setProfile("Alpha");
        open([](CDialDlg& d) {
            d.m_bAutoConnection = true;
            d.m_bAutoDisconnection = true;
            d.m_bAutoApplication = true;
            d.m_nConnectHour = 6;
            d.m_nConnectMinute = 30;
            d.m_nDisconnectHour = 23;
            d.m_strApplicationFile = "/usr/bin/keep";
        });
    }
};

// ---- the time-setting dialogs

TEST_F(DialDlgHandlers, TimeDialogsShowTheirTimeAndOnlyOkTakesTheNewOne)
{
    // Connect time OK, disconnect time OK, connect time cancelled; each types 15 minutes 9
    // seconds and an hour of its own.
    std::vector<std::string> captions;
    std::vector<int> shownHours;
    ModalWatcher watcher([&](QWidget* w) {
        auto* time = qobject_cast<CTimeDlg*>(w);
        ASSERT_NE(time, nullptr);
        const int call = static_cast<int>(captions.size());
        captions.push_back(time->windowTitle().toStdString());
        shownHours.push_back(time->m_nHour);
        EXPECT_TRUE(dlg->m_bTimeDlgOpen);
        time->m_nHour = 8 + call;
        time->m_nMinute = 15;
        time->m_nSecond = 9;
        time->UpdateData(false);
        call < 2 ? static_cast<QDialog*>(time)->accept() : static_cast<QDialog*>(time)->reject();
    });
    click(IDC_SET_CONNECT_TIME);
    click(IDC_SET_DISCONNECT_TIME);
    click(IDC_SET_CONNECT_TIME);

    EXPECT_EQ(captions, (std::vector<std::string>{"自動接続時刻の設定", "自動切断時刻の設定", "自動接続時刻の設定"}));
    EXPECT_EQ(shownHours, (std::vector<int>{6, 23, 8}));
    EXPECT_EQ(dlg->m_nConnectHour, 8);
    EXPECT_EQ(dlg->m_nConnectMinute, 15);
    EXPECT_EQ(dlg->m_nConnectSecond, 9);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CONNECT_TIME), "08：15：09");
    EXPECT_EQ(dlg->m_nDisconnectHour, 9);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_DISCONNECT_TIME), "09：15：09");
    EXPECT_FALSE(dlg->m_bTimeDlgOpen);
}

// ---- browse

TEST_F(DialDlgHandlers, BrowseCancelledKeepsTheApplication)
{
    bool flagWhileOpen = false;
    ModalWatcher watcher([&](QWidget* w) {
        auto* files = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(files, nullptr);
        flagWhileOpen = dlg->m_bFileDlgOpen;
        EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(files->nameFilters().size(), 2);
        static_cast<QDialog*>(files)->reject();
    });
    click(IDC_BROWSE);

    EXPECT_EQ(watcher.seen, 1);
    EXPECT_TRUE(flagWhileOpen);
    EXPECT_FALSE(dlg->m_bFileDlgOpen);
    EXPECT_EQ(dlg->m_strApplicationFile, "/usr/bin/keep");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_APPLICATION_FILE), "/usr/bin/keep");
}

// A folder with a space in its name holding a program (no extension), a plain file and a
// subfolder; "tool.ran" appears beside the program once it has run.
std::string makeProgramFolder(const std::filesystem::path& dir)
{
    const std::filesystem::path folder = dir / "My Apps";
    std::filesystem::create_directories(folder / "sub");
    std::ofstream(folder / "notes.txt") << "text\n";
    const std::filesystem::path tool = folder / "tool";
    std::ofstream(tool) << "#!/bin/sh\ntouch \"$0.ran\"\n";
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    return tool.string();
}

// Picks the program in the file dialog, noting what it listed under each filter.
struct BrowsePick
{
    explicit BrowsePick(const std::string& program)
        : watcher([this, program](QWidget* w) {
              auto* files = qobject_cast<QFileDialog*>(w);
              ASSERT_NE(files, nullptr);
              files->setDirectory(QFileInfo(QString::fromStdString(program)).absolutePath());
              auto* view = files->findChild<QListView*>(QStringLiteral("listView"));
              ASSERT_NE(view, nullptr);
              const auto listed = [view] {
                  std::set<std::string> names;
                  for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                      names.insert(view->model()->index(r, 0, view->rootIndex()).data().toString().toStdString());
                  names.erase("..");
                  return names;
              };
              waitUntil([&] { return listed().count("tool") > 0; }, 5000);
              programs = listed();
              // The user picks the second filter.
              QTest::keyClick(files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
              waitUntil([&] { return listed().count("notes.txt") > 0; }, 5000);
              everything = listed();
              files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(program));
              static_cast<QDialog*>(files)->accept();
          })
    {}
    std::set<std::string> programs;
    std::set<std::string> everything;
    ModalWatcher watcher;
};

TEST_F(DialDlgHandlers, BrowseListsProgramsAndFoldersOrEverythingAndQuotesThePickedPath)
{
    const std::string program = makeProgramFolder(env.dir());
    BrowsePick pick(program);
    click(IDC_BROWSE);

    EXPECT_EQ(pick.watcher.seen, 1);
    EXPECT_EQ(pick.programs, (std::set<std::string>{"sub", "tool"}));
    EXPECT_EQ(pick.everything, (std::set<std::string>{"notes.txt", "sub", "tool"}));
    EXPECT_EQ(dlg->m_strApplicationFile, "'" + program + "'");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_APPLICATION_FILE), dlg->m_strApplicationFile);
}

// Browse, then Connect over the line simulator: the real launcher runs the program picked.
TEST(DialDlgBrowseThenConnect, RunsTheProgramPickedFromAFolderWithASpace)
{
    TempEnvironment env;
    SqliteHive hive{env.hivePath()};
    LineSimulator service{env.dialupPath()};
    ASSERT_EQ(service.database().addEntry({"プロバイダ", "0120", "modem", "taro", "secret", {}, "connect", 0}), 0u);
    DialupLists lists{service};
    RasErrorText errorText{service};
    SystemDialupSettings settings{hive};
    PosixProcessLauncher launcher;
    FakeClock clock;
    MessageBoxRecorder boxes;
    NullHistory history;
    ASSERT_EQ(lists.EnumEntries(), 0u);
    CDialDlg dlg({service, lists, errorText, settings, launcher, clock, boxes, history}, {});
    dlg.m_strEntry = "プロバイダ";
    dlg.m_bAutoApplication = true;
    dlg.Create();
    dlg.show();

    const std::string program = makeProgramFolder(env.dir());
    BrowsePick pick(program);
    qobject_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_BROWSE))->click();
    qobject_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_CONNECT))->click();

    EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
    EXPECT_NE(dlg.m_hProcess, kNoProcess);
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(program + ".ran"); }));
    lists.EnumConnections();
    lists.HangUpAllConnections();
    dlg.hide();
}

// ---- the busy guards

TEST_F(DialDlgHandlers, ButtonsAreIgnoredWhileAConnectRuns)
{
    dlg->m_bConnecting = true;
    const int callsBefore = service.totalCalls();
    ModalWatcher watcher([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });

    click(IDC_CONNECT);
    click(IDC_DISCONNECT);
    click(IDC_BROWSE);
    click(IDC_SET_CONNECT_TIME);
    click(IDC_SET_DISCONNECT_TIME);
    click(2); // exit
    dlg->OnSysCommand(IDM_CONNECT);
    dlg->OnSysCommand(IDM_DISCONNECT);
    QCoreApplication::processEvents();

    EXPECT_EQ(watcher.seen, 0) << "a dialog opened: " << watcher.seenClass;
    EXPECT_EQ(service.totalCalls(), callsBefore);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(dlg->m_bConnecting);
    EXPECT_FALSE(dlg->m_bInteractive);
    EXPECT_FALSE(dlg->m_bDisconnecting);
}

TEST_F(DialDlgHandlers, ExitIsIgnoredWhileADisconnectRunsAndWorksAfterwards)
{
    dlg->m_bDisconnecting = true;
    click(2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dlg->isVisible());

    dlg->m_bDisconnecting = false;
    click(2);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), IDCANCEL);
}

TEST_F(DialDlgHandlers, AboutOpensEvenWhileAConnectRuns)
{
    dlg->m_bConnecting = true;
    bool flagWhileOpen = false;
    ModalWatcher watcher([&](QWidget* w) {
        flagWhileOpen = dlg->m_bAboutOpen;
        static_cast<QDialog*>(w)->reject();
    });
    dlg->OnSysCommand(IDM_ABOUTBOX);

    EXPECT_EQ(watcher.seen, 1);
    EXPECT_EQ(watcher.seenClass, "telmaq::CAboutDlg");
    EXPECT_TRUE(flagWhileOpen);
    EXPECT_FALSE(dlg->m_bAboutOpen);
}

// ---- choosing the entry

TEST_F(DialDlgHandlers, ChoosingAnEntrySelectsItEverywhereAndWritesTheDefault)
{
    struct Case
    {
        const char* how;
        std::function<void()> choose;
        int index;
        const char* stored;
    };
    const Case cases[] = {
        {"from the list", [this] { chooseFromList(1); }, 1, "Beta"},
        {"from the sub-menu", [this] { dlg->systemMenu().entryMenu()->actions().at(2)->trigger(); }, 2, "Gamma"},
        // Another program changed the default; choosing our selection puts ours back.
        {"the selected one again", [this] { dlg->OnSysCommand(IDM_ENTRY_FIRST); }, 0, "Alpha"},
        {"with the low bits set", [this] { dlg->OnSysCommand(IDM_ENTRY_FIRST + 16 + 7); }, 1, "Beta"},
        {"past the listed entries", [this] { dlg->OnSysCommand(IDM_ENTRY_FIRST + 16 * 3); }, 0, "Elsewhere"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        dlg->OnSysCommand(IDM_ENTRY_FIRST);
        setProfile("Elsewhere");
        c.choose();
        EXPECT_EQ(dlg->currentEntry(), c.index);
        EXPECT_EQ(dlg->m_strEntry, listItems().at(c.index));
        EXPECT_EQ(profile(), c.stored);
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(dlg->systemMenu().isEntryChecked(p), p == c.index) << p;
    }
}

// ---- help, connect and disconnect

TEST_F(DialDlgHandlers, TheButtonTheHelpCommandAndF1EachTellOfAMissingHelpFileOverTheWindow)
{
    ASSERT_FALSE(QFileInfo::exists(CDialDlg::helpFilePath()));
    dlg->activateWindow();
    ASSERT_TRUE(waitUntil([this] { return dlg->isActiveWindow(); }));
    click(IDC_HELP);
    dlg->OnCommand(ID_HELP);
    QTest::keyClick(dlg.get(), Qt::Key_F1);

    ASSERT_TRUE(waitUntil([this] { return boxes.shown.size() == 3; }));
    for (const auto& box : boxes.shown) {
        EXPECT_EQ(box.text, "ﾍﾙﾌﾟの起動に失敗しました。");
        EXPECT_EQ(box.title, "telmaq");
        EXPECT_EQ(box.style, 0x30u);
        EXPECT_EQ(box.owner, dlg.get());
    }
}

// The program's own name with ".HLP": beside it first (a build folder), then in
// ../share/telmaq/ (installed); with neither, the first place looked.
TEST(DialDlgHelpFile, BesideTheProgramThenInItsShareFolder)
{
    struct Case
    {
        bool beside, installed;
        const char* expected;
    };
    for (const Case c : {Case{false, false, "bin/dialer.HLP"}, Case{false, true, "share/telmaq/dialer.HLP"},
                         Case{true, true, "bin/dialer.HLP"}, Case{true, false, "bin/dialer.HLP"}}) {
        QTemporaryDir root;
        ASSERT_TRUE(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("share/telmaq"));
        for (const auto& [wanted, file] : {std::pair{c.beside, "bin/dialer.HLP"},
                                           {c.installed, "share/telmaq/dialer.HLP"},
                                           {true, "share/telmaq/telmaq.HLP"}}) {
            QFile made(root.filePath(file));
            ASSERT_TRUE(!wanted || made.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(CDialDlg::helpFilePathFor(root.filePath("bin/dialer")).toStdString(),
                  root.filePath(c.expected).toStdString())
            << c.beside << c.installed;
    }
}

TEST_F(DialDlgHandlers, DisconnectSaysSoWithoutAConnectionAndHangsUpOne)
{
    click(IDC_DISCONNECT);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "接続されていません");
    EXPECT_EQ(boxes.shown[0].owner, dlg.get());
    EXPECT_FALSE(dlg->m_bDisconnecting);
    EXPECT_FALSE(dlg->m_bInteractive);

    service.addConnection("Alpha");
    dlg->OnSysCommand(IDM_DISCONNECT);
    EXPECT_EQ(service.hungUp().size(), 1u);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(history.lines(), std::vector<std::string>{"hung-up system-menu Alpha"});
}

TEST_F(DialDlgHandlers, ConnectButtonDialsTheSelectedEntry)
{
    chooseFromList(1);
    click(IDC_CONNECT);

    ASSERT_EQ(service.dialCalls(), 1);
    EXPECT_STREQ(service.dialParams().at(0).szEntryName, "Beta");
    EXPECT_FALSE(dlg->m_bConnecting);
    EXPECT_FALSE(dlg->m_bInteractive);
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(service.connections().size(), 1u);
    EXPECT_EQ(service.connections()[0].entry, "Beta");
    EXPECT_EQ(history.lines(), (std::vector<std::string>{"dial-started button Beta", "connected button Beta",
                                                         "app-started button Beta"}));
}

// ---- the window commands of the system menu

TEST_F(DialDlgHandlers, TheSystemMenuIsTheContextMenuAndItsWindowCommandsWork)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dlg->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(dlg.get(), &event);
    EXPECT_TRUE(waitUntil([this] { return dlg->systemMenu().menu()->isVisible(); }));
    // Opening it grays Maximise and Size.
    EXPECT_FALSE(dlg->systemMenu().action(SC_MAXIMIZE)->isEnabled());
    EXPECT_FALSE(dlg->systemMenu().action(SC_SIZE)->isEnabled());
    dlg->systemMenu().menu()->hide();

    dlg->OnSysCommand(SC_MINIMIZE);
    EXPECT_TRUE(waitUntil([this] { return dlg->isMinimized(); }));
    dlg->OnSysCommand(SC_RESTORE);
    EXPECT_TRUE(waitUntil([this] { return !dlg->isMinimized(); }));
    // Close is the exit.
    dlg->OnSysCommand(SC_CLOSE);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), IDCANCEL);
}

TEST_F(DialDlgTest, WithMoreEntriesThanIdsSizeStaysTheWindowCommand)
{
    service.addEntries(3900, "e");
    setProfile("e0");
    open();
    ASSERT_EQ(dlg->entryCount(), 3900);
    ASSERT_EQ(dlg->systemMenu().entryItemCount(), CSystemMenu::kMaxEntryItems);

    const int before = dlg->currentEntry();
    dlg->OnSysCommand(SC_SIZE);     // would have been entry 3,835 without the cap
    dlg->OnSysCommand(SC_MAXIMIZE); // entry 3,836
    EXPECT_EQ(dlg->currentEntry(), before);
    EXPECT_EQ(profile(), "e0");

    dlg->OnSysCommand(0xEFF0); // the last listed entry still works
    EXPECT_EQ(dlg->currentEntry(), 3834);
}

} // namespace
} // namespace telmaq::test
