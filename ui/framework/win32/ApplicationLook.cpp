#include "ui/framework/ApplicationLook.h"

namespace telmaq {

// The system draws its own windows in its own look; the dialogs name their font in their
// templates.
void applyApplicationLook(const char*) {}

} // namespace telmaq
