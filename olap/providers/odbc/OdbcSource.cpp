#include "olap/providers/odbc/OdbcSource.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/SqlStatements.h"
#include "olap/providers/odbc/OdbcConnectionString.h"
#include "olap/recordset/ColumnTyping.h"
#include "olap/util/MessageText.h"
#include "olap/util/NameUtil.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>

namespace olap::providers {

using recordset::CellValue;
using recordset::ColumnSpec;
using recordset::DataType;

namespace {

struct Diagnostic {
    std::string state;
    std::string text;
};

Diagnostic ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    Diagnostic result;
    for (SQLSMALLINT record = 1; record <= 10; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(handleType, handle, record, state, &native, message, sizeof message, &length)))
            break;
        if (result.state.empty())
            result.state = reinterpret_cast<const char*>(state);
        if (!result.text.empty())
            result.text += "; ";
        result.text += reinterpret_cast<const char*>(message);
    }
    if (result.text.empty())
        result.text = "no further details from the driver";
    return result;
}

RelationalFailure ClassifyConnectFailure(const Diagnostic& diagnostic)
{
    const std::string& state = diagnostic.state;
    const std::string text = ToLowerAscii(diagnostic.text);
    if (state == "IM002" || state == "IM003" || state == "IM004" || text.find("can't open lib") != std::string::npos)
        return RelationalFailure::DriverNotInstalled;
    if (state == "28000" || text.find("password authentication failed") != std::string::npos
        || text.find("access denied") != std::string::npos || text.find("login failed") != std::string::npos)
        return RelationalFailure::LoginRefused;
    if (state == "3D000" || text.find("unknown database") != std::string::npos
        || (text.find("database") != std::string::npos && text.find("does not exist") != std::string::npos)
        || text.find("cannot open database") != std::string::npos)
        return RelationalFailure::DatabaseMissing;
    if (state == "08001" || state == "08S01" || state == "HYT00")
        return RelationalFailure::ServerUnreachable;
    return RelationalFailure::Other;
}

std::string DescribeFailure(RelationalFailure failure)
{
    switch (failure) {
    case RelationalFailure::DriverNotInstalled:
        return "the ODBC driver or data source name is not installed";
    case RelationalFailure::LoginRefused:
        return "the login was refused";
    case RelationalFailure::DatabaseMissing:
        return "the database does not exist";
    case RelationalFailure::ServerUnreachable:
        return "the server could not be reached";
    default:
        return "the connection failed";
    }
}

// The field type and how to read the values of an ODBC SQL type.
std::optional<DataType> TypeOfSqlType(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_TINYINT:
        return DataType::UnsignedTinyInt;
    case SQL_SMALLINT:
        return DataType::SmallInt;
    case SQL_INTEGER:
        return DataType::Integer;
    case SQL_BIGINT:
        return DataType::BigInt;
    case SQL_REAL:
        return DataType::Single;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return DataType::Double;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return DataType::Numeric;
    case SQL_BIT:
        return DataType::Boolean;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP:
        return DataType::Date;
    case SQL_CHAR:
    case SQL_VARCHAR:
        return DataType::VarChar;
    case SQL_LONGVARCHAR:
        return DataType::LongVarChar;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        return DataType::VarWChar;
    case SQL_WLONGVARCHAR:
        return DataType::LongVarWChar;
    case SQL_BINARY:
    case SQL_VARBINARY:
        return DataType::VarBinary;
    case SQL_LONGVARBINARY:
        return DataType::LongVarBinary;
    default:
        return std::nullopt; // times of day, intervals, GUIDs: the values decide
    }
}

struct StatementHandle {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    ~StatementHandle()
    {
        if (handle != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, handle);
    }
};

[[noreturn]] void ThrowStatementError(SQLHSTMT statement, const std::string& what)
{
    const Diagnostic diagnostic = ReadDiagnostics(SQL_HANDLE_STMT, statement);
    const std::string timeout = diagnostic.state == "HYT00" ? " (the statement ran past its time-out)" : "";
    throw RelationalError(RelationalFailure::BadStatement, what + timeout + ": " + diagnostic.text);
}

// Reads one value as text in pieces (long values come in several calls).
std::optional<std::string> ReadText(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, cType, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            ThrowStatementError(statement, "Reading column " + std::to_string(column) + " failed");
        if (indicator == SQL_NULL_DATA)
            return std::nullopt;
        const size_t room = cType == SQL_C_CHAR ? sizeof buffer - 1 : sizeof buffer;
        const size_t piece = indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) > room
            ? room
            : static_cast<size_t>(indicator);
        text.append(buffer, piece);
        if (rc == SQL_SUCCESS)
            break;
    }
    return text;
}

CellValue ReadValue(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT sqlType)
{
    SQLLEN indicator = 0;
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: {
        SQLBIGINT value = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_SBIGINT, &value, 0, &indicator);
        if (!SQL_SUCCEEDED(rc))
            break; // a value the driver cannot give as a number is read as text below
        return indicator == SQL_NULL_DATA ? CellValue() : CellValue(static_cast<std::int64_t>(value));
    }
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: {
        double value = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_DOUBLE, &value, 0, &indicator);
        if (!SQL_SUCCEEDED(rc))
            break;
        return indicator == SQL_NULL_DATA ? CellValue() : CellValue(value);
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: {
        const auto bytes = ReadText(statement, column, SQL_C_BINARY);
        return bytes ? CellValue(*bytes) : CellValue();
    }
    default:
        break;
    }
    const auto text = ReadText(statement, column, SQL_C_CHAR);
    return text ? CellValue(*text) : CellValue();
}

// Reads the result set open on STATEMENT into a recordset; nullopt when there is none.
std::optional<recordset::Recordset> FetchAll(SQLHSTMT statement, const std::string& source)
{
    SQLSMALLINT columnCount = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(statement, &columnCount)))
        ThrowStatementError(statement, "Reading the result of the statement failed");
    if (columnCount <= 0)
        return std::nullopt;
    std::vector<ColumnSpec> columns;
    std::vector<SQLSMALLINT> sqlTypes;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columnCount); ++c) {
        SQLCHAR name[512] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, decimals = 0, nullable = 0;
        SQLULEN size = 0;
        if (!SQL_SUCCEEDED(
                SQLDescribeCol(statement, c, name, sizeof name, &nameLength, &sqlType, &size, &decimals, &nullable)))
            ThrowStatementError(statement, "Describing column " + std::to_string(c) + " failed");
        ColumnSpec spec;
        spec.name = reinterpret_cast<const char*>(name);
        spec.declared = TypeOfSqlType(sqlType);
        if (spec.declared && recordset::IsText(*spec.declared) && size < 1'000'000'000)
            spec.declaredSize = static_cast<long>(size);
        columns.push_back(std::move(spec));
        sqlTypes.push_back(sqlType);
    }
    std::vector<std::vector<CellValue>> rows;
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            ThrowStatementError(statement, "Fetching rows failed");
        std::vector<CellValue> row;
        row.reserve(columns.size());
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columnCount); ++c)
            row.push_back(ReadValue(statement, c, sqlTypes[c - 1]));
        rows.push_back(std::move(row));
    }
    return recordset::RecordsetFromRows(columns, std::move(rows), source);
}

// Whether STATEMENT may run on a connection: queries always; procedure calls only when the
// driver keeps the connection read-only, since a procedure may write.
bool MayRun(std::string_view statement, bool driverReadOnly)
{
    const std::string keyword = FirstSqlKeyword(statement);
    for (const char* reading : {"SELECT", "WITH", "VALUES", "SHOW", "DESCRIBE", "DESC", "EXPLAIN"})
        if (keyword == reading)
            return true;
    return driverReadOnly && (keyword == "EXEC" || keyword == "EXECUTE" || keyword == "CALL");
}

} // namespace

struct OdbcSource::Handles {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    bool connected = false;
    //! The driver says the connection is read-only (many drivers ignore the request).
    bool readOnly = false;

    ~Handles()
    {
        if (connected)
            SQLDisconnect(connection);
        if (connection != SQL_NULL_HDBC)
            SQLFreeHandle(SQL_HANDLE_DBC, connection);
        if (environment != SQL_NULL_HENV)
            SQLFreeHandle(SQL_HANDLE_ENV, environment);
    }
};

OdbcSource::OdbcSource(std::unique_ptr<Handles> handles) : m_handles(std::move(handles))
{
}

OdbcSource::~OdbcSource() = default;

std::unique_ptr<OdbcSource> OdbcSource::Open(const ConnectionProperties& properties, const ProviderDriverLookup& lookup)
{
    return OpenOdbc(ComposeOdbcConnectionString(properties, lookup));
}

std::unique_ptr<OdbcSource> OdbcSource::OpenOdbc(const std::string& odbcConnectionString)
{
    auto handles = std::make_unique<Handles>();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handles->environment))
        || !SQL_SUCCEEDED(
            SQLSetEnvAttr(handles->environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))
        || !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, handles->environment, &handles->connection)))
        throw RelationalError(RelationalFailure::DriverNotInstalled, "The ODBC driver manager could not be started");
    SQLSetConnectAttr(handles->connection, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
    // Data sources are only read. The access mode is a hint that drivers may ignore, which is
    // why statements are also held to one each.
    SQLSetConnectAttr(handles->connection, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);

    std::string text = odbcConnectionString;
    SQLCHAR completed[2048];
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc = SQLDriverConnect(handles->connection, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
        static_cast<SQLSMALLINT>(std::min<size_t>(text.size(), 32767)), completed, sizeof completed, &completedLength,
        SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        const Diagnostic diagnostic = ReadDiagnostics(SQL_HANDLE_DBC, handles->connection);
        const RelationalFailure failure = ClassifyConnectFailure(diagnostic);
        throw RelationalError(failure,
            "Cannot connect through ODBC (" + ShortForMessage(RedactOdbcConnectionString(odbcConnectionString), 1000)
                + "): " + DescribeFailure(failure) + ". " + HideOdbcPasswords(diagnostic.text, odbcConnectionString));
    }
    handles->connected = true;
    SQLUINTEGER mode = SQL_MODE_READ_WRITE;
    if (SQL_SUCCEEDED(SQLGetConnectAttr(handles->connection, SQL_ATTR_ACCESS_MODE, &mode, 0, nullptr)))
        handles->readOnly = mode == SQL_MODE_READ_ONLY;
    return std::unique_ptr<OdbcSource>(new OdbcSource(std::move(handles)));
}

OdbcSource::Handles& OdbcSource::Open()
{
    if (!m_handles)
        throw RelationalError(RelationalFailure::Other, "The ODBC connection is closed");
    return *m_handles;
}

std::string OdbcSource::QuoteName(std::string_view name)
{
    Handles& handles = Open();
    SQLCHAR quote[8] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(handles.connection, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &length))
        || length <= 0)
        return RelationalSource::QuoteName(name);
    const std::string mark(reinterpret_cast<const char*>(quote), std::min<std::size_t>(length, sizeof quote - 1));
    if (mark == " ")
        return std::string(name);
    std::string quoted = mark;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name.compare(i, mark.size(), mark) == 0) {
            quoted += mark + mark;
            i += mark.size() - 1;
        } else {
            quoted += name[i];
        }
    }
    return quoted + mark;
}

void OdbcSource::Close()
{
    m_handles.reset();
}

recordset::Recordset OdbcSource::Execute(std::string_view sql, int timeoutSeconds)
{
    Handles& handles = Open();
    StatementHandle statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement.handle)))
        throw RelationalError(RelationalFailure::Other, "The ODBC driver could not start a statement");
    if (timeoutSeconds > 0)
        SQLSetStmtAttr(statement.handle, SQL_ATTR_QUERY_TIMEOUT,
            // ODBC passes integer attributes in its pointer argument.
            reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)), 0); // NOLINT(performance-no-int-to-ptr)
    std::string text(SingleSqlStatement(sql));
    if (text.empty()) {
        recordset::Recordset empty;
        empty.SetSource(std::string(sql));
        return empty;
    }
    if (!MayRun(text, handles.readOnly))
        throw RelationalError(RelationalFailure::Unsupported,
            "Only queries are run on a data source (SELECT, WITH, VALUES, SHOW, DESCRIBE, EXPLAIN"
                + std::string(handles.readOnly ? ", EXEC, CALL" : "") + "); '" + FirstSqlKeyword(text)
                + "' could change the data, so the statement was not run");
    const SQLRETURN rc = SQLExecDirect(
        statement.handle, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        ThrowStatementError(statement.handle, "The statement failed");
    if (rc != SQL_NO_DATA) {
        // A procedure may give result sets without columns first; the first with columns is
        // the answer.
        for (int set = 0; set < 1000; ++set) {
            if (auto result = FetchAll(statement.handle, text))
                return std::move(*result);
            if (!SQL_SUCCEEDED(SQLMoreResults(statement.handle)))
                break;
        }
    }
    recordset::Recordset empty;
    empty.SetSource(text);
    return empty;
}

std::vector<std::string> OdbcSource::Catalogs()
{
    Handles& handles = Open();
    std::vector<std::string> names;
    {
        StatementHandle statement;
        if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement.handle))) {
            SQLCHAR all[] = SQL_ALL_CATALOGS;
            SQLCHAR empty[] = "";
            if (SQL_SUCCEEDED(SQLTables(statement.handle, all, SQL_NTS, empty, 0, empty, 0, empty, 0))) {
                if (const auto rows = FetchAll(statement.handle, "catalogs"))
                    for (const auto& row : rows->Rows())
                        if (!row.empty() && !row[0].IsNull() && !row[0].ToText().empty())
                            names.push_back(row[0].ToText());
            }
        }
    }
    if (names.empty()) {
        SQLCHAR current[512] = {};
        SQLINTEGER length = 0;
        if (SQL_SUCCEEDED(
                SQLGetConnectAttr(handles.connection, SQL_ATTR_CURRENT_CATALOG, current, sizeof current - 1, &length))
            && current[0] != 0)
            names.emplace_back(reinterpret_cast<const char*>(current));
    }
    if (names.empty()) {
        SQLCHAR database[512] = {};
        SQLSMALLINT length = 0;
        if (SQL_SUCCEEDED(SQLGetInfo(handles.connection, SQL_DATABASE_NAME, database, sizeof database - 1, &length))
            && database[0] != 0)
            names.emplace_back(reinterpret_cast<const char*>(database));
    }
    return names;
}

std::vector<std::string> OdbcSource::Tables()
{
    Handles& handles = Open();
    StatementHandle statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement.handle)))
        throw RelationalError(RelationalFailure::Other, "The ODBC driver could not start a statement");
    SQLCHAR type[] = "TABLE";
    if (!SQL_SUCCEEDED(SQLTables(statement.handle, nullptr, 0, nullptr, 0, nullptr, 0, type, SQL_NTS)))
        ThrowStatementError(statement.handle, "Listing the tables failed");
    std::vector<std::string> names;
    if (const auto rows = FetchAll(statement.handle, "tables"))
        for (const auto& row : rows->Rows())
            if (row.size() > 2 && !row[2].IsNull())
                names.push_back(row[2].ToText());
    return names;
}

} // namespace olap::providers
