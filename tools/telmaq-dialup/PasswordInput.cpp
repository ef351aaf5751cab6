#include "tools/telmaq-dialup/PasswordInput.h"

#include <cerrno>
#include <cstring>
#include <termios.h>
#include <unistd.h>

namespace telmaq::dialuptool {

namespace {

// Turns the terminal's echo off for as long as it lives; the line end stays echoed so the
// cursor moves on when the user presses Enter.
class EchoOff
{
public:
    EchoOff()
    {
        if (::tcgetattr(STDIN_FILENO, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        m_active = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_active)
            ::tcsetattr(STDIN_FILENO, TCSADRAIN, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios m_saved{};
    bool m_active = false;
};

} // namespace

bool standardInputIsTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<std::string> readPasswordLine(const char* prompt)
{
    std::optional<EchoOff> echoOff;
    if (prompt) {
        // Echo goes off before the prompt shows: turning it off drops what was typed ahead.
        echoOff.emplace();
        (void)!::write(STDERR_FILENO, prompt, std::strlen(prompt));
    }
    std::string line;
    bool any = false;
    for (;;) {
        char c;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        any = true;
        if (c == '\n')
            break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (!any)
        return std::nullopt;
    return line;
}

} // namespace telmaq::dialuptool
