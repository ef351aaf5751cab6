#include "platform/system/UserPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telmaq {
namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeDirectory()
{
    std::string home = environment("HOME");
    if (!home.empty())
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string hivePath()
{
    std::string path = environment("TELMAQ_REGISTRY");
    if (!path.empty())
        return path;
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/')
        config = homeDirectory() + "/.config";
    return config + "/telmaq/registry.db";
}

std::string dialupDatabasePath()
{
    std::string path = environment("TELMAQ_DIALUP_DB");
    if (!path.empty())
        return path;
    return folderOf(hivePath()) + "/dialup.db";
}

std::string privateFolder(const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return {};
    ::mkdir(path.c_str(), 0700);
    // /tmp is everybody's: whatever another user put at the name first, a folder open to
    // others, a link to elsewhere, a plain file, must not hold or move our lock. lstat, so a
    // link is judged as the link.
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 077) != 0)
        return {};
    return path;
}

std::string historyDatabasePath()
{
    std::string path = environment("TELMAQ_HISTORY_DB");
    if (!path.empty())
        return path;
    std::string state = environment("XDG_STATE_HOME");
    if (state.empty() || state.front() != '/')
        state = homeDirectory() + "/.local/state";
    return state + "/telmaq/history.db";
}

std::string runtimeDirectory()
{
    std::string dir = environment("XDG_RUNTIME_DIR");
    if (!dir.empty())
        return dir.front() == '/' ? dir : std::string();
    return privateFolder("/tmp/telmaq-" + std::to_string(::getuid()));
}

} // namespace telmaq
