#pragma once

#include <QIcon>

namespace telmaq {

// The program's icon (resource 128), built into the program in every size the desktop asks
// for, from 16 to 256 pixels.
QIcon programIcon();

} // namespace telmaq
