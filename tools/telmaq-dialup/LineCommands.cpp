#include "tools/telmaq-dialup/DialupCommands.h"

#include "dialup/DialSession.h"
#include "dialup/DialState.h"
#include "dialup/RasErrorText.h"
#include "platform/system/EchoedText.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <ostream>

namespace telmaq::dialuptool {

namespace {

constexpr const char* kDialUsage =
    "usage: telmaq-dialup dial NAME [--timeout SECONDS]\n"
    "Dials an entry of the provider in use with its stored credentials and prints each state as\n"
    "the provider reports it. Exits 0 once connected (the line stays up); otherwise prints the\n"
    "code and its text and exits 1. An entry without a stored user name or password is not\n"
    "dialled (exit 1), as in telmaq's window. With --timeout (1 to 86400 seconds) a dial that is\n"
    "not connected in time is hung up and exits 1.\n";
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

using Report = std::pair<std::uint32_t, std::uint32_t>; // state, error
using Deadline = std::optional<std::chrono::steady_clock::time_point>;

void dialNotifier(std::uint32_t /*message*/, std::uint32_t state, std::uint32_t error)
{
    DialReports& shared = dialReports();
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.reports.emplace_back(state, error);
    }
    shared.cv.notify_all();
}

// The next report of the dial, or nothing once the deadline, if there is one, has passed.
std::optional<Report> nextReport(const Deadline& deadline)
{
    DialReports& shared = dialReports();
    std::unique_lock<std::mutex> lock(shared.mutex);
    const auto reported = [&] { return !shared.reports.empty(); };
    if (!deadline)
        shared.cv.wait(lock, reported);
    else if (!shared.cv.wait_until(lock, *deadline, reported))
        return std::nullopt;
    const Report report = shared.reports.front();
    shared.reports.pop_front();
    return report;
}

// Dials and hang-ups from the command line go into the history as telmaq's own do.
void recordEvent(DialupToolContext& context, HistoryEvent event, const std::string& entry, std::uint32_t code = 0)
{
    HistoryRecord record;
    record.event = event;
    record.cause = HistoryCause::CommandLine;
    record.entry = entry;
    record.code = code;
    if (code != 0)
        record.text = RasErrorText(context.service).GetRasErrorText(code);
    context.history.record(record);
}

// The platform's name of a state, or "state" and its number for one the table does not know.
std::string stateName(std::uint32_t state)
{
    const DialState* known = findDialState(state);
    return known ? known->name : "state " + std::to_string(state);
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

// Hangs up a dial that ended without a line and answers why it ended.
int endFailedDial(DialSession& session, DialupToolContext& context, const std::string& why)
{
    session.HangUp();
    return failWith(context, why);
}

// A dial not connected in time is hung up; only a hang-up the provider refuses leaves it going.
int endLateDial(DialSession& session, DialupToolContext& context, long seconds)
{
    const std::string late =
        "not connected within " + std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
    const std::uint32_t code = session.HangUp();
    if (code != 0 && code != ERROR_INVALID_HANDLE_RAS)
        return failWith(context, late + ", and the dial could not be hung up: " + codeText(context, code));
    return failWith(context, late + "; the dial was hung up");
}

} // namespace

int dialCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {"--timeout"}, {}, kDialUsage, args, context); answer >= 0)
        return answer;
    if (args.words.size() != 1)
        return usageError(context, "give one entry name", kDialUsage);
    std::optional<long> timeout;
    Deadline deadline;
    if (const auto text = args.value("--timeout")) {
        timeout = parseNumber(*text, 1, 86400);
        if (!timeout)
            return usageError(context, "--timeout wants a number of seconds from 1 to 86400", kDialUsage);
        deadline = std::chrono::steady_clock::now() + std::chrono::seconds(*timeout);
    }
    DialSession session(context.service);
    bool passwordRetrieved = false;
    if (std::uint32_t code = session.LoadParams(args.words[0], &passwordRetrieved))
        return failWith(context, codeText(context, code));
    // As the window does: without both, the provider would dial and the user would read of a
    // wrong password, or NetworkManager would wait for an agent to ask for one.
    if (session.params().szUserName[0] == '\0' || session.params().szPassword[0] == '\0')
        return failWith(context, "ユーザー名またはパスワードが設定されていません");
    const std::string& entry = args.words[0];
    session.clearConnection();
    recordEvent(context, HistoryEvent::DialStarted, entry);
    if (std::uint32_t code = session.Dial(0, dialNotifier)) {
        if (session.connection() != kNoConnection)
            session.HangUp();
        recordEvent(context, HistoryEvent::Failed, entry, code);
        return failWith(context, codeText(context, code));
    }
    for (;;) {
        const std::optional<Report> report = nextReport(deadline);
        if (!report) {
            recordEvent(context, HistoryEvent::Cancelled, entry);
            return endLateDial(session, context, *timeout);
        }
        const auto [state, error] = *report;
        context.out << stateName(state) << '\n';
        context.out.flush();
        if (error != 0) {
            recordEvent(context, HistoryEvent::Failed, entry, error);
            return endFailedDial(session, context, codeText(context, error));
        }
        if (state == RASCS_Connected) {
            recordEvent(context, HistoryEvent::Connected, entry);
            return kDialupToolOk;
        }
        if (state == RASCS_Disconnected) {
            recordEvent(context, HistoryEvent::Failed, entry);
            return endFailedDial(session, context, "the line was disconnected");
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
    if (std::uint32_t code = listConnections(context.service, records))
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
    if (std::uint32_t code = listConnections(context.service, records))
        return failWith(context, codeText(context, code));
    int hungUp = 0;
    for (const RASCONNA& record : records) {
        if (!all && args.words[0] != record.szEntryName)
            continue;
        const std::uint32_t code = context.service.hangUp(record.hrasconn);
        ++hungUp;
        // Another process hung the line up since it was listed: it is gone, as the user asked,
        // and that process has recorded the hang-up.
        if (code == ERROR_INVALID_HANDLE_RAS)
            continue;
        if (code)
            return failWith(context, codeText(context, code));
        recordEvent(context, HistoryEvent::HungUp, record.szEntryName);
    }
    if (!all && hungUp == 0)
        return failWith(context, "no connection of " + echoed(args.words[0]));
    return kDialupToolOk;
}

} // namespace telmaq::dialuptool
