#include "ui/framework/FileDialog.h"

#include "ui/framework/Dialog.h"
#include "ui/framework/win32/DialogWindow.h"

#include <commdlg.h>

namespace telmaq {

namespace {

// Pairs of description and pattern, each ended by a zero, the list by a second one. The
// program's texts are UTF-8, which the A calls take as they are under the manifest's code page.
const char kFilter[] = "Application Files (*.exe)\0*.exe\0All Files (*.*)\0*.*\0";

} // namespace

bool browseForProgram(Dialog& owner, std::string& path)
{
    char file[MAX_PATH * 4] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner.window().handle();
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameA(&dialog))
        return false;
    path = file;
    return true;
}

} // namespace telmaq
