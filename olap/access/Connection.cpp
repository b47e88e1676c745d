#include "olap/access/Connection.h"

#include "olap/access/LocalCubeProvider.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

namespace olap {

Connection::Connection(std::unique_ptr<OlapProvider> provider) : m_provider(std::move(provider))
{
}

std::unique_ptr<Connection> Connection::Open(std::string_view connectionString)
{
    ConnectionString cs = ConnectionString::Parse(connectionString);
    std::string provider = cs.GetOr("Provider", "");
    bool local = provider.empty() || EqualsNoCase(provider, "MSOLAP")
        || (provider.size() > 7 && EqualsNoCase(provider.substr(0, 7), "MSOLAP."));
    if (!local)
        throw OlapError("Provider '" + provider + "' is not supported (local cube files use Provider=MSOLAP)");
    std::string source = cs.GetOr("Data Source", "");
    if (source.empty())
        source = cs.GetOr("Location", "");
    if (source.empty())
        throw OlapError("The connection string names no Data Source (the path of a .cub file)");
    return std::make_unique<Connection>(std::make_unique<LocalCubeProvider>(source, cs.GetOr("Initial Catalog", "")));
}

} // namespace olap
