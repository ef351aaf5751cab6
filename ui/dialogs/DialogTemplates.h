#pragma once

#include "ui/dialogs/ResourceIds.h"
#include "ui/framework/DialogTemplate.h"

namespace telmaq {

// The face every dialog asks for; the framework falls back to look-alikes where it is missing.
extern const char* const kDialogFontFace;

// The main window: entry list, automatic connect and disconnect, the application to start.
const DialogTemplate& mainDialogTemplate();
// The dial progress window with its Cancel button.
const DialogTemplate& connectingDialogTemplate();
// Hours, minutes and seconds with up-down arrows.
const DialogTemplate& timeDialogTemplate();
// Program name, version and ownership notice.
const DialogTemplate& aboutDialogTemplate();

// The template with this resource id, or nullptr.
const DialogTemplate* findDialogTemplate(int id);

} // namespace telmaq
