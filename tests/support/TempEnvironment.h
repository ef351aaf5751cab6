#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

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
        if (char* made = ::mkdtemp(pattern.data()))
            m_dir = made;
        remember("TELMAQ_REGISTRY", hivePath());
        remember("TELMAQ_DIALUP_DB", dialupPath());
        remember("TELMAQ_HISTORY_DB", historyPath());
        std::filesystem::create_directories(m_dir / "runtime");
        ::chmod((m_dir / "runtime").c_str(), 0700);
        remember("XDG_RUNTIME_DIR", (m_dir / "runtime").string());
        remember("XDG_CONFIG_HOME", (m_dir / "config").string());
    }
    ~TempEnvironment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->hadValue)
                ::setenv(it->name.c_str(), it->value.c_str(), 1);
            else
                ::unsetenv(it->name.c_str());
        }
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
    struct Saved
    {
        std::string name;
        bool hadValue;
        std::string value;
    };

    void remember(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        m_saved.push_back({name, old != nullptr, old ? old : ""});
        ::setenv(name, value.c_str(), 1);
    }

    std::filesystem::path m_dir;
    std::vector<Saved> m_saved;
};

} // namespace telmaq::test
