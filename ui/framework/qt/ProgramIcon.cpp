#include "ui/framework/qt/ProgramIcon.h"

// The resource lives in a static library: its initialiser must be named once, outside any
// namespace, or the linker drops it.
static void initIconResource()
{
    Q_INIT_RESOURCE(telmaq_icons);
}

namespace telmaq {

QIcon programIcon()
{
    static const bool initialised = (initIconResource(), true);
    (void)initialised;
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/telmaq-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace telmaq
