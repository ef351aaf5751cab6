#pragma once

#include <cstdint>
#include <string>

namespace telmaq::nm {

// Codes this provider answers beyond the common ones of the dial-up service. 711 is the code
// the service has always used for "the connection manager cannot be reached"; the rest are
// our own, kept clear of the service's range, each with a text of its own.
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_MANAGER_UNREACHABLE = 711;
constexpr std::uint32_t ERROR_NM_NOT_AUTHORIZED = 19001;
constexpr std::uint32_t ERROR_NM_NO_REPLY = 19002;
constexpr std::uint32_t ERROR_NM_REFUSED = 19003;
constexpr std::uint32_t ERROR_NM_UNSUPPORTED_NOTIFIER = 19004;
// A VPN needs a network to run over (an activated connection with the default route); without
// one NetworkManager refuses it as an unknown "source connection", although the entry is there.
constexpr std::uint32_t ERROR_NM_VPN_NO_PARENT = 19005;
// A failure NetworkManager gives a reason for that has no code of the service: the base plus
// the device's (or the active connection's) reason number (see NmStateTable).
constexpr std::uint32_t ERROR_NM_DEVICE_REASON_BASE = 19100;
constexpr std::uint32_t ERROR_NM_ACTIVE_REASON_BASE = 19400;
constexpr std::uint32_t kReasonSpan = 300;

// The code for a D-Bus error name of a failed call (org.freedesktop.NetworkManager.* and the
// bus's own org.freedesktop.DBus.Error.*).
std::uint32_t codeForDBusError(const std::string& errorName);

// This provider's text for a code, or an empty string for a code it does not know.
std::string errorText(std::uint32_t code);

} // namespace telmaq::nm
