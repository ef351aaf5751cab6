#pragma once

namespace telmaq {

// Makes the toolkit's own windows (the file dialog, message boxes, an edit's context menu)
// look like the program's: Japanese texts whatever the user's locale, since every text of ours
// is Japanese; the dialog font's families; dialog buttons without icons. Call once, right
// after the application object exists.
void applyApplicationLook(const char* dialogFontFace);

} // namespace telmaq
