#pragma once

#include "platform/dialup/DialupService.h"

#include <cstdint>

namespace telmaq {

// The phonebook entries and the active connections as the service last listed them. The
// program keeps one of these for its whole run; the entry list is filled once at start-up,
// the connection list afresh by every connect and disconnect.
class DialupLists
{
public:
    explicit DialupLists(IDialupService& service);
    ~DialupLists();
    DialupLists(const DialupLists&) = delete;
    DialupLists& operator=(const DialupLists&) = delete;

    // 0, a service code, or ERROR_ALLOCATING_MEMORY; grows the buffer once and retries.
    std::uint32_t EnumEntries();
    // The entry name of record index, or nullptr; valid until the next EnumEntries.
    const char* GetEntryName(std::int32_t index) const;
    std::int32_t entryCount() const;

    std::uint32_t EnumConnections();
    const char* GetConnectionEntryName(std::int32_t index) const;
    std::int32_t connectionCount() const;

    // Hangs up every connection of the last listing, ignoring the answers.
    void HangUpAllConnections();

private:
    struct List;
    IDialupService& m_service;
    List* m_entries;
    List* m_connections;
};

} // namespace telmaq
