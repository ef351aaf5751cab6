#pragma once

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
#include "ui/DialDlg.h"
#include "ui/SortedComboBox.h"
#include "ui/SystemMenu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace telmaq::test {

// Acts on the next modal dialog that opens (other than the main window), from inside its
// modal run, and remembers what it saw. A watcher that saw nothing by the end of a test
// proves that no dialog opened.
class ModalWatcher
{
public:
    explicit ModalWatcher(std::function<void(QWidget*)> act) : m_act(std::move(act))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++seen;
                seenClass = modal->metaObject()->className();
                m_act(modal);
            }
        });
        m_timer.start(5);
    }

    int seen = 0;
    std::string seenClass;

private:
    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
};

// The main window over fakes: a scripted dial-up service, a hive in a temporary folder (for
// the default entry and the redial settings), a fake launcher and clock, recorded message
// boxes.
class DialDlgTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (dlg)
            dlg->hide();
        dlg.reset();
    }

    void addEntries(const std::vector<std::string>& names)
    {
        for (const auto& name : names)
            service.addEntry(name, {"0123", "user", "secret", ""});
    }

    void writeRemoteAccess(const char* name, std::uint32_t type, const std::string& bytes)
    {
        HKEY key = 0;
        ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        ASSERT_EQ(hive.setValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                static_cast<std::uint32_t>(bytes.size())),
                  ERROR_SUCCESS);
        hive.closeKey(key);
    }

    void setProfile(const std::string& name) { writeRemoteAccess("InternetProfile", REG_SZ, name + '\0'); }

    void setDword(const char* name, std::uint32_t value)
    {
        const std::string bytes{static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                                static_cast<char>(value >> 24)};
        writeRemoteAccess(name, REG_DWORD, bytes);
    }

    std::string profile()
    {
        SystemDialupSettings reader(hive);
        const char* value = reader.ReadInternetProfile();
        return value ? value : "(none)";
    }

    DialDlgPorts ports() { return {service, lists, errorText, settings, launcher, clock, boxes, history}; }

    // Makes the window as start-up does (entries listed, the default entry as m_strEntry),
    // lets the test set members as the stored settings would, then initialises and shows it.
    CDialDlg& open(const std::function<void(CDialDlg&)>& configure = {})
    {
        EXPECT_EQ(lists.EnumEntries(), 0u);
        dlg = std::make_unique<CDialDlg>(ports(), [this](const DialDlgState& state) { saves.push_back(state); });
        const char* entry = settings.ReadInternetProfile();
        dlg->m_strEntry = entry ? entry : "";
        if (configure)
            configure(*dlg);
        dlg->Create();
        dlg->show();
        return *dlg;
    }

    void click(int id)
    {
        auto* button = qobject_cast<QAbstractButton*>(dlg->GetDlgItem(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }

    // The user picks an item of the entry list.
    void chooseFromList(int index)
    {
        SortedComboBox& list = dlg->entryList();
        list.setCurrentIndex(index);
        emit list.activated(index);
    }

    std::vector<std::string> listItems() const
    {
        std::vector<std::string> items;
        for (int i = 0; i < dlg->entryCount(); ++i)
            items.push_back(dlg->entryText(i));
        return items;
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

} // namespace telmaq::test
