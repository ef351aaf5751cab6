#pragma once

#include "platform/registry/Registry.h"

#include <cstdint>
#include <string>

namespace telmaq {

// The system's per-user dial-up settings under HKEY_CURRENT_USER\RemoteAccess, shared with
// the dial-up tools: the default entry and the redial settings. The key is opened and closed
// for every call and never created.
class SystemDialupSettings
{
public:
    explicit SystemDialupSettings(IRegistry& registry);

    bool ReadEnableRedial();
    std::int32_t ReadRedialTry();
    // Low 16 bits seconds plus high 16 bits minutes times 60.
    std::int32_t ReadRedialWaitSeconds();
    // The default entry name, or nullptr; valid until the next call.
    const char* ReadInternetProfile();
    // 1 when written, else 0; never creates the key.
    int WriteInternetProfile(const std::string& entry);

    // The first failure of the hive itself (not a missing key or value) that a read met since
    // this object was made, else ERROR_SUCCESS. The reads give their defaults then; the tools
    // report it instead of passing those off as the stored values.
    long hiveError() const { return m_hiveError; }

private:
    std::uint32_t readNumber(const char* name);
    long noteFailure(long rc);

    IRegistry& m_registry;
    long m_hiveError = ERROR_SUCCESS;
    char m_profile[256] = {};
};

} // namespace telmaq
