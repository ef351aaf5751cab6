// A second process for the Windows tests: what another copy, or another program of the user,
// sees of the named mutex and of the Remote Access Service.
//     telmaq_win32_peer lock [HOLD-MS]   exit 0 acquired (then held HOLD-MS), 1 held by another, 2 unavailable
//     telmaq_win32_peer connections FILE writes the active connections' entry names to FILE
//     telmaq_win32_peer hangup ENTRY     hangs up that entry's connection; exit 0 when done
//     telmaq_win32_peer dials ENTRY FILE   writes how many times ENTRY has been dialled to FILE
//     telmaq_win32_peer await-hangup MS [FILE]  exit 0 once no connection is left, 1 if one
//                                               outlives MS; FILE gets the moment (see below)
//     telmaq_win32_peer sleep MS [FILE]    then writes the moment to FILE, just before it ends
//     telmaq_win32_peer record FILE ARG  writes ARG to FILE: the program the shell started for a file
// A moment is written as milliseconds since 1970, so that the script compares two of them
// without the lag of its own polling.
#include "Win32TestSupport.h"
#include "platform/win32/MutexInstanceLock.h"
#include "platform/win32/RasDialupService.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

using namespace telmaq;

namespace {

void writeNow(const char* path)
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::ofstream(path, std::ios::binary) << std::chrono::duration_cast<std::chrono::milliseconds>(now).count() << '\n';
}

void sleepMs(const char* ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
}

std::vector<RASCONNA> connections(IDialupService& service)
{
    std::vector<RASCONNA> records(16);
    records[0].dwSize = sizeof(RASCONNA);
    std::uint32_t size = static_cast<std::uint32_t>(records.size() * sizeof(RASCONNA)), count = 0;
    if (service.enumConnections(records.data(), &size, &count) != 0)
        std::exit(3);
    records.resize(count);
    return records;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "lock") {
        MutexInstanceLock lock;
        const IInstanceLock::Result result = lock.acquire();
        if (argc > 2 && result == IInstanceLock::Result::Acquired)
            sleepMs(argv[2]);
        return result == IInstanceLock::Result::Acquired ? 0 : result == IInstanceLock::Result::HeldByAnother ? 1 : 2;
    }
    if (command == "sleep" && argc > 2) {
        sleepMs(argv[2]);
        if (argc > 3)
            writeNow(argv[3]);
        return 0;
    }
    if (command == "record" && argc > 3) {
        std::ofstream(argv[2], std::ios::binary) << argv[3];
        return 0;
    }
    RasDialupService service;
    if (command == "connections" && argc > 2) {
        std::ofstream out(argv[2], std::ios::binary);
        for (const RASCONNA& c : connections(service))
            out << c.szEntryName << '\n';
        return 0;
    }
    if (command == "dials" && argc > 3) {
        std::ofstream(argv[3], std::ios::binary) << test::simulatedRasDials(argv[2]) << '\n';
        return 0;
    }
    if (command == "await-hangup" && argc > 2) {
        // Polled often, so that the moment of the hang-up is known to a few milliseconds.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(argv[2]));
        while (!connections(service).empty()) {
            if (std::chrono::steady_clock::now() > deadline)
                return 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (argc > 3)
            writeNow(argv[3]);
        return 0;
    }
    if (command == "hangup" && argc > 2) {
        for (const RASCONNA& c : connections(service))
            if (std::strcmp(c.szEntryName, argv[2]) == 0)
                return service.hangUp(c.hrasconn) == 0 ? 0 : 4;
        return 5;
    }
    return 64;
}
