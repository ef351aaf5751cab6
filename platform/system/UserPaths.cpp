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

// The file named by our own variable when it is set, else telmaq's file in an XDG base folder;
// a relative XDG value is ignored, as the base directory rules ask.
std::string userFile(const char* override, const char* xdgVariable, const char* homeFallback, const char* name)
{
    std::string path = environment(override);
    if (!path.empty())
        return path;
    std::string base = environment(xdgVariable);
    if (base.empty() || base.front() != '/')
        base = homeDirectory() + homeFallback;
    return base + "/telmaq/" + name;
}

} // namespace

std::string hivePath()
{
    return userFile("TELMAQ_REGISTRY", "XDG_CONFIG_HOME", "/.config", "registry.db");
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
    return userFile("TELMAQ_HISTORY_DB", "XDG_STATE_HOME", "/.local/state", "history.db");
}

std::string runtimeDirectory()
{
    std::string dir = environment("XDG_RUNTIME_DIR");
    if (!dir.empty())
        return dir.front() == '/' ? dir : std::string();
    return privateFolder("/tmp/telmaq-" + std::to_string(::getuid()));
}

} // namespace telmaq
