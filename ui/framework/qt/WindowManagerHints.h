#pragma once

#include <cstdint>

class QWidget;

namespace telmaq {

// The Motif window manager hints (_MOTIF_WM_HINTS) of a top-level window: the functions and the
// decorations a window manager offers it. Most X11 window managers derive their title bar
// buttons and the actions they allow from these.
struct MotifWmHints
{
    static constexpr std::uint32_t kFunctions = 1, kDecorations = 2;
    static constexpr std::uint32_t kFuncResize = 2, kFuncMove = 4, kFuncMinimize = 8, kFuncMaximize = 16,
                                   kFuncClose = 32;
    static constexpr std::uint32_t kDecorBorder = 2, kDecorResizeHandle = 4, kDecorTitle = 8, kDecorMenu = 16,
                                   kDecorMinimize = 32, kDecorMaximize = 64;

    std::uint32_t flags = 0;
    std::uint32_t functions = 0;
    std::uint32_t decorations = 0;
    std::uint32_t inputMode = 0;
    std::uint32_t status = 0;
};

// What a dialog of these window styles offers: moving, and the caption, the system menu (close)
// and the minimise box as the styles give them. Dialogs have a fixed size: never resizing or
// maximising.
MotifWmHints motifWmHintsFor(std::uint32_t style);

// Puts motifWmHintsFor(style) on the window every time before it is shown, where the window
// lives on an X11 server; Qt's own hints would offer resizing. Elsewhere, nothing.
void keepWindowManagerHints(QWidget* window, std::uint32_t style);

} // namespace telmaq
