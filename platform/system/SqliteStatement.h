#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

namespace telmaq {

// A prepared statement that finalises itself. Shared by the files of ours that SQLite keeps.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_rc == SQLITE_OK; }
    Statement& bind(int i, const std::string& text)
    {
        sqlite3_bind_text(m_stmt, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, std::int64_t value)
    {
        sqlite3_bind_int64(m_stmt, i, value);
        return *this;
    }
    // A missing value is stored as NULL.
    template <typename T> Statement& bind(int i, const std::optional<T>& value)
    {
        if (value)
            return bind(i, *value);
        sqlite3_bind_null(m_stmt, i);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int step() { return m_stmt ? sqlite3_step(m_stmt) : m_rc; }
    std::string text(int column) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
    }
    std::optional<std::string> optionalText(int column) const
    {
        if (sqlite3_column_type(m_stmt, column) == SQLITE_NULL)
            return std::nullopt;
        return text(column);
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    std::optional<std::int64_t> optionalInteger(int column) const
    {
        if (sqlite3_column_type(m_stmt, column) == SQLITE_NULL)
            return std::nullopt;
        return integer(column);
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

// A write transaction taken at once, so that two processes that check and then write (a
// device in use, a connect still open) cannot both pass the check. Rolled back unless
// committed.
class WriteTransaction
{
public:
    explicit WriteTransaction(sqlite3* db) : m_db(db)
    {
        m_ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteTransaction()
    {
        if (m_ok && !m_done)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    bool ok() const { return m_ok; }
    bool commit()
    {
        m_done = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        return m_done;
    }

private:
    sqlite3* m_db;
    bool m_ok = false;
    bool m_done = false;
};

} // namespace telmaq
