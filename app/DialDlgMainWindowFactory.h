#pragma once

#include "app/MainWindowFactory.h"
#include "ui/dialogs/CDialDlg.h"

namespace telmaq {

// Makes the real main window, CDialDlg, over the program's ports.
class DialDlgMainWindowFactory : public IMainWindowFactory
{
public:
    explicit DialDlgMainWindowFactory(const DialDlgPorts& ports) : m_ports(ports) {}

    std::unique_ptr<IMainWindow> createMainWindow(CDialApp& app) override;

private:
    DialDlgPorts m_ports;
};

} // namespace telmaq
