#include "DialupServiceContract.h"

#include "support/TempEnvironment.h"

namespace telmaq::test {
namespace {

// The line simulator on a phonebook file of its own.
struct LineSimulatorProvider
{
    std::unique_ptr<IDialupService> open(const std::vector<SimEntry>& phonebook)
    {
        env = std::make_unique<TempEnvironment>();
        auto simulator = std::make_unique<LineSimulator>(env->dialupPath());
        for (const SimEntry& entry : phonebook)
            EXPECT_EQ(simulator->database().addEntry(entry), 0u) << entry.name;
        return simulator;
    }
    std::unique_ptr<TempEnvironment> env;
};

INSTANTIATE_TYPED_TEST_SUITE_P(LineSimulator, DialupServiceContract, LineSimulatorProvider);

} // namespace
} // namespace telmaq::test
