#pragma once

#include "connection/DialDlgState.h"
#include "platform/system/EventWaker.h"
#include "platform/system/MessageBoxStyles.h"

#include <string>

namespace telmaq {

// A rectangle in screen pixels; right and bottom are exclusive.
struct ScreenRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// The connecting dialog as the connect procedure drives it. It frees itself once its window
// is gone, whoever destroyed it; after that the procedure must not touch it.
class IConnectingView
{
public:
    virtual ~IConnectingView() = default;

    virtual void setCaption(const std::string& caption) = 0;
    // Shows the text in the status control and gets it onto the screen now.
    virtual void setStatusText(const std::string& text) = 0;
    // The dialog's frame rectangle on the screen.
    virtual ScreenRect windowRect() const = 0;
    // Brings the dialog to the front (not topmost) at (x, y), keeping its size.
    virtual void placeInFront(int x, int y) = 0;
    // Destroys the window; the object frees itself.
    virtual void destroy() = 0;
};

// The main window as the connect and disconnect procedures and the tick see it: its members,
// the connecting dialog, message boxes and the pumping of window events. The Qt main window
// implements it; tests implement it with a fake.
class IDialWindow : public IEventWaker
{
public:
    virtual DialDlgState& state() = 0;

    // Creates and shows the connecting dialog, owned by this window. It reaches back only
    // to clear state().m_bKeepDialing.
    virtual IConnectingView* createConnectingDialog() = 0;

    virtual bool isIconic() const = 0;
    // The client area's corners converted to screen coordinates.
    virtual ScreenRect clientRectOnScreen() const = 0;
    virtual int screenWidth() const = 0;
    virtual int screenHeight() const = 0;

    // A modal message box with OK only, owned by this window; waits until it is dismissed.
    virtual void messageBox(const std::string& text, const std::string& title, unsigned style) = 0;

    // Handles the window events that are waiting, then the idle work. False when the
    // application is quitting.
    virtual bool pumpPendingMessages() = 0;

    // Waits until a window event arrives, wake() is called or maxMs milliseconds pass,
    // then pumps as pumpPendingMessages does.
    virtual bool waitAndPump(int maxMs) = 0;
};

} // namespace telmaq
