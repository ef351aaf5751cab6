#pragma once

#include "Win32TestSupport.h"
#include "platform/dialup/SimulatorTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <process.h>
#include <vector>

namespace telmaq::test {

// A phonebook of the simulated service in a folder of its own, for as long as it lives; the
// service of this process and of the programs it starts reads it from then on.
class SimulatedPhonebook
{
public:
    explicit SimulatedPhonebook(const std::vector<SimEntry>& entries)
    {
        EXPECT_TRUE(simulatedRasLoaded()) << "Wine's own rasapi32 is loaded, not the simulated service";
        static int made = 0;
        m_folder = std::filesystem::temp_directory_path() /
                   ("telmaq-ras-" + std::to_string(_getpid()) + "-" + std::to_string(++made));
        std::filesystem::create_directories(m_folder);
        const std::string path = (m_folder / "phonebook.txt").string();
        std::ofstream out(path, std::ios::binary);
        for (const SimEntry& e : entries)
            out << e.name << '\t' << e.line << '\t' << e.user.value_or("") << '\t' << e.password.value_or("-") << '\t'
                << e.phone << '\t' << e.stepMs << '\n';
        _putenv_s("TELMAQ_SIMRAS_PHONEBOOK", path.c_str());
    }
    ~SimulatedPhonebook()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    SimulatedPhonebook(const SimulatedPhonebook&) = delete;
    SimulatedPhonebook& operator=(const SimulatedPhonebook&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
};

} // namespace telmaq::test
