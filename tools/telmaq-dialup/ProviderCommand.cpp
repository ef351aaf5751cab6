#include "tools/telmaq-dialup/DialupCommands.h"

#include "platform/dialup/DialupProviders.h"
#include "platform/system/EchoedText.h"

#include <cctype>
#include <cstdlib>
#include <ostream>

namespace telmaq::dialuptool {

namespace {

constexpr const char* kProviderUsage =
    "usage: telmaq-dialup provider [NAME]\n"
    "Prints the dial-up provider telmaq uses, or sets it (RemoteAccess\\Provider) to NAME:\n"
    "  simulator        the built-in line simulator (the default)\n"
    "  networkmanager   NetworkManager's mobile broadband, PPPoE, Bluetooth DUN and VPN profiles\n"
    "TELMAQ_DIALUP_PROVIDER, when set, takes precedence over the hive.\n";

} // namespace

int providerCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {}, kProviderUsage, args, context); answer >= 0)
        return answer;
    if (args.words.size() > 1)
        return usageError(context, "give at most one provider name", kProviderUsage);
    if (args.words.empty()) {
        long rc = ERROR_SUCCESS;
        const std::string configured = configuredDialupProvider(context.hive, &rc);
        if (rc != ERROR_SUCCESS)
            return failWith(context, hiveFailure(context, rc, "refused the read"));
        if (const auto problem = dialupProviderProblem(context.hive))
            return failWith(context, "error " + std::to_string(problem->code()) + ": " + problem->text());
        context.out << configured << '\n';
        return kDialupToolOk;
    }
    if (!isKnownDialupProvider(args.words[0]))
        return usageError(context, "unknown provider " + echoed(args.words[0]), kProviderUsage);
    std::string name = args.words[0];
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    HKEY key = 0;
    long rc = context.hive.createKey(HKEY_CURRENT_USER, kRemoteAccessKey, KEY_ALL_ACCESS, &key);
    if (rc == ERROR_SUCCESS) {
        rc = context.hive.setValue(key, kProviderValue, REG_SZ, reinterpret_cast<const std::uint8_t*>(name.c_str()),
                                   static_cast<std::uint32_t>(name.size() + 1));
        context.hive.closeKey(key);
    }
    if (rc != ERROR_SUCCESS)
        return failWith(context, hiveFailure(context, rc, "refused the change"));
    // Said at once, so that nobody wonders why the change seems to do nothing here.
    if (configuredDialupProvider(context.hive) != name)
        context.err << "telmaq-dialup: TELMAQ_DIALUP_PROVIDER is set and still chooses '"
                    << configuredDialupProvider(context.hive) << "' in this environment\n";
    return kDialupToolOk;
}

} // namespace telmaq::dialuptool
