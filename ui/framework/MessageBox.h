#pragma once

#include <string>

namespace telmaq {

class Dialog;

// The application name that titles the framework's own messages (validation failures).
extern const char* const kApplicationName;

// Every message box of the program goes through this port, so tests can answer at once.
class IMessageBox
{
public:
    virtual ~IMessageBox() = default;

    // Shows a modal box with an OK button only and waits until it is dismissed. owner may be
    // nullptr (a box of the application itself); style carries the icon, MB_ICONEXCLAMATION
    // (0x30) or MB_ICONINFORMATION (0x40). Texts are UTF-8. Returns the button's id (IDOK).
    virtual int messageBox(Dialog* owner, const std::string& text, const std::string& title, unsigned style) = 0;
};

} // namespace telmaq
