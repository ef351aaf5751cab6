#include "app/QtMainWindowFactory.h"

#include "app/DialApp.h"

namespace telmaq {

namespace {

class QtMainWindow : public IMainWindow
{
public:
    QtMainWindow(const DialDlgPorts& ports, CDialApp& app)
        : m_dlg(ports, [&app](const DialDlgState& state) { app.SaveSettings(state); })
    {}

    DialDlgState& state() override { return m_dlg.state(); }
    void runModal() override { m_dlg.RunModal(); }

private:
    CDialDlg m_dlg;
};

} // namespace

std::unique_ptr<IMainWindow> QtMainWindowFactory::createMainWindow(CDialApp& app)
{
    return std::make_unique<QtMainWindow>(m_ports, app);
}

} // namespace telmaq
