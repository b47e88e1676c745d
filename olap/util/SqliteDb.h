#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace olap {

class SqliteStatement;

//! Owns one SQLite connection. Every failure throws OlapError with SQLite's
//! message prefixed by what was being done and the file name.
class SqliteDb {
public:
    //! Memory: a private database in memory, gone when closed; PATH only names it in messages.
    enum class Mode { ReadOnly, ReadWriteCreate, Memory };

    //! Opens PATH. ReadOnly never creates a file: a missing file is an error.
    SqliteDb(const std::string& path, Mode mode);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    sqlite3* Handle() const { return m_db; }
    const std::string& Path() const { return m_path; }

    //! Runs one or more statements without results.
    void Exec(const std::string& sql);
    //! Prepares one statement.
    SqliteStatement Prepare(const std::string& sql);
    //! True when a table (or view) of that name exists (case-insensitive).
    bool HasTable(const std::string& name);
    //! Throws OlapError "CONTEXT: <sqlite message> (file)".
    [[noreturn]] void Fail(const std::string& context) const;

private:
    sqlite3* m_db = nullptr;
    std::string m_path;
};

//! A prepared statement; Step() returns true while a row is available.
class SqliteStatement {
public:
    SqliteStatement(SqliteDb& db, sqlite3_stmt* stmt) : m_db(&db), m_stmt(stmt) { }
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    SqliteStatement& operator=(SqliteStatement&&) = delete;

    bool Step();
    void Reset();
    void Bind(int index, std::int64_t value);
    void Bind(int index, double value);
    void Bind(int index, std::string_view text);
    void BindBlob(int index, const void* data, std::size_t bytes);
    void BindNull(int index);

    int ColumnCount() const { return sqlite3_column_count(m_stmt); }
    int Type(int column) const { return sqlite3_column_type(m_stmt, column); }
    bool IsNull(int column) const { return Type(column) == SQLITE_NULL; }
    std::int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    double Double(int column) const { return sqlite3_column_double(m_stmt, column); }
    std::string Text(int column) const;
    sqlite3_stmt* Handle() const { return m_stmt; }

private:
    SqliteDb* m_db;
    sqlite3_stmt* m_stmt;
};

//! Quotes an SQL identifier with double quotes.
std::string QuoteIdentifier(std::string_view name);

} // namespace olap
