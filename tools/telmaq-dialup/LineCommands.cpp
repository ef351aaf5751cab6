#include "tools/telmaq-dialup/DialupCommands.h"

#include "dialup/DialSession.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <ostream>

namespace telmaq::dialuptool {

namespace {

constexpr const char* kDialUsage =
    "usage: telmaq-dialup dial NAME\n"
    "Dials an entry with its stored credentials and prints each state as the service reports\n"
    "it. Exits 0 once connected (the line stays up); otherwise prints the code and its text and\n"
    "exits 1.\n";
constexpr const char* kConnectionsUsage = "usage: telmaq-dialup connections\n"
                                          "Prints the active connections, one per line: entry name, device, handle.\n";
constexpr const char* kHangupUsage = "usage: telmaq-dialup hangup NAME | --all\n"
                                     "Hangs up the connections of an entry, or every active connection.\n";

// The reports of the one dial this process makes. The notifier is a plain function and runs
// on the service's thread, so the reports are handed over under a lock.
struct DialReports
{
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<std::pair<std::uint32_t, std::uint32_t>> reports;
};

DialReports& dialReports()
{
    static DialReports reports;
    return reports;
}

void dialNotifier(std::uint32_t /*message*/, std::uint32_t state, std::uint32_t error)
{
    DialReports& shared = dialReports();
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.reports.emplace_back(state, error);
    }
    shared.cv.notify_all();
}

const char* stateName(std::uint32_t state)
{
    switch (state) {
    case RASCS_OpenPort:
        return "OpenPort";
    case RASCS_PortOpened:
        return "PortOpened";
    case RASCS_ConnectDevice:
        return "ConnectDevice";
    case RASCS_DeviceConnected:
        return "DeviceConnected";
    case RASCS_AllDevicesConnected:
        return "AllDevicesConnected";
    case RASCS_Authenticate:
        return "Authenticate";
    case RASCS_Authenticated:
        return "Authenticated";
    case RASCS_Connected:
        return "Connected";
    case RASCS_Disconnected:
        return "Disconnected";
    default:
        return "state";
    }
}

// The active connections as the service lists them; asks again while the list grows.
std::uint32_t listConnections(IDialupService& service, std::vector<RASCONNA>& records)
{
    records.assign(4, RASCONNA{});
    for (int attempt = 0; attempt < 5; ++attempt) {
        records[0].dwSize = sizeof(RASCONNA);
        auto size = static_cast<std::uint32_t>(records.size() * sizeof(RASCONNA));
        std::uint32_t count = 0;
        const std::uint32_t code = service.enumConnections(records.data(), &size, &count);
        if (code == 0) {
            records.resize(std::min<std::size_t>(count, records.size()));
            return 0;
        }
        if (code != ERROR_BUFFER_TOO_SMALL)
            return code;
        records.assign(size / sizeof(RASCONNA) + 1, RASCONNA{});
    }
    return ERROR_BUFFER_TOO_SMALL;
}

} // namespace

int dialCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {}, kDialUsage, args, context); answer >= 0)
        return answer;
    if (args.words.size() != 1)
        return usageError(context, "give one entry name", kDialUsage);
    DialSession session(context.simulator);
    bool passwordRetrieved = false;
    if (std::uint32_t code = session.LoadParams(args.words[0], &passwordRetrieved))
        return failWith(context, codeText(context, code));
    session.clearConnection();
    if (std::uint32_t code = session.Dial(0, dialNotifier)) {
        if (session.connection() != kNoConnection)
            session.HangUp();
        return failWith(context, codeText(context, code));
    }
    DialReports& shared = dialReports();
    std::unique_lock<std::mutex> lock(shared.mutex);
    for (;;) {
        shared.cv.wait(lock, [&] { return !shared.reports.empty(); });
        const auto [state, error] = shared.reports.front();
        shared.reports.pop_front();
        context.out << stateName(state) << (state > RASCS_Authenticated && state != RASCS_Connected &&
                                                    state != RASCS_Disconnected
                                                ? " " + std::to_string(state)
                                                : std::string())
                    << '\n';
        context.out.flush();
        if (error != 0) {
            lock.unlock();
            session.HangUp();
            return failWith(context, codeText(context, error));
        }
        if (state == RASCS_Connected)
            return kDialupToolOk;
        if (state == RASCS_Disconnected) {
            lock.unlock();
            session.HangUp();
            return failWith(context, "the line was disconnected");
        }
    }
}

int connectionsCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {}, kConnectionsUsage, args, context); answer >= 0)
        return answer;
    if (!args.words.empty())
        return usageError(context, "connections takes no arguments", kConnectionsUsage);
    std::vector<RASCONNA> records;
    if (std::uint32_t code = listConnections(context.simulator, records))
        return failWith(context, codeText(context, code));
    for (const RASCONNA& record : records)
        context.out << record.szEntryName << '\t' << record.szDeviceName << '\t' << record.hrasconn << '\n';
    return kDialupToolOk;
}

int hangupCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {"--all"}, kHangupUsage, args, context); answer >= 0)
        return answer;
    const bool all = args.has("--all");
    if (all ? !args.words.empty() : args.words.size() != 1)
        return usageError(context, "give one entry name or --all", kHangupUsage);
    std::vector<RASCONNA> records;
    if (std::uint32_t code = listConnections(context.simulator, records))
        return failWith(context, codeText(context, code));
    int hungUp = 0;
    for (const RASCONNA& record : records) {
        if (!all && args.words[0] != record.szEntryName)
            continue;
        if (std::uint32_t code = context.simulator.hangUp(record.hrasconn))
            return failWith(context, codeText(context, code));
        ++hungUp;
    }
    if (!all && hungUp == 0)
        return failWith(context, "no connection of '" + args.words[0] + "'");
    return kDialupToolOk;
}

} // namespace telmaq::dialuptool
