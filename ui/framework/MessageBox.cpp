#include "ui/framework/MessageBox.h"

namespace telmaq {

const char* const kApplicationName = "telmaq";

} // namespace telmaq
