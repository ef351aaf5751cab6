#include "app/MessageLog.h"

#include <fcntl.h>
#include <unistd.h>

namespace telmaq {

namespace {

std::string escaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

LoggingMessageBox::LoggingMessageBox(IMessageBox& shown, std::string logPath)
    : m_shown(shown), m_logPath(std::move(logPath))
{}

std::string LoggingMessageBox::logLine(const std::string& text, const std::string& title, unsigned style)
{
    return escaped(title) + '\t' + std::to_string(style) + '\t' + escaped(text);
}

int LoggingMessageBox::messageBox(Dialog* owner, const std::string& text, const std::string& title, unsigned style)
{
    // One write with O_APPEND per line, so that a reader never sees half a line.
    const std::string line = logLine(text, title, style) + '\n';
    const int fd = ::open(m_logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
        ::close(fd);
    }
    return m_shown.messageBox(owner, text, title, style);
}

} // namespace telmaq
