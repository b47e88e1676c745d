#include "olap/access/Connection.h"

#include "olap/access/ConnectionString.h"
#include "olap/access/LocalCubeProvider.h"
#include "olap/access/RemoteOlapProviders.h"
#include "olap/providers/RelationalError.h"
#include "olap/providers/RelationalSources.h"
#include "olap/recordset/ColumnTyping.h"
#include "olap/util/MessageText.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

#include <charconv>
#include <filesystem>

namespace olap {
namespace {

bool IsOlapProvider(std::string_view provider)
{
    return provider.empty() || EqualsNoCase(provider, "MSOLAP") || StartsWithNoCase(provider, "MSOLAP.");
}

bool IsRemoteAddress(std::string_view source)
{
    return StartsWithNoCase(source, "http://") || StartsWithNoCase(source, "https://");
}

bool NamesCubeFile(const std::string& source)
{
    std::error_code error;
    if (std::filesystem::exists(source, error))
        return true;
    const std::string extension = std::filesystem::path(source).extension().string();
    return EqualsNoCase(extension, ".cub") || source.find('/') != std::string::npos;
}

std::unique_ptr<OlapProvider> OpenOlapProvider(const providers::ConnectionProperties& properties)
{
    const std::optional<std::string> source = providers::FirstProperty(properties, {"Data Source", "Location"});
    if (!source)
        throw OlapError("The connection string names no Data Source (the path of a .cub file or an OLAP server)");
    // An address or a bare server name is a remote server; anything that looks like a file
    // path is a local cube file, so a mistyped path says that the file is missing.
    if (IsRemoteAddress(*source) || !NamesCubeFile(*source))
        return OpenRemoteOlapProvider(properties);
    return std::make_unique<LocalCubeProvider>(
        *source, providers::FirstProperty(properties, {"Initial Catalog"}).value_or(""));
}

// A drill-through value as the engine renders it, typed back: whole numbers, other numbers,
// text; "" is NULL.
recordset::CellValue TypedValue(const std::string& text)
{
    if (text.empty())
        return {};
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    std::int64_t integer = 0;
    if (auto [ptr, ec] = std::from_chars(begin, end, integer); ec == std::errc() && ptr == end)
        return recordset::CellValue(integer);
    double number = 0;
    if (auto [ptr, ec] = std::from_chars(begin, end, number); ec == std::errc() && ptr == end)
        return recordset::CellValue(number);
    return recordset::CellValue(text);
}

std::string TupleName(const PositionTable::Position& tuple)
{
    std::string name;
    for (const CellSet::Member& member : tuple) {
        if (!name.empty())
            name += ".";
        name += member.uniqueName;
    }
    return name;
}

recordset::Recordset Flatten(const QueryResult& result, std::string source)
{
    std::vector<recordset::ColumnSpec> columns;
    std::vector<std::vector<recordset::CellValue>> rows;
    if (result.kind == QueryResult::Kind::Drillthrough) {
        for (const std::string& column : result.drillthrough.columns)
            columns.push_back({column, std::nullopt, 0});
        for (const std::vector<std::string>& row : result.drillthrough.rows) {
            std::vector<recordset::CellValue> values;
            values.reserve(row.size());
            for (const std::string& value : row)
                values.push_back(TypedValue(value));
            rows.push_back(std::move(values));
        }
        return recordset::RecordsetFromRows(columns, std::move(rows), std::move(source));
    }
    const CellSet& cells = result.cellSet;
    if (cells.axes.size() > 2)
        throw OlapError("A result with " + std::to_string(cells.axes.size())
            + " axes cannot be read as rows; use at most COLUMNS and ROWS");
    auto cellValue = [&](std::size_t ordinal) {
        const CellSet::Cell& cell = cells.cells.at(ordinal);
        if (cell.value)
            return recordset::CellValue(*cell.value);
        if (cell.text)
            return recordset::CellValue(*cell.text);
        return recordset::CellValue();
    };
    if (cells.axes.empty()) {
        columns.push_back({"Value", std::nullopt, 0});
        rows.push_back({cellValue(0)});
        return recordset::RecordsetFromRows(columns, std::move(rows), std::move(source));
    }
    const CellSet::Axis& columnAxis = cells.axes[0];
    const CellSet::Axis* rowAxis = cells.axes.size() > 1 ? &cells.axes[1] : nullptr;
    if (rowAxis) {
        for (const std::string& hierarchy : rowAxis->hierarchies)
            columns.push_back({hierarchy, recordset::DataType::VarWChar, 0});
    }
    for (const auto& position : columnAxis.positions)
        columns.push_back({TupleName(position), std::nullopt, 0});
    const std::size_t rowCount = rowAxis ? rowAxis->positions.size() : 1;
    for (std::size_t r = 0; r < rowCount; ++r) {
        std::vector<recordset::CellValue> values;
        if (rowAxis) {
            for (const CellSet::Member& member : rowAxis->positions[r])
                values.emplace_back(member.caption);
        }
        for (std::size_t c = 0; c < columnAxis.positions.size(); ++c)
            values.push_back(cellValue(c + columnAxis.positions.size() * r));
        rows.push_back(std::move(values));
    }
    return recordset::RecordsetFromRows(columns, std::move(rows), std::move(source));
}

recordset::Recordset TextRecordset(const std::vector<std::string>& names)
{
    recordset::Recordset rs;
    for (const std::string& name : names)
        rs.AppendField(name, recordset::DataType::VarWChar);
    rs.Open();
    return rs;
}

std::string Restriction(const std::vector<std::string>& restrictions, std::size_t index)
{
    return index < restrictions.size() ? restrictions[index] : std::string();
}

SchemaRowsetKind KindOf(SchemaEnum schema)
{
    switch (schema) {
    case SchemaEnum::Catalogs:
        return SchemaRowsetKind::Catalogs;
    case SchemaEnum::Cubes:
        return SchemaRowsetKind::Cubes;
    case SchemaEnum::Dimensions:
        return SchemaRowsetKind::Dimensions;
    case SchemaEnum::Hierarchies:
        return SchemaRowsetKind::Hierarchies;
    case SchemaEnum::Levels:
        return SchemaRowsetKind::Levels;
    case SchemaEnum::Measures:
        return SchemaRowsetKind::Measures;
    case SchemaEnum::Members:
        return SchemaRowsetKind::Members;
    case SchemaEnum::Tables:
        break;
    }
    throw OlapError("Schema rowset " + std::to_string(static_cast<int>(schema)) + " is not available");
}

} // namespace

Connection::Connection(std::unique_ptr<OlapProvider> provider) : m_olap(std::move(provider))
{
}

Connection::Connection(std::unique_ptr<providers::RelationalSource> source) : m_relational(std::move(source))
{
}

Connection::~Connection() = default;

std::unique_ptr<Connection> Connection::Connect(std::string_view connectionString)
{
    auto connection = std::make_unique<Connection>();
    connection->Open(connectionString);
    return connection;
}

void Connection::Open(std::string_view connectionString, std::string_view user, std::string_view password,
    long /*options*/, const providers::ProviderDriverLookup& lookup)
{
    if (IsOpen())
        throw OlapError("The connection is already open; close it before opening it again");
    const olap::ConnectionString parsed = olap::ConnectionString::Parse(connectionString);
    providers::ConnectionProperties properties;
    for (const auto& [key, value] : parsed.Pairs())
        properties[key] = value;
    if (!user.empty()) {
        properties.erase("uid");
        properties["User ID"] = std::string(user);
    }
    if (!password.empty()) {
        properties.erase("pwd");
        properties["Password"] = std::string(password);
    }
    const providers::ProviderDriverLookup drivers = lookup ? lookup : providers::DefaultProviderDriverLookup();

    if (providers::ClassifyRelational(properties, drivers)) {
        m_relational = providers::OpenRelationalSource(properties, drivers);
    } else {
        const std::string provider = providers::FirstProperty(properties, {"Provider"}).value_or("");
        if (!IsOlapProvider(provider))
            throw providers::RelationalError(providers::RelationalFailure::ProviderNotMapped,
                "The provider '" + ShortForMessage(provider)
                    + "' is not known: it is neither an OLAP provider (MSOLAP) nor mapped to an ODBC driver. Set "
                      "the string value "
                    + ShortForMessage(providers::ProviderRegistryValue(provider)) + " to the name of its ODBC driver.");
        m_olap = OpenOlapProvider(properties);
    }
    m_connectionString = std::string(connectionString);
}

void Connection::Close()
{
    if (m_relational)
        m_relational->Close();
    m_relational.reset();
    m_olap.reset();
}

void Connection::SetCursorLocation(int location)
{
    if (location != static_cast<int>(CursorLocation::Server) && location != static_cast<int>(CursorLocation::Client))
        throw OlapError("Cursor location " + std::to_string(location) + " is not 2 (server) or 3 (client)");
    m_cursorLocation = static_cast<CursorLocation>(location);
}

void Connection::RequireOpen() const
{
    if (!IsOpen())
        throw OlapError("The connection is closed");
}

recordset::Recordset Connection::Execute(std::string_view text, long /*options*/, int timeoutSeconds)
{
    RequireOpen();
    if (m_relational)
        return m_relational->Execute(text, timeoutSeconds);
    return Flatten(m_olap->Execute(text), std::string(text));
}

QueryResult Connection::ExecuteMdx(std::string_view mdx, const QueryOptions& options)
{
    return Provider().ExecuteMdx(mdx, options);
}

recordset::Recordset Connection::OpenSchema(SchemaEnum schema, const std::vector<std::string>& restrictions)
{
    RequireOpen();
    if (schema == SchemaEnum::Catalogs) {
        recordset::Recordset rs = TextRecordset({"CATALOG_NAME", "DESCRIPTION"});
        std::vector<std::string> names;
        if (m_relational) {
            names = m_relational->Catalogs();
        } else {
            for (const std::vector<std::string>& row : m_olap->Discover(SchemaRowsetKind::Catalogs, {}).rows)
                names.push_back(row.at(0));
        }
        const std::string wanted = Restriction(restrictions, 0);
        for (const std::string& name : names) {
            if (wanted.empty() || EqualsNoCase(wanted, name))
                rs.AppendRow({recordset::CellValue(name), recordset::CellValue()});
        }
        rs.MoveFirst();
        return rs;
    }
    if (schema == SchemaEnum::Tables) {
        recordset::Recordset rs
            = TextRecordset({"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE", "DESCRIPTION"});
        const std::string wantedName = Restriction(restrictions, 2);
        const std::string wantedType = Restriction(restrictions, 3);
        if (m_relational && (wantedType.empty() || EqualsNoCase(wantedType, "Table"))) {
            for (const std::string& name : m_relational->Tables()) {
                if (wantedName.empty() || wantedName == name)
                    rs.AppendRow({{}, {}, recordset::CellValue(name), recordset::CellValue("TABLE"), {}});
            }
        }
        rs.MoveFirst();
        return rs;
    }
    if (m_relational)
        throw OlapError("Schema rowset " + std::to_string(static_cast<int>(schema))
            + " describes cubes; this connection is a relational source");
    const SchemaRowset rowset = m_olap->Discover(KindOf(schema), Restriction(restrictions, 1));
    recordset::Recordset rs = TextRecordset(rowset.columns);
    const std::string wantedCatalog = Restriction(restrictions, 0);
    if (wantedCatalog.empty() || EqualsNoCase(wantedCatalog, m_olap->Catalog())) {
        for (const std::vector<std::string>& row : rowset.rows)
            rs.AppendRow(std::vector<recordset::CellValue>(row.begin(), row.end()));
    }
    rs.MoveFirst();
    return rs;
}

SchemaRowset Connection::Discover(SchemaRowsetKind kind, std::string_view cube)
{
    return Provider().Discover(kind, cube);
}

void Connection::ClearCache()
{
    if (m_olap)
        m_olap->ClearCache();
}

OlapProvider& Connection::Provider()
{
    RequireOpen();
    if (!m_olap)
        throw OlapError("This connection is a relational source; MDX needs a cube (Provider=MSOLAP)");
    return *m_olap;
}

providers::RelationalSource& Connection::Relational()
{
    RequireOpen();
    if (!m_relational)
        throw OlapError("This connection holds cubes; SQL needs a relational source");
    return *m_relational;
}

} // namespace olap
