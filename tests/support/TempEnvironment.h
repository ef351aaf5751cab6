#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include <sys/stat.h>

namespace telmaq::test {

// A fresh folder for one test, with the hive, the dial-up database and the runtime folder
// pointed into it for as long as the object lives. Tests never see each other's files, nor
// the user's, even when ctest runs them side by side.
class TempEnvironment
{
public:
    TempEnvironment()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "telmaq-test-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data()) ? pattern : std::string();
        ::mkdir(runtimeDir().c_str(), 0700);
        for (const auto& [name, value] : {std::pair<const char*, std::string>{"TELMAQ_REGISTRY", hivePath()},
                                          {"TELMAQ_DIALUP_DB", dialupPath()},
                                          {"TELMAQ_HISTORY_DB", historyPath()},
                                          {"XDG_RUNTIME_DIR", runtimeDir()},
                                          {"XDG_CONFIG_HOME", (m_dir / "config").string()}}) {
            const char* old = std::getenv(name);
            m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::setenv(name, value.c_str(), 1);
        }
    }
    ~TempEnvironment()
    {
        for (const auto& [name, value] : m_saved)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
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
    std::filesystem::path m_dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace telmaq::test
