#pragma once

#include "platform/dialup/DialupService.h"

#include <memory>
#include <string>

class QCoreApplication;
class QThread;

namespace telmaq {

namespace nm {
class NmWorker;
}

struct NetworkManagerOptions
{
    // The bus NetworkManager is on; empty means the system bus (DBUS_SYSTEM_BUS_ADDRESS is
    // honoured there).
    std::string busAddress;
    // How long one call to NetworkManager may take before it counts as not answering.
    int callTimeoutMs = 10000;
};

// The dial-up service over NetworkManager's D-Bus interface. The phonebook is the set of
// NetworkManager profiles of the dial-up kinds (mobile broadband, PPPoE on a parent device,
// Bluetooth DUN, VPN), named by their id; a connection is an active NetworkManager connection
// of those kinds, and its handle is derived from the active connection's object path, so that
// every process of the user sees the same handle for it.
//
// The provider runs a thread of its own that holds the bus connection, hears NetworkManager's
// state changes and calls the notifiers; callers on any other thread wait for their answer,
// every call bounded by the time-out. Without an application object (a command-line tool) the
// provider makes one, which QtDBus needs to deliver signals; it must then be made on the
// program's main thread.
class NetworkManagerDialupService : public IDialupService
{
public:
    explicit NetworkManagerDialupService(NetworkManagerOptions options = {});
    ~NetworkManagerDialupService() override;
    NetworkManagerDialupService(const NetworkManagerDialupService&) = delete;
    NetworkManagerDialupService& operator=(const NetworkManagerDialupService&) = delete;

    std::uint32_t enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count) override;
    std::uint32_t enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count) override;
    std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved) override;
    std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                       HRASCONN* connection) override;
    std::uint32_t hangUp(HRASCONN connection) override;
    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override;

private:
    template <typename Result, typename Work> Result onWorker(Work work);

    std::unique_ptr<QCoreApplication> m_ownApplication;
    QThread* m_thread = nullptr;
    nm::NmWorker* m_worker = nullptr;
};

} // namespace telmaq
