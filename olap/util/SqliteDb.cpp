#include "olap/util/SqliteDb.h"

#include "olap/util/OlapError.h"

#include <filesystem>

namespace olap {

SqliteDb::SqliteDb(const std::string& path, Mode mode) : m_path(path)
{
    int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    flags |= SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::Memory)
        flags |= SQLITE_OPEN_MEMORY;
    if (mode == Mode::ReadOnly) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            throw OlapError("cannot open '" + path + "': no such file");
    }
    const std::string& file = mode == Mode::Memory ? std::string(":memory:") : path;
    if (sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw OlapError("cannot open '" + path + "': " + message);
    }
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteDb::~SqliteDb()
{
    sqlite3_close_v2(m_db);
}

void SqliteDb::Fail(const std::string& context) const
{
    throw OlapError(context + ": " + sqlite3_errmsg(m_db) + " ('" + m_path + "')");
}

void SqliteDb::Exec(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw OlapError(message + " ('" + m_path + "')");
    }
}

SqliteStatement SqliteDb::Prepare(const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        Fail("cannot prepare \"" + sql + "\"");
    return SqliteStatement(*this, stmt);
}

bool SqliteDb::HasTable(const std::string& name)
{
    auto stmt = Prepare("SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE");
    stmt.Bind(1, name);
    return stmt.Step();
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt)
{
    other.m_stmt = nullptr;
}

bool SqliteStatement::Step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_db->Fail("cannot run \"" + std::string(sqlite3_sql(m_stmt)) + "\"");
}

void SqliteStatement::Reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void SqliteStatement::Bind(int index, std::int64_t value)
{
    sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::Bind(int index, double value)
{
    sqlite3_bind_double(m_stmt, index, value);
}

void SqliteStatement::Bind(int index, std::string_view text)
{
    sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::BindBlob(int index, const void* data, std::size_t bytes)
{
    sqlite3_bind_blob64(m_stmt, index, data, bytes, SQLITE_STATIC);
}

void SqliteStatement::BindNull(int index)
{
    sqlite3_bind_null(m_stmt, index);
}

std::string SqliteStatement::Text(int column) const
{
    const auto* text = sqlite3_column_text(m_stmt, column);
    if (!text)
        return {};
    return std::string(
        reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)));
}

std::string QuoteIdentifier(std::string_view name)
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

} // namespace olap
