// The main window over fakes: as it opens, its handlers and the end of its run.
#include "ui/DialDlg.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeHistory.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/MessageBoxRecorder.h"
#include "platform/registry/SqliteHive.h"
#include "support/TempEnvironment.h"
#include "support/WaitUntil.h"
#include "ui/CTimeDlg.h"
#include "ui/SortedComboBox.h"
#include "ui/SystemMenu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace telmaq::test {
namespace {

// Acts on each modal dialog that opens, from inside its modal run, and notes its class.
struct ModalWatcher
{
    explicit ModalWatcher(std::function<void(QDialog*)> act)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, act] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                seen.push_back(modal->metaObject()->className());
                act(modal);
            }
        });
        timer.start(5);
    }
    std::vector<std::string> seen;
    QTimer timer;
};

class DialDlgTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (dlg)
            dlg->hide();
    }

    void addEntries(const std::vector<std::string>& names)
    {
        for (const auto& name : names)
            service.addEntry(name, {"0123", "user", "secret", ""});
    }
    void put(const char* name, std::uint32_t type, const std::string& bytes)
    {
        HKEY key = 0;
        ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        hive.setValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                      static_cast<std::uint32_t>(bytes.size()));
        hive.closeKey(key);
    }
    void setProfile(const std::string& name) { put("InternetProfile", REG_SZ, name + '\0'); }
    std::string profile()
    {
        const char* value = settings.ReadInternetProfile();
        return value ? value : "(none)";
    }

    // Makes the window as start-up does (entries listed, the default entry as m_strEntry),
    // lets the test set members as the stored settings would, then initialises and shows it.
    void open(const std::function<void(CDialDlg&)>& configure = {})
    {
        EXPECT_EQ(lists.EnumEntries(), 0u);
        dlg = std::make_unique<CDialDlg>(
            DialDlgPorts{service, lists, errorText, settings, launcher, clock, boxes, history},
            [this](const DialDlgState& state) { saves.push_back(state); });
        const char* entry = settings.ReadInternetProfile();
        dlg->m_strEntry = entry ? entry : "";
        if (configure)
            configure(*dlg);
        dlg->Create();
        dlg->show();
    }

    void click(int id) { qobject_cast<QAbstractButton*>(dlg->GetDlgItem(id))->click(); }
    // The entry list as shown, "[selected]" and "checked*" in the sub-menu, whose items must
    // be the list's.
    std::string entries() const
    {
        std::string shown;
        for (int i = 0; i < dlg->entryCount(); ++i) {
            const std::string name = dlg->entryText(i);
            EXPECT_EQ(dlg->systemMenu().entryMenu()->actions().at(i)->text().toStdString(), name);
            shown += (i == dlg->currentEntry() ? "[" + name + "]" : name) +
                     (dlg->systemMenu().isEntryChecked(i) ? "* " : " ");
        }
        return shown;
    }

    TempEnvironment env;
    SqliteHive hive{env.hivePath()};
    FakeDialupService service;
    DialupLists lists{service};
    RasErrorText errorText{service};
    SystemDialupSettings settings{hive};
    FakeProcessLauncher launcher;
    FakeClock clock;
    MessageBoxRecorder boxes;
    FakeHistory history;
    std::vector<DialDlgState> saves;
    std::unique_ptr<CDialDlg> dlg;
};

TEST_F(DialDlgTest, OpensOnTheDefaultEntryFoundIgnoringCaseElseOnTheFirstWhichBecomesTheDefault)
{
    addEntries({"Zeta", "alpha", "Mike"});
    using Case = std::tuple<const char*, const char*, const char*>;
    for (const auto& [stored, shown, entry] :
         {Case{"Mike", "alpha [Mike]* Zeta ", "Mike"}, Case{"MIKE", "alpha [Mike]* Zeta ", "MIKE"},
          Case{"Gone", "[alpha]* Mike Zeta ", "alpha"}}) {
        setProfile(stored);
        open();
        EXPECT_EQ(entries(), shown) << stored;
        EXPECT_EQ(dlg->m_strEntry, entry) << stored;
        EXPECT_EQ(profile(), entry) << stored;
    }
}

TEST_F(DialDlgTest, ShowsTheStoredSettingsAndEnablesByTheThreeCheckBoxes)
{
    addEntries({"A"});
    for (const auto& [name, value] :
         {std::pair{"EnableRedial", 1u}, {"RedialTry", 10u}, {"RedialWait", 2u << 16 | 30u}})
        put(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value));
    open([](CDialDlg& d) {
        d.m_bConnecting = d.m_bDisconnecting = d.m_bInteractive = d.m_bMoved = true;
        d.m_bAutoConnection = false;
        d.m_bAutoDisconnection = d.m_bCheckWed = d.m_bApplicationDisconnection = true;
        d.m_strApplicationFile = "/usr/bin/true";
    });
    EXPECT_EQ(dlg->GetDlgItemText(IDC_REDIAL_TEXT), "【リダイヤルあり】\n 2分 30秒 / 10回");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_APPLICATION_FILE), "/usr/bin/true");
    EXPECT_FALSE(dlg->m_bConnecting || dlg->m_bDisconnecting || dlg->m_bInteractive || dlg->m_bMoved);
    // Filling the edit must not pull the check boxes after it back before they were filled.
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_APPLICATION_DISCONNECTION));

    // Per group of controls "1" all enabled, "0" none: those of automatic connection, the
    // disconnect time, the application, the rest; then the three check boxes' members.
    const auto state = [this] {
        std::string state;
        for (const std::vector<int>& ids :
             {std::vector<int>{IDC_CHECK_SUN, IDC_CHECK_MON, IDC_CHECK_TUE, IDC_CHECK_WED, IDC_CHECK_THU, IDC_CHECK_FRI,
                               IDC_CHECK_SAT, IDC_CONNECT_TIME, IDC_SET_CONNECT_TIME, IDC_AUTO_DISCONNECTION},
              {IDC_DISCONNECT_TIME, IDC_SET_DISCONNECT_TIME},
              {IDC_APPLICATION_DISCONNECTION, IDC_APPLICATION_FILE, IDC_BROWSE},
              {IDC_ENTRY, IDC_AUTO_CONNECTION, IDC_AUTO_APPLICATION, IDC_ICONIC, IDC_CONNECT, IDC_DISCONNECT, IDC_HELP,
               IDCANCEL}}) {
            const auto on = std::count_if(ids.begin(), ids.end(), [this](int id) { return dlg->isDlgItemEnabled(id); });
            state += on == 0 ? '0' : on == static_cast<long>(ids.size()) ? '1' : '?';
        }
        for (bool member : {dlg->m_bAutoConnection, dlg->m_bAutoDisconnection, dlg->m_bAutoApplication})
            state += member ? " 1" : " 0";
        return state;
    };
    using Step = std::pair<int, const char*>;
    for (const auto& [clicked, expected] :
         {Step{0, "0001 0 1 0"}, Step{IDC_AUTO_CONNECTION, "1101 1 1 0"}, Step{IDC_AUTO_DISCONNECTION, "1001 1 0 0"},
          Step{IDC_AUTO_CONNECTION, "0001 0 0 0"}, Step{IDC_AUTO_CONNECTION, "1001 1 0 0"},
          Step{IDC_AUTO_APPLICATION, "1011 1 0 1"}}) {
        if (clicked)
            click(clicked);
        EXPECT_EQ(state(), expected) << clicked;
    }
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_CHECK_WED)) << "a disabled box keeps its state";
}

TEST_F(DialDlgTest, OpensAtTheStoredPositionAndMinimisedOnlyWhenAskedTo)
{
    addEntries({"A"});
    for (const bool iconic : {false, true}) {
        open([iconic](CDialDlg& d) {
            d.m_nWindowLeft = 120;
            d.m_nWindowTop = 45;
            d.m_bIconic = iconic;
        });
        EXPECT_EQ(dlg->pos(), QPoint(120, 45));
        // Under some platforms a minimised window stays on the screen: Qt's own state counts.
        EXPECT_EQ(waitUntil([this] { return dlg->isMinimized(); }, iconic ? 20000 : 200), iconic);
        EXPECT_EQ(dlg->isIconic(), iconic);
    }
}

class DialDlgHandlers : public DialDlgTest
{
protected:
    void SetUp() override
    {
        addEntries({"Gamma", "Alpha", "Beta"});
        setProfile("Alpha");
        open([](CDialDlg& d) {
            d.m_bAutoConnection = d.m_bAutoDisconnection = d.m_bAutoApplication = true;
            d.m_nConnectHour = 6;
            d.m_nDisconnectHour = 23;
            d.m_strApplicationFile = "/usr/bin/keep";
        });
    }
};

TEST_F(DialDlgHandlers, TimeDialogsShowTheirTimeAndOnlyOkTakesTheNewOne)
{
    // Connect time OK, disconnect time OK, connect time cancelled; each types hh:15:09.
    std::vector<std::string> shown;
    ModalWatcher watcher([&](QDialog* w) {
        auto* time = qobject_cast<CTimeDlg*>(w);
        ASSERT_NE(time, nullptr);
        const int call = static_cast<int>(shown.size());
        shown.push_back(time->windowTitle().toStdString() + std::to_string(time->m_nHour));
        EXPECT_TRUE(dlg->m_bTimeDlgOpen);
        time->m_nHour = 8 + call;
        time->m_nMinute = 15;
        time->m_nSecond = 9;
        time->UpdateData(false);
        call < 2 ? w->accept() : w->reject();
    });
    for (int id : {IDC_SET_CONNECT_TIME, IDC_SET_DISCONNECT_TIME, IDC_SET_CONNECT_TIME})
        click(id);

    EXPECT_EQ(shown, (std::vector<std::string>{"自動接続時刻の設定6", "自動切断時刻の設定23", "自動接続時刻の設定8"}));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CONNECT_TIME), "08：15：09");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_DISCONNECT_TIME), "09：15：09");
    EXPECT_EQ(std::tuple(dlg->m_nConnectHour, dlg->m_nConnectMinute, dlg->m_nConnectSecond), std::tuple(8, 15, 9));
    EXPECT_EQ(dlg->m_nDisconnectHour, 9);
    EXPECT_FALSE(dlg->m_bTimeDlgOpen);
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
        EXPECT_TRUE(dlg->m_bFileDlgOpen);
        EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFile);
        if (listed.empty()) {
            listed.emplace_back();
            return w->reject();
        }
        files->setDirectory(QString::fromStdString(folder.string()));
        auto* view = files->findChild<QListView*>(QStringLiteral("listView"));
        const auto names = [view] {
            std::set<std::string> names;
            for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                names.insert(view->model()->index(r, 0, view->rootIndex()).data().toString().toStdString());
            names.erase("..");
            return names;
        };
        waitUntil([&] { return names().count("tool") > 0; }, 5000);
        listed.push_back(names());
        QTest::keyClick(files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
        waitUntil([&] { return names().count("notes.txt") > 0; }, 5000);
        listed.push_back(names());
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("tool"));
        w->accept();
    });
    click(IDC_BROWSE);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_APPLICATION_FILE), "/usr/bin/keep");
    click(IDC_BROWSE);
    EXPECT_EQ(listed, (std::vector<std::set<std::string>>{{}, {"sub", "tool"}, {"notes.txt", "sub", "tool"}}));
    EXPECT_EQ(dlg->m_strApplicationFile, "'" + (folder / "tool").string() + "'");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_APPLICATION_FILE), dlg->m_strApplicationFile);
    EXPECT_FALSE(dlg->m_bFileDlgOpen);
}

TEST_F(DialDlgHandlers, WhileAConnectOrDisconnectRunsOnlyAboutOpens)
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
        EXPECT_EQ(watcher.seen, std::vector<std::string>{});
        EXPECT_EQ(service.totalCalls(), calls);
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(std::tuple(dlg->m_bConnecting, dlg->m_bDisconnecting, dlg->m_bInteractive),
                  std::tuple(busy == &DialDlgState::m_bConnecting, busy == &DialDlgState::m_bDisconnecting, false));
        dlg->OnSysCommand(IDM_ABOUTBOX);
        EXPECT_EQ(watcher.seen, std::vector<std::string>{"telmaq::CAboutDlg"});
        EXPECT_FALSE(dlg->m_bAboutOpen);
        dlg.get()->*busy = false;
    }
    click(IDCANCEL);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), IDCANCEL);
}

TEST_F(DialDlgHandlers, ChoosingAnEntrySelectsItEverywhereAndWritesTheDefault)
{
    SortedComboBox& list = dlg->entryList();
    using Case = std::tuple<const char*, std::function<void()>, const char*, const char*>;
    for (const auto& [how, choose, shown, stored] :
         {Case{"list", [&] { list.setCurrentIndex(1), emit list.activated(1); }, "Alpha [Beta]* Gamma ", "Beta"},
          Case{"sub-menu", [&] { dlg->systemMenu().entryMenu()->actions().at(2)->trigger(); }, "Alpha Beta [Gamma]* ",
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
        EXPECT_EQ(profile(), stored) << how;
    }
}

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
        EXPECT_EQ(std::tuple(box.text, box.title, box.style, box.owner),
                  std::tuple("ﾍﾙﾌﾟの起動に失敗しました。", "telmaq", 0x30u, static_cast<QWidget*>(dlg.get())));
    }
}

// The program's own name with ".HLP": beside it first (a build folder), then in
// ../share/telmaq/ (installed); with neither, the first place looked.
TEST(DialDlgHelpFile, BesideTheProgramThenInItsShareFolder)
{
    using Case = std::tuple<bool, bool, const char*>; // beside, installed, found
    for (const auto& [beside, installed, expected] :
         {Case{false, false, "bin/dialer.HLP"}, Case{false, true, "share/telmaq/dialer.HLP"},
          Case{true, true, "bin/dialer.HLP"}, Case{true, false, "bin/dialer.HLP"}}) {
        QTemporaryDir root;
        ASSERT_TRUE(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("share/telmaq"));
        for (const auto& [wanted, file] : {std::pair{beside, "bin/dialer.HLP"},
                                           {installed, "share/telmaq/dialer.HLP"},
                                           {true, "share/telmaq/telmaq.HLP"}}) {
            QFile made(root.filePath(file));
            ASSERT_TRUE(!wanted || made.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(CDialDlg::helpFilePathFor(root.filePath("bin/dialer")).toStdString(),
                  root.filePath(expected).toStdString());
    }
}

TEST_F(DialDlgHandlers, ConnectDialsTheSelectedEntryAndDisconnectHangsUpOrSaysThereIsNone)
{
    dlg->OnSysCommand(IDM_ENTRY_FIRST + 16);
    click(IDC_CONNECT);
    ASSERT_EQ(service.connections().size(), 1u);
    EXPECT_EQ(service.connections()[0].entry, "Beta");
    dlg->OnSysCommand(IDM_DISCONNECT);
    EXPECT_EQ(service.hungUp().size(), 1u);
    click(IDC_DISCONNECT);

    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"接続されていません"});
    EXPECT_EQ(boxes.shown[0].owner, dlg.get());
    EXPECT_EQ(history.lines(), (std::vector<std::string>{"dial-started button Beta", "connected button Beta",
                                                         "app-started button Beta", "hung-up system-menu Beta"}));
    EXPECT_FALSE(dlg->m_bConnecting || dlg->m_bDisconnecting || dlg->m_bInteractive);
}

TEST_F(DialDlgHandlers, TheSystemMenuIsTheContextMenuAndItsWindowCommandsWork)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dlg->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(dlg.get(), &event);
    EXPECT_TRUE(waitUntil([this] { return dlg->systemMenu().menu()->isVisible(); }));
    // Opening it grays Maximise and Size.
    EXPECT_FALSE(dlg->systemMenu().action(SC_MAXIMIZE)->isEnabled() || dlg->systemMenu().action(SC_SIZE)->isEnabled());
    dlg->systemMenu().menu()->hide();
    dlg->OnSysCommand(SC_MINIMIZE);
    EXPECT_TRUE(waitUntil([this] { return dlg->isMinimized(); }));
    dlg->OnSysCommand(SC_RESTORE);
    EXPECT_TRUE(waitUntil([this] { return !dlg->isMinimized(); }));
    dlg->OnSysCommand(SC_CLOSE);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), IDCANCEL);
}

TEST_F(DialDlgTest, WithMoreEntriesThanIdsSizeStaysTheWindowCommand)
{
    service.addEntries(3900, "e");
    setProfile("e0");
    open();
    ASSERT_EQ(dlg->systemMenu().entryItemCount(), CSystemMenu::kMaxEntryItems);
    dlg->OnSysCommand(SC_SIZE);     // would have been entry 3,835 without the cap
    dlg->OnSysCommand(SC_MAXIMIZE); // entry 3,836
    EXPECT_EQ(profile(), "e0");
    dlg->OnSysCommand(0xEFF0); // the last listed entry still works
    EXPECT_EQ(dlg->currentEntry(), 3834);
}

TEST_F(DialDlgTest, OnlyClosingAwayFromWhereItOpenedIsAMoveAndTheSessionsEndSavesOnce)
{
    addEntries({"A", "B"});
    setProfile("A");
    const auto at100x50 = [](CDialDlg& d) {
        d.m_nWindowLeft = 100;
        d.m_nWindowTop = 50;
    };
    using Case = std::tuple<std::vector<QPoint>, bool, QPoint>; // moves, moved, position kept
    for (const auto& [moves, moved, kept] : {Case{{}, false, {100, 50}}, Case{{{140, 50}}, true, {140, 50}},
                                             Case{{{300, 200}, {100, 50}}, false, {100, 50}}}) {
        open(at100x50);
        for (const QPoint& to : moves)
            dlg->move(to);
        dlg->OnDestroy();
        EXPECT_EQ(std::tuple(dlg->m_bMoved, QPoint(dlg->m_nWindowLeft, dlg->m_nWindowTop)), std::tuple(moved, kept));
    }

    open(at100x50);
    dlg->move(100, 75);
    dlg->m_bCheckSun = false;
    dlg->OnEndSession();
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_TRUE(saves[0].m_bMoved && !saves[0].m_bCheckSun);
    EXPECT_EQ(saves[0].m_nWindowTop, 75);
    // The log-off was cancelled after all: the tick goes on (it picks up a new default
    // entry), and closing later compares with the new position.
    setProfile("B");
    clock.advanceSeconds(1);
    EXPECT_TRUE(waitUntil([this] { return dlg->m_strEntry == "B"; }, 5000)) << "no tick after the session's end";
    dlg->OnDestroy();
    EXPECT_EQ(dlg->m_nWindowTop, 75);
    EXPECT_EQ(saves.size(), 1u);
}

} // namespace
} // namespace telmaq::test
