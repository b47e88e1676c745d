#include "olap/providers/RelationalProviders.h"

#include "olap/util/GuardedValue.h"
#include "olap/util/NameUtil.h"

#include <algorithm>
#include <cctype>

namespace olap::providers {

namespace {

} // namespace

const std::vector<std::string_view>& RecognisedRelationalProviders()
{
    static const std::vector<std::string_view> kNames
        = {"sqloledb", "SQLNCLI", "SQLNCLI10", "MySQLProv", "Ifxoledbc", "OraOLEDB.Oracle", "IBMDADB2",
            "Microsoft.ACE.OLEDB.12.0", "Microsoft.Jet", "TDOLEDB", "PostgreSQL OLE DB Provider"};
    return kNames;
}

std::optional<std::string_view> RecognisedRelationalProvider(std::string_view provider)
{
    // Longest match first, so "SQLNCLI10" is not taken for "SQLNCLI".
    std::optional<std::string_view> best;
    for (const std::string_view name : RecognisedRelationalProviders()) {
        if (!StartsWithNoCase(provider, name))
            continue;
        if (provider.size() != name.size() && provider[name.size()] != '.')
            continue;
        if (!best || name.size() > best->size())
            best = name;
    }
    return best;
}

std::string ProviderRegistryValue(std::string_view provider)
{
    return std::string(kProviderRegistryKey) + "\\" + std::string(provider);
}

namespace {

GuardedValue<ProviderDriverLookup>& InstalledLookup()
{
    static GuardedValue<ProviderDriverLookup> lookup;
    return lookup;
}

} // namespace

void SetDefaultProviderDriverLookup(ProviderDriverLookup lookup)
{
    InstalledLookup().Set(std::move(lookup));
}

ProviderDriverLookup DefaultProviderDriverLookup()
{
    return InstalledLookup().Get();
}

} // namespace olap::providers
