#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace olap::providers {

//! Answers which ODBC driver stands for an OLE DB provider name (for example "SQL Server"
//! for "SQLNCLI10"), or nullopt when none is set. The program backs it with the string values
//! under the machine-wide key named by kProviderRegistryKey; tests pass a table.
using ProviderDriverLookup = std::function<std::optional<std::string>(std::string_view providerName)>;

//! The machine-wide registry key whose string values map provider names to ODBC drivers.
inline constexpr std::string_view kProviderRegistryKey
    = "\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\Providers";

//! The relational OLE DB provider names the system recognises, as connection strings name
//! them: "sqloledb", "SQLNCLI", "SQLNCLI10", "MySQLProv", "Ifxoledbc", "OraOLEDB.Oracle",
//! "IBMDADB2", "Microsoft.ACE.OLEDB.12.0", "Microsoft.Jet", "TDOLEDB",
//! "PostgreSQL OLE DB Provider".
const std::vector<std::string_view>& RecognisedRelationalProviders();

//! The recognised name PROVIDER stands for, compared without regard to case; a version or
//! sub-name after a dot also matches ("SQLOLEDB.1" is "sqloledb", "Microsoft.Jet.OLEDB.4.0" is
//! "Microsoft.Jet"). Nullopt for any other provider.
std::optional<std::string_view> RecognisedRelationalProvider(std::string_view provider);

//! The full name of the registry value that sets the ODBC driver for PROVIDER.
std::string ProviderRegistryValue(std::string_view provider);

//! Installs the provider-to-driver table that connections use when their caller gives none
//! (the program installs the registry-backed one at start-up). An empty lookup knows no
//! provider. Safe to call from any thread.
void SetDefaultProviderDriverLookup(ProviderDriverLookup lookup);
//! The installed default table (see SetDefaultProviderDriverLookup).
ProviderDriverLookup DefaultProviderDriverLookup();

} // namespace olap::providers
