#include "ui/framework/qt/WindowManagerHints.h"

#include "ui/framework/WindowStyles.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#ifdef TELMAQ_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace telmaq {

namespace {

#ifdef TELMAQ_HAVE_XCB
void writeHints(QWidget* window, const MotifWmHints& hints)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    static const char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    if (!atom)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), atom->atom,
                        atom->atom, 32, 5, &hints);
    std::free(atom);
    xcb_flush(connection);
}
#endif

// Qt writes its own hints whenever it makes the native window; ours go on just before the
// window is mapped, which follows the show event.
class HintKeeper : public QObject
{
public:
    HintKeeper(QWidget* window, std::uint32_t style) : QObject(window), m_hints(motifWmHintsFor(style)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
#ifdef TELMAQ_HAVE_XCB
        if (event->type() == QEvent::Show && watched == parent())
            writeHints(static_cast<QWidget*>(watched), m_hints);
#else
        (void)watched;
        (void)event;
#endif
        return false;
    }

private:
    MotifWmHints m_hints;
};

} // namespace

MotifWmHints motifWmHintsFor(std::uint32_t style)
{
    MotifWmHints hints;
    hints.flags = MotifWmHints::kFunctions | MotifWmHints::kDecorations;
    hints.functions = MotifWmHints::kFuncMove;
    hints.decorations = MotifWmHints::kDecorBorder;
    if ((style & WS_CAPTION) == WS_CAPTION)
        hints.decorations |= MotifWmHints::kDecorTitle;
    if (style & WS_SYSMENU) {
        hints.functions |= MotifWmHints::kFuncClose;
        hints.decorations |= MotifWmHints::kDecorMenu;
    }
    if (style & WS_MINIMIZEBOX) {
        hints.functions |= MotifWmHints::kFuncMinimize;
        hints.decorations |= MotifWmHints::kDecorMinimize;
    }
    return hints;
}

void keepWindowManagerHints(QWidget* window, std::uint32_t style)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    window->installEventFilter(new HintKeeper(window, style));
}

} // namespace telmaq
