// Prints how long the program's listings take on the line simulator: the phonebook entries
// and the active connections, for 10, 1,000 and 3,835 of each, through the same lists the
// program keeps (grow once and retry, names read by index). Each size runs on a dial-up file
// of its own in a temporary folder; the user's files are never touched.
//
//   telmaq_dialup_lists_bench [SAMPLES]

#include "dialup/DialupLists.h"
#include "platform/dialup/LineSimulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsOf(const std::function<void()>& body)
{
    const auto start = Clock::now();
    body();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

[[noreturn]] void die(const std::string& what)
{
    std::fprintf(stderr, "dialup-lists-bench: %s\n", what.c_str());
    std::exit(1);
}

struct Figures
{
    double firstMs; // a fresh list: one call too small, grown, called again
    double againMs; // the median of later listings into the grown buffer
    double namesMs; // reading every name by index once
};

Figures measure(const std::function<std::uint32_t()>& list, const std::function<void()>& readNames, int samples)
{
    Figures figures{};
    figures.firstMs = millisecondsOf([&] {
        if (list() != 0)
            die("the first listing failed");
    });
    std::vector<double> again;
    for (int i = 0; i < samples; ++i)
        again.push_back(millisecondsOf([&] {
            if (list() != 0)
                die("a listing failed");
        }));
    figures.againMs = median(again);
    figures.namesMs = millisecondsOf(readNames);
    return figures;
}

void runSize(int size, int samples, const std::filesystem::path& folder)
{
    const std::string path = (folder / ("dialup-" + std::to_string(size) + ".db")).string();
    telmaq::LineSimulator simulator(path);
    for (int i = 0; i < size; ++i) {
        telmaq::SimEntry entry;
        entry.name = "接続先 " + std::to_string(i);
        entry.device = "modem" + std::to_string(i); // one line each, so that all can be up at once
        entry.user = "user";
        entry.password = "password";
        entry.stepMs = 0;
        if (simulator.database().addEntry(entry) != 0)
            die(simulator.database().lastError());
    }
    for (int i = 0; i < size; ++i) {
        telmaq::RASDIALPARAMSA params{};
        params.dwSize = sizeof params;
        const std::string name = "接続先 " + std::to_string(i);
        name.copy(params.szEntryName, telmaq::RAS_MaxEntryName);
        bool retrieved = false;
        telmaq::HRASCONN handle = telmaq::kNoConnection;
        if (simulator.getEntryDialParams(&params, &retrieved) != 0 || simulator.dial(&params, 0, nullptr, &handle) != 0)
            die("cannot dial " + name);
    }
    // Wait for every line to be up, so that the listings measure connected lines.
    for (int waited = 0;; ++waited) {
        std::vector<telmaq::SimConnection> rows;
        simulator.database().connections(rows, 0);
        if (std::all_of(rows.begin(), rows.end(), [](const auto& row) { return row.connected; }))
            break;
        if (waited > 6000)
            die("the lines did not come up");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    telmaq::DialupLists lists(simulator);
    std::size_t bytes = 0;
    const Figures entries = measure([&] { return lists.EnumEntries(); },
                                    [&] {
                                        for (std::int32_t i = 0; i < lists.entryCount(); ++i)
                                            bytes += std::string(lists.GetEntryName(i)).size();
                                    },
                                    samples);
    if (lists.entryCount() != size)
        die("the phonebook lists " + std::to_string(lists.entryCount()) + " entries");
    const Figures connections = measure([&] { return lists.EnumConnections(); },
                                        [&] {
                                            for (std::int32_t i = 0; i < lists.connectionCount(); ++i)
                                                bytes += std::string(lists.GetConnectionEntryName(i)).size();
                                        },
                                        samples);
    if (lists.connectionCount() != size)
        die("the service lists " + std::to_string(lists.connectionCount()) + " connections");
    std::printf("%6d  entries      first %8.3f ms   again %8.3f ms   names %7.3f ms\n", size, entries.firstMs,
                entries.againMs, entries.namesMs);
    std::printf("%6d  connections  first %8.3f ms   again %8.3f ms   names %7.3f ms\n", size, connections.firstMs,
                connections.againMs, connections.namesMs);
    if (bytes == 0)
        die("no names were read");
    lists.HangUpAllConnections();
}

} // namespace

int main(int argc, char** argv)
{
    const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    std::string pattern = (std::filesystem::temp_directory_path() / "telmaq-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        die("no temporary folder");
    const std::filesystem::path folder = pattern;
    std::printf("Listing on the line simulator, median of %d listings after the first\n", samples);
    for (int size : {10, 1000, 3835})
        runSize(size, samples, folder);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
