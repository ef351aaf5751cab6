#include "tools/telmaq-dialup/DialupCommands.h"

#include "dialup/SystemDialupSettings.h"
#include "platform/dialup/EntryName.h"
#include "platform/system/EchoedText.h"

#include <cstring>
#include <optional>
#include <ostream>

namespace telmaq::dialuptool {

namespace {

constexpr const char* kDefaultUsage =
    "usage: telmaq-dialup default [NAME]\n"
    "Prints the default entry (RemoteAccess\\InternetProfile), or sets it to NAME. Setting does\n"
    "not check that the entry exists.\n";
constexpr const char* kRedialUsage =
    "usage: telmaq-dialup redial [--on|--off] [--tries N] [--wait SECONDS|M:SS]\n"
    "Prints the redial settings, or sets those given: redial a busy line at all\n"
    "(EnableRedial), how many times (RedialTry), and the wait before each redial (RedialWait).\n";

// The RemoteAccess key, opened to write, that closes itself. Reading goes through
// SystemDialupSettings, so that the tool shows what telmaq itself will read.
class RemoteAccessKey
{
public:
    explicit RemoteAccessKey(IRegistry& hive) : m_hive(hive)
    {
        m_rc = hive.createKey(HKEY_CURRENT_USER, kRemoteAccessKey, KEY_ALL_ACCESS, &m_key);
    }
    ~RemoteAccessKey()
    {
        if (m_rc == ERROR_SUCCESS)
            m_hive.closeKey(m_key);
    }
    RemoteAccessKey(const RemoteAccessKey&) = delete;
    RemoteAccessKey& operator=(const RemoteAccessKey&) = delete;

    long rc() const { return m_rc; }

    long setNumber(const char* name, std::uint32_t value)
    {
        return m_hive.setValue(m_key, name, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&value), sizeof value);
    }
    long setText(const char* name, const std::string& text)
    {
        return m_hive.setValue(m_key, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                               static_cast<std::uint32_t>(text.size() + 1));
    }

private:
    IRegistry& m_hive;
    HKEY m_key = 0;
    long m_rc;
};

int unreadableHive(DialupToolContext& context, long rc)
{
    return failWith(context, hiveFailure(context, rc, "refused the read"));
}

} // namespace

std::string hiveFailure(DialupToolContext& context, long rc, const char* what)
{
    const std::string failure = context.hive.fileFailure(rc);
    return !failure.empty() ? failure : std::string("the settings hive ") + what + " (code " + std::to_string(rc) + ")";
}

std::string readDefaultEntry(IRegistry& hive, long* hiveError)
{
    SystemDialupSettings settings(hive);
    const char* entry = settings.ReadInternetProfile();
    if (hiveError)
        *hiveError = settings.hiveError();
    return entry ? entry : "";
}

long writeDefaultEntry(IRegistry& hive, const std::string& entry)
{
    RemoteAccessKey key(hive);
    if (key.rc() != ERROR_SUCCESS)
        return key.rc();
    return key.setText("InternetProfile", entry);
}

int defaultCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {}, kDefaultUsage, args, context); answer >= 0)
        return answer;
    if (args.words.size() > 1)
        return usageError(context, "give at most one entry name", kDefaultUsage);
    if (args.words.empty()) {
        long rc = ERROR_SUCCESS;
        const std::string entry = readDefaultEntry(context.hive, &rc);
        if (rc != ERROR_SUCCESS)
            return unreadableHive(context, rc);
        if (entry.empty())
            return failWith(context, "no default entry is set");
        context.out << entry << '\n';
        return kDialupToolOk;
    }
    const std::string& entry = args.words[0];
    // telmaq reads at most 255 bytes and a zero; a longer name would read as none at all.
    if (const std::string problem = entryNameProblem(entry); !problem.empty())
        return usageError(context, problem, kDefaultUsage);
    if (const long rc = writeDefaultEntry(context.hive, entry))
        return failWith(context, hiveFailure(context, rc, "refused the change"));
    return kDialupToolOk;
}

int redialCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {"--tries", "--wait"}, {"--on", "--off"}, kRedialUsage, args, context);
        answer >= 0)
        return answer;
    if (!args.words.empty())
        return usageError(context, "unexpected argument " + echoed(args.words[0]), kRedialUsage);
    if (args.has("--on") && args.has("--off"))
        return usageError(context, "--on and --off together", kRedialUsage);
    std::optional<long> tries;
    if (auto v = args.value("--tries")) {
        tries = parseNumber(*v, 0, 999999);
        if (!tries)
            return usageError(context, "--tries wants a number from 0 to 999999", kRedialUsage);
    }
    std::optional<std::pair<std::uint32_t, std::uint32_t>> wait;
    if (auto v = args.value("--wait")) {
        wait = parseWait(*v);
        if (!wait)
            return usageError(
                context, "--wait wants SECONDS from 0 to 3932159, or M:SS with M from 0 to 65535 and SS from 00 to 59",
                kRedialUsage);
    }

    const bool changing = args.has("--on") || args.has("--off") || tries || wait;
    if (changing) {
        RemoteAccessKey key(context.hive);
        long rc = key.rc();
        if (rc == ERROR_SUCCESS && (args.has("--on") || args.has("--off")))
            rc = key.setNumber("EnableRedial", args.has("--on") ? 1 : 0);
        if (rc == ERROR_SUCCESS && tries)
            rc = key.setNumber("RedialTry", static_cast<std::uint32_t>(*tries));
        if (rc == ERROR_SUCCESS && wait)
            rc = key.setNumber("RedialWait", (wait->first << 16) | wait->second);
        if (rc != ERROR_SUCCESS)
            return failWith(context, hiveFailure(context, rc, "refused the change"));
        return kDialupToolOk;
    }

    SystemDialupSettings settings(context.hive);
    const bool enabled = settings.ReadEnableRedial();
    const std::int32_t count = settings.ReadRedialTry();
    const std::int64_t total = settings.ReadRedialWaitSeconds();
    if (settings.hiveError() != ERROR_SUCCESS)
        return unreadableHive(context, settings.hiveError());
    context.out << "redial: " << (enabled ? "on" : "off") << '\n';
    context.out << "tries: " << count << '\n';
    context.out << "wait: " << total / 60 << ':' << (total % 60 < 10 ? "0" : "") << total % 60 << " (" << total
                << " seconds)\n";
    return kDialupToolOk;
}

} // namespace telmaq::dialuptool
