#pragma once

#include "connection/DialDlgState.h"

#include <memory>

namespace telmaq {

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
    virtual std::unique_ptr<IMainWindow> createMainWindow() = 0;
};

} // namespace telmaq
