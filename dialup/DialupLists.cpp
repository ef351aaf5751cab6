#include "dialup/DialupLists.h"

#include <cstdlib>
#include <cstring>

namespace telmaq {

namespace {

// A buffer of service records and the count of the last listing. The capacity is the size
// of the block itself; it is never shrunk and lives as long as the list.
struct ListData
{
    unsigned char* buffer = nullptr;
    std::uint32_t capacity = 0;
    std::int32_t count = 0;

    ListData() = default;
    ~ListData() { std::free(buffer); }
    ListData(const ListData&) = delete;
    ListData& operator=(const ListData&) = delete;

    // The record at index, or nullptr when there is no buffer, the index is outside the last
    // listing, or the record would lie past the end of the block (a count the service left
    // behind after a failed call need not match the buffer).
    unsigned char* record(std::int32_t index, std::size_t recordSize) const
    {
        if (!buffer || index < 0 || index >= count)
            return nullptr;
        const std::size_t end = (static_cast<std::size_t>(index) + 1) * recordSize;
        if (end > capacity)
            return nullptr;
        return buffer + static_cast<std::size_t>(index) * recordSize;
    }
};

// No phonebook or connection list comes near this; a service that asks for more is broken,
// and we answer it as memory that cannot be had rather than trying to reserve gigabytes.
constexpr std::uint32_t kMaxListBytes = 64u * 1024u * 1024u;

// Grows the block to at least size bytes, keeping its contents. On failure the old block is
// given up and the list is left with none, so nothing reads records that are gone.
bool grow(ListData& list, std::uint32_t size)
{
    if (size <= list.capacity)
        return true;
    void* grown = size <= kMaxListBytes ? std::realloc(list.buffer, size) : nullptr;
    if (!grown) {
        std::free(list.buffer);
        list.buffer = nullptr;
        list.capacity = 0;
        return false;
    }
    list.buffer = static_cast<unsigned char*>(grown);
    list.capacity = size;
    return true;
}

// Fills a list with one call of the service, or two when the first says the buffer is too
// small. Call answers the service's code for (buffer, capacity in and out, count out).
template <typename Record, typename Call> std::uint32_t fill(ListData& list, std::uint32_t firstCapacity, Call call)
{
    if (!list.buffer) {
        list.buffer = static_cast<unsigned char*>(std::calloc(1, firstCapacity));
        if (!list.buffer)
            return ERROR_ALLOCATING_MEMORY;
        list.capacity = firstCapacity;
    }
    std::uint32_t capacity = list.capacity;
    // The count is the service's to write; one that it leaves alone keeps its last value.
    auto count = static_cast<std::uint32_t>(list.count);
    Record* records = reinterpret_cast<Record*>(list.buffer);
    records[0].dwSize = sizeof(Record);
    std::uint32_t answer = call(records, &capacity, &count);
    list.count = static_cast<std::int32_t>(count);
    if (answer != ERROR_BUFFER_TOO_SMALL)
        return answer;
    if (!grow(list, capacity))
        return ERROR_ALLOCATING_MEMORY;
    records = reinterpret_cast<Record*>(list.buffer);
    records[0].dwSize = sizeof(Record);
    answer = call(records, &capacity, &count);
    list.count = static_cast<std::int32_t>(count);
    return answer;
}

template <typename Record> const char* nameAt(const ListData& list, std::int32_t index, std::size_t offset)
{
    unsigned char* record = list.record(index, sizeof(Record));
    if (!record)
        return nullptr;
    // The service's record should end its name with a zero; we make sure of it rather than
    // run past the field.
    record[offset + RAS_MaxEntryName] = '\0';
    return reinterpret_cast<const char*>(record + offset);
}

} // namespace

struct DialupLists::List : ListData
{};

DialupLists::DialupLists(IDialupService& service) : m_service(service), m_entries(new List), m_connections(new List) {}

DialupLists::~DialupLists()
{
    delete m_entries;
    delete m_connections;
}

std::uint32_t DialupLists::EnumEntries()
{
    return fill<RASENTRYNAMEA>(*m_entries, sizeof(RASENTRYNAMEA),
                               [this](RASENTRYNAMEA* records, std::uint32_t* capacity, std::uint32_t* count) {
                                   return m_service.enumEntries(records, capacity, count);
                               });
}

const char* DialupLists::GetEntryName(std::int32_t index) const
{
    return nameAt<RASENTRYNAMEA>(*m_entries, index, offsetof(RASENTRYNAMEA, szEntryName));
}

std::int32_t DialupLists::entryCount() const
{
    return m_entries->count;
}

std::uint32_t DialupLists::EnumConnections()
{
    return fill<RASCONNA>(*m_connections, sizeof(RASCONNA),
                          [this](RASCONNA* records, std::uint32_t* capacity, std::uint32_t* count) {
                              return m_service.enumConnections(records, capacity, count);
                          });
}

const char* DialupLists::GetConnectionEntryName(std::int32_t index) const
{
    return nameAt<RASCONNA>(*m_connections, index, offsetof(RASCONNA, szEntryName));
}

std::int32_t DialupLists::connectionCount() const
{
    return m_connections->count;
}

void DialupLists::HangUpAllConnections()
{
    for (std::int32_t i = 0; i < m_connections->count; ++i) {
        const unsigned char* record = m_connections->record(i, sizeof(RASCONNA));
        if (!record)
            break;
        HRASCONN handle;
        std::memcpy(&handle, record + offsetof(RASCONNA, hrasconn), sizeof handle);
        m_service.hangUp(handle);
    }
}

} // namespace telmaq
