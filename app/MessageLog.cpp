#include "app/MessageLog.h"

#include <fcntl.h>
#include <unistd.h>

// Windows's C library writes each line feed as CR LF into a file not opened as binary; the log
// is the same bytes on both systems, so that its readers split its lines alike.
#ifndef O_BINARY
#define O_BINARY 0
#endif

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
    const int fd = ::open(m_logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_BINARY, 0600);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
        ::close(fd);
    }
    return m_shown.messageBox(owner, text, title, style);
}

} // namespace telmaq
