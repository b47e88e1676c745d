#include "olap/providers/sqlite/SqliteSource.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/SqlStatements.h"
#include "olap/providers/sqlite/SqliteTypeMapping.h"
#include "olap/recordset/ColumnTyping.h"
#include "olap/util/MessageText.h"
#include "olap/util/RegularFile.h"

#include <sqlite3.h>

#include <chrono>

namespace olap::providers {

using recordset::CellValue;
using recordset::ColumnSpec;

namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

CellValue ColumnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return CellValue(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return CellValue(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
        const int size = sqlite3_column_bytes(statement, column);
        return CellValue(bytes ? std::string(bytes, static_cast<size_t>(size)) : std::string());
    }
    default:
        return CellValue();
    }
}

// Stops a statement that runs past its deadline (the "Command Time out" property).
struct Deadline {
    std::chrono::steady_clock::time_point end;
    static int Check(void* self)
    {
        return std::chrono::steady_clock::now() > static_cast<Deadline*>(self)->end ? 1 : 0;
    }
};

} // namespace

std::unique_ptr<SqliteSource> SqliteSource::Open(const std::string& path)
{
    // Looked at with stat first: opening a FIFO would wait for a writer.
    if (const auto notFile = RegularFile::Describe(path)) {
        const bool missing = *notFile == "does not exist";
        throw RelationalError(missing ? RelationalFailure::FileMissing : RelationalFailure::NotADatabase,
            "The SQLite database file '" + ShortForMessage(path) + "' " + *notFile);
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw RelationalError(RelationalFailure::NotADatabase,
            "The SQLite database file '" + ShortForMessage(path) + "' cannot be opened: " + reason);
    }
    // sqlite3_open_v2 reads nothing; the first query shows whether the file is a database.
    char* message = nullptr;
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        sqlite3_close(db);
        throw RelationalError(RelationalFailure::NotADatabase,
            "'" + ShortForMessage(path) + "' is not a SQLite database (" + reason + ")");
    }
    return std::unique_ptr<SqliteSource>(new SqliteSource(db, path));
}

std::unique_ptr<SqliteSource> SqliteSource::Open(const ConnectionProperties& properties)
{
    const auto path = FirstProperty(properties, {"Data Source", "Database", "DBQ"});
    if (!path)
        throw RelationalError(
            RelationalFailure::FileMissing, "The connection string names no SQLite database file (Data Source)");
    return Open(*path);
}

SqliteSource::~SqliteSource()
{
    Close();
}

void SqliteSource::Close()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

sqlite3* SqliteSource::Handle()
{
    if (!m_db)
        throw RelationalError(
            RelationalFailure::Other, "The SQLite database '" + ShortForMessage(m_path) + "' is closed");
    return m_db;
}

recordset::Recordset SqliteSource::Execute(std::string_view sql, int timeoutSeconds)
{
    sqlite3* db = Handle();
    Deadline deadline {std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds)};
    if (timeoutSeconds > 0)
        sqlite3_progress_handler(db, 1000, &Deadline::Check, &deadline);
    struct ResetHandler {
        sqlite3* db;
        ~ResetHandler() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
    } resetHandler {db};

    // Nothing runs unless the text holds exactly one statement; SQLite's own reading of the
    // text must agree, so a statement it would find after the first is refused as well.
    const std::string_view text = SingleSqlStatement(sql);
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (!text.empty() && sqlite3_prepare_v2(db, text.data(), static_cast<int>(text.size()), &raw, &tail) != SQLITE_OK)
        throw RelationalError(RelationalFailure::BadStatement, std::string("SQLite: ") + sqlite3_errmsg(db));
    Statement statement(raw);
    if (statement && tail && tail < text.data() + text.size()) {
        sqlite3_stmt* further = nullptr;
        sqlite3_prepare_v2(db, tail, static_cast<int>(text.data() + text.size() - tail), &further, nullptr);
        const bool another = further != nullptr;
        sqlite3_finalize(further);
        if (another)
            throw RelationalError(RelationalFailure::Unsupported,
                "The SQL text holds more than one statement; only one statement is run at a time, so none of "
                "them was run");
    }
    if (!statement) {
        recordset::Recordset empty; // blanks or a comment
        empty.SetSource(std::string(sql));
        return empty;
    }
    if (!sqlite3_stmt_readonly(raw))
        throw RelationalError(RelationalFailure::Unsupported,
            "The statement would change the database '" + ShortForMessage(m_path)
                + "'; data sources are only read, so it was not run");
    const int columnCount = sqlite3_column_count(raw);
    std::vector<ColumnSpec> columns;
    for (int c = 0; c < columnCount; ++c) {
        ColumnSpec spec;
        const char* name = sqlite3_column_name(raw, c);
        spec.name = name ? name : "";
        if (const char* declared = sqlite3_column_decltype(raw, c)) {
            if (const auto type = TypeFromDeclaration(declared)) {
                spec.declared = type->type;
                spec.declaredSize = type->definedSize;
            }
        }
        columns.push_back(std::move(spec));
    }
    std::vector<std::vector<CellValue>> rows;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::vector<CellValue> row;
        row.reserve(static_cast<size_t>(columnCount));
        for (int c = 0; c < columnCount; ++c)
            row.push_back(ColumnValue(raw, c));
        rows.push_back(std::move(row));
    }
    if (rc == SQLITE_INTERRUPT && timeoutSeconds > 0)
        throw RelationalError(RelationalFailure::BadStatement,
            "The statement ran longer than its time-out of " + std::to_string(timeoutSeconds) + " seconds");
    if (rc != SQLITE_DONE)
        throw RelationalError(RelationalFailure::BadStatement, std::string("SQLite: ") + sqlite3_errmsg(db));
    if (columnCount == 0) {
        recordset::Recordset empty;
        empty.SetSource(std::string(sql));
        return empty;
    }
    return recordset::RecordsetFromRows(columns, std::move(rows), std::string(sql));
}

std::vector<std::string> SqliteSource::Catalogs()
{
    std::vector<std::string> names;
    const auto rows = Execute("PRAGMA database_list").Rows();
    for (const auto& row : rows)
        if (row.size() > 1)
            names.push_back(row[1].ToText());
    return names;
}

std::vector<std::string> SqliteSource::Tables()
{
    std::vector<std::string> names;
    const auto rows
        = Execute("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                  "ORDER BY name")
              .Rows();
    names.reserve(rows.size());
    for (const auto& row : rows)
        names.push_back(row[0].ToText());
    return names;
}

} // namespace olap::providers
