#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/stat.h>
#endif

namespace telmaq::test {

// A fresh folder for one test, with the hive, the dial-up database and the runtime folder
// pointed into it for as long as the object lives. Tests never see each other's files, nor
// the user's, even when ctest runs them side by side.
class TempEnvironment
{
public:
    TempEnvironment() : m_dir(makeFolder())
    {
        makeRuntimeFolder(runtimeDir());
        for (const auto& [name, value] : {std::pair<const char*, std::string>{"TELMAQ_REGISTRY", hivePath()},
                                          {"TELMAQ_DIALUP_DB", dialupPath()},
                                          {"TELMAQ_HISTORY_DB", historyPath()},
                                          {"XDG_RUNTIME_DIR", runtimeDir()},
                                          {"XDG_CONFIG_HOME", (m_dir / "config").string()}}) {
            const char* old = std::getenv(name);
            m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            setVariable(name, value.c_str());
        }
    }
    ~TempEnvironment()
    {
        for (const auto& [name, value] : m_saved)
            setVariable(name.c_str(), value ? value->c_str() : nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    TempEnvironment(const TempEnvironment&) = delete;
    TempEnvironment& operator=(const TempEnvironment&) = delete;

    const std::filesystem::path& dir() const { return m_dir; }
    std::string hivePath() const { return (m_dir / "hive.db").string(); }
    std::string dialupPath() const { return (m_dir / "dialup.db").string(); }
    std::string historyPath() const { return (m_dir / "history.db").string(); }
    std::string runtimeDir() const { return (m_dir / "runtime").string(); }

private:
#ifdef _WIN32
    // Windows has no mkdtemp: a name of this process's own, counted on past any left behind.
    static std::filesystem::path makeFolder()
    {
        static unsigned count = 0;
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        std::error_code error;
        for (;;) {
            const std::filesystem::path dir =
                temp / ("telmaq-test-" + std::to_string(::_getpid()) + "-" + std::to_string(++count));
            if (std::filesystem::create_directory(dir, error))
                return dir;
            if (error)
                return {};
        }
    }
    static void makeRuntimeFolder(const std::string& path)
    {
        std::error_code ignored;
        std::filesystem::create_directory(path, ignored);
    }
    // An empty value removes the variable.
    static void setVariable(const char* name, const char* value)
    {
        ::_putenv_s(name, value ? value : "");
    }
#else
    static std::filesystem::path makeFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "telmaq-test-XXXXXX").string();
        return ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    static void makeRuntimeFolder(const std::string& path)
    {
        ::mkdir(path.c_str(), 0700);
    }
    static void setVariable(const char* name, const char* value)
    {
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
#endif

    std::filesystem::path m_dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace telmaq::test
