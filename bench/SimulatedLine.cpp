#include "bench/SimulatedLine.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace telmaq::bench {

namespace {

// A dial that connects makes eight reports, the first at once and the rest a step apart.
constexpr std::uint32_t kStepMs = SimulatedLine::kDialSeconds * 1000 / 7;

} // namespace

SimulatedLine::SimulatedLine()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "telmaq-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        m_dir = pattern;
    m_simulator = std::make_unique<LineSimulator>((m_dir / "dialup.db").string());

    SimEntry entry;
    entry.name = kEntry;
    entry.phone = "0120-000-000";
    entry.user = "bench";
    entry.password = "bench";
    entry.line = "busy:1";
    entry.stepMs = kStepMs;
    if (m_simulator->database().addEntry(entry) != 0)
        std::fprintf(stderr, "cannot add the bench entry: %s\n", m_simulator->database().lastError().c_str());
}

SimulatedLine::~SimulatedLine()
{
    m_simulator.reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

void SimulatedLine::prepare()
{
    SimEntry entry;
    if (m_simulator->database().findEntry(kEntry, entry) == 0)
        m_simulator->database().updateEntry(entry);
}

} // namespace telmaq::bench
