#include "olap/providers/RelationalSources.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/odbc/OdbcSource.h"
#include "olap/providers/spreadsheet/SpreadsheetSource.h"
#include "olap/providers/sqlite/SqliteSource.h"
#include "olap/util/MessageText.h"
#include "olap/util/NameUtil.h"

#include <algorithm>
#include <cctype>

namespace olap::providers {

namespace {

bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

} // namespace

std::optional<RelationalKind> ClassifyRelational(
    const ConnectionProperties& properties, const ProviderDriverLookup& lookup)
{
    const std::string provider = ToLowerAscii(FirstProperty(properties, {"Provider"}).value_or(""));
    const std::string dataSource = ToLowerAscii(FirstProperty(properties, {"Data Source"}).value_or(""));
    const std::string extended = ToLowerAscii(FirstProperty(properties, {"Extended Properties"}).value_or(""));
    const bool msdasql = provider.rfind("msdasql", 0) == 0;

    if (extended.find("excel") != std::string::npos || EndsWith(dataSource, ".xls") || EndsWith(dataSource, ".xlsx"))
        return RelationalKind::Spreadsheet;
    if (provider == "sqlite" || provider.rfind("sqlite.", 0) == 0)
        return RelationalKind::Sqlite;
    if (!msdasql
        && (EndsWith(dataSource, ".db") || EndsWith(dataSource, ".sqlite") || EndsWith(dataSource, ".sqlite3")))
        return RelationalKind::Sqlite;
    if (msdasql || (provider.empty() && FirstProperty(properties, {"DSN", "Driver"})))
        return RelationalKind::Odbc;
    if (provider.empty() || provider.rfind("msolap", 0) == 0)
        return std::nullopt;
    if (RecognisedRelationalProvider(provider))
        return RelationalKind::Odbc;
    if (lookup) {
        const auto driver = lookup(FirstProperty(properties, {"Provider"}).value_or(""));
        if (driver && !driver->empty())
            return RelationalKind::Odbc;
    }
    return std::nullopt;
}

std::unique_ptr<RelationalSource> OpenRelationalSource(
    const ConnectionProperties& properties, const ProviderDriverLookup& lookup)
{
    const auto kind = ClassifyRelational(properties, lookup);
    if (!kind)
        throw RelationalError(RelationalFailure::Unsupported,
            "The connection names no relational source (provider '"
                + ShortForMessage(FirstProperty(properties, {"Provider"}).value_or("")) + "')");
    switch (*kind) {
    case RelationalKind::Sqlite:
        return SqliteSource::Open(properties);
    case RelationalKind::Spreadsheet:
        return SpreadsheetSource::Open(properties);
    case RelationalKind::Odbc:
        return OdbcSource::Open(properties, lookup);
    }
    return nullptr;
}

} // namespace olap::providers
