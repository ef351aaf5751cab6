#pragma once

#include "ui/dialogs/CDialDlg.h"
#include "ui/framework/CSystemMenu.h"
#include "ui/framework/qt/CSystemMenuImpl.h"
#include "ui/framework/qt/DialogWindow.h"

#include "dialup/DialupLists.h"
#include "dialup/HiveValues.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeHistory.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/MessageBoxRecorder.h"
#include "platform/registry/SqliteHive.h"
#include "support/TempEnvironment.h"

#include <QtWidgets>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace telmaq::test {

// The main window over fakes, made as start-up makes it.
class DialDlgTest : public ::testing::Test
{
protected:
    void addEntries(const std::vector<std::string>& names)
    {
        for (const auto& name : names)
            service.addEntry(name, {"0123", "user", "secret", ""});
    }
    void setProfile(const std::string& name)
    {
        storeValue(hive, "RemoteAccess", "InternetProfile", REG_SZ, name + '\0');
    }

    // Makes the window as start-up does (entries listed, the default entry as m_strEntry),
    // lets the test set members as the stored settings would, then initialises and shows it.
    void open(const std::function<void(CDialDlg&)>& configure = {})
    {
        EXPECT_EQ(lists.EnumEntries(), 0u);
        dlg = std::make_unique<CDialDlg>(
            DialDlgPorts{{service, lists, errorText, launcher, clock, history}, settings, boxes},
            [this](const DialDlgState& state) { saves.push_back(state); });
        const char* entry = settings.ReadInternetProfile();
        dlg->m_strEntry = entry ? entry : "";
        if (configure)
            configure(*dlg);
        dlg->Create();
        dlg->ShowWindow();
    }

    void click(int id) { qobject_cast<QAbstractButton*>(qtControl(*dlg, id))->click(); }
    // The entry list as shown, "[selected]" and "checked*" in the sub-menu, whose items must
    // be the list's.
    std::string entries() const
    {
        std::string shown;
        for (int i = 0; i < dlg->entryCount(); ++i) {
            const std::string name = dlg->entryText(i);
            EXPECT_EQ(qtEntryMenu(dlg->systemMenu())->actions().at(i)->text().toStdString(), name);
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

class DialDlgHandlers : public DialDlgTest
{
protected:
    void SetUp() override
    {
        addEntries({"Gamma", "Alpha", "Beta"});
        setProfile("Alpha");
        open([](CDialDlg& d) {
            d.m_bAutoConnection = d.m_bAutoDisconnection = d.m_bAutoApplication = true;
            std::tie(d.m_nConnectHour, d.m_nDisconnectHour, d.m_strApplicationFile) =
                std::tuple(6, 23, "/usr/bin/keep");
        });
    }
};

} // namespace telmaq::test
