#include "RelationalCommands.h"

#include "olap/access/ConnectionString.h"
#include "olap/providers/RelationalSource.h"
#include "olap/providers/RelationalSources.h"
#include "olap/recordset/RecordsetCsv.h"
#include "platform/ProviderDrivers.h"

#include <ostream>
#include <stdexcept>

namespace lumetra_mdx {

std::optional<int> RunRelational(
    const std::string& connection, const std::string& sql, const std::string& discover, std::ostream& out)
{
    olap::providers::ConnectionProperties properties;
    const olap::ConnectionString parsed = olap::ConnectionString::Parse(connection);
    for (const auto& [key, value] : parsed.Pairs())
        properties[key] = value;
    if (!olap::providers::ClassifyRelational(properties, platform::RegistryProviderDriver))
        return std::nullopt;
    if (!discover.empty() && discover != "catalogs" && discover != "tables")
        throw std::invalid_argument("a relational source discovers catalogs or tables, not '" + discover + "'");
    std::unique_ptr<olap::providers::RelationalSource> source
        = olap::providers::OpenRelationalSource(properties, platform::RegistryProviderDriver);
    if (discover == "catalogs") {
        out << "CATALOG_NAME\n";
        for (const std::string& name : source->Catalogs())
            out << olap::recordset::CsvField(name) << "\n";
    } else if (discover == "tables") {
        out << "TABLE_NAME,TABLE_TYPE\n";
        for (const std::string& name : source->Tables())
            out << olap::recordset::CsvField(name) << ",Table\n";
    } else {
        olap::recordset::WriteCsv(source->Execute(sql), out);
    }
    return 0;
}

} // namespace lumetra_mdx
