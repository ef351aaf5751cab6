#pragma once

#include "connection/DialDlgState.h"

#include <memory>

namespace telmaq {

class CDialApp;

// The main window as start-up sees it: the members it fills before the run and reads back
// after it, and the modal run itself.
class IMainWindow
{
public:
    virtual ~IMainWindow() = default;

    // The settings, the selected entry and the moved flag the window works on.
    virtual DialDlgState& state() = 0;

    // Shows the window and returns once it has closed.
    virtual void runModal() = 0;
};

// Makes the main window object without showing anything; the window appears only in runModal.
class IMainWindowFactory
{
public:
    virtual ~IMainWindowFactory() = default;
    // app is the application object that the window has save the settings at the session's end.
    virtual std::unique_ptr<IMainWindow> createMainWindow(CDialApp& app) = 0;
};

} // namespace telmaq
