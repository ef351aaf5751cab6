#pragma once

#include "connection/DialWindow.h"

namespace telmaq {

struct ScreenPoint
{
    int x = 0;
    int y = 0;
};

// Where the connecting dialog goes: centred on the main window's client area (not its frame),
// or on the screen while the main window is minimised. Each half is truncated on its own, and
// the clamp to 0 comes before the clamp to the screen's far edge, so a dialog larger than the
// screen keeps its right and bottom edges on the screen and starts off it.
ScreenPoint connectingDialogPosition(const ScreenRect& dialog, bool mainIconic, const ScreenRect& mainClient,
                                     int screenWidth, int screenHeight);

// Places an open connecting dialog over the window, in front.
void placeConnectingDialog(IDialWindow& window, IConnectingView& dialog);

} // namespace telmaq
