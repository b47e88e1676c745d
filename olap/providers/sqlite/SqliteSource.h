#pragma once

#include "olap/providers/ConnectionProperties.h"
#include "olap/providers/RelationalSource.h"

#include <memory>
#include <string>

struct sqlite3;

namespace olap::providers {

//! A SQLite database file opened directly (no ODBC). Column types come from the declared
//! types first (TypeFromDeclaration) and from the values where there is none or the values
//! do not fit it.
class SqliteSource : public RelationalSource {
public:
    //! Opens the database file PATH read-only; never creates or changes one. Throws
    //! RelationalError: FileMissing when PATH does not exist, NotADatabase when it is not a
    //! SQLite database (or cannot be opened at all), each naming the file.
    static std::unique_ptr<SqliteSource> Open(const std::string& path);
    //! Opens the file named by "Data Source" (or "Database", "DBQ"). FileMissing when no key
    //! names one.
    static std::unique_ptr<SqliteSource> Open(const ConnectionProperties& properties);

    ~SqliteSource() override;
    SqliteSource(const SqliteSource&) = delete;
    SqliteSource& operator=(const SqliteSource&) = delete;

    std::string Kind() const override { return "SQLite"; }
    //! Runs the one statement SQL holds (SingleSqlStatement: a text of several statements runs
    //! none and throws Unsupported). A statement that would change the database throws
    //! Unsupported without running; the file is opened read-only besides.
    recordset::Recordset Execute(std::string_view sql, int timeoutSeconds = 0) override;
    //! "main" and the names of attached databases.
    std::vector<std::string> Catalogs() override;
    //! Tables of the main database without SQLite's own, sorted by name.
    std::vector<std::string> Tables() override;
    void Close() override;

    const std::string& Path() const { return m_path; }

private:
    SqliteSource(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) { }
    sqlite3* Handle();

    sqlite3* m_db;
    std::string m_path;
};

} // namespace olap::providers
