#include "platform/process/PosixProcessLauncher.h"

#include "platform/process/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <system_error>

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace telmaq {

namespace {

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

// Frees the spawn attributes and file actions however start() leaves.
struct SpawnSetup
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    bool actionsReady = false;
    bool attributesReady = false;

    ~SpawnSetup()
    {
        if (actionsReady)
            posix_spawn_file_actions_destroy(&actions);
        if (attributesReady)
            posix_spawnattr_destroy(&attributes);
    }
};

enum class WaitAnswer
{
    Running,
    Ended,
    Unknown, // not our child, or already collected by someone else
};

WaitAnswer pollChild(pid_t pid)
{
    for (;;) {
        int status = 0;
        const pid_t answer = ::waitpid(pid, &status, WNOHANG);
        if (answer == pid)
            return WaitAnswer::Ended;
        if (answer == 0)
            return WaitAnswer::Running;
        if (errno != EINTR)
            return WaitAnswer::Unknown;
    }
}

} // namespace

PosixProcessLauncher::~PosixProcessLauncher()
{
    reapForgotten();
}

ProcessHandle PosixProcessLauncher::start(const std::string& commandLine, std::string* error)
{
    reapForgotten();

    CommandLineWords words = splitCommandLine(commandLine);
    if (!words.ok) {
        setError(error, words.error);
        return kNoProcess;
    }
    if (words.words.empty()) {
        setError(error, "empty command line");
        return kNoProcess;
    }

    std::vector<char*> argv;
    argv.reserve(words.words.size() + 1);
    for (std::string& word : words.words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    if (posix_spawn_file_actions_init(&setup.actions) != 0 || posix_spawnattr_init(&setup.attributes) != 0) {
        setError(error, "cannot prepare the launch");
        return kNoProcess;
    }
    setup.actionsReady = true;
    setup.attributesReady = true;

    // Only the standard streams go to the child. A descriptor opened without close-on-exec
    // (the instance lock's file, say) would otherwise keep telmaq's single-instance lock
    // held by the application after telmaq itself has ended.
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);

    // The child starts with a clean signal state, whatever this process blocks or ignores.
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaults;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    posix_spawnattr_setsigmask(&setup.attributes, &noSignals);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    // glibc reports a program that cannot be executed as posix_spawnp's own answer, so a
    // missing program is a failure to start here and never a child that exits with 127.
    pid_t pid = 0;
    const int failure = ::posix_spawnp(&pid, argv[0], &setup.actions, &setup.attributes, argv.data(), environ);
    if (failure != 0) {
        setError(error, argv[0] + std::string(": ") + std::generic_category().message(failure));
        return kNoProcess;
    }
    m_ended.erase(pid);
    return pid;
}

bool PosixProcessLauncher::hasEnded(ProcessHandle process)
{
    if (process <= 0)
        return true;
    if (m_ended.count(process))
        return true;
    switch (pollChild(static_cast<pid_t>(process))) {
    case WaitAnswer::Running:
        return false;
    case WaitAnswer::Ended:
        m_ended.insert(process);
        return true;
    case WaitAnswer::Unknown:
        break;
    }
    return true;
}

void PosixProcessLauncher::close(ProcessHandle process)
{
    if (process <= 0)
        return;
    if (m_ended.erase(process) == 0 && pollChild(static_cast<pid_t>(process)) == WaitAnswer::Running)
        m_forgotten.push_back(process);
    reapForgotten();
}

void PosixProcessLauncher::reapForgotten()
{
    m_forgotten.erase(
        std::remove_if(m_forgotten.begin(), m_forgotten.end(),
                       [](ProcessHandle pid) { return pollChild(static_cast<pid_t>(pid)) != WaitAnswer::Running; }),
        m_forgotten.end());
}

} // namespace telmaq
