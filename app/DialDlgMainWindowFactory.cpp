#include "app/DialDlgMainWindowFactory.h"

#include "app/DialApp.h"

namespace telmaq {

namespace {

class DialDlgMainWindow : public IMainWindow
{
public:
    DialDlgMainWindow(const DialDlgPorts& ports, CDialApp& app)
        : m_dlg(ports, [&app](const DialDlgState& state) { app.SaveSettings(state); })
    {}

    DialDlgState& state() override { return m_dlg.state(); }
    void runModal() override { m_dlg.RunModal(); }

private:
    CDialDlg m_dlg;
};

} // namespace

std::unique_ptr<IMainWindow> DialDlgMainWindowFactory::createMainWindow(CDialApp& app)
{
    return std::make_unique<DialDlgMainWindow>(m_ports, app);
}

} // namespace telmaq
