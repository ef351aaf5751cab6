#include "connection/DialogPlacement.h"

namespace telmaq {

namespace {

int centredOnAxis(int start, int extent, int size, int screenExtent)
{
    int at = start + extent / 2 - size / 2;
    if (at < 0)
        at = 0;
    if (at + size > screenExtent)
        at = screenExtent - size;
    return at;
}

} // namespace

ScreenPoint connectingDialogPosition(const ScreenRect& dialog, bool mainIconic, const ScreenRect& mainClient,
                                     int screenWidth, int screenHeight)
{
    const int w = dialog.width();
    const int h = dialog.height();
    if (mainIconic)
        return {(screenWidth - w) / 2, (screenHeight - h) / 2};
    return {centredOnAxis(mainClient.left, mainClient.width(), w, screenWidth),
            centredOnAxis(mainClient.top, mainClient.height(), h, screenHeight)};
}

void placeConnectingDialog(IDialWindow& window, IConnectingView& dialog)
{
    const ScreenPoint at = connectingDialogPosition(dialog.windowRect(), window.isIconic(), window.clientRectOnScreen(),
                                                    window.screenWidth(), window.screenHeight());
    dialog.placeInFront(at.x, at.y);
}

} // namespace telmaq
