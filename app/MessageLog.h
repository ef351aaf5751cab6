#pragma once

#include "ui/framework/MessageBox.h"

#include <string>

namespace telmaq {

// Writes down every message box before it shows: one line per box in a file, the title, a
// tab, the style as a decimal number, a tab and the text with its line feeds written as "\n".
// Switched on by TELMAQ_MESSAGE_LOG, so that the end-to-end tests can read what the user was
// told without reading the screen.
class LoggingMessageBox : public IMessageBox
{
public:
    LoggingMessageBox(IMessageBox& shown, std::string logPath);

    int messageBox(Dialog* owner, const std::string& text, const std::string& title, unsigned style) override;

    // The log line for one box, without the line end.
    static std::string logLine(const std::string& text, const std::string& title, unsigned style);

private:
    IMessageBox& m_shown;
    std::string m_logPath;
};

} // namespace telmaq
